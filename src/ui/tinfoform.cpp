#include "ui/tinfoform.hpp"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialogue_qt.hpp"

namespace lumi::ui {

Tinfoform::Tinfoform(const ModeleTinfoform& modele, QColor fond, std::function<void(bool)> a_la_fermeture,
                     QWidget* parent)
    : DialogueLumi("Tinfoform", QString::fromStdString(modele.titre), parent),
      a_la_fermeture_(std::move(a_la_fermeture)) {
    setAttribute(Qt::WA_DeleteOnClose);

    auto* panneau = panneau_colore(fond);
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
    auto* ok = bouton(QString::fromStdString(modele.bouton), "Button1", true);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);

    auto* tout = new QVBoxLayout(this);
    tout->addWidget(panneau);
    tout->addWidget(CheckBox1);
    tout->addWidget(ok, 0, Qt::AlignHCenter);
    tout->setSizeConstraint(QLayout::SetFixedSize);
    centrer();
}

Tinfoform::~Tinfoform() {
    if (a_la_fermeture_) a_la_fermeture_(CheckBox1->isChecked());
}

}  // namespace lumi::ui
