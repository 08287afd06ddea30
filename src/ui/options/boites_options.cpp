#include "ui/options/boites_options.hpp"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "actions/dialogue.hpp"
#include "core/mots_de_passe.hpp"
#include "ui/controles.hpp"
#include "ui/texte_qt.hpp"

namespace lumi::ui {

namespace {

// Les deux boutons du bas : "&Valider" (Entrée) et "&Annuler".
QHBoxLayout* boutons_bas(QPushButton* valider, QPushButton* annuler) {
    auto* l = new QHBoxLayout;
    l->addStretch();
    l->addWidget(valider);
    l->addWidget(annuler);
    return l;
}

// Le champ des minuscules : ce qui est tapé est mis en minuscules avant d'être montré masqué. Le
// texte d'un champ éteint, qui n'est pas un mot de passe (« Utilisateur non protégé »), reste tel quel.
class ValideurMinuscules final : public QValidator {
public:
    explicit ValideurMinuscules(QLineEdit* champ) : QValidator(champ), champ_(champ) {}
    State validate(QString& texte, int&) const override {
        if (champ_->echoMode() == QLineEdit::Password) texte = texte.toLower();
        return Acceptable;
    }

private:
    const QLineEdit* champ_;
};

// Le caractère qui masque un mot de passe. Demandé au style du champ : une feuille de style posée sur
// le champ était oubliée sous celle de la fenêtre des options, qui montrait alors "●".
class StyleMotDePasse final : public QProxyStyle {
public:
    int styleHint(StyleHint indice, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* retour) const override {
        if (indice == SH_LineEdit_PasswordCharacter) return caractere_mot_de_passe.unicode();
        return QProxyStyle::styleHint(indice, option, widget, retour);
    }
};

// Un seul style pour tous les champs, qui vit autant que l'application.
QStyle* style_mot_de_passe() {
    static QPointer<StyleMotDePasse> style;
    if (style == nullptr) {
        style = new StyleMotDePasse;
        style->setParent(QCoreApplication::instance());
    }
    return style;
}

}  // namespace

QLineEdit* champ_mot_de_passe(const QString& nom, QWidget* parent) {
    auto* champ = new QLineEdit(parent);
    champ->setObjectName(nom);
    champ->setStyle(style_mot_de_passe());
    champ->setEchoMode(QLineEdit::Password);
    champ->setMaxLength(static_cast<int>(longueur_max_mot_de_passe));
    champ->setValidator(new ValideurMinuscules(champ));
    return champ;
}

// --- Tnewuserform ---

Tnewuserform::Tnewuserform(BoiteNouvelUtilisateur modele, Dialogue& dialogue, QWidget* parent)
    : DialogueLumi("Tnewuserform", qs(textes_utilisateurs::titre_nouvel_utilisateur), parent),
      modele_(std::move(modele)),
      dialogue_(dialogue) {
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setMaxLength(static_cast<int>(longueur_max_nom_utilisateur));
    Valider = bouton("&Valider", "Valider", true);
    auto* annuler = bouton("&Annuler", "Annuler");
    auto* l = new QVBoxLayout(this);
    l->addWidget(new QLabel(qs(textes_utilisateurs::nom_de_l_utilisateur), this));
    l->addWidget(Edit1);
    l->addWidget(new QLabel(qs(textes_utilisateurs::dix_huit_caracteres), this));
    l->addLayout(boutons_bas(Valider, annuler));
    Valider->setEnabled(false);
    connect(Edit1, &QLineEdit::textChanged, this, [this](const QString& t) {
        modele_.saisir(t.toStdString());
        Valider->setEnabled(modele_.valider_actif());
    });
    connect(Edit1, &QLineEdit::returnPressed, this, [this] {
        if (Valider->isEnabled()) valider();
    });
    connect(Valider, &QPushButton::clicked, this, &Tnewuserform::valider);
    connect(annuler, &QPushButton::clicked, this, &QDialog::reject);
    centrer(true);
}

void Tnewuserform::valider() {
    nom = modele_.valider();
    if (nom) {
        accept();
        return;
    }
    dialogue_.avertissement(modele_.refus());
    Edit1->clear();
    Edit1->setFocus();
}

// --- TPasswordDlg / Tsimple_password ---

TPasswordDlg::TPasswordDlg(BoiteMotDePasse modele, Dialogue& dialogue, QWidget* parent)
    : DialogueLumi(modele.deux_champs() ? "TPasswordDlg" : "Tsimple_password",
                   qs(textes_utilisateurs::titre_mot_de_passe), parent),
      modele_(std::move(modele)),
      dialogue_(dialogue) {
    auto* l = new QVBoxLayout(this);
    l->addWidget(new QLabel(qs(textes_utilisateurs::mot_de_passe), this));
    Password = champ_mot_de_passe("Password", this);
    l->addWidget(Password);
    if (modele_.deux_champs()) {
        l->addWidget(new QLabel(qs(textes_utilisateurs::confirmation), this));
        Confirmation = champ_mot_de_passe("Confirmation", this);
        l->addWidget(Confirmation);
        connect(Confirmation, &QLineEdit::textChanged, this, [this](const QString& t) {
            modele_.saisir_confirmation(t.toStdString());
            appliquer();
        });
        connect(Password, &QLineEdit::returnPressed, Confirmation, qOverload<>(&QWidget::setFocus));
        connect(Confirmation, &QLineEdit::returnPressed, this, [this] {
            if (Valider->isEnabled()) valider();
        });
    } else {
        connect(Password, &QLineEdit::returnPressed, this, [this] {
            if (Valider->isEnabled()) valider();
        });
    }
    connect(Password, &QLineEdit::textChanged, this, [this](const QString& t) {
        modele_.saisir(t.toStdString());
        appliquer();
    });
    Valider = bouton("&Valider", "Valider");
    auto* annuler = bouton("&Annuler", "Annuler");
    l->addLayout(boutons_bas(Valider, annuler));
    connect(Valider, &QPushButton::clicked, this, &TPasswordDlg::valider);
    connect(annuler, &QPushButton::clicked, this, &QDialog::reject);
    appliquer();
    centrer(true);
}

void TPasswordDlg::appliquer() {
    Valider->setEnabled(modele_.valider_actif());
}

void TPasswordDlg::valider() {
    if (modele_.valider()) {
        accept();
        return;
    }
    dialogue_.avertissement(modele_.refus());
    for (QLineEdit* champ : {Password, Confirmation}) {
        if (champ == nullptr) continue;
        const QSignalBlocker bloque(champ);
        champ->clear();
    }
    appliquer();
    Password->setFocus();
}

// --- Tutilisateur ---

Tutilisateur::Tutilisateur(ModeleTutilisateur modele, Dialogue& dialogue, const StyleListe& style,
                           std::function<void(const std::string&)> repondre, QWidget* parent)
    : DialogueLumi("Tutilisateur", qs(textes_selection::titre), parent),
      modele_(std::move(modele)),
      dialogue_(dialogue),
      repondre_(std::move(repondre)) {
    setAttribute(Qt::WA_DeleteOnClose);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setItemDelegate(new DelegueLigne(style, ListBox1));
    for (std::size_t i = 0; i < modele_.lignes().size(); ++i) {
        auto* item = new QListWidgetItem(QString::fromStdString(modele_.lignes()[i]), ListBox1);
        item->setData(role_cadenas, modele_.protege(static_cast<int>(i)));
    }
    ListBox1->setCurrentRow(modele_.position());
    ListBox1->installEventFilter(this);
    Password = champ_mot_de_passe("Password", this);
    Password->installEventFilter(this);
    Valider = bouton("&Valider", "Valider");
    auto* l = new QVBoxLayout(this);
    l->addWidget(ListBox1);
    l->addWidget(new QLabel(qs(textes_utilisateurs::mot_de_passe), this));
    l->addWidget(Password);
    auto* bas = new QHBoxLayout;
    bas->addStretch();
    bas->addWidget(Valider);
    l->addLayout(bas);
    connect(ListBox1, &QListWidget::currentRowChanged, this, [this](int ligne) {
        modele_.choisir(ligne);
        appliquer();
    });
    connect(Password, &QLineEdit::textEdited, this, [this](const QString& t) {
        modele_.saisir(t.toStdString());
        Valider->setEnabled(modele_.valider_actif());
    });
    connect(Valider, &QPushButton::clicked, this, &Tutilisateur::valider);
    appliquer();
    resize(300, 320);
    centrer(true);
}

void Tutilisateur::appliquer() {
    const QSignalBlocker bloque(Password);
    Password->setEchoMode(modele_.champ_actif() ? QLineEdit::Password : QLineEdit::Normal);
    Password->setText(QString::fromStdString(modele_.champ()));
    Password->setEnabled(modele_.champ_actif());
    if (modele_.champ_actif()) Password->setFocus();
    Valider->setEnabled(modele_.valider_actif());
}

bool Tutilisateur::eventFilter(QObject* objet, QEvent* evenement) {
    if (evenement->type() == QEvent::KeyPress) {
        const int touche = static_cast<QKeyEvent*>(evenement)->key();
        if ((touche == Qt::Key_Return || touche == Qt::Key_Enter) && Valider->isEnabled()) {
            valider();
            return true;
        }
    }
    return DialogueLumi::eventFilter(objet, evenement);
}

void Tutilisateur::valider() {
    const auto nom = modele_.valider();
    if (!nom) {
        appliquer();
        dialogue_.avertissement(modele_.refus());
        return;
    }
    // La réponse une seule fois, puis la boîte se ferme.
    auto repondre = std::move(repondre_);
    repondre_ = {};
    close();
    if (repondre) repondre(*nom);
}

// --- Tdelaiform ---

Tdelaiform::Tdelaiform(ModeleTdelaiform modele, QColor fond, QWidget* parent)
    : DialogueLumi("Tdelaiform", qs(ModeleTdelaiform::titre), parent), modele_(std::move(modele)) {
    auto* explication = panneau_colore(fond);
    auto* le = new QVBoxLayout(explication);
    for (std::string_view t : ModeleTdelaiform::explication) {
        auto* label = new QLabel(qs(t), explication);
        label->setWordWrap(true);
        label->setFixedWidth(380);
        le->addWidget(label);
    }
    auto* groupe = new QGroupBox(qs(ModeleTdelaiform::groupe) + " " + QString::fromStdString(modele_.fournisseur()),
                                 this);
    groupe->setObjectName("GroupBox1");
    Edit1 = new QLineEdit(QString::fromStdString(modele_.champ()), groupe);
    Edit1->setObjectName("Edit1");
    Edit1->setMaxLength(3);
    Edit1->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,3}"), Edit1));
    Edit1->setFixedWidth(60);
    auto* lg = new QHBoxLayout(groupe);
    lg->addWidget(Edit1);
    lg->addWidget(new QLabel(QStringLiteral("secondes"), groupe));
    lg->addStretch();
    Valider = bouton("&Valider", "Valider", true);
    auto* annuler = bouton("&Annuler", "Annuler");
    auto* aide = bouton("Ai&de", "Aide");
    auto* l = new QVBoxLayout(this);
    l->addWidget(explication);
    l->addWidget(groupe);
    auto* bas = boutons_bas(Valider, annuler);
    bas->addWidget(aide);
    l->addLayout(bas);
    Valider->setEnabled(false);
    connect(Edit1, &QLineEdit::textChanged, this, [this](const QString& t) {
        modele_.saisir(t.toStdString());
        Valider->setEnabled(modele_.valider_actif());
    });
    connect(Valider, &QPushButton::clicked, this, &QDialog::accept);
    connect(annuler, &QPushButton::clicked, this, &QDialog::reject);
    connect(aide, &QPushButton::clicked, this, &DialogueLumi::ouvrir_sujet_aide);
    centrer(true);
}

