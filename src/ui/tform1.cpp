#include "ui/tform1.hpp"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QMenu>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "actions/raccrochage.hpp"
#include "core/commandes_fenetre.hpp"
#include "core/compteur.hpp"
#include "core/couleurs.hpp"
#include "core/detection.hpp"
#include "core/utilisateurs.hpp"
#include "settings/cles.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/parametres.hpp"
#include "ui/appliquer_modele.hpp"
#include "ui/boites_tform1.hpp"
#include "ui/controles.hpp"
#include "ui/icone_tform1.hpp"
#include "ui/icones.hpp"
#include "ui/minuteries_tform1.hpp"
#include "ui/programmation/tdeconectform.hpp"
#include "ui/routeur_fenetres.hpp"
#include "ui/tailles_tform1.hpp"
#include "ui/visibilite_tform1.hpp"
#include "ui/zones_tform1.hpp"

namespace lumi {

namespace {

using ui::bulle;
using ui::qs;
using ui::visible;

}  // namespace

TForm1::TForm1(Compteur& compteur, CouturesFenetre coutures, QWidget* parent)
    : QWidget(parent),
      compteur_(compteur),
      registre_(coutures.registre),
      acces_distant_(coutures.acces_distant),
      dialogue_(coutures.dialogue),
      dossier_(std::move(coutures.dossier_donnees)) {
    setObjectName("Form1");
    setWindowTitle(qs(titre_produit));
    // La section des couleurs suit la profondeur de l'écran de la fenêtre (8 bits ou moins : "8bits").
    const QScreen* ecran = screen();
    couleurs_ = std::make_unique<JeuCouleurs>(dossier_ / fichier_couleurs, ecran ? ecran->depth() : 24);
    commandes_ =
        std::make_unique<CommandesFenetre>(compteur_, registre_, acces_distant_, dialogue_, dossier_);
    modes_ = std::make_unique<ModesAffichage>(compteur_);
    utilisateurs_ = std::make_unique<ListeUtilisateurs>(registre_);
    routeur_ = new ui::RouteurFenetres(*this, dialogue_);
    connect(routeur_, &ui::RouteurFenetres::fermee, this, [this] {
        // La fenêtre fermée, la fenêtre principale est repeinte.
        utilisateurs_->relire();
        apres_evenement();
    });
    compteur_.historique().definir_selection_utilisateur(*utilisateurs_);
    icones_ = std::make_unique<ui::IconesLumi>();
    setWindowIcon(icones_->application());
    boites_ = std::make_unique<ui::BoitesTForm1>(
        *this, ui::CouturesBoites{*commandes_, *utilisateurs_, *couleurs_, *icones_, dialogue_, dossier_,
                                  std::move(coutures.dossier_aide), ouvreur_url});
    utilisateurs_->boite_selection = [this](std::function<void(const std::string&)> enregistrer) {
        boites_->ouvrir_selection_utilisateur(
            [this, enregistrer = std::move(enregistrer)](const std::string& nom) {
                enregistrer(nom);
                apres_evenement();
            });
    };
    icone_ = std::make_unique<ui::IconeTForm1>(
        *this, *icones_,
        [this](Qt::MouseButton bouton, QPoint position) { icone_cliquee(bouton, position); });
    visibilite_ = std::make_unique<ui::VisibiliteTForm1>(*this, *commandes_, compteur_.fenetre(), *icone_);
    minuteries_ = std::make_unique<ui::MinuteriesTForm1>(
        *this, compteur_, *commandes_,
        ui::RappelsMinuteries{[this] { apres_evenement(); }, [this] { rafraichir_afficheur(); }});
    ecrans_ = std::make_unique<ui::EcransQt>(compteur_.programmation(), *this, icones_->application());
    ecrans_->apres_etape = [this] { apres_evenement(); };
    // Raccrocher à la main annule la programmation.
    commandes_->annuler_programmation = [this] { compteur_.programmation().desarmer(); };
    ouvreur_url = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

    construire();
    construire_menus();
    brancher_zones();
    appliquer_couleurs();
    rafraichir();
    tailles_->mesurer_dispositions();
}

TForm1::~TForm1() {
    // L'historique ne doit plus demander l'utilisateur à une liste détruite.
    compteur_.historique().oublier_selection_utilisateur();
}

// ---------------------------------------------------------------------------------------------
// Construction

void TForm1::construire() {
    auto* tout = new QVBoxLayout(this);
    tout->setContentsMargins(6, 6, 6, 6);
    tout->setSpacing(5);
    tout->setSizeConstraint(QLayout::SetFixedSize);

    zone_afficheur = new ui::ZoneAfficheur(*icones_, this);
    zone_boutons = new ui::ZoneBoutons(*icones_, compteur_.fenetre(), this);
    zone_utilisateur = new ui::ZoneUtilisateur(*icones_, this);
    zone_choix = new ui::ZoneChoix(*icones_, this);
    zone_information = new ui::ZoneInformation(*icones_, this);
    zone_du_forfait = new ui::ZoneDuForfait(this);
    for (QWidget* zone : {static_cast<QWidget*>(zone_afficheur), static_cast<QWidget*>(zone_boutons),
                          static_cast<QWidget*>(zone_utilisateur), static_cast<QWidget*>(zone_choix),
                          static_cast<QWidget*>(zone_information), static_cast<QWidget*>(zone_du_forfait)}) {
        tout->addWidget(zone);
    }

    tailles_ = new ui::TaillesTForm1(
        *this,
        {*zone_afficheur, {zone_boutons, zone_utilisateur, zone_choix, zone_information}, *zone_du_forfait},
        *modes_, compteur_, dialogue_, dossier_ / fichier_reglages,
        {[this] { rafraichir(); }, [this](bool etait_visible) { remontrer(etait_visible); },
         [this] { apres_evenement(); }, [this] { minuteries_->synchroniser(); }});
}

void TForm1::brancher_zones() {
    // L'afficheur.
    const auto& a = *zone_afficheur;
    connect(a.Panel1, &ui::Panneau::clique, this, [this] { Panel1Click(); });
    connect(a.Panel20, &ui::Panneau::clique, this, [this] { Panel1Click(); });
    connect(a.Panel2, &ui::Panneau::clique, this, [this] { Panel2Click(); });
    connect(a.Panel4, &ui::Panneau::clique, this, [this] { Panel4Click(); });
    a.Panel2->setContextMenuPolicy(Qt::CustomContextMenu);
    a.Panel4->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(a.Panel2, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { menus_->PopupMenu3->popup(zone_afficheur->Panel2->mapToGlobal(p)); });
    connect(a.Panel4, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { menus_->PopupMenu1->popup(zone_afficheur->Panel4->mapToGlobal(p)); });
    connect(a.SpeedButton8, &QToolButton::clicked, this, [this] { cacher(); });
    connect(a.SpeedButton10, &QToolButton::clicked, this,
            [this] { tailles_->choisir(&ModesAffichage::SpeedButton10Click); });
    a.SpeedButton10->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(a.SpeedButton10, &QWidget::customContextMenuRequested, this, [this] {
        appliquer_menus();
        menus_->PopupMenu5->popup(QCursor::pos());
    });
    connect(&a, &ui::ZoneAfficheur::Image6_clique, this, [this] { demander_programmation(); });

    // Les boutons.
    const auto& b = *zone_boutons;
    connect(b.SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
    connect(b.SpeedButton3, &QToolButton::clicked, this, [this] { SpeedButton3Click(); });
    connect(b.SpeedButton1, &QToolButton::clicked, this, [this] {
        compteur_.SpeedButton1Click();
        apres_evenement();
    });
    connect(b.SpeedButton4, &QToolButton::clicked, this, [this] {
        compteur_.SpeedButton4Click();
        apres_evenement();
    });
    connect(b.SpeedButton11, &QToolButton::clicked, this, [this] { demander_programmation(); });
    connect(b.SpeedButton5, &QToolButton::clicked, this, [this] { demander_options(0); });
    connect(b.SpeedButton7, &QToolButton::clicked, this, [this] { demander_historique(); });
    connect(b.SpeedButton6, &QToolButton::clicked, this, [this] { SpeedButton6Click(); });

    // L'utilisateur.
    const auto& u = *zone_utilisateur;
    connect(&u, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { menus_->PopupMenu4->popup(zone_utilisateur->mapToGlobal(p)); });
    connect(u.SpeedButton17, &QToolButton::clicked, this, [this] { ouvrir_ComboBox1(); });
    connect(u.Panel33, &ui::Panneau::clique, this, [this] { ouvrir_ComboBox1(); });
    connect(&u, &ui::ZoneUtilisateur::Label6_clique, this, [this] { ouvrir_ComboBox1(); });
    connect(&u, &ui::ZoneUtilisateur::Image12_clique, this, [this] { commandes_->Image12Click(); });
    connect(u.ComboBox1, &ui::ListeDessinee::choisie, this, [this](int i) {
        utilisateurs_->choisir(i);
        apres_evenement();
    });
    connect(u.ComboBox1, &ui::ListeDessinee::touche, this,
            [this](bool c, bool a, bool s, bool e) { touche_ComboBox1(c, a, s, e); });

    // Le tarif et l'option.
    const auto& c = *zone_choix;
    connect(c.SpeedButton14, &QToolButton::clicked, this, [this] { zone_choix->ComboBox3->showPopup(); });
    connect(c.SpeedButton15, &QToolButton::clicked, this, [this] { zone_choix->ComboBox2->showPopup(); });
    connect(c.ComboBox2, &ui::ListeDessinee::choisie, this, [this](int i) {
        commandes_->choisir_tarif(i);
        apres_evenement();
    });
    connect(c.ComboBox3, &ui::ListeDessinee::choisie, this, [this](int i) {
        commandes_->choisir_option(i);
        apres_evenement();
    });
}

void TForm1::construire_menus() {
    menus_ = std::make_unique<ui::MenusTForm1>(this);
    auto& m = *menus_;
    using M = ui::MenusTForm1;
    using C = CommandesFenetre;
    m.entree_choisie = [this](const QString& entree) { Clique(entree); };
    // Une commande du modèle, puis la fenêtre relue.
    const auto commande = [this](auto c) -> std::function<void()> {
        return [this, c] {
            ((*commandes_).*c)();
            apres_evenement();
        };
    };
    // Un des trois modes : le bouton de taille reste sous la souris.
    const auto taille = [this](ModeAffichage (ModesAffichage::*choix)()) -> std::function<void()> {
        return [this, choix] { tailles_->choisir(choix); };
    };
    const auto coche = M::cochable, separe = M::separe;

    // Un élément, une ligne : le créer, c'est le brancher.
    m.ajouter(
        m.PopupMenu2,
        {{&M::Historique1, "Historique1", textes_menu::Historique1, [this] { demander_historique(); }},
         {&M::Options1, "Options1", textes_menu::Options1, [this] { demander_options(0); }},
         {&M::Seconnecter1, "Seconnecter1", textes_menu::se_connecter_points, commande(&C::Seconnecter1Click),
          separe},
         {&M::Sedeconnecter1, "Sedeconnecter1", textes_menu::Sedeconnecter1, [this] { SpeedButton3Click(); }},
         {&M::Programmation1, "Programmation1", textes_menu::Programmation1,
          [this] { demander_programmation(); }},
         // Pas encore d'adresse : le courrier reste éteint (modèle), le web ouvre « À propos ».
         {&M::Email1, "Email1", textes_menu::Email1, {}, separe},
         {&M::Web1, "Web1", textes_menu::Web1, [this] { ouvrir_aide(textes_fenetre::sujet_aide_a_propos); }},
         {&M::Aide1, "Aide1", textes_menu::Aide1, [this] { SpeedButton6Click(); }},
         {&M::reduir, "reduir", textes_menu::reduir, [this] { cacher(); }, separe},
         {&M::restaurer, "restaurer", textes_menu::restaurer, [this] { montrer(); }},
         {&M::Fermer1, "Fermer1", textes_menu::Fermer1, [this] { close(); }, separe}});
    m.ajouter(m.PopupMenu1,
              {{&M::ttcpopup, "ttcpopup", textes_menu::ttcpopup, commande(&C::ttcpopupClick), coche},
               {&M::htpopup, "htpopup", textes_menu::htpopup, commande(&C::htpopupClick), coche},
               {&M::deuxdeci, "deuxdeci", textes_menu::deuxdeci, commande(&C::deuxdeciClick), coche | separe},
               {&M::troisdeci, "troisdeci", textes_menu::troisdeci, commande(&C::troisdeciClick), coche}});
    m.ajouter(m.PopupMenu3, {{&M::Duree1, "Duree1", textes_menu::Duree1, commande(&C::Duree1Click), coche},
                             {&M::Heure1, "Heure1", textes_menu::Heure1, commande(&C::Heure1Click), coche}});
    m.ajouter(m.PopupMenu4, {{&M::Utilisateurs1, "Utilisateurs1", textes_menu::Utilisateurs1,
                              [this] { demander_options(1); }}});
    m.ajouter(m.PopupMenu5,
              {{&M::afficheur, "afficheur", textes_modes::afficheur, taille(&ModesAffichage::afficheurClick),
                coche},
               {&M::barre, "barre", textes_modes::barre, taille(&ModesAffichage::barreClick), coche},
               {&M::Taillenormale, "Taillenormale", textes_modes::Taillenormale,
                taille(&ModesAffichage::TaillenormaleClick), coche}});
    connect(m.PopupMenu2, &QMenu::aboutToShow, this, [this] { PopupMenu2Popup(); });
    connect(m.PopupMenu6, &QMenu::aboutToShow, this, [this] {
        commandes_->PopupMenu6Popup();
        appliquer_menus();
    });
}

void TForm1::appliquer_couleurs() {
    const CouleursFenetre c = couleurs_->affect_color();
    zone_du_forfait->Gauge2->definir_couleurs(c.fond_gauge, c.couleur_gauge);
    for (const auto& [numero, couleur] : c.panneaux) {
        const QString nom = QString("panel%1").arg(numero);
        for (auto* p : findChildren<ui::Panneau*>()) {
            if (p->objectName().compare(nom, Qt::CaseInsensitive) == 0) p->definir_fond(couleur);
        }
    }
    zone_utilisateur->appliquer_couleurs(c, *icones_);
    zone_choix->appliquer_couleurs(c, *icones_);
    boites_->definir_fond(ui::couleur_qt(c.fond_combobox));
}

// ---------------------------------------------------------------------------------------------
// Ce que les modèles disent

void TForm1::apres_evenement() {
    minuteries_->synchroniser();
    rafraichir();
}

void TForm1::rafraichir() {
    rafraichir_afficheur();
    const auto& f = compteur_.fenetre();

    zone_boutons->appliquer(f);
    zone_choix->appliquer(compteur_.choix(), f);
    zone_utilisateur->appliquer(*utilisateurs_);
    zone_information->appliquer(f, commandes_->Panel13());
    zone_du_forfait->appliquer(f.zone_tarif.forfait);
    // La zone du forfait n'est montrée que par la fenêtre normale.
    visible(zone_du_forfait,
            f.zone_tarif.forfait.visible && tailles_->mode_dispose() == ModeAffichage::normal);

    appliquer_menus();
    visibilite_->appliquer();
    boites_->montrer_avis_en_attente(f, [this] { emit fin_forfait_montree(); });
}

void TForm1::rafraichir_afficheur() {
    const auto& f = compteur_.fenetre();
    zone_afficheur->appliquer(f, commandes_->Image6_image(), icones_->programmation());
    bulle(zone_afficheur->SpeedButton10, modes_->hint_SpeedButton10());
    // Titre et icône.
    if (titre_applique_ != f.titre_application) {
        titre_applique_ = f.titre_application;
        setWindowTitle(qs(f.titre_application));
    }
    appliquer_icone();
}

void TForm1::appliquer_menus() {
    const auto& f = compteur_.fenetre();
    menus_->appliquer(commandes_->menus(), modes_->PopupMenu5(), f.menu_reduir_visible,
                      f.menu_restaurer_visible);
}

void TForm1::appliquer_icone() {
    icone_->appliquer(commandes_->image_icone(), compteur_.fenetre().info_bulle_icone);
}

// ---------------------------------------------------------------------------------------------
// Démarrage

void TForm1::selection_utilisateurs_au_demarrage(const std::vector<std::string>& profils,
                                                 const std::string& utilisateur_systeme) {
    utilisateurs_->selection_au_demarrage(profils, utilisateur_systeme);
    rafraichir();
}

bool TForm1::selectionner_utilisateur(const QString& argument) {
    const bool choisi = utilisateurs_->selectionner_argument(argument.toStdString());
    rafraichir();
    return choisi;
}

void TForm1::second_demarrage() {
    montrer();
    utilisateurs_->selectionner_params(lire(registre_, parametres::params));
    registre_.effacer_valeur(cles::section(parametres::params.section), parametres::params.nom);
    rafraichir();
}

void TForm1::selectionner_utilisateurs(const QStringList& arguments) {
    montrer();
    utilisateurs_->selectionner_params(arguments.join(QString()).toStdString());
    rafraichir();
}

void TForm1::suivre_detection(Detection& detection) {
    minuteries_->suivre_detection(detection);
    minuteries_->synchroniser();
}

void TForm1::installer_icone() {
    if (!icone_->creer()) return;
    // reaffichage_petite_icone : l'icône du produit et son info-bulle reviennent, posées avant que
    // l'icône ne paraisse.
    compteur_.reaffichage_petite_icone();
    icone_->oublier_image();
    appliquer_icone();
    icone_->montrer();
    rafraichir();
}

void TForm1::demarrer() {
    if (minuteries_->lancees()) return;
    // FormActivate : Panel2 repeint, un top tout de suite, boutons selon l'état des connexions.
    zone_afficheur->Panel2->repaint();
    compteur_.Timer1Timer();
    compteur_.changement_bouton_etat_connexion();
    minuteries_->lancer();
    apres_evenement();
}

void TForm1::fin_du_demarrage() {
    demarrage_fini_ = true;
}

void TForm1::fermeture_session() {
    fermeture_windows_ = true;
}

// ---------------------------------------------------------------------------------------------
// Montrer et cacher

bool TForm1::zone_de_notification() const {
    return icone_->zone_de_notification();
}

void TForm1::montrer() {
    visibilite_->montrer();
    rafraichir();
}

void TForm1::cacher() {
    visibilite_->cacher();
    rafraichir();
}

void TForm1::icone_cliquee(Qt::MouseButton bouton, QPoint position) {
    EvenementIcone evenement = EvenementIcone::autre;
    if (bouton == Qt::LeftButton) evenement = EvenementIcone::gauche_enfonce;
    if (bouton == Qt::MiddleButton) evenement = EvenementIcone::milieu_double_clic;
    if (bouton == Qt::RightButton) evenement = EvenementIcone::droit_enfonce;
    switch (commandes_->icone_notification(evenement)) {
        case ReactionIcone::cacher:
            // Une fenêtre réduite par l'utilisateur revient au lieu d'être cachée.
            if (isMinimized()) {
                montrer();
            } else {
                cacher();
            }
            break;
        case ReactionIcone::montrer:
            montrer();
            break;
        case ReactionIcone::menu_principal:
            if (isVisible()) {
                raise();
                activateWindow();
            }
            menus_->PopupMenu2->popup(position);
            break;
        case ReactionIcone::rien:
            break;
    }
}

// ---------------------------------------------------------------------------------------------
// Gestionnaires

void TForm1::SpeedButton2Click() {
    if (commandes_->SpeedButton2Click() == ResultatNumerotation::menu_fournisseurs) {
        raise();
        activateWindow();
        menus_->PopupMenu6->popup(QCursor::pos());
    }
    apres_evenement();
}

void TForm1::SpeedButton3Click() {
    if (deconnexion_en_cours_) return;
    if (!commandes_->SpeedButton3Click()) return;
    apres_evenement();
    deconnexion_en_cours_ = true;
    boites_->montrer_deconnexion();
    const bool reussie = commandes_->raccrocher();
    // Les pauses ne bloquent pas la fenêtre : les minuteries continuent et la détection voit la fin.
    QTimer::singleShot(reussie ? raccrochage::pause_apres_raccrochage_ms : raccrochage::pause_avant_echec_ms,
                       this, [this, reussie] { deconnexion_terminee(reussie); });
}

void TForm1::deconnexion_terminee(bool reussie) {
    deconnexion_en_cours_ = false;
    boites_->cacher_deconnexion(reussie);
    apres_evenement();
}

void TForm1::SpeedButton6Click() {
    ouvrir_aide(1);
}

void TForm1::PopupMenu2Popup() {
    commandes_->PopupMenu2Popup();
    appliquer_menus();
}

void TForm1::Clique(const QString& caption) {
    commandes_->Clique(caption.toStdString());
    apres_evenement();
}

void TForm1::Panel1Click() {
    commandes_->Panel1Click();
    apres_evenement();
}

void TForm1::Panel2Click() {
    commandes_->Panel2Click();
    apres_evenement();
}

void TForm1::Panel4Click() {
    commandes_->Panel4Click();
    apres_evenement();
}

void TForm1::ouvrir_ComboBox1() {
    if (utilisateurs_->aucun_utilisateur()) {
        if (commandes_->demander_ajout_utilisateur()) demander_options(1);
        return;
    }
    zone_utilisateur->ComboBox1->showPopup();
}

void TForm1::touche_ComboBox1(bool ctrl, bool alt, bool shift, bool entree) {
    if (commandes_->touche_selecteur(ctrl, alt, shift, entree) == ReactionTouche::basculer_detection &&
        minuteries_->detection() != nullptr) {
        // Au retour à l'accès à distance, la scrutation reprend aussitôt, pendant la boîte qui le
        // dit, comme le faisaient ses 100 ms ; la veille a gardé le signal de ce qui a changé.
        QTimer::singleShot(0, this, [this] {
            if (minuteries_->lancees()) minuteries_->scrutation(false);
        });
        minuteries_->detection()->basculer_source();
        apres_evenement();
    }
}

void TForm1::ouvrir_aide(int sujet) {
    boites_->ouvrir_aide(sujet);
}

void TForm1::demander_options(int page) {
    routeur_->ouvrir(FenetreSecondaire::options, page);
}

void TForm1::demander_historique() {
    routeur_->ouvrir(FenetreSecondaire::historique);
}

void TForm1::demander_programmation() {
    // Armée, le résumé est montré et propose l'annulation ; sinon la fenêtre s'ouvre.
    if (!compteur_.programmation().Programmation1Click()) {
        apres_evenement();
        return;
    }
    routeur_->ouvrir(FenetreSecondaire::programmation);
}
// ---------------------------------------------------------------------------------------------
// Les trois tailles

Disposition TForm1::disposition(ModeAffichage mode) const {
    return tailles_->disposition(mode);
}

void TForm1::disposition_de_demarrage(const TailleDemarrage& taille) {
    modes_->disposition_de_demarrage(taille);
    tailles_->appliquer_disposition(modes_->mode());
    rafraichir();
}

void TForm1::restaurer_position() {
    tailles_->restaurer_position();
}

void TForm1::enregistrer_position() {
    tailles_->enregistrer_position();
}

void TForm1::remontrer(bool etait_visible) {
    visibilite_->remontrer(etait_visible);
    if (icone_->icone() != nullptr) installer_icone();
}

// ---------------------------------------------------------------------------------------------
// Événements

void TForm1::closeEvent(QCloseEvent* evenement) {
    if (question_ouverte_) {
        evenement->ignore();
        return;
    }
    question_ouverte_ = true;
    const bool fermer = commandes_->FormCloseQuery(fermeture_windows_);
    question_ouverte_ = false;
    if (!fermer) {
        evenement->ignore();
        return;
    }
    evenement->accept();
    minuteries_->arreter();
    icone_->cacher();
    emit fermeture_acceptee(fermeture_windows_);
}

void TForm1::contextMenuEvent(QContextMenuEvent* evenement) {
    // Le menu principal ne s'ouvre au clic droit qu'une fois le démarrage fini.
    if (demarrage_fini_) menus_->PopupMenu2->popup(evenement->globalPos());
}

void TForm1::changeEvent(QEvent* evenement) {
    QWidget::changeEvent(evenement);
    if (evenement->type() == QEvent::WindowStateChange && visibilite_->etat_change()) appliquer_menus();
}

// Montrée ou cachée, la fenêtre réveille ou endort sa rangée clignotante (Timer2 relu).
void TForm1::showEvent(QShowEvent* evenement) {
    QWidget::showEvent(evenement);
    minuteries_->Timer2.a_relire = true;
    minuteries_->synchroniser();
}

void TForm1::hideEvent(QHideEvent* evenement) {
    QWidget::hideEvent(evenement);
    minuteries_->Timer2.a_relire = true;
    minuteries_->synchroniser();
}

}  // namespace lumi
