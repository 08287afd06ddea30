#pragma once
// Le moteur tarifaire : possède pour toute la durée du programme le tarif et l'option en cours, leurs
// listes de plages analysées une fois par rechargement, la TVA et les réductions par taux, et les
// compteurs de réduction de la connexion en cours. Aucune variable globale.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/dates.hpp"
#include "settings/registre.hpp"
#include "tariff/enregistrements.hpp"
#include "tariff/plages.hpp"
#include "tariff/prix.hpp"

namespace lumi {

class MoteurTarifaire {
public:
    // `fichier_tarifs` : chemin de tarifs.ini ; `registre` : le temps restant des forfaits.
    MoteurTarifaire(std::filesystem::path fichier_tarifs, const Registre& registre);

    const std::filesystem::path& fichier_tarifs() const { return fichier_tarifs_; }

    // Jours fériés d'Alsace-Moselle (valeur "Alsace" lue au démarrage).
    void definir_alsace(bool alsace) { alsace_ = alsace; }
    bool alsace() const { return alsace_; }

    // Lectures du démarrage : taux_tva (19.6 si illisible) et valeur_taux[0..20], tout ou rien. Un
    // fichier présent mais inutilisable (defaut_fichier_tarifs) lève ErreurFichier.
    void lecture_taux_tva_et_valeurs_taux();
    // Noms des tarifs de [liste des tarifications].
    std::vector<std::string> liste_des_tarifications() const;

    // Recharge le tarif `tarif` et l'option `option` (vide : aucune) et leurs listes de plages, en
    // une lecture du fichier, et les vérifie : sections présentes, valeurs dans leurs bornes, listes
    // du tarif couvrant chaque seconde du jour une fois. Tout ou rien : en cas d'erreur (fichier
    // inutilisable : ErreurFichier ; valeur refusée : ErreurConversion) l'état précédent reste entier.
    // Un fichier absent, déjà signalé au démarrage, ne lève rien : les défauts se chargent, sans prix.
    void lecture_parametres_tarification_en_cours_2000(std::string_view tarif, std::string_view option);
    // Recharge les noms en cours (le fichier a pu changer).
    void lecture_parametres_tarification_en_cours_2000();

    const tparametre_de_la_tarification& tarification() const { return tarification_; }
    const tparametre_de_la_reduction& reduction() const { return reduction_; }
    // Le temps restant d'un forfait est tenu par le décompte des forfaits.
    tparametre_de_la_reduction& reduction() { return reduction_; }
    const std::string& tarif_en_cours() const { return tarification_.nom; }
    const std::string& forfait_en_cours() const { return reduction_.nom; }

    // Un tarif vérifié est chargé : ses listes se lisent sans erreur.
    bool tarif_charge() const { return tarif_charge_; }
    // Le prix se calcule : tarif vérifié, TVA et réductions par taux lues.
    bool prix_calculable() const { return tarif_charge_ && !echec_taux_; }
    // Pourquoi le dernier chargement a échoué (ou le fichier manque) ; rien s'il a réussi.
    std::optional<std::string> echec_chargement() const { return echec_tarif_ ? echec_tarif_ : echec_taux_; }

    float taux_tva() const { return taux_tva_; }
    const ValeursTaux& valeur_taux() const { return valeur_taux_; }

    // Listes courantes (de l'option s'il y en a une, sinon du tarif) : affichage et plage en cours.
    const TroisListes& plages_courantes() const { return plages_courantes_; }
    // Listes propres du tarif en cours : le prix.
    const TroisListes& plages_du_tarif() const { return plages_du_tarif_; }

    // Classe du jour (1 .. 8) avec le réglage Alsace-Moselle.
    int get_day_of_week_jours_feries(NumeroJour date) const;
    // Liste courante (1 .. 3, 0 si aucune) qui s'applique à la classe de jour donnée.
    int get_nb_plage_horaire_par_rapport_au_jour_passe(int jour) const;
    // Indice de taux selon la liste courante k à la seconde donnée.
    int bande_courante(int k, std::int32_t seconde) const;
    // Les trois étapes : classe du jour, liste, indice de taux à cette seconde.
    int plage_en_vigueur(NumeroJour date, std::int32_t seconde) const;

    // Prix sans réduction avec `tarif` : les listes analysées au rechargement servent quand c'est le
    // tarif en cours ; un autre tarif fait lire ses listes dans le fichier (et les vérifie). Un prix
    // au-delà du plus grand float lève ErreurConversion.
    double calcul_prix_communication_sans_reduction(const tparametre_de_la_tarification& tarif,
                                                    std::int32_t debut_seconde, NumeroJour debut_date,
                                                    NumeroJour fin_date, std::int32_t fin_seconde,
                                                    bool avec_credit) const;
    // Ce que l'option en cours laisse à payer de `prix`.
    double calcul_prix_avec_reduction(std::uint8_t type_forfait, double prix, std::int32_t duree_connexion,
                                      int plage_en_cours);
    // Début de connexion : les six compteurs de temps écoulé à zéro.
    void remise_a_zero_compteurs_reduction() { compteurs_ = {}; }
    const CompteursReduction& compteurs_reduction() const { return compteurs_; }

    // Lectures directes du fichier (une lecture par appel).
    tparametre_de_la_tarification GetTarification(std::string_view nom) const;
    std::vector<std::string> lecture_liste_reduc_tarifaires(bool liste_principale) const;
    std::string lire_option_tarifaire(int numero, std::string_view cle) const;

private:
    std::filesystem::path fichier_tarifs_;
    const Registre& registre_;
    bool alsace_ = false;
    float taux_tva_ = taux_tva_par_defaut;
    ValeursTaux valeur_taux_{};
    tparametre_de_la_tarification tarification_;
    tparametre_de_la_reduction reduction_;
    TroisListes plages_du_tarif_;
    TroisListes plages_courantes_;
    CompteursReduction compteurs_;
    bool tarif_charge_ = false;
    std::optional<std::string> echec_taux_;
    std::optional<std::string> echec_tarif_;
};

}  // namespace lumi
