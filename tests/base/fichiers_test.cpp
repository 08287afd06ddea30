#include "base/fichiers.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <windows.h>

#include "base/posix_windows.hpp"
#else
#include <sys/resource.h>
#include <sys/wait.h>
#endif

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/descripteur.hpp"
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

// Le numéro d'un processus fini : un arrêt brutal a laissé son temporaire.
int processus_fini() {
#ifdef _WIN32
    STARTUPINFOW demarrage{};
    demarrage.cb = sizeof demarrage;
    PROCESS_INFORMATION processus{};
    std::wstring ligne = L"cmd.exe /c exit 0";
    if (!::CreateProcessW(nullptr, ligne.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &demarrage, &processus)) {
        return -1;
    }
    ::WaitForSingleObject(processus.hProcess, INFINITE);
    ::CloseHandle(processus.hThread);
    ::CloseHandle(processus.hProcess);
    return static_cast<int>(processus.dwProcessId);
#else
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
#endif
}

// Les temporaires d'un processus tué partent avant la réécriture de leur fichier, et tous au
// démarrage ; ceux d'un processus en vie, d'un autre fichier ou d'un autre nom restent.
TEST_F(Fichiers, LesTemporairesDUnProcessusTuePartent) {
    const std::string mort = std::to_string(processus_fini());
    const std::string vivant = std::to_string(::getpid());
    const std::vector<std::string> noms{
        ".janvier00.fct." + mort + "-0-1a2b.tmp", ".janvier00.fct." + vivant + "-3-ff.tmp",
        ".mars00.fct." + mort + "-1-0.tmp", ".janvier00.fct.tmp", "janvier00.fct." + mort + "-0-1.tmp"};
    for (const auto& nom : noms) ecrire_brut(dossier_ / nom, "x");
    remplacer_fichier(dossier_ / "janvier00.fct", "y");
    auto attendus = std::vector<std::string>{noms[1], noms[2], noms[3], noms[4], "janvier00.fct"};
    std::sort(attendus.begin(), attendus.end());
    EXPECT_EQ(contenu_du_dossier(), attendus);

    EXPECT_EQ(oter_temporaires_abandonnes(dossier_), 1);  // celui de mars
    std::erase(attendus, noms[2]);
    EXPECT_EQ(contenu_du_dossier(), attendus);
}

// Les droits POSIX et le masque de création n'existent pas sous Windows (le profil de
// l'utilisateur est déjà à lui seul) : ces trois essais sont propres à Linux.
#ifndef _WIN32
TEST_F(Fichiers, GardeLesDroitsDeLAncienFichier) {
    const fs::path chemin = dossier_ / "secret.ini";
    ecrire_brut(chemin, "ancien");
    ASSERT_EQ(::chmod(chemin.c_str(), 0600), 0);
    remplacer_fichier(chemin, "nouveau");
    struct stat s {};
    ASSERT_EQ(::stat(chemin.c_str(), &s), 0);
    EXPECT_EQ(s.st_mode & 07777, 0600u);
}

// Heures d'appel, coûts et noms ne regardent que l'utilisateur : ce que le programme crée est privé
// quel que soit le masque, y compris un masque qui ôterait au propriétaire le droit d'écrire.
TEST_F(Fichiers, CeQuiEstCreeEstPriveQuelQueSoitLeMasque) {
    using essai::droits_de;
    for (const mode_t masque : {mode_t{022}, mode_t{0}, mode_t{0277}}) {
        SCOPED_TRACE("masque " + std::to_string(masque));
        const essai::MasqueCreation m(masque);
        const fs::path donnees = dossier_ / ("donnees-" + std::to_string(masque));
        ASSERT_FALSE(creer_dossiers_prives(donnees / "Historique"));
        EXPECT_EQ(droits_de(donnees), 0700);
        EXPECT_EQ(droits_de(donnees / "Historique"), 0700);
        EXPECT_FALSE(creer_dossiers_prives(donnees / "Historique"));  // déjà là : rien à faire

        remplacer_fichier(donnees / "lumicompteur.ini", "[test]\r\n");
        EXPECT_EQ(droits_de(donnees / "lumicompteur.ini"), 0600);

        const fs::path mois = donnees / "Historique" / "janvier2024.fct";
        Descripteur fd(ouvrir_ou_creer_prive(mois, O_RDWR | O_APPEND));
        ASSERT_TRUE(fd.valide()) << raison_erreur_fichier(errno);
        EXPECT_EQ(::write(fd.get(), "ligne\r\n", 7), 7);
        EXPECT_EQ(droits_de(mois), 0600);
    }
}

// Ce qui existait garde ses droits : ni élargis, ni resserrés dans le dos de l'utilisateur.
TEST_F(Fichiers, CeQuiExistaitGardeSesDroits) {
    using essai::droits_de;
    const essai::MasqueCreation m(0);
    const fs::path partage = dossier_ / "partage";
    ASSERT_EQ(::mkdir(partage.c_str(), 0755), 0);
    ASSERT_FALSE(creer_dossiers_prives(partage / "lumicompteur"));
    EXPECT_EQ(droits_de(partage), 0755);
    EXPECT_EQ(droits_de(partage / "lumicompteur"), 0700);

    const fs::path ini = partage / "Couleur.ini";
    ecrire_brut(ini, "ancien");
    ASSERT_EQ(::chmod(ini.c_str(), 0640), 0);
    remplacer_fichier(ini, "nouveau");
    EXPECT_EQ(droits_de(ini), 0640);
    // Des droits donnés l'emportent sur ceux de l'ancien fichier (une copie prend ceux de l'original).
    remplacer_fichier(ini, "copie", {}, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(droits_de(ini), 0600);

    // Un fichier existant est ouvert tel quel : ni vidé, ni changé de droits.
    const fs::path mois = partage / "mars2024.fct";
    ecrire_brut(mois, "entete\r\n");
    ASSERT_EQ(::chmod(mois.c_str(), 0644), 0);
    Descripteur fd(ouvrir_ou_creer_prive(mois, O_RDWR | O_APPEND));
    ASSERT_TRUE(fd.valide());
    EXPECT_EQ(::write(fd.get(), "ligne\r\n", 7), 7);
    EXPECT_EQ(droits_de(mois), 0644);
    EXPECT_EQ(lire_fichier(mois), "entete\r\nligne\r\n");
}
#endif

TEST_F(Fichiers, CreerUnDossierSousUnFichierEchoueAvecSaCause) {
    ecrire_brut(dossier_ / "fichier", "x");
    const auto ec = creer_dossiers_prives(dossier_ / "fichier" / "Historique");
    EXPECT_EQ(ec, std::errc::not_a_directory);
    EXPECT_EQ(raison_erreur_fichier(ec.value()), "un élément du chemin n'est pas un dossier");
    EXPECT_EQ(creer_dossiers_prives(dossier_ / "fichier"), std::errc::not_a_directory);
}

TEST_F(Fichiers, UnLienSymboliqueResteUnLien) {
#ifdef _WIN32
    GTEST_SKIP() << "liens symboliques : std::filesystem de MinGW ne sait pas les créer, et Windows "
                    "demande un privilège pour cela";
#endif
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
// laisse l'ancien contenu en place et aucun temporaire. La limite (setrlimit) n'existe que sous Linux.
#ifndef _WIN32
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
#endif

TEST_F(Fichiers, SynchroniserUnDossier) {
    EXPECT_NO_THROW(synchroniser_dossier(dossier_));
    EXPECT_THROW(synchroniser_dossier(dossier_ / "absent"), ErreurFichier);
}

}  // namespace
}  // namespace lumi
