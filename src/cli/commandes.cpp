#include "cli/commandes.hpp"

#include <algorithm>
#include <array>

namespace lumi::cli {

namespace {
constexpr std::array table{
    Commande{"registre", "registre lire|ecrire|effacer|lister [--dossier DIR] CLE [NOM [VALEUR]]",
             &commande_registre},
    Commande{"prix",
             "prix [--dossier DIR] --tarif NOM [--option REF] --debut \"JJ/MM/AAAA HH:MM:SS\" "
             "--fin \"JJ/MM/AAAA HH:MM:SS\" [--alsace]",
             &commande_prix},
    Commande{"jour", "jour --date JJ/MM/AAAA [--alsace] [--dossier DIR --tarif NOM --heure HH:MM:SS]",
             &commande_jour},
    Commande{"paques", "paques --annee AAAA", &commande_paques},
    Commande{"tarifs", "tarifs [--dossier DIR] [--fichier F]", &commande_tarifs},
    Commande{"simuler",
             "simuler [--dossier DIR] --entree NOM --debut \"JJ/MM/AAAA HH:MM:SS\" "
             "--fin \"JJ/MM/AAAA HH:MM:SS\" [--manuel] [--anticipation S] [--tuer-apres S] | "
             "simuler [--dossier DIR] --reprendre [--refuser] [--debut \"JJ/MM/AAAA HH:MM:SS\"]",
             &commande_simuler},
    Commande{"importer", "importer [--dossier DIR] [--depuis DOSSIER] [--remplacer]", &commande_importer},
    Commande{"historique",
             "historique [--dossier DIR] [--type 0..5] [--du JJ/MM/AAAA --au JJ/MM/AAAA] [--mois MM/AAAA] "
             "[--utilisateur NOM] [--tarification NOM] [--provider NOM] [--option CODE] [--ht] "
             "[--sans-reductions] [--lignes] [--format csv|json] [--facture] [--pdf FICHIER] [--graphique FICHIER.png] "
             "[--retarifer TARIF [--retarifer-option REF]]",
             &commande_historique},
#ifndef _WIN32
    Commande{"annuaire", "annuaire [--dossier DIR]", &commande_annuaire},
#endif
};
}  // namespace

namespace {
ExportPdf& exporteur_pdf() {
    static ExportPdf exporteur;
    return exporteur;
}
}  // namespace

bool commande_qui_dessine(std::span<const std::string> arguments) {
    if (arguments.empty() || arguments.front() != "historique") return false;
    return std::any_of(arguments.begin() + 1, arguments.end(), [](std::string_view a) {
        return a == "--pdf" || a == "--graphique" || a.starts_with("--pdf=") || a.starts_with("--graphique=");
    });
}

void definir_export_pdf(ExportPdf exporter) {
    exporteur_pdf() = std::move(exporter);
}

const ExportPdf& export_pdf() {
    return exporteur_pdf();
}

namespace {
ExportGraphique& exporteur_graphique() {
    static ExportGraphique exporteur;
    return exporteur;
}
}  // namespace

void definir_export_graphique(ExportGraphique exporter) {
    exporteur_graphique() = std::move(exporter);
}

const ExportGraphique& export_graphique() {
    return exporteur_graphique();
}

std::span<const Commande> commandes() {
    return table;
}

int erreur_usage(Flux flux, std::string_view commande, std::string_view detail) {
    if (!detail.empty()) flux.erreur << "Erreur : " << detail << "\n";
    flux.erreur << "Usage :\n";
    for (const auto& c : table) {
        if (commande.empty() || c.nom == commande) flux.erreur << "  lumicompteur-outil " << c.usage << "\n";
    }
    return sortie_usage;
}

int executer(std::span<const std::string> arguments, Flux flux) {
    if (arguments.empty()) return erreur_usage(flux, {}, "aucune commande indiquée.");
    for (const auto& c : table) {
        if (c.nom == arguments.front()) return c.executer(arguments.subspan(1), flux);
    }
    return erreur_usage(flux, {}, "commande inconnue « " + arguments.front() + " ».");
}

}  // namespace lumi::cli
