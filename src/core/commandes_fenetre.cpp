#include "core/commandes_fenetre.hpp"

#include <exception>
#include <utility>

#include "actions/raccrochage.hpp"
#include "base/decimal.hpp"
#include "core/compteur.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/parametres.hpp"
#include "tariff/monnaie.hpp"

namespace lumi {

CommandesFenetre::CommandesFenetre(Compteur& compteur, Registre& registre, AccesDistant& acces_distant,
                                   Dialogue& dialogue, std::filesystem::path dossier_donnees)
    : compteur_(compteur),
      registre_(registre),
      acces_distant_(acces_distant),
      dialogue_(dialogue),
      dossier_(std::move(dossier_donnees)) {
    // Les coches suivent les réglages lus au démarrage par le compteur.
    const bool ttc = compteur_.monnaie().ttc;
    menus_.ttcpopup.checked = ttc;
    menus_.htpopup.checked = !ttc;
    Panel13_ = ttc ? textes_fenetre::total_ttc : textes_fenetre::total_ht;
    const bool deux = compteur_.monnaie().nb_decimales == 2;
    menus_.deuxdeci.checked = deux;
    menus_.troisdeci.checked = !deux;
    const bool heure = compteur_.etat().mode_panneau_duree == 2;
    menus_.Duree1.checked = !heure;
    menus_.Heure1.checked = heure;
    reaffichages_vus_ = compteur_.fenetre().reaffichages_icone;
    // La légende de la durée avant la première connexion.
    compteur_.initialiser_legende_duree();
}

std::string CommandesFenetre::message(int numero) const {
    return message_utilisateur(FichierIni(dossier_ / fichier_reglages), numero);
}

void CommandesFenetre::ecrire_ini(std::string_view section, std::string_view cle, std::string_view valeur) {
    try {
        FichierIni(dossier_ / fichier_reglages).ecrire(section, cle, valeur);
    } catch (const std::exception& e) {
        // L'affichage change quand même ; seul le réglage n'a pu être gardé.
        dialogue_.avertissement(e.what());
    }
}

// ---------------------------------------------------------------------------------------------
// Prix

void CommandesFenetre::ttcpopupClick() {
    definir_ttc(true);
}

void CommandesFenetre::htpopupClick() {
    definir_ttc(false);
}

void CommandesFenetre::definir_ttc(bool ttc) {
    compteur_.definir_affichage_ttc(ttc);
    menus_.ttcpopup.checked = ttc;
    menus_.htpopup.checked = !ttc;
    Panel13_ = ttc ? textes_fenetre::total_ttc : textes_fenetre::total_ht;
    ecrire_ini(parametres::affichage.section, parametres::affichage.cle, ttc ? "ttc" : "hors taxes");
    apres_changement_affichage();
}

void CommandesFenetre::deuxdeciClick() {
    definir_decimales(2, true);
}

void CommandesFenetre::troisdeciClick() {
    definir_decimales(3, true);
}

void CommandesFenetre::Panel4Click() {
    definir_decimales(compteur_.monnaie().nb_decimales == 2 ? 3 : 2, false);
}

void CommandesFenetre::definir_decimales(int nb, bool coches) {
    if (coches) {
        menus_.deuxdeci.checked = nb == 2;
        menus_.troisdeci.checked = nb == 3;
    }
    compteur_.definir_nb_decimales(nb);
    ecrire_ini(parametres::nb_de_decimales.section, parametres::nb_de_decimales.cle, nb == 2 ? "2" : "3");
    apres_changement_affichage();
}

void CommandesFenetre::apres_changement_affichage() {
    compteur_.rafraichir_apres_changement_monnaie();
}

// ---------------------------------------------------------------------------------------------
// Durée ou heure

void CommandesFenetre::Duree1Click() {
    compteur_.definir_mode_panneau_duree(1);
    menus_.Duree1.checked = true;
    menus_.Heure1.checked = false;
}

void CommandesFenetre::Heure1Click() {
    compteur_.definir_mode_panneau_duree(2);
    menus_.Duree1.checked = false;
    menus_.Heure1.checked = true;
}

void CommandesFenetre::Panel2Click() {
    if (compteur_.etat().mode_panneau_duree == 2) {
        Duree1Click();
    } else {
        Heure1Click();
    }
}

// ---------------------------------------------------------------------------------------------
// Listes du tarif et de l'option

void CommandesFenetre::choisir_option(int position) {
    compteur_.choisir_option(position);
}

void CommandesFenetre::choisir_tarif(int position) {
    compteur_.choisir_tarif(position);
}

// ---------------------------------------------------------------------------------------------
// Rangées

void CommandesFenetre::Panel1Click() {
    compteur_.tourner_rangees();
}

// ---------------------------------------------------------------------------------------------
// Timer2

ImageIcone CommandesFenetre::image_icone() {
    // L'icône recréée (fin de numérotation, connexion) repart de l'image du produit.
    if (compteur_.fenetre().reaffichages_icone != reaffichages_vus_) {
        reaffichages_vus_ = compteur_.fenetre().reaffichages_icone;
        icone_ = ImageIcone::application;
    }
    // La programmation finie ou annulée (voyant éteint, l'icône ne tourne plus), l'icône redevient
    // celle du produit ; armée, elle garde son image même quand le raccrochage la fige.
    const bool image_programmation =
        icone_ == ImageIcone::Image3 || icone_ == ImageIcone::Image4 || icone_ == ImageIcone::Image5;
    if (image_programmation && !compteur_.fenetre().Image6_visible &&
        compteur_.effet_Timer2() != EffetTimer2::programmation)
        icone_ = ImageIcone::application;
    return icone_;
}

void CommandesFenetre::Timer2Timer() {
    const ImageIcone actuelle = image_icone();
    switch (compteur_.effet_Timer2()) {
        case EffetTimer2::numerotation:  // l'icône clignote
            icone_ =
                actuelle == ImageIcone::numerotation ? ImageIcone::application : ImageIcone::numerotation;
            compteur_.signaler_modification_icone();
            break;
        case EffetTimer2::programmation:  // le voyant clignote, l'icône tourne
            Image6_image_ = !Image6_image_;
            icone_ = actuelle == ImageIcone::Image3   ? ImageIcone::Image4
                     : actuelle == ImageIcone::Image4 ? ImageIcone::Image5
                                                      : ImageIcone::Image3;
            compteur_.signaler_modification_icone();
            break;
        case EffetTimer2::rangee_clignotante:
            compteur_.clignoter_rangee();
            break;
        case EffetTimer2::raccrochage:
        case EffetTimer2::pause_glissement:
            break;
    }
}

// ---------------------------------------------------------------------------------------------
// Montrer et cacher

void CommandesFenetre::cacher() {
    compteur_.cacher_fenetre();
}

void CommandesFenetre::montrer() {
    compteur_.montrer_fenetre();
}

ReactionIcone CommandesFenetre::icone_notification(EvenementIcone evenement) const {
    switch (evenement) {
        case EvenementIcone::gauche_enfonce:
        case EvenementIcone::milieu_double_clic:
            return compteur_.fenetre().fenetre_visible ? ReactionIcone::cacher : ReactionIcone::montrer;
        case EvenementIcone::droit_enfonce:
            return ReactionIcone::menu_principal;
        case EvenementIcone::autre:
            break;
    }
    return ReactionIcone::rien;
}

// ---------------------------------------------------------------------------------------------
// Annuaire et numérotation

std::vector<std::string> CommandesFenetre::entrees() const {
    std::vector<std::string> entrees;
    try {
        for (auto& e : acces_distant_.entrees_annuaire()) {
            if (!e.empty()) entrees.push_back(std::move(e));
        }
    } catch (const std::exception&) {
        // Un annuaire illisible se comporte comme un annuaire vide.
        entrees.clear();
    }
    return entrees;
}

void CommandesFenetre::ajouter_providers_popupmenu() {
    menus_.PopupMenu6.clear();
    menus_.sous_menu_Seconnecter1.clear();
    menus_.Seconnecter1.caption = textes_menu::se_connecter;
    const auto liste = entrees();
    // Sans entrée, l'élément reste "Se &connecter" et ne fait rien.
    if (!liste.empty()) menus_.Seconnecter1.caption = textes_menu::se_connecter_points;
    if (liste.size() > 1) {
        menus_.Seconnecter1.caption = textes_menu::se_connecter_a;
        for (const auto& e : liste) {
            menus_.sous_menu_Seconnecter1.push_back(e + "...");
            menus_.PopupMenu6.push_back(e + "...");
        }
    }
}

void CommandesFenetre::PopupMenu6Popup() {
    ajouter_providers_popupmenu();
    if (compteur_.etat().mode_manuel) {
        menus_.Sedeconnecter1.enabled = false;
        menus_.Seconnecter1.enabled = false;
        return;
    }
    std::string nom;
    int erreur = -1;
    int etat = 0;
    const bool connexion = ras_connexion_en_cours(acces_distant_, nom, erreur, etat);
    menus_.Seconnecter1.enabled = !connexion;
    menus_.Sedeconnecter1.enabled = connexion;
    menus_.Programmation1.enabled = connexion;
}

void CommandesFenetre::PopupMenu2Popup() {
    PopupMenu6Popup();
    if (deverrouillage_menu_) {
        menus_.Sedeconnecter1.enabled = true;
        menus_.Programmation1.enabled = true;
        deverrouillage_menu_ = false;
    }
}

ResultatNumerotation CommandesFenetre::numeroter(std::string_view entree) {
    bool lancee = false;
    std::string raison;
    try {
        lancee = acces_distant_.numeroter(entree);
    } catch (const std::exception& e) {
        lancee = false;
        raison = e.what();
    }
    if (lancee) return ResultatNumerotation::numerotation_lancee;
    // Un échec du lancement se dit, avec la raison donnée par le service (un refus d'autorisation) :
    // sinon l'utilisateur attendrait une connexion qui ne vient pas.
    dialogue_.avertissement("La numérotation de « " + std::string(entree) + " » n'a pu être lancée." +
                            (raison.empty() ? std::string() : "\n" + raison));
    return ResultatNumerotation::echec_lancement;
}

std::string CommandesFenetre::texte_aucune_entree() const {
    std::string texte(textes_fenetre::aucune_entree);
    const std::string origine = acces_distant_.origine_annuaire();
    if (!origine.empty()) {
        texte += "\nLes connexions sont lues dans " + origine + " : ajoutez-y celle de votre fournisseur, " +
                 "puis réessayez.";
    }
    return texte;
}

ResultatNumerotation CommandesFenetre::signaler_aucune_entree() {
    // Un clic qui ne fait rien laisserait croire à une panne du programme.
    dialogue_.information(texte_aucune_entree());
    return ResultatNumerotation::aucune_entree;
}

ResultatNumerotation CommandesFenetre::SpeedButton2Click() {
    const auto liste = entrees();
    if (liste.empty()) return signaler_aucune_entree();
    if (liste.size() == 1) return numeroter(liste.front());
    return ResultatNumerotation::menu_fournisseurs;
}

ResultatNumerotation CommandesFenetre::Seconnecter1Click() {
    const auto& caption = menus_.Seconnecter1.caption;
    if (caption != textes_menu::se_connecter_points && caption != textes_menu::se_connecter) {
        return ResultatNumerotation::rien;
    }
    const auto liste = entrees();
    if (liste.empty()) return signaler_aucune_entree();
    // Sous "Se &connecter", l'annuaire a changé depuis l'ouverture du menu : rien sans le rouvrir.
    if (caption != textes_menu::se_connecter_points) return ResultatNumerotation::rien;
    return numeroter(liste.front());
}

ResultatNumerotation CommandesFenetre::Clique(std::string_view caption) {
    if (compteur_.etat().mode_manuel) {
        const std::string texte =
            message(49) + "\r" + message(50) + "\r" + message(51) + "\r\r        " + message(52);
        if (dialogue_.question(texte) != Reponse::oui) return ResultatNumerotation::rien;
    }
    if (caption.size() < 3) return ResultatNumerotation::rien;
    caption.remove_suffix(3);
    return numeroter(caption);
}

// ---------------------------------------------------------------------------------------------
// Raccrocher

bool CommandesFenetre::SpeedButton3Click() {
    if (dialogue_.question(message(118)) != Reponse::oui) return false;
    compteur_.arreter_effets_Timer2();
    icone_ = ImageIcone::application;
    Image6_image_ = false;
    if (annuler_programmation) annuler_programmation();
    return true;
}

bool CommandesFenetre::raccrocher() {
    raison_echec_raccrochage_.clear();
    try {
        return acces_distant_.raccrocher();
    } catch (const std::exception& e) {
        // Un refus n'est pas l'absence de connexion : la boîte dira la raison du service.
        raison_echec_raccrochage_ = e.what();
        return false;
    }
}

std::string CommandesFenetre::texte_echec_raccrochage() const {
    if (raison_echec_raccrochage_.empty()) return std::string(raccrochage::echec_deconnexion);
    return "Echec déconnexion.\n" + raison_echec_raccrochage_;
}

// ---------------------------------------------------------------------------------------------
// Fermeture

std::string CommandesFenetre::texte_question_quitter() const {
    if (compteur_.etat().compteur_actif) {
        return message(53) + "\r" + message(54) + "\r" + message(55) + "\r\r" + message(56) + "    ";
    }
    return message(56) + "    ";
}

bool CommandesFenetre::FormCloseQuery(bool fermeture_windows) {
    if (fermeture_windows) return true;
    return dialogue_.question(texte_question_quitter()) == Reponse::oui;
}

// ---------------------------------------------------------------------------------------------
// Utilisateurs

void CommandesFenetre::Image12Click() {
    dialogue_.information(message(131) + "\r" + message(132));
}

bool CommandesFenetre::demander_ajout_utilisateur() {
    return dialogue_.boite(GenreBoite::information, textes_fenetre::aucun_utilisateur,
                           {Reponse::oui, Reponse::non}) == Reponse::oui;
}

ReactionTouche CommandesFenetre::touche_selecteur(bool ctrl, bool alt, bool shift, bool entree) {
    if (ctrl && alt && shift) {
        deverrouillage_menu_ = true;
        return ReactionTouche::deverrouillage_arme;
    }
    if (ctrl && shift && entree) return ReactionTouche::basculer_detection;
    return ReactionTouche::rien;
}

// ---------------------------------------------------------------------------------------------
// Fenêtre des messages

ModeleTinfoform CommandesFenetre::modele_Tinfoform() const {
    const FichierIni reglages(dossier_ / fichier_reglages);
    const auto m = [&reglages](int n) { return message_utilisateur(reglages, n); };
    ModeleTinfoform modele;
    modele.bloc1 = m(5) + "\r" + m(6) + "\r" + m(7);
    modele.bloc2 = m(8) + "\r" + m(9);
    modele.bloc3 = m(10) + "\r" + m(11);
    return modele;
}

void CommandesFenetre::fermeture_Tinfoform(bool ne_plus_afficher) {
    if (ne_plus_afficher) ecrire(registre_, parametres::message_1, "non");
}

}  // namespace lumi
