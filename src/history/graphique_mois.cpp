#include "history/graphique_mois.hpp"

#include <algorithm>
#include <array>

namespace lumi {

namespace {

constexpr std::array<const char*, 12> mois_courts = {"janv.", "févr.", "mars", "avr.", "mai", "juin",
                                                     "juil.", "août", "sept.", "oct.", "nov.", "déc."};

}  // namespace

GraphiqueMois graphique_mois(std::vector<TotalMois> totaux, unsigned mois_courant, int annee_courante, bool ttc,
                             const ReglagesMonnaie& monnaie) {
    std::erase_if(totaux, [](const TotalMois& t) { return t.mois < 1 || t.mois > 12; });
    std::sort(totaux.begin(), totaux.end(), [](const TotalMois& a, const TotalMois& b) {
        return a.annee != b.annee ? a.annee < b.annee : a.mois < b.mois;
    });
    if (totaux.size() > nb_mois_graphique) totaux.erase(totaux.begin(), totaux.end() - nb_mois_graphique);

    GraphiqueMois g;
    g.titre = ttc ? "Coût par mois (TTC)" : "Coût par mois (HT)";
    double plus_grand = 0;
    for (const auto& t : totaux) plus_grand = std::max(plus_grand, t.montant);
    auto deux_decimales = monnaie;
    deux_decimales.nb_decimales = 2;
    for (const auto& t : totaux) {
        BarreMois b;
        b.mois = mois_courts[t.mois - 1];
        b.annee = std::to_string(t.annee);
        b.montant = t.montant;
        // Le montant est déjà dans la base montrée : pas de TVA ajoutée ici.
        b.texte = formater_montant(texte_montant(t.montant), false, 0, deux_decimales) + texte_devise(monnaie);
        b.hauteur = plus_grand > 0 ? std::max(t.montant, 0.0) / plus_grand : 0;
        b.courant = t.mois == mois_courant && t.annee == annee_courante;
        g.barres.push_back(std::move(b));
    }
    return g;
}

}  // namespace lumi
