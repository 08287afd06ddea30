// lumicompteur-outil jour : la classe d'une date (1 dimanche .. 7 samedi, 8 férié) et, avec un
// tarif, la liste de plages qui s'y applique et l'indice de taux à une heure donnée.
#include <string>

#include "base/erreurs.hpp"
#include "cli/commandes.hpp"
#include "cli/outils_tarif.hpp"
#include "tariff/calendrier.hpp"
#include "tariff/moteur_tarifaire.hpp"

namespace lumi::cli {

namespace {

constexpr std::string_view details_usage =
    "  --date JJ/MM/AAAA  la date (années 1700 à 9999)\n"
    "  --alsace           jours fériés d'Alsace-Moselle\n"
    "  --tarif NOM        avec --heure : écrit aussi liste= (0 à 3) et bande= (indice de taux)\n"
    "  Écrit jour= : 1 dimanche, 2 lundi .. 7 samedi, 8 jour férié.\n";

int usage(Flux flux, std::string_view detail) {
    const int code = erreur_usage(flux, "jour", detail);
    flux.erreur << details_usage;
    return code;
}

}  // namespace

int commande_jour(std::span<const std::string> arguments, Flux flux) {
    OptionsCommande o;
    if (auto detail =
            analyser_options(arguments, {"--date", "--dossier", "--tarif", "--heure"}, {"--alsace"}, o);
        !detail.empty()) {
        return usage(flux, detail);
    }
    const auto texte_date = o.valeur("--date");
    if (!texte_date) return usage(flux, "--date est obligatoire.");
    const auto date = lire_date_commande(*texte_date);
    if (!date) return usage(flux, "--date « " + *texte_date + " » n'est pas une date JJ/MM/AAAA.");
    const auto tarif = o.valeur("--tarif");
    const auto texte_heure = o.valeur("--heure");
    if (tarif.has_value() != texte_heure.has_value()) return usage(flux, "--tarif et --heure vont ensemble.");
    if (o.valeur("--dossier") && !tarif) return usage(flux, "--dossier ne sert qu'avec --tarif et --heure.");
    if (tarif && tarif->empty()) return usage(flux, "--tarif attend le nom d'un tarif.");
    std::optional<std::int32_t> heure;
    if (texte_heure) {
        heure = lire_heure(*texte_heure);
        if (!heure) return usage(flux, "--heure « " + *texte_heure + " » n'est pas une heure HH:MM:SS.");
    }

    const bool alsace = o.drapeau("--alsace");
    const int jour = get_day_of_week_jours_feries(*date, alsace);
    if (!tarif) {
        flux.sortie << "jour=" << jour << '\n';
        return sortie_ok;
    }
    try {
        const auto donnees = ouvrir_dossier_tarifaire(o.valeur("--dossier"));
        verifier_section(donnees.fichier_tarifs(), "Tarif inconnu", *tarif);
        MoteurTarifaire moteur(donnees.fichier_tarifs(), *donnees.registre);
        moteur.definir_alsace(alsace);
        // Le fichier lu comme le programme le lit : un fichier qu'il refuse ne donne aucune bande.
        moteur.lecture_taux_tva_et_valeurs_taux();
        moteur.lecture_parametres_tarification_en_cours_2000(*tarif, "");
        const int liste = moteur.get_nb_plage_horaire_par_rapport_au_jour_passe(jour);
        const int bande = moteur.bande_courante(liste, *heure);
        flux.sortie << "jour=" << jour << '\n' << "liste=" << liste << '\n' << "bande=" << bande << '\n';
        return sortie_ok;
    } catch (const ErreurConversion& e) {
        flux.erreur << "Erreur : " << e.what() << '\n';
    } catch (const ErreurFichier& e) {
        flux.erreur << "Erreur : " << e.what() << '\n';
    }
    return sortie_erreur;
}

}  // namespace lumi::cli
