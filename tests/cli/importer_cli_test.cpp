#include <gtest/gtest.h>

#include <filesystem>

#include "cli/lancer_outil.hpp"
#include "commun/soutien.hpp"

namespace lumi::cli {
namespace {

namespace fs = std::filesystem;

TEST(ImporterCli, CopieSansRemplacerPuisAvecRemplacer) {
    essai::DossierTemporaire racine("lumi-importer");
    const fs::path ancien = racine / "ancien";
    fs::create_directories(ancien);
    essai::ecrire_octets(ancien / "mars99.fct", "nouveau");
    essai::ecrire_octets(ancien / "avril99.fct", "nouveau");
    essai::ecrire_octets(ancien / "notes.fct", "pas un mois");
    const fs::path donnees = racine / "donnees";
    fs::create_directories(donnees / "Historique");
    essai::ecrire_octets(donnees / "Historique" / "mars99.fct", "ancien");

    const auto r = lancer({"importer", "--dossier", donnees.string(), "--depuis", ancien.string()});
    EXPECT_EQ(r.code, 0) << r.erreur;
    EXPECT_EQ(r.sortie, "source=" + ancien.string() +
                            "\nfichier=avril99.fct\n"
                            "echec=mars99.fct : déjà dans l'historique (--remplacer pour le remplacer)\n");
    EXPECT_EQ(essai::lire_octets(donnees / "Historique" / "mars99.fct"), "ancien");

    const auto r2 = lancer({"importer", "--dossier", donnees.string(), "--depuis", ancien.string(), "--remplacer"});
    EXPECT_EQ(r2.code, 0) << r2.erreur;
    EXPECT_NE(r2.sortie.find("fichier=mars99.fct\n"), std::string::npos);
    EXPECT_EQ(essai::lire_octets(donnees / "Historique" / "mars99.fct"), "nouveau");

    const auto vide = lancer({"importer", "--dossier", donnees.string(), "--depuis", (racine / "rien").string()});
    EXPECT_EQ(vide.code, 1);
    EXPECT_NE(vide.erreur.find("aucun fichier d'historique"), std::string::npos);
}

}  // namespace
}  // namespace lumi::cli
