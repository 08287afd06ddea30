#pragma once
// La fenêtre des messages (Tinfoform) : trois blocs de texte sur un panneau coloré, un bouton "OK"
// et la case "Ne plus afficher ce message". La case cochée à la destruction : la fenêtre ne se
// montrera plus au début d'une connexion.
#include <QColor>
#include <functional>

#include "core/commandes_fenetre.hpp"
#include "ui/dialogue_lumi.hpp"

class QCheckBox;

namespace lumi::ui {

class Tinfoform final : public DialogueLumi {
    Q_OBJECT

public:
    // `a_la_fermeture` reçoit l'état de la case quand la fenêtre est détruite.
    Tinfoform(const ModeleTinfoform& modele, QColor fond, std::function<void(bool)> a_la_fermeture,
              QWidget* parent = nullptr);
    ~Tinfoform() override;

    QCheckBox* CheckBox1 = nullptr;

private:
    std::function<void(bool)> a_la_fermeture_;
};

}  // namespace lumi::ui
