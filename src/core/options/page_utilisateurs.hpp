#pragma once
// L'onglet " Gestion des utilisateurs " de la fenêtre des options et ses boîtes : ajouter un
// utilisateur (Tnewuserform), protéger par mot de passe (TPasswordDlg), le mot de passe demandé pour
// supprimer un utilisateur protégé ou son mot de passe (Tsimple_password). L'onglet travaille sur une
// copie de la liste et des empreintes ; rien n'est rangé avant "&Valider".
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/utilisateurs.hpp"

namespace lumi {

namespace textes_utilisateurs {
inline constexpr std::string_view onglet = " Gestion des utilisateurs ";
inline constexpr std::string_view ajouter = "Ajo&uter un utilisateur";
inline constexpr std::string_view supprimer = "Suppri&mer l'utilisateur";
inline constexpr std::string_view proteger = "&Protéger par mot de passe";
inline constexpr std::string_view supprimer_mot_de_passe = "S&upprimer le mot de passe";
inline constexpr std::string_view monter = "Monter l'utilisateur dans la liste";
inline constexpr std::string_view descendre = "Descendre l'utilisateur dans la liste";
inline constexpr std::string_view effacer_tous = "Voulez-vous effacer tous les mots de passe utilisateurs ?";
inline constexpr std::string_view titre_nouvel_utilisateur = "Ajouter un utilisateur";
inline constexpr std::string_view nom_de_l_utilisateur = "Nom de l'utilisateur";
inline constexpr std::string_view dix_huit_caracteres = "(18 caractères maxi)";
inline constexpr std::string_view existe_deja = "Cet utilisateur existe déjà !";
inline constexpr std::string_view titre_mot_de_passe = "Entrez votre mot de passe";
inline constexpr std::string_view mot_de_passe = "Mot de passe";
inline constexpr std::string_view confirmation = "Confirmation mot de passe";
inline constexpr std::string_view confirmation_differente =
    "Erreur de saisie, la confirmation n'est pas identique\nau mot de passe.";
inline constexpr std::string_view suppression_refusee = "Mot de passe incorrect, suppression refusée !";
std::string question_suppression(std::string_view nom);
}  // namespace textes_utilisateurs

// Tnewuserform : un nom de 18 caractères au plus, refusé s'il existe déjà (sans égard à la casse).
class BoiteNouvelUtilisateur {
public:
    explicit BoiteNouvelUtilisateur(std::vector<std::string> existants) : existants_(std::move(existants)) {}
    void saisir(std::string_view texte);
    const std::string& nom() const { return nom_; }
    bool valider_actif() const { return !nom_.empty(); }
    // Le nom accepté ; rien quand il est refusé (refus() le dit, le champ est vidé).
    std::optional<std::string> valider();
    const std::string& refus() const { return refus_; }

private:
    std::vector<std::string> existants_;
    std::string nom_;
    std::string refus_;
};

// Les trois usages de la boîte du mot de passe.
enum class ModeMotDePasse {
    proteger,                // TPasswordDlg : le mot de passe et sa confirmation
    supprimer_utilisateur,   // Tsimple_password : le mot de passe de l'utilisateur à supprimer
    supprimer_mot_de_passe,  // Tsimple_password : le mot de passe à retirer
};

class BoiteMotDePasse {
public:
    // `empreinte` : celle de l'utilisateur, pour les deux suppressions.
    explicit BoiteMotDePasse(ModeMotDePasse mode, std::string empreinte = {})
        : mode_(mode), empreinte_(std::move(empreinte)) {}

    ModeMotDePasse mode() const { return mode_; }
    bool deux_champs() const { return mode_ == ModeMotDePasse::proteger; }
    // Les champs mettent en minuscules ce qui est tapé (50 caractères au plus).
    void saisir(std::string_view texte);
    void saisir_confirmation(std::string_view texte);
    const std::string& texte() const { return texte_; }
    const std::string& confirmation() const { return confirmation_; }
    bool valider_actif() const;

    // Vrai : accepté (pour "proteger", empreinte_nouvelle() est à ranger). Faux : refus() est à
    // montrer, les champs sont vidés et le premier reprend le focus.
    bool valider();
    const std::string& refus() const { return refus_; }
    const std::string& empreinte_nouvelle() const { return empreinte_nouvelle_; }

private:
    ModeMotDePasse mode_;
    std::string empreinte_;
    std::string texte_;
    std::string confirmation_;
    std::string refus_;
    std::string empreinte_nouvelle_;
};

class PageUtilisateurs {
public:
    // La copie de la liste et des empreintes de la fenêtre principale.
    explicit PageUtilisateurs(const ListeUtilisateurs& liste);

    const std::vector<std::string>& noms() const { return noms_; }
    const std::vector<std::string>& empreintes() const { return empreintes_; }
    bool protege(int position) const;
    int position() const { return position_; }
    std::vector<LigneUtilisateur> lignes() const;

    // Les boutons qui suivent la sélection.
    bool supprimer_actif() const { return position_ >= 0; }
    bool proteger_actif() const { return position_ >= 0 && !protege(position_); }
    bool supprimer_mot_de_passe_actif() const { return position_ >= 0 && protege(position_); }

    void selectionner(int position);
    BoiteNouvelUtilisateur boite_nouvel_utilisateur() const { return BoiteNouvelUtilisateur(noms_); }
    // Le nom accepté par la boîte : ajouté sans mot de passe, et choisi.
    void ajouter(const std::string& nom);
    // La boîte du mot de passe pour l'utilisateur choisi.
    BoiteMotDePasse boite_mot_de_passe(ModeMotDePasse mode) const;
    // Supprime l'utilisateur choisi (après la question, et le mot de passe s'il est protégé) ; la
    // ligne de même place, ou la dernière, est choisie ensuite.
    void supprimer();
    void proteger(const std::string& empreinte);
    void retirer_mot_de_passe();
    void monter();
    void descendre();
    void effacer_tous_mots_de_passe();

    // Vrai dès le premier changement : le "&Valider" de la fenêtre s'allume.
    bool modifiee() const { return modifiee_; }

private:
    void echanger(int autre);

    std::vector<std::string> noms_;
    std::vector<std::string> empreintes_;
    int position_ = -1;
    bool modifiee_ = false;
};

}  // namespace lumi
