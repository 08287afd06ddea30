#include "settings/fichier_ini.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <mutex>
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

enum class Genre : std::uint8_t { autre, section, cle };

// Ce qu'une ligne déclare : une section, une clé et sa valeur, ou rien (vide, commentaire...).
struct Analyse {
    Genre genre = Genre::autre;
    std::string_view nom;
    std::string_view valeur;
};

// Comme Windows, les blancs aux bouts d'une ligne, d'un nom ou d'une valeur comprennent le 0x1A
// que les vieux éditeurs laissent en fin de fichier : « taux=19.6\x1A » se lit « 19.6 ».
std::string_view rogner_ini(std::string_view texte) {
    constexpr std::string_view blancs = " \t\r\v\f\x1A";
    const auto debut = texte.find_first_not_of(blancs);
    if (debut == std::string_view::npos) return {};
    return texte.substr(debut, texte.find_last_not_of(blancs) - debut + 1);
}

Analyse analyser(std::string_view ligne) {
    const std::string_view l = rogner_ini(ligne);
    if (l.empty() || l.front() == ';') return {};
    if (l.front() == '[') {
        const auto fin = l.find(']');
        if (fin != std::string_view::npos) return {Genre::section, rogner_ini(l.substr(1, fin - 1)), {}};
    }
    const auto egal = l.find('=');
    if (egal == std::string_view::npos) return {};
    const std::string_view nom = rogner_ini(l.substr(0, egal));
    if (nom.empty()) return {};
    return {Genre::cle, nom, rogner_ini(l.substr(egal + 1))};
}

// Une ligne garde ses octets d'origine : une ligne qu'on ne touche pas se récrit à l'identique,
// quel que soit son codage. Ce qu'elle déclare est analysé une fois, à sa création.
struct LigneIni {
    std::string brut;   // octets du fichier, sans fin de ligne
    std::string texte;  // les mêmes en UTF-8
    std::string fin;    // "\r\n", "\n" ou "" (dernière ligne sans fin)
    Genre genre = Genre::autre;
    // Nom et valeur, en positions dans `texte` (une vue ne survivrait pas à une copie).
    std::uint32_t nom_debut = 0;
    std::uint32_t nom_taille = 0;
    std::uint32_t valeur_debut = 0;
    std::uint32_t valeur_taille = 0;

    std::string_view nom() const { return std::string_view(texte).substr(nom_debut, nom_taille); }
    std::string_view valeur() const { return std::string_view(texte).substr(valeur_debut, valeur_taille); }

    void analyser_texte() {
        const Analyse a = analyser(texte);
        const auto position = [this](std::string_view v) {
            return static_cast<std::uint32_t>(v.empty() ? 0 : v.data() - texte.data());
        };
        genre = a.genre;
        nom_debut = position(a.nom);
        nom_taille = static_cast<std::uint32_t>(a.nom.size());
        valeur_debut = position(a.valeur);
        valeur_taille = static_cast<std::uint32_t>(a.valeur.size());
    }
};

}  // namespace

struct FichierIni::Image {
    std::string octets;  // le fichier tel qu'il est sur le disque
    std::string entete;  // marque d'ordre des octets UTF-8, gardée telle quelle
    std::vector<LigneIni> lignes;
    std::string fin_de_ligne = "\r\n";
    bool utf8 = false;  // le fichier lu était en UTF-8 : on le récrit en UTF-8
    // Le fichier est en UTF-16 (sa marque est dans `entete`) : les lignes sont gardées en UTF-8,
    // comme celles d'un fichier UTF-8, et le fichier est récrit en UTF-16 dans le même ordre des octets.
    bool utf16 = false;
    bool gros_boutiste = false;
};

namespace {

using Image = FichierIni::Image;

// Les derniers fichiers lus, par chemin. Les programmes relisent souvent les mêmes fichiers de
// réglages (au démarrage, une quinzaine de fois) : des octets identiques à ceux de la dernière
// lecture donnent la même image sans la redécouper. Comparer les octets, et non une date de
// modification, ne laisse jamais passer une image périmée.
class ImagesRecentes {
public:
    std::shared_ptr<const Image> trouver(const std::string& chemin, std::string_view octets) {
        const std::lock_guard verrou(mutex_);
        for (auto it = images_.begin(); it != images_.end(); ++it) {
            if (it->first != chemin) continue;
            if (it->second->octets != octets) return nullptr;
            std::rotate(it, it + 1, images_.end());  // la plus récente à la fin
            return images_.back().second;
        }
        return nullptr;
    }

