#pragma once
// L'onglet " Gestion des forfaits " : une ligne par option de type "F", le temps restant de la copie
// "\temp forfaits" et le mode de remise à zéro ; ses réglages copiés dans "\temp raz forfaits" et
// écrits dans tarifs.ini par "&Valider".
#include <string>
#include <string_view>
#include <vector>

#include "plans/fenetre/dialogues_forfait.hpp"

namespace lumi {

namespace textes_forfaits {
inline constexpr std::string_view onglet = " Gestion des forfaits ";
inline constexpr std::string_view colonne_forfait = "Forfait";
inline constexpr std::string_view colonne_temps = "Temps restant";
inline constexpr std::string_view colonne_date = "Date réinitialisation";
inline constexpr std::string_view modifier_temps = "Modifier temps restant";
inline constexpr std::string_view modifier_date = "Modifier date réinitialisation";
inline constexpr std::string_view refus_temps =
    "Vous ne pouvez pas modifier le temps restant sur le forfait\rlorsqu'une connexion est en cours !";
inline constexpr std::string_view refus_date =
    "Vous ne pouvez pas modifier le mode de réinitialisation du forfait\rlorsqu'une connexion est en cours !";
}  // namespace textes_forfaits

struct LigneForfait {
    std::string forfait;
    std::string temps_restant;
    std::string date_reinitialisation;
    int numero = 0;  // k : forfait plein ; -k : un temps restant est rangé (écrit en bleu)
    bool plein() const { return numero > 0; }
    friend bool operator==(const LigneForfait&, const LigneForfait&) = default;
};

class PageForfaits {
public:
    // Copie "\forfaits" dans "\temp forfaits", construit les lignes et remplit "\temp raz forfaits".
    void charger(Registre& registre, const FichierIni& tarifs);
    const std::vector<LigneForfait>& lignes() const { return lignes_; }

    void corriger(std::size_t ligne, const CorrectionForfait& correction);
    void changer_mode(std::size_t ligne, const std::string& texte);

    // Écrit `raz`, `raz_le` et `raz_tous_les` de chaque forfait dans tarifs.ini.
    void ranger(const Registre& registre, FichierIni& tarifs) const;

    bool modifiee() const { return modifiee_; }

private:
    std::vector<LigneForfait> lignes_;
    bool modifiee_ = false;
};

}  // namespace lumi
