// Fichiers INI : découpage de n'importe quels octets, lectures qui s'accordent entre elles, et
// écritures qui relisent ce qu'elles ont écrit sans toucher aux autres clés.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/erreurs.hpp"
#include "base/fichiers.hpp"
#include "base/texte.hpp"
#include "fuzz/commun.hpp"
#include "settings/fichier_ini.hpp"

namespace {

using namespace lumi;
using fuzz::echec;

constexpr std::string_view marque_utf8 = "\xEF\xBB\xBF";
constexpr std::string_view absent =
    "\x01"
    "absent"
    "\x01";
constexpr std::string_view absent_bis =
    "\x02"
    "absent"
    "\x02";
constexpr std::size_t nb_max_sections = 8;

// Un fichier UTF-16 marqué : lu comme texte large, récrit de même.
bool marque_utf16(std::string_view octets) {
    return octets.starts_with("\xFF\xFE") || octets.starts_with("\xFE\xFF");
}

// Le texte du fichier comme le lecteur le décode.
std::string texte_du_fichier(std::string_view octets) {
    if (!marque_utf16(octets)) return decoder_fichier_texte(octets);
    const bool gros_boutiste = octets[0] == '\xFE';
    std::u16string large((octets.size() - 2) / 2, u'\0');
    for (std::size_t i = 0; i < large.size(); ++i) {
        const auto a = static_cast<unsigned char>(octets[2 + 2 * i]);
        const auto b = static_cast<unsigned char>(octets[3 + 2 * i]);
        large[i] = static_cast<char16_t>(gros_boutiste ? (a << 8 | b) : (b << 8 | a));
    }
    return utf16_vers_utf8(large);
}

// Les blancs d'un fichier INI : ceux de Windows, 0x1A des vieux éditeurs compris.
std::string_view rogner_ini(std::string_view texte) {
    constexpr std::string_view blancs = " \t\r\v\f\x1A";
    const auto debut = texte.find_first_not_of(blancs);
    if (debut == std::string_view::npos) return {};
    return texte.substr(debut, texte.find_last_not_of(blancs) - debut + 1);
}

// Les noms de section du fichier, relevés ligne par ligne comme le lecteur les voit.
std::vector<std::string> noms_de_sections(std::string_view octets) {
    std::vector<std::string> noms;
    const std::string texte = texte_du_fichier(octets);
    std::string_view reste = texte;
    while (!reste.empty() && noms.size() < nb_max_sections) {
        const auto nl = reste.find('\n');
        std::string_view ligne = reste.substr(0, nl);
        reste.remove_prefix(nl == std::string_view::npos ? reste.size() : nl + 1);
        if (!ligne.empty() && ligne.back() == '\r') ligne.remove_suffix(1);
        ligne = rogner_ini(ligne);
        if (ligne.empty() || ligne.front() != '[') continue;
        const auto fin = ligne.find(']');
        if (fin != std::string_view::npos) noms.emplace_back(rogner_ini(ligne.substr(1, fin - 1)));
    }
    return noms;
}

// La valeur d'une clé, ou rien : deux valeurs par défaut différentes, car le fichier peut contenir
// l'une d'elles (le fuzzer finit par l'y écrire).
std::optional<std::string> lire_cle(const FichierIni& ini, std::string_view section, std::string_view cle) {
    std::string v = ini.lire(section, cle, absent);
    if (v != absent) return v;
    v = ini.lire(section, cle, absent_bis);
    if (v != absent_bis) return v;
    return std::nullopt;
}

using Valeurs = std::map<std::pair<std::string, std::string>, std::string>;

// Toutes les clés des sections relevées, avec leur valeur ; cles() et lire() doivent s'accorder.
Valeurs lire_tout(const FichierIni& ini, const std::vector<std::string>& sections) {
    Valeurs valeurs;
    for (const auto& s : sections) {
        if (!ini.section_existe(s)) echec("une section du fichier existe", s);
        for (const auto& cle : ini.cles(s)) {
            const auto lue = lire_cle(ini, s, cle);
            if (!lue) echec("une clé listée se lit", s + " / " + cle);
            const std::string& v = *lue;
            if (v.size() > 4 * longueur_max_valeur_ini) echec("une valeur lue est coupée à 1023 caractères");
            valeurs.emplace(std::pair(s, cle), v);
        }
    }
    return valeurs;
}

// Ce que la relecture doit rendre : fins de ligne changées en espaces, texte encodé comme le
// fichier (UTF-8 gardé, sinon Windows-1252).
std::string valeur_attendue(std::string valeur, bool fichier_utf8) {
    for (char& c : valeur) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    if (fichier_utf8) {
        return est_utf8_valide(valeur) ? valeur : cp1252_vers_utf8(utf8_vers_cp1252(valeur));
    }
    return cp1252_vers_utf8(utf8_vers_cp1252(valeur));
}

// Les noms que l'écriture refuse parce qu'ils ne se reliraient pas comme tels.
bool nom_refuse(std::string_view section, std::string_view cle) {
    return section.find_first_of("]\r\n") != std::string_view::npos || cle.empty() ||
           cle.find_first_of("=\r\n") != std::string_view::npos || cle.front() == ';' || cle.front() == '[';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    const std::string_view octets(reinterpret_cast<const char*>(donnees), taille);
    const auto chemin = fuzz::fichier_temporaire("essai.ini", octets);

    const FichierIni ini(chemin);
    const auto sections = noms_de_sections(octets);
    const Valeurs avant = lire_tout(ini, sections);
    // Les mêmes octets relus donnent la même image.
    if (lire_tout(FichierIni(chemin), sections) != avant) echec("une relecture des mêmes octets lit pareil");

    // Un fichier marqué ou en UTF-8 reste en UTF-8 quoi qu'on y écrive (un fichier UTF-16 garde ses
    // lignes comme de l'UTF-8), un fichier tout ASCII garde ses lignes ASCII : les autres clés s'y
    // relisent à l'identique. Dans un fichier Windows-1252, une écriture peut rendre le fichier valide
    // en UTF-8 et changer la lecture des autres lignes.
    const bool fichier_utf8 = octets.starts_with(marque_utf8) || marque_utf16(octets) ||
                              (est_utf8_valide(octets) && !est_ascii(octets));
    const bool autres_stables = fichier_utf8 || est_ascii(octets);

    // La valeur écrite : les derniers octets de l'entrée, quels qu'ils soient.
    const std::string valeur(octets.substr(octets.size() - std::min<std::size_t>(octets.size(), 48)));
    const std::string attendu = valeur_attendue(valeur, fichier_utf8);

    std::vector<std::pair<std::string, std::string>> ecrites;
    if (!sections.empty()) {
        const auto cles = ini.cles(sections.front());
        if (!cles.empty()) ecrites.emplace_back(sections.front(), cles.front());  // clé existante
        ecrites.emplace_back(sections.front(), "cle ajoutee");                    // clé neuve
    }
    ecrites.emplace_back("section ajoutee", "cle");  // section neuve

    FichierIni fichier(chemin);
    for (const auto& [s, cle] : ecrites) {
        try {
            fichier.ecrire(s, cle, valeur);
        } catch (const ErreurFichier& e) {
            if (!nom_refuse(s, cle)) echec("l'écriture d'une clé réussit", e.what());
            continue;
        }
        if (nom_refuse(s, cle)) echec("un nom qui casserait le fichier est refusé", s + " / " + cle);
        if (!fichier_utf8 && !(est_ascii(s) && est_ascii(cle) && est_ascii(valeur))) continue;
        const auto relu = lire_cle(FichierIni(chemin), s, cle);
        if (relu != attendu) {
            echec("une valeur écrite se relit", s + " / " + cle + " : « " + relu.value_or("(absente)") +
                                                    " » au lieu de « " + attendu + " »");
        }
        // La même valeur une seconde fois ne change plus rien.
        const auto ecrit = lire_fichier(chemin);
        fichier.ecrire(s, cle, valeur);
        if (lire_fichier(chemin) != ecrit) echec("récrire la même valeur laisse le fichier", s + " / " + cle);
    }

    if (autres_stables) {
        const Valeurs apres = lire_tout(FichierIni(chemin), sections);
        for (const auto& [ou, v] : avant) {
            bool ecrite = false;
            for (const auto& [s, cle] : ecrites) {
                ecrite = ecrite || (egal_sans_casse(s, ou.first) && egal_sans_casse(cle, ou.second));
            }
            if (ecrite) continue;
            const auto it = apres.find(ou);
            if (it == apres.end() || it->second != v) {
                echec("une écriture laisse les autres clés", ou.first + " / " + ou.second);
            }
        }
    }

    if (!sections.empty() && !nom_refuse(sections.front(), "cle ajoutee")) {
        try {
            fichier.effacer_cle(sections.front(), "cle ajoutee");
        } catch (const ErreurFichier& e) {
            echec("l'effacement d'une clé réussit", e.what());
        }
    }
    return 0;
}
