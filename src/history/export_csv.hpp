#pragma once
// L'historique en CSV pour un tableur français : « ; » entre les champs, virgule décimale, un champ
// qui contient « ; », « " » ou une fin de ligne entre guillemets (guillemets doublés). L'outil et la
// fenêtre de l'historique écrivent ainsi les mêmes lignes.
#include <ostream>
#include <string>
#include <string_view>

#include "history/fenetre/passage_historique.hpp"

namespace lumi {

// Les noms des colonnes, dans l'ordre de chaque ligne (sans fin de ligne).
inline constexpr std::string_view entete_csv_historique =
    "utilisateur;provider;date;heure;duree;periode;tarification;option;reduction;total_ht;total_ttc";

// Un champ de texte, entre guillemets seulement s'il le faut.
std::string champ_csv(std::string_view texte);

// Un montant à 15 chiffres significatifs (comme les totaux de l'outil), virgule décimale.
std::string montant_csv(double montant);

// Une ligne de la liste, sans fin de ligne. La réduction est dans l'unité de la liste (TTC, ou HT
// quand la fenêtre montre les montants hors taxes).
std::string ligne_csv_historique(const LigneListeHistorique& ligne);

// En-tête puis lignes, chacune finie par "\n".
void ecrire_entete_csv_historique(std::ostream& flux);
void ecrire_ligne_csv_historique(std::ostream& flux, const LigneListeHistorique& ligne);

}  // namespace lumi
