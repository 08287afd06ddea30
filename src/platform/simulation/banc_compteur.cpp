#include "platform/simulation/banc_compteur.hpp"

namespace lumi {

BancCompteur::BancCompteur(Moment depart, Registre& registre, std::filesystem::path dossier_donnees,
                           ReglagesCompteur reglages)
    : horloge(depart),
      compteur(CouturesCompteur{horloge, registre, acces, adresse, dialogue, son}, std::move(dossier_donnees),
               std::move(reglages)) {
    compteur.programmation().brancher({&ecrans, &arret, &fenetres, &trafic});
    // Le raccrochage ajoute une fin que le script ne prévoyait pas : elle est relayée aussitôt.
    ecrans.pendant_attente = [this] { relayer_connexions(); };
}

void BancCompteur::demarrer() {
    compteur.charger_tarifs();
    compteur.changement_bouton_etat_connexion();
    compteur.Timer1Timer();
    ordonnanceur.suivre(compteur.Timer1(), [this] { compteur.Timer1Timer(); });
    ordonnanceur.suivre(compteur.Timer4(), [this] { compteur.Timer4Timer(); });
    ordonnanceur.suivre(compteur.programmation().Timer3(), [this] { compteur.programmation().Timer3Timer(); });
}

void BancCompteur::relayer_connexions() {
    for (const auto ms : acces.instants_de_changement()) {
        if (ms < horloge.millisecondes()) continue;
        ordonnanceur.planifier(ms, [this] { observer_connexions(); });
    }
}

void BancCompteur::observer_connexions() {
    const auto connexions = acces.connexions();
    const int etat = connexions.empty() ? etat_aucune_connexion : connexions.front().etat;
    switch (etat) {
        case etat_aucune_connexion:
            if (numerotation_vue_ && !fin_vue_) {
                numerotation_vue_ = connexion_vue_ = fin_vue_ = false;
                compteur.action_fin_de_connexion();
            }
            break;
        case etat_ras_connexion_peripherique:
            if (!numerotation_vue_) {
                numerotation_vue_ = true;
                connexion_vue_ = fin_vue_ = false;
                compteur.action_numerotation_en_cours();
            }
            break;
        case etat_ras_authentification:
            if (!connexion_vue_) {
                compteur.action_connecte_au_reseau();
                connexion_vue_ = true;
            }
            break;
        case etat_ras_deconnecte:
            if (!fin_vue_) {
                fin_vue_ = true;
                numerotation_vue_ = false;
                compteur.action_fin_de_connexion();
            }
            break;
        default:
            break;
    }
}

}  // namespace lumi
