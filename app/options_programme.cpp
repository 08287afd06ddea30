#include "options_programme.hpp"

#include <charconv>

namespace lumi {

namespace {

bool est_nombre(std::string_view texte) {
    return !texte.empty() && texte.find_first_not_of("0123456789") == std::string_view::npos;
}

std::optional<int> lire_secondes(std::string_view texte) {
    if (!est_nombre(texte) || texte.size() > 9) return std::nullopt;
    int valeur = 0;
    std::from_chars(texte.data(), texte.data() + texte.size(), valeur);
    return valeur;
}

}  // namespace

std::string_view texte_usage() {
    return "Usage : lumicompteur [--dossier DIR] [--demo [SECONDES]] [-invisible] [UTILISATEUR...]\n"
           "  --dossier DIR       dossier de données (un dossier vide reçoit les fichiers par défaut)\n"
           "  --demo [SECONDES]   démonstration : l'entrée « MonFAI » se connecte quelques secondes\n"
           "                      après le démarrage et le reste SECONDES secondes (120 par défaut)\n"
           "  -invisible          démarre dans la zone de notification (réduit s'il n'y en a pas)\n"
           "  UTILISATEUR         choisit cet utilisateur (un « - » de tête est ôté)\n"
           "  --capture FICHIER   enregistre une image PNG de l'écran puis quitte\n"
           "  --capture-apres S   délai avant l'image, en secondes (2 par défaut)\n"
           "  --capture-menu      ouvre le menu principal avant l'image\n";
}

std::string analyser_ligne_de_commande(const std::vector<std::string>& arguments, OptionsProgramme& options) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (!a.starts_with("--")) {
            options.arguments.push_back(a);
            continue;
        }
        const auto egal = a.find('=');
        const std::string nom = a.substr(0, egal);
        const bool valeur_jointe = egal != std::string::npos;
        const auto valeur_suivante = [&]() -> std::optional<std::string> {
            if (valeur_jointe) return a.substr(egal + 1);
            if (i + 1 >= arguments.size()) return std::nullopt;
            return arguments[++i];
        };

        if (nom == "--aide" || nom == "--help") {
            options.aide = true;
        } else if (nom == "--dossier") {
            if (options.dossier) return "--dossier est donné deux fois.";
            const auto v = valeur_suivante();
            if (!v || v->empty()) return "--dossier attend un dossier.";
            options.dossier = *v;
        } else if (nom == "--demo") {
            if (options.demo) return "--demo est donné deux fois.";
            std::string texte;
            if (valeur_jointe) {
                texte = a.substr(egal + 1);
            } else if (i + 1 < arguments.size() && est_nombre(arguments[i + 1])) {
                texte = arguments[++i];  // la durée est facultative
            }
            if (texte.empty() && !valeur_jointe) {
                options.demo = duree_demo_par_defaut;
                continue;
            }
            const auto s = lire_secondes(texte);
            if (!s || *s < 1 || *s > duree_demo_max) {
                return "--demo « " + texte + " » n'est pas une durée de 1 à " +
                       std::to_string(duree_demo_max) + " secondes.";
            }
            options.demo = *s;
        } else if (nom == "--capture") {
            const auto v = valeur_suivante();
            if (!v || v->empty()) return "--capture attend un fichier.";
            options.capture = *v;
        } else if (nom == "--capture-apres") {
            const auto v = valeur_suivante();
            const auto s = v ? lire_secondes(*v) : std::nullopt;
            if (!s || *s > 3600) return "--capture-apres attend un nombre de secondes (0 à 3600).";
            options.capture_apres = *s;
        } else if (nom == "--capture-menu" && !valeur_jointe) {
            options.capture_menu = true;
        } else {
            return "option inconnue « " + a + " ».";
        }
    }
    if (options.capture_menu && !options.capture) return "--capture-menu s'emploie avec --capture.";
    return {};
}

}  // namespace lumi
