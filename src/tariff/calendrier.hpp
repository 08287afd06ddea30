#pragma once
// Calendrier : classe du jour (dimanche 1 .. samedi 7, férié 8), Pâques, choix de la liste de plages
// d'un jour et indice de taux en vigueur à une seconde.
#include <cstdint>
#include <string_view>

#include "base/dates.hpp"
#include "tariff/plages.hpp"

namespace lumi {

inline constexpr int jour_ferie = 8;

// 1 = dimanche .. 7 = samedi, 8 pour un jour férié (avec ceux d'Alsace-Moselle si `alsace`).
int get_day_of_week_jours_feries(NumeroJour date, bool alsace);

// Dimanche de Pâques de l'année plus `decalage` jours (règle grégorienne, années 1700 et suivantes).
NumeroJour paques(int annee, int decalage);

// Laquelle des trois listes s'applique au jour `jour` (1 .. 8) : 1, 2, 3, ou 0 si aucune.
// Un jour de semaine exact l'emporte sur une classe ; à égalité la liste de plus haut numéro gagne.
// Lève ErreurConversion si l'une des trois listes n'a pas de code jour.
int get_nb_plage_horaire_par_rapport_au_jour_passe(int jour, const ListePlages& L1, const ListePlages& L2,
                                                   const ListePlages& L3);
int get_nb_plage_horaire_par_rapport_au_jour_passe(int jour, const TroisListes& listes);

// Texte d'un code jour ("Semaine", "Dimanche et\rjours fériés"...) ; vide pour un code inconnu.
std::string_view get_jour_plage_horaire(int code);

// Indice de taux en vigueur à la seconde donnée selon la liste : le dernier intervalle qui la
// contient gagne ; 0 si aucun. Lève ErreurConversion si la liste est mal formée.
int bande_dans_liste(const ListePlages& liste, std::int32_t seconde);

// Indice de taux selon la liste k (1 .. 3) ; 0 pour k = 0.
int bande_courante(const TroisListes& listes, int k, std::int32_t seconde);

}  // namespace lumi
