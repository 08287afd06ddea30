#include "platform/linux/notifications_dbus.hpp"

#include <systemd/sd-bus.h>

namespace lumi {

namespace {

void verifier(int r) {
    if (r < 0) throw ErreurBus({}, "Notification mal formée (texte qui n'est pas de l'UTF-8 ?)");
}

}  // namespace

NotificationsDbus::~NotificationsDbus() = default;

std::string echapper_balisage(const std::string& texte) {
    std::string sortie;
    sortie.reserve(texte.size());
    for (const char c : texte) {
        switch (c) {
            case '&':
                sortie += "&amp;";
                break;
            case '<':
                sortie += "&lt;";
                break;
            case '>':
                sortie += "&gt;";
                break;
            default:
                sortie += c;
        }
    }
    return sortie;
}

void NotificationsDbus::notifier(const std::string& titre, const std::string& texte) {
    try {
        if (bus_ && !bus_->connecte()) bus_.reset();
        if (!bus_) bus_ = BusDbus::session();
        // Ce que le bus a envoyé depuis le dernier avis (accueil, signaux) est lu et oublié : rien
        // ne s'accumule pendant une longue session.
        bus_->traiter();
        auto appel = bus_->methode("org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                                   "org.freedesktop.Notifications", "Notify");
        sd_bus_message* m = appel.get();
        verifier(sd_bus_message_append(m, "susss", "Lumicompteur 2000", 0u, "lumicompteur", titre.c_str(),
                                       echapper_balisage(texte).c_str()));
        verifier(sd_bus_message_append(m, "as", 0));
        verifier(sd_bus_message_append(m, "a{sv}", 2, "desktop-entry", "s", "lumicompteur", "urgency", "y",
                                       std::uint8_t{1}));
        verifier(sd_bus_message_append(m, "i", -1));
        bus_->envoyer_sans_reponse(appel, delai_);
        erreur_.clear();
    } catch (const ErreurBus& e) {
        // Perdu : l'avis seul ; le prochain essaie un bus neuf.
        erreur_ = e.what();
        bus_.reset();
    }
}

}  // namespace lumi
