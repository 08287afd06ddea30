#include "history/projection_facture.hpp"

#include <algorithm>

#include "plans/raz_forfaits.hpp"

namespace lumi {

ProjectionFacture projeter_facture(double total, NumeroJour debut_periode, NumeroJour aujourdhui) {
    const int ecoules = std::clamp(aujourdhui - debut_periode + 1, 1, jours_periode_facturation);
    return {total / ecoules * jours_periode_facturation, debut_periode + jours_periode_facturation - 1};
}

}  // namespace lumi
