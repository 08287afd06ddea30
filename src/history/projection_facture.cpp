#include "history/projection_facture.hpp"

#include <algorithm>

#include "plans/raz_forfaits.hpp"

namespace lumi {

ProjectionFacture projeter_facture(double total, NumeroJour debut_periode, NumeroJour aujourdhui) {
    const int ecoules = std::clamp(aujourdhui - debut_periode + 1, 1, jours_periode_facturation);
    // La date est celle que la fenêtre annonce pour la période suivante (début + 60, dernier jour
    // que la facture en cours montre).
    return {total / ecoules * jours_periode_facturation, debut_periode + jours_periode_facturation};
}

}  // namespace lumi
