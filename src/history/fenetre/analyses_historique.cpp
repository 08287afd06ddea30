#include "history/fenetre/analyses_historique.hpp"

#include <cctype>
#include <vector>

#include "base/decimal.hpp"
#include "history/retarification.hpp"

namespace fs = std::filesystem;

namespace lumi {

namespace {

// Un montant aux décimales de la fenêtre, comme les totaux à côté.
std::string montant(double valeur, const ReglagesAffichageHistorique& r) {
    return formater_decimal(valeur, r.nb_decimales, r.separateur) + r.devise;
}

// "HH:MM:SS" en secondes ; rien si le texte ne se lit pas.
std::optional<std::int32_t> secondes_duree(const std::string& duree) {
    if (duree.size() != 8 || duree[2] != ':' || duree[5] != ':') return std::nullopt;
    int total = 0;
    for (const std::size_t debut : {std::size_t{0}, std::size_t{3}, std::size_t{6}}) {
        if (!std::isdigit(static_cast<unsigned char>(duree[debut])) ||
            !std::isdigit(static_cast<unsigned char>(duree[debut + 1])))
            return std::nullopt;
        total = total * 60 + (duree[debut] - '0') * 10 + (duree[debut + 1] - '0');
    }
    return total;
}

}  // namespace

ProjectionFacture projection_de_la_vue(const VueHistorique& vue, NumeroJour aujourdhui) {
    const auto& a = vue.accumulateurs();
    return projeter_facture(vue.reglages().ttc ? a.total_ttc : a.total_ht, vue.date_facture(), aujourdhui);
}

std::string texte_projection(const ProjectionFacture& p, const ReglagesAffichageHistorique& reglages) {
    return "Projection fin de période : " + montant(p.montant, reglages) + (reglages.ttc ? " TTC" : " HT") +
           ", le " + formater_date(p.date);
}

ComparaisonTarification comparer_tarification(const VueHistorique& vue, const fs::path& fichier_tarifs,
                                              const std::string& tarif, const std::string& option, bool alsace) {
    const auto& r = vue.reglages();
    std::vector<EnregistrementHistorique> enregistrements;
    enregistrements.reserve(vue.lignes().size());
    for (const auto& l : vue.lignes()) {
        EnregistrementHistorique e;
        if (l.jour != 0) e.jour = l.jour;
        e.heure = l.heure;
        // Une durée illisible laisse l'enregistrement de côté, compté.
        if (const auto s = secondes_duree(l.duree)) {
            e.secondes = *s;
        } else {
            e.jour.reset();
        }
        enregistrements.push_back(std::move(e));
    }
    const auto retarifes = retarifer(enregistrements, fichier_tarifs, tarif, option, alsace);

    ComparaisonTarification c;
    c.tarif = tarif;
    c.option = option;
    c.total_ht = vue.accumulateurs().total_ht;
    c.total_ttc = vue.accumulateurs().total_ttc;
    c.ignorees = retarifes.ignores;
    const double facteur_tva = 1 + r.taux_tva / 100;
    for (const auto& ht : retarifes.montants_ht) {
        if (!ht) continue;
        ++c.comptees;
        c.total_ht_retarife += *ht;
        c.total_ttc_retarife += arrondi_affiche(*ht * facteur_tva, r.nb_decimales);
    }
    return c;
}

std::string texte_comparaison(const ComparaisonTarification& c, const ReglagesAffichageHistorique& r) {
    const double actuel = r.ttc ? c.total_ttc : c.total_ht;
    const double autre = r.ttc ? c.total_ttc_retarife : c.total_ht_retarife;
    const std::string base = r.ttc ? " TTC" : " HT";
    std::string texte = "Connexions montrées : " + montant(actuel, r) + base + "\n" + "Avec « " + c.tarif + " »" +
                        (c.option.empty() ? "" : " et l'option « " + c.option + " »") + " : " + montant(autre, r) +
                        base + "\n" + "Différence : " + (autre - actuel >= 0 ? "+" : "") +
                        montant(autre - actuel, r) + base;
    if (c.ignorees > 0) texte += "\n" + std::to_string(c.ignorees) + " connexion(s) sans date ni heure lisibles laissée(s) de côté.";
    texte += "\n" + std::string(note_forfaits_recomptes);
    return texte;
}

GraphiqueMois graphique_de_la_vue(const VueHistorique& vue, NumeroJour aujourdhui, const ReglagesMonnaie& monnaie) {
    const auto& r = vue.reglages();
    std::vector<TotalMois> totaux;
    for (const auto& entree : vue.liste_mois().entrees) {
        const auto plage = plage_du_mois(entree);
        if (!plage) continue;
        const auto date = date_du_jour(plage->first);
        const auto mois = static_cast<unsigned>(date.month());
        const int annee = static_cast<int>(date.year());
        CriteresHistorique criteres = vue.criteres();
        criteres.debut = plage->first;
        criteres.fin = plage->second;
        criteres.effacees = false;
        AccumulateursHistorique acc;
        if (!lecture_mois_historique(vue.dossier_historique(), mois, annee, criteres, r, acc, {})) continue;
        totaux.push_back({mois, annee, r.ttc ? acc.total_ttc : acc.total_ht});
        if (totaux.size() == nb_mois_graphique) break;  // la liste va du plus récent au plus ancien
    }
    const auto aujourd = date_du_jour(aujourdhui);
    return graphique_mois(std::move(totaux), static_cast<unsigned>(aujourd.month()),
                          static_cast<int>(aujourd.year()), r.ttc, monnaie);
}

}  // namespace lumi
