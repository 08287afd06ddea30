#pragma once
// La route de l'accueil de la première utilisation (FenetreSecondaire::accueil), que le démarrage
// ouvre une fois.
#include <QIcon>

#include "ui/accueil/taccueilform.hpp"

namespace lumi::ui {

class RouteurFenetres;

void definir_route_accueil(RouteurFenetres& routeur, CouturesAccueil coutures, QIcon icone);

}  // namespace lumi::ui
