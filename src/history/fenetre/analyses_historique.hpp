#pragma once
// Ce que l'historique sait dire de plus que ses totaux : la facture projetée à la fin de la période,
// les connexions montrées reprises sous une autre tarification, et le coût des derniers mois.
#include <filesystem>
#include <optional>
#include <string>

#include "history/fenetre/vue_historique.hpp"
#include "history/graphique_mois.hpp"
#include "history/projection_facture.hpp"

namespace lumi {

// Type 0 : le total montré (TTC ou HT comme la liste) prolongé jusqu'à la fin de la période.
ProjectionFacture projection_de_la_vue(const VueHistorique& vue, NumeroJour aujourdhui);
// "Projection fin de période : 123,45 F TTC, le 04/02/2001".
std::string texte_projection(const ProjectionFacture& p, const ReglagesAffichageHistorique& reglages);

// Les lignes montrées (la vue doit garder ses lignes) reprises sous `tarif` et `option`.
struct ComparaisonTarification {
    std::string tarif, option;
    double total_ht = 0, total_ttc = 0;
    double total_ht_retarife = 0, total_ttc_retarife = 0;
    int comptees = 0, ignorees = 0;
};
inline constexpr std::string_view note_forfaits_recomptes =
    "Les forfaits sont recomptés depuis leur temps entier au début de la plage.";
// Lève ErreurFichier ou ErreurConversion (tarif ou option inconnus).
ComparaisonTarification comparer_tarification(const VueHistorique& vue, const std::filesystem::path& fichier_tarifs,
                                              const std::string& tarif, const std::string& option, bool alsace);
// Le texte de la boîte de la fenêtre : les deux totaux, la différence, la note des forfaits.
std::string texte_comparaison(const ComparaisonTarification& c, const ReglagesAffichageHistorique& reglages);

// Les douze derniers mois qui ont un fichier, avec les filtres de la vue, TTC ou HT comme elle.
GraphiqueMois graphique_de_la_vue(const VueHistorique& vue, NumeroJour aujourdhui, const ReglagesMonnaie& monnaie);

}  // namespace lumi
