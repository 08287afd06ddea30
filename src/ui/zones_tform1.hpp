#pragma once
// Les zones de la fenêtre principale : l'afficheur (dans son cadre, avec les boutons de notification
// et de taille), les boutons, l'utilisateur, le tarif et l'option, l'information tarifaire, le
// forfait, et les menus. Chaque zone construit ses contrôles sous leurs noms établis et applique la
// part du modèle qui la regarde ; TForm1 les assemble, et un mode d'affichage n'est qu'un choix de
// zones et une disposition (ZoneAfficheur::disposer).
#include <QFrame>
#include <QString>
#include <array>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/fenetre_principale.hpp"
#include "core/modes_affichage.hpp"
#include "core/utilisateurs.hpp"

class QAction;
class QGridLayout;
class QLabel;
class QMenu;

namespace lumi {
struct ChoixTarifaire;
struct CouleursFenetre;
}  // namespace lumi

namespace lumi::ui {

class BoutonRapide;
class DessinPlagesQt;
class EtiquetteElidee;
class IconesLumi;
class JaugeQt;
class ListeDessinee;
class Panneau;

// Le cadre relevé Panel6 : l'afficheur noir Panel5 (durée, plage, prix, deux rangées de texte,
// voyant de programmation, jauge fine) et les boutons de notification et de taille.
class ZoneAfficheur final : public QWidget {
    Q_OBJECT

signals:
    void Image6_clique();  // le voyant de programmation ouvre la programmation

public:
    ZoneAfficheur(IconesLumi& icones, QWidget* parent);

    // Normale et afficheur : deux rangées sous les chiffres, les deux boutons l'un sur l'autre. Barre :
    // une seule ligne (chiffres, puis la rangée, la jauge dessous), boutons côte à côte, `largeur_barre`
    // de large.
    void disposer(ModeAffichage mode, int largeur_barre);
    // Durée, plage, prix, rangées, jauge et voyant ; `image6` : le voyant montre son image.
    void appliquer(const ModeleTForm1& f, bool image6, const QPixmap& image_programmation);

    Panneau* Panel6 = nullptr;
    Panneau* Panel5 = nullptr;
    Panneau* Panel2 = nullptr;
    Panneau* Panel3 = nullptr;
    Panneau* Panel4 = nullptr;
    Panneau* Panel1 = nullptr;
    Panneau* Panel20 = nullptr;
    JaugeQt* Gauge1 = nullptr;
    QLabel* Image6 = nullptr;
    BoutonRapide* SpeedButton8 = nullptr;
    BoutonRapide* SpeedButton10 = nullptr;

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;

private:
    QGridLayout* grille_cadre_ = nullptr;
    QGridLayout* grille_afficheur_ = nullptr;
    QWidget* rangees_ = nullptr;
    int hauteur_rangee_ = 0;
    bool image6_applique_ = false;
    bool barre_ = false;
};

// Connexion, déconnexion, comptage manuel, programmation, puis options, historique et aide.
class ZoneBoutons final : public QWidget {
    Q_OBJECT

public:
    ZoneBoutons(IconesLumi& icones, const ModeleTForm1& f, QWidget* parent);
    void appliquer(const ModeleTForm1& f);

    BoutonRapide* SpeedButton1 = nullptr;
    BoutonRapide* SpeedButton2 = nullptr;
    BoutonRapide* SpeedButton3 = nullptr;
    BoutonRapide* SpeedButton4 = nullptr;
    BoutonRapide* SpeedButton5 = nullptr;
    BoutonRapide* SpeedButton6 = nullptr;
    BoutonRapide* SpeedButton7 = nullptr;
    BoutonRapide* SpeedButton11 = nullptr;
};

// "Utilisateur en cours :", le nom (Label6 posé sur ComboBox1), le cadenas et le bouton de la liste.
class ZoneUtilisateur final : public QFrame {
    Q_OBJECT

signals:
    void Label6_clique();   // le nom déroule la liste
    void Image12_clique();  // le cadenas

public:
    ZoneUtilisateur(IconesLumi& icones, QWidget* parent);
    // Le nom, le cadenas et la liste ; la liste n'est refaite que si ses lignes changent.
    void appliquer(const ListeUtilisateurs& utilisateurs);
    // Les couleurs de Couleur.ini sur la liste et le nom ; la marque et le cadenas des lignes.
    void appliquer_couleurs(const CouleursFenetre& c, const IconesLumi& icones);

    Panneau* Panel33 = nullptr;
    EtiquetteElidee* Label6 = nullptr;
    QLabel* Image12 = nullptr;
    BoutonRapide* SpeedButton17 = nullptr;
    ListeDessinee* ComboBox1 = nullptr;

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;

private:
    std::vector<LigneUtilisateur> lignes_ComboBox1_;
};

// Le tarif et l'option en vigueur, chacun posé sur sa liste, et les boutons qui les déroulent.
class ZoneChoix final : public QFrame {
    Q_OBJECT

public:
    ZoneChoix(IconesLumi& icones, QWidget* parent);
    // Les libellés, les boutons qui déroulent et les deux listes ; une liste n'est refaite que si
    // ses lignes changent.
    void appliquer(const ChoixTarifaire& choix, const ModeleTForm1& f);
    void appliquer_couleurs(const CouleursFenetre& c, const IconesLumi& icones);

