#include "ui/programmation/tdeconectform.hpp"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <filesystem>

#include "ui/tsplashscreen.hpp"
#include "ui/texte_qt.hpp"

namespace lumi::ui {

namespace {

QColor couleur_de(std::uint32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Tdeconectform

Tdeconectform::Tdeconectform(Programmation& programmation, QWidget* parent, ChoixFichier choisir_fichier)
    : DialogueLumi("Tdeconectform", "Module de programmation", parent),
      modele_(programmation),
      choisir_fichier_(std::move(choisir_fichier)) {
    if (!choisir_fichier_) {
        choisir_fichier_ = [](QWidget* p, const QString& titre, const QString& dossier) {
            return QFileDialog::getOpenFileName(p, titre, dossier, "Sons WAVES (*.wav)");
        };
    }

    auto* declencheur = new QLabel("Déclenchement :", this);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    for (const auto& t : ModeleTdeconectform::types()) ComboBox1->addItem(qs(t));
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (en_application_) return;
        modele_.choisir_type(i);
        appliquer();
    });

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->installEventFilter(this);  // la souris sur le groupe arrête la répétition
    Panel2 = new QLabel(GroupBox1);
    Panel2->setObjectName("Panel2");
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel2->setMinimumWidth(150);
    QFont grande = Panel2->font();
    grande.setPointSizeF(grande.pointSizeF() * 1.6);
    grande.setBold(true);
    Panel2->setFont(grande);
    SpeedButton1 = fleche("SpeedButton1", "▲", Fleche::grande_haut);
    SpeedButton2 = fleche("SpeedButton2", "▼", Fleche::grande_bas);
    SpeedButton3 = fleche("SpeedButton3", "▲", Fleche::petite_haut);
    SpeedButton4 = fleche("SpeedButton4", "▼", Fleche::petite_bas);
    SpeedButton5 = new QToolButton(GroupBox1);
    SpeedButton5->setObjectName("SpeedButton5");
    SpeedButton5->setText("0");
    connect(SpeedButton5, &QToolButton::clicked, this, [this] {
        modele_.remise_a_zero();
        appliquer();
    });
    Button3 = new QPushButton("Ajuster à l'heure actuelle", GroupBox1);
    Button3->setObjectName("Button3");
    connect(Button3, &QPushButton::clicked, this, [this] {
        modele_.ajuster_heure();
        appliquer();
    });
    Label1 = new QLabel(GroupBox1);
    Label1->setObjectName("Label1");
    QFont gras = Label1->font();
    gras.setBold(true);
    Label1->setFont(gras);
    Label2 = new QLabel(GroupBox1);
    Label2->setObjectName("Label2");
    Label2->setWordWrap(true);
    auto* grille = new QGridLayout(GroupBox1);
    grille->addWidget(Panel2, 0, 0, 2, 1);
    grille->addWidget(SpeedButton1, 0, 1);
    grille->addWidget(SpeedButton2, 1, 1);
    grille->addWidget(SpeedButton3, 0, 2);
    grille->addWidget(SpeedButton4, 1, 2);
    grille->addWidget(SpeedButton5, 0, 3, 2, 1);
    grille->addWidget(Button3, 0, 4, 2, 1);
    grille->addWidget(Label1, 2, 0, 1, 5);
    grille->addWidget(Label2, 3, 0, 1, 5);

    auto* actions = new QGroupBox("Actions ", this);
    CheckBox1 = new QCheckBox(actions);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox2 = new QCheckBox(actions);
    CheckBox2->setObjectName("CheckBox2");
    CheckBox3 = new QCheckBox(actions);
    CheckBox3->setObjectName("CheckBox3");
    connect(CheckBox1, &QCheckBox::clicked, this, [this](bool c) {
        modele_.CheckBox_deconnecter(c);
        appliquer();
    });
    connect(CheckBox2, &QCheckBox::clicked, this, [this](bool c) {
        modele_.CheckBox_quitter(c);
        appliquer();
    });
    connect(CheckBox3, &QCheckBox::clicked, this, [this](bool c) {
        modele_.CheckBox_alarme(c);
        appliquer();
    });
    CheckBox4 = new QCheckBox(actions);
    CheckBox4->setObjectName("CheckBox4");
    CheckBox4->setToolTip("Le pas commencé est payé en entier : le raccrochage a lieu 3 secondes avant le pas suivant");
    connect(CheckBox4, &QCheckBox::clicked, this, [this](bool c) { modele_.fin_du_pas.coche = c; });
    SpeedButton6 = new QPushButton("Tester l'alarme", actions);
    SpeedButton6->setObjectName("SpeedButton6");
    connect(SpeedButton6, &QPushButton::clicked, this, [this] { modele_.tester_alarme(); });
    SpeedButton7 = new QPushButton("Choisir un son...", actions);
    SpeedButton7->setObjectName("SpeedButton7");
    connect(SpeedButton7, &QPushButton::clicked, this, [this] {
        const QString dossier = qs(std::filesystem::path(modele_.son).parent_path().string());
        const QString choisi = choisir_fichier_(this, "Sélectionnez un nouveau son pour l'alarme", dossier);
        if (choisi.isEmpty()) return;
        modele_.choisir_son(choisi.toStdString());
        appliquer();
    });
    TrackBar1 = new QSlider(Qt::Horizontal, actions);
    TrackBar1->setObjectName("TrackBar1");
    TrackBar1->setRange(0, ModeleTdeconectform::delai_max);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    connect(TrackBar1, &QSlider::valueChanged, this, [this](int v) {
        if (en_application_) return;
        modele_.TrackBar1(v);
        appliquer();
    });
    Label3 = new QLabel(actions);
    Label3->setObjectName("Label3");
    auto* son = new QHBoxLayout;
    son->addWidget(CheckBox3, 1);
    son->addWidget(SpeedButton6);
    son->addWidget(SpeedButton7);
    auto* dans_actions = new QVBoxLayout(actions);
    dans_actions->addWidget(CheckBox1);
    dans_actions->addWidget(CheckBox2);
    dans_actions->addWidget(CheckBox4);
    dans_actions->addLayout(son);
    dans_actions->addWidget(Label3);
    dans_actions->addWidget(TrackBar1);

