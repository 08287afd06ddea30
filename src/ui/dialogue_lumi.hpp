#pragma once
// La base des petites fenêtres du programme : titre, panneau coloré (fond "fond combobox" ou celui
// que donne l'appelant, texte noir), sujet d'aide ouvert par F1, boutons français, et centrage à
// l'écran. Chaque fenêtre n'y ajoute que son contenu.
#include <QColor>
#include <QDialog>
#include <QString>
#include <functional>

class QFrame;
class QPushButton;

namespace lumi::ui {

class DialogueLumi : public QDialog {
    Q_OBJECT

public:
    // `nom` : l'objectName établi de la fenêtre (TFinforfait, Tinfoform...).
    DialogueLumi(const QString& nom, const QString& titre, QWidget* parent = nullptr);

    // La place que la barre de titre prend en plus du texte (icône, boutons, bords), en pixels.
    static constexpr int marge_titre = 110;

    // Le sujet d'aide qu'ouvre F1 (0 : aucun) et qui l'ouvre.
    void definir_aide(int sujet, std::function<void(int)> ouvrir_aide);
    int sujet_aide() const { return sujet_aide_; }
    // Ouvre le sujet d'aide, comme F1 (un bouton « &Aide » s'y relie).
    void ouvrir_sujet_aide();

    // Le panneau coloré et le bouton ci-dessous, posés sur un autre parent (un onglet).
    static QFrame* panneau_colore(QWidget* parent, QColor fond, const QString& nom);
    static QPushButton* bouton(QWidget* parent, const QString& texte, const QString& nom,
                               bool defaut = false);

protected:
    // Le panneau coloré, enfoncé, texte noir, nommé `nom` (Panel1 le plus souvent).
    QFrame* panneau_colore(QColor fond, const QString& nom = QStringLiteral("Panel1"));
    // Un bouton français ("OK", "&Valider", "&Annuler"...) ; `defaut` : celui d'Entrée.
    QPushButton* bouton(const QString& texte, const QString& nom, bool defaut = false);
    // Taille ajustée au contenu, assez large pour que la barre de titre montre le titre entier, puis
    // centrée sur l'écran de la fenêtre. `fixe` : une petite boîte garde cette taille ; le gestionnaire
    // de fenêtres ne lui dessine alors ni poignée sous les boutons ni bouton d'agrandissement.
    void centrer(bool fixe = false);

    void keyPressEvent(QKeyEvent* evenement) override;

private:
    int sujet_aide_ = 0;
    std::function<void(int)> ouvrir_aide_;
};

}  // namespace lumi::ui
