#include "core/demarrage.hpp"

#include <algorithm>
#include <exception>
#include <system_error>

#include "base/fichiers.hpp"
#include "core/compteur.hpp"
#include "core/couleurs.hpp"
#include "core/detection.hpp"
#include "history/fichiers_historique.hpp"
#include "settings/cles.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/parametres.hpp"

namespace lumi {

namespace fs = std::filesystem;

std::optional<std::string> verif_fichiers_ini(const fs::path& dossier) {
    std::optional<std::string> manquant;
    for (const char* nom : {fichier_reglages, fichier_couleurs, fichier_tarifs}) {
        std::error_code erreur;
        if (!fs::exists(dossier / nom, erreur)) manquant = nom;
    }
    return manquant;
}

std::string texte_fichier_manquant(std::string_view nom) {
    return "Le fichier " + std::string(nom) +
           " est manquant !\r"
           "Ce fichier est nécessaire au bon fonctionnement du logiciel.\r"
           "Il est recommandé de réinstaller le logiciel complètement...";
}

std::string texte_fichier_inutilisable(std::string_view defaut) {
    return std::string(defaut) +
           "\rCe fichier est nécessaire au bon fonctionnement du logiciel.\r"
           "Il est recommandé de réinstaller le logiciel complètement...";
}

std::string texte_couleurs_illisibles(const std::vector<std::string>& illisibles) {
    constexpr std::size_t montrees = 5;
    std::string texte = "Des couleurs du fichier " + std::string(fichier_couleurs) +
                        " ne se lisent pas ; les couleurs par défaut les remplacent :";
    for (std::size_t i = 0; i < illisibles.size() && i < montrees; ++i) texte += "\r" + illisibles[i];
    if (illisibles.size() > montrees) {
        texte += "\r(et " + std::to_string(illisibles.size() - montrees) + " autres)";
    }
    return texte;
}

std::string concatener_arguments(const std::vector<std::string>& arguments) {
    std::string texte;
    for (const auto& a : arguments) texte += a;
    return texte;
}

Demarrage::Demarrage(Compteur& compteur, CouturesDemarrage coutures, fs::path dossier_donnees,
                     OptionsDemarrage options)
    : compteur_(compteur),
      registre_(coutures.registre),
      dialogue_(coutures.dialogue),
      systeme_(coutures.systeme),
      dossier_(std::move(dossier_donnees)),
      options_(std::move(options)) {}

CommandeSysteme Demarrage::commande_demarrage_automatique() const {
    CommandeSysteme commande{options_.chemin_programme.string()};
    commande.insert(commande.end(), options_.options_demarrage_automatique.begin(),
                    options_.options_demarrage_automatique.end());
    commande.emplace_back(argument_invisible);
    return commande;
}

void Demarrage::FormCreate(CoquilleDemarrage& coquille) {
    // Les formats de date et d'heure sont fixes ("dd/mm/yyyy", "HH:mm:ss") : rien ne les relit.
    etape(EtapeDemarrage::formats);

    // Le dossier de l'historique manque : il est créé et les fichiers égarés dans le dossier du
    // programme y sont rangés.
    etape(EtapeDemarrage::dossier_historique);
    if (std::error_code erreur; !fs::exists(dossier_ / dossier_historique, erreur)) {
        try {
            erreur = creer_dossiers_prives(dossier_ / dossier_historique);
            rapatrier_fichiers_historique(dossier_, dossier_ / dossier_historique);
        } catch (const std::exception&) {
            // Sans suite : l'écriture de l'historique dira ce qui ne va pas.
        }
    }

    // Les temporaires d'une réécriture interrompue par un arrêt brutal ne restent pas.
    oter_temporaires_abandonnes(dossier_);
    oter_temporaires_abandonnes(dossier_ / dossier_historique);

    etape(EtapeDemarrage::chemin_programme);
    ecrire(registre_, parametres::path, options_.chemin_programme.string());

    etape(EtapeDemarrage::verif_fichiers_ini);
    if (const auto manquant = verif_fichiers_ini(dossier_))
        dialogue_.avertissement(texte_fichier_manquant(*manquant));
    // Un fichier présent mais inutilisable se dit comme un fichier manquant : sans cela le
    // programme partirait sans un mot sur les réglages ou les couleurs par défaut. Le fichier des
    // tarifs a sa propre boîte, au chargement du tarif.
    for (const auto& [nom, designation] : {std::pair{fichier_reglages, "Le fichier des réglages"},
                                           std::pair{fichier_couleurs, "Le fichier des couleurs"}}) {
        const fs::path chemin = dossier_ / nom;
        if (std::error_code erreur; !fs::exists(chemin, erreur) && !erreur) continue;
        if (const auto defaut = defaut_fichier_ini(chemin, designation + (" « " + chemin.string() + " »"))) {
            dialogue_.avertissement(texte_fichier_inutilisable(*defaut));
        } else if (nom == fichier_couleurs) {
            if (const auto illisibles = couleurs_illisibles(chemin); !illisibles.empty())
                dialogue_.avertissement(texte_couleurs_illisibles(illisibles));
        }
    }

    etape(EtapeDemarrage::fermeture_windows);
    fermeture_windows_ = false;

    // TVA, réductions par taux, couleurs des plages, affichage des prix, "anti crash", "Alsace" et la
    // période des instantanés sont lus par le compteur à sa construction.
    etape(EtapeDemarrage::taux_tva);
    etape(EtapeDemarrage::lignes_etat);
    etape(EtapeDemarrage::taux_et_couleurs);
    etape(EtapeDemarrage::affichage_des_prix);
    etape(EtapeDemarrage::titre_et_couleurs);

    etape(EtapeDemarrage::fichier_du_mois);
    compteur_.ecrire_ligne_etat(ligne_etat::produit, std::string(ligne_etat_12));
    compteur_.ecrire_ligne_etat(ligne_etat::description, std::string(ligne_etat_13));

    etape(EtapeDemarrage::utilisateurs);
    coquille.selection_utilisateurs(systeme_.profils_utilisateurs(), systeme_.utilisateur_connecte());

    // "date fin derniere facture" est relue par la vérification de la période (dernière étape).
    etape(EtapeDemarrage::parametres_historique);

    etape(EtapeDemarrage::reprise_crash);
    compteur_.proposer_reprise_connexion();

    etape(EtapeDemarrage::tarifs_et_options);
    compteur_.charger_tarifs();

    // La facture relue ; puis plus d'instantané que celui de la connexion en cours (celui d'un
    // enregistrement qui n'a pu être écrit reste, voir HistoriqueCompteur).
    etape(EtapeDemarrage::facture_en_cours);
    compteur_.lecture_total_facure_en_cours();
    compteur_.effacer_cle_sauvegarde_crash();

    etape(EtapeDemarrage::frequence_sauvegarde);

    etape(EtapeDemarrage::ligne_de_commande);
    for (const auto& argument : options_.arguments) {
        if (argument == argument_invisible) invisible_demande_ = true;  // casse comprise
        coquille.selectionner_utilisateur(argument);
    }

    etape(EtapeDemarrage::mode_affichage);
    coquille.disposer_fenetre(lire_taille_demarrage(registre_));

    etape(EtapeDemarrage::source_detection);
    if (detection_ != nullptr) {
        detection_->choix_de_la_source();
        coquille.suivre_detection(*detection_);
    }

    etape(EtapeDemarrage::ligne_etat_source);
    compteur_.ecrire_ligne_etat(ligne_etat::detail, {});
    compteur_.ecrire_ligne_etat(ligne_etat::etat,
                                std::string(detection_ != nullptr ? detection_->texte_etat_source()
                                                                  : textes_etat::supervision_en_cours));
    compteur_.mise_a_jour_panels();

    etape(EtapeDemarrage::icone_et_position);
    coquille.restaurer_position();
    coquille.installer_icone();

    etape(EtapeDemarrage::fenetre);
    if (invisible_demande_) {
        coquille.cacher();
    } else {
        coquille.montrer();
    }
    coquille.fin_du_demarrage();

    etape(EtapeDemarrage::premiere_utilisation);
    if (actif(registre_, parametres::premiere_utilisation_2000)) premiere_utilisation(coquille);

    etape(EtapeDemarrage::entree_demarrage_automatique);
    if (options_.gerer_demarrage_automatique) entree_demarrage_automatique();

    etape(EtapeDemarrage::periode_facturation);
    compteur_.remise_a_jour_periodes_facturation();
}

void Demarrage::premiere_utilisation(CoquilleDemarrage& coquille) {
    coquille.premiere_utilisation();
    registre_.effacer_arborescence(cles::racine_edition_98);
    ecrire(registre_, parametres::premiere_utilisation_2000, "non");
    if (options_.gerer_demarrage_automatique) {
        systeme_.ecrire_demarrage_automatique(demarrage_automatique::nom, commande_demarrage_automatique());
    }
}

void Demarrage::entree_demarrage_automatique() {
    systeme_.effacer_demarrage_automatique(demarrage_automatique::nom_98);
    systeme_.effacer_demarrage_automatique(demarrage_automatique::nom_99);
    // Le programme a été déplacé : l'entrée le suit. Une entrée ôtée par l'utilisateur le reste.
    const auto actuelle = systeme_.lire_demarrage_automatique(demarrage_automatique::nom);
    const auto attendue = commande_demarrage_automatique();
    if (actuelle && *actuelle != attendue) {
        systeme_.ecrire_demarrage_automatique(demarrage_automatique::nom, attendue);
    }
}

void Demarrage::fermeture_acceptee(bool fin_de_session) {
    if (fin_de_session) fermeture_windows_ = true;
    if (!fermeture_windows_) compteur_.effacer_cle_sauvegarde_crash();
}

void Demarrage::FormDestroy(bool mode_reduit_barre) {
    if (detruit_) return;
    detruit_ = true;
    if (detection_ != nullptr) detection_->fermeture_tapi();
    // Un démarrage interrompu plus tôt n'a pas lu le mode rangé : ce n'est pas à lui de le changer.
    if (std::find(etapes_.begin(), etapes_.end(), EtapeDemarrage::mode_affichage) == etapes_.end()) return;
    ecrire(registre_, parametres::taille_reduite, mode_reduit_barre ? "barre" : "afficheur");
}

}  // namespace lumi
