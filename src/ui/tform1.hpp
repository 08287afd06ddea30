#pragma once
// La fenêtre principale (TForm1) : une coquille Qt mince sur le compteur. Ce que chaque contrôle
// montre vient des modèles sans Qt (ModeleTForm1 du compteur, CommandesFenetre, ListeUtilisateurs) ;
// la fenêtre construit les contrôles, leur transmet les événements et applique ce que les modèles
// disent après chacun. Les contrôles gardent leurs noms établis, comme membres et comme objectName.
//
// Ordre d'emploi par le programme :
//   1. construire (les minuteries ne tournent pas encore, rien n'est montré) ;
//   2. selection_utilisateurs_au_demarrage(), puis selectionner_utilisateur() pour chaque argument ;
//   3. suivre_detection() si une détection existe ;
//   4. installer_icone() ; puis montrer() sauf au démarrage invisible (cacher() alors) ;
//   5. demarrer() : premier top, boutons selon l'état des connexions, minuteries lancées ;
//   6. fin_du_demarrage() : les menus s'ouvrent au clic droit à partir d'ici.
// La fermeture (menu « &Quitter », fermeture de la fenêtre) pose la question des messages 53 à 56 ;
// acceptée, elle émet fermeture_acceptee() : au programme d'effacer l'instantané (sauf en fin de
// session) et de quitter.
#include <QColor>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/commandes_fenetre.hpp"
#include "core/utilisateurs.hpp"
#include "tariff/affichage_tarif.hpp"

class QAction;
class QLabel;
class QMenu;
class QSocketNotifier;
class QSystemTrayIcon;
class QTimer;
class QUrl;

namespace lumi {

class AccesDistant;
class Compteur;
class Detection;
class Dialogue;
class JeuCouleurs;
class Registre;

namespace ui {
class Panneau;
class JaugeQt;
class BoutonRapide;
class ListeDessinee;
class DessinPlagesQt;
class IconesLumi;
class Tinfoform;
class Tsplashscreen;
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
    const JeuCouleurs& couleurs() const { return *couleurs_; }
    QSystemTrayIcon* icone_notification() const { return icone_; }

    // Relit les modèles et met chaque contrôle à jour (appelé après chaque événement).
    void rafraichir();

    // --- Contrôles, sous leurs noms établis ---
    // L'afficheur noir et ses rangées, dans le cadre Panel6 avec les boutons de notification et de taille.
    ui::Panneau* Panel6 = nullptr;
    ui::Panneau* Panel5 = nullptr;   // cadre de l'afficheur
    ui::Panneau* Panel2 = nullptr;   // durée ou heure
    ui::Panneau* Panel3 = nullptr;   // couleur de la plage en vigueur
    ui::Panneau* Panel4 = nullptr;   // prix
    ui::Panneau* Panel1 = nullptr;   // première rangée de texte
    ui::Panneau* Panel20 = nullptr;  // seconde rangée de texte
    ui::JaugeQt* Gauge1 = nullptr;   // jauge fine du crédit temps ou du pas
    QLabel* Image6 = nullptr;        // programmation en cours (sur l'afficheur)
    // Zone de l'utilisateur.
    ui::Panneau* Panel33 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Image12 = nullptr;  // cadenas
    ui::BoutonRapide* SpeedButton17 = nullptr;
    ui::ListeDessinee* ComboBox1 = nullptr;
    // Libellés du tarif et de l'option, et leurs listes.
    QLabel* Label_tarif = nullptr;
    QLabel* Label_option = nullptr;
    ui::BoutonRapide* SpeedButton14 = nullptr;
    ui::BoutonRapide* SpeedButton15 = nullptr;
    ui::ListeDessinee* ComboBox2 = nullptr;
    ui::ListeDessinee* ComboBox3 = nullptr;
    // Zone d'information tarifaire, dessin des plages, voyant du jour férié, zone du forfait.
    ui::DessinPlagesQt* dessin_plages = nullptr;
    QLabel* Image14 = nullptr;
    QWidget* zone_forfait = nullptr;
    ui::JaugeQt* Gauge2 = nullptr;
    QLabel* Label10 = nullptr;
    // Boutons.
    ui::BoutonRapide* SpeedButton1 = nullptr;
    ui::BoutonRapide* SpeedButton2 = nullptr;
    ui::BoutonRapide* SpeedButton3 = nullptr;
    ui::BoutonRapide* SpeedButton4 = nullptr;
    ui::BoutonRapide* SpeedButton5 = nullptr;
    ui::BoutonRapide* SpeedButton6 = nullptr;
    ui::BoutonRapide* SpeedButton7 = nullptr;
    ui::BoutonRapide* SpeedButton8 = nullptr;
    ui::BoutonRapide* SpeedButton10 = nullptr;
    ui::BoutonRapide* SpeedButton11 = nullptr;
    // Menus surgissants.
    QMenu* PopupMenu1 = nullptr;  // prix : TTC / HT, 2 ou 3 décimales
    QMenu* PopupMenu2 = nullptr;  // menu principal (fond de la fenêtre et icône)
    QMenu* PopupMenu3 = nullptr;  // durée ou heure
    QMenu* PopupMenu4 = nullptr;  // sélecteur d'utilisateur
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
    // Minuteries.
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* Timer4 = nullptr;
    QTimer* Timer5 = nullptr;
    QSocketNotifier* veille_Timer5 = nullptr;  // nul quand l'accès à distance ne sait pas veiller

