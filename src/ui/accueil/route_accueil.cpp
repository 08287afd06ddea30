#include "ui/accueil/route_accueil.hpp"

#include "ui/routeur_fenetres.hpp"

namespace lumi::ui {

void definir_route_accueil(RouteurFenetres& routeur, CouturesAccueil coutures, QIcon icone) {
    routeur.definir_route(FenetreSecondaire::accueil,
                          [c = std::move(coutures), icone = std::move(icone)](QWidget* parent) -> QDialog* {
                              return new Taccueilform(c, icone, parent);
                          });
}

}  // namespace lumi::ui
