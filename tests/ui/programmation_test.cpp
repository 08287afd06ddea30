// Le câblage des fenêtres de la déconnexion programmée : la fenêtre de programmation ouverte par le
// routeur depuis la fenêtre principale, ses contrôles et ce qu'elle range, le décompte qui
// raccroche, et l'animation de la programmation armée. Avec LUMI_CAPTURES=dossier, les images des
// fenêtres y sont écrites (pour les regarder).
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <filesystem>
#include <optional>

#include "core/essai_compteur.hpp"
#include "settings/fichier_ini.hpp"
#include "ui/controles.hpp"
#include "ui/minuteries_tform1.hpp"
#include "ui/programmation/route_programmation.hpp"
#include "ui/programmation/tdeconectform.hpp"
#include "ui/routeur_fenetres.hpp"
#include "ui/tform1.hpp"
#include "ui/tsplashscreen.hpp"
#include "ui/zones_tform1.hpp"

namespace lumi::essai {

namespace {

void capturer(QWidget& w, const char* nom) {
    const QByteArray dossier = qgetenv("LUMI_CAPTURES");
    if (dossier.isEmpty()) return;
    w.grab().save(QString::fromUtf8(dossier) + "/" + nom + ".png");
}

}  // namespace

class EssaisProgrammation : public QObject {
    Q_OBJECT

    struct Banc {
        Banc() {
            std::filesystem::copy_file(std::filesystem::path(LUMI_DOSSIER_DATA_SOURCE) / "Couleur.ini",
                                       e.dossier / "Couleur.ini");
            FichierIni reglages(e.dossier / "lumicompteur.ini");
            for (int n : {21, 22, 23, 25}) {
                reglages.ecrire("messages utilisateurs", "message " + std::to_string(n), "m" + std::to_string(n));
            }
            e.ecrire(cles::options, "delai auto validation", "1");
            e.demarrer();
            fenetre = std::make_unique<TForm1>(
                e.compteur(), CouturesFenetre{e.registre(), e.banc->acces, e.banc->dialogue, e.dossier.chemin(), {}});
            e.compteur().programmation().brancher(
                {&fenetre->ecrans_programmation(), &e.banc->arret, &e.banc->fenetres, &e.banc->trafic});
            ui::definir_route_programmation(fenetre->routeur(), e.compteur().programmation());
            fenetre->selection_utilisateurs_au_demarrage({}, "");
            fenetre->montrer();
        }
        ~Banc() {
            if (fenetre) fenetre->fermeture_session();
            fenetre.reset();
        }
        EssaiCompteur e{le_10_mars(14, 0, 0)};
        std::unique_ptr<TForm1> fenetre;
    };

private slots:
    void laFenetreSOuvreParLeRouteurEtArme() {
        Banc b;
        // Une connexion en cours depuis 10 s : une durée de 2 minutes se programme.
        b.e.connexion("MonFAI", 5500, 5500 + 3600 * 1000);
        b.e.banc->avancer_ms(15500);
        b.fenetre->demarrer();  // les QTimer suivent leurs minuteries
        bool vue = false;
        QTimer::singleShot(0, [&] {
            auto* f = b.fenetre->findChild<ui::Tdeconectform*>("Tdeconectform");
            QVERIFY(f != nullptr);
            vue = true;
            // Un échec ci-dessous sort d'ici : la fenêtre modale ne doit pas rester ouverte.
            struct Fermer {
                QDialog* f;
                ~Fermer() {
                    if (f->isVisible()) f->reject();
                }
            } fermer{f};
            QCOMPARE(f->windowTitle(), QString("Module de programmation"));
            QCOMPARE(f->ComboBox1->count(), 4);
            f->ComboBox1->setCurrentIndex(2);
            QCOMPARE(f->GroupBox1->title(), QString("Durée de la connexion au déclenchement "));
            QVERIFY(!f->SpeedButton5->isHidden());
            QCOMPARE(f->SpeedButton5->toolTip(), QString("Remise à zéro de la durée"));
            QTest::mouseClick(f->SpeedButton1, Qt::LeftButton);
            for (int i = 0; i < 2; ++i) QTest::mouseClick(f->SpeedButton3, Qt::LeftButton);
            QCOMPARE(f->Panel2->text(), QString("   01h02m"));
            QCOMPARE(f->Label3->text(), QString("Durée du message d'attente : 01 seconde "));
            // Plus de déconnexion : "Quitter Windows" grisé, l'alarme cochée.
            f->CheckBox1->click();
            QVERIFY(!f->CheckBox2->isEnabled());
            QVERIFY(f->CheckBox3->isChecked());
            QVERIFY(f->SpeedButton6->isEnabled());
            f->CheckBox1->click();
            capturer(*f, "programmation");
            QTest::mouseClick(f->Button1, Qt::LeftButton);
        });
        QTest::mouseClick(b.fenetre->zone_boutons->SpeedButton11, Qt::LeftButton);
        QVERIFY(vue);
        auto& p = b.e.compteur().programmation();
        QVERIFY(p.armee());
        QCOMPARE(QString::fromStdString(p.programmation()->seuil), QString("3720"));
        QCOMPARE(QString::fromStdString(b.e.lire(cles::options, "type programmation")), QString("2"));
        QCOMPARE(QString::fromStdString(b.e.lire(cles::options, "alarme download")), QString("oui"));
        // Armée : Timer3 tourne, le voyant paraît et Timer2 passe à 650 ms.
        QVERIFY(b.fenetre->minuteries().Timer3.timer->isActive());
        QTRY_VERIFY(b.fenetre->minuteries().Timer2.timer->isActive() &&
                    b.fenetre->minuteries().Timer2.timer->interval() == 650);
        QVERIFY(b.fenetre->zone_afficheur->Image6->isVisibleTo(b.fenetre.get()));

        // La commande, armée : le résumé, et Oui désarme.
        b.e.banc->dialogue.prevoir_reponse(Reponse::oui);
        QTest::mouseClick(b.fenetre->zone_boutons->SpeedButton11, Qt::LeftButton);
        QVERIFY(QString::fromStdString(b.e.banc->dialogue.boites().back().texte).contains("- ALARME : oui"));
        QVERIFY(!p.armee());
        QVERIFY(!b.fenetre->minuteries().Timer3.timer->isActive());
        QVERIFY(!b.fenetre->zone_afficheur->Image6->isVisibleTo(b.fenetre.get()));
    }

