// lumicompteur-outil : sans Qt. Une commande qui dessine (« historique --pdf », « --graphique »)
// est reprise telle quelle par lumicompteur-outil-dessin, rangé à côté ou dans lib/lumicompteur.
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <shellapi.h>
#else
#include <unistd.h>
#endif

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/commandes.hpp"
#include "settings/dossier_donnees.hpp"

namespace {

namespace fs = std::filesystem;

constexpr const char* programme_dessin = "lumicompteur-outil-dessin";

// Le programme qui dessine : à côté de l'outil (arbre de construction), sinon là où le paquet le
// range (../lib/lumicompteur depuis bin).
#ifdef _WIN32
// argv arrive dans la page de code du système : un dossier accentué y serait abîmé. La ligne de
// commande large, convertie en UTF-8, garde chaque caractère.
std::vector<std::string> arguments_du_processus() {
    std::vector<std::string> arguments;
    int n = 0;
    LPWSTR* larges = ::CommandLineToArgvW(::GetCommandLineW(), &n);
    for (int i = 1; larges && i < n; ++i) {
        const int taille = ::WideCharToMultiByte(CP_UTF8, 0, larges[i], -1, nullptr, 0, nullptr, nullptr);
        std::string texte(static_cast<std::size_t>(taille > 0 ? taille - 1 : 0), '\0');
        if (taille > 1)
            ::WideCharToMultiByte(CP_UTF8, 0, larges[i], -1, texte.data(), taille, nullptr, nullptr);
        arguments.push_back(std::move(texte));
    }
    ::LocalFree(larges);
    return arguments;
}
#else
fs::path chemin_programme_dessin() {
    const fs::path ici = lumi::dossier_executable_courant();
    if (ici.empty()) return {};
    std::error_code ec;
    for (const fs::path& chemin :
         {ici / programme_dessin, ici.parent_path() / "lib" / "lumicompteur" / programme_dessin}) {
        if (fs::is_regular_file(chemin, ec) && ::access(chemin.c_str(), X_OK) == 0) return chemin;
    }
    return {};
}
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // Pas de Qt pour dessiner sous Windows : la commande dit elle-même que le dessin manque.
    (void)argc;
    (void)argv;
    const std::vector<std::string> arguments = arguments_du_processus();
#else
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (lumi::cli::commande_qui_dessine(arguments)) {
        if (const fs::path dessin = chemin_programme_dessin(); !dessin.empty()) {
            std::vector<char*> args{const_cast<char*>(dessin.c_str())};
            for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
            args.push_back(nullptr);
            ::execv(dessin.c_str(), args.data());
        }
        // Sans lui, la commande dit elle-même que le dessin n'est pas disponible.
    }
#endif
    return lumi::cli::executer(arguments, {std::cout, std::cerr});
}
