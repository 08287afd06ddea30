#include "history/export_csv.hpp"

#include <algorithm>
#include <charconv>

namespace lumi {

std::string champ_csv(std::string_view texte) {
    if (texte.find_first_of(";\"\r\n") == std::string_view::npos) return std::string(texte);
    std::string r = "\"";
    for (const char c : texte) {
        if (c == '"') r += '"';
        r += c;
    }
    r += '"';
    return r;
}

std::string montant_csv(double montant) {
    // to_chars ne suit pas la locale : la virgule est mise ici, une seule fois.
    char tampon[64];
    const auto fin =
        std::to_chars(tampon, tampon + sizeof tampon, montant, std::chars_format::general, 15).ptr;
    std::string texte(tampon, fin);
    std::replace(texte.begin(), texte.end(), '.', ',');
    return texte;
}

std::string ligne_csv_historique(const LigneListeHistorique& l) {
    std::string r;
    for (const std::string* champ :
         {&l.utilisateur, &l.provider, &l.date, &l.heure, &l.duree, &l.periode, &l.tarification, &l.option}) {
        r += champ_csv(*champ);
        r += ';';
    }
    r +=
        montant_csv(l.montant_reduction) + ';' + montant_csv(l.montant_ht) + ';' + montant_csv(l.montant_ttc);
    return r;
}

void ecrire_entete_csv_historique(std::ostream& flux) {
    flux << entete_csv_historique << '\n';
}

void ecrire_ligne_csv_historique(std::ostream& flux, const LigneListeHistorique& ligne) {
    flux << ligne_csv_historique(ligne) << '\n';
}

}  // namespace lumi
