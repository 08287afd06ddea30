// La téléphonie par ModemManager contre un faux ModemManager (un objet python3-dbusmock, ses
// modems et leurs signaux posés par l'essai) sur le bus privé de bus_essai.sh : les états d'appel
// reçus, la détection menée par eux, le choix de la source au démarrage. Les essais « Sans »
// tournent sur un bus vide et sans bus du tout.
#include <gtest/gtest.h>
#include <poll.h>
#include <systemd/sd-bus.h>

#include <chrono>
#include <tuple>

#include "commun/actions_notees.hpp"
#include "commun/soutien.hpp"
#include "core/detection.hpp"
#include "platform/linux/bus_dbus.hpp"
#include "platform/linux/telephonie_modem.hpp"
#include "platform/simulation/acces_distant_scripte.hpp"
#include "settings/registre_memoire.hpp"

namespace lumi::essai {
namespace {

constexpr const char* service = "org.freedesktop.ModemManager1";
constexpr const char* interface_modem = "org.freedesktop.ModemManager1.Modem";

TEST(EtatsDAppel, LesPassagesDUnModemDonnentLesEtatsDAppel) {
    struct Cas {
        const char* nom;
        std::int32_t ancien, nouveau;
        std::vector<std::uint32_t> attendu;
    };
    const std::vector<Cas> cas = {
        {"connexion en cours", mm_modem_enregistre, mm_modem_connexion, {etat_appel_acheminement}},
        {"connecté", mm_modem_connexion, mm_modem_connecte, {etat_appel_connecte}},
        {"déconnexion", mm_modem_connecte, mm_modem_deconnexion, {etat_appel_deconnecte}},
        {"retour à l'état enregistré", mm_modem_deconnexion, mm_modem_enregistre, {etat_appel_libre}},
        {"connecté puis enregistré d'un coup",
         mm_modem_connecte,
         mm_modem_enregistre,
         {etat_appel_deconnecte, etat_appel_libre}},
        {"numérotation qui échoue",
         mm_modem_connexion,
         mm_modem_enregistre,
         {etat_appel_deconnecte, etat_appel_libre}},
        {"modem en panne pendant l'appel", mm_modem_connecte, -1, {etat_appel_deconnecte, etat_appel_libre}},
        {"recherche du réseau hors appel", mm_modem_enregistre, mm_modem_recherche, {}},
        {"activé hors appel", mm_modem_recherche, mm_modem_active, {}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        EXPECT_EQ(etats_appel_de_modem(c.ancien, c.nouveau), c.attendu);
    }
}

// Le faux ModemManager : ses modems et leurs changements d'état, par le bus.
class FauxMm {
public:
    std::string modem(int numero, std::int32_t etat) {
        const std::string chemin = "/org/freedesktop/ModemManager1/Modem/" + std::to_string(numero);
        auto m = bus_->methode(service, "/org/freedesktop/ModemManager1", "org.freedesktop.DBus.Mock",
                               "AddObject");
        sd_bus_message_append(m.get(), "ssa{sv}a(ssss)", chemin.c_str(), interface_modem, 1, "State", "i",
                              etat, 0);
        bus_->appeler(m);
        return chemin;
    }
    void etat(const std::string& modem, std::int32_t ancien, std::int32_t nouveau) {
        auto m = bus_->methode(service, modem.c_str(), "org.freedesktop.DBus.Mock", "EmitSignal");
        sd_bus_message_append(m.get(), "sssav", interface_modem, "StateChanged", "iiu", 3, "i", ancien, "i",
                              nouveau, "u", 0u);
        bus_->appeler(m);
    }

private:
    std::unique_ptr<BusDbus> bus_ = BusDbus::systeme();
};

// Les événements en attente remis, comme le fait la boucle du programme quand le descripteur est
// lisible ; faux si rien n'est venu dans les deux secondes.
bool remettre(TelephonieModem& t) {
    pollfd p{t.descripteur_evenements(), POLLIN, 0};
    if (::poll(&p, 1, 2000) != 1) return false;
    t.traiter_evenements();
    return true;
}

class Mm : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DBUS_SYSTEM_BUS_ADDRESS") == nullptr)
            GTEST_SKIP() << "pas de bus privé (bus_essai.sh)";
    }
    std::unique_ptr<TelephonieModem> telephonie() {
        auto t = TelephonieModem::si_present();
        if (!t) throw std::runtime_error("ModemManager absent du bus d'essai");
        return t;
    }
    FauxMm faux;
};

TEST_F(Mm, LesMessagesDEtatDAppelArriventParLaBoucle) {
    const auto modem = faux.modem(0, mm_modem_enregistre);
    auto t = telephonie();
    using Message = std::tuple<PoigneeTapi, std::uint32_t, std::uintptr_t>;
    std::vector<Message> recus;
    PoigneeTapi usage = 0, ligne = 0;
    std::uint32_t nb = 0, version = 0;
    ASSERT_EQ(t->initialiser([&](PoigneeTapi h, std::uint32_t msg, std::uintptr_t, std::uintptr_t p1,
                                 std::uintptr_t, std::uintptr_t) { recus.emplace_back(h, msg, p1); },
                             usage, nb),
              0);
    ASSERT_EQ(nb, 1u);
    ASSERT_EQ(t->negocier_version(usage, 0, version_tapi_basse, version_tapi_haute, version), 0);
    ASSERT_EQ(t->ouvrir_ligne(usage, 0, ligne, version, privilege_surveillance, media_modem_donnees), 0);
    EXPECT_NE(ligne, 0u);

    // Rien n'arrive hors de la boucle : le signal attend que traiter_evenements() le remette.
    faux.etat(modem, mm_modem_enregistre, mm_modem_connexion);
    faux.etat(modem, mm_modem_connexion, mm_modem_connecte);
    faux.etat(modem, mm_modem_connecte, mm_modem_enregistre);
    EXPECT_TRUE(recus.empty());
    for (int i = 0; i < 10 && recus.size() < 4; ++i) remettre(*t);
    ASSERT_EQ(recus.size(), 4u);
    const PoigneeTapi appel = std::get<0>(recus[0]);
    EXPECT_NE(appel, 0u);
    EXPECT_NE(appel, ligne);
    EXPECT_EQ(recus, (std::vector<Message>{{appel, message_etat_appel, etat_appel_acheminement},
                                           {appel, message_etat_appel, etat_appel_connecte},
                                           {appel, message_etat_appel, etat_appel_deconnecte},
                                           {appel, message_etat_appel, etat_appel_libre}}));

    // La connexion suivante est un autre appel ; un appel libéré ne donne plus rien.
    recus.clear();
    faux.etat(modem, mm_modem_enregistre, mm_modem_connexion);
    ASSERT_TRUE(remettre(*t));
    ASSERT_EQ(recus.size(), 1u);
    const PoigneeTapi second = std::get<0>(recus[0]);
    EXPECT_NE(second, appel);
    EXPECT_EQ(t->liberer_appel(second), 0);
    faux.etat(modem, mm_modem_connexion, mm_modem_connecte);
    remettre(*t);
    EXPECT_EQ(recus.size(), 1u);
    EXPECT_EQ(t->fermer_ligne(ligne), 0);
    EXPECT_EQ(t->arreter(usage), 0);
}

TEST_F(Mm, LaDetectionChoisitLaTelephonieEtEnEstMenee) {
    const auto modem = faux.modem(0, mm_modem_enregistre);
    auto t = telephonie();
    DossierTemporaire dossier{"lumi-mm"};
    HorlogeFactice horloge;
    RegistreMemoire registre;
    AccesDistantScripte acces(horloge);
    DialogueScripte dialogue;
    ActionsNotees actions;
    Detection detection(CouturesDetection{horloge, registre, acces, *t, dialogue}, actions, dossier.chemin());
    detection.choix_de_la_source();
    EXPECT_FALSE(detection.surveillance_par_ras());
    EXPECT_EQ(detection.texte_etat_source(), "Attente connexion");
    EXPECT_NE(detection.hLine(), 0u);

    faux.etat(modem, mm_modem_enregistre, mm_modem_connexion);
    faux.etat(modem, mm_modem_connexion, mm_modem_connecte);
    faux.etat(modem, mm_modem_connecte, mm_modem_deconnexion);
    faux.etat(modem, mm_modem_deconnexion, mm_modem_enregistre);
    for (int i = 0; i < 10 && actions.journal.size() < 3; ++i) remettre(*t);
    // Le « libre » qui suit n'arrive pas : l'appel déconnecté a été libéré.
    remettre(*t);
    EXPECT_EQ(actions.journal, (std::vector<std::string>{"numerotation", "connecte", "fin"}));

    // Ctrl+Shift+Enter : la scrutation ; les appels ne font plus qu'être libérés.
    detection.basculer_source();
    EXPECT_TRUE(detection.surveillance_par_ras());
    faux.etat(modem, mm_modem_enregistre, mm_modem_connexion);
    faux.etat(modem, mm_modem_connexion, mm_modem_connecte);
    remettre(*t);
    remettre(*t);
    EXPECT_EQ(actions.journal.size(), 3u);
}

TEST_F(Mm, SansModemLaDetectionScrute) {
    auto t = telephonie();
    DossierTemporaire dossier{"lumi-mm"};
    HorlogeFactice horloge;
    RegistreMemoire registre;
    AccesDistantScripte acces(horloge);
    DialogueScripte dialogue;
    ActionsNotees actions;
    Detection detection(CouturesDetection{horloge, registre, acces, *t, dialogue}, actions, dossier.chemin());
    detection.choix_de_la_source();
    EXPECT_TRUE(detection.surveillance_par_ras());
    EXPECT_EQ(detection.texte_etat_source(), "Supervision en cours");
    EXPECT_EQ(detection.hLineApp(), 0u);
}

TEST(SansModemManager, AucuneTelephonieSansAttente) {
    const auto debut = std::chrono::steady_clock::now();
    EXPECT_EQ(TelephonieModem::si_present(), nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::seconds(1));
}

}  // namespace
}  // namespace lumi::essai
