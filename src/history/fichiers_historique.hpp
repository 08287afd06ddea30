#pragma once
// Les fichiers mensuels de l'historique (dossier "Historique" du dossier de données) : l'ajout d'un
// enregistrement, la réécriture d'un fichier pour marquer, démarquer ou ôter un enregistrement, et
// le rapatriement des fichiers laissés à côté du programme. Windows-1252 sur le disque, lignes
// finies par CR LF ; cinq lignes d'en-tête puis un enregistrement par ligne.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/dates.hpp"
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
// que sa fin : pour qu'une ligne coupée par un arrêt brutal ne colle pas à la suivante, et pour
// qu'un enregistrement déjà ajouté ne le soit pas deux fois. La facture et l'instantané sont
// l'affaire de l'appelant (core/historique_compteur), qui les range avec l'ajout d'un seul tenant.
class EcrivainHistorique {
public:
    // `dossier_donnees` : tarifs.ini (le taux de TVA de l'en-tête) et le dossier Historique.
    EcrivainHistorique(std::filesystem::path dossier_donnees, char separateur_decimal);

    std::filesystem::path dossier_historique() const;

    // Construit la ligne (get_donnees_a_enregistrer) et garde sa durée comme dernière durée.
    std::string get_donnees_a_enregistrer(const DonneesConnexion& donnees);

    // La taille du fichier du mois de `jour` (0 s'il n'existe pas) : l'endroit où ira le prochain
    // ajout, que l'appelant garde pour reconnaître après un arrêt brutal un ajout déjà fait.
    std::int64_t position_fin(NumeroJour jour) const;

    // Ajoute `ligne` au fichier du mois de `debut`. Rend faux sans rien écrire pour un doublon : la
    // même ligne et la même seconde de début que le dernier enregistrement écrit, ou, avec
    // `position`, la ligne déjà là depuis cette position du fichier (ajout fait avant un arrêt
    // brutal). Lève ErreurFichier, message français nommant le fichier, qui garde alors son contenu
    // d'avant (un fichier neuf n'est pas laissé vide).
    bool enregistrement_dans_historique(std::string_view ligne, Moment debut,
                                        std::optional<std::int64_t> position = std::nullopt);

    // Le dernier enregistrement écrit depuis le démarrage ; vide s'il n'y en a pas.
    const std::string& derniere_ligne() const { return derniere_ligne_; }

    // Durée de la dernière connexion enregistrée ("00:00:01" au lieu de "00:00:00").
    const std::string& texte_derniere_duree() const { return texte_derniere_duree_; }

private:
    std::filesystem::path fichier_du_mois(NumeroJour jour, std::string* mois = nullptr,
                                          int* annee = nullptr) const;

    std::filesystem::path dossier_donnees_;
    char separateur_decimal_;
    std::string derniere_ligne_;
    std::int32_t derniere_seconde_ = -1;
    std::string texte_derniere_duree_;
};

// Ajoute `ligne` (UTF-8) au fichier `chemin` en un seul write() sur un fichier ouvert en ajout, puis
// le vide sur le disque. Un fichier neuf ou vide reçoit d'abord `entete`. Un fichier dont la
// dernière ligne a été coupée reçoit d'abord une fin de ligne. Avec `position`, rien n'est écrit
// (rend faux) si la ligne entière se trouve déjà dans le fichier à partir de cette position. En
// cas d'échec, le fichier est ramené à sa taille d'avant (ôté s'il était vide) et ErreurFichier
// est levée.
bool ajouter_ligne_historique(const std::filesystem::path& chemin, std::string_view ligne,
                              const std::function<std::string()>& entete,
                              std::optional<std::int64_t> position = std::nullopt);

// Un fichier mensuel relu : la ligne 4 (le taux de TVA) et les enregistrements, numérotés dès 1
// pour la ligne 6 comme le localisateur les compte. Le texte est en UTF-8 (un fichier en
// Windows-1252 est converti) ; une ligne coupée reste à sa place, c'est au décodage de la dire
// illisible.
class FichierHistoriqueLu {
public:
    std::string_view ligne_tva() const { return ligne(lignes_entete_historique - 2); }
    std::size_t nb_enregistrements() const {
        return lignes_.size() > lignes_entete_historique ? lignes_.size() - lignes_entete_historique : 0;
    }
    // `numero` de 1 à nb_enregistrements().
    std::string_view enregistrement(std::size_t numero) const {
        return ligne(numero + lignes_entete_historique - 1);
    }
    std::vector<std::string> enregistrements() const;

private:
    friend std::optional<FichierHistoriqueLu> lire_fichier_historique(const std::filesystem::path&);
    std::string_view ligne(std::size_t indice) const;
    std::string texte_;
    std::vector<std::pair<std::size_t, std::size_t>> lignes_;  // début et longueur, sans CR LF
};

