#include "tariff/rejeu_appel.hpp"

namespace lumi {

ResultatAppel rejouer_appel(MoteurTarifaire& moteur, Moment debut, Moment fin) {
    moteur.remise_a_zero_compteurs_reduction();
    const std::int64_t duree =
        (std::int64_t{fin.jour} - debut.jour) * secondes_par_jour + fin.seconde - debut.seconde;
    const auto& option = moteur.reduction();
    // Seules les fenêtres de temps écoulé dépendent des tops précédents.
    const bool fenetres = option.type_forfait == type_forfait_r && option.t[1] != 0;

    ResultatAppel r;
    NumeroJour dernier_jour = -1;
    int derniere_heure = -1;
    for (std::int64_t e = fenetres ? 0 : duree; e <= duree; ++e) {
        const std::int64_t absolu = std::int64_t{debut.seconde} + e;
        const auto jour = static_cast<NumeroJour>(debut.jour + absolu / secondes_par_jour);
        const auto seconde = static_cast<std::int32_t>(absolu % secondes_par_jour);
        if (jour != dernier_jour || seconde / 3600 != derniere_heure) {
            dernier_jour = jour;
            derniere_heure = seconde / 3600;
            r.plage_en_cours = moteur.plage_en_vigueur(jour, seconde);
        }
        if (e < duree) {
            moteur.calcul_prix_avec_reduction(option.type_forfait, 0.0, static_cast<std::int32_t>(e),
                                              r.plage_en_cours);
            continue;
        }
        r.prix_communication = static_cast<float>(moteur.calcul_prix_communication_sans_reduction(
            moteur.tarification(), debut.seconde, debut.jour, fin.jour, fin.seconde, true));
        r.montant_reduction =
            static_cast<float>(r.prix_communication - moteur.calcul_prix_avec_reduction(
                                                          option.type_forfait, r.prix_communication,
                                                          static_cast<std::int32_t>(e), r.plage_en_cours));
    }
    return r;
}

}  // namespace lumi
