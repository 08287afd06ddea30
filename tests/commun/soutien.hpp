#pragma once
// Soutien commun aux tests : dossier temporaire effacé à la fin, masque de création, lecture et
// écriture d'octets.
#include <stdlib.h>
#ifdef _WIN32
#include <io.h>
#endif
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/texte.hpp"

namespace lumi::essai {

// Un dossier neuf sous le dossier temporaire du système, effacé avec tout son contenu à la fin.
class DossierTemporaire {
public:
    explicit DossierTemporaire(const std::string& prefixe = "lumi") {
        std::string modele = (std::filesystem::temp_directory_path() / (prefixe + "-XXXXXX")).string();
#ifdef _WIN32
        // Pas de mkdtemp : le nom unique de _mktemp_s, puis un dossier qui ne doit pas déjà exister.
        if (::_mktemp_s(modele.data(), modele.size() + 1) != 0 ||
            !std::filesystem::create_directory(modele)) {
            throw std::runtime_error("le dossier temporaire n'a pu être créé");
        }
#else
        if (::mkdtemp(modele.data()) == nullptr) throw std::runtime_error("mkdtemp a échoué");
#endif
        chemin_ = modele;
    }
    ~DossierTemporaire() {
        std::error_code ec;
        std::filesystem::remove_all(chemin_, ec);
    }
    DossierTemporaire(const DossierTemporaire&) = delete;
    DossierTemporaire& operator=(const DossierTemporaire&) = delete;

    const std::filesystem::path& chemin() const {
        return chemin_;
    }
    std::filesystem::path operator/(const std::string& nom) const {
        return chemin_ / nom;
    }

private:
    std::filesystem::path chemin_;
};

// Écrit des octets tels quels (pas de conversion de fin de ligne).
inline void ecrire_octets(const std::filesystem::path& chemin, const std::string& octets) {
    std::ofstream(chemin, std::ios::binary) << octets;
}

// Un texte tel que le Bloc-notes l'enregistre en « Unicode » : la marque, puis l'UTF-16 petit- ou
// gros-boutiste.
inline std::string fichier_utf16(std::string_view utf8, bool gros_boutiste) {
    std::string octets = gros_boutiste ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t c : utf8_vers_utf16(utf8)) {
        const char fort = static_cast<char>(c >> 8);
        const char faible = static_cast<char>(c & 0xFF);
        octets += gros_boutiste ? fort : faible;
        octets += gros_boutiste ? faible : fort;
    }
    return octets;
}

inline std::string lire_octets(const std::filesystem::path& chemin) {
    std::ifstream f(chemin, std::ios::binary);
    std::ostringstream tout;
    tout << f.rdbuf();
    return tout.str();
}

// Le masque de création (umask) fixé le temps d'un essai, puis rendu.
class MasqueCreation {
public:
    explicit MasqueCreation(mode_t masque) : ancien_(::umask(masque)) {}
    ~MasqueCreation() { ::umask(ancien_); }
    MasqueCreation(const MasqueCreation&) = delete;
    MasqueCreation& operator=(const MasqueCreation&) = delete;

private:
    mode_t ancien_;
};

// Les droits d'un fichier ou d'un dossier (sans suivre un lien), -1 s'il n'existe pas.
inline int droits_de(const std::filesystem::path& chemin) {
    std::error_code ec;
    const auto etat = std::filesystem::symlink_status(chemin, ec);
    if (ec || !std::filesystem::exists(etat)) return -1;
    return static_cast<int>(etat.permissions() & std::filesystem::perms::mask);
}

}  // namespace lumi::essai
