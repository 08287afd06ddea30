#include "core/detection.hpp"

#include <exception>

#include "base/dates.hpp"
#include "core/compteur.hpp"
#include "core/fenetre_principale.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/parametres.hpp"

namespace lumi {

namespace {

constexpr int message_source_ras = 59;
constexpr int message_source_telephonie = 60;

}  // namespace

void ActionsCompteur::action_numerotation_en_cours() {
    compteur_.action_numerotation_en_cours();
}
void ActionsCompteur::action_connecte_au_reseau() {
    compteur_.action_connecte_au_reseau();
}
void ActionsCompteur::action_fin_de_connexion() {
    compteur_.action_fin_de_connexion();
}
bool ActionsCompteur::mode_manuel() const {
    return compteur_.etat().mode_manuel;
}

Detection::Detection(CouturesDetection coutures, ActionsDetection& actions,
                     std::filesystem::path dossier_donnees)
    : horloge_(coutures.horloge),
      registre_(coutures.registre),
      acces_distant_(coutures.acces_distant),
      telephonie_(coutures.telephonie),
      dialogue_(coutures.dialogue),
      actions_(actions),
      dossier_(std::move(dossier_donnees)) {}

Detection::~Detection() {
    fermeture_tapi();
}

// ---------------------------------------------------------------------------------------------
// Choix de la source

void Detection::choix_de_la_source() {
    const FichierIni reglages(dossier_ / fichier_reglages);
    if (actif(reglages, parametres::only_ras)) surveillance_par_ras_ = true;
    ouverture_tapi();
}

void Detection::ouverture_tapi() {
    // Tout échec, exception comprise, donne la scrutation, sans message.
    try {
        std::uint32_t nb_lignes = 0;
        PoigneeTapi usage = 0;
        const auto resultat = telephonie_.initialiser(
            [this](PoigneeTapi hDevice, std::uint32_t dwMessage, std::uintptr_t dwInstance,
                   std::uintptr_t dwParam1, std::uintptr_t dwParam2, std::uintptr_t dwParam3) {
                rappel_ligne_tapi(hDevice, dwMessage, dwInstance, dwParam1, dwParam2, dwParam3);
            },
            usage, nb_lignes);
        if (resultat < 0) {
            surveillance_par_ras_ = true;
            hLineApp_ = 0;
            return;
        }
        hLineApp_ = usage;
        if (nb_lignes == 0) {
            telephonie_.arreter(hLineApp_);
            hLineApp_ = 0;
            surveillance_par_ras_ = true;
            return;
        }
        // Une fois hLineApp_ à 0, les lignes suivantes échouent aussi : un seul échec suffit à
        // passer tout le programme en scrutation.
        for (std::uint32_t ligne = 0; ligne < nb_lignes; ++ligne) {
            std::uint32_t version = 0;
            if (telephonie_.negocier_version(hLineApp_, ligne, version_tapi_basse, version_tapi_haute,
                                             version) < 0) {
                telephonie_.arreter(hLineApp_);
                hLineApp_ = 0;
                surveillance_par_ras_ = true;
                continue;
            }
            PoigneeTapi ouverte = 0;
            if (telephonie_.ouvrir_ligne(hLineApp_, ligne, ouverte, version, privilege_surveillance,
                                         media_modem_donnees) < 0) {
                telephonie_.arreter(hLineApp_);
                hLineApp_ = 0;
                hLine_ = 0;
                surveillance_par_ras_ = true;
                continue;
            }
            hLine_ = ouverte;
        }
    } catch (const std::exception&) {
        if (hLineApp_ != 0) {
            try {
                telephonie_.arreter(hLineApp_);
            } catch (const std::exception&) {
                // Déjà en panne : il n'y a rien de plus à rendre.
            }
        }
        hLineApp_ = 0;
        hLine_ = 0;
        surveillance_par_ras_ = true;
    }
}

void Detection::fermeture_tapi() {
    try {
        if (hLine_ != 0) telephonie_.fermer_ligne(hLine_);
    } catch (const std::exception&) {
        // La fermeture continue : la téléphonie doit être rendue quoi qu'il arrive à la ligne.
    }
    hLine_ = 0;
    try {
        if (hLineApp_ != 0) telephonie_.arreter(hLineApp_);
    } catch (const std::exception&) {
        // Fin du programme : rien d'autre à faire.
    }
    hLineApp_ = 0;
}

std::string_view Detection::texte_etat_source() const {
    return surveillance_par_ras_ ? textes_etat::supervision_en_cours : textes_etat::attente_connexion;
}

void Detection::basculer_source() {
    const bool etait_par_ras = surveillance_par_ras_;
    surveillance_par_ras_ = !surveillance_par_ras_;
    const FichierIni reglages(dossier_ / fichier_reglages);
    dialogue_.information(
        message_utilisateur(reglages, etait_par_ras ? message_source_telephonie : message_source_ras));
}

// ---------------------------------------------------------------------------------------------
// La scrutation

void Detection::ecrire_trace(int etat, std::string_view libelle) {
    const std::string cle =
        std::to_string(etat) + " " + formater_heure(horloge_.seconde_du_jour()) + " " + std::string(libelle);
    try {
        FichierIni reglages(dossier_ / fichier_reglages);
        // La valeur dit aussi quel service a vu la connexion, quand il y en a plusieurs.
        const std::string valeur =
            source_trace_.empty() ? std::string(libelle) : std::string(libelle) + " (" + source_trace_ + ")";
        reglages.ajouter_trace(section_trace_detection, cle, valeur, entrees_trace_gardees);
    } catch (const std::exception&) {
        // La trace n'est qu'un journal : une trace perdue ne doit pas retenir l'action qui suit.
    }
}

int Detection::descripteur_veille() const {
    return acces_distant_.descripteur_veille();
}

bool Detection::veille_suffit() const {
    return !reprise_due_ && acces_distant_.descripteur_veille() >= 0 && acces_distant_.veille_complete();
}

void Detection::Timer5Timer_sur_veille() {
    try {
        acces_distant_.lire_veille();
    } catch (const std::exception&) {
        // La scrutation qui suit interroge de nouveau et lit l'erreur comme « aucune connexion ».
    }
    Timer5Timer();
}

void Detection::Timer5Timer() {
    if (!surveillance_par_ras_) return;
    reprise_due_ = false;

    // 1. L'état de la première connexion ; toute erreur se lit « aucune connexion ».
    int etat = etat_scrutation_aucune;
    try {
        const auto connexions = acces_distant_.connexions();
        if (!connexions.empty()) {
            etat = connexions.front().etat;
            source_trace_ = connexions.front().source;
        }
    } catch (const std::exception&) {
        etat = etat_scrutation_aucune;
        reprise_due_ = true;
    }

    // 2. Chaque action part une fois par connexion.
    try {
        switch (etat) {
            case etat_scrutation_aucune:
                // Une connexion vue d'abord à l'authentification (programme lancé en cours de route,
                // pppd sans fichier de lien) se termine aussi ici.
                if ((numerotation_vue_ || connexion_vue_) && !fin_vue_) {
                    ecrire_trace(etat, "part 1");
                    numerotation_vue_ = connexion_vue_ = fin_vue_ = false;
                    actions_.action_fin_de_connexion();
                } else if (fin_vue_) {
                    // Fin déjà traitée : retour au repos, sans autre action, pour que la connexion
                    // suivante compte même si sa numérotation n'est pas vue.
                    numerotation_vue_ = connexion_vue_ = fin_vue_ = false;
                }
                break;
            case etat_ras_connexion_peripherique:
                if (!numerotation_vue_) {
                    numerotation_vue_ = true;
                    connexion_vue_ = fin_vue_ = false;
                    actions_.action_numerotation_en_cours();
                    ecrire_trace(etat, "part 3");
                }
                break;
            case etat_ras_authentification:
                // Le compteur part dès l'authentification, pas à la fin de la connexion.
                if (!connexion_vue_) {
                    actions_.action_connecte_au_reseau();
                    connexion_vue_ = true;
                    ecrire_trace(etat, "part 4");
                }
                break;
            case etat_ras_deconnecte:
                if (!fin_vue_) {
                    ecrire_trace(etat, "part 5");
                    fin_vue_ = true;
                    numerotation_vue_ = false;
                    actions_.action_fin_de_connexion();
                }
                break;
            default:  // 8192 connecté, et tout autre état : rien
                break;
        }
    } catch (const std::exception&) {
        // Le gestionnaire de minuterie s'arrête là et reprend au passage suivant.
        reprise_due_ = true;
    }
}

// ---------------------------------------------------------------------------------------------
// La téléphonie

void Detection::liberer(PoigneeTapi appel) {
    try {
        telephonie_.liberer_appel(appel);
    } catch (const std::exception&) {
        // Une poignée que la téléphonie ne reconnaît plus : il n'y a rien à rendre.
    }
}

void Detection::rappel_ligne_tapi(PoigneeTapi hDevice, std::uint32_t dwMessage, std::uintptr_t /*dwInstance*/,
                                  std::uintptr_t dwParam1, std::uintptr_t /*dwParam2*/,
                                  std::uintptr_t /*dwParam3*/) {
    if (dwMessage != message_etat_appel) return;
    const PoigneeTapi appel = hDevice;
    try {
        switch (dwParam1) {
            case etat_appel_libre:
                if (appel != 0) liberer(appel);
                if (!surveillance_par_ras_) actions_.action_fin_de_connexion();
                break;
            case etat_appel_connecte:
                if (appel != 0 && !surveillance_par_ras_) actions_.action_connecte_au_reseau();
                break;
            case etat_appel_acheminement: {
                if (actions_.mode_manuel() || surveillance_par_ras_) {
                    liberer(appel);
                    break;
                }
                std::string nom;
                int erreur = -1;
                int etat = 0;
                ras_connexion_en_cours(acces_distant_, nom, erreur, etat);
                if (erreur != -1) {
                    actions_.action_numerotation_en_cours();
                } else if (actif(registre_, parametres::detection_ras)) {
                    // Seuls les appels que l'accès à distance connaît sont comptés.
                    liberer(appel);
                } else {
                    actions_.action_numerotation_en_cours();
                }
                break;
            }
            case etat_appel_deconnecte:
                liberer(appel);
                if (!surveillance_par_ras_) actions_.action_fin_de_connexion();
                break;
            default:
                break;
        }
    } catch (const std::exception&) {
        // Comme une minuterie : l'événement suivant repart de zéro.
    }
}

}  // namespace lumi
