// La fenêtre des options et la boîte de fin de connexion, vraies fenêtres menées par QtTest
// (plate-forme offscreen) : le câblage seul. Les règles sont essayées sur les modèles (tests/core).
// Avec LUMI_CAPTURES=<dossier>, chaque onglet y est aussi enregistré en PNG.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "banc_tform1.hpp"
#include "core/mots_de_passe.hpp"
#include "platform/simulation/systeme_simule.hpp"
#include "ui/options/boites_options.hpp"
#include "ui/options/route_options.hpp"
#include "ui/options/toptionform.hpp"
#include "ui/routeur_fenetres.hpp"
#include "ui/zones_tform1.hpp"

namespace lumi::essai {

namespace {

// La fenêtre principale d'essai avec la route des options.
struct BancOptions {
    BancOptions() {
        b.e.banc->acces.definir_annuaire({"MonFAI"});
        TForm1& f = *b.fenetre;
        const auto commande = [] { return CommandeSysteme{"/usr/bin/lumicompteur", "-invisible"}; };
        ui::definir_route_options(f.routeur(), {b.e.banc->horloge, b.e.registre(), b.e.banc->dialogue,
                                                b.e.dossier.chemin(), b.e.banc->acces, &systeme, commande,
                                                f.compteur(), f.commandes(), f.utilisateurs(), f.couleurs(),
                                                f.icones(), [&f](int sujet) { f.ouvrir_aide(sujet); }});
    }
    // Ouvre les options depuis la fenêtre principale et mène `pendant` dans la fenêtre modale.
    void ouvrir(int page, const std::function<void(ui::Toptionform&)>& pendant) {
        QTimer::singleShot(0, [this, pendant] {
            auto* t = static_cast<ui::Toptionform*>(b.fenetre->routeur().fenetre(FenetreSecondaire::options));
            QVERIFY(t != nullptr);
            pendant(*t);
            if (t->isVisible()) t->reject();
        });
        QVERIFY(b.fenetre->routeur().ouvrir(FenetreSecondaire::options, page));
    }
    std::string lire(std::string_view section, std::string_view nom) { return b.e.lire(section, nom); }

