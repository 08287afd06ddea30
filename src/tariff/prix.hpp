#pragma once
// Prix d'un appel : sans réduction (plages du tarif, pas, crédit temps, réductions par taux), puis ce
// que l'option en cours laisse à payer. Tout en francs hors taxes, calculs en double.
#include <array>
#include <cstdint>

#include "base/dates.hpp"
#include "tariff/enregistrements.hpp"
#include "tariff/plages.hpp"

namespace lumi {

// Prix de la période du (debut_date, debut_seconde) au (fin_date, fin_seconde) avec `tarif` et ses
// propres listes de plages. Chaque pas commencé est dû en entier dès qu'il commence, au taux de la
// plage où il commence ; les pas gardent un seul rythme d'un jour à l'autre. Un pas de 1 seconde ou
// moins facture à la seconde au prix par minute. `avec_credit` faux ôte le crédit temps et son prix.
// Lève ErreurPlagesHoraires pour un jour sans liste applicable, ErreurConversion pour une liste
// mal formée.
double calcul_prix_communication_sans_reduction(const tparametre_de_la_tarification& tarif,
                                                const TroisListes& plages_du_tarif,
                                                const ValeursTaux& valeur_taux, bool alsace,
                                                std::int32_t debut_seconde, NumeroJour debut_date,
                                                NumeroJour fin_date, std::int32_t fin_seconde,
                                                bool avec_credit);

// Secondes passées dans chaque fenêtre de temps écoulé (indices 1 à 3), au plein tarif (plage en
// cours 1) ou au tarif réduit (plage 2). Remis à zéro au début de chaque connexion.
struct CompteursReduction {
    std::array<std::int32_t, 4> secondes_plein{};
    std::array<std::int32_t, 4> secondes_reduit{};
};

// Ce qui reste à payer de `prix` : 0 pour un forfait "F", `prix` pour "Fi" et tout autre type, la
// réduction "R" sinon (taux fixe, ou fenêtres de temps écoulé selon `duree_connexion` et la plage en
// cours, qui mettent à jour les compteurs).
double calcul_prix_avec_reduction(std::uint8_t type_forfait, double prix,
                                  const tparametre_de_la_reduction& option,
                                  const tparametre_de_la_tarification& tarif, CompteursReduction& compteurs,
                                  std::int32_t duree_connexion, int plage_en_cours);

}  // namespace lumi
