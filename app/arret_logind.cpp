#include "arret_logind.hpp"

#include <QDBusConnection>
#include <QDBusMessage>

namespace lumi {

bool ArretLogind::eteindre() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        erreur_ = bus.lastError().message();
        return false;
    }
    QDBusMessage appel =
        QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                       "org.freedesktop.login1.Manager", "PowerOff");
    appel << true;  // interactive : polkit peut demander une autorisation
    appel.setInteractiveAuthorizationAllowed(true);
    // Une autorisation demandée à l'utilisateur peut prendre du temps : deux minutes au plus.
    const QDBusMessage reponse = bus.call(appel, QDBus::Block, 120000);
    if (reponse.type() == QDBusMessage::ErrorMessage) {
        erreur_ = reponse.errorName() + " : " + reponse.errorMessage();
        return false;
    }
    erreur_.clear();
    return true;
}

}  // namespace lumi
