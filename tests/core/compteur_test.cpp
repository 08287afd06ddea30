// Le compteur rejoué seconde par seconde : machine à états, temps écoulé (minuit, horloge
// reculée, plus de 99 heures), prix, forfaits qui s'épuisent, boutons, titre et info-bulle.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "essai_compteur.hpp"
#include "settings/fichier_ini.hpp"

namespace lumi::essai {
namespace {

constexpr std::string_view alerte_heure =
    "Attention ! modifier l'heure système pendant le fonctionnement de Lumicompteur 2000,\r"
    "provoque l'arrêt du compteur. En effet, pour une plus grande précision de\r"
    "chronométrage,le logiciel utilise l'heure comme référence.\r"
    "Restaurez simplement l'heure pour obtenir de nouveau un fonctionnement correct.";

// Authentification à 5,5 s du départ : le top de l'instant 5 + n secondes compte n secondes.
constexpr std::int64_t debut_ms = 5500;
constexpr std::int64_t apres(std::int64_t secondes) {
    return debut_ms + secondes * 1000;
}

// --- Machine à états -----------------------------------------------------------------------

TEST(Compteur, ConnexionOrdinaireDeLaNumerotationALaFin) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    e.demarrer();
    e.connexion("MonFAI", debut_ms, apres(125));

    e.banc->avancer_ms(3500);  // numérotation à 3 s
    EXPECT_EQ(e.ligne(0), "Numérotation en cours");
    EXPECT_EQ(e.ligne(1), "MonFAI");
    EXPECT_EQ(e.fenetre().Panel2, "00:00:00");
    EXPECT_EQ(e.fenetre().Panel4, "0,00 F");
    EXPECT_EQ(e.banc->compteur.Timer2().intervalle(), 600);
    EXPECT_TRUE(e.banc->compteur.Timer2().active());
    EXPECT_TRUE(e.fenetre().icone_numerotation);
    EXPECT_FALSE(e.fenetre().SpeedButton1.enabled);
    EXPECT_FALSE(e.fenetre().SpeedButton2.enabled);
    EXPECT_FALSE(e.etat().compteur_actif);
    EXPECT_FALSE(e.etat().connexion_etablie);

    e.banc->avancer_ms(2000);  // authentification à 5,5 s
    EXPECT_EQ(e.ligne(0), "Connecté au service");
    EXPECT_EQ(e.ligne(1), "");
    EXPECT_TRUE(e.etat().compteur_actif);
    EXPECT_TRUE(e.etat().connexion_etablie);
    EXPECT_EQ(e.etat().seconde_debut, seconde_du_jour(14, 0, 5));
    EXPECT_FALSE(e.banc->compteur.Timer2().active());
    EXPECT_EQ(e.banc->compteur.Timer2().intervalle(), 700);
    EXPECT_FALSE(e.fenetre().icone_numerotation);
    EXPECT_FALSE(e.fenetre().SpeedButton1.visible);
    EXPECT_FALSE(e.fenetre().SpeedButton2.visible);
    EXPECT_TRUE(e.fenetre().SpeedButton2.enabled);
    EXPECT_TRUE(e.fenetre().SpeedButton3.visible);
    EXPECT_TRUE(e.fenetre().SpeedButton11.visible);
    EXPECT_FALSE(e.fenetre().SpeedButton14.visible);
    EXPECT_FALSE(e.fenetre().SpeedButton15.visible);

    e.banc->avancer(125);
    EXPECT_EQ(e.ligne(0), "Fin de connexion");
    EXPECT_EQ(e.etat().texte_duree, "00:02:05");
    EXPECT_EQ(e.fenetre().Panel2, "00:02:05");
    // Tarif "Seconde" : un centime la seconde, hors taxes et deux décimales (réglages d'essai).
    EXPECT_FLOAT_EQ(e.etat().prix_communication, 1.25f);
    EXPECT_EQ(e.fenetre().Panel4, "1,25 F");
    EXPECT_FALSE(e.etat().compteur_actif);
    EXPECT_TRUE(e.etat().connexion_etablie);  // reste vrai jusqu'à la prochaine numérotation
    EXPECT_EQ(e.historiques, 1);
    EXPECT_TRUE(e.fenetre().SpeedButton1.visible);
    EXPECT_TRUE(e.fenetre().SpeedButton2.visible);
    EXPECT_FALSE(e.fenetre().SpeedButton3.visible);
    EXPECT_FALSE(e.fenetre().SpeedButton4.visible);
    EXPECT_TRUE(e.fenetre().SpeedButton14.visible);
    EXPECT_EQ(e.fenetre().info_bulle_icone, "Lumicompteur 2000");

