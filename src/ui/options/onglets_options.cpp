#include "ui/options/onglets_options.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "actions/dialogue.hpp"
#include "base/decimal.hpp"
#include "ui/controles.hpp"
#include "ui/dialogue_lumi.hpp"
#include "ui/options/boites_options.hpp"
#include "ui/texte_qt.hpp"

namespace lumi::ui {

namespace {

using I = Interrupteur;

// Un interrupteur : une case à cocher dessinée comme un interrupteur.
QCheckBox* interrupteur(Interrupteur i, QWidget* parent) {
    auto* c = new QCheckBox(qs(texte_interrupteur(i)), parent);
    c->setObjectName(QString("Interrupteur%1").arg(static_cast<int>(i)));
    c->setProperty("interrupteur", true);
    return c;
}

}  // namespace

// --- Ce que les onglets partagent ---

OngletOptionsQt::OngletOptionsQt(const ContexteOnglets& contexte, const char* nom, QWidget* parent)
    : QWidget(parent), c_(contexte) {
    setObjectName(nom);
}

QPushButton* OngletOptionsQt::bouton(std::string_view texte, const char* nom) {
    return DialogueLumi::bouton(this, qs(texte), nom);
}

QWidget* OngletOptionsQt::explication(const char* nom, const QString& texte) {
    auto* panneau = DialogueLumi::panneau_colore(this, c_.fond_explications, nom);
    auto* l = new QVBoxLayout(panneau);
    auto* etiquette = new QLabel(texte, panneau);
    etiquette->setWordWrap(true);
    l->addWidget(etiquette);
    return panneau;
}

// --- Options générales ---

OngletGenerale::OngletGenerale(const ContexteOnglets& contexte, QWidget* parent)
    : OngletOptionsQt(contexte, "TabSheet1", parent) {
    for (std::size_t i = 0; i < nb_interrupteurs; ++i) {
        interrupteurs[i] = interrupteur(static_cast<Interrupteur>(i), this);
        connect(interrupteurs[i], &QCheckBox::clicked, this, [this, i] {
            if (remplissage_) return;
            c_.modele.generale().appuyer(static_cast<Interrupteur>(i));
            activer_notifications();
            emit modifie();
        });
    }
    const auto groupe = [&](const QString& titre, std::initializer_list<Interrupteur> membres) {
        auto* g = new QGroupBox(titre, this);
        auto* l = new QVBoxLayout(g);
        for (auto m : membres) l->addWidget(interrupteurs[static_cast<std::size_t>(m)]);
        return g;
    };
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    for (auto t : textes_frequence) ComboBox1->addItem(qs(t));
    connect(ComboBox1, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        c_.modele.generale().choisir_frequence(i);
        emit modifie();
    });
    auto* anti_crash = groupe(qs(textes_generale::groupe_anti_crash), {I::anti_crash});
    anti_crash->layout()->addWidget(ComboBox1);

    auto* grille = new QGridLayout(this);
    grille->addWidget(
        groupe(qs(textes_generale::groupe_detection), {I::detection_1, I::detection_2, I::detection_3}), 0, 0,
        1, 2);
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
    grille->addWidget(groupe(QStringLiteral("Historique :"), {I::total_sans_reduc, I::total_avec_reduc}), 4,
                      1);

