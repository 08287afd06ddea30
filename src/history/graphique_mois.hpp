#pragma once
// Le graphique des mois : le coût de chacun des douze derniers mois qui ont un fichier
// d'historique, en barres, le mois en cours mis en avant. Des valeurs simples que tout peintre sait
// dessiner (la fenêtre de l'historique, l'image PNG de l'outil).
#include <string>
#include <vector>

#include "tariff/monnaie.hpp"

namespace lumi {

inline constexpr std::size_t nb_mois_graphique = 12;

struct TotalMois {
    unsigned mois = 0;  // 1 à 12
    int annee = 0;
    double montant = 0;  // déjà HT ou TTC, comme la liste le montre
};

struct BarreMois {
    std::string mois;   // "janv."
    std::string annee;  // "2000"
    std::string texte;  // "123,45 F"
    double montant = 0;
    double hauteur = 0;  // 0 à 1, par rapport au plus grand mois
    bool courant = false;
};

struct GraphiqueMois {
    std::string titre;               // "Coût par mois (TTC)"
    std::vector<BarreMois> barres;   // du plus ancien au plus récent
};

// Les douze derniers mois de `totaux` (un par fichier, dans n'importe quel ordre), le mois donné
// comme courant mis en avant ; les montants écrits à deux décimales avec la devise de `monnaie`.
GraphiqueMois graphique_mois(std::vector<TotalMois> totaux, unsigned mois_courant, int annee_courante, bool ttc,
                             const ReglagesMonnaie& monnaie);

}  // namespace lumi
