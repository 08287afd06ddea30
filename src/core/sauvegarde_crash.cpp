#include "core/sauvegarde_crash.hpp"

#include <algorithm>
#include <cstdint>

#include "base/decimal.hpp"
#include "base/erreurs.hpp"
#include "base/texte.hpp"
#include "history/ligne_historique.hpp"
#include "settings/cles.hpp"
#include "settings/parametres.hpp"

namespace lumi {

namespace {

const std::string& cle_options() {
    static const std::string cle = cles::section(cles::options);
    return cle;
}

// "avant&après" coupé au premier "&" ; rien sans "&".
std::optional<std::pair<std::string, std::string>> couper_esperluette(const std::string& texte) {
    const auto p = texte.find('&');
    if (p == std::string::npos) return std::nullopt;
    return std::pair{texte.substr(0, p), texte.substr(p + 1)};
}

// "HHhMM" (champ 4) -> seconde du jour ; 0 s'il ne se lit pas.
std::int32_t seconde_du_champ_heure(const std::string& texte) {
    if (texte.size() != 5 || (texte[2] != 'H' && texte[2] != 'h')) return 0;
    const auto h = lire_entier(texte.substr(0, 2));
    const auto m = lire_entier(texte.substr(3, 2));
    if (!h || !m || *h < 0 || *h > 23 || *m < 0 || *m > 59) return 0;
    return seconde_du_jour(*h, *m, 0);
}

}  // namespace

SauvegardeCrash::SauvegardeCrash(Registre& registre, char separateur_decimal)
    : registre_(registre), separateur_decimal_(separateur_decimal) {}

std::vector<OperationRegistre> SauvegardeCrash::operations_instantane(
    const InstantaneConnexion& instantane) const {
    std::vector<OperationRegistre> operations;
    operations.push_back({cle_options(), std::string(parametres::sauv_total_facture.nom),
                          formater_montant_historique(instantane.montant_facture, separateur_decimal_) + "&" +
                              std::to_string(instantane.secondes_facture)});
    if (instantane.forfait && !instantane.forfait_en_cours.empty()) {
        operations.push_back(
            {cle_options(), std::string(parametres::sauv_forfait.nom),
             std::to_string(instantane.temps_restant_forfait) + "&" + instantane.forfait_en_cours});
    }
    operations.push_back({cle_options(), std::string(parametres::sauv_crash.nom), instantane.ligne});
    return operations;
}

std::vector<OperationRegistre> SauvegardeCrash::operations_effacement() {
    return {{cle_options(), std::string(parametres::sauv_crash.nom), std::nullopt},
            {cle_options(), std::string(parametres::sauv_total_facture.nom), std::nullopt},
            {cle_options(), std::string(parametres::sauv_forfait.nom), std::nullopt}};
}

std::vector<OperationRegistre> SauvegardeCrash::operations_restauration() const {
    std::vector<OperationRegistre> operations;
    const auto total =
        couper_esperluette(registre_.lire_valeur(cle_options(), parametres::sauv_total_facture.nom));
    if (total && lire_decimal(total->first) && lire_entier(total->second)) {
        operations.push_back({cle_options(), std::string(parametres::cout_total.nom), total->first});
        operations.push_back({cle_options(), std::string(parametres::total_time.nom), total->second});
    }
    const auto forfait =
        couper_esperluette(registre_.lire_valeur(cle_options(), parametres::sauv_forfait.nom));
    if (forfait && !forfait->second.empty() && lire_entier(forfait->first)) {
        operations.push_back(
            {cles::section(cles::forfaits), parametres::nom_time(forfait->second), forfait->first});
    }
    return operations;
}

std::optional<OperationRegistre> SauvegardeCrash::operation_facture_augmentee(double cout,
                                                                              std::int32_t secondes) const {
    const auto total =
        couper_esperluette(registre_.lire_valeur(cle_options(), parametres::sauv_total_facture.nom));
    if (!total) return std::nullopt;
    const auto montant = lire_decimal(total->first);
    const auto temps = lire_entier(total->second);
    if (!montant || !temps) return std::nullopt;
    const std::int64_t somme = std::int64_t{*temps} + secondes;
    return OperationRegistre{cle_options(), std::string(parametres::sauv_total_facture.nom),
                             formater_montant_historique(*montant + cout, separateur_decimal_) + "&" +
                                 std::to_string(std::min<std::int64_t>(somme, INT32_MAX))};
}

std::string SauvegardeCrash::ligne_sauvegardee() const {
    return registre_.lire_valeur(cle_options(), parametres::sauv_crash.nom);
}

RepriseConnexion proposer_reprise_connexion(ContexteReprise c) {
    const std::string ligne = c.sauvegarde.ligne_sauvegardee();
    if (ligne.empty()) return RepriseConnexion::aucune;

    const std::string question = message_utilisateur(c.reglages, 40) + "\n" +
                                 message_utilisateur(c.reglages, 41) + "  " + "\n" +
                                 resume_connexion(ligne, c.monnaie);
    if (c.dialogue.boite(GenreBoite::avertissement, question, {Reponse::oui, Reponse::non}) != Reponse::oui) {
        if (c.effacer) c.effacer();
        return RepriseConnexion::refusee;
    }
    const auto champs = champs_ligne(ligne);
    const Moment debut{lire_date(champs[2]).value_or(c.aujourdhui), seconde_du_champ_heure(champs[3])};
    return c.enregistrer(ligne, debut) ? RepriseConnexion::enregistree : RepriseConnexion::echec_ecriture;
}

}  // namespace lumi
