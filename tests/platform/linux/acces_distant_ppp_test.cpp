// L'accès à distance par pppd sur un dossier d'exécution d'essai et une vue du noyau factice :
// lecture des fichiers de pid, états, mémoire de l'interface, rien de relu sans changement, veille
// et détection qu'elle réveille, annuaire, numérotation et raccrochage sans shell, dossiers déplacés
// par l'environnement.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <stdexcept>
#include <thread>

#include "commun/actions_notees.hpp"
#include "base/horloge.hpp"
#include "commun/soutien.hpp"
#include "core/detection.hpp"
#include "actions/dialogue.hpp"
#include "noyau_factice.hpp"
#include "platform/linux/acces_distant_ppp.hpp"
#include "platform/linux/telephonie_absente.hpp"
#include "processus_essai.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/registre_memoire.hpp"

namespace lumi {
// Une connexion lisible dans les messages d'échec.
void PrintTo(const ConnexionDistante& c, std::ostream* os) {
    *os << "{" << c.nom_entree << ", " << c.etat << ", " << c.erreur << "}";
}
}  // namespace lumi

namespace lumi::essai {
namespace {

// Un pid qui n'est plus celui d'aucun processus : celui d'un enfant mort et récolté.
pid_t pid_mort() {
    ProcessusEssai p;
    const auto pid = p.pid();
    p.tuer();
    return pid;
}

class Ppp : public ::testing::Test {
protected:
    Ppp() {
        std::filesystem::create_directory(dossier / "peers");
        std::filesystem::create_directory(dossier / "run");
    }

    AccesDistantPpp& acces(std::chrono::milliseconds duree_deconnecte = std::chrono::milliseconds(1000)) {
        ReglagesPpp r;
        r.dossier_pairs = dossier / "peers";
        r.dossier_execution = dossier / "run";
        r.duree_deconnecte = duree_deconnecte;
        r.commande_numeroter = {"/bin/sh", "-c", "printf '%s' \"$1\" > \"$0\"", (dossier / "pon").string()};
        r.commande_raccrocher = {"/bin/sh", "-c", "printf '%s' \"$1\" > \"$0\"", (dossier / "poff").string()};
        auto noyau = std::make_unique<NoyauFactice>();
        noyau_ = noyau.get();
        acces_ = std::make_unique<AccesDistantPpp>(std::move(r), std::move(noyau));
        return *acces_;
    }
    NoyauFactice& noyau() { return *noyau_; }

