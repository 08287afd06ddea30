#pragma once
// La ligne de commande du programme : ses options propres (--dossier, --demo, --capture...) et les
// arguments d'origine ("-invisible", noms d'utilisateurs) qu'il transmet au démarrage tels quels.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumi {

inline constexpr int duree_demo_par_defaut = 120;
inline constexpr int duree_demo_max = 24 * 3600;

struct OptionsProgramme {
    std::optional<std::filesystem::path> dossier;  // --dossier DIR
    std::optional<int> demo;                       // --demo [SECONDES] : durée de la connexion
    // --capture FICHIER.png : une image de l'écran après --capture-apres secondes, puis fin.
    std::optional<std::filesystem::path> capture;
    int capture_apres = 2;
    bool capture_menu = false;           // --capture-menu : le menu principal ouvert sur l'image
    bool aide = false;                   // --aide, --help
    std::vector<std::string> arguments;  // le reste, dans l'ordre
};

// Analyse les arguments (sans le nom du programme). Rend le détail de l'erreur d'usage en
// français, vide si tout va.
std::string analyser_ligne_de_commande(const std::vector<std::string>& arguments, OptionsProgramme& options);

// Le texte de l'usage.
std::string_view texte_usage();

}  // namespace lumi
