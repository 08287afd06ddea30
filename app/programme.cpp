#include "programme.hpp"

#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <QWindow>

#include "base/erreurs.hpp"
#include "base/horloge.hpp"
#include "base/locale.hpp"
#include "core/compteur.hpp"
#include "core/couleurs.hpp"
#include "core/demarrage.hpp"
#include "core/detection.hpp"
#include "arret_logind.hpp"
#include "platform/linux/acces_distant_linux.hpp"
#include "platform/linux/fenetres_x11.hpp"
#include "platform/linux/notifications_dbus.hpp"
#include "platform/linux/son_linux.hpp"
#include "platform/linux/systeme_linux.hpp"
#include "platform/linux/telephonie_absente.hpp"
#include "platform/linux/telephonie_modem.hpp"
#include "platform/simulation/acces_distant_scripte.hpp"
#include "platform/simulation/programmation_simulee.hpp"
#include "platform/simulation/telephonie_simulee.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/registre_sqlite.hpp"
#include "ui/accueil/route_accueil.hpp"
#include "ui/dialogue_qt.hpp"
#include "ui/historique/route_historique.hpp"
#include "ui/icones.hpp"
#include "ui/options/route_options.hpp"
#include "ui/programmation/route_programmation.hpp"
#include "ui/programmation/tdeconectform.hpp"
#include "ui/routeur_fenetres.hpp"
#include "ui/tform1.hpp"
#include "ui/zones_tform1.hpp"

namespace lumi {

namespace fs = std::filesystem;

namespace {

// Un dossier absent ou vide reçoit les fichiers par défaut ; un dossier déjà en service garde ce
// qu'il a, si bien qu'un fichier de données manquant y est signalé au démarrage.
void preparer_dossier(const fs::path& dossier) {
    std::error_code erreur;
    if (fs::exists(dossier, erreur) && !fs::is_empty(dossier, erreur)) return;
    amorcer_dossier_donnees(dossier, dossier_donnees_par_defaut(dossier_executable_courant()));
}

// La démonstration : l'entrée « MonFAI » numérote 3 s après le démarrage, s'authentifie 3 s plus
// tard (le comptage commence), puis disparaît après la durée demandée.
constexpr std::int64_t demo_numerotation_ms = 3000;
constexpr std::int64_t demo_authentification_ms = 6000;
constexpr std::int64_t demo_connecte_ms = 7000;
constexpr const char* entree_demo = "MonFAI";

// Le démarrage vu par la fenêtre Qt.
class CoquilleQt final : public CoquilleDemarrage {
public:
    CoquilleQt(TForm1& fenetre, DialogueQt& dialogue) : fenetre_(fenetre), dialogue_(dialogue) {}
    void selection_utilisateurs(const std::vector<std::string>& profils,
                                const std::string& session) override {
        fenetre_.selection_utilisateurs_au_demarrage(profils, session);
    }
    void selectionner_utilisateur(const std::string& argument) override {
        fenetre_.selectionner_utilisateur(QString::fromStdString(argument));
    }
    void disposer_fenetre(const TailleDemarrage& taille) override {
        fenetre_.disposition_de_demarrage(taille);
    }
    void restaurer_position() override { fenetre_.restaurer_position(); }
    void suivre_detection(Detection& detection) override { fenetre_.suivre_detection(detection); }
    void installer_icone() override { fenetre_.installer_icone(); }
    void montrer() override { fenetre_.montrer(); }
    void cacher() override { fenetre_.cacher(); }
    // La fenêtre montrée, le compteur tourne : ce qui suit (l'accueil, les boîtes de la fin du
    // démarrage) est modal, et une connexion faite pendant ce temps est détectée, comptée et
    // enregistrée comme à l'ordinaire.
    void fin_du_demarrage() override {
        fenetre_.fin_du_demarrage();
        fenetre_.demarrer();
    }
    // La fenêtre d'accueil et d'import de l'historique, quand sa route existe (la démonstration n'en
    // a pas). Modale, elle est fermée par la fin de la session comme les boîtes : la première
    // utilisation n'est alors pas finie, et l'accueil revient au démarrage suivant.
    void premiere_utilisation() override {
        if (fenetre_.routeur().disponible(FenetreSecondaire::accueil)) {
            fenetre_.routeur().ouvrir(FenetreSecondaire::accueil);
            if (dialogue_.abandonnee()) throw BoiteAbandonnee{};
        }
    }

private:
    TForm1& fenetre_;
    DialogueQt& dialogue_;
};

}  // namespace

struct Programme::Etat {
    OptionsProgramme options;
    fs::path chemin_programme;
    fs::path dossier;

