#pragma once
// Lance une commande de lumicompteur-outil dans le processus de test et garde ce qu'elle écrit.
#include <sstream>
#include <string>
#include <vector>

#include "cli/commandes.hpp"

namespace lumi::cli {

struct Resultat {
    int code;
    std::string sortie;
    std::string erreur;
};

inline Resultat lancer(const std::vector<std::string>& arguments) {
    std::ostringstream sortie, erreur;
    const int code = executer(arguments, {sortie, erreur});
    return {code, sortie.str(), erreur.str()};
}

// La valeur de la ligne « cle=valeur » d'une sortie de l'outil ; "<absent>" sans cette ligne.
inline std::string valeur(const std::string& texte, const std::string& cle) {
    const std::string tout = "\n" + texte;
    const auto debut = tout.find("\n" + cle + "=");
    if (debut == std::string::npos) return "<absent>";
    const auto suite = debut + cle.size() + 2;
    return tout.substr(suite, tout.find('\n', suite) - suite);
}

}  // namespace lumi::cli
