#include "ui/tsplashscreen.hpp"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>

#include "actions/raccrochage.hpp"

namespace lumi::ui {

Tsplashscreen::Tsplashscreen(const QIcon& icone, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    // Pas une fenêtre surgissante : celle-ci prendrait la souris et le clavier pendant tout l'arrêt
    // (la demande d'autorisation comprise), et le gestionnaire de fenêtres la laisserait passer sous
    // la boîte de sélection de l'utilisateur qui s'ouvre à la fin de la connexion.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setObjectName("Tsplashscreen");
    auto* cadre = new QFrame(this);
    cadre->setFrameStyle(QFrame::Panel | QFrame::Raised);
    cadre->setLineWidth(2);
    auto* image = new QLabel(cadre);
    image->setPixmap(icone.pixmap(32, 32));
    auto* texte = texte_ = new QLabel(QString::fromUtf8(raccrochage::deconnexion_en_cours.data()), cadre);
    texte->setObjectName("Label1");
    QFont gras = texte->font();
    gras.setBold(true);
    gras.setPointSizeF(gras.pointSizeF() + 1);
    texte->setFont(gras);
    auto* rangee = new QHBoxLayout(cadre);
    rangee->setContentsMargins(16, 12, 24, 12);
    rangee->setSpacing(14);
    rangee->addWidget(image);
    rangee->addWidget(texte);
    auto* tout = new QHBoxLayout(this);
    tout->setContentsMargins(0, 0, 0, 0);
    tout->addWidget(cadre);
}

void Tsplashscreen::montrer() {
    adjustSize();
    if (const QScreen* ecran = QApplication::primaryScreen()) {
        move(ecran->geometry().center() - rect().center());
    }
    show();
    raise();
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace lumi::ui

namespace lumi::ui {

void Tsplashscreen::definir_texte(const QString& texte) {
    texte_->setText(texte);
}

}  // namespace lumi::ui
