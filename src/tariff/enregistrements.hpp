#pragma once
// Les deux enregistrements du moteur : le tarif en cours et l'option (réduction ou forfait) en cours.
// Les prix sont gardés en simple précision comme dans le fichier ; tout calcul se fait en double.
#include <array>
#include <cstdint>
#include <string>

namespace lumi {

// Codes de `type_forfait`.
inline constexpr std::uint8_t type_forfait_f = 0;   // "F" : forfait de temps
inline constexpr std::uint8_t type_forfait_r = 1;   // "R" : réduction (et absence d'option)
inline constexpr std::uint8_t type_forfait_fi = 3;  // "Fi" : forfait qui apporte son propre tarif

// Nombre d'indices de taux des plages : taux0 .. taux20.
inline constexpr int nb_indices_taux = 21;
using ValeursTaux = std::array<float, nb_indices_taux>;

// Taux de TVA quand le fichier n'en donne pas un lisible.
inline constexpr float taux_tva_par_defaut = 19.6f;

struct tparametre_de_la_tarification {
    std::int32_t credit_temps = 0;  // secondes
    float cout_ht_credit_temps = 0;
    float cout_ht_connexion = 0;
    float cout_ht_plein_tarif = 0;
    std::string nom;
    float cout_ht_tarif_reduit = 0;
    float cout_ht_tarif_supp = 0;
    std::int32_t pas_tarif = 1;  // secondes
    std::string reduc_compatible;
    std::string l1;
    std::string l2;
};

struct tparametre_de_la_reduction {
    std::string nom;  // référence de l'option ; vide = aucune option
    std::uint8_t type_forfait = type_forfait_r;
    std::int32_t taux = 0;  // pour cent
    std::int32_t temps_forfait_debut = 0;
    std::int32_t temps_restant_forfait = 0;
    std::int32_t duree_forfait = 0;
    std::int32_t raz = 0;
    std::int32_t raz_le = 0;
    std::int32_t unite_decompte = 1;
    std::string tarif_apres_forfait;
    std::string texte_tarif_apres_forfait;
    // Indices 1 à 3 comme les clés t1..t3 et dt1..dt3 ; l'indice 0 ne sert pas.
    std::array<std::int32_t, 4> t{};
    std::array<std::int32_t, 4> dt{};
    std::string l1;
    std::string l2;
};

}  // namespace lumi
