#include "core/sauvegarde_crash.hpp"

#include <exception>

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

void SauvegardeCrash::enregistrer_parametres_de_sauvegarde(const InstantaneConnexion& instantane) noexcept {
    try {
        Registre::ValeursAEcrire valeurs;
        valeurs.emplace_back(parametres::sauv_total_facture.nom,
                             formater_montant_historique(instantane.montant_facture, separateur_decimal_) +
                                 "&" + std::to_string(instantane.secondes_facture));
        if (instantane.forfait && !instantane.forfait_en_cours.empty()) {
            valeurs.emplace_back(
                parametres::sauv_forfait.nom,
                std::to_string(instantane.temps_restant_forfait) + "&" + instantane.forfait_en_cours);
        }
        valeurs.emplace_back(parametres::sauv_crash.nom, instantane.ligne);
        registre_.ecrire_valeurs_et_vider(cle_options(), valeurs);
    } catch (const std::exception&) {
        // Le comptage continue ; l'instantané suivant réessaie.
    }
}

void SauvegardeCrash::restauration_sauv_forfait_total() {
    const auto total =
        couper_esperluette(registre_.lire_valeur(cle_options(), parametres::sauv_total_facture.nom));
    if (total && lire_decimal(total->first) && lire_entier(total->second)) {
        registre_.ecrire_valeur(cle_options(), parametres::cout_total.nom, total->first);
        registre_.ecrire_valeur(cle_options(), parametres::total_time.nom, total->second);
    }
    const auto forfait =
        couper_esperluette(registre_.lire_valeur(cle_options(), parametres::sauv_forfait.nom));
    if (forfait && !forfait->second.empty() && lire_entier(forfait->first)) {
        registre_.ecrire_valeur(cles::section(cles::forfaits), parametres::nom_time(forfait->second),
                                forfait->first);
    }
}

void SauvegardeCrash::effacer_cle_sauvegarde_crash() {
    registre_.effacer_valeur(cle_options(), parametres::sauv_crash.nom);
    registre_.effacer_valeur(cle_options(), parametres::sauv_total_facture.nom);
    registre_.effacer_valeur(cle_options(), parametres::sauv_forfait.nom);
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
        c.sauvegarde.effacer_cle_sauvegarde_crash();
        return RepriseConnexion::refusee;
    }

    c.sauvegarde.restauration_sauv_forfait_total();
    try {
        c.facture.lecture_total_facure_en_cours(c.lignes_etat);
    } catch (const ErreurConversion& e) {
        c.dialogue.avertissement(e.what());
    }
    if (c.rafraichir_prix) c.rafraichir_prix();

    const auto champs = champs_ligne(ligne);
    const Moment debut{lire_date(champs[2]).value_or(c.aujourdhui), seconde_du_champ_heure(champs[3])};
    try {
        // La facture recopiée contient déjà la connexion : elle n'y est pas ajoutée une seconde fois.
        c.ecrivain.enregistrement_dans_historique(ligne, debut, std::nullopt);
    } catch (const ErreurFichier& e) {
        c.dialogue.avertissement(std::string(e.what()) + "\r" +
                                 "La connexion reste gardée et vous sera proposée au prochain démarrage.");
        return RepriseConnexion::echec_ecriture;
    }
    return RepriseConnexion::enregistree;
}

}  // namespace lumi
