#include "core/couleurs.hpp"

#include <array>
#include <charconv>
#include <cstdint>
#include <string>

#include "base/erreurs.hpp"
#include "base/texte.hpp"

namespace lumi {

namespace {

struct NomCouleur {
    std::string_view nom;
    std::uint32_t valeur;
};

constexpr std::array<NomCouleur, 16> couleurs_nommees{{
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
}};

// Les couleurs du système, 0x80000000 + leur rang.
constexpr std::array<std::string_view, 25> couleurs_systeme{
    "clScrollBar",    "clBackground",     "clActiveCaption", "clInactiveCaption", "clMenu",
    "clWindow",       "clWindowFrame",    "clMenuText",      "clWindowText",      "clCaptionText",
    "clActiveBorder", "clInactiveBorder", "clAppWorkSpace",  "clHighlight",       "clHighlightText",
    "clBtnFace",      "clBtnShadow",      "clGrayText",      "clBtnText",         "clInactiveCaptionText",
    "clBtnHighlight", "cl3DDkShadow",     "cl3DLight",       "clInfoText",        "clInfoBk",
};

std::optional<std::uint32_t> lire_nombre(std::string_view texte) {
    bool negatif = false;
    int base = 10;
    if (!texte.empty() && (texte.front() == '-' || texte.front() == '+')) {
        negatif = texte.front() == '-';
        texte.remove_prefix(1);
    }
    if (!texte.empty() && texte.front() == '$') {
        base = 16;
        texte.remove_prefix(1);
    } else if (texte.size() > 2 && texte[0] == '0' && (texte[1] == 'x' || texte[1] == 'X')) {
        base = 16;
        texte.remove_prefix(2);
    }
    if (texte.empty()) return std::nullopt;
    std::uint64_t valeur = 0;
    const auto [fin, erreur] = std::from_chars(texte.data(), texte.data() + texte.size(), valeur, base);
    if (erreur != std::errc() || fin != texte.data() + texte.size()) return std::nullopt;
    // Un entier de 32 bits, signé ou non : au-delà, ce n'est pas une couleur.
    if (negatif) {
        if (valeur > 0x80000000u) return std::nullopt;
        return static_cast<std::uint32_t>(0u - static_cast<std::uint32_t>(valeur));
    }
    if (valeur > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<std::uint32_t>(valeur);
}

}  // namespace

std::optional<std::uint32_t> lire_couleur(std::string_view texte) {
    texte = rogner(texte);
    if (texte.empty()) return std::nullopt;
    for (const auto& c : couleurs_nommees) {
        if (egal_sans_casse(texte, c.nom)) return c.valeur;
    }
    for (std::size_t i = 0; i < couleurs_systeme.size(); ++i) {
        if (egal_sans_casse(texte, couleurs_systeme[i])) {
            return couleur_systeme + static_cast<std::uint32_t>(i);
        }
    }
    return lire_nombre(texte);
}

JeuCouleurs::JeuCouleurs(const std::filesystem::path& fichier, int bits_par_pixel)
    : ini_(fichier), section_(bits_par_pixel > 8 ? section_couleurs_16bits : section_couleurs_8bits) {
    std::error_code erreur;
    present_ = std::filesystem::is_regular_file(fichier, erreur);
}

std::uint32_t JeuCouleurs::couleur(std::string_view nom, std::uint32_t defaut) const {
    const std::string texte = ini_.lire(section_, nom);
    if (rogner(texte).empty()) return defaut;
    if (const auto lue = lire_couleur(texte)) return *lue;
    throw ErreurConversion("La couleur « " + texte + " » du fichier " + ini_.chemin().filename().string() +
                           ", section [" + section_ + "], clé « " + std::string(nom) +
                           " », n'est pas une couleur.");
}

CouleursTaux JeuCouleurs::couleurs_taux() const {
    CouleursTaux couleurs{};
    for (int i = 0; i < nb_indices_taux; ++i) {
        std::uint32_t c = couleur_bleu;
        try {
            c = couleur(cle_couleur_taux(i), couleur_rouge);
        } catch (const ErreurConversion&) {
            // Une couleur de plage illisible se voit en bleu.
        }
        couleurs[static_cast<std::size_t>(i)] = c;
    }
    return couleurs;
}

CouleursFenetre JeuCouleurs::affect_color() const {
    CouleursFenetre c;
    const auto ou_defaut = [this](std::string_view nom, std::uint32_t defaut) {
        try {
            return couleur(nom, defaut);
        } catch (const ErreurConversion&) {
            return defaut;
        }
    };
    c.fond_gauge = ou_defaut("fond gauge", couleur_rouge);
    c.couleur_gauge = ou_defaut("couleur gauge", couleur_aqua);
    c.fond_combobox = ou_defaut("fond combobox", clWindow);
    c.texte_combobox = ou_defaut("texte combobox", couleur_noir);
    c.texte_actif_combobox = ou_defaut("texte actif combobox", couleur_bleu);

    c.panneaux = panneaux("nb de ppanel", "ppanel");
    return c;
}

std::vector<std::pair<int, std::uint32_t>> JeuCouleurs::panneaux(std::string_view cle_nombre,
                                                                 std::string_view prefixe) const {
    // Un nombre illisible vaut "0" : aucun panneau.
    int nombre = 0;
    const std::string texte_nombre(rogner(ini_.lire(section_, cle_nombre, "0")));
    std::from_chars(texte_nombre.data(), texte_nombre.data() + texte_nombre.size(), nombre);
    std::vector<std::pair<int, std::uint32_t>> liste;
    for (int i = 1; i <= nombre && i <= 1000; ++i) {
        const std::string texte = ini_.lire(section_, std::string(prefixe) + std::to_string(i));
        if (rogner(texte).empty()) continue;
        const auto lue = lire_couleur(texte);
        if (!lue) break;
        liste.emplace_back(i, *lue);
    }
    return liste;
}

std::vector<std::string> couleurs_illisibles(const std::filesystem::path& fichier) {
    std::vector<std::string> illisibles;
    const FichierIni ini(fichier);
    for (const std::string_view section : {section_couleurs_16bits, section_couleurs_8bits}) {
        for (const auto& cle : ini.cles(section)) {
            if (plier_casse(cle).starts_with("nb de")) continue;
            const std::string texte = ini.lire(section, cle);
            if (rogner(texte).empty() || lire_couleur(texte)) continue;
            illisibles.push_back("[" + std::string(section) + "] " + cle + " = « " + texte + " »");
        }
    }
    return illisibles;
}

}  // namespace lumi