    // Le dernier temps et le dernier prix restent affichés jusqu'à la prochaine numérotation.
    e.banc->avancer(30);
    EXPECT_EQ(e.fenetre().Panel2, "00:02:05");
    EXPECT_EQ(e.fenetre().Panel4, "1,25 F");
}

TEST(Compteur, NumerotationRateePuisConnexionReussie) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    e.demarrer();
    e.echec("MonFAI", 2000, 6000);
    e.connexion("MonFAI", 12500, 12500 + 60000);

    e.banc->avancer(7);
    EXPECT_EQ(e.ligne(0), "Echec connexion");
    EXPECT_FALSE(e.etat().compteur_actif);
    EXPECT_EQ(e.historiques, 0);

    e.banc->avancer(70);
    EXPECT_EQ(e.ligne(0), "Fin de connexion");
    EXPECT_EQ(e.etat().texte_duree, "00:01:00");
    EXPECT_EQ(e.historiques, 1);
}

TEST(Compteur, ComptageManuel) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    e.demarrer();
    e.banc->ordonnanceur.planifier(debut_ms, [&] { e.compteur().SpeedButton1Click(); });
    e.banc->ordonnanceur.planifier(apres(90), [&] { e.compteur().SpeedButton4Click(); });

    // Jusqu'au premier top compté, qui y met la ligne de la jauge.
    e.banc->ordonnanceur.avancer_jusqu_a(debut_ms);
    EXPECT_EQ(e.ligne(0), "Démarré  manuellement");
    EXPECT_EQ(e.fenetre().Panel1.texte, "Démarré  manuellement");
    e.banc->avancer_ms(500);
    EXPECT_TRUE(e.etat().mode_manuel);
    EXPECT_TRUE(e.etat().compteur_actif);
    EXPECT_EQ(e.etat().nom_connexion, "");
    EXPECT_FALSE(e.fenetre().SpeedButton1.visible);
    EXPECT_TRUE(e.fenetre().SpeedButton4.visible);
    EXPECT_TRUE(e.fenetre().SpeedButton4.enabled);
    EXPECT_FALSE(e.fenetre().SpeedButton2.enabled);
    EXPECT_FALSE(e.fenetre().SpeedButton14.visible);
    // Pas d'adresse ni de fournisseur en mode manuel.
    EXPECT_EQ(e.ligne(11), "");

    e.banc->avancer(90);
    EXPECT_EQ(e.ligne(0), "Arrêté manuellement");
    EXPECT_EQ(e.etat().texte_duree, "00:01:30");
    EXPECT_FALSE(e.etat().mode_manuel);
    EXPECT_FALSE(e.etat().compteur_actif);
    EXPECT_FALSE(e.etat().connexion_etablie);
    EXPECT_EQ(e.historiques, 1);
    EXPECT_TRUE(e.fenetre().SpeedButton1.visible);
    EXPECT_FALSE(e.fenetre().SpeedButton4.visible);
    EXPECT_FALSE(e.fenetre().SpeedButton4.enabled);
}

