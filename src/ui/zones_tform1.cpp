#include "ui/zones_tform1.hpp"

#include <QAction>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>
#include <algorithm>

#include <QMouseEvent>

#include "core/commandes_fenetre.hpp"
#include "core/couleurs.hpp"
#include "tariff/choix_option.hpp"
#include "ui/appliquer_modele.hpp"
#include "ui/controles.hpp"
#include "ui/icones.hpp"

namespace lumi::ui {

namespace {

void appliquer_element(QAction* a, const ElementMenu& e) {
    const QString t = qs(e.caption);
    if (a->text() != t) a->setText(t);
    a->setVisible(e.visible);
    a->setEnabled(e.enabled);
    a->setChecked(e.checked);
}

void garder_place(QWidget* w) {
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
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
    const QColor c = couleur ? couleur_qt(*couleur) : l->parentWidget()->palette().color(QPalette::Window);
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

// Une étiquette dont le texte vient des tarifs ou des utilisateurs : coupée plutôt que d'élargir la
// fenêtre.
EtiquetteElidee* etiquette_coupee(const QString& nom, QWidget* parent, bool gras = false) {
    auto* l = new EtiquetteElidee(nom, parent);
    if (gras) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    return l;
}

// Un clic gauche sur une image ou une étiquette, qui n'ont pas de signal à elles.
bool clic_gauche(QEvent* evenement) {
    return evenement->type() == QEvent::MouseButtonPress &&
           static_cast<QMouseEvent*>(evenement)->button() == Qt::LeftButton;
}

// Le fond des sélecteurs et de leurs libellés.
void fond_selecteur(QWidget* w, const CouleursFenetre& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, couleur_qt(c.fond_combobox));
    p.setColor(QPalette::Base, couleur_qt(c.fond_combobox));
    w->setPalette(p);
}

void couleurs_liste(ListeDessinee* liste, const CouleursFenetre& c) {
    auto& style = liste->style_lignes();
    style.fond = couleur_qt(c.fond_combobox);
    style.texte = couleur_qt(c.texte_combobox);
    style.texte_actif = couleur_qt(c.texte_actif_combobox);
}

QFrame* enfoncee(QFrame* zone, const char* nom) {
    zone->setObjectName(nom);
    zone->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    return zone;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// L'afficheur

ZoneAfficheur::ZoneAfficheur(IconesLumi& icones, QWidget* parent) : QWidget(parent) {
    setObjectName("zone_afficheur");
    auto* dedans = new QVBoxLayout(this);
    dedans->setContentsMargins(0, 0, 0, 0);
    Panel6 = new Panneau("Panel6", this);
    Panel6->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel6->setLineWidth(2);
    dedans->addWidget(Panel6);
    grille_cadre_ = new QGridLayout(Panel6);
    grille_cadre_->setContentsMargins(4, 4, 4, 4);
    grille_cadre_->setSpacing(4);

    Panel5 = new Panneau("Panel5", Panel6);
    Panel5->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel5->setLineWidth(2);
    grille_afficheur_ = new QGridLayout(Panel5);
    grille_afficheur_->setContentsMargins(6, 4, 6, 4);
    grille_afficheur_->setHorizontalSpacing(8);
    grille_afficheur_->setVerticalSpacing(0);

    QFont chiffres = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    chiffres.setPointSize(17);
    chiffres.setBold(true);
    Panel2 = new Panneau("Panel2", Panel5);
    Panel2->setFont(chiffres);
    Panel2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Panel2->setMinimumWidth(QFontMetrics(chiffres).horizontalAdvance("000:00:00") + 4);
    Panel3 = new Panneau("Panel3", Panel5);
    Panel3->setFixedSize(12, 24);
    Panel3->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel4 = new Panneau("Panel4", Panel5);
    Panel4->setFont(chiffres);
    Panel4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Panel4->setMinimumWidth(QFontMetrics(chiffres).horizontalAdvance("0000,000 F") + 4);
    grille_afficheur_->addWidget(Panel2, 0, 0);
    grille_afficheur_->addWidget(Panel3, 0, 1, Qt::AlignCenter);
    grille_afficheur_->addWidget(Panel4, 0, 2);

    QFont police_rangees = font();
    police_rangees.setBold(true);
    hauteur_rangee_ = QFontMetrics(police_rangees).height() + 2;
    rangees_ = new QWidget(Panel5);
    rangees_->setObjectName("rangees");
    auto* pile = new QVBoxLayout(rangees_);
    pile->setContentsMargins(0, 0, 0, 0);
    pile->setSpacing(0);
    Panel1 = new Panneau("Panel1", rangees_);
    Panel20 = new Panneau("Panel20", rangees_);
    for (auto* p : {Panel1, Panel20}) {
        p->setFont(police_rangees);
        p->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        p->setMinimumHeight(hauteur_rangee_);
        pile->addWidget(p);
    }
    Image6 = new QLabel(Panel5);
    Image6->setObjectName("Image6");
    Image6->setFixedSize(16, 16);
    Image6->setCursor(Qt::PointingHandCursor);
    Image6->installEventFilter(this);
    Gauge1 = new JaugeQt("Gauge1", false, Panel5);
    Gauge1->setFixedHeight(4);
    Gauge1->definir_couleurs(0x202020, couleur_vert_lime);
    garder_place(Gauge1);

    // Afficheur noir, chiffres verts : les couleurs de Couleur.ini peuvent les changer ensuite.
    for (auto* panneau : {Panel5, Panel2, Panel4, Panel1, Panel20}) {
        panneau->definir_fond(couleur_noir);
        panneau->definir_police(couleur_vert_lime);
    }

    SpeedButton8 = new BoutonRapide("SpeedButton8", icones.notification, {},
                                    qs(textes_fenetre::hint_SpeedButton8), Panel6);
    SpeedButton10 =
        new BoutonRapide("SpeedButton10", icones.taille, {}, qs(textes_modes::hint_normal), Panel6);
    disposer(ModeAffichage::normal, 0);
}

void ZoneAfficheur::disposer(ModeAffichage mode, int largeur_barre) {
    const bool barre = mode == ModeAffichage::barre;
    for (QWidget* w : {static_cast<QWidget*>(Panel5), static_cast<QWidget*>(SpeedButton8),
                       static_cast<QWidget*>(SpeedButton10)}) {
        grille_cadre_->removeWidget(w);
    }
    for (QWidget* w : {rangees_, static_cast<QWidget*>(Image6), static_cast<QWidget*>(Gauge1)}) {
        grille_afficheur_->removeWidget(w);
    }
    grille_cadre_->setRowStretch(2, 0);
    if (barre) {
        // Une ligne : les chiffres, puis la rangée (deux lignes côte à côte), la jauge dessous.
        grille_cadre_->addWidget(Panel5, 0, 0);
        grille_cadre_->addWidget(SpeedButton8, 0, 1, Qt::AlignVCenter);
        grille_cadre_->addWidget(SpeedButton10, 0, 2, Qt::AlignVCenter);
        grille_afficheur_->addWidget(rangees_, 0, 3, Qt::AlignVCenter);
        grille_afficheur_->addWidget(Image6, 0, 4, Qt::AlignVCenter);
        grille_afficheur_->addWidget(Gauge1, 1, 3, 1, 2);
        grille_afficheur_->setColumnStretch(2, 0);
        grille_afficheur_->setColumnStretch(3, 1);
        rangees_->setFixedHeight(hauteur_rangee_);
        Panel20->hide();
        Panel6->setFixedWidth(largeur_barre);
    } else {
        grille_cadre_->addWidget(Panel5, 0, 0, 3, 1);
        grille_cadre_->addWidget(SpeedButton8, 0, 1);
        grille_cadre_->addWidget(SpeedButton10, 1, 1);
        grille_cadre_->setRowStretch(2, 1);
        grille_afficheur_->addWidget(rangees_, 1, 0, 1, 3);
        grille_afficheur_->addWidget(Image6, 1, 2, Qt::AlignRight | Qt::AlignTop);
        grille_afficheur_->addWidget(Gauge1, 2, 0, 1, 3);
        grille_afficheur_->setColumnStretch(2, 1);
        grille_afficheur_->setColumnStretch(3, 0);
        rangees_->setFixedHeight(2 * hauteur_rangee_);
        Panel6->setMinimumWidth(0);
        Panel6->setMaximumWidth(QWIDGETSIZE_MAX);
    }
    barre_ = barre;
}

void ZoneAfficheur::appliquer(const ModeleTForm1& f, bool image6, const QPixmap& image_programmation) {
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
    // La première rangée en haut quand la seconde a du texte, centrée sinon ; la barre n'en a qu'une.
    visible(Panel20, f.Panel1_en_haut && !barre_);
    visible(Gauge1, f.Gauge1.visible);
    Gauge1->definir(f.Gauge1);
    visible(Image6, f.Image6_visible);
    if (image6 != image6_applique_) {
        image6_applique_ = image6;
        Image6->setPixmap(image6 ? image_programmation : QPixmap());
    }
}

bool ZoneAfficheur::eventFilter(QObject* objet, QEvent* evenement) {
    if (objet == Image6 && clic_gauche(evenement)) {
        emit Image6_clique();
        return true;
    }
    return QWidget::eventFilter(objet, evenement);
}

// ---------------------------------------------------------------------------------------------
// Les boutons

ZoneBoutons::ZoneBoutons(IconesLumi& icones, const ModeleTForm1& f, QWidget* parent) : QWidget(parent) {
    setObjectName("zone_boutons");
    auto* boutons = new QHBoxLayout(this);
    boutons->setContentsMargins(0, 0, 0, 0);
    boutons->setSpacing(2);
    SpeedButton2 = new BoutonRapide("SpeedButton2", icones.connecter, {}, qs(f.SpeedButton2.hint), this);
    SpeedButton3 = new BoutonRapide("SpeedButton3", icones.deconnecter, {}, qs(f.SpeedButton3.hint), this);
    SpeedButton1 = new BoutonRapide("SpeedButton1", icones.demarrer, {}, qs(f.SpeedButton1.hint), this);
    SpeedButton4 = new BoutonRapide("SpeedButton4", icones.arreter, {}, qs(f.SpeedButton4.hint), this);
    SpeedButton11 =
        new BoutonRapide("SpeedButton11", icones.module_programmation, {}, qs(f.SpeedButton11.hint), this);
    SpeedButton5 = new BoutonRapide("SpeedButton5", icones.options, "&Options",
                                    qs(textes_fenetre::hint_SpeedButton5), this);
    SpeedButton7 = new BoutonRapide("SpeedButton7", icones.historique, "&Historique",
                                    qs(textes_fenetre::hint_SpeedButton7), this);
    SpeedButton6 =
        new BoutonRapide("SpeedButton6", icones.aide, "&Aide", qs(textes_fenetre::hint_SpeedButton6), this);
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
}

void ZoneBoutons::appliquer(const ModeleTForm1& f) {
    appliquer_bouton(SpeedButton1, f.SpeedButton1);
    appliquer_bouton(SpeedButton2, f.SpeedButton2);
    appliquer_bouton(SpeedButton3, f.SpeedButton3);
    appliquer_bouton(SpeedButton4, f.SpeedButton4);
    appliquer_bouton(SpeedButton11, f.SpeedButton11);
}

// ---------------------------------------------------------------------------------------------
// L'utilisateur

ZoneUtilisateur::ZoneUtilisateur(IconesLumi& icones, QWidget* parent) : QFrame(parent) {
    enfoncee(this, "zone_utilisateur");
    auto* rangee = new QHBoxLayout(this);
    rangee->setContentsMargins(2, 2, 2, 2);
    rangee->setSpacing(4);
    Panel33 = new Panneau("Panel33", this);
    Panel33->setText(qs(textes_fenetre::Panel33));
    Panel33->updateGeometry();
    Panel33->definir_glissement(false);
    rangee->addWidget(Panel33);
    auto* hote = new QWidget(this);
    auto* pile = new QGridLayout(hote);
    pile->setContentsMargins(0, 0, 0, 0);
    ComboBox1 = new ListeDessinee("ComboBox1", hote);
    ComboBox1->setFocusPolicy(Qt::ClickFocus);
    Label6 = etiquette_coupee("Label6", hote, true);
    Label6->setAutoFillBackground(true);
    Label6->setContentsMargins(4, 0, 4, 0);
    pile->addWidget(ComboBox1, 0, 0);
    pile->addWidget(Label6, 0, 0);
    Label6->raise();
    rangee->addWidget(hote, 1);
    Image12 = new QLabel(this);
    Image12->setObjectName("Image12");
    Image12->setPixmap(icones.cadenas());
    Image12->setCursor(Qt::PointingHandCursor);
    garder_place(Image12);
    rangee->addWidget(Image12);
    SpeedButton17 = new BoutonRapide("SpeedButton17", icones.deroulant, {}, {}, this);
    rangee->addWidget(SpeedButton17);
    setContextMenuPolicy(Qt::CustomContextMenu);
    Label6->installEventFilter(this);
    Image12->installEventFilter(this);
}

void ZoneUtilisateur::appliquer(const ListeUtilisateurs& utilisateurs) {
    texte(Label6, utilisateurs.Label6());
    visible(Image12, utilisateurs.Image12_visible());
    auto lignes = utilisateurs.lignes();
    if (lignes == lignes_ComboBox1_) return;
    QStringList noms;
    QList<bool> cadenas;
    for (const auto& l : lignes) {
        noms << qs(l.nom);
        cadenas << l.protege;
    }
    ComboBox1->definir_lignes(noms, cadenas, utilisateurs.position());
    lignes_ComboBox1_ = std::move(lignes);
}

void ZoneUtilisateur::appliquer_couleurs(const CouleursFenetre& c, const IconesLumi& icones) {
    couleurs_liste(ComboBox1, c);
    ComboBox1->style_lignes().marge = 25;
    ComboBox1->style_lignes().marque = &icones.marque_choix();
    ComboBox1->style_lignes().cadenas = &icones.cadenas();
    fond_selecteur(ComboBox1, c);
    fond_selecteur(Label6, c);
}

bool ZoneUtilisateur::eventFilter(QObject* objet, QEvent* evenement) {
    if (clic_gauche(evenement)) {
        if (objet == Label6) {
            emit Label6_clique();
            return true;
        }
        if (objet == Image12) {
            emit Image12_clique();
            return true;
        }
    }
    return QFrame::eventFilter(objet, evenement);
}

// ---------------------------------------------------------------------------------------------
// Le tarif et l'option

ZoneChoix::ZoneChoix(IconesLumi& icones, QWidget* parent) : QFrame(parent) {
    enfoncee(this, "zone_choix");
    auto* grille = new QGridLayout(this);
    grille->setContentsMargins(4, 2, 2, 2);
    grille->setHorizontalSpacing(4);
    grille->setVerticalSpacing(1);
    const auto ligne = [&](int rang, const QString& titre, EtiquetteElidee*& libelle,
                           const QString& nom_libelle, ListeDessinee*& liste, const QString& nom_liste,
                           BoutonRapide*& bouton, const QString& nom_bouton, std::string_view hint_bouton,
                           std::string_view hint_libelle) {
        grille->addWidget(etiquette({}, titre, this), rang, 0);
        auto* hote = new QWidget(this);
        auto* pile = new QGridLayout(hote);
        pile->setContentsMargins(0, 0, 0, 0);
        liste = new ListeDessinee(nom_liste, hote);
        libelle = etiquette_coupee(nom_libelle, hote, true);
        libelle->setAutoFillBackground(true);
        libelle->definir_bulle(qs(hint_libelle));
        // La largeur conçue : le libellé de l'option par défaut y tient en entier (deux blancs compris).
        const int largeur =
            QFontMetrics(libelle->font()).horizontalAdvance(qs(textes_choix::aucune_option) + "  ");
        libelle->setMinimumWidth(std::max(250, largeur + 4));
        pile->addWidget(liste, 0, 0);
        pile->addWidget(libelle, 0, 0);
        libelle->raise();
        grille->addWidget(hote, rang, 1);
        bouton = new BoutonRapide(nom_bouton, icones.deroulant, {}, qs(hint_bouton), this);
        garder_place(bouton);
        grille->addWidget(bouton, rang, 2);
    };
    ligne(0, "Tarification :", Label_tarif, "Label_tarif", ComboBox2, "ComboBox2", SpeedButton15,
          "SpeedButton15", textes_choix::hint_SpeedButton15, textes_choix::hint_libelle_tarif);
    ligne(1, "Réduction :", Label_option, "Label_option", ComboBox3, "ComboBox3", SpeedButton14,
          "SpeedButton14", textes_choix::hint_SpeedButton14, textes_choix::hint_libelle_option);
    grille->setColumnStretch(1, 1);
    ComboBox2->setToolTip(qs(textes_choix::hint_liste_tarifs));
}

void ZoneChoix::appliquer(const ChoixTarifaire& choix, const ModeleTForm1& f) {
    appliquer_bouton(SpeedButton14, f.SpeedButton14);
    appliquer_bouton(SpeedButton15, f.SpeedButton15);
    texte(Label_tarif, choix.libelle_tarif);
    texte(Label_option, choix.libelle_option);
    const auto liste = [](ListeDessinee* l, const ListeDeroulante& modele, std::vector<std::string>& vues) {
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
}

void ZoneChoix::appliquer_couleurs(const CouleursFenetre& c, const IconesLumi& icones) {
    for (auto* liste : {ComboBox2, ComboBox3}) {
        couleurs_liste(liste, c);
        liste->style_lignes().marge = 20;
        liste->style_lignes().marque = &icones.marque_tarif();
    }
    for (QWidget* w : {static_cast<QWidget*>(ComboBox2), static_cast<QWidget*>(Label_tarif),
                       static_cast<QWidget*>(Label_option)}) {
        fond_selecteur(w, c);
    }
}

// ---------------------------------------------------------------------------------------------
// L'information tarifaire

ZoneInformation::ZoneInformation(IconesLumi& icones, QWidget* parent) : QFrame(parent) {
    enfoncee(this, "zone_information");
    auto* grille = new QGridLayout(this);
    grille->setContentsMargins(6, 4, 6, 4);
    grille->setHorizontalSpacing(10);
    grille->setVerticalSpacing(2);
    grille->addWidget(etiquette("titre_connexion", "Connexion", this, true), 0, 0);
    grille->addWidget(etiquette("titre_credit", "Crédit Temps", this, true), 0, 1, 1, 2);
    label_pas = etiquette_coupee("label_pas", this, true);
    label_pas->setText("Tarification à la Seconde");
    grille->addWidget(label_pas, 0, 3);
    label_connexion = etiquette_coupee("label_connexion", this);
    label_credit = etiquette_coupee("label_credit", this);
    grille->addWidget(label_connexion, 1, 0);
    grille->addWidget(label_credit, 1, 1, 1, 3);
    grille->addWidget(etiquette("titre_zone", "Zone", this, true), 2, 0);
    grille->addWidget(etiquette("titre_prix", "Prix", this, true), 2, 1, 1, 2);
    Panel13 = etiquette("Panel13", qs(textes_fenetre::total_ttc), this, true);
    grille->addWidget(Panel13, 2, 3);
    for (int i = 0; i < 3; ++i) {
        auto& r = rangees_tarif[static_cast<std::size_t>(i)];
        r.pastille = pastille(QString("pastille%1").arg(i + 1), this);
        r.par_minute = etiquette(QString("par_minute%1").arg(i + 1), {}, this);
        r.total = etiquette(QString("total%1").arg(i + 1), {}, this);
        grille->addWidget(r.pastille, 3 + i, 0, Qt::AlignHCenter);
        grille->addWidget(r.par_minute, 3 + i, 1, 1, 2);
        grille->addWidget(r.total, 3 + i, 3);
    }
    auto* legende = new QWidget(this);
    legende->setObjectName("legende");
    // Une ligne par pastille : les textes l1 et l2 sont longs.
    auto* rangee_l = new QGridLayout(legende);
    rangee_l->setContentsMargins(0, 2, 0, 2);
    rangee_l->setHorizontalSpacing(6);
    rangee_l->setVerticalSpacing(1);
    legende_pastille1 = pastille("legende_pastille1", legende);
    legende_l1 = etiquette_coupee("legende_l1", legende);
    legende_pastille2 = pastille("legende_pastille2", legende);
    legende_l2 = etiquette_coupee("legende_l2", legende);
    // Les textes l1 et l2 des tarifs tiennent souvent sur une ligne et demie : ils vont à la ligne
    // plutôt que d'être coupés.
    for (auto* l : {legende_l1, legende_l2}) l->definir_lignes_max(2);
    legende_sans_avantage = etiquette("legende_sans_avantage", qs(texte_sans_avantage_horaire), legende);
    rangee_l->addWidget(legende_pastille1, 0, 0, Qt::AlignTop);
    rangee_l->addWidget(legende_l1, 0, 1);
    rangee_l->addWidget(legende_pastille2, 1, 0, Qt::AlignTop);
    rangee_l->addWidget(legende_l2, 1, 1);
    rangee_l->addWidget(legende_sans_avantage, 2, 0, 1, 2);
    rangee_l->setColumnStretch(1, 1);
    zone_legende = legende;
    grille->addWidget(legende, 6, 0, 1, 4);
    titre_zones = etiquette("titre_zones", "Zones Tarifaires", this, true);
    grille->addWidget(titre_zones, 7, 0, 1, 3);
    Image14 = new QLabel(this);
    Image14->setObjectName("Image14");
    Image14->setPixmap(icones.lampe_ferie());
    garder_place(Image14);
    grille->addWidget(Image14, 7, 3, Qt::AlignRight);
    dessin_plages = new DessinPlagesQt(this);
    grille->addWidget(dessin_plages, 8, 0, 1, 4);
    grille->setColumnStretch(3, 1);
}

void ZoneInformation::appliquer(const ModeleTForm1& f, const std::string& libelle_total) {
    visible(Image14, f.Image14_visible);
    bulle(Image14, f.Image14_hint);
    texte(Panel13, libelle_total);
    if (applique_ == f.zone_tarif) return;
    applique_ = f.zone_tarif;
    const ZoneInformationTarif& z = f.zone_tarif;
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
    visible(Panel13, totaux);
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
}

// ---------------------------------------------------------------------------------------------
// Le forfait

ZoneDuForfait::ZoneDuForfait(QWidget* parent) : QFrame(parent) {
    enfoncee(this, "zone_forfait");
    auto* grille = new QGridLayout(this);
    grille->setContentsMargins(6, 4, 6, 4);
    grille->setVerticalSpacing(2);
    grille->addWidget(etiquette({}, "Temps restant sur le forfait :", this), 0, 0);
    label_temps_restant = etiquette_coupee("label_temps_restant", this, true);
    grille->addWidget(label_temps_restant, 0, 1);
    Gauge2 = new JaugeQt("Gauge2", true, this);
    Gauge2->setFixedHeight(14);
    grille->addWidget(Gauge2, 1, 0, 1, 2);
    // La remise à zéro dit elle-même « dans 12 jours, le … » ou « Réinitialisation manuelle » : le
    // titre n'en répète rien, et la date prend toute la largeur de la zone.
    auto* prochain = new QHBoxLayout;
    prochain->setSpacing(4);
    prochain->addWidget(etiquette("titre_prochain_forfait", "Prochain forfait :", this));
    Label10 = etiquette_coupee("Label10", this);
    prochain->addWidget(Label10, 1);
    grille->addLayout(prochain, 2, 0, 1, 2);
    label_decompte = etiquette_coupee("label_decompte", this);
    grille->addWidget(label_decompte, 3, 0, 1, 2);
    grille->setColumnStretch(1, 1);
}

void ZoneDuForfait::appliquer(const ZoneForfait& z) {
    if (applique_ == z) return;
    applique_ = z;
    Gauge2->definir(z.Gauge2);
    texte(label_temps_restant, z.temps_restant);
    texte(Label10, z.Label10);
    texte(label_decompte, z.texte_decompte);
}

// ---------------------------------------------------------------------------------------------
// Les menus

MenusTForm1::MenusTForm1(QWidget* parent) : parent_(parent) {
    const auto menu = [parent](const char* nom) {
        auto* m = new QMenu(parent);
        m->setObjectName(nom);
        return m;
    };
    PopupMenu2 = menu("PopupMenu2");
    Seconnecter1_sous_menu = new QMenu(PopupMenu2);
    Seconnecter1_sous_menu->setObjectName("Seconnecter1_sous_menu");
    // L'élément éteint du courrier dit pourquoi dans son info-bulle.
    PopupMenu2->setToolTipsVisible(true);
    PopupMenu6 = menu("PopupMenu6");
    PopupMenu1 = menu("PopupMenu1");
    PopupMenu3 = menu("PopupMenu3");
    PopupMenu4 = menu("PopupMenu4");
    PopupMenu5 = menu("PopupMenu5");
}

void MenusTForm1::ajouter(QMenu* menu, std::initializer_list<Ligne> lignes) {
    for (const Ligne& l : lignes) {
        if ((l.forme & separe) != 0) menu->addSeparator();
        auto* a = menu->addAction(qs(l.legende));
        a->setObjectName(l.nom);
        a->setCheckable((l.forme & cochable) != 0);
        this->*l.action = a;
        if (l.faire) QObject::connect(a, &QAction::triggered, parent_, [faire = l.faire] { faire(); });
    }
}

void MenusTForm1::appliquer(const ModeleMenus& m, const ModelePopupMenu5& m5, bool reduir_visible,
                            bool restaurer_visible) {
    if (applique_ == m && applique5_ == m5 && reduir->isVisible() == reduir_visible &&
        restaurer->isVisible() == restaurer_visible) {
        return;
    }
    applique_ = m;
    applique5_ = m5;
    appliquer_element(Seconnecter1, m.Seconnecter1);
    appliquer_element(Sedeconnecter1, m.Sedeconnecter1);
    appliquer_element(Programmation1, m.Programmation1);
    appliquer_element(Email1, m.Email1);
    if (Email1->toolTip() != qs(m.hint_Email1)) Email1->setToolTip(qs(m.hint_Email1));
    appliquer_element(ttcpopup, m.ttcpopup);
    appliquer_element(htpopup, m.htpopup);
    appliquer_element(deuxdeci, m.deuxdeci);
    appliquer_element(troisdeci, m.troisdeci);
    appliquer_element(Duree1, m.Duree1);
    appliquer_element(Heure1, m.Heure1);
    appliquer_element(afficheur, m5.afficheur);
    appliquer_element(barre, m5.barre);
    appliquer_element(Taillenormale, m5.Taillenormale);
    reduir->setVisible(reduir_visible);
    restaurer->setVisible(restaurer_visible);
    remplir_annuaire(Seconnecter1_sous_menu, m.sous_menu_Seconnecter1);
    remplir_annuaire(PopupMenu6, m.PopupMenu6);
    QMenu* sous_menu = m.sous_menu_Seconnecter1.empty() ? nullptr : Seconnecter1_sous_menu;
    if (Seconnecter1->menu() != sous_menu) Seconnecter1->setMenu(sous_menu);
}

void MenusTForm1::remplir_annuaire(QMenu* menu, const std::vector<std::string>& entrees) {
    QStringList voulues;
    for (const auto& e : entrees) voulues << qs(e);
    QStringList presentes;
    for (auto* a : menu->actions()) presentes << a->data().toString();
    if (voulues == presentes) return;
    menu->clear();
    for (const auto& e : voulues) {
        // Un « & » du nom de l'entrée reste un « & » : il ne souligne pas la lettre suivante.
        QString legende = e;
        auto* a = menu->addAction(legende.replace('&', "&&"));
        a->setData(e);
        QObject::connect(a, &QAction::triggered, menu, [this, e] {
            if (entree_choisie) entree_choisie(e);
        });
    }
}

}  // namespace lumi::ui
