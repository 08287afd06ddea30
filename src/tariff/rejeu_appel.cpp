#include "tariff/rejeu_appel.hpp"

#include <algorithm>

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
    // Un top : plage réévaluée si l'heure a changé, compteurs mis à jour.
    const auto top = [&](std::int64_t e, double prix) {
        const std::int64_t absolu = std::int64_t{debut.seconde} + e;
        const auto jour = static_cast<NumeroJour>(debut.jour + absolu / secondes_par_jour);
        const auto seconde = static_cast<std::int32_t>(absolu % secondes_par_jour);
        if (jour != dernier_jour || seconde / 3600 != derniere_heure) {
            dernier_jour = jour;
            derniere_heure = seconde / 3600;
            r.plage_en_cours = moteur.plage_en_vigueur(jour, seconde);
        }
        return moteur.calcul_prix_avec_reduction(option.type_forfait, prix, static_cast<std::int32_t>(e),
                                                 r.plage_en_cours);
    };

    // Entre deux changements (d'heure, ou de fenêtre aux secondes dt1..dt3) la plage et les fenêtres
    // actives restent les mêmes ; les compteurs, recalculés depuis la durée, ne dépendent alors que
    // du dernier top de la série : on ne joue que le premier et le dernier top de chaque série.
    std::int64_t e = fenetres ? 0 : duree;
    while (e < duree) {
        top(e, 0.0);
        const std::int64_t absolu = std::int64_t{debut.seconde} + e;
        std::int64_t suivant = std::min(duree, (absolu / 3600 + 1) * 3600 - debut.seconde);
        for (int w = 1; w <= 3; ++w) {
            if (option.dt[w] > e) suivant = std::min<std::int64_t>(suivant, option.dt[w]);
        }
        if (suivant - 1 > e) top(suivant - 1, 0.0);
        e = suivant;
    }
    r.prix_communication = static_cast<float>(moteur.calcul_prix_communication_sans_reduction(
        moteur.tarification(), debut.seconde, debut.jour, fin.jour, fin.seconde, true));
    r.montant_reduction = static_cast<float>(r.prix_communication - top(duree, r.prix_communication));
    return r;
}

}  // namespace lumi
