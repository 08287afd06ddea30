#pragma once
// L'ordonnanceur des essais et des rejeux : il avance une horloge factice et appelle les
// gestionnaires des minuteries à leur intervalle, et les événements scriptés à leur instant, dans
// l'ordre du temps, sans jamais attendre. Même instant : les minuteries d'abord (dans l'ordre où
// elles ont été suivies), puis les événements (dans l'ordre où ils ont été planifiés).
#include <cstdint>
#include <deque>
#include <functional>
#include <map>

#include "base/horloge.hpp"
#include "actions/minuterie.hpp"

namespace lumi {

class Ordonnanceur {
public:
    explicit Ordonnanceur(HorlogeFactice& horloge) : horloge_(horloge) {}

    // Suit la minuterie : quand elle est active, `gestionnaire` est appelé toutes les `intervalle()`
    // millisecondes ; un changement d'intervalle ou de marche relance le décompte à cet instant.
    void suivre(Minuterie& minuterie, std::function<void()> gestionnaire);

    // Un événement à l'instant `ms` du compteur monotone de l'horloge (jamais dans le passé : un
    // instant passé vaut maintenant).
    void planifier(std::int64_t ms, std::function<void()> action);
    void planifier_dans(std::int64_t delai_ms, std::function<void()> action) {
        planifier(horloge_.millisecondes() + delai_ms, std::move(action));
    }

    // Joue tout ce qui tombe jusqu'à l'instant `ms` compris, puis y laisse l'horloge.
    void avancer_jusqu_a(std::int64_t ms);
    void avancer(std::int64_t delai_ms) { avancer_jusqu_a(horloge_.millisecondes() + delai_ms); }

    std::int64_t maintenant() const { return horloge_.millisecondes(); }
    std::uint64_t appels() const { return appels_; }

private:
    struct Suivi {
        Minuterie* minuterie;
        std::function<void()> gestionnaire;
        std::uint64_t version_vue;
        std::int64_t echeance;  // -1 : arrêtée
    };

    void resynchroniser();
    void aller_a(std::int64_t ms);

    HorlogeFactice& horloge_;
    std::deque<Suivi> suivis_;  // références stables : un gestionnaire peut en suivre d'autres
    // Instant -> actions dans l'ordre de planification.
    std::multimap<std::int64_t, std::function<void()>> evenements_;
    std::uint64_t appels_ = 0;
};

}  // namespace lumi
