#include "settings/registre_memoire.hpp"

#include <algorithm>
#include <utility>

#include "base/texte.hpp"

namespace lumi {

// Un nœud garde ses noms tels qu'écrits et leur forme pliée pour la recherche ; sous-clés et
// valeurs restent dans l'ordre de création.
struct RegistreMemoire::Noeud {
    struct Valeur {
        std::string nom;
        std::string nom_plie;
        std::string texte;
    };

    std::string nom;
    std::string nom_plie;
    std::vector<std::unique_ptr<Noeud>> enfants;
    std::vector<Valeur> valeurs;

    Noeud* enfant(std::string_view plie) const {
        for (const auto& e : enfants) {
            if (e->nom_plie == plie) return e.get();
        }
        return nullptr;
    }
    Valeur* valeur(std::string_view plie) {
        for (auto& v : valeurs) {
            if (v.nom_plie == plie) return &v;
        }
        return nullptr;
    }
};

std::pair<RegistreMemoire::Noeud*, RegistreMemoire::Noeud*> RegistreMemoire::trouver(
    std::string_view cle) const {
    Noeud* parent = nullptr;
    Noeud* courant = racine_.get();
    for (const auto& segment : decouper_chemin(cle)) {
        parent = courant;
        courant = courant->enfant(plier_casse(segment));
        if (courant == nullptr) return {nullptr, nullptr};
    }
    return {courant, parent};
}

RegistreMemoire::RegistreMemoire() : racine_(std::make_unique<Noeud>()) {}
RegistreMemoire::~RegistreMemoire() = default;

std::string RegistreMemoire::lire_valeur(std::string_view cle, std::string_view nom) const {
    Noeud* noeud = trouver(cle).first;
    if (noeud == nullptr) return {};
    const auto* v = noeud->valeur(plier_casse(nom));
    return v != nullptr ? v->texte : std::string();
}

bool RegistreMemoire::ecrire_valeur(std::string_view cle, std::string_view nom, std::string_view texte) {
    if (!creer_cle(cle)) return false;
    Noeud* noeud = trouver(cle).first;
    auto plie = plier_casse(nom);
    if (auto* v = noeud->valeur(plie)) {
        v->texte = texte;  // le nom garde la casse de sa première écriture
    } else {
        noeud->valeurs.push_back({std::string(nom), std::move(plie), std::string(texte)});
    }
    return true;
}

bool RegistreMemoire::ecrire_valeur_et_vider(std::string_view cle, std::string_view nom,
                                             std::string_view texte) {
    return ecrire_valeur(cle, nom, texte);  // rien à vider en mémoire
}

bool RegistreMemoire::effacer_valeur(std::string_view cle, std::string_view nom) {
    Noeud* noeud = trouver(cle).first;
    if (noeud == nullptr) return true;
    const auto plie = plier_casse(nom);
    std::erase_if(noeud->valeurs, [&](const Noeud::Valeur& v) { return v.nom_plie == plie; });
    return true;
}

std::vector<std::string> RegistreMemoire::lister_sous_cles(std::string_view cle) const {
    std::vector<std::string> noms;
    if (const Noeud* noeud = trouver(cle).first) {
        for (const auto& e : noeud->enfants) noms.push_back(e->nom);
    }
    return noms;
}

std::vector<std::string> RegistreMemoire::lister_valeurs(std::string_view cle) const {
    std::vector<std::string> noms;
    if (const Noeud* noeud = trouver(cle).first) {
        for (const auto& v : noeud->valeurs) noms.push_back(v.nom);
    }
    return noms;
}

bool RegistreMemoire::cle_existe(std::string_view cle) const {
    return trouver(cle).first != nullptr;
}

bool RegistreMemoire::creer_cle(std::string_view cle) {
    Noeud* courant = racine_.get();
    for (const auto& segment : decouper_chemin(cle)) {
        auto plie = plier_casse(segment);
        Noeud* suivant = courant->enfant(plie);
        if (suivant == nullptr) {
            auto nouveau = std::make_unique<Noeud>();
            nouveau->nom = segment;
            nouveau->nom_plie = std::move(plie);
            suivant = nouveau.get();
            courant->enfants.push_back(std::move(nouveau));
        }
        courant = suivant;
    }
    return true;
}

bool RegistreMemoire::effacer_cle_feuille(std::string_view cle) {
    const auto trouve = trouver(cle);
    Noeud* noeud = trouve.first;
    Noeud* parent = trouve.second;
    if (noeud == nullptr || !noeud->enfants.empty()) return false;
    if (parent == nullptr) {
        noeud->valeurs.clear();  // la racine existe toujours : seules ses valeurs partent
        return true;
    }
    std::erase_if(parent->enfants, [&](const std::unique_ptr<Noeud>& e) { return e.get() == noeud; });
    return true;
}

}  // namespace lumi
