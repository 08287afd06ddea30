#pragma once
// La facture projetée : ce que la période de facturation en cours coûtera à sa fin si l'usage
// continue au même rythme.
#include "base/dates.hpp"

namespace lumi {

struct ProjectionFacture {
    double montant = 0;   // même base que le total donné (HT ou TTC)
    NumeroJour date = 0;  // début + 60 : la date de la période suivante, dernier jour montré
};

// Le coût par jour depuis le début de la période (aujourd'hui compris), multiplié par les 60 jours
// de la période. Un jour avant le début compte comme le premier ; après la fin, le total est le
// montant de la période entière.
ProjectionFacture projeter_facture(double total, NumeroJour debut_periode, NumeroJour aujourdhui);

}  // namespace lumi
