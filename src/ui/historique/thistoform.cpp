#include "ui/historique/thistoform.hpp"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "base/erreurs.hpp"
#include "base/locale.hpp"
#include "base/texte.hpp"
#include "core/couleurs.hpp"
#include "history/export_csv.hpp"
#include "history/fenetre/analyses_historique.hpp"
#include "settings/dossier_donnees.hpp"
#include "ui/controles.hpp"
#include "ui/graphique_mois.hpp"
#include "ui/historique/impression_historique.hpp"
#include "ui/historique/modele_liste_historique.hpp"
#include "ui/texte_qt.hpp"

namespace lumi::ui {

namespace {

const QDate origine(1899, 12, 30);
QDate date_qt(NumeroJour jour) { return origine.addDays(jour); }
NumeroJour numero(const QDate& date) { return static_cast<NumeroJour>(origine.daysTo(date)); }

QDateEdit* champ_date(QWidget* parent, const char* nom, const char* bulle) {
    auto* d = new QDateEdit(parent);
    d->setObjectName(nom);
    d->setCalendarPopup(true);
    d->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    d->setToolTip(QString::fromUtf8(bulle));
    return d;
}

// Une liste déroulante dont le texte trop long pour sa largeur finit par « … » au lieu d'être
// coupé net ; la liste dépliée montre les noms entiers.
class ListeElidee final : public QComboBox {
public:
    using QComboBox::QComboBox;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter p(this);
        QStyleOptionComboBox o;
        initStyleOption(&o);
        p.drawComplexControl(QStyle::CC_ComboBox, o);
        const QRect champ =
            style()->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxEditField, this);
        o.currentText = fontMetrics().elidedText(o.currentText, Qt::ElideRight, champ.width());
        p.drawControl(QStyle::CE_ComboBoxLabel, o);
    }
};

QComboBox* liste_deroulante(QWidget* parent, const char* nom, const char* bulle) {
    auto* c = new ListeElidee(parent);
    c->setObjectName(nom);
    c->setToolTip(QString::fromUtf8(bulle));
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(16);
    return c;
}

// L'image d'un type d'historique dans sa liste : une page de calendrier marquée de ce qu'elle
// couvre ("F" la facture, "↔" une période, "31" le mois, "7" la semaine, "1" le jour), une croix
// rouge pour les connexions effacées.
QIcon image_type_historique(int type) {
    QPixmap image(16, 16);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 2.5, 13, 12));
    p.fillRect(QRectF(2, 3, 12, 3), type == 5 ? QColor(0xA0, 0xA0, 0xA0) : QColor(0x20, 0x50, 0xC0));
    if (type == 5) {
        p.setPen(QPen(Qt::red, 2));
        p.drawLine(QPointF(5, 8), QPointF(11, 13));
        p.drawLine(QPointF(11, 8), QPointF(5, 13));
        return QIcon(image);
    }
    static const char* const marques[] = {"F", "\u2194", "31", "7", "1"};
    QFont police = p.font();
    police.setPixelSize(8);
    police.setBold(true);
    p.setFont(police);
    p.setPen(Qt::black);
    p.drawText(QRectF(1, 6, 14, 9), Qt::AlignCenter, QString::fromUtf8(marques[type]));
    return QIcon(image);
}

// Un panneau de la fenêtre peint de la couleur que Couleur.ini lui donne.
void peindre_fond(QWidget* w, QColor couleur) {
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, couleur);
    w->setPalette(p);
}

}  // namespace

ThistoForm::ThistoForm(CouturesHistorique coutures, QWidget* parent)
    : DialogueLumi("ThistoForm", QStringLiteral("Historique des connexions"), parent),
      c_(std::move(coutures)),
      modele_(c_.dossier, c_.registre, c_.entrees_annuaire) {
    definir_aide(sujet_aide_historique, c_.ouvrir_aide);
    construire();
}

ThistoForm::~ThistoForm() {
    // Le dialogue détruit encore ouvert se cache après ses membres : un champ de date qui perd alors
    // le focus ne doit plus parler à une vue qui n'existe plus.
    for (QObject* o : {static_cast<QObject*>(DateTimePicker1), static_cast<QObject*>(DateTimePicker2),
                       static_cast<QObject*>(DateTimePicker3)})
        disconnect(o, nullptr, this, nullptr);
}

