#pragma once
// Lecture du fichier des tarifs : un objet FichierIni par groupe d'accès (un rechargement), les
// enregistrements du tarif et de l'option, les listes de plages, la TVA et les réductions par taux.
// Une valeur qui devait être un nombre et ne l'est pas, un prix ou une durée négatifs, un prix hors
// de la simple précision, une réduction hors de 0 à 100 lèvent ErreurConversion (fichier, section,
// clé) ; une valeur absente ou vide prend son défaut.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/fichier_ini.hpp"
#include "settings/registre.hpp"
#include "tariff/enregistrements.hpp"
#include "tariff/plages.hpp"

namespace lumi {

// Ce qui rend le fichier des tarifs inutilisable en entier : introuvable, dossier, illisible, vide,
// pas un texte en Windows-1252 ou UTF-8 (UTF-16, binaire), lignes finies par un retour chariot seul.
// Rien s'il se lit comme un fichier INI.
std::optional<std::string> defaut_fichier_tarifs(const std::filesystem::path& chemin);

// Entier ou décimal d'une clé du fichier des tarifs, `defaut` si la clé manque ou est vide.
std::int32_t lire_entier_tarifs(const FichierIni& ini, std::string_view section, std::string_view cle,
                                std::string_view defaut);
float lire_decimal_tarifs(const FichierIni& ini, std::string_view section, std::string_view cle,
                          std::string_view defaut);

// La section du tarif `nom` ; une section absente donne des prix nuls et un pas d'une seconde.
tparametre_de_la_tarification GetTarification(const FichierIni& ini, std::string_view nom);

// L'option de référence `reference` ; le temps restant d'un forfait vient du registre
// ("\forfaits", "time " + référence). Référence vide : réduction de 0 %, tous les champs remis à zéro.
// Un `type` autre que "R", "F" ou "Fi" lève ErreurConversion.
tparametre_de_la_reduction lire_parametres_reduction(const FichierIni& ini, const Registre& registre,
                                                     std::string_view reference);

// p1, p2, p3 de la section donnée, analysés.
void affectation_des_3_listes_plages_horaires(const FichierIni& ini, std::string_view section,
                                              ListePlages& L1, ListePlages& L2, ListePlages& L3);
TroisListes lire_3_listes_plages_horaires(const FichierIni& ini, std::string_view section);

// [TVA] taux : 19.6 quand la clé manque ou est vide ; un texte qui n'est pas un nombre de 0 à 100
// est refusé (ErreurConversion nommant le fichier, la section et la clé).
float lire_taux_tva(const FichierIni& ini);
// [valeur taux] taux0 .. taux20, de 0 à 100.
ValeursTaux lire_valeurs_taux(const FichierIni& ini);

// Noms de [liste des tarifications] dans l'ordre, noms vides omis.
std::vector<std::string> lire_liste_des_tarifications(const FichierIni& ini);

// En-tête puis `designation` de option1 .. optionM. En-tête "Aucune réduction ou forfait tarifaire"
// pour la liste de la fenêtre principale, "Toutes les réductions" pour les autres.
std::vector<std::string> lecture_liste_reduc_tarifaires(const FichierIni& ini, bool liste_principale);

// Nombre d'options (nb_total_options).
int nombre_options_tarifaires(const FichierIni& ini);

// La référence de option<numero> ("ref") ou la clé `cle` de sa section ; vide si la référence l'est.
std::string lire_option_tarifaire(const FichierIni& ini, int numero, std::string_view cle);

// Noms de sections et de clés du fichier.
namespace sections_tarifs {
inline constexpr std::string_view tva = "TVA";
inline constexpr std::string_view valeur_taux = "valeur taux";
inline constexpr std::string_view nombre_tarifications = "Nombre de tarifications";
inline constexpr std::string_view liste_tarifications = "liste des tarifications";
inline constexpr std::string_view liste_options = "liste options tarifaires";
}  // namespace sections_tarifs

}  // namespace lumi
