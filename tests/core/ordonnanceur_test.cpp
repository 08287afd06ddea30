// L'ordonnanceur des rejeux : minuteries à leur intervalle, relance quand on les règle, événements
// entre deux tops, ordre déterministe à instant égal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/simulation/acces_distant_scripte.hpp"
#include "platform/simulation/ordonnanceur.hpp"

namespace lumi {
namespace {

TEST(Ordonnanceur, MinuteriesAleurIntervalleEtHorlogeAvancee) {
    HorlogeFactice horloge({36526, 0});
    Ordonnanceur o(horloge);
    Minuterie rapide("rapide", 250, true);
    Minuterie lente("lente", 1000, true);
    std::vector<std::string> journal;
    o.suivre(rapide, [&] { journal.push_back("r" + std::to_string(horloge.millisecondes())); });
    o.suivre(lente, [&] { journal.push_back("l" + std::to_string(horloge.millisecondes())); });
    o.avancer(1000);
    // À 1000 ms les deux tombent : la première suivie passe d'abord.
    EXPECT_EQ(journal, (std::vector<std::string>{"r250", "r500", "r750", "r1000", "l1000"}));
    EXPECT_EQ(horloge.seconde_du_jour(), 1);
    EXPECT_EQ(o.appels(), 5u);
}

TEST(Ordonnanceur, ReglerUneMinuterieRelanceSonDecompte) {
    HorlogeFactice horloge;
    Ordonnanceur o(horloge);
    Minuterie t("t", 1000, true);
    Minuterie autre("autre", 700, false);
    std::vector<std::int64_t> tops_autre;
    int tops = 0;
    o.suivre(t, [&] {
        // Au deuxième top, un gestionnaire démarre l'autre minuterie, qui part de cet instant.
        if (++tops == 2) autre.activer(true);
    });
    o.suivre(autre, [&] {
        tops_autre.push_back(horloge.millisecondes());
        if (tops_autre.size() == 2) autre.definir_intervalle(100);
        if (tops_autre.size() == 4) autre.activer(false);
    });
    o.avancer(5000);
    EXPECT_EQ(tops_autre, (std::vector<std::int64_t>{2700, 3400, 3500, 3600}));
    EXPECT_EQ(tops, 5);
}

TEST(Ordonnanceur, EvenementsEntreLesTopsEtApresLesMinuteriesAInstantEgal) {
    HorlogeFactice horloge;
    Ordonnanceur o(horloge);
    Minuterie t("t", 1000, true);
    std::vector<std::string> journal;
    o.suivre(t, [&] { journal.push_back("top"); });
    o.planifier(1000, [&] { journal.push_back("a"); });
    o.planifier(1500, [&] { journal.push_back("b"); });
    o.planifier(1000, [&] { journal.push_back("c"); });
    o.avancer_jusqu_a(2000);
    EXPECT_EQ(journal, (std::vector<std::string>{"top", "a", "c", "b", "top"}));
    EXPECT_EQ(horloge.millisecondes(), 2000);
    // Rien de planifié dans le passé : maintenant.
    o.planifier(0, [&] { journal.push_back("passe"); });
    o.avancer(0);
    EXPECT_EQ(journal.back(), "passe");
}

TEST(Ordonnanceur, HorlogeMuraleRegleeNeDerangePasLesMinuteries) {
    HorlogeFactice horloge({36526, 3600});
    Ordonnanceur o(horloge);
    Minuterie t("t", 1000, true);
    std::vector<std::int32_t> secondes;
    o.suivre(t, [&] { secondes.push_back(horloge.seconde_du_jour()); });
    o.avancer(2000);
    horloge.regler({36526, 100});  // l'utilisateur recule sa pendule
    o.avancer(2000);
    EXPECT_EQ(secondes, (std::vector<std::int32_t>{3601, 3602, 101, 102}));
}

TEST(AccesDistantScripte, EtatsDansLeTempsNumeroterEtRaccrocher) {
    HorlogeFactice horloge;
    AccesDistantScripte acces(horloge);
    acces.definir_annuaire({"MonFAI", "Autre"});
    acces.ajouter_connexion("MonFAI", {{1000, etat_ras_connexion_peripherique, 0},
                                       {3000, etat_ras_authentification, 0},
                                       {4000, etat_ras_connecte, 0},
                                       {9000, etat_aucune_connexion, 0}});
    const auto etat = [&] {
        const auto c = acces.connexions();
        return c.empty() ? etat_aucune_connexion : c.front().etat;
    };
    EXPECT_EQ(etat(), etat_aucune_connexion);
    horloge.avancer_ms(1000);
    EXPECT_EQ(etat(), etat_ras_connexion_peripherique);
    horloge.avancer_ms(3500);
    EXPECT_EQ(etat(), etat_ras_connecte);
    EXPECT_EQ(acces.instants_de_changement(), (std::vector<std::int64_t>{1000, 3000, 4000, 9000}));

    std::string nom;
    int erreur = 0, etat_ras = 0;
    EXPECT_TRUE(ras_connexion_en_cours(acces, nom, erreur, etat_ras));
    EXPECT_EQ(nom, "MonFAI");
    EXPECT_EQ(erreur, 0);
    EXPECT_EQ(etat_ras, etat_ras_connecte);

    // Raccrocher fait disparaître la connexion tout de suite ; la suite du script est oubliée.
    EXPECT_TRUE(acces.raccrocher());
    EXPECT_EQ(etat(), etat_aucune_connexion);
    EXPECT_FALSE(acces.raccrocher());
    etat_ras = 1234;
    EXPECT_FALSE(ras_connexion_en_cours(acces, nom, erreur, etat_ras));
    EXPECT_EQ(nom, "");
    EXPECT_EQ(erreur, -1);
    EXPECT_EQ(etat_ras, 1234);  // laissé tel quel

    EXPECT_FALSE(acces.numeroter("Inconnue"));
    EXPECT_TRUE(acces.numeroter("Autre"));
    EXPECT_EQ(etat(), etat_ras_connexion_peripherique);
    horloge.avancer_ms(3000);
    EXPECT_EQ(etat(), etat_ras_authentification);
    EXPECT_EQ(acces.numerotations(), std::vector<std::string>{"Autre"});
}

}  // namespace
}  // namespace lumi
