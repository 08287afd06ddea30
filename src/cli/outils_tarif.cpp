#include "cli/outils_tarif.hpp"

#include <algorithm>

#include "base/decimal.hpp"
#include "base/erreurs.hpp"
#include "base/fichiers.hpp"
#include "base/texte.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/registre_local.hpp"
#include "tariff/chargeur.hpp"

namespace lumi::cli {

std::string six_decimales(double valeur) {
    return formater_decimal(valeur, 6, '.');
}

namespace fs = std::filesystem;

std::optional<std::string> OptionsCommande::valeur(std::string_view nom) const {
    const auto it = valeurs.find(nom);
    if (it == valeurs.end()) return std::nullopt;
    return it->second;
}

std::string analyser_options(std::span<const std::string> arguments,
                             std::initializer_list<std::string_view> avec_valeur,
                             std::initializer_list<std::string_view> drapeaux, OptionsCommande& resultat) {
    const auto connue = [](std::initializer_list<std::string_view> liste, std::string_view nom) {
        return std::find(liste.begin(), liste.end(), nom) != liste.end();
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (!a.starts_with("--")) return "argument inattendu « " + a + " ».";
        const auto egal = a.find('=');
        const std::string nom = a.substr(0, egal);
        if (connue(drapeaux, nom) && egal == std::string::npos) {
            if (!resultat.drapeaux.insert(nom).second) return nom + " est donné deux fois.";
            continue;
        }
        if (!connue(avec_valeur, nom)) return "option inconnue « " + a + " ».";
        std::string valeur;
        if (egal != std::string::npos) {
            valeur = a.substr(egal + 1);
        } else {
            if (i + 1 >= arguments.size()) return nom + " attend une valeur.";
            valeur = arguments[++i];
        }
        if (!resultat.valeurs.emplace(nom, valeur).second) return nom + " est donné deux fois.";
    }
    return {};
}

std::optional<NumeroJour> lire_date_commande(std::string_view texte) {
    const auto jour = lire_date(rogner(texte));
    if (!jour) return std::nullopt;
    const int annee = static_cast<int>(date_du_jour(*jour).year());
    if (annee < premiere_annee || annee > derniere_annee) return std::nullopt;
    return jour;
}

std::optional<Moment> lire_moment_commande(std::string_view texte) {
    const auto t = rogner(texte);
    const auto blanc = t.find(' ');
    if (blanc == std::string_view::npos) return std::nullopt;
    const auto jour = lire_date_commande(t.substr(0, blanc));
    const auto seconde = lire_heure(rogner(t.substr(blanc + 1)));
    if (!jour || !seconde) return std::nullopt;
    return Moment{*jour, *seconde};
}

fs::path DossierTarifaire::fichier_tarifs() const {
    return dossier / lumi::fichier_tarifs;
}

DossierTarifaire ouvrir_dossier_tarifaire(const std::optional<std::string>& option_dossier) {
    DossierTarifaire d;
    const fs::path executable = dossier_executable_courant();
    if (option_dossier) {
        d.dossier = chemin_utf8(*option_dossier);  // dossier donné : rien n'y est écrit
    } else {
        d.dossier = choisir_dossier_donnees(std::nullopt, executable);
        amorcer_dossier_donnees(d.dossier, dossier_donnees_par_defaut(executable));
    }
    // Ces commandes ne font que lire : la base s'ouvre en lecture seule, qu'un disque plein
    // n'empêche pas, et une base absente se lit vide sans être créée.
    d.registre = std::make_unique<RegistreLocal>(d.dossier / RegistreLocal::nom_fichier,
                                                 RegistreLocal::Acces::lecture_seule);
    return d;
}

void verifier_section(const fs::path& fichier_tarifs, std::string_view libelle, std::string_view nom) {
    if (const auto defaut = defaut_fichier_tarifs(fichier_tarifs)) throw ErreurFichier(*defaut);
    if (!FichierIni(fichier_tarifs).section_existe(nom)) {
        throw ErreurConversion(std::string(libelle) + " « " + std::string(nom) + " » : aucune section [" +
                               std::string(nom) + "] dans le fichier « " + fichier_tarifs.string() + " ».");
    }
}

}  // namespace lumi::cli