    Banc b;
    SystemeSimule systeme;
};

// Sous un vrai serveur X (QT_QPA_PLATFORM=xcb, gestionnaire de fenêtres lancé), l'écran entier est
// pris : la barre de titre dessinée par le gestionnaire s'y voit.
void capturer(QWidget& w, const QString& nom) {
    const QString dossier = qEnvironmentVariable("LUMI_CAPTURES");
    if (dossier.isEmpty()) return;
    if (QGuiApplication::platformName() != "xcb") {
        w.grab().save(dossier + "/" + nom + ".png");
        return;
    }
    w.show();
    w.raise();
    w.activateWindow();
    if (!QTest::qWaitForWindowExposed(&w)) return;
    QTest::qWait(400);
    w.screen()->grabWindow(0).save(dossier + "/" + nom + ".png");
}

// Le titre d'une boîte tient dans sa barre : sa largeur laisse la place du texte en gras et des
// boutons que le gestionnaire de fenêtres y dessine.
bool titre_entier(const QWidget& w) {
    QFont gras = QApplication::font();
    gras.setBold(true);
    return w.width() >= QFontMetrics(gras).horizontalAdvance(w.windowTitle()) + ui::DialogueLumi::marge_titre;
}

}  // namespace

class EssaisOptions : public QObject {
    Q_OBJECT

private slots:
    void unChangementParOngletEstRangeParValider() {
        BancOptions o;
        o.b.e.registre().ecrire_valeur(cles::section(cles::forfaits), "time F60", "125");
        o.ouvrir(0, [&](ui::Toptionform& t) {
            QCOMPARE(t.windowTitle(), QString(" Options et configuration"));
            QCOMPARE(t.PageControl1->count(), 4);
            QVERIFY(!t.BitBtn2->isEnabled());
            QCOMPARE(t.sujet_aide(), 2);
            capturer(t, "options-generales");

            // Onglet général : un interrupteur.
            t.TabSheet1->interrupteurs[static_cast<std::size_t>(Interrupteur::cacher_auto)]->click();
            QVERIFY(t.BitBtn2->isEnabled());

            // Utilisateurs : un nouvel utilisateur par sa boîte.
            t.PageControl1->setCurrentIndex(1);
            QCOMPARE(t.sujet_aide(), 3);
            t.executer = [](QDialog& d) {
                auto& n = static_cast<ui::Tnewuserform&>(d);
                n.Edit1->setText("Zoé");
                n.Valider->click();
                return d.result();
            };
            t.TabSheet2->AjouterUtilisateur->click();
            QCOMPARE(t.TabSheet2->ListBox1->count(), 3);
            QCOMPARE(t.TabSheet2->ListBox1->currentItem()->text(), QString("Zoé"));
            capturer(t, "options-utilisateurs");

            // Fournisseurs : le tarif de MonFAI.
            t.PageControl1->setCurrentIndex(2);
            QCOMPARE(t.sujet_aide(), 4);
            QCOMPARE(t.TabSheet3->ListBox2->count(), 2);
            t.TabSheet3->ListBox2->setCurrentRow(1);
            QVERIFY(t.findChild<QCheckBox*>("hot_checkbox1") != nullptr);
            t.TabSheet3->ComboBox2->setCurrentIndex(2);
            emit t.TabSheet3->ComboBox2->activated(2);
            capturer(t, "options-fournisseurs");

            // Forfaits : le mode de remise à zéro du premier, par sa boîte.
            t.PageControl1->setCurrentIndex(3);
            QCOMPARE(t.sujet_aide(), 28);
            QVERIFY(!t.TabSheet4->ModifierDate->isEnabled());
            t.TabSheet4->ListView1->selectRow(0);
            QVERIFY(t.TabSheet4->ModifierDate->isEnabled());
            t.executer = [](QDialog& d) {
                auto& r = static_cast<ui::Traz_type_forfait_form&>(d);
                r.RadioButton3->click();
                r.Valider->click();
                return d.result();
            };
            t.TabSheet4->ModifierDate->click();
            QCOMPARE(t.TabSheet4->ListView1->model()->index(0, 2).data().toString(), QString("Manuelle"));
            QCOMPARE(t.TabSheet4->ListView1->model()->index(0, 1).data().toString(), QString("00h02m05s"));
            capturer(t, "options-forfaits");

            t.BitBtn2->click();
        });
        QCOMPARE(o.lire(cles::options, "cacher auto"), std::string("oui"));
        QCOMPARE(o.lire(cles::utilisateurs, "utilisateur 3"), std::string("Zoé"));
        QCOMPARE(o.b.e.registre().lire_valeur(cles::cle_provider("MonFAI"), "tarification"),
                 std::string("Nuit seule"));
        QCOMPARE(FichierIni(o.b.e.dossier / "tarifs.ini").lire("F60", "raz"), std::string("4"));
        QCOMPARE(o.b.ini("detection automatique", "only RAS"), std::string("non"));
        QCOMPARE(o.b.ini("gestion afficheur", "nb de decimales"), std::string("2"));
        QVERIFY(!o.b.e.registre().cle_existe(cles::section(cles::temp_providers)));
        // La fenêtre principale relit ses utilisateurs à la fermeture.
        QCOMPARE(o.b.fenetre->zone_utilisateur->ComboBox1->count(), 3);
    }

    // La fin de connexion n'est qu'une précision des notifications : éteinte avec elles.
    void laFinDeConnexionSuitLesNotificationsDuBureau() {
        BancOptions o;
        o.ouvrir(0, [&](ui::Toptionform& t) {
            auto* bureau =
                t.TabSheet1->interrupteurs[static_cast<std::size_t>(Interrupteur::notifications_bureau)];
            auto* fin =
                t.TabSheet1
                    ->interrupteurs[static_cast<std::size_t>(Interrupteur::notification_fin_connexion)];
            QCOMPARE(bureau->text(), QString("Notifications du bureau"));
            QVERIFY(bureau->isChecked());
            QVERIFY(!fin->isChecked());
            QVERIFY(fin->isEnabled());
            bureau->click();
            QVERIFY(!fin->isEnabled());
            bureau->click();
            fin->click();
            t.BitBtn2->click();
        });
        QCOMPARE(o.lire(cles::options, "notifications bureau"), std::string("oui"));
        QCOMPARE(o.lire(cles::options, "notification fin connexion"), std::string("oui"));
    }

    void annulerNeRangeRien() {
        BancOptions o;
        o.ouvrir(1, [&](ui::Toptionform& t) {
            QCOMPARE(t.PageControl1->currentIndex(), 1);
            t.TabSheet1->interrupteurs[static_cast<std::size_t>(Interrupteur::cacher_auto)]->click();
            t.TabSheet2->ListBox1->setCurrentRow(0);
            o.b.e.banc->dialogue.prevoir_reponse(Reponse::oui);
            t.TabSheet2->SupprimerUtilisateur->click();
            QCOMPARE(t.TabSheet2->ListBox1->count(), 1);
            t.BitBtn1->click();
        });
        QCOMPARE(o.lire(cles::options, "cacher auto"), std::string(""));
        QCOMPARE(o.lire(cles::utilisateurs, "nb d'utilisateurs"), std::string("2"));
        QVERIFY(!o.b.e.registre().cle_existe(cles::section(cles::temp_forfaits)));
    }

