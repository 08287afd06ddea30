// lumicompteur-outil importer : la reprise de l'historique de l'édition précédente sans fenêtre,
// pour qui migre par un script. La même recherche et la même copie sûre que l'accueil.
#include <filesystem>
#include <string>

#include "base/erreurs.hpp"
#include "base/fichiers.hpp"
#include "base/texte.hpp"
#include "cli/commandes.hpp"
#include "cli/outils_tarif.hpp"
#include "core/accueil/import_historique.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/registre_local.hpp"

namespace fs = std::filesystem;

namespace lumi::cli {

namespace {

constexpr std::string_view details_usage =
    "  --depuis DOSSIER  dossier des fichiers à reprendre (sinon : la recherche automatique)\n"
    "  --remplacer       remplace les fichiers déjà dans l'historique (sinon ils restent)\n"
    "  Écrit source=, fichier= pour chaque fichier copié et echec= pour chaque fichier laissé.\n";

int usage(Flux flux, std::string_view detail) {
    const int code = erreur_usage(flux, "importer", detail);
    flux.erreur << details_usage;
    return code;
}

// Les noms en Windows-1252 de l'édition précédente s'écrivent en UTF-8.
std::string lisible(const std::string& nom) {
    return est_utf8_valide(nom) ? nom : cp1252_vers_utf8(nom);
}

}  // namespace

int commande_importer(std::span<const std::string> arguments, Flux flux) {
    OptionsCommande o;
    if (auto detail = analyser_options(arguments, {"--dossier", "--depuis"}, {"--remplacer"}, o);
        !detail.empty())
        return usage(flux, detail);
    try {
        const fs::path executable = dossier_executable_courant();
        const fs::path dossier =
            choisir_dossier_donnees(chemin_utf8_facultatif(o.valeur("--dossier")), executable);
        amorcer_dossier_donnees(dossier, dossier_donnees_par_defaut(executable));
        FichiersTrouves trouves;
        if (const auto depuis = o.valeur("--depuis")) {
            trouves = recherche_dans_dossier(chemin_utf8(*depuis));
        } else {
            RegistreLocal registre(dossier / RegistreLocal::nom_fichier, RegistreLocal::Acces::lecture_seule);
            trouves = recherche_automatique(EnvironnementImport::du_processus(), registre);
        }
        if (!trouves.source) {
            flux.erreur << "Erreur : aucun fichier d'historique de Lumicompteur 98 n'a été trouvé"
                        << (o.valeur("--depuis") ? " dans « " + *o.valeur("--depuis") + " »."
                                                 : " ; indiquez son dossier avec --depuis.")
                        << '\n';
            return sortie_erreur;
        }
        const bool remplacer = o.drapeau("--remplacer");
        const auto r =
            copie_des_fichiers(*trouves.source, trouves.fichiers, dossier / dossier_historique,
                               [&](const std::string&) { return remplacer ? Reponse::tout : Reponse::non; });
        flux.sortie << "source=" << trouves.source->string() << '\n';
        for (const auto& nom : r.copies) flux.sortie << "fichier=" << lisible(nom) << '\n';
        for (const auto& nom : r.laisses)
            flux.sortie << "echec=" << lisible(nom)
                        << " : déjà dans l'historique (--remplacer pour le remplacer)\n";
        for (const auto& [nom, raison] : r.echecs)
            flux.sortie << "echec=" << lisible(nom) << " : " << raison << '\n';
        return r.echecs.empty() ? sortie_ok : sortie_erreur;
    } catch (const ErreurFichier& e) {
        flux.erreur << "Erreur : " << e.what() << '\n';
        return sortie_erreur;
    }
}

}  // namespace lumi::cli
