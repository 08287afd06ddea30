#include "ui/tform1.hpp"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMoveEvent>
#include <QRubberBand>
#include <QScreen>
#include <QShowEvent>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>
#include <cstdio>
#include <exception>

#include "actions/raccrochage.hpp"
#include "core/commandes_fenetre.hpp"
#include "core/compteur.hpp"
#include "core/couleurs.hpp"
#include "core/detection.hpp"
#include "core/utilisateurs.hpp"
#include "settings/cles.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/parametres.hpp"
#include "ui/appliquer_modele.hpp"
#include "ui/controles.hpp"
#include "ui/dialogue_qt.hpp"
#include "ui/icones.hpp"
#include "core/selection_fin_connexion.hpp"
#include "ui/options/boites_options.hpp"
#include "ui/routeur_fenetres.hpp"
#include "ui/tfinforfait.hpp"
#include "ui/tinfoform.hpp"
#include "ui/programmation/tdeconectform.hpp"
#include "ui/tsplashscreen.hpp"
#include "ui/zones_tform1.hpp"

namespace lumi {

namespace {

using ui::appliquer_bouton;
using ui::bulle;
using ui::qs;
using ui::texte;
using ui::visible;

// Les drapeaux de la fenêtre : bordée et titrée en normale ; sans bord et toujours au-dessus réduite.
Qt::WindowFlags drapeaux(ModeAffichage mode) {
    if (mode == ModeAffichage::normal) return Qt::Window;
    return Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
}

std::size_t rang(ModeAffichage mode) {
    return static_cast<std::size_t>(mode);
}

}  // namespace

TForm1::TForm1(Compteur& compteur, CouturesFenetre coutures, QWidget* parent)
    : QWidget(parent),
      compteur_(compteur),
      registre_(coutures.registre),
      acces_distant_(coutures.acces_distant),
      dialogue_(coutures.dialogue),
      dossier_(std::move(coutures.dossier_donnees)),
      dossier_aide_(std::move(coutures.dossier_aide)) {
    setObjectName("Form1");
    setWindowTitle(qs(titre_produit));
    if (dossier_aide_.empty()) {
        dossier_aide_ = dossier_ / "aide";
        std::error_code e;
        if (!std::filesystem::is_directory(dossier_aide_, e)) {
            dossier_aide_ = dossier_donnees_par_defaut(dossier_executable_courant()) / "aide";
        }
    }
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
    utilisateurs_->boite_selection = [this](std::function<void(const std::string&)> enregistrer) {
        ouvrir_selection_utilisateur(std::move(enregistrer));
    };
    icones_ = std::make_unique<ui::IconesLumi>();
    setWindowIcon(icones_->application());
    ecrans_ = std::make_unique<ui::EcransQt>(compteur_.programmation(), *this, icones_->application());
    ecrans_->apres_etape = [this] { apres_evenement(); };
    // Raccrocher à la main annule la programmation.
    commandes_->annuler_programmation = [this] { compteur_.programmation().desarmer(); };
    ouvreur_url = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

    construire();
    construire_menus();
    brancher_zones();
    construire_minuteries();
    appliquer_couleurs();
    rafraichir();
    mesurer_dispositions();
}

TForm1::~TForm1() {
    delete rectangle_;
    // La fenêtre des messages rappelle les commandes en se détruisant : avant elles, donc.
    delete infoform_.data();
    // L'historique ne doit plus demander l'utilisateur à une liste détruite.
    compteur_.historique().oublier_selection_utilisateur();
    if (icone_) icone_->hide();
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

    // Les noms établis mènent aux contrôles des zones.
    const auto& a = *zone_afficheur;
    Panel6 = a.Panel6;
    Panel5 = a.Panel5;
    Panel2 = a.Panel2;
    Panel3 = a.Panel3;
    Panel4 = a.Panel4;
    Panel1 = a.Panel1;
    Panel20 = a.Panel20;
    Gauge1 = a.Gauge1;
    Image6 = a.Image6;
    SpeedButton8 = a.SpeedButton8;
    SpeedButton10 = a.SpeedButton10;
    const auto& b = *zone_boutons;
    SpeedButton1 = b.SpeedButton1;
    SpeedButton2 = b.SpeedButton2;
    SpeedButton3 = b.SpeedButton3;
    SpeedButton4 = b.SpeedButton4;
    SpeedButton5 = b.SpeedButton5;
    SpeedButton6 = b.SpeedButton6;
    SpeedButton7 = b.SpeedButton7;
    SpeedButton11 = b.SpeedButton11;
    const auto& u = *zone_utilisateur;
    Panel33 = u.Panel33;
    Label6 = u.Label6;
    Image12 = u.Image12;
    SpeedButton17 = u.SpeedButton17;
    ComboBox1 = u.ComboBox1;
    const auto& c = *zone_choix;
    Label_tarif = c.Label_tarif;
    Label_option = c.Label_option;
    SpeedButton14 = c.SpeedButton14;
    SpeedButton15 = c.SpeedButton15;
    ComboBox2 = c.ComboBox2;
    ComboBox3 = c.ComboBox3;
    dessin_plages = zone_information->dessin_plages;
    Image14 = zone_information->Image14;
    Panel13 = zone_information->Panel13;
    zone_forfait = zone_du_forfait;
    Gauge2 = zone_du_forfait->Gauge2;
    Label10 = zone_du_forfait->Label10;
}

void TForm1::brancher_zones() {
    // L'afficheur.
    connect(Panel1, &ui::Panneau::clique, this, [this] { Panel1Click(); });
    connect(Panel20, &ui::Panneau::clique, this, [this] { Panel1Click(); });
    connect(Panel2, &ui::Panneau::clique, this, [this] { Panel2Click(); });
    connect(Panel4, &ui::Panneau::clique, this, [this] { Panel4Click(); });
    Panel2->setContextMenuPolicy(Qt::CustomContextMenu);
    Panel4->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Panel2, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu3->popup(Panel2->mapToGlobal(p)); });
    connect(Panel4, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu1->popup(Panel4->mapToGlobal(p)); });
    connect(SpeedButton8, &QToolButton::clicked, this, [this] { cacher(); });
    connect(SpeedButton10, &QToolButton::clicked, this, [this] { SpeedButton10Click(); });
    SpeedButton10->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(SpeedButton10, &QWidget::customContextMenuRequested, this, [this] {
        appliquer_menus();
        PopupMenu5->popup(QCursor::pos());
    });
    // Le coin de la fenêtre (et celui du cadre Panel6 dans les formes réduites) se tire.
    setMouseTracking(true);
    Panel6->setMouseTracking(true);
    Panel6->installEventFilter(this);
    Image6->installEventFilter(this);

    // Les boutons.
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
    connect(SpeedButton3, &QToolButton::clicked, this, [this] { SpeedButton3Click(); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] {
        compteur_.SpeedButton1Click();
        apres_evenement();
    });
    connect(SpeedButton4, &QToolButton::clicked, this, [this] {
        compteur_.SpeedButton4Click();
        apres_evenement();
    });
    connect(SpeedButton11, &QToolButton::clicked, this, [this] { demander_programmation(); });
    connect(SpeedButton5, &QToolButton::clicked, this, [this] { demander_options(0); });
    connect(SpeedButton7, &QToolButton::clicked, this, [this] { demander_historique(); });
    connect(SpeedButton6, &QToolButton::clicked, this, [this] { SpeedButton6Click(); });

    // L'utilisateur.
    connect(zone_utilisateur, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu4->popup(zone_utilisateur->mapToGlobal(p)); });
    connect(SpeedButton17, &QToolButton::clicked, this, [this] { ouvrir_ComboBox1(); });
    connect(Panel33, &ui::Panneau::clique, this, [this] { ouvrir_ComboBox1(); });
    connect(ComboBox1, &ui::ListeDessinee::choisie, this, [this](int i) {
        utilisateurs_->choisir(i);
        apres_evenement();
    });
    connect(ComboBox1, &ui::ListeDessinee::touche, this,
            [this](bool c, bool a, bool s, bool e) { touche_ComboBox1(c, a, s, e); });
    Label6->installEventFilter(this);
    Image12->installEventFilter(this);

    // Le tarif et l'option.
    connect(SpeedButton14, &QToolButton::clicked, this, [this] { ComboBox3->showPopup(); });
    connect(SpeedButton15, &QToolButton::clicked, this, [this] { ComboBox2->showPopup(); });
    connect(ComboBox2, &ui::ListeDessinee::choisie, this, [this](int i) {
        commandes_->choisir_tarif(i);
        apres_evenement();
    });
    connect(ComboBox3, &ui::ListeDessinee::choisie, this, [this](int i) {
        commandes_->choisir_option(i);
        apres_evenement();
    });
}

