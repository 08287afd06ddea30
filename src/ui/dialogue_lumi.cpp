#include "ui/dialogue_lumi.hpp"

#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

namespace lumi::ui {

DialogueLumi::DialogueLumi(const QString& nom, const QString& titre, QWidget* parent) : QDialog(parent) {
    setObjectName(nom);
    setWindowTitle(titre);
}

void DialogueLumi::definir_aide(int sujet, std::function<void(int)> ouvrir_aide) {
    sujet_aide_ = sujet;
    ouvrir_aide_ = std::move(ouvrir_aide);
}

QFrame* DialogueLumi::panneau_colore(QColor fond, const QString& nom) {
    return panneau_colore(this, fond, nom);
}

QFrame* DialogueLumi::panneau_colore(QWidget* parent, QColor fond, const QString& nom) {
    auto* panneau = new QFrame(parent);
    panneau->setObjectName(nom);
    panneau->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panneau->setAutoFillBackground(true);
    QPalette p = panneau->palette();
    p.setColor(QPalette::Window, fond);
    p.setColor(QPalette::WindowText, Qt::black);
    panneau->setPalette(p);
    return panneau;
}

QPushButton* DialogueLumi::bouton(const QString& texte, const QString& nom, bool defaut) {
    return bouton(this, texte, nom, defaut);
}

QPushButton* DialogueLumi::bouton(QWidget* parent, const QString& texte, const QString& nom, bool defaut) {
    auto* b = new QPushButton(texte, parent);
    b->setObjectName(nom);
    b->setDefault(defaut);
    b->setAutoDefault(defaut);
    return b;
}

void DialogueLumi::centrer(bool fixe) {
    adjustSize();
    // La barre de titre est en gras chez la plupart des gestionnaires de fenêtres.
    QFont gras = font();
    gras.setBold(true);
    const int largeur_titre = QFontMetrics(gras).horizontalAdvance(windowTitle()) + marge_titre;
    if (width() < largeur_titre) resize(largeur_titre, height());
    if (fixe) setFixedSize(size());
    const QScreen* ecran = parentWidget() != nullptr ? parentWidget()->screen() : screen();
    if (ecran == nullptr) ecran = QGuiApplication::primaryScreen();
    if (ecran != nullptr) move(ecran->geometry().center() - rect().center());
}

void DialogueLumi::ouvrir_sujet_aide() {
    if (sujet_aide_ > 0 && ouvrir_aide_) ouvrir_aide_(sujet_aide_);
}

void DialogueLumi::keyPressEvent(QKeyEvent* evenement) {
    if (evenement->key() == Qt::Key_F1 && sujet_aide_ > 0 && ouvrir_aide_) {
        ouvrir_sujet_aide();
        return;
    }
    QDialog::keyPressEvent(evenement);
}

}  // namespace lumi::ui
