#include "core/compteur.hpp"

#include <algorithm>
#include <exception>
#include <limits>
#include <stdexcept>

#include "actions/programmation.hpp"
#include "base/decimal.hpp"
#include "base/texte.hpp"
#include "settings/cles.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/parametres.hpp"

namespace lumi {

namespace {

// Les quatre lignes de l'avertissement, jointes par des retours chariot.
constexpr std::string_view texte_alerte_heure =
    "Attention ! modifier l'heure système pendant le fonctionnement de Lumicompteur 2000,\r"
    "provoque l'arrêt du compteur. En effet, pour une plus grande précision de\r"
    "chronométrage,le logiciel utilise l'heure comme référence.\r"
    "Restaurez simplement l'heure pour obtenir de nouveau un fonctionnement correct.";

constexpr std::string_view suite_message_erreur = "Le compteur continue avec ses derniers chiffres.";

constexpr std::string_view section_trace_affectation = "test";

// Au plus `n` caractères UTF-8, sans couper un caractère.
std::string tronquer_caracteres(const std::string& texte, std::size_t n) {
    std::size_t caracteres = 0;
    for (std::size_t i = 0; i < texte.size(); ++i) {
        if ((static_cast<unsigned char>(texte[i]) & 0xC0) == 0x80) continue;
        if (caracteres == n) return texte.substr(0, i);
        ++caracteres;
    }
    return texte;
}

// Le délai d'anticipation rangé : secondes entières, 0 quand il manque ou n'est pas un nombre
// positif (le champ n'accepte que des chiffres).
std::int32_t lire_anticipation(const Registre& registre, std::string_view entree) {
    const auto lu = lire_entier(registre.lire_valeur(cles::cle_provider(entree), "anticipation"));
    return lu && *lu > 0 ? *lu : 0;
}

}  // namespace

Compteur::Compteur(CouturesCompteur coutures, std::filesystem::path dossier_donnees,
                   ReglagesCompteur reglages)
    : horloge_(coutures.horloge),
      registre_(coutures.registre),
      acces_distant_(coutures.acces_distant),
      adresse_(coutures.adresse),
      dialogue_(coutures.dialogue),
      dossier_(std::move(dossier_donnees)),
      couleurs_(reglages.couleurs),
      moteur_(dossier_ / fichier_tarifs, coutures.registre),
      selecteur_(choix_, moteur_, coutures.registre, coutures.horloge, *this),
      decompte_(etat_forfait_, selecteur_, coutures.registre, coutures.horloge, coutures.son, *this,
                dossier_ / "alarme.wav"),
      raz_(coutures.registre, selecteur_, coutures.horloge, dossier_ / fichier_reglages),
      historique_(coutures.registre, coutures.dialogue, dossier_, reglages.locale.separateur_decimal),
      avis_bureau_(coutures.registre),
      programmation_(std::make_unique<Programmation>(static_cast<VueCompteur&>(*this), coutures.horloge,
                                                     coutures.registre, coutures.acces_distant,
                                                     coutures.dialogue, coutures.son, dossier_)) {
    programmation_->definir_avis_bureau(&avis_bureau_);
    monnaie_.locale = reglages.locale;
    const FichierIni reglages_ini(dossier_ / fichier_reglages);
    monnaie_.nb_decimales = lire_nb_decimales(reglages_ini);
    monnaie_.ttc = lire_affichage_ttc(reglages_ini);
    fenetre_.Panel4_hint = monnaie_.ttc ? "Prix communication TTC" : "Prix communication HT";

    anti_crash_ = actif(registre_, parametres::anti_crash);
    Timer4_.definir_intervalle(parametres::periode_sauvegarde_crash(registre_) * 1000);
    moteur_.definir_alsace(actif(registre_, parametres::alsace));
    etat_.date_debut = horloge_.aujourdhui();
    mise_a_jour_prix();

    enregistrer_historique = [this] {
        historique_.enregistrer_historique([this] { return donnees_connexion(); },
                                           [this] {
                                               if (anti_crash_ && enregistrer_parametres_de_sauvegarde) {
                                                   enregistrer_parametres_de_sauvegarde();
                                               }
                                           });
    };
    historique_.instantane_apres_selection = [this] {
        if (etat_.compteur_actif && anti_crash_ && enregistrer_parametres_de_sauvegarde) {
            enregistrer_parametres_de_sauvegarde();
        }
    };
    // La facture augmentée après l'arrêt (ou quand une attente se termine) : la ligne d'état 3 ne
    // doit pas garder les anciens chiffres.
    historique_.facture_mise_a_jour = [this] { mise_a_jour_panels(); };
    enregistrer_parametres_de_sauvegarde = [this] {
        historique_.enregistrer_parametres_de_sauvegarde(donnees_connexion(),
                                                         moteur_.reduction().temps_restant_forfait);
    };
    // Une écriture ratée du magasin est dite à l'utilisateur, une fois par cause, sans retenir le top.
    registre_.definir_signalement([this](const std::string& message) {
        if (erreurs_montrees_.insert(message).second) dialogue_.avis(GenreBoite::avertissement, message);
    });
}

Compteur::~Compteur() {
    registre_.definir_signalement({});
}

void Compteur::charger_tarifs() {
    try {
        moteur_.lecture_taux_tva_et_valeurs_taux();
        monnaie_.taux_tva = moteur_.taux_tva();
    } catch (const std::exception& e) {
        montrer_erreur(e);
    }
    // Les listes se remplissent même si la TVA ou les réductions sont refusées.
    try {
        selecteur_.selection_au_demarrage();
    } catch (const std::exception& e) {
        montrer_erreur(e);
    }
    appliquer_boutons_choix();
    mise_a_jour_prix();
}

// ---------------------------------------------------------------------------------------------
// Le top

void Compteur::Timer1Timer() {
    // Une seule lecture de l'horloge pour tout le top.
    const Moment maintenant = horloge_.maintenant();
    const NumeroJour aujourdhui = maintenant.jour;
    const std::int32_t seconde_maintenant = maintenant.seconde;
    const int heure = seconde_maintenant / 3600;

    // Rafraîchissement horaire : seulement quand la date, l'heure, l'option ou le tarif a changé.
    if (aujourdhui != etat_.derniere_date || heure != etat_.derniere_heure ||
        choix_.forfait_en_cours != etat_.dernier_forfait_vu ||
        choix_.tarif_en_cours != etat_.dernier_tarif_vu) {
        rafraichissement_horaire(aujourdhui, heure, seconde_maintenant);
    }
    // Les remises à zéro vues pendant une connexion attendent sa fin.
    if (raz_en_attente_ && !etat_.compteur_actif) remise_a_zero_quotidienne();

    if (etat_.mode_panneau_duree == 2) fenetre_.Panel2 = formater_heure(seconde_maintenant);

    // Un enregistrement qui n'a pu être écrit est réessayé, au repos comme pendant une connexion.
    historique_.reessayer_enregistrements_en_attente(etat_.compteur_actif && anti_crash_);
    if (!etat_.compteur_actif) return;  // au repos, rien d'autre (ni fichier ni magasin)

    if (!etat_.mode_manuel) adresse_et_provider();

    if (etat_.premier_tick) {
        etat_.plage_au_debut = etat_.plage_en_cours;
        etat_.premier_tick = false;
        // Chaque connexion redit un plafond déjà dépassé.
        etat_plafond_.atteint_signale = false;
        recharger_plafond();
    }

    calcul_temps_ecoule(aujourdhui, seconde_maintenant);

    calcul_prix_et_forfait(aujourdhui, seconde_maintenant);

    verifier_plafond();

    titre_et_info_bulle();

    // Le premier top compté écrit un instantané anti-crash et lance leur cadence.
    if (anti_crash_ && !Timer4_.active()) {
        if (enregistrer_parametres_de_sauvegarde) enregistrer_parametres_de_sauvegarde();
        Timer4_.activer(true);
    }
}

void Compteur::rafraichissement_horaire(NumeroJour aujourdhui, int heure, std::int32_t seconde_maintenant) {
    etat_.derniere_heure = heure;
    if (!etat_.compteur_actif && choix_.mode_automatique()) {
        try {
            selecteur_.selection_tarif_et_reduction_en_cours_par_rapport_au_provider(
                textes_choix::selection_automatique);
        } catch (const std::exception& e) {
            montrer_erreur(e);
        }
        appliquer_boutons_choix();
    }
    etat_.dernier_forfait_vu = choix_.forfait_en_cours;
    etat_.dernier_tarif_vu = choix_.tarif_en_cours;
    int jour = moteur_.get_day_of_week_jours_feries(aujourdhui);

    if (aujourdhui != etat_.derniere_date) {
        etat_.derniere_date = aujourdhui;
        jour = moteur_.get_day_of_week_jours_feries(aujourdhui);
        if (!etat_.compteur_actif) {
            remise_a_zero_quotidienne();
        } else {
            raz_en_attente_ = true;
        }
        try {
            fenetre_.zone_tarif.forfait.Label10 = raz_.get_texte_raz_forfait();
        } catch (const std::exception& e) {
            montrer_erreur(e);
        }
        fenetre_.Image14_visible = jour == 8;
    }

    // Sans tarif chargé, le chargement a déjà dit pourquoi : le top reste muet.
    if (!moteur_.tarif_charge()) {
        etat_.plage_en_cours = 0;
    } else {
        try {
            const int liste = moteur_.get_nb_plage_horaire_par_rapport_au_jour_passe(jour);
            etat_.plage_en_cours = moteur_.bande_courante(liste, seconde_maintenant);
        } catch (const std::exception& e) {
            montrer_erreur(e);
        }
    }
    fenetre_.Panel3_plage = etat_.plage_en_cours;
    if (etat_.plage_en_cours >= 0 && etat_.plage_en_cours < nb_indices_taux) {
        fenetre_.Panel3_couleur = couleurs_[static_cast<std::size_t>(etat_.plage_en_cours)];
    }

    // Pas de comptage manuel hors de toute plage.
    if (!etat_.compteur_actif) fenetre_.SpeedButton1.enabled = etat_.plage_en_cours != 0;
}

void Compteur::remise_a_zero_quotidienne() {
    raz_en_attente_ = false;
    try {
        const auto rapport = raz_.reinitialisation_auto_des_forfaits(5);
        if (rapport.a_montrer) dialogue_.avis(GenreBoite::information, rapport.texte);
    } catch (const std::exception& e) {
        montrer_erreur(e);
    }
}

void Compteur::adresse_et_provider() {
    const std::string& adresse = fenetre_.lignes_etat[ligne_etat::adresse];
    if (!etat_.nom_connexion.empty() && !adresse.empty() && adresse != "127.0.0.1") return;

    std::string nom;
    int erreur = -1;
    int etat_ras = 0;
    ras_connexion_en_cours(acces_distant_, nom, erreur, etat_ras);
    // Une connexion vue avant d'avoir un nom est affectée maintenant.
    if (erreur == 0 && etat_.nom_connexion.empty()) affectation_variable_provider();

    if (adresse.empty() || adresse == "127.0.0.1") {
        fenetre_.lignes_etat[ligne_etat::titre_adresse] = textes_etat::adresse_ip;
        fenetre_.lignes_etat[ligne_etat::adresse] = adresse_.adresse_ip_locale();
    }
}

void Compteur::calcul_temps_ecoule(NumeroJour aujourdhui, std::int32_t seconde_maintenant) {
    // Tout se recalcule de l'horloge à chaque top : le jour du début compte jusqu'à minuit, chaque
    // jour suivant en entier. Un top manqué avant minuit (machine en veille, minuterie en retard),
    // plusieurs minuits ou une horloge reculée par-dessus minuit ne faussent donc pas la durée.
    const std::int64_t jours = std::int64_t{aujourdhui} - etat_.date_debut;
    const auto borne = [](std::int64_t v) {
        return static_cast<std::int32_t>(
            std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min() + secondes_par_jour,
                                     std::numeric_limits<std::int32_t>::max() - secondes_par_jour));
    };
    if (jours == 0) {
        etat_.secondes_jour_debut = seconde_maintenant - etat_.seconde_debut;
        etat_.secondes_jour_suivant = 0;
    } else if (jours > 0) {
        etat_.secondes_jour_debut = secondes_par_jour - 1 - etat_.seconde_debut;
        etat_.secondes_jour_suivant = borne((jours - 1) * secondes_par_jour + seconde_maintenant + 1);
    } else {
        etat_.secondes_jour_debut =
            borne(jours * secondes_par_jour + seconde_maintenant - etat_.seconde_debut);
        etat_.secondes_jour_suivant = 0;
    }

