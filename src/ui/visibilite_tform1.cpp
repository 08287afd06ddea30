#include "ui/visibilite_tform1.hpp"

#include <QWidget>

#include "core/commandes_fenetre.hpp"
#include "core/fenetre_principale.hpp"
#include "ui/icone_tform1.hpp"

namespace lumi::ui {

VisibiliteTForm1::VisibiliteTForm1(QWidget& fenetre, CommandesFenetre& commandes, const ModeleTForm1& modele,
                                   const IconeTForm1& icone)
    : fenetre_(fenetre), commandes_(commandes), modele_(modele), icone_(icone) {}

void VisibiliteTForm1::montrer() {
    commandes_.montrer();
    suivie_ = true;
    appliquee_ = !modele_.fenetre_visible;  // force l'application
}

void VisibiliteTForm1::cacher() {
    commandes_.cacher();
    suivie_ = true;
    appliquee_ = !modele_.fenetre_visible;
}

void VisibiliteTForm1::appliquer() {
    if (!suivie_) return;
    const bool voulu = modele_.fenetre_visible;
    if (voulu == appliquee_) return;
    appliquee_ = voulu;
    if (voulu) {
        if (fenetre_.isMinimized()) {
            fenetre_.showNormal();
        } else {
            fenetre_.show();
        }
        fenetre_.raise();
        fenetre_.activateWindow();
    } else if (icone_.zone_de_notification()) {
        fenetre_.hide();
    } else {
        // Sans zone de notification, la fenêtre reste à portée : elle est réduite.
        fenetre_.showMinimized();
    }
}

bool VisibiliteTForm1::etat_change() {
    // Sans zone de notification, cacher c'est réduire : une fenêtre réduite ou rendue par le bureau
    // (barre des tâches) l'est aussi pour le modèle.
    if (!suivie_ || icone_.zone_de_notification()) return false;
    const bool visible_reel = !fenetre_.isMinimized();
    if (visible_reel == modele_.fenetre_visible) return false;
    if (visible_reel) {
        commandes_.montrer();
    } else {
        commandes_.cacher();
    }
    appliquee_ = visible_reel;
    return true;
}

void VisibiliteTForm1::remontrer(bool etait_visible) {
    if (etait_visible || (suivie_ && modele_.fenetre_visible)) fenetre_.show();
}

}  // namespace lumi::ui
