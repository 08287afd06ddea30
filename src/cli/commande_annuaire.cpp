// lumicompteur-outil annuaire : l'annuaire et les connexions en cours tels que le programme les
// voit (NetworkManager s'il est sur le bus, les pairs de pppd), pour vérifier d'un script ce que
// le compteur comptera.
#include <filesystem>
#include <string>
#include <system_error>

#include "cli/commandes.hpp"
#include "cli/outils_tarif.hpp"
#include "platform/linux/acces_distant_linux.hpp"
#include "settings/dossier_donnees.hpp"

namespace fs = std::filesystem;

namespace lumi::cli {

namespace {

constexpr std::string_view details_usage =
    "  Écrit entree= et origine= pour chaque entrée de l'annuaire, dans son ordre, puis connexion=,\n"
    "  etat= et interface= pour chaque connexion en cours.\n";

std::string origine(SourceAcces source) {
    return source == SourceAcces::network_manager
               ? std::string("NetworkManager")
               : reglages_ppp_depuis_environnement().dossier_pairs.string();
}

}  // namespace

int commande_annuaire(std::span<const std::string> arguments, Flux flux) {
    OptionsCommande o;
    if (auto detail = analyser_options(arguments, {"--dossier"}, {}, o); !detail.empty()) {
        const int code = erreur_usage(flux, "annuaire", detail);
        flux.erreur << details_usage;
        return code;
    }
    try {
        // Le dossier n'est que lu (la liste des types comptés) : rien n'y est créé.
        const fs::path dossier = choisir_dossier_donnees(o.valeur("--dossier"), dossier_executable_courant());
        auto acces = AccesDistantLinux::du_systeme(dossier);
        std::error_code e;
        const fs::path pairs = reglages_ppp_depuis_environnement().dossier_pairs;
        if (!acces->avec_network_manager() && !fs::is_directory(pairs, e)) {
            flux.erreur
                << "Erreur : aucune source de connexions ne répond : NetworkManager n'est pas sur le bus "
                   "système et le dossier des pairs de pppd (« "
                << pairs.string() << " ») est absent.\n";
            return sortie_erreur;
        }
        for (const auto& entree : acces->entrees_vues()) {
            flux.sortie << "entree=" << entree.nom << '\n' << "origine=" << origine(entree.source) << '\n';
        }
        for (const auto& vue : acces->connexions_vues()) {
            flux.sortie << "connexion=" << vue.connexion.nom_entree << '\n'
                        << "etat=" << vue.connexion.etat << '\n'
                        << "interface=" << vue.interface << '\n';
        }
        return sortie_ok;
    } catch (const std::exception& e) {
        flux.erreur << "Erreur : " << e.what() << '\n';
        return sortie_erreur;
    }
}

}  // namespace lumi::cli
