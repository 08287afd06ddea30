#pragma once
// Ce que le compteur montre pendant une connexion : la jauge du crédit temps ou du pas, celle du
// forfait, et les lignes d'état qui les accompagnent (lignes 0 et 1, et 4 et 5 pour une réduction).
// Les lignes d'état appartiennent au compteur : ces fonctions les reçoivent par référence et ne
// touchent qu'aux indices qu'elles nomment.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "tariff/enregistrements.hpp"
#include "tariff/monnaie.hpp"

namespace lumi {

// Les 21 lignes d'état de la fenêtre principale, montrées deux à deux dans l'afficheur.
inline constexpr int nb_lignes_etat = 21;
using LignesEtat = std::array<std::string, nb_lignes_etat>;

// Ce que chaque ligne d'état porte ; les indices sont ceux de la rotation des rangées (deux à deux).
namespace ligne_etat {
inline constexpr std::size_t etat = 0;             // état de la connexion, de la source ou de la jauge
inline constexpr std::size_t detail = 1;           // entrée numérotée, reste du pas ou du forfait
inline constexpr std::size_t titre_facture = 2;    // "Total facture en cours :"
inline constexpr std::size_t facture = 3;          // durée et montant de la facture en cours
inline constexpr std::size_t titre_reduction = 4;  // "Réduction en cours :"
inline constexpr std::size_t reduction = 5;        // pourcentage et montant de la réduction
inline constexpr std::size_t titre_plafond = 6;    // "Plafond facture :", une fois l'alerte donnée
inline constexpr std::size_t plafond = 7;          // part du plafond atteinte
inline constexpr std::size_t titre_adresse = 10;   // "Adresse IP"
inline constexpr std::size_t adresse = 11;         // l'adresse de la connexion
inline constexpr std::size_t produit = 12;         // nom du produit
inline constexpr std::size_t description = 13;     // ce qu'il fait
}  // namespace ligne_etat

// 45 -> "45 secondes", 60 -> "1 minute", 120 -> "2 minutes", 200 -> "3 min20 sec".
std::string calcul_temps_en_minutes_et_secondes(std::int32_t secondes);

// Durée d'un forfait sous la forme HHhMMmSSs (3725 -> "01h02m05s") ; signe devant si négative.
std::string format_hms(std::int32_t secondes);

// Une jauge telle que la fenêtre la dessine. La position reste entre 0 et le maximum, comme sur
// le contrôle lui-même.
struct Jauge {
    bool visible = false;
    std::int32_t position = 0;
    std::int32_t maximum = 0;

    friend bool operator==(const Jauge&, const Jauge&) = default;
};

// Règle maximum et position (ramenée entre 0 et le maximum ; un maximum négatif vaut 0).
void regler_jauge(Jauge& jauge, std::int32_t maximum, std::int32_t position);
// Part faite de la jauge en pour cent, tronquée ; 0 pour un maximum nul.
int pourcentage(const Jauge& jauge);

// La zone du forfait de la fenêtre principale (cachée sauf pour un forfait "F").
struct ZoneForfait {
    bool visible = false;
    Jauge Gauge2;                // temps restant sur le forfait
    std::string temps_restant;   // après "Temps restant sur le forfait :", en HHhMMmSSs
    std::string Label10;         // après "Prochain forfait dans" : la prochaine remise à zéro
    std::string texte_decompte;  // "Décompte du forfait : ..."

    friend bool operator==(const ZoneForfait&, const ZoneForfait&) = default;
};

// Ce que le top passe à afficher_progressbar ; `ecoule` est le temps écoulé depuis le début de la
// période facturée (e′), d'où se déduisent la position dans le pas ou dans l'unité du forfait.
struct AppelProgression {
    bool credit = false;
    std::int32_t restant = 0;
    std::int32_t maximum = 0;
    std::uint8_t type_forfait = type_forfait_r;
    std::int32_t ecoule = 0;

    friend bool operator==(const AppelProgression&, const AppelProgression&) = default;
};

// Les arguments que le top passe selon le type de l'option : "R" pendant le crédit temps, puis pour
// le pas en cours (ou 10 sur 10 à la seconde) ; "F" le temps restant sur la durée du forfait.
// Rien pour les autres types, dont le top ne montre aucune jauge.
std::optional<AppelProgression> arguments_progressbar(const tparametre_de_la_tarification& tarif,
                                                      const tparametre_de_la_reduction& option,
                                                      std::int32_t ecoule);

// La jauge fine `Gauge1`, la zone du forfait et les lignes d'état 0 et 1. Une ligne n'est réécrite
// que si son texte change ; rend vrai quand l'une des deux a changé.
bool afficher_progressbar(const AppelProgression& appel, const tparametre_de_la_tarification& tarif,
                          std::int32_t unite_decompte, Jauge& Gauge1, ZoneForfait& forfait,
                          LignesEtat& lignes);

// Lignes d'état 4 et 5 : "Réduction en cours :" puis "- 30% = - 0,348 F". Le pourcentage est le
// taux fixe, ou celui de la dernière fenêtre de temps écoulé atteinte ("00" avant la première).
// Rend vrai quand l'une des deux lignes a changé.
bool affichage_message_reduc_normales(const tparametre_de_la_reduction& option, std::int32_t duree_connexion,
                                      float montant_reduction, const ReglagesMonnaie& monnaie,
                                      LignesEtat& lignes);

}  // namespace lumi
