// Les instantanés anti-crash et l'historique branchés sur le compteur : ce qui est rangé pendant une
// connexion, l'enregistrement à sa fin, l'offre du démarrage et l'échec d'écriture de l'historique.
#include "core/sauvegarde_crash.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/texte.hpp"
#include "commun/soutien.hpp"
#include "core/historique_compteur.hpp"
#include "core/mots_de_passe.hpp"
#include "core/selection_fin_connexion.hpp"
#include "core/utilisateurs.hpp"
#include "essai_compteur.hpp"
#include "history/fichiers_historique.hpp"
#include "settings/cles.hpp"
#include "settings/registre_memoire.hpp"

namespace lumi {
namespace {

namespace fs = std::filesystem;
using essai::DossierCompteur;
using essai::le_10_mars;

const std::string options = cles::section(cles::options);
const std::string ligne_paul = "Paul;Seconde;10/03/2000;14H00;00:20:01;Rouge;A;12,010;-4;0;0,000;|;MonFAI;";

std::vector<std::string> enregistrements(const fs::path& dossier, const std::string& fichier = "mars00.fct") {
    const auto lu = lire_fichier_historique(dossier / "Historique" / fichier);
    return lu ? lu->enregistrements() : std::vector<std::string>{};
}

TEST(SauvegardeCrash, ValeursDeLInstantane) {
    struct Cas {
        const char* nom;
        bool forfait;
        const char* sauv_forfait;
    };
    for (const auto& c : {Cas{"réduction : pas de temps de forfait", false, ""},
                          Cas{"forfait : temps restant et nom", true, "3540&Forfait 20h"}}) {
        SCOPED_TRACE(c.nom);
        RegistreMemoire registre;
        SauvegardeCrash sauvegarde(registre, ',');
        ASSERT_TRUE(registre.appliquer_et_vider(sauvegarde.operations_instantane(
            {ligne_paul, c.forfait, 3540, c.forfait ? "Forfait 20h" : "R30", 12.3449, 3661})));
        EXPECT_EQ(registre.lire_valeur(options, "sauv crash"), ligne_paul);
        EXPECT_EQ(registre.lire_valeur(options, "sauv total facture"), "12,345&3661");
        EXPECT_EQ(registre.lire_valeur(options, "sauv forfait"), c.sauv_forfait);
        EXPECT_EQ(sauvegarde.ligne_sauvegardee(), ligne_paul);
        ASSERT_TRUE(registre.appliquer_et_vider(SauvegardeCrash::operations_effacement()));
        EXPECT_TRUE(registre.lister_valeurs(options).empty());
    }
}

TEST(SauvegardeCrash, RestaurationDeLaFactureEtDuForfait) {
    struct Cas {
        const char* nom;
        std::optional<std::string> total, forfait;
        const char *cout, *temps, *time_f20;
    };
    const Cas cas[] = {
        {"instantané complet", "12,345&3661", "3540&F20", "12,345", "3661", "3540"},
        {"sans forfait", "12,345&3661", std::nullopt, "12,345", "3661", ""},
        // Une facture rangée n'est jamais remplacée par un texte vide ou illisible.
        {"total absent", std::nullopt, "3540&F20", "5,000", "100", "3540"},
        {"total illisible", "douze&x", std::nullopt, "5,000", "100", ""},
        {"forfait sans nom", "1&2", "3540&", "1", "2", ""},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        RegistreMemoire registre;
        registre.ecrire_valeur(options, "cout total", "5,000");
        registre.ecrire_valeur(options, "total time", "100");
        if (c.total) registre.ecrire_valeur(options, "sauv total facture", *c.total);
        if (c.forfait) registre.ecrire_valeur(options, "sauv forfait", *c.forfait);
        ASSERT_TRUE(registre.appliquer_et_vider(SauvegardeCrash(registre, ',').operations_restauration()));
        EXPECT_EQ(registre.lire_valeur(options, "cout total"), c.cout);
        EXPECT_EQ(registre.lire_valeur(options, "total time"), c.temps);
        EXPECT_EQ(registre.lire_valeur(cles::section(cles::forfaits), "time F20"), c.time_f20);
    }
}

// L'offre du démarrage sur un historique en mémoire et un dossier temporaire.
class OffreDuDemarrage : public ::testing::Test {
protected:
    OffreDuDemarrage() {
        FichierIni reglages(dossier_ / "lumicompteur.ini");
        reglages.ecrire("messages utilisateurs", "message 40", "Arrêt anormal.");
        reglages.ecrire("messages utilisateurs", "message 41", "Connexion en cours :");
        monnaie_.ttc = false;
        registre_.ecrire_valeur(options, "cout total", "5,000");
        registre_.ecrire_valeur(options, "total time", "100");
    }

