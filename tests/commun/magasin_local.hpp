#pragma once
// Le magasin de réglages que l'outil ouvre pour un dossier de données : RegistreLocal, la base SQLite
// du dossier sous Linux, le registre de la machine sous Windows. Celui-ci est le même pour tous les
// dossiers : un essai qui s'en sert le trouve vide et le laisse vide, comme un dossier neuf.
#include <string>

#include "settings/cles.hpp"
#include "settings/registre_local.hpp"

namespace lumi::essai {

class MagasinLocalVide {
public:
    MagasinLocalVide() { vider(); }
    ~MagasinLocalVide() { vider(); }
    MagasinLocalVide(const MagasinLocalVide&) = delete;
    MagasinLocalVide& operator=(const MagasinLocalVide&) = delete;

private:
    static void vider() {
#ifdef _WIN32
        RegistreWindows().effacer_arborescence(std::string(cles::racine));
#endif
    }
};

}  // namespace lumi::essai