    HorlogeSysteme horloge;
    std::unique_ptr<RegistreSqlite> registre;
    std::unique_ptr<AccesDistant> acces;
    AccesDistantScripte* acces_demo = nullptr;
    std::unique_ptr<SourceAdresse> adresse;
    std::unique_ptr<Telephonie> telephonie;
    std::unique_ptr<QSocketNotifier> evenements_telephonie;
    DialogueQt dialogue;
    SonLinux son;
    SystemeLinux systeme;
    // La déconnexion programmée : arrêt de la machine, fenêtres des autres programmes, trafic.
    std::unique_ptr<ArretSysteme> arret;
    std::unique_ptr<FenetresSysteme> fenetres;
    std::unique_ptr<TraficReseau> trafic;
    std::unique_ptr<Notifications> notifications;

    std::unique_ptr<Compteur> compteur;
    std::unique_ptr<ActionsCompteur> actions;
    std::unique_ptr<Detection> detection;
    std::unique_ptr<TForm1> fenetre;
    std::unique_ptr<Demarrage> demarrage;
    std::unique_ptr<CoquilleQt> coquille;
    bool en_demarrage = false;
    bool ferme = false;
};

fs::path Programme::dossier_choisi(const OptionsProgramme& options) {
    return choisir_dossier_donnees(options.dossier, dossier_executable_courant());
}

Programme::Programme(OptionsProgramme options, fs::path chemin_programme, QObject* parent)
    : QObject(parent), e_(std::make_unique<Etat>()) {
    e_->options = std::move(options);
    e_->chemin_programme = std::move(chemin_programme);
    e_->dossier = dossier_choisi(e_->options);
    preparer_dossier(e_->dossier);
    e_->registre = std::make_unique<RegistreSqlite>(e_->dossier / RegistreSqlite::nom_fichier);

    if (e_->options.demo) {
        auto acces = std::make_unique<AccesDistantScripte>(e_->horloge);
        acces->definir_annuaire({entree_demo});
        e_->acces_demo = acces.get();
        e_->acces = std::move(acces);
        e_->adresse = std::make_unique<AdresseSimulee>();
        e_->telephonie = std::make_unique<TelephonieSimulee>();
        // La démonstration n'éteint pas la machine : l'arrêt est noté seulement.
        e_->arret = std::make_unique<ArretSimule>();
        // Ni le bureau : la démonstration ne parle que dans ses fenêtres.
        e_->notifications = std::make_unique<SansNotifications>();
    } else {
        auto acces = AccesDistantLinux::du_systeme(e_->dossier);
        e_->adresse = std::make_unique<AdressePpp>(*acces);
        e_->trafic = std::make_unique<TraficPpp>(*acces);
        e_->arret = std::make_unique<ArretLogind>();
        e_->notifications = std::make_unique<NotificationsDbus>();
        e_->acces = std::move(acces);
        // ModemManager sur le bus : ses modems sont les lignes ; sinon la détection scrute.
        if (auto modems = TelephonieModem::si_present()) {
            e_->telephonie = std::move(modems);
        } else {
            e_->telephonie = std::make_unique<TelephonieAbsente>();
        }
    }
    // Les événements de la téléphonie passent par la boucle du programme, comme les minuteries.
    if (const int fd = e_->telephonie->descripteur_evenements(); fd >= 0) {
        e_->evenements_telephonie = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(e_->evenements_telephonie.get(), &QSocketNotifier::activated, this,
                [this] { e_->telephonie->traiter_evenements(); });
    }

    // Les fenêtres des autres programmes, sous X11 seulement (Wayland ne les montre pas), regardées
    // par la seule surveillance des téléchargements : connectées au premier usage.
    e_->fenetres = std::make_unique<FenetresALaDemande>([] { return std::make_unique<FenetresX11>(); });

    ReglagesCompteur reglages;
    reglages.locale = lire_valeurs_locales_systeme();
    const QScreen* ecran = QGuiApplication::primaryScreen();
    const int profondeur = ecran != nullptr ? ecran->depth() : 24;
    try {
        reglages.couleurs = JeuCouleurs(e_->dossier / fichier_couleurs, profondeur).couleurs_taux();
    } catch (const std::exception&) {
        // Couleur.ini illisible : les couleurs par défaut ; la fenêtre le signale en l'appliquant.
    }
    e_->compteur = std::make_unique<Compteur>(
        CouturesCompteur{e_->horloge, *e_->registre, *e_->acces, *e_->adresse, e_->dialogue, e_->son},
        e_->dossier, reglages);
    e_->compteur->brancher_notifications(e_->notifications.get());
    e_->actions = std::make_unique<ActionsCompteur>(*e_->compteur);
    e_->detection = std::make_unique<Detection>(
        CouturesDetection{e_->horloge, *e_->registre, *e_->acces, *e_->telephonie, e_->dialogue},
        *e_->actions, e_->dossier);
    e_->fenetre = std::make_unique<TForm1>(
        *e_->compteur, CouturesFenetre{*e_->registre, *e_->acces, e_->dialogue, e_->dossier, {}});
    e_->dialogue.definir_parent(e_->fenetre.get());
    definir_routes();
    e_->compteur->programmation().brancher(
        {&e_->fenetre->ecrans_programmation(), e_->arret.get(), e_->fenetres.get(), e_->trafic.get()});

    OptionsDemarrage options_demarrage;
    options_demarrage.chemin_programme = e_->chemin_programme;
    options_demarrage.arguments = e_->options.arguments;
    options_demarrage.gerer_demarrage_automatique = !e_->options.demo;
    // Un dossier de données donné à la main : la session relance le programme sur ce même dossier,
    // pas sur celui qu'il trouverait seul.
    if (e_->options.dossier && dossier_choisi({}) != e_->dossier) {
        std::error_code erreur;
        const fs::path absolu = fs::absolute(e_->dossier, erreur);
        options_demarrage.options_demarrage_automatique = {"--dossier",
                                                           (erreur ? e_->dossier : absolu).string()};
    }
    e_->demarrage = std::make_unique<Demarrage>(*e_->compteur,
                                                CouturesDemarrage{*e_->registre, e_->dialogue, e_->systeme},
                                                e_->dossier, options_demarrage);
    e_->demarrage->definir_detection(e_->detection.get());
    e_->coquille = std::make_unique<CoquilleQt>(*e_->fenetre, e_->dialogue);

    connect(e_->fenetre.get(), &TForm1::fermeture_acceptee, this, [this](bool fin) { fermer(fin); });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (!e_->ferme) detruire_fenetre();
    });
}

