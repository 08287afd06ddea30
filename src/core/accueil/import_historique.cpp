#include "core/accueil/import_historique.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "base/erreurs.hpp"
#include "base/fichiers.hpp"
#include "base/texte.hpp"
#include "history/fichiers_historique.hpp"
#include "history/ligne_historique.hpp"
#include "settings/fichier_ini.hpp"

namespace fs = std::filesystem;

namespace lumi {

namespace {

std::optional<fs::path> variable(const char* nom) {
    const char* v = std::getenv(nom);
    if (v == nullptr || *v == '\0' || v[0] != '/') return std::nullopt;
    return fs::path(v);
}

bool est_dossier(const fs::path& p) {
    std::error_code ec;
    return !p.empty() && fs::is_directory(p, ec);
}

// Le premier mot d'une ligne Exec : entre guillemets ou jusqu'à l'espace.
std::string premier_mot(std::string_view exec) {
    exec = rogner(exec);
    if (!exec.empty() && exec.front() == '"') {
        std::string mot;
        for (std::size_t i = 1; i < exec.size() && exec[i] != '"'; ++i) {
            if (exec[i] == '\\' && i + 1 < exec.size()) ++i;
            mot += exec[i];
        }
        return mot;
    }
    return std::string(exec.substr(0, exec.find(' ')));
}

// La valeur Exec d'une entrée .desktop, ou rien.
std::optional<std::string> exec_desktop(const fs::path& entree) {
    const auto contenu = lire_fichier(entree);
    if (!contenu) return std::nullopt;
    std::string_view reste(*contenu);
    bool dans_entree = false;
    while (!reste.empty()) {
        const auto fin = reste.find('\n');
        std::string_view ligne = rogner(reste.substr(0, fin));
        reste = fin == std::string_view::npos ? std::string_view{} : reste.substr(fin + 1);
        if (ligne.starts_with('[')) {
            dans_entree = ligne == "[Desktop Entry]";
        } else if (dans_entree && ligne.starts_with("Exec=")) {
            return std::string(ligne.substr(5));
        }
    }
    return std::nullopt;
}

std::optional<fs::path> dossier_de(const std::string& programme, const fs::path& prefixe);

// Le dossier d'un programme nommé par une commande : un chemin Linux, ou un chemin Windows lancé
// par wine (« wine "C:\...\lumi98.exe" »).
std::optional<fs::path> dossier_du_programme(std::string_view exec, const fs::path& prefixe) {
    std::string programme = premier_mot(exec);
    if (fs::path(programme).filename() == "wine" || fs::path(programme).filename() == "wine64") {
        std::string_view apres = rogner(exec);
        if (apres.starts_with('"')) {
            apres.remove_prefix(std::min(apres.size(), apres.find('"', 1) + 1));
        } else {
            apres.remove_prefix(std::min(apres.size(), apres.find(' ')));
        }
        programme = premier_mot(apres);
    }
    return dossier_de(programme, prefixe);
}

std::optional<fs::path> dossier_de(const std::string& programme, const fs::path& prefixe) {
#ifdef _WIN32
    // Sous Windows, un chemin à lettre de lecteur est le chemin lui-même, sans préfixe Wine.
    if (programme.size() > 2 && programme[1] == ':') return chemin_utf8(programme).parent_path();
#endif
    if (programme.size() > 2 && programme[1] == ':') {
        const auto chemin = chemin_wine(prefixe, programme);
        if (!chemin) return std::nullopt;
        return chemin->parent_path();
    }
    if (programme.empty() || programme.front() != '/') return std::nullopt;
    return fs::path(programme).parent_path();
}

// Le nom court "PROGRA~1" d'un élément sans nom court sur ce disque : le n-ième (dans l'ordre des
// noms, comme Windows les a numérotés en général) des noms dont la forme sans blancs ni points
// commence comme lui et dont l'extension commence comme la sienne.
std::optional<fs::path> nom_court(const fs::path& dossier, std::string_view element) {
    const auto tilde = element.find('~');
    if (tilde == std::string_view::npos || tilde == 0) return std::nullopt;
    const auto point = element.find('.', tilde);
    const std::string_view chiffres =
        element.substr(tilde + 1, point == std::string_view::npos ? point : point - tilde - 1);
    int rang = 0;
    for (const char c : chiffres) {
        if (c < '0' || c > '9') return std::nullopt;
        rang = rang * 10 + (c - '0');
    }
    if (chiffres.empty() || rang < 1) return std::nullopt;
    const std::string debut = plier_casse(element.substr(0, tilde));
    const std::string extension =
        point == std::string_view::npos ? "" : plier_casse(element.substr(point + 1));
    std::vector<fs::path> candidats;
    std::error_code ec;
    for (fs::directory_iterator it(dossier, ec), fin; !ec && it != fin; it.increment(ec)) {
        const std::string nom = it->path().filename().string();
        const auto dernier_point = nom.rfind('.');
        std::string base;
        for (const char c : nom.substr(0, dernier_point)) {
            if (c != ' ' && c != '.') base += c;
        }
        const std::string ext =
            dernier_point == std::string::npos ? "" : plier_casse(nom.substr(dernier_point + 1));
        if (plier_casse(base).starts_with(debut) && ext.starts_with(extension))
            candidats.push_back(it->path());
    }
    std::sort(candidats.begin(), candidats.end());
    if (static_cast<std::size_t>(rang) > candidats.size()) return std::nullopt;
    return candidats[static_cast<std::size_t>(rang) - 1];
}

// Le programme d'une commande de démarrage Windows : entre guillemets
// (« "C:\Program Files\...\LUMI98.EXE" -invisible »), sinon le plus court début, coupé à un blanc,
// qui existe dans le préfixe.
std::string programme_windows(std::string_view commande, const fs::path& prefixe) {
    commande = rogner(commande);
    if (commande.starts_with('"')) {
        const auto fin = commande.find('"', 1);
        return std::string(commande.substr(1, fin == std::string_view::npos ? fin : fin - 1));
    }
    for (auto blanc = commande.find(' '); blanc != std::string_view::npos;
         blanc = commande.find(' ', blanc + 1)) {
        const std::string debut(commande.substr(0, blanc));
        std::error_code ec;
        if (const auto chemin = chemin_wine(prefixe, debut); chemin && fs::is_regular_file(*chemin, ec))
            return debut;
    }
    return std::string(commande);
}

// "\\" du registre de Wine rendu en "\" ; les autres échappements ne servent pas aux chemins.
std::string valeur_reg(std::string_view brute) {
    std::string v;
    for (std::size_t i = 0; i < brute.size(); ++i) {
        if (brute[i] == '\\' && i + 1 < brute.size()) ++i;
        v += brute[i];
    }
    return v;
}

// La valeur « Lumicompteur 98 » de la clé Run de system.reg.
std::optional<std::string> run_wine(const fs::path& prefixe) {
    const auto contenu = lire_fichier(prefixe / "system.reg");
    if (!contenu) return std::nullopt;
    const std::string texte = est_utf8_valide(*contenu) ? *contenu : cp1252_vers_utf8(*contenu);
    std::string_view reste(texte);
    bool dans_run = false;
    const std::string cle_run = "[software\\\\microsoft\\\\windows\\\\currentversion\\\\run]";
    const std::string nom = "\"" + std::string(nom_edition_98) + "\"=\"";
    while (!reste.empty()) {
        const auto fin = reste.find('\n');
        std::string_view ligne = rogner(reste.substr(0, fin));
        reste = fin == std::string_view::npos ? std::string_view{} : reste.substr(fin + 1);
        if (ligne.starts_with('[')) {
            const auto fermeture = ligne.find(']');
            dans_run =
                fermeture != std::string_view::npos && plier_casse(ligne.substr(0, fermeture + 1)) == cle_run;
        } else if (dans_run && ligne.size() > nom.size() &&
                   egal_sans_casse(ligne.substr(0, nom.size()), nom) && ligne.back() == '"') {
            return valeur_reg(ligne.substr(nom.size(), ligne.size() - nom.size() - 1));
        }
    }
    return std::nullopt;
}

// La copie d'un fichier, par un temporaire vidé puis renommé : lève ErreurFichier.
void copier_fichier_sur(const fs::path& source, const fs::path& destination) {
    const auto contenu = lire_fichier(source);
    if (!contenu) {
        const int erreur = errno != 0 ? errno : EACCES;
        throw ErreurFichier("Impossible de lire « " + source.string() +
                            " » : " + raison_erreur_fichier(erreur) + ".");
    }
    remplacer_fichier(destination, *contenu);
}

}  // namespace

EnvironnementImport EnvironnementImport::du_processus() {
    EnvironnementImport env;
    env.personnel = variable("HOME").value_or(fs::path("/"));
    env.config = variable("XDG_CONFIG_HOME");
    env.prefixe_wine = variable("WINEPREFIX");
    if (const char* dirs = std::getenv("XDG_CONFIG_DIRS"); dirs != nullptr && *dirs != '\0') {
        env.config_systeme.clear();
        std::string_view reste(dirs);
        while (!reste.empty()) {
            const auto fin = reste.find(':');
            const auto d = reste.substr(0, fin);
            if (!d.empty() && d.front() == '/') env.config_systeme.emplace_back(d);
            reste = fin == std::string_view::npos ? std::string_view{} : reste.substr(fin + 1);
        }
    }
    return env;
}

std::vector<std::string> recherche_des_fichiers(const fs::path& dossier) {
    std::vector<std::string> noms;
    std::error_code ec;
    for (fs::directory_iterator it(dossier, ec), fin; !ec && it != fin; it.increment(ec)) {
        std::error_code ec_type;
        if (it->is_directory(ec_type)) continue;
        const std::string brut = it->path().filename().string();
        const std::string nom = est_utf8_valide(brut) ? brut : cp1252_vers_utf8(brut);
        if (nom.size() <= 6 || plier_casse(nom.substr(nom.size() - 4)) != ".fct") continue;
        if (rang_du_mois(plier_casse(nom.substr(0, nom.size() - 6))) == "-1") continue;
        noms.push_back(brut);
    }
    std::sort(noms.begin(), noms.end());
    return noms;
}

FichiersTrouves recherche_dans_dossier(const fs::path& dossier) {
    if (auto fichiers = recherche_des_fichiers(dossier); !fichiers.empty())
        return {dossier, std::move(fichiers)};
    // Le sous-dossier où l'édition précédente rangeait ses mois, quelle que soit sa casse.
    std::error_code ec;
    for (fs::directory_iterator it(dossier, ec), fin; !ec && it != fin; it.increment(ec)) {
        std::error_code e;
        if (!it->is_directory(e) || !egal_sans_casse(it->path().filename().string(), "historique")) continue;
        if (auto fichiers = recherche_des_fichiers(it->path()); !fichiers.empty())
            return {it->path(), std::move(fichiers)};
    }
    return {};
}

std::optional<fs::path> chemin_wine(const fs::path& prefixe, std::string_view windows) {
    if (windows.size() < 2 || windows[1] != ':') return std::nullopt;
    const std::string lecteur = plier_casse(windows.substr(0, 2));
    fs::path chemin = prefixe / "dosdevices" / lecteur;
    if (!est_dossier(chemin)) {
        if (lecteur != "c:") return std::nullopt;
        chemin = prefixe / "drive_c";
    }
    std::string_view reste = windows.substr(2);
    while (!reste.empty()) {
        const auto fin = reste.find_first_of("\\/");
        const std::string element(reste.substr(0, fin));
        reste = fin == std::string_view::npos ? std::string_view{} : reste.substr(fin + 1);
        if (element.empty() || element == ".") continue;
        fs::path suivant = chemin / element;
        std::error_code ec;
        if (!fs::exists(suivant, ec)) {
            // Windows ne tient pas compte de la casse : « program files » est « Program Files ».
            bool trouve = false;
            for (fs::directory_iterator it(chemin, ec), fin_it; !ec && it != fin_it; it.increment(ec)) {
                if (egal_sans_casse(it->path().filename().string(), element)) {
                    suivant = it->path();
                    trouve = true;
                    break;
                }
            }
            if (!trouve) {
                if (auto court = nom_court(chemin, element)) suivant = *court;
            }
        }
        chemin = suivant;
    }
    return chemin;
}

std::optional<fs::path> dossier_commande_edition_98(const EnvironnementImport& env) {
    const fs::path prefixe = env.prefixe_wine.value_or(env.personnel / ".wine");
    std::vector<fs::path> autostarts{env.config.value_or(env.personnel / ".config") / "autostart"};
    for (const auto& d : env.config_systeme) autostarts.push_back(d / "autostart");
    for (const auto& d : autostarts) {
        if (const auto exec = exec_desktop(d / (std::string(nom_edition_98) + ".desktop"))) {
            if (auto dossier = dossier_du_programme(*exec, prefixe)) return dossier;
        }
    }
    if (const auto run = run_wine(prefixe)) return dossier_de(programme_windows(*run, prefixe), prefixe);
    return std::nullopt;
}

std::string cle_chemin_edition_98() {
    return "\\software\\microsoft\\windows\\currentVersion\\App Paths\\Lumicompteur.exe";
}

FichiersTrouves recherche_automatique(const EnvironnementImport& env, const Registre& registre) {
    const auto essayer = [](const fs::path& dossier) -> FichiersTrouves {
        auto fichiers = recherche_des_fichiers(dossier);
        if (fichiers.empty()) return {};
        return {dossier, std::move(fichiers)};
    };
    if (const auto dossier = dossier_commande_edition_98(env)) {
        if (auto t = recherche_dans_dossier(*dossier); t.source) return t;
    }
    const std::string chemin = registre.lire_valeur(cle_chemin_edition_98(), "Path");
    if (chemin.empty() || !est_dossier(chemin)) return {};
    if (auto t = essayer(chemin_utf8(chemin) / "Historique"); t.source) return t;
    return essayer(chemin_utf8(chemin));
}

std::string texte_question_remplacement(std::string_view nom) {
    return "Le fichier " + std::string(nom) + " existe déjà !\nVoulez-vous le remplacer ?";
}

ResultatCopie copie_des_fichiers(const fs::path& source, const std::vector<std::string>& fichiers,
                                 const fs::path& historique, const QuestionRemplacement& question) {
    ResultatCopie r;
    std::error_code ec;
    const auto meme = [&](const fs::path& a, const fs::path& b) {
        std::error_code e;
        if (fs::equivalent(a, b, e)) return true;
        return egal_sans_casse(fs::weakly_canonical(a, e).string(), fs::weakly_canonical(b, e).string());
    };
    if (meme(source, historique)) return r;
    if (const auto erreur = creer_dossiers_prives(historique)) {
        for (const auto& nom : fichiers) r.echecs.emplace_back(nom, raison_erreur_fichier(erreur.value()));
        return r;
    }
    bool tout = false;
    for (const auto& nom : fichiers) {
        const fs::path depuis = source / chemin_utf8(nom);
        // Le fichier arrive sous le nom que cette édition écrit ("f\xe9vrier98.fct" et
        // "fevrier98.fct" deviennent "février98.fct") : un mois n'a qu'un fichier dans l'historique.
        // Un mois déjà là sous une autre graphie est le même fichier pour la question.
        const auto mois = mois_du_fichier_historique(nom);
        const std::string nom_lisible = est_utf8_valide(nom) ? nom : cp1252_vers_utf8(nom);
        const fs::path vers = historique / chemin_utf8(mois ? mois->nom_utf8() : nom_lisible);
        // Les fichiers du mois déjà là, sous toute graphie : remplacés ensemble, ou gardés ensemble.
        std::vector<fs::path> deja_la;
        if (mois) {
            deja_la = InventaireHistorique(historique).fichiers(mois->mois, mois->annee);
        } else if (fs::exists(vers, ec)) {
            deja_la.push_back(vers);
        }
        if (!tout && !deja_la.empty()) {
            const Reponse reponse = question(texte_question_remplacement(nom_lisible));
            if (reponse == Reponse::tout) tout = true;
            if (reponse == Reponse::non) {
                r.laisses.push_back(nom);
                continue;
            }
        }
        if (meme(depuis, vers)) continue;
        try {
            errno = 0;
            copier_fichier_sur(depuis, vers);
            // Le mois remplacé ne doit pas compter deux fois : ses autres graphies s'en vont.
            for (const auto& ancien : deja_la) {
                std::error_code e;
                if (!fs::equivalent(ancien, vers, e)) fs::remove(ancien, e);
            }
            r.copies.push_back(nom);
        } catch (const ErreurFichier& e) {
            r.echecs.emplace_back(nom, e.what());
        }
    }
    return r;
}

}  // namespace lumi
