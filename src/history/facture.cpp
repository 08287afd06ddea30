#include "history/facture.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "base/decimal.hpp"
#include "base/erreurs.hpp"
#include "base/texte.hpp"
#include "history/ligne_historique.hpp"
#include "settings/cles.hpp"
#include "settings/parametres.hpp"

namespace lumi {

namespace {

constexpr std::int64_t borne_temps = std::numeric_limits<std::int32_t>::max();

std::string origine_registre(const ParametreRegistre& p) {
    return "valeur « " + std::string(p.nom) + " » de la clé « " + cles::section(p.section) + " » du registre";
}

}  // namespace

FactureEnCours::FactureEnCours(Registre& registre, char separateur_decimal)
    : registre_(registre), separateur_decimal_(separateur_decimal) {}

void FactureEnCours::lire() {
    std::optional<std::string> erreur;
    const auto texte_cout = registre_.lire_valeur(cles::section(cles::options), parametres::cout_total.nom);
    cout_total_ = 0;
    if (!rogner(texte_cout).empty()) {
        const auto v = lire_decimal(texte_cout);
        if (v && std::isfinite(*v)) {
            cout_total_ = static_cast<float>(*v);
        } else {
            erreur = "La valeur « " + texte_cout +
                     " » n'est pas un nombre : " + origine_registre(parametres::cout_total) + ".";
        }
    }
    const auto texte_temps = registre_.lire_valeur(cles::section(cles::options), parametres::total_time.nom);
    total_time_ = 0;
    if (!rogner(texte_temps).empty()) {
        if (const auto v = lire_entier(texte_temps)) {
            total_time_ = *v;
        } else if (!erreur) {
            erreur = "La valeur « " + texte_temps +
                     " » n'est pas un nombre entier : " + origine_registre(parametres::total_time) + ".";
        }
    }
    if (erreur) throw ErreurConversion(*erreur);
}

void FactureEnCours::lecture_total_facure_en_cours(LignesEtat& lignes_etat) {
    lignes_etat[ligne_etat::titre_facture] = texte_total_facture_en_cours;
    lire();
}

FactureEnCours::Totaux FactureEnCours::totaux_avec(std::int32_t secondes, double cout) {
    try {
        lire();
    } catch (const ErreurConversion&) {
        // La valeur illisible, déjà signalée à la lecture du démarrage, repart de 0.
    }
    const std::int64_t temps = std::int64_t{total_time_} + secondes;
    return {static_cast<float>(static_cast<double>(cout_total_) + cout),
            static_cast<std::int32_t>(std::min<std::int64_t>(temps, borne_temps))};
}

std::vector<OperationRegistre> FactureEnCours::operations(const Totaux& totaux, char separateur_decimal) {
    const std::string options = cles::section(cles::options);
    return {{options, std::string(parametres::cout_total.nom),
             formater_montant_historique(totaux.cout_total, separateur_decimal)},
            {options, std::string(parametres::total_time.nom), std::to_string(totaux.total_time)}};
}

bool FactureEnCours::remplacer(const Totaux& totaux) {
    if (!registre_.appliquer_et_vider(operations(totaux, separateur_decimal_))) return false;
    prendre(totaux);
    return true;
}

bool FactureEnCours::ajouter_connexion(std::int32_t secondes, double cout) {
    const auto totaux = totaux_avec(secondes, cout);
    if (!registre_.appliquer_et_vider(operations(totaux, separateur_decimal_))) return false;
    prendre(totaux);
    return true;
}

void FactureEnCours::remettre_a_zero() {
    cout_total_ = 0;
    total_time_ = 0;
    lumi::ecrire(registre_, parametres::cout_total, "0");
    lumi::ecrire(registre_, parametres::total_time, "0");
}

std::string FactureEnCours::texte_ligne_etat_3(std::int32_t secondes_en_cours, double montant_en_cours,
                                               const ReglagesMonnaie& monnaie) const {
    const std::int64_t secondes = std::int64_t{total_time_} + secondes_en_cours;
    const auto borne = static_cast<std::int32_t>(std::min<std::int64_t>(secondes, borne_temps));
    const double montant = static_cast<double>(cout_total_) + montant_en_cours;
    return format_hms(borne) + " - " + formater_montant(texte_montant(montant), monnaie.ttc, 0, monnaie) +
           texte_devise(monnaie);
}

bool remise_a_jour_periodes_facturation(FichierIni& reglages, FactureEnCours& facture, NumeroJour aujourdhui,
                                        QuestionsFacturation& questions,
                                        const std::function<void()>& actualiser) {
    const auto section = parametres::section_parametres_historique;
    const std::string texte = reglages.lire(section, cle_date_fin_derniere_facture);
    NumeroJour debut = aujourdhui;
    if (!rogner(texte).empty()) {
        const auto lu = lire_date(texte);
        if (!lu) {
            throw ErreurConversion("La date « " + texte + " » n'est pas une date jj/mm/aaaa : clé « " +
                                   std::string(cle_date_fin_derniere_facture) + " » de la section « " +
                                   std::string(section) + " » du fichier « " + reglages.chemin().string() +
                                   " ».");
        }
        debut = *lu;
    }
    if (aujourdhui < debut + jours_periode_facturation) return false;

    const auto message = [&](int n) { return message_utilisateur(reglages, n); };
    const std::string question = message(119) + " " + date_longue_avec_jour(aujourdhui) + "..." + "\r" +
                                 message(123) + "\r" + message(124) + "\r" + message(122);
    if (!questions.question_oui_non(question)) return false;

    // La date d'abord : si elle ne peut s'écrire, la facture reste telle quelle.
    reglages.ecrire(section, cle_date_fin_derniere_facture, formater_date(aujourdhui));
    facture.remettre_a_zero();
    if (actualiser) actualiser();
    questions.information(message(125) + "\r" + message(126) + "\r" + message(120) + "\r" + message(121));
    return true;
}

}  // namespace lumi
