#include "core/modes_affichage.hpp"

#include <algorithm>
#include <cmath>

#include "base/decimal.hpp"
#include "base/texte.hpp"
#include "core/compteur.hpp"
#include "settings/parametres.hpp"

namespace lumi {

namespace {

// Une coordonnée rangée : la dimension de l'écran divisée par la valeur. Arrondie et non tronquée :
// sinon chaque démarrage reprendrait la fenêtre un pixel plus haut et plus à gauche que le précédent
// (1280 / 4,267 = 299,98).
std::optional<int> coordonnee_rangee(const std::string& texte, int dimension) {
    const auto valeur = lire_decimal(texte);
    if (!valeur || !std::isfinite(*valeur) || *valeur <= 0) return std::nullopt;
    const double c = std::round(dimension / *valeur);
    // Une valeur minuscule donnerait une coordonnée démesurée : elle est ramenée à l'écran ensuite.
    return static_cast<int>(std::clamp(c, -1e6, 1e6));
}

// Le coin du cadre sur un axe : le bouton à la coordonnée rangée (en termes de fenêtre normale) ;
// sans valeur lisible, la fenêtre centrée. Une fenêtre qui dépasse est ramenée à l'écran ensuite,
// d'après son coin et sa vraie taille : une fenêtre qui tient garde ainsi sa place exacte.
int axe_restaure(const std::string& texte, int ecran, int fenetre, int decalage_bouton) {
    const auto c = coordonnee_rangee(texte, ecran);
    return c ? *c - decalage_bouton : ecran / 2 - fenetre / 2;
}

std::string axe_enregistre(int bouton, int coin, int ecran, char separateur) {
    const int c = coin < 1 || bouton < 1 ? 1 : bouton;
    return formater_decimal(static_cast<double>(ecran) / c, 3, separateur);
}

}  // namespace

PointEcran garder_a_l_ecran(PointEcran coin, TailleFenetre exterieur, TailleFenetre ecran) {
    coin.x = std::min(coin.x, ecran.largeur - exterieur.largeur);
    coin.y = std::min(coin.y, ecran.hauteur - exterieur.hauteur);
    coin.x = std::max(coin.x, 1);
    coin.y = std::max(coin.y, 1);
    return coin;
}

PointEcran placer_sous_le_bouton(PointEcran bouton_ecran, const Disposition& nouvelle, const Cadre& cadre,
                                 TailleFenetre ecran) {
    const PointEcran coin{bouton_ecran.x - nouvelle.bouton.x - cadre.gauche,
                          bouton_ecran.y - nouvelle.bouton.y - cadre.haut};
    const TailleFenetre exterieur{nouvelle.taille.largeur + cadre.gauche + cadre.droite,
                                  nouvelle.taille.hauteur + cadre.haut + cadre.bas};
    return garder_a_l_ecran(coin, exterieur, ecran);
}

PositionRangee enregistrer_position(PointEcran bouton_normal, PointEcran coin_fenetre, TailleFenetre ecran,
                                    char separateur) {
    return {axe_enregistre(bouton_normal.x, coin_fenetre.x, ecran.largeur, separateur),
            axe_enregistre(bouton_normal.y, coin_fenetre.y, ecran.hauteur, separateur)};
}

PointEcran restaurer_position(const PositionRangee& rangee, ModeAffichage mode,
                              const Disposition& disposition, const Cadre& cadre_normal,
                              TailleFenetre exterieur, TailleFenetre ecran) {
    // Une forme réduite n'a pas de cadre : son bouton est d'autant plus loin du coin.
    const bool reduite = mode != ModeAffichage::normal;
    const PointEcran coin{axe_restaure(rangee.x, ecran.largeur, exterieur.largeur,
                                       disposition.bouton.x - (reduite ? cadre_normal.gauche : 0)),
                          axe_restaure(rangee.y, ecran.hauteur, exterieur.hauteur,
                                       disposition.bouton.y - (reduite ? cadre_normal.haut : 0))};
    return garder_a_l_ecran(coin, exterieur, ecran);
}

ModeAffichage mode_du_glissement(PointEcran depart, PointEcran souris, ModeAffichage actuel) {
    if (souris == depart) return actuel;
    if (souris.x > depart.x) return ModeAffichage::barre;
    return souris.y >= depart.y ? ModeAffichage::normal : ModeAffichage::afficheur;
}

TailleDemarrage lire_taille_demarrage(const Registre& registre) {
    TailleDemarrage t;
    t.reduite = !egal_sans_casse(lire(registre, parametres::taille), "normale");
    t.mode_reduit_barre = egal_sans_casse(lire(registre, parametres::taille_reduite), "barre");
    return t;
}

// ---------------------------------------------------------------------------------------------

ModeAffichage ModesAffichage::mode_suivant() const {
    if (!menu_.Taillenormale.checked) return ModeAffichage::normal;
    return mode_reduit_barre_ ? ModeAffichage::barre : ModeAffichage::afficheur;
}

void ModesAffichage::cocher(ModeAffichage mode) {
    menu_.Taillenormale.checked = mode == ModeAffichage::normal;
    menu_.afficheur.checked = mode == ModeAffichage::afficheur;
    menu_.barre.checked = mode == ModeAffichage::barre;
}

void ModesAffichage::restaurer(ModeAffichage mode) {
    mode_ = mode;
    cocher(mode);
    switch (mode) {
        case ModeAffichage::normal:
            hint_ = textes_modes::hint_normal;
            break;
        case ModeAffichage::afficheur:
            mode_reduit_barre_ = false;
            hint_ = textes_modes::hint_afficheur;
            break;
        case ModeAffichage::barre:
            mode_reduit_barre_ = true;
            hint_ = textes_modes::hint_barre;
            break;
    }
    compteur_.definir_mode_barre(mode == ModeAffichage::barre);
    // Les boutons que la barre avait cachés reviennent selon l'état des connexions.
    if (mode == ModeAffichage::normal) compteur_.changement_bouton_etat_connexion();
    compteur_.mise_a_jour_panels();
}

void ModesAffichage::restaurer_taille_normale() {
    restaurer(ModeAffichage::normal);
}

void ModesAffichage::restaurer_taille_afficheur() {
    restaurer(ModeAffichage::afficheur);
}

void ModesAffichage::restaurer_taille_en_barre() {
    restaurer(ModeAffichage::barre);
}

void ModesAffichage::disposition_de_demarrage(const TailleDemarrage& taille) {
    mode_reduit_barre_ = taille.mode_reduit_barre;
    restaurer(!taille.reduite            ? ModeAffichage::normal
              : taille.mode_reduit_barre ? ModeAffichage::barre
                                         : ModeAffichage::afficheur);
}

ModeAffichage ModesAffichage::SpeedButton10Click() {
    const ModeAffichage but = mode_suivant();
    restaurer(but);
    return but;
}

ModeAffichage ModesAffichage::afficheurClick() {
    menu_.Taillenormale.checked = true;
    mode_reduit_barre_ = false;
    return SpeedButton10Click();
}

ModeAffichage ModesAffichage::barreClick() {
    menu_.Taillenormale.checked = true;
    mode_reduit_barre_ = true;
    return SpeedButton10Click();
}

ModeAffichage ModesAffichage::TaillenormaleClick() {
    menu_.Taillenormale.checked = false;
    return SpeedButton10Click();
}

void ModesAffichage::debut_glissement() {
    if (glissement_) return;
    glissement_ = compteur_.effet_Timer2();
    compteur_.regler_Timer2(EffetTimer2::pause_glissement, compteur_.Timer2().active());
}

void ModesAffichage::fin_glissement(ModeAffichage mode) {
    if (!glissement_) return;
    // Timer2 réglé pendant le glissement (une numérotation commence) : son nouvel effet reste.
    if (compteur_.effet_Timer2() == EffetTimer2::pause_glissement) {
        compteur_.regler_Timer2(*glissement_, compteur_.Timer2().active());
    }
    glissement_.reset();
    if (mode != mode_) restaurer(mode);
}

}  // namespace lumi
