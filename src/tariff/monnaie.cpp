#include "tariff/monnaie.hpp"

#include <cmath>
#include <cstdio>

#include "base/decimal.hpp"
#include "base/erreurs.hpp"
#include "base/texte.hpp"
#include "settings/parametres.hpp"

namespace lumi {

std::string formater_montant(std::string_view texte, bool ttc, double taux, const ReglagesMonnaie& reglages) {
    if (taux == 0) taux = reglages.taux_tva;
    const auto lu = lire_decimal(texte);
    if (!lu) throw ErreurConversion("Le montant « " + std::string(texte) + " » n'est pas un nombre.");
    double v = *lu;
    if (ttc) v = v + v * taux * 0.01;
    const int decimales = reglages.nb_decimales == 2 ? 2 : 3;
    const char separateur = reglages.locale.separateur_decimal;
    if (std::fabs(v) < 1e7) return formater_decimal(v, decimales, separateur);

    // Au-delà de sept chiffres entiers : mantisse à sept chiffres significatifs et exposant.
    char tampon[64];
    std::snprintf(tampon, sizeof tampon, "%.6E", v);
    std::string resultat = tampon;
    if (const auto point = resultat.find('.'); point != std::string::npos) resultat[point] = separateur;
    return resultat;
}

std::string texte_devise(std::string_view symbole_monetaire) {
    if (symbole_monetaire == "F" || symbole_monetaire == "Frs" || symbole_monetaire == "frs") {
        return " " + std::string(symbole_monetaire);
    }
    return " F";
}

std::string texte_montant(double montant) {
    char tampon[64];
    std::snprintf(tampon, sizeof tampon, "%.15g", montant);
    return tampon;
}

int lire_nb_decimales(const FichierIni& reglages) {
    return rogner(lire(reglages, parametres::nb_de_decimales)) == "2" ? 2 : 3;
}

bool lire_affichage_ttc(const FichierIni& reglages) {
    return lire(reglages, parametres::affichage) != "hors taxes";
}

}  // namespace lumi
