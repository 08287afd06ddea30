#include "platform/simulation/ordonnanceur.hpp"

#include <algorithm>
#include <limits>

namespace lumi {

namespace {

std::int64_t prochaine_echeance(const Minuterie& m, std::int64_t maintenant) {
    // Un intervalle nul ou négatif ne déclenche rien, comme un minuteur de fenêtre.
    return m.active() && m.intervalle() > 0 ? maintenant + m.intervalle() : -1;
}

}  // namespace

void Ordonnanceur::suivre(Minuterie& minuterie, std::function<void()> gestionnaire) {
    suivis_.push_back({&minuterie, std::move(gestionnaire), minuterie.version(),
                       prochaine_echeance(minuterie, horloge_.millisecondes())});
}

void Ordonnanceur::planifier(std::int64_t ms, std::function<void()> action) {
    evenements_.emplace(std::max(ms, horloge_.millisecondes()), std::move(action));
}

void Ordonnanceur::resynchroniser() {
    const auto maintenant = horloge_.millisecondes();
    for (auto& s : suivis_) {
        if (s.minuterie->version() != s.version_vue) {
            s.version_vue = s.minuterie->version();
            s.echeance = prochaine_echeance(*s.minuterie, maintenant);
        }
    }
}

void Ordonnanceur::aller_a(std::int64_t ms) {
    const auto maintenant = horloge_.millisecondes();
    if (ms > maintenant) horloge_.avancer_ms(ms - maintenant);
}

void Ordonnanceur::avancer_jusqu_a(std::int64_t ms) {
    for (;;) {
        resynchroniser();
        // La minuterie la plus proche ; à égalité la première suivie.
        Suivi* suivante = nullptr;
        for (auto& s : suivis_) {
            if (s.echeance >= 0 && (suivante == nullptr || s.echeance < suivante->echeance)) suivante = &s;
        }
        const std::int64_t t_minuterie =
            suivante != nullptr ? suivante->echeance : std::numeric_limits<std::int64_t>::max();
        const std::int64_t t_evenement =
            evenements_.empty() ? std::numeric_limits<std::int64_t>::max() : evenements_.begin()->first;
        const std::int64_t t = std::min(t_minuterie, t_evenement);
        if (t > ms) break;

        aller_a(t);
        ++appels_;
        if (t_minuterie <= t_evenement) {
            // L'échéance suivante garde le rythme, sauf si le gestionnaire règle la minuterie.
            const auto intervalle = suivante->minuterie->intervalle();
            suivante->echeance = intervalle > 0 ? suivante->echeance + intervalle : -1;
            suivante->gestionnaire();
        } else {
            auto action = std::move(evenements_.begin()->second);
            evenements_.erase(evenements_.begin());
            action();
        }
    }
    aller_a(ms);
}

}  // namespace lumi
