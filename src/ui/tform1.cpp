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
#include <QMetaMethod>
#include <QScreen>
#include <QShowEvent>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <exception>

#include "core/commandes_fenetre.hpp"
#include "core/compteur.hpp"
#include "core/couleurs.hpp"
#include "core/detection.hpp"
#include "core/utilisateurs.hpp"
#include "settings/cles.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/parametres.hpp"
#include "ui/controles.hpp"
#include "ui/dialogue_qt.hpp"
#include "ui/icones.hpp"
#include "ui/tfinforfait.hpp"
#include "ui/tinfoform.hpp"
#include "ui/tsplashscreen.hpp"

namespace lumi {

namespace {

QString qs(std::string_view texte) {
    return QString::fromUtf8(texte.data(), static_cast<qsizetype>(texte.size()));
}

template <typename Controle>
void texte(Controle* l, const std::string& t) {
    const QString q = qs(t);
    if (l->text() != q) l->setText(q);
}

void bulle(QWidget* w, std::string_view t) {
    const QString q = qs(t);
    if (w->toolTip() != q) w->setToolTip(q);
}

void visible(QWidget* w, bool v) {
    if (w->isVisibleTo(w->parentWidget()) != v) w->setVisible(v);
}

void appliquer_bouton(ui::BoutonRapide* b, const BoutonFenetre& modele) {
    visible(b, modele.visible);
    b->setEnabled(modele.enabled);
    bulle(b, modele.hint);
}

void appliquer_element(QAction* a, const ElementMenu& e) {
    const QString t = qs(e.caption);
    if (a->text() != t) a->setText(t);
    a->setVisible(e.visible);
    a->setEnabled(e.enabled);
    a->setChecked(e.checked);
}

// Une pastille de couleur (colonne "Zone", légende).
QLabel* pastille(const QString& nom, QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setObjectName(nom);
    l->setFixedSize(16, 11);
    l->setAutoFillBackground(true);
    l->setFrameStyle(QFrame::Box | QFrame::Plain);
    return l;
}

void colorer(QLabel* l, const std::optional<std::uint32_t>& couleur) {
    QPalette p = l->palette();
    const QColor c =
        couleur ? ui::couleur_qt(*couleur) : l->parentWidget()->palette().color(QPalette::Window);
    if (p.color(QPalette::Window) == c) return;
    p.setColor(QPalette::Window, c);
    l->setPalette(p);
}

QLabel* etiquette(const QString& nom, const QString& t, QWidget* parent, bool gras = false) {
    auto* l = new QLabel(t, parent);
    l->setObjectName(nom);
    if (gras) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    return l;
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
    const QScreen* ecran = QGuiApplication::primaryScreen();
    couleurs_ = std::make_unique<JeuCouleurs>(dossier_ / fichier_couleurs, ecran ? ecran->depth() : 24);
    commandes_ =
        std::make_unique<CommandesFenetre>(compteur_, registre_, acces_distant_, dialogue_, dossier_);
    utilisateurs_ = std::make_unique<ListeUtilisateurs>(registre_);
    compteur_.historique().definir_selection_utilisateur(*utilisateurs_);
    icones_ = std::make_unique<ui::IconesLumi>();
    setWindowIcon(icones_->application());
    ouvreur_url = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

    construire();
    construire_menus();
    construire_minuteries();
    appliquer_couleurs();
    rafraichir();
}

TForm1::~TForm1() {
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

    // --- Cadre de l'afficheur, avec les boutons de notification et de taille ---
    Panel6 = new ui::Panneau("Panel6", this);
    Panel6->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel6->setLineWidth(2);
    auto* dans_cadre = new QHBoxLayout(Panel6);
    dans_cadre->setContentsMargins(4, 4, 4, 4);
    dans_cadre->setSpacing(4);
    construire_afficheur(Panel6);
    dans_cadre->addWidget(Panel5, 1);
    auto* colonne = new QVBoxLayout;
    colonne->setSpacing(2);
    SpeedButton8 = new ui::BoutonRapide("SpeedButton8", icones_->notification, {},
                                        qs(textes_fenetre::hint_SpeedButton8), Panel6);
    SpeedButton10 = new ui::BoutonRapide("SpeedButton10", icones_->taille, {},
                                         qs(textes_fenetre::hint_SpeedButton10), Panel6);
    // Les trois tailles viendront plus tard : la fenêtre reste en taille normale.
    SpeedButton10->setEnabled(false);
    colonne->addWidget(SpeedButton8);
    colonne->addWidget(SpeedButton10);
    colonne->addStretch();
    dans_cadre->addLayout(colonne);
    tout->addWidget(Panel6);

    // --- Boutons ---
    auto* boutons = new QHBoxLayout;
    boutons->setSpacing(2);
    const auto& f = compteur_.fenetre();
    SpeedButton2 =
        new ui::BoutonRapide("SpeedButton2", icones_->connecter, {}, qs(f.SpeedButton2.hint), this);
    SpeedButton3 =
        new ui::BoutonRapide("SpeedButton3", icones_->deconnecter, {}, qs(f.SpeedButton3.hint), this);
    SpeedButton1 = new ui::BoutonRapide("SpeedButton1", icones_->demarrer, {}, qs(f.SpeedButton1.hint), this);
    SpeedButton4 = new ui::BoutonRapide("SpeedButton4", icones_->arreter, {}, qs(f.SpeedButton4.hint), this);
    SpeedButton11 = new ui::BoutonRapide("SpeedButton11", icones_->module_programmation, {},
                                         qs(f.SpeedButton11.hint), this);
    SpeedButton5 = new ui::BoutonRapide("SpeedButton5", icones_->options, "&Options",
                                        qs(textes_fenetre::hint_SpeedButton5), this);
    SpeedButton7 = new ui::BoutonRapide("SpeedButton7", icones_->historique, "&Historique",
                                        qs(textes_fenetre::hint_SpeedButton7), this);
    SpeedButton6 = new ui::BoutonRapide("SpeedButton6", icones_->aide, "&Aide",
                                        qs(textes_fenetre::hint_SpeedButton6), this);
    for (auto* b : {SpeedButton2, SpeedButton3, SpeedButton1, SpeedButton4, SpeedButton11}) {
        b->setIconSize(QSize(24, 24));
        boutons->addWidget(b);
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        QSizePolicy p = b->sizePolicy();
        p.setRetainSizeWhenHidden(false);
        b->setSizePolicy(p);
    }
    boutons->addStretch();
    for (auto* b : {SpeedButton5, SpeedButton7, SpeedButton6}) {
        b->setIconSize(QSize(20, 20));
        boutons->addWidget(b);
    }
    tout->addLayout(boutons);
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
    connect(SpeedButton8, &QToolButton::clicked, this, [this] { cacher(); });

    // --- Utilisateur en cours ---
    auto* zone_utilisateur = new QFrame(this);
    zone_utilisateur->setObjectName("zone_utilisateur");
    zone_utilisateur->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* rangee_u = new QHBoxLayout(zone_utilisateur);
    rangee_u->setContentsMargins(2, 2, 2, 2);
    rangee_u->setSpacing(4);
    Panel33 = new ui::Panneau("Panel33", zone_utilisateur);
    Panel33->setText(qs(textes_fenetre::Panel33));
    Panel33->updateGeometry();
    Panel33->definir_glissement(false);
    rangee_u->addWidget(Panel33);
    auto* hote_u = new QWidget(zone_utilisateur);
    auto* pile_u = new QGridLayout(hote_u);
    pile_u->setContentsMargins(0, 0, 0, 0);
    ComboBox1 = new ui::ListeDessinee("ComboBox1", hote_u);
    ComboBox1->setFocusPolicy(Qt::ClickFocus);
    Label6 = etiquette("Label6", {}, hote_u, true);
    Label6->setAutoFillBackground(true);
    Label6->setContentsMargins(4, 0, 4, 0);
    pile_u->addWidget(ComboBox1, 0, 0);
    pile_u->addWidget(Label6, 0, 0);
    Label6->raise();
    rangee_u->addWidget(hote_u, 1);
    Image12 = new QLabel(zone_utilisateur);
    Image12->setObjectName("Image12");
    Image12->setPixmap(icones_->cadenas());
    Image12->setCursor(Qt::PointingHandCursor);
    QSizePolicy retenue = Image12->sizePolicy();
    retenue.setRetainSizeWhenHidden(true);
    Image12->setSizePolicy(retenue);
    rangee_u->addWidget(Image12);
    SpeedButton17 = new ui::BoutonRapide("SpeedButton17", icones_->deroulant, {}, {}, zone_utilisateur);
    rangee_u->addWidget(SpeedButton17);
    tout->addWidget(zone_utilisateur);
    zone_utilisateur->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(
        zone_utilisateur, &QWidget::customContextMenuRequested, this,
        [this, zone_utilisateur](const QPoint& p) { PopupMenu4->popup(zone_utilisateur->mapToGlobal(p)); });
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

    // --- Tarif et option en vigueur, et leurs listes ---
    auto* zone_choix = new QFrame(this);
    zone_choix->setObjectName("zone_choix");
    zone_choix->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* grille_c = new QGridLayout(zone_choix);
    grille_c->setContentsMargins(4, 2, 2, 2);
    grille_c->setHorizontalSpacing(4);
    grille_c->setVerticalSpacing(1);
    const auto ligne_choix = [&](int rang, const QString& titre, QLabel*& libelle, ui::ListeDessinee*& liste,
                                 const QString& nom_liste, ui::BoutonRapide*& bouton,
                                 const QString& nom_bouton, std::string_view hint_bouton,
                                 std::string_view hint_libelle) {
        grille_c->addWidget(etiquette({}, titre, zone_choix), rang, 0);
        auto* hote = new QWidget(zone_choix);
        auto* pile = new QGridLayout(hote);
        pile->setContentsMargins(0, 0, 0, 0);
        liste = new ui::ListeDessinee(nom_liste, hote);
        libelle = etiquette(nom_liste == "ComboBox2" ? "Label_tarif" : "Label_option", {}, hote, true);
        libelle->setAutoFillBackground(true);
        libelle->setToolTip(qs(hint_libelle));
        libelle->setMinimumWidth(250);
        pile->addWidget(liste, 0, 0);
        pile->addWidget(libelle, 0, 0);
        libelle->raise();
        grille_c->addWidget(hote, rang, 1);
        bouton = new ui::BoutonRapide(nom_bouton, icones_->deroulant, {}, qs(hint_bouton), zone_choix);
        QSizePolicy p = bouton->sizePolicy();
        p.setRetainSizeWhenHidden(true);
        bouton->setSizePolicy(p);
        grille_c->addWidget(bouton, rang, 2);
    };
    ligne_choix(0, "Tarification :", Label_tarif, ComboBox2, "ComboBox2", SpeedButton15, "SpeedButton15",
                textes_choix::hint_SpeedButton15, textes_choix::hint_libelle_tarif);
    ligne_choix(1, "Réduction :", Label_option, ComboBox3, "ComboBox3", SpeedButton14, "SpeedButton14",
                textes_choix::hint_SpeedButton14, textes_choix::hint_libelle_option);
    grille_c->setColumnStretch(1, 1);
    ComboBox2->setToolTip(qs(textes_choix::hint_liste_tarifs));
    tout->addWidget(zone_choix);
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

    // --- Zone d'information tarifaire ---
    auto* info = new QFrame(this);
    info->setObjectName("zone_information");
    info->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* grille = new QGridLayout(info);
    grille->setContentsMargins(6, 4, 6, 4);
    grille->setHorizontalSpacing(10);
    grille->setVerticalSpacing(2);
    grille->addWidget(etiquette("titre_connexion", "Connexion", info, true), 0, 0);
    grille->addWidget(etiquette("titre_credit", "Crédit Temps", info, true), 0, 1, 1, 2);
    label_pas = etiquette("label_pas", "Tarification à la Seconde", info, true);
    grille->addWidget(label_pas, 0, 3);
    label_connexion = etiquette("label_connexion", {}, info);
    label_credit = etiquette("label_credit", {}, info);
    grille->addWidget(label_connexion, 1, 0);
    grille->addWidget(label_credit, 1, 1, 1, 3);
    grille->addWidget(etiquette("titre_zone", "Zone", info, true), 2, 0);
    grille->addWidget(etiquette("titre_prix", "Prix", info, true), 2, 1, 1, 2);
    titre_total = etiquette("titre_total", "Total", info, true);
    grille->addWidget(titre_total, 2, 3);
    for (int i = 0; i < 3; ++i) {
        auto& r = rangees_tarif[static_cast<std::size_t>(i)];
        r.pastille = pastille(QString("pastille%1").arg(i + 1), info);
        r.par_minute = etiquette(QString("par_minute%1").arg(i + 1), {}, info);
        r.total = etiquette(QString("total%1").arg(i + 1), {}, info);
        grille->addWidget(r.pastille, 3 + i, 0, Qt::AlignHCenter);
        grille->addWidget(r.par_minute, 3 + i, 1, 1, 2);
        grille->addWidget(r.total, 3 + i, 3);
    }
    auto* legende = new QWidget(info);
    legende->setObjectName("legende");
    // Une ligne par pastille : les textes l1 et l2 sont longs.
    auto* rangee_l = new QGridLayout(legende);
    rangee_l->setContentsMargins(0, 2, 0, 2);
    rangee_l->setHorizontalSpacing(6);
    rangee_l->setVerticalSpacing(1);
    legende_pastille1 = pastille("legende_pastille1", legende);
    legende_l1 = etiquette("legende_l1", {}, legende);
    legende_pastille2 = pastille("legende_pastille2", legende);
    legende_l2 = etiquette("legende_l2", {}, legende);
    legende_sans_avantage = etiquette("legende_sans_avantage", qs(texte_sans_avantage_horaire), legende);
    rangee_l->addWidget(legende_pastille1, 0, 0);
    rangee_l->addWidget(legende_l1, 0, 1);
    rangee_l->addWidget(legende_pastille2, 1, 0);
    rangee_l->addWidget(legende_l2, 1, 1);
    rangee_l->addWidget(legende_sans_avantage, 2, 0, 1, 2);
    rangee_l->setColumnStretch(1, 1);
    zone_legende = legende;
    grille->addWidget(legende, 6, 0, 1, 4);
    titre_zones = etiquette("titre_zones", "Zones Tarifaires", info, true);
    grille->addWidget(titre_zones, 7, 0, 1, 3);
    Image14 = new QLabel(info);
    Image14->setObjectName("Image14");
    Image14->setPixmap(icones_->lampe_ferie());
    QSizePolicy retenue_14 = Image14->sizePolicy();
    retenue_14.setRetainSizeWhenHidden(true);
    Image14->setSizePolicy(retenue_14);
    grille->addWidget(Image14, 7, 3, Qt::AlignRight);
    dessin_plages = new ui::DessinPlagesQt(info);
    grille->addWidget(dessin_plages, 8, 0, 1, 4);
    grille->setColumnStretch(3, 1);
    tout->addWidget(info);

    // --- Zone du forfait ---
    zone_forfait = new QFrame(this);
    zone_forfait->setObjectName("zone_forfait");
    static_cast<QFrame*>(zone_forfait)->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* grille_f = new QGridLayout(zone_forfait);
    grille_f->setContentsMargins(6, 4, 6, 4);
    grille_f->setVerticalSpacing(2);
    grille_f->addWidget(etiquette({}, "Temps restant sur le forfait :", zone_forfait), 0, 0);
    label_temps_restant = etiquette("label_temps_restant", {}, zone_forfait, true);
    grille_f->addWidget(label_temps_restant, 0, 1);
    Gauge2 = new ui::JaugeQt("Gauge2", true, zone_forfait);
    Gauge2->setFixedHeight(14);
    grille_f->addWidget(Gauge2, 1, 0, 1, 2);
    grille_f->addWidget(etiquette({}, "Prochain forfait dans", zone_forfait), 2, 0);
    Label10 = etiquette("Label10", {}, zone_forfait);
    grille_f->addWidget(Label10, 2, 1);
    label_decompte = etiquette("label_decompte", {}, zone_forfait);
    grille_f->addWidget(label_decompte, 3, 0, 1, 2);
    grille_f->setColumnStretch(1, 1);
    tout->addWidget(zone_forfait);

    Image6->installEventFilter(this);
}

void TForm1::construire_afficheur(QWidget* parent) {
    Panel5 = new ui::Panneau("Panel5", parent);
    Panel5->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel5->setLineWidth(2);
    auto* grille = new QGridLayout(Panel5);
    grille->setContentsMargins(6, 4, 6, 4);
    grille->setHorizontalSpacing(8);
    grille->setVerticalSpacing(0);

    QFont chiffres = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    chiffres.setPointSize(17);
    chiffres.setBold(true);
    Panel2 = new ui::Panneau("Panel2", Panel5);
    Panel2->setFont(chiffres);
    Panel2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Panel2->setMinimumWidth(QFontMetrics(chiffres).horizontalAdvance("000:00:00") + 4);
    Panel3 = new ui::Panneau("Panel3", Panel5);
    Panel3->setFixedSize(12, 24);
    Panel3->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel4 = new ui::Panneau("Panel4", Panel5);
    Panel4->setFont(chiffres);
    Panel4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Panel4->setMinimumWidth(QFontMetrics(chiffres).horizontalAdvance("0000,000 F") + 4);
    grille->addWidget(Panel2, 0, 0);
    grille->addWidget(Panel3, 0, 1, Qt::AlignCenter);
    grille->addWidget(Panel4, 0, 2);
    grille->setColumnStretch(2, 1);

    QFont rangees = font();
    rangees.setBold(true);
    auto* textes = new QWidget(Panel5);
    textes->setObjectName("rangees");
    auto* pile = new QVBoxLayout(textes);
    pile->setContentsMargins(0, 0, 0, 0);
    pile->setSpacing(0);
    Panel1 = new ui::Panneau("Panel1", textes);
    Panel20 = new ui::Panneau("Panel20", textes);
    for (auto* p : {Panel1, Panel20}) {
        p->setFont(rangees);
        p->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        p->setMinimumHeight(QFontMetrics(rangees).height() + 2);
        pile->addWidget(p);
    }
    textes->setFixedHeight(2 * (QFontMetrics(rangees).height() + 2));
    grille->addWidget(textes, 1, 0, 1, 3);
    Image6 = new QLabel(Panel5);
    Image6->setObjectName("Image6");
    Image6->setFixedSize(16, 16);
    Image6->setCursor(Qt::PointingHandCursor);
    grille->addWidget(Image6, 1, 2, Qt::AlignRight | Qt::AlignTop);
    Gauge1 = new ui::JaugeQt("Gauge1", false, Panel5);
    Gauge1->setFixedHeight(4);
    Gauge1->definir_couleurs(0x202020, couleur_vert_lime);
    QSizePolicy p = Gauge1->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    Gauge1->setSizePolicy(p);
    grille->addWidget(Gauge1, 2, 0, 1, 3);

    // Afficheur noir, chiffres verts : les couleurs de Couleur.ini peuvent les changer ensuite.
    for (auto* panneau : {Panel5, Panel2, Panel4, Panel1, Panel20}) {
        panneau->definir_fond(couleur_noir);
        panneau->definir_police(couleur_vert_lime);
    }
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
}

void TForm1::construire_menus() {
    const auto action = [this](QMenu* menu, const QString& nom, std::string_view texte_action,
                               std::function<void()> faire, bool cochable = false) {
        auto* a = menu->addAction(qs(texte_action));
        a->setObjectName(nom);
        a->setCheckable(cochable);
        connect(a, &QAction::triggered, this, [faire = std::move(faire)] { faire(); });
        return a;
    };

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName("PopupMenu2");
    Historique1 =
        action(PopupMenu2, "Historique1", textes_menu::Historique1, [this] { demander_historique(); });
    Options1 = action(PopupMenu2, "Options1", textes_menu::Options1, [this] { demander_options(0); });
    PopupMenu2->addSeparator();
    Seconnecter1_sous_menu = new QMenu(PopupMenu2);
    Seconnecter1_sous_menu->setObjectName("Seconnecter1_sous_menu");
    Seconnecter1 = action(PopupMenu2, "Seconnecter1", textes_menu::se_connecter_points, [this] {
        commandes_->Seconnecter1Click();
        apres_evenement();
    });
    Seconnecter1->setEnabled(false);
    Sedeconnecter1 =
        action(PopupMenu2, "Sedeconnecter1", textes_menu::Sedeconnecter1, [this] { SpeedButton3Click(); });
    Programmation1 = action(PopupMenu2, "Programmation1", textes_menu::Programmation1,
                            [this] { demander_programmation(); });
    PopupMenu2->addSeparator();
    Email1 = action(PopupMenu2, "Email1", textes_menu::Email1,
                    [this] { ouvrir_url(qs(textes_fenetre::adresse_courrier)); });
    Web1 = action(PopupMenu2, "Web1", textes_menu::Web1,
                  [this] { ouvrir_url(qs(textes_fenetre::adresse_web)); });
    Aide1 = action(PopupMenu2, "Aide1", textes_menu::Aide1, [this] { SpeedButton6Click(); });
    PopupMenu2->addSeparator();
    reduir = action(PopupMenu2, "reduir", textes_menu::reduir, [this] { cacher(); });
    restaurer = action(PopupMenu2, "restaurer", textes_menu::restaurer, [this] { montrer(); });
    PopupMenu2->addSeparator();
    Fermer1 = action(PopupMenu2, "Fermer1", textes_menu::Fermer1, [this] { close(); });
    connect(PopupMenu2, &QMenu::aboutToShow, this, [this] { PopupMenu2Popup(); });

    PopupMenu6 = new QMenu(this);
    PopupMenu6->setObjectName("PopupMenu6");
    connect(PopupMenu6, &QMenu::aboutToShow, this, [this] {
        commandes_->PopupMenu6Popup();
        appliquer_menus();
    });

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    ttcpopup = action(
        PopupMenu1, "ttcpopup", textes_menu::ttcpopup,
        [this] {
            commandes_->ttcpopupClick();
            apres_evenement();
        },
        true);
    htpopup = action(
        PopupMenu1, "htpopup", textes_menu::htpopup,
        [this] {
            commandes_->htpopupClick();
            apres_evenement();
        },
        true);
    PopupMenu1->addSeparator();
    deuxdeci = action(
        PopupMenu1, "deuxdeci", textes_menu::deuxdeci,
        [this] {
            commandes_->deuxdeciClick();
            apres_evenement();
        },
        true);
    troisdeci = action(
        PopupMenu1, "troisdeci", textes_menu::troisdeci,
        [this] {
            commandes_->troisdeciClick();
            apres_evenement();
        },
        true);

    PopupMenu3 = new QMenu(this);
    PopupMenu3->setObjectName("PopupMenu3");
    Duree1 = action(
        PopupMenu3, "Duree1", textes_menu::Duree1,
        [this] {
            commandes_->Duree1Click();
            apres_evenement();
        },
        true);
    Heure1 = action(
        PopupMenu3, "Heure1", textes_menu::Heure1,
        [this] {
            commandes_->Heure1Click();
            apres_evenement();
        },
        true);

    PopupMenu4 = new QMenu(this);
    PopupMenu4->setObjectName("PopupMenu4");
    Utilisateurs1 =
        action(PopupMenu4, "Utilisateurs1", textes_menu::Utilisateurs1, [this] { demander_options(1); });
}

void TForm1::construire_minuteries() {
    const auto minuterie = [this](const char* nom) {
        auto* t = new QTimer(this);
        t->setObjectName(nom);
        return t;
    };
    Timer1 = minuterie("Timer1");
    Timer2 = minuterie("Timer2");
    Timer4 = minuterie("Timer4");
    Timer5 = minuterie("Timer5");
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
    appliquer_bouton(SpeedButton1, f.SpeedButton1);
    appliquer_bouton(SpeedButton2, f.SpeedButton2);
    appliquer_bouton(SpeedButton3, f.SpeedButton3);
    appliquer_bouton(SpeedButton4, f.SpeedButton4);
    appliquer_bouton(SpeedButton11, f.SpeedButton11);
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

    if (zone_appliquee_ != f.zone_tarif) {
        zone_appliquee_ = f.zone_tarif;
        rafraichir_zone_tarif();
    }

    appliquer_menus();
    appliquer_visibilite();
    montrer_avis_en_attente();
}

void TForm1::rafraichir_afficheur() {
    const auto& f = compteur_.fenetre();
    texte(Panel2, f.Panel2);
    bulle(Panel2, f.Panel2_hint);
    Panel3->definir_fond(f.Panel3_couleur);
    texte(Panel4, f.Panel4);
    bulle(Panel4, f.Panel4_hint);
    texte(Panel1, f.Panel1.texte);
    Panel1->definir_police(f.Panel1.couleur_police);
    visible(Panel1, f.Panel1.visible);
    texte(Panel20, f.Panel20.texte);
    Panel20->definir_police(f.Panel20.couleur_police);
    // La première rangée en haut quand la seconde a du texte, centrée sinon.
    visible(Panel20, f.Panel1_en_haut);
    visible(Gauge1, f.Gauge1.visible);
    Gauge1->definir(f.Gauge1);
    visible(Image6, f.Image6_visible);
    const bool image6 = commandes_->Image6_image();
    if (image6 != image6_applique_) {
        image6_applique_ = image6;
        Image6->setPixmap(image6 ? icones_->programmation() : QPixmap());
    }
    // Titre et icône.
    if (titre_applique_ != f.titre_application) {
        titre_applique_ = f.titre_application;
        setWindowTitle(qs(f.titre_application));
    }
    appliquer_icone();
}

void TForm1::rafraichir_zone_tarif() {
    const auto& z = compteur_.fenetre().zone_tarif;
    texte(label_connexion, z.connexion);
    texte(label_credit, z.credit_temps);
    if (!z.pas.empty()) texte(label_pas, z.pas);
    bool totaux = false;
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& l = z.lignes[i];
        auto& r = rangees_tarif[i];
        visible(r.pastille, l.visible);
        visible(r.par_minute, l.visible);
        visible(r.total, l.visible && l.total_visible);
        colorer(r.pastille, l.couleur);
        texte(r.par_minute, l.par_minute);
        texte(r.total, l.total);
        totaux = totaux || (l.visible && l.total_visible);
    }
    visible(titre_total, totaux);
    visible(zone_legende, z.legende.visible);
    visible(legende_pastille1, z.legende.pastilles_visibles);
    visible(legende_pastille2, z.legende.pastilles_visibles);
    visible(legende_l1, z.legende.pastilles_visibles);
    visible(legende_l2, z.legende.pastilles_visibles);
    visible(legende_sans_avantage, z.legende.sans_avantage_visible);
    colorer(legende_pastille1, z.legende.couleur1);
    colorer(legende_pastille2, z.legende.couleur2);
    texte(legende_l1, z.legende.l1);
    texte(legende_l2, z.legende.l2);
    visible(titre_zones, z.titre_zones_tarifaires_visible);
    dessin_plages->definir(z.dessin);

