#pragma once
// Le système simulé : utilisateur, comptes et entrées de démarrage automatique en mémoire.
#include <map>
#include <string>
#include <vector>

#include "core/systeme.hpp"

namespace lumi {

class SystemeSimule final : public Systeme {
public:
    std::string utilisateur_connecte() const override { return utilisateur; }
    std::vector<std::string> profils_utilisateurs() const override { return profils; }

    std::optional<CommandeSysteme> lire_demarrage_automatique(std::string_view nom) const override {
        const auto it = demarrage_automatique.find(std::string(nom));
        if (it == demarrage_automatique.end()) return std::nullopt;
        return it->second;
    }
    bool ecrire_demarrage_automatique(std::string_view nom, const CommandeSysteme& commande) override {
        demarrage_automatique[std::string(nom)] = commande;
        return true;
    }
    void effacer_demarrage_automatique(std::string_view nom) override {
        demarrage_automatique.erase(std::string(nom));
    }

    std::string utilisateur;
    std::vector<std::string> profils;
    std::map<std::string, CommandeSysteme> demarrage_automatique;
};

}  // namespace lumi
