#include "tariff/prix.hpp"

#include <algorithm>
#include <limits>

#include "tariff/calendrier.hpp"

namespace lumi {

namespace {

std::int64_t division_plancher(std::int64_t a, std::int64_t b) {
    const auto q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

[[noreturn]] void erreur_jour_sans_liste(const TroisListes& plages, NumeroJour jour, int numero) {
    const auto& o = plages[0].origine();
    const std::string quel = numero == 8 ? "férié" : std::string(nom_du_jour(numero));
    throw ErreurPlagesHoraires("Aucune des listes de plages horaires p1, p2, p3 de la section [" + o.section +
                               "] du fichier « " + o.fichier + " » ne s'applique au " + formater_date(jour) +
                               " (jour " + quel + ").");
}

}  // namespace

double calcul_prix_communication_sans_reduction(const tparametre_de_la_tarification& tarif_donne,
                                                const TroisListes& plages_du_tarif,
                                                const ValeursTaux& valeur_taux, bool alsace,
                                                std::int32_t debut_seconde, NumeroJour debut_date,
                                                NumeroJour fin_date, std::int32_t fin_seconde,
                                                bool avec_credit) {
    auto tarif = tarif_donne;
    if (!avec_credit) tarif.credit_temps = 0;
    if (tarif.credit_temps == 0) tarif.cout_ht_credit_temps = 0;

    // Les secondes taxées commencent après le crédit temps, peut-être le lendemain.
    const std::int64_t debut_taxe = std::int64_t{debut_seconde} + tarif.credit_temps;
    const std::int64_t jours_en_plus = division_plancher(debut_taxe, secondes_par_jour);
    const NumeroJour premier_jour = static_cast<NumeroJour>(debut_date + jours_en_plus);
    std::int64_t s = debut_taxe - jours_en_plus * secondes_par_jour;

    double total = 0;
    const std::int64_t pas = tarif.pas_tarif;
    const bool a_la_seconde = pas <= 1;  // un pas de 0 ou négatif facture aussi à la seconde
    const double prix_plein = tarif.cout_ht_plein_tarif;

    // Encore dans le crédit temps : rien d'autre que la connexion et le crédit.
    const bool dans_le_credit =
        premier_jour > fin_date || (premier_jour == fin_date && s > std::int64_t{fin_seconde});
    if (!dans_le_credit) {
        const std::int64_t n = std::int64_t{fin_date} - premier_jour + 1;
        for (std::int64_t j = 0; j < n; ++j) {
            if (j > 0) {
                // Le premier pas qui commence après minuit garde le rythme de la veille.
                if (a_la_seconde) {
                    s = 0;
                } else {
                    const auto r = (secondes_par_jour - s) % pas;
                    s = r != 0 ? pas - r : 0;
                }
            }
            const bool dernier = j == n - 1;
            // À la seconde, la seconde de fin n'est pas encore écoulée ; un pas qui commence à la
            // seconde de fin est dû.
            std::int64_t e = dernier ? std::int64_t{fin_seconde} : secondes_par_jour - 1;
            if (a_la_seconde && dernier) e -= 1;

            const auto jour = static_cast<NumeroJour>(premier_jour + j);
            const int numero = get_day_of_week_jours_feries(jour, alsace);
            const int k = get_nb_plage_horaire_par_rapport_au_jour_passe(numero, plages_du_tarif);
            if (k == 0) erreur_jour_sans_liste(plages_du_tarif, jour, numero);

            for (const auto& groupe : plages_du_tarif[static_cast<std::size_t>(k - 1)].groupes()) {
                const double reduction = valeur_taux[static_cast<std::size_t>(groupe.indice_taux)];
                for (const auto& iv : groupe.intervalles) {
                    const std::int64_t lo = std::max<std::int64_t>(s, iv.debut);
                    const std::int64_t hi = std::min<std::int64_t>(e, iv.fin);
                    if (lo > hi) continue;
                    double cout;
                    if (a_la_seconde) {
                        cout = static_cast<double>(hi - lo + 1) * (prix_plein / 60.0);
                    } else {
                        // Pas qui commencent dans [lo, hi] : s, s + pas, s + 2·pas...
                        const std::int64_t premier = s + ((lo - s) + pas - 1) / pas * pas;
                        const std::int64_t nombre = hi >= premier ? (hi - premier) / pas + 1 : 0;
                        cout = static_cast<double>(nombre) * prix_plein;
                    }
                    cout -= cout * reduction * 0.01;
                    total += cout;
                }
            }
        }
    }
    return static_cast<double>(tarif.cout_ht_connexion) + static_cast<double>(tarif.cout_ht_credit_temps) +
           total;
}

double calcul_prix_avec_reduction(std::uint8_t type_forfait, double prix,
                                  const tparametre_de_la_reduction& option,
                                  const tparametre_de_la_tarification& tarif, CompteursReduction& compteurs,
                                  std::int32_t duree_connexion, int plage_en_cours) {
    if (type_forfait == type_forfait_f) return 0.0;  // le forfait paie tout tant qu'il dure
    if (type_forfait != type_forfait_r) return prix;
    if (option.t[1] == 0) return prix - option.taux * prix * 0.01;

    const auto e = duree_connexion;
    const auto& dt = option.dt;
    const std::array<bool, 4> fenetre{false, dt[1] <= e && e < dt[2], dt[2] <= e && e < dt[3], dt[3] <= e};
    auto& plein = compteurs.secondes_plein;
    auto& reduit = compteurs.secondes_reduit;
    // Recalculés depuis la durée à chaque appel : un top manqué ne perd rien. En 64 bits puis bornés :
    // un début de fenêtre aberrant (dt très négatif) ne fait pas déborder le compteur.
    const auto secondes_dans_fenetre = [&](std::size_t w, std::int32_t autre) {
        const std::int64_t v = std::int64_t{e} - dt[w] - autre;
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                                  std::numeric_limits<std::int32_t>::max()));
    };
    for (std::size_t w = 1; w <= 3; ++w) {
        if (!fenetre[w]) continue;
        if (plage_en_cours == 1) {
            plein[w] = secondes_dans_fenetre(w, reduit[w]);
        } else if (plage_en_cours == 2) {
            reduit[w] = secondes_dans_fenetre(w, plein[w]);
        }
    }
    double remise = 0;
    for (std::size_t w = 1; w <= 3; ++w) {
        remise +=
            (plein[w] / 60.0 * tarif.cout_ht_plein_tarif + reduit[w] / 60.0 * tarif.cout_ht_tarif_reduit) *
            option.t[w] * 0.01;
    }
    return prix - static_cast<float>(remise);
}

}  // namespace lumi