    // Horloge reculée avant le début de la connexion : un seul avertissement par vie du programme.
    if (etat_.secondes_jour_debut < 0 && etat_.alerte_heure_armee) {
        // Désarmée avant la boîte : une autre minuterie qui tourne pendant qu'elle est ouverte ne
        // peut pas l'ouvrir une seconde fois.
        etat_.alerte_heure_armee = false;
        dialogue_.avis(GenreBoite::avertissement, texte_alerte_heure);
    }

    const std::int64_t duree = std::int64_t{etat_.secondes_jour_debut} + etat_.secondes_jour_suivant;
    etat_.duree_connexion = static_cast<std::int32_t>(std::max<std::int64_t>(duree, 0));
    etat_.duree_segment = etat_.duree_connexion - etat_forfait_.debut_segment;

    const std::int32_t d = etat_.duree_connexion;
    etat_.texte_duree = champ_2(d / 3600) + ":" + champ_2((d % 3600) / 60) + ":" + champ_2(d % 60);
    if (etat_.texte_duree.size() > 10) etat_.texte_duree.resize(10);
    if (etat_.mode_panneau_duree == 1) fenetre_.Panel2 = etat_.texte_duree;
}

void Compteur::calcul_prix_et_forfait(NumeroJour aujourdhui, std::int32_t seconde_maintenant) {
    // Fichier des tarifs inutilisable, signalé une fois au chargement : la durée compte seule.
    if (!moteur_.prix_calculable()) return;
    try {
        // Après un changement de tarif, le prix ne couvre que le temps depuis le changement.
        const auto& tarif = moteur_.tarification();
        double prix;
        if (etat_forfait_.debut_segment <= 0) {
            prix = moteur_.calcul_prix_communication_sans_reduction(
                tarif, etat_.seconde_debut, etat_.date_debut, aujourdhui, seconde_maintenant, true);
        } else {
            prix = moteur_.calcul_prix_communication_sans_reduction(
                tarif, etat_forfait_.seconde_debut_segment, etat_forfait_.date_debut_segment, aujourdhui,
                seconde_maintenant, true);
        }
        const auto prix_communication = static_cast<float>(prix);

        const auto type_forfait = moteur_.reduction().type_forfait;
        const double reduit = moteur_.calcul_prix_avec_reduction(type_forfait, prix_communication,
                                                                 etat_.duree_connexion, etat_.plage_en_cours);
        etat_.prix_communication = prix_communication;
        etat_.montant_reduction = static_cast<float>(prix_communication - reduit);

        // Jauge du crédit temps ou du pas, ou décompte du forfait.
        if (type_forfait == type_forfait_r) {
            if (const auto appel = arguments_progressbar(tarif, moteur_.reduction(), etat_.duree_segment)) {
                afficher_progressbar(*appel, tarif, moteur_.reduction().unite_decompte, fenetre_.Gauge1,
                                     fenetre_.zone_tarif.forfait, fenetre_.lignes_etat);
            }
            if (!choix_.forfait_en_cours.empty()) {
                affichage_message_reduc_normales(moteur_.reduction(), etat_.duree_connexion,
                                                 etat_.montant_reduction, monnaie_, fenetre_.lignes_etat);
            }
        } else if (type_forfait == type_forfait_f) {
            decompte_.deduire_temps_forfait(etat_.duree_connexion, provider_du_decompte());
            appliquer_boutons_choix();
        }
    } catch (const std::exception& e) {
        montrer_erreur(e);
    }
}