    EditPlafond = new QLineEdit(this);
    EditPlafond->setObjectName("EditPlafond");
    EditPlafond->setPlaceholderText(QStringLiteral("aucun"));
    EditPlafond->setMaxLength(12);
    SpinAlerte = new QSpinBox(this);
    SpinAlerte->setObjectName("SpinAlerte");
    SpinAlerte->setRange(plafond::alerte_min, plafond::alerte_max);
    SpinAlerte->setSuffix(QStringLiteral(" %"));
    ComboAction = new QComboBox(this);
    ComboAction->setObjectName("ComboAction");
    ComboAction->addItem(qs(textes_generale::plafond_avertir));
    ComboAction->addItem(qs(textes_generale::plafond_raccrocher));
    auto* groupe_plafond = new QGroupBox(qs(textes_generale::groupe_plafond), this);
    auto* lp = new QGridLayout(groupe_plafond);
    lp->addWidget(new QLabel(qs(textes_generale::plafond_montant), groupe_plafond), 0, 0);
    lp->addWidget(EditPlafond, 0, 1);
    lp->addWidget(new QLabel(qs(textes_generale::plafond_alerte), groupe_plafond), 0, 2);
    lp->addWidget(SpinAlerte, 0, 3);
    lp->addWidget(ComboAction, 1, 0, 1, 4);
    auto* aide = new QLabel(qs(textes_generale::plafond_aide), groupe_plafond);
    aide->setWordWrap(true);
    lp->addWidget(aide, 2, 0, 1, 4);
    connect(EditPlafond, &QLineEdit::textEdited, this, [this] { saisie_plafond(); });
    connect(SpinAlerte, qOverload<int>(&QSpinBox::valueChanged), this, [this] { saisie_plafond(); });
    connect(ComboAction, qOverload<int>(&QComboBox::activated), this, [this] { saisie_plafond(); });
    // Côte à côte : l'onglet doit tenir sur un écran de 768 lignes, boutons compris.
    grille->addWidget(groupe(qs(textes_generale::groupe_notifications),
                             {I::notifications_bureau, I::notification_fin_connexion}),
                      5, 0);
    grille->addWidget(groupe_plafond, 5, 1);
    grille->setRowStretch(6, 1);
}

void OngletGenerale::saisie_plafond() {
    if (remplissage_) return;
    c_.modele.generale().modifier_plafond(
        {EditPlafond->text().toStdString(), std::to_string(SpinAlerte->value()),
         std::string(ComboAction->currentIndex() == 1 ? plafond::raccrocher : plafond::avertir)});
    emit modifie();
}

void OngletGenerale::appliquer() {
    remplissage_ = true;
    const auto& page = c_.modele.generale();
    for (std::size_t i = 0; i < nb_interrupteurs; ++i)
        interrupteurs[i]->setChecked(page.etat(static_cast<Interrupteur>(i)));
    ComboBox1->setCurrentIndex(page.frequence());
    const auto& p = page.plafond();
    EditPlafond->setText(QString::fromStdString(p.montant));
    // Une valeur rangée illisible montre le défaut ; la validation la remplacera.
    const auto alerte = lire_entier(p.alerte);
    SpinAlerte->setValue(alerte && *alerte >= plafond::alerte_min && *alerte <= plafond::alerte_max
                             ? *alerte
                             : plafond::alerte_par_defaut);
    ComboAction->setCurrentIndex(p.action == plafond::raccrocher ? 1 : 0);
    activer_notifications();
    remplissage_ = false;
}

void OngletGenerale::activer_notifications() {
    // La fin de connexion n'est qu'une précision des notifications : éteinte avec elles.
    interrupteurs[static_cast<std::size_t>(I::notification_fin_connexion)]->setEnabled(
        c_.modele.generale().etat(I::notifications_bureau));
}

// --- Gestion des utilisateurs ---

