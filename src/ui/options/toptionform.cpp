#include "ui/options/toptionform.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/couleurs.hpp"
#include "actions/dialogue.hpp"
#include "ui/icones.hpp"
#include "ui/routeur_fenetres.hpp"
#include "ui/tform1.hpp"
#include "ui/options/boites_options.hpp"
#include "ui/texte_qt.hpp"

namespace lumi::ui {

namespace {

using I = Interrupteur;

// Une couleur du jeu, le défaut si elle ne se lit pas.
QColor couleur_jeu(const JeuCouleurs& jeu, std::string_view nom, std::uint32_t defaut) {
    try {
        return couleur_qt(jeu.couleur(nom, defaut));
    } catch (const std::exception&) {
        return couleur_qt(defaut);
    }
}

// Un interrupteur : une case à cocher dessinée comme un interrupteur.
QCheckBox* interrupteur(Interrupteur i, QWidget* parent) {
    auto* c = new QCheckBox(qs(texte_interrupteur(i)), parent);
    c->setObjectName(QString("Interrupteur%1").arg(static_cast<int>(i)));
    c->setProperty("interrupteur", true);
    return c;
}

constexpr const char* style_interrupteurs =
    "QCheckBox[interrupteur=\"true\"]::indicator { width: 26px; height: 13px; border-radius: 7px;"
    " border: 1px solid #707070; background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #ffffff,"
    " stop:0.49 #ffffff, stop:0.5 #b8b8b8, stop:1 #b8b8b8); }"
    "QCheckBox[interrupteur=\"true\"]::indicator:checked { background: qlineargradient(x1:0, y1:0, x2:1,"
    " y2:0, stop:0 #2e8b57, stop:0.5 #2e8b57, stop:0.51 #ffffff, stop:1 #ffffff); }";

constexpr std::uint32_t couleur_navy = 0x800000;  // clNavy
constexpr std::uint32_t couleur_teal = 0x808000;  // clTeal

}  // namespace

// --- La liste des forfaits ---

ModeleListeForfaits::ModeleListeForfaits(const PageForfaits& page, QObject* parent)
    : QAbstractTableModel(parent), page_(page) {}

void ModeleListeForfaits::definir_couleurs(QColor paire, QColor impaire) {
    paire_ = paire;
    impaire_ = impaire;
}

void ModeleListeForfaits::recharger() {
    beginResetModel();
    endResetModel();
}

int ModeleListeForfaits::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(page_.lignes().size());
}

int ModeleListeForfaits::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant ModeleListeForfaits::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const LigneForfait& l = page_.lignes()[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole: {
            const std::string& t = index.column() == 0   ? l.forfait
                                   : index.column() == 1 ? l.temps_restant
                                                         : l.date_reinitialisation;
            return QString::fromStdString(t);
        }
        case Qt::TextAlignmentRole:
            return index.column() == 1 ? int(Qt::AlignCenter) : int(Qt::AlignLeft | Qt::AlignVCenter);
        case Qt::ForegroundRole:
            return QColor(l.plein() ? Qt::black : Qt::blue);
        case Qt::BackgroundRole:
            return index.row() % 2 == 0 ? paire_ : impaire_;
        default:
            return {};
    }
}

QVariant ModeleListeForfaits::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case 0: return qs(textes_forfaits::colonne_forfait);
        case 1: return qs(textes_forfaits::colonne_temps);
        default: return qs(textes_forfaits::colonne_date);
    }
}

// --- La fenêtre ---

