// La vraie fenêtre principale menée par QtTest (plate-forme offscreen) sur un compteur complet simulé :
// clics et glissements sur l'afficheur, menus reconstruits, question de la fermeture, cacher sans zone
// de notification, raccrochage, fenêtre des messages, minuteries, scrutation réveillée par une veille,
// couleurs.
#include <sys/eventfd.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

#include "banc_tform1.hpp"
#include "base/descripteur.hpp"
#include "core/detection.hpp"
#include "core/essai_compteur.hpp"
#include "settings/fichier_ini.hpp"
#include "ui/controles.hpp"
#include "ui/dialogue_qt.hpp"
#include "ui/francais.hpp"
#include "ui/icones.hpp"
#include "ui/minuteries_tform1.hpp"
#include "ui/routeur_fenetres.hpp"
#include "ui/tform1.hpp"
#include "ui/tinfoform.hpp"
#include "ui/zones_tform1.hpp"

namespace lumi::essai {

// Un accès à distance qui sait veiller : l'essai règle l'état de la connexion et lève le signal.
class AccesVeille final : public AccesDistant {
public:
    AccesVeille() : signal_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    std::vector<ConnexionDistante> connexions() const override {
        ++interrogations;
        if (etat == etat_scrutation_aucune) return {};
        return {{"MonFAI", etat, 0}};
    }
    std::vector<std::string> entrees_annuaire() const override { return {}; }
    bool numeroter(std::string_view) override { return false; }
    bool raccrocher() override { return false; }
    int descripteur_veille() const override { return signal_.get(); }
    bool veille_complete() const override { return complete; }
    void lire_veille() override {
        std::uint64_t n = 0;
        [[maybe_unused]] const auto lu = ::read(signal_.get(), &n, sizeof n);
    }
    void changer(int nouvel_etat) {
        etat = nouvel_etat;
        const std::uint64_t un = 1;
        [[maybe_unused]] const auto ecrit = ::write(signal_.get(), &un, sizeof un);
    }

    int etat = etat_scrutation_aucune;
    bool complete = true;
    mutable int interrogations = 0;

private:
    Descripteur signal_;
};

// Pas de téléphonie : la détection scrute.
class SansTelephonie final : public Telephonie {
public:
    std::int32_t initialiser(RappelLigne, PoigneeTapi&, std::uint32_t&) override { return -1; }
    std::int32_t negocier_version(PoigneeTapi, std::uint32_t, std::uint32_t, std::uint32_t,
                                  std::uint32_t&) override {
        return -1;
    }
    std::int32_t ouvrir_ligne(PoigneeTapi, std::uint32_t, PoigneeTapi&, std::uint32_t, std::uint32_t,
                              std::uint32_t) override {
        return -1;
    }
    std::int32_t liberer_appel(PoigneeTapi) override { return -1; }
    std::int32_t fermer_ligne(PoigneeTapi) override { return -1; }
    std::int32_t arreter(PoigneeTapi) override { return -1; }
};

// Les actions reçues ; la numérotation ouvre une boucle d'événements, comme une boîte modale.
class ActionsAvecBoite final : public ActionsDetection {
public:
    void action_numerotation_en_cours() override {
        journal << "numerotation";
        QEventLoop boite;
        QTimer::singleShot(300, &boite, &QEventLoop::quit);
        if (pendant_la_boite) QTimer::singleShot(0, pendant_la_boite);
        boite.exec();
        journal << "boite fermee";
    }
    void action_connecte_au_reseau() override { journal << "connecte"; }
    void action_fin_de_connexion() override { journal << "fin"; }
    bool mode_manuel() const override { return false; }

    QStringList journal;
    std::function<void()> pendant_la_boite;
};

class EssaisTForm1 : public QObject {
    Q_OBJECT

private slots:
    void init() { b = std::make_unique<Banc>(); }
    void cleanup() { b.reset(); }

    void lesControlesPortentLeursNomsEtablis() {
        for (const char* nom :
             {"Panel1",        "Panel2",        "Panel3",        "Panel4",        "Panel5",
              "Panel20",       "Gauge1",        "Gauge2",        "SpeedButton1",  "SpeedButton2",
              "SpeedButton3",  "SpeedButton4",  "SpeedButton5",  "SpeedButton6",  "SpeedButton7",
              "SpeedButton8",  "SpeedButton10", "SpeedButton11", "SpeedButton14", "SpeedButton15",
              "SpeedButton17", "ComboBox1",     "ComboBox2",     "ComboBox3",     "Label6",
              "Image12",       "PopupMenu1",    "PopupMenu2",    "PopupMenu3",    "PopupMenu4",
              "PopupMenu6",    "Timer1",        "Timer2",        "Timer4",        "Timer5"}) {
            QVERIFY2(b->fenetre->findChild<QObject*>(nom) != nullptr, nom);
        }
        QCOMPARE(b->fenetre->zone_boutons->SpeedButton2->toolTip(), QString("Se connecter à Internet"));
        QCOMPARE(b->fenetre->zone_boutons->SpeedButton5->text(), QString("&Options"));
        QCOMPARE(b->fenetre->zone_afficheur->SpeedButton8->toolTip(),
                 QString("Réduire en icône dans la barre de notification"));
        QCOMPARE(b->fenetre->zone_choix->SpeedButton14->toolTip(),
                 QString("Cliquez-ici pour sélectionner manuellement la réduction ou forfait à appliquer"));
        QCOMPARE(b->fenetre->windowTitle(), QString("Lumicompteur 2000"));
    }

    void laRotationDesRangeesAvecLesLignes0Et2Et3() {
        auto& c = b->e.compteur();
        c.SpeedButton1Click();
        b->e.banc->avancer(5);
        c.SpeedButton4Click();
        c.lecture_total_facure_en_cours();
        b->fenetre->rafraichir();
        QCOMPARE(b->texte(b->fenetre->zone_afficheur->Panel1), QString("Arrêté manuellement"));
        QVERIFY(!b->fenetre->zone_afficheur->Panel20->isVisibleTo(b->fenetre.get()));

        QTest::mouseClick(b->fenetre->zone_afficheur->Panel1, Qt::LeftButton);
        QCOMPARE(b->texte(b->fenetre->zone_afficheur->Panel1), QString("Total facture en cours :"));
        QVERIFY(b->fenetre->zone_afficheur->Panel20->isVisibleTo(b->fenetre.get()));
        QCOMPARE(b->texte(b->fenetre->zone_afficheur->Panel20), QString::fromStdString(b->e.ligne(3)));
        QTest::mouseClick(b->fenetre->zone_afficheur->Panel20, Qt::LeftButton);
        QCOMPARE(b->texte(b->fenetre->zone_afficheur->Panel1), QString("Arrêté manuellement"));
    }