OngletUtilisateurs::OngletUtilisateurs(const ContexteOnglets& contexte, QWidget* parent)
    : OngletOptionsQt(contexte, "TabSheet2", parent) {
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setItemDelegate(new DelegueLigne(c_.style_listes, ListBox1));
    ListBox1->installEventFilter(this);
    AjouterUtilisateur = bouton(textes_utilisateurs::ajouter, "AjouterUtilisateur");
    SupprimerUtilisateur = bouton(textes_utilisateurs::supprimer, "SupprimerUtilisateur");
    ProtegerUtilisateur = bouton(textes_utilisateurs::proteger, "ProtegerUtilisateur");
    SupprimerMotDePasse = bouton(textes_utilisateurs::supprimer_mot_de_passe, "SupprimerMotDePasse");
    Monter = new QToolButton(this);
    Monter->setObjectName("Monter");
    Monter->setArrowType(Qt::UpArrow);
    Monter->setToolTip(qs(textes_utilisateurs::monter));
    Descendre = new QToolButton(this);
    Descendre->setObjectName("Descendre");
    Descendre->setArrowType(Qt::DownArrow);
    Descendre->setToolTip(qs(textes_utilisateurs::descendre));

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
    auto* l = new QVBoxLayout(this);
    l->addLayout(haut);
    l->addWidget(explication(
        "Panel2",
        QStringLiteral("Chaque connexion est enregistrée au nom d'un utilisateur. Un mot de passe protège le "
                       "choix de cet utilisateur dans la boîte de sélection de la fin de connexion.")));

    connect(ListBox1, &QListWidget::currentRowChanged, this, [this](int ligne) {
        if (remplissage_) return;
        page().selectionner(ligne);
        emit modifie();
    });
    connect(AjouterUtilisateur, &QPushButton::clicked, this, [this] {
        Tnewuserform boite(page().boite_nouvel_utilisateur(), c_.dialogue, this);
        if (c_.executer(boite) == QDialog::Accepted && boite.nom) page().ajouter(*boite.nom);
        emit modifie();
    });
    connect(SupprimerUtilisateur, &QPushButton::clicked, this, [this] {
        auto& p = page();
        if (p.position() < 0) return;
        const std::string& nom = p.noms()[static_cast<std::size_t>(p.position())];
        if (c_.dialogue.question(textes_utilisateurs::question_suppression(nom)) != Reponse::oui) return;
        if (p.protege(p.position())) {
            TPasswordDlg boite(p.boite_mot_de_passe(ModeMotDePasse::supprimer_utilisateur), c_.dialogue,
                               this);
            if (c_.executer(boite) != QDialog::Accepted) return;
        }
        p.supprimer();
        emit modifie();
    });
    connect(ProtegerUtilisateur, &QPushButton::clicked, this, [this] {
        TPasswordDlg boite(page().boite_mot_de_passe(ModeMotDePasse::proteger), c_.dialogue, this);
        if (c_.executer(boite) == QDialog::Accepted) page().proteger(boite.modele().empreinte_nouvelle());
        emit modifie();
    });
    connect(SupprimerMotDePasse, &QPushButton::clicked, this, [this] {
        TPasswordDlg boite(page().boite_mot_de_passe(ModeMotDePasse::supprimer_mot_de_passe), c_.dialogue,
                           this);
        if (c_.executer(boite) == QDialog::Accepted) page().retirer_mot_de_passe();
        emit modifie();
    });
    connect(Monter, &QToolButton::clicked, this, [this] {
        page().monter();
        emit modifie();
    });
    connect(Descendre, &QToolButton::clicked, this, [this] {
        page().descendre();
        emit modifie();
    });
}

void OngletUtilisateurs::appliquer() {
    remplissage_ = true;
    const auto& p = page();
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
    remplissage_ = false;
}

bool OngletUtilisateurs::eventFilter(QObject* objet, QEvent* evenement) {
    // Alt+Suppr dans la liste : tous les mots de passe effacés. Rien ne se rattrape : Entrée
    // répond "&Non".
    if (objet == ListBox1 && evenement->type() == QEvent::KeyPress) {
        const auto* touche = static_cast<QKeyEvent*>(evenement);
        if (touche->key() == Qt::Key_Delete && (touche->modifiers() & Qt::AltModifier)) {
            if (c_.dialogue.question(textes_utilisateurs::effacer_tous, false, Reponse::non) ==
                Reponse::oui) {
                page().effacer_tous_mots_de_passe();
                emit modifie();
            }
            return true;
        }
    }
    return OngletOptionsQt::eventFilter(objet, evenement);
}

// --- Fournisseurs d'accès ---

