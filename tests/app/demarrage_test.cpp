// La suite du démarrage et la fermeture, sans Qt : un vrai compteur et la vraie détection sur
// coutures simulées, dans un dossier de données neuf ; la coquille est un espion qui note ses appels
// et combien de boîtes avaient été montrées à ce moment.
#include "core/demarrage.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <optional>

#include <memory>

#include "commun/soutien.hpp"
#include "platform/simulation/banc_detection.hpp"
#include "platform/simulation/systeme_simule.hpp"
#include "settings/cles.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/registre_memoire.hpp"

namespace lumi {
namespace {

namespace fs = std::filesystem;
using essai::DossierTemporaire;

const std::string options = cles::section(cles::options);

class CoquilleEspion final : public CoquilleDemarrage {
public:
    explicit CoquilleEspion(BancDetection& banc) : banc_(banc) {}

    void selection_utilisateurs(const std::vector<std::string>& profils,
                                const std::string& session) override {
        noter("utilisateurs");
        profils_vus = profils;
        session_vue = session;
    }
    void selectionner_utilisateur(const std::string& argument) override { arguments.push_back(argument); }
    void disposer_fenetre(const TailleDemarrage& taille) override { taille_vue = taille; }
    void restaurer_position() override {
        position_avant_icone =
            taille_vue.has_value() &&
            appels.end() == std::find_if(appels.begin(), appels.end(),
                                         [](const std::string& a) { return a.rfind("icone@", 0) == 0; });
    }
    void suivre_detection(Detection& detection) override {
        noter("detection");
        banc_.banc.ordonnanceur.suivre(detection.Timer5(), [&detection] { detection.Timer5Timer(); });
    }
    void installer_icone() override { noter("icone"); }
    void montrer() override { noter("montrer"); }
    void cacher() override { noter("cacher"); }
    void fin_du_demarrage() override { noter("fin"); }
    void premiere_utilisation() override { noter("accueil"); }

    // "appel@boîtes déjà montrées".
    std::vector<std::string> appels;
    std::vector<std::string> arguments;
    std::vector<std::string> profils_vus;
    std::string session_vue;
    std::optional<TailleDemarrage> taille_vue;
    bool position_avant_icone = false;

private:
    void noter(const std::string& appel) {
        appels.push_back(appel + "@" + std::to_string(banc_.banc.dialogue.boites().size()));
    }
    BancDetection& banc_;
};

Moment moment(const char* date, int heure) {
    return {*lire_date(date), heure * 3600};
}

// Un dossier de données amorcé, un magasin en mémoire, et un programme qui démarre dessus.
struct Poste {
    DossierTemporaire dossier{"lumi-demarrage"};
    RegistreMemoire registre;
    SystemeSimule systeme;

    Poste() { amorcer_dossier_donnees(dossier.chemin(), LUMI_DOSSIER_DATA_SOURCE); }

    std::string option(std::string_view nom) const { return registre.lire_valeur(options, nom); }

    // Une connexion à MonFAI interrompue au milieu, comme si le programme avait été tué : il reste
    // l'instantané anti-crash.
    void connexion_interrompue() {
        BancDetection banc(moment("15/03/2000", 10), registre, dossier.chemin());
        ScriptSimulation script;
        script.annuaire = {"MonFAI"};
        script.connexions = {
            {"MonFAI", {{2000, etat_ras_connexion_peripherique, 0}, {5000, etat_ras_authentification, 0}}}};
        banc.charger(script);
        banc.demarrer();
        banc.avancer(90);
        ASSERT_FALSE(option("sauv crash").empty());
    }
};

struct Programme {
    BancDetection banc;
    CoquilleEspion coquille{banc};
    Demarrage demarrage;

