#include "ui/historique/route_historique.hpp"

#include "ui/routeur_fenetres.hpp"

namespace lumi::ui {

void definir_route_historique(RouteurFenetres& routeur, CouturesHistorique coutures) {
    routeur.definir_route(
        FenetreSecondaire::historique,
        [c = std::move(coutures)](QWidget* parent) -> QDialog* { return new ThistoForm(c, parent); },
        [](QDialog& d, int) { static_cast<ThistoForm&>(d).preparer(); });
}

}  // namespace lumi::ui