TEST(Compteur, DemarrageManuelInterditHorsDeToutePlage) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    // "Nuit seule" n'a de plage que de minuit à 8 h ; la liste des options sur "aucune".
    e.ecrire(cles::utilisateurs, "dernier tarif", "Nuit seule");
    e.ecrire(cles::options, "derniere reduc", "1");
    e.demarrer();
    EXPECT_EQ(e.etat().plage_en_cours, 0);
    EXPECT_FALSE(e.fenetre().SpeedButton1.enabled);

    EssaiCompteur nuit(le_10_mars(3, 0, 0));
    nuit.ecrire(cles::utilisateurs, "dernier tarif", "Nuit seule");
    nuit.ecrire(cles::options, "derniere reduc", "1");
    nuit.demarrer();
    EXPECT_EQ(nuit.etat().plage_en_cours, 2);
    EXPECT_TRUE(nuit.fenetre().SpeedButton1.enabled);
}

TEST(Compteur, BoutonsSelonLEtatDeLaConnexion) {
    struct Cas {
        const char* nom;
        int etat_ras;  // etat_aucune_connexion : aucune
        bool compteur_actif;
        bool b1, b2, b3, b4, b11;  // visibles
        bool b1_actif, b2_actif;
    };
    const Cas cas[] = {
        {"aucune connexion", etat_aucune_connexion, false, true, true, false, false, false, true, true},
        {"comptage manuel", etat_aucune_connexion, true, false, true, false, true, false, false, false},
        {"numérotation", etat_ras_connexion_peripherique, false, true, true, false, false, false, false,
         false},
        {"authentification", etat_ras_authentification, false, false, false, true, false, true, true, true},
        {"connectée", etat_ras_connecte, false, false, false, true, false, true, true, true},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        EssaiCompteur e(le_10_mars(14, 0, 0));
        e.demarrer();
        if (c.compteur_actif) e.compteur().SpeedButton1Click();
        if (c.etat_ras != etat_aucune_connexion) {
            e.banc->acces.ajouter_connexion("MonFAI", {{0, c.etat_ras, 0}});
        }
        e.compteur().changement_bouton_etat_connexion();
        const auto& f = e.fenetre();
        EXPECT_EQ(f.SpeedButton1.visible, c.b1);
        EXPECT_EQ(f.SpeedButton2.visible, c.b2);
        EXPECT_EQ(f.SpeedButton3.visible, c.b3);
        EXPECT_EQ(f.SpeedButton4.visible, c.b4);
        EXPECT_EQ(f.SpeedButton11.visible, c.b11);
        EXPECT_EQ(f.SpeedButton1.enabled, c.b1_actif);
        EXPECT_EQ(f.SpeedButton2.enabled, c.b2_actif);
        EXPECT_EQ(f.SpeedButton2.hint, "Se connecter à Internet");
        EXPECT_EQ(f.SpeedButton3.hint, "Se déconnecter");
        EXPECT_EQ(f.SpeedButton11.hint, "Module de programmation...");
    }
}

TEST(Compteur, FenetreMontreeALaNumerotationEtCacheeALaFin) {
    struct Cas {
        const char* nom;
        const char* afficher_auto;  // nullptr : absent
        const char* cacher_auto;
        bool visible_apres_fin;
        bool visible_apres_numerotation;
    };
    const Cas cas[] = {
        {"réglages absents", nullptr, nullptr, true, true},
        {"cacher à la fin", nullptr, "oui", false, true},
        {"cacher et ne pas montrer", "non", "oui", false, false},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        EssaiCompteur e(le_10_mars(14, 0, 0));
        if (c.afficher_auto) e.ecrire(cles::options, "afficher auto", c.afficher_auto);
        if (c.cacher_auto) e.ecrire(cles::options, "cacher auto", c.cacher_auto);
        e.demarrer();
        e.connexion("MonFAI", debut_ms, apres(10));
        e.connexion("MonFAI", apres(20), apres(30));
        e.banc->avancer(17);
        EXPECT_EQ(e.fenetre().fenetre_visible, c.visible_apres_fin);
        EXPECT_EQ(e.fenetre().menu_restaurer_visible, !c.visible_apres_fin);
        EXPECT_EQ(e.fenetre().menu_reduir_visible, c.visible_apres_fin);
        e.banc->avancer(7);  // deuxième numérotation
        EXPECT_EQ(e.ligne(0), "Numérotation en cours");
        EXPECT_EQ(e.fenetre().fenetre_visible, c.visible_apres_numerotation);
    }
}