// --- Trectiforfait ---

Trectiforfait::Trectiforfait(ModeleTrectiforfait modele, Dialogue& dialogue, QWidget* parent)
    : DialogueLumi("Trectiforfait", qs(ModeleTrectiforfait::titre), parent),
      modele_(std::move(modele)),
      dialogue_(dialogue) {
    auto* l = new QVBoxLayout(this);
    auto* designation = new QLabel(QString::fromStdString(modele_.designation()), this);
    designation->setObjectName("Label2");
    QFont gras = designation->font();
    gras.setBold(true);
    designation->setFont(gras);
    l->addWidget(designation);
    auto* ligne = new QHBoxLayout;
    ligne->addWidget(new QLabel(qs(ModeleTrectiforfait::libelle), this));
    MaskEdit1 = new QLineEdit(QString::fromStdString(modele_.champ()), this);
    MaskEdit1->setObjectName("MaskEdit1");
    MaskEdit1->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]{0,2}h?[0-9]{0,2}m?[0-9]{0,2}s?"), MaskEdit1));
    ligne->addWidget(MaskEdit1);
    l->addLayout(ligne);
    auto* reinit = bouton(qs(ModeleTrectiforfait::reinitialiser_texte), "BitBtn3");
    reinit->setToolTip(qs(ModeleTrectiforfait::hint_reinitialiser));
    l->addWidget(reinit);
    Valider = bouton("&Valider", "Valider", true);
    auto* annuler = bouton("&Annuler", "Annuler");
    auto* aide = bouton("&Aide", "Aide");
    auto* bas = boutons_bas(Valider, annuler);
    bas->addWidget(aide);
    l->addLayout(bas);
    Valider->setEnabled(false);
    connect(MaskEdit1, &QLineEdit::textEdited, this, [this](const QString& t) {
        modele_.saisir(t.toStdString());
        Valider->setEnabled(modele_.valider_actif());
    });
    connect(reinit, &QPushButton::clicked, this, [this] {
        modele_.reinitialiser();
        MaskEdit1->setText(QString::fromStdString(modele_.champ()));
        Valider->setEnabled(modele_.valider_actif());
    });
    connect(Valider, &QPushButton::clicked, this, [this] {
        correction = modele_.valider();
        if (correction) accept();
        else dialogue_.avertissement(modele_.refus());
    });
    connect(annuler, &QPushButton::clicked, this, &QDialog::reject);
    connect(aide, &QPushButton::clicked, this, &DialogueLumi::ouvrir_sujet_aide);
    centrer(true);
}

