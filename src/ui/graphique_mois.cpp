#include "ui/graphique_mois.hpp"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace lumi::ui {

namespace {

const QColor couleur_barre(0x3a, 0x6e, 0xa5);
const QColor couleur_courant(0xe0, 0x7b, 0x00);
const QColor couleur_axe(0x60, 0x60, 0x60);

}  // namespace

void peindre_graphique_mois(QPainter& p, const QRectF& zone, const GraphiqueMois& graphique) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QFont titre = p.font();
    titre.setBold(true);
    titre.setPointSizeF(titre.pointSizeF() * 1.2);
    const QFont normale = p.font();
    QFont petite = normale;
    petite.setPointSizeF(normale.pointSizeF() * 0.85);

    const double ligne = QFontMetricsF(normale).height();
    const double h_titre = QFontMetricsF(titre).height() * 1.6;
    p.setFont(titre);
    p.setPen(Qt::black);
    p.drawText(QRectF(zone.left(), zone.top(), zone.width(), h_titre), Qt::AlignCenter,
               QString::fromStdString(graphique.titre));

    // Sous le titre : une ligne pour les montants, les barres, puis deux lignes pour le mois.
    const QRectF barres(zone.left() + 8, zone.top() + h_titre + ligne, zone.width() - 16,
                        zone.height() - h_titre - ligne * 3.6);
    p.setPen(QPen(couleur_axe, 1));
    p.drawLine(barres.bottomLeft(), barres.bottomRight());
    if (graphique.barres.empty()) {
        p.setFont(normale);
        p.drawText(barres, Qt::AlignCenter, QStringLiteral("Aucun mois à montrer"));
        p.restore();
        return;
    }

    const double colonne = barres.width() / static_cast<double>(graphique.barres.size());
    const double largeur = std::max(2.0, colonne * 0.62);
    for (std::size_t i = 0; i < graphique.barres.size(); ++i) {
        const auto& b = graphique.barres[i];
        const double x = barres.left() + colonne * static_cast<double>(i);
        const double hauteur = barres.height() * std::clamp(b.hauteur, 0.0, 1.0);
        const QRectF barre(x + (colonne - largeur) / 2, barres.bottom() - hauteur, largeur, hauteur);
        p.setPen(Qt::NoPen);
        p.setBrush(b.courant ? couleur_courant : couleur_barre);
        p.drawRect(barre);

        p.setPen(Qt::black);
        QFont texte_montant = petite;
        texte_montant.setBold(b.courant);
        p.setFont(texte_montant);
        p.drawText(QRectF(x, barre.top() - ligne, colonne, ligne), Qt::AlignHCenter | Qt::AlignBottom,
                   QString::fromStdString(b.texte));
        QFont texte_mois = normale;
        texte_mois.setBold(b.courant);
        p.setFont(texte_mois);
        p.drawText(QRectF(x, barres.bottom() + 2, colonne, ligne), Qt::AlignHCenter | Qt::AlignTop,
                   QString::fromStdString(b.mois));
        p.setFont(petite);
        p.drawText(QRectF(x, barres.bottom() + 2 + ligne, colonne, ligne), Qt::AlignHCenter | Qt::AlignTop,
                   QString::fromStdString(b.annee));
    }
    p.restore();
}

QImage image_graphique_mois(const GraphiqueMois& graphique, QSize taille) {
    QImage image(taille, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    peindre_graphique_mois(p, QRectF(QPointF(0, 0), QSizeF(taille)), graphique);
    return image;
}

}  // namespace lumi::ui
