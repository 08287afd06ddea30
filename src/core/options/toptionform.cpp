#include "core/options/toptionform.hpp"

#include <exception>
#include <functional>
#include <stdexcept>

#include "actions/acces_distant.hpp"
#include "core/commandes_fenetre.hpp"
#include "core/compteur.hpp"
#include "core/demarrage.hpp"
#include "actions/dialogue.hpp"
#include "core/utilisateurs.hpp"
#include "settings/cles.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/parametres.hpp"

namespace lumi {

int sujet_aide_onglet(OngletOptions onglet) {
    switch (onglet) {
        case OngletOptions::generale: return 2;
        case OngletOptions::utilisateurs: return 3;
        case OngletOptions::fournisseurs: return 4;
        case OngletOptions::forfaits: return 28;
    }
    return 2;
}

ModeleToptionform::ModeleToptionform(LiensOptions liens) : liens_(std::move(liens)) {}

ModeleToptionform::~ModeleToptionform() {
    fermer();
}

void ModeleToptionform::ouvrir(int page) {
    Registre& r = liens_.registre;
    onglet_ = page == 1 ? OngletOptions::utilisateurs : OngletOptions::generale;
    // Ouverte dès maintenant : même si un onglet ne se charge pas, la fermeture efface les copies.
    ouverte_ = true;
    modifiee_ = false;
    const FichierIni reglages(liens_.dossier_donnees / fichier_reglages);
    bool demarrage = false;
    if (liens_.systeme != nullptr) {
        demarrage = liens_.systeme->lire_demarrage_automatique(demarrage_automatique::nom).has_value();
    }
    generale_.charger(r, reglages, demarrage);
    liens_.utilisateurs.relire_mots_de_passe();
    utilisateurs_ = std::make_unique<PageUtilisateurs>(liens_.utilisateurs);
    tarifs_ = std::make_unique<FichierIni>(liens_.dossier_donnees / fichier_tarifs);
    // Un fichier des tarifs illisible n'empêche pas les autres onglets : chacun garde ce qu'il a pu
    // lire, et la première erreur est rendue à l'appelant, qui la montre.
    std::string erreur;
    for (const auto& charger : {std::function<void()>([&] { fournisseurs_.charger(r, liens_.acces_distant, *tarifs_); }),
                                std::function<void()>([&] { forfaits_.charger(r, *tarifs_); })}) {
        try {
            charger();
        } catch (const std::exception& e) {
            if (erreur.empty()) erreur = e.what();
        }
    }
    if (!erreur.empty()) throw std::runtime_error(erreur);
}

void ModeleToptionform::fermer() {
    if (!ouverte_) return;
    ouverte_ = false;
    liens_.registre.effacer_arborescence(cles::section(cles::temp_providers));
    liens_.registre.effacer_arborescence(cles::section(cles::temp_forfaits));
    liens_.registre.effacer_arborescence(cles::section(cles::temp_raz_forfaits));
}

bool ModeleToptionform::valider_actif() const {
    return modifiee_ || generale_.modifiee() || (utilisateurs_ && utilisateurs_->modifiee()) ||
           fournisseurs_.modifiee() || forfaits_.modifiee();
}

bool ModeleToptionform::connexion_en_cours() const {
    return liens_.compteur.etat().compteur_actif;
}

std::string ModeleToptionform::message(int numero) const {
    return message_utilisateur(FichierIni(liens_.dossier_donnees / fichier_reglages), numero);
}

std::optional<ModeleTrectiforfait> ModeleToptionform::correction(std::size_t ligne) {
    if (ligne >= forfaits_.lignes().size()) return std::nullopt;
    if (connexion_en_cours()) {
        liens_.dialogue.avertissement(textes_forfaits::refus_temps);
        return std::nullopt;
    }
    const auto& l = forfaits_.lignes()[ligne];
    return ModeleTrectiforfait(liens_.registre, *tarifs_, l.numero, l.temps_restant);
}

std::optional<ModeleTraz_type_forfait_form> ModeleToptionform::mode_reinitialisation(std::size_t ligne) {
    if (ligne >= forfaits_.lignes().size()) return std::nullopt;
    if (connexion_en_cours()) {
        liens_.dialogue.avertissement(textes_forfaits::refus_date);
        return std::nullopt;
    }
    const auto& l = forfaits_.lignes()[ligne];
    return ModeleTraz_type_forfait_form(liens_.registre, *tarifs_, l.numero, l.plein(),
                                        liens_.horloge.maintenant().jour);
}

void ModeleToptionform::correction_acceptee(std::size_t ligne, const CorrectionForfait& correction) {
    forfaits_.corriger(ligne, correction);
    liens_.compteur.reevaluer_le_jour();
}

ModeleTdelaiform ModeleToptionform::delai() const {
    const int f = fournisseurs_.fournisseur();
    return ModeleTdelaiform(f >= 0 ? fournisseurs_.fournisseurs()[static_cast<std::size_t>(f)] : std::string(),
                            fournisseurs_.anticipation());
}

void ModeleToptionform::delai_accepte(const ModeleTdelaiform& delai) {
    fournisseurs_.definir_anticipation(delai.a_ranger());
}

void ModeleToptionform::ranger_reglages() {
    Registre& r = liens_.registre;
    const auto on = [this](Interrupteur i) { return generale_.etat(i); };
    // 1. Utilisateurs et mots de passe.
    liens_.utilisateurs.ranger(utilisateurs_->noms(), utilisateurs_->empreintes());
    // 2. Démarrage automatique.
    if (liens_.systeme != nullptr) {
        if (on(Interrupteur::demarrage_automatique)) {
            liens_.systeme->ecrire_demarrage_automatique(demarrage_automatique::nom, liens_.commande_demarrage);
        } else {
            liens_.systeme->effacer_demarrage_automatique(demarrage_automatique::nom);
        }
    }
    // 3.
    ecrire_drapeau(r, parametres::afficher_auto, on(Interrupteur::afficher_auto));
    ecrire_drapeau(r, parametres::cacher_auto, on(Interrupteur::cacher_auto));
    ecrire_drapeau(r, parametres::selection_auto, on(Interrupteur::selection_auto));
    ecrire(r, parametres::taille, on(Interrupteur::taille_normale) ? "normale" : "reduite");
    // 4. Par les commandes de la fenêtre principale, qui rangent dans lumicompteur.ini.
    if (on(Interrupteur::deux_decimales)) liens_.commandes.deuxdeciClick();
    else liens_.commandes.troisdeciClick();
    if (on(Interrupteur::prix_ttc)) liens_.commandes.ttcpopupClick();
    else liens_.commandes.htpopupClick();
    // 5.
    ecrire_drapeau(r, parametres::anti_crash, on(Interrupteur::anti_crash));
    ecrire(r, parametres::frequence_save_crash, std::to_string(generale_.frequence()));
    liens_.compteur.definir_sauvegardes_crash(on(Interrupteur::anti_crash),
                                              parametres::periode_sauvegarde_crash(r));
    // 6.
    ecrire_drapeau(r, parametres::alsace, on(Interrupteur::alsace));
    liens_.compteur.definir_alsace(on(Interrupteur::alsace));
    // Relus à chaque avis : rien d'autre à prévenir.
    ecrire_drapeau(r, parametres::notifications_bureau, on(Interrupteur::notifications_bureau));
    ecrire_drapeau(r, parametres::notification_fin_connexion, on(Interrupteur::notification_fin_connexion));
    // 7.
    ecrire_drapeau(r, parametres::detection_ras, on(Interrupteur::detection_2));
    FichierIni reglages(liens_.dossier_donnees / fichier_reglages);
    const bool seulement_ras = actif(reglages, parametres::only_ras);
    const bool troisieme = on(Interrupteur::detection_3);
    if (troisieme != seulement_ras) {
        liens_.dialogue.information(message(127) + "\r" + message(128));
    }
    reglages.ecrire(parametres::only_ras.section, parametres::only_ras.cle, troisieme ? "oui" : "non");
    // 8.
    ecrire_drapeau(r, parametres::total_avec_reduc, on(Interrupteur::total_avec_reduc));
    ecrire_drapeau(r, parametres::utiliser_profil, on(Interrupteur::utiliser_profil));
    // 9.
    forfaits_.ranger(r, *tarifs_);
    // 10.
    r.effacer_arborescence(cles::section(cles::forfaits));
    r.copier_arborescence(cles::section(cles::temp_forfaits), cles::section(cles::forfaits), true);
    r.effacer_arborescence(cles::section(cles::providers));
    r.copier_arborescence(cles::section(cles::temp_providers), cles::section(cles::providers), true);
}

bool ModeleToptionform::valider() {
    // Seule une saisie est vérifiée : une valeur rangée illisible que personne n'a touchée (le
    // compteur la signale) ne bloque pas les autres réglages.
    const auto plafond = generale_.plafond_modifie() ? verifier_saisie_plafond(generale_.plafond())
                                                     : VerificationPlafond{ReglagesPlafond{}, {}};
    if (!plafond.reglages) {
        liens_.dialogue.avertissement(plafond.erreur);
        return false;
    }
    try {
        ranger_reglages();
        if (generale_.plafond_modifie()) {
            ecrire_reglages_plafond(liens_.registre, *plafond.reglages,
                                    liens_.compteur.monnaie().locale.separateur_decimal);
        }
    } catch (const std::exception& e) {
        // lumicompteur.ini ou tarifs.ini qui ne s'écrit pas : la suite n'est pas rangée.
        liens_.dialogue.avertissement(e.what());
    }
    // 11 et 12.
    if (connexion_en_cours()) {
        liens_.dialogue.information(message(133) + "\r" + message(134) + "\r" + message(135) + "\r" +
                                    message(136));
    } else {
        liens_.compteur.rechoisir_apres_options();
    }
    // Le plafond compte dès la validation, même pendant une connexion.
    if (connexion_en_cours()) liens_.compteur.recharger_plafond();
    fermer();
    return true;
}

void ModeleToptionform::annuler() {
    liens_.utilisateurs.relire_mots_de_passe();
    fermer();
}

}  // namespace lumi
