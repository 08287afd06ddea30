// Sous Wine, les essais ont l'heure de Paris comme sous Linux : Wine tire le fuseau de Windows du
// TZ=Europe/Paris de l'hôte (ctest le donne), mais passe aussi ce TZ au programme, et la
// bibliothèque C de Windows le lirait comme un TZ à sa façon (« Eur » à l'heure de Greenwich, l'été
// à l'américaine). Ôté avant tout essai, il laisse la bibliothèque C suivre le fuseau du système,
// comme chez un utilisateur de Windows.
#include <stdlib.h>
#include <time.h>

#include <cstdlib>
#include <string>

namespace {

const bool fuseau_du_systeme = [] {
    // Gardé sous un autre nom pour l'essai qui vérifie l'heure de Paris.
    if (const char* tz = std::getenv("TZ")) ::_putenv(("LUMI_TZ_WINE=" + std::string(tz)).c_str());
    ::_putenv("TZ=");
    ::_tzset();
    return true;
}();

}  // namespace
