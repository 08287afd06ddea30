// Les trois tailles de la fenêtre principale, sans Qt : ce que chaque mode coche et montre, le bouton
// de taille qui reste sous la souris, la position rangée d'une résolution à l'autre, le glissement du
// coin et le mode du démarrage.
#include "core/modes_affichage.hpp"

#include <gtest/gtest.h>

#include <string>

#include "core/essai_compteur.hpp"

namespace lumi::essai {
namespace {

// Des mesures plausibles : la fenêtre normale, l'afficheur et la barre, SpeedButton10 dans chacun ;
// le cadre d'un gestionnaire de fenêtres (bord de 4, titre de 22).
const Disposition normale{{290, 30}, {340, 420}};
const Disposition afficheur{{290, 30}, {330, 80}};
const Disposition barre{{560, 6}, {570, 40}};
constexpr Cadre cadre{4, 26, 4, 4};
constexpr Cadre sans_cadre{};
constexpr TailleFenetre ecran{1024, 768};

const Disposition& disposition(ModeAffichage m) {
    return m == ModeAffichage::normal ? normale : m == ModeAffichage::afficheur ? afficheur : barre;
}
const Cadre& cadre_de(ModeAffichage m) {
    return m == ModeAffichage::normal ? cadre : sans_cadre;
}

class Modes : public testing::Test {
protected:
    void SetUp() override {
        e.demarrer();
        modes = std::make_unique<ModesAffichage>(e.compteur());
    }
    EssaiCompteur e{le_10_mars(14, 0, 0)};
    std::unique_ptr<ModesAffichage> modes;
};

TEST_F(Modes, ChaqueModeCocheSonElementEtDonneSonInfoBulle) {
    struct Cas {
        const char* nom;
        void (ModesAffichage::*disposer)();
        bool afficheur, barre, normale, mode_barre, connexion_visible;
        std::string_view hint;
    };
    const Cas cas[] = {
        {"afficheur", &ModesAffichage::restaurer_taille_afficheur, true, false, false, false, true,
         "Modifier la taille de la fenêtre"},
        {"barre", &ModesAffichage::restaurer_taille_en_barre, false, true, false, true, false,
         "Augmenter la taille de la fenêtre"},
        {"normale", &ModesAffichage::restaurer_taille_normale, false, false, true, false, true,
         "Réduire la taille de la fenêtre"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        (modes.get()->*c.disposer)();
        EXPECT_EQ(modes->PopupMenu5().afficheur.checked, c.afficheur);
        EXPECT_EQ(modes->PopupMenu5().barre.checked, c.barre);
        EXPECT_EQ(modes->PopupMenu5().Taillenormale.checked, c.normale);
        EXPECT_EQ(modes->hint_SpeedButton10(), c.hint);
        EXPECT_EQ(e.fenetre().mode_barre, c.mode_barre);
        EXPECT_EQ(e.fenetre().SpeedButton2.visible, c.connexion_visible)
            << "la barre cache le bouton de connexion";
    }
}

TEST_F(Modes, LaBarreMontreDeuxLignesCoteACote) {
    e.compteur().ecrire_ligne_etat(ligne_etat::etat, "Attente connexion");
    e.compteur().ecrire_ligne_etat(ligne_etat::detail, "MonFAI");
    modes->restaurer_taille_en_barre();
    EXPECT_EQ(e.fenetre().Panel1.texte, "Attente connexion  MonFAI");
    modes->restaurer_taille_normale();
    EXPECT_EQ(e.fenetre().Panel1.texte, "Attente connexion");
    EXPECT_EQ(e.fenetre().Panel20.texte, "MonFAI");
}

TEST_F(Modes, LeBoutonDeTailleEtLeMenuChoisissentLeMode) {
    EXPECT_EQ(modes->SpeedButton10Click(), ModeAffichage::afficheur)
        << "mode réduit par défaut : l'afficheur";
    EXPECT_EQ(modes->SpeedButton10Click(), ModeAffichage::normal);
    EXPECT_EQ(modes->barreClick(), ModeAffichage::barre);
    EXPECT_TRUE(modes->mode_reduit_barre());
    EXPECT_EQ(modes->SpeedButton10Click(), ModeAffichage::normal);
    EXPECT_EQ(modes->SpeedButton10Click(), ModeAffichage::barre)
        << "le bouton reprend la barre choisie au menu";
    EXPECT_EQ(modes->afficheurClick(), ModeAffichage::afficheur) << "de la barre à l'afficheur directement";
    EXPECT_FALSE(modes->mode_reduit_barre());
    EXPECT_EQ(modes->TaillenormaleClick(), ModeAffichage::normal);
    EXPECT_EQ(modes->TaillenormaleClick(), ModeAffichage::normal) << "déjà normale, elle le reste";
}

// Le bouton de taille, mesuré à l'écran avant la bascule, y est encore après l'aller et le retour.
TEST(PlacementModes, LeBoutonDeTailleResteSousLaSouris) {
    struct Cas {
        const char* nom;
        ModeAffichage reduit;
        PointEcran coin_normal;  // coin du cadre de la fenêtre normale
    };
    const Cas cas[] = {
        {"afficheur au milieu", ModeAffichage::afficheur, {300, 200}},
        {"barre au milieu", ModeAffichage::barre, {300, 200}},
        {"afficheur en haut à gauche", ModeAffichage::afficheur, {1, 1}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        const auto bouton_ecran = [](PointEcran coin, ModeAffichage m) {
            return PointEcran{coin.x + cadre_de(m).gauche + disposition(m).bouton.x,
                              coin.y + cadre_de(m).haut + disposition(m).bouton.y};
        };
        const PointEcran souris = bouton_ecran(c.coin_normal, ModeAffichage::normal);
        const PointEcran coin_reduit =
            placer_sous_le_bouton(souris, disposition(c.reduit), cadre_de(c.reduit), ecran);
        EXPECT_EQ(bouton_ecran(coin_reduit, c.reduit), souris);
        const PointEcran retour =
            placer_sous_le_bouton(bouton_ecran(coin_reduit, c.reduit), normale, cadre, ecran);
        EXPECT_EQ(retour, c.coin_normal);
    }
}

TEST(PlacementModes, UneFenetreQuiSortiraitDeLEcranYEstGardee) {
    // La barre, large, sous un bouton tout à gauche de l'écran : elle ne sort pas par la gauche.
    EXPECT_EQ(placer_sous_le_bouton({20, 100}, barre, sans_cadre, ecran), (PointEcran{1, 94}));
    // La fenêtre normale sous un bouton au coin bas droit : ramenée entière à l'écran.
    EXPECT_EQ(placer_sous_le_bouton({1020, 760}, normale, cadre, ecran), (PointEcran{1024 - 348, 768 - 450}));
}

TEST(PositionRangee, SurvitAUnChangementDeResolution) {
    // Enregistrée sur un écran 800 x 600, le bouton en (400, 300).
    const PositionRangee rangee = enregistrer_position({400, 300}, {106, 244}, {800, 600}, ',');
    EXPECT_EQ(rangee, (PositionRangee{"2,000", "2,000"}));
    // Restaurée sur 1024 x 768 : le bouton en (512, 384), normale ou en afficheur (la barre, plus
    // large que la moitié de l'écran à gauche de son bouton, serait ramenée à l'écran).
    const Disposition basse{{290, 30}, {340, 300}};
    for (const ModeAffichage m : {ModeAffichage::normal, ModeAffichage::afficheur}) {
        const auto& d = m == ModeAffichage::normal ? basse : afficheur;
        const Cadre& c = cadre_de(m);
        const TailleFenetre exterieur{d.taille.largeur + c.gauche + c.droite,
                                      d.taille.hauteur + c.haut + c.bas};
        const PointEcran coin = restaurer_position(rangee, m, d, cadre, exterieur, ecran);
        // Vu comme dans la fenêtre normale : le point à l'écran moins le cadre normal.
        EXPECT_EQ(coin.x + c.gauche + d.bouton.x - cadre.gauche, 512);
        EXPECT_EQ(coin.y + c.haut + d.bouton.y - cadre.haut, 384);
    }
}

TEST(PositionRangee, TroisDecimalesAuSeparateurDeLaLocale) {
    EXPECT_EQ(enregistrer_position({300, 300}, {10, 10}, {1280, 1024}, ',').x, "4,267");
    EXPECT_EQ(enregistrer_position({300, 300}, {10, 10}, {1280, 1024}, '.').x, "4.267");
    // Un coin hors de l'écran par le haut ou une coordonnée nulle comptent pour 1.
    EXPECT_EQ(enregistrer_position({0, 300}, {10, -5}, {1280, 1024}, ','),
              (PositionRangee{"1280,000", "1024,000"}));
}

TEST(PositionRangee, EnregistreeRestaureeElleNeDerivePas) {
    // 1280 / 4,267 = 299,98 : arrondie, la position revient au même pixel à chaque démarrage.
    PointEcran bouton{300, 457};
    for (int demarrage = 0; demarrage < 5; ++demarrage) {
        const PositionRangee r = enregistrer_position(bouton, {10, 10}, {1280, 1024}, ',');
        const PointEcran coin =
            restaurer_position(r, ModeAffichage::normal, normale, cadre, {348, 450}, {1280, 1024});
        bouton = {coin.x + normale.bouton.x, coin.y + normale.bouton.y};
    }
    EXPECT_EQ(bouton, (PointEcran{300, 457}));
}

TEST(PositionRangee, AbsenteIllisibleOuHorsEcran) {
    const TailleFenetre exterieur{348, 450};
    struct Cas {
        const char* nom;
        PositionRangee rangee;
        PointEcran coin;
    };
    const Cas cas[] = {
        // Centrée : la moitié de l'écran moins la moitié de la fenêtre.
        {"indefini", {"indefini", "indefini"}, {512 - 174, 384 - 225}},
        {"illisible", {"abc", ""}, {512 - 174, 384 - 225}},
        {"nulle ou négative", {"0", "-3"}, {512 - 174, 384 - 225}},
        // 1024 / 1,01 = 1014 : la fenêtre dépasserait la droite et le bas, elle y est ramenée.
        {"au-delà de la droite et du bas", {"1,01", "1,01"}, {1024 - 348, 768 - 450}},
        // Le bouton à 931 : la fenêtre (de 641 à 989) tient, elle garde sa place.
        {"près du bord mais entière", {"1,1", "3"}, {931 - 290, 256 - 30}},
        // 1024 / 5000 = 0 : au moins 1.
        {"au-delà de la gauche et du haut", {"5000", "5000,5"}, {1, 1}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        EXPECT_EQ(restaurer_position(c.rangee, ModeAffichage::normal, normale, cadre, exterieur, ecran),
                  c.coin);
    }
}

TEST(GlissementDuCoin, LeRectangleNePrendQueLesTroisTailles) {
    const PointEcran depart{500, 400};
    struct Cas {
        const char* nom;
        PointEcran souris;
        ModeAffichage attendu;
    };
    const Cas cas[] = {
        {"immobile : le mode en cours", {500, 400}, ModeAffichage::afficheur},
        {"à droite : la barre", {501, 300}, ModeAffichage::barre},
        {"à droite et plus bas : la barre", {700, 600}, ModeAffichage::barre},
        {"à gauche, même hauteur : normale", {450, 400}, ModeAffichage::normal},
        {"à gauche, plus bas : normale", {450, 450}, ModeAffichage::normal},
        {"à gauche, plus haut : l'afficheur", {450, 350}, ModeAffichage::afficheur},
        {"droit vers le haut : l'afficheur", {500, 350}, ModeAffichage::afficheur},
    };
    for (const auto& c : cas) {
        EXPECT_EQ(mode_du_glissement(depart, c.souris, ModeAffichage::afficheur), c.attendu) << c.nom;
    }
}

TEST_F(Modes, LeGlissementSuspendLesEffetsDeTimer2) {
    ASSERT_EQ(e.compteur().effet_Timer2(), EffetTimer2::rangee_clignotante);
    modes->debut_glissement();
    EXPECT_EQ(e.compteur().Timer2().intervalle(), 100);
    const std::string avant = e.fenetre().Panel1.texte;
    CommandesFenetre commandes(e.compteur(), e.registre(), e.banc->acces, e.banc->dialogue,
                               e.dossier.chemin());
    commandes.Timer2Timer();
    EXPECT_EQ(e.fenetre().Panel1.texte, avant) << "la rangée ne clignote pas pendant le glissement";
    modes->fin_glissement(ModeAffichage::barre);
    EXPECT_EQ(e.compteur().effet_Timer2(), EffetTimer2::rangee_clignotante);
    EXPECT_EQ(modes->mode(), ModeAffichage::barre);

    // Une numérotation commence pendant le glissement : son clignotement reste au relâchement.
    modes->debut_glissement();
    e.compteur().regler_Timer2(EffetTimer2::numerotation, true);
    modes->fin_glissement(ModeAffichage::barre);
    EXPECT_EQ(e.compteur().effet_Timer2(), EffetTimer2::numerotation);
}

TEST(TailleDemarrage, TailleEtTailleReduite) {
    struct Cas {
        const char* taille;
        const char* reduite;
        bool attendu_reduite, attendu_barre;
    };
    const Cas cas[] = {
        {nullptr, nullptr, false, false},   {"normale", "barre", false, true},
        {"NORMALE", nullptr, false, false}, {"reduite", nullptr, true, false},
        {"petite", "barre", true, true},    {"reduite", "afficheur", true, false},
    };
    for (const auto& c : cas) {
        RegistreMemoire registre;
        if (c.taille) registre.ecrire_valeur(cles::section(cles::options), "taille", c.taille);
        if (c.reduite) registre.ecrire_valeur(cles::section(cles::options), "taille reduite", c.reduite);
        const TailleDemarrage t = lire_taille_demarrage(registre);
        EXPECT_EQ(t.reduite, c.attendu_reduite) << (c.taille ? c.taille : "absente");
        EXPECT_EQ(t.mode_reduit_barre, c.attendu_barre) << (c.reduite ? c.reduite : "absente");
    }
}

}  // namespace
}  // namespace lumi::essai