    void htTtcEtDecimalesRangesEtMontres() {
        b->connecter(100);  // un centime par seconde, hors taxes, deux décimales
        QCOMPARE(b->texte(b->fenetre->zone_afficheur->Panel4), QString("1,00 F"));
        QVERIFY(b->fenetre->menus().htpopup->isChecked());
        // Le libellé du total suit le réglage lu au démarrage, puis chaque commande.
        QCOMPARE(b->fenetre->zone_information->Panel13->text(), QString("Total HT"));

        b->fenetre->menus().ttcpopup->trigger();
        QCOMPARE(b->texte(b->fenetre->zone_afficheur->Panel4), QString("1,20 F"));
        QCOMPARE(b->fenetre->zone_afficheur->Panel4->toolTip(), QString("Prix communication TTC"));
        QVERIFY(b->fenetre->menus().ttcpopup->isChecked());
        QVERIFY(!b->fenetre->menus().htpopup->isChecked());
        QCOMPARE(b->fenetre->zone_information->Panel13->text(), QString("Total TTC"));
        QCOMPARE(b->ini("affichage des prix", "affichage"), std::string("ttc"));

        QTest::mouseClick(b->fenetre->zone_afficheur->Panel4, Qt::LeftButton);
        QCOMPARE(b->texte(b->fenetre->zone_afficheur->Panel4), QString("1,196 F"));
        QCOMPARE(b->ini("gestion afficheur", "nb de decimales"), std::string("3"));
        QVERIFY2(b->fenetre->menus().deuxdeci->isChecked(), "le clic sur le prix laisse les coches");
        QTest::mouseClick(b->fenetre->zone_afficheur->Panel4, Qt::LeftButton);
        QCOMPARE(b->texte(b->fenetre->zone_afficheur->Panel4), QString("1,20 F"));
        QCOMPARE(b->ini("gestion afficheur", "nb de decimales"), std::string("2"));

        b->fenetre->menus().troisdeci->trigger();
        QVERIFY(b->fenetre->menus().troisdeci->isChecked());
        QVERIFY(!b->fenetre->menus().deuxdeci->isChecked());
        b->fenetre->menus().htpopup->trigger();
        QCOMPARE(b->texte(b->fenetre->zone_afficheur->Panel4), QString("1,000 F"));
        QCOMPARE(b->fenetre->zone_information->Panel13->text(), QString("Total HT"));
        QCOMPARE(b->ini("affichage des prix", "affichage"), std::string("hors taxes"));
    }

    // Un nom d'option, une légende ou un nom d'utilisateur longs sont coupés : la fenêtre normale et
    // l'afficheur gardent leur largeur, et l'info-bulle donne le texte entier.
    void laFenetreNormaleGardeSaLargeur() {
        const auto disposee = [this] {
            for (int n = 0; n < 4; ++n) QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            return QPair<int, int>(b->fenetre->width(), b->fenetre->zone_afficheur->Panel5->width());
        };
        const auto depart = disposee();  // les noms courts des données d'essai
        // Les listes sont remplies avant que la fenêtre ne paraisse, comme au démarrage du programme.
        const QString long_nom =
            "Réduction de trente pour cent sur les communications du soir et du week-end";
        b.reset();
        b = std::make_unique<Banc>([&long_nom](EssaiCompteur& e) {
            FichierIni tarifs(e.dossier / "tarifs.ini");
            tarifs.ecrire("R30", "designation", long_nom.toStdString());
            tarifs.ecrire("R30", "l1",
                          "Réduction de 30 % : de 19h à 8h, le week-end, les jours fériés et les ponts");
            e.ecrire(cles::utilisateurs, "utilisateur 2", "Paul-Henri-Marie de la Tour du Pin Gouvernet");
        });
        auto& f = *b->fenetre;
        QCOMPARE(disposee(), depart);
        bool coupe_vu = false;
        for (int i = 0; i < f.zone_choix->ComboBox3->count(); ++i) {
            f.commandes().choisir_option(i);
            f.rafraichir();
            QCOMPARE(disposee(), depart);
            if (f.zone_choix->Label_option->text().startsWith(long_nom)) {
                coupe_vu = true;
                QVERIFY(f.zone_choix->Label_option->coupe());
                QVERIFY2(f.zone_choix->Label_option->toolTip().contains(long_nom),
                         qPrintable(f.zone_choix->Label_option->toolTip()));
                QVERIFY(f.zone_choix->Label_option->toolTip().startsWith(
                    "Réduction ou forfait tarifaire en cours"));
            } else {
                QVERIFY2(!f.zone_choix->Label_option->coupe(),
                         qPrintable(f.zone_choix->Label_option->text()));
                QCOMPARE(f.zone_choix->Label_option->toolTip(),
                         QString("Réduction ou forfait tarifaire en cours"));
            }
        }
        QVERIFY2(coupe_vu, "l'option au nom long n'a pas été montrée");
        // Un forfait montre sa zone, dont la date de la remise à zéro : la largeur ne bouge pas.
        for (int i = 0; i < f.zone_choix->ComboBox3->count(); ++i) {
            f.commandes().choisir_option(i);
            f.rafraichir();
            if (f.zone_du_forfait->isVisible()) break;
        }
        QVERIFY(f.zone_du_forfait->isVisible());
        QCOMPARE(disposee(), depart);
        f.zone_utilisateur->ComboBox1->setCurrentIndex(1);
        emit f.zone_utilisateur->ComboBox1->activated(1);
        QVERIFY(f.zone_utilisateur->Label6->text().startsWith("Paul-Henri"));
        QVERIFY(f.zone_utilisateur->Label6->coupe());
        QCOMPARE(disposee(), depart);
    }

    // La ligne de la prochaine remise à zéro d'un forfait se lit en entier, sans « dans » répété.
    void laRemiseAZeroDuForfaitSeLitEnEntier() {
        b.reset();
        b = std::make_unique<Banc>(
            [](EssaiCompteur& e) { FichierIni(e.dossier / "tarifs.ini").ecrire("F60", "raz_le", "15"); });
        auto& f = *b->fenetre;
        bool forfait_vu = false;
        for (int i = 0; i < f.zone_choix->ComboBox3->count() && !forfait_vu; ++i) {
            f.commandes().choisir_option(i);
            f.rafraichir();
            for (int n = 0; n < 4; ++n) QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            if (!f.zone_du_forfait->isVisible() || !f.zone_du_forfait->Label10->text().startsWith("dans"))
                continue;
            forfait_vu = true;
            const QString ligne = f.findChild<QLabel*>("titre_prochain_forfait")->text() + " " +
                                  f.zone_du_forfait->Label10->text();
            QCOMPARE(ligne, QString("Prochain forfait : dans 5 jours, le 15 mars 2000"));
            QVERIFY2(!f.zone_du_forfait->Label10->coupe(), qPrintable(ligne));
        }
        QVERIFY(forfait_vu);
    }

