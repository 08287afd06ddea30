#include "settings/fichier_ini.hpp"

#include <algorithm>
#include <optional>
#include <system_error>
#include <utility>

#include "base/erreurs.hpp"
#include "base/fichiers.hpp"
#include "base/texte.hpp"

namespace lumi {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view marque_utf8 = "\xEF\xBB\xBF";

enum class Genre { autre, section, cle };

// Ce qu'une ligne déclare : une section, une clé et sa valeur, ou rien (vide, commentaire...).
struct Analyse {
    Genre genre = Genre::autre;
    std::string_view nom;
    std::string_view valeur;
};

Analyse analyser(std::string_view ligne) {
    const std::string_view l = rogner(ligne);
    if (l.empty() || l.front() == ';') return {};
    if (l.front() == '[') {
        const auto fin = l.find(']');
        if (fin != std::string_view::npos) return {Genre::section, rogner(l.substr(1, fin - 1)), {}};
    }
    const auto egal = l.find('=');
    if (egal == std::string_view::npos) return {};
    const std::string_view nom = rogner(l.substr(0, egal));
    if (nom.empty()) return {};
    return {Genre::cle, nom, rogner(l.substr(egal + 1))};
}

bool est_guillemet(char c) {
    return c == '"' || c == '\'';
}

bool est_blanc(char c) {
    return c == ' ' || c == '\t';
}

// Comme Windows : une paire de guillemets identiques autour de la valeur est ôtée, puis la
// valeur est coupée à 1023 caractères (un caractère = un point de code, un octet en Windows-1252).
std::string valeur_lue(std::string_view valeur) {
    if (valeur.size() >= 2 && est_guillemet(valeur.front()) && valeur.back() == valeur.front()) {
        valeur = valeur.substr(1, valeur.size() - 2);
    }
    std::size_t caracteres = 0;
    for (std::size_t i = 0; i < valeur.size(); ++i) {
        if ((static_cast<unsigned char>(valeur[i]) & 0xC0) == 0x80) continue;  // suite d'un caractère
        if (caracteres == longueur_max_valeur_ini) return std::string(valeur.substr(0, i));
        ++caracteres;
    }
    return std::string(valeur);
}

// Valeur à écrire pour que la relecture rende exactement `texte` : une fin de ligne dans la
// valeur couperait le fichier en deux lignes (elle devient un espace) ; des blancs aux bouts ou
// des guillemets autour seraient ôtés à la lecture, on entoure alors la valeur de guillemets.
std::string valeur_ecrite(std::string_view texte) {
    std::string v(texte);
    std::replace(v.begin(), v.end(), '\r', ' ');
    std::replace(v.begin(), v.end(), '\n', ' ');
    const bool a_proteger =
        !v.empty() && (est_blanc(v.front()) || est_blanc(v.back()) ||
                       (v.size() >= 2 && est_guillemet(v.front()) && v.back() == v.front()));
    return a_proteger ? "\"" + v + "\"" : v;
}

// Position de la première section de ce nom et fin de son étendue (la section suivante).
struct Emplacement {
    std::optional<std::size_t> section;
    std::size_t fin_section = 0;
    std::optional<std::size_t> cle;
};

}  // namespace

FichierIni::FichierIni(fs::path chemin) : chemin_(std::move(chemin)) {
    charger();
}

void FichierIni::recharger() {
    charger();
}

