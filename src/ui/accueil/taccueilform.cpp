#include "ui/accueil/taccueilform.hpp"

#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "base/texte.hpp"
#include "settings/dossier_donnees.hpp"
#include "ui/icones.hpp"

namespace lumi::ui {

namespace {

QString q(const std::string& texte) {
    return QString::fromStdString(texte);
}

QLabel* etiquette(QWidget* parent, const QString& nom) {
    auto* l = new QLabel(parent);
    l->setObjectName(nom);
    l->setWordWrap(true);
    l->setTextFormat(Qt::PlainText);
    return l;
}

}  // namespace

Taccueilform::Taccueilform(CouturesAccueil coutures, const QIcon& icone, QWidget* parent)
    : DialogueLumi(QStringLiteral("Taccueilform"), q(std::string(titre_accueil)), parent),
      reglages_(coutures.dossier_donnees / "lumicompteur.ini"),
      dialogue_(this) {
    setWindowFlag(Qt::WindowStaysOnTopHint);
    modele_ = std::make_unique<ModeleAccueil>(ModeleAccueil::Coutures{
        reglages_, coutures.registre, dialogue_, coutures.dossier_donnees / dossier_historique,
        EnvironnementImport::du_processus()});

    pages_ = new QStackedWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl1"));

    // Bienvenue : l'icône du programme, son nom, sa version, l'avertissement, puis le texte.
    auto* bienvenue = new QWidget(pages_);
    auto* lb = new QHBoxLayout(bienvenue);
    auto* image = new QLabel(bienvenue);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(icone.pixmap(64, 64));
    image->setAlignment(Qt::AlignTop);
    lb->addWidget(image);
    auto* colonne = new QVBoxLayout;
    entete_ = etiquette(bienvenue, QStringLiteral("Label1"));
    auto* nom = etiquette(bienvenue, QStringLiteral("Label2"));
    nom->setText(QStringLiteral("Lumicompteur 2000"));
    QFont grande = nom->font();
    grande.setPointSizeF(grande.pointSizeF() * 1.8);
    grande.setBold(true);
    nom->setFont(grande);
    auto* version = etiquette(bienvenue, QStringLiteral("Label3"));
    version->setText(q(std::string(version_accueil)));
    avertissement_ = etiquette(bienvenue, QStringLiteral("Label4"));
    avertissement_->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    bienvenue_ = etiquette(bienvenue, QStringLiteral("Label5"));
    for (QWidget* w : {static_cast<QWidget*>(entete_), static_cast<QWidget*>(nom), static_cast<QWidget*>(version),
                       static_cast<QWidget*>(avertissement_), static_cast<QWidget*>(bienvenue_)})
        colonne->addWidget(w);
    colonne->addStretch();
    lb->addLayout(colonne, 1);
    pages_->addWidget(bienvenue);

    const auto ajouter = [&](PageAccueil page, QWidget* contenu) {
        pages_->insertWidget(static_cast<int>(page), contenu);
    };
    // Recherche.
    ajouter(PageAccueil::recherche,
            page_texte(textes_[1].texte, textes_[1].note));
    // Recherche manuelle : le texte, puis le chemin et son bouton « ... ».
    {
        QWidget* page = page_texte(textes_[2].texte, textes_[2].note);
        auto* groupe = new QGroupBox(q(std::string(groupe_chemin_manuel)), page);
        groupe->setObjectName(QStringLiteral("GroupBox1"));
        auto* lg = new QHBoxLayout(groupe);
        chemin_ = new QLineEdit(groupe);
        chemin_->setObjectName(QStringLiteral("Edit1"));
        auto* parcourir = new QPushButton(QStringLiteral("..."), groupe);
        parcourir->setObjectName(QStringLiteral("Button1"));
        parcourir->setAutoDefault(false);
        lg->addWidget(chemin_, 1);
        lg->addWidget(parcourir);
        static_cast<QVBoxLayout*>(page->layout())->insertWidget(1, groupe);
        connect(chemin_, &QLineEdit::textEdited, this, [this](const QString& t) {
            modele_->changer_chemin(t.toStdString());
            appliquer();
        });
        connect(parcourir, &QPushButton::clicked, this, [this] {
            // On montre les fichiers du mois eux-mêmes : l'utilisateur reconnaît le dossier à ce qu'il
            // contient, et c'est ce dossier qui est retenu.
            QFileDialog choix(this, q(std::string(titre_choix_dossier)), chemin_->text(),
                              QStringLiteral("Fichiers Historique (*.fct *.FCT)"));
            choix.setObjectName(QStringLiteral("OpenDialog1"));
            choix.setFileMode(QFileDialog::ExistingFile);
            choix.setAcceptMode(QFileDialog::AcceptOpen);
            if (choix.exec() != QDialog::Accepted) return;
            const QString dossier = choix.directory().absolutePath();
            if (dossier.isEmpty()) return;
            chemin_->setText(dossier);
            modele_->choisir_dossier(dossier.toStdString());
            appliquer();
        });
        ajouter(PageAccueil::manuelle, page);
    }
    // Liste des fichiers trouvés.
    {
        QWidget* page = page_texte(textes_[3].texte, textes_[3].note);
        liste_ = new QListWidget(page);
        liste_->setObjectName(QStringLiteral("ListBox1"));
        static_cast<QVBoxLayout*>(page->layout())->insertWidget(1, liste_, 1);
        ajouter(PageAccueil::liste, page);
    }
    ajouter(PageAccueil::copies, page_texte(textes_[4].texte, textes_[4].note));
    ajouter(PageAccueil::fin_import, page_texte(textes_[5].texte, textes_[5].note));
    ajouter(PageAccueil::derniere, page_texte(textes_[6].texte, textes_[6].note));

    annuler_ = bouton(QStringLiteral("&Annuler"), QStringLiteral("BitBtn1"));
    suivant_ = bouton(QStringLiteral("&Suivant"), QStringLiteral("BitBtn2"), true);
    terminer_ = bouton(QStringLiteral("&Terminer"), QStringLiteral("BitBtn3"));
    connect(annuler_, &QPushButton::clicked, this, [this] {
        modele_->annuler();
        appliquer();
    });
    connect(suivant_, &QPushButton::clicked, this, [this] {
        modele_->suivant();
        appliquer();
    });
    connect(terminer_, &QPushButton::clicked, this, [this] {
        modele_->terminer();
        accept();
    });

    auto* boutons = new QHBoxLayout;
    boutons->addStretch();
    boutons->addWidget(annuler_);
    boutons->addWidget(suivant_);
    boutons->addWidget(terminer_);
    auto* principal = new QVBoxLayout(this);
    principal->addWidget(pages_, 1);
    principal->addLayout(boutons);
    setMinimumSize(520, 320);

    appliquer();
    centrer();
}

Taccueilform::~Taccueilform() = default;

QWidget* Taccueilform::page_texte(QLabel*& texte, QLabel*& note) {
    auto* page = new QWidget(pages_);
    auto* l = new QVBoxLayout(page);
    texte = etiquette(page, QStringLiteral("Label1"));
    note = etiquette(page, QStringLiteral("Label2"));
    l->addWidget(texte);
    l->addWidget(note);
    l->addStretch();
    return page;
}

void Taccueilform::appliquer() {
    const PageAccueil page = modele_->page();
    const ContenuPage c = modele_->contenu();
    pages_->setCurrentIndex(static_cast<int>(page));
    if (page == PageAccueil::bienvenue) {
        entete_->setText(q(c.entete));
        avertissement_->setText(q(c.note));
        bienvenue_->setText(q(c.texte));
    } else {
        auto& t = textes_[static_cast<std::size_t>(page)];
        t.texte->setText(q(c.texte));
        t.note->setText(q(c.note));
        t.note->setVisible(!c.note.empty());
    }
    if (page == PageAccueil::manuelle && chemin_->text().toStdString() != modele_->chemin_manuel()) {
        chemin_->setText(q(modele_->chemin_manuel()));
    }
    if (page == PageAccueil::manuelle) chemin_->setFocus();
    if (page == PageAccueil::liste) {
        liste_->clear();
        for (const auto& nom : modele_->fichiers())
            liste_->addItem(q(est_utf8_valide(nom) ? nom : cp1252_vers_utf8(nom)));
    }
    const BoutonsAccueil b = modele_->boutons();
    annuler_->setVisible(b.annuler);
    suivant_->setVisible(b.suivant);
    suivant_->setEnabled(b.suivant_actif);
    terminer_->setEnabled(b.terminer_actif);
    // Entrée mène toujours à la suite : « &Suivant », puis « &Terminer » sur la dernière page.
    suivant_->setDefault(b.suivant);
    terminer_->setDefault(!b.suivant);
}

}  // namespace lumi::ui
