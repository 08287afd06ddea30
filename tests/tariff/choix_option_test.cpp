#include "tariff/choix_option.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "base/erreurs.hpp"
#include "settings/cles.hpp"
#include "settings/parametres.hpp"
#include "settings/registre_memoire.hpp"
#include "tariff/chargeur.hpp"

namespace lumi {
namespace {

using namespace std::chrono_literals;

const std::string fichier_choix = LUMI_DONNEES_TESTS "/choix_tarifs.ini";
const std::string fichier_priorite_illisible = LUMI_DONNEES_TESTS "/choix_priorite_illisible.ini";
constexpr std::string_view fai = "MonFAI";
constexpr std::string_view auto_ = textes_choix::selection_automatique;

// Mercredi 15 mars 2000, jour ouvré sans férié.
const NumeroJour mercredi = numero_jour(2000y / 3 / 15);

class AffichageEspion final : public AffichageTarifaire {
public:
    void mise_a_jour_affichage_tarifications() override { ++rafraichissements; }
    int rafraichissements = 0;
};

// Le choix complet sur un registre en mémoire et une horloge réglée à la main.
struct Banc {
    explicit Banc(const std::string& fichier = fichier_choix,
                  std::int32_t seconde = seconde_du_jour(12, 0, 0))
        : horloge({mercredi, seconde}), moteur(fichier, registre) {
        const FichierIni ini(fichier);
        choix.ComboBox3.lignes = {std::string(auto_)};
        for (auto& l : lecture_liste_reduc_tarifaires(ini, true)) choix.ComboBox3.lignes.push_back(l);
        choix.ComboBox2.lignes = lire_liste_des_tarifications(ini);
    }

    void accorder(std::string_view provider, std::initializer_list<std::string_view> options) {
        for (auto o : options) registre.ecrire_valeur(cles::cle_provider(provider), o, "oui");
    }
    void ranger_temps(std::string_view reference, std::string_view texte) {
        registre.ecrire_valeur(cles::section(cles::forfaits), parametres::nom_time(reference), texte);
    }