void TForm1::construire_menus() {
    menus_ = std::make_unique<ui::MenusTForm1>(this);
    auto& m = *menus_;
    PopupMenu1 = m.PopupMenu1;
    PopupMenu2 = m.PopupMenu2;
    PopupMenu3 = m.PopupMenu3;
    PopupMenu4 = m.PopupMenu4;
    PopupMenu5 = m.PopupMenu5;
    PopupMenu6 = m.PopupMenu6;
    Seconnecter1_sous_menu = m.Seconnecter1_sous_menu;
    Historique1 = m.Historique1;
    Options1 = m.Options1;
    Seconnecter1 = m.Seconnecter1;
    Sedeconnecter1 = m.Sedeconnecter1;
    Programmation1 = m.Programmation1;
    Email1 = m.Email1;
    Web1 = m.Web1;
    Aide1 = m.Aide1;
    reduir = m.reduir;
    restaurer = m.restaurer;
    Fermer1 = m.Fermer1;
    ttcpopup = m.ttcpopup;
    htpopup = m.htpopup;
    deuxdeci = m.deuxdeci;
    troisdeci = m.troisdeci;
    Duree1 = m.Duree1;
    Heure1 = m.Heure1;
    Utilisateurs1 = m.Utilisateurs1;
    afficheur = m.afficheur;
    barre = m.barre;
    Taillenormale = m.Taillenormale;

    const auto brancher = [this](QAction* a, std::function<void()> faire) {
        connect(a, &QAction::triggered, this, [faire = std::move(faire)] { faire(); });
    };
    // Une commande du modèle, puis la fenêtre relue.
    const auto commande = [this, &brancher](QAction* a, void (CommandesFenetre::*c)()) {
        brancher(a, [this, c] {
            ((*commandes_).*c)();
            apres_evenement();
        });
    };
    brancher(Historique1, [this] { demander_historique(); });
    brancher(Options1, [this] { demander_options(0); });
    brancher(Seconnecter1, [this] {
        commandes_->Seconnecter1Click();
        apres_evenement();
    });
    brancher(Sedeconnecter1, [this] { SpeedButton3Click(); });
    brancher(Programmation1, [this] { demander_programmation(); });
    // Pas encore de page publique : celle « À propos » de l'aide ; le courrier reste éteint (modèle).
    brancher(Web1, [this] { ouvrir_aide(textes_fenetre::sujet_aide_a_propos); });
    brancher(Aide1, [this] { SpeedButton6Click(); });
    brancher(reduir, [this] { cacher(); });
    brancher(restaurer, [this] { montrer(); });
    brancher(Fermer1, [this] { close(); });
    connect(PopupMenu2, &QMenu::aboutToShow, this, [this] { PopupMenu2Popup(); });
    connect(PopupMenu6, &QMenu::aboutToShow, this, [this] {
        commandes_->PopupMenu6Popup();
        appliquer_menus();
    });
    commande(ttcpopup, &CommandesFenetre::ttcpopupClick);
    commande(htpopup, &CommandesFenetre::htpopupClick);
    commande(deuxdeci, &CommandesFenetre::deuxdeciClick);
    commande(troisdeci, &CommandesFenetre::troisdeciClick);
    commande(Duree1, &CommandesFenetre::Duree1Click);
    commande(Heure1, &CommandesFenetre::Heure1Click);
    brancher(Utilisateurs1, [this] { demander_options(1); });
    brancher(afficheur, [this] { afficheurClick(); });
    brancher(barre, [this] { barreClick(); });
    brancher(Taillenormale, [this] { TaillenormaleClick(); });
}

