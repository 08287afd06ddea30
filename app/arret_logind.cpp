#include "arret_logind.hpp"

#include <systemd/sd-bus.h>

#include <QSocketNotifier>
#include <QTimer>

namespace lumi {

ArretLogind::ArretLogind(int attente_ms) : attente_ms_(attente_ms) {}

ArretLogind::~ArretLogind() = default;

void ArretLogind::terminer(const Fin& fin, const QString& raison) {
    erreur_ = raison;
    if (fin) fin(raison.isEmpty(), raison.toStdString());
}

namespace {

// La raison en français ; le message de logind ou de polkit suit tel quel.
QString raison_de(const ErreurBus& erreur) {
    const QString message = QString::fromStdString(erreur.message());
    if (erreur.delai_depasse()) return "Le service d'arrêt (logind) n'a pas répondu à temps.";
    if (erreur.nom() == SD_BUS_ERROR_SERVICE_UNKNOWN || erreur.nom() == SD_BUS_ERROR_NAME_HAS_NO_OWNER)
        return "Le service d'arrêt (logind) est absent.";
    if (erreur.nom() == SD_BUS_ERROR_ACCESS_DENIED) return "Arrêt refusé : " + message;
    return "Arrêt refusé par logind : " + message + " (" + QString::fromStdString(erreur.nom()) + ")";
}

}  // namespace

void ArretLogind::traiter() {
    // La réponse peut détruire l'appel : rien de ce qui suit ne touche aux membres après elle.
    try {
        if (bus_) bus_->traiter();
    } catch (const ErreurBus&) {
        // Le bus perdu : le délai de l'appel le dira.
    }
}

void ArretLogind::eteindre(Fin fin) {
    appel_.reset();
    lecture_.reset();
    echeance_.reset();
    bus_.reset();
    try {
        bus_ = BusDbus::systeme();
        auto appel = bus_->methode("org.freedesktop.login1", "/org/freedesktop/login1",
                                   "org.freedesktop.login1.Manager", "PowerOff");
        sd_bus_message_append(appel.get(), "b", 1);  // interactive : polkit peut demander une autorisation
        sd_bus_message_set_allow_interactive_authorization(appel.get(), 1);
        appel_ = bus_->appeler_sans_attendre(
            appel, std::chrono::milliseconds(attente_ms_),
            [this, fin = std::move(fin)](sd_bus_message*, const ErreurBus* erreur) {
                const QString raison = erreur != nullptr ? raison_de(*erreur) : QString();
                // La réponse est dite une seule fois ; le bus part ensuite, hors de son traitement.
                if (echeance_) echeance_->stop();
                if (lecture_) lecture_->setEnabled(false);
                terminer(fin, raison);
            });
    } catch (const ErreurBus& e) {
        const QString detail = QString::fromStdString(e.message());
        bus_.reset();
        terminer(fin, detail.startsWith("Bus système injoignable") ? detail
                                                                   : "Bus système injoignable : " + detail);
        return;
    }
    lecture_ = std::make_unique<QSocketNotifier>(bus_->descripteur(), QSocketNotifier::Read);
    QObject::connect(lecture_.get(), &QSocketNotifier::activated, lecture_.get(), [this] { traiter(); });
    // Le délai de l'appel n'est vu que quand le bus est traité : un réveil à l'échéance.
    echeance_ = std::make_unique<QTimer>();
    echeance_->setSingleShot(true);
    QObject::connect(echeance_.get(), &QTimer::timeout, echeance_.get(), [this] { traiter(); });
    echeance_->start(attente_ms_ + 50);
}

}  // namespace lumi