Programme::~Programme() {
    // La fenêtre part avant ce qu'elle regarde.
    e_->fenetre.reset();
}

bool Programme::demarrer() {
    e_->en_demarrage = true;
    try {
        if (e_->registre->avertissement()) e_->dialogue.avertissement(*e_->registre->avertissement());
        e_->demarrage->FormCreate(*e_->coquille);
    } catch (const BoiteAbandonnee&) {
        // La suite s'est arrêtée sur la boîte laissée sans réponse ; abandonnee() le dit aussi.
    }
    e_->en_demarrage = false;
    if (e_->dialogue.abandonnee()) {
        // La session s'est terminée pendant le démarrage : rien n'est décidé à la place de
        // l'utilisateur, l'instantané reste, et les questions reviendront au prochain démarrage.
        fermer(true);
        return false;
    }
    e_->fenetre->demarrer();  // déjà fait à la fin du démarrage, sauf s'il s'est arrêté avant
    if (e_->options.demo) programmer_demo(*e_->options.demo);
    if (e_->options.capture) programmer_capture();
    return true;
}

void Programme::definir_routes() {
    TForm1& f = *e_->fenetre;
    ui::RouteurFenetres& routeur = f.routeur();
    const auto aide = [&f](int sujet) { f.ouvrir_aide(sujet); };
    ui::definir_route_historique(
        routeur, {e_->dossier, *e_->registre, e_->dialogue, [this] { return e_->horloge.aujourdhui(); }, aide,
                  [this] { return e_->acces->entrees_annuaire(); },
                  [this] { e_->compteur->lecture_total_facure_en_cours(); }});
    // En démonstration, l'entrée de démarrage de la session n'est ni lue ni écrite.
    ui::definir_route_options(
        routeur, {e_->horloge, *e_->registre, e_->dialogue, e_->dossier, *e_->acces,
                  e_->options.demo ? nullptr : &e_->systeme,
                  [this] { return e_->demarrage->commande_demarrage_automatique(); }, *e_->compteur,
                  f.commandes(), f.utilisateurs(), f.couleurs(), f.icones(), aide});
    ui::definir_route_programmation(routeur, e_->compteur->programmation());
    // La démonstration a son propre dossier : rien à y reprendre de l'édition précédente.
    if (!e_->options.demo)
        ui::definir_route_accueil(routeur, {e_->dossier, *e_->registre}, f.icones().application());
}

