#include "base/decimal.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "base/locale.hpp"

namespace lumi {
namespace {

TEST(NormaliserDecimal, PremiereVirguleOuPremierPoint) {
    struct Cas {
        const char* texte;
        char separateur;
        const char* normalise;
    };
    const Cas cas[] = {
        {"12,5", ',', "12,5"},
        {"12.5", ',', "12,5"},
        {"12,5", '.', "12.5"},
        {"12.5", '.', "12.5"},
        {"1,234.5", ',', "1234,5"},
        {"1,234.5", '.', "1234.5"},
        {"1.234,5", '.', "1.2345"},
        {"1.2.3", ',', "1,2.3"},
        {"1,2,3", '.', "1.2,3"},
        {"12", ',', "12"},
        {"", ',', ""},
        {",5", '.', ".5"},
        {"a,b", '.', "a.b"},
    };
    for (const auto& c : cas) EXPECT_EQ(normaliser_decimal(c.texte, c.separateur), c.normalise) << c.texte;
}

TEST(LireDecimal, TextesAcceptes) {
    struct Cas {
        const char* texte;
        double valeur;
    };
    const Cas cas[] = {
        {"12,5", 12.5}, {"12.5", 12.5},     {"1,234.5", 1234.5}, {" 3 ", 3},  {"\t-0,5 ", -0.5},
        {"+2", 2},      {"0", 0},           {"19,6", 19.6},      {",5", 0.5}, {"5,", 5},
        {"1e3", 1000},  {"-1,5E-1", -0.15}, {"1.234,5", 1.2345}, {"007", 7},
    };
    for (const auto& c : cas) EXPECT_EQ(lire_decimal(c.texte), c.valeur) << c.texte;
}

TEST(LireDecimal, TextesRefuses) {
    for (const char* texte :
         {"",  "  ", "abc", "1.2.3", "1,2,3", "12a", "a12",  "1 234", "+-2", "-+2",   "++2",   "--2",
          "+", "-",  ",",   ".",     "inf",   "nan", "-inf", "0x10",  "1e",  "1e999", "12,5 F"}) {
        EXPECT_EQ(lire_decimal(texte), std::nullopt) << texte;
    }
}

TEST(LireEntier, EntiersSur32Bits) {
    struct Cas {
        const char* texte;
        std::optional<int> valeur;
    };
    const Cas cas[] = {
        {"0", 0},
        {"42", 42},
        {" 42\t", 42},
        {"-7", -7},
        {"+7", 7},
        {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<int>::min()},
        {"2147483648", std::nullopt},
        {"", std::nullopt},
        {"4 2", std::nullopt},
        {"4,2", std::nullopt},
        {"42x", std::nullopt},
        {"+-1", std::nullopt},
        {"0x1F", std::nullopt},
        {"abc", std::nullopt},
    };
    for (const auto& c : cas) EXPECT_EQ(lire_entier(c.texte), c.valeur) << c.texte;
}

TEST(FormaterDecimal, ArrondiDesMoitiesLoinDeZero) {
    struct Cas {
        double valeur;
        int decimales;
        const char* texte;
    };
    const Cas cas[] = {
        {2.345, 2, "2,35"},
        {-2.345, 2, "-2,35"},
        {0.125, 2, "0,13"},
        {-1.005, 2, "-1,01"},
        {1.005, 2, "1,01"},
        {2.675, 2, "2,68"},
        {1.0005, 3, "1,001"},
        {0.5, 0, "1"},
        {1.5, 0, "2"},
        {2.5, 0, "3"},
        {-0.5, 0, "-1"},
        {9.995, 2, "10,00"},
        {99.9995, 3, "100,000"},
        {0.004, 2, "0,00"},
        {0.005, 2, "0,01"},
        {0.0049, 2, "0,00"},
        {12.5, 3, "12,500"},
        {0, 2, "0,00"},
        {-0.0, 2, "0,00"},
        {-0.001, 2, "0,00"},
        {-0.004, 2, "0,00"},
        {123456.789, 1, "123456,8"},
        {1e-300, 2, "0,00"},
        {0.1 + 0.2, 2, "0,30"},
        {0.745 * 3, 2, "2,24"},
        {1.0 + 1.0 * 20.6 * 0.01, 3, "1,206"},
        {12345678.9, 2, "12345678,90"},
        {1e20, 0, "100000000000000000000"},
        {7, 0, "7"},
    };
    for (const auto& c : cas) {
        EXPECT_EQ(formater_decimal(c.valeur, c.decimales, ','), c.texte) << c.valeur << " à " << c.decimales;
    }
    EXPECT_EQ(formater_decimal(2.345, 2, '.'), "2.35");
}

TEST(FormaterDecimal, ValeursHorsNormesSansPlantage) {
    EXPECT_EQ(formater_decimal(std::nan(""), 2, ','), "0,00");
    EXPECT_EQ(formater_decimal(std::numeric_limits<double>::infinity(), 2, ','), "0,00");
    EXPECT_EQ(formater_decimal(1.5, -3, ','), "2");
    EXPECT_EQ(formater_decimal(std::numeric_limits<double>::max(), 2, ',').size(), 312u);
}

// Ce qui est écrit avec deux ou trois décimales se relit à l'identique.
TEST(FormaterDecimal, AllerRetourAvecLaLecture) {
    for (int centimes = -100000; centimes <= 100000; centimes += 7) {
        const std::string texte = formater_decimal(centimes / 100.0, 2, ',');
        const auto relu = lire_decimal(texte);
        ASSERT_TRUE(relu.has_value()) << texte;
        ASSERT_EQ(formater_decimal(*relu, 2, '.'), normaliser_decimal(texte, '.'));
        ASSERT_EQ(std::llround(*relu * 100), centimes) << texte;
    }
}

TEST(ValeursLocales, DefautsFrancais) {
    const ValeursLocales v;
    EXPECT_EQ(v.separateur_decimal, ',');
    EXPECT_EQ(v.symbole_monetaire, "F");
}

TEST(ValeursLocales, LocaleNeutreOuAbsenteDonneLesDefauts) {
    for (const char* nom : {"C", "POSIX", "C.UTF-8", "xx_XX.inexistante"}) {
        const ValeursLocales v = lire_valeurs_locales(nom, nom);
        EXPECT_EQ(v.separateur_decimal, ',') << nom;
        EXPECT_EQ(v.symbole_monetaire, "F") << nom;
    }
}

// Ce que dit la locale, Linux ou Windows, et ce qui en est retenu : un séparateur qu'un montant
// rangé ne saurait relire garde ",".
TEST(ValeursLocales, SeparateurEtSymboleRetenus) {
    struct Cas {
        std::string separateur;
        std::string symbole;
        char separateur_retenu;
        std::string symbole_retenu;
    };
    const std::vector<Cas> cas = {
        {",", "€", ',', "€"},
        {".", "$", '.', "$"},
        {".", " Fr. ", '.', "Fr."},
        {"\u066B", "\u062F.\u0625.", ',', "\u062F.\u0625."},  // séparateur arabe, hors ASCII
        {",.", "F", ',', "F"},                                // deux caractères
        {";", "F", ',', "F"},                                 // couperait un enregistrement de l'historique
        {" ", "F", ',', "F"},
        {"'", "CHF", ',', "CHF"},
        {"0", "F", ',', "F"},
        {"", "", ',', "F"},
        {".", "   ", '.', "F"},
    };
    for (const auto& c : cas) {
        const ValeursLocales v = valeurs_locales_retenues(c.separateur, c.symbole);
        EXPECT_EQ(v.separateur_decimal, c.separateur_retenu) << "« " << c.separateur << " »";
        EXPECT_EQ(v.symbole_monetaire, c.symbole_retenu) << "« " << c.symbole << " »";
    }
}

TEST(ValeursLocales, LocaleFrancaiseSiInstallee) {
    const ValeursLocales v = lire_valeurs_locales("fr_FR.UTF-8", "fr_FR.UTF-8");
    if (v.symbole_monetaire == "F") GTEST_SKIP() << "locale fr_FR.UTF-8 absente";
    EXPECT_EQ(v.separateur_decimal, ',');
    EXPECT_EQ(v.symbole_monetaire, "€");
    const ValeursLocales us = lire_valeurs_locales("en_US.UTF-8", "en_US.UTF-8");
    if (us.symbole_monetaire != "F") {
        EXPECT_EQ(us.separateur_decimal, '.');
        EXPECT_EQ(us.symbole_monetaire, "$");
    }
}

TEST(ValeursLocales, LocaleDuSystemeSansPlantage) {
    const ValeursLocales v = lire_valeurs_locales_systeme();
    EXPECT_FALSE(v.symbole_monetaire.empty());
    EXPECT_NE(v.separateur_decimal, '\0');
}

}  // namespace
}  // namespace lumi
