#include "base/decimal.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "base/texte.hpp"

namespace lumi {

namespace {

// Ôte un "+" de tête suivi d'un chiffre ou d'un point : from_chars ne connaît que le "-".
std::string_view sans_plus(std::string_view texte) {
    if (texte.size() >= 2 && texte.front() == '+' && texte[1] != '-' && texte[1] != '+')
        texte.remove_prefix(1);
    return texte;
}

// Chiffres significatifs gardés avant l'arrondi : ceux qu'un double porte sûrement. Le bruit des
// calculs (2,345 stocké 2,34499999..., 0,1 × 3 = 0,30000000000000004) disparaît ainsi.
constexpr int chiffres_significatifs = 15;

}  // namespace

std::string normaliser_decimal(std::string_view texte, char separateur) {
    std::string resultat(texte);
    std::string sans_virgule(texte);
    if (const auto virgule = texte.find(','); virgule != std::string_view::npos) {
        resultat[virgule] = separateur;
        sans_virgule.erase(virgule, 1);
    }
    if (const auto point = sans_virgule.find('.'); point != std::string::npos) {
        sans_virgule[point] = separateur;
        return sans_virgule;
    }
    return resultat;
}

std::optional<double> lire_decimal(std::string_view texte) {
    const std::string normalise = normaliser_decimal(rogner(texte), '.');
    const std::string_view t = sans_plus(normalise);
    if (t.empty()) return std::nullopt;
    // Seuls chiffres, point, signe et exposant : ni "inf", ni "nan", ni hexadécimal.
    for (const char c : t) {
        const bool permis =
            (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
        if (!permis) return std::nullopt;
    }
    double valeur = 0;
    const auto [fin, erreur] = std::from_chars(t.data(), t.data() + t.size(), valeur);
    if (erreur != std::errc{} || fin != t.data() + t.size()) return std::nullopt;
    return valeur;
}

std::optional<int> lire_entier(std::string_view texte) {
    const std::string_view t = sans_plus(rogner(texte));
    if (t.empty()) return std::nullopt;
    int valeur = 0;
    const auto [fin, erreur] = std::from_chars(t.data(), t.data() + t.size(), valeur);
    if (erreur != std::errc{} || fin != t.data() + t.size()) return std::nullopt;
    return valeur;
}

std::string formater_decimal(double valeur, int decimales, char separateur) {
    if (decimales < 0) decimales = 0;
    if (decimales > 30) decimales = 30;
    // Une valeur non finie vient d'une faute de calcul : on montre zéro plutôt qu'un texte illisible.
    if (!std::isfinite(valeur)) valeur = 0;

    // Écriture décimale "d.dddde±x" du double, arrondie ensuite comme un texte tapé.
    char tampon[64];
    const auto [fin, erreur] = std::to_chars(tampon, tampon + sizeof tampon, std::fabs(valeur),
                                             std::chars_format::scientific, chiffres_significatifs - 1);
    std::string chiffres;
    int exposant = 0;
    if (erreur == std::errc{}) {
        const std::string_view ecrit(tampon, static_cast<std::size_t>(fin - tampon));
        const auto e = ecrit.find('e');
        for (const char c : ecrit.substr(0, e)) {
            if (c != '.') chiffres += c;
        }
        exposant = std::atoi(std::string(ecrit.substr(e + 1)).c_str());
    }

    // chiffres[0] vaut 10^exposant ; on garde ceux jusqu'à 10^-decimales.
    const long garder = static_cast<long>(exposant) + 1 + decimales;
    std::string unites;  // la valeur en 10^-decimales, en chiffres
    if (garder >= 0) {
        const auto n = static_cast<std::size_t>(garder);
        unites = chiffres.substr(0, n);
        if (unites.size() < n) unites.append(n - unites.size(), '0');
        if (n < chiffres.size() && chiffres[n] >= '5') {
            // Moitié ou plus : on s'éloigne de zéro, retenue comprise.
            std::size_t i = unites.size();
            while (i > 0 && unites[i - 1] == '9') unites[--i] = '0';
            if (i == 0) {
                unites.insert(0, 1, '1');
            } else {
                ++unites[i - 1];
            }
        }
    }
    const auto premier = unites.find_first_not_of('0');
    unites = premier == std::string::npos ? std::string() : unites.substr(premier);
    const bool negatif = valeur < 0 && !unites.empty();  // jamais de "-0,00"

    const auto d = static_cast<std::size_t>(decimales);
    if (unites.size() < d + 1) unites.insert(0, d + 1 - unites.size(), '0');
    std::string texte = negatif ? "-" : "";
    texte += unites.substr(0, unites.size() - d);
    if (d > 0) {
        texte += separateur;
        texte += unites.substr(unites.size() - d);
    }
    return texte;
}

}  // namespace lumi