    visible(zone_forfait, z.forfait.visible);
    Gauge2->definir(z.forfait.Gauge2);
    texte(label_temps_restant, z.forfait.temps_restant);
    texte(Label10, z.forfait.Label10);
    texte(label_decompte, z.forfait.texte_decompte);
}

void TForm1::appliquer_menus() {
    const auto& m = commandes_->menus();
    const auto& f = compteur_.fenetre();
    if (menus_appliques_ && *menus_appliques_ == m && reduir->isVisible() == f.menu_reduir_visible &&
        restaurer->isVisible() == f.menu_restaurer_visible) {
        return;
    }
    menus_appliques_ = m;
    appliquer_element(Seconnecter1, m.Seconnecter1);
    appliquer_element(Sedeconnecter1, m.Sedeconnecter1);
    appliquer_element(Programmation1, m.Programmation1);
    appliquer_element(ttcpopup, m.ttcpopup);
    appliquer_element(htpopup, m.htpopup);
    appliquer_element(deuxdeci, m.deuxdeci);
    appliquer_element(troisdeci, m.troisdeci);
    appliquer_element(Duree1, m.Duree1);
    appliquer_element(Heure1, m.Heure1);
    reduir->setVisible(f.menu_reduir_visible);
    restaurer->setVisible(f.menu_restaurer_visible);

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
    QTimer::singleShot(reussie ? CommandesFenetre::pause_raccrochage_ms : CommandesFenetre::pause_echec_ms,
                       this, [this, reussie] { deconnexion_terminee(reussie); });
}

void TForm1::deconnexion_terminee(bool reussie) {
    splash_->hide();
    deconnexion_en_cours_ = false;
    if (!reussie) dialogue_.information(textes_fenetre::echec_deconnexion);
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

void TForm1::demander_fenetre(bool connecte, const char* nom, const std::function<void()>& emettre) {
    if (!connecte) {
        dialogue_.information(std::string("La fenêtre « ") + nom + " » n'est pas encore disponible.");
        return;
    }
    emettre();
    // La fenêtre fermée, la fenêtre principale est repeinte.
    utilisateurs_->relire();
    apres_evenement();
}

void TForm1::demander_options(int page) {
    demander_fenetre(isSignalConnected(QMetaMethod::fromSignal(&TForm1::options_demandees)),
                     "Options et configuration", [this, page] { emit options_demandees(page); });
}

void TForm1::demander_historique() {
    demander_fenetre(isSignalConnected(QMetaMethod::fromSignal(&TForm1::historique_demande)),
                     "Historique des connexions", [this] { emit historique_demande(); });
}

void TForm1::demander_programmation() {
    demander_fenetre(isSignalConnected(QMetaMethod::fromSignal(&TForm1::programmation_demandee)),
                     "Module de programmation", [this] { emit programmation_demandee(); });
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
    premiere_timer2_ = true;
    synchroniser_minuteries();
}

void TForm1::hideEvent(QHideEvent* evenement) {
    QWidget::hideEvent(evenement);
    premiere_timer2_ = true;
    synchroniser_minuteries();
}

bool TForm1::eventFilter(QObject* objet, QEvent* evenement) {
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
