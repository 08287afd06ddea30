// lumicompteur-outil prix : ce que coûte une connexion d'un instant à un autre, comme le compteur
// l'affiche à son dernier top.
#include <optional>
#include <string>

#include "base/decimal.hpp"
#include "base/erreurs.hpp"
#include "base/locale.hpp"
#include "cli/commandes.hpp"
#include "cli/outils_tarif.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/fichier_ini.hpp"
#include "tariff/monnaie.hpp"
#include "tariff/moteur_tarifaire.hpp"
#include "tariff/plages.hpp"
#include "tariff/rejeu_appel.hpp"

namespace lumi::cli {

namespace {

constexpr std::string_view details_usage =
    "  --tarif NOM      tarif du fichier tarifs.ini du dossier de données\n"
    "  --option REF     option (réduction ou forfait) à appliquer\n"
    "  --debut, --fin   instants de la connexion, \"JJ/MM/AAAA HH:MM:SS\", la fin pas avant le début\n"
    "  --alsace         jours fériés d'Alsace-Moselle\n"
    "  Écrit prix_sans_reduction=, reduction=, montant= (francs HT) et affichage= (comme le compteur).\n";

int usage(Flux flux, std::string_view detail) {
    const int code = erreur_usage(flux, "prix", detail);
    flux.erreur << details_usage;
    return code;
}

}  // namespace

int commande_prix(std::span<const std::string> arguments, Flux flux) {
    OptionsCommande o;
    if (auto detail = analyser_options(arguments, {"--dossier", "--tarif", "--option", "--debut", "--fin"},
                                       {"--alsace"}, o);
        !detail.empty()) {
        return usage(flux, detail);
    }
    const auto tarif = o.valeur("--tarif");
    if (!tarif || tarif->empty()) return usage(flux, "--tarif est obligatoire.");
    if (!o.valeur("--debut") || !o.valeur("--fin")) return usage(flux, "--debut et --fin sont obligatoires.");
    const auto debut = lire_moment_commande(*o.valeur("--debut"));
    const auto fin = lire_moment_commande(*o.valeur("--fin"));
    if (!debut)
        return usage(flux,
                     "--debut « " + *o.valeur("--debut") + " » n'est pas un instant JJ/MM/AAAA HH:MM:SS.");
    if (!fin)
        return usage(flux, "--fin « " + *o.valeur("--fin") + " » n'est pas un instant JJ/MM/AAAA HH:MM:SS.");
    if (*fin < *debut) return usage(flux, "la fin est avant le début.");
    const std::string option = o.valeur("--option").value_or("");

    try {
        const auto donnees = ouvrir_dossier_tarifaire(o.valeur("--dossier"));
        verifier_section(donnees.fichier_tarifs(), "Tarif inconnu", *tarif);
        if (!option.empty()) verifier_section(donnees.fichier_tarifs(), "Option inconnue", option);

        MoteurTarifaire moteur(donnees.fichier_tarifs(), *donnees.registre);
        moteur.definir_alsace(o.drapeau("--alsace"));
        moteur.lecture_taux_tva_et_valeurs_taux();
        moteur.lecture_parametres_tarification_en_cours_2000(*tarif, option);
        const auto r = rejouer_appel(moteur, *debut, *fin);
        const double montant = static_cast<double>(r.prix_communication) - r.montant_reduction;

        const FichierIni reglages(donnees.dossier / fichier_reglages);
        ReglagesMonnaie monnaie;
        monnaie.taux_tva = moteur.taux_tva();
        monnaie.nb_decimales = lire_nb_decimales(reglages);
        monnaie.ttc = lire_affichage_ttc(reglages);
        monnaie.locale = lire_valeurs_locales_systeme();

        flux.sortie << "prix_sans_reduction=" << six_decimales(r.prix_communication) << '\n'
                    << "reduction=" << six_decimales(r.montant_reduction) << '\n'
                    << "montant=" << six_decimales(montant) << '\n'
                    << "affichage=" << formater_montant(texte_montant(montant), monnaie.ttc, 0, monnaie)
                    << texte_devise(monnaie) << '\n';
        return sortie_ok;
    } catch (const ErreurConversion& e) {
        flux.erreur << "Erreur : " << e.what() << '\n';
    } catch (const ErreurPlagesHoraires& e) {
        flux.erreur << "Erreur : " << e.what() << '\n';
    } catch (const ErreurFichier& e) {
        flux.erreur << "Erreur : " << e.what() << '\n';
    }
    return sortie_erreur;
}

}  // namespace lumi::cli