void TForm1::construire_minuteries() {
    const auto minuterie = [this](const char* nom) {
        auto* t = new QTimer(this);
        t->setObjectName(nom);
        return t;
    };
    Timer1 = minuterie("Timer1");
    Timer2 = minuterie("Timer2");
    Timer3 = minuterie("Timer3");
    Timer4 = minuterie("Timer4");
    Timer5 = minuterie("Timer5");
    connect(Timer3, &QTimer::timeout, this, [this] {
        compteur_.programmation().Timer3Timer();
        apres_evenement();
    });
    connect(Timer1, &QTimer::timeout, this, [this] {
        compteur_.Timer1Timer();
        apres_evenement();
    });
    connect(Timer2, &QTimer::timeout, this, [this] {
        // Les effets ne touchent qu'à l'afficheur et à l'icône.
        commandes_->Timer2Timer();
        synchroniser_minuteries();
        rafraichir_afficheur();
    });
    connect(Timer4, &QTimer::timeout, this, [this] {
        compteur_.Timer4Timer();
        synchroniser_minuteries();
    });
    connect(Timer5, &QTimer::timeout, this, [this] { scrutation(false); });
}

void TForm1::scrutation(bool sur_veille) {
    // Une boîte ouverte par une action fait tourner une boucle d'événements : la scrutation n'y est
    // pas relancée en plein passage (comme une minuterie ne l'est pas dans son propre gestionnaire),
    // et la veille se tait jusqu'à la fin du passage, sans perdre ce qu'elle signale.
    if (!detection_ || scrutation_en_cours_) return;
    scrutation_en_cours_ = true;
    if (veille_Timer5 != nullptr) veille_Timer5->setEnabled(false);
    if (sur_veille) {
        detection_->Timer5Timer_sur_veille();
    } else {
        detection_->Timer5Timer();
    }
    scrutation_en_cours_ = false;
    // La scrutation peut tourner dix fois par seconde : la fenêtre n'est relue que si un état a changé.
    if (empreinte_changee()) {
        apres_evenement();
    } else {
        regler_scrutation();
    }
}

void TForm1::regler_scrutation() {
    if (!detection_ || !minuteries_lancees_) return;
    // Hors scrutation de l'accès à distance, Timer5Timer ne fait rien : ni veille ni minuterie ; le
    // changement de source la relance.
    const bool utile = detection_->Timer5().active() && detection_->surveillance_par_ras();
    const bool veille = utile && !scrutation_en_cours_;
    if (veille_Timer5 != nullptr && veille_Timer5->isEnabled() != veille) veille_Timer5->setEnabled(veille);
    // Les 100 ms ne restent que si la veille ne peut pas signaler chaque changement.
    const bool minuterie = utile && !(veille_Timer5 != nullptr && detection_->veille_suffit());
    if (minuterie && !Timer5->isActive()) {
        Timer5->setInterval(detection_->Timer5().intervalle());
        Timer5->start();
    } else if (!minuterie && Timer5->isActive()) {
        Timer5->stop();
    }
}

void TForm1::appliquer_couleurs() {
    const CouleursFenetre c = couleurs_->affect_color();
    Gauge2->definir_couleurs(c.fond_gauge, c.couleur_gauge);
    for (const auto& [numero, couleur] : c.panneaux) {
        const QString nom = QString("panel%1").arg(numero);
        for (auto* p : findChildren<ui::Panneau*>()) {
            if (p->objectName().compare(nom, Qt::CaseInsensitive) == 0) p->definir_fond(couleur);
        }
    }
    for (auto* liste : {ComboBox1, ComboBox2, ComboBox3}) {
        auto& style = liste->style_lignes();
        style.fond = ui::couleur_qt(c.fond_combobox);
        style.texte = ui::couleur_qt(c.texte_combobox);
        style.texte_actif = ui::couleur_qt(c.texte_actif_combobox);
    }
    ComboBox1->style_lignes().marge = 25;
    ComboBox1->style_lignes().marque = &icones_->marque_choix();
    ComboBox1->style_lignes().cadenas = &icones_->cadenas();
    for (auto* liste : {ComboBox2, ComboBox3}) {
        liste->style_lignes().marge = 20;
        liste->style_lignes().marque = &icones_->marque_tarif();
    }
    // Le fond des sélecteurs et de leurs libellés.
    for (QWidget* w :
         {static_cast<QWidget*>(ComboBox1), static_cast<QWidget*>(ComboBox2), static_cast<QWidget*>(Label6),
          static_cast<QWidget*>(Label_tarif), static_cast<QWidget*>(Label_option)}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, ui::couleur_qt(c.fond_combobox));
        p.setColor(QPalette::Base, ui::couleur_qt(c.fond_combobox));
        w->setPalette(p);
    }
    fond_messages_ = ui::couleur_qt(c.fond_combobox);
}

// ---------------------------------------------------------------------------------------------
// Ce que les modèles disent

bool TForm1::empreinte_changee() {
    const auto& f = compteur_.fenetre();
    const Empreinte maintenant{compteur_.etat().compteur_actif,
                               compteur_.Timer2().version(),
                               f.fenetre_visible,
                               f.reaffichages_icone,
                               f.modifications_icone,
                               f.demandes_Tinfoform,
                               f.avis_fin_forfait.size()};
    // Les lignes ne sont copiées que si elles ont changé : pas d'allocation dix fois par seconde.
    bool change = !(maintenant == empreinte_);
    for (std::size_t i = 0; i < lignes_vues_.size(); ++i) {
        if (lignes_vues_[i] != f.lignes_etat[i]) {
            lignes_vues_[i] = f.lignes_etat[i];
            change = true;
        }
    }
    empreinte_ = maintenant;
    return change;
}

void TForm1::apres_evenement() {
    synchroniser_minuteries();
    rafraichir();
}