    RegistreMemoire registre;
    HorlogeFactice horloge;
    MoteurTarifaire moteur;
    ChoixTarifaire choix;
    AffichageEspion affichage;
    SelecteurTarifaire selecteur{choix, moteur, registre, horloge, affichage};
};

struct CasChoix {
    friend void PrintTo(const CasChoix& cas, std::ostream* os) { *os << cas.nom; }
    const char* nom;
    std::vector<std::string_view> accordees;
    std::map<std::string, std::string> temps_ranges;  // "time " + référence
    std::string tarification_provider;                // vide : aucune
    std::int32_t seconde;
    std::string tarif_attendu;
    std::string option_attendue;
    std::string libelle_option_attendu;  // mode automatique : l'entrée de liste, ou le texteff
    std::string libelle_tarif_attendu;
};

class ChoixAutomatique : public testing::TestWithParam<CasChoix> {};

TEST_P(ChoixAutomatique, OptionTarifEtLibelles) {
    const auto& cas = GetParam();
    Banc banc(fichier_choix, cas.seconde);
    for (auto o : cas.accordees) banc.registre.ecrire_valeur(cles::cle_provider(fai), o, "oui");
    for (const auto& [ref, temps] : cas.temps_ranges) banc.ranger_temps(ref, temps);
    if (!cas.tarification_provider.empty()) {
        banc.registre.ecrire_valeur(cles::cle_provider(fai), "tarification", cas.tarification_provider);
    }
    banc.choix.ComboBox3.position = 0;  // mode automatique

    banc.selecteur.selection_tarif_et_reduction_en_cours_par_rapport_au_provider(fai);

    EXPECT_EQ(banc.choix.tarif_en_cours, cas.tarif_attendu);
    EXPECT_EQ(banc.choix.forfait_en_cours, cas.option_attendue);
    EXPECT_EQ(banc.moteur.tarif_en_cours(), cas.tarif_attendu);
    EXPECT_EQ(banc.moteur.forfait_en_cours(), cas.option_attendue);
    EXPECT_EQ(banc.choix.libelle_option, cas.libelle_option_attendu);
    EXPECT_EQ(banc.choix.libelle_tarif, cas.libelle_tarif_attendu);
    EXPECT_EQ(banc.choix.ComboBox3.position, 0) << "le mode automatique reste affiché";
    EXPECT_EQ(banc.choix.ComboBox2.texte(), cas.tarif_attendu);
    EXPECT_EQ(banc.affichage.rafraichissements, 1);
}

constexpr std::int32_t midi = seconde_du_jour(12, 0, 0);
constexpr std::int32_t matin = seconde_du_jour(10, 0, 0);
constexpr std::int32_t nuit = seconde_du_jour(3, 0, 0);

INSTANTIATE_TEST_SUITE_P(
    Priorites, ChoixAutomatique,
    testing::Values(
        CasChoix{"egalite_la_premiere_du_fichier_gagne",
                 {"R5a", "R5b"},
                 {},
                 "",
                 midi,
                 "Tarif A",
                 "R5a",
                 "Réduction 5 a",
                 "Tarif A  "},
        CasChoix{"egalite_dans_l_autre_ordre_d_accord",
                 {"R5b", "R5a"},
                 {},
                 "",
                 midi,
                 "Tarif A",
                 "R5a",
                 "Réduction 5 a",
                 "Tarif A  "},
        CasChoix{"la_plus_haute_priorite_gagne",
                 {"R5a", "R6"},
                 {},
                 "Tarif B",
                 midi,
                 "Tarif B",
                 "R6",
                 "Réduction 6",
                 "Tarif B  "},
        CasChoix{"priorite_nulle_ou_negative_jamais_choisie",
                 {"R0", "Rneg"},
                 {},
                 "Tarif B",
                 midi,
                 "Tarif B",
                 "",
                 "Aucune réduction ou forfait tarifaire",
                 "Tarif B  "},
        CasChoix{"aucune_option_accordee_tarif_du_fournisseur",
                 {},
                 {},
                 "Tarif B",
                 midi,
                 "Tarif B",
                 "",
                 "Aucune réduction ou forfait tarifaire",
                 "Tarif B  "},
        CasChoix{"aucune_option_ni_tarif_tarification_locale",
                 {},
                 {},
                 "",
                 midi,
                 "Tarification locale",
                 "",
                 "Aucune réduction ou forfait tarifaire",
                 "Tarification locale  "},
        CasChoix{"tarif_absent_de_la_liste_premiere_entree",
                 {},
                 {},
                 "Tarif disparu",
                 midi,
                 "Tarification locale",
                 "",
                 "Aucune réduction ou forfait tarifaire",
                 "Tarification locale  "},
        CasChoix{"bande_0_jamais_choisie_quelle_que_soit_la_priorite",
                 {"Nuit", "R5a"},
                 {},
                 "",
                 midi,
                 "Tarif A",
                 "R5a",
                 "Réduction 5 a",
                 "Tarif A  "},
        CasChoix{"bande_non_nulle_la_nuit",
                 {"Nuit", "R5a"},
                 {},
                 "",
                 nuit,
                 "Tarification locale",
                 "Nuit",
                 "Réduction de nuit",
                 "Tarification locale  "},
        CasChoix{"forfait_F_plein_choisi_tarif_en_points",
                 {"FS"},
                 {},
                 "",
                 midi,
                 "Tarification locale",
                 "FS",
                 "Forfait sans relais",
                 ". . .  "},
        CasChoix{"forfait_F_entame_choisi",
                 {"FS"},
                 {{"FS", "120"}},
                 "",
                 midi,
                 "Tarification locale",
                 "FS",
                 "Forfait sans relais",
                 ". . .  "},
        CasChoix{"forfait_F_a_zero_avec_relais_sans_option",
                 {"FX", "R5a"},
                 {{"FX", "0"}},
                 "",
                 midi,
                 "Relais",
                 "",
                 "Forfait épuisé : tarif Relais",
                 "Relais  "},
        CasChoix{"forfait_F_a_zero_sans_relais_passe",
                 {"FS", "R5a"},
                 {{"FS", "0"}},
                 "",
                 midi,
                 "Tarif A",
                 "R5a",
                 "Réduction 5 a",
                 "Tarif A  "},
        CasChoix{"forfait_Fi_dans_sa_bande_1",
                 {"FiX"},
                 {},
                 "",
                 matin,
                 "Tarif Fi",
                 "FiX",
                 "Heures creuses Fi",
                 "Tarif Fi  "},
        CasChoix{"forfait_Fi_hors_bande_1", {"FiX"}, {}, "", midi, "Tarif Fi", "FiX", "Forfait Fi", ". . . "},
        // Le tarif d'une option moins prioritaire vue avant ne passe pas à celle qui l'emporte.
        CasChoix{"le_tarif_d_un_Fi_battu_ne_reste_pas",
                 {"FiX", "FL"},
                 {},
                 "Tarif B",
                 matin,
                 "Tarif B",
                 "FL",
                 "Forfait FL",
                 "Tarif B  "},
        CasChoix{"le_relais_d_un_forfait_epuise_battu_ne_reste_pas",
                 {"FX", "FS"},
                 {{"FX", "0"}},
                 "",
                 midi,
                 "Tarification locale",
                 "FS",
                 "Forfait sans relais",
                 ". . .  "},
        CasChoix{"forfait_FL_garde_le_nom_du_tarif",
                 {"FL"},
                 {},
                 "Tarif B",
                 midi,
                 "Tarif B",
                 "FL",
                 "Forfait FL",
                 "Tarif B  "}),
    [](const testing::TestParamInfo<CasChoix>& info) { return std::string(info.param.nom); });

TEST(ChoixAutomatiqueLibelles, FournisseurEnModeManuelSelectionneLEntreeDeLOption) {
    Banc banc;
    banc.accorder(fai, {"R6"});
    banc.choix.ComboBox3.position = 1;  // choix à la main : "Aucune réduction..."
    banc.selecteur.selection_tarif_et_reduction_en_cours_par_rapport_au_provider(fai);
    EXPECT_EQ(banc.choix.ComboBox3.position, 4);  // R6 est l'option 3
    EXPECT_EQ(banc.choix.libelle_option, "Réduction 6   ");
}

TEST(ChoixAutomatiqueLibelles, SansFournisseurLeModeAutomatiqueUtiliseSaPropreCle) {
    Banc banc;
    banc.accorder(auto_, {"R5b"});
    banc.accorder(fai, {"R6"});
    banc.choix.ComboBox3.position = 0;
    banc.selecteur.selection_tarif_et_reduction_en_cours_par_rapport_au_provider(auto_);
    EXPECT_EQ(banc.choix.forfait_en_cours, "R5b");
    EXPECT_EQ(banc.choix.libelle_option, "Réduction 5 b");
    EXPECT_EQ(banc.choix.ComboBox3.position, 0);
}

TEST(ChoixAutomatiqueErreurs, PrioriteIllisibleArreteLeChoixSansRienChanger) {
    Banc banc(fichier_priorite_illisible);
    banc.accorder(fai, {"Bonne"});
    banc.choix.tarif_en_cours = "Avant";
    banc.choix.forfait_en_cours = "Ancienne";
    banc.choix.libelle_option = "libellé d'avant";
    try {
        banc.selecteur.selection_tarif_et_reduction_en_cours_par_rapport_au_provider(fai);
        FAIL() << "ErreurConversion attendue";
    } catch (const ErreurConversion& e) {
        EXPECT_NE(std::string(e.what()).find("« cinq »"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("priorite"), std::string::npos) << e.what();
    }
    EXPECT_EQ(banc.choix.tarif_en_cours, "Avant");
    EXPECT_EQ(banc.choix.forfait_en_cours, "Ancienne");
    EXPECT_EQ(banc.choix.libelle_option, "libellé d'avant");
    EXPECT_EQ(banc.affichage.rafraichissements, 0);
}

// Un temps de forfait rangé qui n'est pas un nombre : l'erreur le nomme, l'état reste celui d'avant,
// et une fois la valeur corrigée le choix repart.
TEST(ChoixAutomatiqueErreurs, TempsDeForfaitIllisibleNArretePasLeChoixPourToujours) {
    Banc banc;
    banc.accorder(fai, {"FS"});
    banc.registre.ecrire_valeur(cles::cle_provider(fai), "tarification", "Tarif B");
    banc.selecteur.selection_tarif_et_reduction_en_cours_par_rapport_au_provider(fai);
    ASSERT_EQ(banc.choix.forfait_en_cours, "FS");
    const auto avant = banc.choix.libelle_option;

    banc.ranger_temps("FS", "12a");
    banc.registre.ecrire_valeur(cles::cle_provider(fai), "tarification", "Tarif A");
    try {
        banc.selecteur.selection_tarif_et_reduction_en_cours_par_rapport_au_provider(fai);
        FAIL() << "ErreurConversion attendue";
    } catch (const ErreurConversion& e) {
        EXPECT_NE(std::string(e.what()).find("« 12a »"), std::string::npos) << e.what();
    }
    EXPECT_EQ(banc.choix.tarif_en_cours, "Tarif B");
    EXPECT_EQ(banc.moteur.tarif_en_cours(), "Tarif B");
    EXPECT_EQ(banc.moteur.reduction().temps_forfait_debut, 3600);
    EXPECT_EQ(banc.choix.libelle_option, avant);

    banc.ranger_temps("FS", "1200");
    banc.selecteur.selection_tarif_et_reduction_en_cours_par_rapport_au_provider(fai);
    EXPECT_EQ(banc.choix.tarif_en_cours, "Tarif A");
    EXPECT_EQ(banc.moteur.reduction().temps_forfait_debut, 1200);
}

// --- Changements à la main ---

struct CasIncompatible {
    friend void PrintTo(const CasIncompatible& cas, std::ostream* os) { *os << cas.nom; }
    const char* nom;
    int position_option;  // dans ComboBox3
    const char* tarif;
    bool option_retiree;
};

class TarifIncompatible : public testing::TestWithParam<CasIncompatible> {};

TEST_P(TarifIncompatible, RetireOuGardeLOption) {
    const auto& cas = GetParam();
    Banc banc;
    banc.choix.tarif_en_cours = "Tarification locale";  // comme après le démarrage
    banc.choix.ComboBox3.position = cas.position_option;
    banc.selecteur.action_tarification_reduction_changer(EmetteurChangement::liste_options);
    const auto option = banc.choix.forfait_en_cours;
    ASSERT_FALSE(option.empty());

    banc.choix.ComboBox2.position = banc.choix.ComboBox2.indice(cas.tarif);
    banc.selecteur.action_tarification_reduction_changer(EmetteurChangement::liste_tarifs);

    EXPECT_EQ(banc.choix.tarif_en_cours, cas.tarif);
    EXPECT_EQ(banc.moteur.tarif_en_cours(), cas.tarif);
    if (cas.option_retiree) {
        EXPECT_EQ(banc.choix.forfait_en_cours, "");
        EXPECT_EQ(banc.moteur.forfait_en_cours(), "");
        EXPECT_EQ(banc.choix.ComboBox3.position, 1);
        EXPECT_EQ(banc.choix.libelle_option, "Aucune réduction ou forfait tarifaire  ");
        EXPECT_EQ(banc.registre.lire_valeur(cles::section(cles::options), "derniere reduc"), "1");
    } else {
        EXPECT_EQ(banc.choix.forfait_en_cours, option);
        EXPECT_EQ(banc.choix.ComboBox3.position, cas.position_option);
    }
    EXPECT_EQ(banc.registre.lire_valeur(cles::section(cles::utilisateurs), "dernier tarif"), cas.tarif);
}

INSTANTIATE_TEST_SUITE_P(
    ReducCompatible, TarifIncompatible,
    testing::Values(CasIncompatible{"none_retire_une_reduction", 2, "Tarif sans option", true},
                    CasIncompatible{"none_retire_un_forfait", 9, "Tarif sans option", true},
                    CasIncompatible{"none_garde_FL", 11, "Tarif sans option", false},
                    CasIncompatible{"noforfait_retire_un_forfait_F", 9, "Tarif sans forfait", true},
                    CasIncompatible{"noforfait_garde_une_reduction", 2, "Tarif sans forfait", false},
                    CasIncompatible{"noforfait_garde_FL", 11, "Tarif sans forfait", false},
                    CasIncompatible{"tarif_ordinaire_garde_tout", 9, "Tarif B", false}),
    [](const testing::TestParamInfo<CasIncompatible>& info) { return std::string(info.param.nom); });

TEST(ChangementManuel, OptionChoisieAvecSonTarifEtBoutonDesTarifs) {
    Banc banc;
    banc.choix.ComboBox3.position = 2;  // R5a, tarif "Tarif A"
    banc.selecteur.action_tarification_reduction_changer(EmetteurChangement::liste_options);
    EXPECT_EQ(banc.choix.forfait_en_cours, "R5a");
    EXPECT_EQ(banc.choix.tarif_en_cours, "Tarif A");
    EXPECT_EQ(banc.choix.ComboBox2.texte(), "Tarif A");
    EXPECT_TRUE(banc.choix.SpeedButton15_visible);
    EXPECT_EQ(banc.choix.libelle_option, "Réduction 5 a  ");
    EXPECT_EQ(banc.choix.libelle_tarif, "Tarif A  ");
    EXPECT_EQ(banc.registre.lire_valeur(cles::section(cles::options), "derniere reduc"), "2");
    EXPECT_EQ(banc.registre.lire_valeur(cles::section(cles::utilisateurs), "dernier tarif"), "Tarif A");

    // Un forfait "F" choisi à la main : des points à la place du tarif.
    banc.choix.ComboBox3.position = 9;  // FS
    banc.selecteur.action_tarification_reduction_changer(EmetteurChangement::liste_options);
    EXPECT_EQ(banc.choix.forfait_en_cours, "FS");
    EXPECT_EQ(banc.choix.tarif_en_cours, "Tarif A");  // FS n'a pas de `tarif`
    EXPECT_EQ(banc.choix.libelle_tarif, ". . .  ");
}

TEST(ChangementManuel, EntreeZeroPasseEnModeAutomatique) {
    Banc banc;
    banc.accorder(auto_, {"R6"});
    banc.choix.ComboBox3.position = 2;
    banc.selecteur.action_tarification_reduction_changer(EmetteurChangement::liste_options);
    ASSERT_TRUE(banc.choix.SpeedButton15_visible);

    banc.choix.ComboBox3.position = 0;
    banc.selecteur.action_tarification_reduction_changer(EmetteurChangement::liste_options);
    EXPECT_EQ(banc.choix.forfait_en_cours, "R6");
    EXPECT_FALSE(banc.choix.SpeedButton15_visible);
    EXPECT_EQ(banc.registre.lire_valeur(cles::section(cles::options), "derniere reduc"), "0");

    // En mode automatique, un tarif choisi à la main ne tient pas : le choix automatique est refait.
    banc.choix.ComboBox2.position = banc.choix.ComboBox2.indice("Relais");
    banc.selecteur.action_tarification_reduction_changer(EmetteurChangement::liste_tarifs);
    EXPECT_EQ(banc.choix.tarif_en_cours, "Tarification locale");
    EXPECT_EQ(banc.choix.forfait_en_cours, "R6");
}

// --- Démarrage ---

struct CasDemarrage {
    friend void PrintTo(const CasDemarrage& cas, std::ostream* os) { *os << cas.nom; }
    const char* nom;
    const char* derniere_reduc;  // nullptr : absente
    const char* dernier_tarif;
    int position_attendue;
    std::string option_attendue;
    std::string tarif_attendu;
};

class Demarrage : public testing::TestWithParam<CasDemarrage> {};

TEST_P(Demarrage, PositionEtTarifRetrouves) {
    const auto& cas = GetParam();
    Banc banc;
    banc.choix = {};  // le démarrage remplit les listes lui-même
    banc.accorder(auto_, {"R5b"});
    if (cas.derniere_reduc)
        banc.registre.ecrire_valeur(cles::section(cles::options), "derniere reduc", cas.derniere_reduc);
    if (cas.dernier_tarif)
        banc.registre.ecrire_valeur(cles::section(cles::utilisateurs), "dernier tarif", cas.dernier_tarif);

    banc.selecteur.selection_au_demarrage();

    EXPECT_EQ(banc.choix.ComboBox3.lignes.size(), 13u);
    EXPECT_EQ(banc.choix.ComboBox3.lignes[1], "Aucune réduction ou forfait tarifaire");
    EXPECT_EQ(banc.choix.ComboBox2.lignes.size(), 7u);
    EXPECT_EQ(banc.choix.ComboBox3.position, cas.position_attendue);
    EXPECT_EQ(banc.choix.forfait_en_cours, cas.option_attendue);
    EXPECT_EQ(banc.choix.tarif_en_cours, cas.tarif_attendu);
    EXPECT_EQ(banc.moteur.forfait_en_cours(), cas.option_attendue);
    EXPECT_EQ(banc.moteur.tarif_en_cours(), cas.tarif_attendu);
}

INSTANTIATE_TEST_SUITE_P(
    DerniersChoix, Demarrage,
    testing::Values(CasDemarrage{"option_a_la_main_et_dernier_tarif", "4", "Tarif B", 4, "R6", "Tarif B"},
                    CasDemarrage{"aucune_option", "1", "Relais", 1, "", "Relais"},
                    CasDemarrage{"mode_automatique", "0", "Tarif B", 0, "R5b", "Tarification locale"},
                    CasDemarrage{"position_absente", nullptr, nullptr, 0, "R5b", "Tarification locale"},
                    CasDemarrage{"position_au_dela_de_la_liste", "13", nullptr, 0, "R5b",
                                 "Tarification locale"},
                    CasDemarrage{"position_illisible", "deux", nullptr, 0, "R5b", "Tarification locale"},
                    CasDemarrage{"dernier_tarif_disparu_premier_de_la_liste", "1", "Ancien", 1, "",
                                 "Tarification locale"}),
    [](const testing::TestParamInfo<CasDemarrage>& info) { return std::string(info.param.nom); });

}  // namespace
}  // namespace lumi
