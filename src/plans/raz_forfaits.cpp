#include "plans/raz_forfaits.hpp"

#include <algorithm>
#include <chrono>
#include <optional>

#include "base/decimal.hpp"
#include "base/erreurs.hpp"
#include "base/texte.hpp"
#include "settings/cles.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/parametres.hpp"
#include "tariff/chargeur.hpp"

namespace lumi {

namespace {

using namespace std::chrono;

constexpr std::string_view prefixe_time = "time ";
constexpr std::string_view cle_fin_derniere_facture = "date fin derniere facture";
// Les sauts de ligne des boîtes de message.
constexpr std::string_view saut_de_ligne = "\r";

// Le jour `jour` du mois (annee, mois), ramené entre le 1er et le dernier jour du mois.
NumeroJour jour_du_mois(int annee, unsigned mois, int jour) {
    const year_month_day_last dernier{year{annee}, month_day_last{month{mois}}};
    const int jour_borne = std::clamp(jour, 1, static_cast<int>(static_cast<unsigned>(dernier.day())));
    return numero_jour(year_month_day{year{annee}, month{mois}, day{static_cast<unsigned>(jour_borne)}});
}

std::string texte_dans_jours(NumeroJour aujourdhui, NumeroJour date) {
    return "dans " + std::to_string(date - aujourdhui) + " jours, le " + date_longue(date);
}

}  // namespace

NumeroJour calcul_date_prochaine_reinitialisation_forfait(int type, int jour, NumeroJour date) {
    const auto ymd = date_du_jour(date);
    const int annee = static_cast<int>(ymd.year());
    const unsigned mois = static_cast<unsigned>(ymd.month());
    const bool pair = mois % 2 == 0;
    const NumeroJour ce_mois = jour_du_mois(annee, mois, jour);

    unsigned pas = 1;
    if (type == codes_raz::chaque_mois) {
        if (ce_mois > date) return ce_mois;
    } else if (type == codes_raz::mois_pairs) {
        if (pair && ce_mois > date) return ce_mois;
        pas = pair ? 2 : 1;
    } else if (type == codes_raz::mois_impairs) {
        if (!pair && ce_mois > date) return ce_mois;
        pas = pair ? 1 : 2;
    }
    if (mois + pas > 12) return jour_du_mois(annee + 1, type == codes_raz::mois_pairs ? 2 : 1, jour);
    return jour_du_mois(annee, mois + pas, jour);
}

std::string texte_mode_raz(int code, std::string_view jour, std::string_view jours) {
    const auto texte_jour = [&]() {
        return lire_entier(jour) == 1 ? std::string("1er") : std::string(rogner(jour));
    };
    switch (code) {
        case codes_raz::avec_facture:
            return "Fin facture en cours";
        case codes_raz::chaque_mois:
            return "Le " + texte_jour() + " du mois";
        case codes_raz::mois_pairs:
            return "Le " + texte_jour() + ", mois pairs";
        case codes_raz::mois_impairs:
            return "Le " + texte_jour() + ", mois impairs";
        case codes_raz::manuelle:
            return "Manuelle";
        case codes_raz::tous_les_n_jours:
            return "Tous les " + std::string(rogner(jours)) + " jours";
        default:
            return {};
    }
}

ReinitialisationForfaits::ReinitialisationForfaits(Registre& registre, SelecteurTarifaire& selecteur,
                                                   const Horloge& horloge,
                                                   std::filesystem::path fichier_reglages)
    : registre_(registre),
      selecteur_(selecteur),
      horloge_(horloge),
      fichier_reglages_(std::move(fichier_reglages)) {}

RapportReinitialisation ReinitialisationForfaits::reinitialisation_auto_des_forfaits(int mode) {
    const NumeroJour aujourdhui = horloge_.aujourdhui();
    const auto cle_forfaits = cles::section(cles::forfaits);
    const auto cle_raz = cles::section(cles::forfaits_raz);
    const FichierIni tarifs(selecteur_.moteur().fichier_tarifs());

    // Première passe : tout lire et tout vérifier, pour qu'une valeur illisible ne laisse pas une
    // remise à zéro faite à moitié (ni un forfait remis à zéro sans compte rendu).
    struct Examen {
        std::string nom_valeur;
        std::string reference;
        int raz = 0;
        int raz_le = 0;
        std::optional<NumeroJour> date_rangee;
    };
    std::vector<Examen> examens;
    for (const auto& nom : registre_.lister_valeurs(cle_forfaits)) {
        if (nom.size() <= prefixe_time.size() ||
            !egal_sans_casse(nom.substr(0, prefixe_time.size()), prefixe_time)) {
            continue;
        }
        Examen examen;
        examen.nom_valeur = nom;
        examen.reference = nom.substr(prefixe_time.size());
        examen.raz = lire_entier_tarifs(tarifs, examen.reference, "raz", "5");
        examen.raz_le = lire_entier_tarifs(tarifs, examen.reference, "raz_le", "1");
        if (mode != 0 && examen.raz >= codes_raz::chaque_mois && examen.raz <= codes_raz::mois_impairs) {
            const auto texte = registre_.lire_valeur(cle_raz, examen.reference);
            if (!texte.empty()) {
                examen.date_rangee = lire_date(texte);
                if (!examen.date_rangee) {
                    throw ErreurConversion(
                        "La date « " + texte + " » n'est pas une date valide (jj/mm/aaaa) : valeur « " +
                        examen.reference + " » de la clé « " + cle_raz + " » du registre.");
                }
            }
        }
        examens.push_back(std::move(examen));
    }

    RapportReinitialisation rapport;
    for (const auto& examen : examens) {
        if (mode == 0) {
            if (examen.raz == codes_raz::avec_facture)
                registre_.effacer_valeur(cle_forfaits, examen.nom_valeur);
            continue;
        }
        if (examen.raz < codes_raz::chaque_mois || examen.raz > codes_raz::mois_impairs) continue;
        if (examen.date_rangee) {
            if (aujourdhui >= *examen.date_rangee) {
                registre_.effacer_valeur(cle_forfaits, examen.nom_valeur);
                registre_.effacer_valeur(cle_raz, examen.reference);
                rapport.forfaits.push_back(examen.reference);
            }
        } else {
            const auto prochaine =
                calcul_date_prochaine_reinitialisation_forfait(examen.raz, examen.raz_le, aujourdhui);
            registre_.ecrire_valeur(cle_raz, examen.reference, formater_date(prochaine));
        }
    }

    if (!rapport.forfaits.empty()) {
        const FichierIni reglages(fichier_reglages_);
        rapport.texte = message_utilisateur(reglages, 119) + " " + date_longue(aujourdhui) + "." +
                        std::string(saut_de_ligne) +
                        message_utilisateur(reglages, rapport.forfaits.size() == 1 ? 129 : 130);
        for (const auto& reference : rapport.forfaits) {
            rapport.texte += std::string(saut_de_ligne) + "- " + tarifs.lire(reference, "designation");
        }
        rapport.a_montrer = mode != 0;
        selecteur_.recharger();
    }
    return rapport;
}

NumeroJour ReinitialisationForfaits::fin_periode_facturation() const {
    const FichierIni reglages(fichier_reglages_);
    const auto texte = reglages.lire(parametres::section_parametres_historique, cle_fin_derniere_facture);
    NumeroJour debut = horloge_.aujourdhui();
    if (!texte.empty()) {
        const auto date = lire_date(texte);
        if (!date) {
            throw ErreurConversion("La date « " + texte +
                                   " » n'est pas une date valide (jj/mm/aaaa) : clé « " +
                                   std::string(cle_fin_derniere_facture) + " » de la section [" +
                                   std::string(parametres::section_parametres_historique) +
                                   "] du fichier « " + fichier_reglages_.string() + " ».");
        }
        debut = *date;
    }
    return debut + jours_periode_facturation;
}

std::string ReinitialisationForfaits::get_texte_raz_forfait() const {
    const auto& option = selecteur_.moteur().reduction();
    const NumeroJour aujourdhui = horloge_.aujourdhui();
    switch (option.raz) {
        case codes_raz::avec_facture:
            return texte_dans_jours(aujourdhui, fin_periode_facturation());
        case codes_raz::chaque_mois:
        case codes_raz::mois_pairs:
        case codes_raz::mois_impairs:
            return texte_dans_jours(aujourdhui, calcul_date_prochaine_reinitialisation_forfait(
                                                    option.raz, option.raz_le, aujourdhui));
        case codes_raz::manuelle:
            return "Réinitialisation manuelle";
        default:
            return {};
    }
}

}  // namespace lumi
