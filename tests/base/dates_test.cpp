#include "base/dates.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace lumi {
namespace {

using namespace std::chrono;

struct JourConnu {
    const char* texte;
    NumeroJour jour;
    int semaine;  // 1 = dimanche
    const char* longue;
    const char* longue_avec_jour;
};

const JourConnu jours_connus[] = {
    {"30/12/1899", 0, 7, "30 décembre 1899", "samedi 30 décembre 1899"},
    {"31/12/1899", 1, 1, "31 décembre 1899", "dimanche 31 décembre 1899"},
    {"01/01/1900", 2, 2, "01 janvier 1900", "lundi 1er janvier 1900"},
    {"28/02/1900", 60, 4, "28 février 1900", "mercredi 28 février 1900"},
    {"01/03/1900", 61, 5, "01 mars 1900", "jeudi 1er mars 1900"},
    {"31/12/1999", 36525, 6, "31 décembre 1999", "vendredi 31 décembre 1999"},
    {"01/01/2000", 36526, 7, "01 janvier 2000", "samedi 1er janvier 2000"},
    {"29/02/2000", 36585, 3, "29 février 2000", "mardi 29 février 2000"},
    {"15/08/2000", 36753, 3, "15 août 2000", "mardi 15 août 2000"},
    {"01/12/2000", 36861, 6, "01 décembre 2000", "vendredi 1er décembre 2000"},
    {"05/12/2000", 36865, 3, "05 décembre 2000", "mardi 5 décembre 2000"},
    {"14/07/1989", 32703, 6, "14 juillet 1989", "vendredi 14 juillet 1989"},
    {"29/12/1899", -1, 6, "29 décembre 1899", "vendredi 29 décembre 1899"},
};

TEST(Dates, JoursConnus) {
    for (const auto& c : jours_connus) {
        SCOPED_TRACE(c.texte);
        EXPECT_EQ(lire_date(c.texte), c.jour);
        EXPECT_EQ(formater_date(c.jour), c.texte);
        EXPECT_EQ(jour_de_semaine(c.jour), c.semaine);
        EXPECT_EQ(date_longue(c.jour), c.longue);
        EXPECT_EQ(date_longue_avec_jour(c.jour), c.longue_avec_jour);
        EXPECT_EQ(numero_jour(date_du_jour(c.jour)), c.jour);
    }
    EXPECT_EQ(date_du_jour(36526), year{2000} / January / 1);
    EXPECT_EQ(numero_jour(year{1899} / December / 30), 0);
}

TEST(Dates, AllerRetourSurDeuxSiecles) {
    for (NumeroJour j = 0; j < 80000; ++j) {
        ASSERT_EQ(lire_date(formater_date(j)), j);
        ASSERT_EQ(jour_de_semaine(j + 1), jour_de_semaine(j) % 7 + 1);
    }
}

TEST(Dates, FormesAcceptees) {
    struct Cas {
        const char* texte;
        NumeroJour jour;
    };
    const Cas cas[] = {
        {"5/12/2000", 36865}, {"05/12/2000", 36865}, {"5/1/2000", 36530}, {" 05/12/2000\t", 36865},
        {"05/12/00", 36865},  {"05/12/88", 32482},   {"31/12/99", 36525}, {"01/01/2100", 73051},
    };
    for (const auto& c : cas) EXPECT_EQ(lire_date(c.texte), c.jour) << c.texte;
    EXPECT_EQ(lire_date("05/12/87"), lire_date("05/12/2087"));
    EXPECT_EQ(lire_date("05/12/88"), lire_date("05/12/1988"));
}

TEST(Dates, DatesRefusees) {
    for (const char* texte :
         {"",           "abc",         "29/02/1900",    "29/02/2001",  "31/04/2000", "31/02/2000",
          "00/01/2000", "01/00/2000",  "32/01/2000",    "01/13/2000",  "01/01/0000", "1/1/200",
          "1/1/20000",  "01/01/2000x", "01/01/2000 12", "01-01-2000",  "01/01",      "01/01/2000/1",
          "-1/01/2000", "+1/01/2000",  "1 /01/2000",    "001/01/2000", "01/1a/2000", "//"}) {
        EXPECT_EQ(lire_date(texte), std::nullopt) << texte;
    }
    EXPECT_TRUE(lire_date("29/02/2000").has_value());
}

TEST(Heures, LectureEtFormat) {
    struct Cas {
        const char* texte;
        std::optional<std::int32_t> seconde;
    };
    const Cas cas[] = {
        {"00:00:00", 0},
        {"23:59:59", 86399},
        {"12:34:56", 45296},
        {"8:05:00", 29100},
        {"08:05", 29100},
        {" 08:05:01 ", 29101},
        {"24:00:00", std::nullopt},
        {"12:60:00", std::nullopt},
        {"12:00:60", std::nullopt},
        {"12", std::nullopt},
        {"12:5:00", std::nullopt},
        {"12:00:00x", std::nullopt},
        {"-1:00:00", std::nullopt},
        {"", std::nullopt},
        {"12:00:00:00", std::nullopt},
    };
    for (const auto& c : cas) EXPECT_EQ(lire_heure(c.texte), c.seconde) << c.texte;

    EXPECT_EQ(formater_heure(0), "00:00:00");
    EXPECT_EQ(formater_heure(45296), "12:34:56");
    EXPECT_EQ(formater_heure(86399), "23:59:59");
    EXPECT_EQ(seconde_du_jour(23, 59, 59), 86399);
}

TEST(Noms, MoisEtJours) {
    const char* mois[] = {"janvier", "février", "mars",      "avril",   "mai",      "juin",
                          "juillet", "août",    "septembre", "octobre", "novembre", "décembre"};
    for (unsigned m = 1; m <= 12; ++m) EXPECT_EQ(nom_du_mois(m), mois[m - 1]);
    const char* jours[] = {"dimanche", "lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi"};
    for (int j = 1; j <= 7; ++j) EXPECT_EQ(nom_du_jour(j), jours[j - 1]);
    // Hors bornes : texte vide plutôt qu'une lecture hors du tableau.
    EXPECT_EQ(nom_du_mois(0), "");
    EXPECT_EQ(nom_du_mois(13), "");
    EXPECT_EQ(nom_du_jour(0), "");
    EXPECT_EQ(nom_du_jour(8), "");
}

TEST(Champ2, CommePrintf) {
    struct Cas {
        std::int64_t valeur;
        const char* texte;
    };
    const Cas cas[] = {
        {0, "00"},      {5, "05"},
        {9, "09"},      {10, "10"},
        {99, "99"},     {123, "123"},
        {-5, "-05"},    {-10, "-10"},
        {-123, "-123"}, {std::numeric_limits<std::int64_t>::min(), "-9223372036854775808"},
    };
    for (const auto& c : cas) EXPECT_EQ(champ_2(c.valeur), c.texte) << c.valeur;
}

TEST(Duree, HeuresMinutesSecondes) {
    struct Cas {
        std::int64_t secondes;
        const char* texte;
    };
    const Cas cas[] = {
        {0, "00:00:00"},     {59, "00:00:59"},      {60, "00:01:00"},
        {3599, "00:59:59"},  {3600, "01:00:00"},    {86399, "23:59:59"},
        {90061, "25:01:01"}, {360000, "100:00:00"}, {-65, "-00:01:05"},
    };
    for (const auto& c : cas) EXPECT_EQ(formater_duree(c.secondes), c.texte) << c.secondes;
}

}  // namespace
}  // namespace lumi
