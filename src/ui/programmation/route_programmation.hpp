#pragma once
// La route du module de programmation : la fenêtre créée au premier usage, gardée, ses réglages relus
// à chaque ouverture. La commande passe d'abord par le résumé quand une programmation est armée
// (TForm1::demander_programmation).
namespace lumi {

class Programmation;

namespace ui {

class RouteurFenetres;

void definir_route_programmation(RouteurFenetres& routeur, Programmation& programmation);

}  // namespace ui
}  // namespace lumi
