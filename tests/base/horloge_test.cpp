#include "base/horloge.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

namespace lumi {
namespace {

TEST(HorlogeFactice, DepartParDefautLe1erJanvier2000) {
    const HorlogeFactice h;
    EXPECT_EQ(h.maintenant(), (Moment{36526, 0}));
    EXPECT_EQ(h.millisecondes(), 0);
}

TEST(HorlogeFactice, AvancerPasseMinuit) {
    HorlogeFactice h({36865, seconde_du_jour(23, 59, 58)});
    h.avancer_ms(1500);
    EXPECT_EQ(h.maintenant(), (Moment{36865, 86399}));
    h.avancer_ms(499);
    EXPECT_EQ(h.maintenant(), (Moment{36865, 86399}));
    h.avancer_ms(1);
    EXPECT_EQ(h.maintenant(), (Moment{36866, 0}));
    EXPECT_EQ(h.millisecondes(), 2000);
    h.avancer(2 * secondes_par_jour + 61);
    EXPECT_EQ(h.maintenant(), (Moment{36868, 61}));
    EXPECT_EQ(h.millisecondes(), 2000 + (2 * 86400 + 61) * 1000);
}

TEST(HorlogeFactice, ReglerNeToucheQueLHeureMurale) {
    HorlogeFactice h({36865, seconde_du_jour(0, 0, 30)});
    h.avancer(10);
    const std::int64_t compteur = h.millisecondes();
    // L'utilisateur recule sa pendule avant minuit : la date recule, le compteur non.
    h.regler({36864, seconde_du_jour(23, 59, 50)});
    EXPECT_EQ(h.maintenant(), (Moment{36864, 86390}));
    EXPECT_EQ(h.millisecondes(), compteur);
    h.avancer(15);
    EXPECT_EQ(h.maintenant(), (Moment{36865, 5}));
    EXPECT_EQ(h.millisecondes(), compteur + 15000);
    EXPECT_THROW(h.avancer(-1), std::invalid_argument);
}

TEST(HorlogeFactice, MomentAvantLeJourZero) {
    HorlogeFactice h({-1, 86399});
    EXPECT_EQ(h.maintenant(), (Moment{-1, 86399}));
    h.avancer(1);
    EXPECT_EQ(h.maintenant(), (Moment{0, 0}));
}

TEST(HorlogeSysteme, DonneUnMomentPlausibleEtUnCompteurMonotone) {
    const HorlogeSysteme h;
    const Moment m = h.maintenant();
    EXPECT_GE(m.jour, 45000);  // après 2023
    EXPECT_GE(m.seconde, 0);
    EXPECT_LT(m.seconde, secondes_par_jour);
    const std::int64_t a = h.millisecondes();
    EXPECT_LE(a, h.millisecondes());
    const Horloge& base = h;
    EXPECT_LE(base.aujourdhui() - m.jour, 1);
}

}  // namespace
}  // namespace lumi
