// Disque plein, pour de vrai : un petit tmpfs monté par l'essai (il faut être root), rempli à
// quelques kilo-octets près, et une connexion rejouée dedans. Chaque échec doit être dit ; une fois
// la place revenue, le démarrage suivant ne perd ni ne double rien de ce qui a été gardé.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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

// Le dossier de données sur le petit disque, après un premier démarrage qui le garnit (aide, réserve
// de la base) avant que le disque ne se remplisse.
fs::path garnir_dossier(const PetitDisque& disque) {
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
    const auto premier = lancer_programme("simuler --dossier '" + dossier.string() + "' --reprendre");
    EXPECT_EQ(premier.statut, 0) << premier.texte;
    return dossier;
}

Sortie rejouer(const fs::path& dossier, const std::string& debut, const std::string& fin) {
    return lancer_programme("simuler --dossier '" + dossier.string() +
                            "' --entree MonFAI --debut '10/03/2000 " + debut + "' --fin '10/03/2000 " + fin +
                            "'");
}

// La valeur `cle=` d'une sortie de l'outil ; vide si absente.
std::string valeur_sortie(const std::string& texte, const std::string& cle) {
    const auto p = texte.find("\n" + cle + "=");
    if (p == std::string::npos) return {};
    const auto debut = p + cle.size() + 2;
    return texte.substr(debut, texte.find('\n', debut) - debut);
}

