#pragma once
// Décompte du temps des forfaits : le temps restant est gardé d'une connexion à l'autre dans le
// registre ("\forfaits", "time " + référence ; absent = forfait plein), décompté pendant la
// connexion dans l'unité du forfait, et quand il s'épuise en pleine connexion le prix repart du
// tarif qui prend le relais.
//
// Contrat avec le compteur :
// - Les chiffres du forfait en cours (temps_forfait_debut, temps_restant_forfait, duree_forfait,
//   unite_decompte, tarif_apres_forfait, texte_tarif_apres_forfait) sont dans
//   MoteurTarifaire::reduction() : ce module les y tient à jour.
// - EtatForfait est l'état d'épuisement (forfait_epuise, debut_segment, point de reprise du prix,
//   alarme_fin_forfait_armee) ; le compteur le possède, appelle debut_de_connexion() dans
//   REMISE_A_ZERO_DES_VARIABLES, calcule duree_segment = duree_connexion - debut_segment et, tant
//   que debut_segment > 0, compte le prix depuis (date_debut_segment, seconde_debut_segment).
// - Les effets qui appartiennent à la fenêtre principale passent par EffetsForfait ; le son par la
//   couture Son ("alarme.wav" du dossier de données).
// - Une erreur levée (ErreurConversion, ErreurPlagesHoraires d'un rechargement ou du nouveau choix)
//   laisse un état cohérent : l'épuisement n'est enregistré (debut_segment, alarme, avis) qu'une fois
//   le nouveau tarif chargé, si bien que le top suivant recommence proprement.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/dates.hpp"
#include "base/horloge.hpp"
#include "plans/fin_forfait.hpp"
#include "plans/son.hpp"
#include "settings/registre.hpp"
#include "tariff/choix_option.hpp"
#include "tariff/jauges.hpp"

namespace lumi {

// État d'épuisement d'un forfait pendant la connexion en cours.
struct EtatForfait {
    std::string forfait_epuise;              // référence du forfait épuisé pendant la connexion
    std::int32_t debut_segment = 0;          // secondes écoulées à l'épuisement ; 0 = pas d'épuisement
    NumeroJour date_debut_segment = 0;       // point de reprise du prix : le jour...
    std::int32_t seconde_debut_segment = 0;  // ... et la seconde du jour de l'épuisement
    bool alarme_fin_forfait_armee = true;    // l'avis se montre au plus une fois par connexion

    // Début de connexion : aucun épuisement, alarme réarmée (forfait_epuise et le point de reprise
    // gardent leurs valeurs, qui ne servent que si debut_segment > 0).
    void debut_de_connexion() {
        debut_segment = 0;
        alarme_fin_forfait_armee = true;
    }
};

// Ce que le décompte demande à la fenêtre principale.
class EffetsForfait {
public:
    virtual ~EffetsForfait() = default;
    // Jauge et lignes d'état du forfait : afficher_progressbar(true, restant, duree, "F").
    virtual void afficher_jauge_forfait(std::int32_t restant, std::int32_t duree) = 0;
    // Les instantanés anti-crash sont-ils actifs ("anti crash", lu au démarrage) ?
    virtual bool sauvegardes_crash_actives() const = 0;
    // Crée et montre l'avis de fin de forfait, sans attendre.
    virtual void montrer_fin_forfait(const ModeleFinForfait& modele) = 0;
};

class DecompteForfait {
public:
    // `fichier_alarme` : "alarme.wav" du dossier de données.
    DecompteForfait(EtatForfait& etat, SelecteurTarifaire& selecteur, Registre& registre,
                    const Horloge& horloge, Son& son, EffetsForfait& effets,
                    std::filesystem::path fichier_alarme);

    EtatForfait& etat() { return etat_; }

    // Appelé par le top pendant la connexion quand l'option en cours est un forfait "F", après le
    // prix ; `e` est la durée écoulée de la connexion. Décompte chaque unité commencée en entière,
    // met la jauge à jour et, le forfait épuisé, bascule sur son tarif de relais ou refait le choix
    // automatique pour `provider` (le fournisseur de la connexion, ou
    // textes_choix::selection_automatique en mode manuel).
    void deduire_temps_forfait(std::int32_t e, std::string_view provider);

    // Fin de connexion (ou arrêt manuel) : range le temps restant du forfait en cours, ou "0" pour
    // le forfait épuisé pendant la connexion.
    void enregistrer_temps_restant_forfait();

private:
    void sequence_epuisement(std::int32_t e, std::string_view provider);

    EtatForfait& etat_;
    SelecteurTarifaire& selecteur_;
    Registre& registre_;
    const Horloge& horloge_;
    Son& son_;
    EffetsForfait& effets_;
    std::filesystem::path fichier_alarme_;
};

// Temps de connexion compté par le forfait (historique, totaux) : `e` arrondi à l'unité commencée
// pour un forfait "F" dont l'unité dépasse 1, `e` sinon.
std::int32_t retourne_seconde_ecoule_avec_unite(std::uint8_t type_forfait, std::int32_t unite_decompte,
                                                std::int32_t e);

// Temps restant après `e` secondes pour un forfait qui en avait `temps_forfait_debut` : à la seconde
// pour une unité de 1 (ou moins), sinon chaque unité commencée part en entier.
std::int32_t temps_restant_apres(std::int32_t temps_forfait_debut, std::int32_t unite_decompte,
                                 std::int32_t e);

// "01h02m05s" -> 3725 ; les heures peuvent avoir un, deux chiffres ou plus. Lève ErreurConversion,
// message français nommant le texte, pour un texte d'une autre forme. (format_hms : tariff/jauges.hpp.)
std::int32_t lire_hms(std::string_view texte);

}  // namespace lumi
