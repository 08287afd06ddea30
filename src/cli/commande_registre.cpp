// lumicompteur-outil registre : lire, écrire, effacer et lister le magasin de réglages du dossier
// de données, avec les mêmes chemins que le programme (sous la racine des réglages).
#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/erreurs.hpp"
#include "base/fichiers.hpp"
#include "base/texte.hpp"
#include "cli/commandes.hpp"
#include "settings/cles.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/registre_local.hpp"

namespace lumi::cli {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view details_usage =
    "  CLE : chemin sous la racine des réglages, par exemple \"\\providers\\MonFAI\" ; \"\" désigne la "
    "racine.\n"
    "  lire CLE NOM           écrit NOM=VALEUR (valeur vide si elle manque)\n"
    "  ecrire CLE NOM VALEUR  écrit la valeur sur le disque avant de rendre la main\n"
    "  effacer CLE NOM        efface la valeur\n"
    "  effacer CLE            efface la clé et tout ce qui est dessous\n"
    "  lister CLE             une ligne cle=NOM par sous-clé, puis une ligne NOM=VALEUR par valeur\n"
    "  --dossier DIR          dossier de données (sinon le dossier du programme ou celui de l'utilisateur)\n"
    "  --                     la suite n'est faite que d'arguments (pour un nom commençant par --)\n";

int usage(Flux flux, std::string_view detail) {
    const int code = erreur_usage(flux, "registre", detail);
    flux.erreur << details_usage;
    return code;
}

struct Arguments {
    std::string action;
    std::optional<fs::path> dossier;
    std::vector<std::string> positionnels;
};

// Rend le détail de l'erreur d'usage, vide si les arguments conviennent.
std::string analyser(std::span<const std::string> arguments, Arguments& resultat) {
    if (arguments.empty()) return "action manquante (lire, ecrire, effacer ou lister).";
    resultat.action = arguments.front();
    bool options_finies = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (!options_finies && a == "--") {
            options_finies = true;
        } else if (!options_finies && (a == "--dossier" || a.starts_with("--dossier="))) {
            if (resultat.dossier) return "--dossier est donné deux fois.";
            std::string dossier;
            if (a == "--dossier") {
                if (i + 1 >= arguments.size()) return "--dossier attend le chemin d'un dossier.";
                dossier = arguments[++i];
            } else {
                dossier = a.substr(std::string_view("--dossier=").size());
            }
            if (dossier.empty()) return "--dossier attend le chemin d'un dossier.";
            resultat.dossier = chemin_utf8(dossier);
        } else if (!options_finies && a.starts_with("--")) {
            return "option inconnue « " + a + " ».";
        } else {
            resultat.positionnels.push_back(a);
        }
    }

    struct Forme {
        std::string_view action;
        std::size_t minimum, maximum;
        std::string_view attendu;
    };
    constexpr Forme formes[] = {
        {"lire", 2, 2, "lire attend CLE et NOM."},
        {"ecrire", 3, 3, "ecrire attend CLE, NOM et VALEUR."},
        {"effacer", 1, 2, "effacer attend CLE, et NOM pour n'effacer qu'une valeur."},
        {"lister", 1, 1, "lister attend CLE seule."},
    };
    const auto forme = std::find_if(std::begin(formes), std::end(formes),
                                    [&](const Forme& f) { return f.action == resultat.action; });
    if (forme == std::end(formes)) return "action inconnue « " + resultat.action + " ».";
    const auto n = resultat.positionnels.size();
    if (n < forme->minimum || n > forme->maximum) return std::string(forme->attendu);
    return {};
}

bool contient_sans_casse(const std::vector<std::string>& noms, std::string_view nom) {
    return std::any_of(noms.begin(), noms.end(),
                       [&](const std::string& n) { return egal_sans_casse(n, nom); });
}

int executer_action(const Arguments& a, Registre& registre, Flux flux) {
    // CLE est relative à la racine des réglages ; les segments vides sont ignorés.
    const std::string cle = std::string(cles::racine) + "\\" + a.positionnels[0];
    const std::string& cle_montree = a.positionnels[0];

    if (a.action == "lire") {
        const std::string& nom = a.positionnels[1];
        flux.sortie << nom << '=' << registre.lire_valeur(cle, nom) << '\n';
        return sortie_ok;
    }
    if (a.action == "ecrire") {
        const std::string& nom = a.positionnels[1];
        if (!registre.ecrire_valeur_et_vider(cle, nom, a.positionnels[2])) {
            flux.erreur << "Erreur : impossible d'écrire la valeur « " << nom << " » sous « " << cle_montree
                        << " ».\n";
            return sortie_erreur;
        }
        return sortie_ok;
    }
    if (a.action == "effacer") {
        if (a.positionnels.size() == 2) {
            const std::string& nom = a.positionnels[1];
            registre.effacer_valeur(cle, nom);
            if (contient_sans_casse(registre.lister_valeurs(cle), nom)) {
                flux.erreur << "Erreur : impossible d'effacer la valeur « " << nom << " » sous « "
                            << cle_montree << " ».\n";
                return sortie_erreur;
            }
            return sortie_ok;
        }
        registre.effacer_arborescence(cle);
        // La racine demeure, vidée ; toute autre clé doit avoir disparu.
        const bool reste =
            decouper_chemin(a.positionnels[0]).empty()
                ? !registre.lister_sous_cles(cle).empty() || !registre.lister_valeurs(cle).empty()
                : registre.cle_existe(cle);
        if (reste) {
            flux.erreur << "Erreur : impossible d'effacer la clé « " << cle_montree << " ».\n";
            return sortie_erreur;
        }
        return sortie_ok;
    }
    // lister
    for (const auto& sous_cle : registre.lister_sous_cles(cle)) flux.sortie << "cle=" << sous_cle << '\n';
    for (const auto& nom : registre.lister_valeurs(cle)) {
        flux.sortie << nom << '=' << registre.lire_valeur(cle, nom) << '\n';
    }
    return sortie_ok;
}

}  // namespace

int commande_registre(std::span<const std::string> arguments, Flux flux) {
    Arguments a;
    if (const auto detail = analyser(arguments, a); !detail.empty()) return usage(flux, detail);
    try {
        const fs::path executable = dossier_executable_courant();
        const fs::path dossier = choisir_dossier_donnees(a.dossier, executable);
        amorcer_dossier_donnees(dossier, dossier_donnees_par_defaut(executable));
        const bool lecture = a.action == "lire" || a.action == "lister";
        RegistreLocal registre(
            dossier / RegistreLocal::nom_fichier,
            lecture ? RegistreLocal::Acces::lecture_seule : RegistreLocal::Acces::lecture_ecriture);
        if (registre.avertissement()) flux.erreur << "Avertissement : " << *registre.avertissement() << '\n';
        // La cause d'une écriture refusée (disque plein...) précède l'erreur de la commande.
        registre.definir_signalement(
            [&](const std::string& message) { flux.erreur << "Erreur : " << message << '\n'; });
        return executer_action(a, registre, flux);
    } catch (const ErreurFichier& e) {
        flux.erreur << "Erreur : " << e.what() << '\n';
        return sortie_erreur;
    }
}

}  // namespace lumi::cli