void Compteur::titre_et_info_bulle() {
    // Le montant n'est formaté qu'une fois par top : titre et panneau du prix le partagent.
    const std::string prix = texte_prix_affiche();
    fenetre_.titre_application = " " + etat_.texte_duree + " - " + prix;
    afficher_prix(prix);
    mise_a_jour_panels();
    fenetre_.info_bulle_icone = tronquer_caracteres(fenetre_.titre_application, longueur_max_info_bulle);
    ++fenetre_.modifications_icone;
}

void Compteur::Timer4Timer() {
    if (etat_.compteur_actif) {
        if (enregistrer_parametres_de_sauvegarde) enregistrer_parametres_de_sauvegarde();
    } else {
        Timer4_.activer(false);
    }
}

// ---------------------------------------------------------------------------------------------
// Actions d'état

void Compteur::REMISE_A_ZERO_DES_VARIABLES() {
    etat_.duree_connexion = 0;
    etat_.duree_segment = 0;
    etat_forfait_.debut_de_connexion();
    etat_.secondes_jour_debut = 0;
    etat_.secondes_jour_suivant = 0;
    etat_.prix_communication = 0;
    moteur_.remise_a_zero_compteurs_reduction();
    etat_.premier_tick = true;
    etat_.date_debut = horloge_.aujourdhui();
}

