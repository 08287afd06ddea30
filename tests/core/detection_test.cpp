// La détection rejouée sur les coutures simulées : choix de la source, scrutation et ses verrous,
// trace, événements de la téléphonie, changement de source à la main, poignées rendues ; puis le
// compteur complet mené par la détection.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "essai_compteur.hpp"
#include "platform/simulation/banc_detection.hpp"
#include "platform/simulation/script_simulation.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/fichier_ini.hpp"

namespace lumi::essai {
namespace {

// Les actions reçues, notées « nom@seconde » depuis le départ.
class ActionsNotees final : public ActionsDetection {
public:
    explicit ActionsNotees(const Horloge& horloge) : horloge_(horloge) {}
    void action_numerotation_en_cours() override { noter("numerotation"); }
    void action_connecte_au_reseau() override { noter("connecte"); }
    void action_fin_de_connexion() override { noter("fin"); }
    bool mode_manuel() const override { return manuel; }

    std::vector<std::string> journal;
    bool manuel = false;

private:
    void noter(const char* nom) {
        const auto ms = horloge_.millisecondes();
        journal.push_back(std::string(nom) + "@" + std::to_string(ms / 1000) +
                          (ms % 1000 != 0 ? "," + std::to_string(ms % 1000 / 100) : ""));
    }
    const Horloge& horloge_;
};

// Un accès à distance qui peut tomber en panne : chaque interrogation lève tant que `en_panne`.
class AccesFragile final : public AccesDistant {
public:
    explicit AccesFragile(AccesDistant& vrai) : vrai_(vrai) {}
    std::vector<ConnexionDistante> connexions() const override {
        if (en_panne) throw std::runtime_error("panne de l'accès à distance");
        return vrai_.connexions();
    }
    std::vector<std::string> entrees_annuaire() const override { return vrai_.entrees_annuaire(); }
    bool numeroter(std::string_view entree) override { return vrai_.numeroter(entree); }
    bool raccrocher() override { return vrai_.raccrocher(); }
    bool en_panne = false;

private:
    AccesDistant& vrai_;
};

constexpr std::string_view reglages_detection =
    "[detection automatique]\r\nonly RAS=non\r\n"
    "[messages utilisateurs]\r\n"
    "message 59=Par l'accès à distance.\r\nmessage 60=Par la téléphonie.\r\n";

// La détection seule, sur coutures simulées, à 14:00:00 le 10 mars 2000.
class Detecteur {
public:
    explicit Detecteur(std::string_view script, std::string_view only_ras = "non") {
        auto reglages = std::string(reglages_detection);
        reglages.replace(reglages.find("only RAS=non"), 12, "only RAS=" + std::string(only_ras));
        ecrire_octets(dossier / fichier_reglages, reglages);
        std::istringstream flux{std::string(script)};
        appliquer_script(lire_script_simulation(flux, "essai"), acces, telephonie, adresse, ordonnanceur);
    }
    Detection& demarrer() {
        detection = std::make_unique<Detection>(
            CouturesDetection{horloge, registre, fragile, telephonie, dialogue}, actions, dossier.chemin());
        detection->choix_de_la_source();
        ordonnanceur.suivre(detection->Timer5(), [this] { detection->Timer5Timer(); });
        return *detection;
    }
    void avancer(std::int64_t secondes) { ordonnanceur.avancer(secondes * 1000); }
    // Les clés de la trace dans l'ordre du fichier.
    std::vector<std::string> trace() {
        return FichierIni(dossier / fichier_reglages).cles(section_trace_detection);
    }

