// La déconnexion programmée sur le vrai compteur simulé : la fenêtre de programmation (champs,
// flèches, cases liées, refus), la programmation armée regardée par Timer3, le décompte, la
// séquence de déconnexion, et la surveillance des téléchargements.
#include <gtest/gtest.h>

#include "../core/essai_compteur.hpp"
#include "actions/fenetre_programmation.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/fichier_ini.hpp"
#include "tariff/pas_paye.hpp"

namespace lumi {
namespace {

using essai::EssaiCompteur;
using essai::le_10_mars;

constexpr std::int64_t debut_ms = 5500;
constexpr std::int64_t apres(std::int64_t secondes) {
    return debut_ms + secondes * 1000;
}

// Un compteur démarré dont les messages portent leur numéro ("M23"...).
struct Essai {
    explicit Essai(Moment depart = le_10_mars(14, 0, 0), std::string_view tarifs = "compteur_tarifs.ini")
        : e(depart, nullptr, tarifs) {
        FichierIni ini(e.dossier.chemin() / fichier_reglages);
        for (int n : {18, 19, 21, 22, 23, 24, 25, 29, 45, 46, 47, 48, 57, 58}) {
            ini.ecrire("messages utilisateurs", "message " + std::to_string(n), "M" + std::to_string(n));
        }
        e.demarrer();
    }
    Programmation& p() { return e.compteur().programmation(); }
    BancCompteur& banc() { return *e.banc; }
    void reglage(std::string_view nom, std::string_view valeur) { e.ecrire(cles::options, nom, valeur); }
    std::vector<std::string> boites() { return e.boites(); }

