#pragma once
// L'état d'une minuterie de la fenêtre principale : intervalle et marche. La coquille (QTimer) ou
// l'ordonnanceur des essais la suivent ; tout changement relance le décompte, comme un minuteur
// de fenêtre dont on change l'intervalle ou la marche.
#include <cstdint>
#include <string>
#include <string_view>

namespace lumi {

class Minuterie {
public:
    Minuterie(std::string_view nom, std::int32_t intervalle_ms, bool active)
        : nom_(nom), intervalle_ms_(intervalle_ms), active_(active) {}

    const std::string& nom() const { return nom_; }
    std::int32_t intervalle() const { return intervalle_ms_; }
    bool active() const { return active_; }

    void definir_intervalle(std::int32_t ms) {
        intervalle_ms_ = ms;
        ++version_;
    }
    void activer(bool active) {
        active_ = active;
        ++version_;
    }

    // Change à chaque réglage : qui suit la minuterie relance alors son décompte.
    std::uint64_t version() const { return version_; }

private:
    std::string nom_;
    std::int32_t intervalle_ms_;
    bool active_;
    std::uint64_t version_ = 0;
};

}  // namespace lumi