TEST(DisquePlein, RienNEstNiTuNiPerduNiDouble) {
    if (::geteuid() != 0) GTEST_SKIP() << "Essai sauté : monter un petit disque (tmpfs) demande d'être root.";
    for (const std::size_t libre :
         {std::size_t{0}, std::size_t{8192}, std::size_t{32768}, std::size_t{65536}, std::size_t{98304}}) {
        SCOPED_TRACE("libre : " + std::to_string(libre) + " octets");
        PetitDisque disque;
        if (!disque.monte())
            GTEST_SKIP() << "Essai sauté : tmpfs impossible à monter (" << disque.raison() << ").";
        const fs::path dossier = garnir_dossier(disque);
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

// Deux connexions de suite sur un disque plein, chacune dans son processus. Avec la réserve de la
// base, les deux sont gardées entières ; sans elle, la seconde ne remplace jamais l'instantané qui
// garde la première. La place revenue : chaque connexion au plus une fois, telle que le rejeu l'a
// dite gardée, facturée une fois.
TEST(DisquePlein, DeuxConnexionsNiPerduesNiDoublees) {
    if (::geteuid() != 0) GTEST_SKIP() << "Essai sauté : monter un petit disque (tmpfs) demande d'être root.";
    struct Cas {
        std::size_t libre;
        bool reserve;
    };
    for (const Cas cas : {Cas{0, true}, Cas{16384, true}, Cas{49152, true}, Cas{65536, true},
                          Cas{49152, false}, Cas{65536, false}}) {
        SCOPED_TRACE("libre : " + std::to_string(cas.libre) + " octets, " +
                     (cas.reserve ? "avec réserve" : "sans réserve"));
        PetitDisque disque;
        if (!disque.monte())
            GTEST_SKIP() << "Essai sauté : tmpfs impossible à monter (" << disque.raison() << ").";
        const fs::path dossier = garnir_dossier(disque);
        ASSERT_TRUE(fs::exists(dossier / "reglages.sqlite-reserve"));
        if (!cas.reserve) fs::remove(dossier / "reglages.sqlite-reserve");
        disque.remplir(cas.libre);

        const Sortie rejeux[] = {rejouer(dossier, "14:00:00", "14:30:00"),
                                 rejouer(dossier, "15:00:00", "15:30:00")};
        disque.liberer();
        const auto reprise = lancer_programme("simuler --dossier '" + dossier.string() +
                                              "' --reprendre --debut '10/03/2000 18:00:00'");
        ASSERT_TRUE(WIFEXITED(reprise.statut) && WEXITSTATUS(reprise.statut) == 0) << reprise.texte;
        const auto lignes = enregistrements_du_mois(dossier);
        const auto texte = [&] { return rejeux[0].texte + rejeux[1].texte + reprise.texte; };

        for (int i = 0; i < 2; ++i) {
            const auto& r = rejeux[i];
            const std::string heure = i == 0 ? ";14H00;" : ";15H00;";
            const auto trouvees = std::count_if(lignes.begin(), lignes.end(), [&](const std::string& l) {
                return l.find(heure) != std::string::npos;
            });
            EXPECT_LE(trouvees, 1) << texte();
            const bool gardee = r.texte.find("\nligne=") != std::string::npos ||
                                r.texte.find("gardée dans la base") != std::string::npos;
            const std::string instantane = valeur_sortie(r.texte, "instantane");
            if (gardee) {
                // Dite gardée : entière, quel que soit le rejeu suivant.
                EXPECT_EQ(WEXITSTATUS(r.statut), 0) << r.texte;
                EXPECT_NE(std::find_if(lignes.begin(), lignes.end(),
                                       [&](const std::string& l) {
                                           return l.find(heure) != std::string::npos &&
                                                  l.find(";00:30:00;") != std::string::npos;
                                       }),
                          lignes.end())
                    << texte();
            } else {
                // Non gardée : le rejeu échoue, et son dernier instantané survit au rejeu suivant.
                EXPECT_NE(WEXITSTATUS(r.statut), 0) << r.texte;
                if (!instantane.empty()) {
                    EXPECT_NE(std::find(lignes.begin(), lignes.end(), instantane), lignes.end()) << texte();
                }
            }
            // Avec la réserve, rien ne manque : les deux connexions sont gardées entières.
            if (cas.reserve) {
                EXPECT_TRUE(gardee) << r.texte;
            }
        }

        RegistreSqlite registre(dossier / RegistreSqlite::nom_fichier);
        EXPECT_EQ(registre.verifier_integrite(), "ok");
        std::int32_t facturees = 0;
        for (const auto& l : lignes) facturees += decoder_ligne_historique(l)->secondes;
        EXPECT_EQ(registre.lire_valeur(options, "total time"), std::to_string(100 + facturees)) << texte();
        std::printf(
            "libre %zu o, %s : codes des rejeux %d et %d ; après la place revenue, %zu enregistrement(s), "
            "%d s facturées\n",
            cas.libre, cas.reserve ? "avec réserve" : "sans réserve", WEXITSTATUS(rejeux[0].statut),
            WEXITSTATUS(rejeux[1].statut), lignes.size(), facturees);
        EXPECT_EQ(registre.lire_valeur(options, "sauv crash"), "");
        EXPECT_TRUE(
            registre.lister_valeurs(std::string(cles::racine) + "\\enregistrements en attente").empty());
    }
}

// Sur un disque plein à 0 octet près, les commandes qui ne font que lire marchent (la base s'ouvre
// en lecture seule) ; une écriture refusée faute de place le dit.
TEST(DisquePlein, LesLecturesMarchentLEcritureDitDisquePlein) {
    if (::geteuid() != 0) GTEST_SKIP() << "Essai sauté : monter un petit disque (tmpfs) demande d'être root.";
    PetitDisque disque;
    if (!disque.monte())
        GTEST_SKIP() << "Essai sauté : tmpfs impossible à monter (" << disque.raison() << ").";
    const fs::path dossier = garnir_dossier(disque);
    ASSERT_EQ(rejouer(dossier, "14:00:00", "14:30:00").statut, 0);
    // Sans réserve : rien ne peut plus s'écrire, pas même le -shm de la base.
    fs::remove(dossier / "reglages.sqlite-reserve");
    disque.remplir(0);
    const std::string d = " --dossier '" + dossier.string() + "'";

    struct Cas {
        std::string arguments;
        int statut;
        std::string attendu;
    };
    for (const Cas& cas : {
             Cas{"historique" + d + " --mois 03/2000 --lignes", 0,
                 "\nligne=non identifié;MonFAI;10/03/2000;14H00"},
             Cas{"historique" + d, 0, "periode_secondes="},
             Cas{"registre lire" + d + " options 'total time'", 0, "total time=1900"},
             Cas{"registre lister" + d + " options", 0, "frequence save crash=3"},
             Cas{"jour --date 10/03/2000" + d + " --tarif Seconde --heure 14:00:00", 0, ""},
             Cas{"prix" + d + " --tarif Seconde --debut '10/03/2000 14:00:00' --fin '10/03/2000 14:10:00'", 0,
                 ""},
             Cas{"registre ecrire" + d + " options essai 1", 1, "disque plein"},
         }) {
        SCOPED_TRACE(cas.arguments);
        const auto r = lancer_programme(cas.arguments);
        ASSERT_TRUE(WIFEXITED(r.statut)) << r.texte;
        EXPECT_EQ(WEXITSTATUS(r.statut), cas.statut) << r.texte;
        EXPECT_NE(r.texte.find(cas.attendu), std::string::npos) << r.texte;
        EXPECT_EQ(r.texte.find("entrée-sortie"), std::string::npos) << r.texte;
    }
    disque.liberer();
    EXPECT_EQ(enregistrements_du_mois(dossier).size(), 1u);
    EXPECT_EQ(RegistreSqlite(dossier / RegistreSqlite::nom_fichier).verifier_integrite(), "ok");
}

}  // namespace
}  // namespace lumi::cli
