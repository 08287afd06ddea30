#include "base/texte.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>

namespace lumi {

namespace {

// Combien d'octets ASCII en tête de `texte`, huit par huit : les fichiers lus sont presque tout ASCII.
std::size_t longueur_ascii(std::string_view texte) {
    std::size_t i = 0;
    for (; i + 8 <= texte.size(); i += 8) {
        std::uint64_t mot;
        std::memcpy(&mot, texte.data() + i, 8);
        if (mot & 0x8080808080808080ULL) break;
    }
    while (i < texte.size() && static_cast<unsigned char>(texte[i]) < 0x80) ++i;
    return i;
}

// Caractères des octets 0x80 .. 0x9F ; les cinq octets sans caractère gardent leur propre valeur
// (U+0081, U+008D, U+008F, U+0090, U+009D) pour que l'aller-retour soit sans perte.
constexpr std::array<char32_t, 32> table_80_9f = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80 .. 87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88 .. 8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90 .. 97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98 .. 9F
};

char32_t caractere_cp1252(unsigned char octet) {
    if (octet >= 0x80 && octet <= 0x9F) return table_80_9f[octet - 0x80];
    return octet;
}

// Octet Windows-1252 d'un caractère, ou rien s'il n'en a pas.
std::optional<unsigned char> octet_cp1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
    for (unsigned i = 0; i < table_80_9f.size(); ++i) {
        if (table_80_9f[i] == c) return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

void ajouter_utf8(std::string& sortie, char32_t c) {
    if (c < 0x80) {
        sortie += static_cast<char>(c);
    } else if (c < 0x800) {
        sortie += static_cast<char>(0xC0 | (c >> 6));
        sortie += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        sortie += static_cast<char>(0xE0 | (c >> 12));
        sortie += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        sortie += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        sortie += static_cast<char>(0xF0 | (c >> 18));
        sortie += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        sortie += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        sortie += static_cast<char>(0x80 | (c & 0x3F));
    }
}

struct Decodage {
    char32_t caractere;
    std::size_t longueur;  // 0 : séquence invalide à cette position
};

// Décode strictement un caractère UTF-8 en `pos` : refuse les formes trop longues, les
// demi-codets de substitution, les séquences tronquées et tout ce qui dépasse U+10FFFF.
Decodage decoder_un(std::string_view t, std::size_t pos) {
    const auto b0 = static_cast<unsigned char>(t[pos]);
    if (b0 < 0x80) return {b0, 1};
    std::size_t longueur;
    char32_t c;
    char32_t minimum;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        longueur = 2, c = b0 & 0x1F, minimum = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        longueur = 3, c = b0 & 0x0F, minimum = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        longueur = 4, c = b0 & 0x07, minimum = 0x10000;
    } else {
        return {0, 0};
    }
    if (t.size() - pos < longueur) return {0, 0};
    for (std::size_t i = 1; i < longueur; ++i) {
        const auto b = static_cast<unsigned char>(t[pos + i]);
        if ((b & 0xC0) != 0x80) return {0, 0};
        c = (c << 6) | (b & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {0, 0};
    return {c, longueur};
}

// Minuscule d'une lettre latine que les fichiers peuvent porter ; les autres restent telles quelles.
char32_t minuscule(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 0x20;
    if (c < 0xC0) return c;
    if (c <= 0xDE) return c == 0xD7 ? c : c + 0x20;  // À .. Þ sauf ×
    if (c < 0x100 || c > 0x17F) return c;
    // Latin étendu A : paires majuscule/minuscule, décalées après ĸ et après ŉ.
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    if (c == 0x178) return 0xFF;  // Ÿ -> ÿ
    if (c < 0x138) return (c % 2 == 0) ? c + 1 : c;
    if (c < 0x149) return (c % 2 == 1) ? c + 1 : c;
    if (c < 0x178) return (c % 2 == 0) ? c + 1 : c;
    return (c % 2 == 1) ? c + 1 : c;  // Ź .. ž
}

char minuscule_ascii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c;
}

}  // namespace

bool est_ascii(std::string_view texte) {
    return longueur_ascii(texte) == texte.size();
}

std::string cp1252_vers_utf8(std::string_view octets) {
    std::string sortie;
    sortie.reserve(octets.size() + octets.size() / 4);
    // Les fichiers sont presque tout ASCII : les suites ASCII sont copiées d'un bloc.
    std::size_t debut = 0;
    for (std::size_t i = 0; i < octets.size(); ++i) {
        const auto o = static_cast<unsigned char>(octets[i]);
        if (o < 0x80) continue;
        sortie.append(octets.data() + debut, i - debut);
        ajouter_utf8(sortie, caractere_cp1252(o));
        debut = i + 1;
    }
    sortie.append(octets.data() + debut, octets.size() - debut);
    return sortie;
}

std::string utf8_vers_cp1252(std::string_view utf8) {
    std::string sortie;
    sortie.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const Decodage d = decoder_un(utf8, pos);
        if (d.longueur == 0) {
            sortie += '?';
            ++pos;
            continue;
        }
        const auto octet = octet_cp1252(d.caractere);
        sortie += octet ? static_cast<char>(*octet) : '?';
        pos += d.longueur;
    }
    return sortie;
}

