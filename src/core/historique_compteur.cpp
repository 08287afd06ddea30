#include "core/historique_compteur.hpp"

#include <exception>

#include "base/erreurs.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/parametres.hpp"
#include "tariff/enregistrements.hpp"

namespace lumi {

namespace {

constexpr std::string_view suite_echec_historique =
    "La connexion n'est pas perdue : elle reste gardée et sera enregistrée dès que le fichier pourra "
    "être écrit, ou proposée au prochain démarrage.";

// Les boîtes de la vérification de période, sur la couture des boîtes du compteur.
class QuestionsDialogue final : public QuestionsFacturation {
public:
    explicit QuestionsDialogue(Dialogue& dialogue) : dialogue_(dialogue) {}
    bool question_oui_non(std::string_view texte) override {
        return dialogue_.question(texte) == Reponse::oui;
    }
    void information(std::string_view texte) override { dialogue_.information(texte); }

private:
    Dialogue& dialogue_;
};

}  // namespace

HistoriqueCompteur::HistoriqueCompteur(Registre& registre, Dialogue& dialogue,
                                       std::filesystem::path dossier_donnees, char separateur_decimal)
    : registre_(registre),
      dialogue_(dialogue),
      dossier_donnees_(std::move(dossier_donnees)),
      facture_(registre, separateur_decimal),
      sauvegarde_(registre, separateur_decimal),
      ecrivain_(dossier_donnees_, separateur_decimal, facture_,
                [this] { sauvegarde_.effacer_cle_sauvegarde_crash(); }) {
    try {
        facture_.lire();
    } catch (const ErreurConversion&) {
        // Montrée par lecture_total_facure_en_cours au démarrage.
    }
}

const std::string& HistoriqueCompteur::designation(const std::string& option) {
    auto it = designations_.find(option);
    if (it == designations_.end()) {
        const FichierIni tarifs(dossier_donnees_ / fichier_tarifs);
        it = designations_.emplace(option, tarifs.lire(option, "designation")).first;
    }
    return it->second;
}

std::string HistoriqueCompteur::utilisateur_courant() const {
    return selection_->utilisateur_selectionne().value_or(std::string(nom_utilisateur_non_identifie));
}

void HistoriqueCompteur::completer(DonneesConnexion& connexion, const std::string& utilisateur) {
    connexion.utilisateur = utilisateur;
    if (connexion.type_forfait == type_forfait_f && !connexion.forfait_en_cours.empty()) {
        connexion.designation_forfait = designation(connexion.forfait_en_cours);
    }
}

void HistoriqueCompteur::enregistrer_historique(std::function<DonneesConnexion()> connexion) {
    auto ecrire = [this, connexion](const std::string& utilisateur) {
        ecrire_enregistrement(connexion(), utilisateur);
    };
    const auto selectionne = selection_->utilisateur_selectionne();
    if (!selectionne) {
        ecrire(std::string(nom_utilisateur_non_identifie));
    } else if (!selection_->utilisateur_protege() && !actif(registre_, parametres::selection_auto)) {
        ecrire(*selectionne);
    } else {
        selection_->demander_utilisateur(std::move(ecrire));
    }
}

void HistoriqueCompteur::ecrire_enregistrement(DonneesConnexion connexion, const std::string& utilisateur) {
    completer(connexion, utilisateur);
    en_attente_.push_back({ecrivain_.get_donnees_a_enregistrer(connexion),
                           {connexion.date_debut, connexion.seconde_debut},
                           secondes_facturees(connexion)});
    // Les enregistrements restés en attente d'abord, dans l'ordre : le fichier reste chronologique.
    // L'instantané, celui de cette connexion, n'est effacé qu'une fois elle écrite.
    while (!en_attente_.empty()) {
        const auto& a = en_attente_.front();
        try {
            ecrivain_.enregistrement_dans_historique(a.ligne, a.debut, a.secondes, en_attente_.size() == 1);
        } catch (const ErreurFichier& e) {
            dialogue_.avertissement(std::string(e.what()) + "\r" + std::string(suite_echec_historique));
            return;
        }
        en_attente_.erase(en_attente_.begin());
    }
}

void HistoriqueCompteur::enregistrer_parametres_de_sauvegarde(DonneesConnexion connexion,
                                                              std::int32_t temps_restant_forfait) {
    InstantaneConnexion instantane;
    try {
        completer(connexion, utilisateur_courant());
        instantane.ligne = ecrivain_.get_donnees_a_enregistrer(connexion);
    } catch (const std::exception&) {
        return;  // l'instantané suivant réessaie
    }
    instantane.forfait = connexion.type_forfait == type_forfait_f;
    instantane.temps_restant_forfait = temps_restant_forfait;
    instantane.forfait_en_cours = connexion.forfait_en_cours;
    instantane.montant_facture = static_cast<double>(facture_.cout_total()) + connexion.prix_communication -
                                 connexion.montant_reduction;
    const std::int64_t secondes = std::int64_t{facture_.total_time()} + secondes_facturees(connexion);
    instantane.secondes_facture = static_cast<std::int32_t>(std::min<std::int64_t>(secondes, INT32_MAX));
    sauvegarde_.enregistrer_parametres_de_sauvegarde(instantane);
}

void HistoriqueCompteur::effacer_cle_sauvegarde_crash() {
    if (en_attente_.empty()) sauvegarde_.effacer_cle_sauvegarde_crash();
}

void HistoriqueCompteur::lecture_total_facure_en_cours(LignesEtat& lignes_etat) {
    try {
        facture_.lecture_total_facure_en_cours(lignes_etat);
    } catch (const ErreurConversion& e) {
        dialogue_.avertissement(e.what());
    }
}

std::string HistoriqueCompteur::texte_ligne_etat_3(bool compteur_actif, std::int32_t duree_connexion,
                                                   double prix_affiche,
                                                   const ReglagesMonnaie& monnaie) const {
    return facture_.texte_ligne_etat_3(compteur_actif ? duree_connexion : 0,
                                       compteur_actif ? prix_affiche : 0, monnaie);
}

bool HistoriqueCompteur::remise_a_jour_periodes_facturation(FichierIni& reglages, NumeroJour aujourdhui,
                                                            const std::function<void()>& actualiser) {
    QuestionsDialogue questions(dialogue_);
    try {
        return lumi::remise_a_jour_periodes_facturation(reglages, facture_, aujourdhui, questions,
                                                        actualiser);
    } catch (const ErreurConversion& e) {
        dialogue_.avertissement(e.what());
    } catch (const ErreurFichier& e) {
        dialogue_.avertissement(e.what());
    }
    return false;
}

RepriseConnexion HistoriqueCompteur::proposer_reprise_connexion(const FichierIni& reglages,
                                                                const ReglagesMonnaie& monnaie,
                                                                NumeroJour aujourdhui,
                                                                LignesEtat& lignes_etat,
                                                                std::function<void()> rafraichir_prix) {
    const auto reprise =
        lumi::proposer_reprise_connexion({sauvegarde_, ecrivain_, facture_, dialogue_, reglages, monnaie,
                                          aujourdhui, lignes_etat, std::move(rafraichir_prix)});
    if (reprise == RepriseConnexion::echec_ecriture) {
        // Réessayé avec le prochain enregistrement ; la facture le contient déjà.
        const std::string ligne = sauvegarde_.ligne_sauvegardee();
        const auto champs = champs_ligne(ligne);
        en_attente_.push_back({ligne, {lire_date(champs[2]).value_or(aujourdhui), 0}, std::nullopt});
    }
    return reprise;
}

}  // namespace lumi
