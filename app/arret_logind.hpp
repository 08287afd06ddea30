#pragma once
// L'arrêt de la machine par logind : PowerOff sur le bus système, interactif pour que polkit puisse
// demander le mot de passe. L'appel n'attend pas : le programme continue de compter et de peindre
// jusqu'à la réponse (deux minutes au plus), que la boucle de Qt reçoit en surveillant le
// descripteur du bus. Un refus, un logind absent, muet ou un bus injoignable rendent faux avec la
// raison : le programme le dit et continue.
#include <QString>
#include <memory>

#include "actions/programmation.hpp"
#include "platform/linux/bus_dbus.hpp"

class QSocketNotifier;
class QTimer;

namespace lumi {

class ArretLogind final : public ArretSysteme {
public:
    // Une autorisation demandée à l'utilisateur peut prendre du temps : deux minutes au plus.
    static constexpr int attente_par_defaut_ms = 120000;
    explicit ArretLogind(int attente_ms = attente_par_defaut_ms);
    ~ArretLogind() override;

    void eteindre(Fin fin) override;
    // La dernière erreur (nom D-Bus et message), pour les essais et le journal.
    const QString& derniere_erreur() const { return erreur_; }

private:
    void terminer(const Fin& fin, const QString& raison);
    void traiter();

    int attente_ms_;
    QString erreur_;
    // L'appel en cours et ce qui le fait avancer : détruits avec l'arrêt, sa réponse n'arrive
    // plus à personne.
    std::unique_ptr<BusDbus> bus_;
    std::unique_ptr<BusDbus::Jeton> appel_;
    std::unique_ptr<QSocketNotifier> lecture_;
    std::unique_ptr<QTimer> echeance_;
};

}  // namespace lumi
