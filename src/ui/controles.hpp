#pragma once
// Les contrôles de la fenêtre principale au-delà de ceux de Qt : le panneau de l'afficheur (clic ou
// glissement de la fenêtre), la jauge, le bouton rapide, la liste dessinée par ligne et le dessin des
// plages horaires. Chacun montre des valeurs que les modèles du cœur lui donnent.
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPoint>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QWidget>
#include <cstdint>

#include "core/couleurs.hpp"
#include "tariff/affichage_tarif.hpp"

namespace lumi::ui {

class IconesLumi;

// Une couleur du jeu (0x00BBGGRR, ou couleur système 0x80000000 + n) en couleur Qt.
QColor couleur_qt(std::uint32_t couleur);

// Un panneau à texte : fond et police colorés ; bouton gauche : clic, ou glissement de la fenêtre
// quand la souris bouge avant d'être relâchée (la fenêtre n'a pas bougé : c'était un clic).
// Son texte change à chaque top : il ne fait que se repeindre, sans refaire la disposition de la
// fenêtre (sa taille ne suit pas le texte).
class Panneau final : public QFrame {
    Q_OBJECT

public:
    explicit Panneau(const QString& nom, QWidget* parent = nullptr);

    const QString& text() const { return texte_; }
    void setText(const QString& texte);
    void setAlignment(Qt::Alignment alignement);
    void definir_fond(std::uint32_t couleur);
    void definir_police(std::uint32_t couleur);
    // Le panneau déplace la fenêtre quand on le fait glisser.
    void definir_glissement(bool glisser) { glisser_ = glisser; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void clique();

protected:
    void paintEvent(QPaintEvent* evenement) override;
    void mousePressEvent(QMouseEvent* evenement) override;
    void mouseMoveEvent(QMouseEvent* evenement) override;
    void mouseReleaseEvent(QMouseEvent* evenement) override;

private:
    QString texte_;
    Qt::Alignment alignement_ = Qt::AlignLeft | Qt::AlignVCenter;
    bool glisser_ = true;
    bool enfonce_ = false;
    bool deplace_ = false;
    QPoint souris_depart_;
    QPoint fenetre_depart_;
};

// Une étiquette d'une ligne dont la largeur ne suit pas le texte : la fenêtre normale garde sa taille
// quel que soit le nom d'un tarif, d'une option ou d'un utilisateur. Un texte trop long est coupé
// (« … ») et se lit en entier dans l'info-bulle, après celle de l'étiquette s'il y en a une. Avec
// plusieurs lignes permises, le texte va à la ligne entre deux mots avant d'être coupé, et
// l'étiquette prend la hauteur des lignes qu'il occupe.
class EtiquetteElidee final : public QFrame {
    Q_OBJECT

public:
    explicit EtiquetteElidee(const QString& nom, QWidget* parent = nullptr);

    const QString& text() const { return texte_; }
    void setText(const QString& texte);
    // L'info-bulle propre de l'étiquette (vide : aucune).
    void definir_bulle(const QString& bulle);
    // Le texte ne tient pas : il est coupé.
    bool coupe() const { return coupe_; }
    // Le nombre de lignes que le texte peut prendre (1 par défaut).
    void definir_lignes_max(int lignes);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int largeur) const override;

protected:
    void paintEvent(QPaintEvent* evenement) override;
    void resizeEvent(QResizeEvent* evenement) override;
    void changeEvent(QEvent* evenement) override;

private:
    void suivre();
    // Les lignes montrées dans `largeur` pixels : coupées entre deux mots, la dernière élidée.
    QStringList lignes_dans(int largeur) const;

