#pragma once
// Les minuteries Qt de la fenêtre principale, sous leurs noms établis (Timer1 à Timer5) : chacune
// suit une Minuterie du cœur (intervalle, marche), n'est relue que quand sa version change et mène
// son gestionnaire du cœur. Timer5, la scrutation des connexions, est en plus réveillée par la
// veille de l'accès à distance quand il en a une.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class QSocketNotifier;
class QTimer;
class QWidget;

namespace lumi {

class CommandesFenetre;
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

// Ce que la fenêtre fait après un gestionnaire.
struct RappelsMinuteries {
    std::function<void()> apres_evenement;       // minuteries suivies, fenêtre relue
    std::function<void()> rafraichir_afficheur;  // l'afficheur, le titre et l'icône seuls
};

class MinuteriesTForm1 {
public:
    // Les cinq QTimer, enfants de `fenetre`, branchés sur leurs gestionnaires ; rien ne tourne avant
    // lancer().
    MinuteriesTForm1(QWidget& fenetre, Compteur& compteur, CommandesFenetre& commandes,
                     RappelsMinuteries rappels);

    MinuterieQt Timer1, Timer2, Timer3, Timer4, Timer5;
    QSocketNotifier* veille_Timer5 = nullptr;  // nul quand l'accès à distance ne sait pas veiller

    bool lancees() const { return lancees_; }
    void lancer() { lancees_ = true; }
    // La fermeture acceptée : tout s'arrête, la veille se tait.
    void arreter();

    // Timer5 suit `detection`, réveillée aussi par sa veille.
    void suivre_detection(Detection& detection);
    Detection* detection() const { return detection_; }

    // Relit les minuteries changées, une fois lancées. La rangée clignotante ne touche qu'à la
    // fenêtre : cachée dans la zone de notification, le programme ne se réveille plus que pour le top.
    void synchroniser();
    // Un passage de la scrutation, par Timer5 ou par la veille (rien sans détection ou pendant un
    // autre passage) ; la fenêtre n'est relue que si un état a changé.
    void scrutation(bool sur_veille);

private:
    bool scruter(bool sur_veille);
    // Veille et 100 ms selon ce que la détection dit : rien hors scrutation de l'accès à distance.
    void regler_scrutation();

    QWidget& fenetre_;
    Compteur& compteur_;
    RappelsMinuteries rappels_;
    EmpreinteScrutation empreinte_;
    Detection* detection_ = nullptr;
    bool lancees_ = false;
    bool scrutation_en_cours_ = false;
};

}  // namespace ui
}  // namespace lumi
