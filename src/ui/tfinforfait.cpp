#include "ui/tfinforfait.hpp"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumi::ui {

TFinforfait::TFinforfait(const ModeleFinForfait& modele, QColor fond, QWidget* parent)
    : DialogueLumi("TFinforfait", QString::fromStdString(modele.titre), parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(modele.modal);
    Qt::WindowFlags drapeaux = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    if (modele.toujours_au_dessus) drapeaux |= Qt::WindowStaysOnTopHint;
    setWindowFlags(drapeaux);

    auto* panneau = panneau_colore(fond);
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

    auto* ok = bouton(QString::fromStdString(modele.bouton), "Button1", true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* tout = new QVBoxLayout(this);
    tout->addWidget(panneau);
    tout->addWidget(ok, 0, Qt::AlignHCenter);
    setMinimumWidth(300);
    if (modele.centre_ecran) {
        centrer();
    } else {
        adjustSize();
    }
}

}  // namespace lumi::ui
