#include "plans/fin_forfait.hpp"

namespace lumi {

ModeleFinForfait modele_fin_forfait(std::string_view texteff) {
    ModeleFinForfait modele;
    modele.texte = texteff.empty() ? std::string(texte_fin_forfait_par_defaut) : std::string(texteff);
    return modele;
}

}  // namespace lumi