std::string utf16_vers_utf8(std::u16string_view texte) {
    std::string sortie;
    sortie.reserve(texte.size());
    for (std::size_t i = 0; i < texte.size(); ++i) {
        char32_t c = texte[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < texte.size() && texte[i + 1] >= 0xDC00 &&
            texte[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (texte[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        ajouter_utf8(sortie, c);
    }
    return sortie;
}

std::u16string utf8_vers_utf16(std::string_view utf8) {
    std::u16string sortie;
    sortie.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        Decodage d = decoder_un(utf8, pos);
        if (d.longueur == 0) d = {0xFFFD, 1};
        if (d.caractere >= 0x10000) {
            sortie += static_cast<char16_t>(0xD800 + ((d.caractere - 0x10000) >> 10));
            sortie += static_cast<char16_t>(0xDC00 + ((d.caractere - 0x10000) & 0x3FF));
        } else {
            sortie += static_cast<char16_t>(d.caractere);
        }
        pos += d.longueur;
    }
    return sortie;
}

bool est_utf8_valide(std::string_view texte) {
    std::size_t pos = 0;
    while (pos < texte.size()) {
        // L'ASCII, presque tout un fichier d'historique, passe sans décodage.
        if (static_cast<unsigned char>(texte[pos]) < 0x80) {
            pos += longueur_ascii(texte.substr(pos));
            continue;
        }
        const Decodage d = decoder_un(texte, pos);
        if (d.longueur == 0) return false;
        pos += d.longueur;
    }
    return true;
}

std::string decoder_fichier_texte(std::string_view octets) {
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    if (octets.substr(0, bom.size()) == bom) {
        // Un fichier marqué UTF-8 le reste : seuls ses octets invalides sont lus en Windows-1252
        // (une ligne ajoutée par un ancien programme ne brouille pas tout le reste).
        octets.remove_prefix(bom.size());
        std::string sortie;
        sortie.reserve(octets.size());
        std::size_t pos = 0;
        while (pos < octets.size()) {
            const Decodage d = decoder_un(octets, pos);
            if (d.longueur == 0) {
                ajouter_utf8(sortie, caractere_cp1252(static_cast<unsigned char>(octets[pos])));
                ++pos;
            } else {
                sortie.append(octets.substr(pos, d.longueur));
                pos += d.longueur;
            }
        }
        return sortie;
    }
    if (est_utf8_valide(octets)) return std::string(octets);
    return cp1252_vers_utf8(octets);
}

std::string decoder_fichier_texte(std::string&& octets) {
    if (octets.rfind("\xEF\xBB\xBF", 0) != 0 && est_utf8_valide(octets)) return std::move(octets);
    return decoder_fichier_texte(std::string_view(octets));
}

std::string plier_casse(std::string_view utf8) {
    if (est_ascii(utf8)) {
        std::string sortie(utf8);
        for (char& c : sortie) c = minuscule_ascii(c);
        return sortie;
    }
    std::string sortie;
    sortie.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const Decodage d = decoder_un(utf8, pos);
        if (d.longueur == 0) {
            // Octet invalide : gardé tel quel, la comparaison reste exacte pour lui.
            sortie += utf8[pos];
            ++pos;
            continue;
        }
        const char32_t m = minuscule(d.caractere);
        if (m == d.caractere) {
            sortie.append(utf8.substr(pos, d.longueur));
        } else {
            ajouter_utf8(sortie, m);
        }
        pos += d.longueur;
    }
    return sortie;
}

bool egal_sans_casse(std::string_view a, std::string_view b) {
    // Des noms ASCII, le plus souvent : comparés sur place, sans rien copier.
    if (est_ascii(a) && est_ascii(b)) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (minuscule_ascii(a[i]) != minuscule_ascii(b[i])) return false;
        }
        return true;
    }
    return plier_casse(a) == plier_casse(b);
}

std::string_view rogner(std::string_view texte) {
    const auto debut = texte.find_first_not_of(" \t");
    if (debut == std::string_view::npos) return {};
    const auto fin = texte.find_last_not_of(" \t");
    return texte.substr(debut, fin - debut + 1);
}

}  // namespace lumi
