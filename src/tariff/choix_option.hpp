#pragma once
// Choix du tarif et de l'option (réduction ou forfait) : à la main avec les deux listes de la fenêtre
// principale, ou automatiquement (entrée 0 de la liste des options) parmi les options accordées au
// fournisseur appelé, la plus prioritaire qui s'applique à cette heure l'emportant.
//
// Contrat avec le compteur :
// - ChoixTarifaire est l'état simple du choix : noms en cours, lignes et positions des deux listes,
//   libellés, visibilité du bouton de la liste des tarifs. Le compteur le possède et montre ces
//   valeurs telles quelles après chaque appel.
// - Les enregistrements chargés (tarif, option avec son `type_forfait`, listes de plages) restent dans
//   MoteurTarifaire ; SelecteurTarifaire les recharge à partir des noms de ChoixTarifaire.
// - Après chaque rechargement réussi, SelecteurTarifaire appelle
//   AffichageTarifaire::mise_a_jour_affichage_tarifications() : le compteur y rafraîchit la zone
//   d'information tarifaire.
// - Une erreur (ErreurConversion, ErreurPlagesHoraires) laisse ChoixTarifaire, le moteur et le
//   registre tels qu'avant l'appel ; l'appelant la montre.
#include <string>
#include <string_view>
#include <vector>

#include "base/horloge.hpp"
#include "settings/registre.hpp"
#include "tariff/moteur_tarifaire.hpp"

namespace lumi {

// Textes fixes des deux listes et de leurs commandes.
namespace textes_choix {
inline constexpr std::string_view selection_automatique = "Sélection automatique et mode manuel";
inline constexpr std::string_view aucune_option = "Aucune réduction ou forfait tarifaire";
inline constexpr std::string_view option_automatique = "auto";  // référence pendant le choix automatique
inline constexpr std::string_view tarif_par_defaut = "Tarification locale";
inline constexpr std::string_view hint_libelle_option = "Réduction ou forfait tarifaire en cours";
inline constexpr std::string_view hint_libelle_tarif = "Tarification en cours";
inline constexpr std::string_view hint_liste_tarifs = "Sélection de la tarification";
inline constexpr std::string_view hint_SpeedButton14 =
    "Cliquez-ici pour sélectionner manuellement la réduction ou forfait à appliquer";
inline constexpr std::string_view hint_SpeedButton15 =
    "Cliquez-ici pour sélectionner manuellement la tarification à appliquer";
// Libellé du tarif quand un forfait "F" est en cours (points et deux blancs).
inline constexpr std::string_view points_forfait = ". . .  ";
// Libellé du tarif quand une option "Fi" ne couvre pas l'heure (plage autre que 1).
inline constexpr std::string_view points_forfait_fi = ". . . ";
}  // namespace textes_choix

// Les options "FL" et "FLA" gardent leur tarif affiché et survivent à un tarif incompatible.
bool est_option_fl_ou_fla(std::string_view reference);

// Une liste déroulante : ses lignes et la ligne choisie (-1 : aucune).
struct ListeDeroulante {
    std::vector<std::string> lignes;
    int position = -1;

    // La ligne choisie, vide si aucune.
    std::string texte() const;
    // Position de la première ligne égale à `texte` (casse comprise), -1 sinon.
    int indice(std::string_view texte) const;
};

// L'état du choix, tenu par le compteur pour toute la durée du programme.
struct ChoixTarifaire {
    std::string tarif_en_cours;  // nom du tarif téléphonique en vigueur
    std::string
        forfait_en_cours;  // référence de l'option en vigueur ; vide = aucune ; "auto" en cours de choix
    // Liste des options : 0 "Sélection automatique et mode manuel", 1 "Aucune réduction ou forfait
    // tarifaire", k >= 2 la `designation` de l'option numéro k - 1.
    ListeDeroulante ComboBox3;
    // Liste des tarifs, dans l'ordre du fichier.
    ListeDeroulante ComboBox2;
    std::string libelle_option;  // l'option en vigueur (hint textes_choix::hint_libelle_option)
    std::string libelle_tarif;   // le tarif en vigueur (hint textes_choix::hint_libelle_tarif)
    // Bouton qui déroule la liste des tarifs : visible seulement quand l'option a été choisie à la
    // main. Le compteur le cache aussi pendant une connexion.
    bool SpeedButton15_visible = false;

    // Mode automatique : la liste des options est sur son entrée 0.
    bool mode_automatique() const { return ComboBox3.position == 0; }
};

// Ce que la fenêtre principale fait après chaque rechargement du tarif et de l'option.
class AffichageTarifaire {
public:
    virtual ~AffichageTarifaire() = default;
    virtual void mise_a_jour_affichage_tarifications() = 0;
};

// Qui a provoqué action_tarification_reduction_changer.
enum class EmetteurChangement {
    liste_options,  // ComboBox3 a changé (sa position est déjà la nouvelle)
    liste_tarifs,   // ComboBox2 a changé (sa position est déjà la nouvelle)
    autre,          // demande de rafraîchissement : démarrage, options validées, affichage modifié
};

// Les opérations du choix. Ne garde que des références : l'état est dans ChoixTarifaire et le moteur.
class SelecteurTarifaire {
public:
    SelecteurTarifaire(ChoixTarifaire& choix, MoteurTarifaire& moteur, Registre& registre,
                       const Horloge& horloge, AffichageTarifaire& affichage);

    ChoixTarifaire& choix() { return choix_; }
    const ChoixTarifaire& choix() const { return choix_; }
    MoteurTarifaire& moteur() { return moteur_; }
    const MoteurTarifaire& moteur() const { return moteur_; }

    // Démarrage, après le chargement de la TVA : remplit les deux listes, choisit le tarif
    // ("dernier tarif" s'il est dans la liste, sinon le premier) et la position de la liste des
    // options ("derniere reduc", "0" si absente, illisible ou au-delà de la liste), puis rafraîchit
    // comme action_tarification_reduction_changer(autre).
    void selection_au_demarrage();

    // Choix automatique pour le fournisseur `provider` (nom d'entrée d'annuaire, ou
    // textes_choix::selection_automatique). Met à jour les noms, les listes et les libellés, puis
    // recharge le moteur.
    void selection_tarif_et_reduction_en_cours_par_rapport_au_provider(std::string_view provider);

    // Réaction à un changement de liste (la position choisie est déjà dans ChoixTarifaire) ou à une
    // demande de rafraîchissement. Range "derniere reduc" et "dernier tarif".
    void action_tarification_reduction_changer(EmetteurChangement emetteur);

    // Passe en mode automatique : choix automatique sans fournisseur, bouton de la liste des tarifs
    // caché, "derniere reduc" := "0".
    void traitement_mode_auto();

    // Recharge le tarif et l'option en cours (noms de ChoixTarifaire) puis rafraîchit l'affichage.
    void recharger();
    // Change les noms en cours et recharge ; en cas d'erreur les noms précédents restent.
    void recharger(std::string_view tarif, std::string_view option);

    // Libellé du tarif pour le tarif et l'option chargés : le nom suivi de deux blancs, ou les points
    // d'un forfait "F" (sauf "FL" et "FLA") ou d'une option "Fi" hors de sa plage 1.
    std::string libelle_tarif_en_vigueur(std::string_view tarif) const;

private:
    ChoixTarifaire& choix_;
    MoteurTarifaire& moteur_;
    Registre& registre_;
    const Horloge& horloge_;
    AffichageTarifaire& affichage_;
};

}  // namespace lumi