OngletFournisseurs::OngletFournisseurs(const ContexteOnglets& contexte, QWidget* parent)
    : OngletOptionsQt(contexte, "TabSheet3", parent) {
    ListBox2 = new QListWidget(this);
    ListBox2->setObjectName("ListBox2");
    ListBox2->setItemDelegate(new DelegueLigne(c_.style_listes, ListBox2));
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName("ComboBox2");
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName("ScrollBox1");
    ScrollBox1->setWidgetResizable(true);
    auto* contenu = new QWidget;
    disposition_options_ = new QVBoxLayout(contenu);
    disposition_options_->setContentsMargins(5, 4, 5, 4);
    disposition_options_->setSpacing(0);
    ScrollBox1->setWidget(contenu);
    BoutonDelai = bouton(textes_fournisseurs::bouton_delai, "BoutonDelai");
    BoutonDelai->setToolTip(qs(textes_fournisseurs::hint_delai));

    auto* droite = new QVBoxLayout;
    droite->addWidget(new QLabel(QStringLiteral("Tarification :"), this));
    droite->addWidget(ComboBox2);
    droite->addWidget(new QLabel(QStringLiteral("Réductions et forfaits :"), this));
    droite->addWidget(ScrollBox1, 1);
    droite->addWidget(BoutonDelai);
    auto* haut = new QHBoxLayout;
    haut->addWidget(ListBox2, 1);
    haut->addLayout(droite, 1);
    auto* l = new QVBoxLayout(this);
    l->addLayout(haut);
    l->addWidget(explication(
        "Panel3",
        QStringLiteral(
            "Pour chaque connexion de l'annuaire, choisissez le tarif téléphonique et les réductions "
            "ou forfaits auxquels vous êtes abonné(e) auprès de ce fournisseur d'accès.")));

    connect(ListBox2, &QListWidget::currentRowChanged, this, [this](int ligne) {
        if (remplissage_) return;
        page().choisir_fournisseur(ligne);
        emit modifie();
    });
    connect(ComboBox2, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        std::string texte;
        try {
            texte = page().choisir_tarif(i);
        } catch (const std::exception& e) {
            texte = e.what();
        }
        emit modifie();
        if (!texte.empty()) c_.dialogue.information(texte);
    });
    connect(BoutonDelai, &QPushButton::clicked, this, [this] {
        Tdelaiform boite(c_.modele.delai(), c_.fond_explications, this);
        boite.definir_aide(ModeleTdelaiform::sujet_aide, c_.ouvrir_aide);
        if (c_.executer(boite) == QDialog::Accepted) c_.modele.delai_accepte(boite.modele());
        emit modifie();
    });
}

void OngletFournisseurs::charger() {
    remplissage_ = true;
    const auto& f = page();
    ListBox2->clear();
    for (const auto& nom : f.fournisseurs()) ListBox2->addItem(QString::fromStdString(nom));
    ComboBox2->clear();
    for (const auto& nom : f.tarifs()) ComboBox2->addItem(QString::fromStdString(nom));
    construire_options();
    remplissage_ = false;
}

void OngletFournisseurs::construire_options() {
    // Tout ce que la disposition tient part, le ressort du bas compris : gardé, il s'ajouterait à
    // chaque ouverture et pousserait les interrupteurs vers le bas.
    while (QLayoutItem* element = disposition_options_->takeAt(0)) {
        delete element->widget();
        delete element;
    }
    hot_checkbox_.clear();
    const QFontMetrics mesure(font());
    const auto& options = page().options();
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
            const std::string avertissement = page().cocher(i, coche);
            emit modifie();
            if (!avertissement.empty()) c_.dialogue.avertissement(avertissement);
        });
    }
    disposition_options_->addStretch();
}

