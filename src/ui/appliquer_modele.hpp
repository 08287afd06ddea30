#pragma once
// Ce que les coquilles de la fenêtre principale font de leur modèle : un texte, une bulle, une
// visibilité ou un bouton appliqués seulement s'ils changent, pour ne rien redessiner à chaque top.
#include <QString>
#include <QWidget>
#include <string>
#include <string_view>

#include "core/fenetre_principale.hpp"
#include "ui/controles.hpp"
#include "ui/texte_qt.hpp"

namespace lumi::ui {

template <typename Controle>
void texte(Controle* l, const std::string& t) {
    const QString q = qs(t);
    if (l->text() != q) l->setText(q);
}

inline void bulle(QWidget* w, std::string_view t) {
    const QString q = qs(t);
    if (w->toolTip() != q) w->setToolTip(q);
}

inline void visible(QWidget* w, bool v) {
    if (w->isVisibleTo(w->parentWidget()) != v) w->setVisible(v);
}

inline void appliquer_bouton(BoutonRapide* b, const BoutonFenetre& modele) {
    visible(b, modele.visible);
    b->setEnabled(modele.enabled);
    bulle(b, modele.hint);
}

}  // namespace lumi::ui
