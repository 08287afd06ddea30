#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "base/fichiers.hpp"
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

    const auto r2 =
        lancer({"importer", "--dossier", donnees.string(), "--depuis", ancien.string(), "--remplacer"});
    EXPECT_EQ(r2.code, 0) << r2.erreur;
    EXPECT_NE(r2.sortie.find("fichier=mars99.fct\n"), std::string::npos);
    EXPECT_EQ(essai::lire_octets(donnees / "Historique" / "mars99.fct"), "nouveau");

    const auto vide =
        lancer({"importer", "--dossier", donnees.string(), "--depuis", (racine / "rien").string()});
    EXPECT_EQ(vide.code, 1);
    EXPECT_NE(vide.erreur.find("aucun fichier d'historique"), std::string::npos);
}

// Un mois de l'édition précédente : en-tête et un enregistrement, en Windows-1252.
std::string mois_ancien(const std::string& entete_mois, const std::string& date, const std::string& cout) {
    return "Attention, modifier ce fichier peut provoquer des erreurs de lecture !\r\nLumicompteur 98\r\n" +
           entete_mois + "\r\ntva : 19,6\r\n\r\nPaul;Heures pleines;" + date + ";10H00;00:10:00;Rouge;A;" +
           cout + ";-4;0;0,000;|;MonFAI;\r\n";
}

// Février et décembre sous les noms de l'édition précédente : "é" sur un octet, ou sans accent.
// Lus sur place par l'outil, puis repris par l'import sous le nom UTF-8 et lus encore.
TEST(ImporterCli, FevrierEtDecembreSousLeursAnciensNomsLusSurPlaceEtApresImport) {
    const std::pair<const char*, std::string> anciens[] = {
        {"f\xe9vrier00.fct", mois_ancien("f\xe9vrier 2000", "01/02/2000", "1,000")},
        {"d\xe9"
         "cembre99.fct",
         mois_ancien("d\xe9"
                     "cembre 1999",
                     "01/12/1999", "2,000")},
        {"fevrier99.fct", mois_ancien("fevrier 1999", "01/02/1999", "4,000")},
        {"decembre98.fct", mois_ancien("decembre 1998", "01/12/1998", "8,000")},
    };
    const auto verifier = [](const fs::path& donnees, const char* quand) {
        SCOPED_TRACE(quand);
        const auto r = lancer({"historique", "--dossier", donnees.string(), "--du", "01/12/1998", "--au",
                               "29/02/2000", "--ht"});
        ASSERT_EQ(r.code, 0) << r.erreur;
        EXPECT_EQ(valeur(r.sortie, "nb"), "4") << r.sortie;
        EXPECT_EQ(valeur(r.sortie, "total_ht"), "15") << r.sortie;
        EXPECT_EQ(valeur(r.sortie, "lignes_illisibles"), "0") << r.sortie;
    };
    essai::DossierTemporaire racine("lumi-importer-noms");
    const fs::path sur_place = racine / "sur_place";
    fs::copy(LUMI_DONNEES_TESTS "/historique", sur_place, fs::copy_options::recursive);
    for (const auto& e : fs::directory_iterator(sur_place / "Historique")) fs::remove(e.path());
    for (const auto& [nom, texte] : anciens) essai::ecrire_octets(sur_place / "Historique" / nom, texte);
    verifier(sur_place, "fichiers laissés sous leurs anciens noms");

    const fs::path ancien = racine / "ancien";
    fs::create_directories(ancien);
    for (const auto& [nom, texte] : anciens) essai::ecrire_octets(ancien / nom, texte);
    const fs::path donnees = racine / "donnees";
    fs::copy(LUMI_DONNEES_TESTS "/historique", donnees, fs::copy_options::recursive);
    for (const auto& e : fs::directory_iterator(donnees / "Historique")) fs::remove(e.path());
    const auto r = lancer({"importer", "--dossier", donnees.string(), "--depuis", ancien.string()});
    ASSERT_EQ(r.code, 0) << r.erreur;
    std::vector<std::string> noms;
    for (const auto& e : fs::directory_iterator(donnees / "Historique"))
        noms.push_back(e.path().filename().string());
    std::sort(noms.begin(), noms.end());
    EXPECT_EQ(noms, (std::vector<std::string>{"décembre98.fct", "décembre99.fct", "février00.fct",
                                              "février99.fct"}));
    // Le contenu arrive tel quel, en Windows-1252.
    EXPECT_EQ(essai::lire_octets(donnees / "Historique" / chemin_utf8("février00.fct")), anciens[0].second);
    verifier(donnees, "fichiers repris par l'import");
}

}  // namespace
}  // namespace lumi::cli
