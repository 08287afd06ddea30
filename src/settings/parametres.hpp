#pragma once
// Chaque réglage en une table : où il est rangé, son nom, son défaut, et le test qui dit "actif"
// ("oui" seul, ou tout sauf "non"). Aucun lecteur n'invente son propre défaut.
#include <string>
#include <string_view>

#include "settings/registre.hpp"

namespace lumi {

class FichierIni;

// Quel test décide qu'un drapeau est actif.
enum class TestDrapeau {
    aucun,          // pas un drapeau
    egal_oui,       // inactif par défaut : seul "oui" l'active
    different_non,  // actif par défaut : tout sauf "non", absence comprise
};

inline bool est_oui(std::string_view texte) { return texte == "oui"; }
inline bool different_de_non(std::string_view texte) { return texte != "non"; }

// Un réglage du registre : suffixe de section (cles::options...), nom, défaut, test.
struct ParametreRegistre {
    std::string_view section;
    std::string_view nom;
    std::string_view defaut;
    TestDrapeau test = TestDrapeau::aucun;
};

// Un réglage de lumicompteur.ini.
struct ParametreIni {
    std::string_view section;
    std::string_view cle;
    std::string_view defaut;
    TestDrapeau test = TestDrapeau::aucun;
};

// Valeur lue, le défaut remplaçant l'absence et le texte vide.
std::string lire(const Registre& registre, const ParametreRegistre& p);
std::string lire(const FichierIni& ini, const ParametreIni& p);
// Drapeau lu selon son test.
bool actif(const Registre& registre, const ParametreRegistre& p);
bool actif(const FichierIni& ini, const ParametreIni& p);
void ecrire(Registre& registre, const ParametreRegistre& p, std::string_view texte);

namespace parametres {
// Rempli par la couche des réglages ; voir parametres.cpp pour la table complète.
}  // namespace parametres

}  // namespace lumi
