#pragma once
// Les trois tailles de la fenêtre principale (normale, afficheur, barre), sans Qt : le mode en cours,
// les coches de PopupMenu5, l'info-bulle du bouton de taille, le mode réduit à employer, le
// glissement du coin, et les calculs de place (le bouton de taille reste sous la souris d'un mode à
// l'autre ; la position rangée survit à un changement de résolution). La coquille mesure chaque
// disposition (où est SpeedButton10, la taille de la fenêtre, le cadre du gestionnaire de fenêtres)
// et applique ce que ce modèle calcule.
#include <optional>
#include <string>
#include <string_view>

#include "core/commandes_fenetre.hpp"
#include "core/fenetre_principale.hpp"
#include "settings/registre.hpp"

namespace lumi {

class Compteur;

enum class ModeAffichage { normal, afficheur, barre };

namespace textes_modes {
// PopupMenu5
inline constexpr std::string_view afficheur = "Réduire à l'afficheur";
inline constexpr std::string_view barre = "Réduire en barre";
inline constexpr std::string_view Taillenormale = "Restaurer la taille normale";
// Info-bulle de SpeedButton10 selon le mode.
inline constexpr std::string_view hint_normal = "Réduire la taille de la fenêtre";
inline constexpr std::string_view hint_afficheur = "Modifier la taille de la fenêtre";
inline constexpr std::string_view hint_barre = "Augmenter la taille de la fenêtre";
}  // namespace textes_modes

// Un point ou un coin à l'écran, en pixels.
struct PointEcran {
    int x = 0;
    int y = 0;

    friend bool operator==(const PointEcran&, const PointEcran&) = default;
};

// Le cadre que le gestionnaire de fenêtres met autour de la fenêtre normale : du coin du cadre à
// celui de l'intérieur (bord, et barre de titre en haut), et ce qu'il ajoute à droite et en bas.
// Les formes réduites n'en ont pas.
struct Cadre {
    int gauche = 0;
    int haut = 0;
    int droite = 0;
    int bas = 0;

    friend bool operator==(const Cadre&, const Cadre&) = default;
};

// Ce que la coquille mesure d'un mode : la place de SpeedButton10 dans la fenêtre (hors cadre) et
// la taille de la fenêtre sans son cadre.
struct Disposition {
    PointEcran bouton;
    TailleFenetre taille;
};

// Les coches de PopupMenu5.
struct ModelePopupMenu5 {
    ElementMenu afficheur{std::string(textes_modes::afficheur), true, true, false};
    ElementMenu barre{std::string(textes_modes::barre), true, true, false};
    ElementMenu Taillenormale{std::string(textes_modes::Taillenormale), true, true, true};

    friend bool operator==(const ModelePopupMenu5&, const ModelePopupMenu5&) = default;
};

// "position x" et "position y" de "position normale" (lumicompteur.ini).
struct PositionRangee {
    std::string x;
    std::string y;

    friend bool operator==(const PositionRangee&, const PositionRangee&) = default;
};

// Le coin du cadre d'une fenêtre dont la taille extérieure est `exterieur`, ramené à l'écran :
// gauche et haut au moins 1, droite et bas pas au-delà de l'écran.
PointEcran garder_a_l_ecran(PointEcran coin, TailleFenetre exterieur, TailleFenetre ecran);

// Étape 3 de SpeedButton10Click : le coin du cadre de la fenêtre dans son nouveau mode pour que le
// bouton de taille reste au point `bouton_ecran` ; `cadre` est celui du nouveau mode (nul pour une
// forme réduite). Gardé à l'écran.
PointEcran placer_sous_le_bouton(PointEcran bouton_ecran, const Disposition& nouvelle, const Cadre& cadre,
                                 TailleFenetre ecran);

// enregistrer_position : le point du bouton de taille vu comme dans la fenêtre normale (son point
// à l'écran moins le cadre de la fenêtre normale), écrit en taille d'écran divisée par la coordonnée
// (trois décimales, séparateur de la locale). Une coordonnée au-dessous de 1, ou une fenêtre dont
// le coin sort par le haut ou la gauche, compte pour 1.
PositionRangee enregistrer_position(PointEcran bouton_normal, PointEcran coin_fenetre, TailleFenetre ecran,
                                    char separateur);

// restaurer_position : le coin du cadre de la fenêtre dans `mode`. "indefini", une valeur illisible
// ou nulle : la fenêtre centrée. Une fenêtre qui sortirait de l'écran y est ramenée (garder_a_l_ecran).
// `exterieur` est la taille de la fenêtre avec son cadre ; `cadre_normal` celui de la fenêtre normale.
PointEcran restaurer_position(const PositionRangee& rangee, ModeAffichage mode,
                              const Disposition& disposition, const Cadre& cadre_normal,
                              TailleFenetre exterieur, TailleFenetre ecran);

// Le glissement du coin : le rectangle ne prend que l'une des trois tailles. À droite du point de
// départ, la barre ; à gauche (ou dessous), la fenêtre normale à hauteur égale ou plus bas,
// l'afficheur plus haut. Tant que la souris n'a pas bougé, le mode en cours.
ModeAffichage mode_du_glissement(PointEcran depart, PointEcran souris, ModeAffichage actuel);

// Le mode de démarrage : "taille" ("normale" ou absente : normal, sinon réduit) et "taille reduite".
struct TailleDemarrage {
    bool reduite = false;
    bool mode_reduit_barre = false;
};
TailleDemarrage lire_taille_demarrage(const Registre& registre);

class ModesAffichage {
public:
    explicit ModesAffichage(Compteur& compteur) : compteur_(compteur) {}

    ModeAffichage mode() const { return mode_; }
    bool mode_reduit_barre() const { return mode_reduit_barre_; }
    // Le mode que SpeedButton10 choisirait maintenant.
    ModeAffichage mode_suivant() const;
    const ModelePopupMenu5& PopupMenu5() const { return menu_; }
    const std::string& hint_SpeedButton10() const { return hint_; }

    // Chaque disposition coche son élément, règle le mode réduit (afficheur : non, barre : oui ;
    // normal le laisse), puis réécrit les rangées ; la normale rend les boutons que la barre cachait.
    void restaurer_taille_normale();
    void restaurer_taille_afficheur();
    void restaurer_taille_en_barre();
    void restaurer(ModeAffichage mode);

    // Le démarrage : la disposition choisie par "taille" et "taille reduite".
    void disposition_de_demarrage(const TailleDemarrage& taille);

    // SpeedButton10Click : normal vers le mode réduit de mode_reduit_barre, sinon vers normal.
    // Rend le mode disposé ; à la coquille de placer la fenêtre (placer_sous_le_bouton).
    ModeAffichage SpeedButton10Click();
    // PopupMenu5 : le but d'abord, puis l'action du bouton de taille.
    ModeAffichage afficheurClick();
    ModeAffichage barreClick();
    ModeAffichage TaillenormaleClick();

    // Le coin est tiré : les effets de Timer2 attendent (intervalle de pause) jusqu'au relâchement.
    void debut_glissement();
    // Relâché : l'effet revient (sauf si Timer2 a été réglé entre-temps), puis le mode du rectangle.
    void fin_glissement(ModeAffichage mode);
    bool glissement_en_cours() const { return glissement_.has_value(); }

private:
    void cocher(ModeAffichage mode);

    Compteur& compteur_;
    ModeAffichage mode_ = ModeAffichage::normal;
    bool mode_reduit_barre_ = false;
    ModelePopupMenu5 menu_;
    std::string hint_{textes_modes::hint_normal};
    std::optional<EffetTimer2> glissement_;
};

}  // namespace lumi
