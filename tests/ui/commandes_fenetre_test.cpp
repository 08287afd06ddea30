// Les commandes de la fenêtre principale sur un compteur complet simulé : prix TTC ou hors taxes et
// décimales rangés et montrés, durée ou heure, rotation des rangées, effets de Timer2, annuaire et
// menus, numérotation, raccrochage, question de la fermeture, fenêtre des messages.
#include "core/commandes_fenetre.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/essai_compteur.hpp"
#include "settings/fichier_ini.hpp"

namespace lumi::essai {
namespace {

constexpr std::int64_t debut_ms = 5500;

// Un compteur démarré (10 mars 2000, 14 h), ses commandes, et des messages numérotés reconnaissables.
class Commandes : public testing::Test {
protected:
    void SetUp() override {
        FichierIni reglages(e.dossier / "lumicompteur.ini");
        for (int n : {5, 6, 7, 8, 9, 10, 11, 49, 50, 51, 52, 53, 54, 55, 56, 118, 131, 132}) {
            reglages.ecrire("messages utilisateurs", "message " + std::to_string(n), "m" + std::to_string(n));
        }
        e.demarrer();
        commandes = std::make_unique<CommandesFenetre>(e.compteur(), e.registre(), e.banc->acces,
                                                       e.banc->dialogue, e.dossier.chemin());
    }
    std::string ini(std::string_view section, std::string_view cle) {
        return FichierIni(e.dossier / "lumicompteur.ini").lire(section, cle);
    }
    const std::string& Panel4() { return e.fenetre().Panel4; }
    // Une connexion authentifiée à 5,5 s, puis `secondes` de comptage.
    void connecter(std::string_view entree, std::int64_t secondes) {
        e.connexion(entree, debut_ms, debut_ms + 3'600'000);
        e.banc->avancer_ms(debut_ms + secondes * 1000 - e.banc->horloge.millisecondes());
    }

