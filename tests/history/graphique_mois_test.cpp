#include "history/graphique_mois.hpp"

#include <gtest/gtest.h>

namespace lumi {
namespace {

ReglagesMonnaie monnaie() {
    ReglagesMonnaie m;
    m.locale.separateur_decimal = ',';
    m.locale.symbole_monetaire = "F";
    return m;
}

TEST(GraphiqueMois, LesDouzeDerniersMoisDansLOrdreLeCourantMisEnAvant) {
    std::vector<TotalMois> totaux;
    // Quatorze mois de novembre 1999 à décembre 2000, donnés du plus récent au plus ancien.
    for (int i = 13; i >= 0; --i) {
        const int rang = 10 + i;  // 0 = janvier 1999
        totaux.push_back({static_cast<unsigned>(rang % 12 + 1), 1999 + rang / 12, 10.0 * (i + 1)});
    }
    const auto g = graphique_mois(totaux, 12, 2000, true, monnaie());
    EXPECT_EQ(g.titre, "Coût par mois (TTC)");
    ASSERT_EQ(g.barres.size(), 12u);
    EXPECT_EQ(g.barres.front().mois, "janv.");
    EXPECT_EQ(g.barres.front().annee, "2000");
    EXPECT_EQ(g.barres.back().mois, "déc.");
    EXPECT_TRUE(g.barres.back().courant);
    EXPECT_FALSE(g.barres.front().courant);
    EXPECT_EQ(g.barres.back().texte, "140,00 F");
    EXPECT_DOUBLE_EQ(g.barres.back().hauteur, 1.0);
    EXPECT_DOUBLE_EQ(g.barres.front().hauteur, 30.0 / 140.0);
}

TEST(GraphiqueMois, SansFichierNiCoutRienAMesurer) {
    EXPECT_TRUE(graphique_mois({}, 1, 2001, false, monnaie()).barres.empty());
    const auto g = graphique_mois({{1, 2001, 0}, {13, 2001, 5}}, 1, 2001, false, monnaie());
    EXPECT_EQ(g.titre, "Coût par mois (HT)");
    ASSERT_EQ(g.barres.size(), 1u);  // un mois 13 ne se montre pas
    EXPECT_DOUBLE_EQ(g.barres[0].hauteur, 0);
    EXPECT_EQ(g.barres[0].texte, "0,00 F");
}

}  // namespace
}  // namespace lumi
