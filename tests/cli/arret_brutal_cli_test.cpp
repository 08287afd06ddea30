// Arrêts brutaux à des instants pris au hasard, la fin de la connexion comprise, sur le vrai magasin
// SQLite et le vrai fichier du mois : après chaque arrêt, le démarrage suivant (reprise acceptée)
// doit laisser au plus un enregistrement, facturé une fois, sans instantané ni attente, et une base
// intègre. LUMI_ARRETS donne le nombre d'arrêts venus de l'extérieur (30 par défaut ;
// scripts/arrets-brutaux.sh en fait mille).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "../commun/soutien.hpp"
#include "base/decimal.hpp"
#include "base/texte.hpp"
#include "history/ligne_historique.hpp"
#include "settings/cles.hpp"
#include "settings/registre_sqlite.hpp"
#include "soutien_cli.hpp"

extern char** environ;

namespace lumi::cli {
namespace {

namespace fs = std::filesystem;
using horloge = std::chrono::steady_clock;

const std::string options = std::string(cles::racine) + "\\options";
constexpr std::int32_t facture_avant = 100;

// Un dossier de données d'essai : instantanés toutes les 5 secondes, une facture déjà commencée.
class Dossier {
public:
    Dossier() {
        fs::copy_file(fs::path(LUMI_DONNEES_TESTS) / "compteur_tarifs.ini", dossier_ / "tarifs.ini");
        fs::copy_file(fs::path(LUMI_DONNEES_TESTS) / "compteur_reglages.ini", dossier_ / "lumicompteur.ini");
        essai::ecrire_octets(dossier_ / "alarme.wav", "RIFF");
        RegistreSqlite registre(dossier_ / RegistreSqlite::nom_fichier);
        registre.ecrire_valeur(options, "frequence save crash", "3");
        registre.ecrire_valeur(options, "total time", std::to_string(facture_avant));
    }
    std::string chemin() const { return dossier_.chemin().string(); }
    fs::path base() const { return dossier_ / RegistreSqlite::nom_fichier; }

    std::vector<std::string> enregistrements() const { return enregistrements_du_mois(dossier_.chemin()); }

private:
    essai::DossierTemporaire dossier_{"lumi-arret"};
};

// Lance l'outil ; `tuer_apres` : SIGKILL venu de l'extérieur après ce délai. Rend le statut de waitpid.
int lancer(const std::vector<std::string>& arguments,
           std::optional<std::chrono::microseconds> tuer_apres = std::nullopt) {
    std::vector<std::string> tous{LUMI_OUTIL};
    tous.insert(tous.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& a : tous) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int e = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (e != 0) return -1;
    if (tuer_apres) {
        std::this_thread::sleep_for(*tuer_apres);
        ::kill(pid, SIGKILL);
    }
    int statut = 0;
    ::waitpid(pid, &statut, 0);
    return statut;
}

std::vector<std::string> connexion(const Dossier& d) {
    return {"simuler", "--dossier",           d.chemin(), "--entree",           "MonFAI",
            "--debut", "10/03/2000 14:00:00", "--fin",    "10/03/2000 14:10:00"};
}

// Le démarrage suivant, puis l'état que tout arrêt doit laisser. Rend le nombre d'enregistrements.
std::size_t verifier_apres_reprise(const Dossier& d) {
    const int statut =
        lancer({"simuler", "--dossier", d.chemin(), "--reprendre", "--debut", "10/03/2000 18:00:00"});
    EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 0);
    const auto lignes = d.enregistrements();
    EXPECT_LE(lignes.size(), 1u);
    RegistreSqlite registre(d.base());
    EXPECT_EQ(registre.verifier_integrite(), "ok");
    std::int32_t facturees = 0;
    for (const auto& ligne : lignes) {
        const auto e = decoder_ligne_historique(ligne);
        if (e) facturees += e->secondes;
    }
    EXPECT_EQ(registre.lire_valeur(options, "total time"), std::to_string(facture_avant + facturees));
    for (const char* nom : {"sauv crash", "sauv total facture", "sauv forfait"}) {
        EXPECT_EQ(registre.lire_valeur(options, nom), "") << nom;
    }
    EXPECT_TRUE(registre.lister_valeurs(std::string(cles::racine) + "\\enregistrements en attente").empty());
    return lignes.size();
}

bool tue(int statut) {
    return WIFSIGNALED(statut) && WTERMSIG(statut) == SIGKILL;
}

TEST(ArretBrutal, AChaqueEtapeDeLaFin) {
    for (const char* etape : {"attente", "ligne"}) {
        SCOPED_TRACE(etape);
        Dossier d;
        auto arguments = connexion(d);
        arguments.insert(arguments.end(), {"--tuer-a-l-etape", etape});
        ASSERT_TRUE(tue(lancer(arguments)));
        EXPECT_EQ(verifier_apres_reprise(d), 1u);
        EXPECT_TRUE(d.enregistrements()[0].find(";00:10:00;") != std::string::npos) << d.enregistrements()[0];
    }
}

TEST(ArretBrutal, EnPleineConnexion) {
    std::mt19937 hasard(20001210);
    std::uniform_int_distribution<int> seconde(0, 599);
    for (int i = 0; i < 20; ++i) {
        const int s = seconde(hasard);
        SCOPED_TRACE("tué après " + std::to_string(s) + " s");
        Dossier d;
        auto arguments = connexion(d);
        arguments.insert(arguments.end(), {"--tuer-apres", std::to_string(s)});
        ASSERT_TRUE(tue(lancer(arguments)));
        EXPECT_EQ(verifier_apres_reprise(d), 1u);
    }
}

// Des arrêts venus de l'extérieur à un instant quelconque du rejeu, de son lancement à ses
// dernières écritures : avant la connexion, il ne reste rien ; après, exactement une connexion.
TEST(ArretBrutal, VenuDeLExterieur) {
    int arrets = 30;
    if (const char* n = std::getenv("LUMI_ARRETS")) arrets = std::max(1, std::atoi(n));

    // La durée d'un rejeu entier sur cette machine borne les instants tirés.
    horloge::duration duree{};
    {
        Dossier d;
        const auto debut = horloge::now();
        ASSERT_EQ(lancer(connexion(d)), 0);
        duree = horloge::now() - debut;
        EXPECT_EQ(d.enregistrements().size(), 1u);
    }
    std::mt19937 hasard(1210);
    std::uniform_int_distribution<std::int64_t> instant(
        0, std::chrono::duration_cast<std::chrono::microseconds>(duree).count());
    int avec_enregistrement = 0;
    for (int i = 0; i < arrets; ++i) {
        const std::chrono::microseconds delai(instant(hasard));
        SCOPED_TRACE("tué après " + std::to_string(delai.count()) + " µs");
        Dossier d;
        lancer(connexion(d), delai);
        avec_enregistrement += static_cast<int>(verifier_apres_reprise(d));
        if (::testing::Test::HasFailure()) break;
    }
    std::printf("%d arrêts venus de l'extérieur, %d après le début de la connexion\n", arrets,
                avec_enregistrement);
}

}  // namespace
}  // namespace lumi::cli
