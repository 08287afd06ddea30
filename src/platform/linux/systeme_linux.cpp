#include "platform/linux/systeme_linux.hpp"

#include <pwd.h>
#include <unistd.h>

#include <charconv>
#include <exception>
#include <fstream>
#include <vector>

#include "base/fichiers.hpp"

namespace lumi {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view caracteres_reserves = " \t\n\"'\\><~|&;$*?#()`";

std::vector<std::string_view> champs(std::string_view ligne, char separateur) {
    std::vector<std::string_view> resultat;
    std::size_t debut = 0;
    for (;;) {
        const auto fin = ligne.find(separateur, debut);
        resultat.push_back(ligne.substr(debut, fin == std::string_view::npos ? fin : fin - debut));
        if (fin == std::string_view::npos) return resultat;
        debut = fin + 1;
    }
}

std::optional<long> lire_nombre(std::string_view texte) {
    long valeur = 0;
    const auto [fin, erreur] = std::from_chars(texte.data(), texte.data() + texte.size(), valeur);
    if (erreur != std::errc{} || fin != texte.data() + texte.size()) return std::nullopt;
    return valeur;
}

bool interpreteur_de_session(std::string_view shell) {
    return !shell.ends_with("/nologin") && !shell.ends_with("/false") && !shell.ends_with("/sync");
}

// Une ligne de texte : sans retour à la ligne, pour qu'un nom ne puisse ajouter une clé au fichier.
std::string sur_une_ligne(std::string_view texte) {
    std::string resultat;
    for (const char c : texte) resultat += (c == '\n' || c == '\r') ? ' ' : c;
    return resultat;
}

}  // namespace

std::string ligne_exec_desktop(const CommandeSysteme& commande) {
    std::string exec;
    for (std::size_t i = 0; i < commande.size(); ++i) {
        const std::string& argument = commande[i];
        if (i > 0) exec += ' ';
        std::string a;
        for (const char c : argument) {
            if (c == '%') {
                a += "%%";  // sinon lu comme un code de champ
            } else {
                a += c;
            }
        }
        if (argument.empty() || argument.find_first_of(caracteres_reserves) != std::string::npos) {
            std::string entre_guillemets = "\"";
            for (const char c : a) {
                if (c == '"' || c == '`' || c == '$' || c == '\\') entre_guillemets += '\\';
                entre_guillemets += c;
            }
            a = entre_guillemets + "\"";
        }
        exec += a;
    }
    // Échappements d'une valeur de chaîne du format : la barre oblique inverse se double.
    std::string valeur;
    for (const char c : exec) {
        if (c == '\\') {
            valeur += "\\\\";
        } else if (c == '\n') {
            valeur += "\\n";
        } else {
            valeur += c;
        }
    }
    return valeur;
}

std::optional<CommandeSysteme> lire_ligne_exec_desktop(std::string_view valeur) {
    std::string exec;
    for (std::size_t i = 0; i < valeur.size(); ++i) {
        if (valeur[i] != '\\') {
            exec += valeur[i];
            continue;
        }
        if (++i == valeur.size()) return std::nullopt;
        switch (valeur[i]) {
            case '\\':
                exec += '\\';
                break;
            case 's':
                exec += ' ';
                break;
            case 'n':
                exec += '\n';
                break;
            case 't':
                exec += '\t';
                break;
            case 'r':
                exec += '\r';
                break;
            case ';':
                exec += ';';
                break;
            default:
                return std::nullopt;
        }
    }
    CommandeSysteme commande;
    std::string courant;
    bool dans_argument = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (c == ' ' || c == '\t') {
            if (dans_argument) commande.push_back(std::move(courant));
            courant.clear();
            dans_argument = false;
        } else if (c == '"') {
            dans_argument = true;
            for (++i;; ++i) {
                if (i >= exec.size()) return std::nullopt;
                if (exec[i] == '"') break;
                if (exec[i] == '\\' && i + 1 < exec.size()) ++i;
                courant += exec[i];
            }
        } else {
            dans_argument = true;
            courant += c;
        }
    }
    if (dans_argument) commande.push_back(std::move(courant));
    // "%%" est un "%" littéral, dans un argument entre guillemets ou non.
    for (auto& a : commande) {
        for (std::size_t p = a.find("%%"); p != std::string::npos; p = a.find("%%", p + 1)) a.erase(p, 1);
    }
    if (commande.empty()) return std::nullopt;
    return commande;
}

