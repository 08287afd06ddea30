#include "tariff/pas_paye.hpp"

#include <gtest/gtest.h>

namespace lumi {
namespace {

constexpr NumeroJour jour = 36528;

constexpr Moment a(NumeroJour j, int h, int m, int s) {
    return {j, seconde_du_jour(h, m, s)};
}

tparametre_de_la_tarification tarif(int pas, int credit = 0) {
    tparametre_de_la_tarification t;
    t.pas_tarif = pas;
    t.credit_temps = credit;
    return t;
}

struct Cas {
    const char* nom;
    int pas;
    int credit;
    Moment debut;
    Moment declenchement;
    Moment raccrochage;
};

TEST(PasPaye, RaccrochageTroisSecondesAvantLePasSuivant) {
    const Cas cas[] = {
        // Le pas de 60 s commencé à 10:00:30 : un déclenchement à 10:00:50 attend 10:01:27.
        {"pas de 60", 60, 0, a(jour, 10, 0, 30), a(jour, 10, 0, 50), a(jour, 10, 1, 27)},
        {"à la seconde", 1, 0, a(jour, 10, 0, 30), a(jour, 10, 0, 50), a(jour, 10, 0, 50)},
        // Moins de trois secondes avant le pas suivant : tout de suite, sans payer ce pas.
        {"fin de pas proche", 60, 0, a(jour, 10, 0, 30), a(jour, 10, 1, 28), a(jour, 10, 1, 28)},
        {"marge exacte", 60, 0, a(jour, 10, 0, 30), a(jour, 10, 1, 27), a(jour, 10, 1, 27)},
        // Le pas qui commence à l'instant même est déjà dû : on attend le suivant.
        {"début de pas", 60, 0, a(jour, 10, 0, 30), a(jour, 10, 1, 30), a(jour, 10, 2, 27)},
        // Le crédit temps de 180 s est payé d'avance : le premier pas commence à sa fin.
        {"dans le crédit", 60, 180, a(jour, 10, 0, 0), a(jour, 10, 1, 0), a(jour, 10, 2, 57)},
        {"après le crédit", 60, 180, a(jour, 10, 0, 0), a(jour, 10, 3, 10), a(jour, 10, 3, 57)},
        // Le rythme des pas continue après minuit.
        {"minuit", 120, 0, a(jour, 23, 59, 0), a(jour + 1, 0, 0, 30), a(jour + 1, 0, 0, 57)},
    };
    for (const auto& c : cas) {
        EXPECT_EQ(raccrochage_fin_du_pas(tarif(c.pas, c.credit), c.debut, c.declenchement), c.raccrochage)
            << c.nom;
    }
}

}  // namespace
}  // namespace lumi
