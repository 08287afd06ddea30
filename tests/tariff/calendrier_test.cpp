#include "tariff/calendrier.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/erreurs.hpp"

namespace lumi {
namespace {

NumeroJour date(const char* texte) {
    const auto jour = lire_date(texte);
    EXPECT_TRUE(jour.has_value()) << texte;
    return jour.value_or(0);
}

TEST(Paques, AnneesConnues) {
    EXPECT_EQ(formater_date(paques(1999, 0)), "04/04/1999");
    EXPECT_EQ(formater_date(paques(2000, 0)), "23/04/2000");
    EXPECT_EQ(formater_date(paques(2001, 0)), "15/04/2001");
    EXPECT_EQ(formater_date(paques(2000, -2)), "21/04/2000");
    EXPECT_EQ(formater_date(paques(2000, 50)), "12/06/2000");
    // Années où la règle corrige la lune : 1981 et 1954 (cas I = 29 et I = 28).
    EXPECT_EQ(formater_date(paques(1981, 0)), "19/04/1981");
    EXPECT_EQ(formater_date(paques(1954, 0)), "18/04/1954");
}

// Tous les jours de 1999 à 2001 : les fériés de la liste, et seulement eux, valent 8.
TEST(GetDayOfWeekJoursFeries, Feries1999A2001) {
    const char* const feries[] = {
        "01/01/1999", "04/04/1999", "05/04/1999", "01/05/1999", "08/05/1999", "13/05/1999", "23/05/1999",
        "24/05/1999", "14/07/1999", "15/08/1999", "01/11/1999", "11/11/1999", "25/12/1999",  //
        "01/01/2000", "23/04/2000", "24/04/2000", "01/05/2000", "08/05/2000", "01/06/2000", "11/06/2000",
        "12/06/2000", "14/07/2000", "15/08/2000", "01/11/2000", "11/11/2000", "25/12/2000",  //
        "01/01/2001", "15/04/2001", "16/04/2001", "01/05/2001", "08/05/2001", "24/05/2001", "03/06/2001",
        "04/06/2001", "14/07/2001", "15/08/2001", "01/11/2001", "11/11/2001", "25/12/2001"};
    // Vendredi saint et Saint-Étienne, en Alsace-Moselle seulement.
    const char* const feries_alsace[] = {"02/04/1999", "26/12/1999", "21/04/2000",
                                         "26/12/2000", "13/04/2001", "26/12/2001"};
    std::set<NumeroJour> communs;
    std::set<NumeroJour> alsaciens;
    for (const char* f : feries) communs.insert(date(f));
    for (const char* f : feries_alsace) alsaciens.insert(date(f));

    for (NumeroJour j = date("01/01/1999"); j <= date("31/12/2001"); ++j) {
        const bool ferie = communs.count(j) > 0;
        const bool ferie_alsace = ferie || alsaciens.count(j) > 0;
        EXPECT_EQ(get_day_of_week_jours_feries(j, false), ferie ? 8 : jour_de_semaine(j)) << formater_date(j);
        EXPECT_EQ(get_day_of_week_jours_feries(j, true), ferie_alsace ? 8 : jour_de_semaine(j))
            << formater_date(j);
    }
    // Repères : le lundi 3 janvier 2000 vaut 2, le dimanche 2 janvier 1, le samedi 8 mai 1999 8.
    EXPECT_EQ(get_day_of_week_jours_feries(date("03/01/2000"), false), 2);
    EXPECT_EQ(get_day_of_week_jours_feries(date("02/01/2000"), false), 1);
    EXPECT_EQ(get_day_of_week_jours_feries(date("08/01/2000"), false), 7);
    EXPECT_EQ(get_day_of_week_jours_feries(date("08/05/1999"), false), 8);
}

ListePlages liste(const char* valeur) {
    return ListePlages(valeur, {"tarifs.ini", "Essai", "p"});
}

TEST(GetNbPlageHoraire, ChoixDeLaListeDuJour) {
    struct Cas {
        const char* nom;
        const char* codes;  // les trois codes jour
        int jour;
        int attendu;
    };
    const Cas cas[] = {
        {"9/0/8 lundi", "908", 2, 1},
        {"9/0/8 vendredi", "908", 6, 1},
        {"9/0/8 samedi", "908", 7, 2},
        {"9/0/8 dimanche : la dernière qui convient", "908", 1, 3},
        {"9/0/8 férié", "908", 8, 3},
        {"8/9/0 dimanche", "890", 1, 3},
        {"8/9/0 férié : le code 8 d'abord", "890", 8, 1},
        {"8/9/0 samedi", "890", 7, 3},
        {"9/7 dimanche sans liste", "977", 1, 0},
        {"9/7 férié sans liste", "977", 8, 0},
        {"9/7 samedi : la dernière", "977", 7, 3},
        {"2/9 lundi : le jour exact", "292", 2, 3},
        {"2/9 mardi", "292", 3, 2},
        {"2/9 vendredi", "292", 6, 2},
        {"jour exact avant la classe", "190", 1, 1},
        {"férié n'utilise jamais un jour exact", "239", 8, 0},
        {"jour 0", "901", 0, 2},
        {"jour inconnu", "908", 9, 0},
    };
    for (const auto& c : cas) {
        auto valeur = [&](int i) { return std::string(1, c.codes[i]) + ",taux1,0,86399"; };
        const ListePlages l1 = liste(valeur(0).c_str()), l2 = liste(valeur(1).c_str()),
                          l3 = liste(valeur(2).c_str());
        EXPECT_EQ(get_nb_plage_horaire_par_rapport_au_jour_passe(c.jour, l1, l2, l3), c.attendu) << c.nom;
    }
}

TEST(GetNbPlageHoraire, ListeSansCodeJour) {
    EXPECT_THROW((void)get_nb_plage_horaire_par_rapport_au_jour_passe(2, liste("9,taux1,0,86399"),
                                                                      liste("7,taux1,0,86399"), liste("")),
                 ErreurConversion);
}

TEST(GetJourPlageHoraire, Textes) {
    EXPECT_EQ(get_jour_plage_horaire(0), "Week-end et\rjours fériés");
    EXPECT_EQ(get_jour_plage_horaire(1), "Dimanche");
    EXPECT_EQ(get_jour_plage_horaire(7), "Samedi");
    EXPECT_EQ(get_jour_plage_horaire(8), "Dimanche et\rjours fériés");
    EXPECT_EQ(get_jour_plage_horaire(9), "Semaine");
    EXPECT_EQ(get_jour_plage_horaire(10), "");
    EXPECT_EQ(get_jour_plage_horaire(-1), "");
}

TEST(BandeCourante, BornesComprisesEtDernierGroupe) {
    const TroisListes listes{liste("9,taux1,28800,68399,taux2,0,28799,68400,86399"),
                             liste("7,taux3,0,86399,taux4,3600,7199"), ListePlages()};
    struct Cas {
        int k;
        std::int32_t seconde;
        int attendu;
    };
    const Cas cas[] = {
        {1, 28799, 2}, {1, 28800, 1}, {1, 68399, 1}, {1, 68400, 2}, {1, 0, 2},     {1, 86399, 2},
        {2, 3599, 3},  {2, 3600, 4},  {2, 7199, 4},  {2, 7200, 3},  {0, 30000, 0}, {3, 30000, 0},
    };
    for (const auto& c : cas)
        EXPECT_EQ(bande_courante(listes, c.k, c.seconde), c.attendu) << c.k << " " << c.seconde;
    EXPECT_EQ(bande_dans_liste(liste("9,taux1,100,200"), 99), 0);
}

}  // namespace
}  // namespace lumi