Toptionform::Toptionform(LiensOptions liens, const JeuCouleurs& couleurs, const IconesLumi& icones,
                         std::function<void(int)> ouvrir_aide, QWidget* parent)
    : DialogueLumi("Toptionform", qs(textes_options::titre), parent),
      modele_(liens),
      dialogue_(liens.dialogue),
      ouvrir_aide_(std::move(ouvrir_aide)) {
    style_listes_.fond = couleur_jeu(couleurs, "fond combobox", clWindow);
    style_listes_.texte = couleur_jeu(couleurs, "texte combobox", couleur_noir);
    style_listes_.fond_actif = couleur_jeu(couleurs, "panel13", couleur_navy);
    style_listes_.texte_actif = Qt::white;
    style_listes_.marge = 3;
    style_listes_.cadenas = &icones.cadenas();
    // Peu de couleurs : les panneaux d'explication en sarcelle.
    fond_explications_ = couleurs.section() == section_couleurs_8bits ? couleur_qt(couleur_teal)
                                                                      : style_listes_.fond;
    setStyleSheet(style_interrupteurs);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    PageControl1->addTab(page_generale(), qs(textes_generale::onglet));
    PageControl1->addTab(page_utilisateurs(), qs(textes_utilisateurs::onglet));
    PageControl1->addTab(page_fournisseurs(), qs(textes_fournisseurs::onglet));
    PageControl1->addTab(page_forfaits(), qs(textes_forfaits::onglet));
    liste_forfaits_->definir_couleurs(couleur_jeu(couleurs, "tableau historique", clWindow),
                                      couleur_jeu(couleurs, "ligne tableau historique", clWindow));

    BitBtn1 = bouton(qs(textes_options::annuler), "BitBtn1");
    BitBtn1->setToolTip(qs(textes_options::hint_annuler));
    BitBtn2 = bouton(qs(textes_options::valider), "BitBtn2");
    BitBtn2->setToolTip(qs(textes_options::hint_valider));
    BitBtn3 = bouton(qs(textes_options::aide), "BitBtn3");
    auto* bas = new QHBoxLayout;
    bas->addStretch();
    bas->addWidget(BitBtn1);
    bas->addWidget(BitBtn2);
    bas->addWidget(BitBtn3);
    auto* tout = new QVBoxLayout(this);
    tout->addWidget(PageControl1);
    tout->addLayout(bas);

    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int i) {
        modele_.changer_onglet(static_cast<OngletOptions>(i));
        definir_aide(modele_.sujet_aide(), ouvrir_aide_);
    });
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn2, &QPushButton::clicked, this, [this] {
        modele_.valider();
        accept();
    });
    connect(BitBtn3, &QPushButton::clicked, this, [this] {
        if (ouvrir_aide_) ouvrir_aide_(modele_.sujet_aide());
    });
}

Toptionform::~Toptionform() = default;

void Toptionform::done(int resultat) {
    // Fermée sans "&Valider" (bouton, Échap, croix) : rien n'est rangé.
    if (resultat != QDialog::Accepted) modele_.annuler();
    DialogueLumi::done(resultat);
}

void Toptionform::informer(const std::string& texte) {
    if (!texte.empty()) dialogue_.information(texte);
}

// --- Onglet général ---

QWidget* Toptionform::page_generale() {
    auto* page = new QWidget;
    page->setObjectName("TabSheet1");
    for (std::size_t i = 0; i < nb_interrupteurs; ++i) {
        interrupteurs[i] = interrupteur(static_cast<Interrupteur>(i), page);
        connect(interrupteurs[i], &QCheckBox::clicked, this, [this, i] {
            if (remplissage_) return;
            modele_.generale().appuyer(static_cast<Interrupteur>(i));
            appliquer();
        });
    }
    const auto groupe = [&](const QString& titre, std::initializer_list<Interrupteur> membres) {
        auto* g = new QGroupBox(titre, page);
        auto* l = new QVBoxLayout(g);
        for (auto m : membres) l->addWidget(interrupteurs[static_cast<std::size_t>(m)]);
        return g;
    };
    ComboBox1 = new QComboBox(page);
    ComboBox1->setObjectName("ComboBox1");
    for (auto t : textes_frequence) ComboBox1->addItem(qs(t));
    connect(ComboBox1, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        modele_.generale().choisir_frequence(i);
        appliquer();
    });
    auto* anti_crash = groupe(qs(textes_generale::groupe_anti_crash), {I::anti_crash});
    anti_crash->layout()->addWidget(ComboBox1);

    auto* grille = new QGridLayout(page);
    grille->addWidget(groupe(qs(textes_generale::groupe_detection), {I::detection_1, I::detection_2, I::detection_3}),
                      0, 0, 1, 2);
    grille->addWidget(groupe(QStringLiteral("Utilisateurs :"), {I::selection_auto, I::utiliser_profil}), 1, 0,
                      1, 2);
    grille->addWidget(anti_crash, 2, 0);
    grille->addWidget(groupe(QStringLiteral("Au démarrage :"),
                             {I::demarrage_automatique, I::taille_normale, I::taille_reduite}),
                      2, 1);
    grille->addWidget(groupe(QStringLiteral("Divers :"), {I::alsace, I::afficher_auto, I::cacher_auto}), 3, 0,
                      1, 2);
    grille->addWidget(groupe(QStringLiteral("Affichage :"),
                             {I::deux_decimales, I::trois_decimales, I::prix_ttc, I::prix_ht}),
                      4, 0);
    grille->addWidget(groupe(QStringLiteral("Historique :"), {I::total_sans_reduc, I::total_avec_reduc}), 4, 1);
    grille->setRowStretch(5, 1);
    return page;
}

