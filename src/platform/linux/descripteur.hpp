#pragma once
// Un descripteur de fichier possédé : fermé à la destruction, déplaçable, jamais copié.
#include <unistd.h>

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
    void fermer() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

}  // namespace lumi
