#include "base/fichiers.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/erreurs.hpp"
#include "commun/soutien.hpp"

namespace lumi {
namespace {

namespace fs = std::filesystem;

class Fichiers : public ::testing::Test {
protected:
    void ecrire_brut(const fs::path& chemin, const std::string& contenu) {
        std::ofstream(chemin, std::ios::binary) << contenu;
    }
    // Les fichiers du dossier : aucun temporaire ne doit traîner après un remplacement.
    std::vector<std::string> contenu_du_dossier() const {
        std::vector<std::string> noms;
        for (const auto& e : fs::directory_iterator(dossier_)) noms.push_back(e.path().filename().string());
        std::sort(noms.begin(), noms.end());
        return noms;
    }
    // Message de l'erreur levée, vide si rien n'est levé.
    static std::string erreur_de(const fs::path& chemin, std::string_view contenu) {
        try {
            remplacer_fichier(chemin, contenu);
        } catch (const ErreurFichier& e) {
            return e.what();
        }
        return {};
    }

    essai::DossierTemporaire temporaire_{"lumi-fichiers"};
    fs::path dossier_ = temporaire_.chemin();
};

TEST_F(Fichiers, LireUnFichierAbsentOuIllisibleNeDonneRien) {
    EXPECT_EQ(lire_fichier(dossier_ / "absent.ini"), std::nullopt);
    EXPECT_EQ(lire_fichier(dossier_), std::nullopt);  // un dossier
}

TEST_F(Fichiers, RemplacerCreePuisRemplaceSansLaisserDeTemporaire) {
    const fs::path chemin = dossier_ / "tarifs.ini";
    remplacer_fichier(chemin, "[TVA]\r\ntaux=20,6\r\n");
    EXPECT_EQ(lire_fichier(chemin), "[TVA]\r\ntaux=20,6\r\n");

    // Contenu binaire plus long que le tampon de lecture, puis vide.
    std::string gros(200000, '\0');
    for (std::size_t i = 0; i < gros.size(); ++i) gros[i] = static_cast<char>(i * 7);
    remplacer_fichier(chemin, gros);
    EXPECT_EQ(lire_fichier(chemin), gros);
    remplacer_fichier(chemin, "");
    EXPECT_EQ(lire_fichier(chemin), "");
    EXPECT_EQ(contenu_du_dossier(), std::vector<std::string>{"tarifs.ini"});
}

TEST_F(Fichiers, GardeLesDroitsDeLAncienFichier) {
    const fs::path chemin = dossier_ / "secret.ini";
    ecrire_brut(chemin, "ancien");
    ASSERT_EQ(::chmod(chemin.c_str(), 0600), 0);
    remplacer_fichier(chemin, "nouveau");
    struct stat s {};
    ASSERT_EQ(::stat(chemin.c_str(), &s), 0);
    EXPECT_EQ(s.st_mode & 07777, 0600u);
}

TEST_F(Fichiers, UnLienSymboliqueResteUnLien) {
    const fs::path vrai = dossier_ / "vrai.ini";
    const fs::path lien = dossier_ / "lien.ini";
    ecrire_brut(vrai, "ancien");
    fs::create_symlink(vrai, lien);
    remplacer_fichier(lien, "nouveau");
    EXPECT_TRUE(fs::is_symlink(lien));
    EXPECT_EQ(lire_fichier(vrai), "nouveau");
}

TEST_F(Fichiers, EchecsDeCreationLeventUnMessageFrancais) {
    // Un fichier ordinaire à la place du dossier parent, un dossier absent : même root échoue.
    const fs::path ordinaire = dossier_ / "ordinaire";
    ecrire_brut(ordinaire, "x");
    struct Cas {
        fs::path chemin;
        const char* raison;
    };
    const Cas cas[] = {
        {ordinaire / "tarifs.ini", "un élément du chemin n'est pas un dossier"},
        {dossier_ / "absent" / "tarifs.ini", "dossier introuvable"},
    };
    for (const auto& c : cas) {
        EXPECT_EQ(erreur_de(c.chemin, "contenu"),
                  "Impossible d'écrire le fichier « " + c.chemin.string() + " » : " + c.raison);
    }
    EXPECT_EQ(lire_fichier(ordinaire), "x");
}

TEST_F(Fichiers, UnDossierALaPlaceDuFichierResteIntact) {
    const fs::path chemin = dossier_ / "Historique";
    fs::create_directory(chemin);
    ecrire_brut(chemin / "01-2000.fct", "ligne");
    EXPECT_NE(erreur_de(chemin, "contenu").find("le chemin désigne un dossier"), std::string::npos);
    EXPECT_EQ(lire_fichier(chemin / "01-2000.fct"), "ligne");
    EXPECT_EQ(contenu_du_dossier(), std::vector<std::string>{"Historique"});
}

// Une écriture qui échoue à mi-chemin (limite de taille de fichier, comme un disque plein)
// laisse l'ancien contenu en place et aucun temporaire.
TEST_F(Fichiers, EcritureInterrompueGardeLAncienContenu) {
    const fs::path chemin = dossier_ / "lumicompteur.ini";
    const std::string ancien(10000, 'a');
    ecrire_brut(chemin, ancien);

    rlimit avant{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &avant), 0);
    const auto ancien_signal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limite = avant;
    limite.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limite), 0);
    const std::string message = erreur_de(chemin, std::string(100000, 'b'));
    ::setrlimit(RLIMIT_FSIZE, &avant);
    std::signal(SIGXFSZ, ancien_signal);

    EXPECT_EQ(message, "Impossible d'écrire le fichier « " + chemin.string() + " » : fichier trop grand");
    EXPECT_EQ(lire_fichier(chemin), ancien);
    EXPECT_EQ(contenu_du_dossier(), std::vector<std::string>{"lumicompteur.ini"});
}

TEST_F(Fichiers, SynchroniserUnDossier) {
    EXPECT_NO_THROW(synchroniser_dossier(dossier_));
    EXPECT_THROW(synchroniser_dossier(dossier_ / "absent"), ErreurFichier);
}

}  // namespace
}  // namespace lumi
