// Coût de la scrutation des connexions, dix fois par seconde pendant toute la vie du programme :
// une interrogation quand rien ne change (un seul poll(), aucun fichier relu), comparée à une
// lecture complète (dossier des fichiers de pid et vue du noyau relus à chaque fois).
#include <benchmark/benchmark.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "base/horloge.hpp"
#include "core/detection.hpp"
#include "platform/linux/acces_distant_ppp.hpp"
#include "platform/linux/telephonie_absente.hpp"
#include "settings/registre_memoire.hpp"

namespace {

// Un dossier d'exécution avec le fichier de pid d'un « pppd » vivant (un enfant qui en prend le
// nom et attend) dont l'interface est lo, montée et adressée : la connexion est à l'état connecté,
// sans changement.
class DossierExecution {
public:
    DossierExecution() {
        std::string modele = (std::filesystem::temp_directory_path() / "lumi-bench-XXXXXX").string();
        if (::mkdtemp(modele.data()) == nullptr) throw std::runtime_error("mkdtemp a échoué");
        chemin_ = modele;
        int tube[2];
        if (::pipe(tube) != 0) throw std::runtime_error("pipe a échoué");
        pppd_ = ::fork();
        if (pppd_ == 0) {
            ::prctl(PR_SET_NAME, "pppd");
            ::close(tube[1]);  // nommé : le parent peut écrire le fichier de pid
            for (;;) ::pause();
        }
        ::close(tube[1]);
        char octet = 0;
        [[maybe_unused]] const auto lu = ::read(tube[0], &octet, 1);
        ::close(tube[0]);
        std::ofstream(chemin_ / "ppp-MonFAI.pid") << pppd_ << "\nlo\n";
        for (int i = 0; i < 20; ++i) std::ofstream(chemin_ / ("autre" + std::to_string(i) + ".pid")) << "1\n";
    }
    DossierExecution(const DossierExecution&) = delete;
    DossierExecution& operator=(const DossierExecution&) = delete;
    ~DossierExecution() {
        if (pppd_ > 0) {
            ::kill(pppd_, SIGKILL);
            ::waitpid(pppd_, nullptr, 0);
        }
        std::error_code e;
        std::filesystem::remove_all(chemin_, e);
    }
    lumi::ReglagesPpp reglages() const {
        lumi::ReglagesPpp r;
        r.dossier_pairs = chemin_ / "peers";
        r.dossier_execution = chemin_;
        return r;
    }
    const std::filesystem::path& chemin() const { return chemin_; }

private:
    std::filesystem::path chemin_;
    pid_t pppd_ = -1;
};

class ActionsMuettes final : public lumi::ActionsDetection {
public:
    void action_numerotation_en_cours() override { ++actions; }
    void action_connecte_au_reseau() override { ++actions; }
    void action_fin_de_connexion() override { ++actions; }
    bool mode_manuel() const override { return false; }
    int actions = 0;
};

void BM_interrogation_sans_changement(benchmark::State& state) {
    DossierExecution dossier;
    lumi::AccesDistantPpp acces(dossier.reglages());
    if (acces.connexions().size() != 1) state.SkipWithError("connexion d'essai introuvable");
    const auto lectures = acces.lectures_dossier();
    for (auto _ : state) benchmark::DoNotOptimize(acces.connexions());
    if (acces.lectures_dossier() != lectures) state.SkipWithError("le dossier a été relu sans changement");
}
BENCHMARK(BM_interrogation_sans_changement);

void BM_Timer5Timer_sans_changement(benchmark::State& state) {
    DossierExecution dossier;
    lumi::AccesDistantPpp acces(dossier.reglages());
    lumi::TelephonieAbsente telephonie;
    lumi::HorlogeSysteme horloge;
    lumi::RegistreMemoire registre;
    lumi::DialogueScripte dialogue;
    ActionsMuettes actions;
    lumi::Detection detection({horloge, registre, acces, telephonie, dialogue}, actions, dossier.chemin());
    detection.choix_de_la_source();
    detection.Timer5Timer();
    for (auto _ : state) detection.Timer5Timer();
    if (actions.actions != 0) state.SkipWithError("une action est partie sans changement");
}
BENCHMARK(BM_Timer5Timer_sans_changement);

// Ce que coûterait une interrogation qui relit tout : sockets, dossier, fichiers et noyau.
void BM_lecture_complete(benchmark::State& state) {
    DossierExecution dossier;
    for (auto _ : state) {
        lumi::AccesDistantPpp acces(dossier.reglages());
        benchmark::DoNotOptimize(acces.connexions());
    }
}
BENCHMARK(BM_lecture_complete);

}  // namespace

BENCHMARK_MAIN();
