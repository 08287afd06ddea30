#pragma once
// Rejeu d'un appel top par top, comme le compteur le vit : la plage en cours est réévaluée au
// premier top et à chaque changement d'heure, les compteurs de réduction suivent chaque top, et le
// prix est recalculé depuis le début de l'appel. Sert à l'outil en ligne de commande et aux essais.
#include "base/dates.hpp"
#include "tariff/moteur_tarifaire.hpp"

namespace lumi {

struct ResultatAppel {
    float prix_communication = 0;  // sans réduction, francs HT
    float montant_reduction = 0;   // économie due à l'option
    int plage_en_cours = 0;        // indice de taux affiché au dernier top
};

// Ce que le compteur montre au dernier top d'une connexion du `debut` à la `fin` (fin >= debut)
// avec le tarif et l'option en cours du moteur. Remet à zéro les compteurs de réduction.
ResultatAppel rejouer_appel(MoteurTarifaire& moteur, Moment debut, Moment fin);

}  // namespace lumi
