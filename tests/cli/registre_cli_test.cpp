#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/commandes.hpp"
#include "commun/magasin_local.hpp"
#include "commun/soutien.hpp"
#include "lancer_outil.hpp"
#include "soutien_cli.hpp"

namespace lumi::cli {
namespace {

namespace fs = std::filesystem;

class RegistreCli : public ::testing::Test {
protected:
    // registre ACTION --dossier <temporaire> ARGS...
    Resultat registre(const std::string& action, std::vector<std::string> args) {
        std::vector<std::string> tout{"registre", action, "--dossier", dossier_.string()};
        tout.insert(tout.end(), args.begin(), args.end());
        return lancer(tout);
    }
    // Lit la base directement, comme le ferait le programme.
    std::string lire_base(const std::string& cle, const std::string& nom) const {
        RegistreLocal r(dossier_ / RegistreLocal::nom_fichier);
        return r.lire_valeur("Software\\Korvanelle Software\\Lumicompteur 99" + cle, nom);
    }

    essai::MagasinLocalVide magasin_;
    essai::DossierTemporaire temporaire_{"lumi-registre-cli"};
    fs::path dossier_ = temporaire_.chemin();
};

TEST_F(RegistreCli, EcrireLireListerEffacer) {
    auto r = registre("ecrire", {"\\providers\\MonFAI", "tarification", "France Télécom local"});
    ASSERT_EQ(r.code, sortie_ok) << r.erreur;
    EXPECT_EQ(r.sortie, "");
    EXPECT_EQ(lire_base("\\providers\\MonFAI", "tarification"), "France Télécom local");
    ASSERT_EQ(registre("ecrire", {"\\providers\\MonFAI", "anticipation", "5"}).code, sortie_ok);
    ASSERT_EQ(registre("ecrire", {"\\providers\\MonFAI\\sous", "x", "1"}).code, sortie_ok);
    ASSERT_EQ(registre("ecrire", {"options", "taille", "reduite"}).code, sortie_ok);  // sans "\" initial

    r = registre("lire", {"\\PROVIDERS\\monfai", "Tarification"});
    EXPECT_EQ(r.code, sortie_ok);
    EXPECT_EQ(r.sortie, "Tarification=France Télécom local\n");
    r = registre("lire", {"\\options", "absente"});
    EXPECT_EQ(r.code, sortie_ok);
    EXPECT_EQ(r.sortie, "absente=\n");

    // Les sous-clés, puis les valeurs, chacune dans l'ordre du magasin : celui de la création, ou
    // celui du registre de Windows (alphabétique).
    r = registre("lister", {"\\providers\\MonFAI"});
    EXPECT_EQ(r.code, sortie_ok);
#ifdef _WIN32
    EXPECT_EQ(r.sortie, "cle=sous\nanticipation=5\ntarification=France Télécom local\n");
    r = registre("lister", {""});  // la racine
    EXPECT_EQ(r.sortie, "cle=options\ncle=providers\n");
#else
    EXPECT_EQ(r.sortie, "cle=sous\ntarification=France Télécom local\nanticipation=5\n");
    r = registre("lister", {""});  // la racine
    EXPECT_EQ(r.sortie, "cle=providers\ncle=options\n");
#endif
    r = registre("lister", {"\\absente"});
    EXPECT_EQ(r.code, sortie_ok);
    EXPECT_EQ(r.sortie, "");

    ASSERT_EQ(registre("effacer", {"\\providers\\MonFAI", "ANTICIPATION"}).code, sortie_ok);
    EXPECT_EQ(registre("lister", {"\\providers\\MonFAI"}).sortie,
              "cle=sous\ntarification=France Télécom local\n");
    ASSERT_EQ(registre("effacer", {"\\providers"}).code, sortie_ok);
    EXPECT_EQ(registre("lister", {""}).sortie, "cle=options\n");
    // Effacer ce qui manque n'est pas une erreur.
    EXPECT_EQ(registre("effacer", {"\\providers"}).code, sortie_ok);
    EXPECT_EQ(registre("effacer", {"\\options", "absente"}).code, sortie_ok);
    EXPECT_EQ(lire_base("\\options", "taille"), "reduite");
}

TEST_F(RegistreCli, MauvaisArgumentsUsageEtCode2) {
    struct Cas {
        const char* nom;
        std::vector<std::string> arguments;
        const char* detail;
    };
    const std::string d = "--dossier";
    const Cas cas[] = {
        {"sans action", {"registre"}, "action manquante"},
        {"action inconnue", {"registre", "copier", "k"}, "action inconnue « copier »"},
        {"lire sans nom", {"registre", "lire", "k"}, "lire attend CLE et NOM"},
        {"lire de trop", {"registre", "lire", "k", "n", "v"}, "lire attend CLE et NOM"},
        {"ecrire sans valeur", {"registre", "ecrire", "k", "n"}, "ecrire attend CLE, NOM et VALEUR"},
        {"effacer sans cle", {"registre", "effacer"}, "effacer attend CLE"},
        {"lister de trop", {"registre", "lister", "k", "n"}, "lister attend CLE seule"},
        {"dossier sans chemin", {"registre", "lister", "k", d}, "--dossier attend"},
        {"dossier vide", {"registre", "lister", "--dossier=", "k"}, "--dossier attend"},
        {"dossier deux fois", {"registre", "lister", d, "a", d, "b", "k"}, "deux fois"},
        {"option inconnue", {"registre", "lister", "--force", "k"}, "option inconnue « --force »"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        const auto r = lancer(c.arguments);
        EXPECT_EQ(r.code, sortie_usage);
        EXPECT_EQ(r.sortie, "");
        EXPECT_NE(r.erreur.find(c.detail), std::string::npos) << r.erreur;
        EXPECT_NE(r.erreur.find("Usage :"), std::string::npos);
        EXPECT_NE(r.erreur.find("registre lire|ecrire|effacer|lister"), std::string::npos);
    }
    EXPECT_TRUE(fs::is_empty(dossier_));  // rien n'a été ouvert
}

TEST_F(RegistreCli, DoubleTiretPermetUnNomCommencantParTirets) {
    ASSERT_EQ(lancer({"registre", "ecrire", "--dossier=" + dossier_.string(), "--", "k", "--nom", "-1"}).code,
              sortie_ok);
    EXPECT_EQ(lire_base("\\k", "--nom"), "-1");
}

// Une base abîmée : propre à SQLite (sous Windows, le registre est celui du système).
#ifndef _WIN32
TEST_F(RegistreCli, UneBaseIllisibleEstSignaleeSurLaSortieDErreur) {
    std::ofstream(dossier_ / RegistreLocal::nom_fichier, std::ios::binary) << "pas une base du tout";
    // Une lecture le dit et ne touche à rien ; une écriture la met de côté.
    const auto r = registre("lire", {"\\options", "taille"});
    EXPECT_EQ(r.code, sortie_ok);
    EXPECT_EQ(r.sortie, "taille=\n");
    EXPECT_NE(r.erreur.find("Avertissement : "), std::string::npos) << r.erreur;
    EXPECT_NE(r.erreur.find("illisible"), std::string::npos) << r.erreur;
    EXPECT_EQ(essai::lire_octets(dossier_ / RegistreLocal::nom_fichier), "pas une base du tout");
    const auto e = registre("ecrire", {"\\options", "taille", "1"});
    EXPECT_EQ(e.code, sortie_ok);
    EXPECT_NE(e.erreur.find("mise de côté"), std::string::npos) << e.erreur;
}
#endif

TEST_F(RegistreCli, UnDossierInutilisableDonneUneErreur) {
    const fs::path fichier = dossier_ / "un fichier";
    std::ofstream(fichier) << "x";
    std::ostringstream sortie, erreur;
    const int code =
        executer(std::vector<std::string>{"registre", "lire", "--dossier", fichier.string(), "k", "n"},
                 {sortie, erreur});
    EXPECT_EQ(code, sortie_erreur);
    EXPECT_EQ(sortie.str(), "");
    EXPECT_NE(erreur.str().find("Erreur : "), std::string::npos) << erreur.str();
}

// Le vrai programme : codes de sortie et flux séparés.
TEST_F(RegistreCli, LeProgrammeRendSesCodesDeSortie) {
    const std::string outil = LUMI_OUTIL;
    const std::string d = "'" + dossier_.string() + "'";
    auto lancer_shell = [](const std::string& commande, std::string* sortie = nullptr) {
        FILE* tube = ::popen(pour_le_shell(commande).c_str(), "r");
        if (tube == nullptr) return -1;
        std::string lu;
        char tampon[256];
        while (std::fgets(tampon, sizeof tampon, tube) != nullptr) lu += tampon;
        const int etat = ::pclose(tube);
        if (sortie != nullptr) *sortie = lu;
        return WIFEXITED(etat) ? WEXITSTATUS(etat) : -1;
    };
    EXPECT_EQ(lancer_shell(outil + " registre ecrire --dossier " + d + " '\\options' 'son alarme' 'a b.wav'"),
              0);
    std::string sortie;
    EXPECT_EQ(lancer_shell(outil + " registre lire --dossier " + d + " '\\options' 'son alarme' 2>/dev/null",
                           &sortie),
              0);
    EXPECT_EQ(sortie, "son alarme=a b.wav\n");
    EXPECT_EQ(lancer_shell(outil + " registre lire --dossier " + d + " 2>&1", &sortie), 2);
    EXPECT_NE(sortie.find("Usage :"), std::string::npos);
}

}  // namespace
}  // namespace lumi::cli
