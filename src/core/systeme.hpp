#pragma once
// La couture du système : l'utilisateur connecté, les comptes de la machine et l'entrée de
// démarrage automatique de la session. L'arrêt de la machine s'y ajoutera.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumi {

// Une commande : le chemin du programme, puis chaque argument.
using CommandeSysteme = std::vector<std::string>;

class Systeme {
public:
    virtual ~Systeme() = default;

    // Nom de l'utilisateur de la session ; vide s'il n'est pas connu.
    virtual std::string utilisateur_connecte() const = 0;
    // Les comptes des personnes de la machine, dans l'ordre où le système les liste.
    virtual std::vector<std::string> profils_utilisateurs() const = 0;

    // Commande de l'entrée de démarrage automatique `nom` : le programme puis ses arguments ;
    // rien si l'entrée n'existe pas.
    virtual std::optional<CommandeSysteme> lire_demarrage_automatique(std::string_view nom) const = 0;
    // Crée ou remplace l'entrée ; faux si elle n'a pu être écrite.
    virtual bool ecrire_demarrage_automatique(std::string_view nom, const CommandeSysteme& commande) = 0;
    // Une entrée absente n'est pas une erreur.
    virtual void effacer_demarrage_automatique(std::string_view nom) = 0;
};

}  // namespace lumi