    QString texte_;
    QString bulle_;
    QString vu_;
    bool coupe_ = false;
    int lignes_max_ = 1;
    int lignes_vues_ = 1;
};

// Une jauge horizontale : fond, barre proportionnelle à position / maximum, pourcentage en option.
class JaugeQt final : public QWidget {
    Q_OBJECT

public:
    explicit JaugeQt(const QString& nom, bool avec_texte, QWidget* parent = nullptr);
    void definir(const Jauge& jauge);
    void definir_couleurs(std::uint32_t fond, std::uint32_t barre);
    int position() const { return position_; }
    int maximum() const { return maximum_; }

protected:
    void paintEvent(QPaintEvent* evenement) override;

private:
    int position_ = 0;
    int maximum_ = 0;
    bool avec_texte_;
    QColor fond_{Qt::black};
    QColor barre_{Qt::green};
};

// Un bouton rapide : image, légende éventuelle, bulle d'aide.
class BoutonRapide final : public QToolButton {
    Q_OBJECT

public:
    BoutonRapide(const QString& nom, const QIcon& image, const QString& legende, const QString& bulle,
                 QWidget* parent = nullptr);
};

// Ce qu'une ligne de liste dessinée montre, rangé dans les rôles de l'élément.
inline constexpr int role_cadenas = Qt::UserRole + 1;

// Les couleurs et la marge d'une liste dessinée : le fond, le texte, le texte de la ligne choisie
// (couleurs du jeu), le texte à `marge` pixels du bord, la marque à gauche de la ligne choisie et
// le cadenas à droite des lignes protégées.
struct StyleListe {
    QColor fond{Qt::white};
    QColor texte{Qt::black};
    QColor texte_actif{Qt::blue};
    // Fond de la ligne choisie ; invalide : le fond de la liste.
    QColor fond_actif;
    int marge = 20;
    const QPixmap* marque = nullptr;
    const QPixmap* cadenas = nullptr;
};

// Une ligne de liste qui sait se dessiner ; le délégué ne fait que l'appeler.
struct LigneDessinee {
    QString texte;
    bool cadenas = false;

    void peindre(QPainter& p, const QRect& rect, bool choisie, const StyleListe& style) const;
};

class DelegueLigne final : public QStyledItemDelegate {
public:
    explicit DelegueLigne(const StyleListe& style, QObject* parent = nullptr)
        : QStyledItemDelegate(parent), style_(style) {}
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const StyleListe& style_;
};

// Une liste déroulante dont chaque ligne est dessinée par LigneDessinee ; ses lignes ne changent que
// si le modèle en donne d'autres (un remplissage identique ne touche à rien).
class ListeDessinee final : public QComboBox {
    Q_OBJECT

public:
    ListeDessinee(const QString& nom, QWidget* parent = nullptr);
    StyleListe& style_lignes() { return style_; }
    void definir_lignes(const QStringList& lignes, const QList<bool>& cadenas, int position);
    // La ligne choisie par le programme (sans émettre choisie()).
    void definir_position(int position);

signals:
    // Le choix fait par l'utilisateur (pas par le programme).
    void choisie(int position);
    // Une touche pressée dans la liste : ctrl, alt, shift, entrée.
    void touche(bool ctrl, bool alt, bool shift, bool entree);

public:
    // La liste déroulante, prête : lignes dessinées, touches relayées par touche(). Elle n'est faite
    // qu'à la première ouverture (ou à la première demande) : les listes de la fenêtre principale
    // coûtaient au démarrage sans être ouvertes.
    QAbstractItemView* vue();
    void showPopup() override;

protected:
    void keyPressEvent(QKeyEvent* evenement) override;
    bool eventFilter(QObject* objet, QEvent* evenement) override;

private:
    StyleListe style_;
    QStringList lignes_;
    QList<bool> cadenas_;
    bool remplissage_ = false;
    bool vue_prete_ = false;
};

// Le dessin des plages horaires : bande des heures en haut, trois barres de 24 heures et le texte du
// jour de chacune à sa droite.
class DessinPlagesQt final : public QWidget {
    Q_OBJECT

public:
    explicit DessinPlagesQt(QWidget* parent = nullptr);
    void definir(const DessinPlages& dessin);
    QSize sizeHint() const override;

    static constexpr int hauteur_etiquettes = 12;
    static constexpr int hauteur_rangee = 14;

protected:
    void paintEvent(QPaintEvent* evenement) override;

private:
    DessinPlages dessin_;
};

}  // namespace lumi::ui
