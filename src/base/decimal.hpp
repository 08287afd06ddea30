#pragma once
// Nombres décimaux en texte : lus avec "," ou ".", écrits avec le séparateur de la locale.
#include <optional>
#include <string>
#include <string_view>

namespace lumi {

// Rend un texte décimal acceptable pour le séparateur `separateur` : la première "," devient
// le séparateur ; sinon, dans le texte privé de cette première ",", le premier "." le devient.
// "12,5" et "12.5" valent douze et demi ; "1,234.5" vaut mille deux cent trente-quatre et demi.
std::string normaliser_decimal(std::string_view texte, char separateur);

// Lit un décimal écrit avec "," ou "." (mêmes règles que normaliser_decimal), blancs aux
// bouts tolérés, signe accepté. Rien si le texte n'est pas entièrement un nombre.
std::optional<double> lire_decimal(std::string_view texte);

// Entier décimal signé sur 32 bits, blancs aux bouts tolérés ; rien sinon.
std::optional<int> lire_entier(std::string_view texte);

// Notation fixe avec `decimales` chiffres après le séparateur, moitiés arrondies
// en s'éloignant de zéro (2,345 -> "2,35" ; -2,345 -> "-2,35"). L'arrondi porte sur l'écriture
// décimale du double à 15 chiffres significatifs, donc sur la valeur telle qu'elle a été tapée
// ou calculée, sans le bruit binaire. Jamais de "-0,00" ; une valeur non finie s'écrit zéro.
std::string formater_decimal(double valeur, int decimales, char separateur);

}  // namespace lumi
