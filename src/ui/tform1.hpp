#pragma once
// La fenêtre principale (TForm1) : une coquille Qt mince sur le compteur. Ce que chaque contrôle
// montre vient des modèles sans Qt (ModeleTForm1 du compteur, CommandesFenetre, ModesAffichage,
// ListeUtilisateurs) ; la fenêtre assemble ses zones (zones_tform1.hpp), leur transmet les événements
// et applique ce que les modèles disent après chacun. Chaque contrôle n'a qu'une maison, sa zone
// (ou menus(), minuteries()), où il garde son nom établi, comme membre et comme objectName. Les trois
// tailles et le glissement du coin (tailles_tform1.hpp), les minuteries et leurs gestionnaires
// (minuteries_tform1.hpp), l'icône de notification (icone_tform1.hpp), montrer et cacher
// (visibilite_tform1.hpp) et les boîtes ouvertes sans attendre leur réponse (boites_tform1.hpp) ont
// chacun leur fichier. Les fenêtres secondaires passent par le routeur (routeur()).
//
// Ordre d'emploi par le programme :
//   1. construire (les minuteries ne tournent pas encore, rien n'est montré) ;
//   2. selection_utilisateurs_au_demarrage(), puis selectionner_utilisateur() pour chaque argument ;
//   3. disposition_de_demarrage() ("taille", "taille reduite"), suivre_detection() si une détection
//      existe, restaurer_position() ;
//   4. installer_icone() ; puis montrer() sauf au démarrage invisible (cacher() alors) ;
//   5. demarrer() : premier top, boutons selon l'état des connexions, minuteries lancées ;
//   6. fin_du_demarrage() : les menus s'ouvrent au clic droit à partir d'ici.
// La fermeture (menu « &Quitter », fermeture de la fenêtre) pose la question des messages 53 à 56 ;
// acceptée, elle émet fermeture_acceptee() : au programme d'effacer l'instantané (sauf en fin de
// session) et de quitter, après enregistrer_position().
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/commandes_fenetre.hpp"
#include "core/modes_affichage.hpp"
#include "core/utilisateurs.hpp"

class QSystemTrayIcon;
class QUrl;

namespace lumi {

class AccesDistant;
class Compteur;
class Detection;
class Dialogue;
class JeuCouleurs;
class Registre;

namespace ui {
class BoitesTForm1;
class IconeTForm1;
class IconesLumi;
class MinuteriesTForm1;
class TaillesTForm1;
class VisibiliteTForm1;
class EcransQt;
class RouteurFenetres;
class ZoneAfficheur;
class ZoneBoutons;
class ZoneUtilisateur;
class ZoneChoix;
class ZoneInformation;
class ZoneDuForfait;
struct MenusTForm1;
}  // namespace ui

// Les coutures de la fenêtre en plus du compteur ; elles vivent plus longtemps qu'elle.
struct CouturesFenetre {
    Registre& registre;                     // utilisateurs, "params", drapeaux des options
    AccesDistant& acces_distant;            // annuaire, numéroter, raccrocher
    Dialogue& dialogue;                     // DialogueQt dans le programme, DialogueScripte dans les essais
    std::filesystem::path dossier_donnees;  // lumicompteur.ini, Couleur.ini
    // Dossier de l'aide HTML (une page "sujet-N.html" par numéro de sujet) ; vide : "aide" du dossier
    // de données, sinon celui des fichiers par défaut.
    std::filesystem::path dossier_aide;
};

class TForm1 final : public QWidget {
    Q_OBJECT

public:
    TForm1(Compteur& compteur, CouturesFenetre coutures, QWidget* parent = nullptr);
    ~TForm1() override;
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // --- Démarrage ---
    // Utilisateurs : "dernier utilisateur", liste rangée ; sans utilisateur rangé, les profils du
    // système deviennent la liste ; puis l'utilisateur de la session si "utiliser profil" (vide :
    // aucun). Le nom et le cadenas suivent.
    void selection_utilisateurs_au_demarrage(const std::vector<std::string>& profils,
                                             const std::string& utilisateur_systeme);
    // Un argument de la ligne de commande, premier "-" ôté, comparé sans casse aux utilisateurs ;
    // vrai si un utilisateur a été choisi. "-invisible" n'est pas un utilisateur : au programme.
    bool selectionner_utilisateur(const QString& argument);
    // Un second démarrage a rangé ses arguments dans "params" : montre la fenêtre, choisit chaque
    // utilisateur dont le nom paraît dans le texte (le dernier trouvé reste), efface "params".
    void second_demarrage();
    // La même chose avec les arguments déjà en main (sans passer par "params").
    void selectionner_utilisateurs(const QStringList& arguments);
    // Timer5 (scrutation des connexions) : réveillé par la veille de l'accès à distance quand il en
    // a une (un QSocketNotifier sur son descripteur), sinon mené toutes les 100 ms par un QTimer.
    void suivre_detection(Detection& detection);
    // Crée (ou recrée) l'icône de notification ; sans zone de notification, rien.
    void installer_icone();
    // FormActivate : premier top, boutons selon l'état des connexions, minuteries lancées.
    void demarrer();
    // Clic droit : les menus s'ouvrent à partir d'ici.
    void fin_du_demarrage();
    // La session se ferme : plus de question à la fermeture, l'instantané reste.
    void fermeture_session();

    // --- Les trois tailles ---
    // La disposition du démarrage ("taille" et "taille reduite"), la fenêtre pas encore montrée.
    void disposition_de_demarrage(const TailleDemarrage& taille);
    // "position x" et "position y" de lumicompteur.ini : lues au démarrage, écrites en quittant (si
    // elles ont été lues).
    void restaurer_position();
    void enregistrer_position();
    ModesAffichage& modes() { return *modes_; }
    // La disposition mesurée de chaque mode (SpeedButton10 et taille hors cadre).
    Disposition disposition(ModeAffichage mode) const;