    void instantane() {
        registre_.ecrire_valeur(options, "sauv crash", ligne_paul);
        registre_.ecrire_valeur(options, "sauv total facture", "17,010&1301");
    }

    RepriseConnexion proposer() {
        HistoriqueCompteur historique(registre_, dialogue_, dossier_.chemin(), ',');
        const FichierIni reglages(dossier_ / "lumicompteur.ini");
        const auto r = historique.proposer_reprise_connexion(reglages, monnaie_, essai::jour(2000, 3, 11),
                                                             lignes_, [this] { ++rafraichissements_; });
        facture_secondes_ = historique.facture().total_time();
        return r;
    }

    essai::DossierTemporaire dossier_;
    RegistreMemoire registre_;
    DialogueScripte dialogue_;
    ReglagesMonnaie monnaie_;
    LignesEtat lignes_{};
    int rafraichissements_ = 0;
    std::int32_t facture_secondes_ = 0;
};

TEST_F(OffreDuDemarrage, SansInstantaneRienNEstDemande) {
    EXPECT_EQ(proposer(), RepriseConnexion::aucune);
    EXPECT_TRUE(dialogue_.boites().empty());
}

TEST_F(OffreDuDemarrage, OuiEnregistreUneFoisDansLaFacture) {
    instantane();
    dialogue_.prevoir_reponse(Reponse::oui);
    EXPECT_EQ(proposer(), RepriseConnexion::enregistree);
    ASSERT_EQ(dialogue_.boites().size(), 1u);
    const auto& boite = dialogue_.boites()[0];
    EXPECT_EQ(boite.genre, GenreBoite::avertissement);
    EXPECT_EQ(boite.boutons, (std::vector<Reponse>{Reponse::oui, Reponse::non}));
    EXPECT_EQ(boite.texte,
              "Arrêt anormal.\nConnexion en cours :  \n" + resume_connexion(ligne_paul, monnaie_));

    EXPECT_EQ(enregistrements(dossier_.chemin()), std::vector<std::string>{ligne_paul});
    // La facture rangée par l'instantané contient déjà la connexion : elle n'est pas ajoutée deux fois.
    EXPECT_EQ(registre_.lire_valeur(options, "cout total"), "17,010");
    EXPECT_EQ(registre_.lire_valeur(options, "total time"), "1301");
    EXPECT_EQ(facture_secondes_, 1301);
    EXPECT_EQ(lignes_[2], "Total facture en cours :");
    EXPECT_EQ(rafraichissements_, 1);
    EXPECT_EQ(registre_.lire_valeur(options, "sauv crash"), "");
    EXPECT_EQ(registre_.lire_valeur(options, "sauv total facture"), "");
}

TEST_F(OffreDuDemarrage, NonEffaceLInstantaneSansRienEnregistrer) {
    instantane();
    dialogue_.prevoir_reponse(Reponse::non);
    EXPECT_EQ(proposer(), RepriseConnexion::refusee);
    EXPECT_TRUE(enregistrements(dossier_.chemin()).empty());
    EXPECT_EQ(registre_.lire_valeur(options, "cout total"), "5,000");
    EXPECT_TRUE(registre_.lire_valeur(options, "sauv crash").empty());
}

// La session se termine pendant la question : sans réponse, l'offre reviendra au démarrage suivant.
TEST_F(OffreDuDemarrage, SansReponseLInstantaneResteEntier) {
    instantane();
    dialogue_.prevoir_abandon();
    EXPECT_THROW(proposer(), BoiteAbandonnee);
    EXPECT_TRUE(enregistrements(dossier_.chemin()).empty());
    EXPECT_EQ(registre_.lire_valeur(options, "sauv crash"), ligne_paul);
    EXPECT_EQ(registre_.lire_valeur(options, "sauv total facture"), "17,010&1301");
    EXPECT_EQ(registre_.lire_valeur(options, "cout total"), "5,000");
}

TEST_F(OffreDuDemarrage, EchecDEcritureGardeLaConnexionEnAttente) {
    instantane();
    essai::ecrire_octets(dossier_ / "Historique", "un fichier à la place du dossier");
    dialogue_.prevoir_reponse(Reponse::oui);
    EXPECT_EQ(proposer(), RepriseConnexion::echec_ecriture);
    ASSERT_EQ(dialogue_.boites().size(), 2u);
    EXPECT_NE(dialogue_.boites()[1].texte.find("mars00.fct"), std::string::npos)
        << dialogue_.boites()[1].texte;
    EXPECT_NE(dialogue_.boites()[1].texte.find("n'est pas perdue"), std::string::npos);
    // L'instantané est devenu une attente : la connexion n'est plus proposée, elle sera écrite.
    EXPECT_EQ(registre_.lire_valeur(options, "sauv crash"), "");
    EXPECT_EQ(registre_.lister_valeurs(cles::section(cles::enregistrements_en_attente)).size(), 1u);
    EXPECT_EQ(registre_.lire_valeur(options, "total time"), "1301");

    // Au démarrage suivant, le dossier réparé, elle est écrite sans question, facturée une fois.
    fs::remove(dossier_ / "Historique");
    dialogue_.oublier();
    EXPECT_EQ(proposer(), RepriseConnexion::aucune);
    EXPECT_TRUE(dialogue_.boites().empty());
    EXPECT_EQ(enregistrements(dossier_.chemin()), std::vector<std::string>{ligne_paul});
    EXPECT_EQ(registre_.lire_valeur(options, "total time"), "1301");
    EXPECT_TRUE(registre_.lister_valeurs(cles::section(cles::enregistrements_en_attente)).empty());
}

// --- Le compteur entier, sur coutures simulées, avec l'historique et les instantanés réels ---

constexpr std::int64_t debut_ms = 5500;  // l'authentification tombe entre deux tops

// Une connexion de l'entrée MonFAI : numérotation, authentification à `debut`, fin à `fin` (ms).
void connexion_monfai(BancCompteur& banc, std::int64_t debut, std::int64_t fin) {
    banc.acces.ajouter_connexion("MonFAI", {{debut - 2500, etat_ras_connexion_peripherique, 0},
                                            {debut, etat_ras_authentification, 0},
                                            {debut + 1000, etat_ras_connecte, 0},
                                            {fin, etat_aucune_connexion, 0}});
    banc.relayer_connexions();
}

class CompteurAvecHistorique : public ::testing::Test {
protected:
    void demarrer() {
        banc_ = std::make_unique<BancCompteur>(le_10_mars(13, 59, 55), registre_, dossier_.chemin());
        banc_->acces.definir_annuaire({"MonFAI"});
        banc_->demarrer();
    }
    void connexion(std::int64_t debut, std::int64_t fin) { connexion_monfai(*banc_, debut, fin); }
    void avancer_jusqu_a(std::int64_t ms) { banc_->ordonnanceur.avancer_jusqu_a(ms); }
    std::string lire(const std::string& nom) { return registre_.lire_valeur(options, nom); }
    const std::string& ligne_etat(int i) {
        return banc_->compteur.fenetre().lignes_etat[static_cast<std::size_t>(i)];
    }
    // Anne, et Paul protégé et choisi : la connexion de 2 min 5 s finie, la boîte de sélection est
    // ouverte et son rappel gardé dans `boites_`.
    void connexion_devant_la_boite() {
        utilisateurs_.ranger({"Anne", "Paul"}, {"", hacher_mot_de_passe("secret")});
        utilisateurs_.choisir(1);
        utilisateurs_.boite_selection = [this](auto enregistrer) {
            boites_.push_back(std::move(enregistrer));
        };
        demarrer();
        banc_->compteur.historique().definir_selection_utilisateur(utilisateurs_);
        connexion(debut_ms, debut_ms + 125000);
        avancer_jusqu_a(debut_ms + 130000);
    }
    void TearDown() override {
        if (banc_) banc_->compteur.historique().oublier_selection_utilisateur();
    }