    // Une légende de tarif va à la ligne entre deux mots plutôt que d'être coupée ; au-delà des lignes
    // permises, la dernière est coupée et l'info-bulle donne le texte entier.
    void uneEtiquetteDeDeuxLignesVaALaLigneAvantDeCouper() {
        const QString legende = "Compris dans le forfait : de 19h à 8h, le week-end et les jours fériés";
        ui::EtiquetteElidee l("legende_l1");
        l.setText(legende);
        const int largeur = l.fontMetrics().horizontalAdvance(legende) * 2 / 3;
        const int ligne = l.fontMetrics().height();
        l.show();  // montrée, elle suit chaque changement de taille aussitôt
        l.resize(largeur, ligne);
        QVERIFY(l.coupe());
        QVERIFY(!l.hasHeightForWidth());
        l.definir_lignes_max(2);
        QVERIFY(l.hasHeightForWidth());
        QCOMPARE(l.heightForWidth(largeur), 2 * ligne);
        QCOMPARE(l.heightForWidth(2 * largeur), ligne);
        l.resize(largeur, 2 * ligne);
        QVERIFY(!l.coupe());
        QCOMPARE(l.toolTip(), QString());
        l.resize(largeur / 3, 2 * ligne);
        QVERIFY(l.coupe());
        QCOMPARE(l.toolTip(), legende);
    }

    // L'arrêt manuel met la connexion dans la facture : la ligne 3 la montre aussitôt, sans clic, et
    // aussi quand l'enregistrement n'a pu se faire qu'au nouvel essai du repos.
    void laLigneDeLaFactureSuitLArretManuel_data() {
        QTest::addColumn<bool>("historique_bloque");
        QTest::newRow("écrit aussitôt") << false;
        QTest::newRow("écrit plus tard") << true;
    }
    void laLigneDeLaFactureSuitLArretManuel() {
        QFETCH(bool, historique_bloque);
        auto& c = b->e.compteur();
        c.enregistrer_historique = [&c] {
            c.historique().enregistrer_historique([&c] { return c.donnees_connexion(); });
        };
        c.lecture_total_facure_en_cours();
        const auto historique = b->e.dossier / "Historique";
        if (historique_bloque) {
            std::filesystem::remove_all(historique);
            ecrire_octets(historique, "un fichier à la place du dossier");
        }
        auto& f = *b->fenetre;
        QTest::mouseClick(f.zone_boutons->SpeedButton1, Qt::LeftButton);
        b->e.banc->avancer(128);
        f.rafraichir();
        QTest::mouseClick(f.zone_afficheur->Panel1, Qt::LeftButton);
        QCOMPARE(b->texte(f.zone_afficheur->Panel1), QString("Total facture en cours :"));
        const QString pendant = b->texte(f.zone_afficheur->Panel20);
        QVERIFY2(pendant.startsWith("00h02m08s - "), qPrintable(pendant));

        QTest::mouseClick(f.zone_boutons->SpeedButton4, Qt::LeftButton);
        if (historique_bloque) {
            // La facture n'a pas bougé : la ligne le dit, jusqu'à ce que l'enregistrement passe.
            QVERIFY(c.historique().enregistrement_en_attente());
            QVERIFY2(b->texte(f.zone_afficheur->Panel20).startsWith("00h00m00s - "),
                     qPrintable(b->texte(f.zone_afficheur->Panel20)));
            std::filesystem::remove(historique);
            b->e.banc->avancer(31);  // un nouvel essai à la période des instantanés (30 s par défaut)
            f.rafraichir();
            QVERIFY(!c.historique().enregistrement_en_attente());
        }
        QCOMPARE(b->texte(f.zone_afficheur->Panel1), QString("Total facture en cours :"));
        QCOMPARE(b->texte(f.zone_afficheur->Panel20), pendant);
    }

    // Sans entrée dans l'annuaire, le bouton et le menu le disent au lieu de ne rien faire.
    void sansEntreeSeConnecterLeDit() {
        auto& f = *b->fenetre;
        auto& dialogue = b->e.banc->dialogue;
        b->e.banc->acces.definir_annuaire({});
        QTest::mouseClick(f.zone_boutons->SpeedButton2, Qt::LeftButton);
        emit f.menus().PopupMenu2->aboutToShow();
        QCOMPARE(f.menus().Seconnecter1->text(), QString("Se &connecter"));
        QVERIFY(f.menus().Seconnecter1->isEnabled());
        f.menus().Seconnecter1->trigger();
        QCOMPARE(dialogue.boites().size(), std::size_t{2});
        for (const auto& boite : dialogue.boites()) {
            QCOMPARE(boite.genre, GenreBoite::information);
            QCOMPARE(QString::fromStdString(boite.texte),
                     QString::fromStdString(f.commandes().texte_aucune_entree()));
        }
        QVERIFY(QString::fromStdString(dialogue.boites()[0].texte)
                    .startsWith("Aucune connexion d'accès à distance"));
        QVERIFY(b->e.banc->acces.numerotations().empty());
    }

    void dureeOuHeureParUnClicSurLaDuree() {
        QCOMPARE(b->texte(b->fenetre->zone_afficheur->Panel2), QString("00:00:00"));
        QTest::mouseClick(b->fenetre->zone_afficheur->Panel2, Qt::LeftButton);
        QCOMPARE(b->texte(b->fenetre->zone_afficheur->Panel2), QString("14:00:00"));
        QCOMPARE(b->fenetre->zone_afficheur->Panel2->toolTip(), QString("C'est l'heure !"));
        QVERIFY(b->fenetre->menus().Heure1->isChecked());
        QVERIFY(!b->fenetre->menus().Duree1->isChecked());
        QTest::mouseClick(b->fenetre->zone_afficheur->Panel2, Qt::LeftButton);
        QCOMPARE(b->texte(b->fenetre->zone_afficheur->Panel2), QString("00:00:00"));
        QCOMPARE(b->fenetre->zone_afficheur->Panel2->toolTip(), QString("Durée connexion"));
        QVERIFY(b->fenetre->menus().Duree1->isChecked());
    }