void Compteur::changement_bouton_etat_connexion() {
    std::string nom;
    int erreur = -1;
    int etat_ras = -10;
    ras_connexion_en_cours(acces_distant_, nom, erreur, etat_ras);
    fenetre_.SpeedButton2.visible = true;
    fenetre_.SpeedButton3.visible = false;
    fenetre_.SpeedButton11.visible = false;
    if (etat_.compteur_actif) {
        fenetre_.SpeedButton4.visible = true;
    } else {
        fenetre_.SpeedButton1.visible = true;
    }
    if (etat_ras == etat_ras_authentification || etat_ras == etat_ras_connecte) {
        fenetre_.SpeedButton3.visible = true;
        fenetre_.SpeedButton11.visible = true;
        fenetre_.SpeedButton2.visible = false;
        fenetre_.SpeedButton4.visible = false;
        fenetre_.SpeedButton1.visible = false;
    }
    if (etat_ras == etat_ras_connexion_peripherique) {
        fenetre_.SpeedButton2.visible = true;
        fenetre_.SpeedButton1.visible = true;
        fenetre_.SpeedButton3.visible = false;
        fenetre_.SpeedButton11.visible = false;
        fenetre_.SpeedButton2.enabled = false;
        fenetre_.SpeedButton1.enabled = false;
    }
}

void Compteur::changement_bouton_mode_manuel() {
    fenetre_.SpeedButton4.visible = false;
    fenetre_.SpeedButton4.enabled = false;
    fenetre_.SpeedButton1.enabled = true;
    fenetre_.SpeedButton1.visible = true;
    fenetre_.SpeedButton3.visible = false;
    fenetre_.SpeedButton11.visible = false;
    fenetre_.SpeedButton2.enabled = true;
    fenetre_.SpeedButton2.visible = true;
}

