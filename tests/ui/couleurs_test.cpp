// Le jeu de couleurs : lecture d'une couleur, section selon la profondeur de l'écran, défauts,
// couleurs des plages et des panneaux de la fenêtre principale.
#include "core/couleurs.hpp"

#include <gtest/gtest.h>

#include "base/erreurs.hpp"
#include "commun/soutien.hpp"

namespace lumi {
namespace {

struct CasCouleur {
    const char* nom;
    const char* texte;
    std::optional<std::uint32_t> attendue;
};

class LectureCouleur : public testing::TestWithParam<CasCouleur> {};

TEST_P(LectureCouleur, NomNombreOuRien) {
    EXPECT_EQ(lire_couleur(GetParam().texte), GetParam().attendue);
}

INSTANTIATE_TEST_SUITE_P(Textes, LectureCouleur,
                         testing::Values(CasCouleur{"nom", "clRed", 0x0000FF},
                                         CasCouleur{"nom_sans_casse", "CLNAVY", 0x800000},
                                         CasCouleur{"blancs_aux_bouts", "  clLime ", 0x00FF00},
                                         CasCouleur{"systeme_premiere", "clScrollBar", 0x80000000},
                                         CasCouleur{"systeme_minuscules", "clbtnface", 0x8000000F},
                                         CasCouleur{"systeme_derniere", "clInfoBk", 0x80000018},
                                         CasCouleur{"decimal", "13300219", 13300219},
                                         CasCouleur{"hexadecimal_bgr", "$FF8000", 0xFF8000},
                                         CasCouleur{"hexadecimal_systeme", "$80000005", 0x80000005},
                                         CasCouleur{"negatif_32_bits", "-2147483643", 0x80000005},
                                         CasCouleur{"vide", "", std::nullopt},
                                         CasCouleur{"nom_inconnu", "clRouge", std::nullopt},
                                         CasCouleur{"dollar_seul", "$", std::nullopt},
                                         CasCouleur{"hexadecimal_invalide", "$12G", std::nullopt},
                                         CasCouleur{"au_dela_de_32_bits", "4294967296", std::nullopt},
                                         CasCouleur{"nombre_suivi_de_texte", "12 rouge", std::nullopt}),
                         [](const auto& info) { return std::string(info.param.nom); });

class JeuCouleursTest : public testing::Test {
protected:
    JeuCouleurs jeu(const std::string& contenu, int bits = 24) {
        essai::ecrire_octets(dossier / "Couleur.ini", contenu);
        return JeuCouleurs(dossier / "Couleur.ini", bits);
    }
    essai::DossierTemporaire dossier{"lumi-couleurs"};
};

TEST_F(JeuCouleursTest, LaSectionSuitLaProfondeurDeLEcran) {
    const std::string contenu = "[couleurs 16bits]\nfond gauge=clNavy\n[couleurs 8bits]\nfond gauge=clRed\n";
    EXPECT_EQ(jeu(contenu, 24).couleur("fond gauge", 0), 0x800000u);
    EXPECT_EQ(jeu(contenu, 16).couleur("fond gauge", 0), 0x800000u);
    EXPECT_EQ(jeu(contenu, 8).couleur("fond gauge", 0), 0x0000FFu);
    EXPECT_EQ(jeu(contenu, 8).section(), "couleurs 8bits");
}

TEST_F(JeuCouleursTest, VideOuAbsentDonneLeDefautIllisibleLeveUneErreurQuiNommeLaCle) {
    const auto j = jeu("[couleurs 16bits]\nvide=\nmauvaise=rouge vif\n");
    EXPECT_EQ(j.couleur("vide", 1234), 1234u);
    EXPECT_EQ(j.couleur("absente", 42), 42u);
    try {
        j.couleur("mauvaise", 0);
        FAIL() << "une couleur illisible doit lever";
    } catch (const ErreurConversion& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("Couleur.ini"), std::string::npos) << message;
        EXPECT_NE(message.find("couleurs 16bits"), std::string::npos) << message;
        EXPECT_NE(message.find("mauvaise"), std::string::npos) << message;
    }
}

TEST_F(JeuCouleursTest, FichierAbsentToutesLesCouleursParDefaut) {
    const JeuCouleurs j(dossier / "absent.ini", 24);
    EXPECT_FALSE(j.fichier_present());
    const auto c = j.affect_color();
    EXPECT_EQ(c.fond_gauge, couleur_rouge);
    EXPECT_EQ(c.couleur_gauge, couleur_aqua);
    EXPECT_EQ(c.fond_combobox, clWindow);
    EXPECT_TRUE(c.panneaux.empty());
    for (const auto couleur : j.couleurs_taux()) EXPECT_EQ(couleur, couleur_rouge);
}

TEST_F(JeuCouleursTest, PlagesRougesParDefautBleuesSiIllisibles) {
    const auto taux =
        jeu("[couleurs 16bits]\ntaux0=clGray\ntaux1=pas une couleur\ntaux2=$00FF00\n").couleurs_taux();
    EXPECT_EQ(taux[0], 0x808080u);
    EXPECT_EQ(taux[1], couleur_bleu);
    EXPECT_EQ(taux[2], 0x00FF00u);
    EXPECT_EQ(taux[3], couleur_rouge);
}

TEST_F(JeuCouleursTest, PanneauxVidesSautesEtCouleurIllisibleArreteLaListe) {
    const auto c = jeu("[couleurs 16bits]\nnb de ppanel=5\nppanel1=clBlack\nppanel2=clbtnface\nppanel3=\n"
                       "ppanel4=n'importe quoi\nppanel5=clWhite\nfond combobox=$CAF1FB\n")
                       .affect_color();
    const std::vector<std::pair<int, std::uint32_t>> attendus{{1, 0x000000}, {2, clBtnFace}};
    EXPECT_EQ(c.panneaux, attendus);
    EXPECT_EQ(c.fond_combobox, 0xCAF1FBu);
}

TEST_F(JeuCouleursTest, NombreDePanneauxIllisibleAucunPanneau) {
    EXPECT_TRUE(
        jeu("[couleurs 16bits]\nnb de ppanel=beaucoup\nppanel1=clBlack\n").affect_color().panneaux.empty());
}

TEST(JeuCouleursLivre, LeFichierLivreSeLitSansErreur) {
    for (const int bits : {8, 24}) {
        const JeuCouleurs j(std::filesystem::path(LUMI_DOSSIER_DATA_SOURCE) / "Couleur.ini", bits);
        ASSERT_TRUE(j.fichier_present());
        const auto c = j.affect_color();
        EXPECT_EQ(c.panneaux.size(), 6u) << "six panneaux colorés sur vingt (les vides sont sautés)";
        for (int i = 0; i < nb_indices_taux; ++i) EXPECT_NO_THROW(j.couleur(cle_couleur_taux(i), 0)) << i;
    }
}

}  // namespace
}  // namespace lumi
