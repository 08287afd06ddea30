#pragma once
// Le son sous Linux : un lecteur de la machine (paplay, sinon aplay) joue le .wav sans que le
// programme l'attende. Sans lecteur ou sans fichier, rien ne joue (aucun son par défaut).
#include <sys/types.h>

#include <filesystem>
#include <vector>

#include "plans/son.hpp"

namespace lumi {

class SonLinux final : public Son {
public:
    SonLinux();
    // Les lecteurs encore en train de jouer continuent seuls.
    ~SonLinux() override;
    SonLinux(const SonLinux&) = delete;
    SonLinux& operator=(const SonLinux&) = delete;

    void jouer(const std::filesystem::path& wav) override;
    bool lecteur_present() const { return !lecteur_.empty(); }

private:
    void ramasser();  // les lecteurs finis ne restent pas en zombies

    std::filesystem::path lecteur_;
    std::vector<pid_t> en_cours_;
};

}  // namespace lumi
