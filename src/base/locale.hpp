#pragma once
// Valeurs de la locale de l'utilisateur, lues une fois au démarrage puis passées par valeur :
// les tests en fabriquent d'autres.
#include <string>

namespace lumi {

struct ValeursLocales {
    char separateur_decimal = ',';
    std::string symbole_monetaire = "F";  // UTF-8
};

// Lit la locale de l'environnement (LC_NUMERIC, LC_MONETARY) sans changer la locale globale
// du programme. Séparateur "," et symbole "F" quand la locale n'en donne pas.
ValeursLocales lire_valeurs_locales_systeme();

// Les mêmes valeurs pour des locales nommées ("fr_FR.UTF-8"...) : locale C ou POSIX, locale
// absente ou séparateur hors ASCII donnent les valeurs par défaut.
ValeursLocales lire_valeurs_locales(const std::string& nom_numerique, const std::string& nom_monetaire);

}  // namespace lumi
