#pragma once
// Remises à zéro des forfaits : au début de chaque période du contrat (un jour donné de chaque mois,
// des mois pairs ou impairs, avec la facture de téléphone) le crédit redevient plein, ce qui revient
// à effacer son temps restant rangé ("\forfaits", "time " + référence).
//
// Contrat avec le compteur :
// - reinitialisation_auto_des_forfaits(5) chaque jour (changement de date, hors connexion) ;
//   reinitialisation_auto_des_forfaits(0) au renouvellement de la période de facturation.
// - Le compte rendu est rendu, pas montré : quand `a_montrer` est vrai, le compteur l'affiche dans
//   une boîte d'information (bouton OK).
// - Le tarif et l'option en cours sont rechargés (et l'affichage rafraîchi) par le SelecteurTarifaire
//   quand un forfait a été remis à zéro.
// - Tout ou rien : les réglages de tous les forfaits sont lus et vérifiés avant la moindre écriture ;
//   une valeur illisible lève ErreurConversion et ne change rien.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/dates.hpp"
#include "base/horloge.hpp"
#include "settings/registre.hpp"
#include "tariff/choix_option.hpp"

namespace lumi {

// Codes de remise à zéro (`raz`).
namespace codes_raz {
inline constexpr int avec_facture = 0;
inline constexpr int chaque_mois = 1;
inline constexpr int mois_pairs = 2;
inline constexpr int mois_impairs = 3;
inline constexpr int manuelle = 4;
inline constexpr int tous_les_n_jours = 5;
}  // namespace codes_raz

// Durée de la période de facturation, en jours.
inline constexpr int jours_periode_facturation = 60;

// Prochaine remise à zéro strictement après `date` pour les codes 1 à 3 (tout autre code avance d'un
// mois). Un jour au-delà de la longueur du mois est ramené au dernier jour de ce mois (le 31 tombe
// le 30 avril, le 28 ou 29 février) ; un jour inférieur à 1 vaut 1.
NumeroJour calcul_date_prochaine_reinitialisation_forfait(int type, int jour, NumeroJour date);

// Texte de la colonne des remises à zéro de la liste des forfaits : "Fin facture en cours",
// "Le 1er du mois", "Le 15, mois pairs", "Manuelle", "Tous les 30 jours"... `jour` est le texte
// saisi (deux chiffres), `jours` le nombre de jours du code 5.
std::string texte_mode_raz(int code, std::string_view jour, std::string_view jours);

struct RapportReinitialisation {
    std::vector<std::string> forfaits;  // références remises à zéro et signalées, dans l'ordre du registre
    std::string texte;                  // compte rendu (messages 119, 129 ou 130) ; vide si aucun
    bool a_montrer = false;             // boîte d'information à montrer (contrôle quotidien)
};

class ReinitialisationForfaits {
public:
    // `fichier_reglages` : lumicompteur.ini (messages numérotés, début de la facture en cours).
    ReinitialisationForfaits(Registre& registre, SelecteurTarifaire& selecteur, const Horloge& horloge,
                             std::filesystem::path fichier_reglages);

    // `mode` 0 : renouvellement de la facturation (forfaits de code 0 remis à zéro sans message) ;
    // autre : contrôle quotidien (codes 1 à 3 selon la date rangée dans "\forfaits\raz").
    RapportReinitialisation reinitialisation_auto_des_forfaits(int mode);

    // Texte de la prochaine remise à zéro de l'option en cours ("dans 12 jours, le 01 avril 2000",
    // "Réinitialisation manuelle", ou vide).
    std::string get_texte_raz_forfait() const;

    // Fin de la période de facturation en cours : "date fin derniere facture" + 60 jours (aujourd'hui
    // + 60 quand la date manque). Lève ErreurConversion si la date rangée est illisible.
    NumeroJour fin_periode_facturation() const;

private:
    Registre& registre_;
    SelecteurTarifaire& selecteur_;
    const Horloge& horloge_;
    std::filesystem::path fichier_reglages_;
};

}  // namespace lumi