    // --- Gestionnaires (appelés par les contrôles ; publics pour les essais) ---
    void SpeedButton2Click();  // numéroter
    void SpeedButton3Click();  // raccrocher
    void SpeedButton6Click();  // aide, sujet 1
    void PopupMenu2Popup();    // reconstruit les entrées de l'annuaire, active les éléments
    void Clique(const QString& caption);
    void Panel1Click();  // rotation des rangées
    void Panel2Click();  // durée ou heure
    void Panel4Click();  // 2 ou 3 décimales
    void Timer2Timer();
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
    // Fenêtres qui viennent d'ailleurs ; sans récepteur, la fenêtre le dit dans une boîte.
    void options_demandees(int page);  // 0 : première page ; 1 : gestion des utilisateurs
    void historique_demande();
    void programmation_demandee();
    // Une boîte TFinforfait a été montrée (essais).
    void fin_forfait_montree();

protected:
    void closeEvent(QCloseEvent* evenement) override;
    void contextMenuEvent(QContextMenuEvent* evenement) override;
    void changeEvent(QEvent* evenement) override;
    void showEvent(QShowEvent* evenement) override;
    void hideEvent(QHideEvent* evenement) override;
    bool eventFilter(QObject* objet, QEvent* evenement) override;

private:
    // Ce qui, changé par la scrutation, demande de relire les modèles (avec les lignes d'état 0 et 1).
    struct Empreinte {
        bool compteur_actif = false;
        std::uint64_t version_timer2 = 0;
        bool fenetre_visible = true;
        int reaffichages_icone = 0, modifications_icone = 0, demandes_Tinfoform = 0;
        std::size_t avis_fin_forfait = 0;
        friend bool operator==(const Empreinte&, const Empreinte&) = default;
    };
    // Une rangée de prix de la zone d'information : pastille, prix par minute, total d'une heure.
    struct RangeeTarif {
        QLabel* pastille = nullptr;
        QLabel* par_minute = nullptr;
        QLabel* total = nullptr;
    };

    void construire();
    void construire_afficheur(QWidget* parent);
    void construire_menus();
    void construire_minuteries();
    void appliquer_couleurs();  // affect_color
    bool empreinte_changee();
    void apres_evenement();       // minuteries suivies, puis rafraîchissement
    void rafraichir_afficheur();  // l'afficheur, le titre et l'icône seuls
    void rafraichir_zone_tarif();
    void appliquer_menus();
    void appliquer_icone();
    void appliquer_visibilite();
    void montrer_avis_en_attente();
    void synchroniser_minuteries();
    // Un passage de la scrutation, par sa minuterie ou par la veille.
    void scrutation(bool sur_veille);
    // Veille et 100 ms selon ce que la détection dit : rien hors scrutation de l'accès à distance.
    void regler_scrutation();
    void ouvrir_ComboBox1();
    void touche_ComboBox1(bool ctrl, bool alt, bool shift, bool entree);
    void ouvrir_url(const QString& url);
    void deconnexion_terminee(bool reussie);
    void demander_fenetre(bool connecte, const char* nom, const std::function<void()>& emettre);
    void demander_options(int page);
    void demander_historique();
    void demander_programmation();

    Compteur& compteur_;
    Registre& registre_;
    AccesDistant& acces_distant_;
    Dialogue& dialogue_;
    std::filesystem::path dossier_;
    std::filesystem::path dossier_aide_;
    std::unique_ptr<JeuCouleurs> couleurs_;
    std::unique_ptr<CommandesFenetre> commandes_;
    std::unique_ptr<ListeUtilisateurs> utilisateurs_;
    std::unique_ptr<ui::IconesLumi> icones_;
    Detection* detection_ = nullptr;
    QSystemTrayIcon* icone_ = nullptr;
    ui::Tsplashscreen* splash_ = nullptr;
    QPointer<ui::Tinfoform> infoform_;
    QColor fond_messages_;

    // Contrôles de la zone d'information (sans nom établi).
    QLabel* label_pas = nullptr;
    QLabel* label_connexion = nullptr;
    QLabel* label_credit = nullptr;
    QLabel* titre_total = nullptr;
    std::array<RangeeTarif, 3> rangees_tarif{};
    QWidget* zone_legende = nullptr;
    QLabel* legende_pastille1 = nullptr;
    QLabel* legende_pastille2 = nullptr;
    QLabel* legende_l1 = nullptr;
    QLabel* legende_l2 = nullptr;
    QLabel* legende_sans_avantage = nullptr;
    QLabel* titre_zones = nullptr;
    QLabel* label_temps_restant = nullptr;
    QLabel* label_decompte = nullptr;

    // Ce qui a déjà été appliqué : rien n'est refait tant que le modèle n'a pas changé.
    std::optional<ZoneInformationTarif> zone_appliquee_;
    Empreinte empreinte_;
    std::array<std::string, 2> lignes_vues_;
    std::optional<ModeleMenus> menus_appliques_;
    std::vector<std::string> lignes_ComboBox2_, lignes_ComboBox3_;
    std::vector<LigneUtilisateur> lignes_ComboBox1_;
    std::string titre_applique_, info_bulle_appliquee_;

    bool demarrage_fini_ = false;
    bool fermeture_windows_ = false;
    bool minuteries_lancees_ = false;
    bool visibilite_suivie_ = false;  // montrer() ou cacher() a été appelé
    bool visible_applique_ = false;
    bool deconnexion_en_cours_ = false;
    bool scrutation_en_cours_ = false;
    bool question_ouverte_ = false;
    bool image6_applique_ = false;
    ImageIcone image_appliquee_ = ImageIcone::numerotation;
    std::size_t avis_montres_ = 0;
    int demandes_info_vues_ = 0;
    std::uint64_t version_timer1_ = 0, version_timer2_ = 0, version_timer4_ = 0, version_timer5_ = 0;
    bool premiere_timer1_ = true, premiere_timer2_ = true, premiere_timer4_ = true, premiere_timer5_ = true;
};

}  // namespace lumi
