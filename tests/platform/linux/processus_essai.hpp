#pragma once
// Un processus d'essai qui tient lieu de pppd : il attend sans rien faire jusqu'à ce qu'on le tue.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lumi::essai {

// Un processus vivant que l'essai tue quand il veut (il tient lieu de pppd).
class ProcessusEssai {
public:
    ProcessusEssai() : pid_(::fork()) {
        if (pid_ == 0) {
            for (;;) ::pause();
        }
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

private:
    pid_t pid_;
};

}  // namespace lumi::essai
