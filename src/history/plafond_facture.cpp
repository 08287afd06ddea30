#include "history/plafond_facture.hpp"

#include <cmath>
#include <exception>

#include "base/decimal.hpp"
#include "history/facture.hpp"
#include "settings/cles.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/parametres.hpp"

namespace lumi {

namespace {

// Au-delà, un montant saisi n'est plus une facture mais une faute de frappe.
constexpr double montant_max = 9'999'999;

std::string sans_blancs(std::string_view texte) {
    const auto debut = texte.find_first_not_of(" \t");
    if (debut == std::string_view::npos) return {};
    const auto fin = texte.find_last_not_of(" \t");
    return std::string(texte.substr(debut, fin - debut + 1));
}

bool que_des_chiffres(std::string_view texte) {
    return !texte.empty() && texte.find_first_not_of("0123456789") == std::string_view::npos;
}

// Un montant : des chiffres, au plus un séparateur décimal ("," ou "."), strictement positif.
std::optional<double> lire_montant(std::string_view texte) {
    const auto sep = texte.find_first_of(",.");
    const auto entiers = texte.substr(0, sep);
    const auto decimales = sep == std::string_view::npos ? std::string_view{} : texte.substr(sep + 1);
    if (entiers.empty() && decimales.empty()) return std::nullopt;
    if (!entiers.empty() && !que_des_chiffres(entiers)) return std::nullopt;
    if (sep != std::string_view::npos && !que_des_chiffres(decimales)) return std::nullopt;
    const auto lu = lire_decimal(texte);
    if (!lu || !std::isfinite(*lu) || *lu <= 0 || *lu > montant_max) return std::nullopt;
    return lu;
}

std::optional<int> lire_alerte(std::string_view texte) {
    if (!que_des_chiffres(texte) || texte.size() > 3) return std::nullopt;
    const auto lu = lire_entier(texte);
    if (!lu || *lu < plafond::alerte_min || *lu > plafond::alerte_max) return std::nullopt;
    return lu;
}

std::optional<ActionPlafond> lire_action(std::string_view texte) {
    if (texte.empty() || texte == plafond::avertir) return ActionPlafond::avertir;
    if (texte == plafond::raccrocher) return ActionPlafond::raccrocher;
    return std::nullopt;
}

std::string texte_alerte_invalide(std::string_view texte) {
    return "Le pourcentage d'alerte du plafond « " + std::string(texte) +
           " » n'est pas un nombre entier de " + std::to_string(plafond::alerte_min) + " à " +
           std::to_string(plafond::alerte_max) + ".";
}

std::string texte_montant_invalide(std::string_view texte) {
    return "Le plafond de la facture « " + std::string(texte) +
           " » n'est pas un montant positif (par exemple 150 ou 150,50).";
}

void ajouter(std::string* erreur, const std::string& texte) {
    if (erreur == nullptr) return;
    if (!erreur->empty()) *erreur += "\r";
    *erreur += texte;
}

}  // namespace

VerificationPlafond verifier_saisie_plafond(const SaisiePlafond& saisie) {
    ReglagesPlafond reglages;
    const std::string montant = sans_blancs(saisie.montant);
    if (!montant.empty()) {
        reglages.montant = lire_montant(montant);
        if (!reglages.montant) return {std::nullopt, texte_montant_invalide(montant)};
    }
    const std::string alerte = sans_blancs(saisie.alerte);
    if (!alerte.empty()) {
        const auto lu = lire_alerte(alerte);
        if (!lu) return {std::nullopt, texte_alerte_invalide(alerte)};
        reglages.alerte = *lu;
    }
    const auto action = lire_action(sans_blancs(saisie.action));
    if (!action) {
        return {std::nullopt,
                "L'action du plafond « " + saisie.action + " » n'est ni « avertir » ni « raccrocher »."};
    }
    reglages.action = *action;
    return {reglages, {}};
}

SaisiePlafond saisie_rangee(const Registre& registre) {
    const std::string section = cles::section(cles::options);
    return {registre.lire_valeur(section, plafond::valeur_montant),
            registre.lire_valeur(section, plafond::valeur_alerte),
            registre.lire_valeur(section, plafond::valeur_action)};
}

ReglagesPlafond lire_reglages_plafond(const Registre& registre, std::string* erreur) {
    const SaisiePlafond rangee = saisie_rangee(registre);
    ReglagesPlafond reglages;
    const std::string montant = sans_blancs(rangee.montant);
    if (!montant.empty()) {
        reglages.montant = lire_montant(montant);
        if (!reglages.montant)
            ajouter(erreur, texte_montant_invalide(montant) + " Pas de plafond surveillé.");
    }
    const std::string alerte = sans_blancs(rangee.alerte);
    if (!alerte.empty()) {
        if (const auto lu = lire_alerte(alerte)) {
            reglages.alerte = *lu;
        } else {
            ajouter(erreur, texte_alerte_invalide(alerte) + " L'alerte est donnée à " +
                                std::to_string(plafond::alerte_par_defaut) + " %.");
        }
    }
    if (const auto action = lire_action(sans_blancs(rangee.action))) {
        reglages.action = *action;
    } else {
        ajouter(erreur, "L'action du plafond « " + rangee.action +
                            " » n'est ni « avertir » ni « raccrocher » : le plafond avertit seulement.");
    }
    return reglages;
}

void ecrire_reglages_plafond(Registre& registre, const ReglagesPlafond& reglages, char separateur) {
    const std::string section = cles::section(cles::options);
    std::optional<std::string> montant;
    if (reglages.montant) {
        montant = texte_montant(*reglages.montant);
        for (char& c : *montant) {
            if (c == '.' || c == ',') c = separateur;
        }
    }
    registre.appliquer_et_vider(
        {{section, std::string(plafond::valeur_montant), montant},
         {section, std::string(plafond::valeur_alerte), std::to_string(reglages.alerte)},
         {section, std::string(plafond::valeur_action),
          std::string(reglages.action == ActionPlafond::raccrocher ? plafond::raccrocher
                                                                   : plafond::avertir)}});
}

double montant_affiche(double montant_ht, const ReglagesMonnaie& monnaie) {
    try {
        return lire_decimal(formater_montant(texte_montant(montant_ht), monnaie.ttc, 0, monnaie)).value_or(0);
    } catch (const std::exception&) {
        return 0;
    }
}

int part_du_plafond(double montant, double plafond_montant) {
    if (plafond_montant <= 0 || montant <= 0) return 0;
    // Une marge contre l'arrondi binaire : 120 sur 150 fait bien 80 %, pas 79.
    return static_cast<int>(std::floor(montant * 100.0 / plafond_montant + 1e-9));
}

std::string texte_plafond(double plafond_montant, const ReglagesMonnaie& monnaie) {
    std::string texte;
    try {
        texte = formater_montant(texte_montant(plafond_montant), false, 0, monnaie);
    } catch (const std::exception&) {
        texte = texte_montant(plafond_montant);
    }
    return texte + texte_devise(monnaie) + (monnaie.ttc ? " TTC" : " HT");
}

std::string ligne_plafond(const ReglagesPlafond& reglages, double montant, const ReglagesMonnaie& monnaie) {
    if (!reglages.montant) return {};
    return "Plafond : " + texte_plafond(*reglages.montant, monnaie) + ", atteint à " +
           std::to_string(part_du_plafond(montant, *reglages.montant)) + " %";
}

EvenementPlafond evaluer_plafond(const ReglagesPlafond& reglages, double montant, NumeroJour periode,
                                 EtatPlafond& etat) {
    if (!reglages.montant) return EvenementPlafond::aucun;
    const int part = part_du_plafond(montant, *reglages.montant);
    if (part >= 100) {
        etat.alerte_donnee = periode;
        if (etat.atteint_signale) return EvenementPlafond::aucun;
        etat.atteint_signale = true;
        return EvenementPlafond::atteint;
    }
    if (part >= reglages.alerte && etat.alerte_donnee != periode) {
        etat.alerte_donnee = periode;
        return EvenementPlafond::alerte;
    }
    return EvenementPlafond::aucun;
}

NumeroJour debut_periode_facture(const FichierIni& reglages, NumeroJour aujourdhui) {
    try {
        const auto lu = lire_date(
            reglages.lire(parametres::section_parametres_historique, cle_date_fin_derniere_facture));
        return lu.value_or(aujourdhui);
    } catch (const std::exception&) {
        return aujourdhui;
    }
}

std::string texte_avis_alerte(int part, const std::string& plafond_texte) {
    return "Attention, la facture en cours atteint " + std::to_string(part) + " % du plafond de " +
           plafond_texte + ".";
}

std::string texte_avis_atteint(const std::string& plafond_texte, ActionPlafond action) {
    std::string texte = "Le plafond de la facture (" + plafond_texte + ") est atteint.";
    if (action == ActionPlafond::raccrocher) texte += "\rLa connexion va être coupée.";
    return texte;
}

}  // namespace lumi
