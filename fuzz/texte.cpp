// Conversions de texte (Windows-1252 ⇄ UTF-8, casse, blancs) et décimaux : ce que les fichiers
// INI, l'historique et les montants lisent de chaque octet.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/decimal.hpp"
#include "base/texte.hpp"
#include "fuzz/commun.hpp"

namespace {

using namespace lumi;
using fuzz::echec;

void verifier_codages(std::string_view x) {
    const std::string utf8 = cp1252_vers_utf8(x);
    if (!est_utf8_valide(utf8)) echec("cp1252_vers_utf8 rend de l'UTF-8 valide");
    if (utf8_vers_cp1252(utf8) != x) echec("aller-retour Windows-1252 -> UTF-8 -> Windows-1252 sans perte");

    const std::string cp1252 = utf8_vers_cp1252(x);
    if (cp1252.size() > x.size()) echec("utf8_vers_cp1252 ne rallonge pas le texte");

    constexpr std::string_view bom = "\xEF\xBB\xBF";
    const std::string decode = decoder_fichier_texte(x);
    if (!est_utf8_valide(decode)) echec("decoder_fichier_texte rend de l'UTF-8 valide");
    if (!x.starts_with(bom)) {
        const std::string attendu = est_utf8_valide(x) ? std::string(x) : utf8;
        if (decode != attendu) echec("un fichier sans marque est UTF-8 en entier ou Windows-1252");
    } else if (est_utf8_valide(x) && decode != x.substr(bom.size())) {
        echec("un fichier marqué UTF-8 et valide est rendu tel quel, sans sa marque");
    }
}

void verifier_casse(std::string_view x) {
    const std::string plie = plier_casse(x);
    if (plier_casse(plie) != plie) echec("plier_casse est idempotent");
    if (!egal_sans_casse(x, plie)) echec("un nom est égal sans casse à sa forme pliée");
    if (est_utf8_valide(x) && !est_utf8_valide(plie)) echec("plier_casse garde l'UTF-8 valide");

    // Les deux moitiés : le chemin rapide des noms ASCII doit dire comme les formes pliées.
    const std::string_view a = x.substr(0, x.size() / 2);
    const std::string_view b = x.substr(x.size() / 2);
    const bool egal = egal_sans_casse(a, b);
    if (egal != (plier_casse(a) == plier_casse(b))) echec("egal_sans_casse compare les formes pliées");
    if (egal != egal_sans_casse(b, a)) echec("egal_sans_casse est symétrique");

    const std::string_view r = rogner(x);
    if (!r.empty() && (r.front() == ' ' || r.front() == '\t' || r.back() == ' ' || r.back() == '\t')) {
        echec("rogner ôte les blancs des deux bouts");
    }
}

void verifier_lectures(std::string_view x) {
    const auto d = lire_decimal(x);
    if (d && !std::isfinite(*d)) echec("lire_decimal ne rend qu'un nombre fini", x);
    const auto n = lire_entier(x);
    if (n && (!d || *d != static_cast<double>(*n))) echec("un entier se lit aussi en décimal", x);
}

void verifier_ecriture(double valeur, int decimales, char separateur) {
    const std::string texte = formater_decimal(valeur, decimales, separateur);
    const int d = std::clamp(decimales, 0, 30);
    const bool a_separateur = texte.find(separateur) != std::string::npos;
    if (a_separateur != (d > 0)) echec("le séparateur paraît quand il y a des décimales", texte);
    if (texte.starts_with('-') && texte.find_first_of("123456789") == std::string::npos) {
        echec("jamais de zéro négatif", texte);
    }
    // Tout près du plus grand double, l'arrondi à 15 chiffres dépasse ce qu'un double peut relire :
    // aucun montant n'en approche.
    if (std::isfinite(valeur) && std::fabs(valeur) > 1e308) return;
    const auto relu = lire_decimal(texte);
    if (!relu) echec("formater_decimal se relit", texte);
    if (!std::isfinite(valeur)) {
        if (*relu != 0) echec("une valeur non finie s'écrit zéro", texte);
        return;
    }
    // Arrondi à `d` décimales d'une valeur prise à 15 chiffres significatifs.
    const double tolerance = 0.5 * std::pow(10.0, -d) * (1 + 1e-9) + std::fabs(valeur) * 1e-14 + 1e-300;
    if (!(std::fabs(*relu - valeur) <= tolerance)) echec("formater_decimal arrondit à la décimale", texte);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    const std::string_view x(reinterpret_cast<const char*>(donnees), taille);
    verifier_codages(x);
    verifier_casse(x);
    verifier_lectures(x);

    fuzz::LecteurOctets lecteur(donnees, taille);
    const auto valeur = lecteur.valeur<double>();
    const int decimales = lecteur.octet() % 40 - 5;
    const char separateur = lecteur.octet() % 2 == 0 ? ',' : '.';
    verifier_ecriture(valeur, decimales, separateur);
    return 0;
}