// --- Onglet des utilisateurs ---

QWidget* Toptionform::page_utilisateurs() {
    auto* page = new QWidget;
    page->setObjectName("TabSheet2");
    ListBox1 = new QListWidget(page);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setItemDelegate(new DelegueLigne(style_listes_, ListBox1));
    ListBox1->installEventFilter(this);
    AjouterUtilisateur = bouton(qs(textes_utilisateurs::ajouter), "AjouterUtilisateur");
    SupprimerUtilisateur = bouton(qs(textes_utilisateurs::supprimer), "SupprimerUtilisateur");
    ProtegerUtilisateur = bouton(qs(textes_utilisateurs::proteger), "ProtegerUtilisateur");
    SupprimerMotDePasse = bouton(qs(textes_utilisateurs::supprimer_mot_de_passe), "SupprimerMotDePasse");
    Monter = new QToolButton(page);
    Monter->setObjectName("Monter");
    Monter->setArrowType(Qt::UpArrow);
    Monter->setToolTip(qs(textes_utilisateurs::monter));
    Descendre = new QToolButton(page);
    Descendre->setObjectName("Descendre");
    Descendre->setArrowType(Qt::DownArrow);
    Descendre->setToolTip(qs(textes_utilisateurs::descendre));

    auto* explication = panneau_colore(fond_explications_, "Panel2");
    auto* le = new QVBoxLayout(explication);
    auto* texte = new QLabel(
        QStringLiteral("Chaque connexion est enregistrée au nom d'un utilisateur. Un mot de passe protège le "
                       "choix de cet utilisateur dans la boîte de sélection de la fin de connexion."),
        explication);
    texte->setWordWrap(true);
    le->addWidget(texte);

    auto* fleches = new QVBoxLayout;
    fleches->addStretch();
    fleches->addWidget(Monter);
    fleches->addWidget(Descendre);
    fleches->addStretch();
    auto* boutons = new QVBoxLayout;
    for (auto* b : {AjouterUtilisateur, SupprimerUtilisateur, ProtegerUtilisateur, SupprimerMotDePasse})
        boutons->addWidget(b);
    boutons->addStretch();
    auto* haut = new QHBoxLayout;
    haut->addWidget(ListBox1, 1);
    haut->addLayout(fleches);
    haut->addLayout(boutons);
    auto* l = new QVBoxLayout(page);
    l->addLayout(haut);
    l->addWidget(explication);

    connect(ListBox1, &QListWidget::currentRowChanged, this, [this](int ligne) {
        if (remplissage_) return;
        modele_.utilisateurs().selectionner(ligne);
        appliquer();
    });
    connect(AjouterUtilisateur, &QPushButton::clicked, this, [this] {
        Tnewuserform boite(modele_.utilisateurs().boite_nouvel_utilisateur(), dialogue_, this);
        if (executer(boite) == QDialog::Accepted && boite.nom) modele_.utilisateurs().ajouter(*boite.nom);
        appliquer();
    });
    connect(SupprimerUtilisateur, &QPushButton::clicked, this, [this] {
        auto& p = modele_.utilisateurs();
        if (p.position() < 0) return;
        const std::string& nom = p.noms()[static_cast<std::size_t>(p.position())];
        if (dialogue_.question(textes_utilisateurs::question_suppression(nom)) != Reponse::oui) return;
        if (p.protege(p.position())) {
            TPasswordDlg boite(p.boite_mot_de_passe(ModeMotDePasse::supprimer_utilisateur), dialogue_, this);
            if (executer(boite) != QDialog::Accepted) return;
        }
        p.supprimer();
        appliquer();
    });
    connect(ProtegerUtilisateur, &QPushButton::clicked, this, [this] {
        TPasswordDlg boite(modele_.utilisateurs().boite_mot_de_passe(ModeMotDePasse::proteger), dialogue_, this);
        if (executer(boite) == QDialog::Accepted) modele_.utilisateurs().proteger(boite.modele().empreinte_nouvelle());
        appliquer();
    });
    connect(SupprimerMotDePasse, &QPushButton::clicked, this, [this] {
        TPasswordDlg boite(modele_.utilisateurs().boite_mot_de_passe(ModeMotDePasse::supprimer_mot_de_passe),
                           dialogue_, this);
        if (executer(boite) == QDialog::Accepted) modele_.utilisateurs().retirer_mot_de_passe();
        appliquer();
    });
    connect(Monter, &QToolButton::clicked, this, [this] {
        modele_.utilisateurs().monter();
        appliquer();
    });
    connect(Descendre, &QToolButton::clicked, this, [this] {
        modele_.utilisateurs().descendre();
        appliquer();
    });
    return page;
}

