#pragma once
// L'arrêt de la machine par logind : PowerOff sur le bus système, interactif pour que polkit puisse
// demander le mot de passe. Un refus, un logind absent ou un bus injoignable rendent faux : le
// programme le dit et continue.
#include <QString>

#include "core/programmation.hpp"

namespace lumi {

class ArretLogind final : public ArretSysteme {
public:
    bool eteindre() override;
    // La dernière erreur (nom D-Bus et message), pour les essais et le journal.
    const QString& derniere_erreur() const { return erreur_; }

private:
    QString erreur_;
};

}  // namespace lumi
