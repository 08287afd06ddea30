#include "ui/tinfoform.hpp"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "ui/dialogue_qt.hpp"

namespace lumi::ui {

Tinfoform::Tinfoform(const ModeleTinfoform& modele, QColor fond, std::function<void(bool)> a_la_fermeture,
                     QWidget* parent)
    : QDialog(parent), a_la_fermeture_(std::move(a_la_fermeture)) {
    setObjectName("Tinfoform");
    setWindowTitle(QString::fromStdString(modele.titre));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* panneau = new QFrame(this);
    panneau->setObjectName("Panel1");
    panneau->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panneau->setAutoFillBackground(true);
    QPalette p = panneau->palette();
    p.setColor(QPalette::Window, fond);
    p.setColor(QPalette::WindowText, Qt::black);
    panneau->setPalette(p);
    auto* dans_panneau = new QVBoxLayout(panneau);
    dans_panneau->setContentsMargins(14, 12, 14, 12);
    dans_panneau->setSpacing(10);
    int numero = 1;
    for (const std::string* bloc : {&modele.bloc1, &modele.bloc2, &modele.bloc3}) {
        auto* texte = new QLabel(texte_pour_boite(*bloc), panneau);
        texte->setObjectName(QString("Label%1").arg(numero++));
        texte->setWordWrap(true);
        // Largeur fixe et hauteur du texte replié : la boîte prend la taille de tout son texte.
        constexpr int largeur = 420;
        texte->setFixedWidth(largeur);
        texte->setMinimumHeight(
            texte->fontMetrics()
                .boundingRect(QRect(0, 0, largeur, 10000), Qt::TextWordWrap, texte->text())
                .height());
        dans_panneau->addWidget(texte);
    }

    CheckBox1 = new QCheckBox(QString::fromStdString(modele.case_a_cocher), this);
    CheckBox1->setObjectName("CheckBox1");
    auto* ok = new QPushButton(QString::fromStdString(modele.bouton), this);
    ok->setObjectName("Button1");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);

    auto* tout = new QVBoxLayout(this);
    tout->addWidget(panneau);
    tout->addWidget(CheckBox1);
    tout->addWidget(ok, 0, Qt::AlignHCenter);
    tout->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    if (const QScreen* ecran = QApplication::primaryScreen())
        move(ecran->geometry().center() - rect().center());
}

Tinfoform::~Tinfoform() {
    if (a_la_fermeture_) a_la_fermeture_(CheckBox1->isChecked());
}

}  // namespace lumi::ui