    Button1 = bouton("&Programmer", "Button1", true);
    Button2 = bouton("A&nnuler", "Button2");
    connect(Button1, &QPushButton::clicked, this, [this] {
        if (modele_.Programmer()) accept();
    });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    // Toute fermeture range les réglages, une seule fois.
    connect(this, &QDialog::finished, this, [this] {
        if (!fermeture_rangee_) {
            fermeture_rangee_ = true;
            modele_.FormClose();
        }
        Timer1->stop();
    });

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(ModeleTdeconectform::repetition_ms);
    connect(Timer1, &QTimer::timeout, this, [this] {
        bool change = false;
        if (modele_.repetition_active()) {
            // Le bouton relâché hors de la fenêtre : plus de répétition.
            if (QApplication::mouseButtons() == Qt::NoButton) modele_.relacher();
            change = modele_.tic_repetition();
        }
        if (modele_.type() == 0) {
            modele_.Timer_statut();
            change = true;
        }
        if (change) appliquer();
    });

    auto* haut = new QHBoxLayout;
    haut->addWidget(declencheur);
    haut->addWidget(ComboBox1, 1);
    auto* boutons = new QHBoxLayout;
    boutons->addStretch();
    boutons->addWidget(Button1);
    boutons->addWidget(Button2);
    auto* tout = new QVBoxLayout(this);
    tout->addLayout(haut);
    tout->addWidget(GroupBox1);
    tout->addWidget(actions);
    tout->addLayout(boutons);
    setMinimumWidth(460);
}

QToolButton* Tdeconectform::fleche(const QString& nom, const QString& texte, Fleche f) {
    auto* b = new QToolButton(GroupBox1);
    b->setObjectName(nom);
    b->setText(texte);
    // L'appui fait le premier pas et lance la répétition ; le relâchement l'arrête.
    connect(b, &QToolButton::pressed, this, [this, f] {
        modele_.appui(f);
        appliquer();
    });
    connect(b, &QToolButton::released, this, [this] { modele_.relacher(); });
    return b;
}

void Tdeconectform::preparer() {
    fermeture_rangee_ = false;
    modele_.relacher();
    modele_.FormCreate();
    modele_.FormActivate();
    appliquer();
    centrer();
}

void Tdeconectform::showEvent(QShowEvent* evenement) {
    DialogueLumi::showEvent(evenement);
    Timer1->start();
}

void Tdeconectform::closeEvent(QCloseEvent* evenement) {
    modele_.relacher();
    DialogueLumi::closeEvent(evenement);
}

bool Tdeconectform::eventFilter(QObject* objet, QEvent* evenement) {
    if (objet == GroupBox1 && evenement->type() == QEvent::MouseMove) modele_.relacher();
    return DialogueLumi::eventFilter(objet, evenement);
}

void Tdeconectform::appliquer() {
    en_application_ = true;
    const auto& m = modele_;
    ComboBox1->setCurrentIndex(m.type());
    GroupBox1->setTitle(qs(m.legende_groupe));
    Panel2->setText(qs(m.texte_champ()));
    Panel2->setToolTip(qs(m.hint_champ));
    for (QWidget* w : {static_cast<QWidget*>(Panel2), static_cast<QWidget*>(SpeedButton1),
                       static_cast<QWidget*>(SpeedButton2), static_cast<QWidget*>(SpeedButton3),
                       static_cast<QWidget*>(SpeedButton4)}) {
        w->setVisible(m.champs_visibles);
    }
    SpeedButton5->setVisible(m.bouton_raz_visible);
    SpeedButton5->setToolTip(qs(m.hint_raz));
    Button3->setVisible(m.bouton_ajuster_visible);
    Label1->setVisible(m.statut_visible);
    Label2->setVisible(m.statut_visible);
    Label1->setText(qs(m.statut));
    QPalette p = Label1->palette();
    p.setColor(QPalette::WindowText, couleur_de(m.couleur_statut));
    Label1->setPalette(p);
    Label2->setText(qs(m.surveillance));
    CheckBox1->setText(qs(m.deconnecter.caption));
    CheckBox1->setChecked(m.deconnecter.coche);
    CheckBox2->setText(qs(m.quitter.caption));
    CheckBox2->setChecked(m.quitter.coche);
    CheckBox2->setEnabled(m.quitter.enabled);
    CheckBox4->setText(qs(m.fin_du_pas.caption));
    CheckBox4->setChecked(m.fin_du_pas.coche);
    CheckBox4->setEnabled(m.fin_du_pas.enabled);
    CheckBox3->setText(qs(m.alarme.caption));
    CheckBox3->setChecked(m.alarme.coche);
    SpeedButton6->setEnabled(m.boutons_son_enabled);
    SpeedButton7->setEnabled(m.boutons_son_enabled);
    TrackBar1->setValue(m.delai);
    Label3->setText(qs(m.legende_delai));
    en_application_ = false;
}

// ---------------------------------------------------------------------------------------------
// TcofirmForm

TcofirmForm::TcofirmForm(Programmation& programmation, QWidget* parent)
    : DialogueLumi("TcofirmForm", "Lumicompteur 2000", parent), modele_(programmation) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
    Label1 = new QLabel(qs(modele_.texte), this);
    Label1->setObjectName("Label1");
    Label1->setWordWrap(true);
    Label2 = new QLabel(this);
    Label2->setObjectName("Label2");
    QFont gras = Label2->font();
    gras.setBold(true);
    gras.setPointSizeF(gras.pointSizeF() + 1);
    Label2->setFont(gras);
    Label2->setStyleSheet("color: #c00000");
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, modele_.maximum);
    ProgressBar1->setTextVisible(false);
    Button1 = bouton("&Se déconnecter...", "Button1", true);
    Button2 = bouton("&Annuler", "Button2");
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(ModeleTcofirmForm::intervalle_ms);
    connect(Timer1, &QTimer::timeout, this, [this] {
        const bool fini = modele_.Timer1Timer();
        appliquer();
        // La jauge pleine fait ce que fait le bouton : sinon la fenêtre resterait figée au-dessus de
        // tout pendant le raccrochage et l'arrêt.
        if (fini) se_deconnecter();
    });
    connect(Button1, &QPushButton::clicked, this, [this] { se_deconnecter(); });
    connect(Button2, &QPushButton::clicked, this, [this] {
        Timer1->stop();
        modele_.Annuler();
        close();
    });
    auto* boutons = new QHBoxLayout;
    boutons->addStretch();
    boutons->addWidget(Button1);
    boutons->addWidget(Button2);
    auto* tout = new QVBoxLayout(this);
    tout->addWidget(Label1);
    tout->addWidget(Label2);
    tout->addWidget(ProgressBar1);
    tout->addLayout(boutons);
    setMinimumWidth(420);
    centrer();
}

