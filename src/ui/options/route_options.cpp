#include "ui/options/route_options.hpp"

#include "ui/options/toptionform.hpp"
#include "ui/routeur_fenetres.hpp"

namespace lumi::ui {

void definir_route_options(RouteurFenetres& routeur, CouturesOptions coutures) {
    routeur.definir_route(
        FenetreSecondaire::options,
        [c = std::move(coutures)](QWidget* parent) -> QDialog* {
            LiensOptions liens{
                c.horloge,      c.registre,
                c.dialogue,     c.dossier_donnees,
                c.compteur,     c.commandes,
                c.utilisateurs, c.acces_distant,
                c.systeme,      c.commande_demarrage ? c.commande_demarrage() : CommandeSysteme{}};
            return new Toptionform(std::move(liens), c.couleurs, c.icones, c.ouvrir_aide, parent);
        },
        [](QDialog& d, int page) { static_cast<Toptionform&>(d).preparer(page); });
}

}  // namespace lumi::ui
