// L'affectation du fournisseur à la connexion : trace, fenêtre de messages, tarif et options du
// fournisseur, délai d'anticipation recalculé depuis l'instant de la détection.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "essai_compteur.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/fichier_ini.hpp"

namespace lumi::essai {
namespace {

constexpr std::int64_t debut_ms = 5500;
constexpr std::int64_t apres(std::int64_t secondes) {
    return debut_ms + secondes * 1000;
}

TEST(Fournisseur, DelaiDAnticipation) {
    struct Cas {
        const char* nom;
        std::int32_t detection;
        std::optional<const char*> anticipation;  // absent : aucune valeur rangée
        std::int32_t debut;
    };
    const Cas cas[] = {
        {"15 s juste après minuit", seconde_du_jour(0, 0, 10), "15", seconde_du_jour(0, 0, 10)},
        {"15 s l'après-midi", seconde_du_jour(14, 0, 0), "15", seconde_du_jour(13, 59, 45)},
        {"999 s ne passe pas minuit", seconde_du_jour(0, 10, 0), "999", seconde_du_jour(0, 10, 0)},
        {"999 s à 00:20:00", seconde_du_jour(0, 20, 0), "999", seconde_du_jour(0, 3, 21)},
        {"absent", seconde_du_jour(14, 0, 0), std::nullopt, seconde_du_jour(14, 0, 0)},
        {"vide", seconde_du_jour(14, 0, 0), "", seconde_du_jour(14, 0, 0)},
        {"pas un nombre", seconde_du_jour(14, 0, 0), "douze", seconde_du_jour(14, 0, 0)},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        EssaiCompteur e({jour(2000, 3, 10), c.detection - 5});
        if (c.anticipation)
            e.registre().ecrire_valeur(cles::cle_provider("MonFAI"), "anticipation", *c.anticipation);
        e.demarrer();
        e.connexion("MonFAI", debut_ms, apres(600));
        e.banc->avancer(5 + 10);
        EXPECT_EQ(e.etat().seconde_detection, c.detection);
        EXPECT_EQ(e.etat().seconde_debut, c.debut);
        // Le délai s'ajoute à la durée comptée.
        EXPECT_EQ(e.etat().duree_connexion, 10 + c.detection - c.debut);

        // Une seconde affectation repart de l'instant de la détection.
        e.compteur().affectation_variable_provider();
        EXPECT_EQ(e.etat().seconde_debut, c.debut);
    }
}

TEST(Fournisseur, ConnexionVueAvantDAvoirUnNomAffecteeParLeTop) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    e.registre().ecrire_valeur(cles::cle_provider("MonFAI"), "anticipation", "15");
    e.demarrer();
    // La détection voit la ligne avant que la liste des connexions ne la donne.
    e.banc->ordonnanceur.planifier(debut_ms, [&] { e.compteur().action_connecte_au_reseau(); });
    e.banc->acces.ajouter_connexion("MonFAI", {{7000, etat_ras_connecte, 0}});
    e.banc->avancer(6);
    EXPECT_TRUE(e.etat().compteur_actif);
    EXPECT_EQ(e.etat().nom_connexion, "");
    EXPECT_EQ(e.etat().seconde_debut, seconde_du_jour(14, 0, 5));
    e.banc->avancer(2);  // le top de 7 s voit la connexion et l'affecte
    EXPECT_EQ(e.etat().nom_connexion, "MonFAI");
    EXPECT_EQ(e.etat().provider_en_cours, "MonFAI");
    EXPECT_EQ(e.etat().seconde_debut, seconde_du_jour(13, 59, 50));
    EXPECT_EQ(e.etat().duree_connexion, 18);
    e.banc->avancer(10);
    EXPECT_EQ(e.etat().seconde_debut, seconde_du_jour(13, 59, 50));
    EXPECT_EQ(e.etat().duree_connexion, 28);

    const FichierIni reglages(e.dossier / "lumicompteur.ini");
    EXPECT_EQ(reglages.cles("test"), (std::vector<std::string>{"10/03/2000 14:00:05 affectation1",
                                                               "10/03/2000 14:00:07 affectation1"}));
}

TEST(Fournisseur, TraceDeChaqueAffectation) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    e.demarrer();
    e.connexion("MonFAI", debut_ms, apres(30));
    e.connexion("Autre", apres(60), apres(90));
    e.banc->avancer(100);
    const FichierIni reglages(e.dossier / "lumicompteur.ini");
    // La valeur est le fournisseur affecté avant : vide la première fois.
    EXPECT_EQ(reglages.lire("test", "10/03/2000 14:00:05 affectation1", "absent"), "");
    EXPECT_EQ(reglages.lire("test", "10/03/2000 14:01:05 affectation1", "absent"), "MonFAI");
    EXPECT_EQ(e.etat().provider_en_cours, "Autre");
}