    DossierCompteur dossier_;
    RegistreMemoire registre_;
    ListeUtilisateurs utilisateurs_{registre_};
    std::vector<std::function<void(const std::string&)>> boites_;
    std::unique_ptr<BancCompteur> banc_;
};

TEST_F(CompteurAvecHistorique, ConnexionEnregistreeEtAjouteeALaFacture) {
    registre_.ecrire_valeur(options, "frequence save crash", "3");
    registre_.ecrire_valeur(options, "cout total", "10");
    registre_.ecrire_valeur(options, "total time", "3600");
    demarrer();
    connexion(debut_ms, debut_ms + 125000);

    // En pleine connexion : l'instantané et la ligne de la facture comprennent la connexion.
    avancer_jusqu_a(debut_ms + 30000);
    const std::string sauv = lire("sauv crash");
    EXPECT_TRUE(sauv.starts_with("non identifié;Seconde;10/03/2000;14H00;00:00:2")) << sauv;
    EXPECT_EQ(lire("sauv total facture"), "10,260&3626");
    EXPECT_EQ(ligne_etat(3), "01h00m30s - 10,30 F");

    avancer_jusqu_a(debut_ms + 130000);
    EXPECT_EQ(enregistrements(dossier_.chemin()),
              std::vector<std::string>{
                  "non identifié;Seconde;10/03/2000;14H00;00:02:05;Rouge;A;1,250;-4;0;0,000;|;MonFAI;"});
    EXPECT_EQ(lire("cout total"), "11,250");
    EXPECT_EQ(lire("total time"), "3725");
    EXPECT_EQ(ligne_etat(3), "01h02m05s - 11,25 F");
    // Une connexion finie normalement ne laisse pas d'instantané.
    EXPECT_EQ(lire("sauv crash"), "");
    EXPECT_EQ(lire("sauv total facture"), "");
    EXPECT_EQ(banc_->compteur.historique().ecrivain().texte_derniere_duree(), "00:02:05");
}

TEST_F(CompteurAvecHistorique, LaBoiteDeSelectionFaitAttendreLEnregistrement) {
    connexion_devant_la_boite();
    auto& boites = boites_;
    auto& utilisateurs = utilisateurs_;

    // La boîte est ouverte (une fois) : rien n'est écrit, l'instantané garde toute la connexion,
    // et une fermeture du programme ne l'efface pas.
    ASSERT_EQ(boites.size(), 1u);
    EXPECT_TRUE(banc_->compteur.historique().selection_en_cours());
    EXPECT_TRUE(enregistrements(dossier_.chemin()).empty());
    EXPECT_TRUE(lire("sauv crash").starts_with("Paul;Seconde;10/03/2000;14H00;00:02:05;")) << lire("sauv crash");
    banc_->compteur.effacer_cle_sauvegarde_crash();
    EXPECT_NE(lire("sauv crash"), "");

    // Une seconde connexion finie pendant ce temps attend la même réponse.
    connexion(debut_ms + 140000, debut_ms + 200000);
    avancer_jusqu_a(debut_ms + 210000);
    EXPECT_EQ(boites.size(), 1u);

    ModeleTutilisateur boite(utilisateurs, "refusé");
    boite.choisir(2);  // non identifié
    boites.front()(*boite.valider());
    const auto lignes = enregistrements(dossier_.chemin());
    ASSERT_EQ(lignes.size(), 2u);
    EXPECT_TRUE(lignes[0].starts_with("non identifié;Seconde;10/03/2000;14H00;00:02:05;")) << lignes[0];
    EXPECT_TRUE(lignes[1].starts_with("non identifié;")) << lignes[1];
    EXPECT_EQ(lire("sauv crash"), "");
    EXPECT_FALSE(banc_->compteur.historique().selection_en_cours());
    EXPECT_EQ(utilisateurs.utilisateur_en_cours(), "Paul")
        << "non identifié ne vaut que pour ces enregistrements";
}

// Sans instantané, rien ne garderait la connexion que la boîte attend : la fermeture l'écrit, au nom
// de personne, et la réponse arrivée ensuite n'écrit rien de plus.
TEST_F(CompteurAvecHistorique, SansAntiCrashLaFermeturePendantLaBoiteEcritLaConnexion) {
    registre_.ecrire_valeur(options, "anti crash", "non");
    connexion_devant_la_boite();
    ASSERT_EQ(boites_.size(), 1u);
    EXPECT_TRUE(enregistrements(dossier_.chemin()).empty());
    EXPECT_EQ(lire("sauv crash"), "");

    banc_->compteur.effacer_cle_sauvegarde_crash();
    auto lignes = enregistrements(dossier_.chemin());
    ASSERT_EQ(lignes.size(), 1u);
    EXPECT_TRUE(lignes[0].starts_with("non identifié;Seconde;10/03/2000;14H00;00:02:05;")) << lignes[0];
    EXPECT_EQ(lire("total time"), "125");
    EXPECT_FALSE(banc_->compteur.historique().selection_en_cours());

    boites_.front()("Paul");
    EXPECT_EQ(enregistrements(dossier_.chemin()).size(), 1u);
}

TEST_F(CompteurAvecHistorique, SansAntiCrashAucunInstantane) {
    registre_.ecrire_valeur(options, "anti crash", "non");
    demarrer();
    connexion(debut_ms, debut_ms + 60000);
    for (std::int64_t ms = debut_ms; ms < debut_ms + 61000; ms += 1000) {
        avancer_jusqu_a(ms);
        ASSERT_EQ(lire("sauv crash"), "") << ms;
    }
    avancer_jusqu_a(debut_ms + 62000);
    EXPECT_EQ(enregistrements(dossier_.chemin()).size(), 1u);
}

TEST_F(CompteurAvecHistorique, ForfaitEpuiseDansLInstantane) {
    registre_.ecrire_valeur(cles::cle_provider("MonFAI"), "F1", "oui");
    registre_.ecrire_valeur(cles::section(cles::forfaits), "time F1", "10");
    registre_.ecrire_valeur(options, "frequence save crash", "3");
    demarrer();
    connexion(debut_ms, debut_ms + 60000);
    avancer_jusqu_a(debut_ms + 5000);
    EXPECT_EQ(lire("sauv forfait"), "9&F1");
    // Épuisé à 10 s, sans relais : l'option passe à aucune, et l'instantané garde "0&F1".
    avancer_jusqu_a(debut_ms + 30000);
    EXPECT_EQ(lire("sauv forfait"), "0&F1");
}

TEST_F(CompteurAvecHistorique, HistoriqueImpossibleAEcrire) {
    registre_.ecrire_valeur(options, "frequence save crash", "3");
    essai::ecrire_octets(dossier_ / "Historique", "un fichier à la place du dossier");
    demarrer();
    connexion(debut_ms, debut_ms + 60000);
    avancer_jusqu_a(debut_ms + 62000);

    // Le message nomme le fichier ; la connexion attend dans le magasin, la facture n'a pas bougé.
    ASSERT_EQ(banc_->dialogue.boites().size(), 1u);
    const auto& message = banc_->dialogue.boites()[0].texte;
    EXPECT_NE(message.find((dossier_ / "Historique" / "mars00.fct").string()), std::string::npos) << message;
    EXPECT_NE(message.find("n'est pas perdue"), std::string::npos) << message;
    EXPECT_TRUE(banc_->compteur.historique().enregistrement_en_attente());
    EXPECT_EQ(lire("sauv crash"), "");
    EXPECT_EQ(registre_.lister_valeurs(cles::section(cles::enregistrements_en_attente)).size(), 1u);
    EXPECT_EQ(lire("total time"), "");
    // Les nouveaux essais du repos ne rouvrent pas la boîte.
    avancer_jusqu_a(debut_ms + 95000);
    EXPECT_EQ(banc_->dialogue.boites().size(), 1u);

    // Le dossier réparé, la connexion suivante emmène celle qui attendait, dans l'ordre.
    fs::remove(dossier_ / "Historique");
    connexion(debut_ms + 100000, debut_ms + 130000);
    avancer_jusqu_a(debut_ms + 132000);
    const auto lignes = enregistrements(dossier_.chemin());
    ASSERT_EQ(lignes.size(), 2u);
    EXPECT_NE(lignes[0].find(";00:01:00;"), std::string::npos) << lignes[0];
    EXPECT_NE(lignes[1].find(";00:00:30;"), std::string::npos) << lignes[1];
    EXPECT_EQ(lire("total time"), "90");
    EXPECT_EQ(lire("sauv crash"), "");
    EXPECT_FALSE(banc_->compteur.historique().enregistrement_en_attente());
}

// Une connexion qui attend dans la base (fichier du mois impossible à écrire) est réessayée à la
// période des instantanés, même pendant la connexion suivante, et sa fin est dite.
TEST_F(CompteurAvecHistorique, LAttenteEstReessayeePendantLaConnexionSuivante) {
    registre_.ecrire_valeur(options, "frequence save crash", "3");  // toutes les 5 s
    essai::ecrire_octets(dossier_ / "Historique", "un fichier à la place du dossier");
    demarrer();
    connexion(debut_ms, debut_ms + 60000);
    connexion(debut_ms + 100000, debut_ms + 400000);
    avancer_jusqu_a(debut_ms + 62000);
    ASSERT_EQ(banc_->dialogue.boites().size(), 1u);
    EXPECT_NE(banc_->dialogue.boites()[0].texte.find("toutes les 5 secondes"), std::string::npos)
        << banc_->dialogue.boites()[0].texte;

    // Réparé en pleine connexion suivante : écrite dans la période, sans attendre la fin.
    avancer_jusqu_a(debut_ms + 150000);
    fs::remove(dossier_ / "Historique");
    avancer_jusqu_a(debut_ms + 156000);
    EXPECT_EQ(enregistrements(dossier_.chemin()).size(), 1u);
    EXPECT_FALSE(banc_->compteur.historique().enregistrement_en_attente());
    EXPECT_EQ(lire("total time"), "60");
    ASSERT_EQ(banc_->dialogue.boites().size(), 2u);
    EXPECT_NE(banc_->dialogue.boites()[1].texte.find("maintenant enregistrée"), std::string::npos)
        << banc_->dialogue.boites()[1].texte;
    // L'instantané de la connexion en cours n'a pas été touché par l'essai.
    EXPECT_TRUE(lire("sauv crash").starts_with("non identifié;Seconde;10/03/2000;14H01;"))
        << lire("sauv crash");

    avancer_jusqu_a(debut_ms + 402000);
    EXPECT_EQ(enregistrements(dossier_.chemin()).size(), 2u);
    EXPECT_EQ(lire("total time"), "360");
}

// Un magasin en mémoire qui refuse d'écrire sur commande, comme une base sur un disque plein.
class RegistreEnPanne final : public Registre {
public:
    std::string lire_valeur(std::string_view c, std::string_view n) const override {
        return r_.lire_valeur(c, n);
    }
    bool ecrire_valeur(std::string_view c, std::string_view n, std::string_view t) override {
        return !echec() && r_.ecrire_valeur(c, n, t);
    }
    bool ecrire_valeur_et_vider(std::string_view c, std::string_view n, std::string_view t) override {
        return !echec() && r_.ecrire_valeur(c, n, t);
    }
    bool appliquer_et_vider(const std::vector<OperationRegistre>& operations) override {
        return !echec() && r_.appliquer_et_vider(operations);
    }
    bool effacer_valeur(std::string_view c, std::string_view n) override {
        return !echec() && r_.effacer_valeur(c, n);
    }
    std::vector<std::string> lister_sous_cles(std::string_view c) const override {
        return r_.lister_sous_cles(c);
    }
    std::vector<std::string> lister_valeurs(std::string_view c) const override {
        return r_.lister_valeurs(c);
    }
    bool cle_existe(std::string_view c) const override { return r_.cle_existe(c); }
    bool creer_cle(std::string_view c) override { return !echec() && r_.creer_cle(c); }
    bool effacer_cle_feuille(std::string_view c) override { return !echec() && r_.effacer_cle_feuille(c); }

