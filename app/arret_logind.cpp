#include "arret_logind.hpp"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace lumi {

ArretLogind::ArretLogind(int attente_ms) : attente_ms_(attente_ms) {}

ArretLogind::~ArretLogind() = default;

void ArretLogind::terminer(const Fin& fin, const QString& raison) {
    erreur_ = raison;
    if (fin) fin(raison.isEmpty(), raison.toStdString());
}

namespace {

// La raison en français ; le message de logind ou de polkit suit tel quel.
QString raison_de(const QDBusError& erreur) {
    switch (erreur.type()) {
        case QDBusError::NoReply:
        case QDBusError::Timeout:
        case QDBusError::TimedOut:
            return "Le service d'arrêt (logind) n'a pas répondu à temps.";
        case QDBusError::ServiceUnknown:
            return "Le service d'arrêt (logind) est absent.";
        case QDBusError::AccessDenied:
            return "Arrêt refusé : " + erreur.message();
        default:
            return "Arrêt refusé par logind : " + erreur.message() + " (" + erreur.name() + ")";
    }
}

}  // namespace

void ArretLogind::eteindre(Fin fin) {
    appel_.reset();
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        const QString detail = bus.lastError().message();
        terminer(fin, "Bus système injoignable" + (detail.isEmpty() ? QString(".") : " : " + detail));
        return;
    }
    QDBusMessage appel =
        QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                       "org.freedesktop.login1.Manager", "PowerOff");
    appel << true;  // interactive : polkit peut demander une autorisation
    appel.setInteractiveAuthorizationAllowed(true);
    appel_ = std::make_unique<QDBusPendingCallWatcher>(bus.asyncCall(appel, attente_ms_));
    QObject::connect(appel_.get(), &QDBusPendingCallWatcher::finished, appel_.get(),
                     [this, fin = std::move(fin)](QDBusPendingCallWatcher* w) {
                         const QDBusPendingReply<> reponse = *w;
                         const QString raison = reponse.isError() ? raison_de(reponse.error()) : QString();
                         // Le surveillant part après ce signal ; la réponse est dite une seule fois.
                         appel_.release()->deleteLater();
                         terminer(fin, raison);
                     });
}

}  // namespace lumi
