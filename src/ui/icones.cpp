#include "ui/icones.hpp"

#include <QApplication>
#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <numbers>
#include <tuple>
#include <utility>

namespace lumi::ui {

namespace {

using Dessin = std::function<void(QPainter&, double)>;

// Une image carrée de `taille` pixels dessinée sur une grille de 32 unités.
QPixmap peindre(int taille, const Dessin& dessin) {
    QPixmap image(taille, taille);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double echelle = taille / 32.0;
    p.scale(echelle, echelle);
    dessin(p, echelle);
    return image;
}

// Les tailles auxquelles une icône est dessinée ; une autre taille part de la plus proche au-dessus.
constexpr std::array<int, 6> tailles_dessinees{16, 22, 24, 32, 48, 64};

// Comme une icône faite d'images : la plus petite dont l'aire couvre celle demandée, sinon la plus grande.
int taille_dessinee(const QSize& voulue) {
    const long long aire = static_cast<long long>(voulue.width()) * voulue.height();
    for (const int t : tailles_dessinees) {
        if (static_cast<long long>(t) * t >= aire) return t;
    }
    return tailles_dessinees.back();
}

// Une icône dessinée à la demande : chaque taille n'est peinte qu'au premier usage, puis gardée.
// Dessiner d'avance seize icônes à six tailles coûtait une bonne part du démarrage, alors que la
// fenêtre n'en montre qu'une taille de chacune. Les images rendues sont celles d'une icône faite de
// ces six tailles (plus proche au-dessus, réduite en douceur ; inactive ou survolée selon le style).
class MoteurIconeDessinee final : public QIconEngine {
public:
    explicit MoteurIconeDessinee(Dessin dessin) : dessin_(std::move(dessin)) {}

    QIconEngine* clone() const override { return new MoteurIconeDessinee(*this); }
    QString key() const override { return QStringLiteral("MoteurIconeDessinee"); }
    bool isNull() override { return false; }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        QList<QSize> tailles;
        if (mode != QIcon::Normal || state != QIcon::Off) return tailles;
        for (const int t : tailles_dessinees) tailles << QSize(t, t);
        return tailles;
    }

    QSize actualSize(const QSize& voulue, QIcon::Mode, QIcon::State) override {
        QSize taille(taille_dessinee(voulue), taille_dessinee(voulue));
        if (taille.width() > voulue.width() || taille.height() > voulue.height()) {
            taille.scale(voulue, Qt::KeepAspectRatio);
        }
        return taille;
    }

    QPixmap pixmap(const QSize& voulue, QIcon::Mode mode, QIcon::State state) override {
        const QSize taille = actualSize(voulue, mode, state);
        if (taille.isEmpty()) return {};
        // L'image dépend de la taille dessinée (choisie sur la taille demandée) et de la taille rendue.
        const int base = taille_dessinee(voulue);
        const Cle cle{base, taille.width(), taille.height(), static_cast<int>(mode)};
        if (const auto trouvee = images_.find(cle); trouvee != images_.end()) return trouvee->second;
        if (mode != QIcon::Normal) {
            QPixmap image = pixmap(voulue, QIcon::Normal, state);
            // Comme une icône ordinaire : le style fait l'image inactive, survolée ou choisie.
            if (auto* style = QApplication::style()) {
                QStyleOption option(0);
                option.palette = QGuiApplication::palette();
                const QPixmap faite = style->generatedIconPixmap(mode, image, &option);
                if (!faite.isNull()) image = faite;
            }
            return images_.emplace(cle, image).first->second;
        }
        const Cle cle_base{base, base, base, static_cast<int>(QIcon::Normal)};
        auto dessinee = images_.find(cle_base);
        if (dessinee == images_.end()) dessinee = images_.emplace(cle_base, peindre(base, dessin_)).first;
        if (dessinee->first == cle) return dessinee->second;
        return images_
            .emplace(cle, dessinee->second.scaled(taille, Qt::IgnoreAspectRatio, Qt::SmoothTransformation))
            .first->second;
    }

    void paint(QPainter* peintre, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const QPaintDevice* support = peintre->device();
        const qreal echelle = support != nullptr ? support->devicePixelRatio() : qApp->devicePixelRatio();
        peintre->drawPixmap(rect, pixmap(rect.size() * echelle, mode, state));
    }

private:
    MoteurIconeDessinee(const MoteurIconeDessinee&) = default;

    // (taille dessinée, largeur, hauteur, mode) -> image.
    using Cle = std::tuple<int, int, int, int>;

