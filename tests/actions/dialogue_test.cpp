// La couture des boîtes de message : boutons français, réponses scriptées dans l'ordre.
#include <gtest/gtest.h>

#include <stdexcept>

#include "actions/dialogue.hpp"

namespace lumi {
namespace {

TEST(Dialogue, BoutonsEtReponsesScriptees) {
    EXPECT_EQ(texte_bouton(Reponse::oui), "&Oui");
    EXPECT_EQ(texte_bouton(Reponse::non), "&Non");
    EXPECT_EQ(texte_bouton(Reponse::tout), "&Tout");
    EXPECT_EQ(texte_bouton(Reponse::ok), "OK");

    DialogueScripte d;
    d.prevoir_reponse(Reponse::non);
    d.prevoir_reponse(Reponse::tout);
    EXPECT_EQ(d.question("Enregistrer ?"), Reponse::non);
    EXPECT_EQ(d.question("Tout effacer ?", true), Reponse::tout);
    // Sans réponse prévue : le premier bouton.
    EXPECT_EQ(d.question("Encore ?"), Reponse::oui);
    d.avertissement("Attention");
    d.information("Pour info");

    const auto& b = d.boites();
    ASSERT_EQ(b.size(), 5u);
    EXPECT_EQ(b[1].boutons, (std::vector<Reponse>{Reponse::oui, Reponse::non, Reponse::tout}));
    EXPECT_EQ(b[3].genre, GenreBoite::avertissement);
    EXPECT_EQ(b[3].boutons, std::vector<Reponse>{Reponse::ok});
    EXPECT_EQ(b[4].genre, GenreBoite::information);
    EXPECT_EQ(b[4].texte, "Pour info");

    // Une réponse qui n'est pas un bouton de la boîte est une faute du script.
    d.prevoir_reponse(Reponse::tout);
    EXPECT_THROW(d.question("Oui ou non ?"), std::logic_error);

    // Une boîte abandonnée est notée sans réponse ; la suivante reprend le script.
    d.oublier();
    d.prevoir_abandon();
    d.prevoir_reponse(Reponse::non);
    EXPECT_THROW(d.question("Nouvelle période ?"), BoiteAbandonnee);
    EXPECT_EQ(d.question("Nouvelle période ?"), Reponse::non);
    ASSERT_EQ(d.boites().size(), 2u);
    EXPECT_FALSE(d.boites()[0].reponse);
    EXPECT_EQ(d.boites()[1].reponse, Reponse::non);
}

}  // namespace
}  // namespace lumi
