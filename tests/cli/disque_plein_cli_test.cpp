// Disque plein, pour de vrai : un petit tmpfs monté par l'essai (il faut être root), rempli à
// quelques kilo-octets près, et une connexion rejouée dedans. Chaque échec doit être dit ; une fois
// la place revenue, le démarrage suivant ne perd ni ne double rien de ce qui a été gardé.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "../commun/soutien.hpp"
#include "base/texte.hpp"
#include "history/ligne_historique.hpp"
#include "settings/cles.hpp"
#include "settings/registre_sqlite.hpp"
#include "soutien_cli.hpp"

namespace lumi::cli {
namespace {

namespace fs = std::filesystem;

const std::string options = std::string(cles::racine) + "\\options";

// Un tmpfs de 2 Mio monté sur un dossier temporaire, démonté à la fin.
class PetitDisque {
public:
    PetitDisque() {
        if (::mount("tmpfs", dossier_.chemin().c_str(), "tmpfs", 0, "size=2m,mode=0700") == 0) {
            monte_ = true;
        } else {
            raison_ = std::strerror(errno);
        }
    }
    ~PetitDisque() {
        if (monte_) ::umount2(dossier_.chemin().c_str(), MNT_DETACH);
    }
    bool monte() const { return monte_; }
    const std::string& raison() const { return raison_; }
    fs::path chemin() const { return dossier_.chemin(); }

    // Remplit le disque, puis rend `libre` octets.
    void remplir(std::size_t libre) {
        const fs::path bourre = chemin() / "bourre";
        const int fd = ::open(bourre.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        std::vector<char> zeros(4096, 0);
        while (::write(fd, zeros.data(), zeros.size()) > 0) {
        }
        const off_t taille = ::lseek(fd, 0, SEEK_END);
        ASSERT_EQ(
            ::ftruncate(fd, taille > static_cast<off_t>(libre) ? taille - static_cast<off_t>(libre) : 0), 0);
        ::close(fd);
    }
    void liberer() { fs::remove(chemin() / "bourre"); }

private:
    essai::DossierTemporaire dossier_{"lumi-disque"};
    bool monte_ = false;
    std::string raison_;
};

TEST(DisquePlein, RienNEstNiTuNiPerduNiDouble) {
    if (::geteuid() != 0) GTEST_SKIP() << "Essai sauté : monter un petit disque (tmpfs) demande d'être root.";
    for (const std::size_t libre :
         {std::size_t{0}, std::size_t{8192}, std::size_t{32768}, std::size_t{65536}, std::size_t{98304}}) {
        SCOPED_TRACE("libre : " + std::to_string(libre) + " octets");
        PetitDisque disque;
        if (!disque.monte())
            GTEST_SKIP() << "Essai sauté : tmpfs impossible à monter (" << disque.raison() << ").";
        const fs::path dossier = disque.chemin() / "donnees";
        fs::create_directories(dossier);
        fs::copy_file(fs::path(LUMI_DONNEES_TESTS) / "compteur_tarifs.ini", dossier / "tarifs.ini");
        fs::copy_file(fs::path(LUMI_DONNEES_TESTS) / "compteur_reglages.ini", dossier / "lumicompteur.ini");
        essai::ecrire_octets(dossier / "alarme.wav", "RIFF");
        {
            RegistreSqlite registre(dossier / RegistreSqlite::nom_fichier);
            registre.ecrire_valeur(options, "frequence save crash", "3");
            registre.ecrire_valeur(options, "total time", "100");
        }
        // Un premier démarrage garnit le dossier (aide) avant que le disque ne se remplisse.
        ASSERT_EQ(lancer_programme("simuler --dossier '" + dossier.string() + "' --reprendre").statut, 0);
        disque.remplir(libre);

        const auto r =
            lancer_programme("simuler --dossier '" + dossier.string() +
                             "' --entree MonFAI --debut '10/03/2000 14:00:00' --fin '10/03/2000 14:30:00'");
        ASSERT_TRUE(WIFEXITED(r.statut)) << r.texte;
        const bool ecrite = r.texte.find("\nligne=") != std::string::npos;
        // Rien n'est tu : sans enregistrement écrit, un avertissement le dit.
        if (!ecrite) {
            EXPECT_TRUE(r.texte.find("avertissement=") != std::string::npos ||
                        (r.texte.find("Erreur :") != std::string::npos && WEXITSTATUS(r.statut) != 0))
                << r.texte;
        }
        if (std::getenv("LUMI_BAVARD")) std::printf("%s\n", r.texte.c_str());
        // Un premier ajout raté ne laisse pas de fichier du mois vide.
        const fs::path mois = dossier / "Historique" / "mars00.fct";
        if (fs::exists(mois)) {
            EXPECT_GT(fs::file_size(mois), 0u);
        }
        const bool gardee = ecrite || r.texte.find("gardée dans la base") != std::string::npos;
        // Un enregistrement que seule la mémoire tenait : le rejeu échoue et dit ce qui reste.
        if (r.texte.find("non_enregistree=") != std::string::npos) {
            EXPECT_NE(WEXITSTATUS(r.statut), 0) << r.texte;
            EXPECT_NE(r.texte.find("n'a pu être enregistrée"), std::string::npos) << r.texte;
        } else if (!ecrite) {
            EXPECT_TRUE(gardee || WEXITSTATUS(r.statut) != 0) << r.texte;
        }

        disque.liberer();
        const auto reprise = lancer_programme("simuler --dossier '" + dossier.string() +
                                              "' --reprendre --debut '10/03/2000 18:00:00'");
        ASSERT_TRUE(WIFEXITED(reprise.statut) && WEXITSTATUS(reprise.statut) == 0) << reprise.texte;
        const auto lignes = enregistrements_du_mois(dossier);
        EXPECT_LE(lignes.size(), 1u);
        // Ce que le programme a dit gardé est là, entier.
        if (gardee) {
            ASSERT_EQ(lignes.size(), 1u) << r.texte << reprise.texte;
            EXPECT_NE(lignes[0].find(";00:30:00;"), std::string::npos) << lignes[0];
        }
        RegistreSqlite registre(dossier / RegistreSqlite::nom_fichier);
        EXPECT_EQ(registre.verifier_integrite(), "ok");
        std::int32_t facturees = 0;
        for (const auto& l : lignes) facturees += decoder_ligne_historique(l)->secondes;
        EXPECT_EQ(registre.lire_valeur(options, "total time"), std::to_string(100 + facturees));
        EXPECT_EQ(registre.lire_valeur(options, "sauv crash"), "");
        EXPECT_TRUE(
            registre.lister_valeurs(std::string(cles::racine) + "\\enregistrements en attente").empty());
        std::printf("libre %zu o : pendant le rejeu %s ; après la place revenue, %zu enregistrement(s)\n",
                    libre, ecrite ? "écrit" : (gardee ? "gardé en attente" : "signalé, non gardé"),
                    lignes.size());
    }
}

}  // namespace
}  // namespace lumi::cli