// --- Temps écoulé -------------------------------------------------------------------------

TEST(Compteur, ConnexionSurMinuitEtRemiseAZeroApresLaFin) {
    EssaiCompteur e(le_10_mars(23, 58, 55));
    // Forfait entamé dont la remise à zéro tombe le 11 mars.
    e.accorder("MonFAI", {"F60"});
    e.ecrire(cles::forfaits, "time F60", "1800");
    e.ecrire(cles::forfaits_raz, "F60", "11/03/2000");
    e.demarrer();
    e.connexion("MonFAI", debut_ms, apres(120));

    e.banc->avancer(6);
    EXPECT_EQ(e.etat().seconde_debut, seconde_du_jour(23, 59, 0));
    e.banc->avancer(60);  // 00:00:01
    EXPECT_EQ(e.etat().texte_duree, "00:01:01");
    // Le rafraîchissement du jour a eu lieu, mais pas la remise à zéro : elle attend la fin.
    EXPECT_EQ(e.etat().derniere_date, jour(2000, 3, 11));
    EXPECT_TRUE(e.compteur().raz_forfaits_en_attente());
    EXPECT_EQ(e.lire(cles::forfaits, "time F60"), "1800");

    e.banc->avancer(60);
    EXPECT_EQ(e.ligne(0), "Fin de connexion");
    EXPECT_EQ(e.etat().texte_duree, "00:02:00");
    EXPECT_EQ(e.fenetre().Panel2, "00:02:00");
    e.banc->avancer(1);
    EXPECT_FALSE(e.compteur().raz_forfaits_en_attente());
    EXPECT_EQ(e.lire(cles::forfaits, "time F60"), "");
    ASSERT_EQ(e.boites().size(), 1u);
    EXPECT_NE(e.boites()[0].find("- Forfait à la minute"), std::string::npos);
}

TEST(Compteur, HorlogeReculeeDeuxFoisUnSeulAvertissement) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    e.demarrer();
    e.connexion("MonFAI", debut_ms, apres(3600));
    e.banc->avancer(65);
    EXPECT_EQ(e.etat().duree_connexion, 60);

    struct Etape {
        const char* nom;
        Moment reglage;  // l'heure murale juste avant le top suivant
        std::int32_t duree;
    };
    const Etape etapes[] = {
        {"avant le début", le_10_mars(13, 59, 0), 0},
        {"heure rétablie", le_10_mars(14, 1, 5), 60},
        {"encore avant le début", le_10_mars(13, 0, 0), 0},
        {"en arrière mais après le début", le_10_mars(14, 0, 30), 25},
        {"la veille", {jour(2000, 3, 9), seconde_du_jour(14, 0, 30)}, 0},
        {"rétablie encore", le_10_mars(14, 2, 0), 115},
    };
    for (const auto& etape : etapes) {
        SCOPED_TRACE(etape.nom);
        e.banc->horloge.regler({etape.reglage.jour, etape.reglage.seconde - 1});
        e.banc->avancer(1);
        EXPECT_EQ(e.etat().duree_connexion, etape.duree);
        // Un seul avertissement pour toute la vie du programme.
        EXPECT_EQ(e.boites().size(), 1u);
    }
    ASSERT_FALSE(e.boites().empty());
    EXPECT_EQ(e.boites()[0], alerte_heure);
    EXPECT_EQ(e.banc->dialogue.boites()[0].genre, GenreBoite::avertissement);
    EXPECT_EQ(e.banc->dialogue.boites()[0].boutons, std::vector<Reponse>{Reponse::ok});
    EXPECT_FALSE(e.etat().alerte_heure_armee);
}