// Un fichier mensuel que le lecteur ne sait pas couper en lignes : codé en UTF-16, ou aux lignes
// séparées par un retour chariot seul. Aucune de ses lignes n'est lue comme un enregistrement :
// `lignes` compte celles d'après l'en-tête qui ne sont pas blanches, `raison` dit pourquoi.
// Rien pour un fichier ordinaire (seuls ses premiers octets sont regardés).
struct FichierHistoriqueIllisible {
    std::string raison;
    int lignes = 0;
};
std::optional<FichierHistoriqueIllisible> fichier_historique_illisible(std::string_view octets);

// Lit un fichier mensuel ; rien s'il n'existe pas ou ne peut être lu.
std::optional<FichierHistoriqueLu> lire_fichier_historique(const std::filesystem::path& chemin);

// Les étapes de la réécriture d'un fichier, pour les essais qui l'interrompent.
enum class EtapeReecriture {
    sauvegarde_ecrite,  // "historique.bak" tient l'ancien contenu
    temporaire_ecrit,   // le nouveau contenu est sur le disque, sous un nom temporaire
    fichier_remplace,   // le nouveau fichier a pris la place de l'ancien
};

// Ce que la commande d'effacement fait d'un enregistrement : "&Effacer" le marque "¤",
// "&Restaurer" le remet "|", "&Détruire" ôte sa ligne.
enum class ActionLigne { marquer, restaurer, oter };

// Applique `action` à l'enregistrement `numero` (1 pour la ligne 6) du fichier `nom_fichier` de
// `dossier`. À tout instant le fichier du mois est entier (l'ancien ou le nouveau) ;
// "historique.bak" garde le contenu d'avant. Rend faux, fichier intact, si le fichier ou
// l'enregistrement n'existe pas ou si une écriture échoue ; `erreur` reçoit alors la raison.
bool modifier_ligne_historique(ActionLigne action, std::int32_t numero,
                               const std::filesystem::path& dossier, const std::string& nom_fichier,
                               std::string* erreur = nullptr,
                               const std::function<void(EtapeReecriture)>& point_arret = {});

// Les fichiers mensuels d'un dossier Historique, relevés d'un seul parcours du dossier, sous toutes
// les graphies de leur nom (mois_du_fichier_historique). Quand un mois en a plusieurs (un fichier
// de l'édition précédente en Windows-1252 ou sans accent à côté de celui de cette édition), tous
// sont lus, les autres graphies d'abord (dans l'ordre de leurs octets), le nom UTF-8 en dernier :
// c'est lui que les ajouts allongent, et les enregistrements des autres gardent ainsi leur numéro.
// Les enregistrements d'un mois sont numérotés à la suite d'un fichier à l'autre, dans cet ordre.
class InventaireHistorique {
public:
    explicit InventaireHistorique(const std::filesystem::path& dossier);

    // Les fichiers du mois, dans l'ordre de lecture ; vide s'il n'en a aucun.
    const std::vector<std::filesystem::path>& fichiers(unsigned mois, int annee) const;
    // Le même, le mois nommé par les deux caractères d'année de ses noms ("99", "00").
    const std::vector<std::filesystem::path>& fichiers(unsigned mois, const std::string& annee) const;

    // Chaque mois présent : son numéro et ses deux caractères d'année, une seule fois.
    std::vector<std::pair<unsigned, std::string>> mois_presents() const;

private:
    std::map<std::pair<std::string, unsigned>, std::vector<std::filesystem::path>> mois_;
};

// Où se trouve l'enregistrement `numero` (numéroté à la suite sur les fichiers du mois) : le fichier
// et son numéro dans ce fichier. Rien si le mois n'a pas autant d'enregistrements.
struct EnregistrementSitue {
    std::filesystem::path fichier;
    std::int32_t numero = 0;
};
std::optional<EnregistrementSitue> situer_enregistrement(const std::filesystem::path& dossier, unsigned mois,
                                                         int annee, std::int32_t numero);

// Range chaque "*.fct" du dossier du programme dans `dossier_historique` (un fichier du même nom y
// est remplacé). Un nom en Windows-1252 est converti en UTF-8. Rend vrai si au moins un fichier a
// été déplacé ; lève ErreurFichier après avoir traité les autres si l'un n'a pu l'être.
bool rapatrier_fichiers_historique(const std::filesystem::path& dossier_programme,
                                   const std::filesystem::path& dossier_historique);

}  // namespace lumi
