#include "ui/programmation/route_programmation.hpp"

#include "ui/programmation/tdeconectform.hpp"
#include "ui/routeur_fenetres.hpp"

namespace lumi::ui {

void definir_route_programmation(RouteurFenetres& routeur, Programmation& programmation) {
    routeur.definir_route(
        FenetreSecondaire::programmation,
        [&programmation](QWidget* parent) -> QDialog* { return new Tdeconectform(programmation, parent); },
        [](QDialog& d, int) { static_cast<Tdeconectform&>(d).preparer(); });
}

}  // namespace lumi::ui