void ThistoForm::construire() {
    setSizeGripEnabled(true);
    auto* tout = new QVBoxLayout(this);

    // --- Le type et ses dates ---
    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    auto* haut = new QHBoxLayout(Panel1);
    haut->setContentsMargins(0, 0, 0, 0);
    ComboBox1 = liste_deroulante(this, "ComboBox1", "Choisissez ici le type d'historique que vous désirez.");
    int rang_type = 0;
    for (const auto entree : entrees_type_historique)
        ComboBox1->addItem(image_type_historique(rang_type++), qs(entree));
    // Les types se lisent en entier ("Historique de la semaine" compris).
    ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    haut->addWidget(ComboBox1);
    DateTimePicker1 = champ_date(this, "DateTimePicker1", "Sélection de la date de début d'historique");
    DateTimePicker2 = champ_date(this, "DateTimePicker2", "Sélection de la date de fin de l'historique");
    Label2 = new QLabel(this);
    Label2->setObjectName("Label2");
    Label3 = new QLabel(this);
    Label3->setObjectName("Label3");
    ComboBox2 = liste_deroulante(this, "ComboBox2", "Sélection du mois");
    DateTimePicker3 = champ_date(this, "DateTimePicker3", "");
    Label4 = new QLabel(this);
    Label4->setObjectName("Label4");
    Label5 = new QLabel(this);
    Label5->setObjectName("Label5");
    auto* dates = new QGridLayout;
    dates->addWidget(Label2, 0, 0);
    dates->addWidget(DateTimePicker1, 0, 1);
    dates->addWidget(Label3, 1, 0);
    dates->addWidget(DateTimePicker2, 1, 1);
    dates->addWidget(ComboBox2, 0, 2);
    dates->addWidget(Label4, 0, 3);
    dates->addWidget(DateTimePicker3, 0, 4);
    dates->addWidget(Label5, 1, 3, 1, 2);
    haut->addLayout(dates, 1);
    tout->addWidget(Panel1);
    // Les champs qui couvrent les dates ("Du ...", "Au ...", "Consommation depuis le ...").
    for (QLabel* l : {Label2, Label3, Label4}) l->setMargin(2);
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setAlignment(Qt::AlignCenter);
    QFont gras = Label1->font();
    gras.setBold(true);
    Label1->setFont(gras);
    tout->addWidget(Label1);
    // Les textes qui changent avec le type et les dates n'élargissent pas la fenêtre : elle garde la
    // taille choisie, quel que soit le type. Les lignes pleine largeur passent à la ligne ; les
    // légendes des dates gardent leur texte sur une ligne tant qu'il y a la place.
    for (QLabel* l : {Label1, Label5}) l->setWordWrap(true);
    for (QLabel* l : {Label2, Label3, Label4}) l->setMinimumWidth(1);

    // --- La liste, les lignes d'avis par-dessus quand elle est vide ---
    liste_ = new ModeleListeHistorique(this);
    ListView1 = new QTreeView(this);
    ListView1->setObjectName("ListView1");
    ListView1->setModel(liste_);
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSortingEnabled(true);
    ListView1->header()->setSortIndicatorShown(true);
    ListView1->header()->setSortIndicator(-1, Qt::AscendingOrder);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setContextMenuPolicy(Qt::DefaultContextMenu);
    auto* avis = new QVBoxLayout(ListView1->viewport());
    Label6 = new QLabel(ListView1->viewport());
    Label6->setObjectName("Label6");
    Label7 = new QLabel(ListView1->viewport());
    Label7->setObjectName("Label7");
    for (QLabel* l : {Label6, Label7}) {
        l->setAlignment(Qt::AlignCenter);
        l->setWordWrap(true);
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    avis->addStretch();
    avis->addWidget(Label6);
    avis->addWidget(Label7);
    avis->addStretch();
    tout->addWidget(ListView1, 1);
    Label8 = new QLabel(this);
    Label8->setObjectName("Label8");
    Label8->setStyleSheet(QStringLiteral("color: red"));
    tout->addWidget(Label8);
    LabelProjection = new QLabel(this);
    LabelProjection->setObjectName("LabelProjection");
    LabelProjection->setToolTip(QStringLiteral(
        "Le coût par jour depuis le début de la facture en cours, prolongé jusqu'au 60e jour de la période"));
    tout->addWidget(LabelProjection);
    LabelPlafond = new QLabel(this);
    LabelPlafond->setObjectName("LabelPlafond");
    LabelPlafond->setToolTip(
        QStringLiteral("Le plafond réglé dans les options, et la part qu'en fait la facture en cours"));
    tout->addWidget(LabelPlafond);
    for (QLabel* l : {Label8, LabelProjection}) l->setWordWrap(true);

    // --- Le bas : filtres, statistiques et totaux, boutons ---
    Panel2 = new QWidget(this);
    Panel2->setObjectName("Panel2");
    auto* colonne_bas = new QVBoxLayout(Panel2);
    colonne_bas->setContentsMargins(0, 0, 0, 0);
    tout->addWidget(Panel2);
    auto* filtres = new QHBoxLayout;
    ComboBox3 = liste_deroulante(this, "ComboBox3", "Filtrer l'historique suivant l'utilisateur");
    ComboBox4 = liste_deroulante(this, "ComboBox4", "Filtrer l'historique pour un provider donné");
    ComboBox5 = liste_deroulante(this, "ComboBox5", "Filtrer l'historique suivant la tarification");
    ComboBox6 = liste_deroulante(this, "ComboBox6", "");
    // Les filtres se partagent la largeur ; leur minimum reste court pour que la fenêtre tienne à
    // sa taille dessinée, les listes déroulées montrant les noms entiers.
    for (QComboBox* c : {ComboBox3, ComboBox4, ComboBox5, ComboBox6}) {
        c->setMinimumContentsLength(10);
        c->view()->setTextElideMode(Qt::ElideNone);
        filtres->addWidget(c, 1);
    }
    colonne_bas->addLayout(filtres);

    // --- Statistiques et totaux : trois boîtes ---
    auto* bas = new QHBoxLayout;
    const auto boite = [&](const char* nom, std::initializer_list<const char*> titres) {
        auto* g = new QGroupBox(this);
        g->setObjectName(nom);
        auto* grille = new QGridLayout(g);
        int rang = 0;
        for (const char* t : titres) {
            auto* titre = new QLabel(QString::fromUtf8(t), g);
            // Un titre long passe à la ligne plutôt que d'élargir la fenêtre.
            titre->setWordWrap(true);
            auto* valeur = new QLabel(g);
            valeur->setObjectName(QStringLiteral("Panel_%1").arg(panneaux_statistiques.size()));
            valeur->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            valeur->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            grille->addWidget(titre, rang, 0);
            grille->addWidget(valeur, rang, 1);
            panneaux_statistiques.push_back(valeur);
            ++rang;
        }
        bas->addWidget(g, 1);
    };
    boite("GroupBox1", {" Durée totale des connexions", " Durée moyenne d'une connexion",
                        " Coût  moyen TTC d'une connexion"});
    boite("GroupBox2", {" Nb connexions Auto.", " Nb connexions Manuelles", " Nb total de connexions"});
    boite("GroupBox3", {"    Total HT", "  + TVA", "   Total TTC"});
    colonne_bas->addLayout(bas);

    // --- Les boutons ---
    auto* boutons = new QHBoxLayout;
    const auto b = [&](const char* texte, const char* nom, const char* bulle) {
        auto* bouton_ = bouton(QString::fromUtf8(texte), nom);
        bouton_->setToolTip(QString::fromUtf8(bulle));
        boutons->addWidget(bouton_, 1, Qt::AlignHCenter);
        return bouton_;
    };
    SpeedButton1 = b("&Imprimer", "SpeedButton1", "Imprimer l'historique des connexions");
    SpeedButton7 = b("Exporter en PDF...", "SpeedButton7", "Enregistrer le rapport dans un fichier PDF");
    SpeedButton8 = b("Exporter en CSV...", "SpeedButton8", "Enregistrer la liste pour un tableur (CSV)");
    // Les deux exports l'un sous l'autre : la rangée tient dans la largeur dessinée de la fenêtre.
    auto* exports = new QVBoxLayout;
    for (QPushButton* e : {SpeedButton7, SpeedButton8}) {
        boutons->removeWidget(e);
        exports->addWidget(e);
    }
    boutons->insertLayout(1, exports, 1);
    SpeedButton2 = b("&Effacer", "SpeedButton2", "Effacer une connexion de l'historique");
    SpeedButton3 = b("&Restaurer", "SpeedButton3", "Restaurer une connexion effacée");
    SpeedButton4 = b("A &propos...", "SpeedButton4", "A propos de Lumicompteur 99");
    SpeedButton5 = b("&Aide", "SpeedButton5", "Obtenir de l'aide");
    SpeedButton6 = b("&Fermer", "SpeedButton6", "Fermer l'historique");
    colonne_bas->addLayout(boutons);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    AvecReductions1 = PopupMenu1->addAction(QStringLiteral("Afficher Total  AVEC réductions"));
    SansReductions1 = PopupMenu1->addAction(QStringLiteral("Afficher Total  SANS réductions"));
    for (QAction* a : {AvecReductions1, SansReductions1}) a->setCheckable(true);
    PopupMenu1->addSeparator();
    Comparer1 = PopupMenu1->addAction(QStringLiteral("Comparer avec une autre tarification..."));
    Graphique1 = PopupMenu1->addAction(QStringLiteral("Graphique des mois..."));
    connect(Comparer1, &QAction::triggered, this, [this] { comparer_tarification(); });
    connect(Graphique1, &QAction::triggered, this, [this] { montrer_graphique(); });

    // --- Les événements vers le modèle ---
    const auto apres = [this] { appliquer(); };
    connect(ComboBox1, &QComboBox::activated, this, [this](int i) { choisir_type(i); });
    connect(ComboBox2, &QComboBox::activated, this, [this, apres](int i) {
        vue().choisir_mois(i);
        apres();
    });
    const auto periode = [this, apres] {
        if (mise_a_jour_) return;
        vue().definir_periode(numero(DateTimePicker1->date()), numero(DateTimePicker2->date()));
        apres();
    };
    connect(DateTimePicker1, &QDateEdit::editingFinished, this, periode);
    connect(DateTimePicker2, &QDateEdit::editingFinished, this, periode);
    connect(DateTimePicker1, &QDateEdit::dateChanged, this, [this] { montrer_dates(); });
    connect(DateTimePicker2, &QDateEdit::dateChanged, this, [this] { montrer_dates(); });
    connect(DateTimePicker3, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        if (mise_a_jour_) return;
        vue().changer_date_facture(numero(d));
        montrer_dates();
    });
    const auto quitter_facture = [this, apres] {
        if (mise_a_jour_) return;
        const std::string avertissement = vue().quitter_date_facture();
        if (!avertissement.empty()) c_.dialogue.avertissement(avertissement);
        apres();
    };
    connect(DateTimePicker3, &QDateEdit::editingFinished, this, quitter_facture);
    // Un jour choisi dans le calendrier vaut une saisie achevée : la liste est relue aussitôt. Le
    // champ reçoit la date après le signal du calendrier, d'où l'appel différé.
    for (auto [champ, action] :
         {std::pair<QDateEdit*, std::function<void()>>{DateTimePicker1, periode},
          std::pair<QDateEdit*, std::function<void()>>{DateTimePicker2, periode},
          std::pair<QDateEdit*, std::function<void()>>{DateTimePicker3, quitter_facture}}) {
        for (auto signal : {&QCalendarWidget::clicked, &QCalendarWidget::activated})
            connect(champ->calendarWidget(), signal, this,
                    [this, action] { QMetaObject::invokeMethod(this, action, Qt::QueuedConnection); });
    }
    connect(ComboBox3, &QComboBox::activated, this, [this, apres] {
        vue().filtrer_utilisateur(ComboBox3->currentText().toStdString());
        apres();
    });
    connect(ComboBox4, &QComboBox::activated, this, [this, apres] {
        vue().filtrer_provider(ComboBox4->currentText().toStdString());
        apres();
    });
    connect(ComboBox5, &QComboBox::activated, this, [this, apres] {
        vue().filtrer_tarification(ComboBox5->currentText().toStdString());
        apres();
    });
    connect(ComboBox6, &QComboBox::activated, this, [this, apres](int i) {
        modele_.choisir_option(i);
        apres();
    });
    connect(AvecReductions1, &QAction::triggered, this, [this, apres] {
        modele_.choisir_total_avec_reductions(true);
        apres();
    });
    connect(SansReductions1, &QAction::triggered, this, [this, apres] {
        modele_.choisir_total_avec_reductions(false);
        apres();
    });
    connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const bool choisie = ListView1->selectionModel()->hasSelection();
        const bool effacees = modele_.ouvert() && vue().type() == TypeHistorique::effacees;
        SpeedButton2->setVisible(!effacees);
        SpeedButton3->setVisible(effacees);
        SpeedButton2->setEnabled(choisie && !effacees);
        SpeedButton3->setEnabled(choisie && effacees);
    });
    // Une liste qui s'ouvre, un calendrier qui se montre : plus rien à effacer ni à restaurer.
    for (QComboBox* c : {ComboBox1, ComboBox2, ComboBox3, ComboBox4, ComboBox5, ComboBox6}) {
        c->view()->installEventFilter(this);
    }
    for (QDateEdit* d : {DateTimePicker1, DateTimePicker2, DateTimePicker3}) {
        d->calendarWidget()->installEventFilter(this);
        d->installEventFilter(this);
    }
    // L'en-tête de la colonne triée en bleu, celui qu'on presse en blanc.
    connect(ListView1->header(), &QHeaderView::sectionPressed, this,
            [this](int section) { liste_->definir_section_pressee(section); });
    ListView1->header()->viewport()->installEventFilter(this);
    connect(SpeedButton1, &QPushButton::clicked, this, [this] { imprimer(); });
    connect(SpeedButton7, &QPushButton::clicked, this, [this] { exporter(); });
    connect(SpeedButton8, &QPushButton::clicked, this, [this] { exporter_en_csv(); });
    connect(SpeedButton2, &QPushButton::clicked, this, [this] { effacer_selection(); });
    connect(SpeedButton3, &QPushButton::clicked, this, [this] { effacer_selection(); });
    connect(SpeedButton4, &QPushButton::clicked, this, [this] {
        if (c_.ouvrir_aide) c_.ouvrir_aide(sujet_aide_a_propos);
    });
    connect(SpeedButton5, &QPushButton::clicked, this, [this] {
        if (c_.ouvrir_aide) c_.ouvrir_aide(sujet_aide_historique);
    });
    connect(SpeedButton6, &QPushButton::clicked, this, &QDialog::close);
}

