#include "ui/icone_tform1.hpp"

#include <QCursor>
#include <QSystemTrayIcon>
#include <QWidget>

#include "ui/appliquer_modele.hpp"
#include "ui/icones.hpp"

namespace lumi::ui {

IconeTForm1::IconeTForm1(QWidget& fenetre, const IconesLumi& icones, Clic clic)
    : fenetre_(fenetre), icones_(icones), clic_(std::move(clic)) {}

IconeTForm1::~IconeTForm1() {
    cacher();
}

bool IconeTForm1::creer() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
    if (icone_ != nullptr) return true;
    icone_ = new QSystemTrayIcon(&fenetre_);
    icone_->setObjectName("icone_notification");
    QObject::connect(icone_, &QSystemTrayIcon::activated, &fenetre_,
                     [this](QSystemTrayIcon::ActivationReason raison) {
                         switch (raison) {
                             case QSystemTrayIcon::Trigger:
                                 clic_(Qt::LeftButton, QCursor::pos());
                                 break;
                             case QSystemTrayIcon::MiddleClick:
                                 clic_(Qt::MiddleButton, QCursor::pos());
                                 break;
                             case QSystemTrayIcon::Context:
                                 clic_(Qt::RightButton, QCursor::pos());
                                 break;
                             default:
                                 break;
                         }
                     });
    return true;
}

void IconeTForm1::appliquer(ImageIcone image, const std::string& info_bulle) {
    if (icone_ == nullptr) return;
    if (image_appliquee_ != image) {
        image_appliquee_ = image;
        icone_->setIcon(icones_.icone(image));
    }
    if (info_bulle_appliquee_ != info_bulle) {
        info_bulle_appliquee_ = info_bulle;
        icone_->setToolTip(qs(info_bulle));
    }
}

void IconeTForm1::montrer() {
    if (icone_ != nullptr) icone_->show();
}

void IconeTForm1::cacher() {
    if (icone_ != nullptr) icone_->hide();
}

bool IconeTForm1::zone_de_notification() const {
    return icone_ != nullptr && icone_->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

}  // namespace lumi::ui