TEST(Compteur, PlusDe99Heures) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    e.demarrer();
    e.banc->ordonnanceur.planifier(debut_ms, [&] { e.compteur().SpeedButton1Click(); });
    e.banc->avancer(6);
    struct Cas {
        Moment moment;  // l'heure murale au top
        const char* texte;
    };
    // Départ compté à 14:00:05 le 10 mars.
    const Cas cas[] = {
        {{jour(2000, 3, 11), seconde_du_jour(14, 0, 5)}, "24:00:00"},
        {{jour(2000, 3, 14), seconde_du_jour(18, 0, 4)}, "99:59:59"},
        {{jour(2000, 3, 14), seconde_du_jour(18, 0, 5)}, "100:00:00"},
        {{jour(2000, 4, 20), seconde_du_jour(0, 0, 0)}, "969:59:55"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.texte);
        e.banc->horloge.regler({c.moment.jour, c.moment.seconde - 1});
        e.banc->avancer(1);
        EXPECT_EQ(e.etat().texte_duree, c.texte);
        EXPECT_EQ(e.fenetre().Panel2, c.texte);
    }
}

// --- Forfaits ---------------------------------------------------------------------------

TEST(Compteur, DecompteDuForfaitParUnite) {
    struct Point {
        std::int32_t ecoule;
        std::int32_t restant;
    };
    struct Cas {
        const char* option;
        std::vector<Point> points;
        std::int32_t epuisement;  // secondes écoulées quand le forfait s'épuise
    };
    const Cas cas[] = {
        {"F60", {{1, 3540}, {59, 3540}, {60, 3480}, {3539, 60}}, 3540},
        {"F1", {{1, 3599}, {59, 3541}, {3599, 1}}, 3600},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.option);
        EssaiCompteur e(le_10_mars(14, 0, 0));
        e.accorder("MonFAI", {c.option});
        e.demarrer();
        e.connexion("MonFAI", debut_ms, apres(4000));
        const auto jusqu_a = [&](std::int32_t ecoule) {
            e.banc->ordonnanceur.avancer_jusqu_a(apres(ecoule) - 500);
            ASSERT_EQ(e.etat().duree_connexion, ecoule);
        };
        for (const auto& p : c.points) {
            jusqu_a(p.ecoule);
            EXPECT_EQ(e.compteur().moteur().reduction().temps_restant_forfait, p.restant) << p.ecoule;
            EXPECT_EQ(e.compteur().etat_forfait().debut_segment, 0);
            // Le forfait paie tout, et le libellé du tarif n'est que des points.
            EXPECT_EQ(e.fenetre().Panel4, "0,00 F");
            EXPECT_EQ(e.compteur().choix().libelle_tarif, ". . .  ");
        }
        jusqu_a(c.epuisement - 1);
        EXPECT_EQ(e.compteur().etat_forfait().debut_segment, 0);
        jusqu_a(c.epuisement);
        EXPECT_EQ(e.compteur().etat_forfait().debut_segment, c.epuisement);
        EXPECT_EQ(e.compteur().etat_forfait().forfait_epuise, c.option);
        EXPECT_EQ(e.lire(cles::forfaits, std::string("time ") + c.option), "0");
        EXPECT_EQ(e.compteur().choix().forfait_en_cours, "");
    }
}

TEST(Compteur, ForfaitEpuiseAvecTarifDeRelais) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    e.accorder("MonFAI", {"FR"});
    e.demarrer();
    e.connexion("MonFAI", debut_ms, apres(180));
    e.banc->avancer(5 + 120);
    EXPECT_EQ(e.compteur().etat_forfait().debut_segment, 120);
    EXPECT_EQ(e.compteur().choix().tarif_en_cours, "Relais");
    EXPECT_EQ(e.compteur().choix().libelle_tarif, "Relais  ");
    EXPECT_EQ(e.compteur().choix().libelle_option, "Forfait relais épuisé");
    EXPECT_EQ(e.lire(cles::options, "sauv forfait"), "0&FR");
    ASSERT_EQ(e.fenetre().avis_fin_forfait.size(), 1u);
    EXPECT_EQ(e.fenetre().avis_fin_forfait[0].texte, "Forfait relais épuisé");
    ASSERT_EQ(e.banc->son.joues().size(), 1u);
    EXPECT_EQ(e.banc->son.joues()[0], e.dossier / "alarme.wav");

    // Le prix repart de l'épuisement au tarif de relais : deux centimes la seconde.
    e.banc->avancer(30);
    EXPECT_EQ(e.etat().duree_segment, 30);
    EXPECT_FLOAT_EQ(e.etat().prix_communication, 0.60f);
    EXPECT_EQ(e.fenetre().Panel4, "0,60 F");
    e.banc->avancer(31);
    EXPECT_EQ(e.ligne(0), "Fin de connexion");
    EXPECT_FLOAT_EQ(e.etat().prix_communication, 1.20f);
    EXPECT_EQ(e.compteur().etat_forfait().forfait_epuise, "FR");
    EXPECT_EQ(e.lire(cles::forfaits, "time FR"), "0");
}