void TForm1::rafraichir() {
    rafraichir_afficheur();
    const auto& f = compteur_.fenetre();

    // Les boutons.
    zone_boutons->appliquer(f);
    appliquer_bouton(SpeedButton14, f.SpeedButton14);
    appliquer_bouton(SpeedButton15, f.SpeedButton15);
    visible(Image14, f.Image14_visible);
    bulle(Image14, f.Image14_hint);

    // Le tarif et l'option ; les listes ne sont refaites que si leurs lignes changent.
    const auto& choix = compteur_.choix();
    texte(Label_tarif, choix.libelle_tarif);
    texte(Label_option, choix.libelle_option);
    const auto liste = [](ui::ListeDessinee* l, const ListeDeroulante& modele,
                          std::vector<std::string>& vues) {
        if (modele.lignes != vues) {
            vues = modele.lignes;
            QStringList lignes;
            for (const auto& t : modele.lignes) lignes << qs(t);
            l->definir_lignes(lignes, QList<bool>(lignes.size(), false), modele.position);
        } else if (l->currentIndex() != modele.position) {
            l->definir_position(modele.position);
        }
    };
    liste(ComboBox2, choix.ComboBox2, lignes_ComboBox2_);
    liste(ComboBox3, choix.ComboBox3, lignes_ComboBox3_);

    // L'utilisateur.
    texte(Label6, utilisateurs_->Label6());
    visible(Image12, utilisateurs_->Image12_visible());
    auto utilisateurs = utilisateurs_->lignes();
    if (utilisateurs != lignes_ComboBox1_) {
        QStringList noms;
        QList<bool> cadenas;
        for (const auto& l : utilisateurs) {
            noms << qs(l.nom);
            cadenas << l.protege;
        }
        ComboBox1->definir_lignes(noms, cadenas, utilisateurs_->position());
        lignes_ComboBox1_ = std::move(utilisateurs);
    }

    texte(Panel13, commandes_->Panel13());
    if (zone_appliquee_ != f.zone_tarif) {
        zone_appliquee_ = f.zone_tarif;
        zone_information->appliquer(f.zone_tarif);
        zone_du_forfait->appliquer(f.zone_tarif.forfait);
    }
    // La zone du forfait n'est montrée que par la fenêtre normale.
    visible(zone_du_forfait, f.zone_tarif.forfait.visible && mode_dispose_ == ModeAffichage::normal);

    appliquer_menus();
    appliquer_visibilite();
    montrer_avis_en_attente();
}

void TForm1::rafraichir_afficheur() {
    const auto& f = compteur_.fenetre();
    zone_afficheur->appliquer(f, commandes_->Image6_image(), icones_->programmation());
    bulle(SpeedButton10, modes_->hint_SpeedButton10());
    // Titre et icône.
    if (titre_applique_ != f.titre_application) {
        titre_applique_ = f.titre_application;
        setWindowTitle(qs(f.titre_application));
    }
    appliquer_icone();
}

void TForm1::appliquer_menus() {
    const auto& m = commandes_->menus();
    const auto& m5 = modes_->PopupMenu5();
    const auto& f = compteur_.fenetre();
    if (menus_appliques_ && *menus_appliques_ == m && menu5_applique_ && *menu5_applique_ == m5 &&
        reduir->isVisible() == f.menu_reduir_visible && restaurer->isVisible() == f.menu_restaurer_visible) {
        return;
    }
    menus_appliques_ = m;
    menu5_applique_ = m5;
    menus_->appliquer(m, m5, f.menu_reduir_visible, f.menu_restaurer_visible);

    // Les entrées de l'annuaire : sous "Se &connecter à" et dans PopupMenu6.
    const auto remplir = [this](QMenu* menu, const std::vector<std::string>& entrees) {
        QStringList voulues;
        for (const auto& e : entrees) voulues << qs(e);
        QStringList presentes;
        for (auto* a : menu->actions()) presentes << a->data().toString();
        if (voulues == presentes) return;
        menu->clear();
        for (const auto& e : voulues) {
            QString legende = e;
            auto* a = menu->addAction(legende.replace('&', "&&"));
            a->setData(e);
            connect(a, &QAction::triggered, this, [this, e] { Clique(e); });
        }
    };
    remplir(Seconnecter1_sous_menu, m.sous_menu_Seconnecter1);
    remplir(PopupMenu6, m.PopupMenu6);
    QMenu* sous_menu = m.sous_menu_Seconnecter1.empty() ? nullptr : Seconnecter1_sous_menu;
    if (Seconnecter1->menu() != sous_menu) Seconnecter1->setMenu(sous_menu);
}

void TForm1::appliquer_icone() {
    if (!icone_) return;
    const auto& f = compteur_.fenetre();
    const ImageIcone image = commandes_->image_icone();
    if (image != image_appliquee_) {
        image_appliquee_ = image;
        icone_->setIcon(icones_->icone(image));
    }
    if (info_bulle_appliquee_ != f.info_bulle_icone) {
        info_bulle_appliquee_ = f.info_bulle_icone;
        icone_->setToolTip(qs(f.info_bulle_icone));
    }
}

void TForm1::appliquer_visibilite() {
    if (!visibilite_suivie_) return;
    const bool voulu = compteur_.fenetre().fenetre_visible;
    if (voulu == visible_applique_) return;
    visible_applique_ = voulu;
    if (voulu) {
        if (isMinimized()) {
            showNormal();
        } else {
            show();
        }
        raise();
        activateWindow();
    } else if (zone_de_notification()) {
        hide();
    } else {
        // Sans zone de notification, la fenêtre reste à portée : elle est réduite.
        showMinimized();
    }
}

void TForm1::montrer_avis_en_attente() {
    const auto& f = compteur_.fenetre();
    if (f.demandes_Tinfoform != demandes_info_vues_) {
        demandes_info_vues_ = f.demandes_Tinfoform;
        if (!infoform_) {
            infoform_ = new ui::Tinfoform(
                commandes_->modele_Tinfoform(), fond_messages_,
                [this](bool ne_plus_afficher) { commandes_->fermeture_Tinfoform(ne_plus_afficher); }, this);
            infoform_->setWindowFlag(Qt::Window);
        }
        infoform_->show();
        infoform_->raise();
    }
    while (avis_montres_ < f.avis_fin_forfait.size()) {
        const ModeleFinForfait& modele = f.avis_fin_forfait[avis_montres_++];
        QColor fond = fond_messages_;
        try {
            fond = ui::couleur_qt(couleurs_->couleur(modele.cle_couleur_fond, clWindow));
        } catch (const std::exception&) {
            // Couleur illisible : le fond des listes.
        }
        auto* avis = new ui::TFinforfait(modele, fond, this);
        avis->show();
        avis->raise();
        emit fin_forfait_montree();
    }
}

