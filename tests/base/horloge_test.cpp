#include "base/horloge.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "base/dates.hpp"

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

// Les essais ont l'heure de Paris : ctest donne TZ=Europe/Paris, et sous Wine c'est le fuseau de
// Windows que Wine en tire. L'heure murale est alors l'heure UTC plus une heure, deux l'été (du
// dernier dimanche de mars au dernier dimanche d'octobre, à 1 h UTC).
TEST(HorlogeSysteme, HeureDeParisPourLesEssais) {
#ifdef _WIN32
    const char* fuseau = std::getenv("LUMI_TZ_WINE");
#else
    const char* fuseau = std::getenv("TZ");
#endif
    if (fuseau == nullptr || std::string(fuseau) != "Europe/Paris") GTEST_SKIP() << "lancé hors de ctest";
    using namespace std::chrono;
    const auto utc = floor<seconds>(system_clock::now());
    const Moment m = HorlogeSysteme().maintenant();
    const year annee = year_month_day(floor<days>(utc)).year();
    const auto ete_debut = sys_days(annee / March / Sunday[last]) + hours(1);
    const auto ete_fin = sys_days(annee / October / Sunday[last]) + hours(1);
    const auto local = utc + (utc >= ete_debut && utc < ete_fin ? hours(2) : hours(1));
    const auto jour_local = floor<days>(local);
    const std::int64_t attendu = std::int64_t{numero_jour(year_month_day(jour_local))} * secondes_par_jour +
                                 (local - jour_local).count();
    // Une seconde peut tourner entre les deux lectures.
    EXPECT_LE(std::abs(std::int64_t{m.jour} * secondes_par_jour + m.seconde - attendu), 2);
}

}  // namespace
}  // namespace lumi
