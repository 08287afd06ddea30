#pragma once
// Ce que la détection commande, noté pour les essais des coutures réelles.
#include <stdexcept>
#include <string>
#include <vector>

#include "core/detection.hpp"

namespace lumi::essai {

// Les actions reçues, dans l'ordre ; la connexion peut échouer `echecs_connexion` fois.
class ActionsNotees final : public ActionsDetection {
public:
    void action_numerotation_en_cours() override { journal.push_back("numerotation"); }
    void action_connecte_au_reseau() override {
        if (echecs_connexion > 0) {
            --echecs_connexion;
            journal.push_back("connecte en erreur");
            throw std::runtime_error("erreur de la connexion");
        }
        journal.push_back("connecte");
    }
    void action_fin_de_connexion() override { journal.push_back("fin"); }
    bool mode_manuel() const override { return false; }

    std::vector<std::string> journal;
    int echecs_connexion = 0;
};

}  // namespace lumi::essai