    void glisserLaDureeDeplaceLaFenetreSansBasculer() {
        b->connecter(65);
        QCOMPARE(b->texte(b->fenetre->zone_afficheur->Panel2), QString("00:01:05"));
        const QPoint avant = b->fenetre->pos();
        const QPoint depart = b->fenetre->zone_afficheur->Panel2->rect().center();
        QTest::mousePress(b->fenetre->zone_afficheur->Panel2, Qt::LeftButton, {}, depart);
        QTest::mouseMove(b->fenetre->zone_afficheur->Panel2, depart + QPoint(40, 25));
        // La fenêtre a suivi la souris : relâchée au même endroit du panneau.
        QTest::mouseRelease(b->fenetre->zone_afficheur->Panel2, Qt::LeftButton, {}, depart);
        QCOMPARE(b->fenetre->pos(), avant + QPoint(40, 25));
        QCOMPARE(b->texte(b->fenetre->zone_afficheur->Panel2), QString("00:01:05"));
        QCOMPARE(b->e.etat().mode_panneau_duree, 1);
        QVERIFY(b->fenetre->menus().Duree1->isChecked());
    }

    void leMenuEstReconstruitSelonLAnnuaire_data() {
        QTest::addColumn<QStringList>("entrees");
        QTest::addColumn<QString>("texte");
        QTest::addColumn<QStringList>("sous_menu");
        QTest::newRow("aucune") << QStringList{} << "Se &connecter" << QStringList{};
        QTest::newRow("une") << QStringList{"MonFAI"} << "Se &connecter..." << QStringList{};
        QTest::newRow("deux") << QStringList{"MonFAI", "Club Net"} << "Se &connecter à"
                              << QStringList{"MonFAI...", "Club Net..."};
    }
    void leMenuEstReconstruitSelonLAnnuaire() {
        QFETCH(QStringList, entrees);
        QFETCH(QString, texte);
        QFETCH(QStringList, sous_menu);
        std::vector<std::string> annuaire;
        for (const auto& e : entrees) annuaire.push_back(e.toStdString());
        b->e.banc->acces.definir_annuaire(annuaire);
        // Deux ouvertures : rien n'est doublé.
        for (int fois = 0; fois < 2; ++fois) {
            emit b->fenetre->menus().PopupMenu2->aboutToShow();
            QCOMPARE(b->fenetre->menus().Seconnecter1->text(), texte);
            QStringList vus;
            if (QMenu* menu = b->fenetre->menus().Seconnecter1->menu()) {
                for (auto* a : menu->actions()) vus << a->text();
            }
            QCOMPARE(vus, sous_menu);
        }
        if (sous_menu.size() == 2) {
            b->fenetre->menus().Seconnecter1->menu()->actions().at(1)->trigger();
            QCOMPARE(b->e.banc->acces.numerotations(), std::vector<std::string>{"Club Net"});
            // Le bouton de connexion ouvre le menu des entrées, qui montre les mêmes.
            emit b->fenetre->menus().PopupMenu6->aboutToShow();
            QCOMPARE(b->fenetre->menus().PopupMenu6->actions().size(), 2);
        } else {
            b->fenetre->menus().Seconnecter1->trigger();
            const std::vector<std::string> attendues =
                entrees.isEmpty() ? std::vector<std::string>{} : std::vector<std::string>{"MonFAI"};
            QCOMPARE(b->e.banc->acces.numerotations(), attendues);
        }
    }

    void laQuestionDeLaFermeture_data() {
        QTest::addColumn<bool>("connexion");
        QTest::addColumn<QString>("question");
        QTest::newRow("au repos") << false << "m56    ";
        QTest::newRow("pendant une connexion") << true << "m53\rm54\rm55\r\rm56    ";
    }
    void laQuestionDeLaFermeture() {
        QFETCH(bool, connexion);
        QFETCH(QString, question);
        if (connexion) b->connecter(30);
        QSignalSpy acceptee(b->fenetre.get(), &TForm1::fermeture_acceptee);
        auto& dialogue = b->e.banc->dialogue;
        dialogue.prevoir_reponse(Reponse::non);
        b->fenetre->menus().Fermer1->trigger();
        QVERIFY(b->fenetre->isVisible());
        QCOMPARE(acceptee.count(), 0);
        QCOMPARE(QString::fromStdString(dialogue.boites().back().texte), question);
        QCOMPARE(dialogue.boites().back().genre, GenreBoite::question);
        QCOMPARE(b->e.etat().compteur_actif, connexion);

        dialogue.prevoir_reponse(Reponse::oui);
        QVERIFY(b->fenetre->close());
        QCOMPARE(acceptee.count(), 1);
        QCOMPARE(acceptee.at(0).at(0).toBool(), false);
    }

    void enFinDeSessionLaFenetreSeFermeSansQuestion() {
        b->connecter(30);
        QSignalSpy acceptee(b->fenetre.get(), &TForm1::fermeture_acceptee);
        b->fenetre->fermeture_session();
        QVERIFY(b->fenetre->close());
        QVERIFY(b->e.banc->dialogue.boites().empty());
        QCOMPARE(acceptee.count(), 1);
        QCOMPARE(acceptee.at(0).at(0).toBool(), true);
    }

    void sansZoneDeNotificationCacherReduitLaFenetre() {
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        b->fenetre->installer_icone();
        QVERIFY(!b->fenetre->zone_de_notification());
        QVERIFY(!b->fenetre->menus().restaurer->isVisible());
        QTest::mouseClick(b->fenetre->zone_afficheur->SpeedButton8, Qt::LeftButton);
        QTRY_VERIFY(b->fenetre->isMinimized());
        QVERIFY2(b->fenetre->isVisible(), "réduite, pas cachée : toujours à portée");
        QVERIFY(b->fenetre->menus().restaurer->isVisible());
        QVERIFY(!b->fenetre->menus().reduir->isVisible());
        b->fenetre->menus().restaurer->trigger();
        QTRY_VERIFY(!b->fenetre->isMinimized());
        QVERIFY(b->fenetre->isVisible());
        QVERIFY(b->fenetre->menus().reduir->isVisible());

        // Réduite puis rendue par le bureau (barre des tâches) : le menu suit.
        b->fenetre->showMinimized();
        QTRY_VERIFY(b->fenetre->menus().restaurer->isVisible());
        QVERIFY(!b->e.fenetre().fenetre_visible);
        b->fenetre->showNormal();
        QTRY_VERIFY(b->fenetre->menus().reduir->isVisible());
        QVERIFY(!b->fenetre->menus().restaurer->isVisible());
        QVERIFY(b->e.fenetre().fenetre_visible);
    }

