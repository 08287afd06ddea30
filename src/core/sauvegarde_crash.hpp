#pragma once
// Les instantanés anti-crash : pendant une connexion, l'enregistrement en cours, le temps restant du
// forfait et la facture connexion comprise sont rangés durablement dans "\options" ("sauv crash",
// "sauv forfait", "sauv total facture"), pour qu'au démarrage suivant la connexion interrompue par un
// arrêt du programme ou de la machine puisse être enregistrée.
#include <cstdint>
#include <functional>
#include <string>

#include "base/dates.hpp"
#include "core/dialogue.hpp"
#include "history/facture.hpp"
#include "history/fichiers_historique.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/registre.hpp"
#include "tariff/monnaie.hpp"

namespace lumi {

// Ce qu'un instantané range de la connexion en cours.
struct InstantaneConnexion {
    std::string ligne;     // l'enregistrement tel que get_donnees_a_enregistrer le construit
    bool forfait = false;  // l'option en vigueur est un forfait "F"
    std::int32_t temps_restant_forfait = 0;
    std::string forfait_en_cours;
    double montant_facture = 0;         // facture en cours + prix affiché de la connexion
    std::int32_t secondes_facture = 0;  // facture en cours + temps compté par le forfait
};

class SauvegardeCrash {
public:
    SauvegardeCrash(Registre& registre, char separateur_decimal);

    // Écrit un instantané, ses valeurs ensemble et vidées sur le disque ("sauv crash" en dernier, pour
    // un magasin qui les écrirait une à une). Les erreurs sont avalées, le suivant réessaie.
    void enregistrer_parametres_de_sauvegarde(const InstantaneConnexion& instantane) noexcept;

    // Recopie la facture ("cout total", "total time") et le temps restant du forfait ("time " +
    // forfait dans "\forfaits") depuis l'instantané. Une valeur mal formée est laissée de côté : la
    // facture rangée n'est jamais remplacée par un texte vide ou illisible.
    void restauration_sauv_forfait_total();

    // Efface les trois valeurs ; une valeur absente n'est pas une erreur.
    void effacer_cle_sauvegarde_crash();

    // La ligne de "sauv crash", vide s'il n'y a pas d'instantané.
    std::string ligne_sauvegardee() const;

private:
    Registre& registre_;
    char separateur_decimal_;
};

enum class RepriseConnexion {
    aucune,          // pas d'instantané
    enregistree,     // Oui : la connexion est dans l'historique, l'instantané effacé
    refusee,         // Non : l'instantané est effacé
    echec_ecriture,  // Oui, mais l'historique n'a pu être écrit : message montré, instantané gardé
};

struct ContexteReprise {
    SauvegardeCrash& sauvegarde;
    EcrivainHistorique& ecrivain;
    FactureEnCours& facture;
    Dialogue& dialogue;
    const FichierIni& reglages;  // messages 40 et 41
    const ReglagesMonnaie& monnaie;
    NumeroJour aujourdhui;
    LignesEtat& lignes_etat;
    std::function<void()> rafraichir_prix;  // l'affichage du prix après la relecture de la facture
};

// L'offre du démarrage : s'il y a un instantané, la question (messages 40 et 41 et le résumé) dans
// une boîte d'avertissement Oui / Non. Sur Oui : facture et forfait recopiés, facture relue,
// enregistrement ajouté au fichier du mois de sa date (aujourd'hui si elle ne se lit pas) sans
// l'ajouter une seconde fois à la facture, qui le contient déjà. Efface l'instantané elle-même,
// sauf quand l'écriture a échoué : il reste pour le prochain démarrage.
RepriseConnexion proposer_reprise_connexion(ContexteReprise contexte);

}  // namespace lumi