    EssaiCompteur e;
};

// --- La fenêtre : refus de "&Programmer" ----------------------------------------------------

struct CasRefus {
    const char* nom;
    int type;
    int secondes_de_connexion;  // la connexion en cours depuis ; -1 : aucune
    std::function<void(ModeleTdeconectform&)> champs;
    const char* boite;  // vide : armée
};

class Refus : public ::testing::TestWithParam<CasRefus> {};

TEST_P(Refus, ProgrammerRefuseOuArme) {
    const CasRefus& cas = GetParam();
    Essai x(le_10_mars(23, 49, 0));
    if (cas.secondes_de_connexion >= 0) {
        x.e.connexion("MonFAI", debut_ms, apres(100000));
        x.banc().avancer_ms(apres(cas.secondes_de_connexion));
    }
    ModeleTdeconectform f(x.p());
    f.FormCreate();
    f.FormActivate();
    f.choisir_type(cas.type);
    cas.champs(f);
    const bool armee = f.Programmer();
    if (std::string(cas.boite).empty()) {
        EXPECT_TRUE(armee);
        EXPECT_TRUE(x.p().armee());
        EXPECT_TRUE(x.e.fenetre().Image6_visible);
        EXPECT_TRUE(x.boites().empty());
    } else {
        EXPECT_FALSE(armee);
        EXPECT_FALSE(x.p().armee());
        ASSERT_EQ(x.boites().size(), 1u);
        EXPECT_EQ(x.boites()[0], cas.boite);
        EXPECT_EQ(x.banc().dialogue.boites()[0].genre, GenreBoite::avertissement);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Programmation, Refus,
    ::testing::Values(
        CasRefus{"TelechargementSansTelechargement", 0, -1, [](auto&) {}, "M23\rM24"},
        CasRefus{"DureeNulleToujoursRefusee", 2, -1, [](auto& f) { f.remise_a_zero(); }, "M23\rM25"},
        CasRefus{"DureeDejaPassee", 2, 200, [](auto& f) { f.duree_heures = 0, f.duree_minutes = 3; },
                 "M23\rM25"},
        CasRefus{"DureeAuDela", 2, 200, [](auto& f) { f.duree_heures = 0, f.duree_minutes = 4; }, ""},
        CasRefus{"HeureDejaPassee", 1, 600,
                 [](auto& f) { f.heure = 23, f.minute = 59; }, "M29"},  // il est 23:59:05,5
        CasRefus{"HeureAVenir", 1, -1, [](auto& f) { f.heure = 23, f.minute = 59; }, ""},
        CasRefus{"CoutDejaAtteint", 3, 200, [](auto& f) { f.unites = 1, f.centiemes = 0; },
                 "M23\rM57\rM58"},
        CasRefus{"CoutAuDela", 3, 200, [](auto& f) { f.unites = 9, f.centiemes = 0; }, ""}),
    [](const auto& info) { return std::string(info.param.nom); });

// --- La fenêtre : champs, flèches, cases -----------------------------------------------------

TEST(FenetreProgrammation, LeCoutPartDuPrixAfficheEtDescendParDixiemes) {
    Essai x;
    // 0,01 F HT la seconde, prix montrés hors taxes : 1295 s font 12,95 F.
    x.e.connexion("MonFAI", debut_ms, apres(5000));
    x.banc().avancer_ms(apres(1295));
    ASSERT_EQ(x.e.fenetre().Panel4.substr(0, 5), "12,95");
    ModeleTdeconectform f(x.p());
    f.FormCreate();
    f.FormActivate();
    f.choisir_type(3);
    EXPECT_EQ(f.unites, 13);
    EXPECT_EQ(f.centiemes, 5);
    EXPECT_EQ(f.texte_champ(), "   13,05 F");
    f.fleche(Fleche::petite_bas);
    EXPECT_EQ(f.texte_champ(), "   12,90 F");
    EXPECT_EQ(f.legende_groupe, "Coût Ht de la connexion au déclenchement ");
}

TEST(FenetreProgrammation, FlechesReportsEtBornes) {
    Essai x;
    ModeleTdeconectform f(x.p());
    f.FormCreate();
    struct Cas {
        int type;
        int grand, petit;
        Fleche fleche;
        int grand_attendu, petit_attendu;
    };
    const Cas cas[] = {
        {1, 10, 59, Fleche::petite_haut, 11, 0},  {1, 23, 59, Fleche::petite_haut, 23, 59},
        {1, 10, 0, Fleche::petite_bas, 9, 59},    {1, 0, 0, Fleche::petite_bas, 0, 0},
        {1, 23, 5, Fleche::grande_haut, 23, 5},   {1, 0, 5, Fleche::grande_bas, 0, 5},
        {2, 12, 0, Fleche::grande_haut, 12, 0},   {2, 12, 59, Fleche::petite_haut, 12, 59},
        {2, 11, 59, Fleche::petite_haut, 12, 0},  {3, 4, 90, Fleche::petite_haut, 5, 0},
        {3, 99, 90, Fleche::petite_haut, 99, 90}, {3, 4, 5, Fleche::petite_bas, 3, 90},
        {3, 0, 5, Fleche::petite_bas, 0, 5},      {3, 4, 30, Fleche::petite_bas, 4, 20},
        {3, 98, 0, Fleche::grande_haut, 99, 0},   {3, 99, 0, Fleche::grande_haut, 99, 0},
    };
    for (const auto& c : cas) {
        f.choisir_type(c.type);
        int& grand = c.type == 1 ? f.heure : c.type == 2 ? f.duree_heures : f.unites;
        int& petit = c.type == 1 ? f.minute : c.type == 2 ? f.duree_minutes : f.centiemes;
        grand = c.grand;
        petit = c.petit;
        f.fleche(c.fleche);
        EXPECT_EQ(grand, c.grand_attendu) << "type " << c.type << " " << c.grand << "/" << c.petit;
        EXPECT_EQ(petit, c.petit_attendu) << "type " << c.type << " " << c.grand << "/" << c.petit;
    }
}

TEST(FenetreProgrammation, AppuiTenuRepeteApres300ms) {
    Essai x;
    ModeleTdeconectform f(x.p());
    f.FormCreate();
    f.choisir_type(2);
    f.appui(Fleche::petite_haut);
    EXPECT_EQ(f.duree_minutes, 1);
    x.banc().avancer_ms(300);
    EXPECT_FALSE(f.tic_repetition());
    x.banc().avancer_ms(100);
    EXPECT_TRUE(f.tic_repetition());
    EXPECT_EQ(f.duree_minutes, 2);
    f.relacher();
    EXPECT_FALSE(f.tic_repetition());
}

TEST(FenetreProgrammation, OuvertureCasesLieesEtRangement) {
    Essai x(le_10_mars(14, 58, 40));
    x.reglage("exit window", "oui");
    x.reglage("se deconnecter", "oui");
    x.reglage("type programmation", "2");
    x.reglage("delai auto validation", "1");
    ModeleTdeconectform f(x.p());
    f.FormCreate();
    // Maintenant + 86,4 s.
    EXPECT_EQ(f.heure, 15);
    EXPECT_EQ(f.minute, 0);
    EXPECT_EQ(f.type(), 2);
    EXPECT_EQ(f.legende_delai, "Durée du message d'attente : 01 seconde ");
    EXPECT_TRUE(f.quitter.coche);
    EXPECT_TRUE(f.quitter.enabled);
    EXPECT_FALSE(f.alarme.coche);
    EXPECT_FALSE(f.boutons_son_enabled);
    EXPECT_EQ(f.alarme.caption, "Alarme sonore  ( alarme.wav ) ");
    EXPECT_EQ(f.hint_raz, "Remise à zéro de la durée");

    // Sans déconnexion : "Quitter Windows" décoché et grisé, l'alarme cochée.
    f.CheckBox_deconnecter(false);
    EXPECT_FALSE(f.quitter.coche);
    EXPECT_FALSE(f.quitter.enabled);
    EXPECT_TRUE(f.alarme.coche);
    EXPECT_TRUE(f.boutons_son_enabled);
    // Sans alarme : la déconnexion revient.
    f.CheckBox_alarme(false);
    EXPECT_TRUE(f.deconnecter.coche);
    EXPECT_FALSE(f.boutons_son_enabled);
    f.TrackBar1(0);
    EXPECT_EQ(f.legende_delai, "Aucun message d'attente ");
    f.TrackBar1(12);
    EXPECT_EQ(f.legende_delai, "Durée du message d'attente : 12 secondes ");

    f.FormClose();
    EXPECT_EQ(x.e.lire(cles::options, "exit window"), "non");
    EXPECT_EQ(x.e.lire(cles::options, "se deconnecter"), "oui");
    EXPECT_EQ(x.e.lire(cles::options, "alarme download"), "non");
    EXPECT_EQ(x.e.lire(cles::options, "delai auto validation"), "12");
    EXPECT_EQ(x.e.lire(cles::options, "type programmation"), "2");
}

// --- Le résumé et l'annulation ---------------------------------------------------------------

TEST(Programmation, ResumeDUneProgrammationArmeeEtAnnulation) {
    Essai x;
    x.reglage("alarme download", "oui");
    x.reglage("se deconnecter", "oui");
    x.p().armer({TypeProgrammation::duree, "7500"});
    x.banc().dialogue.prevoir_reponse(Reponse::non);
    EXPECT_FALSE(x.p().Programmation1Click());
    EXPECT_EQ(x.boites().back(),
              "M18\r\rM47 2h05m\r- ALARME : oui\r- DECONNEXION : oui\r- QUITTER WINDOWS : non\r\rM19");
    EXPECT_TRUE(x.p().armee());
    x.banc().dialogue.prevoir_reponse(Reponse::oui);
    EXPECT_FALSE(x.p().Programmation1Click());
    EXPECT_FALSE(x.p().armee());
    EXPECT_FALSE(x.e.fenetre().Image6_visible);
    // Désarmée, la commande ouvre la fenêtre.
    EXPECT_TRUE(x.p().Programmation1Click());
}

// --- Déclenchement, décompte et déconnexion ---------------------------------------------------

TEST(Programmation, DureeAtteinteSansDecompteAlarmePuisRaccrochageAussitot) {
    Essai x;
    x.reglage("alarme download", "oui");
    x.reglage("se deconnecter", "oui");
    x.reglage("delai auto validation", "0");
    x.e.connexion("MonFAI", debut_ms, apres(5000));
    x.banc().avancer_ms(apres(10));
    x.p().armer({TypeProgrammation::duree, "60"});
    x.banc().avancer_ms(1000);
    // Armée : le voyant clignote par Timer2 à 650 ms.
    EXPECT_EQ(x.e.compteur().effet_Timer2(), EffetTimer2::programmation);
    EXPECT_TRUE(x.e.compteur().Timer2().active());
    x.banc().avancer_ms(52000);
    EXPECT_FALSE(x.p().armee());
    EXPECT_EQ(x.p().declenchements(), 1);
    EXPECT_EQ(x.banc().son.joues().size(), 1u);
    EXPECT_EQ(x.banc().ecrans.journal, (std::vector<std::string>{"fenetre=Déconnexion en cours...",
                                                                 "attente=1500", "fenetre_fermee"}));
    // Raccrochée pendant l'attente : la fin de connexion a repris Timer2, arrêté.
    EXPECT_NE(x.e.compteur().effet_Timer2(), EffetTimer2::programmation);
    EXPECT_FALSE(x.e.compteur().Timer2().active());
    x.banc().avancer(2);
    EXPECT_FALSE(x.e.etat().compteur_actif);
    EXPECT_EQ(x.e.historiques, 1);
}

// Le pas commencé est payé : avec « Attendre la fin du pas de taxation en cours », le raccrochage
// attend 3 s avant le pas suivant, puis suit le même chemin.
TEST(Programmation, LeRaccrochageAttendLaFinDuPasEnCours) {
    // Le tarif des essais, au pas de 60 s.
    Essai x(le_10_mars(14, 0, 0), "compteur_tarifs_pas60.ini");
    x.reglage("se deconnecter", "oui");
    x.reglage("delai auto validation", "0");
    x.e.connexion("MonFAI", debut_ms, apres(5000));
    x.banc().avancer_ms(apres(10));
    const auto& tarif = x.e.compteur().moteur().tarification();
    ASSERT_GT(tarif.pas_tarif, 1);
    x.p().armer({TypeProgrammation::duree, "60", true});
    // Le déclencheur part à 60 s de connexion ; le raccrochage est attendu à la fin du pas.
    for (int i = 0; i < 60 * 4 && !x.p().raccrochage_fin_du_pas(); ++i) x.banc().avancer_ms(250);
    ASSERT_TRUE(x.p().raccrochage_fin_du_pas());
    const Moment prevu = *x.p().raccrochage_fin_du_pas();
    const auto& etat = x.e.etat();
    EXPECT_EQ(prevu, raccrochage_fin_du_pas(tarif, {etat.date_debut, etat.seconde_debut},
                                            x.banc().horloge.maintenant()));
    EXPECT_EQ(x.p().declenchements(), 0);
    EXPECT_TRUE(x.p().armee());
    EXPECT_NE(x.p().texte_resume().find("- FIN DU PAS DE TAXATION : oui, raccrochage à " +
                                        formater_heure(prevu.seconde)),
              std::string::npos)
        << x.p().texte_resume();
    while (x.p().declenchements() == 0 && x.banc().horloge.maintenant() < prevu) x.banc().avancer_ms(250);
    x.banc().avancer_ms(250);
    EXPECT_EQ(x.p().declenchements(), 1);
    ASSERT_TRUE(x.p().dernier_declenchement());
    EXPECT_EQ(*x.p().dernier_declenchement(), prevu);
    EXPECT_FALSE(x.p().raccrochage_fin_du_pas());
}

// Avec un décompte, il s'ouvre dès le déclenchement et couvre toute l'attente : le raccrochage tombe
// au plus tôt à la fin du délai réglé, 3 s avant le pas suivant.
TEST(Programmation, LeDecompteCouvreLAttenteDeLaFinDuPas) {
    Essai x(le_10_mars(14, 0, 0), "compteur_tarifs_pas60.ini");
    x.reglage("se deconnecter", "oui");
    x.reglage("delai auto validation", "5");
    x.e.connexion("MonFAI", debut_ms, apres(5000));
    x.banc().avancer_ms(apres(10));
    x.p().armer({TypeProgrammation::duree, "60", true});
    for (int i = 0; i < 60 * 4 && x.banc().ecrans.decompte() == nullptr; ++i) x.banc().avancer_ms(250);
    ASSERT_NE(x.banc().ecrans.decompte(), nullptr);
    ASSERT_TRUE(x.p().dernier_declenchement());
    const Moment declenchement = *x.p().dernier_declenchement();
    const auto& etat = x.e.etat();
    const Moment prevu =
        raccrochage_fin_du_pas(x.e.compteur().moteur().tarification(), {etat.date_debut, etat.seconde_debut},
                               en_moment(en_secondes(declenchement) + 5));
    const auto attente = static_cast<int>(en_secondes(prevu) - en_secondes(declenchement));
    EXPECT_EQ(attente, 57);  // déclenché à 60 s, en début de pas : raccroché à 117 s
    const auto& d = *x.banc().ecrans.decompte();
    EXPECT_EQ(d.maximum, 10 * attente);
    EXPECT_EQ(x.banc().ecrans.journal[1], "legende= Attention, déconnexion dans 57 secondes !");
    x.banc().avancer(attente - 1);
    EXPECT_FALSE(d.fermee);
    EXPECT_EQ(x.e.historiques, 0);
    x.banc().avancer(2);
    EXPECT_TRUE(d.fermee);
    EXPECT_EQ(x.e.historiques, 1);

    // Une programmation suivante sans attente retrouve le délai réglé.
    x.p().armer({TypeProgrammation::duree, "60"});
    EXPECT_EQ(x.p().secondes_decompte(), 5);
}

TEST(Programmation, AlarmeSeuleLeCompteurContinue) {
    Essai x;
    x.reglage("se deconnecter", "non");
    x.reglage("alarme download", "oui");
    x.e.connexion("MonFAI", debut_ms, apres(5000));
    x.banc().avancer_ms(apres(10));
    x.p().armer({TypeProgrammation::heure, "14:01:00"});
    x.banc().avancer(60);
    EXPECT_FALSE(x.p().armee());
    EXPECT_EQ(x.banc().son.joues().size(), 1u);
    EXPECT_TRUE(x.banc().ecrans.journal.empty());
    EXPECT_TRUE(x.e.etat().compteur_actif);
}

TEST(Programmation, DecompteDUneSecondeDeconnecteAuDixiemeTic) {
    Essai x;
    x.reglage("se deconnecter", "oui");
    x.reglage("exit window", "oui");
    x.reglage("delai auto validation", "1");
    x.e.connexion("MonFAI", debut_ms, apres(5000));
    x.banc().avancer_ms(apres(10));
    x.p().armer({TypeProgrammation::cout, "0,10"});
    x.banc().avancer(1);
    ASSERT_NE(x.banc().ecrans.decompte(), nullptr);
    const auto& d = *x.banc().ecrans.decompte();
    EXPECT_EQ(d.texte, "M21 M22");
    EXPECT_EQ(d.maximum, 10);
    const auto& j = x.banc().ecrans.journal;
    ASSERT_GE(j.size(), 3u);
    EXPECT_EQ(j[1], "legende= Attention, déconnexion dans 01 secondes !");
    EXPECT_EQ(j[2], "legende= Attention, déconnexion dans 01 seconde !");
    x.banc().avancer(2);
    EXPECT_EQ(d.position, 10);
    EXPECT_TRUE(d.fermee);
    // Comme « &Se déconnecter... » : le décompte caché avant le raccrochage et l'arrêt.
    EXPECT_EQ(std::vector<std::string>(j.end() - 5, j.end()),
              (std::vector<std::string>{"decompte_cache", "fenetre=Déconnexion en cours...", "attente=1500",
                                        "fenetre=Fermeture de Windows...", "fenetre_fermee"}));
    EXPECT_EQ(x.banc().arret.demandes, 1);
    EXPECT_EQ(x.e.historiques, 1);
}

TEST(Programmation, EchecsDuRaccrochageEtDeLArret) {
    Essai x;
    x.reglage("se deconnecter", "oui");
    x.reglage("delai auto validation", "0");
    // Aucune connexion : la boîte d'échec, rien n'est éteint.
    x.reglage("exit window", "oui");
    x.p().sequence_deconnexion();
    EXPECT_EQ(x.boites().back(), "Echec déconnexion.\nAucune connexion n'est en cours.");
    EXPECT_EQ(x.banc().arret.demandes, 0);
    EXPECT_EQ(x.banc().ecrans.journal, (std::vector<std::string>{"fenetre=Déconnexion en cours...",
                                                                 "attente=1000", "fenetre_fermee"}));
    // L'arrêt refusé : sa boîte, et le programme continue.
    x.e.connexion("MonFAI", debut_ms, apres(5000));
    x.banc().avancer_ms(apres(10));
    x.banc().arret.accepte = false;
    x.p().sequence_deconnexion();
    EXPECT_EQ(x.boites().back(), "Echec fermeture de Windows.\nArrêt refusé par le système.");
    EXPECT_EQ(x.banc().arret.demandes, 1);
    EXPECT_FALSE(x.p().arret_en_attente());
}

TEST(Programmation, LArretQuiTardeNeRetientPasLeCompteur) {
    Essai x;
    x.reglage("se deconnecter", "oui");
    x.reglage("exit window", "oui");
    x.e.connexion("MonFAI", debut_ms, apres(5000));
    x.banc().avancer_ms(apres(10));
    auto& arret = x.banc().arret;
    arret.differer = true;
    arret.accepte = false;
    arret.raison = "Le service d'arrêt (logind) n'a pas répondu à temps.";
    const auto boites = x.boites().size();
    x.p().sequence_deconnexion();
    // La demande part, la séquence rend la main : la fenêtre reste, pas encore de boîte.
    EXPECT_TRUE(x.p().arret_en_attente());
    EXPECT_EQ(x.banc().ecrans.journal.back(), "fenetre=Fermeture de Windows...");
    const auto appels = x.banc().ordonnanceur.appels();
    x.banc().avancer(3);
    EXPECT_GT(x.banc().ordonnanceur.appels(), appels);
    EXPECT_EQ(x.boites().size(), boites);
    // La réponse ferme la fenêtre et dit pourquoi sur la seconde ligne.
    arret.repondre();
    EXPECT_FALSE(x.p().arret_en_attente());
    EXPECT_EQ(x.banc().ecrans.journal.back(), "fenetre_fermee");
    EXPECT_EQ(x.boites().back(),
              "Echec fermeture de Windows.\nLe service d'arrêt (logind) n'a pas répondu à temps.");
}

// --- La surveillance des téléchargements -------------------------------------------------------

TEST(Telechargements, TitresDeProgression) {
    EXPECT_TRUE(titre_de_progression("45% sur 1,2 Mo téléchargés"));
    EXPECT_TRUE(titre_de_progression("45% of 1.2 MB Completed"));
    EXPECT_TRUE(titre_de_progression("120 Ko sur 300 Ko copiés"));
    EXPECT_FALSE(titre_de_progression("Copying 12 KB of 40 KB"));
    EXPECT_FALSE(titre_de_progression("45% Sur 1,2 Mo téléchargés"));  // casse comprise
}

TEST(Telechargements, ListesParallelesAvecUneFicheVide) {
    Essai x;
    FichierIni ini(x.e.dossier.chemin() / fichier_reglages);
    ini.ecrire("deconnexion fin telechargement", "nb de fiches", "3");
    ini.ecrire("deconnexion fin telechargement", "fiche 1", "Transfert A");
    ini.ecrire("deconnexion fin telechargement", "fiche 3", "Transfert C");
    SurveillanceTelechargements s(x.banc().horloge, FichierIni(x.e.dossier.chemin() / fichier_reglages));
    EXPECT_EQ(s.titres(),
              (std::vector<std::string>{"Téléchargement de fichier", "Saving location",
                                        "Enregistrement de l'adresse", "Transfert A", "Transfert C"}));
    EXPECT_EQ(s.etats(), std::vector<std::string>(5, "0"));
}

TEST(Telechargements, UneFenetreDecouvertePuisFermee) {
    Essai x;
    auto& f = x.banc().fenetres;
    auto& s = x.p().telechargements();
    EXPECT_FALSE(s.telechargement_en_cours());
    const auto progression = f.ouvrir("45% sur 1,2 Mo téléchargés");
    f.ouvrir("Copying 12 KB of 40 KB");
    s.decouvrir();
    s.decouvrir();  // une fenêtre déjà suivie n'est pas ajoutée deux fois
    ASSERT_EQ(s.titres().size(), 4u);
    EXPECT_EQ(s.etats().back(), std::to_string(progression));
    EXPECT_TRUE(s.telechargement_en_cours());
    // Désactivée (boîte modale par-dessus) puis remplacée par une fenêtre du même titre.
    f.desactiver(progression);
    EXPECT_FALSE(s.telechargement_en_cours());
    EXPECT_EQ(s.etats().back(), "0");
    // Un titre fixe s'attache dès qu'une fenêtre le porte ; la fenêtre de fin ne compte pas.
    const auto fixe = f.ouvrir("Saving location");
    EXPECT_TRUE(s.telechargement_en_cours());
    f.fermer(fixe);
    EXPECT_FALSE(s.telechargement_en_cours());
    f.definir_disponible(false);
    EXPECT_FALSE(s.telechargement_en_cours());
}

// La connexion au serveur d'affichage attend que la surveillance regarde vraiment une fenêtre :
// ni le branchement du démarrage ni la lecture des titres ne l'ouvrent, et elle ne s'ouvre qu'une fois.
TEST(Telechargements, FenetresOuvertesAuPremierRegardSeulement) {
    Essai x;
    int ouvertures = 0;
    FenetresSimulees* simulees = nullptr;
    FenetresALaDemande a_la_demande([&] {
        ++ouvertures;
        auto f = std::make_unique<FenetresSimulees>();
        simulees = f.get();
        return f;
    });
    x.p().brancher({nullptr, nullptr, &a_la_demande, nullptr});
    auto& s = x.p().telechargements();
    EXPECT_EQ(s.titres().size(), 3u);
    EXPECT_FALSE(a_la_demande.ouvertes());
    EXPECT_FALSE(s.telechargement_en_cours());
    ASSERT_EQ(ouvertures, 1);
    const auto progression = simulees->ouvrir("45% sur 1,2 Mo téléchargés");
    s.decouvrir();
    EXPECT_TRUE(s.telechargement_en_cours());
    EXPECT_EQ(a_la_demande.chercher("45% sur 1,2 Mo téléchargés"), progression);
    EXPECT_EQ(ouvertures, 1);
}

TEST(Telechargements, LeTraficMoyenneSurDixSecondes) {
    Essai x;
    auto& s = x.p().telechargements();
    auto& t = x.banc().trafic;
    EXPECT_EQ(s.debit_minimum(), 2048u);
    t.octets = 0;
    EXPECT_FALSE(s.telechargement_en_cours());
    for (int i = 1; i <= 20; ++i) {  // 5000 octets par seconde pendant 5 s
        x.banc().avancer_ms(250);
        *t.octets += 1250;
        s.telechargement_en_cours();
    }
    EXPECT_TRUE(s.telechargement_en_cours());
    // Le flux s'arrête : la moyenne passe sous le seuil avant dix secondes.
    int quarts = 0;
    while (s.telechargement_en_cours() && quarts < 60) {
        x.banc().avancer_ms(250);
        ++quarts;
    }
    EXPECT_LT(quarts, 40);
    EXPECT_GT(quarts, 4);
    // Les compteurs repartent de zéro (nouvelle connexion) : pas de débit négatif.
    t.octets = 10;
    EXPECT_FALSE(s.telechargement_en_cours());
    EXPECT_NE(s.texte_surveillance().find("ppp0 (plus de 2048 octets/s)"), std::string::npos);
}

TEST(Programmation, FinDeTelechargementDeclenche) {
    Essai x;
    x.reglage("se deconnecter", "non");
    auto& f = x.banc().fenetres;
    const auto n = f.ouvrir("10% of 3 MB Completed");
    ModeleTdeconectform fenetre(x.p());
    fenetre.FormCreate();
    fenetre.choisir_type(0);
    EXPECT_EQ(fenetre.statut, "Un ou plusieurs téléchargements sont en cours.");
    ASSERT_TRUE(fenetre.Programmer());
    x.banc().avancer(2);
    EXPECT_TRUE(x.p().armee());
    f.fermer(n);
    x.banc().avancer_ms(250);
    EXPECT_FALSE(x.p().armee());
    EXPECT_EQ(x.banc().son.demandes(), 1);
}

}  // namespace
}  // namespace lumi
