#pragma once
// Le script des coutures simulées : un petit fichier texte qui dit, seconde par seconde, ce que
// font l'accès à distance et la téléphonie (format décrit dans docs/simulation.md) :
//
//     annuaire MonFAI "Mon autre FAI"
//     adresse 192.168.0.10
//     telephonie lignes 1
//     2    ras MonFAI 2
//     5    ras MonFAI 5
//     65   ras MonFAI fin
//     70.5 tapi 7 en-cours
//
// Le script lu s'applique aux coutures simulées ; ses instants comptent depuis l'application.
#include <cstdint>
#include <filesystem>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/simulation/acces_distant_scripte.hpp"
#include "platform/simulation/ordonnanceur.hpp"
#include "platform/simulation/telephonie_simulee.hpp"

namespace lumi {

// Un script mal formé : le message nomme le fichier et la ligne.
class ErreurScript : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ScriptSimulation {
    struct Connexion {
        std::string entree;
        std::vector<EtapeConnexion> etapes;  // instants en ms depuis le début du script
    };
    struct EvenementAppel {
        std::int64_t ms = 0;
        PoigneeTapi appel = 0;
        std::uint32_t etat = 0;
        std::uint32_t ligne = 0;
    };

    std::vector<std::string> annuaire;
    std::optional<std::string> adresse;
    // Ce que le script dit de la téléphonie ; sans rien, celle des coutures est laissée telle quelle.
    std::optional<ConfigurationTelephonie> telephonie;
    std::vector<Connexion> connexions;   // dans l'ordre de leur première mention
    std::vector<EvenementAppel> appels;  // dans l'ordre du temps
};

// Lit un script ; `nom` sert aux messages d'erreur.
ScriptSimulation lire_script_simulation(std::istream& flux, std::string_view nom);
// Lit le fichier (UTF-8) ; ErreurScript s'il ne s'ouvre pas.
ScriptSimulation lire_script_simulation(const std::filesystem::path& chemin);

// Règle les coutures d'après le script et planifie les événements de la téléphonie ; les instants
// du script comptent depuis maintenant.
void appliquer_script(const ScriptSimulation& script, AccesDistantScripte& acces,
                      TelephonieSimulee& telephonie, AdresseSimulee& adresse, Ordonnanceur& ordonnanceur);

}  // namespace lumi
