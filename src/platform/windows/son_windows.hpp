#pragma once
// Le son sous Windows : sndPlaySound joue le .wav sans attendre, et jamais le son par défaut du
// système quand le fichier manque.
#include "plans/son.hpp"

namespace lumi {

class SonWindows final : public Son {
public:
    void jouer(const std::filesystem::path& wav) override;
};

}  // namespace lumi
