#pragma once
// L'état du compteur pour toute la durée du programme : connexion, temps, argent, mémoire du
// rafraîchissement horaire et drapeaux à un coup. Les valeurs du tarif, de l'option et du forfait
// appartiennent au moteur tarifaire, au choix et au décompte des forfaits.
#include <cstdint>
#include <string>

#include "base/dates.hpp"

namespace lumi {

struct EtatCompteur {
    // --- Connexion ---
    bool compteur_actif = false;     // une connexion (ou un comptage manuel) est comptée
    bool connexion_etablie = false;  // la connexion en cours a atteint l'état connecté
    bool mode_manuel = false;        // comptage lancé par le bouton de démarrage manuel
    // (la source de détection, scrutation ou téléphonie, est tenue par Detection)
    std::string nom_connexion;  // entrée d'annuaire de la connexion ; vide en mode manuel

    // --- Temps ---
    NumeroJour date_debut = 0;
    std::int32_t seconde_debut = 0;  // début compté, avancé de l'anticipation du fournisseur
    // Seconde du jour où la connexion a été vue : l'anticipation se recalcule toujours d'ici,
    // si bien que deux affectations n'ôtent jamais deux fois le délai.
    std::int32_t seconde_detection = 0;
    std::int32_t secondes_jour_debut = 0;    // secondes comptées le jour du début
    std::int32_t secondes_jour_suivant = 0;  // secondes comptées après minuit
    std::int32_t duree_connexion = 0;        // jamais négative
    std::int32_t duree_segment = 0;          // duree_connexion - debut_segment
    std::string texte_duree;                 // "HH:MM:SS", au plus 10 caractères
    bool premier_tick = true;
    int plage_au_debut = 0;  // plage en vigueur au premier top compté (pour l'historique)

    // --- Argent (francs hors taxes, simple précision) ---
    float prix_communication = 0;
    float montant_reduction = 0;

    // --- Mémoire du rafraîchissement horaire ---
    NumeroJour derniere_date = 0;
    int derniere_heure = 0;
    std::string dernier_forfait_vu;
    std::string dernier_tarif_vu;

    // --- Drapeaux à un coup ---
    bool alerte_heure_armee = true;  // jamais réarmé pendant la vie du programme

    // --- Affichage ---
    int mode_panneau_duree = 1;  // 1 : durée dans Panel2 ; 2 : l'heure
    int plage_en_cours = 0;      // indice de la plage en vigueur, 0 = aucune

    // --- Fournisseur ---
    std::string provider_en_cours;  // fournisseur affecté en dernier (vide au premier appel)
    bool provider_affecte = false;
};

}  // namespace lumi
