#include "ui/tailles_tform1.hpp"

#include <QApplication>
#include <QLayout>
#include <QMouseEvent>
#include <QRubberBand>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <exception>

#include "core/compteur.hpp"
#include "actions/dialogue.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/parametres.hpp"
#include "ui/appliquer_modele.hpp"
#include "ui/controles.hpp"
#include "ui/zones_tform1.hpp"

namespace lumi::ui {

namespace {

// Les drapeaux de la fenêtre : bordée et titrée en normale ; sans bord et toujours au-dessus réduite.
Qt::WindowFlags drapeaux(ModeAffichage mode) {
    if (mode == ModeAffichage::normal) return Qt::Window;
    return Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
}

std::size_t rang(ModeAffichage mode) {
    return static_cast<std::size_t>(mode);
}

}  // namespace

TaillesTForm1::TaillesTForm1(QWidget& fenetre, ZonesTailles zones, ModesAffichage& modes, Compteur& compteur,
                             Dialogue& dialogue, std::filesystem::path fichier_reglages,
                             RappelsTailles rappels)
    : QObject(&fenetre),
      fenetre_(fenetre),
      zones_(std::move(zones)),
      panel6_(zones_.afficheur.Panel6),
      modes_(modes),
      compteur_(compteur),
      dialogue_(dialogue),
      fichier_reglages_(std::move(fichier_reglages)),
      rappels_(std::move(rappels)) {
    // Le coin de la fenêtre (et celui du cadre Panel6 dans les formes réduites) se tire.
    fenetre_.setMouseTracking(true);
    zones_.afficheur.Panel6->setMouseTracking(true);
    fenetre_.installEventFilter(this);
    zones_.afficheur.Panel6->installEventFilter(this);
}

TaillesTForm1::~TaillesTForm1() {
    // Le rectangle est une fenêtre à part, sans parent.
    delete rectangle_;
}

Disposition TaillesTForm1::disposition(ModeAffichage mode) const {
    return dispositions_[rang(mode)];
}

Cadre TaillesTForm1::cadre(ModeAffichage mode) const {
    return mode == ModeAffichage::normal ? cadre_normal_ : Cadre{};
}

void TaillesTForm1::appliquer_disposition(ModeAffichage mode) {
    const bool normale = mode == ModeAffichage::normal;
    for (QWidget* zone : zones_.normales) visible(zone, normale);
    visible(&zones_.forfait, normale && compteur_.fenetre().zone_tarif.forfait.visible);
    // Les demandes de disposition en attente (textes changés) d'abord, remontées niveau par niveau.
    for (int niveau = 0; niveau < 4; ++niveau)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QLayout* tout = fenetre_.layout();
    const int marge = normale ? 6 : 0;
    tout->setContentsMargins(marge, marge, marge, marge);
    // La barre : cinq tiers de la fenêtre normale.
    ZoneAfficheur& afficheur = zones_.afficheur;
    afficheur.disposer(mode, largeur_normale_ * 5 / 3);
    mode_dispose_ = mode;
    // Bordée ou non : changer les drapeaux cache la fenêtre, qui est remontrée ensuite.
    if (fenetre_.windowFlags().testFlag(Qt::FramelessWindowHint) == normale)
        fenetre_.setWindowFlags(drapeaux(mode));
    // La disposition est faite tout de suite, fenêtre cachée ou non : la place du bouton de taille
    // et la taille de la fenêtre se mesurent aussitôt (sans attendre les demandes de disposition
    // que Qt remonte d'un niveau à chaque tour de boucle).
    for (QWidget* w : {static_cast<QWidget*>(afficheur.Panel5), static_cast<QWidget*>(afficheur.Panel6),
                       static_cast<QWidget*>(&afficheur)}) {
        w->layout()->invalidate();
        w->updateGeometry();
    }
    // Chaque zone de la fenêtre : sa taille gardée en mémoire par la disposition est oubliée. Fenêtre
    // cachée, Qt ne le fait pas pour une zone dont les textes ont changé (l'information tarifaire,
    // remplie après la dernière mesure, comptait pour sa taille d'avant et la fenêtre se centrait
    // 67 pixels trop courte).
    for (int i = 0; i < tout->count(); ++i) {
        if (QWidget* zone = tout->itemAt(i)->widget()) zone->updateGeometry();
    }
    tout->invalidate();
    tout->activate();
    afficheur.layout()->setGeometry(afficheur.contentsRect());
    afficheur.Panel6->layout()->setGeometry(afficheur.Panel6->contentsRect());
    const QPoint bouton = afficheur.SpeedButton10->mapTo(&fenetre_, QPoint(0, 0));
    dispositions_[rang(mode)] = {{bouton.x(), bouton.y()}, {fenetre_.width(), fenetre_.height()}};
    if (normale) largeur_normale_ = fenetre_.width();
}

void TaillesTForm1::mesurer_dispositions() {
    // Polies, les zones ont déjà les tailles qu'elles auront à l'écran.
    fenetre_.ensurePolished();
    // Chaque mode une fois, fenêtre cachée : le glissement du coin montre leurs tailles. La normale
    // d'abord, dont la largeur fait celle de la barre.
    for (const ModeAffichage m : {ModeAffichage::normal, ModeAffichage::afficheur, ModeAffichage::barre}) {
        appliquer_disposition(m);
    }
    appliquer_disposition(modes_.mode());
}

void TaillesTForm1::mesurer_cadre() {
    // Le cadre que le gestionnaire de fenêtres donne à la fenêtre normale, une fois qu'il l'a posé.
    if (mode_dispose_ != ModeAffichage::normal || !fenetre_.isVisible()) return;
    const QRect dedans = fenetre_.geometry();
    const QRect dehors = fenetre_.frameGeometry();
    if (dedans == dehors && !cadre_mesure_) return;
    cadre_normal_ = {dedans.left() - dehors.left(), dedans.top() - dehors.top(),
                     dehors.right() - dedans.right(), dehors.bottom() - dedans.bottom()};
    cadre_mesure_ = true;
}

QPoint TaillesTForm1::origine_ecran() const {
    const QScreen* ecran = fenetre_.screen();
    return ecran != nullptr ? ecran->geometry().topLeft() : QPoint();
}

TailleFenetre TaillesTForm1::taille_ecran() const {
    const QScreen* ecran = fenetre_.screen();
    const QSize t = ecran != nullptr ? ecran->geometry().size() : QSize(1024, 768);
    return {t.width(), t.height()};
}

PointEcran TaillesTForm1::point_du_bouton() const {
    const QPoint p = zones_.afficheur.SpeedButton10->mapToGlobal(QPoint(0, 0)) - origine_ecran();
    return {p.x(), p.y()};
}

void TaillesTForm1::restaurer_position() {
    position_restauree_ = true;
    PositionRangee rangee{"indefini", "indefini"};
    try {
        const FichierIni ini(fichier_reglages_);
        rangee = {lire(ini, parametres::position_x), lire(ini, parametres::position_y)};
    } catch (const std::exception&) {
        // Fichier illisible : la fenêtre est centrée.
    }
    const ModeAffichage mode = modes_.mode();
    // Mesurée à nouveau : les textes montrés depuis la dernière mesure (tarif, forfait, lignes
    // d'état) ont pu changer la hauteur, et la fenêtre se centre sur sa vraie taille.
    appliquer_disposition(mode);
    const Disposition d = disposition(mode);
    const Cadre c = cadre(mode);
    const TailleFenetre exterieur{d.taille.largeur + c.gauche + c.droite, d.taille.hauteur + c.haut + c.bas};
    placer(mode, lumi::restaurer_position(rangee, mode, d, cadre_normal_, exterieur, taille_ecran()));
}

void TaillesTForm1::enregistrer_position() {
    // Un démarrage interrompu avant de placer la fenêtre ne remplace pas la place rangée par la sienne.
    if (!position_restauree_) return;
    mesurer_cadre();
    const PointEcran bouton = point_du_bouton();
    const QPoint coin = fenetre_.frameGeometry().topLeft() - origine_ecran();
    const PositionRangee r = lumi::enregistrer_position(
        {bouton.x - cadre_normal_.gauche, bouton.y - cadre_normal_.haut}, {coin.x(), coin.y()},
        taille_ecran(), compteur_.monnaie().locale.separateur_decimal);
    try {
        FichierIni ini(fichier_reglages_);
        ini.ecrire(parametres::position_x.section, parametres::position_x.cle, r.x);
        ini.ecrire(parametres::position_y.section, parametres::position_y.cle, r.y);
    } catch (const std::exception& e) {
        dialogue_.avertissement(e.what());
    }
}

void TaillesTForm1::placer(ModeAffichage mode, PointEcran coin) {
    // L'intérieur est placé, et non le cadre : le cadre que le gestionnaire de fenêtres donnera après
    // le changement de bordure n'est pas encore connu, celui d'avant ne vaut plus.
    const Cadre c = cadre(mode);
    fenetre_.setGeometry(
        QRect(origine_ecran() + QPoint(coin.x + c.gauche, coin.y + c.haut), fenetre_.size()));
}

void TaillesTForm1::choisir(ModeAffichage (ModesAffichage::*choix)()) {
    // Le bouton est relevé avant le choix : c'est sous lui que la fenêtre se replace.
    const PointEcran bouton = point_du_bouton();
    basculer((modes_.*choix)(), bouton);
}

void TaillesTForm1::basculer(ModeAffichage mode, PointEcran bouton_ecran) {
    const bool etait_visible = fenetre_.isVisible();
    mesurer_cadre();
    // Les textes du mode d'abord : la disposition mesurée est celle qui sera montrée.
    rappels_.rafraichir();
    appliquer_disposition(mode);
    placer(mode, placer_sous_le_bouton(bouton_ecran, disposition(mode), cadre(mode), taille_ecran()));
    rappels_.remontrer(etait_visible);
    rappels_.apres_evenement();
    QTimer::singleShot(0, this, [this] { tracer_bouton_de_taille(); });
}

void TaillesTForm1::tracer_bouton_de_taille() const {
    // Pour les essais de bout en bout : la place du bouton de taille dans la fenêtre, que l'essai
    // ajoute à la position de la fenêtre relevée par le serveur X.
    static const bool tracer = qEnvironmentVariableIsSet("LUMI_TRACE_BOUTON_TAILLE");
    if (!tracer) return;
    const QPoint p = zones_.afficheur.SpeedButton10->mapTo(&fenetre_, QPoint(0, 0));
    std::fprintf(stderr, "SpeedButton10 %d %d %d\n", static_cast<int>(modes_.mode()), p.x(), p.y());
    std::fflush(stderr);
}

// ---------------------------------------------------------------------------------------------
// Le glissement du coin

bool TaillesTForm1::pres_du_coin(QWidget* w, QPoint p) const {
    const bool normale = mode_dispose_ == ModeAffichage::normal;
    if ((w == &fenetre_) != normale) return false;
    return p.x() >= w->width() - 10 || p.y() >= w->height() - 10 || p.x() < 2 || p.y() < 2;
}

void TaillesTForm1::debut_glissement(QPoint global) {
    glissement_depart_ = global;
    coin_depart_ = fenetre_.frameGeometry().topLeft();
    mode_glisse_ = modes_.mode();
    modes_.debut_glissement();
    rappels_.synchroniser_minuteries();
    // Pas d'info-bulle pendant le glissement.
    QToolTip::hideText();
    qApp->installEventFilter(this);
    // Le rectangle est une fenêtre à part : il dépasse la fenêtre quand il montre la barre.
    if (rectangle_ == nullptr) {
        rectangle_ = new QRubberBand(QRubberBand::Rectangle);
        rectangle_->setObjectName("rectangle_glissement");
    }
    suivre_glissement(global);
}

void TaillesTForm1::suivre_glissement(QPoint global) {
    mode_glisse_ = mode_du_glissement({glissement_depart_.x(), glissement_depart_.y()},
                                      {global.x(), global.y()}, modes_.mode());
    const Disposition d = disposition(mode_glisse_);
    const Cadre c = cadre(mode_glisse_);
    rectangle_->setGeometry(QRect(
        coin_depart_, QSize(d.taille.largeur + c.gauche + c.droite, d.taille.hauteur + c.haut + c.bas)));
    rectangle_->show();
}

void TaillesTForm1::fin_glissement(QPoint global) {
    suivre_glissement(global);
    rectangle_->hide();
    qApp->removeEventFilter(this);
    const bool change = mode_glisse_ != modes_.mode();
    modes_.fin_glissement(mode_glisse_);
    if (change) {
        const bool etait_visible = fenetre_.isVisible();
        mesurer_cadre();
        appliquer_disposition(mode_glisse_);
        // La fenêtre garde la place qu'elle avait quand le bouton a été enfoncé.
        const QPoint coin = coin_depart_ - origine_ecran();
        placer(mode_glisse_, {coin.x(), coin.y()});
        rappels_.remontrer(etait_visible);
    }
    rappels_.apres_evenement();
}

bool TaillesTForm1::souris(QWidget* w, QMouseEvent& evenement) {
    const bool fenetre = w == &fenetre_;
    switch (evenement.type()) {
        case QEvent::MouseButtonPress:
            if (evenement.button() != Qt::LeftButton) return false;
            if (pres_du_coin(w, evenement.position().toPoint())) {
                debut_glissement(evenement.globalPosition().toPoint());
                return true;
            }
            // Ailleurs, la fenêtre se déplace ; un clic sur Panel6 reste à l'afficheur.
            if (!fenetre) return false;
            if (fenetre_.windowHandle() != nullptr) fenetre_.windowHandle()->startSystemMove();
            return true;
        case QEvent::MouseMove:
            if (modes_.glissement_en_cours()) {
                suivre_glissement(evenement.globalPosition().toPoint());
                return true;
            }
            if (evenement.buttons() == Qt::NoButton) {
                if (pres_du_coin(w, evenement.position().toPoint())) {
                    w->setCursor(Qt::SizeFDiagCursor);
                } else {
                    w->unsetCursor();
                }
            }
            return false;
        case QEvent::MouseButtonRelease:
            if (modes_.glissement_en_cours() && evenement.button() == Qt::LeftButton) {
                fin_glissement(evenement.globalPosition().toPoint());
                return true;
            }
            return false;
        default:
            return false;
    }
}

bool TaillesTForm1::eventFilter(QObject* objet, QEvent* evenement) {
    // Pendant le glissement du coin, pas d'info-bulle.
    if (evenement->type() == QEvent::ToolTip && modes_.glissement_en_cours()) return true;
    auto* w = objet == &fenetre_ || objet == panel6_ ? static_cast<QWidget*>(objet) : nullptr;
    if (w == nullptr) return false;
    switch (evenement->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            // Converti seulement une fois le genre connu : les autres événements ne sont pas des QMouseEvent.
            return souris(w, *static_cast<QMouseEvent*>(evenement));
        case QEvent::Move:
            if (w == &fenetre_) mesurer_cadre();
            return false;
        case QEvent::Resize:
            if (w == &fenetre_) tracer_bouton_de_taille();
            return false;
        case QEvent::Show:
            if (w == &fenetre_) QTimer::singleShot(0, this, [this] { tracer_bouton_de_taille(); });
            return false;
        default:
            return false;
    }
}

}  // namespace lumi::ui