void OngletFournisseurs::appliquer() {
    remplissage_ = true;
    const auto& f = page();
    ListBox2->setCurrentRow(f.fournisseur());
    ComboBox2->setCurrentIndex(f.tarif());
    ComboBox2->setEnabled(f.annuaire_present());
    BoutonDelai->setEnabled(f.annuaire_present());
    for (std::size_t i = 0; i < hot_checkbox_.size() && i < f.options().size(); ++i)
        hot_checkbox_[i]->setChecked(f.options()[i].coche);
    remplissage_ = false;
}

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
        case 0:
            return qs(textes_forfaits::colonne_forfait);
        case 1:
            return qs(textes_forfaits::colonne_temps);
        default:
            return qs(textes_forfaits::colonne_date);
    }
}

// --- Gestion des forfaits ---

OngletForfaits::OngletForfaits(const ContexteOnglets& contexte, QWidget* parent)
    : OngletOptionsQt(contexte, "TabSheet4", parent) {
    liste_ = new ModeleListeForfaits(c_.modele.forfaits(), this);
    ListView1 = new QTableView(this);
    ListView1->setObjectName("ListView1");
    ListView1->setModel(liste_);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->verticalHeader()->hide();
    ListView1->horizontalHeader()->setStretchLastSection(true);
    ListView1->horizontalHeader()->setStyleSheet(
        "QHeaderView::section { color: white; background: #000080; padding: 2px; }");
    ListView1->setColumnWidth(0, 220);
    ListView1->setColumnWidth(1, 110);
    ModifierTemps = bouton(textes_forfaits::modifier_temps, "ModifierTemps");
    ModifierDate = bouton(textes_forfaits::modifier_date, "ModifierDate");
    auto* boutons = new QHBoxLayout;
    boutons->addWidget(ModifierTemps);
    boutons->addWidget(ModifierDate);
    boutons->addStretch();
    auto* l = new QVBoxLayout(this);
    l->addWidget(ListView1);
    l->addLayout(boutons);
    connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { emit modifie(); });
    connect(ModifierTemps, &QPushButton::clicked, this, [this] { ligne_forfait(true); });
    connect(ModifierDate, &QPushButton::clicked, this, [this] { ligne_forfait(false); });
}

void OngletForfaits::definir_couleurs(QColor ligne_paire, QColor ligne_impaire) {
    liste_->definir_couleurs(ligne_paire, ligne_impaire);
}

void OngletForfaits::charger() {
    liste_->recharger();
    ListView1->clearSelection();
}

void OngletForfaits::appliquer() {
    const bool ligne = ListView1->selectionModel()->hasSelection();
    ModifierTemps->setEnabled(ligne);
    ModifierDate->setEnabled(ligne);
}

void OngletForfaits::ligne_forfait(bool temps) {
    const auto choisies = ListView1->selectionModel()->selectedRows();
    if (choisies.isEmpty()) return;
    const auto ligne = static_cast<std::size_t>(choisies.front().row());
    auto& modele = c_.modele;
    try {
        if (temps) {
            auto m = modele.correction(ligne);
            if (!m) return;
            Trectiforfait boite(std::move(*m), c_.dialogue, this);
            boite.definir_aide(ModeleTrectiforfait::sujet_aide, c_.ouvrir_aide);
            if (c_.executer(boite) == QDialog::Accepted && boite.correction)
                modele.correction_acceptee(ligne, *boite.correction);
        } else {
            auto m = modele.mode_reinitialisation(ligne);
            if (!m) return;
            Traz_type_forfait_form boite(std::move(*m), c_.dialogue, this);
            boite.definir_aide(ModeleTraz_type_forfait_form::sujet_aide, c_.ouvrir_aide);
            if (c_.executer(boite) == QDialog::Accepted && boite.texte)
                modele.forfaits().changer_mode(ligne, *boite.texte);
        }
    } catch (const std::exception& e) {
        c_.dialogue.avertissement(e.what());
    }
    liste_->recharger();
    ListView1->selectRow(static_cast<int>(ligne));
    emit modifie();
}

}  // namespace lumi::ui