QString ThistoForm::titre_fenetre() const {
    return QStringLiteral("Historique des connexions  : ") + QString::fromStdString(date_longue_avec_jour(c_.aujourdhui()));
}

void ThistoForm::preparer() {
    setWindowTitle(titre_fenetre());
    // Une vue neuve recompte ses lectures : la première doit remplir la liste et les filtres.
    lectures_montrees_ = -1;
    for (const auto& avertissement : modele_.ouvrir(c_.aujourdhui(), lire_valeurs_locales_systeme()))
        c_.dialogue.avertissement(avertissement);

    // Les couleurs de Couleur.ini : lignes paires et impaires, fond des champs de date.
    const QScreen* ecran = screen();
    try {
        const JeuCouleurs couleurs(c_.dossier / fichier_couleurs, ecran != nullptr ? ecran->depth() : 24);
        liste_->definir_couleurs(couleur_qt(couleurs.couleur("tableau historique", 0xFFFFFF)),
                                 couleur_qt(couleurs.couleur("ligne tableau historique", 0xC0C0C0)));
        // Le fond des champs qui couvrent les dates, puis les panneaux "panel" + n.
        const QColor fond = couleur_qt(couleurs.couleur("fond combobox", clWindow));
        for (QLabel* l : {Label2, Label3, Label4}) peindre_fond(l, fond);
        for (const auto& [n, couleur] : couleurs.panneaux("nb de panel", "panel")) {
            if (n == 1 || n == 2) peindre_fond(n == 1 ? Panel1 : Panel2, couleur_qt(couleur));
        }
    } catch (const ErreurConversion& e) {
        c_.dialogue.avertissement(e.what());
    }
    liste_->definir_devise(QString::fromStdString(vue().reglages().devise));
    liste_->definir_separateur(QLatin1Char(vue().reglages().separateur));

    remplir_filtres();
    DateTimePicker3->setToolTip(QString::fromStdString(modele_.bulle_date_facture()));

    // La taille de cette résolution d'écran, sinon la taille dessinée.
    if (ecran != nullptr) {
        const auto taille = modele_.taille(ecran->size().width(), ecran->size().height());
        resize(taille.largeur, taille.hauteur);
    }
    // La liste n'a pas encore sa taille : sa largeur suit celle de la fenêtre, marges ôtées.
    const QMargins marges = layout()->contentsMargins();
    const auto largeurs = modele_.largeurs_colonnes(width() - marges.left() - marges.right());
    for (int c = 0; c < LigneListeHistorique::nb_colonnes; ++c)
        ListView1->setColumnWidth(c, largeurs[static_cast<std::size_t>(c)]);

    vue().differer_lecture(false);
    choisir_type(modele_.type_range());
}

