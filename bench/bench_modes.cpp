// Le changement de taille de la fenêtre principale (plate-forme offscreen) : normale -> barre ->
// normale, sur un compteur simulé. Un changement est une nouvelle disposition des zones, jamais une
// reconstruction de la fenêtre ; objectif : moins de 2 ms par changement.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <chrono>
#include <filesystem>
#include <memory>

#include "base/dates.hpp"
#include "platform/simulation/banc_compteur.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/registre_memoire.hpp"
#include "ui/tform1.hpp"
#include "ui/zones_tform1.hpp"

namespace {

struct Fenetre {
    Fenetre() {
        std::filesystem::create_directories(dossier);
        lumi::amorcer_dossier_donnees(dossier, LUMI_DOSSIER_DATA_SOURCE);
        banc = std::make_unique<lumi::BancCompteur>(
            lumi::Moment{lumi::numero_jour(std::chrono::year{2000} / 3 / 10),
                         lumi::seconde_du_jour(14, 0, 0)},
            registre, dossier);
        banc->demarrer();
        fenetre = std::make_unique<lumi::TForm1>(
            banc->compteur, lumi::CouturesFenetre{registre, banc->acces, banc->dialogue, dossier, {}});
        fenetre->montrer();
        QApplication::processEvents();
    }
    ~Fenetre() {
        fenetre->fermeture_session();
        fenetre.reset();
        std::error_code e;
        std::filesystem::remove_all(dossier, e);
    }

    std::filesystem::path dossier =
        std::filesystem::temp_directory_path() / ("lumi-banc-modes-" + std::to_string(::getpid()));
    lumi::RegistreMemoire registre;
    std::unique_ptr<lumi::BancCompteur> banc;
    std::unique_ptr<lumi::TForm1> fenetre;
};

// Deux changements par tour : la durée d'un changement est la moitié du temps d'un tour.
void normale_barre_normale(benchmark::State& etat) {
    Fenetre f;
    for (auto _ : etat) {
        // Par les éléments de PopupMenu5, comme l'utilisateur.
        f.fenetre->menus().barre->trigger();
        f.fenetre->menus().Taillenormale->trigger();
        QApplication::processEvents();
    }
    // Secondes par changement (kInvert d'un débit) : Google Benchmark l'écrit en ms ou en us.
    etat.counters["par_changement"] =
        benchmark::Counter(static_cast<double>(etat.iterations()) * 2,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(normale_barre_normale)->Iterations(100)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
