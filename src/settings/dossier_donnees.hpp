#pragma once
// Le dossier de données : tarifs, couleurs, réglages, historique.
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace lumi {

inline constexpr const char* fichier_tarifs = "tarifs.ini";
inline constexpr const char* fichier_couleurs = "Couleur.ini";
inline constexpr const char* fichier_reglages = "lumicompteur.ini";
inline constexpr const char* dossier_historique = "Historique";
// Les sections de trace de lumicompteur.ini (une clé par connexion) gardent leurs dernières entrées,
// sans quoi le fichier, récrit à chaque trace, grossirait sans fin.
inline constexpr std::size_t entrees_trace_gardees = 200;

// Lit une variable d'environnement ; remplaçable dans les tests.
using LecteurEnvironnement = std::function<std::optional<std::string>(const char*)>;
std::optional<std::string> lire_environnement(const char* nom);

// `--dossier DIR` s'il est donné ; sinon le dossier de l'exécutable s'il contient tarifs.ini
// (installation portable) ; sinon $XDG_DATA_HOME/lumicompteur (~/.local/share/lumicompteur).
std::filesystem::path choisir_dossier_donnees(const std::optional<std::filesystem::path>& option_dossier,
                                              const std::filesystem::path& dossier_executable,
                                              const LecteurEnvironnement& environnement = lire_environnement);

// Dossier des fichiers par défaut livrés avec le programme : share/lumicompteur à côté de
// l'exécutable installé (../share/lumicompteur depuis bin), sinon data/ des sources.
std::filesystem::path dossier_donnees_par_defaut(const std::filesystem::path& dossier_executable);

// Crée le dossier s'il manque et y copie chaque fichier par défaut absent (jamais n'écrase) ;
// crée aussi le sous-dossier Historique. Lève ErreurFichier si le dossier ne peut être créé.
void amorcer_dossier_donnees(const std::filesystem::path& dossier, const std::filesystem::path& source);

// Dossier de l'exécutable en cours (/proc/self/exe).
std::filesystem::path dossier_executable_courant();

}  // namespace lumi