// --- Onglet des fournisseurs ---

QWidget* Toptionform::page_fournisseurs() {
    auto* page = new QWidget;
    page->setObjectName("TabSheet3");
    ListBox2 = new QListWidget(page);
    ListBox2->setObjectName("ListBox2");
    ListBox2->setItemDelegate(new DelegueLigne(style_listes_, ListBox2));
    ComboBox2 = new QComboBox(page);
    ComboBox2->setObjectName("ComboBox2");
    ScrollBox1 = new QScrollArea(page);
    ScrollBox1->setObjectName("ScrollBox1");
    ScrollBox1->setWidgetResizable(true);
    auto* contenu = new QWidget;
    disposition_options_ = new QVBoxLayout(contenu);
    disposition_options_->setContentsMargins(5, 4, 5, 4);
    disposition_options_->setSpacing(0);
    ScrollBox1->setWidget(contenu);
    BoutonDelai = bouton(qs(textes_fournisseurs::bouton_delai), "BoutonDelai");
    BoutonDelai->setToolTip(qs(textes_fournisseurs::hint_delai));

    auto* explication = panneau_colore(fond_explications_, "Panel3");
    auto* le = new QVBoxLayout(explication);
    auto* texte = new QLabel(
        QStringLiteral("Pour chaque connexion de l'annuaire, choisissez le tarif téléphonique et les réductions "
                       "ou forfaits auxquels vous êtes abonné(e) auprès de ce fournisseur d'accès."),
        explication);
    texte->setWordWrap(true);
    le->addWidget(texte);

    auto* droite = new QVBoxLayout;
    droite->addWidget(new QLabel(QStringLiteral("Tarification :"), page));
    droite->addWidget(ComboBox2);
    droite->addWidget(new QLabel(QStringLiteral("Réductions et forfaits :"), page));
    droite->addWidget(ScrollBox1, 1);
    droite->addWidget(BoutonDelai);
    auto* haut = new QHBoxLayout;
    haut->addWidget(ListBox2, 1);
    haut->addLayout(droite, 1);
    auto* l = new QVBoxLayout(page);
    l->addLayout(haut);
    l->addWidget(explication);

    connect(ListBox2, &QListWidget::currentRowChanged, this, [this](int ligne) {
        if (remplissage_) return;
        modele_.fournisseurs().choisir_fournisseur(ligne);
        appliquer();
    });
    connect(ComboBox2, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        std::string texte;
        try {
            texte = modele_.fournisseurs().choisir_tarif(i);
        } catch (const std::exception& e) {
            texte = e.what();
        }
        appliquer();
        informer(texte);
    });
    connect(BoutonDelai, &QPushButton::clicked, this, [this] {
        Tdelaiform boite(modele_.delai(), fond_explications_, this);
        boite.definir_aide(ModeleTdelaiform::sujet_aide, ouvrir_aide_);
        if (executer(boite) == QDialog::Accepted) modele_.delai_accepte(boite.modele());
        appliquer();
    });
    return page;
}

