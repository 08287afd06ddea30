#include "tariff/chargeur.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/erreurs.hpp"
#include "settings/cles.hpp"
#include "settings/registre_memoire.hpp"
#include "tariff/moteur_tarifaire.hpp"

namespace lumi {
namespace {

const std::string essai = LUMI_DONNEES_TESTS "/tarifs_essai.ini";
const std::string invalides = LUMI_DONNEES_TESTS "/tarifs_invalides.ini";

// Le message d'une ErreurConversion levée par `f`, ou "" si rien n'est levé.
template <typename F>
std::string message_erreur(F f) {
    try {
        f();
    } catch (const ErreurConversion& e) {
        return e.what();
    }
    return {};
}

TEST(GetTarification, ChampsEtDefauts) {
    const FichierIni ini(essai);
    const auto t = GetTarification(ini, "Pas de 60");
    EXPECT_EQ(t.nom, "Pas de 60");
    EXPECT_EQ(t.credit_temps, 0);
    EXPECT_FLOAT_EQ(t.cout_ht_plein_tarif, 0.28f);  // écrit "0,28"
    EXPECT_FLOAT_EQ(t.cout_ht_tarif_reduit, 0.14f);
    EXPECT_FLOAT_EQ(t.cout_ht_connexion, 0.74f);
    EXPECT_EQ(t.pas_tarif, 60);
    EXPECT_EQ(t.reduc_compatible, "none");
    EXPECT_EQ(t.l1, "Réduit");

    const auto credit = GetTarification(ini, "crédit 180");  // noms de section sans casse
    EXPECT_EQ(credit.credit_temps, 180);
    EXPECT_FLOAT_EQ(credit.cout_ht_credit_temps, 1.0f);

    // Section absente : prix nuls, pas d'une seconde.
    const auto absent = GetTarification(ini, "Inconnu");
    EXPECT_EQ(absent.nom, "Inconnu");
    EXPECT_EQ(absent.pas_tarif, 1);
    EXPECT_EQ(absent.credit_temps, 0);
    EXPECT_EQ(absent.cout_ht_plein_tarif, 0.0f);
    EXPECT_EQ(absent.cout_ht_connexion, 0.0f);
}

TEST(GetTarification, PrixIllisibleNommeFichierSectionCle) {
    const FichierIni ini(invalides);
    const auto message = message_erreur([&] { (void)GetTarification(ini, "Prix illisible"); });
    for (const char* attendu :
         {"« 0,2a8 »", "tarifs_invalides.ini", "[Prix illisible]", "« cout ht plein tarif »"}) {
        EXPECT_NE(message.find(attendu), std::string::npos) << message;
    }
}

TEST(LireParametresReduction, Options) {
    const FichierIni ini(essai);
    RegistreMemoire registre;

    const auto aucune = lire_parametres_reduction(ini, registre, "");
    EXPECT_EQ(aucune.nom, "");
    EXPECT_EQ(aucune.type_forfait, type_forfait_r);
    EXPECT_EQ(aucune.taux, 0);
    EXPECT_EQ(aucune.l1, "");

    const auto r30 = lire_parametres_reduction(ini, registre, "R30");
    EXPECT_EQ(r30.type_forfait, type_forfait_r);
    EXPECT_EQ(r30.taux, 30);
    EXPECT_EQ(r30.t[1], 0);
    EXPECT_EQ(r30.raz, 4);
    EXPECT_EQ(r30.raz_le, 1);
    EXPECT_EQ(r30.unite_decompte, 1);
    EXPECT_EQ(r30.l1, "Option l1");

    const auto fen = lire_parametres_reduction(ini, registre, "FEN");
    EXPECT_EQ(fen.t[1], 50);
    EXPECT_EQ(fen.dt[2], 3600);
    EXPECT_EQ(fen.dt[3], 7200);

    // Forfait sans temps enregistré : plein.
    auto forf = lire_parametres_reduction(ini, registre, "FORF");
    EXPECT_EQ(forf.type_forfait, type_forfait_f);
    EXPECT_EQ(forf.duree_forfait, 72000);
    EXPECT_EQ(forf.temps_forfait_debut, 72000);
    EXPECT_EQ(forf.temps_restant_forfait, 72000);
    EXPECT_EQ(forf.unite_decompte, 60);
    EXPECT_EQ(forf.raz, 1);
    EXPECT_EQ(forf.raz_le, 5);
    EXPECT_EQ(forf.tarif_apres_forfait, "À la seconde");
    EXPECT_EQ(forf.texte_tarif_apres_forfait, "Forfait épuisé");

    // Temps restant lu dans le registre.
    registre.ecrire_valeur(cles::section(cles::forfaits), "time FORF", "1234");
    forf = lire_parametres_reduction(ini, registre, "FORF");
    EXPECT_EQ(forf.temps_forfait_debut, 1234);
    EXPECT_EQ(forf.temps_restant_forfait, 1234);

    registre.ecrire_valeur(cles::section(cles::forfaits), "time FORF", "beaucoup");
    EXPECT_NE(
        message_erreur([&] { (void)lire_parametres_reduction(ini, registre, "FORF"); }).find("time FORF"),
        std::string::npos);

    EXPECT_EQ(lire_parametres_reduction(ini, registre, "FI").type_forfait, type_forfait_fi);
}

TEST(LireParametresReduction, TypeInconnuRefuse) {
    const FichierIni ini(invalides);
    RegistreMemoire registre;
    const auto message = message_erreur([&] { (void)lire_parametres_reduction(ini, registre, "TypeX"); });
    for (const char* attendu : {"« X »", "[TypeX]", "« type »"}) {
        EXPECT_NE(message.find(attendu), std::string::npos) << message;
    }
}

TEST(TvaEtValeursTaux, LecturesDuDemarrage) {
    const FichierIni ini(essai);
    EXPECT_FLOAT_EQ(lire_taux_tva(ini), 19.6f);  // écrit "19,6"
    const auto valeurs = lire_valeurs_taux(ini);
    EXPECT_FLOAT_EQ(valeurs[2], 50.0f);
    EXPECT_FLOAT_EQ(valeurs[3], 25.5f);
    EXPECT_FLOAT_EQ(valeurs[20], 10.0f);
    EXPECT_FLOAT_EQ(valeurs[4], 0.0f);

    // "dix-neuf" n'est pas un nombre : 19,6.
    EXPECT_FLOAT_EQ(lire_taux_tva(FichierIni(invalides)), 19.6f);
    // Fichier absent : 19,6 et des réductions nulles.
    const FichierIni absent(LUMI_DONNEES_TESTS "/nexiste_pas.ini");
    EXPECT_FLOAT_EQ(lire_taux_tva(absent), 19.6f);
    EXPECT_EQ(lire_valeurs_taux(absent), ValeursTaux{});
}

TEST(ListeDesTarifications, NomsDansLOrdreSansLesVides) {
    const std::vector<std::string> attendu{"Pas de 60", "À la seconde", "Crédit 180", "Semaine et samedi"};
    EXPECT_EQ(lire_liste_des_tarifications(FichierIni(essai)), attendu);
    EXPECT_TRUE(lire_liste_des_tarifications(FichierIni(invalides)).empty());
}

TEST(ListeReducTarifaires, EnTeteEtDesignations) {
    const FichierIni ini(essai);
    const std::vector<std::string> principale{
        "Aucune réduction ou forfait tarifaire", "Réduction de 30 %", "Forfait 20 heures", "",
        "Réduction la première heure",           "Forfait illimité"};
    EXPECT_EQ(lecture_liste_reduc_tarifaires(ini, true), principale);
    EXPECT_EQ(lecture_liste_reduc_tarifaires(ini, false).front(), "Toutes les réductions");
    // Sans options : l'en-tête seul.
    EXPECT_EQ(lecture_liste_reduc_tarifaires(FichierIni(invalides), true),
              std::vector<std::string>{"Aucune réduction ou forfait tarifaire"});
}

TEST(LireOptionTarifaire, ReferenceEtCles) {
    const FichierIni ini(essai);
    EXPECT_EQ(lire_option_tarifaire(ini, 2, "ref"), "FORF");
    EXPECT_EQ(lire_option_tarifaire(ini, 2, "duree"), "72000");
    EXPECT_EQ(lire_option_tarifaire(ini, 2, "absente"), "");
    EXPECT_EQ(lire_option_tarifaire(ini, 3, "ref"), "");  // option3 vide
    EXPECT_EQ(lire_option_tarifaire(ini, 3, "designation"), "");
    EXPECT_EQ(lire_option_tarifaire(ini, 9, "ref"), "");
}

TEST(MoteurTarifaire, RechargementDesListes) {
    RegistreMemoire registre;
    MoteurTarifaire moteur(essai, registre);
    moteur.lecture_parametres_tarification_en_cours_2000("Pas de 60", "");
    EXPECT_EQ(moteur.tarif_en_cours(), "Pas de 60");
    EXPECT_EQ(moteur.forfait_en_cours(), "");
    EXPECT_EQ(moteur.plages_courantes()[0].chaines(), moteur.plages_du_tarif()[0].chaines());

    // Une option en cours apporte ses listes pour l'affichage ; le prix garde celles du tarif.
    moteur.lecture_parametres_tarification_en_cours_2000("Pas de 60", "R30");
    EXPECT_EQ(moteur.plages_courantes()[0].code_jour(), 0);
    EXPECT_EQ(moteur.plages_du_tarif()[0].code_jour(), 9);
    EXPECT_EQ(moteur.reduction().l1, "Option l1");

    // Retour sans option : rien de l'option précédente ne reste.
    moteur.lecture_parametres_tarification_en_cours_2000("Pas de 60", "");
    EXPECT_EQ(moteur.reduction().l1, "");
    EXPECT_EQ(moteur.reduction().taux, 0);
    EXPECT_EQ(moteur.plages_courantes()[0].code_jour(), 9);
}

TEST(MoteurTarifaire, RechargementToutOuRien) {
    RegistreMemoire registre;
    MoteurTarifaire moteur(invalides, registre);
    moteur.lecture_parametres_tarification_en_cours_2000("Pas nul", "");
    EXPECT_THROW(moteur.lecture_parametres_tarification_en_cours_2000("Prix illisible", ""),
                 ErreurConversion);
    EXPECT_THROW(moteur.lecture_parametres_tarification_en_cours_2000("Pas nul", "TypeX"), ErreurConversion);
    EXPECT_EQ(moteur.tarif_en_cours(), "Pas nul");
    EXPECT_EQ(moteur.forfait_en_cours(), "");
    EXPECT_FLOAT_EQ(moteur.tarification().cout_ht_plein_tarif, 0.30f);
    EXPECT_EQ(moteur.plages_du_tarif()[0].code_jour(), 9);
}

}  // namespace
}  // namespace lumi
