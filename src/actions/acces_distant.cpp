#include "actions/acces_distant.hpp"

#include <exception>

namespace lumi {

bool ras_connexion_en_cours(const AccesDistant& acces, std::string& nom, int& erreur, int& etat) {
    nom.clear();
    erreur = -1;
    try {
        const auto connexions = acces.connexions();
        if (connexions.empty()) return false;
        const auto& premiere = connexions.front();
        erreur = premiere.erreur;
        etat = premiere.etat;
        nom = premiere.nom_entree;
        return true;
    } catch (const std::exception&) {
        // Une couture en panne se lit comme « aucune connexion ».
        nom.clear();
        erreur = -1;
        return false;
    }
}

}  // namespace lumi
