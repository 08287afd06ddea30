#pragma once
// Un processus d'essai qui tient lieu de pppd : il attend sans rien faire jusqu'à ce qu'on le tue.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace lumi::essai {

// Un processus vivant que l'essai tue quand il veut. Rendu une fois prêt : nommé, ou son programme
// lancé, si bien que /proc dit déjà ce qu'il est.
class ProcessusEssai {
public:
    // Un enfant qui attend sous le nom court `nom` (celui de /proc/PID/comm) : « pppd » par défaut.
    explicit ProcessusEssai(const char* nom = "pppd") {
        int tube[2];
        if (::pipe2(tube, O_CLOEXEC) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::prctl(PR_SET_NAME, nom);
            ::close(tube[1]);
            for (;;) ::pause();
        }
        attendre_pret(tube);
    }
    // Un programme lancé : commande[0] est son chemin. Rendu quand il a pris la place de l'enfant.
    explicit ProcessusEssai(const std::vector<std::string>& commande) {
        std::vector<std::string> copie(commande);
        std::vector<char*> argv;
        for (auto& a : copie) argv.push_back(a.data());
        argv.push_back(nullptr);
        int tube[2];
        if (argv.size() < 2 || ::pipe2(tube, O_CLOEXEC) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execv(argv[0], argv.data());  // le tube se ferme au lancement
            ::_exit(127);
        }
        attendre_pret(tube);
    }
    ~ProcessusEssai() { tuer(); }
    ProcessusEssai(const ProcessusEssai&) = delete;
    ProcessusEssai& operator=(const ProcessusEssai&) = delete;

    pid_t pid() const { return pid_; }
    void tuer() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        attendre();
    }
    // Attend la fin du processus et rend son statut.
    int attendre() {
        int statut = 0;
        if (pid_ > 0) ::waitpid(pid_, &statut, 0);
        pid_ = -1;
        return statut;
    }
    // Vit-il encore ? Un enfant fini n'est pas récolté : son pid reste à lui.
    bool vivant() const {
        siginfo_t info{};
        return pid_ > 0 &&
               ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
               info.si_pid == 0;
    }

private:
    // L'enfant ferme le tube (ou le lancement le ferme) quand il est prêt : la lecture rend 0.
    static void attendre_pret(const int tube[2]) {
        ::close(tube[1]);
        char octet = 0;
        while (::read(tube[0], &octet, 1) < 0 && errno == EINTR) {
        }
        ::close(tube[0]);
    }

    pid_t pid_ = -1;
};

}  // namespace lumi::essai
