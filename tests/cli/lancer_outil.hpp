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

}  // namespace lumi::cli