void Toptionform::construire_options() {
    // Tout ce que la disposition tient part, le ressort du bas compris : gardé, il s'ajouterait à
    // chaque ouverture et pousserait les interrupteurs vers le bas.
    while (QLayoutItem* element = disposition_options_->takeAt(0)) {
        delete element->widget();
        delete element;
    }
    hot_checkbox_.clear();
    const QFontMetrics mesure(font());
    const auto& options = modele_.fournisseurs().options();
    for (std::size_t i = 0; i < options.size(); ++i) {
        auto* c = new QCheckBox(QString::fromStdString(options[i].designation));
        c->setObjectName(QString("hot_checkbox%1").arg(options[i].numero));
        c->setToolTip(c->text());
        c->setProperty("interrupteur", true);
        c->setFixedHeight(18);
        c->setMinimumWidth(mesure.horizontalAdvance(c->text() + "ooooo") + 30);
        disposition_options_->addWidget(c);
        hot_checkbox_.push_back(c);
        connect(c, &QCheckBox::clicked, this, [this, i](bool coche) {
            const std::string avertissement = modele_.fournisseurs().cocher(i, coche);
            appliquer();
            if (!avertissement.empty()) dialogue_.avertissement(avertissement);
        });
    }
    disposition_options_->addStretch();
}

// --- Onglet des forfaits ---

QWidget* Toptionform::page_forfaits() {
    auto* page = new QWidget;
    page->setObjectName("TabSheet4");
    liste_forfaits_ = new ModeleListeForfaits(modele_.forfaits(), this);
    ListView1 = new QTableView(page);
    ListView1->setObjectName("ListView1");
    ListView1->setModel(liste_forfaits_);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->verticalHeader()->hide();
    ListView1->horizontalHeader()->setStretchLastSection(true);
    ListView1->horizontalHeader()->setStyleSheet(
        "QHeaderView::section { color: white; background: #000080; padding: 2px; }");
    ListView1->setColumnWidth(0, 220);
    ListView1->setColumnWidth(1, 110);
    ModifierTemps = bouton(qs(textes_forfaits::modifier_temps), "ModifierTemps");
    ModifierDate = bouton(qs(textes_forfaits::modifier_date), "ModifierDate");
    auto* boutons = new QHBoxLayout;
    boutons->addWidget(ModifierTemps);
    boutons->addWidget(ModifierDate);
    boutons->addStretch();
    auto* l = new QVBoxLayout(page);
    l->addWidget(ListView1);
    l->addLayout(boutons);
    connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { appliquer(); });
    connect(ModifierTemps, &QPushButton::clicked, this, [this] { ligne_forfait(true); });
    connect(ModifierDate, &QPushButton::clicked, this, [this] { ligne_forfait(false); });
    return page;
}

void Toptionform::ligne_forfait(bool temps) {
    const auto choisies = ListView1->selectionModel()->selectedRows();
    if (choisies.isEmpty()) return;
    const auto ligne = static_cast<std::size_t>(choisies.front().row());
    try {
        if (temps) {
            auto m = modele_.correction(ligne);
            if (!m) return;
            Trectiforfait boite(std::move(*m), dialogue_, this);
            boite.definir_aide(ModeleTrectiforfait::sujet_aide, ouvrir_aide_);
            if (executer(boite) == QDialog::Accepted && boite.correction)
                modele_.correction_acceptee(ligne, *boite.correction);
        } else {
            auto m = modele_.mode_reinitialisation(ligne);
            if (!m) return;
            Traz_type_forfait_form boite(std::move(*m), dialogue_, this);
            boite.definir_aide(ModeleTraz_type_forfait_form::sujet_aide, ouvrir_aide_);
            if (executer(boite) == QDialog::Accepted && boite.texte)
                modele_.forfaits().changer_mode(ligne, *boite.texte);
        }
    } catch (const std::exception& e) {
        dialogue_.avertissement(e.what());
    }
    liste_forfaits_->recharger();
    ListView1->selectRow(static_cast<int>(ligne));
    appliquer();
}

// --- Ouverture et mise à jour ---

void Toptionform::preparer(int page) {
    try {
        modele_.ouvrir(page);
    } catch (const std::exception& e) {
        // Un fichier des tarifs illisible : les onglets montrent ce qu'ils ont pu lire.
        dialogue_.avertissement(e.what());
    }
    remplissage_ = true;
    const auto& f = modele_.fournisseurs();
    ListBox2->clear();
    for (const auto& nom : f.fournisseurs()) ListBox2->addItem(QString::fromStdString(nom));
    ComboBox2->clear();
    for (const auto& nom : f.tarifs()) ComboBox2->addItem(QString::fromStdString(nom));
    construire_options();
    liste_forfaits_->recharger();
    ListView1->clearSelection();
    PageControl1->setCurrentIndex(static_cast<int>(modele_.onglet()));
    remplissage_ = false;
    definir_aide(modele_.sujet_aide(), ouvrir_aide_);
    appliquer();
    resize(sizeHint().expandedTo(QSize(640, 480)));
    centrer();
}

