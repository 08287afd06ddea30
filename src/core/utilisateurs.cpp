#include "core/utilisateurs.hpp"

#include <algorithm>
#include <string>

#include "base/texte.hpp"
#include "settings/cles.hpp"
#include "settings/parametres.hpp"

namespace lumi {

void ListeUtilisateurs::lire_liste() {
    noms_ = parametres::lire_noms_utilisateurs(registre_);
    lire_mots_de_passe();
}

void ListeUtilisateurs::lire_mots_de_passe() {
    empreintes_.assign(noms_.size(), {});
    for (std::size_t i = 0; i < noms_.size(); ++i) {
        empreintes_[i] =
            registre_.lire_valeur(cles::section(cles::options), parametres::nom_pdata(static_cast<int>(i) + 1));
    }
}

void ListeUtilisateurs::ecrire_utilisateur(int numero, std::string_view nom) {
    registre_.ecrire_valeur(cles::section(cles::utilisateurs), parametres::nom_utilisateur(numero), nom);
    registre_.ecrire_valeur(cles::section(cles::options), parametres::nom_pdata(numero), "");
}

int ListeUtilisateurs::indice(std::string_view nom) const {
    const auto it = std::find(noms_.begin(), noms_.end(), nom);
    return it == noms_.end() ? -1 : static_cast<int>(it - noms_.begin());
}

void ListeUtilisateurs::selection_au_demarrage(const std::vector<std::string>& profils,
                                               std::string_view utilisateur_systeme) {
    const std::string retenu = lire(registre_, parametres::dernier_utilisateur);
    lire_liste();
    if (const int i = retenu.empty() ? -1 : indice(retenu); i >= 0) {
        position_ = i;
        utilisateur_en_cours_ = retenu;
    } else {
        position_ = noms_.empty() ? -1 : 0;
        utilisateur_en_cours_ = noms_.empty() ? std::string() : noms_.front();
    }

    if (noms_.empty() && !profils.empty()) {
        noms_ = profils;
        for (std::size_t i = 0; i < noms_.size(); ++i) ecrire_utilisateur(static_cast<int>(i) + 1, noms_[i]);
        ecrire(registre_, parametres::nb_d_utilisateurs, std::to_string(noms_.size()));
        lire_mots_de_passe();
        position_ = 0;
        utilisateur_en_cours_ = noms_.front();
    }

    if (actif(registre_, parametres::utiliser_profil) && !utilisateur_systeme.empty() &&
        utilisateur_systeme != "noname") {
        if (const int i = indice(utilisateur_systeme); i >= 0) {
            position_ = i;
        } else {
            if (!noms_.empty() && noms_.front().empty()) noms_.clear();
            noms_.emplace_back(utilisateur_systeme);
            const int numero = static_cast<int>(noms_.size());
            ecrire(registre_, parametres::nb_d_utilisateurs, std::to_string(numero));
            ecrire_utilisateur(numero, utilisateur_systeme);
            lire_mots_de_passe();
            position_ = numero - 1;
        }
        utilisateur_en_cours_ = std::string(utilisateur_systeme);
    }
}

void ListeUtilisateurs::ranger(const std::vector<std::string>& noms,
                                const std::vector<std::string>& empreintes) {
    const int anciens = parametres::nombre_utilisateurs(registre_);
    for (int i = 1; i <= anciens; ++i) {
        registre_.effacer_valeur(cles::section(cles::utilisateurs), parametres::nom_utilisateur(i));
        registre_.effacer_valeur(cles::section(cles::options), parametres::nom_pdata(i));
    }
    for (std::size_t i = 0; i < noms.size(); ++i) {
        const int numero = static_cast<int>(i) + 1;
        registre_.ecrire_valeur(cles::section(cles::utilisateurs), parametres::nom_utilisateur(numero), noms[i]);
        registre_.ecrire_valeur(cles::section(cles::options), parametres::nom_pdata(numero),
                                i < empreintes.size() ? empreintes[i] : std::string());
    }
    ecrire(registre_, parametres::nb_d_utilisateurs, std::to_string(noms.size()));
    relire();
}

void ListeUtilisateurs::relire() {
    const std::string en_cours = utilisateur_en_cours_;
    lire_liste();
    const int i = indice(en_cours);
    if (i >= 0) {
        position_ = i;
    } else {
        position_ = noms_.empty() ? -1 : 0;
        utilisateur_en_cours_ = noms_.empty() ? std::string() : noms_.front();
    }
}

void ListeUtilisateurs::choisir(int position) {
    if (position < 0 || position >= static_cast<int>(noms_.size())) return;
    position_ = position;
    utilisateur_en_cours_ = noms_[static_cast<std::size_t>(position)];
    ecrire(registre_, parametres::dernier_utilisateur, utilisateur_en_cours_);
}

bool ListeUtilisateurs::selectionner_argument(std::string_view argument) {
    if (!argument.empty() && argument.front() == '-') argument.remove_prefix(1);
    if (argument.empty()) return false;
    for (std::size_t i = 0; i < noms_.size(); ++i) {
        if (egal_sans_casse(noms_[i], argument)) {
            choisir(static_cast<int>(i));
            return true;
        }
    }
    return false;
}

bool ListeUtilisateurs::selectionner_params(std::string_view params) {
    const std::string texte = plier_casse(params);
    bool trouve = false;
    for (std::size_t i = 0; i < noms_.size(); ++i) {
        if (noms_[i].empty()) continue;
        if (texte.find(plier_casse(noms_[i])) != std::string::npos) {
            choisir(static_cast<int>(i));
            trouve = true;
        }
    }
    return trouve;
}

bool ListeUtilisateurs::protege(int position) const {
    return position >= 0 && position < static_cast<int>(empreintes_.size()) &&
           !empreintes_[static_cast<std::size_t>(position)].empty();
}

std::vector<LigneUtilisateur> ListeUtilisateurs::lignes() const {
    std::vector<LigneUtilisateur> lignes;
    lignes.reserve(noms_.size());
    for (std::size_t i = 0; i < noms_.size(); ++i) {
        lignes.push_back({noms_[i], protege(static_cast<int>(i)), static_cast<int>(i) == position_});
    }
    return lignes;
}

std::optional<std::string> ListeUtilisateurs::utilisateur_selectionne() const {
    if (position_ < 0 || position_ >= static_cast<int>(noms_.size())) return std::nullopt;
    return noms_[static_cast<std::size_t>(position_)];
}

void ListeUtilisateurs::demander_utilisateur(std::function<void(const std::string&)> enregistrer) {
    if (boite_selection) {
        boite_selection(std::move(enregistrer));
        return;
    }
    enregistrer(utilisateur_en_cours_.empty() ? std::string(nom_utilisateur_non_identifie)
                                              : utilisateur_en_cours_);
}

}  // namespace lumi
