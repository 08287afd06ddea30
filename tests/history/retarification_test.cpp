#include "history/retarification.hpp"

#include <gtest/gtest.h>

#include <string>

#include "base/erreurs.hpp"
#include "settings/registre_memoire.hpp"
#include "tariff/moteur_tarifaire.hpp"
#include "tariff/rejeu_appel.hpp"

namespace lumi {
namespace {

const std::string tarifs = LUMI_DONNEES_TESTS "/tarifs_essai.ini";

// Lundi 3 janvier 2000.
constexpr NumeroJour lundi = 36528;

EnregistrementHistorique enregistrement(std::optional<NumeroJour> jour, std::string heure, int secondes) {
    EnregistrementHistorique e;
    e.jour = jour;
    e.heure = std::move(heure);
    e.secondes = secondes;
    return e;
}

// Ce que l'outil « prix » donne pour les mêmes instants : le même rejeu, sur un moteur à part.
double prix(std::string_view tarif, std::string_view option, Moment debut, std::int64_t duree) {
    RegistreMemoire registre;
    MoteurTarifaire moteur(tarifs, registre);
    moteur.lecture_taux_tva_et_valeurs_taux();
    moteur.lecture_parametres_tarification_en_cours_2000(tarif, option);
    const std::int64_t absolu = debut.seconde + duree;
    const Moment fin{static_cast<NumeroJour>(debut.jour + absolu / secondes_par_jour),
                     static_cast<std::int32_t>(absolu % secondes_par_jour)};
    const auto r = rejouer_appel(moteur, debut, fin);
    return static_cast<double>(r.prix_communication) - r.montant_reduction;
}

TEST(Retarification, ChaqueEnregistrementAuPrixDuMoteur) {
    const std::vector<EnregistrementHistorique> liste = {
        enregistrement(lundi, "18h50", 1200),     // à cheval sur 19h (moitié prix ensuite)
        enregistrement(lundi + 1, "23h58", 300),  // passe minuit
        enregistrement(std::nullopt, "10h00", 60),
        enregistrement(lundi + 2, "9h00", 60),    // heure mal écrite
        enregistrement(lundi + 5, "14h00", 4000),
    };
    struct Cas {
        const char* tarif;
        const char* option;
    } const cas[] = {{"Pas de 60", ""}, {"À la seconde", ""}, {"Pas de 60", "R30"}, {"Pas de 60", "FEN"}};
    for (const auto& c : cas) {
        const auto r = retarifer(liste, tarifs, c.tarif, c.option, false);
        ASSERT_EQ(r.montants_ht.size(), liste.size());
        EXPECT_EQ(r.ignores, 2) << c.tarif << " " << c.option;
        EXPECT_FALSE(r.montants_ht[2]);
        EXPECT_FALSE(r.montants_ht[3]);
        const double attendus[] = {prix(c.tarif, c.option, {lundi, seconde_du_jour(18, 50, 0)}, 1200),
                                   prix(c.tarif, c.option, {lundi + 1, seconde_du_jour(23, 58, 0)}, 300),
                                   prix(c.tarif, c.option, {lundi + 5, seconde_du_jour(14, 0, 0)}, 4000)};
        const std::size_t indices[] = {0, 1, 4};
        double total = 0;
        for (int k = 0; k < 3; ++k) {
            ASSERT_TRUE(r.montants_ht[indices[k]]);
            EXPECT_DOUBLE_EQ(*r.montants_ht[indices[k]], attendus[k]) << c.tarif << " " << c.option << " " << k;
            total += attendus[k];
        }
        EXPECT_DOUBLE_EQ(r.total_ht, total);
        EXPECT_GT(total, 0);
    }
}

TEST(Retarification, LeForfaitRepartDeSonTempsEntierEtPasseAuRelais) {
    // FORF : 20 heures, décomptées à la minute commencée, puis « À la seconde ». La liste est dans
    // l'ordre inverse : le forfait s'use pourtant dans l'ordre des connexions.
    const std::vector<EnregistrementHistorique> liste = {
        enregistrement(lundi + 1, "10h00", 37800),  // 10h30 : il ne reste que 10 heures
        enregistrement(lundi, "08h00", 35999),      // 10 heures moins une seconde : 600 minutes
    };
    const auto r = retarifer(liste, tarifs, "Pas de 60", "FORF", false);
    ASSERT_TRUE(r.montants_ht[0] && r.montants_ht[1]);
    EXPECT_DOUBLE_EQ(*r.montants_ht[1], 0);
    EXPECT_DOUBLE_EQ(*r.montants_ht[0], prix("À la seconde", "", {lundi + 1, seconde_du_jour(20, 0, 0)}, 1800));
    EXPECT_GT(*r.montants_ht[0], 0);
}

TEST(Retarification, TarifInconnuRefuseEnFrancais) {
    const std::vector<EnregistrementHistorique> liste = {enregistrement(lundi, "10h00", 60)};
    EXPECT_THROW(retarifer(liste, tarifs, "Tarif qui n'existe pas", "", false), ErreurConversion);
}

}  // namespace
}  // namespace lumi