    EssaiCompteur e{le_10_mars(14, 0, 0)};
    std::unique_ptr<CommandesFenetre> commandes;
};

// --- Prix ------------------------------------------------------------------------------------

TEST_F(Commandes, HtTtcRangeMontreEtCoche) {
    // Les réglages d'essai : hors taxes, deux décimales.
    EXPECT_TRUE(commandes->menus().htpopup.checked);
    EXPECT_FALSE(commandes->menus().ttcpopup.checked);
    EXPECT_EQ(commandes->Panel13(), "Total HT");
    connecter("MonFAI", 100);  // un centime par seconde : 1,00 F HT
    EXPECT_EQ(Panel4(), "1,00 F");

    commandes->ttcpopupClick();
    EXPECT_EQ(Panel4(), "1,20 F") << "1,00 F + 19,6 % de TVA";
    EXPECT_EQ(ini("affichage des prix", "affichage"), "ttc");
    EXPECT_TRUE(commandes->menus().ttcpopup.checked);
    EXPECT_FALSE(commandes->menus().htpopup.checked);
    EXPECT_EQ(e.fenetre().Panel4_hint, "Prix communication TTC");
    EXPECT_EQ(commandes->Panel13(), "Total TTC");
    EXPECT_EQ(e.fenetre().zone_tarif.lignes[0].par_minute, "0,72 F/min") << "la zone d'information suit";

    commandes->htpopupClick();
    EXPECT_EQ(Panel4(), "1,00 F");
    EXPECT_EQ(ini("affichage des prix", "affichage"), "hors taxes");
    EXPECT_EQ(e.fenetre().Panel4_hint, "Prix communication HT");
}

TEST_F(Commandes, ClicSurLePrixDeuxFoisRevientAuPremierNombreDeDecimales) {
    connecter("MonFAI", 123);
    ASSERT_EQ(Panel4(), "1,23 F");
    commandes->Panel4Click();
    EXPECT_EQ(Panel4(), "1,230 F");
    EXPECT_EQ(ini("gestion afficheur", "nb de decimales"), "3");
    commandes->Panel4Click();
    EXPECT_EQ(Panel4(), "1,23 F");
    EXPECT_EQ(ini("gestion afficheur", "nb de decimales"), "2");
    // Le clic sur le prix ne touche pas aux coches du menu.
    EXPECT_TRUE(commandes->menus().deuxdeci.checked);
    EXPECT_FALSE(commandes->menus().troisdeci.checked);
}

TEST_F(Commandes, LeMenuDesDecimalesCocheEtReecritLePrixNul) {
    ASSERT_EQ(Panel4(), "0,00 F");
    commandes->troisdeciClick();
    EXPECT_EQ(Panel4(), "0,000 F");
    EXPECT_TRUE(commandes->menus().troisdeci.checked);
    EXPECT_FALSE(commandes->menus().deuxdeci.checked);
    EXPECT_EQ(ini("gestion afficheur", "nb de decimales"), "3");
    commandes->deuxdeciClick();
    EXPECT_EQ(Panel4(), "0,00 F");
    EXPECT_TRUE(commandes->menus().deuxdeci.checked);
}

TEST_F(Commandes, ChangerLAffichagePendantUneConnexionGardeLOptionDuFournisseur) {
    // Sélection automatique : le fournisseur a droit à la réduction de 30 %.
    e.accorder("MonFAI", {"R30"});
    connecter("MonFAI", 100);
    ASSERT_EQ(e.compteur().choix().forfait_en_cours, "R30");
    ASSERT_EQ(Panel4(), "0,70 F");
    commandes->ttcpopupClick();
    EXPECT_EQ(e.compteur().choix().forfait_en_cours, "R30")
        << "rechoisir pour la sélection automatique retirerait la réduction en pleine connexion";
    EXPECT_EQ(Panel4(), "0,84 F");
    commandes->Panel4Click();
    EXPECT_EQ(e.compteur().choix().forfait_en_cours, "R30");
}

// --- Durée ou heure --------------------------------------------------------------------------

TEST_F(Commandes, DureeOuHeure) {
    EXPECT_TRUE(commandes->menus().Duree1.checked);
    commandes->Panel2Click();
    EXPECT_EQ(e.etat().mode_panneau_duree, 2);
    EXPECT_EQ(e.fenetre().Panel2, "14:00:00");
    EXPECT_EQ(e.fenetre().Panel2_hint, "C'est l'heure !");
    EXPECT_TRUE(commandes->menus().Heure1.checked);
    EXPECT_FALSE(commandes->menus().Duree1.checked);
    e.banc->avancer(3);
    EXPECT_EQ(e.fenetre().Panel2, "14:00:03") << "le top montre l'heure";
    // Retour à la durée sans connexion encore : "00:00:00".
    commandes->Panel2Click();
    EXPECT_EQ(e.etat().mode_panneau_duree, 1);
    EXPECT_EQ(e.fenetre().Panel2, "00:00:00");
    EXPECT_EQ(e.fenetre().Panel2_hint, "Durée connexion");
    commandes->Heure1Click();
    commandes->Duree1Click();
    EXPECT_TRUE(commandes->menus().Duree1.checked);
    EXPECT_FALSE(commandes->menus().Heure1.checked);
}

// --- Rotation des rangées ---------------------------------------------------------------------

TEST_F(Commandes, AvecLesLignes0Et2Et3LaRotationVaDe0A2PuisRevientA0) {
    // Aucune ligne paire remplie encore (la ligne 0 l'est au démarrage du programme) : pas de boucle.
    commandes->Panel1Click();
    EXPECT_EQ(e.fenetre().index_ligne_affichee, 0);

    // Un comptage manuel arrêté (ligne 0), la facture relue (lignes 2 et 3).
    e.compteur().SpeedButton1Click();
    e.banc->avancer(5);
    e.compteur().SpeedButton4Click();
    e.compteur().lecture_total_facure_en_cours();
    ASSERT_EQ(e.ligne(0), "Arrêté manuellement");
    ASSERT_EQ(e.ligne(2), "Total facture en cours :");
    ASSERT_FALSE(e.ligne(3).empty());
    commandes->Panel1Click();
    EXPECT_EQ(e.fenetre().index_ligne_affichee, 2);
    EXPECT_EQ(e.fenetre().Panel1.texte, "Total facture en cours :");
    EXPECT_EQ(e.fenetre().Panel20.texte, e.ligne(3));
    EXPECT_TRUE(e.fenetre().Panel1_en_haut);
    commandes->Panel1Click();
    EXPECT_EQ(e.fenetre().index_ligne_affichee, 0);
    EXPECT_EQ(e.fenetre().Panel1.texte, "Arrêté manuellement");
    EXPECT_FALSE(e.fenetre().Panel1_en_haut) << "la ligne 1 est vide : la rangée est centrée";
}

TEST_F(Commandes, PendantUneConnexionReduiteLaRotationPasseParChaqueLignePaireRemplie) {
    e.accorder("MonFAI", {"R30"});
    e.compteur().lecture_total_facure_en_cours();
    connecter("MonFAI", 30);
    ASSERT_EQ(e.ligne(4), "Réduction en cours :");
    ASSERT_EQ(e.ligne(10), "Adresse IP");
    std::vector<int> vues;
    for (int n = 0; n < 5; ++n) {
        commandes->Panel1Click();
        vues.push_back(e.fenetre().index_ligne_affichee);
    }
    EXPECT_EQ(vues, (std::vector<int>{2, 4, 10, 0, 2}));
    commandes->Panel1Click();
    commandes->Panel1Click();
    EXPECT_EQ(e.fenetre().Panel1.texte, "Adresse IP");
    EXPECT_EQ(e.fenetre().Panel20.texte, "192.168.0.10");
}

// --- Timer2 ----------------------------------------------------------------------------------

TEST_F(Commandes, Timer2SelonSonIntervalle) {
    // 700 ms depuis le démarrage : la première rangée clignote la ligne 0, la seconde est vidée.
    ASSERT_EQ(e.compteur().Timer2().intervalle(), 700);
    const std::string ligne0 = e.fenetre().lignes_etat[0];
    const std::string avant = e.fenetre().Panel1.texte;
    commandes->Timer2Timer();
    EXPECT_EQ(e.fenetre().Panel20.texte, "");
    EXPECT_EQ(e.fenetre().Panel1.texte, avant.empty() ? ligne0 : "");
    commandes->Timer2Timer();
    EXPECT_EQ(e.fenetre().Panel1.texte, avant.empty() ? "" : ligne0);

    // 600 ms, la numérotation : l'icône alterne.
    e.connexion("MonFAI", debut_ms, debut_ms + 60'000);
    e.banc->avancer_ms(3500);
    ASSERT_EQ(e.compteur().Timer2().intervalle(), 600);
    const int modifications = e.fenetre().modifications_icone;
    commandes->Timer2Timer();
    EXPECT_EQ(commandes->image_icone(), ImageIcone::numerotation);
    commandes->Timer2Timer();
    EXPECT_EQ(commandes->image_icone(), ImageIcone::application);
    EXPECT_EQ(e.fenetre().modifications_icone, modifications + 2);
    commandes->Timer2Timer();
    // La connexion recrée l'icône : elle repart de l'image du produit.
    e.banc->avancer_ms(2000);
    EXPECT_EQ(commandes->image_icone(), ImageIcone::application);

    // 650 ms, une déconnexion programmée (son voyant allumé) : le voyant clignote, l'icône tourne.
    e.compteur().montrer_voyant_programmation();
    e.compteur().Timer2().definir_intervalle(650);
    std::vector<ImageIcone> images;
    std::vector<bool> voyant;
    for (int n = 0; n < 4; ++n) {
        commandes->Timer2Timer();
        images.push_back(commandes->image_icone());
        voyant.push_back(commandes->Image6_image());
    }
    EXPECT_EQ(images, (std::vector<ImageIcone>{ImageIcone::Image3, ImageIcone::Image4, ImageIcone::Image5,
                                               ImageIcone::Image3}));
    EXPECT_EQ(voyant, (std::vector<bool>{true, false, true, false}));

    // 660 ms (raccrochage) : rien.
    e.compteur().Timer2().definir_intervalle(660);
    const auto fenetre_avant = e.fenetre().Panel1;
    commandes->Timer2Timer();
    EXPECT_EQ(commandes->image_icone(), ImageIcone::Image3);
    EXPECT_EQ(e.fenetre().Panel1, fenetre_avant);

    // La programmation désarmée éteint le voyant : l'icône redevient celle du produit.
    e.compteur().arreter_effets_Timer2();
    EXPECT_EQ(commandes->image_icone(), ImageIcone::application);
}

// --- Montrer et cacher, icône -----------------------------------------------------------------

TEST_F(Commandes, CacherEtMontrerEchangentLesElementsDuMenu) {
    commandes->cacher();
    EXPECT_FALSE(e.fenetre().fenetre_visible);
    EXPECT_TRUE(e.fenetre().menu_restaurer_visible);
    EXPECT_FALSE(e.fenetre().menu_reduir_visible);
    EXPECT_EQ(commandes->icone_notification(EvenementIcone::gauche_enfonce), ReactionIcone::montrer);
    commandes->montrer();
    EXPECT_TRUE(e.fenetre().fenetre_visible);
    EXPECT_FALSE(e.fenetre().menu_restaurer_visible);
    EXPECT_TRUE(e.fenetre().menu_reduir_visible);
    EXPECT_EQ(commandes->icone_notification(EvenementIcone::milieu_double_clic), ReactionIcone::cacher);
    EXPECT_EQ(commandes->icone_notification(EvenementIcone::droit_enfonce), ReactionIcone::menu_principal);
    EXPECT_EQ(commandes->icone_notification(EvenementIcone::autre), ReactionIcone::rien);
}

// --- Annuaire, menus et numérotation ------------------------------------------------------------

struct CasAnnuaire {
    const char* nom;
    std::vector<std::string> entrees;
    std::string caption;
    std::vector<std::string> elements;
    ResultatNumerotation bouton;
    std::vector<std::string> numerotees_par_le_bouton;
};

class Annuaire : public Commandes, public testing::WithParamInterface<CasAnnuaire> {};

TEST_P(Annuaire, MenuReconstruitEtBoutonDeConnexion) {
    const auto& c = GetParam();
    e.banc->acces.definir_annuaire(c.entrees);
    commandes->PopupMenu2Popup();
    EXPECT_EQ(commandes->menus().Seconnecter1.caption, c.caption);
    EXPECT_EQ(commandes->menus().sous_menu_Seconnecter1, c.elements);
    EXPECT_EQ(commandes->menus().PopupMenu6, c.elements);
    EXPECT_TRUE(commandes->menus().Seconnecter1.enabled) << "aucune connexion : on peut se connecter";
    EXPECT_FALSE(commandes->menus().Sedeconnecter1.enabled);
    EXPECT_FALSE(commandes->menus().Programmation1.enabled);
    EXPECT_EQ(commandes->SpeedButton2Click(), c.bouton);
    EXPECT_EQ(e.banc->acces.numerotations(), c.numerotees_par_le_bouton);
    // Seul l'annuaire vide se dit par une boîte.
    EXPECT_EQ(e.banc->dialogue.boites().size(), c.entrees.empty() ? 1u : 0u);
    // Une seconde ouverture ne double pas les éléments.
    commandes->PopupMenu2Popup();
    EXPECT_EQ(commandes->menus().PopupMenu6, c.elements);
}

INSTANTIATE_TEST_SUITE_P(
    Entrees, Annuaire,
    testing::Values(
        CasAnnuaire{"aucune", {}, "Se &connecter", {}, ResultatNumerotation::aucune_entree, {}},
        CasAnnuaire{
            "une", {"MonFAI"}, "Se &connecter...", {}, ResultatNumerotation::numerotation_lancee, {"MonFAI"}},
        CasAnnuaire{"deux",
                    {"MonFAI", "Club Net"},
                    "Se &connecter à",
                    {"MonFAI...", "Club Net..."},
                    ResultatNumerotation::menu_fournisseurs,
                    {}}),
    [](const auto& info) { return std::string(info.param.nom); });

TEST_F(Commandes, SeConnecterNAgitQueSousSonTexteAPoints) {
    e.banc->acces.definir_annuaire({"MonFAI", "Club Net"});
    commandes->PopupMenu2Popup();
    EXPECT_EQ(commandes->Seconnecter1Click(), ResultatNumerotation::rien);
    e.banc->acces.definir_annuaire({"Club Net"});
    commandes->PopupMenu2Popup();
    EXPECT_EQ(commandes->Seconnecter1Click(), ResultatNumerotation::numerotation_lancee);
    EXPECT_EQ(e.banc->acces.numerotations(), std::vector<std::string>{"Club Net"});
}

TEST_F(Commandes, SansEntreeLeBoutonEtLeMenuDisentDOuViennentLesConnexions) {
    e.banc->acces.definir_annuaire({});
    commandes->PopupMenu2Popup();
    EXPECT_EQ(commandes->Seconnecter1Click(), ResultatNumerotation::aucune_entree);
    EXPECT_EQ(commandes->SpeedButton2Click(), ResultatNumerotation::aucune_entree);
    const auto& boites = e.banc->dialogue.boites();
    ASSERT_EQ(boites.size(), 2u);
    for (const auto& b : boites) {
        EXPECT_EQ(b.genre, GenreBoite::information);
        EXPECT_NE(b.texte.find("Aucune connexion d'accès à distance"), std::string::npos) << b.texte;
        EXPECT_NE(b.texte.find("le script de la simulation"), std::string::npos) << b.texte;
    }
    EXPECT_TRUE(e.banc->acces.numerotations().empty());
    // Une entrée apparue depuis l'ouverture du menu n'est pas numérotée sous "Se &connecter".
    e.banc->acces.definir_annuaire({"MonFAI"});
    EXPECT_EQ(commandes->Seconnecter1Click(), ResultatNumerotation::rien);
    EXPECT_TRUE(e.banc->acces.numerotations().empty());
}

TEST_F(Commandes, UnElementDEntreeNumeroteLeNomSansLesTroisPoints) {
    e.banc->acces.definir_annuaire({"MonFAI", "Club Net"});
    EXPECT_EQ(commandes->Clique("Club Net..."), ResultatNumerotation::numerotation_lancee);
    EXPECT_EQ(e.banc->acces.numerotations(), std::vector<std::string>{"Club Net"});
    EXPECT_TRUE(e.boites().empty());
}

TEST_F(Commandes, UneNumerotationQuiNePeutPartirLeDit) {
    e.banc->acces.definir_annuaire({"MonFAI"});
    EXPECT_EQ(commandes->Clique("Absent..."), ResultatNumerotation::echec_lancement);
    ASSERT_EQ(e.boites().size(), 1u);
    EXPECT_EQ(e.boites()[0], "La numérotation de « Absent » n'a pu être lancée.");
}

TEST_F(Commandes, EnComptageManuelLaNumerotationDemandeDAbord) {
    e.banc->acces.definir_annuaire({"MonFAI", "Club Net"});
    e.compteur().SpeedButton1Click();
    e.banc->dialogue.prevoir_reponse(Reponse::non);
    EXPECT_EQ(commandes->Clique("MonFAI..."), ResultatNumerotation::rien);
    EXPECT_TRUE(e.banc->acces.numerotations().empty());
    ASSERT_EQ(e.boites().size(), 1u);
    EXPECT_EQ(e.boites()[0], "m49\rm50\rm51\r\r        m52");
    EXPECT_EQ(e.banc->dialogue.boites()[0].genre, GenreBoite::question);
    e.banc->dialogue.prevoir_reponse(Reponse::oui);
    EXPECT_EQ(commandes->Clique("MonFAI..."), ResultatNumerotation::numerotation_lancee);

    // Le menu principal en comptage manuel : ni connexion ni déconnexion.
    commandes->PopupMenu2Popup();
    EXPECT_FALSE(commandes->menus().Seconnecter1.enabled);
    EXPECT_FALSE(commandes->menus().Sedeconnecter1.enabled);
}

TEST_F(Commandes, PendantUneConnexionLeMenuOffreLaDeconnexionEtLaProgrammation) {
    connecter("MonFAI", 10);
    commandes->PopupMenu2Popup();
    EXPECT_FALSE(commandes->menus().Seconnecter1.enabled);
    EXPECT_TRUE(commandes->menus().Sedeconnecter1.enabled);
    EXPECT_TRUE(commandes->menus().Programmation1.enabled);
}

TEST_F(Commandes, LaToucheDeDeverrouillageOuvreLeMenuUneFois) {
    EXPECT_EQ(commandes->touche_selecteur(true, false, true, true), ReactionTouche::basculer_detection);
    EXPECT_FALSE(commandes->deverrouillage_menu());
    EXPECT_EQ(commandes->touche_selecteur(true, true, false, false), ReactionTouche::rien);
    EXPECT_EQ(commandes->touche_selecteur(true, true, true, false), ReactionTouche::deverrouillage_arme);
    commandes->PopupMenu2Popup();
    EXPECT_TRUE(commandes->menus().Sedeconnecter1.enabled);
    EXPECT_TRUE(commandes->menus().Programmation1.enabled);
    EXPECT_FALSE(commandes->deverrouillage_menu());
    commandes->PopupMenu2Popup();
    EXPECT_FALSE(commandes->menus().Sedeconnecter1.enabled);
}

// --- Raccrocher -------------------------------------------------------------------------------

TEST_F(Commandes, RaccrocherDemandeEtArreteLesEffets) {
    connecter("MonFAI", 10);
    e.compteur().Timer2().definir_intervalle(650);
    e.compteur().Timer2().activer(true);
    commandes->Timer2Timer();
    bool annulee = false;
    commandes->annuler_programmation = [&] { annulee = true; };

    e.banc->dialogue.prevoir_reponse(Reponse::non);
    EXPECT_FALSE(commandes->SpeedButton3Click());
    EXPECT_EQ(e.boites().back(), "m118");
    EXPECT_TRUE(e.compteur().Timer2().active());
    EXPECT_FALSE(annulee);

    e.banc->dialogue.prevoir_reponse(Reponse::oui);
    EXPECT_TRUE(commandes->SpeedButton3Click());
    EXPECT_EQ(e.compteur().Timer2().intervalle(), 660);
    EXPECT_FALSE(e.compteur().Timer2().active());
    EXPECT_EQ(commandes->image_icone(), ImageIcone::application);
    EXPECT_FALSE(e.fenetre().Image6_visible);
    EXPECT_FALSE(commandes->Image6_image());
    EXPECT_TRUE(annulee);
    EXPECT_TRUE(commandes->raccrocher());
    EXPECT_FALSE(commandes->raccrocher()) << "plus aucune connexion : échec";
}

// --- Fermeture --------------------------------------------------------------------------------

TEST_F(Commandes, LaQuestionDeLaFermetureSelonLeComptage) {
    EXPECT_EQ(commandes->texte_question_quitter(), "m56    ");
    e.banc->dialogue.prevoir_reponse(Reponse::non);
    EXPECT_FALSE(commandes->FormCloseQuery(false));
    connecter("MonFAI", 10);
    EXPECT_EQ(commandes->texte_question_quitter(), "m53\rm54\rm55\r\rm56    ");
    e.banc->dialogue.prevoir_reponse(Reponse::oui);
    EXPECT_TRUE(commandes->FormCloseQuery(false));
    const auto boites = e.banc->dialogue.boites().size();
    EXPECT_TRUE(commandes->FormCloseQuery(true)) << "en fin de session, pas de question";
    EXPECT_EQ(e.banc->dialogue.boites().size(), boites);
}

// --- Utilisateurs et fenêtre des messages ------------------------------------------------------

TEST_F(Commandes, CadenasEtAucunUtilisateur) {
    commandes->Image12Click();
    EXPECT_EQ(e.boites().back(), "m131\rm132");
    EXPECT_EQ(e.banc->dialogue.boites().back().genre, GenreBoite::information);
    e.banc->dialogue.prevoir_reponse(Reponse::non);
    EXPECT_FALSE(commandes->demander_ajout_utilisateur());
    const auto& boite = e.banc->dialogue.boites().back();
    EXPECT_EQ(boite.genre, GenreBoite::information);
    EXPECT_EQ(boite.boutons, (std::vector<Reponse>{Reponse::oui, Reponse::non}));
    EXPECT_TRUE(boite.texte.starts_with("Attention, aucun utilisateur n'est déclaré !\n")) << boite.texte;
    EXPECT_TRUE(boite.texte.ends_with("\n\n    Voulez-vous ajouter un utilisateur maintenant ?"))
        << boite.texte;
}

TEST_F(Commandes, FenetreDesMessages) {
    const auto modele = commandes->modele_Tinfoform();
    EXPECT_EQ(modele.bloc1, "m5\rm6\rm7");
    EXPECT_EQ(modele.bloc2, "m8\rm9");
    EXPECT_EQ(modele.bloc3, "m10\rm11");
    commandes->fermeture_Tinfoform(false);
    EXPECT_EQ(e.lire(cles::options, "message 1"), "");
    commandes->fermeture_Tinfoform(true);
    EXPECT_EQ(e.lire(cles::options, "message 1"), "non");
}

}  // namespace
}  // namespace lumi::essai