void TForm1::synchroniser_minuteries() {
    if (!minuteries_lancees_) return;
    const auto suivre = [](QTimer* t, const Minuterie& m, std::uint64_t& vue, bool& premiere,
                           bool en_attente = false) {
        if (!premiere && m.version() == vue) return;
        premiere = false;
        vue = m.version();
        t->setInterval(m.intervalle());
        if (m.active() && !en_attente) {
            t->start();
        } else {
            t->stop();
        }
    };
    suivre(Timer1, compteur_.Timer1(), version_timer1_, premiere_timer1_);
    // La rangée clignotante ne touche qu'à la fenêtre : cachée dans la zone de notification, le
    // programme ne se réveille plus que pour le top.
    suivre(Timer2, compteur_.Timer2(), version_timer2_, premiere_timer2_,
           compteur_.effet_Timer2() == EffetTimer2::rangee_clignotante && isHidden());
    suivre(Timer3, compteur_.programmation().Timer3(), version_timer3_, premiere_timer3_);
    suivre(Timer4, compteur_.Timer4(), version_timer4_, premiere_timer4_);
    if (detection_) {
        suivre(Timer5, detection_->Timer5(), version_timer5_, premiere_timer5_);
        // Tout appel à l'accès à distance (le top aussi l'interroge) peut changer ce que la veille sait.
        regler_scrutation();
    }
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
    detection_ = &detection;
    premiere_timer5_ = true;
    delete veille_Timer5;
    veille_Timer5 = nullptr;
    if (const int fd = detection.descripteur_veille(); fd >= 0) {
        veille_Timer5 = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        veille_Timer5->setObjectName("veille_Timer5");
        veille_Timer5->setEnabled(false);  // avec les minuteries, au premier top
        connect(veille_Timer5, &QSocketNotifier::activated, this, [this] { scrutation(true); });
    }
    synchroniser_minuteries();
}

void TForm1::installer_icone() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    if (!icone_) {
        icone_ = new QSystemTrayIcon(this);
        icone_->setObjectName("icone_notification");
        connect(icone_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason raison) {
            switch (raison) {
                case QSystemTrayIcon::Trigger:
                    icone_cliquee(Qt::LeftButton, QCursor::pos());
                    break;
                case QSystemTrayIcon::MiddleClick:
                    icone_cliquee(Qt::MiddleButton, QCursor::pos());
                    break;
                case QSystemTrayIcon::Context:
                    icone_cliquee(Qt::RightButton, QCursor::pos());
                    break;
                default:
                    break;
            }
        });
    }
    // reaffichage_petite_icone : l'icône du produit et son info-bulle reviennent, posées avant que
    // l'icône ne paraisse.
    compteur_.reaffichage_petite_icone();
    image_appliquee_ = ImageIcone::numerotation;  // force l'image
    appliquer_icone();
    icone_->show();
    rafraichir();
}

void TForm1::demarrer() {
    if (minuteries_lancees_) return;
    // FormActivate : Panel2 repeint, un top tout de suite, boutons selon l'état des connexions.
    Panel2->repaint();
    compteur_.Timer1Timer();
    compteur_.changement_bouton_etat_connexion();
    minuteries_lancees_ = true;
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
    return icone_ && icone_->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

void TForm1::montrer() {
    commandes_->montrer();
    visibilite_suivie_ = true;
    visible_applique_ = !compteur_.fenetre().fenetre_visible;  // force l'application
    rafraichir();
}

void TForm1::cacher() {
    commandes_->cacher();
    visibilite_suivie_ = true;
    visible_applique_ = !compteur_.fenetre().fenetre_visible;
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
            PopupMenu2->popup(position);
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
        PopupMenu6->popup(QCursor::pos());
    }
    apres_evenement();
}

void TForm1::SpeedButton3Click() {
    if (deconnexion_en_cours_) return;
    if (!commandes_->SpeedButton3Click()) return;
    apres_evenement();
    deconnexion_en_cours_ = true;
    // Faite à la première déconnexion : elle ne sert qu'à ce moment-là.
    if (splash_ == nullptr) splash_ = new ui::Tsplashscreen(icones_->application(), this);
    splash_->montrer();
    const bool reussie = commandes_->raccrocher();
    // Les pauses ne bloquent pas la fenêtre : les minuteries continuent et la détection voit la fin.
    QTimer::singleShot(reussie ? raccrochage::pause_apres_raccrochage_ms : raccrochage::pause_avant_echec_ms,
                       this, [this, reussie] { deconnexion_terminee(reussie); });
}

