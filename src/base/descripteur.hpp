#pragma once
// Un descripteur de fichier possédé : fermé à la destruction, déplaçable, jamais copié.
#include <unistd.h>

#include "base/posix_windows.hpp"

#include <cerrno>
#include <utility>

namespace lumi {

class Descripteur {
public:
    Descripteur() = default;
    explicit Descripteur(int fd) : fd_(fd) {}
    ~Descripteur() { fermer(); }
    Descripteur(Descripteur&& autre) noexcept : fd_(std::exchange(autre.fd_, -1)) {}
    Descripteur& operator=(Descripteur&& autre) noexcept {
        if (this != &autre) {
            fermer();
            fd_ = std::exchange(autre.fd_, -1);
        }
        return *this;
    }
    Descripteur(const Descripteur&) = delete;
    Descripteur& operator=(const Descripteur&) = delete;

    int get() const { return fd_; }
    bool valide() const { return fd_ >= 0; }

    // Ferme et rend errno (0 si tout va bien, ou si rien n'était ouvert). Linux libère le descripteur
    // même quand close échoue : on ne réessaie jamais, et EINTR ne compte pas comme une erreur.
    int fermer() {
        if (fd_ < 0) return 0;
        const int fd = std::exchange(fd_, -1);
        if (::close(fd) != 0 && errno != EINTR) return errno;
        return 0;
    }

private:
    int fd_ = -1;
};

}  // namespace lumi