    void leDecompteRaccroche() {
        Banc b;
        b.e.ecrire(cles::options, "se deconnecter", "oui");
        b.e.connexion("MonFAI", 5500, 5500 + 3600 * 1000);
        b.e.banc->avancer_ms(15500);
        auto& p = b.e.compteur().programmation();
        p.fin_programmation();
        auto* d = b.fenetre->ecrans_programmation().decompte();
        QVERIFY(d != nullptr);
        QVERIFY(d->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(d->Label1->text(), QString("m21 m22"));
        QTRY_COMPARE(d->Label2->text(), QString(" Attention, déconnexion dans 01 seconde !"));
        capturer(*d, "decompte");
        // Dix pas de 100 ms : la déconnexion, la pause de 1500 ms, puis la fin de la connexion.
        QTRY_VERIFY_WITH_TIMEOUT(b.fenetre->ecrans_programmation().decompte() == nullptr, 5000);
        QVERIFY(b.e.banc->acces.connexions().empty());
    }

    // La jauge pleine fait ce que fait « &Se déconnecter... » : le décompte est caché avant le
    // raccrochage, « Déconnexion en cours... » se voit pendant celui-ci, puis « Fermeture de
    // Windows... » pendant l'arrêt, qui n'est pas couvert par le décompte.
    void laFinDuDecompteLeCacheAvantLeRaccrochageEtLArret() {
        Banc b;
        b.e.ecrire(cles::options, "se deconnecter", "oui");
        b.e.ecrire(cles::options, "exit window", "oui");
        auto& arret = b.e.banc->arret;
        arret.differer = true;
        arret.accepte = false;
        b.e.connexion("MonFAI", 5500, 5500 + 3600 * 1000);
        b.e.banc->avancer_ms(15500);
        auto& ecrans = b.fenetre->ecrans_programmation();
        b.e.compteur().programmation().fin_programmation();
        QPointer<ui::TcofirmForm> d = ecrans.decompte();
        QVERIFY(d != nullptr);
        QTRY_VERIFY(d->isVisible());

        // Une sonde pendant l'attente qui suit le raccrochage (la boucle d'événements tourne).
        struct Vu {
            bool decompte_visible;
            bool splash_visible;
            QString texte;
        };
        std::optional<Vu> au_raccrochage;
        QTimer sonde;
        sonde.setInterval(20);
        connect(&sonde, &QTimer::timeout, [&] {
            if (au_raccrochage || !b.e.banc->acces.connexions().empty()) return;
            ui::Tsplashscreen* s = ecrans.deconnexion();
            au_raccrochage = Vu{d && d->isVisible(), s && s->isVisible(),
                                s ? s->findChild<QLabel*>("Label1")->text() : QString()};
        });
        sonde.start();
        QTRY_VERIFY_WITH_TIMEOUT(arret.demandes == 1, 5000);
        QVERIFY(au_raccrochage.has_value());
        QVERIFY(!au_raccrochage->decompte_visible);
        QVERIFY(au_raccrochage->splash_visible);
        QCOMPARE(au_raccrochage->texte, QString("Déconnexion en cours..."));

        // L'arrêt demandé : le décompte est fermé, la fenêtre d'arrêt reste montrée sans retenir
        // le programme.
        QTRY_VERIFY(d.isNull());
        ui::Tsplashscreen* s = ecrans.deconnexion();
        QVERIFY(s != nullptr && s->isVisible());
        QCOMPARE(s->findChild<QLabel*>("Label1")->text(), QString("Fermeture de Windows..."));
        QCOMPARE(s->windowType(), Qt::SplashScreen);
        QVERIFY(s->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(b.e.compteur().programmation().arret_en_attente());
        arret.repondre();
        QVERIFY(!s->isVisible());
        QCOMPARE(b.e.boites().back(),
                 std::string("Echec fermeture de Windows.\nArrêt refusé par le système."));
    }
};

}  // namespace lumi::essai

QTEST_MAIN(lumi::essai::EssaisProgrammation)
#include "programmation_test.moc"
