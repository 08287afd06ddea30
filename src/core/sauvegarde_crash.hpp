#pragma once
// Les instantanés anti-crash : pendant une connexion, l'enregistrement en cours, le temps restant du
// forfait et la facture connexion comprise sont rangés durablement dans "\options" ("sauv crash",
// "sauv forfait", "sauv total facture"), pour qu'au démarrage suivant la connexion interrompue par un
// arrêt du programme ou de la machine puisse être enregistrée.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/dates.hpp"
#include "actions/dialogue.hpp"
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

    // Les valeurs d'un instantané ("sauv crash" en dernier, pour un magasin qui les écrirait une à
    // une), à écrire d'un seul lot durable.
    std::vector<OperationRegistre> operations_instantane(const InstantaneConnexion& instantane) const;

    // L'effacement des trois valeurs ; une valeur absente n'est pas une erreur.
    static std::vector<OperationRegistre> operations_effacement();

    // La facture ("cout total", "total time") et le temps restant du forfait ("time " + forfait
    // dans "\forfaits") tels que l'instantané les garde. Une valeur mal formée est laissée de côté :
    // la facture rangée n'est jamais remplacée par un texte vide ou illisible.
    std::vector<OperationRegistre> operations_restauration() const;

    // Une connexion facturée pendant qu'un instantané plus ancien attend son offre : la facture
    // qu'il garde ("sauv total facture") la compte aussi, pour qu'une reprise ne l'efface pas de la
    // facture. Rien si l'instantané n'a pas de facture lisible.
    std::optional<OperationRegistre> operation_facture_augmentee(double cout, std::int32_t secondes) const;

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
    echec_ecriture,  // Oui, mais elle n'a pu être rangée : message montré, instantané gardé
};

struct ContexteReprise {
    SauvegardeCrash& sauvegarde;
    Dialogue& dialogue;
    const FichierIni& reglages;  // messages 40 et 41
    const ReglagesMonnaie& monnaie;
    NumeroJour aujourdhui;
    // Sur Oui : range la connexion (facture et forfait recopiés de l'instantané, enregistrement
    // ajouté, instantané effacé) ; faux si elle n'a pu être rangée, l'instantané restant alors.
    std::function<bool(const std::string& ligne, Moment debut)> enregistrer;
    // Sur Non : efface l'instantané.
    std::function<void()> effacer;
};

// L'offre du démarrage : s'il y a un instantané, la question (messages 40 et 41 et le résumé) dans
// une boîte d'avertissement Oui / Non. Sur Oui, l'enregistrement au mois de sa date (aujourd'hui si
// elle ne se lit pas) ; sur Non, l'effacement.
RepriseConnexion proposer_reprise_connexion(ContexteReprise contexte);

}  // namespace lumi