void Toptionform::appliquer() {
    remplissage_ = true;
    for (std::size_t i = 0; i < nb_interrupteurs; ++i)
        interrupteurs[i]->setChecked(modele_.generale().etat(static_cast<Interrupteur>(i)));
    ComboBox1->setCurrentIndex(modele_.generale().frequence());
    appliquer_utilisateurs();
    appliquer_fournisseurs();
    const bool ligne = ListView1->selectionModel()->hasSelection();
    ModifierTemps->setEnabled(ligne);
    ModifierDate->setEnabled(ligne);
    BitBtn2->setEnabled(modele_.valider_actif());
    remplissage_ = false;
}

void Toptionform::appliquer_utilisateurs() {
    const auto& p = modele_.utilisateurs();
    const auto lignes = p.lignes();
    if (ListBox1->count() != static_cast<int>(lignes.size())) {
        ListBox1->clear();
        for (std::size_t i = 0; i < lignes.size(); ++i) ListBox1->addItem(QString());
    }
    for (std::size_t i = 0; i < lignes.size(); ++i) {
        auto* item = ListBox1->item(static_cast<int>(i));
        item->setText(QString::fromStdString(lignes[i].nom));
        item->setData(role_cadenas, lignes[i].protege);
    }
    ListBox1->setCurrentRow(p.position());
    SupprimerUtilisateur->setEnabled(p.supprimer_actif());
    ProtegerUtilisateur->setEnabled(p.proteger_actif());
    SupprimerMotDePasse->setEnabled(p.supprimer_mot_de_passe_actif());
    Monter->setEnabled(p.position() > 0);
    Descendre->setEnabled(p.position() >= 0 && p.position() + 1 < static_cast<int>(lignes.size()));
}

void Toptionform::appliquer_fournisseurs() {
    const auto& f = modele_.fournisseurs();
    ListBox2->setCurrentRow(f.fournisseur());
    ComboBox2->setCurrentIndex(f.tarif());
    ComboBox2->setEnabled(f.annuaire_present());
    BoutonDelai->setEnabled(f.annuaire_present());
    for (std::size_t i = 0; i < hot_checkbox_.size() && i < f.options().size(); ++i)
        hot_checkbox_[i]->setChecked(f.options()[i].coche);
}

bool Toptionform::eventFilter(QObject* objet, QEvent* evenement) {
    // Alt+Suppr dans la liste des utilisateurs : tous les mots de passe effacés. Rien ne se
    // rattrape : Entrée répond "&Non".
    if (objet == ListBox1 && evenement->type() == QEvent::KeyPress) {
        const auto* touche = static_cast<QKeyEvent*>(evenement);
        if (touche->key() == Qt::Key_Delete && (touche->modifiers() & Qt::AltModifier)) {
            if (dialogue_.question(textes_utilisateurs::effacer_tous, false, Reponse::non) == Reponse::oui) {
                modele_.utilisateurs().effacer_tous_mots_de_passe();
                appliquer();
            }
            return true;
        }
    }
    return DialogueLumi::eventFilter(objet, evenement);
}

void definir_route_options(TForm1& fenetre, CouturesOptions coutures) {
    TForm1& f = fenetre;
    f.routeur().definir_route(
        FenetreSecondaire::options,
        [&f, c = std::move(coutures)](QWidget* parent) -> QDialog* {
            LiensOptions liens{c.horloge,      c.registre,       c.dialogue,
                               c.dossier_donnees, f.compteur(),  f.commandes(),
                               f.utilisateurs(), c.acces_distant, c.systeme,
                               c.commande_demarrage ? c.commande_demarrage() : CommandeSysteme{}};
            return new Toptionform(std::move(liens), f.couleurs(), f.icones(),
                                   [&f](int sujet) { f.ouvrir_aide(sujet); }, parent);
        },
        [](QDialog& d, int page) { static_cast<Toptionform&>(d).preparer(page); });
}

}  // namespace lumi::ui
