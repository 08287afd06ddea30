#include "ui/session.hpp"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <array>
#include <csignal>

namespace lumi {

namespace {

// La paire de prises qui porte un signal jusqu'à la boucle d'événements : le gestionnaire de
// signal n'y écrit qu'un octet (seul appel permis à cet endroit).
int prises_signal[2] = {-1, -1};

void gestionnaire_signal(int) {
    const char octet = 1;
    [[maybe_unused]] const auto n = ::write(prises_signal[0], &octet, 1);
}

constexpr std::array signaux_arret{SIGTERM, SIGHUP, SIGINT};

}  // namespace

SessionBureau::SessionBureau(QObject* parent) : QObject(parent) {
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        // Rien à sauver ni à demander : la session peut se fermer, le programme le note seulement.
        connect(application, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager&) { emit fin_de_session(); });
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, prises_signal) != 0) return;
    notificateur_ = new QSocketNotifier(prises_signal[1], QSocketNotifier::Read, this);
    connect(notificateur_, &QSocketNotifier::activated, this, &SessionBureau::signal_recu);
    struct sigaction action {};
    action.sa_handler = gestionnaire_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int s : signaux_arret) sigaction(s, &action, nullptr);
}

SessionBureau::~SessionBureau() {
    for (const int s : signaux_arret) std::signal(s, SIG_DFL);
    for (int& p : prises_signal) {
        if (p >= 0) ::close(p);
        p = -1;
    }
}

void SessionBureau::signal_recu() {
    char tampon[16];
    while (::read(prises_signal[1], tampon, sizeof tampon) > 0) {
    }
    emit fin_de_session();
    emit arret_demande();
}

}  // namespace lumi
