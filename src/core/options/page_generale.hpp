#pragma once
// L'onglet " Options générales " : un interrupteur par réglage, certains en groupes qui se
// comportent comme un choix (appuyer sur l'un le bascule, puis met chacun des autres à l'inverse de
// son nouvel état), et la liste de la cadence des instantanés.
#include <array>
#include <cstddef>
#include <string_view>

#include "history/plafond_facture.hpp"

namespace lumi {

class FichierIni;
class Registre;

enum class Interrupteur {
    detection_1,
    detection_2,
    detection_3,
    selection_auto,
    utiliser_profil,
    anti_crash,
    demarrage_automatique,
    taille_normale,
    taille_reduite,
    alsace,
    afficher_auto,
    cacher_auto,
    deux_decimales,
    trois_decimales,
    prix_ttc,
    prix_ht,
    total_sans_reduc,
    total_avec_reduc,
    notifications_bureau,
    notification_fin_connexion,
};
inline constexpr std::size_t nb_interrupteurs = 20;

// Le texte de chaque interrupteur.
std::string_view texte_interrupteur(Interrupteur i);
// Les textes de la liste de la cadence, dans l'ordre de "frequence save crash".
inline constexpr std::array<std::string_view, 4> textes_frequence = {
    "toutes les minutes", "toutes les 30 secondes", "toutes les 15 secondes", "toutes les 5 secondes"};

namespace textes_generale {
inline constexpr std::string_view onglet = " Options générales ";
inline constexpr std::string_view groupe_detection = "Détection automatique des connexions :";
inline constexpr std::string_view groupe_anti_crash = "Sauvegarde 'anti-crash' :";
inline constexpr std::string_view groupe_plafond = "Plafond de la facture :";
inline constexpr std::string_view plafond_montant = "Plafond :";
inline constexpr std::string_view plafond_alerte = "Alerte à";
inline constexpr std::string_view plafond_avertir = "Avertir seulement";
inline constexpr std::string_view plafond_raccrocher = "Raccrocher la connexion";
inline constexpr std::string_view plafond_aide =
    "Par période de facturation, en prix affichés ; vide : aucun.";
inline constexpr std::string_view groupe_notifications = "Notifications :";
}  // namespace textes_generale

class PageGenerale {
public:
    // Les interrupteurs tels que les réglages les donnent ; `demarrage_automatique` : l'entrée existe.
    void charger(const Registre& registre, const FichierIni& reglages, bool demarrage_automatique);

    bool etat(Interrupteur i) const { return etats_[static_cast<std::size_t>(i)]; }
    // Un appui de la souris : bascule, puis les autres du groupe à l'inverse.
    void appuyer(Interrupteur i);
    int frequence() const { return frequence_; }
    void choisir_frequence(int frequence);

    // Le plafond de la facture tel que saisi (textes vérifiés à la validation).
    const SaisiePlafond& plafond() const { return plafond_; }
    void modifier_plafond(SaisiePlafond saisie);
    bool plafond_modifie() const { return plafond_modifie_; }

    bool modifiee() const { return modifiee_; }

private:
    SaisiePlafond plafond_;
    bool plafond_modifie_ = false;
    std::array<bool, nb_interrupteurs> etats_{};
    int frequence_ = 1;
    bool modifiee_ = false;
};

}  // namespace lumi
