#include "base/locale.hpp"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <langinfo.h>
#endif
#include <locale.h>

#include <cstdlib>
#include <string_view>
#include <vector>

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

#ifdef _WIN32
// Une valeur de la locale de la session, réglages de l'utilisateur compris, en UTF-8 ; vide si
// Windows ne la donne pas.
std::string info_locale_utilisateur(LCTYPE element) {
    const int taille = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, element, nullptr, 0);
    if (taille <= 1) return {};
    std::vector<wchar_t> tampon(static_cast<std::size_t>(taille));
    const int n = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, element, tampon.data(), taille);
    if (n <= 1) return {};
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    return utf16_vers_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(tampon.data()),
                                               static_cast<std::size_t>(n - 1)));
}
#endif

// Nom effectif d'une catégorie, dans l'ordre de priorité de POSIX.
[[maybe_unused]] std::string nom_de_categorie(const char* variable) {
    for (const char* nom : {"LC_ALL", variable, "LANG"}) {
        const char* valeur = std::getenv(nom);
        if (valeur && *valeur) return valeur;
    }
    return "C";
}

// La locale C ne dit rien de l'utilisateur : on garde alors les valeurs françaises.
[[maybe_unused]] bool est_locale_neutre(std::string_view nom) {
    return nom == "C" || nom == "POSIX" || nom.substr(0, 2) == "C.";
}

[[maybe_unused]] std::string symbole_en_utf8(std::string_view brut, std::string_view jeu) {
    if (est_utf8_valide(brut)) return std::string(brut);
    // ISO-8859-15 place l'euro en 0xA4 ; les autres jeux 8 bits sont lus comme Windows-1252.
    if (jeu.find("8859-15") != std::string_view::npos && brut == "\xA4") return "€";
    return cp1252_vers_utf8(brut);
}

}  // namespace

ValeursLocales valeurs_locales_retenues(std::string_view separateur, std::string_view symbole) {
    ValeursLocales valeurs;
    if (separateur == "," || separateur == ".") valeurs.separateur_decimal = separateur[0];
    symbole = rogner(symbole);
    if (!symbole.empty()) valeurs.symbole_monetaire = std::string(symbole);
    return valeurs;
}

ValeursLocales lire_valeurs_locales(const std::string& nom_numerique, const std::string& nom_monetaire) {
    ValeursLocales valeurs;
#ifdef _WIN32
    // Les locales POSIX nommées n'existent pas sous Windows : les valeurs françaises restent.
    (void)nom_numerique;
    (void)nom_monetaire;
#else
    if (!est_locale_neutre(nom_numerique)) {
        const LocaleOuverte locale(LC_NUMERIC_MASK, nom_numerique.c_str());
        if (locale.valide())
            valeurs.separateur_decimal =
                valeurs_locales_retenues(locale.info(RADIXCHAR), "").separateur_decimal;
    }
    if (!est_locale_neutre(nom_monetaire)) {
        const LocaleOuverte locale(LC_MONETARY_MASK | LC_CTYPE_MASK, nom_monetaire.c_str());
        if (locale.valide()) {
            // CRNCYSTR commence par "-" (avant le montant), "+" (après) ou "." (à la place du séparateur).
            std::string_view symbole = locale.info(CRNCYSTR);
            if (!symbole.empty() && (symbole[0] == '-' || symbole[0] == '+' || symbole[0] == '.')) {
                symbole.remove_prefix(1);
            }
            valeurs.symbole_monetaire =
                valeurs_locales_retenues(",", symbole_en_utf8(rogner(symbole), locale.info(CODESET)))
                    .symbole_monetaire;
        }
    }
#endif
    return valeurs;
}

ValeursLocales lire_valeurs_locales_systeme() {
#ifdef _WIN32
    return valeurs_locales_retenues(info_locale_utilisateur(LOCALE_SDECIMAL),
                                    info_locale_utilisateur(LOCALE_SCURRENCY));
#else
    return lire_valeurs_locales(nom_de_categorie("LC_NUMERIC"), nom_de_categorie("LC_MONETARY"));
#endif
}

}  // namespace lumi