void ThistoForm::remplir_filtres() {
    mise_a_jour_ = true;
    ComboBox2->clear();
    for (const auto& e : vue().liste_mois().entrees) ComboBox2->addItem(QString::fromStdString(e));
    ComboBox2->setCurrentIndex(vue().liste_mois().choisi);
    for (auto [combo, entrees] :
         {std::pair{ComboBox3, &modele_.utilisateurs()}, std::pair{ComboBox4, &modele_.providers()},
          std::pair{ComboBox5, &modele_.tarifications()}, std::pair{ComboBox6, &modele_.options()}}) {
        combo->clear();
        for (const auto& e : *entrees) combo->addItem(QString::fromStdString(e));
    }
    mise_a_jour_ = false;
}

void ThistoForm::choisir_type(int indice) {
    const auto type = type_historique(indice);
    if (!type || !modele_.ouvert()) return;
    // Le filtre des utilisateurs et celui des tarifications tels qu'affichés à ce moment.
    vue().differer_lecture(true);
    vue().filtrer_utilisateur(ComboBox3->currentText().toStdString());
    vue().filtrer_tarification(ComboBox5->currentText().toStdString());
    vue().differer_lecture(false);
    ComboBox1->setCurrentIndex(indice);
    vue().choisir_type(*type);
    appliquer();
}

