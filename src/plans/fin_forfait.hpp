#pragma once
// L'avis de fin de forfait TFinforfait : petite fenêtre toujours au-dessus, centrée sur l'écran,
// non modale, qui dit que le forfait en cours est épuisé. Ce modèle dit ce qu'elle montre.
#include <string>
#include <string_view>

namespace lumi {

struct ModeleFinForfait {
    std::string titre = "Lumicompteur 2000";
    // Le `texteff` du forfait épuisé, ou le texte par défaut quand il n'en a pas.
    std::string texte;
    std::string bouton = "OK";
    // Clé du fond du panneau encadré dans le jeu de couleurs.
    std::string cle_couleur_fond = "fond combobox";
    bool toujours_au_dessus = true;
    bool centre_ecran = true;
    bool modal = false;

    friend bool operator==(const ModeleFinForfait&, const ModeleFinForfait&) = default;
};

inline constexpr std::string_view texte_fin_forfait_par_defaut = "Le forfait en cours est terminé !";

// L'avis pour le forfait épuisé dont le `texteff` est donné.
ModeleFinForfait modele_fin_forfait(std::string_view texteff);

}  // namespace lumi
