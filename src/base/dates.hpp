#pragma once
// Dates et heures du compteur : jours entiers comptés depuis le 30/12/1899, secondes du jour,
// formats "dd/mm/yyyy", "HH:mm:ss", dates longues françaises et champs "%1.2d".
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumi {

// Numéro de jour : 0 = 30/12/1899, 1 = 31/12/1899, 36526 = 01/01/2000.
using NumeroJour = std::int32_t;

inline constexpr std::int32_t secondes_par_jour = 86400;

// Un instant d'une connexion : le jour et la seconde du jour (0 .. 86399).
struct Moment {
    NumeroJour jour = 0;
    std::int32_t seconde = 0;
    friend constexpr bool operator==(const Moment&, const Moment&) = default;
    friend constexpr auto operator<=>(const Moment&, const Moment&) = default;
};

// Un instant en secondes depuis l'origine des jours, et retour : pour compter d'un instant à l'autre.
constexpr std::int64_t en_secondes(Moment m) {
    return std::int64_t{m.jour} * secondes_par_jour + m.seconde;
}
constexpr Moment en_moment(std::int64_t secondes) {
    std::int64_t jour = secondes / secondes_par_jour;
    if (secondes % secondes_par_jour < 0) --jour;
    return {static_cast<NumeroJour>(jour), static_cast<std::int32_t>(secondes - jour * secondes_par_jour)};
}

NumeroJour numero_jour(std::chrono::year_month_day date);
std::chrono::year_month_day date_du_jour(NumeroJour jour);

// Jour de la semaine : 1 = dimanche, 2 = lundi, ..., 7 = samedi.
int jour_de_semaine(NumeroJour jour);

// Seconde du jour = heures × 3600 + minutes × 60 + secondes.
constexpr std::int32_t seconde_du_jour(int heures, int minutes, int secondes) {
    return heures * 3600 + minutes * 60 + secondes;
}

// "dd/mm/yyyy" ; accepte aussi "d/m/yyyy" et une année sur deux chiffres ("dd/mm/yy",
// moins de 88 = 20xx comme les anciens fichiers), blancs aux bouts tolérés. Rien pour une date
// invalide (31/02, 00/01...) ou suivie d'autre chose.
std::optional<NumeroJour> lire_date(std::string_view texte);
std::string formater_date(NumeroJour jour);  // "dd/mm/yyyy"

// "HH:mm:ss" (ou "HH:mm") -> seconde du jour ; rien hors de 00:00:00 .. 23:59:59.
std::optional<std::int32_t> lire_heure(std::string_view texte);
std::string formater_heure(std::int32_t seconde);  // "HH:mm:ss"

// Noms français en minuscules ; texte vide hors bornes.
std::string_view nom_du_mois(unsigned mois);        // 1 .. 12 : "janvier" .. "décembre"
std::string_view nom_du_jour(int jour_de_semaine);  // 1 .. 7 : "dimanche" .. "samedi"

// "dd mmmm yyyy", par exemple "05 décembre 2000".
std::string date_longue(NumeroJour jour);
// Jour de la semaine, jour ("1er" pour le premier), mois, année : "vendredi 1er décembre 2000".
std::string date_longue_avec_jour(NumeroJour jour);

// Le champ "%1.2d" : au moins deux chiffres, le signe devant ("-05").
std::string champ_2(std::int64_t valeur);

// Durée en secondes -> "HH:MM:SS" avec des champs "%1.2d" (les heures peuvent dépasser 99) ;
// une durée négative porte un seul signe devant ("-00:01:05").
std::string formater_duree(std::int64_t secondes);

}  // namespace lumi
