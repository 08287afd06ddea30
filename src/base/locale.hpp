#pragma once
// Valeurs de la locale de l'utilisateur, lues une fois au démarrage puis passées par valeur :
// les tests en fabriquent d'autres.
#include <string>
#include <string_view>

namespace lumi {

struct ValeursLocales {
    char separateur_decimal = ',';
    std::string symbole_monetaire = "F";  // UTF-8
};

// Lit la locale de l'utilisateur sans changer la locale globale du programme : sous Linux celle de
// l'environnement (LC_NUMERIC, LC_MONETARY), sous Windows celle de la session, réglages du panneau
// de configuration compris (GetLocaleInfoEx). Séparateur "," et symbole "F" quand elle n'en donne pas.
ValeursLocales lire_valeurs_locales_systeme();

// Les valeurs retenues de ce que dit une locale (textes UTF-8). Le séparateur n'est pris que s'il
// est "," ou "." : les montants rangés ne se relisent qu'avec l'un des deux, et un autre caractère
// (";" d'un enregistrement, un blanc, un caractère hors ASCII) les rendrait illisibles ; sinon ",".
// Le symbole est pris sans blancs aux bouts, "F" s'il est vide.
ValeursLocales valeurs_locales_retenues(std::string_view separateur, std::string_view symbole);

// Les mêmes valeurs pour des locales nommées ("fr_FR.UTF-8"...) : locale C ou POSIX, locale
// absente ou séparateur hors ASCII donnent les valeurs par défaut.
ValeursLocales lire_valeurs_locales(const std::string& nom_numerique, const std::string& nom_monetaire);

}  // namespace lumi