void ThistoForm::montrer_dates() {
    Label2->setText("Du " + QString::fromStdString(date_longue_avec_jour(numero(DateTimePicker1->date()))));
    Label3->setText("Au " + QString::fromStdString(date_longue_avec_jour(numero(DateTimePicker2->date()))));
    const NumeroJour debut = numero(DateTimePicker3->date());
    Label4->setText(QString::fromStdString(legende_date_facture(debut)));
    const auto note = note_date_facture(debut, c_.aujourdhui());
    Label5->setText(QString::fromStdString(note.texte));
    Label5->setStyleSheet(note.rouge ? QStringLiteral("color: red") : QStringLiteral("color: black"));
}

void ThistoForm::appliquer() {
    const auto type = vue().type();
    mise_a_jour_ = true;
    DateTimePicker1->setDate(date_qt(vue().periode_definie().first));
    DateTimePicker2->setDate(date_qt(vue().periode_definie().second));
    DateTimePicker3->setDate(date_qt(vue().date_facture()));
    mise_a_jour_ = false;
    montrer_dates();
    for (QWidget* w : {static_cast<QWidget*>(DateTimePicker1), static_cast<QWidget*>(DateTimePicker2),
                       static_cast<QWidget*>(Label2), static_cast<QWidget*>(Label3)}) {
        w->setVisible(type == TypeHistorique::periode_definie);
    }
    ComboBox2->setVisible(type == TypeHistorique::mensuel);
    for (QWidget* w : {static_cast<QWidget*>(DateTimePicker3), static_cast<QWidget*>(Label4),
                       static_cast<QWidget*>(Label5)}) {
        w->setVisible(type == TypeHistorique::facture_en_cours);
    }
    if (vue().lectures() != lectures_montrees_) {
        lectures_montrees_ = vue().lectures();
        apres_lecture();
    }
}

