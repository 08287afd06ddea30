// Lanceur sans libFuzzer : rejoue sur la cible des fichiers ou des dossiers entiers. ctest y passe
// les graines à chaque compilation (la cible suit ainsi l'API), et une entrée qui a fait tomber la
// cible se rejoue sous un débogueur ou dans la compilation des assainisseurs.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille);

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "Usage : %s FICHIER_OU_DOSSIER...\n", argv[0]);
        return 2;
    }
    std::vector<fs::path> entrees;
    for (int i = 1; i < argc; ++i) {
        std::error_code ec;
        const fs::path chemin = argv[i];
        if (fs::is_directory(chemin, ec)) {
            for (const auto& e : fs::recursive_directory_iterator(chemin, ec)) {
                if (e.is_regular_file()) entrees.push_back(e.path());
            }
        } else if (fs::is_regular_file(chemin, ec)) {
            entrees.push_back(chemin);
        } else {
            std::fprintf(stderr, "Entrée introuvable : %s\n", argv[i]);
            return 1;
        }
    }
    std::sort(entrees.begin(), entrees.end());
    for (const auto& chemin : entrees) {
        std::ifstream f(chemin, std::ios::binary);
        const std::string octets((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        if (!f.eof() && f.fail()) {
            std::fprintf(stderr, "Lecture impossible : %s\n", chemin.c_str());
            return 1;
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(octets.data()), octets.size());
    }
    std::printf("%zu entrées rejouées\n", entrees.size());
    return 0;
}
