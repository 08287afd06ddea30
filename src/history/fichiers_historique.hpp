#pragma once
// Les fichiers mensuels de l'historique (dossier "Historique" du dossier de données) : l'ajout d'un
// enregistrement, la réécriture d'un fichier pour marquer, démarquer ou ôter un enregistrement, et
// le rapatriement des fichiers laissés à côté du programme. Windows-1252 sur le disque, lignes
// finies par CR LF ; cinq lignes d'en-tête puis un enregistrement par ligne.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/dates.hpp"
#include "history/facture.hpp"
#include "history/ligne_historique.hpp"

namespace lumi {

inline constexpr std::string_view entete_historique_1 =
    "Attention, modifier ce fichier peut provoquer des erreurs de lecture !";
inline constexpr std::string_view entete_historique_2 = "Lumicompteur 2000 v1.0";
inline constexpr std::string_view nom_sauvegarde_historique = "historique.bak";
inline constexpr int lignes_entete_historique = 5;

// Les cinq lignes d'en-tête d'un fichier neuf (UTF-8, chacune suivie de CR LF).
std::string entete_historique(std::string_view nom_du_mois, int annee, std::string_view texte_tva);

// Le taux de TVA tel que la ligne 4 l'écrit : clé "taux" de la section "TVA" de tarifs.ini, la
// première "," et le premier "." remplacés par le séparateur décimal ; vide si la clé manque.
std::string texte_tva_historique(const std::filesystem::path& fichier_tarifs, char separateur_decimal);

// L'écrivain de l'historique. Un ajout ouvre, écrit et ferme un seul fichier, sans rien en relire
// qu'un octet : la fin du fichier, pour qu'une ligne coupée par un arrêt brutal ne colle pas à la
// suivante.
class EcrivainHistorique {
public:
    // `dossier_donnees` : tarifs.ini et le dossier Historique. `effacer_cle_sauvegarde_crash` est
    // appelé une fois l'enregistrement sur le disque.
    EcrivainHistorique(std::filesystem::path dossier_donnees, char separateur_decimal,
                       FactureEnCours& facture, std::function<void()> effacer_cle_sauvegarde_crash);

    std::filesystem::path dossier_historique() const;

    // Construit la ligne (get_donnees_a_enregistrer) et garde sa durée comme dernière durée.
    std::string get_donnees_a_enregistrer(const DonneesConnexion& donnees);

    // Ajoute `ligne` au fichier du mois de `debut`. Rend faux pour un doublon (même ligne et même
    // seconde de début que le dernier enregistrement écrit) : rien n'est fait. Une fois la ligne
    // vidée sur le disque, efface l'instantané (sauf `effacer_instantane` faux : l'instantané est
    // celui d'une autre connexion) puis ajoute à la facture `secondes_a_facturer` et le montant du
    // champ 8 (rien quand la facture contient déjà la connexion, au rétablissement d'un instantané).
    // Lève ErreurFichier, message français nommant le fichier : l'instantané reste alors, et le
    // fichier garde son contenu d'avant.
    bool enregistrement_dans_historique(std::string_view ligne, Moment debut,
                                        std::optional<std::int32_t> secondes_a_facturer,
                                        bool effacer_instantane = true);

    // Le dernier enregistrement écrit depuis le démarrage ; vide s'il n'y en a pas.
    const std::string& derniere_ligne() const { return derniere_ligne_; }

    // Durée de la dernière connexion enregistrée ("00:00:01" au lieu de "00:00:00").
    const std::string& texte_derniere_duree() const { return texte_derniere_duree_; }

private:
    std::filesystem::path dossier_donnees_;
    char separateur_decimal_;
    FactureEnCours& facture_;
    std::function<void()> effacer_cle_sauvegarde_crash_;
    std::string derniere_ligne_;
    std::int32_t derniere_seconde_ = -1;
    std::string texte_derniere_duree_;
};

// Ajoute `ligne` (UTF-8) au fichier `chemin` en un seul write() sur un fichier ouvert en ajout, puis
// le vide sur le disque. Un fichier neuf ou vide reçoit d'abord `entete`. Un fichier dont la
// dernière ligne a été coupée reçoit d'abord une fin de ligne. En cas d'échec, le fichier est
// ramené à sa taille d'avant et ErreurFichier est levée.
void ajouter_ligne_historique(const std::filesystem::path& chemin, std::string_view ligne,
                              const std::function<std::string()>& entete);

// Les étapes de la réécriture d'un fichier, pour les essais qui l'interrompent.
enum class EtapeReecriture {
    sauvegarde_ecrite,  // "historique.bak" tient l'ancien contenu
    temporaire_ecrit,   // le nouveau contenu est sur le disque, sous un nom temporaire
    fichier_remplace,   // le nouveau fichier a pris la place de l'ancien
};

// Marque ("¤"), démarque ("|") ou ôte l'enregistrement `numero` (1 pour la ligne 6) du fichier
// `nom_fichier` de `dossier`. À tout instant le fichier du mois est entier (l'ancien ou le nouveau) ;
// "historique.bak" garde le contenu d'avant. Rend faux, fichier intact, si le fichier ou
// l'enregistrement n'existe pas ou si une écriture échoue ; `erreur` reçoit alors la raison.
bool modifier_ligne_historique(bool oter, bool restaurer, std::int32_t numero,
                               const std::filesystem::path& dossier, const std::string& nom_fichier,
                               std::string* erreur = nullptr,
                               const std::function<void(EtapeReecriture)>& point_arret = {});

// Range chaque "*.fct" du dossier du programme dans `dossier_historique` (un fichier du même nom y
// est remplacé). Un nom en Windows-1252 est converti en UTF-8. Rend vrai si au moins un fichier a
// été déplacé ; lève ErreurFichier après avoir traité les autres si l'un n'a pu l'être.
bool rapatrier_fichiers_historique(const std::filesystem::path& dossier_programme,
                                   const std::filesystem::path& dossier_historique);

}  // namespace lumi
