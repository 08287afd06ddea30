// lumicompteur-outil paques : la date du dimanche de Pâques d'une année.
#include <string>

#include "base/decimal.hpp"
#include "cli/commandes.hpp"
#include "cli/outils_tarif.hpp"
#include "tariff/calendrier.hpp"

namespace lumi::cli {

int commande_paques(std::span<const std::string> arguments, Flux flux) {
    OptionsCommande o;
    if (auto detail = analyser_options(arguments, {"--annee"}, {}, o); !detail.empty()) {
        return erreur_usage(flux, "paques", detail);
    }
    const auto texte = o.valeur("--annee");
    if (!texte) return erreur_usage(flux, "paques", "--annee est obligatoire.");
    const auto annee = lire_entier(*texte);
    if (!annee || *annee < premiere_annee || *annee > derniere_annee) {
        return erreur_usage(flux, "paques",
                            "--annee « " + *texte + " » n'est pas une année de " +
                                std::to_string(premiere_annee) + " à " + std::to_string(derniere_annee) +
                                ".");
    }
    flux.sortie << "paques=" << formater_date(paques(*annee, 0)) << '\n';
    return sortie_ok;
}

}  // namespace lumi::cli