void ThistoForm::apres_lecture() {
    const auto& v = vue();
    liste_->definir_titre_total(QString::fromStdString(v.titre_colonne_total()));
    liste_->remplacer(v.lignes());
    ListView1->clearSelection();
    Label1->setText(QString::fromStdString(v.titre()));
    const auto s = v.statistiques();
    const std::string* textes[] = {&s.duree_totale, &s.duree_moyenne, &s.cout_moyen, &s.nb_auto,
                                   &s.nb_manuelles, &s.nb_total,      &s.total_ht,   &s.tva,
                                   &s.total_ttc};
    for (std::size_t i = 0; i < panneaux_statistiques.size(); ++i)
        panneaux_statistiques[i]->setText(QString::fromStdString(*textes[i]));
    const auto avis = v.avis();
    Label6->setVisible(avis.visibles);
    Label7->setVisible(avis.visibles && !avis.seconde.empty());
    Label6->setText(QString::fromStdString(avis.premiere));
    Label7->setText(QString::fromStdString(avis.seconde));
    Label8->setText(QString::fromStdString(v.texte_illisibles()));
    // Un fichier illisible en entier se nomme même sans ligne d'enregistrement perdue.
    Label8->setVisible(!v.accumulateurs().illisibles.empty());
    const bool facture = v.type() == TypeHistorique::facture_en_cours;
    LabelProjection->setVisible(facture);
    if (facture)
        LabelProjection->setText(QString::fromStdString(
            texte_projection(projection_de_la_vue(v, c_.aujourdhui()), v.reglages())));
    const std::string plafond = modele_.ligne_plafond();
    LabelPlafond->setVisible(!plafond.empty());
    LabelPlafond->setText(QString::fromStdString(plafond));
    Comparer1->setEnabled(v.impression_possible());
    SpeedButton1->setEnabled(v.impression_possible());
    SpeedButton7->setEnabled(v.impression_possible());
    SpeedButton8->setEnabled(v.impression_possible());
    const bool effacees = v.type() == TypeHistorique::effacees;
    SpeedButton2->setVisible(!effacees);
    SpeedButton3->setVisible(effacees);
    SpeedButton2->setEnabled(false);
    SpeedButton3->setEnabled(false);
    AvecReductions1->setChecked(v.reglages().avec_reductions);
    SansReductions1->setChecked(!v.reglages().avec_reductions);
    // Les utilisateurs et providers rencontrés rejoignent leurs filtres, à la suite.
    modele_.apres_lecture();
    for (auto [combo, entrees] :
         {std::pair{ComboBox3, &modele_.utilisateurs()}, std::pair{ComboBox4, &modele_.providers()}}) {
        for (auto i = static_cast<std::size_t>(combo->count()); i < entrees->size(); ++i)
            combo->addItem(QString::fromStdString((*entrees)[i]));
    }
}

void ThistoForm::effacer_selection() {
    const auto choisies = ListView1->selectionModel()->selectedRows();
    if (choisies.isEmpty()) return;
    const std::int32_t loc = liste_->ligne(choisies.first().row()).localisateur;
    // Le bouton dit ce que le clic fait : sa légende suit Ctrl tel qu'il est au moment du clic.
    const bool ctrl = QApplication::keyboardModifiers().testFlag(Qt::ControlModifier);
    montrer_legende(ctrl);
    const ActionLigne action = vue().action_suppression(ctrl);
    if (c_.dialogue.question(VueHistorique::question_suppression(action)) == Reponse::oui) {
        std::string erreur;
        if (!vue().supprimer(loc, action, &erreur)) c_.dialogue.avertissement(erreur);
    }
    // Ctrl a pu être relâché pendant la question, que la fenêtre n'a pas vu : l'état réel du clavier.
    montrer_legende(QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier));
    appliquer();
    ListView1->clearSelection();
    SpeedButton2->setEnabled(false);
    SpeedButton3->setEnabled(false);
}

bool ThistoForm::exporter_pdf(const QString& fichier) {
    ContenuRapport contenu{QString::fromStdString("Du " + date_longue_avec_jour(vue().debut()) + " au " +
                                                  date_longue_avec_jour(vue().fin())),
                           liste_, vue().statistiques()};
    return exporter_rapport_pdf(fichier, contenu);
}

