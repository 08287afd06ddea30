#pragma once
// Les noms du magasin de réglages : chemin racine et sections, en un seul endroit.
#include <string>
#include <string_view>

namespace lumi::cles {

inline constexpr std::string_view racine = "Software\\Korvanelle Software\\Lumicompteur 99";

// Suffixes de section, chacun commence par une barre oblique inverse.
inline constexpr std::string_view options = "\\options";
inline constexpr std::string_view utilisateurs = "\\utilisateurs";
inline constexpr std::string_view providers = "\\providers";
inline constexpr std::string_view forfaits = "\\forfaits";
inline constexpr std::string_view forfaits_raz = "\\forfaits\\raz";
inline constexpr std::string_view temp_providers = "\\temp providers";
inline constexpr std::string_view temp_forfaits = "\\temp forfaits";
inline constexpr std::string_view temp_forfaits_raz = "\\temp forfaits\\raz";
inline constexpr std::string_view temp_raz_forfaits = "\\temp raz forfaits";
// Les fins de connexion pas encore tout à fait écrites (historique puis facture).
inline constexpr std::string_view enregistrements_en_attente = "\\enregistrements en attente";

// Arbre de l'édition précédente, effacé à la première utilisation.
inline constexpr std::string_view racine_edition_98 = "Software\\Korvanelle Software\\Lumicompteur 98";

// Entrée du fournisseur utilisée quand aucune entrée d'annuaire n'est connue.
inline constexpr std::string_view provider_selection_auto = "Sélection automatique et mode manuel";

// Chemin complet d'une section : racine + suffixe.
inline std::string section(std::string_view suffixe) {
    return std::string(racine) + std::string(suffixe);
}
// Chemin complet de la clé d'un fournisseur sous "\providers" (ou "\temp providers").
inline std::string cle_provider(std::string_view entree, std::string_view suffixe = providers) {
    return section(suffixe) + "\\" + std::string(entree);
}

}  // namespace lumi::cles