    void garder(const std::string& chemin, std::shared_ptr<const Image> image) {
        const std::lock_guard verrou(mutex_);
        std::erase_if(images_, [&](const auto& e) { return e.first == chemin; });
        if (images_.size() >= capacite) images_.erase(images_.begin());
        images_.emplace_back(chemin, std::move(image));
    }

private:
    static constexpr std::size_t capacite = 16;
    std::mutex mutex_;
    std::vector<std::pair<std::string, std::shared_ptr<const Image>>> images_;
};

ImagesRecentes& images_recentes() {
    static ImagesRecentes images;
    return images;
}

const std::shared_ptr<const Image>& image_vide() {
    static const std::shared_ptr<const Image> vide = std::make_shared<const Image>();
    return vide;
}

// Le Bloc-notes de Windows enregistre en « Unicode » (UTF-16 petit-boutiste, marque FF FE) ou
// « Unicode big endian » (FE FF) ; Windows lit ces fichiers, le programme aussi.
std::optional<bool> marque_utf16(std::string_view octets) {
    if (octets.starts_with("\xFF\xFE")) return false;
    if (octets.starts_with("\xFE\xFF")) return true;
    return std::nullopt;
}

std::string utf16_du_fichier(std::string_view octets, bool gros_boutiste) {
    std::u16string large(octets.size() / 2, u'\0');
    for (std::size_t i = 0; i < large.size(); ++i) {
        const auto a = static_cast<unsigned char>(octets[2 * i]);
        const auto b = static_cast<unsigned char>(octets[2 * i + 1]);
        large[i] = static_cast<char16_t>(gros_boutiste ? (a << 8 | b) : (b << 8 | a));
    }
    return utf16_vers_utf8(large);
}

std::string utf16_pour_le_fichier(std::string_view utf8, bool gros_boutiste) {
    std::string octets;
    const std::u16string large = utf8_vers_utf16(utf8);
    octets.reserve(2 * large.size());
    for (const char16_t c : large) {
        const auto fort = static_cast<char>(c >> 8);
        const auto faible = static_cast<char>(c & 0xFF);
        octets += gros_boutiste ? fort : faible;
        octets += gros_boutiste ? faible : fort;
    }
    return octets;
}

std::shared_ptr<const Image> decouper(std::string octets) {
    auto image = std::make_shared<Image>();
    std::string_view corps = octets;
    std::string texte;
    if (const auto gros_boutiste = marque_utf16(octets)) {
        image->utf16 = true;
        image->gros_boutiste = *gros_boutiste;
        image->entete = std::string(corps.substr(0, 2));
        image->utf8 = true;
        texte = utf16_du_fichier(corps.substr(2), *gros_boutiste);
        corps = texte;
    } else {
        if (corps.substr(0, marque_utf8.size()) == marque_utf8) {
            image->entete = marque_utf8;
            corps.remove_prefix(marque_utf8.size());
            image->utf8 = true;
        }
        texte = decoder_fichier_texte(octets);
        if (!image->utf8) {
            // Lu tel quel : c'était de l'UTF-8. Un fichier tout ASCII reste en Windows-1252.
            image->utf8 = !est_ascii(corps) && texte == corps;
        }
    }

    // "\n" n'apparaît dans aucun des deux codages qu'à la place d'un saut de ligne : les deux
    // découpages vont de pair.
    auto& lignes = image->lignes;
    lignes.reserve(static_cast<std::size_t>(std::count(corps.begin(), corps.end(), '\n')) + 1);
    std::size_t pos_brut = 0;
    std::size_t pos_texte = 0;
    while (pos_brut < corps.size()) {
        const auto nl_brut = corps.find('\n', pos_brut);
        const auto nl_texte = texte.find('\n', pos_texte);
        LigneIni ligne;
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
        ligne.analyser_texte();
        lignes.push_back(std::move(ligne));
    }
    const auto premiere_fin =
        std::find_if(lignes.begin(), lignes.end(), [](const LigneIni& l) { return !l.fin.empty(); });
    if (premiere_fin != lignes.end()) image->fin_de_ligne = premiere_fin->fin;
    image->octets = std::move(octets);
    return image;
}

std::string encoder(const Image& image, std::string_view utf8) {
    if (!image.utf8) return utf8_vers_cp1252(utf8);
    // Un texte UTF-8 invalide rendrait tout le fichier illisible comme UTF-8 : ses octets fautifs
    // deviennent "?" comme en Windows-1252.
    if (est_utf8_valide(utf8)) return std::string(utf8);
    return cp1252_vers_utf8(utf8_vers_cp1252(utf8));
}

std::string decoder_ligne(const Image& image, std::string_view brut) {
    // Avec la marque UTF-8, les octets invalides se lisent en Windows-1252 comme au chargement.
    return image.utf8 ? decoder_fichier_texte(std::string(marque_utf8) + std::string(brut))
                      : cp1252_vers_utf8(brut);
}

LigneIni nouvelle_ligne(const Image& image, std::string_view texte_utf8) {
    LigneIni ligne;
    ligne.brut = encoder(image, texte_utf8);
    ligne.texte = decoder_ligne(image, ligne.brut);
    ligne.fin = image.fin_de_ligne;
    ligne.analyser_texte();
    return ligne;
}

std::string contenu(const Image& image) {
    std::string sortie = image.utf16 ? std::string() : image.entete;
    for (const LigneIni& ligne : image.lignes) {
        sortie += ligne.brut;
        sortie += ligne.fin;
    }
    if (image.utf16) return image.entete + utf16_pour_le_fichier(sortie, image.gros_boutiste);
    return sortie;
}

bool est_guillemet(char c) {
    return c == '"' || c == '\'';
}

// Ce que la lecture ôte aux bouts d'une valeur (rogner_ini ; les fins de ligne n'arrivent pas ici).
bool est_blanc(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A';
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

Emplacement localiser(const std::vector<LigneIni>& lignes, std::string_view section, std::string_view cle) {
    Emplacement e;
    e.fin_section = lignes.size();
    for (std::size_t i = 0; i < lignes.size(); ++i) {
        const LigneIni& l = lignes[i];
        if (l.genre == Genre::section) {
            if (e.section) {
                e.fin_section = i;
                break;
            }
            if (egal_sans_casse(l.nom(), section)) e.section = i;
        } else if (l.genre == Genre::cle && e.section && !e.cle && egal_sans_casse(l.nom(), cle)) {
            e.cle = i;
        }
    }
    return e;
}

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

// Ajoute une clé à la fin de la section trouvée (après sa dernière ligne non vide), ou une
// nouvelle section à la fin du fichier, séparée de ce qui précède par une ligne vide.
void ajouter_cle(Image& image, const Emplacement& e, std::string_view section, const std::string& ligne_cle) {
    auto& lignes = image.lignes;
    if (e.section) {
        std::size_t position = *e.section + 1;
        for (std::size_t i = e.fin_section; i > *e.section + 1; --i) {
            if (!rogner_ini(lignes[i - 1].texte).empty()) {
                position = i;
                break;
            }
        }
        if (lignes[position - 1].fin.empty()) lignes[position - 1].fin = image.fin_de_ligne;
        lignes.insert(lignes.begin() + static_cast<std::ptrdiff_t>(position),
                      nouvelle_ligne(image, ligne_cle));
        return;
    }
    if (!lignes.empty()) {
        if (lignes.back().fin.empty()) lignes.back().fin = image.fin_de_ligne;
        if (!rogner_ini(lignes.back().texte).empty()) lignes.push_back(nouvelle_ligne(image, ""));
    }
    lignes.push_back(nouvelle_ligne(image, "[" + std::string(section) + "]"));
    lignes.push_back(nouvelle_ligne(image, ligne_cle));
}

}  // namespace

FichierIni::FichierIni(fs::path chemin) : chemin_(std::move(chemin)) {
    charger();
}

void FichierIni::recharger() {
    charger();
}

void FichierIni::charger() {
    illisible_ = false;
    std::optional<std::string> octets = lire_fichier(chemin_);
    if (!octets) {
        // Absent : vide. Présent mais illisible (dossier, droits) : vide aussi, mais jamais écrasé.
        std::error_code ec;
        illisible_ = fs::exists(fs::status(chemin_, ec));
        image_ = image_vide();
        return;
    }
    const std::string cle = chemin_.string();
    if (auto image = images_recentes().trouver(cle, *octets)) {
        image_ = std::move(image);
        return;
    }
    image_ = decouper(std::move(*octets));
    images_recentes().garder(cle, image_);
}

std::string FichierIni::lire(std::string_view section, std::string_view cle, std::string_view defaut) const {
    section = rogner_ini(section);
    cle = rogner_ini(cle);
    bool dans_section = false;
    for (const LigneIni& ligne : image_->lignes) {
        if (ligne.genre == Genre::section) {
            if (dans_section) break;  // seule la première section de ce nom compte
            dans_section = egal_sans_casse(ligne.nom(), section);
        } else if (ligne.genre == Genre::cle && dans_section && egal_sans_casse(ligne.nom(), cle)) {
            return valeur_lue(ligne.valeur());
        }
    }
    return std::string(defaut);
}

bool FichierIni::section_existe(std::string_view section) const {
    section = rogner_ini(section);
    return std::any_of(image_->lignes.begin(), image_->lignes.end(), [&](const LigneIni& ligne) {
        return ligne.genre == Genre::section && egal_sans_casse(ligne.nom(), section);
    });
}

std::vector<std::string> FichierIni::cles(std::string_view section) const {
    section = rogner_ini(section);
    std::vector<std::string> noms;
    bool dans_section = false;
    for (const LigneIni& ligne : image_->lignes) {
        if (ligne.genre == Genre::section) {
            if (dans_section) break;
            dans_section = egal_sans_casse(ligne.nom(), section);
        } else if (ligne.genre == Genre::cle && dans_section) {
            const bool deja = std::any_of(noms.begin(), noms.end(), [&](const std::string& n) {
                return egal_sans_casse(n, ligne.nom());
            });
            if (!deja) noms.emplace_back(ligne.nom());
        }
    }
    return noms;
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
    auto image = std::make_shared<Image>(*image_);
    if (!modifier(*image)) return;
    image->octets = contenu(*image);
    // Si le remplacement échoue, l'image reste celle du disque.
    remplacer_fichier(chemin_, image->octets);
    image_ = image;
    images_recentes().garder(chemin_.string(), std::move(image));
}

void FichierIni::ecrire(std::string_view section, std::string_view cle, std::string_view texte) {
    section = rogner_ini(section);
    cle = rogner_ini(cle);
    verifier_noms(chemin_, section, cle);
    const std::string valeur = valeur_ecrite(texte);

    modifier_fichier([&](Image& image) {
        auto& lignes = image.lignes;
        const Emplacement e = localiser(lignes, section, cle);
        if (e.cle) {
            // Seule la valeur change : le nom et les blancs autour de "=" restent comme ils étaient.
            LigneIni& ligne = lignes[*e.cle];
            std::size_t debut = ligne.brut.find('=') + 1;
            if (!valeur.empty()) {
                while (debut < ligne.brut.size() && est_blanc(ligne.brut[debut])) ++debut;
            }
            std::string brut = ligne.brut.substr(0, debut) + encoder(image, valeur);
            if (brut == ligne.brut) return false;
            ligne.texte = decoder_ligne(image, brut);
            ligne.brut = std::move(brut);
            ligne.analyser_texte();
            return true;
        }

        ajouter_cle(image, e, section, std::string(cle) + "=" + valeur);
        return true;
    });
}

void FichierIni::ajouter_trace(std::string_view section, std::string_view cle, std::string_view texte,
                               std::size_t garder) {
    section = rogner_ini(section);
    cle = rogner_ini(cle);
    verifier_noms(chemin_, section, cle);
    const std::string ligne_cle = std::string(cle) + "=" + valeur_ecrite(texte);
    garder = std::max<std::size_t>(garder, 1);

    modifier_fichier([&](Image& image) {
        auto& lignes = image.lignes;
        // La clé déjà écrite (même heure un autre jour) redevient la plus récente : ses lignes partent.
        Emplacement e = localiser(lignes, section, cle);
        if (e.section) {
            for (std::size_t i = e.fin_section; i > *e.section + 1; --i) {
                const LigneIni& l = lignes[i - 1];
                if (l.genre == Genre::cle && egal_sans_casse(l.nom(), cle)) {
                    lignes.erase(lignes.begin() + static_cast<std::ptrdiff_t>(i - 1));
                    --e.fin_section;
                }
            }
        }
        ajouter_cle(image, e, section, ligne_cle);

        // Puis seules les `garder` dernières clés de la section restent ; blancs et commentaires aussi.
        e = localiser(lignes, section, cle);
        std::vector<std::size_t> cles;
        for (std::size_t i = *e.section + 1; i < e.fin_section; ++i) {
            if (lignes[i].genre == Genre::cle) cles.push_back(i);
        }
        if (cles.size() > garder) {
            const std::size_t en_trop = cles.size() - garder;
            for (std::size_t k = en_trop; k-- > 0;) {
                lignes.erase(lignes.begin() + static_cast<std::ptrdiff_t>(cles[k]));
            }
        }
        return contenu(image) != image.octets;
    });
}

void FichierIni::effacer_cle(std::string_view section, std::string_view cle) {
    section = rogner_ini(section);
    cle = rogner_ini(cle);
    modifier_fichier([&](Image& image) {
        const Emplacement e = localiser(image.lignes, section, cle);
        if (!e.cle) return false;
        image.lignes.erase(image.lignes.begin() + static_cast<std::ptrdiff_t>(*e.cle));
        return true;
    });
}

// Les messages sont des textes d'une ligne : un fichier INI n'a pas de séquences d'échappement,
// "\n" y reste deux caractères. Les fenêtres qui en montrent plusieurs les joignent elles-mêmes
// par des sauts de ligne.
std::string message_utilisateur(const FichierIni& reglages, int numero) {
    return reglages.lire("messages utilisateurs", "message " + std::to_string(numero), "");
}

std::optional<std::string> defaut_fichier_ini(const fs::path& chemin, std::string_view designation) {
    const std::string fichier(designation);
    std::error_code ec;
    const auto genre = fs::status(chemin, ec).type();
    if (genre == fs::file_type::not_found) return fichier + " est introuvable.";
    if (ec) return fichier + " ne se lit pas : " + raison_erreur_fichier(ec.value()) + ".";
    if (genre == fs::file_type::directory) return fichier + " est un dossier, pas un fichier.";
    // Un tube ou un périphérique bloquerait la lecture.
    if (genre != fs::file_type::regular) return fichier + " n'est pas un fichier ordinaire.";
    const auto octets = lire_fichier(chemin);
    if (!octets) return fichier + " ne se lit pas : " + raison_erreur_fichier(errno) + ".";
    // Un fichier UTF-16 marqué est vérifié sur son texte, comme il sera lu.
    std::string texte_utf16;
    std::string_view texte = *octets;
    if (const auto gros_boutiste = marque_utf16(texte)) {
        texte_utf16 = utf16_du_fichier(texte.substr(2), *gros_boutiste);
        texte = texte_utf16;
    }
    // Des lignes blanches seules ne font pas plus un fichier de réglages qu'aucun octet.
    if (texte.find_first_not_of(" \t\r\n\f\v\x1A") == std::string_view::npos) return fichier + " est vide.";
    const std::string attendu = " : il doit être un texte en Windows-1252, en UTF-8 ou en UTF-16 marqué.";
    // Aucun texte de ces deux codages n'a d'octet de contrôle hors des blancs (0x1A : fin de
    // fichier des vieux éditeurs).
    const auto controle = std::find_if(texte.begin(), texte.end(), [](char c) {
        const auto o = static_cast<unsigned char>(c);
        return (o < 0x20 && o != '\t' && o != '\n' && o != '\r' && o != '\f' && o != '\v' && o != 0x1A) ||
               o == 0x7F;
    });
    if (controle != texte.end()) {
        char octet[8];
        std::snprintf(octet, sizeof octet, "0x%02X", static_cast<unsigned char>(*controle));
        return fichier + " n'est pas un fichier texte (octet " + octet + " à la position " +
               std::to_string(controle - texte.begin()) + ")" + attendu;
    }
    // Fins de ligne d'un vieux Macintosh : tout le fichier ne ferait qu'une ligne.
    if (texte.find('\n') == std::string_view::npos && texte.find('\r') != std::string_view::npos) {
        return fichier + " a des lignes terminées par un retour chariot seul (CR) : il faut CR LF ou LF.";
    }
    std::size_t debut = 0;
    while (debut < texte.size()) {
        const auto fin = std::min(texte.find('\n', debut), texte.size());
        if (fin - debut > longueur_max_ligne_ini) {
            return fichier + " a une ligne de " + std::to_string(fin - debut) + " octets (" +
                   std::to_string(longueur_max_ligne_ini / 1024) +
                   " Kio au plus) : ce n'est pas un fichier de réglages.";
        }
        debut = fin + 1;
    }
    return std::nullopt;
}

}  // namespace lumi
