#pragma once
// La route de l'historique des connexions : la fenêtre créée au premier usage, gardée, et relue à
// chaque ouverture.
#include "ui/historique/thistoform.hpp"

namespace lumi::ui {

class RouteurFenetres;

void definir_route_historique(RouteurFenetres& routeur, CouturesHistorique coutures);

}  // namespace lumi::ui