    void fichier_pid(const std::string& nom, const std::string& contenu) {
        ecrire_octets(dossier / "run" / nom, contenu);
    }
    // Ce que la commande lancée a écrit (elle tourne à part : on l'attend un peu).
    std::string sortie(const std::string& nom) {
        for (int i = 0; i < 200 && !std::filesystem::exists(dossier / nom); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return std::filesystem::exists(dossier / nom) ? lire_octets(dossier / nom) : "<rien>";
    }

    DossierTemporaire dossier{"lumi-ppp"};
    ProcessusEssai pppd;

private:
    NoyauFactice* noyau_ = nullptr;
    std::unique_ptr<AccesDistantPpp> acces_;
};

const EtatInterface montee_avec_adresse{true, "10.64.64.1"};

TEST_F(Ppp, FichiersDePidLusEtFusionnes) {
    const auto vivant = std::to_string(pppd.pid());
    ProcessusEssai autre;
    struct Cas {
        const char* nom;
        std::map<std::string, std::string> fichiers;
        std::vector<ConnexionDistante> attendu;
    };
    const std::vector<Cas> cas = {
        {"aucun fichier", {}, {}},
        {"lien sans interface : numérotation", {{"ppp-MonFAI.pid", vivant + "\n"}}, {{"MonFAI", 2, 0}}},
        {"lien nommant son interface", {{"ppp-MonFAI.pid", vivant + "\nppp0\n"}}, {{"MonFAI", 8192, 0}}},
        {"pid mort : ne compte pas",
         {{"ppp-MonFAI.pid", std::to_string(pid_mort()) + "\nppp0\n"},
          {"ppp0.pid", std::to_string(pid_mort())}},
         {}},
        {"fichiers illisibles ou étrangers ignorés",
         {{"ppp-Vide.pid", ""},
          {"ppp-Texte.pid", "abc\nppp0\n"},
          {"ppp-Zero.pid", "0\n"},
          {"ppp-Negatif.pid", "-5\n"},
          {"pppx.pid", vivant},
          {"sshd.pid", vivant},
          {"ppp-.pid", vivant}},
         {}},
        {"lien et unité du même pppd : une seule connexion, l'unité l'emporte",
         {{"ppp-MonFAI.pid", vivant + "\nppp9\n"}, {"ppp0.pid", vivant + "\n"}},
         {{"MonFAI", 8192, 0}}},
        {"unité seule : nommée par l'interface faute de « call NOM »",
         {{"ppp0.pid", vivant}},
         {{"ppp0", 8192, 0}}},
        {"deux pppd rangés par pid",
         {{"ppp-Second.pid", std::to_string(std::max(pppd.pid(), autre.pid())) + "\nppp1\n"},
          {"ppp-Premier.pid", std::to_string(std::min(pppd.pid(), autre.pid())) + "\nppp0\n"}},
         {{"Premier", 8192, 0}, {"Second", 5, 0}}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        std::filesystem::remove_all(dossier / "run");
        std::filesystem::create_directory(dossier / "run");
        for (const auto& [nom, contenu] : c.fichiers) fichier_pid(nom, contenu);
        auto& a = acces();
        noyau().definir("ppp0", montee_avec_adresse);
        noyau().definir("ppp1", EtatInterface{true, ""});
        EXPECT_EQ(a.connexions(), c.attendu);
    }
}

// Un fichier de pid laissé par un pppd tué nomme un pid qui a pu resservir : seul compte un pppd
// déjà lancé quand le fichier a été écrit.
TEST_F(Ppp, SeulUnPppdPlusAncienQueSonFichierCompte) {
    // Un programme pppd lancé par un lien d'un autre nom : son nom court est celui du lien.
    std::filesystem::copy_file("/bin/sleep", dossier / "pppd");
    std::filesystem::create_symlink(dossier / "pppd", dossier / "modem");
    ProcessusEssai par_lien(std::vector<std::string>{(dossier / "modem").string(), "600"});
    ASSERT_TRUE(par_lien.vivant()) << "impossible de lancer une copie de /bin/sleep";
    ProcessusEssai autre_programme("sshd");
    const auto pid = [](const ProcessusEssai& p) { return std::to_string(p.pid()); };

    struct Cas {
        const char* nom;
        std::map<std::string, std::string> fichiers;
        std::vector<std::string> vieillis;  // fichiers datés d'une heure avant leur processus
        std::vector<ConnexionDistante> attendu;
    };
    const std::vector<Cas> cas = {
        {"pppd plus ancien que son fichier",
         {{"ppp-MonFAI.pid", pid(pppd) + "\nppp0\n"}},
         {},
         {{"MonFAI", 8192, 0}}},
        {"pppd lancé par un lien d'un autre nom",
         {{"ppp-Lien.pid", pid(par_lien) + "\nppp0\n"}},
         {},
         {{"Lien", 8192, 0}}},
        {"un autre programme a repris le pid",
         {{"ppp-MonFAI.pid", pid(autre_programme) + "\nppp0\n"}},
         {},
         {}},
        {"pppd lancé après l'écriture du fichier",
         {{"ppp-MonFAI.pid", pid(pppd) + "\nppp0\n"}},
         {"ppp-MonFAI.pid"},
         {}},
        {"fichier d'unité d'un pppd précédent : le lien du pppd actuel dit l'interface",
         {{"ppp0.pid", pid(pppd) + "\n"}, {"ppp-MonFAI.pid", pid(pppd) + "\nppp1\n"}},
         {"ppp0.pid"},
         {{"MonFAI", 5, 0}}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        std::filesystem::remove_all(dossier / "run");
        std::filesystem::create_directory(dossier / "run");
        for (const auto& [nom, contenu] : c.fichiers) fichier_pid(nom, contenu);
        for (const auto& nom : c.vieillis) {
            std::filesystem::last_write_time(
                dossier / "run" / nom, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
        }
        auto& a = acces();
        noyau().definir("ppp0", montee_avec_adresse);
        noyau().definir("ppp1", EtatInterface{true, ""});
        EXPECT_EQ(a.connexions(), c.attendu);
    }
}

TEST_F(Ppp, UnTubeAuNomDeFichierDePidNeBloquePas) {
    ASSERT_EQ(::mkfifo((dossier / "run" / "ppp-Tube.pid").c_str(), 0600), 0);
    fichier_pid("ppp-MonFAI.pid", std::to_string(pppd.pid()) + "\n");
    EXPECT_EQ(acces().connexions(), (std::vector<ConnexionDistante>{{"MonFAI", 2, 0}}));
}

TEST_F(Ppp, EtatsSuccessifsDUneConnexion) {
    fichier_pid("ppp-MonFAI.pid", std::to_string(pppd.pid()) + "\nppp0\n");
    auto& a = acces();
    const auto etat = [&] {
        const auto c = a.connexions();
        return c.empty() ? -10 : c.front().etat;
    };
    EXPECT_EQ(etat(), 2);  // l'interface n'existe pas encore
    noyau().definir("ppp0", EtatInterface{false, ""});
    EXPECT_EQ(etat(), 5);  // créée, négociation en cours
    noyau().definir("ppp0", EtatInterface{true, ""});
    EXPECT_EQ(etat(), 5);  // montée, toujours sans adresse
    noyau().definir("ppp0", EtatInterface{false, "10.64.64.1"});
    EXPECT_EQ(etat(), 5);  // une adresse mais pas encore montée
    noyau().definir("ppp0", montee_avec_adresse);
    EXPECT_EQ(etat(), 8192);
    EXPECT_EQ(a.adresse_premiere_connexion(), "10.64.64.1");
    noyau().definir("ppp0", std::nullopt);
    EXPECT_EQ(etat(), 8193);  // disparue, pppd tourne encore
    EXPECT_EQ(a.adresse_premiere_connexion(), "");
    pppd.tuer();
    EXPECT_EQ(etat(), -10);
}

TEST_F(Ppp, InterfaceDisparueRedevientNumerotationQuandPppdRenumerote) {
    // pppd (persist) a rendu son unité : son fichier d'unité est parti, le lien nomme encore ppp0.
    fichier_pid("ppp-MonFAI.pid", std::to_string(pppd.pid()) + "\nppp0\n");
    auto& a = acces(std::chrono::milliseconds(50));
    noyau().definir("ppp0", montee_avec_adresse);
    EXPECT_EQ(a.connexions().front().etat, 8192);
    noyau().definir("ppp0", std::nullopt);
    EXPECT_EQ(a.connexions().front().etat, 8193);
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    EXPECT_EQ(a.connexions().front().etat, 2);
    noyau().definir("ppp0", EtatInterface{false, ""});
    EXPECT_EQ(a.connexions().front().etat, 5);
}

TEST_F(Ppp, InterfaceDisparueResteDeconnecteeTantQuePppdTientSonUnite) {
    fichier_pid("ppp0.pid", std::to_string(pppd.pid()) + "\n");
    auto& a = acces(std::chrono::milliseconds(10));
    noyau().definir("ppp0", montee_avec_adresse);
    EXPECT_EQ(a.connexions().front().etat, 8192);
    noyau().definir("ppp0", std::nullopt);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(a.connexions().front().etat, 8193);
}

TEST_F(Ppp, RienNEstReluTantQueRienNeChange) {
    fichier_pid("ppp-MonFAI.pid", std::to_string(pppd.pid()) + "\nppp0\n");
    auto& a = acces();
    noyau().definir("ppp0", montee_avec_adresse);
    ASSERT_EQ(a.connexions().size(), 1u);
    const auto lectures = a.lectures_dossier();
    const auto rafraichissements = noyau().rafraichissements;
    // Un fichier étranger au dossier ne fait rien relire.
    ecrire_octets(dossier / "run" / "utmp", "x");
    for (int i = 0; i < 100; ++i) ASSERT_EQ(a.connexions().size(), 1u);
    EXPECT_EQ(a.lectures_dossier(), lectures);
    EXPECT_EQ(noyau().rafraichissements, rafraichissements);

    // Un nouveau fichier de pid est vu à l'interrogation suivante ; un changement du noyau aussi.
    ProcessusEssai second;
    fichier_pid("ppp-Autre.pid", std::to_string(second.pid()) + "\n");
    EXPECT_EQ(a.connexions().size(), 2u);
    EXPECT_EQ(a.lectures_dossier(), lectures + 1);
    noyau().definir("ppp0", EtatInterface{true, ""});
    EXPECT_EQ(a.connexions().front().etat, 5);
    EXPECT_EQ(a.lectures_dossier(), lectures + 1);
    // Un fichier récrit sur place (pppd qui nomme sa nouvelle unité).
    fichier_pid("ppp-MonFAI.pid", std::to_string(pppd.pid()) + "\nppp7\n");
    EXPECT_EQ(a.connexions().front().etat, 2);
}

TEST_F(Ppp, DossierDExecutionQuiApparaitPlusTard) {
    std::filesystem::remove_all(dossier / "run");
    auto& a = acces();
    EXPECT_TRUE(a.connexions().empty());
    std::filesystem::create_directory(dossier / "run");
    fichier_pid("ppp-MonFAI.pid", std::to_string(pppd.pid()) + "\n");
    EXPECT_EQ(a.connexions(), (std::vector<ConnexionDistante>{{"MonFAI", 2, 0}}));
    std::filesystem::remove_all(dossier / "run");
    EXPECT_TRUE(a.connexions().empty());
}

// --- Veille -----------------------------------------------------------------------------------

// Le descripteur de la veille est-il lisible (au plus `delai_ms` d'attente) ?
bool lisible(const AccesDistant& a, int delai_ms = 0) {
    pollfd attente{a.descripteur_veille(), POLLIN, 0};
    return ::poll(&attente, 1, delai_ms) > 0;
}

int premier_etat(const AccesDistant& a) {
    const auto c = a.connexions();
    return c.empty() ? -10 : c.front().etat;
}

TEST_F(Ppp, LaVeilleSignaleChaqueChangementPuisRetombe) {
    fichier_pid("ppp-MonFAI.pid", std::to_string(pppd.pid()) + "\nppp0\n");
    auto& a = acces(std::chrono::milliseconds(300));
    ASSERT_GE(a.descripteur_veille(), 0);
    EXPECT_FALSE(a.veille_complete());  // rien n'est encore lu ni surveillé
    a.lire_veille();
    EXPECT_TRUE(a.veille_complete());
    EXPECT_FALSE(lisible(a));
    EXPECT_EQ(premier_etat(a), 2);

    struct Etape {
        const char* nom;
        std::function<void()> faire;
        int etat;
    };
    const std::vector<Etape> etapes = {
        {"interface créée",
         [&] {
             noyau().definir("ppp0", EtatInterface{false, ""});
         },
         5},
        {"interface montée avec une adresse", [&] { noyau().definir("ppp0", montee_avec_adresse); }, 8192},
        {"fichier de pid récrit sur place, même contenu",
         [&] { fichier_pid("ppp-MonFAI.pid", std::to_string(pppd.pid()) + "\nppp0\n"); }, 8192},
        {"interface disparue, pppd vivant", [&] { noyau().definir("ppp0", std::nullopt); }, 8193},
        {"échéance de l'état déconnecté (pppd renumérote)", [] {}, 2},
        {"pppd mort", [&] { pppd.tuer(); }, -10},
    };
    for (const auto& e : etapes) {
        SCOPED_TRACE(e.nom);
        e.faire();
        EXPECT_TRUE(lisible(a, 2000));
        a.lire_veille();
        EXPECT_FALSE(lisible(a));
        EXPECT_EQ(premier_etat(a), e.etat);
        EXPECT_TRUE(a.veille_complete());
    }
    // Au repos, rien ne réveille.
    EXPECT_FALSE(lisible(a, 100));
}

TEST_F(Ppp, UnChangementLuParUnAutreReveilleQuandMemeLaVeille) {
    auto& a = acces();
    a.lire_veille();
    ProcessusEssai autre;
    fichier_pid("ppp-MonFAI.pid", std::to_string(pppd.pid()) + "\n");
    // Le top interroge le premier et vide les sources ; la veille reste lisible pour qui veille.
    EXPECT_EQ(premier_etat(a), 2);
    EXPECT_TRUE(lisible(a));
    a.lire_veille();
    EXPECT_FALSE(lisible(a));
    // Une interrogation qui ne voit rien de neuf ne réveille personne.
    EXPECT_EQ(premier_etat(a), 2);
    EXPECT_FALSE(lisible(a));
    // Un fichier étranger réveille sans rien changer : la veille retombe à la lecture.
    ecrire_octets(dossier / "run" / "ppp-Autre.pid", std::to_string(autre.pid()) + "\n");
    ecrire_octets(dossier / "run" / "utmp", "x");
    EXPECT_TRUE(lisible(a));
    a.lire_veille();
    EXPECT_FALSE(lisible(a));
    EXPECT_EQ(a.connexions().size(), 2u);
}

TEST_F(Ppp, VeilleIncompleteTantQuUnChangementPourraitLuiEchapper) {
    std::filesystem::remove_all(dossier / "run");
    ecrire_octets(dossier / "peers" / "MonFAI", "noauth\n");
    auto& a = acces();
    a.lire_veille();
    // Pas de dossier d'exécution à surveiller : son apparition ne réveillerait pas, il faut interroger.
    EXPECT_FALSE(a.veille_complete());
    std::filesystem::create_directory(dossier / "run");
    a.lire_veille();
    EXPECT_TRUE(a.veille_complete());

    // Un pon lancé est suivi par pidfd : sa fin réveille la veille, qui le récolte.
    ASSERT_TRUE(a.numeroter("MonFAI"));
    EXPECT_TRUE(a.veille_complete());
    EXPECT_TRUE(lisible(a, 2000));
    a.lire_veille();
    EXPECT_FALSE(lisible(a));
    EXPECT_EQ(sortie("pon"), "MonFAI");
}

// La détection comme la mène la fenêtre : un passage à chaque réveil de la veille, les 100 ms
// seulement quand la veille ne suffit pas.
class DetectionVeillee : public Ppp {
protected:
    Detection& demarrer() {
        acces_ = &acces();
        detection_ = std::make_unique<Detection>(
            CouturesDetection{horloge, registre, *acces_, telephonie, dialogue}, actions, dossier.chemin());
        detection_->choix_de_la_source();
        acces_->connexions();  // le premier top
        return *detection_;
    }
    // Jusqu'au calme ; rend le nombre de passages.
    int laisser_tourner() {
        for (int passages = 0; passages <= 20; ++passages) {
            if (lisible(*acces_, 200)) {
                detection_->Timer5Timer_sur_veille();
            } else if (!detection_->veille_suffit()) {
                detection_->Timer5Timer();  // les 100 ms
            } else {
                return passages;
            }
        }
        ADD_FAILURE() << "la scrutation ne se calme pas";
        return -1;
    }
    std::vector<std::string> trace() {
        return FichierIni(dossier / fichier_reglages).cles(section_trace_detection);
    }
    AccesDistantPpp& acces_veillee() { return *acces_; }

    HorlogeFactice horloge;  // minuit : la trace lit 00:00:00
    RegistreMemoire registre;
    TelephonieAbsente telephonie;
    DialogueScripte dialogue;
    ActionsNotees actions;

private:
    AccesDistantPpp* acces_ = nullptr;
    std::unique_ptr<Detection> detection_;
};

TEST_F(DetectionVeillee, ChaqueActionUneFoisSansAutreReveilQueLesChangements) {
    auto& d = demarrer();
    ASSERT_TRUE(d.surveillance_par_ras());
    EXPECT_EQ(laisser_tourner(), 0);
    EXPECT_TRUE(d.veille_suffit());

    struct Etape {
        const char* nom;
        std::function<void()> faire;
    };
    const std::vector<Etape> etapes = {
        {"numérotation", [&] { fichier_pid("ppp-MonFAI.pid", std::to_string(pppd.pid()) + "\nppp0\n"); }},
        {"authentification",
         [&] {
             noyau().definir("ppp0", EtatInterface{false, ""});
         }},
        // Le top lit le changement avant la scrutation : elle est réveillée quand même.
        {"connectée, lue d'abord par le top",
         [&] {
             noyau().definir("ppp0", montee_avec_adresse);
             premier_etat(acces_veillee());
         }},
        {"déconnectée", [&] { noyau().definir("ppp0", std::nullopt); }},
        {"pppd fini", [&] { pppd.tuer(); }},
    };
    for (const auto& e : etapes) {
        SCOPED_TRACE(e.nom);
        e.faire();
        const int passages = laisser_tourner();
        // Un passage pour le changement, un pour le signal de sa propre lecture, au plus.
        EXPECT_GE(passages, 1);
        EXPECT_LE(passages, 2);
    }
    EXPECT_EQ(actions.journal, (std::vector<std::string>{"numerotation", "connecte", "fin"}));
    EXPECT_EQ(trace(),
              (std::vector<std::string>{"2 00:00:00 part 3", "5 00:00:00 part 4", "8193 00:00:00 part 5"}));
    // Au repos, plus rien.
    EXPECT_EQ(laisser_tourner(), 0);
}

TEST_F(DetectionVeillee, UneActionEnErreurEstRetenteeCommeToutesLes100ms) {
    auto& d = demarrer();
    actions.echecs_connexion = 2;
    fichier_pid("ppp-MonFAI.pid", std::to_string(pppd.pid()) + "\nppp0\n");
    laisser_tourner();
    noyau().definir("ppp0", EtatInterface{false, ""});
    laisser_tourner();
    EXPECT_TRUE(d.veille_suffit());
    EXPECT_EQ(actions.journal, (std::vector<std::string>{"numerotation", "connecte en erreur",
                                                         "connecte en erreur", "connecte"}));
    EXPECT_EQ(trace(), (std::vector<std::string>{"2 00:00:00 part 3", "5 00:00:00 part 4"}));
}

TEST_F(Ppp, AnnuaireDesFichiersDePair) {
    for (const char* nom :
         {"MonFAI", "Autre-FAI_2", "Évasion", "provider", "a b", "-x", ".cache", "copie~"}) {
        ecrire_octets(dossier / "peers" / nom, "noauth\n");
    }
    std::filesystem::create_directory(dossier / "peers" / "sous-dossier");
    EXPECT_EQ(acces().entrees_annuaire(),
              (std::vector<std::string>{"Autre-FAI_2", "MonFAI", "provider", "Évasion"}));
    // L'annuaire vide se dit avec le dossier réellement lu.
    EXPECT_NE(acces().origine_annuaire().find("(" + (dossier / "peers").string() + ")"), std::string::npos)
        << acces().origine_annuaire();
}

TEST(NomEntree, SeulsLesNomsSursPassentAPonEtPoff) {
    for (const char* bon : {"MonFAI", "free.fr", "a+b@c", "Évasion", "x-1_2"})
        EXPECT_TRUE(nom_entree_valide(bon)) << bon;
    for (const char* mauvais : {"", "-d", ".", "..", "../etc/passwd", "a/b", "a b", "$(id)", "a;b", "a|b",
                                "*", "a\nb", "`x`", "a'b", "a\"b"}) {
        EXPECT_FALSE(nom_entree_valide(mauvais)) << mauvais;
    }
    EXPECT_FALSE(nom_entree_valide(std::string(256, 'a')));
}

TEST_F(Ppp, NumeroterLanceLaCommandeAvecLeNomEnArgument) {
    ecrire_octets(dossier / "peers" / "MonFAI", "noauth\n");
    auto& a = acces();
    EXPECT_FALSE(a.numeroter("Absent"));
    EXPECT_FALSE(a.numeroter("../peers/MonFAI"));
    EXPECT_FALSE(a.numeroter("-x"));
    EXPECT_FALSE(std::filesystem::exists(dossier / "pon"));
    EXPECT_TRUE(a.numeroter("MonFAI"));
    EXPECT_EQ(sortie("pon"), "MonFAI");
}

TEST_F(Ppp, CommandeIntrouvable) {
    ecrire_octets(dossier / "peers" / "MonFAI", "noauth\n");
    ReglagesPpp r;
    r.dossier_pairs = dossier / "peers";
    r.dossier_execution = dossier / "run";
    r.commande_numeroter = {(dossier / "pon-absent").string()};
    AccesDistantPpp a(std::move(r), std::make_unique<NoyauFactice>());
    EXPECT_FALSE(a.numeroter("MonFAI"));
}

TEST_F(Ppp, RaccrocherLaPremiereConnexion) {
    ecrire_octets(dossier / "peers" / "MonFAI", "noauth\n");
    auto& a = acces();
    EXPECT_FALSE(a.raccrocher());
    fichier_pid("ppp-MonFAI.pid", std::to_string(pppd.pid()) + "\nppp0\n");
    EXPECT_TRUE(a.raccrocher());
    EXPECT_EQ(sortie("poff"), "MonFAI");
}

TEST_F(Ppp, RaccrocherUnPppdHorsAnnuaireLuiEnvoieSIGTERM) {
    fichier_pid("ppp0.pid", std::to_string(pppd.pid()) + "\n");
    auto& a = acces();
    ASSERT_EQ(a.connexions().size(), 1u);
    EXPECT_TRUE(a.raccrocher());
    const int statut = pppd.attendre();
    EXPECT_TRUE(WIFSIGNALED(statut) && WTERMSIG(statut) == SIGTERM);
}

TEST_F(Ppp, RaccrocherNeSignaleJamaisUnAutreProcessus) {
    ProcessusEssai autre_programme("sshd");
    struct Cas {
        const char* nom;
        ProcessusEssai& processus;
        bool vieilli;
    };
    const std::vector<Cas> cas = {
        {"un autre programme a repris le pid", autre_programme, false},
        {"pppd lancé après l'écriture du fichier", pppd, true},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        std::filesystem::remove_all(dossier / "run");
        std::filesystem::create_directory(dossier / "run");
        fichier_pid("ppp0.pid", std::to_string(c.processus.pid()) + "\n");
        if (c.vieilli) {
            std::filesystem::last_write_time(
                dossier / "run" / "ppp0.pid",
                std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
        }
        auto& a = acces();
        EXPECT_TRUE(a.connexions().empty());
        EXPECT_FALSE(a.raccrocher());
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_TRUE(c.processus.vivant());
    }
}

TEST(ReglagesPpp, DossiersDeplacesParLEnvironnement) {
    ::unsetenv("LUMICOMPTEUR_PPP_PAIRS");
    ::setenv("LUMICOMPTEUR_PPP_RUN", "", 1);
    auto r = reglages_ppp_depuis_environnement();
    EXPECT_EQ(r.dossier_pairs, "/etc/ppp/peers");
    EXPECT_EQ(r.dossier_execution, "/run");
    EXPECT_EQ(r.commande_numeroter, std::vector<std::string>{"pon"});
    EXPECT_EQ(r.commande_raccrocher, std::vector<std::string>{"poff"});
    ::setenv("LUMICOMPTEUR_PPP_PAIRS", "/tmp/pairs", 1);
    ::setenv("LUMICOMPTEUR_PPP_RUN", "/tmp/run", 1);
    r = reglages_ppp_depuis_environnement();
    EXPECT_EQ(r.dossier_pairs, "/tmp/pairs");
    EXPECT_EQ(r.dossier_execution, "/tmp/run");
    ::unsetenv("LUMICOMPTEUR_PPP_PAIRS");
    ::unsetenv("LUMICOMPTEUR_PPP_RUN");
}

TEST(AdresseDuNomDHote, TexteIPv4OuVide) {
    const auto adresse = adresse_du_nom_d_hote();
    if (adresse.empty()) GTEST_SKIP() << "le nom d'hôte de cette machine ne se résout pas";
    in_addr lue{};
    EXPECT_EQ(::inet_pton(AF_INET, adresse.c_str(), &lue), 1) << adresse;
}

}  // namespace
}  // namespace lumi::essai