void Programme::programmer_demo(int secondes) {
    const std::int64_t t0 = e_->horloge.millisecondes();
    e_->acces_demo->ajouter_connexion(
        entree_demo,
        {{t0 + demo_numerotation_ms, etat_ras_connexion_peripherique, 0},
         {t0 + demo_authentification_ms, etat_ras_authentification, 0},
         {t0 + demo_connecte_ms, etat_ras_connecte, 0},
         {t0 + demo_authentification_ms + std::int64_t{secondes} * 1000, etat_aucune_connexion, 0}});
}

void Programme::programmer_capture() {
    QTimer::singleShot(e_->options.capture_apres * 1000, this, [this] {
        QMenu* menu = nullptr;
        if (e_->options.capture_menu) {
            menu = e_->fenetre->menus().PopupMenu2;
            e_->fenetre->PopupMenu2Popup();
            menu->popup(
                e_->fenetre->mapToGlobal(QPoint(e_->fenetre->width() / 3, e_->fenetre->height() / 4)));
        }
        // Le temps que le menu se dessine.
        QTimer::singleShot(menu != nullptr ? 600 : 100, this, [this, menu] {
            QRect zone = e_->fenetre->frameGeometry();
            if (menu != nullptr && menu->isVisible()) zone = zone.united(menu->geometry());
            QScreen* ecran = e_->fenetre->screen();
            zone = zone.adjusted(-6, -6, 6, 6).intersected(ecran->geometry());
            const QPixmap image = ecran->grabWindow(0, zone.x(), zone.y(), zone.width(), zone.height());
            const bool ecrite = image.save(QString::fromStdString(e_->options.capture->string()), "PNG");
            if (menu != nullptr) menu->hide();
            // L'image prise, le programme finit comme à une fermeture acceptée.
            e_->demarrage->fermeture_acceptee(false);
            detruire_fenetre();
            e_->ferme = true;
            emit termine(ecrite ? 0 : 1);
        });
    });
}

void Programme::second_lancement() {
    e_->fenetre->second_demarrage();
}

void Programme::fin_de_session(bool arreter) {
    e_->fenetre->fermeture_session();
    e_->demarrage->fin_de_session();
    if (e_->en_demarrage) {
        // Seule une boîte du démarrage fait tourner les événements : personne n'y répondra.
        // demarrer() ferme le programme une fois la suite arrêtée, hors de cette boucle.
        e_->dialogue.abandonner();
        return;
    }
    if (!arreter || e_->ferme) return;
    e_->fenetre->close();
    // Une boîte modale ouverte peut refuser la fermeture : le programme finit quand même.
    if (!e_->ferme) fermer(true);
}

void Programme::fermer(bool fin_de_session) {
    if (e_->ferme) return;
    e_->ferme = true;
    e_->demarrage->fermeture_acceptee(fin_de_session);
    detruire_fenetre();
    emit termine(0);
}

void Programme::detruire_fenetre() {
    // La position et le mode réduit sont rangés pour le prochain démarrage ; un démarrage abandonné
    // par la fin de la session ne change rien, la place rangée reste.
    if (!e_->dialogue.abandonnee()) e_->fenetre->enregistrer_position();
    e_->demarrage->FormDestroy(e_->fenetre->modes().mode_reduit_barre());
}

TForm1& Programme::fenetre() {
    return *e_->fenetre;
}
Demarrage& Programme::demarrage() {
    return *e_->demarrage;
}
Compteur& Programme::compteur() {
    return *e_->compteur;
}
Registre& Programme::registre() {
    return *e_->registre;
}
Detection& Programme::detection() {
    return *e_->detection;
}
AccesDistantScripte* Programme::acces_demo() {
    return e_->acces_demo;
}
const fs::path& Programme::dossier() const {
    return e_->dossier;
}

}  // namespace lumi