    DossierTemporaire dossier{"lumi-detection"};
    HorlogeFactice horloge{le_10_mars(14, 0, 0)};
    Ordonnanceur ordonnanceur{horloge};
    AccesDistantScripte acces{horloge};
    AccesFragile fragile{acces};
    AdresseSimulee adresse;
    TelephonieSimulee telephonie;
    RegistreMemoire registre;
    DialogueScripte dialogue;
    ActionsNotees actions{horloge};
    std::unique_ptr<Detection> detection;
};

using Journal = std::vector<std::string>;

// --- Scrutation -----------------------------------------------------------------------------

struct CasScrutation {
    const char* nom;
    const char* script;
    Journal actions;
    Journal trace;
};

TEST(Scrutation, ChaqueActionUneFoisParConnexion) {
    const std::vector<CasScrutation> cas = {
        {"numérotation qui échoue avant l'authentification",
         "2 ras MonFAI 2\n5 ras MonFAI fin\n",
         {"numerotation@2", "fin@5"},
         {"2 14:00:02 part 3", "-10 14:00:05 part 1"}},
        {"connexion ordinaire qui passe par l'état déconnecté",
         "2 ras MonFAI 2\n5 ras MonFAI 5\n6 ras MonFAI 8192\n60 ras MonFAI 8193\n61 ras MonFAI fin\n",
         {"numerotation@2", "connecte@5", "fin@60"},
         {"2 14:00:02 part 3", "5 14:00:05 part 4", "8193 14:01:00 part 5"}},
        {"connexion qui disparaît sans passer par l'état déconnecté",
         "2 ras MonFAI 2\n5 ras MonFAI 5\n6 ras MonFAI 8192\n60 ras MonFAI fin\n",
         {"numerotation@2", "connecte@5", "fin@60"},
         {"2 14:00:02 part 3", "5 14:00:05 part 4", "-10 14:01:00 part 1"}},
        {"deux connexions à la fois : seule la première listée compte",
         "1 ras MonFAI 2\n3 ras MonFAI 5\n4 ras MonFAI 8192\n"
         "10 ras Autre 2\n12 ras Autre 5\n13 ras Autre 8192\n"
         "40 ras MonFAI 8193\n41 ras MonFAI fin\n80 ras Autre fin\n",
         {"numerotation@1", "connecte@3", "fin@40"},
         {"2 14:00:01 part 3", "5 14:00:03 part 4", "8193 14:00:40 part 5"}},
        {"états inconnus et connecté : rien",
         "2 ras MonFAI 2\n3 ras MonFAI 3\n4 ras MonFAI 8192\n5 ras MonFAI 5\n9 ras MonFAI fin\n",
         {"numerotation@2", "connecte@5", "fin@9"},
         {"2 14:00:02 part 3", "5 14:00:05 part 4", "-10 14:00:09 part 1"}},
        {"connexion vue d'abord à l'authentification : sa fin compte aussi",
         "3 ras MonFAI 5\n4 ras MonFAI 8192\n30 ras MonFAI fin\n",
         {"connecte@3", "fin@30"},
         {"5 14:00:03 part 4", "-10 14:00:30 part 1"}},
        {"après une fin traitée, la connexion suivante vue à l'authentification compte",
         "1 ras MonFAI 2\n3 ras MonFAI 5\n10 ras MonFAI 8193\n11 ras MonFAI fin\n20 ras MonFAI 5\n30 ras "
         "MonFAI fin\n",
         {"numerotation@1", "connecte@3", "fin@10", "connecte@20", "fin@30"},
         {"2 14:00:01 part 3", "5 14:00:03 part 4", "8193 14:00:10 part 5", "5 14:00:20 part 4",
          "-10 14:00:30 part 1"}},
        {"une nouvelle numérotation repart de zéro après l'état déconnecté",
         "1 ras MonFAI 2\n3 ras MonFAI 5\n10 ras MonFAI 8193\n12 ras MonFAI 2\n14 ras MonFAI 5\n20 ras "
         "MonFAI fin\n",
         {"numerotation@1", "connecte@3", "fin@10", "numerotation@12", "connecte@14", "fin@20"},
         {"2 14:00:01 part 3", "5 14:00:03 part 4", "8193 14:00:10 part 5", "2 14:00:12 part 3",
          "5 14:00:14 part 4", "-10 14:00:20 part 1"}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        Detecteur d(c.script);
        d.demarrer();
        d.avancer(100);
        EXPECT_EQ(d.actions.journal, c.actions);
        EXPECT_EQ(d.trace(), c.trace);
    }
}

TEST(Scrutation, DixInterrogationsParSecondeSansRienEcrireAuRepos) {
    Detecteur d("2 ras MonFAI 2\n5 ras MonFAI 5\n6 ras MonFAI 8192\n60 ras MonFAI fin\n");
    d.demarrer();
    const auto avant = d.acces.interrogations();
    d.avancer(100);
    EXPECT_EQ(d.acces.interrogations() - avant, 1000u);
    EXPECT_EQ(d.actions.journal, (Journal{"numerotation@2", "connecte@5", "fin@60"}));
    // Chaque valeur de la trace est son libellé.
    const FichierIni ini(d.dossier / fichier_reglages);
    EXPECT_EQ(ini.lire("detection", "5 14:00:05 part 4"), "part 4");
}

// Une clé par transition : sans limite le fichier, récrit à chaque trace, grossirait sans fin.
TEST(Scrutation, LaTraceGardeSesDernieresEntrees) {
    Detecteur d("2 ras MonFAI 2\n5 ras MonFAI 5\n9 ras MonFAI fin\n");
    std::string reglages = lire_octets(d.dossier / fichier_reglages) + "[detection]\r\n";
    Journal trace;
    for (std::size_t i = 0; i < entrees_trace_gardees + 50; ++i) {
        trace.push_back("-10 " + formater_heure(static_cast<std::int32_t>(i)) + " part 1");
        reglages += trace.back() + "=part 1\r\n";
    }
    ecrire_octets(d.dossier / fichier_reglages, reglages);
    d.demarrer();
    d.avancer(10);
    for (const char* nouvelle : {"2 14:00:02 part 3", "5 14:00:05 part 4", "-10 14:00:09 part 1"})
        trace.push_back(nouvelle);
    EXPECT_EQ(d.trace(), Journal(trace.end() - entrees_trace_gardees, trace.end()));
    // Les autres sections sont intactes.
    EXPECT_EQ(FichierIni(d.dossier / fichier_reglages).lire("messages utilisateurs", "message 59"),
              "Par l'accès à distance.");
}

TEST(Scrutation, UnePanneDeLAccesADistanceSeLitAucuneConnexion) {
    Detecteur d("2 ras MonFAI 2\n5 ras MonFAI 5\n6 ras MonFAI 8192\n");
    d.demarrer();
    d.avancer(10);
    d.fragile.en_panne = true;
    d.avancer(1);
    EXPECT_EQ(d.actions.journal, (Journal{"numerotation@2", "connecte@5", "fin@10,1"}));
}

TEST(Scrutation, TraceImpossibleNEmpechePasLesActions) {
    Detecteur d("2 ras MonFAI 2\n5 ras MonFAI 5\n9 ras MonFAI fin\n", "oui");
    d.demarrer();
    // Le fichier de réglages devient un dossier : toute écriture de la trace échoue.
    std::filesystem::remove(d.dossier / fichier_reglages);
    std::filesystem::create_directory(d.dossier / fichier_reglages);
    d.avancer(10);
    EXPECT_EQ(d.actions.journal, (Journal{"numerotation@2", "connecte@5", "fin@9"}));
}

// --- Choix de la source, changement à la main, fermeture ----------------------------------

struct CasSource {
    const char* nom;
    const char* script;
    const char* only_ras;
    bool par_ras;
    std::vector<std::uint32_t> lignes_ouvertes;
    bool avec_usage;
    bool avec_ligne;  // hLine garde la dernière ligne ouverte, même fermée depuis par l'arrêt
    int arrets;
};

TEST(ChoixDeLaSource, TelephonieEtSesReplis) {
    const std::vector<CasSource> cas = {
        {"téléphonie absente", "", "non", true, {}, false, false, 0},
        {"téléphonie présente sans ligne", "telephonie lignes 0\n", "non", true, {}, false, false, 1},
        {"deux lignes ouvertes", "telephonie lignes 2\n", "non", false, {0, 1}, true, true, 0},
        {"négociation refusée sur la seconde ligne : tout passe en scrutation",
         "telephonie lignes 2\nligne 1 sans-version\n",
         "non",
         true,
         {},
         false,
         true,
         1},
        {"ouverture refusée sur la première ligne : les suivantes échouent aussi",
         "telephonie lignes 3\nligne 0 refusee\n",
         "non",
         true,
         {},
         false,
         false,
         1},
        {"« only RAS » : scrutation, mais la téléphonie est ouverte quand même",
         "telephonie lignes 1\n",
         "oui",
         true,
         {0},
         true,
         true,
         0},
        {"« only RAS » d'une autre casse ne compte pas",
         "telephonie lignes 1\n",
         "OUI",
         false,
         {0},
         true,
         true,
         0},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        Detecteur d(c.script, c.only_ras);
        const auto& detection = d.demarrer();
        EXPECT_EQ(detection.surveillance_par_ras(), c.par_ras);
        EXPECT_EQ(detection.texte_etat_source(), c.par_ras ? "Supervision en cours" : "Attente connexion");
        EXPECT_EQ(d.telephonie.lignes_ouvertes(), c.lignes_ouvertes);
        EXPECT_EQ(detection.hLineApp() != 0, c.avec_usage);
        EXPECT_EQ(detection.hLine() != 0, c.avec_ligne);
        EXPECT_EQ(d.telephonie.arrets(), c.arrets);
        EXPECT_TRUE(d.dialogue.boites().empty());
    }
}

TEST(ChoixDeLaSource, LignesOuvertesEnSurveillanceDesAppelsDeModem) {
    Detecteur d("telephonie lignes 1\n");
    d.demarrer();
    EXPECT_EQ(d.telephonie.derniers_privileges(), 2u);
    EXPECT_EQ(d.telephonie.derniers_modes_media(), 16u);
}

TEST(ChoixDeLaSource, PoigneesRenduesALaFermetureUneSeuleFois) {
    Detecteur d("telephonie lignes 2\n");
    auto& detection = d.demarrer();
    detection.fermeture_tapi();
    EXPECT_EQ(d.telephonie.fermetures(), 1);
    EXPECT_EQ(d.telephonie.arrets(), 1);
    EXPECT_EQ(detection.hLine(), 0u);
    EXPECT_EQ(detection.hLineApp(), 0u);
    EXPECT_FALSE(d.telephonie.initialisee());
    d.detection.reset();  // la destruction ne rend rien deux fois
    EXPECT_EQ(d.telephonie.arrets(), 1);

    // Sans fermeture explicite, la destruction rend les poignées.
    Detecteur e("telephonie lignes 1\n");
    e.demarrer();
    e.detection.reset();
    EXPECT_EQ(e.telephonie.fermetures(), 1);
    EXPECT_EQ(e.telephonie.arrets(), 1);
}

TEST(ChangementDeSource, DeuxFoisRevientALaPremiere) {
    Detecteur d(
        "telephonie lignes 1\n2 ras MonFAI 2\n5 ras MonFAI 5\n8 ras MonFAI fin\n"
        "20 ras MonFAI 2\n22 ras MonFAI 5\n25 ras MonFAI fin\n");
    auto& detection = d.demarrer();
    ASSERT_FALSE(detection.surveillance_par_ras());
    d.avancer(10);
    EXPECT_TRUE(d.actions.journal.empty());  // par la téléphonie, la scrutation ne fait rien

    detection.basculer_source();
    EXPECT_TRUE(detection.surveillance_par_ras());
    detection.basculer_source();
    EXPECT_FALSE(detection.surveillance_par_ras());
    detection.basculer_source();
    EXPECT_TRUE(detection.surveillance_par_ras());
    d.avancer(20);
    EXPECT_EQ(d.actions.journal, (Journal{"numerotation@20", "connecte@22", "fin@25"}));

    // Message 59 en passant à la scrutation, 60 en revenant à la téléphonie ; rien n'est rangé.
    std::vector<std::string> textes;
    for (const auto& b : d.dialogue.boites()) {
        EXPECT_EQ(b.genre, GenreBoite::information);
        EXPECT_EQ(b.boutons, std::vector<Reponse>{Reponse::ok});
        textes.push_back(b.texte);
    }
    EXPECT_EQ(textes, (std::vector<std::string>{"Par l'accès à distance.", "Par la téléphonie.",
                                                "Par l'accès à distance."}));
    EXPECT_EQ(FichierIni(d.dossier / fichier_reglages).lire("detection automatique", "only RAS"), "non");
}

// --- Téléphonie -------------------------------------------------------------------------------

struct CasTelephonie {
    const char* nom;
    const char* script;
    const char* detection_ras;  // nullptr : valeur absente
    bool manuel;
    Journal actions;
    std::vector<PoigneeTapi> liberes;
    std::set<PoigneeTapi> restants{};  // appels jamais libérés
};

TEST(Telephonie, TableDesEtatsDAppel) {
    constexpr const char* appel_ordinaire =
        "telephonie lignes 1\n1 tapi 7 en-cours\n5 tapi 7 connecte\n60 tapi 7 deconnecte\n61 tapi 7 libre\n";
    constexpr const char* appel_connu_de_ras =
        "telephonie lignes 1\n0,5 ras MonFAI 2\n1 tapi 7 en-cours\n5 tapi 7 connecte\n"
        "60 tapi 7 deconnecte\n61 ras MonFAI fin\n";
    const std::vector<CasTelephonie> cas = {
        {"appel de modem compté, libéré à la déconnexion",
         appel_ordinaire,
         nullptr,
         false,
         {"numerotation@1", "connecte@5", "fin@60"},
         {7}},
        {"« detection ras » = oui : appel inconnu de l'accès à distance ignoré",
         appel_ordinaire,
         "oui",
         false,
         {},
         {7}},
        {"« detection ras » = oui : appel connu de l'accès à distance compté",
         appel_connu_de_ras,
         "oui",
         false,
         {"numerotation@1", "connecte@5", "fin@60"},
         {7}},
        {"« detection ras » = non : compté",
         appel_ordinaire,
         "non",
         false,
         {"numerotation@1", "connecte@5", "fin@60"},
         {7}},
        {"« detection ras » = Oui : compté (seul « oui » active le filtre)",
         appel_ordinaire,
         "Oui",
         false,
         {"numerotation@1", "connecte@5", "fin@60"},
         {7}},
        {"en mode manuel, l'appel est libéré et ignoré", appel_ordinaire, nullptr, true, {}, {7}},
        {"appel qui passe à libre sans déconnexion",
         "telephonie lignes 1\n1 tapi 9 en-cours\n3 tapi 9 connecte\n30 tapi 9 libre\n",
         nullptr,
         false,
         {"numerotation@1", "connecte@3", "fin@30"},
         {9}},
        {"autres états ignorés, sans libérer l'appel ; appel d'une ligne fermée jamais reçu",
         "telephonie lignes 1\n1 tapi 4 16\n2 tapi 5 en-cours ligne 1\n",
         nullptr,
         false,
         {},
         {},
         {4}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        Detecteur d(c.script);
        if (c.detection_ras != nullptr)
            d.registre.ecrire_valeur(cles::section(cles::options), "detection ras", c.detection_ras);
        d.actions.manuel = c.manuel;
        ASSERT_FALSE(d.demarrer().surveillance_par_ras());
        d.avancer(100);
        EXPECT_EQ(d.actions.journal, c.actions);
        EXPECT_EQ(d.telephonie.appels_liberes(), c.liberes);
        EXPECT_EQ(d.telephonie.appels_non_liberes(), c.restants);
    }
}

TEST(Telephonie, EnScrutationLesAppelsSontLiberesEtIgnores) {
    Detecteur d(
        "telephonie lignes 1\n1 tapi 7 en-cours\n2 tapi 8 en-cours\n3 tapi 9 connecte\n"
        "4 tapi 9 deconnecte\n5 tapi 10 libre\n",
        "oui");
    d.demarrer();
    d.avancer(10);
    EXPECT_TRUE(d.actions.journal.empty());
    EXPECT_EQ(d.telephonie.appels_liberes(), (std::vector<PoigneeTapi>{7, 8, 9, 10}));
}

TEST(Telephonie, PlusRienApresLaFermeture) {
    Detecteur d("telephonie lignes 1\n10 tapi 7 en-cours\n");
    d.demarrer().fermeture_tapi();
    d.avancer(20);
    EXPECT_TRUE(d.actions.journal.empty());
}

// --- Le compteur mené par la détection -------------------------------------------------------

class CompteurDetecte {
public:
    explicit CompteurDetecte(std::string_view script) {
        banc.banc.compteur.enregistrer_historique = [this] { ++historiques; };
        std::istringstream flux{std::string(script)};
        banc.charger(lire_script_simulation(flux, "essai"));
        banc.demarrer();
    }
    const std::string& ligne(int i) {
        return banc.banc.compteur.fenetre().lignes_etat[static_cast<std::size_t>(i)];
    }

    DossierCompteur dossier;
    RegistreMemoire registre;
    BancDetection banc{le_10_mars(14, 0, 0), registre, dossier.chemin()};
    int historiques = 0;
};

TEST(CompteurDetecte, NumerotationQuiEchoue) {
    CompteurDetecte c("2 ras MonFAI 2\n5 ras MonFAI fin\n");
    EXPECT_EQ(c.banc.detection.texte_etat_source(), "Supervision en cours");
    c.banc.avancer(3);
    EXPECT_EQ(c.ligne(0), "Numérotation en cours");
    EXPECT_EQ(c.ligne(1), "MonFAI");
    c.banc.avancer(3);
    EXPECT_EQ(c.ligne(0), "Echec connexion");
    EXPECT_EQ(c.historiques, 0);
    const FichierIni ini(c.dossier / fichier_reglages);
    EXPECT_EQ(ini.cles("detection"), (std::vector<std::string>{"2 14:00:02 part 3", "-10 14:00:05 part 1"}));
}

TEST(CompteurDetecte, ConnexionOrdinaireUnSeulEnregistrement) {
    CompteurDetecte c("2 ras MonFAI 2\n5 ras MonFAI 5\n6 ras MonFAI 8192\n65 ras MonFAI fin\n");
    c.banc.avancer(3);
    EXPECT_EQ(c.ligne(0), "Numérotation en cours");
    // À 5 s le top passe avant la scrutation : la ligne d'état est encore celle de l'action.
    c.banc.avancer(2);
    EXPECT_EQ(c.ligne(0), "Connecté au service");
    EXPECT_TRUE(c.banc.banc.compteur.etat().compteur_actif);
    EXPECT_EQ(c.banc.banc.compteur.etat().nom_connexion, "MonFAI");
    c.banc.avancer(60);
    EXPECT_EQ(c.ligne(0), "Fin de connexion");
    EXPECT_FALSE(c.banc.banc.compteur.etat().compteur_actif);
    EXPECT_EQ(c.banc.banc.compteur.etat().duree_connexion, 60);
    EXPECT_EQ(c.historiques, 1);
}

TEST(CompteurDetecte, AppelDeTelephonieCompte) {
    CompteurDetecte c("telephonie lignes 1\n2 tapi 3 en-cours\n5 tapi 3 connecte\n35 tapi 3 deconnecte\n");
    EXPECT_EQ(c.banc.detection.texte_etat_source(), "Attente connexion");
    c.banc.avancer(3);
    EXPECT_EQ(c.ligne(0), "Numérotation en cours");
    c.banc.avancer(2);
    EXPECT_EQ(c.ligne(0), "Connecté au service");
    c.banc.avancer(30);
    EXPECT_EQ(c.ligne(0), "Fin de connexion");
    EXPECT_EQ(c.historiques, 1);
}

}  // namespace
}  // namespace lumi::essai
