// Le remplissage de la liste de l'historique (plate-forme offscreen) : 100 000 lignes données au
// modèle d'éléments de la vraie fenêtre, puis la liste repeinte. Un modèle, pas un contrôle par
// ligne : objectif, moins de 0,5 s.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeView>
#include <vector>

#include "history/fenetre/passage_historique.hpp"
#include "ui/historique/modele_liste_historique.hpp"

namespace {

std::vector<lumi::LigneListeHistorique> lignes(int nombre) {
    std::vector<lumi::LigneListeHistorique> v(static_cast<std::size_t>(nombre));
    for (int i = 0; i < nombre; ++i) {
        auto& l = v[static_cast<std::size_t>(i)];
        l.utilisateur = "Paul";
        l.provider = "MonFAI";
        l.date = "05/01/2000";
        l.heure = "21H14";
        l.duree = "00:12:31";
        l.periode = "Rouge";
        l.tarification = "Heures pleines";
        l.reduction = " 0.000 F";
        l.total = std::to_string(i % 1000) + ".396";
        l.localisateur = (i + 1) * 10000 + 100;
        l.montant_total = i % 1000;
    }
    return v;
}

void remplir_liste(benchmark::State& etat) {
    const auto donnees = lignes(static_cast<int>(etat.range(0)));
    lumi::ui::ModeleListeHistorique modele;
    QTreeView vue;
    vue.setUniformRowHeights(true);
    vue.setRootIsDecorated(false);
    vue.setModel(&modele);
    vue.resize(900, 400);
    vue.show();
    QApplication::processEvents();
    for (auto _ : etat) {
        modele.remplacer(donnees);
        vue.viewport()->repaint();
        QApplication::processEvents();
        benchmark::DoNotOptimize(modele.rowCount());
    }
}
BENCHMARK(remplir_liste)->Arg(100000)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
