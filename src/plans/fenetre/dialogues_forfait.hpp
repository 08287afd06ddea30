#pragma once
// Les deux petites fenêtres de la liste des forfaits des options : la correction du temps restant
// (Trectiforfait) et le mode de remise à zéro (Traz_type_forfait_form). Elles n'écrivent que dans
// les copies de travail ("\temp forfaits", "\temp raz forfaits"), rangées par "&Valider" des options.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/dates.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/registre.hpp"

namespace lumi {

// Ce qu'une correction donne à la ligne de la liste.
struct CorrectionForfait {
    std::string temps_restant;  // le texte du champ
    int numero = 0;             // k si le forfait est plein, -k sinon
};

class ModeleTrectiforfait {
public:
    static constexpr std::string_view titre = "Correction du temps restant sur le forfait";
    static constexpr std::string_view libelle = "Temps restant";
    static constexpr std::string_view reinitialiser_texte = "Réinitialiser le forfait";
    static constexpr std::string_view hint_reinitialiser = "Cliquez ici pour réinitialiser le forfait";
    static constexpr int sujet_aide = 30;

    // `numero` : celui de la ligne (signe ôté pour l'option) ; `temps_liste` : le temps qu'elle montre.
    ModeleTrectiforfait(Registre& registre, const FichierIni& tarifs, int numero, std::string temps_liste);

    const std::string& designation() const { return designation_; }
    const std::string& champ() const { return champ_; }
    void saisir(std::string_view texte);
    void reinitialiser();
    bool valider_actif() const { return modifie_; }
    // Rangée dans "\temp forfaits" ; rien si le champ ne se lit pas (refus() le dit). Des minutes ou
    // des secondes au-delà de 59 sont reportées : le champ et la ligne montrent le temps normalisé.
    std::optional<CorrectionForfait> valider();
    const std::string& refus() const { return refus_; }

private:
    Registre& registre_;
    int option_;
    std::string reference_;
    std::string designation_;
    std::int32_t duree_ = 0;
    std::string champ_;
    bool modifie_ = false;
    std::string refus_;
};

class ModeleTraz_type_forfait_form {
public:
    static constexpr std::string_view titre = "Sélection du mode de réinitialisation du forfait";
    static constexpr int sujet_aide = 29;
    enum class Choix { avec_facture, mensuel, manuel, tous_les_n_jours };

    // `plein` : la ligne montre la durée entière du forfait (aucun temps rangé).
    ModeleTraz_type_forfait_form(Registre& registre, const FichierIni& tarifs, int numero, bool plein,
                                 NumeroJour aujourdhui);

    const std::string& designation() const { return designation_; }
    Choix choix() const { return choix_; }
    const std::string& jour() const { return jour_; }
    int mois() const { return mois_; }  // 0 tous les mois, 1 pairs, 2 impairs
    const std::string& jours() const { return jours_; }
    void choisir(Choix choix);
    void saisir_jour(std::string_view texte);
    void choisir_mois(int mois);
    void saisir_jours(std::string_view texte);
    bool valider_actif() const { return modifie_; }

    // Le texte de la colonne des remises à zéro ; rien si le jour ou la période est refusé
    // (refus() le dit, le focus revient au champ).
    std::optional<std::string> valider();
    const std::string& refus() const { return refus_; }

private:
    Registre& registre_;
    int option_;
    std::string reference_;
    std::string designation_;
    bool plein_;
    NumeroJour aujourdhui_;
    Choix choix_ = Choix::manuel;
    std::string jour_ = "01";
    int mois_ = 0;
    std::string jours_ = "30";
    bool modifie_ = false;
    std::string refus_;
};

}  // namespace lumi
