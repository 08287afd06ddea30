// Les opérations étroites par lesquelles les commandes de la fenêtre changent ce que le compteur
// possède : lignes d'état, monnaie, listes du tarif et de l'option, rangées, effets de Timer2.
#include <exception>

#include "core/commandes_fenetre.hpp"
#include "core/compteur.hpp"
#include "tariff/monnaie.hpp"

namespace lumi {

void Compteur::ecrire_ligne_etat(std::size_t ligne, std::string texte) {
    if (ligne < fenetre_.lignes_etat.size()) fenetre_.lignes_etat[ligne] = std::move(texte);
}

void Compteur::definir_affichage_ttc(bool ttc) {
    monnaie_.ttc = ttc;
    fenetre_.Panel4_hint = ttc ? textes_fenetre::hint_prix_ttc : textes_fenetre::hint_prix_ht;
}

void Compteur::definir_nb_decimales(int nb) {
    ReglagesMonnaie autre = monnaie_;
    autre.nb_decimales = nb == 2 ? 3 : 2;
    const std::string zero_autre = formater_montant("0", false, 0, autre) + texte_devise(autre);
    monnaie_.nb_decimales = nb == 2 ? 2 : 3;
    if (fenetre_.Panel4 == zero_autre) {
        fenetre_.Panel4 = formater_montant("0", false, 0, monnaie_) + texte_devise(monnaie_);
    }
}

void Compteur::rafraichir_apres_changement_monnaie() {
    mise_a_jour_prix();
    mise_a_jour_panels();
    if (etat_.compteur_actif) {
        // Pendant un comptage, seule la zone d'information est repeinte : rechoisir le tarif et
        // l'option pour la sélection automatique changerait le prix de la connexion en cours.
        mise_a_jour_affichage_tarifications();
    } else {
        action_tarification_reduction_changer(EmetteurChangement::autre);
    }
}

void Compteur::choisir_tarif(int position) {
    choisir_dans_liste(choix_.ComboBox2, position, EmetteurChangement::liste_tarifs);
}

void Compteur::choisir_option(int position) {
    choisir_dans_liste(choix_.ComboBox3, position, EmetteurChangement::liste_options);
}

void Compteur::choisir_dans_liste(ListeDeroulante& liste, int position, EmetteurChangement emetteur) {
    if (position < 0 || position >= static_cast<int>(liste.lignes.size())) return;
    const int avant = liste.position;
    liste.position = position;
    try {
        selecteur_.action_tarification_reduction_changer(emetteur);
    } catch (const std::exception& e) {
        // Un choix refusé (fichier des tarifs illisible) laisse la liste où elle était.
        liste.position = avant;
        montrer_erreur(e);
    }
    appliquer_boutons_choix();
}

void Compteur::tourner_rangees() {
    int index = fenetre_.index_ligne_affichee;
    const auto vide = [this](int i) { return fenetre_.lignes_etat[static_cast<std::size_t>(i)].empty(); };
    // Au plus un tour complet : une liste toute vide revient à la ligne 0.
    for (int essai = 0; essai <= nb_lignes_etat / 2; ++essai) {
        index += 2;
        if (index > nb_lignes_etat - 1) index = 0;
        if (!vide(index)) break;
    }
    if (vide(index)) index = 0;
    fenetre_.index_ligne_affichee = index;
    mise_a_jour_panels();
}

void Compteur::clignoter_rangee() {
    if (fenetre_.index_ligne_affichee != 0) return;
    fenetre_.Panel20.texte.clear();
    fenetre_.Panel1_en_haut = false;
    if (fenetre_.Panel1.texte.empty()) {
        fenetre_.Panel1.texte = fenetre_.lignes_etat[ligne_etat::etat];
    } else {
        fenetre_.Panel1.texte.clear();
    }
}

void Compteur::arreter_effets_Timer2() {
    regler_Timer2(EffetTimer2::raccrochage, false);
    fenetre_.icone_numerotation = false;
    ++fenetre_.modifications_icone;
    fenetre_.Image6_visible = false;
}

void Compteur::clignoter_programmation() {
    // Régler Timer2 à chaque tic le relancerait sans cesse : il ne l'est que s'il ne porte pas déjà
    // cet effet.
    if (effet_Timer2() != EffetTimer2::programmation || !Timer2_.active()) {
        regler_Timer2(EffetTimer2::programmation, true);
    }
}

std::optional<ConnexionComptee> Compteur::connexion_comptee() const {
    if (!etat_.compteur_actif) return std::nullopt;
    return ConnexionComptee{{etat_.date_debut, etat_.seconde_debut},
                            etat_.duree_connexion,
                            static_cast<double>(etat_.prix_communication) - etat_.montant_reduction};
}

void Compteur::initialiser_legende_duree() {
    if (fenetre_.Panel2.empty()) fenetre_.Panel2 = "00:00:00";
}

void Compteur::definir_mode_barre(bool barre) {
    fenetre_.mode_barre = barre;
    if (barre) fenetre_.SpeedButton2.visible = false;
}

void Compteur::definir_sauvegardes_crash(bool actives, int periode_secondes) {
    anti_crash_ = actives;
    Timer4_.definir_intervalle(periode_secondes * 1000);
    if (!actives) Timer4_.activer(false);
}

void Compteur::rechoisir_apres_options() {
    recharger_plafond();
    if (etat_.compteur_actif) return;
    if (choix_.mode_automatique()) {
        traitement_mode_auto();
    } else {
        action_tarification_reduction_changer(EmetteurChangement::liste_options);
    }
}

void Compteur::reevaluer_le_jour() {
    etat_.derniere_date = horloge_.maintenant().jour - 1;
}

}  // namespace lumi