    // Alt+Suppr efface tous les mots de passe : une réponse donnée par Entrée ne le fait pas.
    void altSupprNEffaceQueSurOui_data() {
        QTest::addColumn<bool>("oui");
        QTest::addColumn<bool>("efface");
        QTest::newRow("entree_dit_non") << false << false;
        QTest::newRow("oui_efface") << true << true;
    }
    void altSupprNEffaceQueSurOui() {
        QFETCH(bool, oui);
        QFETCH(bool, efface);
        BancOptions o;
        o.ouvrir(1, [&](ui::Toptionform& t) {
            t.TabSheet2->ListBox1->setCurrentRow(0);
            if (oui) o.b.e.banc->dialogue.prevoir_reponse(Reponse::oui);
            QTest::keyClick(t.TabSheet2->ListBox1, Qt::Key_Delete, Qt::AltModifier);
            const auto& boite = o.b.e.banc->dialogue.boites().back();
            QCOMPARE(boite.texte, std::string(textes_utilisateurs::effacer_tous));
            QVERIFY(boite.par_defaut == Reponse::non);
            QCOMPARE(t.BitBtn2->isEnabled(), efface);
            if (t.BitBtn2->isEnabled()) t.BitBtn2->click();
        });
        QCOMPARE(o.lire(cles::options, "pdata 2").empty(), efface);
    }

    // Rouvrir les options dans la même session laisse les interrupteurs du fournisseur à leur place :
    // leur disposition ne garde rien des ouvertures précédentes (un ressort de plus à chaque fois les
    // poussait vers le bas).
    void lesInterrupteursDuFournisseurNeDescendentPasAChaqueOuverture() {
        BancOptions o;
        QList<int> elements;
        for (int fois = 0; fois < 3; ++fois) {
            o.ouvrir(2, [&](ui::Toptionform& t) {
                const int interrupteurs =
                    static_cast<int>(t.findChildren<QCheckBox*>(QRegularExpression("^hot_checkbox")).size());
                QVERIFY(interrupteurs > 0);
                elements << t.TabSheet3->ScrollBox1->widget()->layout()->count() - interrupteurs;
            });
        }
        QCOMPARE(elements, QList<int>({1, 1, 1}));  // le seul ressort du bas
    }

    // L'explication du délai d'anticipation : des paragraphes entiers, aucune phrase coupée en deux.
    void lExplicationDuDelaiTientEnParagraphesEntiers() {
        BancOptions o;
        o.ouvrir(2, [&](ui::Toptionform& t) {
            t.TabSheet3->ListBox2->setCurrentRow(1);
            QStringList paragraphes;
            t.executer = [&paragraphes](QDialog& d) {
                for (auto* l : d.findChild<QFrame*>("Panel1")->findChildren<QLabel*>())
                    paragraphes << l->text();
                return int(QDialog::Rejected);
            };
            t.TabSheet3->BoutonDelai->click();
            QCOMPARE(paragraphes.size(), 3);
            for (const QString& p : paragraphes) QVERIFY2(p.endsWith('.'), qPrintable(p));
            QVERIFY(paragraphes[0].contains("chronométrage de la durée de connexion en ajoutant"));
        });
    }

    // Chaque petite boîte ouverte depuis les options montre son titre entier à sa taille conçue.
    void lesPetitesBoitesMontrentLeurTitreEntier() {
        BancOptions o;
        o.b.e.registre().ecrire_valeur(cles::section(cles::forfaits), "time F60", "125");
        o.ouvrir(1, [&](ui::Toptionform& t) {
            QStringList coupes, vus;
            t.executer = [&](QDialog& d) {
                capturer(d, d.objectName());
                vus << d.objectName();
                if (!titre_entier(d)) coupes << QString("%1 (%2 px)").arg(d.windowTitle()).arg(d.width());
                // Une taille fixe : pas de poignée de redimensionnement sous les boutons.
                if (d.minimumSize() != d.maximumSize()) coupes << d.objectName() + " redimensionnable";
                return int(QDialog::Rejected);
            };
            t.TabSheet2->ListBox1->setCurrentRow(0);
            t.TabSheet2->AjouterUtilisateur->click();
            t.TabSheet2->ProtegerUtilisateur->click();
            t.TabSheet2->ListBox1->setCurrentRow(1);  // Paul, protégé
            t.TabSheet2->SupprimerMotDePasse->click();
            t.PageControl1->setCurrentIndex(2);
            t.TabSheet3->ListBox2->setCurrentRow(1);
            t.TabSheet3->BoutonDelai->click();
            t.PageControl1->setCurrentIndex(3);
            t.TabSheet4->ListView1->selectRow(0);
            t.TabSheet4->ModifierTemps->click();
            t.TabSheet4->ModifierDate->click();
            QCOMPARE(vus, QStringList({"Tnewuserform", "TPasswordDlg", "Tsimple_password", "Tdelaiform",
                                       "Trectiforfait", "Traz_type_forfait_form"}));
            QVERIFY2(coupes.isEmpty(), qPrintable(coupes.join(", ")));
        });
    }

