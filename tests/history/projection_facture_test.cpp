#include "history/projection_facture.hpp"

#include <gtest/gtest.h>

namespace lumi {
namespace {

constexpr NumeroJour debut = 36892;  // 1er janvier 2001

TEST(ProjectionFacture, CoutParJourProlongeJusquALaFinDeLaPeriode) {
    struct Cas {
        const char* nom;
        double total;
        NumeroJour aujourdhui;
        double projection;
    } const cas[] = {
        {"30 jours pour 60 F", 60, debut + 29, 120},
        {"période vide", 0, debut + 10, 0},
        {"premier jour", 2, debut, 120},
        {"date avant le début", 2, debut - 5, 120},
        {"période finie", 90, debut + 75, 90},
    };
    for (const auto& c : cas) {
        const auto p = projeter_facture(c.total, debut, c.aujourdhui);
        EXPECT_DOUBLE_EQ(p.montant, c.projection) << c.nom;
        EXPECT_EQ(p.date, debut + 60) << c.nom;  // le 2 mars 2001, comme la prochaine période
    }
}

}  // namespace
}  // namespace lumi