TEST(Compteur, AlarmeUneSeuleFoisParConnexion) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    // F60 s'épuise à 3540 s, puis F1 prend le relais et s'épuise à son tour une heure plus tard.
    e.accorder("MonFAI", {"F60", "F1"});
    e.demarrer();
    e.connexion("MonFAI", debut_ms, apres(7300));
    e.banc->avancer(5 + 3541);
    EXPECT_EQ(e.compteur().choix().forfait_en_cours, "F1");
    e.banc->avancer(7300 - 3541 + 1);
    EXPECT_EQ(e.ligne(0), "Fin de connexion");
    EXPECT_EQ(e.compteur().etat_forfait().forfait_epuise, "F1");
    EXPECT_EQ(e.lire(cles::forfaits, "time F1"), "0");
    EXPECT_EQ(e.banc->son.joues().size(), 1u);
    EXPECT_EQ(e.fenetre().avis_fin_forfait.size(), 1u);

    // La connexion suivante réarme l'alarme.
    e.ecrire(cles::forfaits, "time F60", "60");
    const auto t = e.banc->horloge.millisecondes();
    e.connexion("MonFAI", t + 3000, t + 90000);
    e.banc->avancer(100);
    EXPECT_EQ(e.banc->son.joues().size(), 2u);
    EXPECT_EQ(e.fenetre().avis_fin_forfait.size(), 2u);
}

// --- Affichage -----------------------------------------------------------------------------

TEST(Compteur, TitreInfoBulleEtPrixAffiche) {
    struct Cas {
        const char* affichage;
        const char* decimales;
        const char* titre;
    };
    const Cas cas[] = {
        {"hors taxes", "2", " 00:12:05 - 7,25 F"},
        {"hors taxes", "3", " 00:12:05 - 7,250 F"},
        {"ttc", "3", " 00:12:05 - 8,671 F"},
        {"ttc", "2", " 00:12:05 - 8,67 F"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.titre);
        EssaiCompteur e(le_10_mars(14, 0, 0));
        FichierIni reglages(e.dossier / "lumicompteur.ini");
        reglages.ecrire("affichage des prix", "affichage", c.affichage);
        reglages.ecrire("gestion afficheur", "nb de decimales", c.decimales);
        e.demarrer();
        e.connexion("MonFAI", debut_ms, apres(3600));
        e.banc->avancer(5 + 725);
        EXPECT_EQ(e.fenetre().titre_application, c.titre);
        EXPECT_EQ(e.fenetre().info_bulle_icone, c.titre);
        EXPECT_EQ(e.fenetre().Panel4, std::string(c.titre).substr(12));
        EXPECT_EQ(e.fenetre().Panel4_hint,
                  std::string(c.affichage) == "ttc" ? "Prix communication TTC" : "Prix communication HT");
    }
}

TEST(Compteur, InfoBulleLimiteeA63Caracteres) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    e.demarrer();
    e.banc->ordonnanceur.planifier(debut_ms, [&] { e.compteur().SpeedButton1Click(); });
    e.banc->avancer(6);
    e.banc->horloge.regler({jour(2000, 3, 10) + 40000, 0});  // une durée démesurée
    e.banc->avancer(1);
    EXPECT_LE(e.fenetre().info_bulle_icone.size(), 63u);
    EXPECT_EQ(e.fenetre().titre_application.rfind(e.fenetre().info_bulle_icone, 0), 0u);
}