void TcofirmForm::se_deconnecter() {
    Timer1->stop();
    hide();
    modele_.SeDeconnecter();
    close();
}

void TcofirmForm::showEvent(QShowEvent* evenement) {
    DialogueLumi::showEvent(evenement);
    if (active_) return;
    active_ = true;
    modele_.FormActivate();
    appliquer();
    Timer1->start();
}

void TcofirmForm::appliquer() {
    Label2->setText(qs(modele_.caption));
    ProgressBar1->setValue(modele_.position);
}

// ---------------------------------------------------------------------------------------------
// EcransQt

EcransQt::EcransQt(Programmation& programmation, QWidget& principale, const QIcon& icone)
    : programmation_(programmation), principale_(principale), icone_(icone) {}

EcransQt::~EcransQt() {
    delete decompte_.data();
    delete splash_.data();
}

void EcransQt::ouvrir_decompte() {
    if (decompte_) decompte_->close();
    decompte_ = new TcofirmForm(programmation_, &principale_);
    decompte_->show();
    decompte_->raise();
}

void EcransQt::montrer_deconnexion(std::string_view texte) {
    if (!splash_) splash_ = new Tsplashscreen(icone_, &principale_);
    splash_->definir_texte(QString::fromUtf8(texte.data(), static_cast<int>(texte.size())));
    splash_->montrer();
}

void EcransQt::fermer_deconnexion() {
    if (splash_) splash_->hide();
    if (apres_etape) apres_etape();
}

void EcransQt::attendre(int ms) {
    // La boucle tourne pendant l'attente : la fenêtre reste peinte et la détection voit la fin.
    QEventLoop boucle;
    QTimer::singleShot(ms, &boucle, &QEventLoop::quit);
    boucle.exec(QEventLoop::ExcludeUserInputEvents);
    if (apres_etape) apres_etape();
}

}  // namespace lumi::ui