    // --- Montrer et cacher ---
    void montrer();  // ShowApplication : visible, au premier plan, éléments du menu échangés
    // Dans la zone de notification ; là où il n'y en a pas, la fenêtre est réduite à la place.
    void cacher();
    bool zone_de_notification() const;
    bool fermeture_windows() const { return fermeture_windows_; }

    // --- Modèles (lecture et commandes, pour le programme et les essais) ---
    Compteur& compteur() { return compteur_; }
    CommandesFenetre& commandes() { return *commandes_; }
    ListeUtilisateurs& utilisateurs() { return *utilisateurs_; }
    ui::RouteurFenetres& routeur() { return *routeur_; }
    // Les fenêtres de l'exécution d'une programmation (décompte, "Déconnexion en cours..."), à
    // brancher sur la programmation du compteur avec les coutures de la plate-forme.
    ui::EcransQt& ecrans_programmation() { return *ecrans_; }
    const JeuCouleurs& couleurs() const { return *couleurs_; }
    const ui::IconesLumi& icones() const { return *icones_; }

    // Relit les modèles et met chaque contrôle à jour (appelé après chaque événement).
    void rafraichir();

    // --- Zones : chacune possède ses contrôles, sous leurs noms établis ---
    ui::ZoneAfficheur* zone_afficheur = nullptr;
    ui::ZoneBoutons* zone_boutons = nullptr;
    ui::ZoneUtilisateur* zone_utilisateur = nullptr;
    ui::ZoneChoix* zone_choix = nullptr;
    ui::ZoneInformation* zone_information = nullptr;
    ui::ZoneDuForfait* zone_du_forfait = nullptr;
    ui::MenusTForm1& menus() { return *menus_; }
    ui::MinuteriesTForm1& minuteries() { return *minuteries_; }

    // --- Gestionnaires (appelés par les contrôles ; publics pour les essais) ---
    void SpeedButton2Click();  // numéroter
    void SpeedButton3Click();  // raccrocher
    void SpeedButton6Click();  // aide, sujet 1
    void PopupMenu2Popup();    // reconstruit les entrées de l'annuaire, active les éléments
    void Clique(const QString& caption);
    void Panel1Click();  // rotation des rangées
    void Panel2Click();  // durée ou heure
    void Panel4Click();  // 2 ou 3 décimales
    // L'icône de notification : clic gauche ou double clic du milieu, clic droit.
    void icone_cliquee(Qt::MouseButton bouton, QPoint position);
    // Ouvre l'aide HTML au sujet donné.
    void ouvrir_aide(int sujet);

    // Ouvre une adresse (aide, courrier, page web) ; les essais la remplacent. Faux : rien ne l'a prise.
    std::function<bool(const QUrl&)> ouvreur_url;

signals:
    // La fermeture est acceptée : le programme efface l'instantané sauf en fin de session, puis
    // quitte.
    void fermeture_acceptee(bool fin_de_session);
    // Une boîte TFinforfait a été montrée (essais).
    void fin_forfait_montree();

protected:
    void closeEvent(QCloseEvent* evenement) override;
    void contextMenuEvent(QContextMenuEvent* evenement) override;
    void changeEvent(QEvent* evenement) override;
    void showEvent(QShowEvent* evenement) override;
    void hideEvent(QHideEvent* evenement) override;

private:
    void construire();
    void brancher_zones();
    void construire_menus();
    void appliquer_couleurs();    // affect_color
    void apres_evenement();       // minuteries suivies, puis rafraîchissement
    void rafraichir_afficheur();  // l'afficheur, le titre et l'icône seuls
    void appliquer_menus();
    void appliquer_icone();
    void ouvrir_ComboBox1();
    void touche_ComboBox1(bool ctrl, bool alt, bool shift, bool entree);
    void deconnexion_terminee(bool reussie);
    void demander_options(int page);
    void demander_historique();
    void demander_programmation();
    // Après un changement de mode : montrée sauf si le programme, lancé caché, ne l'a pas encore
    // été ; puis l'icône recréée.
    void remontrer(bool etait_visible);

    Compteur& compteur_;
    Registre& registre_;
    AccesDistant& acces_distant_;
    Dialogue& dialogue_;
    std::filesystem::path dossier_;
    std::unique_ptr<JeuCouleurs> couleurs_;
    std::unique_ptr<CommandesFenetre> commandes_;
    std::unique_ptr<ListeUtilisateurs> utilisateurs_;
    std::unique_ptr<ModesAffichage> modes_;
    std::unique_ptr<ui::MenusTForm1> menus_;
    ui::RouteurFenetres* routeur_ = nullptr;
    std::unique_ptr<ui::IconesLumi> icones_;
    // Après les modèles qu'elles rappellent : détruites avant eux.
    std::unique_ptr<ui::BoitesTForm1> boites_;
    std::unique_ptr<ui::IconeTForm1> icone_;
    std::unique_ptr<ui::VisibiliteTForm1> visibilite_;
    std::unique_ptr<ui::MinuteriesTForm1> minuteries_;
    ui::TaillesTForm1* tailles_ = nullptr;
    std::unique_ptr<ui::EcransQt> ecrans_;

    // Ce qui a déjà été appliqué : rien n'est refait tant que le modèle n'a pas changé.
    std::string titre_applique_;

    bool demarrage_fini_ = false;
    bool fermeture_windows_ = false;
    bool deconnexion_en_cours_ = false;
    bool question_ouverte_ = false;
};

}  // namespace lumi
