#include "settings/registre_windows.hpp"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>
#include <vector>

#include "base/texte.hpp"

namespace lumi {

namespace {

// Le texte du magasin est en UTF-8 ; les fonctions « A » le passeraient par la page de code du
// système et abîmeraient chaque accent : les fonctions larges gardent le texte intact.
std::wstring large(std::string_view texte) {
    if (texte.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, texte.data(), static_cast<int>(texte.size()), nullptr, 0);
    std::wstring resultat(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, texte.data(), static_cast<int>(texte.size()), resultat.data(), n);
    return resultat;
}

std::string etroit(std::wstring_view texte) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    return utf16_vers_utf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(texte.data()), texte.size()));
}

// Les niveaux recollés sans séparateur vide : "\a\\b\" devient "a\b" ("" pour la racine).
std::wstring chemin_large(std::string_view cle) {
    std::string recolle;
    for (const auto& niveau : decouper_chemin(cle)) {
        if (!recolle.empty()) recolle += '\\';
        recolle += niveau;
    }
    return large(recolle);
}

HKEY ruche_de(RegistreWindows::Ruche ruche) {
    return ruche == RegistreWindows::Ruche::machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// Une clé ouverte, fermée à la destruction.
class Cle {
public:
    Cle() = default;
    ~Cle() {
        if (cle_) ::RegCloseKey(cle_);
    }
    Cle(const Cle&) = delete;
    Cle& operator=(const Cle&) = delete;
    HKEY* adresse() { return &cle_; }
    HKEY get() const { return cle_; }

private:
    HKEY cle_ = nullptr;
};

bool ouvrir(HKEY ruche, const std::wstring& chemin, REGSAM acces, Cle& ouverte) {
    return ::RegOpenKeyExW(ruche, chemin.c_str(), 0, acces, ouverte.adresse()) == ERROR_SUCCESS;
}

bool creer(HKEY ruche, const std::wstring& chemin, Cle& ouverte) {
    return ::RegCreateKeyExW(ruche, chemin.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                             nullptr, ouverte.adresse(), nullptr) == ERROR_SUCCESS;
}

std::string message_systeme(LSTATUS code) {
    return "erreur du registre " + std::to_string(static_cast<long>(code));
}

}  // namespace

std::wstring RegistreWindows::chemin(std::string_view cle) const {
    if (base_.empty()) return chemin_large(cle);
    const std::wstring dessous = chemin_large(cle);
    return dessous.empty() ? chemin_large(base_) : chemin_large(base_) + L'\\' + dessous;
}

std::string RegistreWindows::lire_valeur(std::string_view cle, std::string_view nom) const {
    Cle ouverte;
    if (!ouvrir(ruche_de(ruche_), chemin(cle), KEY_QUERY_VALUE, ouverte)) return {};
    const std::wstring nom_large = large(nom);
    DWORD type = 0;
    DWORD taille = 0;
    if (::RegQueryValueExW(ouverte.get(), nom_large.c_str(), nullptr, &type, nullptr, &taille) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return {};
    }
    std::wstring tampon(taille / sizeof(wchar_t) + 1, L'\0');
    taille = static_cast<DWORD>(tampon.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(ouverte.get(), nom_large.c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(tampon.data()), &taille) != ERROR_SUCCESS) {
        return {};
    }
    // La valeur rangée n'est pas toujours terminée par un zéro : la taille rendue fait foi.
    tampon.resize(taille / sizeof(wchar_t));
    while (!tampon.empty() && tampon.back() == L'\0') tampon.pop_back();
    return etroit(tampon);
}

bool RegistreWindows::refuser_en_lecture_seule(std::string_view cle) const {
    if (!lecture_seule_) return false;
    signaler_echec_ecriture("Impossible d'écrire dans le registre : la clé « " + std::string(cle) +
                            " » est ouverte en lecture seule.");
    return true;
}