bool ThistoForm::exporter_csv(const QString& fichier) {
    std::string texte(entete_csv_historique);
    texte += '\n';
    for (int i = 0; i < liste_->rowCount(); ++i) texte += ligne_csv_historique(liste_->ligne(i)) + '\n';
    // Écrit à côté puis renommé : un disque plein ne laisse pas un export coupé sous le bon nom.
    QSaveFile f(fichier);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(texte.data(), static_cast<qint64>(texte.size()));
    return f.commit();
}

std::string ThistoForm::comparer(const std::string& tarif, const std::string& code_option) {
    return modele_.comparer(tarif, code_option);
}

void ThistoForm::comparer_tarification() {
    // Les tarifs et les options de tarifs.ini, lus à chaque ouverture de la boîte.
    ModeleThistoform::ListesComparaison listes;
    try {
        listes = modele_.listes_comparaison();
    } catch (const std::exception& e) {
        c_.dialogue.avertissement(e.what());
        return;
    }
    QDialog boite(this);
    boite.setWindowTitle(QStringLiteral("Comparer avec une autre tarification"));
    auto* grille = new QGridLayout(&boite);
    auto* choix_tarif = new QComboBox(&boite);
    choix_tarif->setObjectName("ComboTarif");
    for (const auto& t : listes.tarifs) choix_tarif->addItem(QString::fromStdString(t));
    auto* choix_option = new QComboBox(&boite);
    choix_option->setObjectName("ComboOption");
    choix_option->addItem(QStringLiteral("Aucune option"));
    for (const auto& o : listes.options) choix_option->addItem(QString::fromStdString(o));
    grille->addWidget(new QLabel(QStringLiteral("Tarification :"), &boite), 0, 0);
    grille->addWidget(choix_tarif, 0, 1);
    grille->addWidget(new QLabel(QStringLiteral("Option :"), &boite), 1, 0);
    grille->addWidget(choix_option, 1, 1);
    auto* ok = new QPushButton(QStringLiteral("&Comparer"), &boite);
    auto* annuler = new QPushButton(QStringLiteral("&Annuler"), &boite);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, &boite, &QDialog::accept);
    connect(annuler, &QPushButton::clicked, &boite, &QDialog::reject);
    auto* ligne = new QHBoxLayout;
    ligne->addStretch();
    ligne->addWidget(ok);
    ligne->addWidget(annuler);
    grille->addLayout(ligne, 2, 0, 1, 2);
    if (boite.exec() != QDialog::Accepted || choix_tarif->currentIndex() < 0) return;
    const int option = choix_option->currentIndex() - 1;
    const std::string code =
        option >= 0 ? listes.codes_options.at(static_cast<std::size_t>(option)) : std::string();
    try {
        c_.dialogue.information(comparer(choix_tarif->currentText().toStdString(), code));
    } catch (const std::exception& e) {
        c_.dialogue.avertissement(e.what());
    }
}

void ThistoForm::montrer_graphique() {
    ReglagesMonnaie monnaie;
    monnaie.locale.separateur_decimal = vue().reglages().separateur;
    monnaie.locale.symbole_monetaire = std::string(rogner(vue().reglages().devise));
    const auto graphique = graphique_de_la_vue(vue(), c_.aujourdhui(), monnaie);
    QDialog boite(this);
    boite.setObjectName("Graphique");
    boite.setWindowTitle(QStringLiteral("Graphique des mois"));
    auto* l = new QVBoxLayout(&boite);
    auto* image = new QLabel(&boite);
    image->setPixmap(QPixmap::fromImage(image_graphique_mois(graphique, {760, 420})));
    l->addWidget(image);
    auto* fermer = new QPushButton(QStringLiteral("&Fermer"), &boite);
    connect(fermer, &QPushButton::clicked, &boite, &QDialog::accept);
    l->addWidget(fermer, 0, Qt::AlignRight);
    boite.exec();
}

void ThistoForm::exporter() {
    const QString fichier = QFileDialog::getSaveFileName(this, QStringLiteral("Exporter en PDF"),
                                                         QStringLiteral("historique.pdf"),
                                                         QStringLiteral("Documents PDF (*.pdf)"));
    if (fichier.isEmpty()) return;
    if (!exporter_pdf(fichier)) c_.dialogue.avertissement("Le fichier « " + fichier.toStdString() + " » n'a pu être écrit.");
}

void ThistoForm::exporter_en_csv() {
    const QString fichier = QFileDialog::getSaveFileName(this, QStringLiteral("Exporter en CSV"),
                                                         QStringLiteral("historique.csv"),
                                                         QStringLiteral("Fichiers CSV (*.csv)"));
    if (fichier.isEmpty()) return;
    if (!exporter_csv(fichier))
        c_.dialogue.avertissement("Le fichier « " + fichier.toStdString() + " » n'a pu être écrit.");
}

