#include "plans/raz_forfaits.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <ostream>
#include <string>

#include "banc_forfaits.hpp"
#include "base/erreurs.hpp"
#include "commun/soutien.hpp"

namespace lumi {
namespace {

using essais::BancForfaits;
using namespace std::chrono_literals;

NumeroJour jour(int j, unsigned m, int a) {
    return numero_jour(std::chrono::year{a} / std::chrono::month{m} /
                       std::chrono::day{static_cast<unsigned>(j)});
}

// --- Prochaine date ---

struct CasDate {
    friend void PrintTo(const CasDate& cas, std::ostream* os) { *os << cas.nom; }
    const char* nom;
    int type;
    int jour_raz;
    NumeroJour aujourdhui;
    NumeroJour attendue;
};

class ProchaineDate : public testing::TestWithParam<CasDate> {};

TEST_P(ProchaineDate, StrictementApresAujourdhui) {
    const auto& cas = GetParam();
    EXPECT_EQ(
        formater_date(calcul_date_prochaine_reinitialisation_forfait(cas.type, cas.jour_raz, cas.aujourdhui)),
        formater_date(cas.attendue));
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ProchaineDate,
    testing::Values(CasDate{"mensuel_avant_le_jour", 1, 15, jour(10, 3, 2000), jour(15, 3, 2000)},
                    CasDate{"mensuel_le_jour_meme_mois_suivant", 1, 15, jour(15, 3, 2000), jour(15, 4, 2000)},
                    CasDate{"mensuel_decembre_vers_janvier", 1, 15, jour(20, 12, 2000), jour(15, 1, 2001)},
                    CasDate{"pairs_mars_vers_avril", 2, 1, jour(10, 3, 2000), jour(1, 4, 2000)},
                    CasDate{"pairs_avril_vers_juin", 2, 1, jour(10, 4, 2000), jour(1, 6, 2000)},
                    CasDate{"pairs_decembre_vers_fevrier", 2, 1, jour(10, 12, 2000), jour(1, 2, 2001)},
                    CasDate{"pairs_le_jour_meme_vers_juin", 2, 1, jour(1, 4, 2000), jour(1, 6, 2000)},
                    CasDate{"pairs_avant_le_jour_en_mois_pair", 2, 15, jour(10, 4, 2000), jour(15, 4, 2000)},
                    CasDate{"impairs_fevrier_vers_mars", 3, 1, jour(10, 2, 2000), jour(1, 3, 2000)},
                    CasDate{"impairs_mars_vers_mai", 3, 1, jour(10, 3, 2000), jour(1, 5, 2000)},
                    CasDate{"impairs_novembre_vers_janvier", 3, 1, jour(10, 11, 2000), jour(1, 1, 2001)},
                    CasDate{"impairs_decembre_vers_janvier", 3, 1, jour(10, 12, 2000), jour(1, 1, 2001)},
                    CasDate{"autre_code_mois_suivant", 4, 10, jour(5, 3, 2000), jour(10, 4, 2000)},
                    // Un jour absent du mois tombe le dernier jour de ce mois.
                    CasDate{"le_31_en_avril", 1, 31, jour(10, 4, 2000), jour(30, 4, 2000)},
                    CasDate{"le_31_apres_le_30_avril", 1, 31, jour(30, 4, 2000), jour(31, 5, 2000)},
                    CasDate{"le_31_en_fevrier_bissextile", 1, 31, jour(31, 1, 2000), jour(29, 2, 2000)},
                    CasDate{"le_30_en_fevrier_ordinaire", 2, 30, jour(10, 2, 2001), jour(28, 2, 2001)},
                    CasDate{"jour_nul_vaut_1", 1, 0, jour(10, 3, 2000), jour(1, 4, 2000)}),
    [](const testing::TestParamInfo<CasDate>& info) { return std::string(info.param.nom); });

struct CasTexte {
    friend void PrintTo(const CasTexte& cas, std::ostream* os) { *os << cas.attendu; }
    int code;
    const char* jour;
    const char* jours;
    const char* attendu;
};

class TexteMode : public testing::TestWithParam<CasTexte> {};

TEST_P(TexteMode, ListeDesForfaits) {
    const auto& cas = GetParam();
    EXPECT_EQ(texte_mode_raz(cas.code, cas.jour, cas.jours), cas.attendu);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, TexteMode,
    testing::Values(CasTexte{0, "", "", "Fin facture en cours"}, CasTexte{1, "01", "", "Le 1er du mois"},
                    CasTexte{1, "15", "", "Le 15 du mois"}, CasTexte{2, "05", "", "Le 05, mois pairs"},
                    CasTexte{3, "01", "", "Le 1er, mois impairs"}, CasTexte{4, "", "", "Manuelle"},
                    CasTexte{5, "", "30", "Tous les 30 jours"}, CasTexte{6, "", "", ""}));

// --- Remise à zéro automatique ---

TEST(RemiseAZero, ForfaitUtiliseLe20MarsRemisAZeroLe1erAvril) {
    BancForfaits banc({jour(20, 3, 2000), 43200});
    banc.ranger_temps("PM", "100");
    banc.selecteur.recharger("Local", "PM");
    ASSERT_EQ(banc.forfait().temps_forfait_debut, 100);

    auto rapport = banc.raz.reinitialisation_auto_des_forfaits(5);
    EXPECT_TRUE(rapport.forfaits.empty());
    EXPECT_FALSE(rapport.a_montrer);
    EXPECT_EQ(banc.date_rangee("PM"), "01/04/2000");
    EXPECT_EQ(banc.temps_range("PM"), "100");

    banc.horloge.regler({jour(31, 3, 2000), 0});
    EXPECT_TRUE(banc.raz.reinitialisation_auto_des_forfaits(5).forfaits.empty());
    EXPECT_EQ(banc.temps_range("PM"), "100");

    const int rafraichissements = banc.affichage.rafraichissements;
    banc.horloge.regler({jour(1, 4, 2000), 0});
    rapport = banc.raz.reinitialisation_auto_des_forfaits(5);
    EXPECT_EQ(rapport.forfaits, std::vector<std::string>{"PM"});
    EXPECT_TRUE(rapport.a_montrer);
    EXPECT_EQ(rapport.texte,
              "Nous sommes le 01 avril 2000.\rLe forfait suivant a été réinitialisé :\r- Forfait du 1er");
    EXPECT_EQ(banc.temps_range("PM"), "");
    EXPECT_EQ(banc.date_rangee("PM"), "");
    // Tarif et option rechargés : le forfait en cours est plein.
    EXPECT_EQ(banc.forfait().temps_forfait_debut, 3600);
    EXPECT_EQ(banc.affichage.rafraichissements, rafraichissements + 1);

    // Plein, il n'est plus examiné : aucune date avant qu'il serve de nouveau.
    banc.horloge.regler({jour(2, 4, 2000), 0});
    EXPECT_TRUE(banc.raz.reinitialisation_auto_des_forfaits(5).forfaits.empty());
    EXPECT_EQ(banc.date_rangee("PM"), "");
    banc.ranger_temps("PM", "3000");
    banc.raz.reinitialisation_auto_des_forfaits(5);
    EXPECT_EQ(banc.date_rangee("PM"), "01/05/2000");
}

TEST(RemiseAZero, ControleQuotidienApresLaDateAussi) {
    BancForfaits banc({jour(5, 4, 2000), 0});
    banc.ranger_temps("PM", "100");
    banc.registre.ecrire_valeur(cles::section(cles::forfaits_raz), "PM", "01/04/2000");
    EXPECT_EQ(banc.raz.reinitialisation_auto_des_forfaits(5).forfaits, std::vector<std::string>{"PM"});
}

TEST(RemiseAZero, ForfaitPleinJamaisExamine) {
    BancForfaits banc({jour(20, 3, 2000), 0});
    banc.registre.ecrire_valeur(cles::section(cles::forfaits_raz), "PM", "01/01/2000");
    const auto rapport = banc.raz.reinitialisation_auto_des_forfaits(5);
    EXPECT_TRUE(rapport.forfaits.empty());
    EXPECT_EQ(rapport.texte, "");
    EXPECT_EQ(banc.date_rangee("PM"), "01/01/2000");
    EXPECT_EQ(banc.affichage.rafraichissements, 0);
}

TEST(RemiseAZero, PlusieursForfaitsDansLOrdreDuRegistre) {
    BancForfaits banc({jour(15, 4, 2000), 0});
    banc.ranger_temps("PP", "10");
    banc.ranger_temps("PM", "20");
    banc.registre.ecrire_valeur(cles::section(cles::forfaits_raz), "PP", "15/04/2000");
    banc.registre.ecrire_valeur(cles::section(cles::forfaits_raz), "PM", "01/04/2000");
    const auto rapport = banc.raz.reinitialisation_auto_des_forfaits(5);
    EXPECT_EQ(rapport.forfaits, (std::vector<std::string>{"PP", "PM"}));
    EXPECT_EQ(rapport.texte,
              "Nous sommes le 15 avril 2000.\rLes forfaits suivants ont été réinitialisés :\r"
              "- Forfait des mois pairs\r- Forfait du 1er");
}

// Le renouvellement de la facture remet à zéro les forfaits de code 0, sans message ; le contrôle
// quotidien ne les touche pas, ni les codes 4 et 5, ni un forfait sans mode (5 par défaut).
TEST(RemiseAZero, SelonLeMode) {
    BancForfaits banc({jour(20, 3, 2000), 0});
    for (auto ref : {"PF", "PM", "PMan", "PJ", "PSans"}) banc.ranger_temps(ref, "50");

    auto rapport = banc.raz.reinitialisation_auto_des_forfaits(5);
    EXPECT_TRUE(rapport.forfaits.empty());
    for (auto ref : {"PF", "PM", "PMan", "PJ", "PSans"}) EXPECT_EQ(banc.temps_range(ref), "50") << ref;
    EXPECT_EQ(banc.date_rangee("PM"), "01/04/2000");
    for (auto ref : {"PF", "PMan", "PJ", "PSans"}) EXPECT_EQ(banc.date_rangee(ref), "") << ref;

    rapport = banc.raz.reinitialisation_auto_des_forfaits(0);
    EXPECT_TRUE(rapport.forfaits.empty());
    EXPECT_FALSE(rapport.a_montrer);
    EXPECT_EQ(rapport.texte, "");
    EXPECT_EQ(banc.temps_range("PF"), "");
    for (auto ref : {"PM", "PMan", "PJ", "PSans"}) EXPECT_EQ(banc.temps_range(ref), "50") << ref;
}

// Une valeur illisible : l'erreur la nomme et rien n'est remis à zéro, pas même un autre forfait échu.
TEST(RemiseAZero, ToutOuRienSurUneValeurIllisible) {
    {
        BancForfaits banc({jour(5, 4, 2000), 0});
        banc.ranger_temps("PM", "100");
        banc.registre.ecrire_valeur(cles::section(cles::forfaits_raz), "PM", "01/04/2000");
        banc.ranger_temps("PP", "100");
        banc.registre.ecrire_valeur(cles::section(cles::forfaits_raz), "PP", "32/13/2000");
        try {
            banc.raz.reinitialisation_auto_des_forfaits(5);
            FAIL() << "ErreurConversion attendue";
        } catch (const ErreurConversion& e) {
            EXPECT_NE(std::string(e.what()).find("« 32/13/2000 »"), std::string::npos) << e.what();
        }
        EXPECT_EQ(banc.temps_range("PM"), "100");
        EXPECT_EQ(banc.date_rangee("PM"), "01/04/2000");
    }
    {
        BancForfaits banc({jour(5, 4, 2000), 0});
        banc.ranger_temps("PM", "100");
        banc.registre.ecrire_valeur(cles::section(cles::forfaits_raz), "PM", "01/04/2000");
        banc.ranger_temps("PX", "100");
        try {
            banc.raz.reinitialisation_auto_des_forfaits(5);
            FAIL() << "ErreurConversion attendue";
        } catch (const ErreurConversion& e) {
            EXPECT_NE(std::string(e.what()).find("« x »"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("[PX]"), std::string::npos) << e.what();
        }
        EXPECT_EQ(banc.temps_range("PM"), "100");
    }
}

// --- Texte de la prochaine remise à zéro ---

struct CasTexteRaz {
    friend void PrintTo(const CasTexteRaz& cas, std::ostream* os) { *os << cas.option; }
    const char* option;
    const char* attendu;
};

class TexteRaz : public testing::TestWithParam<CasTexteRaz> {};

TEST_P(TexteRaz, OptionEnCours) {
    BancForfaits banc({jour(20, 3, 2000), 43200});
    banc.selecteur.recharger("Local", GetParam().option);
    EXPECT_EQ(banc.raz.get_texte_raz_forfait(), GetParam().attendu);
}

INSTANTIATE_TEST_SUITE_P(Codes, TexteRaz,
                         testing::Values(CasTexteRaz{"PM", "dans 12 jours, le 01 avril 2000"},
                                         CasTexteRaz{"PP", "dans 26 jours, le 15 avril 2000"},
                                         // Facture commencée le 01/03/2000 : fin 60 jours plus tard.
                                         CasTexteRaz{"PF", "dans 41 jours, le 30 avril 2000"},
                                         CasTexteRaz{"PMan", "Réinitialisation manuelle"},
                                         CasTexteRaz{"PSans", "Réinitialisation manuelle"},
                                         CasTexteRaz{"PJ", ""}));

class DebutDeFacture : public testing::Test {
protected:
    // Un dossier par cas : ctest lance les cas en parallèle.
    std::filesystem::path ecrire(const std::string& contenu) {
        const auto chemin = dossier_ / "lumicompteur.ini";
        essai::ecrire_octets(chemin, contenu);
        return chemin;
    }
    essai::DossierTemporaire dossier_{"lumi-plans-facture"};
};

TEST_F(DebutDeFacture, AbsentAujourdhuiPlusSoixanteJours) {
    BancForfaits banc({jour(20, 3, 2000), 0}, ecrire("[messages utilisateurs]\r\n"));
    banc.selecteur.recharger("Local", "PF");
    EXPECT_EQ(banc.raz.get_texte_raz_forfait(), "dans 60 jours, le 19 mai 2000");
}

TEST_F(DebutDeFacture, IllisibleNommeLaCle) {
    BancForfaits banc({jour(20, 3, 2000), 0},
                      ecrire("[Param\xe8tres de l'historique]\r\ndate fin derniere facture=hier\r\n"));
    banc.selecteur.recharger("Local", "PF");
    try {
        (void)banc.raz.get_texte_raz_forfait();
        FAIL() << "ErreurConversion attendue";
    } catch (const ErreurConversion& e) {
        EXPECT_NE(std::string(e.what()).find("« hier »"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("date fin derniere facture"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace lumi
