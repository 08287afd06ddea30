#include "tariff/monnaie.hpp"

#include <gtest/gtest.h>

#include "base/erreurs.hpp"

namespace lumi {
namespace {

ReglagesMonnaie reglages(int decimales, char separateur = ',', const char* symbole = "F") {
    ReglagesMonnaie r;
    r.taux_tva = 19.6f;
    r.nb_decimales = decimales;
    r.locale.separateur_decimal = separateur;
    r.locale.symbole_monetaire = symbole;
    return r;
}

TEST(FormaterMontant, TvaDecimalesSeparateur) {
    struct Cas {
        const char* texte;
        bool ttc;
        double taux;
        int decimales;
        char separateur;
        const char* attendu;
    };
    const Cas cas[] = {
        {"1.16", true, 0, 3, ',', "1,387"},
        {"1,16", true, 0, 2, ',', "1,39"},
        {"1.16", false, 0, 3, ',', "1,160"},
        {"1.16", true, 0, 3, '.', "1.387"},
        {"100", true, 5.5, 2, ',', "105,50"},
        {"0.0125", false, 0, 2, ',', "0,01"},
        {"0.125", false, 0, 2, ',', "0,13"},
        {"-0.125", false, 0, 2, ',', "-0,13"},
        {"0", true, 0, 3, ',', "0,000"},
        {"1.1599999666214", true, 0, 3, ',', "1,387"},  // 1,16 en simple précision
        {"9999999", false, 0, 2, ',', "9999999,00"},
        {"12345678", false, 0, 2, ',', "1,234568E+07"},
    };
    for (const auto& c : cas) {
        EXPECT_EQ(formater_montant(c.texte, c.ttc, c.taux, reglages(c.decimales, c.separateur)), c.attendu)
            << c.texte;
    }
    EXPECT_THROW((void)formater_montant("douze", true, 0, reglages(3)), ErreurConversion);
}

TEST(TexteDevise, SymboleDeLaLocale) {
    EXPECT_EQ(texte_devise("F"), " F");
    EXPECT_EQ(texte_devise("Frs"), " Frs");
    EXPECT_EQ(texte_devise("frs"), " frs");
    EXPECT_EQ(texte_devise("€"), " F");
    EXPECT_EQ(texte_devise("EUR"), " F");
    EXPECT_EQ(texte_devise(""), " F");
    EXPECT_EQ(texte_devise(reglages(3, ',', "Frs")), " Frs");
}

TEST(TexteMontant, QuinzeChiffresSignificatifs) {
    EXPECT_EQ(texte_montant(static_cast<float>(1.16)), "1.1599999666214");
    EXPECT_EQ(texte_montant(0.5), "0.5");
}

}  // namespace
}  // namespace lumi
