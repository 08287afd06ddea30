#include "ui/tfinforfait.hpp"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace lumi::ui {

TFinforfait::TFinforfait(const ModeleFinForfait& modele, QColor fond, QWidget* parent) : QDialog(parent) {
    setObjectName("TFinforfait");
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(modele.modal);
    setWindowTitle(QString::fromStdString(modele.titre));
    Qt::WindowFlags drapeaux = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    if (modele.toujours_au_dessus) drapeaux |= Qt::WindowStaysOnTopHint;
    setWindowFlags(drapeaux);

    auto* panneau = new QFrame(this);
    panneau->setObjectName("Panel1");
    panneau->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panneau->setAutoFillBackground(true);
    QPalette p = panneau->palette();
    p.setColor(QPalette::Window, fond);
    p.setColor(QPalette::WindowText, Qt::black);
    panneau->setPalette(p);
    auto* texte = new QLabel(QString::fromStdString(modele.texte), panneau);
    texte->setObjectName("Label1");
    texte->setWordWrap(true);
    texte->setAlignment(Qt::AlignCenter);
    QFont gras = texte->font();
    gras.setBold(true);
    texte->setFont(gras);
    auto* dans_panneau = new QHBoxLayout(panneau);
    dans_panneau->setContentsMargins(18, 14, 18, 14);
    dans_panneau->addWidget(texte);

    auto* ok = new QPushButton(QString::fromStdString(modele.bouton), this);
    ok->setObjectName("Button1");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* tout = new QVBoxLayout(this);
    tout->addWidget(panneau);
    tout->addWidget(ok, 0, Qt::AlignHCenter);
    setMinimumWidth(300);
    adjustSize();
    if (modele.centre_ecran) {
        if (const QScreen* ecran = QApplication::primaryScreen())
            move(ecran->geometry().center() - rect().center());
    }
}

}  // namespace lumi::ui
