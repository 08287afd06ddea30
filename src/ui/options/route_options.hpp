#pragma once
// La route des options : la fenêtre créée au premier usage, gardée, et son modèle rechargé à chaque
// ouverture sur la page demandée (0 la première, 1 les utilisateurs).
#include <filesystem>
#include <functional>

#include "core/systeme.hpp"

namespace lumi {

class AccesDistant;
class CommandesFenetre;
class Compteur;
class Dialogue;
class Horloge;
class JeuCouleurs;
class ListeUtilisateurs;
class Registre;

namespace ui {

class IconesLumi;
class RouteurFenetres;

// Ce que la fenêtre des options lit et change. `systeme` nul : l'entrée de démarrage n'est ni lue ni
// écrite (démonstration).
struct CouturesOptions {
    const Horloge& horloge;
    Registre& registre;
    Dialogue& dialogue;
    std::filesystem::path dossier_donnees;
    const AccesDistant& acces_distant;
    Systeme* systeme;
    std::function<CommandeSysteme()> commande_demarrage;
    // Les modèles de la fenêtre principale que les options changent, ses couleurs et ses icônes.
    Compteur& compteur;
    CommandesFenetre& commandes;
    ListeUtilisateurs& utilisateurs;
    const JeuCouleurs& couleurs;
    const IconesLumi& icones;
    std::function<void(int sujet)> ouvrir_aide;
};

void definir_route_options(RouteurFenetres& routeur, CouturesOptions coutures);

}  // namespace ui
}  // namespace lumi