void ThistoForm::imprimer() {
    QString raison;
    const Impression fin = imprimer_avec_boite(
        this,
        [this](QPagedPaintDevice& imprimante) {
            const ContenuRapport contenu{QString::fromStdString("Du " + date_longue_avec_jour(vue().debut()) +
                                                                " au " + date_longue_avec_jour(vue().fin())),
                                         liste_, vue().statistiques()};
            return dessiner_rapport(imprimante, contenu);
        },
        raison);
    if (fin == Impression::echouee) c_.dialogue.avertissement("L'impression n'a pu commencer.");
    if (fin == Impression::indisponible)
        c_.dialogue.avertissement("L'impression n'est pas disponible : " + raison.toStdString() + ".");
}

void ThistoForm::done(int resultat) {
    LargeursColonnesHistorique colonnes{};
    for (int c = 0; c < LigneListeHistorique::nb_colonnes; ++c)
        colonnes[static_cast<std::size_t>(c)] = ListView1->columnWidth(c);
    std::optional<ModeleThistoform::Ecran> ecran;
    if (const QScreen* s = screen())
        ecran = ModeleThistoform::Ecran{{s->size().width(), s->size().height()}, {width(), height()}};
    if (const auto erreur = modele_.ranger(colonnes, ecran); !erreur.empty())
        c_.dialogue.avertissement(erreur);
    if (modele_.fermer() && c_.facture_recomptee) c_.facture_recomptee();
    DialogueLumi::done(resultat);
}

void ThistoForm::changeEvent(QEvent* evenement) {
    if (evenement->type() == QEvent::ActivationChange && isActiveWindow()) {
        setWindowTitle(titre_fenetre());
        // Ctrl a pu changer pendant que la fenêtre était inactive.
        montrer_legende(QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier));
    }
    DialogueLumi::changeEvent(evenement);
}

void ThistoForm::keyPressEvent(QKeyEvent* evenement) {
    if (evenement->key() == Qt::Key_Delete && ListView1->hasFocus()) {
        effacer_selection();
        return;
    }
    if (evenement->key() == Qt::Key_Control) montrer_legende(true);
    DialogueLumi::keyPressEvent(evenement);
}

void ThistoForm::keyReleaseEvent(QKeyEvent* evenement) {
    // Ctrl relâché : "&Détruire" redevient "&Restaurer".
    if (evenement->key() == Qt::Key_Control) montrer_legende(false);
    DialogueLumi::keyReleaseEvent(evenement);
}

void ThistoForm::montrer_legende(bool ctrl) {
    if (modele_.ouvert() && vue().type() == TypeHistorique::effacees)
        SpeedButton3->setText(QString::fromStdString(vue().legende_bouton(ctrl)));
}

void ThistoForm::mousePressEvent(QMouseEvent* evenement) {
    // Un clic hors des contrôles : plus de ligne choisie, plus rien à effacer ni à restaurer.
    ListView1->clearSelection();
    SpeedButton2->setEnabled(false);
    SpeedButton3->setEnabled(false);
    DialogueLumi::mousePressEvent(evenement);
}

bool ThistoForm::eventFilter(QObject* objet, QEvent* evenement) {
    if (evenement->type() == QEvent::KeyPress) {
        // Une date tapée par-dessus tout le texte choisi (Ctrl+A, double clic) commence par le jour ;
        // un chiffre tapé au début d'une section, après un clic, remplace cette section. Sinon le
        // premier chiffre tombait ailleurs ou était refusé, et le jour était perdu.
        auto* champ = qobject_cast<QDateEdit*>(objet);
        const auto* touche = static_cast<QKeyEvent*>(evenement);
        const auto* texte = champ != nullptr ? champ->findChild<QLineEdit*>() : nullptr;
        if (texte != nullptr && !touche->text().isEmpty() && touche->text().front().isDigit()) {
            const int position = texte->cursorPosition();
            if (texte->hasSelectedText() && texte->selectedText() == texte->text()) {
                champ->setSelectedSection(QDateTimeEdit::DaySection);
            } else if (!texte->hasSelectedText() &&
                       (position == 0 || texte->text().at(position - 1) == QLatin1Char('/'))) {
                champ->setSelectedSection(champ->currentSection());
            }
        }
        // Un "/" tapé juste après un séparateur : le champ est déjà passé de lui-même à la section
        // suivante quand la précédente était complète ; sauter encore perdrait le mois.
        if (texte != nullptr && touche->text() == QStringLiteral("/")) {
            const int position = texte->hasSelectedText() ? texte->selectionStart() : texte->cursorPosition();
            if (position > 0 && texte->text().at(position - 1) == QLatin1Char('/')) return true;
        }
    }
    if (evenement->type() == QEvent::Show && objet != ListView1->header()->viewport()) {
        SpeedButton2->setEnabled(false);
        SpeedButton3->setEnabled(false);
    } else if (evenement->type() == QEvent::MouseButtonRelease && objet == ListView1->header()->viewport()) {
        liste_->definir_section_pressee(-1);
    }
    return DialogueLumi::eventFilter(objet, evenement);
}

void ThistoForm::contextMenuEvent(QContextMenuEvent* evenement) {
    PopupMenu1->exec(evenement->globalPos());
}

}  // namespace lumi::ui
