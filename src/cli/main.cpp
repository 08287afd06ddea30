// lumicompteur-outil : sans Qt. Une commande qui dessine (« historique --pdf », « --graphique »)
// est reprise telle quelle par lumicompteur-outil-dessin, rangé à côté ou dans lib/lumicompteur.
#include <unistd.h>

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

}  // namespace

int main(int argc, char** argv) {
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
    return lumi::cli::executer(arguments, {std::cout, std::cerr});
}
