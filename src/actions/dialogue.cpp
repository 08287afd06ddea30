#include "actions/dialogue.hpp"

#include <algorithm>
#include <stdexcept>

namespace lumi {

std::string_view texte_bouton(Reponse bouton) {
    switch (bouton) {
        case Reponse::ok:
            return "OK";
        case Reponse::oui:
            return "&Oui";
        case Reponse::non:
            return "&Non";
        case Reponse::tout:
            return "&Tout";
    }
    return "OK";
}

Reponse Dialogue::question(std::string_view texte, bool avec_tout, std::optional<Reponse> par_defaut) {
    if (avec_tout)
        return boite(GenreBoite::question, texte, {Reponse::oui, Reponse::non, Reponse::tout}, par_defaut);
    return boite(GenreBoite::question, texte, {Reponse::oui, Reponse::non}, par_defaut);
}

Reponse DialogueScripte::boite(GenreBoite genre, std::string_view texte, const std::vector<Reponse>& boutons,
                               std::optional<Reponse> par_defaut) {
    std::optional<Reponse> reponse = boutons.empty() ? Reponse::ok : boutons.front();
    if (par_defaut && std::find(boutons.begin(), boutons.end(), *par_defaut) != boutons.end()) {
        reponse = par_defaut;
    }
    if (!reponses_.empty()) {
        reponse = reponses_.front();
        reponses_.pop_front();
        // Une réponse qui n'est pas l'un des boutons est une faute du script : l'essai doit échouer.
        if (reponse && std::find(boutons.begin(), boutons.end(), *reponse) == boutons.end()) {
            throw std::logic_error("DialogueScripte : réponse prévue absente des boutons de « " +
                                   std::string(texte) + " »");
        }
    }
    boites_.push_back({genre, std::string(texte), boutons, reponse, par_defaut});
    if (!reponse) throw BoiteAbandonnee{};
    return *reponse;
}

}  // namespace lumi
