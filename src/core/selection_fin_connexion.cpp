#include "core/selection_fin_connexion.hpp"

#include "core/historique_compteur.hpp"
#include "core/mots_de_passe.hpp"

namespace lumi {

std::string textes_selection::refus(std::string_view message42, std::string_view message43,
                                    std::string_view message44) {
    return "Mot de passe incorrect !\n" + std::string(message42) + "\n" + std::string(message43) + "\n" +
           std::string(message44);
}

ModeleTutilisateur::ModeleTutilisateur(ListeUtilisateurs& liste, std::string refus)
    : liste_(liste), lignes_(liste.noms()), empreintes_(liste.empreintes()), refus_(std::move(refus)) {
    empreintes_.resize(lignes_.size());
    lignes_.emplace_back(nom_utilisateur_non_identifie);
    empreintes_.emplace_back();
    const int en_cours = liste.position();
    choisir(en_cours >= 0 && en_cours < static_cast<int>(liste.noms().size()) ? en_cours
                                                                               : static_cast<int>(lignes_.size()) - 1);
}

bool ModeleTutilisateur::protege(int position) const {
    return position >= 0 && position < static_cast<int>(empreintes_.size()) &&
           !empreintes_[static_cast<std::size_t>(position)].empty();
}

void ModeleTutilisateur::choisir(int position) {
    if (position < 0 || position >= static_cast<int>(lignes_.size())) return;
    position_ = position;
    champ_ = champ_actif() ? std::string() : std::string(textes_selection::non_protege);
}

void ModeleTutilisateur::saisir(std::string_view texte) {
    if (champ_actif()) champ_ = mot_de_passe_saisi(texte);
}

std::optional<std::string> ModeleTutilisateur::valider() {
    if (!valider_actif()) return std::nullopt;
    if (champ_actif() && !verifier_mot_de_passe(empreintes_[static_cast<std::size_t>(position_)], champ_)) {
        champ_.clear();
        return std::nullopt;
    }
    const int utilisateurs = static_cast<int>(lignes_.size()) - 1;
    if (position_ < utilisateurs) {
        liste_.choisir(position_);
        return liste_.utilisateur_en_cours();
    }
    return std::string(nom_utilisateur_non_identifie);
}

}  // namespace lumi
