// L'accès à distance par NetworkManager contre le faux NetworkManager de python3-dbusmock, sur le
// bus privé que lance bus_essai.sh : annuaire des types comptés, états suivis sur les signaux,
// activer et désactiver, refus en boîte française, un pppd mené par NetworkManager compté une
// fois. Les essais « Sans » tournent sur un bus vide et sans bus du tout.
#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <filesystem>

#include "cli/lancer_outil.hpp"
#include "commun/actions_notees.hpp"
#include "commun/soutien.hpp"
#include "core/commandes_fenetre.hpp"
#include "core/essai_compteur.hpp"
#include "faux_nm.hpp"
#include "noyau_factice.hpp"
#include "platform/linux/acces_distant_linux.hpp"
#include "platform/linux/telephonie_absente.hpp"
#include "processus_essai.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/registre_memoire.hpp"

namespace lumi {
void PrintTo(const ConnexionDistante& c, std::ostream* os) {
    *os << "{" << c.nom_entree << ", " << c.etat << ", " << c.erreur << "}";
}
}  // namespace lumi

namespace lumi::essai {
namespace {

constexpr std::uint32_t activation = nm_actif_activation, activee = nm_actif_active,
                        desactivation = nm_actif_desactivation, desactivee = nm_actif_desactivee;
constexpr std::uint32_t appareil_prepare = 40, appareil_config_ip = 70, appareil_active = 100;

// La veille devient lisible dans les deux secondes.
bool reveillee(const AccesDistant& a, int attente_ms = 2000) {
    pollfd p{a.descripteur_veille(), POLLIN, 0};
    return ::poll(&p, 1, attente_ms) == 1;
}

class Nm : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DBUS_SYSTEM_BUS_ADDRESS") == nullptr)
            GTEST_SKIP() << "pas de bus privé (bus_essai.sh)";
        faux = std::make_unique<FauxNm>();
    }
    void types(const std::string& liste) {
        FichierIni(dossier / "lumicompteur.ini").ecrire("connexions a compter", "types", liste);
    }
    std::unique_ptr<AccesDistantNm> acces() {
        auto a = AccesDistantNm::si_present(dossier.chemin());
        if (!a) throw std::runtime_error("NetworkManager absent du bus d'essai");
        return a;
    }

    DossierTemporaire dossier{"lumi-nm"};
    std::unique_ptr<FauxNm> faux;
};

