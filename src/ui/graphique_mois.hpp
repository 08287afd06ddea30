#pragma once
// Le graphique des mois peint avec QPainter : barres, montants au-dessus, mois et années dessous,
// le mois en cours d'une autre couleur. Sert à la vue « Graphique » de l'historique et à l'image PNG.
#include <QImage>
#include <QRectF>
#include <QSize>

#include "history/graphique_mois.hpp"

class QPainter;

namespace lumi::ui {

void peindre_graphique_mois(QPainter& p, const QRectF& zone, const GraphiqueMois& graphique);

// Le graphique sur fond blanc, à la taille donnée.
QImage image_graphique_mois(const GraphiqueMois& graphique, QSize taille = {800, 450});

}  // namespace lumi::ui