TEST(Compteur, AdresseIPRelueTantQuElleNEstPasReelle) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    e.demarrer();
    e.banc->adresse.definir("127.0.0.1");
    e.connexion("MonFAI", debut_ms, apres(20));
    e.banc->avancer(7);
    EXPECT_EQ(e.ligne(10), "Adresse IP");
    EXPECT_EQ(e.ligne(11), "127.0.0.1");
    e.banc->adresse.definir("10.1.2.3");
    e.banc->avancer(1);
    EXPECT_EQ(e.ligne(11), "10.1.2.3");
    // Adresse réelle et nom connus : la couture n'est plus interrogée.
    const auto interrogations = e.banc->acces.interrogations();
    e.banc->avancer(5);
    EXPECT_EQ(e.banc->acces.interrogations(), interrogations);
    e.banc->avancer(15);
    EXPECT_EQ(e.ligne(0), "Fin de connexion");
    EXPECT_EQ(e.ligne(10), "");
    EXPECT_EQ(e.ligne(11), "");
}

TEST(Compteur, LignesDEtatDansLAfficheur) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    e.demarrer();
    e.connexion("MonFAI", debut_ms, apres(3600));
    e.banc->avancer(4);
    // Numérotation : deux lignes, Panel1 en haut de la rangée.
    EXPECT_EQ(e.fenetre().Panel1.texte, "Numérotation en cours");
    EXPECT_EQ(e.fenetre().Panel20.texte, "MonFAI");
    EXPECT_TRUE(e.fenetre().Panel1_en_haut);
    EXPECT_EQ(e.fenetre().Panel1.couleur_police, couleur_vert_lime);
    e.banc->avancer(2);
    // Premier top compté : la jauge du tarif à la seconde réécrit les lignes 0 et 1.
    EXPECT_EQ(e.ligne(0), "Tarification à la seconde");
    EXPECT_EQ(e.fenetre().Panel1.texte, "Tarification à la seconde");
    EXPECT_EQ(e.fenetre().Panel20.texte, "");
    EXPECT_FALSE(e.fenetre().Panel1_en_haut);
}

TEST(Compteur, PanneauDureeOuHeure) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    e.demarrer();
    e.compteur().definir_mode_panneau_duree(2);
    EXPECT_EQ(e.fenetre().Panel2, "14:00:00");
    EXPECT_EQ(e.fenetre().Panel2_hint, "C'est l'heure !");
    e.banc->avancer(3);
    EXPECT_EQ(e.fenetre().Panel2, "14:00:03");
    // Retour à la durée sans connexion : "00:00:00".
    e.compteur().definir_mode_panneau_duree(1);
    EXPECT_EQ(e.fenetre().Panel2, "00:00:00");
    EXPECT_EQ(e.fenetre().Panel2_hint, "Durée connexion");
}

TEST(Compteur, CadenceDesInstantanes) {
    struct Cas {
        const char* anti_crash;
        const char* frequence;
        std::vector<std::int64_t> instants;  // ms du compteur monotone
    };
    const Cas cas[] = {
        // Premier top compté (6 s), puis toutes les 5 s (ou 15 s) tant que le compteur tourne.
        {"oui", "3", {6000, 11000, 16000, 21000}},
        {"oui", "2", {6000, 21000}},
        {"non", "3", {}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(std::string(c.anti_crash) + " " + c.frequence);
        EssaiCompteur e(le_10_mars(14, 0, 0));
        e.ecrire(cles::options, "anti crash", c.anti_crash);
        e.ecrire(cles::options, "frequence save crash", c.frequence);
        e.demarrer();
        e.connexion("MonFAI", debut_ms, apres(17));
        e.banc->avancer(40);
        EXPECT_EQ(e.instantanes, c.instants);
        // Le premier top de Timer4 après la fin l'arrête.
        EXPECT_FALSE(e.compteur().Timer4().active());
    }
}

}  // namespace
}  // namespace lumi::essai
