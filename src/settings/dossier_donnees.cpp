#include "settings/dossier_donnees.hpp"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <vector>

#include "base/erreurs.hpp"
#include "base/fichiers.hpp"

namespace lumi {

namespace fs = std::filesystem;

namespace {

// Un chemin d'environnement ne compte que s'il est absolu (règle XDG : un chemin relatif est ignoré).
std::optional<fs::path> chemin_absolu(const std::optional<std::string>& valeur) {
    if (!valeur || valeur->empty()) return std::nullopt;
    fs::path chemin(*valeur);
    if (!chemin.is_absolute()) return std::nullopt;
    return chemin;
}

// Le dossier personnel quand HOME manque : celui que donne la base des comptes.
std::optional<fs::path> dossier_personnel_du_compte() {
#ifdef _WIN32
    return chemin_absolu(lire_environnement("USERPROFILE"));
#else
    long taille = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> tampon(taille > 0 ? static_cast<std::size_t>(taille) : 16384);
    passwd compte{};
    passwd* resultat = nullptr;
    if (::getpwuid_r(::getuid(), &compte, tampon.data(), tampon.size(), &resultat) != 0 || !resultat ||
        !resultat->pw_dir) {
        return std::nullopt;
    }
    return chemin_absolu(std::string(resultat->pw_dir));
#endif
}

bool est_dossier(const fs::path& chemin) {
    std::error_code ec;
    return fs::is_directory(chemin, ec);
}

void creer_dossier(const fs::path& dossier) {
    // Un dossier que l'on crée est privé ; un dossier de l'utilisateur garde ses droits.
    const std::error_code ec = creer_dossiers_prives(dossier);
    if (ec || !est_dossier(dossier)) {
        throw ErreurFichier("Impossible de créer le dossier « " + dossier.string() +
                            " » : " + raison_erreur_fichier(ec ? ec.value() : ENOTDIR) + ".");
    }
}

// Existe déjà, sous quelque forme que ce soit (un lien cassé compte : on ne le remplace pas).
bool existe_deja(const fs::path& chemin) {
    std::error_code ec;
    const fs::file_status etat = fs::symlink_status(chemin, ec);
    return fs::exists(etat) || (ec && ec != std::errc::no_such_file_or_directory);
}

// Copie par remplacement atomique : une copie interrompue ne laisse jamais un fichier tronqué
// qu'aucun amorçage suivant ne remplacerait.
void copier_si_absent(const fs::path& source, const fs::path& cible) {
    if (existe_deja(cible)) return;
    const std::optional<std::string> contenu = lire_fichier(source);
    if (!contenu) {
        throw ErreurFichier("Impossible de lire le fichier par défaut « " + source.string() + " ».");
    }
    remplacer_fichier(cible, *contenu);
}

}  // namespace

std::optional<std::string> lire_environnement(const char* nom) {
    const char* valeur = std::getenv(nom);
    if (!valeur) return std::nullopt;
    return std::string(valeur);
}

fs::path choisir_dossier_donnees(const std::optional<fs::path>& option_dossier,
                                 const fs::path& dossier_executable,
                                 const LecteurEnvironnement& environnement) {
    if (option_dossier && !option_dossier->empty()) return *option_dossier;

    std::error_code ec;
    if (!dossier_executable.empty() && fs::is_regular_file(dossier_executable / fichier_tarifs, ec)) {
        return dossier_executable;  // installation portable
    }

#ifdef _WIN32
    // Les données d'un utilisateur de Windows vont dans son profil itinérant.
    if (const auto appdata = chemin_absolu(environnement("APPDATA"))) return *appdata / "Lumicompteur";
#endif
    if (const auto xdg = chemin_absolu(environnement("XDG_DATA_HOME"))) return *xdg / "lumicompteur";
    std::optional<fs::path> personnel = chemin_absolu(environnement("HOME"));
    if (!personnel) personnel = dossier_personnel_du_compte();
    if (!personnel) {
        throw ErreurFichier(
            "Impossible de trouver le dossier de données : ni XDG_DATA_HOME ni HOME ne donnent de "
            "dossier ; indiquez-en un avec --dossier.");
    }
    return *personnel / ".local" / "share" / "lumicompteur";
}

fs::path dossier_donnees_par_defaut(const fs::path& dossier_executable) {
    // L'installation d'abord : un programme installé (paquet) prend ses fichiers à côté de lui,
    // même sur la machine qui l'a compilé, où les sources existent encore.
    const fs::path installe = (dossier_executable / ".." / "share" / "lumicompteur").lexically_normal();
    if (est_dossier(installe)) return installe;
#ifdef LUMI_DOSSIER_DATA_SOURCE
    const fs::path sources(LUMI_DOSSIER_DATA_SOURCE);
    if (!sources.empty() && est_dossier(sources)) return sources;
#endif
    return dossier_executable / "data";
}

void amorcer_dossier_donnees(const fs::path& dossier, const fs::path& source) {
    creer_dossier(dossier);
    creer_dossier(dossier / dossier_historique);

    if (!est_dossier(source)) return;  // rien à copier : chaque lecteur prendra ses valeurs par défaut
    const auto echec_lecture = [&] {
        throw ErreurFichier("Impossible de lire le dossier des fichiers par défaut « " + source.string() +
                            " ».");
    };
    std::error_code ec;
    fs::recursive_directory_iterator it(source, ec);
    if (ec) echec_lecture();
    for (const fs::recursive_directory_iterator fin; it != fin;) {
        const fs::path cible = dossier / it->path().lexically_relative(source);
        std::error_code ec_type;
        if (it->is_directory(ec_type)) {
            creer_dossier(cible);
        } else if (it->is_regular_file(ec_type)) {
            copier_si_absent(it->path(), cible);
        }
        it.increment(ec);
        if (ec) echec_lecture();
    }
}

fs::path dossier_executable_courant() {
    std::error_code ec;
#ifdef _WIN32
    std::wstring nom(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, nom.data(), static_cast<DWORD>(nom.size()));
        if (n == 0) break;
        if (n < nom.size()) return fs::path(nom.substr(0, n)).parent_path();
        nom.resize(nom.size() * 2);  // chemin plus long que le tampon : tronqué, on recommence
    }
    return fs::current_path(ec);
#endif
    const fs::path executable = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && !executable.empty()) return executable.parent_path();
    // Sans /proc : le dossier courant est la meilleure supposition.
    return fs::current_path(ec);
}

}  // namespace lumi
