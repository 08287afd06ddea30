#include "ui/options/toptionform.hpp"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/couleurs.hpp"
#include "actions/dialogue.hpp"
#include "ui/icones.hpp"
#include "ui/texte_qt.hpp"

namespace lumi::ui {

namespace {


// Une couleur du jeu, le défaut si elle ne se lit pas.
QColor couleur_jeu(const JeuCouleurs& jeu, std::string_view nom, std::uint32_t defaut) {
    try {
        return couleur_qt(jeu.couleur(nom, defaut));
    } catch (const std::exception&) {
        return couleur_qt(defaut);
    }
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
    const QColor fond_explications =
        couleurs.section() == section_couleurs_8bits ? couleur_qt(couleur_teal) : style_listes_.fond;
    setStyleSheet(style_interrupteurs);
    contexte_ = std::make_unique<ContexteOnglets>(
        ContexteOnglets{modele_, dialogue_, executer, ouvrir_aide_, style_listes_, fond_explications});

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    TabSheet1 = new OngletGenerale(*contexte_);
    TabSheet2 = new OngletUtilisateurs(*contexte_);
    TabSheet3 = new OngletFournisseurs(*contexte_);
    TabSheet4 = new OngletForfaits(*contexte_);
    PageControl1->addTab(TabSheet1, qs(textes_generale::onglet));
    PageControl1->addTab(TabSheet2, qs(textes_utilisateurs::onglet));
    PageControl1->addTab(TabSheet3, qs(textes_fournisseurs::onglet));
    PageControl1->addTab(TabSheet4, qs(textes_forfaits::onglet));
    TabSheet4->definir_couleurs(couleur_jeu(couleurs, "tableau historique", clWindow),
                                couleur_jeu(couleurs, "ligne tableau historique", clWindow));
    for (OngletOptionsQt* o : onglets()) connect(o, &OngletOptionsQt::modifie, this, [this] { appliquer(); });

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
        if (modele_.valider()) accept();
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

// --- Ouverture et mise à jour ---

void Toptionform::preparer(int page) {
    try {
        modele_.ouvrir(page);
    } catch (const std::exception& e) {
        // Un fichier des tarifs illisible : les onglets montrent ce qu'ils ont pu lire.
        dialogue_.avertissement(e.what());
    }
    for (OngletOptionsQt* o : onglets()) o->charger();
    PageControl1->setCurrentIndex(static_cast<int>(modele_.onglet()));
    definir_aide(modele_.sujet_aide(), ouvrir_aide_);
    appliquer();
    resize(sizeHint().expandedTo(QSize(640, 480)));
    centrer();
}

void Toptionform::appliquer() {
    for (OngletOptionsQt* o : onglets()) o->appliquer();
    BitBtn2->setEnabled(modele_.valider_actif());
}

}  // namespace lumi::ui