    void raccrocherSansConnexionMontreLEchecApresUneSeconde() {
        auto& dialogue = b->e.banc->dialogue;
        dialogue.prevoir_reponse(Reponse::oui);
        QElapsedTimer chrono;
        chrono.start();
        b->fenetre->SpeedButton3Click();
        auto* splash = b->fenetre->findChild<QWidget*>("Tsplashscreen");
        QVERIFY(splash != nullptr);
        QVERIFY(splash->isVisible());
        QCOMPARE(dialogue.boites().size(), std::size_t{1});
        QTRY_COMPARE_WITH_TIMEOUT(dialogue.boites().size(), std::size_t{2}, 3000);
        QVERIFY(chrono.elapsed() >= 900);
        QCOMPARE(QString::fromStdString(dialogue.boites().back().texte),
                 QString("Echec déconnexion.\nAucune connexion n'est en cours."));
        QCOMPARE(dialogue.boites().back().genre, GenreBoite::information);
        QVERIFY(!splash->isVisible());
    }

    void raccrocherUneConnexionLaFinitSansBoite() {
        b->connecter(20);
        auto& dialogue = b->e.banc->dialogue;
        dialogue.prevoir_reponse(Reponse::oui);
        b->fenetre->menus().Sedeconnecter1->trigger();
        QVERIFY(b->e.banc->acces.connexions().empty());
        QTRY_VERIFY_WITH_TIMEOUT(!b->fenetre->findChild<QWidget*>("Tsplashscreen")->isVisible(), 3000);
        QCOMPARE(dialogue.boites().size(), std::size_t{1});
    }

    void laFenetreDesMessagesSeMontreAuDebutDUneConnexion() {
        b->connecter(2);
        auto* info = b->fenetre->findChild<ui::Tinfoform*>();
        QVERIFY(info != nullptr);
        QVERIFY(info->isVisible());
        info->CheckBox1->setChecked(true);
        info->close();  // détruite à la fermeture
        QTRY_VERIFY(b->fenetre->findChild<ui::Tinfoform*>() == nullptr);
        QCOMPARE(b->e.lire(cles::options, "message 1"), std::string("non"));
    }

    void laFenetreDetruiteAvecLaFenetreDesMessagesOuverte() {
        b->connecter(2);
        auto* info = b->fenetre->findChild<ui::Tinfoform*>();
        QVERIFY(info != nullptr);
        info->CheckBox1->setChecked(true);
        b->fenetre.reset();  // la fenêtre des messages part avec elle, sans rappeler des commandes détruites
        QCOMPARE(b->e.lire(cles::options, "message 1"), std::string("non"));
    }

