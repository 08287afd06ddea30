#include "platform/linux/son_linux.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>

extern char** environ;

namespace lumi {

namespace fs = std::filesystem;

namespace {

// Le premier programme exécutable de ce nom dans PATH, cherché une fois.
fs::path chercher_dans_path(std::string_view nom) {
    const char* path = std::getenv("PATH");
    std::string_view reste = path != nullptr ? path : "/usr/bin:/bin";
    while (!reste.empty()) {
        const auto deux_points = reste.find(':');
        const std::string_view dossier = reste.substr(0, deux_points);
        reste = deux_points == std::string_view::npos ? std::string_view{} : reste.substr(deux_points + 1);
        if (dossier.empty()) continue;
        const fs::path candidat = fs::path(dossier) / nom;
        if (::access(candidat.c_str(), X_OK) == 0) return candidat;
    }
    return {};
}

}  // namespace

SonLinux::SonLinux() {
    lecteur_ = chercher_dans_path("paplay");
    if (lecteur_.empty()) lecteur_ = chercher_dans_path("aplay");
}

SonLinux::~SonLinux() {
    ramasser();
}

void SonLinux::jouer(const fs::path& wav) {
    ramasser();
    std::error_code erreur;
    if (lecteur_.empty() || !fs::is_regular_file(wav, erreur)) return;

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return;
    // Le lecteur n'écrit pas dans le terminal du programme.
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string programme = lecteur_.string();
    std::string fichier = wav.string();
    std::string silencieux = "-q";
    const bool aplay = lecteur_.filename() == "aplay";
    std::vector<char*> argv{programme.data()};
    if (aplay) argv.push_back(silencieux.data());
    argv.push_back(fichier.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, programme.c_str(), &actions, nullptr, argv.data(), environ) == 0)
        en_cours_.push_back(pid);
    posix_spawn_file_actions_destroy(&actions);
}

void SonLinux::ramasser() {
    std::erase_if(en_cours_, [](pid_t pid) {
        int statut = 0;
        const pid_t r = ::waitpid(pid, &statut, WNOHANG);
        return r == pid || r < 0;
    });
}

}  // namespace lumi
