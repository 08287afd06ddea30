#include "tariff/prix.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "base/erreurs.hpp"
#include "settings/registre_memoire.hpp"
#include "tariff/moteur_tarifaire.hpp"
#include "tariff/rejeu_appel.hpp"

namespace lumi {
namespace {

const std::string essai = LUMI_DONNEES_TESTS "/tarifs_essai.ini";
const std::string invalides = LUMI_DONNEES_TESTS "/tarifs_invalides.ini";

// Lundi 3 janvier 2000 (jour ouvré), mardi 4.
constexpr NumeroJour lundi = 36528;
constexpr NumeroJour mardi = lundi + 1;

constexpr Moment a(NumeroJour jour, int h, int m, int s) {
    return {jour, seconde_du_jour(h, m, s)};
}

struct Appel {
    const char* nom;
    const char* tarif;
    const char* option;
    Moment debut;
    Moment fin;
    double prix_sans_reduction;
    double montant;  // ce qui reste à payer
};

// "Pas de 60" : 0,74 de connexion, 0,28 le pas de 60 s, moitié prix (indice 2) à partir de 19h.
TEST(PrixAppel, ExemplesChiffres) {
    const Appel appels[] = {
        {"1,16 HT à 19:01:10", "Pas de 60", "", a(lundi, 18, 59, 30), a(lundi, 19, 1, 10), 1.16, 1.16},
        {"1,02 HT à 19:00:29", "Pas de 60", "", a(lundi, 18, 59, 30), a(lundi, 19, 0, 29), 1.02, 1.02},
        {"le pas de 19:00:30 est dû dès qu'il commence", "Pas de 60", "", a(lundi, 18, 59, 30),
         a(lundi, 19, 0, 30), 1.16, 1.16},
        {"premier top : connexion et un pas", "Pas de 60", "", a(lundi, 18, 59, 30), a(lundi, 18, 59, 30),
         1.02, 1.02},
        {"crédit temps en cours", "Crédit 180", "", a(lundi, 10, 0, 0), a(lundi, 10, 2, 59), 1.74, 1.74},
        {"premier pas à la 180e seconde", "Crédit 180", "", a(lundi, 10, 0, 0), a(lundi, 10, 3, 0), 2.02,
         2.02},
        {"crédit de 30 s avant minuit", "Crédit 30", "", a(lundi, 23, 59, 50), a(lundi, 23, 59, 59), 1.24,
         1.24},
        {"crédit de 30 s qui passe minuit", "Crédit 30", "", a(lundi, 23, 59, 50), a(mardi, 0, 0, 19), 1.24,
         1.24},
        {"crédit fini après minuit : premier pas", "Crédit 30", "", a(lundi, 23, 59, 50), a(mardi, 0, 0, 20),
         1.52, 1.52},
        // 23:59:30 à moitié prix (0,14), puis 00:00:30 et 00:01:30 au plein tarif (0,28).
        {"minuit : le pas à cheval compté une fois", "Pas de 60", "", a(lundi, 23, 59, 30),
         a(mardi, 0, 1, 10), 1.16, 1.16},
        {"minuit : le rythme continue", "Pas de 60", "", a(lundi, 23, 59, 30), a(mardi, 0, 1, 30), 1.44,
         1.44},
        {"à la seconde : 90 s", "À la seconde", "", a(lundi, 10, 0, 0), a(lundi, 10, 1, 30), 0.45, 0.45},
        {"à la seconde : changement de plage", "À la seconde", "", a(lundi, 18, 59, 0), a(lundi, 19, 1, 0),
         0.45, 0.45},
        {"à la seconde : minuit", "À la seconde", "", a(lundi, 23, 59, 0), a(mardi, 0, 1, 0), 0.45, 0.45},
        {"à la seconde : premier top", "À la seconde", "", a(lundi, 10, 0, 0), a(lundi, 10, 0, 0), 0, 0},
        {"trois jours au même rythme (pas de 77)", "Pas de 77", "", a(lundi, 0, 0, 0),
         a(lundi + 2, 23, 59, 59), 3367, 3367},
        {"option R 30 %", "Pas de 60", "R30", a(lundi, 18, 59, 30), a(lundi, 19, 1, 10), 1.16, 0.812},
        {"forfait F", "Pas de 60", "FORF", a(lundi, 18, 59, 30), a(lundi, 19, 1, 10), 1.16, 0},
        {"forfait Fi : pas d'économie", "Pas de 60", "FI", a(lundi, 18, 59, 30), a(lundi, 19, 1, 10), 1.16,
         1.16},
        // 30 pas pleins (8,40) et 31 pas à moitié prix (4,34) ; 50 % du prix par minute des 1799 s
        // passées en plage 1 et des 1800 s en plage 2 de la première heure.
        {"fenêtres de temps écoulé", "Pas de 60", "FEN", a(lundi, 18, 30, 0), a(lundi, 19, 30, 0), 13.48,
         13.48 - (1799 / 60.0 * 0.28 + 1800 / 60.0 * 0.14) * 0.5},
        {"fenêtres : la réduction ne grandit plus", "Pas de 60", "FEN", a(lundi, 18, 30, 0),
         a(lundi, 20, 0, 0), 0.74 + 30 * 0.28 + 61 * 0.14,
         0.74 + 30 * 0.28 + 61 * 0.14 - (1799 / 60.0 * 0.28 + 1800 / 60.0 * 0.14) * 0.5},
    };
    RegistreMemoire registre;
    MoteurTarifaire moteur(essai, registre);
    moteur.lecture_taux_tva_et_valeurs_taux();
    for (const auto& c : appels) {
        moteur.lecture_parametres_tarification_en_cours_2000(c.tarif, c.option);
        const auto r = rejouer_appel(moteur, c.debut, c.fin);
        EXPECT_NEAR(r.prix_communication, c.prix_sans_reduction, 2e-5) << c.nom;
        EXPECT_NEAR(r.prix_communication - r.montant_reduction, c.montant, 2e-5) << c.nom;
    }
}

// Le rejeu saute les tops où rien ne change : il doit rendre la même réduction qu'un top par seconde.
TEST(RejouerAppel, CommeUnTopParSeconde) {
    RegistreMemoire registre;
    MoteurTarifaire moteur(essai, registre);
    moteur.lecture_taux_tva_et_valeurs_taux();
    moteur.lecture_parametres_tarification_en_cours_2000("Pas de 60", "FEN");
    const Moment appels[][2] = {
        {a(lundi, 18, 30, 0), a(lundi, 19, 30, 0)}, {a(lundi, 18, 59, 59), a(lundi, 21, 0, 1)},
        {a(lundi, 23, 10, 7), a(mardi, 1, 2, 3)},   {a(lundi, 17, 0, 0), a(lundi, 17, 0, 0)},
        {a(lundi, 18, 0, 0), a(lundi, 18, 59, 59)}, {a(lundi, 12, 34, 56), a(lundi + 5, 13, 0, 0)},
    };
    for (const auto& [debut, fin] : appels) {
        const auto rejeu = rejouer_appel(moteur, debut, fin);

        // Un top par seconde, plage réévaluée à chaque changement d'heure.
        moteur.remise_a_zero_compteurs_reduction();
        const std::int64_t duree =
            (std::int64_t{fin.jour} - debut.jour) * 86400 + fin.seconde - debut.seconde;
        int plage = 0, heure = -1;
        double reste = 0;
        for (std::int64_t e = 0; e <= duree; ++e) {
            const std::int64_t absolu = debut.seconde + e;
            const auto jour = static_cast<NumeroJour>(debut.jour + absolu / 86400);
            const auto seconde = static_cast<std::int32_t>(absolu % 86400);
            if (static_cast<int>(absolu / 3600) != heure) {
                heure = static_cast<int>(absolu / 3600);
                plage = moteur.plage_en_vigueur(jour, seconde);
            }
            reste = moteur.calcul_prix_avec_reduction(type_forfait_r, rejeu.prix_communication,
                                                      static_cast<std::int32_t>(e), plage);
        }
        EXPECT_FLOAT_EQ(rejeu.montant_reduction, static_cast<float>(rejeu.prix_communication - reste))
            << formater_date(debut.jour) << " " << debut.seconde;
    }
}

// Sans crédit (avec_credit faux) le premier pas commence au début de l'appel.
TEST(PrixAppel, SansCreditTemps) {
    RegistreMemoire registre;
    MoteurTarifaire moteur(essai, registre);
    moteur.lecture_taux_tva_et_valeurs_taux();
    moteur.lecture_parametres_tarification_en_cours_2000("Crédit 180", "");
    const auto& t = moteur.tarification();
    EXPECT_NEAR(moteur.calcul_prix_communication_sans_reduction(t, 36000, lundi, lundi, 36059, false), 1.02,
                1e-6);
    EXPECT_NEAR(moteur.calcul_prix_communication_sans_reduction(t, 36000, lundi, lundi, 36059, true), 1.74,
                1e-6);
}

// Fenêtres : les compteurs se recalculent depuis la durée, un top manqué ne perd rien.
TEST(PrixAvecReduction, FenetresRecalculeesDepuisLaDuree) {
    tparametre_de_la_tarification tarif;
    tarif.cout_ht_plein_tarif = 0.30f;
    tarif.cout_ht_tarif_reduit = 0.15f;
    tparametre_de_la_reduction option;
    option.t = {0, 50, 0, 0};
    option.dt = {0, 0, 3600, 7200};
    CompteursReduction compteurs;
    // Un seul top à 600 s en plage 1 : 10 minutes de plein tarif à moitié prix.
    EXPECT_NEAR(calcul_prix_avec_reduction(type_forfait_r, 10.0, option, tarif, compteurs, 600, 1),
                10.0 - 1.5, 1e-6);
    // Puis 300 s en plage 2.
    EXPECT_NEAR(calcul_prix_avec_reduction(type_forfait_r, 10.0, option, tarif, compteurs, 900, 2),
                10.0 - 1.5 - 0.375, 1e-6);
    // Une plage sans tarif (3) ne change rien.
    EXPECT_NEAR(calcul_prix_avec_reduction(type_forfait_r, 10.0, option, tarif, compteurs, 1200, 3),
                10.0 - 1.875, 1e-6);
    // dt2 laissé à 0 alors que dt1 est donné : la fenêtre 1 n'est jamais active.
    option.dt = {0, 60, 0, 0};
    CompteursReduction neufs;
    EXPECT_EQ(calcul_prix_avec_reduction(type_forfait_r, 10.0, option, tarif, neufs, 600, 1), 10.0);
}

// Une fenêtre qui commence très loin avant l'appel (dt1 proche de -2^31) : le compteur de la
// fenêtre est borné au lieu de déborder et de passer négatif.
TEST(PrixAvecReduction, FenetreAuDebutAberrantSansDebordement) {
    tparametre_de_la_tarification tarif;
    tarif.cout_ht_plein_tarif = 0.30f;
    tparametre_de_la_reduction option;
    option.t = {0, 10, 0, 0};
    option.dt = {0, -2147483000, 1800, 3000};
    CompteursReduction compteurs;
    const double reste = calcul_prix_avec_reduction(type_forfait_r, 10.0, option, tarif, compteurs, 1799, 1);
    EXPECT_EQ(compteurs.secondes_plein[1], std::numeric_limits<std::int32_t>::max());
    EXPECT_TRUE(std::isfinite(reste));
    EXPECT_LT(reste, 10.0);
}

TEST(PrixAppel, EntreesFautives) {
    RegistreMemoire registre;
    MoteurTarifaire moteur(invalides, registre);
    moteur.lecture_taux_tva_et_valeurs_taux();

    // pas=0 : facturé à la seconde au prix par minute, jamais de division par zéro.
    moteur.lecture_parametres_tarification_en_cours_2000("Pas nul", "");
    EXPECT_EQ(moteur.tarification().pas_tarif, 0);
    EXPECT_NEAR(rejouer_appel(moteur, a(lundi, 10, 0, 0), a(lundi, 10, 1, 30)).prix_communication, 0.55,
                1e-6);
    EXPECT_NEAR(rejouer_appel(moteur, a(lundi, 23, 59, 30), a(mardi + 1, 0, 0, 30)).prix_communication,
                0.10 + (30 + 18000) * 0.0025 + (68400 + 30) * 0.005, 1e-3);

    // Section absente ou listes fautives : refusées au chargement (voir chargeur_test), le tarif
    // d'avant garde ses prix.
    for (const char* tarif :
         {"Inconnu", "Borne illisible", "Bornes impaires", "Indice hors limites", "Liste vide"}) {
        EXPECT_THROW(moteur.lecture_parametres_tarification_en_cours_2000(tarif, ""), ErreurConversion)
            << tarif;
        EXPECT_EQ(moteur.tarif_en_cours(), "Pas nul");
        EXPECT_NEAR(rejouer_appel(moteur, a(lundi, 10, 0, 0), a(lundi, 10, 1, 30)).prix_communication, 0.55,
                    1e-6);
    }
    // Un autre tarif que celui en cours est vérifié comme lui.
    EXPECT_THROW((void)moteur.calcul_prix_communication_sans_reduction(
                     moteur.GetTarification("Borne illisible"), 36000, lundi, lundi, 36100, true),
                 ErreurConversion);
}

// Un jour sans liste applicable est une erreur qui nomme la section ; le jour d'avant se calcule.
TEST(PrixAppel, JourSansListe) {
    RegistreMemoire registre;
    MoteurTarifaire moteur(essai, registre);
    moteur.lecture_taux_tva_et_valeurs_taux();
    moteur.lecture_parametres_tarification_en_cours_2000("Semaine et samedi", "");
    constexpr NumeroJour samedi = lundi + 5;
    EXPECT_NEAR(moteur.calcul_prix_communication_sans_reduction(moteur.tarification(), 36000, samedi, samedi,
                                                                36000, true),
                0.14, 1e-6);
    try {
        (void)moteur.calcul_prix_communication_sans_reduction(moteur.tarification(), 86000, samedi,
                                                              samedi + 1, 100, true);
        ADD_FAILURE() << "aucune erreur";
    } catch (const ErreurPlagesHoraires& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("[Semaine et samedi]"), std::string::npos) << message;
        EXPECT_NE(message.find("09/01/2000"), std::string::npos) << message;
    }
}

}  // namespace
}  // namespace lumi