    void lesMinuteriesSuiventLeCompteur() {
        QVERIFY(!b->fenetre->minuteries().Timer1.timer->isActive());
        b->fenetre->demarrer();
        QVERIFY(b->fenetre->minuteries().Timer1.timer->isActive());
        QCOMPARE(b->fenetre->minuteries().Timer1.timer->interval(), 1000);
        QVERIFY(b->fenetre->minuteries().Timer2.timer->isActive());
        QCOMPARE(b->fenetre->minuteries().Timer2.timer->interval(), 700);
        QVERIFY(!b->fenetre->minuteries().Timer4.timer->isActive());
        // La rangée clignotante attend que la fenêtre cachée revienne ; le compteur n'en sait rien.
        b->fenetre->hide();
        QVERIFY(!b->fenetre->minuteries().Timer2.timer->isActive());
        QVERIFY(b->fenetre->minuteries().Timer1.timer->isActive());
        QVERIFY(b->e.compteur().Timer2().active());
        b->fenetre->show();
        QVERIFY(b->fenetre->minuteries().Timer2.timer->isActive());
        b->e.connexion("MonFAI", 5500, 60'000);
        b->e.banc->avancer_ms(3500);
        QTest::qWait(50);
        b->fenetre->minuteries().Timer1.timer->setInterval(10);  // un top réel de la fenêtre relit tout
        b->fenetre->minuteries().Timer1.timer->start();
        QTRY_COMPARE(b->fenetre->minuteries().Timer2.timer->interval(), 600);
        QVERIFY(b->fenetre->minuteries().Timer2.timer->isActive());
        // L'icône de la numérotation clignote, fenêtre cachée ou non.
        b->fenetre->hide();
        QVERIFY(b->fenetre->minuteries().Timer2.timer->isActive());
        b->fenetre->show();
    }

    // La liste des utilisateurs n'est faite qu'à sa première ouverture : ses lignes sont alors
    // dessinées par le délégué, et ses touches relayées comme celles de la liste fermée.
    void laListeOuverteEstDessineeEtRelaieSesTouches() {
        QTest::mouseClick(b->fenetre->zone_utilisateur->SpeedButton17, Qt::LeftButton);
        QAbstractItemView* liste = b->fenetre->zone_utilisateur->ComboBox1->view();
        QTRY_VERIFY(liste->isVisible());
        QVERIFY(dynamic_cast<ui::DelegueLigne*>(liste->itemDelegate()) != nullptr);
        QVERIFY(!b->fenetre->commandes().deverrouillage_menu());
        QTest::keyClick(liste, Qt::Key_A, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
        QVERIFY(b->fenetre->commandes().deverrouillage_menu());
        b->fenetre->zone_utilisateur->ComboBox1->hidePopup();
    }

    // Peintes à la demande, les icônes rendent les images d'une icône faite de leurs six tailles :
    // la plus proche au-dessus réduite, l'image inactive ou survolée faite par le style.
    void lesIconesPeintesALaDemandeRendentLesImagesDUneIconeOrdinaire() {
        const ui::IconesLumi icones;
        for (const QIcon* icone :
             {&icones.application(), &icones.connecter, &icones.aide, &icones.icone(ImageIcone::Image4)}) {
            QIcon reference;
            for (int t : {16, 22, 24, 32, 48, 64}) reference.addPixmap(icone->pixmap(t, t));
            QCOMPARE(icone->availableSizes(), reference.availableSizes());
            for (const QSize taille : {QSize(16, 16), QSize(20, 20), QSize(24, 24), QSize(24, 16),
                                       QSize(40, 40), QSize(64, 64), QSize(100, 100)}) {
                QCOMPARE(icone->actualSize(taille), reference.actualSize(taille));
                for (const auto mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active, QIcon::Selected}) {
                    const QString cas =
                        QString("%1x%2, mode %3").arg(taille.width()).arg(taille.height()).arg(mode);
                    QVERIFY2(
                        icone->pixmap(taille, mode).toImage() == reference.pixmap(taille, mode).toImage(),
                        qPrintable(cas));
                }
            }
        }
    }

    // Avec une veille complète, la scrutation n'a plus de minuterie : elle passe à chaque signal ;
    // incomplète, les 100 ms reviennent à côté. Une boîte ouverte par une action (passage mené par
    // la minuterie) n'est pas traversée par un passage réveillé par la veille : ce qui change pendant
    // la boîte est vu à sa fermeture.
    void laScrutationSuitLaVeilleSansSeRelancerPendantUneBoite() {
        AccesVeille acces;
        SansTelephonie telephonie;
        ActionsAvecBoite actions;
        Detection detection({b->e.banc->horloge, b->e.registre(), acces, telephonie, b->e.banc->dialogue},
                            actions, b->e.dossier.chemin());
        detection.choix_de_la_source();
        QVERIFY(detection.surveillance_par_ras());
        acces.complete = false;
        b->fenetre->suivre_detection(detection);
        b->fenetre->demarrer();
        QVERIFY(b->fenetre->minuteries().veille_Timer5 != nullptr);
        QVERIFY(b->fenetre->minuteries().veille_Timer5->isEnabled());
        QVERIFY(b->fenetre->minuteries().Timer5.timer->isActive());

        actions.pendant_la_boite = [&] { acces.changer(etat_ras_authentification); };
        acces.etat = etat_ras_connexion_peripherique;  // vu par les 100 ms, sans signal
        QTRY_COMPARE(actions.journal, (QStringList{"numerotation", "boite fermee", "connecte"}));

        acces.complete = true;
        acces.changer(etat_ras_connecte);
        QTRY_VERIFY(!b->fenetre->minuteries().Timer5.timer->isActive());
        QVERIFY(b->fenetre->minuteries().veille_Timer5->isEnabled());
        const int avant = acces.interrogations;
        QTest::qWait(300);
        QCOMPARE(acces.interrogations, avant);  // au repos, plus rien
        acces.changer(etat_scrutation_aucune);
        QTRY_COMPARE(actions.journal.last(), QString("fin"));
        b->fenetre->fermeture_session();
        b->fenetre.reset();  // avant la détection qu'elle suit
    }

    void lesCouleursEtLUtilisateurSontAppliques() {
        QCOMPARE(b->fenetre->zone_afficheur->Panel2->palette().color(QPalette::Window), QColor(Qt::black));
        QCOMPARE(b->fenetre->zone_afficheur->Panel1->palette().color(QPalette::WindowText),
                 QColor(0, 255, 0));
        QCOMPARE(b->fenetre->zone_utilisateur->Label6->text(), QString("Anne"));
        QVERIFY(!b->fenetre->zone_utilisateur->Image12->isVisibleTo(b->fenetre.get()));
        QCOMPARE(b->fenetre->zone_utilisateur->ComboBox1->count(), 2);
        QCOMPARE(b->fenetre->zone_utilisateur->ComboBox1->itemData(1, ui::role_cadenas).toBool(), true);
        b->fenetre->zone_utilisateur->ComboBox1->setCurrentIndex(1);
        emit b->fenetre->zone_utilisateur->ComboBox1->activated(1);
        QCOMPARE(b->fenetre->zone_utilisateur->Label6->text(), QString("Paul"));
        QVERIFY(b->fenetre->zone_utilisateur->Image12->isVisibleTo(b->fenetre.get()));
        QCOMPARE(b->e.lire(cles::utilisateurs, "dernier utilisateur"), std::string("Paul"));
        b->fenetre->selectionner_utilisateur("-ANNE");
        QCOMPARE(b->fenetre->zone_utilisateur->Label6->text(), QString("Anne"));
    }

    void lAideEtLesAdressesDeLAuteur() {
        b->fenetre->SpeedButton6Click();
        // Pas encore d'adresse : le courrier est éteint et dit pourquoi, le Web ouvre « À propos ».
        emit b->fenetre->menus().PopupMenu2->aboutToShow();
        QVERIFY(!b->fenetre->menus().Email1->isEnabled());
        QVERIFY(b->fenetre->menus().Email1->toolTip().contains("pas encore d'adresse"));
        b->fenetre->menus().Email1->trigger();
        b->fenetre->menus().Web1->trigger();
        QCOMPARE(b->urls.size(), 2);
        QVERIFY(b->urls[0].isLocalFile());
        QVERIFY2(b->urls[0].toLocalFile().endsWith("aide/sujet-1.html"), qPrintable(b->urls[0].toString()));
        QVERIFY(std::filesystem::is_regular_file(b->urls[0].toLocalFile().toStdString()));
        QVERIFY2(b->urls[1].toLocalFile().endsWith("aide/sujet-25.html"), qPrintable(b->urls[1].toString()));
        QVERIFY(std::filesystem::is_regular_file(b->urls[1].toLocalFile().toStdString()));
    }

    void lesBoitesQtOntLesBoutonsFrancaisEtFermerDitNon() {
        DialogueQt dialogue(b->fenetre.get());
        // Répond à la prochaine boîte : le bouton de ce texte, ou la fermeture sans choix.
        const auto repondre = [](const QString& bouton, QStringList* vus) {
            QTimer::singleShot(50, [bouton, vus] {
                for (auto* w : QApplication::topLevelWidgets()) {
                    auto* boite = qobject_cast<QMessageBox*>(w);
                    if (!boite || !boite->isVisible()) continue;
                    // Dans l'ordre où l'utilisateur les lit, de gauche à droite.
                    auto boutons = boite->buttons();
                    std::sort(boutons.begin(), boutons.end(), [boite](auto* g, auto* d) {
                        return g->mapTo(boite, QPoint(0, 0)).x() < d->mapTo(boite, QPoint(0, 0)).x();
                    });
                    for (auto* b : boutons) *vus << b->text();
                    if (bouton.isEmpty()) {
                        boite->reject();
                    } else {
                        for (auto* b : boite->buttons()) {
                            if (b->text() == bouton) b->click();
                        }
                    }
                }
            });
        };
        QStringList vus;
        repondre("&Oui", &vus);
        QCOMPARE(dialogue.question("Quitter ?\rVraiment ?"), Reponse::oui);
        vus.sort();
        QCOMPARE(vus, (QStringList{"&Non", "&Oui"}));
        vus.clear();
        repondre({}, &vus);
        QCOMPARE(dialogue.question("Quitter ?", true), Reponse::non);
        QCOMPARE(vus, (QStringList{"&Oui", "&Non", "&Tout"}));
        vus.clear();
        repondre("&Tout", &vus);
        QCOMPARE(dialogue.question("Tous ?", true), Reponse::tout);
        vus.clear();
        repondre({}, &vus);
        dialogue.information("Echec déconnexion.\nAucune connexion n'est en cours.");
        QCOMPARE(vus, QStringList{"OK"});
        QCOMPARE(texte_pour_boite("a\r\nb\rc\nd"), QString("a\nb\nc\nd"));
        // Entrée choisit le bouton par défaut : le premier, ou celui que la question désigne.
        const std::pair<std::optional<Reponse>, Reponse> entrees[] = {{std::nullopt, Reponse::oui},
                                                                      {Reponse::non, Reponse::non}};
        for (const auto& [defaut, attendu] : entrees) {
            QTimer::singleShot(50, [] {
                for (auto* w : QApplication::topLevelWidgets()) {
                    auto* boite = qobject_cast<QMessageBox*>(w);
                    if (boite && boite->isVisible()) QTest::keyClick(boite, Qt::Key_Return);
                }
            });
            QCOMPARE(dialogue.question("Effacer ?", false, defaut), attendu);
        }
    }

    // Les contrôles de Qt lui-même parlent français même sur un système en anglais (LANG=C.UTF-8
    // ici) : le calendrier et le menu contextuel d'un champ de texte.
    void lesControlesDeQtParlentFrancais() {
        QVERIFY(installer_francais(*qApp));
        QCOMPARE(QLocale().monthName(9), QString("septembre"));
        QCOMPARE(QLocale().dayName(1, QLocale::ShortFormat), QString("lun."));
        QCOMPARE(QLocale().firstDayOfWeek(), Qt::Monday);
        QLineEdit champ;
        std::unique_ptr<QMenu> menu(champ.createStandardContextMenu());
        QStringList textes;
        for (const QAction* a : menu->actions()) {
            if (!a->isSeparator()) textes << a->text().remove('&').section('\t', 0, 0);
        }
        QVERIFY2(textes.contains("Coller") && textes.contains("Annuler"), qPrintable(textes.join(" | ")));
        QLocale::setDefault(QLocale::c());
    }

    // Un avis d'une minuterie rend la main aussitôt : la boîte reste ouverte, non modale, et se
    // détruit à sa fermeture.
    void unAvisNAttendPas() {
        DialogueQt dialogue(b->fenetre.get());
        dialogue.avis(GenreBoite::avertissement, "Disque plein.");
        QMessageBox* avis = nullptr;
        for (auto* w : QApplication::topLevelWidgets()) {
            if (auto* boite = qobject_cast<QMessageBox*>(w); boite && boite->isVisible()) avis = boite;
        }
        QVERIFY(avis != nullptr);
        QCOMPARE(avis->windowModality(), Qt::NonModal);
        QCOMPARE(avis->text(), QString("Disque plein."));
        QPointer<QMessageBox> garde(avis);
        avis->buttons().front()->click();
        QTRY_VERIFY(garde.isNull());
    }

    // --- Les trois tailles ---

    void chaqueModeMontreSesZones_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("zones");
        QTest::addColumn<bool>("bordee");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("coche");
        QTest::newRow("afficheur") << int(ModeAffichage::afficheur) << false << false
                                   << "Modifier la taille de la fenêtre"
                                   << "afficheur";
        QTest::newRow("barre") << int(ModeAffichage::barre) << false << false
                               << "Augmenter la taille de la fenêtre"
                               << "barre";
        QTest::newRow("normale") << int(ModeAffichage::normal) << true << true
                                 << "Réduire la taille de la fenêtre"
                                 << "Taillenormale";
    }
    void chaqueModeMontreSesZones() {
        QFETCH(int, mode);
        QFETCH(bool, zones);
        QFETCH(bool, bordee);
        QFETCH(QString, hint);
        QFETCH(QString, coche);
        auto& f = *b->fenetre;
        const int largeur_normale = f.width();
        b->e.compteur().ecrire_ligne_etat(ligne_etat::etat, "Attente connexion");
        b->e.compteur().ecrire_ligne_etat(ligne_etat::detail, "MonFAI");
        f.move(200, 100);
        // Par le menu du bouton de taille : de la normale, l'élément choisi ; la normale après la barre.
        if (mode == int(ModeAffichage::normal)) f.menus().barre->trigger();
        QAction* element = f.menus().PopupMenu5->findChild<QAction*>(coche);
        QVERIFY(element != nullptr);
        element->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(&f));

