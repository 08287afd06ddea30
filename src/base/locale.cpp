#include "base/locale.hpp"

#ifndef _WIN32
#include <langinfo.h>
#endif
#include <locale.h>

#include <cstdlib>
#include <string_view>

#include "base/texte.hpp"

namespace lumi {

namespace {

#ifndef _WIN32
// Locale ouverte pour la lecture seule, libérée à la sortie ; la locale globale n'est pas touchée.
class LocaleOuverte {
public:
    LocaleOuverte(int masque, const char* nom) : locale_(::newlocale(masque, nom, locale_t{})) {}
    LocaleOuverte(const LocaleOuverte&) = delete;
    LocaleOuverte& operator=(const LocaleOuverte&) = delete;
    ~LocaleOuverte() {
        if (locale_ != locale_t{}) ::freelocale(locale_);
    }
    bool valide() const { return locale_ != locale_t{}; }
    std::string_view info(nl_item element) const {
        const char* texte = ::nl_langinfo_l(element, locale_);
        return texte ? std::string_view(texte) : std::string_view();
    }

private:
    locale_t locale_;
};
#endif

// Nom effectif d'une catégorie, dans l'ordre de priorité de POSIX.
std::string nom_de_categorie(const char* variable) {
    for (const char* nom : {"LC_ALL", variable, "LANG"}) {
        const char* valeur = std::getenv(nom);
        if (valeur && *valeur) return valeur;
    }
    return "C";
}

// La locale C ne dit rien de l'utilisateur : on garde alors les valeurs françaises.
bool est_locale_neutre(std::string_view nom) {
    return nom == "C" || nom == "POSIX" || nom.substr(0, 2) == "C.";
}

[[maybe_unused]] std::string symbole_en_utf8(std::string_view brut, std::string_view jeu) {
    if (est_utf8_valide(brut)) return std::string(brut);
    // ISO-8859-15 place l'euro en 0xA4 ; les autres jeux 8 bits sont lus comme Windows-1252.
    if (jeu.find("8859-15") != std::string_view::npos && brut == "\xA4") return "€";
    return cp1252_vers_utf8(brut);
}

}  // namespace

ValeursLocales lire_valeurs_locales(const std::string& nom_numerique, const std::string& nom_monetaire) {
    ValeursLocales valeurs;
#ifdef _WIN32
    // Les locales POSIX nommées n'existent pas sous Windows : les valeurs françaises restent.
    (void)nom_numerique;
    (void)nom_monetaire;
#else
    if (!est_locale_neutre(nom_numerique)) {
        const LocaleOuverte locale(LC_NUMERIC_MASK, nom_numerique.c_str());
        const std::string_view radix = locale.valide() ? locale.info(RADIXCHAR) : std::string_view();
        // Un séparateur de plusieurs octets (hors ASCII) ne tient pas dans un char : on garde ",".
        if (radix.size() == 1 && static_cast<unsigned char>(radix[0]) < 0x80)
            valeurs.separateur_decimal = radix[0];
    }
    if (!est_locale_neutre(nom_monetaire)) {
        const LocaleOuverte locale(LC_MONETARY_MASK | LC_CTYPE_MASK, nom_monetaire.c_str());
        if (locale.valide()) {
            // CRNCYSTR commence par "-" (avant le montant), "+" (après) ou "." (à la place du séparateur).
            std::string_view symbole = locale.info(CRNCYSTR);
            if (!symbole.empty() && (symbole[0] == '-' || symbole[0] == '+' || symbole[0] == '.')) {
                symbole.remove_prefix(1);
            }
            symbole = rogner(symbole);
            if (!symbole.empty()) valeurs.symbole_monetaire = symbole_en_utf8(symbole, locale.info(CODESET));
        }
    }
#endif
    return valeurs;
}

ValeursLocales lire_valeurs_locales_systeme() {
    return lire_valeurs_locales(nom_de_categorie("LC_NUMERIC"), nom_de_categorie("LC_MONETARY"));
}

}  // namespace lumi