void Compteur::action_numerotation_en_cours() {
    std::string nom;
    int erreur = -1;
    int etat_ras = 0;
    ras_connexion_en_cours(acces_distant_, nom, erreur, etat_ras);
    etat_.nom_connexion = nom;

    etat_.connexion_etablie = false;
    fenetre_.SpeedButton1.enabled = false;
    fenetre_.SpeedButton4.enabled = false;
    fenetre_.SpeedButton2.enabled = false;

    regler_Timer2(EffetTimer2::numerotation, true);
    fenetre_.icone_numerotation = true;

    fenetre_.Panel1.couleur_police = couleur_vert_lime;
    fenetre_.Panel20.couleur_police = couleur_vert_lime;
    fenetre_.Gauge1.visible = false;

    if (actif(registre_, parametres::afficher_auto)) montrer_fenetre();

    fenetre_.Panel2 = "00:00:00";
    fenetre_.Panel4 = formater_montant("0", false, 0, monnaie_) + texte_devise(monnaie_);

    etat_.duree_connexion = 0;
    fenetre_.lignes_etat[ligne_etat::etat] = textes_etat::numerotation_en_cours;
    fenetre_.lignes_etat[ligne_etat::detail] = etat_.nom_connexion;
    mise_a_jour_panels();
}

void Compteur::action_connecte_au_reseau() {
    std::string nom;
    int erreur = -1;
    int etat_ras = 0;
    ras_connexion_en_cours(acces_distant_, nom, erreur, etat_ras);
    etat_.nom_connexion = nom;

    fenetre_.lignes_etat[ligne_etat::etat] = textes_etat::connecte_au_service;
    fenetre_.lignes_etat[ligne_etat::detail].clear();

    regler_Timer2(EffetTimer2::rangee_clignotante, false);
    reaffichage_petite_icone();
    mise_a_jour_panels();

    // Pas de choix du tarif à la main pendant une connexion.
    boutons_choix_masques_ = true;
    appliquer_boutons_choix();

    REMISE_A_ZERO_DES_VARIABLES();

    fenetre_.SpeedButton1.visible = false;
    fenetre_.SpeedButton4.visible = false;
    fenetre_.SpeedButton2.visible = false;
    fenetre_.SpeedButton3.visible = true;
    fenetre_.SpeedButton11.visible = true;
    fenetre_.SpeedButton2.enabled = true;

    fenetre_.Panel2 = "00:00:00";
    etat_.seconde_debut = horloge_.seconde_du_jour();
    etat_.seconde_detection = etat_.seconde_debut;
    fenetre_.Panel1.visible = true;

    affectation_variable_provider();
}

void Compteur::action_fin_de_connexion() {
    std::string nom;
    int erreur = -1;
    int etat_ras = 0;
    ras_connexion_en_cours(acces_distant_, nom, erreur, etat_ras);
    if (etat_.nom_connexion.empty()) etat_.nom_connexion = nom;

    boutons_choix_masques_ = false;
    appliquer_boutons_choix();
    fenetre_.lignes_etat[ligne_etat::titre_adresse].clear();
    fenetre_.lignes_etat[ligne_etat::adresse].clear();
    if (fenetre_.index_ligne_affichee == 10) fenetre_.index_ligne_affichee = 0;

    regler_Timer2(EffetTimer2::rangee_clignotante, false);
    reaffichage_petite_icone();

    fenetre_.lignes_etat[ligne_etat::etat] =
        etat_.connexion_etablie ? textes_etat::fin_de_connexion : textes_etat::echec_connexion;
    fenetre_.lignes_etat[ligne_etat::detail].clear();
    mise_a_jour_panels();
    changement_bouton_mode_manuel();

    if (!etat_.connexion_etablie) return;
    etat_.compteur_actif = false;
    fenetre_.Image6_visible = false;
    if (est_oui(lire(registre_, parametres::cacher_auto)) && fenetre_.fenetre_visible) cacher_fenetre();
    enregistrer_temps_restant_forfait();
    notifier_fin_connexion();
    if (enregistrer_historique) enregistrer_historique();
}

void Compteur::SpeedButton1Click() {
    etat_.nom_connexion.clear();
    etat_.mode_manuel = true;
    fenetre_.Panel1.couleur_police = couleur_vert_lime;
    fenetre_.Panel20.couleur_police = couleur_vert_lime;
    REMISE_A_ZERO_DES_VARIABLES();
    etat_.compteur_actif = true;

    boutons_choix_masques_ = true;
    appliquer_boutons_choix();
    fenetre_.SpeedButton1.visible = false;
    fenetre_.SpeedButton1.enabled = false;
    fenetre_.SpeedButton4.enabled = true;
    fenetre_.SpeedButton4.visible = true;
    fenetre_.SpeedButton2.enabled = false;

    fenetre_.Panel2 = "00:00:00";
    etat_.seconde_debut = horloge_.seconde_du_jour();
    etat_.seconde_detection = etat_.seconde_debut;
    Timer2_.activer(false);
    fenetre_.icone_numerotation = false;

    fenetre_.lignes_etat[ligne_etat::detail].clear();
    fenetre_.lignes_etat[ligne_etat::etat] = textes_etat::demarre_manuellement;
    mise_a_jour_panels();
}