        for (QWidget* zone :
             {static_cast<QWidget*>(f.zone_boutons), static_cast<QWidget*>(f.zone_utilisateur),
              static_cast<QWidget*>(f.zone_choix), static_cast<QWidget*>(f.zone_information)}) {
            QCOMPARE(zone->isVisible(), zones);
        }
        QVERIFY(f.zone_afficheur->Panel5->isVisible());
        QVERIFY(f.zone_afficheur->SpeedButton8->isVisible());
        QVERIFY(f.zone_afficheur->SpeedButton10->isVisible());
        QCOMPARE(!f.windowFlags().testFlag(Qt::FramelessWindowHint), bordee);
        QCOMPARE(f.windowFlags().testFlag(Qt::WindowStaysOnTopHint), !bordee);
        QCOMPARE(f.zone_afficheur->SpeedButton10->toolTip(), hint);
        for (QAction* a : {f.menus().afficheur, f.menus().barre, f.menus().Taillenormale})
            QCOMPARE(a->isChecked(), a == element);
        if (mode == int(ModeAffichage::barre)) {
            // Une seule rangée, deux lignes côte à côte ; le bouton de connexion caché.
            QCOMPARE(b->texte(f.zone_afficheur->Panel1), QString("Attente connexion  MonFAI"));
            QVERIFY(!f.zone_afficheur->Panel20->isVisible());
            QVERIFY(!f.zone_boutons->SpeedButton2->isVisible());
            QVERIFY(std::abs(f.width() - largeur_normale * 5 / 3) <= 2);
            const auto milieu = [&f](QWidget* w) {
                return w->mapTo(f.zone_afficheur->Panel5, QPoint(0, w->height() / 2)).y();
            };
            QVERIFY(std::abs(milieu(f.zone_afficheur->Panel1) - milieu(f.zone_afficheur->Panel2)) <= 2);
            QVERIFY(f.height() < 60);
        } else {
            QCOMPARE(b->texte(f.zone_afficheur->Panel1), QString("Attente connexion"));
            QCOMPARE(b->texte(f.zone_afficheur->Panel20), QString("MonFAI"));
            QVERIFY(f.zone_afficheur->Panel20->isVisible());
            QVERIFY(f.zone_afficheur->Panel1->mapTo(f.zone_afficheur->Panel5, QPoint()).y() >
                    f.zone_afficheur->Panel2->y() + f.zone_afficheur->Panel2->height() / 2);
        }
        if (mode == int(ModeAffichage::normal)) {
            QVERIFY(f.zone_boutons->SpeedButton2->isVisible());
            QCOMPARE(f.width(), largeur_normale);
        }
    }

