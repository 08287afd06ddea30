#include "platform/windows/systeme_windows.hpp"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "base/texte.hpp"

namespace lumi {

std::string ligne_commande_windows(const CommandeSysteme& commande) {
    std::string ligne;
    for (const std::string& element : commande) {
        if (!ligne.empty()) ligne += ' ';
        if (!element.empty() && element.find_first_of(" \t\"") == std::string::npos) {
            ligne += element;
            continue;
        }
        ligne += '"';
        std::size_t barres = 0;
        for (const char c : element) {
            if (c == '\\') {
                ++barres;
                continue;
            }
            // Les barres qui précèdent un guillemet se doublent, puis le guillemet s'échappe.
            ligne.append(c == '"' ? barres * 2 + 1 : barres, '\\');
            barres = 0;
            ligne += c;
        }
        ligne.append(barres * 2, '\\');  // avant le guillemet fermant
        ligne += '"';
    }
    return ligne;
}

std::optional<CommandeSysteme> lire_ligne_commande_windows(std::string_view ligne) {
    CommandeSysteme commande;
    std::size_t i = 0;
    while (i < ligne.size()) {
        while (i < ligne.size() && (ligne[i] == ' ' || ligne[i] == '\t')) ++i;
        if (i == ligne.size()) break;
        std::string element;
        bool guillemets = false;
        for (; i < ligne.size(); ++i) {
            const char c = ligne[i];
            if (c == '\\') {
                std::size_t barres = 0;
                while (i < ligne.size() && ligne[i] == '\\') ++barres, ++i;
                if (i < ligne.size() && ligne[i] == '"') {
                    element.append(barres / 2, '\\');
                    if (barres % 2 == 1) {
                        element += '"';
                        continue;
                    }
                    --i;  // le guillemet est relu comme délimiteur
                    continue;
                }
                element.append(barres, '\\');
                --i;
                continue;
            }
            if (c == '"') {
                guillemets = !guillemets;
                continue;
            }
            if (!guillemets && (c == ' ' || c == '\t')) break;
            element += c;
        }
        commande.push_back(std::move(element));
    }
    if (commande.empty()) return std::nullopt;
    return commande;
}

std::string SystemeWindows::utilisateur_connecte() const {
    wchar_t nom[257] = {};
    DWORD taille = 257;
    if (!::GetUserNameW(nom, &taille) || taille == 0) return {};
    // La taille rendue compte le nul final.
    return utf16_vers_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(nom), taille - 1));
}

std::vector<std::string> SystemeWindows::profils_utilisateurs() const {
    return registre_.lister_sous_cles(cle_profils_windows);
}

std::optional<CommandeSysteme> SystemeWindows::lire_demarrage_automatique(std::string_view nom) const {
    return lire_ligne_commande_windows(registre_.lire_valeur(cle_demarrage_windows, nom));
}

bool SystemeWindows::ecrire_demarrage_automatique(std::string_view nom, const CommandeSysteme& commande) {
    return registre_.ecrire_valeur_et_vider(cle_demarrage_windows, nom, ligne_commande_windows(commande));
}

void SystemeWindows::effacer_demarrage_automatique(std::string_view nom) {
    registre_.effacer_valeur(cle_demarrage_windows, nom);
}

}  // namespace lumi
