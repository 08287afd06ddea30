#pragma once
// Couture du son : jouer un fichier .wav sans attendre. Un fichier absent ne joue rien (aucun son
// par défaut). Le compteur fournit l'implémentation (réelle ou simulée).
#include <filesystem>

namespace lumi {

class Son {
public:
    virtual ~Son() = default;
    virtual void jouer(const std::filesystem::path& wav) = 0;
};

}  // namespace lumi
