#pragma once
// Le pas payé jusqu'au bout : chaque pas commencé est dû en entier, si bien qu'un raccrochage
// demandé en plein pas peut attendre sa fin sans rien coûter de plus.
#include "base/dates.hpp"
#include "tariff/enregistrements.hpp"

namespace lumi {

// Marge gardée avant le début du pas suivant : le raccrochage prend un peu de temps.
inline constexpr int marge_fin_de_pas = 3;

// L'instant où raccrocher pour une connexion commencée à `debut`, quand le déclenchement tombe à
// `declenchement` : `marge_fin_de_pas` secondes avant le début du pas suivant (les pas commencent
// après le crédit temps, d'un même rythme d'un jour à l'autre), ou tout de suite si ce moment est
// passé ou si le tarif facture à la seconde.
Moment raccrochage_fin_du_pas(const tparametre_de_la_tarification& tarif, Moment debut, Moment declenchement);

}  // namespace lumi
