// La ligne de commande du programme : options propres, arguments d'origine transmis tels quels,
// et une erreur d'usage en français pour ce qui ne se lit pas.
#include "options_programme.hpp"

#include <gtest/gtest.h>

namespace lumi {
namespace {

struct CasValide {
    const char* nom;
    std::vector<std::string> arguments;
    std::optional<int> demo;
    std::optional<std::string> dossier;
    std::vector<std::string> reste;
};

class LigneValide : public testing::TestWithParam<CasValide> {};

TEST_P(LigneValide, OptionsEtArguments) {
    const auto& c = GetParam();
    OptionsProgramme o;
    ASSERT_EQ(analyser_ligne_de_commande(c.arguments, o), "");
    EXPECT_EQ(o.demo, c.demo);
    EXPECT_EQ(o.dossier ? std::optional<std::string>(o.dossier->string()) : std::nullopt, c.dossier);
    EXPECT_EQ(o.arguments, c.reste);
}

INSTANTIATE_TEST_SUITE_P(
    Cas, LigneValide,
    testing::Values(
        CasValide{"rien", {}, std::nullopt, std::nullopt, {}},
        CasValide{"demo_par_defaut", {"--demo"}, 120, std::nullopt, {}},
        CasValide{"demo_duree", {"--demo", "30"}, 30, std::nullopt, {}},
        CasValide{"demo_duree_jointe", {"--demo=45"}, 45, std::nullopt, {}},
        CasValide{"demo_suivie_d_un_argument", {"--demo", "-invisible"}, 120, std::nullopt, {"-invisible"}},
        CasValide{"dossier", {"--dossier", "/tmp/d", "paul"}, std::nullopt, "/tmp/d", {"paul"}},
        CasValide{"arguments_d_origine_dans_l_ordre",
                  {"-paul", "--dossier=/d", "-invisible", "anne"},
                  std::nullopt,
                  "/d",
                  {"-paul", "-invisible", "anne"}}),
    [](const testing::TestParamInfo<CasValide>& i) { return std::string(i.param.nom); });

struct CasErreur {
    const char* nom;
    std::vector<std::string> arguments;
    std::string erreur;
};

class LigneInvalide : public testing::TestWithParam<CasErreur> {};

TEST_P(LigneInvalide, ErreurEnFrancais) {
    OptionsProgramme o;
    EXPECT_EQ(analyser_ligne_de_commande(GetParam().arguments, o), GetParam().erreur);
}

INSTANTIATE_TEST_SUITE_P(
    Cas, LigneInvalide,
    testing::Values(
        CasErreur{"option_inconnue", {"--vite"}, "option inconnue « --vite »."},
        CasErreur{"demo_nulle", {"--demo=0"}, "--demo « 0 » n'est pas une durée de 1 à 86400 secondes."},
        CasErreur{
            "demo_lettres", {"--demo=abc"}, "--demo « abc » n'est pas une durée de 1 à 86400 secondes."},
        CasErreur{"demo_trop_longue",
                  {"--demo", "86401"},
                  "--demo « 86401 » n'est pas une durée de 1 à 86400 secondes."},
        CasErreur{"demo_deux_fois", {"--demo", "--demo"}, "--demo est donné deux fois."},
        CasErreur{"dossier_sans_valeur", {"--dossier"}, "--dossier attend un dossier."},
        CasErreur{"dossier_vide", {"--dossier="}, "--dossier attend un dossier."},
        CasErreur{"menu_sans_capture", {"--capture-menu"}, "--capture-menu s'emploie avec --capture."}),
    [](const testing::TestParamInfo<CasErreur>& i) { return std::string(i.param.nom); });

}  // namespace
}  // namespace lumi
