#pragma once
// Les minuteries Qt de la fenêtre principale, sous leurs noms établis (Timer1 à Timer5) : chacune
// suit une Minuterie du cœur (intervalle, marche) et n'est relue que quand sa version change.
// Timer5, la scrutation des connexions, est en plus réveillée par la veille de l'accès à distance
// quand il en a une. La fenêtre branche les gestionnaires sur les QTimer.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class QObject;
class QSocketNotifier;
class QTimer;

namespace lumi {

class Compteur;
class Detection;
class Minuterie;

namespace ui {

// Un QTimer et ce qu'il a vu de sa minuterie du cœur.
struct MinuterieQt {
    QTimer* timer = nullptr;
    std::uint64_t version_vue = 0;
    bool a_relire = true;  // la prochaine synchronisation relit tout, version changée ou non

    // Intervalle et marche repris si la minuterie a changé ; `en_attente` : arrêtée même active.
    void suivre(const Minuterie& m, bool en_attente = false);
};

// Ce qui, changé par la scrutation, demande de relire les modèles : la scrutation peut tourner dix
// fois par seconde, la fenêtre n'est relue que si l'un d'eux a changé.
class EmpreinteScrutation {
public:
    // Vrai si le compteur a changé depuis l'appel précédent (les lignes d'état 0 et 1 comprises).
    bool changee(const Compteur& compteur);

private:
    struct Valeurs {
        bool compteur_actif = false;
        std::uint64_t version_timer2 = 0;
        bool fenetre_visible = true;
        int reaffichages_icone = 0, modifications_icone = 0, demandes_Tinfoform = 0;
        std::size_t avis_fin_forfait = 0;
        friend bool operator==(const Valeurs&, const Valeurs&) = default;
    };
    Valeurs vues_;
    std::array<std::string, 2> lignes_vues_;
};

class MinuteriesTForm1 {
public:
    // Les cinq QTimer, enfants de `parent` ; rien ne tourne avant lancer().
    explicit MinuteriesTForm1(QObject& parent);

    MinuterieQt Timer1, Timer2, Timer3, Timer4, Timer5;
    QSocketNotifier* veille_Timer5 = nullptr;  // nul quand l'accès à distance ne sait pas veiller

    bool lancees() const { return lancees_; }
    void lancer() { lancees_ = true; }
    // La fermeture acceptée : tout s'arrête, la veille se tait.
    void arreter();

    // Timer5 suit `detection` ; `reveil` est appelé quand la veille signale un changement.
    void suivre_detection(Detection& detection, std::function<void()> reveil);
    Detection* detection() const { return detection_; }

    // Relit les minuteries changées, une fois lancées. `Timer2_en_attente` : la rangée clignotante
    // attend que la fenêtre revienne.
    void synchroniser(Compteur& compteur, bool Timer2_en_attente);
    // Un passage de la scrutation, par Timer5 ou par la veille ; faux s'il n'a pas eu lieu (pas de
    // détection, ou un passage déjà en cours).
    bool scruter(bool sur_veille);
    // Veille et 100 ms selon ce que la détection dit : rien hors scrutation de l'accès à distance.
    void regler_scrutation();
    EmpreinteScrutation empreinte;

private:
    QObject& parent_;
    Detection* detection_ = nullptr;
    bool lancees_ = false;
    bool scrutation_en_cours_ = false;
};

}  // namespace ui
}  // namespace lumi