void Compteur::SpeedButton4Click() {
    etat_.connexion_etablie = false;
    etat_.compteur_actif = false;
    changement_bouton_mode_manuel();
    boutons_choix_masques_ = false;
    appliquer_boutons_choix();
    fenetre_.lignes_etat[ligne_etat::etat] = textes_etat::arrete_manuellement;
    fenetre_.lignes_etat[ligne_etat::detail].clear();
    mise_a_jour_panels();
    enregistrer_temps_restant_forfait();
    notifier_fin_connexion();
    if (enregistrer_historique) enregistrer_historique();
    etat_.mode_manuel = false;
}

void Compteur::affectation_variable_provider() {
    const Moment maintenant = horloge_.maintenant();
    // La trace de l'affectation dans lumicompteur.ini.
    try {
        FichierIni reglages(dossier_ / fichier_reglages);
        reglages.ajouter_trace(
            section_trace_affectation,
            formater_date(maintenant.jour) + " " + formater_heure(maintenant.seconde) + " affectation1",
            etat_.provider_en_cours, entrees_trace_gardees);
    } catch (const std::exception& e) {
        montrer_erreur(e);
    }

    std::string entree;
    int erreur = -1;
    int etat_ras = 0;
    ras_connexion_en_cours(acces_distant_, entree, erreur, etat_ras);
    // Le tarif choisi dans la liste est déjà le tarif en cours : toute modification de la liste
    // passe par action_tarification_reduction_changer.

    if (!entree.empty()) {
        etat_.provider_en_cours = entree;
        etat_.nom_connexion = entree;
        if (actif(registre_, parametres::message_1)) ++fenetre_.demandes_Tinfoform;
        try {
            selecteur_.selection_tarif_et_reduction_en_cours_par_rapport_au_provider(entree);
        } catch (const std::exception& e) {
            // Le tarif et l'option d'avant restent : le comptage démarre quand même.
            montrer_erreur(e);
        }
        appliquer_boutons_choix();
        // Toujours depuis l'instant de la détection : deux affectations n'ôtent pas deux fois le délai.
        const std::int32_t debut = etat_.seconde_detection - lire_anticipation(registre_, entree);
        etat_.seconde_debut = debut >= 0 ? debut : etat_.seconde_detection;
    }

    etat_.provider_affecte = true;
    etat_.connexion_etablie = true;
    etat_.compteur_actif = true;
}

void Compteur::enregistrer_temps_restant_forfait() {
    try {
        decompte_.enregistrer_temps_restant_forfait();
    } catch (const std::exception& e) {
        montrer_erreur(e);
    }
}

std::string Compteur::provider_du_decompte() const {
    if (etat_.mode_manuel || etat_.provider_en_cours.empty()) {
        return std::string(textes_choix::selection_automatique);
    }
    return etat_.provider_en_cours;
}

// ---------------------------------------------------------------------------------------------
// Choix par la fenêtre

void Compteur::action_tarification_reduction_changer(EmetteurChangement emetteur) {
    try {
        selecteur_.action_tarification_reduction_changer(emetteur);
    } catch (const std::exception& e) {
        montrer_erreur(e);
    }
    appliquer_boutons_choix();
}

void Compteur::traitement_mode_auto() {
    try {
        selecteur_.traitement_mode_auto();
    } catch (const std::exception& e) {
        montrer_erreur(e);
    }
    appliquer_boutons_choix();
}

void Compteur::appliquer_boutons_choix() {
    fenetre_.SpeedButton14.visible = !boutons_choix_masques_;
    fenetre_.SpeedButton15.visible = !boutons_choix_masques_ && choix_.SpeedButton15_visible;
}

// ---------------------------------------------------------------------------------------------
// Affichage

std::string Compteur::texte_prix_affiche() const {
    const double montant = static_cast<double>(etat_.prix_communication) - etat_.montant_reduction;
    return formater_montant(texte_montant(montant), monnaie_.ttc, 0, monnaie_) + texte_devise(monnaie_);
}

void Compteur::mise_a_jour_prix() {
    afficher_prix(texte_prix_affiche());
}

void Compteur::afficher_prix(const std::string& texte) {
    auto& index = fenetre_.index_ligne_affichee;
    if (index < 0 || index >= nb_lignes_etat ||
        fenetre_.lignes_etat[static_cast<std::size_t>(index)].empty()) {
        index = 0;
        mise_a_jour_panels();
    }
    fenetre_.Panel4 = texte;
}

void Compteur::regler_Timer2(EffetTimer2 effet, bool active) {
    Timer2_.definir_intervalle(intervalle(effet));
    Timer2_.activer(active);
}

