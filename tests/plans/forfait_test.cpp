#include "plans/forfait.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "banc_forfaits.hpp"
#include "base/erreurs.hpp"

namespace lumi {
namespace {

using essais::BancForfaits;

// --- Décompte par unité ---

struct CasDecompte {
    friend void PrintTo(const CasDecompte& cas, std::ostream* os) { *os << cas.nom; }
    const char* nom;
    std::int32_t debut;
    std::int32_t unite;
    std::int32_t e;
    std::int32_t restant;
};

class TempsRestant : public testing::TestWithParam<CasDecompte> {};

TEST_P(TempsRestant, ChaqueUniteCommenceePartEnEntier) {
    const auto& cas = GetParam();
    EXPECT_EQ(temps_restant_apres(cas.debut, cas.unite, cas.e), cas.restant);
}

INSTANTIATE_TEST_SUITE_P(
    Unites, TempsRestant,
    testing::Values(CasDecompte{"minute_premiere_seconde", 3600, 60, 0, 3540},
                    CasDecompte{"minute_59e_seconde", 3600, 60, 59, 3540},
                    CasDecompte{"minute_60e_seconde", 3600, 60, 60, 3480},
                    CasDecompte{"minute_epuise_a_3540", 3600, 60, 3540, 0},
                    CasDecompte{"minute_reste_120_premier_top", 120, 60, 1, 60},
                    CasDecompte{"minute_reste_120_epuise_a_60", 120, 60, 60, 0},
                    CasDecompte{"seconde_par_seconde", 3600, 1, 1, 3599},
                    CasDecompte{"seconde_epuise_a_3600", 3600, 1, 3600, 0},
                    CasDecompte{"unite_nulle_a_la_seconde", 100, 0, 10, 90},
                    CasDecompte{"unite_negative_a_la_seconde", 100, -60, 10, 90},
                    CasDecompte{"sans_debordement", -2147483647, 60, 2147483000, -2147483647 - 1}),
    [](const testing::TestParamInfo<CasDecompte>& info) { return std::string(info.param.nom); });

struct CasCompte {
    friend void PrintTo(const CasCompte& cas, std::ostream* os) { *os << cas.nom; }
    const char* nom;
    std::uint8_t type;
    std::int32_t unite;
    std::int32_t e;
    std::int32_t compte;
};

class SecondesComptees : public testing::TestWithParam<CasCompte> {};

TEST_P(SecondesComptees, SelonLeTypeEtLUnite) {
    const auto& cas = GetParam();
    EXPECT_EQ(retourne_seconde_ecoule_avec_unite(cas.type, cas.unite, cas.e), cas.compte);
}

INSTANTIATE_TEST_SUITE_P(Types, SecondesComptees,
                         testing::Values(CasCompte{"reduction_non_arrondie", type_forfait_r, 60, 61, 61},
                                         CasCompte{"forfait_arrondi_a_l_unite", type_forfait_f, 60, 61, 120},
                                         CasCompte{"forfait_unite_exacte", type_forfait_f, 60, 60, 120},
                                         CasCompte{"forfait_fi_non_arrondi", type_forfait_fi, 60, 61, 61},
                                         CasCompte{"unite_nulle_comme_1", type_forfait_f, 0, 61, 61},
                                         CasCompte{"unite_1", type_forfait_f, 1, 61, 61}),
                         [](const testing::TestParamInfo<CasCompte>& info) {
                             return std::string(info.param.nom);
                         });

// Une connexion rejouée seconde par seconde à travers le vrai décompte.
struct CasRejeu {
    friend void PrintTo(const CasRejeu& cas, std::ostream* os) { *os << cas.reference; }
    const char* reference;
    std::int32_t restant_a_59;
    std::int32_t restant_a_60;
    std::int32_t epuise_a;
};

class RejeuForfait : public testing::TestWithParam<CasRejeu> {};

TEST_P(RejeuForfait, TroisMilleSixCentsSecondes) {
    const auto& cas = GetParam();
    BancForfaits banc;
    banc.accorder({cas.reference});
    banc.connecter();
    ASSERT_EQ(banc.forfait().nom, cas.reference);
    ASSERT_EQ(banc.forfait().temps_forfait_debut, 3600);

    std::optional<std::int32_t> epuise;
    for (std::int32_t e = 0; e <= 4000 && !epuise; ++e) {
        banc.decompte.deduire_temps_forfait(e, banc.provider);
        if (e == 59) {
            EXPECT_EQ(banc.forfait().temps_restant_forfait, cas.restant_a_59);
        }
        if (e == 60) {
            EXPECT_EQ(banc.forfait().temps_restant_forfait, cas.restant_a_60);
        }
        if (banc.etat.forfait_epuise == cas.reference) epuise = e;
    }
    EXPECT_EQ(epuise, cas.epuise_a);
    EXPECT_EQ(banc.etat.debut_segment, cas.epuise_a);
}

INSTANTIATE_TEST_SUITE_P(Unites, RejeuForfait,
                         testing::Values(CasRejeu{"F60", 3540, 3480, 3540}, CasRejeu{"F1", 3541, 3540, 3600}),
                         [](const testing::TestParamInfo<CasRejeu>& info) {
                             return std::string(info.param.reference);
                         });

// --- Épuisement en pleine connexion ---

TEST(Epuisement, SansRelaisRangeZeroEtRefaitLeChoix) {
    BancForfaits banc;
    banc.accorder({"F60", "R"});
    banc.ranger_temps("F60", "120");
    banc.connecter();
    ASSERT_EQ(banc.forfait().nom, "F60");

    banc.decompte.deduire_temps_forfait(0, banc.provider);
    EXPECT_EQ(banc.forfait().temps_restant_forfait, 60);
    ASSERT_EQ(banc.effets.jauges.size(), 1u);
    EXPECT_EQ(banc.effets.jauges.back(), std::make_pair(60, 3600));
    EXPECT_TRUE(banc.son.joues.empty());

    banc.horloge.avancer(60);
    banc.decompte.deduire_temps_forfait(60, banc.provider);
    EXPECT_EQ(banc.temps_range("F60"), "0");
    EXPECT_EQ(banc.registre.lire_valeur(cles::section(cles::options), "sauv forfait"), "0&F60");
    EXPECT_EQ(banc.choix.forfait_en_cours, "R") << "le forfait à zéro est passé";
    EXPECT_EQ(banc.moteur.forfait_en_cours(), "R");
    EXPECT_EQ(banc.etat.forfait_epuise, "F60");
    EXPECT_EQ(banc.etat.debut_segment, 60);
    EXPECT_EQ(banc.etat.date_debut_segment, banc.horloge.aujourdhui());
    EXPECT_EQ(banc.etat.seconde_debut_segment, 43260);
    ASSERT_EQ(banc.son.joues.size(), 1u);
    EXPECT_EQ(banc.son.joues[0], essais::fichier_alarme);
    ASSERT_EQ(banc.effets.avis.size(), 1u);
    EXPECT_EQ(banc.effets.avis[0].texte, "Le forfait en cours est terminé !");
    EXPECT_FALSE(banc.etat.alarme_fin_forfait_armee);

    banc.decompte.enregistrer_temps_restant_forfait();
    EXPECT_EQ(banc.temps_range("F60"), "0");
}

TEST(Epuisement, InstantaneSeulementQuandLesSauvegardesSontActives) {
    BancForfaits banc;
    banc.effets.anti_crash = false;
    banc.accorder({"F60"});
    banc.ranger_temps("F60", "60");
    banc.connecter();
    banc.decompte.deduire_temps_forfait(0, banc.provider);
    EXPECT_EQ(banc.temps_range("F60"), "0");
    EXPECT_EQ(banc.registre.lire_valeur(cles::section(cles::options), "sauv forfait"), "");
}

TEST(Epuisement, AvecRelaisLePrixRepartDuTarifDeRelais) {
    BancForfaits banc;
    banc.accorder({"FR"});
    banc.ranger_temps("FR", "30");
    banc.connecter();
    ASSERT_EQ(banc.forfait().nom, "FR");
    const int rafraichissements = banc.affichage.rafraichissements;

    banc.decompte.deduire_temps_forfait(29, banc.provider);
    EXPECT_EQ(banc.forfait().temps_restant_forfait, 1);
    banc.horloge.avancer(30);
    banc.decompte.deduire_temps_forfait(30, banc.provider);

    EXPECT_EQ(banc.choix.tarif_en_cours, "Relais");
    EXPECT_EQ(banc.choix.forfait_en_cours, "");
    EXPECT_EQ(banc.moteur.tarif_en_cours(), "Relais");
    EXPECT_FLOAT_EQ(banc.moteur.tarification().cout_ht_plein_tarif, 0.60f);
    EXPECT_EQ(banc.moteur.reduction().type_forfait, type_forfait_r);
    EXPECT_EQ(banc.choix.libelle_tarif, "Relais  ");
    EXPECT_EQ(banc.choix.libelle_option, "Forfait terminé : tarif Relais");
    EXPECT_EQ(banc.affichage.rafraichissements, rafraichissements + 1);
    EXPECT_EQ(banc.etat.debut_segment, 30);
    EXPECT_EQ(banc.etat.seconde_debut_segment, 43230);
    EXPECT_EQ(banc.registre.lire_valeur(cles::section(cles::options), "sauv forfait"), "0&FR");
    EXPECT_EQ(banc.temps_range("FR"), "30") << "le zéro n'est rangé qu'en fin de connexion";
    ASSERT_EQ(banc.effets.avis.size(), 1u);
    EXPECT_EQ(banc.effets.avis[0].texte, "Forfait terminé : tarif Relais");

    // Depuis le point de reprise, le prix est celui du relais, frais de connexion compris.
    const double prix = banc.moteur.calcul_prix_communication_sans_reduction(
        banc.moteur.tarification(), banc.etat.seconde_debut_segment, banc.etat.date_debut_segment,
        banc.horloge.aujourdhui(), banc.etat.seconde_debut_segment + 60, true);
    EXPECT_NEAR(prix, 0.50 + 0.60, 0.011);

    // Plus de forfait en cours : le top suivant ne décompte plus rien.
    const auto jauges = banc.effets.jauges.size();
    banc.decompte.deduire_temps_forfait(31, banc.provider);
    EXPECT_EQ(banc.effets.jauges.size(), jauges);

    banc.decompte.enregistrer_temps_restant_forfait();
    EXPECT_EQ(banc.temps_range("FR"), "0");
}

TEST(Epuisement, AlarmeUneSeuleFoisParConnexion) {
    BancForfaits banc;
    banc.accorder({"F60", "F1"});
    banc.ranger_temps("F60", "120");
    banc.ranger_temps("F1", "30");
    banc.connecter();
    ASSERT_EQ(banc.forfait().nom, "F60");

    banc.decompte.deduire_temps_forfait(60, banc.provider);
    ASSERT_EQ(banc.forfait().nom, "F1") << "second forfait choisi après l'épuisement du premier";
    // Le second forfait ne paie que le temps écoulé depuis la bascule.
    banc.decompte.deduire_temps_forfait(89, banc.provider);
    EXPECT_EQ(banc.forfait().temps_restant_forfait, 1);
    banc.decompte.deduire_temps_forfait(90, banc.provider);
    EXPECT_EQ(banc.etat.forfait_epuise, "F1");
    EXPECT_EQ(banc.etat.debut_segment, 90);
    EXPECT_EQ(banc.temps_range("F1"), "0");
    EXPECT_EQ(banc.son.joues.size(), 1u);
    EXPECT_EQ(banc.effets.avis.size(), 1u);

    // Connexion suivante : l'alarme est réarmée.
    banc.ranger_temps("F1", "10");
    banc.connecter();
    ASSERT_EQ(banc.forfait().nom, "F1");
    banc.decompte.deduire_temps_forfait(10, banc.provider);
    EXPECT_EQ(banc.son.joues.size(), 2u);
    EXPECT_EQ(banc.effets.avis.size(), 2u);
}

TEST(Epuisement, LeSecondForfaitRangeSonTempsEnFinDeConnexion) {
    BancForfaits banc;
    banc.accorder({"F60", "F1"});
    banc.ranger_temps("F60", "60");
    banc.ranger_temps("F1", "100");
    banc.connecter();
    banc.decompte.deduire_temps_forfait(30, banc.provider);
    ASSERT_EQ(banc.forfait().nom, "F1");
    banc.decompte.deduire_temps_forfait(70, banc.provider);
    banc.decompte.enregistrer_temps_restant_forfait();
    EXPECT_EQ(banc.temps_range("F60"), "0");
    EXPECT_EQ(banc.temps_range("F1"), "60");
}

// Le relais ne se charge pas : rien de l'épuisement n'est noté, le top suivant recommence.
TEST(Epuisement, RelaisIllisibleLaisseUnEtatCoherent) {
    BancForfaits banc;
    banc.accorder({"FC"});
    banc.ranger_temps("FC", "10");
    banc.connecter();
    ASSERT_EQ(banc.forfait().nom, "FC");
    for (int essai = 0; essai < 2; ++essai) {
        EXPECT_THROW(banc.decompte.deduire_temps_forfait(10 + essai, banc.provider), ErreurConversion);
        EXPECT_EQ(banc.etat.debut_segment, 0);
        EXPECT_EQ(banc.etat.forfait_epuise, "");
        EXPECT_TRUE(banc.etat.alarme_fin_forfait_armee);
        EXPECT_TRUE(banc.son.joues.empty());
        EXPECT_EQ(banc.choix.forfait_en_cours, "FC");
        EXPECT_EQ(banc.moteur.forfait_en_cours(), "FC");
    }
}

// --- Fin de connexion ---

struct CasFin {
    friend void PrintTo(const CasFin& cas, std::ostream* os) { *os << cas.nom; }
    const char* nom;
    const char* range_avant;  // nullptr : forfait plein
    std::int32_t restant;
    const char* range_apres;  // "" : valeur effacée
};

class FinDeConnexion : public testing::TestWithParam<CasFin> {};

TEST_P(FinDeConnexion, RangeOuEfface) {
    const auto& cas = GetParam();
    BancForfaits banc;
    banc.accorder({"F1"});
    if (cas.range_avant) banc.ranger_temps("F1", cas.range_avant);
    banc.connecter();
    banc.moteur.reduction().temps_restant_forfait = cas.restant;
    banc.decompte.enregistrer_temps_restant_forfait();
    EXPECT_EQ(banc.temps_range("F1"), cas.range_apres);
    EXPECT_EQ(banc.forfait().temps_forfait_debut, std::max(cas.restant, 0));
}

INSTANTIATE_TEST_SUITE_P(Forfaits, FinDeConnexion,
                         testing::Values(CasFin{"plein_rien_decompte_reste_absent", nullptr, 3600, ""},
                                         CasFin{"redevenu_plein_valeur_effacee", "3600", 3600, ""},
                                         CasFin{"entame_temps_range", nullptr, 3500, "3500"},
                                         CasFin{"negatif_range_zero", "100", -5, "0"}),
                         [](const testing::TestParamInfo<CasFin>& info) {
                             return std::string(info.param.nom);
                         });

TEST(FinDeConnexionSansForfait, NeRangeRien) {
    BancForfaits banc;
    banc.accorder({"R"});
    banc.connecter();
    banc.decompte.enregistrer_temps_restant_forfait();
    EXPECT_TRUE(banc.registre.lister_valeurs(cles::section(cles::forfaits)).empty());
}

// --- Textes ---

struct CasHms {
    friend void PrintTo(const CasHms& cas, std::ostream* os) { *os << cas.texte; }
    const char* texte;
    std::int32_t secondes;
};

class LectureHms : public testing::TestWithParam<CasHms> {};

TEST_P(LectureHms, Secondes) {
    EXPECT_EQ(lire_hms(GetParam().texte), GetParam().secondes);
}

INSTANTIATE_TEST_SUITE_P(Textes, LectureHms,
                         testing::Values(CasHms{"12h00m00s", 43200}, CasHms{"01h02m05s", 3725},
                                         CasHms{"00h00m00s", 0}, CasHms{" 1h05m00s", 3900},
                                         CasHms{"100h00m00s", 360000}, CasHms{"-00h01m05s", -65}));

TEST(LectureHms, AllerRetourAvecFormatHms) {
    for (std::int32_t s : {0, 59, 3725, 43200, 359999, 360000}) EXPECT_EQ(lire_hms(format_hms(s)), s) << s;
    EXPECT_EQ(format_hms(3725), "01h02m05s");
}

TEST(LectureHms, TexteMalFormeNommeDansLErreur) {
    for (const char* texte :
         {"12:00:00", "", "abc", "12h00m", "1xh00m00s", "12h00m00s de plus", "99999999999h00m00s"}) {
        try {
            (void)lire_hms(texte);
            ADD_FAILURE() << "« " << texte << " » accepté";
        } catch (const ErreurConversion& e) {
            EXPECT_NE(std::string(e.what()).find("« " + std::string(texte) + " »"), std::string::npos)
                << e.what();
        }
    }
}

TEST(AvisFinForfait, TexteDuForfaitOuTexteParDefaut) {
    const auto avec = modele_fin_forfait("Forfait terminé : tarif Relais");
    EXPECT_EQ(avec.texte, "Forfait terminé : tarif Relais");
    EXPECT_EQ(avec.titre, "Lumicompteur 2000");
    EXPECT_EQ(avec.bouton, "OK");
    EXPECT_EQ(avec.cle_couleur_fond, "fond combobox");
    EXPECT_TRUE(avec.toujours_au_dessus);
    EXPECT_FALSE(avec.modal);
    EXPECT_EQ(modele_fin_forfait("").texte, "Le forfait en cours est terminé !");
}

}  // namespace
}  // namespace lumi