    Dessin dessin_;
    std::map<Cle, QPixmap> images_;
};

// Une icône aux tailles usuelles, peinte à la demande.
QIcon creer_icone(Dessin dessin) {
    return QIcon(new MoteurIconeDessinee(std::move(dessin)));
}

// Le produit : un cadran de compteur sur fond bleu nuit, aiguille rouge.
void dessin_application(QPainter& p, double) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1b, 0x2a, 0x4a));
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    p.setPen(QPen(QColor(0x7c, 0xfc, 0x00), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(5, 7, 22, 22), 20 * 16, 140 * 16);
    p.setPen(QPen(QColor(0xff, 0x40, 0x30), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 18), QPointF(23, 10));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 18), 2.5, 2.5);
    p.setBrush(QColor(0xff, 0xd7, 0x00));
    p.drawRect(QRectF(7, 23, 18, 4));
}

// La numérotation : un combiné noir sur fond vert.
void dessin_numerotation(QPainter& p, double) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0xc0, 0x30));
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    QPainterPath combine;
    combine.moveTo(6, 12);
    combine.cubicTo(6, 6, 26, 6, 26, 12);
    combine.lineTo(22, 15);
    combine.lineTo(20, 11);
    combine.cubicTo(18, 10, 14, 10, 12, 11);
    combine.lineTo(10, 15);
    combine.closeSubpath();
    p.setBrush(Qt::black);
    p.drawPath(combine);
    p.drawRoundedRect(QRectF(9, 17, 14, 10), 3, 3);
    p.setBrush(QColor(0x30, 0xc0, 0x30));
    p.drawEllipse(QPointF(16, 22), 2.5, 2.5);
}

// Une horloge dont l'aiguille tourne d'un tiers de tour à chaque image.
Dessin dessin_horloge(int image, QColor fond) {
    return [image, fond](QPainter& p, double) {
        p.setPen(QPen(Qt::black, 1.5));
        p.setBrush(fond);
        p.drawEllipse(QRectF(2, 2, 28, 28));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(6, 6, 20, 20));
        const double angle = -std::numbers::pi / 2 + image * 2 * std::numbers::pi / 3;
        p.setPen(QPen(Qt::black, 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(16, 16), QPointF(16 + 8 * std::cos(angle), 16 + 8 * std::sin(angle)));
        p.setPen(QPen(Qt::red, 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(16, 16), QPointF(16, 9));
    };
}

void dessin_cadenas(QPainter& p, double) {
    p.setPen(QPen(QColor(0x70, 0x70, 0x70), 3));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(9, 3, 14, 16), 0, 180 * 16);
    p.drawLine(QPointF(9, 11), QPointF(9, 15));
    p.drawLine(QPointF(23, 11), QPointF(23, 15));
    p.setPen(QPen(QColor(0x80, 0x60, 0x00), 1));
    p.setBrush(QColor(0xe8, 0xb0, 0x20));
    p.drawRoundedRect(QRectF(5, 14, 22, 15), 2, 2);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(16, 20), 2, 2);
    p.drawRect(QRectF(15.2, 20, 1.6, 5));
}

void dessin_triangle(QPainter& p, QColor couleur) {
    p.setPen(Qt::NoPen);
    p.setBrush(couleur);
    p.drawPolygon(QPolygonF({QPointF(8, 6), QPointF(26, 16), QPointF(8, 26)}));
}

void dessin_lampe(QPainter& p, double) {
    QRadialGradient degrade(QPointF(13, 12), 14);
    degrade.setColorAt(0, QColor(0xff, 0xff, 0xa0));
    degrade.setColorAt(1, QColor(0xff, 0x80, 0x00));
    p.setPen(QPen(QColor(0x80, 0x40, 0x00), 1.5));
    p.setBrush(degrade);
    p.drawEllipse(QRectF(3, 3, 26, 26));
}