void Compteur::mise_a_jour_panels() {
    fenetre_.lignes_etat[ligne_etat::facture] = historique_.texte_ligne_etat_3(
        etat_.compteur_actif, etat_.duree_connexion,
        static_cast<double>(etat_.prix_communication) - etat_.montant_reduction, monnaie_);
    const auto ligne = [this](int i) -> const std::string& {
        static const std::string vide;
        return i >= 0 && i < nb_lignes_etat ? fenetre_.lignes_etat[static_cast<std::size_t>(i)] : vide;
    };
    const int i = fenetre_.index_ligne_affichee;
    if (fenetre_.mode_barre) {
        fenetre_.Panel1.texte = ligne(i) + "  " + ligne(i + 1);
    } else {
        fenetre_.Panel20.texte = ligne(i + 1);
        fenetre_.Panel1.texte = ligne(i);
        fenetre_.Panel1_en_haut = !ligne(i + 1).empty();
    }
    fenetre_.Panel1.couleur_police = couleur_vert_lime;
    fenetre_.Panel20.couleur_police = couleur_vert_lime;
}

void Compteur::reaffichage_petite_icone() {
    fenetre_.icone_numerotation = false;
    fenetre_.info_bulle_icone = titre_produit;
    ++fenetre_.reaffichages_icone;
}

void Compteur::definir_mode_panneau_duree(int mode) {
    etat_.mode_panneau_duree = mode == 2 ? 2 : 1;
    if (etat_.mode_panneau_duree == 2) {
        fenetre_.Panel2 = formater_heure(horloge_.seconde_du_jour());
        fenetre_.Panel2_hint = "C'est l'heure !";
    } else {
        if (etat_.texte_duree.empty()) etat_.texte_duree = "00:00:00";
        fenetre_.Panel2 = etat_.texte_duree;
        fenetre_.Panel2_hint = "Durée connexion";
    }
}

void Compteur::montrer_fenetre() {
    fenetre_.fenetre_visible = true;
    fenetre_.menu_restaurer_visible = false;
    fenetre_.menu_reduir_visible = true;
}

void Compteur::cacher_fenetre() {
    fenetre_.fenetre_visible = false;
    fenetre_.menu_restaurer_visible = true;
    fenetre_.menu_reduir_visible = false;
}

void Compteur::mise_a_jour_affichage_tarifications() {
    std::string texte_raz;
    try {
        texte_raz = raz_.get_texte_raz_forfait();
    } catch (const std::exception& e) {
        montrer_erreur(e);
    }
    const DonneesAffichageTarif donnees{
        moteur_.tarification(), moteur_.reduction(), moteur_.plages_courantes(), couleurs_, monnaie_,
        std::move(texte_raz)};
    lumi::mise_a_jour_affichage_tarifications(fenetre_.zone_tarif, donnees);
}

void Compteur::afficher_jauge_forfait(std::int32_t restant, std::int32_t duree) {
    const AppelProgression appel{true, restant, duree, type_forfait_f, etat_.duree_segment};
    afficher_progressbar(appel, moteur_.tarification(), moteur_.reduction().unite_decompte, fenetre_.Gauge1,
                         fenetre_.zone_tarif.forfait, fenetre_.lignes_etat);
}

void Compteur::montrer_fin_forfait(const ModeleFinForfait& modele) {
    fenetre_.avis_fin_forfait.push_back(modele);
    avis_bureau_.avertir(SujetAvis::fin_forfait, modele.texte);
}

void Compteur::notifier_fin_connexion() {
    avis_bureau_.avertir(
        SujetAvis::fin_connexion,
        texte_fin_connexion(etat_.nom_connexion, etat_.duree_connexion, texte_prix_affiche(), monnaie_.ttc));
}

void Compteur::montrer_erreur(const std::exception& erreur) {
    const std::string texte = std::string(erreur.what()) + "\r" + std::string(suite_message_erreur);
    if (!erreurs_montrees_.insert(texte).second) return;
    // Sans attendre : la boîte ne retient ni le top ni la détection, le comptage continue.
    dialogue_.avis(GenreBoite::avertissement, texte);
}

// ---------------------------------------------------------------------------------------------
// Historique, facture en cours et instantanés anti-crash

DonneesConnexion Compteur::donnees_connexion() const {
    const auto& option = moteur_.reduction();
    DonneesConnexion d;
    d.tarif_en_cours = moteur_.tarif_en_cours();
    d.forfait_en_cours = option.nom;
    d.type_forfait = option.type_forfait;
    d.unite_decompte = option.unite_decompte;
    d.date_debut = etat_.date_debut;
    d.seconde_debut = etat_.seconde_debut;
    d.duree_connexion = etat_.duree_connexion;
    d.plage_au_debut = etat_.plage_au_debut;
    d.plage_a_la_fin = etat_.plage_en_cours;
    d.mode_manuel = etat_.mode_manuel;
    d.prix_communication = etat_.prix_communication;
    d.montant_reduction = etat_.montant_reduction;
    d.nom_connexion = etat_.nom_connexion;
    d.separateur_decimal = monnaie_.locale.separateur_decimal;
    return d;
}