    Programme(Poste& poste, std::vector<std::string> arguments, bool demonstration = false,
              Moment quand = moment("20/03/2000", 9))
        : banc(quand, poste.registre, poste.dossier.chemin()),
          demarrage(banc.banc.compteur, {poste.registre, banc.banc.dialogue, poste.systeme},
                    poste.dossier.chemin(),
                    {"/opt/lumicompteur/lumicompteur", std::move(arguments), !demonstration, {}}) {
        demarrage.definir_detection(&banc.detection);
    }
    const std::vector<DialogueScripte::BoiteMontree>& boites() const { return banc.banc.dialogue.boites(); }
};

struct CasManquant {
    const char* nom;
    std::vector<const char*> absents;
    std::optional<std::string> nomme;
};

class FichiersManquants : public testing::TestWithParam<CasManquant> {};

TEST_P(FichiersManquants, LeDernierManquantEstNomme) {
    Poste poste;
    for (const char* f : GetParam().absents) fs::remove(poste.dossier / f);
    EXPECT_EQ(verif_fichiers_ini(poste.dossier.chemin()), GetParam().nomme);
}

INSTANTIATE_TEST_SUITE_P(
    Cas, FichiersManquants,
    testing::Values(CasManquant{"aucun", {}, std::nullopt},
                    CasManquant{"tarifs", {"tarifs.ini"}, "tarifs.ini"},
                    CasManquant{"couleurs_et_tarifs", {"Couleur.ini", "tarifs.ini"}, "tarifs.ini"},
                    CasManquant{"reglages_seul", {"lumicompteur.ini"}, "lumicompteur.ini"},
                    CasManquant{"reglages_et_couleurs", {"lumicompteur.ini", "Couleur.ini"}, "Couleur.ini"},
                    CasManquant{
                        "les_trois", {"lumicompteur.ini", "Couleur.ini", "tarifs.ini"}, "tarifs.ini"}),
    [](const testing::TestParamInfo<CasManquant>& i) { return std::string(i.param.nom); });

TEST(Demarrage, LesEtapesSeSuiventDansLOrdre) {
    Poste poste;
    poste.connexion_interrompue();
    fs::remove(poste.dossier / "Couleur.ini");
    {
        FichierIni reglages(poste.dossier / "lumicompteur.ini");
        reglages.ecrire("Paramètres de l'historique", "date fin derniere facture", "01/01/2000");
    }
    poste.systeme.utilisateur = "anne";
    poste.systeme.profils = {"anne", "paul"};

    Programme p(poste, {});
    p.banc.banc.dialogue.prevoir_reponse(Reponse::ok);   // fichier manquant
    p.banc.banc.dialogue.prevoir_reponse(Reponse::oui);  // connexion de l'instantané enregistrée
    p.demarrage.FormCreate(p.coquille);

    ASSERT_GE(p.boites().size(), 3u);
    EXPECT_EQ(p.boites()[0].genre, GenreBoite::avertissement);
    EXPECT_EQ(p.boites()[0].texte, texte_fichier_manquant("Couleur.ini"));
    EXPECT_EQ(p.boites()[0].texte,
              "Le fichier Couleur.ini est manquant !\rCe fichier est nécessaire au bon fonctionnement du "
              "logiciel.\rIl est recommandé de réinstaller le logiciel complètement...");
    EXPECT_EQ(p.boites()[1].boutons, (std::vector<Reponse>{Reponse::oui, Reponse::non}));  // l'instantané
    // La fenêtre se montre après l'offre de l'instantané et avant la question de la période.
    EXPECT_EQ(p.coquille.appels, (std::vector<std::string>{"utilisateurs@1", "detection@2", "icone@2",
                                                           "montrer@2", "fin@2", "accueil@2"}));
    EXPECT_EQ(p.boites()[2].genre, GenreBoite::question);

    EXPECT_EQ(p.coquille.profils_vus, (std::vector<std::string>{"anne", "paul"}));
    EXPECT_EQ(p.coquille.session_vue, "anne");
    const auto& lignes = p.banc.banc.compteur.fenetre().lignes_etat;
    EXPECT_EQ(lignes[0], "Supervision en cours");  // pas de téléphonie : scrutation
    EXPECT_EQ(lignes[1], "");
    EXPECT_EQ(lignes[12], ligne_etat_12);
    EXPECT_EQ(lignes[13], ligne_etat_13);
    EXPECT_EQ(poste.option("path"), "/opt/lumicompteur/lumicompteur");
    // L'instantané a servi : la connexion est dans l'historique, il n'en reste rien.
    EXPECT_EQ(poste.option("sauv crash"), "");
    EXPECT_TRUE(fs::exists(poste.dossier / "Historique/mars00.fct"));
    EXPECT_FALSE(p.demarrage.demarrage_invisible());
    EXPECT_EQ(p.demarrage.etapes_jouees().back(), EtapeDemarrage::periode_facturation);
}

TEST(Demarrage, TailleDuDemarrageEtPositionAvantLIcone) {
    Poste poste;
    poste.registre.ecrire_valeur(options, "1ere utilisation2000", "non");
    poste.registre.ecrire_valeur(options, "taille", "reduite");
    poste.registre.ecrire_valeur(options, "taille reduite", "barre");
    Programme p(poste, {});
    p.demarrage.FormCreate(p.coquille);
    ASSERT_TRUE(p.coquille.taille_vue.has_value());
    EXPECT_TRUE(p.coquille.taille_vue->reduite);
    EXPECT_TRUE(p.coquille.taille_vue->mode_reduit_barre);
    EXPECT_TRUE(p.coquille.position_avant_icone) << "la fenêtre disposée, puis placée, puis l'icône";
}

TEST(Demarrage, SansFichierManquantNiInstantaneAucuneBoite) {
    Poste poste;
    poste.registre.ecrire_valeur(options, "1ere utilisation2000", "non");
    Programme p(poste, {});
    p.demarrage.FormCreate(p.coquille);
    EXPECT_TRUE(p.boites().empty());
    EXPECT_EQ(p.coquille.appels,
              (std::vector<std::string>{"utilisateurs@0", "detection@0", "icone@0", "montrer@0", "fin@0"}));
}

// Un fichier de réglages ou de couleurs présent mais inutilisable : la boîte du fichier manquant,
// qui dit ce qui ne va pas ; des couleurs illisibles : un seul avertissement, le démarrage continue.
TEST(Demarrage, FichiersAbimesDitsAuDemarrage) {
    struct Cas {
        const char* nom;
        const char* fichier;
        std::optional<std::string> octets;  // rien : un dossier à la place du fichier
        std::vector<std::string> extraits;
    };
    // Sans sa marque, l'UTF-16 n'est pas reconnu (Windows non plus ne le lit pas) : ses octets nuls.
    const std::string utf16_sans_marque("[\0o\0]\0", 6);
    const std::vector<Cas> cas{
        {"réglages binaires",
         "lumicompteur.ini",
         std::string("\x7F"
                     "ELF\x02\0\0",
                     7),
         {"Le fichier des réglages", "n'est pas un fichier texte", "nécessaire"}},
        {"réglages vides", "lumicompteur.ini", "", {"lumicompteur.ini", "est vide"}},
        {"réglages en UTF-16 sans marque",
         "lumicompteur.ini",
         utf16_sans_marque,
         {"lumicompteur.ini", "n'est pas un fichier texte", "UTF-16 marqué"}},
        {"réglages d'une ligne de 10 Mo",
         "lumicompteur.ini",
         "[a]\nb=" + std::string(10 << 20, 'x'),
         {"lumicompteur.ini", "une ligne de 10485762 octets"}},
        {"réglages en dossier", "lumicompteur.ini", std::nullopt, {"lumicompteur.ini", "est un dossier"}},
        {"couleurs binaires",
         "Couleur.ini",
         std::string("\0\x01\x02", 3),
         {"Le fichier des couleurs", "Couleur.ini", "n'est pas un fichier texte"}},
        {"couleurs vides", "Couleur.ini", "  \r\n", {"Couleur.ini", "est vide"}},
        {"couleurs absurdes",
         "Couleur.ini",
         "[couleurs 16bits]\r\nnb de panel=2\r\ntaux1=99999999999\r\nfond gauge=vert pomme\r\n"
         "taux2=clBlue\r\nppanel3=\r\n",
         {"Des couleurs du fichier Couleur.ini ne se lisent pas",
          "[couleurs 16bits] taux1 = « 99999999999 »\r[couleurs 16bits] fond gauge = « vert pomme »"}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        Poste poste;
        poste.registre.ecrire_valeur(options, "1ere utilisation2000", "non");
        fs::remove(poste.dossier / c.fichier);
        if (c.octets) {
            essai::ecrire_octets(poste.dossier / c.fichier, *c.octets);
        } else {
            fs::create_directory(poste.dossier / c.fichier);
        }
        Programme p(poste, {});
        p.demarrage.FormCreate(p.coquille);
        ASSERT_EQ(p.boites().size(), 1u);
        for (const auto& extrait : c.extraits)
            EXPECT_NE(p.boites()[0].texte.find(extrait), std::string::npos) << p.boites()[0].texte;
        EXPECT_EQ(p.coquille.appels.back(), "fin@1");
    }
}

// Le temporaire d'une réécriture d'un mois qu'un arrêt brutal a laissé part au démarrage suivant.
TEST(Demarrage, LesTemporairesDUnArretBrutalPartent) {
    Poste poste;
    poste.registre.ecrire_valeur(options, "1ere utilisation2000", "non");
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    fs::create_directories(poste.dossier / "Historique");
    const fs::path reste =
        poste.dossier / "Historique" / (".janvier00.fct." + std::to_string(pid) + "-0-2a.tmp");
    essai::ecrire_octets(reste, std::string(1 << 20, 'x'));
    Programme p(poste, {});
    p.demarrage.FormCreate(p.coquille);
    EXPECT_FALSE(fs::exists(reste));
}

// La session se termine pendant une boîte du démarrage : la boîte n'a pas de réponse, la suite
// s'arrête là, et rien de ce qu'elle aurait fait ou effacé ensuite ne l'est.
struct CasAbandon {
    const char* nom;
    std::size_t boite;  // l'index de la boîte abandonnée ; les précédentes ont leur réponse
    EtapeDemarrage etape;
};

class BoiteAbandonneeAuDemarrage : public testing::TestWithParam<CasAbandon> {};

TEST_P(BoiteAbandonneeAuDemarrage, RienNEstDecideNiEfface) {
    const auto& cas = GetParam();
    Poste poste;
    poste.connexion_interrompue();
    const std::string instantane = poste.option("sauv crash");
    fs::remove(poste.dossier / "Couleur.ini");
    {
        FichierIni reglages(poste.dossier / "lumicompteur.ini");
        reglages.ecrire("Paramètres de l'historique", "date fin derniere facture", "01/01/2000");
    }
    poste.registre.ecrire_valeur(options, "taille reduite", "barre");

    Programme p(poste, {});
    auto& dialogue = p.banc.banc.dialogue;
    const Reponse reponses[] = {Reponse::ok, Reponse::oui};  // fichier manquant, instantané enregistré
    for (std::size_t i = 0; i < cas.boite; ++i) dialogue.prevoir_reponse(reponses[i]);
    dialogue.prevoir_abandon();
    EXPECT_THROW(p.demarrage.FormCreate(p.coquille), BoiteAbandonnee);
    ASSERT_EQ(p.boites().size(), cas.boite + 1);
    EXPECT_FALSE(p.boites().back().reponse);
    EXPECT_EQ(p.demarrage.etapes_jouees().back(), cas.etape);

    // Fermé comme en fin de session.
    p.demarrage.fermeture_acceptee(true);
    p.demarrage.FormDestroy(false);

    const FichierIni reglages(poste.dossier / "lumicompteur.ini");
    EXPECT_EQ(reglages.lire("Paramètres de l'historique", "date fin derniere facture"), "01/01/2000");
    const bool avant_la_fenetre = cas.boite < 2;
    // Avant son offre, l'instantané reste tel quel ; l'accueil reviendra ; le mode rangé n'est pas
    // récrit par un démarrage qui ne l'a pas lu.
    EXPECT_EQ(poste.option("sauv crash"), avant_la_fenetre ? instantane : "");
    EXPECT_EQ(poste.option("1ere utilisation2000"), avant_la_fenetre ? "" : "non");
    EXPECT_EQ(poste.option("taille reduite"), avant_la_fenetre ? "barre" : "afficheur");
    const auto& a = p.coquille.appels;
    EXPECT_EQ(std::count(a.begin(), a.end(), "montrer@2"), avant_la_fenetre ? 0 : 1);
    if (!avant_la_fenetre) {
        // La connexion acceptée est enregistrée ; la facture qui la compte n'est pas remise à zéro.
        EXPECT_TRUE(fs::exists(poste.dossier / "Historique/mars00.fct"));
        EXPECT_NE(poste.option("total time"), "0");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cas, BoiteAbandonneeAuDemarrage,
    testing::Values(CasAbandon{"fichier_manquant", 0, EtapeDemarrage::verif_fichiers_ini},
                    CasAbandon{"instantane", 1, EtapeDemarrage::reprise_crash},
                    CasAbandon{"periode_facturation", 2, EtapeDemarrage::periode_facturation}),
    [](const testing::TestParamInfo<CasAbandon>& i) { return std::string(i.param.nom); });

// tarifs.ini absent : la boîte du démarrage le nomme, et c'est la seule ; ni le chargement des
// tarifs, ni le premier top, ni une connexion n'en ajoutent. La connexion est enregistrée avec sa durée.
TEST(Demarrage, TarifsAbsentsUneSeuleBoite) {
    Poste poste;
    poste.registre.ecrire_valeur(options, "1ere utilisation2000", "non");
    fs::remove(poste.dossier / "tarifs.ini");
    Programme p(poste, {}, false, moment("15/03/2000", 10));
    p.demarrage.FormCreate(p.coquille);
    ScriptSimulation script;
    script.annuaire = {"MonFAI"};
    script.connexions = {{"MonFAI",
                          {{2000, etat_ras_connexion_peripherique, 0},
                           {5000, etat_ras_authentification, 0},
                           {65000, etat_aucune_connexion, 0}}}};
    p.banc.charger(script);
    p.banc.banc.demarrer();
    p.banc.avancer(90);

    ASSERT_EQ(p.boites().size(), 1u) << p.boites().back().texte;
    EXPECT_EQ(p.boites()[0].texte, texte_fichier_manquant("tarifs.ini"));
    const auto& compteur = p.banc.banc.compteur;
    EXPECT_EQ(compteur.fenetre().lignes_etat[0], "Fin de connexion");
    EXPECT_GE(compteur.etat().duree_connexion, 55);  // la détection voit la fin au top suivant
    const auto ligne = compteur.historique().ecrivain().derniere_ligne();
    EXPECT_NE(ligne.find(";15/03/2000;10H00;" + compteur.etat().texte_duree + ";"), std::string::npos)
        << ligne;
}

struct CasLigneDeCommande {
    const char* nom;
    std::vector<std::string> arguments;
    bool invisible;
};

class LigneDeCommande : public testing::TestWithParam<CasLigneDeCommande> {};

TEST_P(LigneDeCommande, InvisibleEtUtilisateurs) {
    Poste poste;
    Programme p(poste, GetParam().arguments);
    p.demarrage.FormCreate(p.coquille);
    EXPECT_EQ(p.demarrage.demarrage_invisible(), GetParam().invisible);
    const auto& a = p.coquille.appels;
    EXPECT_EQ(std::count(a.begin(), a.end(), "cacher@0"), GetParam().invisible ? 1 : 0);
    EXPECT_EQ(std::count(a.begin(), a.end(), "montrer@0"), GetParam().invisible ? 0 : 1);
    // Chaque argument est cherché parmi les utilisateurs, "-invisible" compris.
    EXPECT_EQ(p.coquille.arguments, GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Cas, LigneDeCommande,
    testing::Values(CasLigneDeCommande{"sans_argument", {}, false},
                    CasLigneDeCommande{"invisible", {"-invisible"}, true},
                    CasLigneDeCommande{"invisible_et_utilisateur", {"-paul", "-invisible"}, true},
                    CasLigneDeCommande{"casse_comptee", {"-INVISIBLE"}, false},
                    CasLigneDeCommande{"sans_tiret", {"invisible"}, false}),
    [](const testing::TestParamInfo<CasLigneDeCommande>& i) { return std::string(i.param.nom); });

const CommandeSysteme commande_attendue{"/opt/lumicompteur/lumicompteur", "-invisible"};

TEST(DemarrageAutomatique, PremiereUtilisationInscritLEntreeUneFois) {
    Poste poste;
    poste.registre.ecrire_valeur(std::string(cles::racine_edition_98) + "\\options", "path", "c:\\lumi98");
    poste.systeme.demarrage_automatique["Lumicompteur 98"] = {"c:\\lumi98\\lumi.exe"};
    poste.systeme.demarrage_automatique["Lumicompteur 99"] = {"c:\\lumi99\\lumi.exe"};
    {
        Programme p(poste, {});
        p.demarrage.FormCreate(p.coquille);
        EXPECT_EQ(std::count(p.coquille.appels.begin(), p.coquille.appels.end(), "accueil@0"), 1);
    }
    EXPECT_EQ(poste.option("1ere utilisation2000"), "non");
    EXPECT_FALSE(poste.registre.cle_existe(cles::racine_edition_98));
    EXPECT_EQ(poste.systeme.demarrage_automatique,
              (std::map<std::string, CommandeSysteme>{{"Lumicompteur 2000", commande_attendue}}));

    // Au démarrage suivant, pas d'accueil ; une entrée ôtée par l'utilisateur n'est pas remise.
    poste.systeme.demarrage_automatique.clear();
    Programme p(poste, {});
    p.demarrage.FormCreate(p.coquille);
    EXPECT_EQ(std::count(p.coquille.appels.begin(), p.coquille.appels.end(), "accueil@0"), 0);
    EXPECT_TRUE(poste.systeme.demarrage_automatique.empty());
}

TEST(DemarrageAutomatique, LEntreeSuitLeProgrammeDeplaceEtLesAnciennesPartent) {
    Poste poste;
    poste.registre.ecrire_valeur(options, "1ere utilisation2000", "non");
    poste.systeme.demarrage_automatique["Lumicompteur 2000"] = {"/ancien/lumicompteur", "-invisible"};
    poste.systeme.demarrage_automatique["Lumicompteur 99"] = {"/ancien/lumi99"};
    Programme p(poste, {});
    p.demarrage.FormCreate(p.coquille);
    EXPECT_EQ(poste.systeme.demarrage_automatique,
              (std::map<std::string, CommandeSysteme>{{"Lumicompteur 2000", commande_attendue}}));
}

TEST(DemarrageAutomatique, LaDemonstrationNeTouchePasALaSession) {
    Poste poste;
    poste.systeme.demarrage_automatique["Lumicompteur 2000"] = {"/ancien/lumicompteur", "-invisible"};
    const auto avant = poste.systeme.demarrage_automatique;
    Programme p(poste, {}, true);
    p.demarrage.FormCreate(p.coquille);
    EXPECT_EQ(poste.systeme.demarrage_automatique, avant);
    EXPECT_EQ(poste.option("1ere utilisation2000"), "non");  // l'accueil a eu lieu, une fois
}

TEST(Demarrage, LesFichiersEgaresRejoignentLHistorique) {
    Poste poste;
    fs::remove_all(poste.dossier / "Historique");
    essai::ecrire_octets(poste.dossier / "fevrier00.fct", "contenu\r\n");
    Programme p(poste, {});
    p.demarrage.FormCreate(p.coquille);
    EXPECT_EQ(essai::lire_octets(poste.dossier / "Historique/fevrier00.fct"), "contenu\r\n");
    EXPECT_FALSE(fs::exists(poste.dossier / "fevrier00.fct"));
}

struct CasFermeture {
    const char* nom;
    bool session_notifiee;       // WM_QUERYENDSESSION avant la fermeture
    bool fin_de_session_signal;  // la fenêtre dit que la session se ferme
    bool instantane_garde;
};

class Fermeture : public testing::TestWithParam<CasFermeture> {};

TEST_P(Fermeture, LInstantaneResteSeulementEnFinDeSession) {
    Poste poste;
    poste.registre.ecrire_valeur(options, "1ere utilisation2000", "non");
    Programme p(poste, {}, false, moment("15/03/2000", 10));
    p.demarrage.FormCreate(p.coquille);
    ScriptSimulation script;
    script.annuaire = {"MonFAI"};
    script.connexions = {
        {"MonFAI", {{2000, etat_ras_connexion_peripherique, 0}, {5000, etat_ras_authentification, 0}}}};
    p.banc.charger(script);
    p.banc.banc.demarrer();
    p.banc.avancer(60);
    ASSERT_TRUE(p.banc.banc.compteur.etat().compteur_actif);
    ASSERT_FALSE(poste.option("sauv crash").empty());

    if (GetParam().session_notifiee) p.demarrage.fin_de_session();
    p.demarrage.fermeture_acceptee(GetParam().fin_de_session_signal);
    p.demarrage.FormDestroy(false);
    EXPECT_EQ(poste.option("sauv crash").empty(), !GetParam().instantane_garde);
    EXPECT_EQ(poste.option("taille reduite"), "afficheur");
}

INSTANTIATE_TEST_SUITE_P(
    Cas, Fermeture,
    testing::Values(CasFermeture{"quitter", false, false, false},
                    CasFermeture{"session_notifiee", true, false, true},
                    CasFermeture{"fin_de_session_dite_par_la_fenetre", false, true, true}),
    [](const testing::TestParamInfo<CasFermeture>& i) { return std::string(i.param.nom); });

TEST(Fermeture, LesLignesDeLaTelephonieSontRendues) {
    Poste poste;
    Programme p(poste, {});
    p.banc.telephonie.configurer({true, 2, {}, {}});
    p.demarrage.FormCreate(p.coquille);
    EXPECT_EQ(p.banc.banc.compteur.fenetre().lignes_etat[0], "Attente connexion");
    EXPECT_FALSE(p.banc.telephonie.lignes_ouvertes().empty());
    p.demarrage.FormDestroy(true);
    p.demarrage.FormDestroy(true);  // une seule fois
    EXPECT_TRUE(p.banc.telephonie.lignes_ouvertes().empty());
    EXPECT_EQ(p.banc.telephonie.arrets(), 1);
    EXPECT_EQ(poste.option("taille reduite"), "barre");
}

TEST(SecondLancement, LesArgumentsSontMisBoutABout) {
    EXPECT_EQ(concatener_arguments({}), "");
    EXPECT_EQ(concatener_arguments({"-paul", "-invisible", "anne marie"}), "-paul-invisibleanne marie");
}

}  // namespace
}  // namespace lumi