    // Les boîtes de mot de passe des options masquent comme celle de la fin de connexion : "×".
    void lesMotsDePasseDesOptionsSontMasquesParDesCroix() {
        BancOptions o;
        o.ouvrir(1, [&](ui::Toptionform& t) {
            QStringList vus;
            t.executer = [&vus](QDialog& d) {
                for (auto* champ : d.findChildren<QLineEdit*>()) {
                    QTest::keyClicks(champ, "Abc");
                    vus << champ->text() + " " + champ->displayText();
                }
                capturer(d, d.objectName() + "-saisi");
                return int(QDialog::Rejected);
            };
            t.TabSheet2->ListBox1->setCurrentRow(0);
            t.TabSheet2->ProtegerUtilisateur->click();  // deux champs
            t.TabSheet2->ListBox1->setCurrentRow(1);    // Paul, protégé
            t.TabSheet2->SupprimerMotDePasse->click();  // un champ
            QCOMPARE(vus, QStringList({"abc ×××", "abc ×××", "abc ×××"}));
        });
    }

    void laBoiteDeSelectionAttendLeMotDePasseALaFinDUneConnexion() {
        Banc b([](EssaiCompteur& e) { e.ecrire(cles::options, "pdata 2", hacher_mot_de_passe("secret")); });
        auto& c = b.e.compteur();
        c.enregistrer_historique = [&c] {
            c.historique().enregistrer_historique([&c] { return c.donnees_connexion(); });
        };
        b.fenetre->utilisateurs().choisir(1);  // Paul, protégé
        b.e.connexion("MonFAI", 5500, 5500 + 60000);
        b.e.banc->avancer(70);
        auto* boite = b.fenetre->findChild<ui::Tutilisateur*>("Tutilisateur");
        QVERIFY(boite != nullptr);
        QVERIFY(boite->isVisible());
        QCOMPARE(boite->windowTitle(), QString("Sélection de l'utilisateur"));
        QCOMPARE(boite->ListBox1->count(), 3);
        QCOMPARE(boite->ListBox1->item(2)->text(), QString("non identifié"));
        QCOMPARE(boite->ListBox1->currentRow(), 1);
        QVERIFY(!boite->Valider->isEnabled());
        capturer(*boite, "selection-utilisateur");
        QVERIFY(titre_entier(*boite));
        QCOMPARE(boite->minimumSize(), boite->maximumSize());
        const auto fichier = b.e.dossier / "Historique" / "mars00.fct";
        QVERIFY(!std::filesystem::exists(fichier));

        // Un utilisateur sans mot de passe : le champ éteint le dit en clair.
        boite->ListBox1->setCurrentRow(0);
        QVERIFY(!boite->Password->isEnabled());
        QCOMPARE(boite->Password->displayText(), QString("Utilisateur non protégé"));
        capturer(*boite, "selection-utilisateur-non-protege");
        boite->ListBox1->setCurrentRow(1);
        QVERIFY(boite->Password->isEnabled());
        QCOMPARE(boite->Password->text(), QString());

        QTest::keyClicks(boite->Password, "faux");
        QCOMPARE(boite->Password->displayText(), QString("××××"));
        capturer(*boite, "selection-utilisateur-saisi");
        boite->Valider->click();
        QVERIFY(b.e.banc->dialogue.boites().back().texte.starts_with("Mot de passe incorrect !"));
        QVERIFY(!std::filesystem::exists(fichier));
        QTest::keyClicks(boite->Password, "SECRET");
        QCOMPARE(boite->Password->text(), QString("secret"));
        QTest::keyClick(boite->Password, Qt::Key_Return);
        QVERIFY(std::filesystem::exists(fichier));
        QVERIFY(lire_octets(fichier).find("\r\nPaul;Seconde;10/03/2000;") != std::string::npos);
    }
};

}  // namespace lumi::essai

QTEST_MAIN(lumi::essai::EssaisOptions)
#include "toptionform_test.moc"
