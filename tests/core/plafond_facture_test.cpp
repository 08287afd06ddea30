// Le plafond de la facture : le modèle seul (saisie, lecture, comparaison, alerte une fois par
// période), puis branché sur le compteur simulé (avis, alarme, et la déconnexion du décompte).
#include <gtest/gtest.h>

#include "essai_compteur.hpp"
#include "history/plafond_facture.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/fichier_ini.hpp"

namespace lumi {
namespace {

using essai::DossierTemporaire;
using essai::EssaiCompteur;
using essai::jour;
using essai::le_10_mars;

// --- Le modèle ---

struct CasSaisie {
    SaisiePlafond saisie;
    bool acceptee;
    std::optional<double> montant;
    int alerte;
    ActionPlafond action;
};

TEST(PlafondFacture, SaisieVerifiee) {
    const std::vector<CasSaisie> cas{
        {{"", "", ""}, true, std::nullopt, 80, ActionPlafond::avertir},
        {{" 150 ", "", "avertir"}, true, 150.0, 80, ActionPlafond::avertir},
        {{"150,5", "90", "raccrocher"}, true, 150.5, 90, ActionPlafond::raccrocher},
        {{"0.25", "1", ""}, true, 0.25, 1, ActionPlafond::avertir},
        {{"0", "", ""}, false, {}, 0, {}},
        {{"-3", "", ""}, false, {}, 0, {}},
        {{"1e5", "", ""}, false, {}, 0, {}},
        {{"12,5,0", "", ""}, false, {}, 0, {}},
        {{"cent", "", ""}, false, {}, 0, {}},
        {{"99999999", "", ""}, false, {}, 0, {}},
        {{"150", "0", ""}, false, {}, 0, {}},
        {{"150", "100", ""}, false, {}, 0, {}},
        {{"150", "8O", ""}, false, {}, 0, {}},
        {{"150", "", "couper"}, false, {}, 0, {}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.saisie.montant + " | " + c.saisie.alerte + " | " + c.saisie.action);
        const auto v = verifier_saisie_plafond(c.saisie);
        ASSERT_EQ(v.reglages.has_value(), c.acceptee) << v.erreur;
        if (!c.acceptee) {
            EXPECT_FALSE(v.erreur.empty());
            continue;
        }
        EXPECT_EQ(v.reglages->montant, c.montant);
        EXPECT_EQ(v.reglages->alerte, c.alerte);
        EXPECT_EQ(v.reglages->action, c.action);
    }
}

TEST(PlafondFacture, RangeEtRelu) {
    RegistreMemoire registre;
    ecrire_reglages_plafond(registre, {150.5, 90, ActionPlafond::raccrocher}, ',');
    const std::string section = cles::section(cles::options);
    EXPECT_EQ(registre.lire_valeur(section, "plafond facture"), "150,5");
    EXPECT_EQ(registre.lire_valeur(section, "plafond alerte"), "90");
    EXPECT_EQ(registre.lire_valeur(section, "plafond action"), "raccrocher");
    std::string erreur;
    const auto lu = lire_reglages_plafond(registre, &erreur);
    EXPECT_EQ(erreur, "");
    EXPECT_EQ(lu.montant, 150.5);
    EXPECT_EQ(lu.alerte, 90);
    EXPECT_EQ(lu.action, ActionPlafond::raccrocher);

    // Vidé : plus de plafond, la valeur disparaît.
    ecrire_reglages_plafond(registre, {std::nullopt, 80, ActionPlafond::avertir}, ',');
    EXPECT_EQ(registre.lire_valeur(section, "plafond facture"), "");
    EXPECT_FALSE(lire_reglages_plafond(registre).montant);
}

TEST(PlafondFacture, ValeursRangeesIllisiblesDites) {
    RegistreMemoire registre;
    const std::string section = cles::section(cles::options);
    registre.ecrire_valeur(section, "plafond facture", "beaucoup");
    registre.ecrire_valeur(section, "plafond alerte", "150");
    registre.ecrire_valeur(section, "plafond action", "exploser");
    std::string erreur;
    const auto lu = lire_reglages_plafond(registre, &erreur);
    EXPECT_FALSE(lu.montant);
    EXPECT_EQ(lu.alerte, 80);
    EXPECT_EQ(lu.action, ActionPlafond::avertir);
    EXPECT_NE(erreur.find("« beaucoup »"), std::string::npos) << erreur;
    EXPECT_NE(erreur.find("« 150 »"), std::string::npos) << erreur;
    EXPECT_NE(erreur.find("« exploser »"), std::string::npos) << erreur;
}

TEST(PlafondFacture, MontantDansLUniteAffichee) {
    ReglagesMonnaie ttc;
    ttc.taux_tva = 19.6f;
    ttc.nb_decimales = 3;
    ttc.ttc = true;
    ReglagesMonnaie ht = ttc;
    ht.ttc = false;
    ht.nb_decimales = 2;
    EXPECT_DOUBLE_EQ(montant_affiche(100, ttc), 119.6);
    EXPECT_DOUBLE_EQ(montant_affiche(100, ht), 100);
    EXPECT_DOUBLE_EQ(montant_affiche(0.125, ht), 0.13);  // arrondi comme l'afficheur
    EXPECT_EQ(texte_plafond(150, ttc), "150,000 F TTC");
    EXPECT_EQ(texte_plafond(150, ht), "150,00 F HT");
    EXPECT_EQ(ligne_plafond({150.0, 80, ActionPlafond::avertir}, 93.5, ttc),
              "Plafond : 150,000 F TTC, atteint à 62 %");
    EXPECT_EQ(ligne_plafond({}, 93.5, ttc), "");
    EXPECT_EQ(part_du_plafond(120, 150), 80);
    EXPECT_EQ(part_du_plafond(0, 150), 0);
}

// Une suite de tops : le montant, la période, une nouvelle connexion avant ce top, l'événement.
struct Top {
    double montant;
    NumeroJour periode;
    bool nouvelle_connexion;
    EvenementPlafond attendu;
};

struct CasSuite {
    std::string nom;
    std::vector<Top> tops;
};

TEST(PlafondFacture, AlerteUneFoisParPeriodeEtPlafondUneFoisParConnexion) {
    using E = EvenementPlafond;
    const ReglagesPlafond reglages{100.0, 80, ActionPlafond::avertir};
    const std::vector<CasSuite> cas{
        {"alerte franchie une fois",
         {{70, 1, true, E::aucun},
          {80, 1, false, E::alerte},
          {85, 1, false, E::aucun},
          {99.99, 1, false, E::aucun}}},
        {"plafond atteint après l'alerte, une seule fois",
         {{85, 1, true, E::alerte}, {100, 1, false, E::atteint}, {120, 1, false, E::aucun}}},
        {"alerte et plafond franchis d'un coup : le plafond seul",
         {{79, 1, true, E::aucun}, {101, 1, false, E::atteint}, {102, 1, false, E::aucun}}},
        {"déjà dépassé au début de chaque connexion",
         {{150, 1, true, E::atteint}, {151, 1, false, E::aucun}, {151, 1, true, E::atteint}}},
        {"l'alerte n'est pas redite à la connexion suivante",
         {{85, 1, true, E::alerte}, {86, 1, true, E::aucun}}},
        {"une nouvelle période la réarme",
         {{85, 1, true, E::alerte}, {85, 1, true, E::aucun}, {85, 2, true, E::alerte}}},
        {"une facture recomptée plus bas ne réarme pas la période",
         {{85, 1, true, E::alerte}, {10, 1, true, E::aucun}, {85, 1, false, E::aucun}}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        EtatPlafond etat;
        for (std::size_t i = 0; i < c.tops.size(); ++i) {
            const auto& t = c.tops[i];
            if (t.nouvelle_connexion) etat.atteint_signale = false;
            EXPECT_EQ(evaluer_plafond(reglages, t.montant, t.periode, etat), t.attendu) << "top " << i;
        }
    }
    // Sans plafond, rien.
    EtatPlafond etat;
    EXPECT_EQ(evaluer_plafond({}, 1e6, 1, etat), EvenementPlafond::aucun);
}

TEST(PlafondFacture, DebutDePeriodeLuOuAujourdhui) {
    DossierTemporaire dossier{"lumi-plafond"};
    FichierIni ini(dossier / fichier_reglages);
    const NumeroJour aujourdhui = jour(2000, 3, 10);
    EXPECT_EQ(debut_periode_facture(ini, aujourdhui), aujourdhui);
    ini.ecrire("Paramètres de l'historique", "date fin derniere facture", "01/03/2000");
    EXPECT_EQ(debut_periode_facture(ini, aujourdhui), jour(2000, 3, 1));
    ini.ecrire("Paramètres de l'historique", "date fin derniere facture", "31/02/2000");
    EXPECT_EQ(debut_periode_facture(ini, aujourdhui), aujourdhui);
}

// --- Branché sur le compteur ---
// Le tarif d'essai coûte 0,01 F HT la seconde ; l'afficheur des essais montre les prix HT à deux
// décimales : un plafond de 1 F est atteint après 100 s (14:01:45, la connexion commence à
// 14:00:05), l'alerte à 50 % après 50 s.

constexpr std::int64_t debut_ms = 5500;
constexpr std::int64_t apres(std::int64_t secondes) {
    return debut_ms + secondes * 1000;
}

struct Essai {
    explicit Essai(std::string_view action, std::string_view cout_total = "0") : e(le_10_mars(14, 0, 0)) {
        FichierIni ini(e.dossier.chemin() / fichier_reglages);
        ini.ecrire("Paramètres de l'historique", "date fin derniere facture", "01/03/2000");
        ini.ecrire("messages utilisateurs", "message 21", "M21");
        ini.ecrire("messages utilisateurs", "message 22", "M22");
        e.ecrire(cles::options, "plafond facture", "1");
        e.ecrire(cles::options, "plafond alerte", "50");
        e.ecrire(cles::options, "plafond action", action);
        e.ecrire(cles::options, "cout total", cout_total);
        e.demarrer();
        e.connexion("MonFAI", debut_ms, apres(1000));
    }
    BancCompteur& banc() { return *e.banc; }
    EssaiCompteur e;
};

TEST(PlafondCompteur, AvertirAlerteDuePuisPlafondAtteintEtLaConnexionContinue) {
    Essai x("avertir");
    x.banc().avancer_ms(apres(45));
    EXPECT_TRUE(x.e.boites().empty());
    x.banc().avancer_ms(apres(55) - apres(45));
    ASSERT_EQ(x.e.boites().size(), 1u);
    EXPECT_EQ(x.e.boites()[0], "Attention, la facture en cours atteint 50 % du plafond de 1,00 F HT.");
    EXPECT_EQ(x.e.ligne(ligne_etat::titre_plafond), "Plafond facture :");
    EXPECT_EQ(x.e.lire(cles::options, "plafond alerte donnee"), "01/03/2000");
    EXPECT_TRUE(x.banc().son.joues().empty());

    x.banc().avancer_ms(apres(110) - apres(55));
    ASSERT_EQ(x.e.boites().size(), 2u);
    EXPECT_EQ(x.e.boites()[1], "Le plafond de la facture (1,00 F HT) est atteint.");
    EXPECT_EQ(x.banc().son.joues().size(), 1u);
    const auto atteint = x.e.compteur().instant_plafond_atteint();
    ASSERT_TRUE(atteint);
    EXPECT_EQ(formater_heure(atteint->seconde), "14:01:45");
    // Avertir seulement : la connexion continue, ni décompte ni raccrochage.
    x.banc().avancer(60);
    EXPECT_TRUE(x.e.etat().compteur_actif);
    EXPECT_EQ(x.banc().ecrans.decompte(), nullptr);
    EXPECT_EQ(x.e.boites().size(), 2u);
    EXPECT_EQ(x.e.ligne(ligne_etat::plafond), "atteint à 170 % de 1,00 F HT");
}

TEST(PlafondCompteur, DejaDepasseAuDebutAvertitAussitot) {
    Essai x("avertir", "1,5");
    x.banc().avancer_ms(apres(2));
    ASSERT_EQ(x.e.boites().size(), 1u);
    EXPECT_EQ(x.e.boites()[0], "Le plafond de la facture (1,00 F HT) est atteint.");
    EXPECT_EQ(x.banc().son.joues().size(), 1u);
}

TEST(PlafondCompteur, RaccrocherPasseParLeDecompteSansEteindreLaMachine) {
    Essai x("raccrocher");
    // Les choix de la programmation de l'utilisateur ne changent pas le plafond : il raccroche et
    // n'éteint jamais la machine.
    x.e.ecrire(cles::options, "se deconnecter", "non");
    x.e.ecrire(cles::options, "exit window", "oui");
    x.e.ecrire(cles::options, "delai auto validation", "3");
    x.banc().avancer_ms(apres(101));
    ASSERT_NE(x.banc().ecrans.decompte(), nullptr);
    EXPECT_TRUE(x.e.etat().compteur_actif);
    ASSERT_EQ(x.e.boites().size(), 2u);
    EXPECT_EQ(x.e.boites()[1],
              "Le plafond de la facture (1,00 F HT) est atteint.\rLa connexion va être coupée.");
    x.banc().avancer(6);
    EXPECT_TRUE(x.banc().ecrans.decompte()->fermee);
    EXPECT_FALSE(x.e.etat().compteur_actif);
    EXPECT_EQ(x.banc().arret.demandes, 0);
    EXPECT_EQ(x.e.historiques, 1);
    // Une programmation de l'utilisateur n'a pas été touchée ni comptée comme désarmée.
    EXPECT_FALSE(x.e.compteur().programmation().armee());
}

TEST(PlafondCompteur, RaccrocherLaisseArmeeLaProgrammationDeLUtilisateur) {
    Essai x("raccrocher");
    x.e.ecrire(cles::options, "delai auto validation", "0");
    x.banc().avancer_ms(apres(10));
    x.e.compteur().programmation().armer({TypeProgrammation::duree, "3600"});
    x.banc().avancer_ms(apres(105) - apres(10));
    EXPECT_FALSE(x.e.etat().compteur_actif);
    EXPECT_TRUE(x.e.compteur().programmation().armee());
}

TEST(PlafondCompteur, AlerteDejaDonneeDansLaPeriodeNonRedite) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    FichierIni ini(e.dossier.chemin() / fichier_reglages);
    ini.ecrire("Paramètres de l'historique", "date fin derniere facture", "01/03/2000");
    e.ecrire(cles::options, "plafond facture", "1");
    e.ecrire(cles::options, "plafond alerte", "50");
    e.ecrire(cles::options, "cout total", "0,6");
    e.ecrire(cles::options, "plafond alerte donnee", "01/03/2000");
    e.demarrer();
    e.connexion("MonFAI", debut_ms, apres(1000));
    e.banc->avancer_ms(apres(20));
    EXPECT_TRUE(e.boites().empty());
    // La ligne d'état reprend l'alerte de la période.
    EXPECT_EQ(e.ligne(ligne_etat::plafond), "atteint à 80 % de 1,00 F HT");
}

}  // namespace
}  // namespace lumi