TEST_F(Nm, AnnuaireDesProfilsAuxTypesComptesDansLOrdreDeNetworkManager) {
    faux->profil("Bureau", "802-3-ethernet");
    faux->profil("Orange Internet", "gsm");
    faux->profil("Hôtel", "802-11-wireless");
    faux->profil("Club Net", "pppoe");
    struct Cas {
        const char* nom;
        const char* types;  // nullptr : clé absente
        std::vector<std::string> attendu;
    };
    const std::vector<Cas> cas = {
        {"liste par défaut", nullptr, {"Orange Internet", "Club Net"}},
        {"le Wi-Fi de l'hôtel ajouté", "gsm,802-11-wireless", {"Orange Internet", "Hôtel"}},
        {"blancs et virgules en trop", " 802-11-wireless ,, 802-3-ethernet ,", {"Bureau", "Hôtel"}},
        {"valeur vide : le défaut", "", {"Orange Internet", "Club Net"}},
        {"type qu'aucun profil n'a", "cdma", {}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        if (c.types != nullptr) types(c.types);
        EXPECT_EQ(acces()->entrees_annuaire(), c.attendu);
    }
}

TEST_F(Nm, EtatsSuivisSurLesSignauxSansRelectureAuRepos) {
    types("gsm");
    const auto profil = faux->profil("Orange Internet", "gsm");
    const auto wifi = faux->profil("Hôtel", "802-11-wireless");
    const auto modem = faux->appareil("modem0", "ppp0");
    const auto carte = faux->appareil("wlan0", "wlan0");
    auto a = acces();
    EXPECT_TRUE(a->connexions().empty());
    EXPECT_TRUE(a->veille_complete());

    // Une connexion Wi-Fi active ne compte pas : son type n'est pas dans la liste.
    faux->active(wifi, carte, "1", activee);
    const auto active = faux->active(profil, modem, "2", activation);
    faux->etat_appareil(modem, appareil_prepare);
    struct Pas {
        const char* nom;
        std::function<void()> changement;
        std::vector<ConnexionDistante> attendu;
    };
    const std::vector<Pas> pas = {
        {"activation : numérotation", [] {}, {{"Orange Internet", etat_ras_connexion_peripherique, 0}}},
        {"configuration IP : authentification",
         [&] { faux->etat_appareil(modem, appareil_config_ip); },
         {{"Orange Internet", etat_ras_authentification, 0}}},
        {"activée : connectée",
         [&] { faux->etat_active(active, activee); },
         {{"Orange Internet", etat_ras_connecte, 0}}},
        {"désactivation",
         [&] { faux->etat_active(active, desactivation); },
         {{"Orange Internet", etat_ras_deconnecte, 0}}},
        {"désactivée",
         [&] { faux->etat_active(active, desactivee); },
         {{"Orange Internet", etat_ras_deconnecte, 0}}},
        {"partie", [&] { faux->retirer(modem, active); }, {}},
    };
    for (const auto& p : pas) {
        SCOPED_TRACE(p.nom);
        p.changement();
        ASSERT_TRUE(reveillee(*a));
        a->lire_veille();
        EXPECT_EQ(a->connexions(), p.attendu);
        // Au repos, rien ne réveille et rien n'est relu, même interrogé dix fois.
        EXPECT_FALSE(reveillee(*a, 100));
        const auto relectures = a->relectures();
        for (int i = 0; i < 10; ++i) a->connexions();
        EXPECT_EQ(a->relectures(), relectures);
    }
}

TEST_F(Nm, ActiveeDUnCoupPasseDAbordParLAuthentification) {
    // Des signaux groupés : l'activation vue, puis la connexion déjà activée au passage suivant.
    // Sans l'authentification, la détection ne ferait jamais partir le compteur.
    const auto profil = faux->profil("Orange Internet", "gsm");
    const auto modem = faux->appareil("modem0", "ppp0");
    auto a = acces();
    const auto active = faux->active(profil, modem, "0", activation);
    faux->etat_appareil(modem, appareil_prepare);
    ASSERT_TRUE(reveillee(*a));
    a->lire_veille();
    EXPECT_EQ(a->connexions().at(0).etat, etat_ras_connexion_peripherique);
    faux->etat_appareil(modem, appareil_active);
    faux->etat_active(active, activee);
    ASSERT_TRUE(reveillee(*a));
    a->lire_veille();
    EXPECT_EQ(a->connexions().at(0).etat, etat_ras_authentification);
    ASSERT_TRUE(reveillee(*a));
    a->lire_veille();
    EXPECT_EQ(a->connexions().at(0).etat, etat_ras_connecte);

    // Une connexion déjà activée au démarrage reste connectée, comme un pppd déjà monté.
    auto b = acces();
    EXPECT_EQ(b->connexions().at(0).etat, etat_ras_connecte);
}

TEST_F(Nm, NumeroterActiveLeProfilRaccrocherDesactiveLaConnexion) {
    const auto profil = faux->profil("Orange Internet", "gsm");
    faux->profil("Hôtel", "802-11-wireless");
    auto a = acces();
    EXPECT_FALSE(a->raccrocher());        // aucune connexion
    EXPECT_FALSE(a->numeroter("Hôtel"));  // pas un type compté
    EXPECT_FALSE(a->numeroter("Inconnu"));
    EXPECT_TRUE(a->numeroter("Orange Internet"));
    // Le journal du faux service note aussi ses appels internes : seuls comptent les nôtres.
    const auto appels_de = [&](const char* methode) {
        std::vector<std::string> chemins;
        for (const auto& [nom, chemin] : faux->appels())
            if (nom == methode) chemins.push_back(chemin);
        return chemins;
    };
    EXPECT_EQ(appels_de("ActivateConnection"), std::vector<std::string>{profil});

    const auto connexions = a->connexions_nm();
    ASSERT_EQ(connexions.size(), 1u);
    EXPECT_TRUE(a->raccrocher());
    EXPECT_EQ(appels_de("DeactivateConnection"), std::vector<std::string>{connexions.front().chemin});
}

TEST_F(Nm, UnRefusDeNetworkManagerArriveEnBoiteFrancaise) {
    faux->profil("Orange Internet", "gsm");
    faux->methode("ActivateConnection", "ooo", "o",
                  "raise dbus.exceptions.DBusException('Not authorized to control networking.', "
                  "name='org.freedesktop.NetworkManager.PermissionDenied')");
    auto a = acces();
    EssaiCompteur e{le_10_mars(14, 0, 0)};
    e.demarrer();
    CommandesFenetre commandes(e.compteur(), e.registre(), *a, e.banc->dialogue, e.dossier.chemin());
    EXPECT_EQ(commandes.Clique("Orange Internet..."), ResultatNumerotation::echec_lancement);
    ASSERT_EQ(e.boites().size(), 1u);
    EXPECT_EQ(e.boites()[0],
              "La numérotation de « Orange Internet » n'a pu être lancée.\n"
              "L'activation de « Orange Internet » est refusée : Not authorized to control networking.");
}

TEST_F(Nm, UnRaccrochageRefuseDitLaRaisonEtNonLAbsenceDeConnexion) {
    const auto profil = faux->profil("Orange Internet", "gsm");
    const auto modem = faux->appareil("modem0", "ppp0");
    faux->active(profil, modem, "0", activee);
    faux->methode("DeactivateConnection", "o", "",
                  "raise dbus.exceptions.DBusException('Not authorized to control networking.', "
                  "name='org.freedesktop.NetworkManager.PermissionDenied')");
    auto a = acces();
    EssaiCompteur e{le_10_mars(14, 0, 0)};
    e.demarrer();
    CommandesFenetre commandes(e.compteur(), e.registre(), *a, e.banc->dialogue, e.dossier.chemin());
    EXPECT_FALSE(commandes.raccrocher());
    EXPECT_EQ(commandes.texte_echec_raccrochage(),
              "Echec déconnexion.\nLa déconnexion est refusée : Not authorized to control networking.");
}

TEST_F(Nm, UnPppdMeneParNetworkManagerNeCompteQuUneFois) {
    const auto profil = faux->profil("Orange Internet", "gsm");
    const auto modem = faux->appareil("modem0", "ppp0");
    faux->active(profil, modem, "0", activee);
    std::filesystem::create_directory(dossier / "peers");
    std::filesystem::create_directory(dossier / "run");
    ecrire_octets(dossier / "peers" / "MonFAI", "");
    ProcessusEssai pppd_nm, pppd_main;
    ReglagesPpp r;
    r.dossier_pairs = dossier / "peers";
    r.dossier_execution = dossier / "run";
    // Le pppd de NetworkManager n'écrit que le fichier de son unité.
    ecrire_octets(dossier / "run" / "ppp0.pid", std::to_string(pppd_nm.pid()) + "\n");
    auto noyau = std::make_unique<NoyauFactice>();
    noyau->definir("ppp0", EtatInterface{true, "10.64.64.1"});
    noyau->definir("ppp1", EtatInterface{true, "10.64.64.2"});
    AccesDistantLinux a(std::make_unique<AccesDistantPpp>(r, std::move(noyau)), acces());

    EXPECT_EQ(a.connexions(),
              (std::vector<ConnexionDistante>{{"Orange Internet", etat_ras_connecte, 0, "NetworkManager"}}));
    EXPECT_EQ(a.interface_premiere_connexion(), "ppp0");
    EXPECT_EQ(a.adresse_premiere_connexion(), "10.64.64.1");
    EXPECT_EQ(a.entrees_annuaire(), (std::vector<std::string>{"Orange Internet", "MonFAI"}));

    // Un pppd lancé à la main à côté : deux connexions, celle de NetworkManager d'abord.
    ecrire_octets(dossier / "run" / "ppp-MonFAI.pid", std::to_string(pppd_main.pid()) + "\nppp1\n");
    ASSERT_TRUE(reveillee(a));
    a.lire_veille();
    const auto vues = a.connexions_vues();
    ASSERT_EQ(vues.size(), 2u);
    EXPECT_EQ(vues[0].connexion.nom_entree, "Orange Internet");
    EXPECT_EQ(vues[0].source, SourceAcces::network_manager);
    EXPECT_EQ(vues[1].connexion.nom_entree, "MonFAI");
    EXPECT_EQ(vues[1].source, SourceAcces::pppd);
}

TEST_F(Nm, LaTraceDeLaDetectionDitQuelServiceAVuLaConnexion) {
    const auto profil = faux->profil("Orange Internet", "gsm");
    const auto modem = faux->appareil("modem0", "ppp0");
    std::filesystem::create_directory(dossier / "peers");
    ReglagesPpp r;
    r.dossier_pairs = dossier / "peers";
    r.dossier_execution = dossier / "peers";
    AccesDistantLinux a(std::make_unique<AccesDistantPpp>(r, std::make_unique<NoyauFactice>()), acces());
    HorlogeFactice horloge;
    RegistreMemoire registre;
    TelephonieAbsente telephonie;
    DialogueScripte dialogue;
    ActionsNotees actions;
    Detection detection(CouturesDetection{horloge, registre, a, telephonie, dialogue}, actions,
                        dossier.chemin());
    detection.choix_de_la_source();
    const auto passer = [&] {
        ASSERT_TRUE(reveillee(a));
        detection.Timer5Timer_sur_veille();
    };
    const auto active = faux->active(profil, modem, "0", activation);
    faux->etat_appareil(modem, appareil_prepare);
    passer();
    faux->etat_appareil(modem, appareil_config_ip);
    passer();
    faux->etat_active(active, desactivee);
    passer();
    EXPECT_EQ(actions.journal, (std::vector<std::string>{"numerotation", "connecte", "fin"}));
    const FichierIni ini(dossier / "lumicompteur.ini");
    std::vector<std::string> valeurs;
    for (const auto& cle : ini.cles(section_trace_detection))
        valeurs.push_back(ini.lire(section_trace_detection, cle));
    EXPECT_EQ(valeurs, (std::vector<std::string>{"part 3 (NetworkManager)", "part 4 (NetworkManager)",
                                                 "part 5 (NetworkManager)"}));
}

// L'outil lit pppd dans les dossiers que donne l'environnement.
void dossiers_ppp(const DossierTemporaire& dossier) {
    ::setenv("LUMICOMPTEUR_PPP_PAIRS", (dossier / "peers").c_str(), 1);
    ::setenv("LUMICOMPTEUR_PPP_RUN", (dossier / "run").c_str(), 1);
}

TEST_F(Nm, LOutilEcritLAnnuaireEtLesConnexionsCommeLeProgrammeLesVoit) {
    types("gsm,pppoe");
    const auto profil = faux->profil("Orange Internet", "gsm");
    faux->profil("Hôtel", "802-11-wireless");
    faux->profil("Club Net", "pppoe");
    const auto modem = faux->appareil("modem0", "wwan0");
    faux->active(profil, modem, "0", activee);
    std::filesystem::create_directories(dossier / "peers");
    std::filesystem::create_directories(dossier / "run");
    ecrire_octets(dossier / "peers" / "MonFAI", "");
    dossiers_ppp(dossier);
    const auto r = cli::lancer({"annuaire", "--dossier", dossier.chemin().string()});
    EXPECT_EQ(r.code, 0) << r.erreur;
    EXPECT_EQ(r.sortie,
              "entree=Orange Internet\norigine=NetworkManager\n"
              "entree=Club Net\norigine=NetworkManager\n"
              "entree=MonFAI\norigine=" +
                  (dossier / "peers").string() +
                  "\n"
                  "connexion=Orange Internet\netat=8192\ninterface=wwan0\n");
}

// Sur un bus sans NetworkManager, ou sans bus du tout : pppd seul, aussitôt, sans erreur.
TEST(SansNetworkManager, PppdSeulSansAttente) {
    DossierTemporaire dossier{"lumi-nm"};
    const auto debut = std::chrono::steady_clock::now();
    EXPECT_EQ(AccesDistantNm::si_present(dossier.chemin()), nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::seconds(1));
    std::filesystem::create_directory(dossier / "peers");
    ecrire_octets(dossier / "peers" / "MonFAI", "");
    ReglagesPpp r;
    r.dossier_pairs = dossier / "peers";
    r.dossier_execution = dossier.chemin();
    auto ppp = std::make_unique<AccesDistantPpp>(r, std::make_unique<NoyauFactice>());
    const int veille_ppp = ppp->descripteur_veille();
    const std::string origine_ppp = ppp->origine_annuaire();
    AccesDistantLinux a(std::move(ppp), nullptr);
    EXPECT_FALSE(a.avec_network_manager());
    EXPECT_EQ(a.entrees_annuaire(), std::vector<std::string>{"MonFAI"});
    EXPECT_EQ(a.origine_annuaire(), origine_ppp);
    EXPECT_EQ(a.descripteur_veille(), veille_ppp);
    EXPECT_TRUE(a.connexions().empty());
}

TEST(SansNetworkManager, LOutilNeLitQuePppdEtSansAucuneSourceLeDit) {
    DossierTemporaire dossier{"lumi-nm"};
    dossiers_ppp(dossier);
    auto r = cli::lancer({"annuaire", "--dossier", dossier.chemin().string()});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.sortie, "");
    EXPECT_NE(r.erreur.find("aucune source de connexions ne répond"), std::string::npos) << r.erreur;

    std::filesystem::create_directories(dossier / "peers");
    ecrire_octets(dossier / "peers" / "MonFAI", "");
    r = cli::lancer({"annuaire", "--dossier", dossier.chemin().string()});
    EXPECT_EQ(r.code, 0) << r.erreur;
    EXPECT_EQ(r.sortie, "entree=MonFAI\norigine=" + (dossier / "peers").string() + "\n");
}

}  // namespace
}  // namespace lumi::essai
