#pragma once
// Soutien commun des cibles de fuzzing : lecture des octets d'une entrée, fichier temporaire propre
// au processus, propriété vérifiée.
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include <unistd.h>

namespace lumi::fuzz {

// Une propriété fausse est une faute comme un plantage : abort() fait garder l'entrée par libFuzzer.
[[noreturn]] inline void echec(std::string_view propriete, std::string_view detail = {}) {
    std::fprintf(stderr, "Propriété fausse : %.*s\n", static_cast<int>(propriete.size()), propriete.data());
    if (!detail.empty()) std::fprintf(stderr, "  %.*s\n", static_cast<int>(detail.size()), detail.data());
    std::abort();
}

// Les octets d'une entrée lus de l'avant ; une entrée épuisée donne des zéros et des textes vides.
class LecteurOctets {
public:
    LecteurOctets(const std::uint8_t* donnees, std::size_t taille)
        : reste_(reinterpret_cast<const char*>(donnees), taille) {}

    std::uint8_t octet() {
        if (reste_.empty()) return 0;
        const auto o = static_cast<std::uint8_t>(reste_.front());
        reste_.remove_prefix(1);
        return o;
    }

    template <typename T>
    T valeur() {
        char octets[sizeof(T)] = {};
        const std::size_t n = std::min(sizeof(T), reste_.size());
        std::memcpy(octets, reste_.data(), n);
        reste_.remove_prefix(n);
        T v;
        std::memcpy(&v, octets, sizeof(T));
        return v;
    }

    // Un texte d'au plus `maximum` octets, sa longueur lue dans un octet.
    std::string texte(std::size_t maximum) {
        const std::size_t n = std::min<std::size_t>({octet(), maximum, reste_.size()});
        std::string t(reste_.substr(0, n));
        reste_.remove_prefix(n);
        return t;
    }

private:
    std::string_view reste_;
};

// Un dossier par processus (en mémoire quand /dev/shm existe, pour que les vidages sur disque ne
// coûtent rien), effacé à la sortie ; libFuzzer lancé avec -jobs n'y mêle pas deux processus. Le
// chemin n'est jamais détruit : le ménage de la sortie passe après les destructeurs des statiques.
inline const std::filesystem::path& dossier_temporaire() {
    static const std::filesystem::path* const dossier = [] {
        std::error_code ec;
        std::filesystem::path base = "/dev/shm";
        if (!std::filesystem::is_directory(base, ec) || access(base.c_str(), W_OK) != 0) {
            base = std::filesystem::temp_directory_path(ec);
        }
        std::string modele = (base / "lumi-fuzz-XXXXXX").string();
        if (mkdtemp(modele.data()) == nullptr) echec("dossier temporaire", std::strerror(errno));
        std::atexit([] {
            std::error_code e;
            std::filesystem::remove_all(dossier_temporaire(), e);
        });
        return new std::filesystem::path(modele);
    }();
    return *dossier;
}

// Écrit l'entrée dans un fichier du dossier temporaire : les lecteurs du projet lisent des chemins.
inline std::filesystem::path fichier_temporaire(std::string_view nom, std::string_view contenu) {
    const auto chemin = dossier_temporaire() / nom;
    std::FILE* f = std::fopen(chemin.c_str(), "wb");
    if (f == nullptr) echec("écriture du fichier temporaire", chemin.string());
    const bool ecrit = std::fwrite(contenu.data(), 1, contenu.size(), f) == contenu.size();
    if (std::fclose(f) != 0 || !ecrit) echec("écriture du fichier temporaire", chemin.string());
    return chemin;
}

}  // namespace lumi::fuzz
