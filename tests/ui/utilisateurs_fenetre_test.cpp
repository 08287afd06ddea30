// Les utilisateurs de la fenêtre principale : choix du démarrage, choix à la main, ligne de
// commande, second démarrage, cadenas, et ce que l'historique en reçoit.
#include "core/utilisateurs.hpp"

#include <gtest/gtest.h>

#include "settings/cles.hpp"
#include "settings/parametres.hpp"
#include "settings/registre_memoire.hpp"

namespace lumi {
namespace {

const std::string section_utilisateurs = cles::section(cles::utilisateurs);
const std::string section_options = cles::section(cles::options);

struct Banc {
    explicit Banc(const std::vector<std::string>& noms) {
        if (noms.empty()) return;
        registre.ecrire_valeur(section_utilisateurs, "nb d'utilisateurs", std::to_string(noms.size()));
        for (std::size_t i = 0; i < noms.size(); ++i) {
            registre.ecrire_valeur(section_utilisateurs, parametres::nom_utilisateur(static_cast<int>(i) + 1),
                                   noms[i]);
        }
    }
    std::string lire_u(std::string_view nom) const { return registre.lire_valeur(section_utilisateurs, nom); }

    RegistreMemoire registre;
    ListeUtilisateurs liste{registre};
};

struct CasDemarrage {
    const char* nom;
    std::vector<std::string> ranges;
    std::string dernier;
    std::string utiliser_profil;  // vide : absent (actif)
    std::string session;
    std::vector<std::string> profils;
    std::vector<std::string> liste_attendue;
    int position_attendue;
    std::string en_cours_attendu;
};

class SelectionDemarrage : public testing::TestWithParam<CasDemarrage> {};

TEST_P(SelectionDemarrage, ListePositionEtUtilisateurEnCours) {
    const auto& c = GetParam();
    Banc b(c.ranges);
    if (!c.dernier.empty()) b.registre.ecrire_valeur(section_utilisateurs, "dernier utilisateur", c.dernier);
    if (!c.utiliser_profil.empty())
        b.registre.ecrire_valeur(section_utilisateurs, "utiliser profil", c.utiliser_profil);
    b.liste.selection_au_demarrage(c.profils, c.session);
    EXPECT_EQ(b.liste.noms(), c.liste_attendue);
    EXPECT_EQ(b.liste.position(), c.position_attendue);
    EXPECT_EQ(b.liste.utilisateur_en_cours(), c.en_cours_attendu);
    EXPECT_EQ(b.liste.Label6(), c.en_cours_attendu);
    // Ce qui est ajouté est rangé : une relecture donne la même liste.
    ListeUtilisateurs relue(b.registre);
    relue.relire();
    EXPECT_EQ(relue.noms(), c.liste_attendue);
}

INSTANTIATE_TEST_SUITE_P(
    Cas, SelectionDemarrage,
    testing::Values(
        CasDemarrage{
            "dernier_retrouve", {"Anne", "Paul"}, "Paul", "non", "", {}, {"Anne", "Paul"}, 1, "Paul"},
        CasDemarrage{"dernier_disparu_premier_choisi",
                     {"Anne", "Paul"},
                     "Zoé",
                     "non",
                     "",
                     {},
                     {"Anne", "Paul"},
                     0,
                     "Anne"},
        CasDemarrage{"aucun_utilisateur_ni_profil", {}, "", "non", "", {}, {}, -1, ""},
        CasDemarrage{"profils_du_systeme_sans_utilisateur_range",
                     {},
                     "",
                     "non",
                     "",
                     {"marc", "lea"},
                     {"marc", "lea"},
                     0,
                     "marc"},
        CasDemarrage{"profils_ignores_quand_des_utilisateurs_existent",
                     {"Anne"},
                     "",
                     "non",
                     "",
                     {"marc"},
                     {"Anne"},
                     0,
                     "Anne"},
        CasDemarrage{"session_deja_dans_la_liste",
                     {"Anne", "paul"},
                     "Anne",
                     "",
                     "paul",
                     {},
                     {"Anne", "paul"},
                     1,
                     "paul"},
        CasDemarrage{
            "session_ajoutee_a_la_fin", {"Anne"}, "Anne", "", "paul", {}, {"Anne", "paul"}, 1, "paul"},
        CasDemarrage{"premiere_ligne_vide_remplacee", {""}, "", "", "paul", {}, {"paul"}, 0, "paul"},
        CasDemarrage{"session_noname_ignoree", {"Anne"}, "", "", "noname", {}, {"Anne"}, 0, "Anne"},
        CasDemarrage{"utiliser_profil_non", {"Anne"}, "", "non", "paul", {}, {"Anne"}, 0, "Anne"}),
    [](const auto& info) { return std::string(info.param.nom); });

TEST(ListeUtilisateurs, UnUtilisateurAjouteParLaSessionEstRangeSansMotDePasse) {
    Banc b({"Anne"});
    b.registre.ecrire_valeur(section_options, "pdata 2", "ancien");
    b.liste.selection_au_demarrage({}, "paul");
    EXPECT_EQ(b.lire_u("nb d'utilisateurs"), "2");
    EXPECT_EQ(b.lire_u("utilisateur 2"), "paul");
    EXPECT_EQ(b.registre.lire_valeur(section_options, "pdata 2"), "");
    EXPECT_FALSE(b.liste.Image12_visible());
}

TEST(ListeUtilisateurs, LeChoixALaMainEstRangeEtLeCadenasSuitLeMotDePasse) {
    Banc b({"Anne", "Paul"});
    b.registre.ecrire_valeur(section_options, "pdata 2", "\x12\x34");
    b.liste.selection_au_demarrage({}, "");
    EXPECT_FALSE(b.liste.Image12_visible());
    b.liste.choisir(1);
    EXPECT_EQ(b.lire_u("dernier utilisateur"), "Paul");
    EXPECT_TRUE(b.liste.Image12_visible());
    const std::vector<LigneUtilisateur> lignes{{"Anne", false, false}, {"Paul", true, true}};
    EXPECT_EQ(b.liste.lignes(), lignes);
    b.liste.choisir(7);  // hors de la liste : rien
    EXPECT_EQ(b.liste.utilisateur_en_cours(), "Paul");
}

TEST(ListeUtilisateurs, LigneDeCommandePremierTiretOteSansCasse) {
    Banc b({"Anne", "-Paul", "Zoé"});
    b.liste.selection_au_demarrage({}, "");
    EXPECT_TRUE(b.liste.selectionner_argument("-ZOÉ"));
    EXPECT_EQ(b.liste.utilisateur_en_cours(), "Zoé");
    EXPECT_TRUE(b.liste.selectionner_argument("--paul")) << "seul le premier tiret est ôté";
    EXPECT_EQ(b.liste.utilisateur_en_cours(), "-Paul");
    EXPECT_FALSE(b.liste.selectionner_argument("-invisible"));
    EXPECT_FALSE(b.liste.selectionner_argument("-"));
    EXPECT_EQ(b.liste.utilisateur_en_cours(), "-Paul");
}

TEST(ListeUtilisateurs, SecondDemarrageLeDernierNomTrouveResteChoisi) {
    Banc b({"Anne", "Paul", "Zoé"});
    b.liste.selection_au_demarrage({}, "");
    EXPECT_TRUE(b.liste.selectionner_params("-PAUL-anne"));
    EXPECT_EQ(b.liste.utilisateur_en_cours(), "Paul") << "dans l'ordre de la liste, Paul vient après Anne";
    EXPECT_EQ(b.lire_u("dernier utilisateur"), "Paul");
    EXPECT_FALSE(b.liste.selectionner_params("personne"));
    EXPECT_EQ(b.liste.utilisateur_en_cours(), "Paul");
}

TEST(ListeUtilisateurs, LHistoriqueRecoitLaLigneChoisieOuNonIdentifie) {
    Banc vide({});
    vide.liste.selection_au_demarrage({}, "");
    EXPECT_EQ(vide.liste.utilisateur_selectionne(), std::nullopt);
    std::string enregistre;
    vide.liste.demander_utilisateur([&](const std::string& u) { enregistre = u; });
    EXPECT_EQ(enregistre, "non identifié");

    Banc b({"Anne", "Paul"});
    b.registre.ecrire_valeur(section_options, "pdata 2", "x");
    b.liste.selection_au_demarrage({}, "");
    b.liste.choisir(1);
    EXPECT_EQ(b.liste.utilisateur_selectionne(), "Paul");
    EXPECT_TRUE(b.liste.utilisateur_protege());
    b.liste.demander_utilisateur([&](const std::string& u) { enregistre = u; });
    EXPECT_EQ(enregistre, "Paul");
}

TEST(ListeUtilisateurs, RelireGardeLUtilisateurEnCoursSIlResteSinonLePremier) {
    Banc b({"Anne", "Paul"});
    b.liste.selection_au_demarrage({}, "");
    b.liste.choisir(1);
    b.registre.ecrire_valeur(section_utilisateurs, "nb d'utilisateurs", "3");
    b.registre.ecrire_valeur(section_utilisateurs, "utilisateur 1", "Paul");
    b.registre.ecrire_valeur(section_utilisateurs, "utilisateur 2", "Anne");
    b.registre.ecrire_valeur(section_utilisateurs, "utilisateur 3", "Zoé");
    b.liste.relire();
    EXPECT_EQ(b.liste.position(), 0);
    EXPECT_EQ(b.liste.utilisateur_en_cours(), "Paul");
    b.registre.ecrire_valeur(section_utilisateurs, "nb d'utilisateurs", "1");
    b.registre.ecrire_valeur(section_utilisateurs, "utilisateur 1", "Zoé");
    b.liste.relire();
    EXPECT_EQ(b.liste.utilisateur_en_cours(), "Zoé");
}

}  // namespace
}  // namespace lumi