bool RegistreWindows::ecrire(std::string_view cle, std::string_view nom, std::string_view texte, bool vider) {
    if (refuser_en_lecture_seule(cle)) return false;
    Cle ouverte;
    if (!creer(ruche_de(ruche_), chemin(cle), ouverte)) {
        signaler_echec_ecriture("Impossible d'écrire dans le registre : la clé « " + std::string(cle) +
                                " » n'a pu être ouverte ni créée.");
        return false;
    }
    const std::wstring valeur = large(texte);
    const LSTATUS code = ::RegSetValueExW(ouverte.get(), large(nom).c_str(), 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(valeur.c_str()),
                                          static_cast<DWORD>((valeur.size() + 1) * sizeof(wchar_t)));
    if (code != ERROR_SUCCESS) {
        signaler_echec_ecriture("Impossible d'écrire la valeur « " + std::string(nom) + " » de la clé « " +
                                std::string(cle) + " » : " + message_systeme(code) + ".");
        return false;
    }
    if (vider && ::RegFlushKey(ouverte.get()) != ERROR_SUCCESS) {
        signaler_echec_ecriture("Le registre n'a pu écrire la clé « " + std::string(cle) +
                                " » sur le disque.");
        return false;
    }
    return true;
}

bool RegistreWindows::ecrire_valeur(std::string_view cle, std::string_view nom, std::string_view texte) {
    return ecrire(cle, nom, texte, false);
}

bool RegistreWindows::ecrire_valeur_et_vider(std::string_view cle, std::string_view nom,
                                             std::string_view texte) {
    return ecrire(cle, nom, texte, true);
}

bool RegistreWindows::effacer_valeur(std::string_view cle, std::string_view nom) {
    if (refuser_en_lecture_seule(cle)) return false;
    Cle ouverte;
    if (!ouvrir(ruche_de(ruche_), chemin(cle), KEY_SET_VALUE, ouverte)) return !cle_existe(cle);
    const LSTATUS code = ::RegDeleteValueW(ouverte.get(), large(nom).c_str());
    return code == ERROR_SUCCESS || code == ERROR_FILE_NOT_FOUND;
}

std::vector<std::string> RegistreWindows::lister_sous_cles(std::string_view cle) const {
    std::vector<std::string> noms;
    Cle ouverte;
    if (!ouvrir(ruche_de(ruche_), chemin(cle), KEY_ENUMERATE_SUB_KEYS, ouverte)) return noms;
    // 255 caractères : la plus longue clé que le registre accepte.
    wchar_t nom[256];
    for (DWORD i = 0;; ++i) {
        DWORD taille = 256;
        if (::RegEnumKeyExW(ouverte.get(), i, nom, &taille, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        noms.push_back(etroit({nom, taille}));
    }
    return noms;
}

std::vector<std::string> RegistreWindows::lister_valeurs(std::string_view cle) const {
    std::vector<std::string> noms;
    Cle ouverte;
    if (!ouvrir(ruche_de(ruche_), chemin(cle), KEY_QUERY_VALUE, ouverte)) return noms;
    // 16 383 caractères : le plus long nom de valeur que le registre accepte.
    std::wstring nom(16384, L'\0');
    for (DWORD i = 0;; ++i) {
        DWORD taille = static_cast<DWORD>(nom.size());
        if (::RegEnumValueW(ouverte.get(), i, nom.data(), &taille, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        if (taille == 0) continue;  // la valeur par défaut de la clé n'est pas une valeur nommée du magasin
        noms.push_back(etroit({nom.data(), taille}));
    }
    return noms;
}

bool RegistreWindows::cle_existe(std::string_view cle) const {
    if (decouper_chemin(cle).empty()) return true;  // la racine existe toujours, même encore vide
    Cle ouverte;
    return ouvrir(ruche_de(ruche_), chemin(cle), KEY_READ, ouverte);
}

bool RegistreWindows::creer_cle(std::string_view cle) {
    if (refuser_en_lecture_seule(cle)) return false;
    Cle ouverte;
    if (creer(ruche_de(ruche_), chemin(cle), ouverte)) return true;
    signaler_echec_ecriture("Impossible de créer la clé « " + std::string(cle) + " » du registre.");
    return false;
}

bool RegistreWindows::effacer_cle_feuille(std::string_view cle) {
    if (refuser_en_lecture_seule(cle)) return false;
    if (!lister_sous_cles(cle).empty()) return false;
    if (decouper_chemin(cle).empty()) {
        // La ruche elle-même ne s'efface pas ; la clé de base d'un magasin posé plus bas reste,
        // seules ses valeurs partent, comme la racine des autres magasins.
        if (base_.empty()) return false;
        for (const auto& nom : lister_valeurs(cle)) {
            if (!effacer_valeur(cle, nom)) return false;
        }
        return true;
    }
    return ::RegDeleteKeyW(ruche_de(ruche_), chemin(cle).c_str()) == ERROR_SUCCESS;
}

}  // namespace lumi