void FichierIni::charger() {
    entete_.clear();
    lignes_.clear();
    fin_de_ligne_ = "\r\n";
    utf8_ = false;
    illisible_ = false;

    const std::optional<std::string> octets = lire_fichier(chemin_);
    if (!octets) {
        // Absent : vide. Présent mais illisible (dossier, droits) : vide aussi, mais jamais écrasé.
        std::error_code ec;
        illisible_ = fs::exists(fs::status(chemin_, ec));
        return;
    }

    std::string_view corps = *octets;
    if (corps.substr(0, marque_utf8.size()) == marque_utf8) {
        entete_ = marque_utf8;
        corps.remove_prefix(marque_utf8.size());
        utf8_ = true;
    }
    const std::string texte = decoder_fichier_texte(*octets);
    if (!utf8_) {
        // Lu tel quel : c'était de l'UTF-8. Un fichier tout ASCII reste en Windows-1252.
        const bool non_ascii = std::any_of(corps.begin(), corps.end(),
                                           [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        utf8_ = non_ascii && texte == corps;
    }

    // "\n" n'apparaît dans aucun des deux codages qu'à la place d'un saut de ligne : les deux
    // découpages vont de pair.
    std::size_t pos_brut = 0;
    std::size_t pos_texte = 0;
    while (pos_brut < corps.size()) {
        const auto nl_brut = corps.find('\n', pos_brut);
        const auto nl_texte = texte.find('\n', pos_texte);
        Ligne ligne;
        if (nl_brut == std::string_view::npos) {
            ligne.brut = corps.substr(pos_brut);
            ligne.texte = texte.substr(pos_texte);
            pos_brut = corps.size();
        } else {
            ligne.brut = corps.substr(pos_brut, nl_brut - pos_brut);
            ligne.texte = texte.substr(pos_texte, nl_texte - pos_texte);
            ligne.fin = "\n";
            if (!ligne.brut.empty() && ligne.brut.back() == '\r') {
                ligne.brut.pop_back();
                ligne.fin = "\r\n";
            }
            if (!ligne.texte.empty() && ligne.texte.back() == '\r') ligne.texte.pop_back();
            pos_brut = nl_brut + 1;
            pos_texte = nl_texte + 1;
        }
        lignes_.push_back(std::move(ligne));
    }
    const auto premiere_fin =
        std::find_if(lignes_.begin(), lignes_.end(), [](const Ligne& l) { return !l.fin.empty(); });
    if (premiere_fin != lignes_.end()) fin_de_ligne_ = premiere_fin->fin;
}

std::string FichierIni::lire(std::string_view section, std::string_view cle, std::string_view defaut) const {
    section = rogner(section);
    cle = rogner(cle);
    bool dans_section = false;
    for (const Ligne& ligne : lignes_) {
        const Analyse a = analyser(ligne.texte);
        if (a.genre == Genre::section) {
            if (dans_section) break;  // seule la première section de ce nom compte
            dans_section = egal_sans_casse(a.nom, section);
        } else if (a.genre == Genre::cle && dans_section && egal_sans_casse(a.nom, cle)) {
            return valeur_lue(a.valeur);
        }
    }
    return std::string(defaut);
}

bool FichierIni::section_existe(std::string_view section) const {
    section = rogner(section);
    return std::any_of(lignes_.begin(), lignes_.end(), [&](const Ligne& ligne) {
        const Analyse a = analyser(ligne.texte);
        return a.genre == Genre::section && egal_sans_casse(a.nom, section);
    });
}

std::vector<std::string> FichierIni::cles(std::string_view section) const {
    section = rogner(section);
    std::vector<std::string> noms;
    bool dans_section = false;
    for (const Ligne& ligne : lignes_) {
        const Analyse a = analyser(ligne.texte);
        if (a.genre == Genre::section) {
            if (dans_section) break;
            dans_section = egal_sans_casse(a.nom, section);
        } else if (a.genre == Genre::cle && dans_section) {
            const bool deja = std::any_of(noms.begin(), noms.end(),
                                          [&](const std::string& n) { return egal_sans_casse(n, a.nom); });
            if (!deja) noms.emplace_back(a.nom);
        }
    }
    return noms;
}

std::string FichierIni::encoder(std::string_view utf8) const {
    if (!utf8_) return utf8_vers_cp1252(utf8);
    // Un texte UTF-8 invalide rendrait tout le fichier illisible comme UTF-8 : ses octets fautifs
    // deviennent "?" comme en Windows-1252.
    if (est_utf8_valide(utf8)) return std::string(utf8);
    return cp1252_vers_utf8(utf8_vers_cp1252(utf8));
}

std::string FichierIni::decoder_ligne(std::string_view brut) const {
    // Avec la marque UTF-8, les octets invalides se lisent en Windows-1252 comme au chargement.
    return utf8_ ? decoder_fichier_texte(std::string(marque_utf8) + std::string(brut))
                 : cp1252_vers_utf8(brut);
}

FichierIni::Ligne FichierIni::nouvelle_ligne(std::string_view texte_utf8) const {
    Ligne ligne;
    ligne.brut = encoder(texte_utf8);
    ligne.texte = decoder_ligne(ligne.brut);
    ligne.fin = fin_de_ligne_;
    return ligne;
}

std::string FichierIni::contenu() const {
    std::string sortie = entete_;
    for (const Ligne& ligne : lignes_) {
        sortie += ligne.brut;
        sortie += ligne.fin;
    }
    return sortie;
}

template <typename Modification>
void FichierIni::modifier_fichier(Modification modifier) {
    // Relu avant chaque écriture, comme le fait Windows : ce qu'un autre accès a écrit depuis
    // l'ouverture n'est pas perdu.
    charger();
    if (illisible_) {
        throw ErreurFichier("Impossible de lire le fichier « " + chemin_.string() +
                            " » : il n'a pas été modifié.");
    }
    const std::vector<Ligne> avant = lignes_;
    if (!modifier()) return;
    try {
        remplacer_fichier(chemin_, contenu());
    } catch (...) {
        lignes_ = avant;  // la mémoire reste l'image du disque
        throw;
    }
}

namespace {

void verifier_noms(const fs::path& chemin, std::string_view section, std::string_view cle) {
    // Un nom qui ne se relirait pas comme tel casserait la structure du fichier.
    const bool section_invalide = section.find_first_of("]\r\n") != std::string_view::npos;
    const bool cle_invalide = cle.empty() || cle.find_first_of("=\r\n") != std::string_view::npos ||
                              cle.front() == ';' || cle.front() == '[';
    if (section_invalide) {
        throw ErreurFichier("Nom de section invalide « " + std::string(section) + " » pour le fichier « " +
                            chemin.string() + " ».");
    }
    if (cle_invalide) {
        throw ErreurFichier("Nom de clé invalide « " + std::string(cle) + " » pour le fichier « " +
                            chemin.string() + " ».");
    }
}

template <typename Lignes>
Emplacement localiser(const Lignes& lignes, std::string_view section, std::string_view cle) {
    Emplacement e;
    e.fin_section = lignes.size();
    for (std::size_t i = 0; i < lignes.size(); ++i) {
        const Analyse a = analyser(lignes[i].texte);
        if (a.genre == Genre::section) {
            if (e.section) {
                e.fin_section = i;
                break;
            }
            if (egal_sans_casse(a.nom, section)) e.section = i;
        } else if (a.genre == Genre::cle && e.section && !e.cle && egal_sans_casse(a.nom, cle)) {
            e.cle = i;
        }
    }
    return e;
}

}  // namespace

void FichierIni::ecrire(std::string_view section, std::string_view cle, std::string_view texte) {
    section = rogner(section);
    cle = rogner(cle);
    verifier_noms(chemin_, section, cle);
    const std::string valeur = valeur_ecrite(texte);

    modifier_fichier([&] {
        const Emplacement e = localiser(lignes_, section, cle);
        if (e.cle) {
            // Seule la valeur change : le nom et les blancs autour de "=" restent comme ils étaient.
            Ligne& ligne = lignes_[*e.cle];
            std::size_t debut = ligne.brut.find('=') + 1;
            if (!valeur.empty()) {
                while (debut < ligne.brut.size() && est_blanc(ligne.brut[debut])) ++debut;
            }
            std::string brut = ligne.brut.substr(0, debut) + encoder(valeur);
            if (brut == ligne.brut) return false;
            ligne.texte = decoder_ligne(brut);
            ligne.brut = std::move(brut);
            return true;
        }

        const std::string ligne_cle = std::string(cle) + "=" + valeur;
        if (e.section) {
            // Nouvelle clé après la dernière ligne non vide de la section.
            std::size_t position = *e.section + 1;
            for (std::size_t i = e.fin_section; i > *e.section + 1; --i) {
                if (!rogner(lignes_[i - 1].texte).empty()) {
                    position = i;
                    break;
                }
            }
            if (lignes_[position - 1].fin.empty()) lignes_[position - 1].fin = fin_de_ligne_;
            lignes_.insert(lignes_.begin() + static_cast<std::ptrdiff_t>(position),
                           nouvelle_ligne(ligne_cle));
            return true;
        }

        // Nouvelle section à la fin, séparée de ce qui précède par une ligne vide.
        if (!lignes_.empty()) {
            if (lignes_.back().fin.empty()) lignes_.back().fin = fin_de_ligne_;
            if (!rogner(lignes_.back().texte).empty()) lignes_.push_back(nouvelle_ligne(""));
        }
        lignes_.push_back(nouvelle_ligne("[" + std::string(section) + "]"));
        lignes_.push_back(nouvelle_ligne(ligne_cle));
        return true;
    });
}

void FichierIni::effacer_cle(std::string_view section, std::string_view cle) {
    section = rogner(section);
    cle = rogner(cle);
    modifier_fichier([&] {
        const Emplacement e = localiser(lignes_, section, cle);
        if (!e.cle) return false;
        lignes_.erase(lignes_.begin() + static_cast<std::ptrdiff_t>(*e.cle));
        return true;
    });
}

// Les messages sont des textes d'une ligne : un fichier INI n'a pas de séquences d'échappement,
// "\n" y reste deux caractères. Les fenêtres qui en montrent plusieurs les joignent elles-mêmes
// par des sauts de ligne.
std::string message_utilisateur(const FichierIni& reglages, int numero) {
    return reglages.lire("messages utilisateurs", "message " + std::to_string(numero), "");
}

}  // namespace lumi
