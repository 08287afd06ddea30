#include "actions/notifications.hpp"

#include <exception>

#include "base/dates.hpp"
#include "settings/parametres.hpp"

namespace lumi {

std::string_view titre_avis(SujetAvis sujet) {
    switch (sujet) {
        case SujetAvis::fin_connexion:
            return "Fin de connexion";
        case SujetAvis::fin_forfait:
            return "Forfait épuisé";
        case SujetAvis::plafond:
            return "Plafond de la facture";
        case SujetAvis::deconnexion_programmee:
            return "Déconnexion programmée";
    }
    return "Lumicompteur 2000";
}

std::string texte_fin_connexion(std::string_view nom, std::int64_t duree, std::string_view prix, bool ttc) {
    std::string texte = "Connexion";
    if (!nom.empty()) texte += " « " + std::string(nom) + " »";
    texte += " terminée : " + formater_duree(duree) + ", " + std::string(prix) + (ttc ? " TTC." : " HT.");
    return texte;
}

std::string texte_deconnexion_programmee(int secondes, bool arret) {
    std::string texte = "La connexion sera coupée dans " + std::to_string(secondes) +
                        (secondes > 1 ? " secondes" : " seconde");
    texte += arret ? ", puis l'ordinateur sera éteint." : ".";
    return texte;
}

bool AvisBureau::avertir(SujetAvis sujet, const std::string& texte) {
    if (notifications_ == nullptr || !actif(registre_, parametres::notifications_bureau)) return false;
    if (sujet == SujetAvis::fin_connexion && !actif(registre_, parametres::notification_fin_connexion))
        return false;
    try {
        notifications_->notifier(std::string(titre_avis(sujet)), texte);
    } catch (const std::exception&) {
        // Un avis perdu ne retient jamais le comptage.
        return false;
    }
    return true;
}

}  // namespace lumi
