// L'arrêt de la machine par logind contre un vrai bus D-Bus : arret_logind.sh lance un bus privé
// et le faux logind de python3-dbusmock, dont l'adresse arrive par DBUS_SYSTEM_BUS_ADDRESS.
// LUMI_LOGIND dit ce que fait le faux logind de PowerOff : il accepte, refuse, ou répond tard.
#include <gtest/gtest.h>

#include <systemd/sd-bus.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <optional>
#include <vector>

#include "arret_logind.hpp"
#include "core/essai_compteur.hpp"

namespace lumi {
namespace {

// Les appels de PowerOff notés par le faux logind, avec leur premier argument (interactif).
std::vector<bool> appels_power_off() {
    auto bus = BusDbus::systeme();
    auto appel = bus->methode("org.freedesktop.login1", "/org/freedesktop/login1",
                              "org.freedesktop.DBus.Mock", "GetCalls");
    auto reponse = bus->appeler(appel);
    sd_bus_message* m = reponse.get();
    std::vector<bool> interactifs;
    sd_bus_message_enter_container(m, 'a', "(tsav)");
    while (sd_bus_message_enter_container(m, 'r', "tsav") > 0) {
        std::uint64_t instant = 0;
        const char* methode = nullptr;
        sd_bus_message_read(m, "ts", &instant, &methode);
        const bool power_off = std::string_view(methode) == "PowerOff";
        int interactif = 0;
        sd_bus_message_enter_container(m, 'a', "v");
        if (power_off && sd_bus_message_enter_container(m, 'v', "b") > 0) {
            sd_bus_message_read(m, "b", &interactif);
            sd_bus_message_exit_container(m);
        }
        while (sd_bus_message_skip(m, "v") > 0) {
        }
        sd_bus_message_exit_container(m);
        sd_bus_message_exit_container(m);
        if (power_off) interactifs.push_back(interactif != 0);
    }
    return interactifs;
}

// Fait tourner la boucle d'événements jusqu'à la réponse de logind (10 s au plus).
bool attendre_reponse(const Programmation& p) {
    QElapsedTimer montre;
    montre.start();
    while (p.arret_en_attente() && montre.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return !p.arret_en_attente();
}

// LUMI_LOGIND : "accepte", "refuse", ou "tardif" (PowerOff répond au bout de 3 s).
TEST(ArretLogind, PowerOffInteractifSansBloquerLeProgramme) {
    if (qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS")) GTEST_SKIP() << "pas de bus privé";
    const QString cas = qEnvironmentVariable("LUMI_LOGIND");
    // Tardif : un logind qui répond après le délai de l'appel, puis un qui répond à temps.
    const std::vector<int> attentes = cas == "tardif"
                                          ? std::vector<int>{1000, ArretLogind::attente_par_defaut_ms}
                                          : std::vector<int>{ArretLogind::attente_par_defaut_ms};
    std::size_t appels_attendus = 0;
    for (const int attente : attentes) {
        SCOPED_TRACE(attente);
        essai::EssaiCompteur e(essai::le_10_mars(14, 0, 0));
        e.ecrire(cles::options, "se deconnecter", "oui");
        e.ecrire(cles::options, "exit window", "oui");
        e.ecrire(cles::options, "delai auto validation", "0");
        auto& banc = e.demarrer();
        ArretLogind arret(attente);
        auto& p = banc.compteur.programmation();
        p.brancher({&banc.ecrans, &arret, nullptr, nullptr});
        e.connexion("MonFAI", 5500, 600000);
        banc.avancer(20);
        p.armer({TypeProgrammation::duree, "30"});
        banc.avancer(20);
        EXPECT_EQ(p.declenchements(), 1);

        // La demande est partie et la main est rendue : le compteur tourne pendant l'attente, la
        // fenêtre "Fermeture de Windows..." reste montrée.
        ASSERT_TRUE(p.arret_en_attente());
        EXPECT_EQ(banc.ecrans.journal.back(), "fenetre=Fermeture de Windows...");
        const auto appels = banc.ordonnanceur.appels();
        banc.avancer(2);
        EXPECT_GT(banc.ordonnanceur.appels(), appels);
        EXPECT_TRUE(e.boites().empty());

        ASSERT_TRUE(attendre_reponse(p));
        EXPECT_EQ(banc.ecrans.journal.back(), "fenetre_fermee");
        appels_attendus += 1;
        const auto interactif = appels_power_off();
        ASSERT_EQ(interactif.size(), appels_attendus);
        EXPECT_EQ(interactif.back(), true);
        std::string raison;
        if (cas == "refuse") {
            raison = "Arrêt refusé : Accès refusé.";
        } else if (attente < ArretLogind::attente_par_defaut_ms) {
            raison = "Le service d'arrêt (logind) n'a pas répondu à temps.";
        }
        if (raison.empty()) {
            EXPECT_TRUE(e.boites().empty()) << e.boites().back();
            EXPECT_TRUE(arret.derniere_erreur().isEmpty()) << arret.derniere_erreur().toStdString();
        } else {
            // La raison sur la seconde ligne de la boîte, et le programme continue.
            ASSERT_FALSE(e.boites().empty());
            EXPECT_EQ(e.boites().back(), "Echec fermeture de Windows.\n" + raison);
            EXPECT_EQ(arret.derniere_erreur().toStdString(), raison);
            const auto apres = banc.ordonnanceur.appels();
            banc.avancer(2);
            EXPECT_GT(banc.ordonnanceur.appels(), apres);
        }
    }
}

TEST(ArretLogind, SansLogindLArretEchoue) {
    if (!qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS")) GTEST_SKIP() << "un bus est donné";
    // Un bus système injoignable : faux, sans bloquer.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/lumi-bus");
    ArretLogind arret;
    std::optional<std::pair<bool, std::string>> reponse;
    arret.eteindre([&](bool eteinte, const std::string& raison) { reponse.emplace(eteinte, raison); });
    ASSERT_TRUE(reponse.has_value());
    EXPECT_FALSE(reponse->first);
    EXPECT_TRUE(reponse->second.starts_with("Bus système injoignable")) << reponse->second;
}

}  // namespace
}  // namespace lumi

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
