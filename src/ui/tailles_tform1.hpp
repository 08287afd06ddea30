#pragma once
// Les trois tailles de la fenêtre principale (normale, afficheur, barre) : chaque mode mesuré une
// fois fenêtre cachée, la fenêtre disposée et placée pour que le bouton de taille reste sous la
// souris, sa place rangée dans lumicompteur.ini, et le glissement du coin (celui de la fenêtre en
// normale, celui du cadre Panel6 réduite) qui montre le mode d'arrivée par un rectangle. Les
// boutons de la souris sur la fenêtre et sur Panel6 passent par un seul gestionnaire.
#include <QObject>
#include <QPoint>
#include <array>
#include <filesystem>
#include <functional>
#include <vector>

#include "core/modes_affichage.hpp"

class QMouseEvent;
class QRubberBand;
class QWidget;

namespace lumi {

class Compteur;
class Dialogue;

namespace ui {

class ZoneAfficheur;

// Ce que la fenêtre fait autour d'un changement de mode.
struct RappelsTailles {
    std::function<void()> rafraichir;                   // les textes du mode, avant de le mesurer
    std::function<void(bool etait_visible)> remontrer;  // montrée si elle doit l'être, icône recréée
    std::function<void()> apres_evenement;              // minuteries suivies, fenêtre relue
    std::function<void()> synchroniser_minuteries;      // le glissement suspend les effets de Timer2
};

// Les zones que la disposition montre ou cache.
struct ZonesTailles {
    ZoneAfficheur& afficheur;
    std::vector<QWidget*> normales;  // montrées par la seule fenêtre normale
    QWidget& forfait;                // normale, et seulement si le modèle la montre
};

class TaillesTForm1 final : public QObject {
public:
    TaillesTForm1(QWidget& fenetre, ZonesTailles zones, ModesAffichage& modes, Compteur& compteur,
                  Dialogue& dialogue, std::filesystem::path fichier_reglages, RappelsTailles rappels);
    ~TaillesTForm1() override;

    // Chaque mode une fois, fenêtre cachée, puis celui du modèle.
    void mesurer_dispositions();
    // Zones montrées, disposition de l'afficheur, marges et drapeaux de la fenêtre ; mesurée aussitôt.
    void appliquer_disposition(ModeAffichage mode);
    ModeAffichage mode_dispose() const { return mode_dispose_; }
    Disposition disposition(ModeAffichage mode) const;
    Cadre cadre_normal() const { return cadre_normal_; }

    // Un choix du modèle (SpeedButton10Click, afficheurClick...) : le bouton de taille reste sous la
    // souris.
    void choisir(ModeAffichage (ModesAffichage::*choix)());

    // "position x" et "position y" de lumicompteur.ini : lues au démarrage, écrites en quittant (si
    // elles ont été lues).
    void restaurer_position();
    void enregistrer_position();

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;

private:
    void basculer(ModeAffichage mode, PointEcran bouton_ecran);
    void mesurer_cadre();
    PointEcran point_du_bouton() const;
    void tracer_bouton_de_taille() const;
    // La fenêtre dans `mode`, le coin de son cadre en `coin` (coordonnées de l'écran).
    void placer(ModeAffichage mode, PointEcran coin);
    Cadre cadre(ModeAffichage mode) const;
    TailleFenetre taille_ecran() const;
    QPoint origine_ecran() const;
    // La fenêtre et Panel6 : vrai si l'événement est pris.
    bool souris(QWidget* w, QMouseEvent& evenement);
    bool pres_du_coin(QWidget* w, QPoint p) const;
    void debut_glissement(QPoint global);
    void suivre_glissement(QPoint global);
    void fin_glissement(QPoint global);

    QWidget& fenetre_;
    ZonesTailles zones_;
    // Comparé seulement, jamais lu : le filtre voit aussi les événements d'une zone en destruction.
    const QObject* panel6_;
    ModesAffichage& modes_;
    Compteur& compteur_;
    Dialogue& dialogue_;
    std::filesystem::path fichier_reglages_;
    RappelsTailles rappels_;

    std::array<Disposition, 3> dispositions_{};
    int largeur_normale_ = 0;
    Cadre cadre_normal_{};
    bool cadre_mesure_ = false;
    bool position_restauree_ = false;
    ModeAffichage mode_dispose_ = ModeAffichage::normal;
    QRubberBand* rectangle_ = nullptr;
    QPoint glissement_depart_;
    QPoint coin_depart_;
    ModeAffichage mode_glisse_ = ModeAffichage::normal;
};

}  // namespace ui
}  // namespace lumi
