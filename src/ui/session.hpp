#pragma once
// La fin de la session de bureau. Le gestionnaire de session de Qt demande aux programmes de
// sauver leurs données avant la fermeture (commitDataRequest) : c'est l'avis de fin de session,
// qui ôte la question de la fermeture et garde l'instantané anti-crash. Les signaux d'arrêt
// (SIGTERM, SIGHUP, SIGINT) que la session ou un terminal envoient ensuite ferment le programme de
// la même façon, proprement, par la boucle d'événements.
#include <QObject>

class QSessionManager;
class QSocketNotifier;

namespace lumi {

class SessionBureau final : public QObject {
    Q_OBJECT

public:
    // Une seule par programme (les signaux sont globaux).
    explicit SessionBureau(QObject* parent = nullptr);
    ~SessionBureau() override;

signals:
    // La session va se terminer : plus de question, l'instantané reste.
    void fin_de_session();
    // Un signal d'arrêt est arrivé : fermer maintenant (après fin_de_session).
    void arret_demande();

private:
    void signal_recu();

    QSocketNotifier* notificateur_ = nullptr;
};

}  // namespace lumi
