#pragma once
// L'avis de fin de forfait (TFinforfait) : petite fenêtre non modale, toujours au-dessus, centrée,
// titrée du nom du produit, le texte du forfait épuisé dans un panneau encadré et un bouton "OK".
#include <QColor>

#include "plans/fin_forfait.hpp"
#include "ui/dialogue_lumi.hpp"

namespace lumi::ui {

class TFinforfait final : public DialogueLumi {
    Q_OBJECT

public:
    TFinforfait(const ModeleFinForfait& modele, QColor fond, QWidget* parent = nullptr);
};

}  // namespace lumi::ui