void TForm1::deconnexion_terminee(bool reussie) {
    splash_->hide();
    deconnexion_en_cours_ = false;
    if (!reussie) dialogue_.information(raccrochage::echec_deconnexion);
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

void TForm1::Timer2Timer() {
    commandes_->Timer2Timer();
    apres_evenement();
}

void TForm1::ouvrir_ComboBox1() {
    if (utilisateurs_->aucun_utilisateur()) {
        if (commandes_->demander_ajout_utilisateur()) demander_options(1);
        return;
    }
    ComboBox1->showPopup();
}

void TForm1::touche_ComboBox1(bool ctrl, bool alt, bool shift, bool entree) {
    if (commandes_->touche_selecteur(ctrl, alt, shift, entree) == ReactionTouche::basculer_detection &&
        detection_) {
        // Au retour à l'accès à distance, la scrutation reprend aussitôt, pendant la boîte qui le
        // dit, comme le faisaient ses 100 ms ; la veille a gardé le signal de ce qui a changé.
        QTimer::singleShot(0, this, [this] {
            if (minuteries_lancees_) scrutation(false);
        });
        detection_->basculer_source();
        apres_evenement();
    }
}

void TForm1::ouvrir_aide(int sujet) {
    std::filesystem::path page = dossier_aide_ / ("sujet-" + std::to_string(sujet) + ".html");
    std::error_code e;
    if (!std::filesystem::is_regular_file(page, e)) page = dossier_aide_ / "index.html";
    if (!std::filesystem::is_regular_file(page, e)) {
        dialogue_.avertissement("L'aide est introuvable dans le dossier « " + dossier_aide_.string() + " ».");
        return;
    }
    ouvrir_url(QUrl::fromLocalFile(QString::fromStdString(page.string())).toString());
}

void TForm1::ouvrir_url(const QString& url) {
    if (!ouvreur_url || !ouvreur_url(QUrl(url))) {
        dialogue_.avertissement("Impossible d'ouvrir « " + url.toStdString() +
                                " » : aucun programme ne l'a pris.");
    }
}

void TForm1::ouvrir_selection_utilisateur(std::function<void(const std::string&)> enregistrer) {
    std::string refus;
    try {
        const FichierIni ini(dossier_ / fichier_reglages);
        refus = textes_selection::refus(message_utilisateur(ini, 42), message_utilisateur(ini, 43),
                                        message_utilisateur(ini, 44));
    } catch (const std::exception&) {
        refus = textes_selection::refus("", "", "");
    }
    try {
        const CouleursFenetre c = couleurs_->affect_color();
        style_selection_.fond = ui::couleur_qt(c.fond_combobox);
        style_selection_.texte = ui::couleur_qt(c.texte_combobox);
    } catch (const std::exception&) {
        // Couleurs illisibles : celles par défaut des listes.
    }
    style_selection_.fond_actif = ui::couleur_qt(0x800000);
    style_selection_.texte_actif = Qt::white;
    style_selection_.marge = 3;
    style_selection_.cadenas = &icones_->cadenas();
    // Non bloquante : le top continue ; l'enregistrement attend la réponse (l'instantané le garde).
    auto* boite = new ui::Tutilisateur(ModeleTutilisateur(*utilisateurs_, refus), dialogue_, style_selection_,
                                       [this, enregistrer = std::move(enregistrer)](const std::string& nom) {
                                           enregistrer(nom);
                                           apres_evenement();
                                       },
                                       this);
    boite->setWindowFlag(Qt::Window);
    boite->setWindowModality(Qt::ApplicationModal);
    boite->show();
    boite->raise();
    boite->activateWindow();
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
    return dispositions_[rang(mode)];
}

void TForm1::appliquer_disposition(ModeAffichage mode) {
    const bool normale = mode == ModeAffichage::normal;
    for (QWidget* zone : {static_cast<QWidget*>(zone_boutons), static_cast<QWidget*>(zone_utilisateur),
                          static_cast<QWidget*>(zone_choix), static_cast<QWidget*>(zone_information)}) {
        visible(zone, normale);
    }
    visible(zone_du_forfait, normale && compteur_.fenetre().zone_tarif.forfait.visible);
    // Les demandes de disposition en attente (textes changés) d'abord, remontées niveau par niveau.
    for (int niveau = 0; niveau < 4; ++niveau)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const int marge = normale ? 6 : 0;
    layout()->setContentsMargins(marge, marge, marge, marge);
    // La barre : cinq tiers de la fenêtre normale.
    zone_afficheur->disposer(mode, largeur_normale_ * 5 / 3);
    mode_dispose_ = mode;
    // Bordée ou non : changer les drapeaux cache la fenêtre, qui est remontrée ensuite.
    if (windowFlags().testFlag(Qt::FramelessWindowHint) == normale) setWindowFlags(drapeaux(mode));
    // La disposition est faite tout de suite, fenêtre cachée ou non : la place du bouton de taille
    // et la taille de la fenêtre se mesurent aussitôt (sans attendre les demandes de disposition
    // que Qt remonte d'un niveau à chaque tour de boucle).
    for (QWidget* w : {static_cast<QWidget*>(Panel5), static_cast<QWidget*>(Panel6),
                       static_cast<QWidget*>(zone_afficheur)}) {
        w->layout()->invalidate();
        w->updateGeometry();
    }
    // Chaque zone de la fenêtre : sa taille gardée en mémoire par la disposition est oubliée. Fenêtre
    // cachée, Qt ne le fait pas pour une zone dont les textes ont changé (l'information tarifaire,
    // remplie après la dernière mesure, comptait pour sa taille d'avant et la fenêtre se centrait
    // 67 pixels trop courte).
    for (int i = 0; i < layout()->count(); ++i) {
        if (QWidget* zone = layout()->itemAt(i)->widget()) zone->updateGeometry();
    }
    layout()->invalidate();
    layout()->activate();
    zone_afficheur->layout()->setGeometry(zone_afficheur->contentsRect());
    Panel6->layout()->setGeometry(Panel6->contentsRect());
    const QPoint bouton = SpeedButton10->mapTo(this, QPoint(0, 0));
    dispositions_[rang(mode)] = {{bouton.x(), bouton.y()}, {width(), height()}};
    if (normale) largeur_normale_ = width();
}

void TForm1::mesurer_dispositions() {
    // Polies, les zones ont déjà les tailles qu'elles auront à l'écran.
    ensurePolished();
    // Chaque mode une fois, fenêtre cachée : le glissement du coin montre leurs tailles. La normale
    // d'abord, dont la largeur fait celle de la barre.
    for (const ModeAffichage m : {ModeAffichage::normal, ModeAffichage::afficheur, ModeAffichage::barre}) {
        appliquer_disposition(m);
    }
    appliquer_disposition(modes_->mode());
}

void TForm1::mesurer_cadre() {
    // Le cadre que le gestionnaire de fenêtres donne à la fenêtre normale, une fois qu'il l'a posé.
    if (mode_dispose_ != ModeAffichage::normal || !isVisible()) return;
    const QRect dedans = geometry();
    const QRect dehors = frameGeometry();
    if (dedans == dehors && !cadre_mesure_) return;
    cadre_normal_ = {dedans.left() - dehors.left(), dedans.top() - dehors.top(),
                     dehors.right() - dedans.right(), dehors.bottom() - dedans.bottom()};
    cadre_mesure_ = true;
}

QPoint TForm1::origine_ecran() const {
    const QScreen* ecran = screen();
    return ecran != nullptr ? ecran->geometry().topLeft() : QPoint();
}

TailleFenetre TForm1::taille_ecran() const {
    const QScreen* ecran = screen();
    const QSize t = ecran != nullptr ? ecran->geometry().size() : QSize(1024, 768);
    return {t.width(), t.height()};
}

PointEcran TForm1::point_du_bouton() const {
    const QPoint p = SpeedButton10->mapToGlobal(QPoint(0, 0)) - origine_ecran();
    return {p.x(), p.y()};
}

void TForm1::disposition_de_demarrage(const TailleDemarrage& taille) {
    modes_->disposition_de_demarrage(taille);
    appliquer_disposition(modes_->mode());
    rafraichir();
}

void TForm1::restaurer_position() {
    position_restauree_ = true;
    PositionRangee rangee{"indefini", "indefini"};
    try {
        const FichierIni ini(dossier_ / fichier_reglages);
        rangee = {lire(ini, parametres::position_x), lire(ini, parametres::position_y)};
    } catch (const std::exception&) {
        // Fichier illisible : la fenêtre est centrée.
    }
    const ModeAffichage mode = modes_->mode();
    // Mesurée à nouveau : les textes montrés depuis la dernière mesure (tarif, forfait, lignes
    // d'état) ont pu changer la hauteur, et la fenêtre se centre sur sa vraie taille.
    appliquer_disposition(mode);
    const Disposition d = disposition(mode);
    const Cadre c = mode == ModeAffichage::normal ? cadre_normal_ : Cadre{};
    const TailleFenetre exterieur{d.taille.largeur + c.gauche + c.droite, d.taille.hauteur + c.haut + c.bas};
    placer(mode, lumi::restaurer_position(rangee, mode, d, cadre_normal_, exterieur, taille_ecran()));
}

void TForm1::enregistrer_position() {
    // Un démarrage interrompu avant de placer la fenêtre ne remplace pas la place rangée par la sienne.
    if (!position_restauree_) return;
    mesurer_cadre();
    const PointEcran bouton = point_du_bouton();
    const QPoint coin = frameGeometry().topLeft() - origine_ecran();
    const PositionRangee r = lumi::enregistrer_position(
        {bouton.x - cadre_normal_.gauche, bouton.y - cadre_normal_.haut}, {coin.x(), coin.y()},
        taille_ecran(), compteur_.monnaie().locale.separateur_decimal);
    try {
        FichierIni ini(dossier_ / fichier_reglages);
        ini.ecrire(parametres::position_x.section, parametres::position_x.cle, r.x);
        ini.ecrire(parametres::position_y.section, parametres::position_y.cle, r.y);
    } catch (const std::exception& e) {
        dialogue_.avertissement(e.what());
    }
}

void TForm1::placer(ModeAffichage mode, PointEcran coin) {
    // L'intérieur est placé, et non le cadre : le cadre que le gestionnaire de fenêtres donnera après
    // le changement de bordure n'est pas encore connu, celui d'avant ne vaut plus.
    const Cadre c = mode == ModeAffichage::normal ? cadre_normal_ : Cadre{};
    setGeometry(QRect(origine_ecran() + QPoint(coin.x + c.gauche, coin.y + c.haut), size()));
}

void TForm1::basculer(ModeAffichage mode, PointEcran bouton_ecran) {
    const bool etait_visible = isVisible();
    mesurer_cadre();
    // Les textes du mode d'abord : la disposition mesurée est celle qui sera montrée.
    rafraichir();
    appliquer_disposition(mode);
    const Cadre cadre = mode == ModeAffichage::normal ? cadre_normal_ : Cadre{};
    placer(mode, placer_sous_le_bouton(bouton_ecran, disposition(mode), cadre, taille_ecran()));
    // Montrée sauf si le programme, lancé caché, ne l'a pas encore été ; puis l'icône recréée.
    if (etait_visible || (visibilite_suivie_ && compteur_.fenetre().fenetre_visible)) show();
    if (icone_ != nullptr) installer_icone();
    apres_evenement();
    QTimer::singleShot(0, this, [this] { tracer_bouton_de_taille(); });
}

void TForm1::tracer_bouton_de_taille() const {
    // Pour les essais de bout en bout : la place du bouton de taille dans la fenêtre, que l'essai
    // ajoute à la position de la fenêtre relevée par le serveur X.
    static const bool tracer = qEnvironmentVariableIsSet("LUMI_TRACE_BOUTON_TAILLE");
    if (!tracer) return;
    const QPoint p = SpeedButton10->mapTo(this, QPoint(0, 0));
    std::fprintf(stderr, "SpeedButton10 %d %d %d\n", static_cast<int>(modes_->mode()), p.x(), p.y());
    std::fflush(stderr);
}

void TForm1::SpeedButton10Click() {
    const PointEcran bouton = point_du_bouton();
    basculer(modes_->SpeedButton10Click(), bouton);
}

void TForm1::afficheurClick() {
    const PointEcran bouton = point_du_bouton();
    basculer(modes_->afficheurClick(), bouton);
}

void TForm1::barreClick() {
    const PointEcran bouton = point_du_bouton();
    basculer(modes_->barreClick(), bouton);
}

void TForm1::TaillenormaleClick() {
    const PointEcran bouton = point_du_bouton();
    basculer(modes_->TaillenormaleClick(), bouton);
}

// ---------------------------------------------------------------------------------------------
// Le glissement du coin

bool TForm1::pres_du_coin(QWidget* w, QPoint p) const {
    const bool normale = mode_dispose_ == ModeAffichage::normal;
    if ((w == this) != normale) return false;
    return p.x() >= w->width() - 10 || p.y() >= w->height() - 10 || p.x() < 2 || p.y() < 2;
}

void TForm1::debut_glissement(QPoint global) {
    glissement_depart_ = global;
    coin_depart_ = frameGeometry().topLeft();
    mode_glisse_ = modes_->mode();
    modes_->debut_glissement();
    synchroniser_minuteries();
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

void TForm1::suivre_glissement(QPoint global) {
    mode_glisse_ = mode_du_glissement({glissement_depart_.x(), glissement_depart_.y()},
                                      {global.x(), global.y()}, modes_->mode());
    const Disposition d = disposition(mode_glisse_);
    const Cadre c = mode_glisse_ == ModeAffichage::normal ? cadre_normal_ : Cadre{};
    rectangle_->setGeometry(QRect(
        coin_depart_, QSize(d.taille.largeur + c.gauche + c.droite, d.taille.hauteur + c.haut + c.bas)));
    rectangle_->show();
}

void TForm1::fin_glissement(QPoint global) {
    suivre_glissement(global);
    rectangle_->hide();
    qApp->removeEventFilter(this);
    const bool change = mode_glisse_ != modes_->mode();
    modes_->fin_glissement(mode_glisse_);
    if (change) {
        const bool etait_visible = isVisible();
        mesurer_cadre();
        appliquer_disposition(mode_glisse_);
        // La fenêtre garde la place qu'elle avait quand le bouton a été enfoncé.
        const QPoint coin = coin_depart_ - origine_ecran();
        placer(mode_glisse_, {coin.x(), coin.y()});
        if (etait_visible || (visibilite_suivie_ && compteur_.fenetre().fenetre_visible)) show();
        if (icone_ != nullptr) installer_icone();
    }
    apres_evenement();
}

void TForm1::mousePressEvent(QMouseEvent* evenement) {
    if (evenement->button() == Qt::LeftButton) {
        if (pres_du_coin(this, evenement->position().toPoint())) {
            debut_glissement(evenement->globalPosition().toPoint());
        } else if (windowHandle() != nullptr) {
            // Ailleurs, la fenêtre se déplace.
            windowHandle()->startSystemMove();
        }
        evenement->accept();
        return;
    }
    QWidget::mousePressEvent(evenement);
}

void TForm1::mouseMoveEvent(QMouseEvent* evenement) {
    if (modes_->glissement_en_cours()) {
        suivre_glissement(evenement->globalPosition().toPoint());
    } else if (evenement->buttons() == Qt::NoButton) {
        if (pres_du_coin(this, evenement->position().toPoint())) {
            setCursor(Qt::SizeFDiagCursor);
        } else {
            unsetCursor();
        }
    }
    QWidget::mouseMoveEvent(evenement);
}

void TForm1::mouseReleaseEvent(QMouseEvent* evenement) {
    if (modes_->glissement_en_cours() && evenement->button() == Qt::LeftButton) {
        fin_glissement(evenement->globalPosition().toPoint());
        return;
    }
    QWidget::mouseReleaseEvent(evenement);
}

void TForm1::moveEvent(QMoveEvent* evenement) {
    QWidget::moveEvent(evenement);
    mesurer_cadre();
}

void TForm1::resizeEvent(QResizeEvent* evenement) {
    QWidget::resizeEvent(evenement);
    tracer_bouton_de_taille();
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
    Timer1->stop();
    Timer2->stop();
    Timer3->stop();
    Timer4->stop();
    Timer5->stop();
    if (veille_Timer5 != nullptr) veille_Timer5->setEnabled(false);
    minuteries_lancees_ = false;
    if (icone_) icone_->hide();
    emit fermeture_acceptee(fermeture_windows_);
}

void TForm1::contextMenuEvent(QContextMenuEvent* evenement) {
    // Le menu principal ne s'ouvre au clic droit qu'une fois le démarrage fini.
    if (demarrage_fini_) PopupMenu2->popup(evenement->globalPos());
}

void TForm1::changeEvent(QEvent* evenement) {
    QWidget::changeEvent(evenement);
    // Sans zone de notification, cacher c'est réduire : une fenêtre réduite ou rendue par le bureau
    // (barre des tâches) l'est aussi pour le modèle, et les éléments du menu suivent.
    if (evenement->type() != QEvent::WindowStateChange || !visibilite_suivie_ || zone_de_notification())
        return;
    const bool visible_reel = !isMinimized();
    if (visible_reel == compteur_.fenetre().fenetre_visible) return;
    if (visible_reel) {
        commandes_->montrer();
    } else {
        commandes_->cacher();
    }
    visible_applique_ = visible_reel;
    appliquer_menus();
}

// Montrée ou cachée, la fenêtre réveille ou endort sa rangée clignotante (Timer2 relu).
void TForm1::showEvent(QShowEvent* evenement) {
    QWidget::showEvent(evenement);
    QTimer::singleShot(0, this, [this] { tracer_bouton_de_taille(); });
    premiere_timer2_ = true;
    synchroniser_minuteries();
}

void TForm1::hideEvent(QHideEvent* evenement) {
    QWidget::hideEvent(evenement);
    premiere_timer2_ = true;
    synchroniser_minuteries();
}

bool TForm1::eventFilter(QObject* objet, QEvent* evenement) {
    // Pendant le glissement du coin, pas d'info-bulle.
    if (evenement->type() == QEvent::ToolTip && modes_->glissement_en_cours()) return true;
    const bool evenement_souris = evenement->type() == QEvent::MouseButtonPress ||
                                  evenement->type() == QEvent::MouseMove ||
                                  evenement->type() == QEvent::MouseButtonRelease;
    if (objet == Panel6 && evenement_souris) {
        // Converti seulement une fois le genre connu : les autres événements ne sont pas des QMouseEvent.
        auto* souris = static_cast<QMouseEvent*>(evenement);
        switch (evenement->type()) {
            case QEvent::MouseButtonPress:
                if (souris->button() == Qt::LeftButton &&
                    pres_du_coin(Panel6, souris->position().toPoint())) {
                    debut_glissement(souris->globalPosition().toPoint());
                    return true;
                }
                break;
            case QEvent::MouseMove:
                if (modes_->glissement_en_cours()) {
                    suivre_glissement(souris->globalPosition().toPoint());
                    return true;
                }
                if (souris->buttons() == Qt::NoButton) {
                    if (pres_du_coin(Panel6, souris->position().toPoint())) {
                        Panel6->setCursor(Qt::SizeFDiagCursor);
                    } else {
                        Panel6->unsetCursor();
                    }
                }
                break;
            case QEvent::MouseButtonRelease:
                if (modes_->glissement_en_cours() && souris->button() == Qt::LeftButton) {
                    fin_glissement(souris->globalPosition().toPoint());
                    return true;
                }
                break;
            default:
                break;
        }
    }
    if (evenement->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(evenement)->button() == Qt::LeftButton) {
        if (objet == Label6) {
            ouvrir_ComboBox1();
            return true;
        }
        if (objet == Image12) {
            commandes_->Image12Click();
            return true;
        }
        if (objet == Image6) {
            demander_programmation();
            return true;
        }
    }
    return QWidget::eventFilter(objet, evenement);
}

}  // namespace lumi
