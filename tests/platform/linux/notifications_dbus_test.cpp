// Les notifications du bureau contre le faux service de python3-dbusmock (modèle
// notification_daemon) sur un bus de session privé : les textes reçus tels que le compteur les
// envoie. Puis sans service, sans bus et sur un bus muet : aucune erreur levée, aucune attente.
#include "platform/linux/notifications_dbus.hpp"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <thread>

#include "../../core/essai_compteur.hpp"
#include "commun/soutien.hpp"

namespace lumi {
namespace {

using namespace std::chrono_literals;

// Un Notify reçu par le faux service.
struct Recu {
    std::string application;
    std::string icone;
    std::string titre;
    std::string texte;
    std::map<std::string, std::string> indications;  // les indications textuelles seules
    std::int32_t expiration = 0;
};

// Les Notify reçus, lus dans le journal du faux service ; l'envoi n'attend pas de réponse, si bien
// que l'essai attend ici qu'il y en ait `attendus`.
std::vector<Recu> recus(std::size_t attendus) {
    auto bus = BusDbus::session();
    std::vector<Recu> liste;
    for (int essai = 0; essai < 50; ++essai) {
        liste.clear();
        auto appel = bus->methode("org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                                  "org.freedesktop.DBus.Mock", "GetCalls");
        auto r = bus->appeler(appel, 5s);
        sd_bus_message* m = r.get();
        sd_bus_message_enter_container(m, 'a', "(tsav)");
        while (sd_bus_message_enter_container(m, 'r', "tsav") > 0) {
            std::uint64_t instant = 0;
            const char* methode = nullptr;
            sd_bus_message_read(m, "ts", &instant, &methode);
            sd_bus_message_enter_container(m, 'a', "v");
            if (std::strcmp(methode, "Notify") == 0) {
                Recu n;
                const char* s = nullptr;
                std::uint32_t remplace = 0;
                sd_bus_message_read(m, "v", "s", &s);
                n.application = s;
                sd_bus_message_read(m, "v", "u", &remplace);
                sd_bus_message_read(m, "v", "s", &s);
                n.icone = s;
                sd_bus_message_read(m, "v", "s", &s);
                n.titre = s;
                sd_bus_message_read(m, "v", "s", &s);
                n.texte = s;
                sd_bus_message_skip(m, "v");  // les actions
                sd_bus_message_enter_container(m, 'v', "a{sv}");
                sd_bus_message_enter_container(m, 'a', "{sv}");
                while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
                    const char* cle = nullptr;
                    sd_bus_message_read(m, "s", &cle);
                    if (sd_bus_message_read(m, "v", "s", &s) > 0)
                        n.indications[cle] = s;
                    else
                        sd_bus_message_skip(m, "v");
                    sd_bus_message_exit_container(m);
                }
                sd_bus_message_exit_container(m);
                sd_bus_message_exit_container(m);
                sd_bus_message_read(m, "v", "i", &n.expiration);
                liste.push_back(std::move(n));
            }
            while (sd_bus_message_skip(m, "v") > 0) {
            }
            sd_bus_message_exit_container(m);
            sd_bus_message_exit_container(m);
        }
        if (liste.size() >= attendus) break;
        std::this_thread::sleep_for(100ms);
    }
    return liste;
}

TEST(Notif, LesTextesArriventTelsQuelsLeNomNEstPasDuBalisage) {
    NotificationsDbus n;
    n.notifier("Forfait épuisé", "Le forfait « Soir & week-end <20h> » est terminé !");
    EXPECT_EQ(n.derniere_erreur(), "");
    n.notifier("Déconnexion programmée", "La connexion sera coupée dans 10 secondes.");
    const auto liste = recus(2);
    ASSERT_EQ(liste.size(), 2u);
    EXPECT_EQ(liste[0].application, "Lumicompteur 2000");
    EXPECT_EQ(liste[0].icone, "lumicompteur");
    EXPECT_EQ(liste[0].titre, "Forfait épuisé");
    // Les services lisent le corps comme du balisage : le nom y est échappé, pas interprété.
    EXPECT_EQ(liste[0].texte, "Le forfait « Soir &amp; week-end &lt;20h&gt; » est terminé !");
    EXPECT_EQ(liste[0].indications.at("desktop-entry"), "lumicompteur");
    EXPECT_EQ(liste[0].expiration, -1);
    EXPECT_EQ(liste[1].titre, "Déconnexion programmée");
    EXPECT_EQ(liste[1].texte, "La connexion sera coupée dans 10 secondes.");
}

// Du compteur au service : le forfait épuisé d'une connexion rejouée.
TEST(Notif, LeCompteurParleAuServiceParLaCouture) {
    essai::EssaiCompteur e(essai::le_10_mars(14, 0, 0));
    e.accorder("MonFAI", {"FR"});
    NotificationsDbus n;
    e.demarrer();
    e.compteur().brancher_notifications(&n);
    e.connexion("MonFAI", 5500, 5500 + 180'000);
    e.banc->avancer(5 + 120);
    const auto liste = recus(1);
    ASSERT_EQ(liste.size(), 1u);
    EXPECT_EQ(liste[0].titre, "Forfait épuisé");
    EXPECT_EQ(liste[0].texte, "Forfait relais épuisé");
}

// Sur un bus sans service, puis sans bus du tout (selon l'environnement de l'essai) : ni levée ni
// attente, et le suivant essaie encore.
TEST(Sans, NiServiceNiBusNeRetiennentLeProgramme) {
    const char* adresse = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const bool sans_bus = adresse != nullptr && std::strstr(adresse, "/nonexistent") != nullptr;
    NotificationsDbus n;
    for (int i = 0; i < 3; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        n.notifier("Fin de connexion", "Connexion terminée : 00:00:10, 0,01 F TTC.");
        EXPECT_LT(std::chrono::steady_clock::now() - t0, 300ms);
        if (sans_bus)
            EXPECT_NE(n.derniere_erreur().find("Bus de la session injoignable"), std::string::npos);
        else
            EXPECT_EQ(n.derniere_erreur(), "");
    }
}

// Un bus qui accepte la connexion et ne répond plus (démon figé) : l'avis est perdu au bout du délai,
// le programme repart.
TEST(Sans, UnBusMuetNeRetientQueLeDelai) {
    essai::DossierTemporaire dossier("lumi-bus-muet");
    const std::string chemin = (dossier / "bus").string();
    const int prise = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(prise, 0);
    sockaddr_un adresse{};
    adresse.sun_family = AF_UNIX;
    std::strncpy(adresse.sun_path, chemin.c_str(), sizeof(adresse.sun_path) - 1);
    ASSERT_EQ(::bind(prise, reinterpret_cast<sockaddr*>(&adresse), sizeof(adresse)), 0);
    ASSERT_EQ(::listen(prise, 4), 0);
    ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + chemin).c_str(), 1);
    NotificationsDbus n(200ms);
    const auto t0 = std::chrono::steady_clock::now();
    n.notifier("Fin de connexion", "Connexion terminée.");
    const auto duree = std::chrono::steady_clock::now() - t0;
    EXPECT_GE(duree, 150ms);
    EXPECT_LT(duree, 1s);
    EXPECT_FALSE(n.derniere_erreur().empty());
    ::close(prise);
}

}  // namespace
}  // namespace lumi
