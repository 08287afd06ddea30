#pragma once
// Ce que l'essai fait au faux NetworkManager (modèle networkmanager de python3-dbusmock, sur le bus
// privé de bus_essai.sh, un service neuf par essai) : profils, appareils, connexions actives et leurs états,
// journal des appels. Par le bus, comme le ferait NetworkManager lui-même.
#include <systemd/sd-bus.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/bus_dbus.hpp"

namespace lumi::essai {

class FauxNm {
public:
    static constexpr const char* service = "org.freedesktop.NetworkManager";
    static constexpr const char* racine = "/org/freedesktop/NetworkManager";

    std::string profil(const std::string& id, const std::string& type) {
        auto m = bus_->methode(service, "/org/freedesktop/NetworkManager/Settings",
                               "org.freedesktop.NetworkManager.Settings", "AddConnection");
        sd_bus_message_append(m.get(), "a{sa{sv}}", 1, "connection", 2, "id", "s", id.c_str(), "type", "s",
                              type.c_str());
        auto r = appeler(m);
        return lire_chemin(r.get());
    }
    // Un appareil (le modem) qui mène l'interface `interface` une fois connecté.
    std::string appareil(const std::string& nom, const std::string& interface) {
        auto m = mock(racine, "AddEthernetDevice");
        sd_bus_message_append(m.get(), "ssi", nom.c_str(), "ttyUSB0", 30);
        auto r = appeler(m);
        const std::string chemin = lire_texte(r.get());
        propriete(chemin, "org.freedesktop.NetworkManager.Device", "IpInterface", interface);
        return chemin;
    }
    std::string active(const std::string& profil, const std::string& appareil, const std::string& nom,
                       std::uint32_t etat) {
        auto m = mock(racine, "AddActiveConnection");
        sd_bus_message_append(m.get(), "assssu", 1, appareil.c_str(), profil.c_str(), "/", nom.c_str(), etat);
        auto r = appeler(m);
        return lire_texte(r.get());
    }
    void etat_active(const std::string& active, std::uint32_t etat) {
        propriete(active, "org.freedesktop.NetworkManager.Connection.Active", "State", etat);
    }
    void etat_appareil(const std::string& appareil, std::uint32_t etat) {
        propriete(appareil, "org.freedesktop.NetworkManager.Device", "State", etat);
    }
    void retirer(const std::string& appareil, const std::string& active) {
        auto m = mock(racine, "RemoveActiveConnection");
        sd_bus_message_append(m.get(), "ss", appareil.c_str(), active.c_str());
        appeler(m);
    }
    // Remplace une méthode du gestionnaire par du code Python (un refus, par exemple).
    void methode(const char* nom, const char* entree, const char* sortie, const std::string& code) {
        auto m = mock(racine, "AddMethod");
        sd_bus_message_append(m.get(), "sssss", "org.freedesktop.NetworkManager", nom, entree, sortie,
                              code.c_str());
        appeler(m);
    }
    // Les appels reçus par le gestionnaire : (méthode, premier argument quand c'est un chemin).
    std::vector<std::pair<std::string, std::string>> appels() {
        auto r = appeler(mock(racine, "GetCalls"));
        sd_bus_message* m = r.get();
        std::vector<std::pair<std::string, std::string>> liste;
        sd_bus_message_enter_container(m, 'a', "(tsav)");
        while (sd_bus_message_enter_container(m, 'r', "tsav") > 0) {
            std::uint64_t instant = 0;
            const char* methode = nullptr;
            sd_bus_message_read(m, "ts", &instant, &methode);
            std::string premier;
            sd_bus_message_enter_container(m, 'a', "v");
            if (sd_bus_message_enter_container(m, 'v', "o") > 0) {
                premier = lire_chemin(m);
                sd_bus_message_exit_container(m);
            }
            while (sd_bus_message_skip(m, "v") > 0) {
            }
            sd_bus_message_exit_container(m);
            sd_bus_message_exit_container(m);
            liste.emplace_back(methode, premier);
        }
        return liste;
    }

private:
    MessageBus mock(const char* chemin, const char* membre) {
        return bus_->methode(service, chemin, "org.freedesktop.DBus.Mock", membre);
    }
    MessageBus appeler(const MessageBus& m) { return bus_->appeler(m, std::chrono::seconds(10)); }
    void propriete(const std::string& chemin, const char* interface, const char* nom,
                   const std::string& texte) {
        auto m = mock(racine, "SetProperty");
        sd_bus_message_append(m.get(), "sssv", chemin.c_str(), interface, nom, "s", texte.c_str());
        appeler(m);
    }
    void propriete(const std::string& chemin, const char* interface, const char* nom, std::uint32_t valeur) {
        auto m = mock(racine, "SetProperty");
        sd_bus_message_append(m.get(), "sssv", chemin.c_str(), interface, nom, "u", valeur);
        appeler(m);
    }

    std::unique_ptr<BusDbus> bus_ = BusDbus::systeme();
};

}  // namespace lumi::essai
