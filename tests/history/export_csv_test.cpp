// L'historique en CSV : les champs cités quand il le faut, les montants à virgule décimale.
#include "history/export_csv.hpp"

#include <gtest/gtest.h>

namespace lumi {
namespace {

TEST(ExportCsv, ChampsCitesSeulementSiNecessaire) {
    const std::pair<const char*, const char*> cas[] = {
        {"Paul", "Paul"},
        {"", ""},
        {"Jean;Marie", "\"Jean;Marie\""},
        {"Jean \"Jo\"", "\"Jean \"\"Jo\"\"\""},
        {"deux\nlignes", "\"deux\nlignes\""},
        {"Hélène, à l'étage", "Hélène, à l'étage"},
    };
    for (const auto& [texte, attendu] : cas) EXPECT_EQ(champ_csv(texte), attendu) << texte;
}

TEST(ExportCsv, MontantsAVirguleSansBruitDuDouble) {
    const std::pair<double, const char*> cas[] = {
        {0, "0"}, {5.4, "5,4"}, {0.1 + 0.2, "0,3"}, {-2.99, "-2,99"}, {98765.1001, "98765,1001"}};
    for (const auto& [montant, attendu] : cas) EXPECT_EQ(montant_csv(montant), attendu) << montant;
}

TEST(ExportCsv, UneLigneDansLOrdreDeLEntete) {
    LigneListeHistorique l;
    l.utilisateur = "Jean;\"Jo\"";
    l.provider = "MonFAI";
    l.date = "05/01/2000";
    l.heure = "21H14";
    l.duree = "00:12:31";
    l.periode = "Rouge";
    l.tarification = "Heures pleines";
    l.option = "FL";
    l.montant_reduction = 0.598;
    l.montant_ht = 4.512;
    l.montant_ttc = 5.4;
    EXPECT_EQ(ligne_csv_historique(l),
              "\"Jean;\"\"Jo\"\"\";MonFAI;05/01/2000;21H14;00:12:31;Rouge;Heures pleines;FL;0,598;4,512;5,4");
}

}  // namespace
}  // namespace lumi