    void leBoutonDeTailleResteSousLaSouris() {
        auto& f = *b->fenetre;
        f.move(300, 200);  // l'écran offscreen fait 800 x 600
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const QPoint depart = f.zone_afficheur->SpeedButton10->mapToGlobal(QPoint());
        for (const ModeAffichage attendu : {ModeAffichage::afficheur, ModeAffichage::normal}) {
            QTest::mouseClick(f.zone_afficheur->SpeedButton10, Qt::LeftButton);

            QCOMPARE(f.modes().mode(), attendu);
            QCOMPARE(f.zone_afficheur->SpeedButton10->mapToGlobal(QPoint()), depart);
        }
        f.menus().barre->trigger();
        QCOMPARE(f.zone_afficheur->SpeedButton10->mapToGlobal(QPoint()), depart);
        QTest::mouseClick(f.zone_afficheur->SpeedButton10, Qt::LeftButton);
        QCOMPARE(f.modes().mode(), ModeAffichage::normal);
        QCOMPARE(f.zone_afficheur->SpeedButton10->mapToGlobal(QPoint()), depart);
        QTest::mouseClick(f.zone_afficheur->SpeedButton10, Qt::LeftButton);
        QCOMPARE(f.modes().mode(), ModeAffichage::barre);  // le bouton reprend la barre
    }

    void unGlissementDuCoinVersLaDroiteFinitEnBarre() {
        auto& f = *b->fenetre;
        const QPoint coin(f.width() - 3, f.height() - 3);
        const QPoint place = f.frameGeometry().topLeft();
        QTest::mousePress(&f, Qt::LeftButton, {}, coin);
        QVERIFY(f.modes().glissement_en_cours());
        QCOMPARE(b->e.compteur().Timer2().intervalle(), 100);
        QTest::mouseMove(&f, coin + QPoint(-40, -40));
        auto* rectangle = qApp->findChild<QWidget*>("rectangle_glissement");
        if (rectangle == nullptr) {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->objectName() == "rectangle_glissement") rectangle = w;
            }
        }
        QVERIFY(rectangle != nullptr && rectangle->isVisible());
        QCOMPARE(rectangle->size(), QSize(f.disposition(ModeAffichage::afficheur).taille.largeur,
                                          f.disposition(ModeAffichage::afficheur).taille.hauteur));
        QTest::mouseMove(&f, coin + QPoint(80, 10));
        QCOMPARE(rectangle->width(), f.disposition(ModeAffichage::barre).taille.largeur);
        QTest::mouseRelease(&f, Qt::LeftButton, {}, coin + QPoint(80, 10));
        QVERIFY(!rectangle->isVisible());
        QCOMPARE(f.modes().mode(), ModeAffichage::barre);
        QVERIFY(f.menus().barre->isChecked());
        // La fenêtre garde sa place : la barre, sans bordure, au coin qu'avait le cadre.
        QCOMPARE(f.geometry().topLeft(), place);
        QCOMPARE(b->e.compteur().effet_Timer2(), EffetTimer2::rangee_clignotante);
    }

    void laPositionRangeeEnQuittantRevientAuDemarrage() {
        auto& f = *b->fenetre;
        // Jamais placée (démarrage interrompu) : rien n'est rangé.
        f.enregistrer_position();
        QCOMPARE(b->ini("position normale", "position x"), std::string());
        f.restaurer_position();
        f.move(400, 300);
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const QPoint bouton = f.zone_afficheur->SpeedButton10->mapToGlobal(QPoint());
        f.enregistrer_position();
        const QString x = QString::fromStdString(b->ini("position normale", "position x"));
        QVERIFY2(QRegularExpression("^\\d+,\\d{3}$").match(x).hasMatch(), qPrintable(x));
        f.move(10, 10);
        f.restaurer_position();
        QCOMPARE(f.zone_afficheur->SpeedButton10->mapToGlobal(QPoint()), bouton);
    }

    // Sans place rangée, la fenêtre est centrée sur la taille qu'elle montre, même quand ses textes
    // ont changé depuis la dernière mesure (l'information tarifaire remplie pendant le démarrage).
    void sansPlaceRangeeLaFenetreEstCentreeSurSaVraieTaille() {
        auto& f = *b->fenetre;
        f.hide();
        auto* legende = f.zone_information->findChild<QWidget*>("legende");
        QVERIFY(legende != nullptr);
        legende->setVisible(!legende->isVisibleTo(f.zone_information));
        f.restaurer_position();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QCoreApplication::processEvents();
        const QRect ecran = f.screen()->geometry();
        QVERIFY2(std::abs(f.geometry().center().y() - ecran.center().y()) <= 1,
                 qPrintable(QString("%1 + %2 sur %3").arg(f.y()).arg(f.height()).arg(ecran.height())));
        QVERIFY(std::abs(f.geometry().center().x() - ecran.center().x()) <= 1);
    }

    void lesFenetresSecondairesPassentParLeRouteur() {
        auto& f = *b->fenetre;
        auto& dialogue = b->e.banc->dialogue;
        QTest::mouseClick(f.zone_boutons->SpeedButton7, Qt::LeftButton);
        QCOMPARE(QString::fromStdString(dialogue.boites().back().texte),
                 QString("La fenêtre « Historique des connexions » n'est pas encore disponible."));

        int creees = 0;
        QList<int> pages;
        f.routeur().definir_route(
            FenetreSecondaire::options,
            [&creees](QWidget* parent) {
                ++creees;
                auto* d = new QDialog(parent);
                d->setObjectName("Toptionform");
                return d;
            },
            [&pages](QDialog& d, int page) {
                pages << page;
                QTimer::singleShot(0, &d, &QDialog::accept);
            });
        QSignalSpy fermees(&f.routeur(), &ui::RouteurFenetres::fermee);
        QTest::mouseClick(f.zone_boutons->SpeedButton5, Qt::LeftButton);
        f.menus().Utilisateurs1->trigger();
        QCOMPARE(creees, 1);  // créée au premier usage, gardée ensuite
        QCOMPARE(pages, (QList<int>{0, 1}));
        QCOMPARE(fermees.count(), 2);
        QVERIFY(f.findChild<QDialog*>("Toptionform") != nullptr);
    }

private:
    std::unique_ptr<Banc> b;
};

}  // namespace lumi::essai

QTEST_MAIN(lumi::essai::EssaisTForm1)
#include "tform1_test.moc"