    bool panne = false;
    RegistreMemoire r_;

private:
    bool echec() {
        if (panne) signaler_echec_ecriture("Les réglages n'ont pu être enregistrés : disque plein.");
        return panne;
    }
};

TEST(FinDeConnexion, MagasinEnPannePuisRevenu) {
    DossierCompteur dossier;
    RegistreEnPanne registre;
    registre.r_.ecrire_valeur(options, "frequence save crash", "3");
    BancCompteur banc(le_10_mars(13, 59, 55), registre, dossier.chemin());
    banc.acces.definir_annuaire({"MonFAI"});
    banc.demarrer();
    connexion_monfai(banc, debut_ms, debut_ms + 600000);
    banc.ordonnanceur.avancer_jusqu_a(debut_ms + 56000);
    const std::string sauv_56 = registre.lire_valeur(options, "sauv crash");
    ASSERT_NE(sauv_56, "");

    // Le disque se remplit : les instantanés s'arrêtent, l'échec est dit une fois, le comptage continue.
    registre.panne = true;
    banc.ordonnanceur.avancer_jusqu_a(debut_ms + 602000);
    EXPECT_EQ(registre.lire_valeur(options, "sauv crash"), sauv_56);
    const auto& boites = banc.dialogue.boites();
    ASSERT_EQ(boites.size(), 2u);
    EXPECT_NE(boites[0].texte.find("disque plein"), std::string::npos) << boites[0].texte;
    // La connexion est gardée en mémoire, et le message ne promet que ce qui est vrai.
    EXPECT_NE(boites[1].texte.find("gardée en mémoire"), std::string::npos) << boites[1].texte;
    EXPECT_NE(boites[1].texte.find("dernier instantané"), std::string::npos) << boites[1].texte;
    EXPECT_TRUE(enregistrements(dossier.chemin()).empty());
    // La fermeture à ce moment ne perd pas l'instantané, et dit ce qui sera perdu et ce qui reste.
    banc.compteur.effacer_cle_sauvegarde_crash();
    EXPECT_EQ(registre.lire_valeur(options, "sauv crash"), sauv_56);
    ASSERT_EQ(boites.size(), 3u);
    EXPECT_NE(boites[2].texte.find("sera perdue en quittant"), std::string::npos) << boites[2].texte;
    EXPECT_NE(boites[2].texte.find("durée 00:10:00"), std::string::npos) << boites[2].texte;
    EXPECT_NE(boites[2].texte.find("Le dernier instantané (le 10/03/2000 à 14H00, durée 00:00:5"),
              std::string::npos)
        << boites[2].texte;

    // La place revenue, un essai du repos écrit la connexion entière, une fois, et efface l'instantané.
    registre.panne = false;
    banc.ordonnanceur.avancer_jusqu_a(debut_ms + 640000);
    const auto lignes = enregistrements(dossier.chemin());
    ASSERT_EQ(lignes.size(), 1u);
    EXPECT_NE(lignes[0].find(";00:10:00;"), std::string::npos) << lignes[0];
    EXPECT_EQ(registre.lire_valeur(options, "total time"), "600");
    EXPECT_EQ(registre.lire_valeur(options, "sauv crash"), "");
    EXPECT_FALSE(banc.compteur.historique().enregistrement_en_attente());
}

// Une reprise acceptée que le magasin refuse : l'instantané reste, même à la fermeture, pour être
// proposé au démarrage suivant.
TEST(FinDeConnexion, RepriseRefuseeParLeMagasinGardeLInstantane) {
    essai::DossierTemporaire dossier;
    RegistreEnPanne registre;
    registre.r_.ecrire_valeur(options, "sauv crash", ligne_paul);
    registre.r_.ecrire_valeur(options, "sauv total facture", "17,010&1301");
    DialogueScripte dialogue;
    dialogue.prevoir_reponse(Reponse::oui);
    HistoriqueCompteur historique(registre, dialogue, dossier.chemin(), ',');
    registre.panne = true;
    LignesEtat lignes{};
    EXPECT_EQ(historique.proposer_reprise_connexion(FichierIni(dossier / "lumicompteur.ini"),
                                                    ReglagesMonnaie{}, essai::jour(2000, 3, 11), lignes, {}),
              RepriseConnexion::echec_ecriture);
    EXPECT_NE(dialogue.boites().back().texte.find("prochain démarrage"), std::string::npos);
    registre.panne = false;
    historique.effacer_cle_sauvegarde_crash();
    EXPECT_EQ(registre.lire_valeur(options, "sauv crash"), ligne_paul);
    EXPECT_TRUE(enregistrements(dossier.chemin()).empty());
}

// L'instantané laissé par une exécution précédente (une connexion que la base n'a pu prendre)
// n'est ni remplacé par celui d'une nouvelle connexion ni effacé à sa fin, tant que l'offre du
// démarrage ne l'a pas réglé ; la nouvelle connexion est enregistrée à côté.
TEST(FinDeConnexion, LInstantaneDUneExecutionPrecedenteNEstPasRemplace) {
    DossierCompteur dossier;
    RegistreMemoire registre;
    registre.ecrire_valeur(options, "frequence save crash", "3");
    registre.ecrire_valeur(options, "sauv crash", ligne_paul);
    registre.ecrire_valeur(options, "sauv total facture", "12,010&1201");
    {
        BancCompteur banc(le_10_mars(14, 59, 55), registre, dossier.chemin());
        banc.acces.definir_annuaire({"MonFAI"});
        banc.demarrer();
        connexion_monfai(banc, debut_ms, debut_ms + 60000);
        for (const std::int64_t ms : {debut_ms + 30000, debut_ms + 62000}) {
            banc.ordonnanceur.avancer_jusqu_a(ms);
            EXPECT_EQ(registre.lire_valeur(options, "sauv crash"), ligne_paul) << ms;
        }
        banc.compteur.effacer_cle_sauvegarde_crash();
        EXPECT_EQ(registre.lire_valeur(options, "sauv crash"), ligne_paul);
        EXPECT_EQ(enregistrements(dossier.chemin()).size(), 1u);
        EXPECT_EQ(registre.lire_valeur(options, "total time"), "60");
    }
    // Le démarrage suivant la propose ; acceptée, les deux connexions sont là, facturées une fois.
    BancCompteur suivant(le_10_mars(16, 0, 0), registre, dossier.chemin());
    suivant.dialogue.prevoir_reponse(Reponse::oui);
    suivant.compteur.charger_tarifs();
    EXPECT_EQ(suivant.compteur.proposer_reprise_connexion(), RepriseConnexion::enregistree);
    const auto lignes = enregistrements(dossier.chemin());
    ASSERT_EQ(lignes.size(), 2u);
    EXPECT_TRUE(lignes[0].starts_with("non identifié;Seconde;10/03/2000;15H00;00:01:00;")) << lignes[0];
    EXPECT_EQ(lignes[1], ligne_paul);
    EXPECT_EQ(registre.lire_valeur(options, "sauv crash"), "");
    EXPECT_EQ(registre.lire_valeur(options, "total time"), std::to_string(1201 + 60));
}

// Un arrêt brutal à chaque étape de la fin d'une connexion, puis le démarrage suivant : toujours
// un seul enregistrement, facturé une fois, sans instantané ni attente.
TEST(FinDeConnexion, ArretBrutalAChaqueEtape) {
    struct ArretBrutal {};
    for (const auto etape : {EtapeFinConnexion::en_attente_rangee, EtapeFinConnexion::ligne_ajoutee}) {
        SCOPED_TRACE(static_cast<int>(etape));
        DossierCompteur dossier;
        RegistreMemoire registre;
        registre.ecrire_valeur(options, "frequence save crash", "3");
        registre.ecrire_valeur(options, "total time", "100");
        {
            BancCompteur banc(le_10_mars(13, 59, 55), registre, dossier.chemin());
            banc.acces.definir_annuaire({"MonFAI"});
            banc.demarrer();
            connexion_monfai(banc, debut_ms, debut_ms + 60000);
            banc.compteur.historique().point_arret = [etape](EtapeFinConnexion e) {
                if (e == etape) throw ArretBrutal{};
            };
            EXPECT_THROW(banc.ordonnanceur.avancer_jusqu_a(debut_ms + 62000), ArretBrutal);
        }
        BancCompteur suivant(le_10_mars(15, 0, 0), registre, dossier.chemin());
        suivant.compteur.charger_tarifs();
        EXPECT_EQ(suivant.compteur.proposer_reprise_connexion(), RepriseConnexion::aucune);
        const auto lignes = enregistrements(dossier.chemin());
        ASSERT_EQ(lignes.size(), 1u);
        EXPECT_NE(lignes[0].find(";00:01:00;"), std::string::npos) << lignes[0];
        EXPECT_EQ(registre.lire_valeur(options, "total time"), "160");
        EXPECT_EQ(registre.lire_valeur(options, "sauv crash"), "");
        EXPECT_TRUE(registre.lister_valeurs(cles::section(cles::enregistrements_en_attente)).empty());
    }
}

}  // namespace
}  // namespace lumi