SystemeLinux::SystemeLinux(fs::path fichier_comptes, LecteurEnvironnement environnement)
    : fichier_comptes_(std::move(fichier_comptes)), environnement_(std::move(environnement)) {}

std::string SystemeLinux::utilisateur_connecte() const {
    std::vector<char> tampon(16384);
    passwd entree{};
    passwd* trouve = nullptr;
    if (getpwuid_r(geteuid(), &entree, tampon.data(), tampon.size(), &trouve) == 0 && trouve != nullptr &&
        trouve->pw_name != nullptr) {
        return trouve->pw_name;
    }
    for (const char* nom : {"USER", "LOGNAME"}) {
        if (auto v = environnement_(nom); v && !v->empty()) return *v;
    }
    return {};
}

std::vector<std::string> SystemeLinux::profils_utilisateurs() const {
    std::vector<std::string> profils;
    std::ifstream flux(fichier_comptes_);
    std::string ligne;
    while (std::getline(flux, ligne)) {
        const auto c = champs(ligne, ':');
        if (c.size() < 7 || c[0].empty()) continue;
        const auto uid = lire_nombre(c[2]);
        if (!uid || *uid < 1000 || *uid >= 60000) continue;
        if (!interpreteur_de_session(c[6])) continue;
        profils.emplace_back(c[0]);
    }
    return profils;
}

fs::path SystemeLinux::dossier_demarrage_automatique() const {
    if (const auto config = environnement_("XDG_CONFIG_HOME"); config && fs::path(*config).is_absolute()) {
        return fs::path(*config) / "autostart";
    }
    if (const auto home = environnement_("HOME"); home && !home->empty()) {
        return fs::path(*home) / ".config" / "autostart";
    }
    return {};
}

fs::path SystemeLinux::fichier_demarrage_automatique(std::string_view nom) const {
    const fs::path dossier = dossier_demarrage_automatique();
    if (dossier.empty()) return {};
    return dossier / (std::string(nom) + ".desktop");
}

std::optional<CommandeSysteme> SystemeLinux::lire_demarrage_automatique(std::string_view nom) const {
    const fs::path fichier = fichier_demarrage_automatique(nom);
    if (fichier.empty()) return std::nullopt;
    const auto contenu = lire_fichier(fichier);
    if (!contenu) return std::nullopt;
    bool groupe_entree = false;
    for (const auto ligne : champs(*contenu, '\n')) {
        std::string_view l = ligne;
        if (l.ends_with('\r')) l.remove_suffix(1);
        if (l.starts_with('[')) {
            groupe_entree = l == "[Desktop Entry]";
            continue;
        }
        if (!groupe_entree || !l.starts_with("Exec")) continue;
        const auto egal = l.find('=');
        if (egal == std::string_view::npos) continue;
        std::string_view cle = l.substr(0, egal);
        while (cle.ends_with(' ')) cle.remove_suffix(1);
        if (cle != "Exec") continue;
        std::string_view valeur = l.substr(egal + 1);
        while (valeur.starts_with(' ')) valeur.remove_prefix(1);
        return lire_ligne_exec_desktop(valeur);
    }
    return std::nullopt;
}

bool SystemeLinux::ecrire_demarrage_automatique(std::string_view nom, const CommandeSysteme& commande) {
    const fs::path fichier = fichier_demarrage_automatique(nom);
    if (fichier.empty() || commande.empty()) return false;
    const std::string contenu =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=" +
        sur_une_ligne(nom) +
        "\n"
        "Comment=Compteur de connexions à Internet\n"
        "Exec=" +
        ligne_exec_desktop(commande) +
        "\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n";
    try {
        std::error_code erreur;
        fs::create_directories(fichier.parent_path(), erreur);
        remplacer_fichier(fichier, contenu);
        return true;
    } catch (const std::exception&) {
        return false;  // comme une clé qui ne s'ouvre pas : rien n'est montré
    }
}

void SystemeLinux::effacer_demarrage_automatique(std::string_view nom) {
    const fs::path fichier = fichier_demarrage_automatique(nom);
    if (fichier.empty()) return;
    std::error_code erreur;
    fs::remove(fichier, erreur);
}

}  // namespace lumi
