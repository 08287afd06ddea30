// Coût du prix d'un appel à chaque top : listes de plages analysées une fois par rechargement,
// comparé à la relecture du fichier des tarifs à chaque calcul.
#include <benchmark/benchmark.h>

#include "settings/fichier_ini.hpp"
#include "settings/registre_memoire.hpp"
#include "tariff/chargeur.hpp"
#include "tariff/moteur_tarifaire.hpp"
#include "tariff/prix.hpp"

namespace {

const char* const fichier = LUMI_DONNEES_TESTS "/tarifs_essai.ini";
constexpr lumi::NumeroJour lundi_3_janvier_2000 = 36528;
constexpr std::int32_t debut = lumi::seconde_du_jour(18, 30, 0);

struct Contexte {
    lumi::RegistreMemoire registre;
    lumi::MoteurTarifaire moteur{fichier, registre};
    Contexte() {
        moteur.lecture_taux_tva_et_valeurs_taux();
        moteur.lecture_parametres_tarification_en_cours_2000("Pas de 60", "");
    }
};

// Fin d'un appel de `secondes` commencé le lundi à 18:30:00.
lumi::Moment fin_apres(std::int64_t secondes) {
    const auto total = debut + secondes;
    return {static_cast<lumi::NumeroJour>(lundi_3_janvier_2000 + total / 86400),
            static_cast<std::int32_t>(total % 86400)};
}

void prix_listes_analysees(benchmark::State& etat) {
    Contexte c;
    const auto fin = fin_apres(etat.range(0));
    for (auto _ : etat) {
        benchmark::DoNotOptimize(c.moteur.calcul_prix_communication_sans_reduction(
            c.moteur.tarification(), debut, lundi_3_janvier_2000, fin.jour, fin.seconde, true));
    }
}

// Comme le faisait chaque top : relire les listes du tarif dans le fichier à chaque calcul.
void prix_relecture_du_fichier(benchmark::State& etat) {
    Contexte c;
    const auto fin = fin_apres(etat.range(0));
    for (auto _ : etat) {
        const lumi::FichierIni ini(fichier);
        const auto listes = lumi::lire_3_listes_plages_horaires(ini, c.moteur.tarif_en_cours());
        benchmark::DoNotOptimize(lumi::calcul_prix_communication_sans_reduction(
            c.moteur.tarification(), listes, c.moteur.valeur_taux(), false, debut, lundi_3_janvier_2000,
            fin.jour, fin.seconde, true));
    }
}

}  // namespace

BENCHMARK(prix_listes_analysees)->Arg(3600)->Arg(24 * 3600)->Arg(72 * 3600);
BENCHMARK(prix_relecture_du_fichier)->Arg(3600)->Arg(24 * 3600)->Arg(72 * 3600);

BENCHMARK_MAIN();
