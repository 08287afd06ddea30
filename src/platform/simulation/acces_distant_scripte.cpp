#include "platform/simulation/acces_distant_scripte.hpp"

#include <algorithm>
#include <stdexcept>

namespace lumi {

void AccesDistantScripte::ajouter_connexion(std::string entree, std::vector<EtapeConnexion> etapes) {
    if (!std::is_sorted(etapes.begin(), etapes.end(),
                        [](const EtapeConnexion& a, const EtapeConnexion& b) { return a.ms < b.ms; })) {
        throw std::invalid_argument("AccesDistantScripte : étapes de « " + entree + " » dans le désordre");
    }
    connexions_.push_back({std::move(entree), std::move(etapes)});
}

const EtapeConnexion* AccesDistantScripte::etape_a(const Connexion& c, std::int64_t ms) {
    const EtapeConnexion* en_vigueur = nullptr;
    for (const auto& e : c.etapes) {
        if (e.ms > ms) break;
        en_vigueur = &e;
    }
    return en_vigueur;
}

std::vector<ConnexionDistante> AccesDistantScripte::connexions() const {
    ++interrogations_;
    const auto maintenant = horloge_.millisecondes();
    std::vector<ConnexionDistante> resultat;
    for (const auto& c : connexions_) {
        const auto* e = etape_a(c, maintenant);
        if (e == nullptr || e->etat == etat_aucune_connexion) continue;
        resultat.push_back({c.entree, e->etat, e->erreur});
    }
    return resultat;
}

bool AccesDistantScripte::numeroter(std::string_view entree) {
    if (std::find(annuaire_.begin(), annuaire_.end(), entree) == annuaire_.end()) return false;
    numerotations_.emplace_back(entree);
    const auto t = horloge_.millisecondes();
    std::vector<EtapeConnexion> etapes{{t, etat_ras_connexion_peripherique, 0}};
    if (profil_.echec) {
        etapes.push_back({t + profil_.authentification_ms, etat_aucune_connexion, 0});
    } else {
        etapes.push_back({t + profil_.authentification_ms, etat_ras_authentification, 0});
        etapes.push_back(
            {t + std::max(profil_.connecte_ms, profil_.authentification_ms), etat_ras_connecte, 0});
    }
    connexions_.push_back({std::string(entree), std::move(etapes)});
    return true;
}

bool AccesDistantScripte::raccrocher() {
    const auto maintenant = horloge_.millisecondes();
    for (auto& c : connexions_) {
        const auto* e = etape_a(c, maintenant);
        if (e == nullptr || e->etat == etat_aucune_connexion) continue;
        // Ce que le script prévoyait ensuite n'arrivera plus.
        std::erase_if(c.etapes, [&](const EtapeConnexion& x) { return x.ms > maintenant; });
        c.etapes.push_back({maintenant, etat_aucune_connexion, 0});
        return true;
    }
    return false;
}

std::vector<std::int64_t> AccesDistantScripte::instants_de_changement() const {
    std::vector<std::int64_t> instants;
    for (const auto& c : connexions_) {
        for (const auto& e : c.etapes) instants.push_back(e.ms);
    }
    std::sort(instants.begin(), instants.end());
    instants.erase(std::unique(instants.begin(), instants.end()), instants.end());
    return instants;
}

}  // namespace lumi
