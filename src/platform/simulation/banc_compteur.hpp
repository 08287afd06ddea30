#pragma once
// Un compteur complet sur coutures simulées, mené par l'ordonnanceur : horloge factice, accès à
// distance scripté, adresse fixe, boîtes de message scriptées, son noté. Sert aux essais et à
// `lumicompteur-outil simuler`.
//
// Les changements d'état des connexions scriptées sont relayés vers les trois actions d'état à
// l'instant où ils arrivent, avec des verrous qui font partir chaque action une fois par connexion
// (numérotation, connexion, fin) ; la scrutation réelle des connexions les remplacera.
#include <cstdint>
#include <filesystem>

#include "base/horloge.hpp"
#include "core/compteur.hpp"
#include "actions/dialogue.hpp"
#include "platform/simulation/acces_distant_scripte.hpp"
#include "platform/simulation/ordonnanceur.hpp"
#include "platform/simulation/programmation_simulee.hpp"
#include "platform/simulation/son_simule.hpp"
#include "settings/registre.hpp"

namespace lumi {

class BancCompteur {
public:
    BancCompteur(Moment depart, Registre& registre, std::filesystem::path dossier_donnees,
                 ReglagesCompteur reglages = {});

    // Démarrage : tarifs chargés, boutons selon l'état des connexions, premier top direct (comme à
    // l'activation de la fenêtre), puis les minuteries Timer1 et Timer4 suivies par l'ordonnanceur.
    void demarrer();

    // Relaie chaque changement d'état scripté (à appeler après avoir ajouté les connexions).
    void relayer_connexions();

    // Avance le temps de `secondes` (ou jusqu'à l'instant `ms` du compteur monotone).
    void avancer(std::int64_t secondes) { ordonnanceur.avancer(secondes * 1000); }
    void avancer_ms(std::int64_t ms) { ordonnanceur.avancer(ms); }

    HorlogeFactice horloge;
    AccesDistantScripte acces{horloge};
    AdresseSimulee adresse;
    DialogueScripte dialogue;
    SonSimule son;
    Compteur compteur;
    Ordonnanceur ordonnanceur{horloge};
    // La déconnexion programmée : fenêtres des autres programmes, trafic, arrêt, écrans notés.
    FenetresSimulees fenetres;
    TraficSimule trafic;
    ArretSimule arret;
    EcransSimules ecrans{ordonnanceur, compteur.programmation()};

private:
    void observer_connexions();

    bool numerotation_vue_ = false;
    bool connexion_vue_ = false;
    bool fin_vue_ = false;
};

}  // namespace lumi
