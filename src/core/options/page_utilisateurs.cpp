#include "core/options/page_utilisateurs.hpp"

#include <algorithm>
#include <utility>

#include "base/texte.hpp"
#include "core/mots_de_passe.hpp"

namespace lumi {

namespace {

// Au plus `n` caractères (pas octets) d'un texte UTF-8.
std::string couper(std::string_view texte, std::size_t n) {
    std::size_t caracteres = 0;
    for (std::size_t i = 0; i < texte.size(); ++i) {
        if ((static_cast<unsigned char>(texte[i]) & 0xC0) == 0x80) continue;
        if (caracteres++ == n) return std::string(texte.substr(0, i));
    }
    return std::string(texte);
}

}  // namespace

std::string textes_utilisateurs::question_suppression(std::string_view nom) {
    return "Etes-vous sûr(e) de vouloir supprimer l'utilisateur " + std::string(nom) + " ?";
}

// --- Tnewuserform ---

void BoiteNouvelUtilisateur::saisir(std::string_view texte) {
    nom_ = couper(texte, longueur_max_nom_utilisateur);
}

std::optional<std::string> BoiteNouvelUtilisateur::valider() {
    if (nom_.empty()) return std::nullopt;
    const bool existe = std::any_of(existants_.begin(), existants_.end(),
                                    [&](const std::string& n) { return egal_sans_casse(n, nom_); });
    if (existe) {
        refus_ = textes_utilisateurs::existe_deja;
        nom_.clear();
        return std::nullopt;
    }
    return nom_;
}

// --- TPasswordDlg et Tsimple_password ---

void BoiteMotDePasse::saisir(std::string_view texte) {
    texte_ = mot_de_passe_saisi(texte);
}

void BoiteMotDePasse::saisir_confirmation(std::string_view texte) {
    confirmation_ = mot_de_passe_saisi(texte);
}

bool BoiteMotDePasse::valider_actif() const {
    return !texte_.empty() && (!deux_champs() || !confirmation_.empty());
}

bool BoiteMotDePasse::valider() {
    if (!valider_actif()) return false;
    bool accepte = false;
    if (mode_ == ModeMotDePasse::proteger) {
        accepte = texte_ == confirmation_;
        if (accepte) empreinte_nouvelle_ = hacher_mot_de_passe(texte_);
        else refus_ = textes_utilisateurs::confirmation_differente;
    } else {
        accepte = verifier_mot_de_passe(empreinte_, texte_);
        if (!accepte) refus_ = textes_utilisateurs::suppression_refusee;
    }
    if (!accepte) {
        texte_.clear();
        confirmation_.clear();
    }
    return accepte;
}

// --- L'onglet ---

PageUtilisateurs::PageUtilisateurs(const ListeUtilisateurs& liste)
    : noms_(liste.noms()), empreintes_(liste.empreintes()) {
    empreintes_.resize(noms_.size());
}

bool PageUtilisateurs::protege(int position) const {
    return position >= 0 && position < static_cast<int>(empreintes_.size()) &&
           !empreintes_[static_cast<std::size_t>(position)].empty();
}

std::vector<LigneUtilisateur> PageUtilisateurs::lignes() const {
    std::vector<LigneUtilisateur> lignes;
    for (std::size_t i = 0; i < noms_.size(); ++i) {
        lignes.push_back({noms_[i], protege(static_cast<int>(i)), static_cast<int>(i) == position_});
    }
    return lignes;
}

void PageUtilisateurs::selectionner(int position) {
    position_ = position >= 0 && position < static_cast<int>(noms_.size()) ? position : -1;
}

void PageUtilisateurs::ajouter(const std::string& nom) {
    noms_.push_back(nom);
    empreintes_.emplace_back();
    position_ = static_cast<int>(noms_.size()) - 1;
    modifiee_ = true;
}

BoiteMotDePasse PageUtilisateurs::boite_mot_de_passe(ModeMotDePasse mode) const {
    return BoiteMotDePasse(mode, position_ >= 0 ? empreintes_[static_cast<std::size_t>(position_)]
                                                : std::string());
}

void PageUtilisateurs::supprimer() {
    if (position_ < 0) return;
    noms_.erase(noms_.begin() + position_);
    empreintes_.erase(empreintes_.begin() + position_);
    position_ = std::min(position_, static_cast<int>(noms_.size()) - 1);
    modifiee_ = true;
}

void PageUtilisateurs::proteger(const std::string& empreinte) {
    if (position_ < 0) return;
    empreintes_[static_cast<std::size_t>(position_)] = empreinte;
    modifiee_ = true;
}

void PageUtilisateurs::retirer_mot_de_passe() {
    proteger({});
}

void PageUtilisateurs::echanger(int autre) {
    if (position_ < 0 || autre < 0 || autre >= static_cast<int>(noms_.size())) return;
    std::swap(noms_[static_cast<std::size_t>(position_)], noms_[static_cast<std::size_t>(autre)]);
    std::swap(empreintes_[static_cast<std::size_t>(position_)], empreintes_[static_cast<std::size_t>(autre)]);
    position_ = autre;
    modifiee_ = true;
}

void PageUtilisateurs::monter() {
    echanger(position_ - 1);
}

void PageUtilisateurs::descendre() {
    echanger(position_ + 1);
}

void PageUtilisateurs::effacer_tous_mots_de_passe() {
    for (auto& e : empreintes_) e.clear();
    modifiee_ = true;
}

}  // namespace lumi
