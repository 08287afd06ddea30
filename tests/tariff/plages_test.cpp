#include "tariff/plages.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/erreurs.hpp"
#include "tariff/calendrier.hpp"

namespace lumi {
namespace {

using Liste = std::vector<std::string>;

TEST(GetPlagesHorairesInStringliste, DispositionDeLaListe) {
    struct Cas {
        const char* nom;
        const char* valeur;
        Liste attendu;
    };
    const Cas cas[] = {
        {"exemple à deux groupes",
         "9,taux1,28800,68399,taux2,0,28799,68400,86399",
         {"2", "9", "1", "1", "28800", "68399", "2", "2", "0", "28799", "68400", "86399"}},
        {"un seul groupe", "8,taux3,0,86399", {"1", "8", "3", "1", "0", "86399"}},
        {"liste vide", "", {"0", ""}},
        {"code seul", "9", {"0", "9"}},
        {"indice non numérique au deuxième groupe",
         "9,taux1,0,100,tauxA,200,300",
         {"1", "9", "1", "1", "0", "100"}},
        {"indice non numérique au premier groupe", "9,tauxZ,0,100", {"0", "9"}},
        {"élément vide compté", "7,taux2,0,10,", {"1", "7", "2", "1", "0", "10", ""}},
        {"trois groupes",
         "0,taux0,0,1,taux20,2,3,4,5,taux7,6,7",
         {"3", "0", "0", "1", "0", "1", "20", "2", "2", "3", "4", "5", "7", "1", "6", "7"}},
    };
    for (const auto& c : cas) EXPECT_EQ(get_plages_horaires_in_stringliste(c.valeur), c.attendu) << c.nom;
}

TEST(ListePlages, GroupesConvertis) {
    const ListePlages liste("9,taux1,28800,68399,taux2,0,28799,68400,86399", {"f.ini", "Local", "p1"});
    EXPECT_EQ(liste.code_jour(), 9);
    const auto& groupes = liste.groupes();
    ASSERT_EQ(groupes.size(), 2u);
    EXPECT_EQ(groupes[0].indice_taux, 1);
    ASSERT_EQ(groupes[1].intervalles.size(), 2u);
    EXPECT_EQ(groupes[1].intervalles[1].debut, 68400);
    EXPECT_EQ(groupes[1].intervalles[1].fin, 86399);
}

// Une liste fautive se charge ; c'est son usage qui échoue, avec un message qui situe la valeur.
TEST(ListePlages, ErreursAlUsage) {
    struct Cas {
        const char* valeur;
        bool code_fautif;  // sinon ce sont les groupes
        const char* extrait;
    };
    const Cas cas[] = {
        {"", true, "code jour"},
        {"x,taux1,0,10", true, "code jour"},
        {"9,taux1,0,1x0", false, "« 1x0 »"},
        {"9,taux1,0,100,200", false, "impair"},
        {"9,taux1,", false, "impair"},
        {"9,taux21,0,100", false, "21"},
        {"9,taux-1,0,100", false, "-1"},
    };
    for (const auto& c : cas) {
        const ListePlages liste(c.valeur, {"/d/tarifs.ini", "Local", "p2"});
        try {
            if (c.code_fautif) {
                (void)liste.code_jour();
            } else {
                EXPECT_EQ(liste.code_jour(), 9);
                (void)bande_dans_liste(liste, 50);
            }
            ADD_FAILURE() << c.valeur << " : aucune erreur";
        } catch (const ErreurConversion& e) {
            const std::string message = e.what();
            for (const char* attendu : {c.extrait, "[Local]", "« p2 »", "/d/tarifs.ini"}) {
                EXPECT_NE(message.find(attendu), std::string::npos) << message;
            }
        }
    }
}

}  // namespace
}  // namespace lumi