// Une clé par connexion : sans limite le fichier, récrit à chaque trace, grossirait sans fin.
TEST(Fournisseur, LaTraceGardeSesDernieresEntrees) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    // Les traces laissées par les connexions d'avant, plus nombreuses que ce qui est gardé.
    std::string reglages = lire_octets(e.dossier / "lumicompteur.ini") + "\r\n[test]\r\n";
    std::vector<std::string> anciennes;
    for (std::size_t i = 0; i < entrees_trace_gardees + 50; ++i) {
        anciennes.push_back("01/01/2000 " + formater_heure(static_cast<std::int32_t>(i)) + " affectation1");
        reglages += anciennes.back() + "=MonFAI\r\n";
    }
    ecrire_octets(e.dossier / "lumicompteur.ini", reglages);
    e.demarrer();
    e.connexion("MonFAI", debut_ms, apres(30));
    e.banc->avancer(40);

    std::vector<std::string> attendues(anciennes.end() - (entrees_trace_gardees - 1), anciennes.end());
    attendues.push_back("10/03/2000 14:00:05 affectation1");
    EXPECT_EQ(FichierIni(e.dossier / "lumicompteur.ini").cles("test"), attendues);
}

TEST(Fournisseur, FenetreDeMessagesSelonMessage1) {
    struct Cas {
        std::optional<const char*> message_1;
        int demandes;
    };
    const Cas cas[] = {{std::nullopt, 2}, {"oui", 2}, {"non", 0}};
    for (const auto& c : cas) {
        SCOPED_TRACE(c.message_1.value_or("absent"));
        EssaiCompteur e(le_10_mars(14, 0, 0));
        if (c.message_1) e.ecrire(cles::options, "message 1", *c.message_1);
        e.demarrer();
        e.connexion("MonFAI", debut_ms, apres(30));
        e.connexion("MonFAI", apres(60), apres(90));
        e.banc->avancer(100);
        EXPECT_EQ(e.fenetre().demandes_Tinfoform, c.demandes);
        // Sans attendre : le compteur a continué.
        EXPECT_EQ(e.etat().texte_duree, "00:00:30");
    }
}

TEST(Fournisseur, TarifEtOptionsDuFournisseur) {
    struct Cas {
        const char* nom;
        std::optional<const char*> tarification;
        std::vector<std::string_view> options;
        const char* tarif;
        const char* option;
        float prix;  // après 100 s
        float reduction;
    };
    const Cas cas[] = {
        {"rien de rangé", std::nullopt, {}, "Seconde", "", 1.00f, 0.0f},
        {"tarif du fournisseur", "Relais", {}, "Relais", "", 2.00f, 0.0f},
        {"tarif inconnu : le premier", "Disparu", {}, "Seconde", "", 1.00f, 0.0f},
        {"réduction accordée", "Relais", {"R30"}, "Relais", "R30", 2.00f, 0.60f},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        EssaiCompteur e(le_10_mars(14, 0, 0));
        if (c.tarification)
            e.registre().ecrire_valeur(cles::cle_provider("MonFAI"), "tarification", *c.tarification);
        for (auto o : c.options) e.registre().ecrire_valeur(cles::cle_provider("MonFAI"), o, "oui");
        e.demarrer();
        e.connexion("MonFAI", debut_ms, apres(3600));
        e.banc->avancer(5 + 100);
        EXPECT_EQ(e.compteur().choix().tarif_en_cours, c.tarif);
        EXPECT_EQ(e.compteur().choix().forfait_en_cours, c.option);
        EXPECT_FLOAT_EQ(e.etat().prix_communication, c.prix);
        EXPECT_NEAR(e.etat().montant_reduction, c.reduction, 1e-5);
        if (c.reduction > 0) {
            EXPECT_EQ(e.ligne(4), "Réduction en cours :");
            EXPECT_EQ(e.ligne(5), "- 30% = - 0,60 F");
            EXPECT_EQ(e.fenetre().Panel4, "1,40 F");
        }
    }
}

TEST(Fournisseur, AucuneConnexionALAffectation) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    e.demarrer();
    e.compteur().affectation_variable_provider();
    EXPECT_TRUE(e.etat().compteur_actif);
    EXPECT_TRUE(e.etat().connexion_etablie);
    EXPECT_TRUE(e.etat().provider_affecte);
    EXPECT_EQ(e.etat().provider_en_cours, "");
    EXPECT_EQ(e.compteur().choix().tarif_en_cours, "Seconde");
    const FichierIni reglages(e.dossier / "lumicompteur.ini");
    EXPECT_EQ(reglages.cles("test").size(), 1u);
}

}  // namespace
}  // namespace lumi::essai