    EtiquetteElidee* Label_tarif = nullptr;
    EtiquetteElidee* Label_option = nullptr;
    BoutonRapide* SpeedButton14 = nullptr;
    BoutonRapide* SpeedButton15 = nullptr;
    ListeDessinee* ComboBox2 = nullptr;
    ListeDessinee* ComboBox3 = nullptr;

private:
    std::vector<std::string> lignes_ComboBox2_, lignes_ComboBox3_;
};

// La zone d'information tarifaire : connexion, crédit temps, pas, trois rangées de prix, légende,
// voyant du jour férié et dessin des plages.
class ZoneInformation final : public QFrame {
    Q_OBJECT

public:
    ZoneInformation(IconesLumi& icones, QWidget* parent);
    // La zone tarifaire du modèle (refaite seulement si elle change), le voyant du jour férié et le
    // libellé du total ("Total TTC" ou "Total HT").
    void appliquer(const ModeleTForm1& f, const std::string& libelle_total);

    DessinPlagesQt* dessin_plages = nullptr;
    QLabel* Image14 = nullptr;
    QLabel* Panel13 = nullptr;  // "Total TTC" ou "Total HT"

private:
    struct RangeeTarif {
        QLabel* pastille = nullptr;
        QLabel* par_minute = nullptr;
        QLabel* total = nullptr;
    };
    EtiquetteElidee* label_pas = nullptr;
    EtiquetteElidee* label_connexion = nullptr;
    EtiquetteElidee* label_credit = nullptr;
    std::array<RangeeTarif, 3> rangees_tarif{};
    QWidget* zone_legende = nullptr;
    QLabel* legende_pastille1 = nullptr;
    QLabel* legende_pastille2 = nullptr;
    EtiquetteElidee* legende_l1 = nullptr;
    EtiquetteElidee* legende_l2 = nullptr;
    QLabel* legende_sans_avantage = nullptr;
    QLabel* titre_zones = nullptr;
    std::optional<ZoneInformationTarif> applique_;
};

// La zone du forfait : temps restant, jauge Gauge2, prochaine remise à zéro, décompte.
class ZoneDuForfait final : public QFrame {
    Q_OBJECT

public:
    explicit ZoneDuForfait(QWidget* parent);
    // Le contenu, refait seulement s'il change ; sa visibilité dépend aussi du mode : TForm1 la règle.
    void appliquer(const ZoneForfait& z);

    JaugeQt* Gauge2 = nullptr;
    EtiquetteElidee* Label10 = nullptr;

private:
    EtiquetteElidee* label_temps_restant = nullptr;
    EtiquetteElidee* label_decompte = nullptr;
    std::optional<ZoneForfait> applique_;
};

// Les menus surgissants et leurs éléments, sous leurs noms établis. Les menus naissent vides ; chaque
// élément vient d'une ligne de la table de TForm1 qui le crée et nomme son gestionnaire.
struct MenusTForm1 {
    explicit MenusTForm1(QWidget* parent);

    // Un élément qui se coche, un élément précédé d'un séparateur (à combiner).
    enum Forme : unsigned { simple = 0, cochable = 1, separe = 2 };
    // Une ligne de la table : le membre qui garde l'élément, son nom établi, sa légende, ce qu'il
    // fait (vide : rien, un élément que le modèle éteint) et sa forme.
    struct Ligne {
        QAction* MenusTForm1::*action;
        const char* nom;
        std::string_view legende;
        std::function<void()> faire;
        unsigned forme = simple;
    };
    // Les éléments de `menu`, à la suite, dans l'ordre de la table.
    void ajouter(QMenu* menu, std::initializer_list<Ligne> lignes);

    // Les éléments fixes prennent leur texte, les entrées de l'annuaire (sous « Se &connecter à » et
    // dans PopupMenu6) sont refaites si leur liste a changé ; rien n'est touché si rien n'a changé.
    void appliquer(const ModeleMenus& m, const ModelePopupMenu5& m5, bool reduir_visible,
                   bool restaurer_visible);
    // Une entrée de l'annuaire choisie, par son nom.
    std::function<void(const QString& entree)> entree_choisie;

    QMenu* PopupMenu1 = nullptr;  // prix : TTC / HT, 2 ou 3 décimales
    QMenu* PopupMenu2 = nullptr;  // menu principal (fond de la fenêtre et icône)
    QMenu* PopupMenu3 = nullptr;  // durée ou heure
    QMenu* PopupMenu4 = nullptr;  // sélecteur d'utilisateur
    QMenu* PopupMenu5 = nullptr;  // bouton de taille : les trois modes
    QMenu* PopupMenu6 = nullptr;  // entrées de l'annuaire
    QMenu* Seconnecter1_sous_menu = nullptr;
    QAction* Historique1 = nullptr;
    QAction* Options1 = nullptr;
    QAction* Seconnecter1 = nullptr;
    QAction* Sedeconnecter1 = nullptr;
    QAction* Programmation1 = nullptr;
    QAction* Email1 = nullptr;
    QAction* Web1 = nullptr;
    QAction* Aide1 = nullptr;
    QAction* reduir = nullptr;
    QAction* restaurer = nullptr;
    QAction* Fermer1 = nullptr;
    QAction* ttcpopup = nullptr;
    QAction* htpopup = nullptr;
    QAction* deuxdeci = nullptr;
    QAction* troisdeci = nullptr;
    QAction* Duree1 = nullptr;
    QAction* Heure1 = nullptr;
    QAction* Utilisateurs1 = nullptr;
    QAction* afficheur = nullptr;
    QAction* barre = nullptr;
    QAction* Taillenormale = nullptr;

private:
    void remplir_annuaire(QMenu* menu, const std::vector<std::string>& entrees);

    QWidget* parent_;  // la fenêtre, qui porte les connexions des éléments

    std::optional<ModeleMenus> applique_;
    std::optional<ModelePopupMenu5> applique5_;
};

}  // namespace lumi::ui
