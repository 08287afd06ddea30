#include "actions/programmation.hpp"

#include <exception>

#include "actions/acces_distant.hpp"
#include "actions/dialogue.hpp"
#include "actions/notifications.hpp"
#include "actions/raccrochage.hpp"
#include "base/dates.hpp"
#include "base/decimal.hpp"
#include "plans/son.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/parametres.hpp"
#include "tariff/monnaie.hpp"
#include "tariff/pas_paye.hpp"

namespace lumi {

Programmation::Programmation(VueCompteur& compteur, const Horloge& horloge, Registre& registre,
                             AccesDistant& acces, Dialogue& dialogue, Son& son, std::filesystem::path dossier)
    : compteur_(compteur),
      horloge_(horloge),
      registre_(registre),
      acces_(acces),
      dialogue_(dialogue),
      son_(son),
      dossier_(std::move(dossier)) {}

Programmation::~Programmation() = default;

void Programmation::brancher(CouturesProgrammation coutures) {
    coutures_ = coutures;
    telechargements_.reset();
}

SurveillanceTelechargements& Programmation::telechargements() {
    // Faite au premier usage (fenêtre de programmation, déclencheur du téléchargement) : le
    // démarrage ne lit pas les titres surveillés.
    if (!telechargements_) {
        telechargements_ = std::make_unique<SurveillanceTelechargements>(
            horloge_, FichierIni(dossier_ / fichier_reglages), coutures_.fenetres, coutures_.trafic);
    }
    return *telechargements_;
}

std::string Programmation::message(int numero) const {
    return message_utilisateur(FichierIni(dossier_ / fichier_reglages), numero);
}

void Programmation::armer(ProgrammationArmee programmation) {
    armee_ = std::move(programmation);
    decompte_fin_du_pas_.reset();
    compteur_.montrer_voyant_programmation();
    Timer3_.activer(true);
}

void Programmation::desarmer() {
    compteur_.arreter_effets_Timer2();
    armee_.reset();
    fin_du_pas_.reset();
    Timer3_.activer(false);
}

std::int32_t Programmation::duree_en_cours() const {
    const auto connexion = compteur_.connexion_comptee();
    return connexion ? connexion->duree : 0;
}

double Programmation::montant_ttc_en_cours() const {
    const auto connexion = compteur_.connexion_comptee();
    if (!connexion) return 0;
    try {
        return lire_decimal(formater_montant(texte_montant(connexion->montant), true, 0, compteur_.monnaie()))
            .value_or(0);
    } catch (const std::exception&) {
        return 0;
    }
}

bool Programmation::declencheur_atteint() {
    if (!armee_) return false;
    switch (armee_->type) {
        case TypeProgrammation::telechargement:
            return !telechargements().telechargement_en_cours();
        case TypeProgrammation::heure: {
            const auto seuil = lire_heure(armee_->seuil);
            return seuil && horloge_.seconde_du_jour() >= *seuil;
        }
        case TypeProgrammation::duree: {
            const auto seuil = lire_entier(armee_->seuil);
            return seuil && compteur_.connexion_comptee() && duree_en_cours() >= *seuil;
        }
        case TypeProgrammation::cout: {
            const auto seuil = lire_decimal(armee_->seuil);
            return seuil && compteur_.connexion_comptee() && montant_ttc_en_cours() >= *seuil;
        }
    }
    return false;
}

void Programmation::Timer3Timer() {
    if (!armee_) return;
    // Le voyant clignote et l'icône tourne tant que la programmation est armée.
    compteur_.clignoter_programmation();
    if (!fin_du_pas_ && declencheur_atteint()) {
        const Moment maintenant = horloge_.maintenant();
        const auto connexion = compteur_.connexion_comptee();
        fin_du_pas_ = maintenant;
        if (armee_->attendre_fin_du_pas && connexion) {
            // Un décompte montré mène au raccrochage : celui-ci tombe au plus tôt à la fin du délai
            // réglé, 3 s avant un pas, et le décompte s'ouvre tout de suite pour toute l'attente.
            // Sans décompte, l'attente se fait en silence (le résumé donne l'instant).
            const int delai = decompte_montre() ? delai_decompte() : 0;
            const Moment raccrochage = lumi::raccrochage_fin_du_pas(
                compteur_.tarification(), connexion->debut, en_moment(en_secondes(maintenant) + delai));
            if (delai > 0) {
                decompte_fin_du_pas_ = static_cast<int>(en_secondes(raccrochage) - en_secondes(maintenant));
            } else {
                fin_du_pas_ = raccrochage;
            }
        }
    }
    if (fin_du_pas_ && horloge_.maintenant() >= *fin_du_pas_) {
        fin_du_pas_.reset();
        fin_programmation();
    }
}

std::filesystem::path Programmation::chemin_alarme() const {
    const std::string son = lire(registre_, parametres::son_alarme);
    const std::filesystem::path chemin(son);
    return chemin.is_absolute() ? chemin : dossier_ / chemin;
}

void Programmation::jouer_alarme() {
    son_.jouer(chemin_alarme());
}

bool Programmation::decompte_montre() const {
    return (pour_plafond_ || actif(registre_, parametres::se_deconnecter_execution)) &&
           lire(registre_, parametres::delai_auto_validation) != "0" && coutures_.ecrans != nullptr;
}

int Programmation::delai_decompte() const {
    const auto lu = lire_entier(lire(registre_, parametres::delai_auto_validation));
    return lu && *lu > 0 ? *lu : 10;
}

int Programmation::secondes_decompte() const {
    return decompte_fin_du_pas_.value_or(delai_decompte());
}

void Programmation::fin_programmation(OrigineDeclenchement origine) {
    ++declenchements_;
    dernier_declenchement_ = horloge_.maintenant();
    pour_plafond_ = origine == OrigineDeclenchement::plafond;
    // Le plafond a déjà sonné l'alarme ; la programmation de l'utilisateur reste pour la suite.
    if (pour_plafond_) {
        decompte_fin_du_pas_.reset();
    } else {
        desarmer();
    }
    const bool alarme = !pour_plafond_ && actif(registre_, parametres::alarme_download);
    if (pour_plafond_ || actif(registre_, parametres::se_deconnecter_execution)) {
        if (decompte_montre()) {
            // Le décompte peut s'ouvrir sous une autre fenêtre ou pendant l'absence : le bureau le dit aussi.
            if (avis_ != nullptr)
                avis_->avertir(SujetAvis::deconnexion_programmee,
                               texte_deconnexion_programmee(secondes_decompte(),
                                                            actif(registre_, parametres::exit_window)));
            coutures_.ecrans->ouvrir_decompte();
            return;
        }
        if (alarme) jouer_alarme();
        sequence_deconnexion();
        return;
    }
    jouer_alarme();
}

bool Programmation::raccrocher() {
    std::vector<ConnexionDistante> connexions;
    try {
        connexions = acces_.connexions();
    } catch (const std::exception&) {
        return true;  // l'énumération a échoué : rien n'est fait, mais ce n'est pas un échec
    }
    if (connexions.empty()) return false;
    if (!connexions.front().nom_entree.empty()) {
        try {
            acces_.raccrocher();
        } catch (const std::exception&) {
            // La connexion était là : l'échec du raccrochage se verra sur l'afficheur.
        }
        if (coutures_.ecrans != nullptr) coutures_.ecrans->attendre(raccrochage::pause_apres_raccrochage_ms);
    }
    return true;
}

void Programmation::sequence_deconnexion() {
    EcransProgrammation* ecrans = coutures_.ecrans;
    if (ecrans != nullptr) ecrans->montrer_deconnexion(raccrochage::deconnexion_en_cours);
    if (!raccrocher()) {
        if (ecrans != nullptr) {
            ecrans->attendre(raccrochage::pause_avant_echec_ms);
            ecrans->fermer_deconnexion();
        }
        dialogue_.information(raccrochage::echec_deconnexion);
        return;
    }
    // Un plafond dépassé coupe la ligne, il n'éteint pas la machine.
    if (!pour_plafond_ && actif(registre_, parametres::exit_window)) {
        if (ecrans != nullptr) ecrans->montrer_deconnexion(raccrochage::fermeture_systeme);
        if (coutures_.arret == nullptr) {
            fin_arret(false, "Aucun moyen d'arrêter la machine.");
            return;
        }
        arret_en_attente_ = true;
        coutures_.arret->eteindre(
            [this](bool eteinte, const std::string& raison) { fin_arret(eteinte, raison); });
        return;
    }
    if (ecrans != nullptr) ecrans->fermer_deconnexion();
}

void Programmation::fin_arret(bool eteinte, const std::string& raison) {
    arret_en_attente_ = false;
    if (coutures_.ecrans != nullptr) coutures_.ecrans->fermer_deconnexion();
    if (eteinte) return;
    // La réponse arrive d'une minuterie ou du bus : l'avis ne retient personne.
    std::string texte(raccrochage::echec_fermeture);
    if (!raison.empty()) texte += "\n" + raison;
    dialogue_.avis(GenreBoite::information, texte);
}

std::string Programmation::texte_resume() const {
    if (!armee_) return {};
    const int type = static_cast<int>(armee_->type);
    std::string seuil;
    switch (armee_->type) {
        case TypeProgrammation::telechargement:
            break;
        case TypeProgrammation::heure:
            seuil = armee_->seuil;
            break;
        case TypeProgrammation::duree: {
            const int secondes = lire_entier(armee_->seuil).value_or(0);
            seuil = std::to_string(secondes / 3600) + "h" + champ_2((secondes % 3600) / 60) + "m";
            break;
        }
        case TypeProgrammation::cout:
            seuil = armee_->seuil + texte_devise(compteur_.monnaie());
            break;
    }
    const auto oui_non = [this](const ParametreRegistre& p) { return actif(registre_, p) ? "oui" : "non"; };
    // L'attente de la fin du pas, quand elle est demandée, et l'instant du raccrochage une fois le
    // déclencheur atteint.
    std::string fin_du_pas;
    if (armee_->attendre_fin_du_pas) {
        fin_du_pas = "\r- FIN DU PAS DE TAXATION : oui";
        if (fin_du_pas_) fin_du_pas += ", raccrochage à " + formater_heure(fin_du_pas_->seconde);
    }
    return message(18) + "\r\r" + message(45 + type) + " " + seuil + "\r" +
           "- ALARME : " + oui_non(parametres::alarme_download) + "\r" +
           "- DECONNEXION : " + oui_non(parametres::se_deconnecter_execution) + "\r" +
           "- QUITTER WINDOWS : " + oui_non(parametres::exit_window) + fin_du_pas + "\r\r" + message(19);
}

bool Programmation::Programmation1Click() {
    if (!armee_) return true;
    if (dialogue_.boite(GenreBoite::avertissement, texte_resume(), {Reponse::oui, Reponse::non}) ==
        Reponse::oui) {
        desarmer();
    }
    return false;
}

}  // namespace lumi
