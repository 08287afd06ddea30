#pragma once
// La boîte " Sélection de l'utilisateur " (Tutilisateur) de la fin d'une connexion : les
// utilisateurs puis "non identifié", l'utilisateur en cours choisi d'avance ; le mot de passe d'un
// utilisateur protégé est demandé avant d'accepter. Choisir un utilisateur le choisit dans la fenêtre
// principale ; "non identifié" ne vaut que pour cet enregistrement.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/utilisateurs.hpp"

namespace lumi {

namespace textes_selection {
inline constexpr std::string_view titre = "Sélection de l'utilisateur";
inline constexpr std::string_view non_protege = "Utilisateur non protégé";
// "Mot de passe incorrect !" suivi des messages 42, 43 et 44, un par ligne.
std::string refus(std::string_view message42, std::string_view message43, std::string_view message44);
}  // namespace textes_selection

class ModeleTutilisateur {
public:
    // `refus` : le texte montré pour un mot de passe faux.
    ModeleTutilisateur(ListeUtilisateurs& liste, std::string refus);

    // Les utilisateurs puis "non identifié".
    const std::vector<std::string>& lignes() const { return lignes_; }
    bool protege(int position) const;
    int position() const { return position_; }
    void choisir(int position);

    // Le champ du mot de passe : actif et vide pour un utilisateur protégé, sinon éteint et montrant
    // "Utilisateur non protégé".
    bool champ_actif() const { return protege(position_); }
    const std::string& champ() const { return champ_; }
    void saisir(std::string_view texte);
    bool valider_actif() const { return position_ >= 0 && (!champ_actif() || !champ_.empty()); }

    // Le nom pour lequel enregistrer, ou rien : refus() est à montrer et le champ est vidé.
    std::optional<std::string> valider();
    const std::string& refus() const { return refus_; }

private:
    ListeUtilisateurs& liste_;
    std::vector<std::string> lignes_;
    std::vector<std::string> empreintes_;
    std::string refus_;
    int position_ = -1;
    std::string champ_;
};

}  // namespace lumi