void dessin_connecter(QPainter& p, double) {
    p.setPen(QPen(QColor(0x10, 0x80, 0x10), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(QColor(0x40, 0xd0, 0x40));
    p.drawRoundedRect(QRectF(4, 10, 14, 12), 3, 3);
    p.drawLine(QPointF(18, 13), QPointF(27, 13));
    p.drawLine(QPointF(18, 19), QPointF(27, 19));
    p.drawLine(QPointF(4, 16), QPointF(1, 16));
}

void dessin_deconnecter(QPainter& p, double) {
    p.setPen(QPen(QColor(0xa0, 0x10, 0x10), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(QColor(0xf0, 0x50, 0x40));
    p.drawRoundedRect(QRectF(3, 10, 11, 12), 3, 3);
    p.drawRoundedRect(QRectF(18, 10, 11, 12), 3, 3);
    p.drawLine(QPointF(14, 16), QPointF(16, 16));
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(QPointF(13, 4), QPointF(19, 28));
}

void dessin_demarrer(QPainter& p, double) {
    dessin_triangle(p, QColor(0x20, 0x90, 0x20));
}

void dessin_arreter(QPainter& p, double) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xc0, 0x20, 0x20));
    p.drawRoundedRect(QRectF(7, 7, 18, 18), 2, 2);
}

void dessin_options(QPainter& p, double) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x50, 0x60, 0x70));
    for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(16, 16);
        p.rotate(i * 45);
        p.drawRect(QRectF(-2.5, -14, 5, 7));
        p.restore();
    }
    p.drawEllipse(QPointF(16, 16), 9, 9);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 16), 4, 4);
}

void dessin_historique(QPainter& p, double) {
    p.setPen(QPen(QColor(0x40, 0x40, 0x80), 1.5));
    p.setBrush(QColor(0xfa, 0xfa, 0xf0));
    p.drawRect(QRectF(6, 3, 20, 26));
    p.setPen(QPen(QColor(0x40, 0x40, 0x80), 2));
    for (int y = 9; y <= 24; y += 5) p.drawLine(QPointF(10, y), QPointF(22, y));
}

void dessin_aide(QPainter& p, double) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x20, 0x60, 0xc0));
    p.drawEllipse(QRectF(2, 2, 28, 28));
    p.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(10, 7, 12, 11), -60 * 16, 240 * 16);
    p.drawLine(QPointF(18.5, 17), QPointF(16, 20));
    p.drawPoint(QPointF(16, 25));
}

void dessin_notification(QPainter& p, double) {
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.5));
    p.setBrush(QColor(0xd0, 0xd0, 0xd0));
    p.drawRect(QRectF(3, 22, 26, 7));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x20, 0x60, 0xc0));
    p.drawPolygon(QPolygonF({QPointF(10, 4), QPointF(22, 4), QPointF(22, 12), QPointF(27, 12),
                             QPointF(16, 21), QPointF(5, 12), QPointF(10, 12)}));
}

void dessin_taille(QPainter& p, double) {
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3, 5, 24, 20));
    p.setBrush(Qt::black);
    p.drawRect(QRectF(14, 15, 15, 12));
}

void dessin_deroulant(QPainter& p, double) {
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPolygon(QPolygonF({QPointF(8, 12), QPointF(24, 12), QPointF(16, 21)}));
}

}  // namespace

IconesLumi::IconesLumi() {
    application_ = creer_icone(dessin_application);
    numerotation_ = creer_icone(dessin_numerotation);
    image3_ = creer_icone(dessin_horloge(0, QColor(0xff, 0xd0, 0x40)));
    image4_ = creer_icone(dessin_horloge(1, QColor(0xff, 0xd0, 0x40)));
    image5_ = creer_icone(dessin_horloge(2, QColor(0xff, 0xd0, 0x40)));
    cadenas_ = peindre(16, dessin_cadenas);
    marque_choix_ = peindre(12, [](QPainter& p, double) { dessin_triangle(p, QColor(0x00, 0x00, 0xff)); });
    marque_tarif_ = peindre(12, [](QPainter& p, double) { dessin_triangle(p, QColor(0x00, 0x90, 0x00)); });
    lampe_ferie_ = peindre(14, dessin_lampe);
    programmation_ = peindre(16, dessin_horloge(0, QColor(0xff, 0x40, 0x30)));
    connecter = creer_icone(dessin_connecter);
    deconnecter = creer_icone(dessin_deconnecter);
    demarrer = creer_icone(dessin_demarrer);
    arreter = creer_icone(dessin_arreter);
    module_programmation = creer_icone(dessin_horloge(0, QColor(0xff, 0xd0, 0x40)));
    options = creer_icone(dessin_options);
    historique = creer_icone(dessin_historique);
    aide = creer_icone(dessin_aide);
    notification = creer_icone(dessin_notification);
    taille = creer_icone(dessin_taille);
    deroulant = creer_icone(dessin_deroulant);
}

const QIcon& IconesLumi::icone(ImageIcone image) const {
    switch (image) {
        case ImageIcone::numerotation:
            return numerotation_;
        case ImageIcone::Image3:
            return image3_;
        case ImageIcone::Image4:
            return image4_;
        case ImageIcone::Image5:
            return image5_;
        case ImageIcone::application:
            break;
    }
    return application_;
}

}  // namespace lumi::ui