void Compteur::lecture_total_facure_en_cours() {
    historique_.lecture_total_facure_en_cours(fenetre_.lignes_etat);
    recharger_plafond();
    mise_a_jour_prix();
    mise_a_jour_panels();
}

// ---------------------------------------------------------------------------------------------
// Plafond de la facture

void Compteur::recharger_plafond() {
    std::string erreur;
    plafond_ = lire_reglages_plafond(registre_, &erreur);
    if (!erreur.empty()) montrer_erreur(std::runtime_error(erreur));
    try {
        periode_plafond_ =
            debut_periode_facture(FichierIni(dossier_ / fichier_reglages), horloge_.aujourdhui());
    } catch (const std::exception&) {
        periode_plafond_ = horloge_.aujourdhui();
    }
    etat_plafond_.alerte_donnee =
        lire_date(registre_.lire_valeur(cles::section(cles::options), plafond::valeur_alerte_donnee));
    // Une nouvelle période, ou plus de plafond : les lignes d'une ancienne alerte s'effacent.
    if (!plafond_.montant || etat_plafond_.alerte_donnee != periode_plafond_) {
        fenetre_.lignes_etat[ligne_etat::titre_plafond].clear();
        fenetre_.lignes_etat[ligne_etat::plafond].clear();
    }
}

double Compteur::montant_pour_plafond() const {
    double montant = historique_.facture().cout_total();
    if (etat_.compteur_actif)
        montant += static_cast<double>(etat_.prix_communication) - etat_.montant_reduction;
    return montant_affiche(montant, monnaie_);
}

void Compteur::avis_plafond(std::string_view texte) {
    // Par le bureau quand il le peut ; sans service de notifications (ou avis coupés), la boîte du
    // programme, qui ne retient pas le comptage.
    if (!notifier_plafond(std::string(texte))) dialogue_.avis(GenreBoite::avertissement, texte);
}

void Compteur::verifier_plafond() {
    if (!plafond_.montant) return;
    const double montant = montant_pour_plafond();
    const auto alerte_avant = etat_plafond_.alerte_donnee;
    const auto evenement = evaluer_plafond(plafond_, montant, periode_plafond_, etat_plafond_);
    if (etat_plafond_.alerte_donnee != periode_plafond_) return;
    const std::string texte = texte_plafond(*plafond_.montant, monnaie_);
    const int part = part_du_plafond(montant, *plafond_.montant);
    // La ligne suit la facture une fois l'alerte donnée.
    fenetre_.lignes_etat[ligne_etat::titre_plafond] = "Plafond facture :";
    fenetre_.lignes_etat[ligne_etat::plafond] = "atteint à " + std::to_string(part) + " % de " + texte;
    if (evenement == EvenementPlafond::aucun) return;
    if (etat_plafond_.alerte_donnee != alerte_avant) {
        registre_.ecrire_valeur(cles::section(cles::options), plafond::valeur_alerte_donnee,
                                formater_date(periode_plafond_));
    }
    // Les lignes du plafond montrées tout de suite dans l'afficheur.
    fenetre_.index_ligne_affichee = static_cast<int>(ligne_etat::titre_plafond);
    mise_a_jour_panels();
    if (evenement == EvenementPlafond::alerte) {
        instant_alerte_plafond_ = horloge_.maintenant();
        avis_plafond(texte_avis_alerte(part, texte));
        return;
    }
    instant_plafond_atteint_ = horloge_.maintenant();
    programmation_->jouer_alarme();
    avis_plafond(texte_avis_atteint(texte, plafond_.action));
    if (plafond_.action == ActionPlafond::raccrocher) {
        programmation_->fin_programmation(OrigineDeclenchement::plafond);
    }
}

bool Compteur::remise_a_jour_periodes_facturation() {
    FichierIni reglages(dossier_ / fichier_reglages);
    return historique_.remise_a_jour_periodes_facturation(reglages, horloge_.aujourdhui(), [this] {
        mise_a_jour_prix();
        try {
            const auto rapport = raz_.reinitialisation_auto_des_forfaits(0);
            if (rapport.a_montrer) dialogue_.information(rapport.texte);
            selecteur_.recharger();
        } catch (const std::exception& e) {
            montrer_erreur(e);
        }
        appliquer_boutons_choix();
    });
}

RepriseConnexion Compteur::proposer_reprise_connexion() {
    const FichierIni reglages(dossier_ / fichier_reglages);
    return historique_.proposer_reprise_connexion(reglages, monnaie_, horloge_.aujourdhui(),
                                                  fenetre_.lignes_etat, [this] { mise_a_jour_prix(); });
}

}  // namespace lumi