// --- Traz_type_forfait_form ---

Traz_type_forfait_form::Traz_type_forfait_form(ModeleTraz_type_forfait_form modele, Dialogue& dialogue,
                                               QWidget* parent)
    : DialogueLumi("Traz_type_forfait_form", qs(ModeleTraz_type_forfait_form::titre), parent),
      modele_(std::move(modele)),
      dialogue_(dialogue) {
    using C = ModeleTraz_type_forfait_form::Choix;
    auto* l = new QVBoxLayout(this);
    auto* designation = new QLabel(QString::fromStdString(modele_.designation()), this);
    designation->setObjectName("Label1");
    QFont gras = designation->font();
    gras.setBold(true);
    designation->setFont(gras);
    l->addWidget(designation);
    auto* groupe = new QButtonGroup(this);
    RadioButton1 = new QRadioButton(QStringLiteral("Réinitialiser le forfait en même temps que la facture en cours"), this);
    RadioButton2 = new QRadioButton(QStringLiteral("Réinitialiser le forfait le"), this);
    RadioButton3 = new QRadioButton(QStringLiteral("Ne pas réinitialiser le forfait de façon automatique "), this);
    RadioButton4 = new QRadioButton(QStringLiteral("Réinitialiser le forfait tous les "), this);
    int n = 1;
    for (auto* r : {RadioButton1, RadioButton2, RadioButton3, RadioButton4}) {
        r->setObjectName(QString("RadioButton%1").arg(n++));
        groupe->addButton(r);
    }
    MaskEdit1 = new QLineEdit(QString::fromStdString(modele_.jour()), this);
    MaskEdit1->setObjectName("MaskEdit1");
    MaskEdit1->setInputMask("99");
    MaskEdit1->setFixedWidth(40);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->addItems({"tous les mois", "tous les mois pairs", "tous les mois impairs"});
    ComboBox1->setCurrentIndex(modele_.mois());
    Edit1 = new QLineEdit(QString::fromStdString(modele_.jours()), this);
    Edit1->setObjectName("Edit1");
    Edit1->setFixedWidth(50);
    l->addWidget(RadioButton1);
    auto* mensuel = new QHBoxLayout;
    mensuel->addWidget(RadioButton2);
    mensuel->addWidget(MaskEdit1);
    mensuel->addWidget(ComboBox1);
    mensuel->addStretch();
    l->addLayout(mensuel);
    l->addWidget(RadioButton3);
    // Le quatrième choix ne vient que du fichier des tarifs : caché, sauf pour un forfait qui l'a.
    auto* tous_les = new QWidget(this);
    auto* lt = new QHBoxLayout(tous_les);
    lt->setContentsMargins(0, 0, 0, 0);
    lt->addWidget(RadioButton4);
    lt->addWidget(Edit1);
    lt->addWidget(new QLabel(QStringLiteral("jours"), tous_les));
    lt->addStretch();
    l->addWidget(tous_les);
    tous_les->setVisible(modele_.choix() == C::tous_les_n_jours);
    switch (modele_.choix()) {
        case C::avec_facture: RadioButton1->setChecked(true); break;
        case C::mensuel: RadioButton2->setChecked(true); break;
        case C::manuel: RadioButton3->setChecked(true); break;
        case C::tous_les_n_jours: RadioButton4->setChecked(true); break;
    }
    Valider = bouton("&Valider", "Valider", true);
    auto* annuler = bouton("&Annuler", "Annuler");
    auto* aide = bouton("&Aide", "Aide");
    auto* bas = boutons_bas(Valider, annuler);
    bas->addWidget(aide);
    l->addLayout(bas);
    Valider->setEnabled(false);
    const auto changer = [this] { Valider->setEnabled(modele_.valider_actif()); };
    connect(RadioButton1, &QRadioButton::clicked, this, [this, changer] { modele_.choisir(C::avec_facture); changer(); });
    connect(RadioButton2, &QRadioButton::clicked, this, [this, changer] { modele_.choisir(C::mensuel); changer(); });
    connect(RadioButton3, &QRadioButton::clicked, this, [this, changer] { modele_.choisir(C::manuel); changer(); });
    connect(RadioButton4, &QRadioButton::clicked, this,
            [this, changer] { modele_.choisir(C::tous_les_n_jours); changer(); });
    connect(MaskEdit1, &QLineEdit::textEdited, this, [this, changer](const QString& t) {
        modele_.saisir_jour(t.trimmed().toStdString());
        changer();
    });
    connect(ComboBox1, qOverload<int>(&QComboBox::activated), this, [this, changer](int i) {
        modele_.choisir_mois(i);
        changer();
    });
    connect(Edit1, &QLineEdit::textEdited, this, [this, changer](const QString& t) {
        modele_.saisir_jours(t.toStdString());
        changer();
    });
    connect(Valider, &QPushButton::clicked, this, [this] {
        texte = modele_.valider();
        if (texte) {
            accept();
            return;
        }
        dialogue_.avertissement(modele_.refus());
        (modele_.choix() == C::mensuel ? MaskEdit1 : Edit1)->setFocus();
    });
    connect(annuler, &QPushButton::clicked, this, &QDialog::reject);
    connect(aide, &QPushButton::clicked, this, &DialogueLumi::ouvrir_sujet_aide);
    centrer(true);
}

}  // namespace lumi::ui
