#pragma once
// Un compteur complet mené par la vraie détection, sur coutures simulées : le banc du compteur,
// une téléphonie simulée, et la détection dont Timer5 est suivi par l'ordonnanceur. Un script
// (script_simulation.hpp) règle les coutures ; sert aux essais, au mode démonstration et aux rejeux.
#include <filesystem>

#include "core/detection.hpp"
#include "platform/simulation/banc_compteur.hpp"
#include "platform/simulation/script_simulation.hpp"
#include "platform/simulation/telephonie_simulee.hpp"

namespace lumi {

class BancDetection {
public:
    BancDetection(Moment depart, Registre& registre, const std::filesystem::path& dossier_donnees,
                  ReglagesCompteur reglages = {});

    // Règle les coutures d'après le script ; ses instants comptent depuis maintenant. Avant
    // demarrer() pour que la téléphonie du script serve au choix de la source.
    void charger(const ScriptSimulation& script);

    // Démarrage du compteur (tarifs, boutons, premier top, Timer1 et Timer4), choix de la source
    // de détection, puis Timer5 suivi par l'ordonnanceur.
    void demarrer();

    void avancer(std::int64_t secondes) { banc.avancer(secondes); }
    void avancer_ms(std::int64_t ms) { banc.avancer_ms(ms); }

    BancCompteur banc;
    TelephonieSimulee telephonie;
    ActionsCompteur actions{banc.compteur};
    Detection detection;
};

}  // namespace lumi
