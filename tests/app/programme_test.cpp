// Le vrai programme assemblé, sur la plate-forme Qt hors écran : fichiers de données manquants,
// démarrage invisible, second lancement (un vrai processus lumicompteur) qui choisit un utilisateur,
// prise et verrou orphelins remplacés, fin de session pendant une connexion ou pendant une boîte du
// démarrage, détection réveillée par la veille de l'accès à distance. Les
// vraies boîtes de message sont lues puis fermées par leur bouton par défaut.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "commun/soutien.hpp"
#include "core/compteur.hpp"
#include "core/detection.hpp"
#include "core/utilisateurs.hpp"
#include "history/fichiers_historique.hpp"
#include "platform/linux/netlink_essai.hpp"
#include "platform/linux/processus_essai.hpp"
#include "options_programme.hpp"
#include "platform/linux/systeme_linux.hpp"
#include "programme.hpp"
#include "settings/cles.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/registre_sqlite.hpp"
#include "ui/accueil/taccueilform.hpp"
#include "ui/controles.hpp"
#include "ui/instance_unique.hpp"
#include "ui/minuteries_tform1.hpp"
#include "ui/tform1.hpp"
#include "ui/zones_tform1.hpp"

namespace fs = std::filesystem;

namespace lumi {

// Note le texte de chaque boîte modale qui s'ouvre et la ferme par son bouton par défaut.
class Repondeur : public QObject {
public:
    Repondeur() {
        minuterie_.setInterval(20);
        connect(&minuterie_, &QTimer::timeout, this, [this] {
            auto* boite = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (boite == nullptr || !boite->isVisible()) return;
            textes.push_back(boite->text());
            if (boite->defaultButton() != nullptr) {
                boite->defaultButton()->click();
            } else {
                boite->reject();
            }
        });
        minuterie_.start();
    }
    QStringList textes;

private:
    QTimer minuterie_;
};

// Un poste d'essai : dossier de données et dossier des prises privés, configuration à part.
struct Poste {
    essai::DossierTemporaire racine{"lumi-programme"};
    fs::path donnees = racine / "donnees";

    // Sauf demande, la première utilisation est passée : son accueil modal attendrait une réponse.
    explicit Poste(bool premiere_utilisation = false) {
        fs::create_directories(racine / "run");
        fs::permissions(racine / "run", fs::perms::owner_all, fs::perm_options::replace);
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString((racine / "run").string()));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((racine / "config").string()));
        if (!premiere_utilisation) {
            amorcer_dossier_donnees(donnees, dossier_donnees_par_defaut(dossier_executable_courant()));
            RegistreSqlite(donnees / RegistreSqlite::nom_fichier)
                .ecrire_valeur(cles::section(cles::options), "1ere utilisation2000", "non");
        }
    }

    // Le programme, son pppd cherché dans `execution` (créé) au lieu de /run.
    std::unique_ptr<Programme> lancer_sur_ppp(const fs::path& execution) {
        fs::create_directories(execution);
        qputenv("LUMICOMPTEUR_PPP_RUN", QByteArray::fromStdString(execution.string()));
        auto programme = lancer({});
        qunsetenv("LUMICOMPTEUR_PPP_RUN");
        return programme;
    }

    std::unique_ptr<Programme> lancer(std::vector<std::string> arguments) {
        OptionsProgramme options;
        options.dossier = donnees;
        options.arguments = std::move(arguments);
        return std::make_unique<Programme>(options, LUMI_PROGRAMME);
    }
};

// Un « pppd » qui attend : une copie de sleep sous ce nom, seul un processus pppd comptant pour
// l'accès à distance.
void lancer_pppd(QProcess& pppd, const fs::path& dossier) {
    const fs::path programme = dossier / "pppd";
    if (!fs::exists(programme))
        fs::copy_file(QStandardPaths::findExecutable("sleep").toStdString(), programme);
    pppd.start(QString::fromStdString(programme.string()), {"60"});
}

class EssaisProgramme : public QObject {
    Q_OBJECT

private slots:
    void fichiers_manquants_data() {
        QTest::addColumn<QStringList>("absents");
        QTest::addColumn<QString>("nomme");
        QTest::newRow("tarifs") << QStringList{"tarifs.ini"} << "tarifs.ini";
        QTest::newRow("couleurs et tarifs") << QStringList{"Couleur.ini", "tarifs.ini"} << "tarifs.ini";
        QTest::newRow("réglages") << QStringList{"lumicompteur.ini"} << "lumicompteur.ini";
    }

    void fichiers_manquants() {
        QFETCH(QStringList, absents);
        QFETCH(QString, nomme);
        Poste poste;
        poste.lancer({});  // un premier démarrage amorce le dossier
        for (const QString& f : absents) fs::remove(poste.donnees / f.toStdString());

        Repondeur repondeur;
        auto programme = poste.lancer({});
        programme->demarrer();
        QVERIFY(!repondeur.textes.isEmpty());
        QCOMPARE(repondeur.textes.front(),
                 "Le fichier " + nomme +
                     " est manquant !\nCe fichier est nécessaire au bon fonctionnement "
                     "du logiciel.\nIl est recommandé de réinstaller le logiciel "
                     "complètement...");
        // Le démarrage continue : la fenêtre est là.
        QVERIFY(programme->fenetre().isVisible());
        for (const QString& t : repondeur.textes.mid(1)) QVERIFY2(!t.contains("est manquant"), qPrintable(t));
    }

    void demarrage_invisible() {
        Poste poste;
        Repondeur repondeur;
        auto programme = poste.lancer({"-invisible"});
        programme->demarrer();
        QTest::qWait(50);
        TForm1& f = programme->fenetre();
        // Pas de zone de notification hors écran : la fenêtre démarre réduite, jamais hors d'atteinte.
        QVERIFY(!f.zone_de_notification());
        QVERIFY(f.isMinimized());
        QVERIFY(f.menus().restaurer->isVisible());  // « &Afficher Lumicompteur 2000 »
        QVERIFY(!f.menus().reduir->isVisible());
        QVERIFY(repondeur.textes.isEmpty());

        auto sans = Poste().lancer({});
        sans->demarrer();
        QVERIFY(sans->fenetre().isVisible());
        QVERIFY(!sans->fenetre().isMinimized());
    }

    void second_lancement_choisit_l_utilisateur() {
        Poste poste;
        instance_et_second_lancement(poste, false);
    }

    void verrou_et_prise_orphelins_remplaces() {
        Poste poste;
        instance_et_second_lancement(poste, true);
    }

    // Le verrou est tenu tant que le premier vit, rendu et ôté à sa fin ; la prise ne compte que les
    // messages entiers, quel que soit leur découpage, et coupe une ligne sans fin.
    void instance_unique_verrou_et_messages() {
        Poste poste;
        const QString dossier = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
        auto premier = std::make_unique<InstanceUnique>(dossier, poste.donnees);
        QCOMPARE(premier->elire(), InstanceUnique::Role::premiere);
        QCOMPARE(InstanceUnique(dossier, poste.donnees).elire(), InstanceUnique::Role::seconde);
        QCOMPARE(InstanceUnique(dossier, poste.racine / "autre").elire(), InstanceUnique::Role::premiere);
        QVERIFY(premier->ecouter());
        QSignalSpy messages(premier.get(), &InstanceUnique::second_lancement);

        const auto envoyer = [&](const std::vector<std::string>& morceaux) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_un adresse{};
            adresse.sun_family = AF_UNIX;
            const QByteArray chemin = QFile::encodeName(premier->chemin_prise());
            std::memcpy(adresse.sun_path, chemin.constData(), static_cast<std::size_t>(chemin.size()));
            QCOMPARE(::connect(fd, reinterpret_cast<const sockaddr*>(&adresse), sizeof adresse), 0);
            for (const auto& m : morceaux) {
                // Une fois la connexion coupée par le premier, l'envoi échoue : c'est voulu.
                if (::send(fd, m.data(), m.size(), MSG_NOSIGNAL) < 0) break;
                QTest::qWait(20);
            }
            ::close(fd);
        };
        envoyer({"0x1", "400\nautre chose\n0x1400", "\n0x1400"});  // la dernière ligne n'a pas de fin
        QTRY_COMPARE(messages.count(), 2);
        envoyer({std::string(10000, 'x'), "\n0x1400\n"});  // coupée avant le message
        QTest::qWait(100);
        QCOMPARE(messages.count(), 2);
        QVERIFY(InstanceUnique(dossier, poste.donnees).prevenir_premiere(1000));
        QTRY_COMPARE(messages.count(), 3);

        const QString verrou = premier->chemin_verrou();
        const QString prise = premier->chemin_prise();
        premier.reset();
        QVERIFY(!QFileInfo::exists(verrou));
        QVERIFY(!QFileInfo::exists(prise));
        QCOMPARE(InstanceUnique(dossier, poste.donnees).elire(), InstanceUnique::Role::premiere);
        QVERIFY(!InstanceUnique(dossier, poste.donnees).prevenir_premiere(0));
    }

    // La session se ferme pendant une connexion (SIGTERM après l'avis de fin de session) : pas de
    // question, fin propre, et l'instantané reste pour être proposé au démarrage suivant.
    void fin_de_session_pendant_une_connexion() {
        Poste poste;
        poste.lancer({});  // amorce le dossier
        QProcess premier;
        premier.setProcessChannelMode(QProcess::ForwardedChannels);
        premier.start(LUMI_PROGRAMME,
                      {"--dossier", QString::fromStdString(poste.donnees.string()), "--demo", "600"});
        QVERIFY(premier.waitForStarted());
        const auto instantane = [&poste] {
            RegistreSqlite registre(poste.donnees / RegistreSqlite::nom_fichier);
            return registre.lire_valeur(cles::section(cles::options), "sauv crash");
        };
        QTRY_VERIFY_WITH_TIMEOUT(!instantane().empty(), 20000);
        premier.terminate();
        QVERIFY(premier.waitForFinished(10000));
        QCOMPARE(premier.exitStatus(), QProcess::NormalExit);
        QCOMPARE(premier.exitCode(), 0);
        QVERIFY(!instantane().empty());

        Repondeur repondeur;
        auto programme = poste.lancer({});
        programme->demarrer();
        QCOMPARE(repondeur.textes.size(), 1);
        QVERIFY2(repondeur.textes.front().contains("MonFAI"), qPrintable(repondeur.textes.front()));
        QVERIFY(instantane().empty());  // proposée, acceptée : enregistrée
    }

    // L'avis de fin de session seul (sans signal) pendant la question de la période, la fenêtre
    // déjà à l'écran : la boîte se ferme sans réponse, le démarrage s'arrête et le programme se
    // ferme sans rien changer ; la question revient au démarrage suivant.
    void avis_de_fin_de_session_pendant_le_demarrage() {
        Poste poste;
        poste.lancer({});  // amorce le dossier
        {
            FichierIni(poste.donnees / "lumicompteur.ini")
                .ecrire("Paramètres de l'historique", "date fin derniere facture", "01/01/2000");
            RegistreSqlite(poste.donnees / RegistreSqlite::nom_fichier)
                .ecrire_valeur(cles::section(cles::options), "total time", "3600");
        }
        auto programme = poste.lancer({});
        QSignalSpy termine(programme.get(), &Programme::termine);
        QStringList vues;
        QTimer avis;
        avis.setInterval(20);
        connect(&avis, &QTimer::timeout, this, [&] {
            auto* boite = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (boite == nullptr || !boite->isVisible()) return;
            vues << boite->text();
            programme->fin_de_session(false);
        });
        avis.start();
        QVERIFY(!programme->demarrer());
        avis.stop();
        QCOMPARE(vues.size(), 1);
        QVERIFY2(vues[0].contains("nouvelle période de facturation"), qPrintable(vues[0]));
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QCOMPARE(termine.count(), 1);
        QCOMPARE(termine[0][0].toInt(), 0);
        QCOMPARE(FichierIni(poste.donnees / "lumicompteur.ini")
                     .lire("Paramètres de l'historique", "date fin derniere facture"),
                 std::string("01/01/2000"));
        QCOMPARE(programme->registre().lire_valeur(cles::section(cles::options), "total time"),
                 std::string("3600"));
        programme.reset();

        Repondeur repondeur;
        auto suivant = poste.lancer({});
        QVERIFY(suivant->demarrer());
        QVERIFY(!repondeur.textes.isEmpty());
        QVERIFY2(repondeur.textes.front().contains("nouvelle période de facturation"),
                 qPrintable(repondeur.textes.front()));
    }

    // Sous Linux, la scrutation n'a plus ses 100 ms : l'accès à distance la réveille à chaque
    // changement. Une numérotation puis sa fin (pppd mort avant l'authentification) font chacune
    // leur action une fois, avec leur trace.
    void detection_reveillee_par_l_acces_a_distance() {
        Poste poste;
        const fs::path execution = poste.racine / "ppp-run";
        auto programme = poste.lancer_sur_ppp(execution);
        programme->demarrer();
        TForm1& f = programme->fenetre();
        QVERIFY(f.minuteries().veille_Timer5 != nullptr);
        QVERIFY(f.minuteries().veille_Timer5->isEnabled());
        QVERIFY(!f.minuteries().Timer5.timer->isActive());
        const auto ligne_0 = [&] { return programme->compteur().fenetre().lignes_etat[0]; };

        QProcess pppd;
        lancer_pppd(pppd, poste.racine.chemin());
        QVERIFY(pppd.waitForStarted());
        essai::ecrire_octets(execution / "ppp-MonFAI.pid", std::to_string(pppd.processId()) + "\n");
        QTRY_COMPARE(ligne_0(), std::string("Numérotation en cours"));
        pppd.kill();
        QVERIFY(pppd.waitForFinished());
        QTRY_COMPARE(ligne_0(), std::string("Echec connexion"));
        QTest::qWait(300);
        QVERIFY(!f.minuteries().Timer5.timer->isActive());

        const auto trace = FichierIni(poste.donnees / "lumicompteur.ini").cles(section_trace_detection);
        QCOMPARE(trace.size(), std::size_t{2});
        QVERIFY2(trace[0].starts_with("2 ") && trace[0].ends_with(" part 3"), trace[0].c_str());
        QVERIFY2(trace[1].starts_with("-10 ") && trace[1].ends_with(" part 1"), trace[1].c_str());
    }

    // Ctrl+Maj+Entrée passe à l'écoute de la téléphonie : la scrutation, qui n'aurait rien à
    // faire, ne veille plus. Au retour, elle reprend aussitôt et voit ce qui a changé entre-temps.
    void changement_de_source_sans_veille_inutile() {
        Poste poste;
        const fs::path execution = poste.racine / "ppp-run";
        auto programme = poste.lancer_sur_ppp(execution);
        Repondeur repondeur;
        programme->demarrer();
        TForm1& f = programme->fenetre();
        const auto basculer = [&] {
            QTest::keyClick(f.zone_utilisateur->ComboBox1->vue(), Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
        };
        const auto ligne_0 = [&] { return programme->compteur().fenetre().lignes_etat[0]; };

        basculer();
        QVERIFY(!programme->detection().surveillance_par_ras());
        QVERIFY(!f.minuteries().veille_Timer5->isEnabled());
        QVERIFY(!f.minuteries().Timer5.timer->isActive());
        QProcess pppd;
        lancer_pppd(pppd, poste.racine.chemin());
        QVERIFY(pppd.waitForStarted());
        essai::ecrire_octets(execution / "ppp-MonFAI.pid", std::to_string(pppd.processId()) + "\n");
        // Le programme lit l'accès à distance à chaque top ; la détection, elle, n'écoute pas.
        QTest::qWait(1500);
        QVERIFY(ligne_0() != "Numérotation en cours");

        basculer();
        QVERIFY(programme->detection().surveillance_par_ras());
        QTRY_COMPARE(ligne_0(), std::string("Numérotation en cours"));
        QVERIFY(f.minuteries().veille_Timer5->isEnabled());
        QCOMPARE(repondeur.textes.size(), 2);
        pppd.kill();
        QVERIFY(pppd.waitForFinished());
        QTRY_COMPARE(ligne_0(), std::string("Echec connexion"));
    }

    // Le premier démarrage : l'accueil trouve l'édition précédente par son entrée de démarrage,
    // copie ses fichiers, et ne revient pas au démarrage suivant.
    void premiere_utilisation_accueil_une_seule_fois() {
        Poste poste(true);
        const fs::path ancien = poste.racine / "Lumicompteur 98";
        fs::create_directories(ancien);
        essai::ecrire_octets(ancien / "mars99.fct", "Lumicompteur 98\r\n");
        fs::create_directories(poste.racine / "config" / "autostart");
        essai::ecrire_octets(poste.racine / "config" / "autostart" / "Lumicompteur 98.desktop",
                             "[Desktop Entry]\nExec=\"" + (ancien / "lumi98.exe").string() + "\" -invisible\n");
        QStringList pages;
        int accueils = 0;
        QTimer mener;
        mener.setInterval(20);
        connect(&mener, &QTimer::timeout, this, [&] {
            auto* accueil = qobject_cast<ui::Taccueilform*>(QApplication::activeModalWidget());
            if (accueil == nullptr || !accueil->isVisible()) return;
            if (pages.isEmpty()) ++accueils;
            QVERIFY(accueil->windowFlags() & Qt::WindowStaysOnTopHint);
            pages << QString::number(static_cast<int>(accueil->modele().page()));
            if (accueil->bouton_suivant()->isVisible()) {
                accueil->bouton_suivant()->click();
            } else {
                accueil->bouton_terminer()->click();
            }
        });
        mener.start();
        {
            auto programme = poste.lancer({});
            QVERIFY(programme->demarrer());
            QCOMPARE(programme->registre().lire_valeur(cles::section(cles::options), "1ere utilisation2000"),
                     std::string("non"));
        }
        // Bienvenue, recherche, liste, copiés, fin de la reprise, dernière page.
        QCOMPARE(pages, (QStringList{"0", "1", "3", "4", "5", "6"}));
        QCOMPARE(essai::lire_octets(poste.donnees / "Historique" / "mars99.fct"), std::string("Lumicompteur 98\r\n"));
        auto suivant = poste.lancer({});
        QVERIFY(suivant->demarrer());
        QTest::qWait(100);
        mener.stop();
        QCOMPARE(accueils, 1);
    }

    // L'accueil du premier démarrage reste ouvert pendant toute une connexion (un pppd et une
    // vraie interface du noyau, dans un espace de noms réseau à l'essai) : le compteur tourne
    // derrière lui, détecte, compte et enregistre la connexion une fois.
    void une_connexion_pendant_l_accueil_est_enregistree() {
        essai::EspaceReseauEssai espace;
        if (espace.raison_refus()) QSKIP(espace.raison_refus()->c_str());
        Poste poste(true);
        const fs::path execution = poste.racine / "ppp-run";
        auto programme = poste.lancer_sur_ppp(execution);
        Repondeur repondeur;
        essai::ProcessusEssai pppd;
        const auto ligne_0 = [&] { return programme->compteur().fenetre().lignes_etat[0]; };
        int etape = 0;
        int fin_vue_pendant_l_accueil = 0;
        QElapsedTimer connecte;
        QElapsedTimer depuis;
        depuis.start();
        QTimer mener;
        mener.setInterval(50);
        connect(&mener, &QTimer::timeout, this, [&] {
            auto* accueil = qobject_cast<ui::Taccueilform*>(QApplication::activeModalWidget());
            if (accueil == nullptr || !accueil->isVisible()) return;
            if (etape == 0) {
                essai::ecrire_octets(execution / "ppp-MonFAI.pid", std::to_string(pppd.pid()) + "\nppp0\n");
                etape = 1;
            } else if (etape == 1 && ligne_0() == "Numérotation en cours") {
                essai::creer_veth("ppp0", "pair0");
                etape = 2;
            } else if (etape == 2 && ligne_0() == "Connecté au service") {
                essai::monter("ppp0");
                essai::ajouter_ipv4("ppp0", "10.64.64.2", 32);
                connecte.start();
                etape = 3;
            } else if (etape == 3 && connecte.elapsed() > 2500) {
                essai::supprimer_lien("ppp0");
                pppd.tuer();
                etape = 4;
            } else if (etape == 4 && ligne_0() == "Fin de connexion") {
                ++fin_vue_pendant_l_accueil;
                etape = 5;
            } else if (etape == 5 || depuis.elapsed() > 30000) {
                accueil->reject();  // la connexion finie (ou jamais vue), l'accueil est fermé
            }
        });
        mener.start();
        QVERIFY(programme->demarrer());
        mener.stop();
        QCOMPARE(fin_vue_pendant_l_accueil, 1);
        std::vector<std::string> enregistrements;
        for (const auto& f : fs::directory_iterator(poste.donnees / "Historique")) {
            if (f.path().extension() != ".fct") continue;
            const auto lu = lire_fichier_historique(f.path());
            QVERIFY(lu.has_value());
            for (const auto& e : lu->enregistrements()) enregistrements.push_back(e);
        }
        QCOMPARE(enregistrements.size(), std::size_t{1});
        QVERIFY2(enregistrements[0].find(";MonFAI;") != std::string::npos, enregistrements[0].c_str());
    }

    // La recherche à la main : « ... » ouvre le choix d'un fichier du mois (pas d'un dossier), et
    // le dossier du fichier choisi devient le chemin cherché.
    void accueil_choix_d_un_fichier_historique() {
        Poste poste;
        const fs::path ancien = poste.racine / "L98" / "historique";
        fs::create_directories(ancien);
        essai::ecrire_octets(ancien / "avril99.fct", "Lumicompteur 98\r\n");
        RegistreSqlite registre(poste.donnees / RegistreSqlite::nom_fichier);
        ui::Taccueilform accueil({poste.donnees, registre}, QIcon());
        accueil.show();
        accueil.bouton_suivant()->click();
        accueil.bouton_suivant()->click();
        if (accueil.modele().page() != PageAccueil::manuelle)
            QSKIP("une édition précédente est installée ici");
        QString titre;
        QStringList filtres;
        bool fichiers = false;
        QTimer mener;
        mener.setInterval(50);
        connect(&mener, &QTimer::timeout, this, [&] {
            QFileDialog* choix = nullptr;
            for (auto* w : QApplication::topLevelWidgets()) {
                if (auto* d = qobject_cast<QFileDialog*>(w); d != nullptr && d->isVisible()) choix = d;
            }
            if (choix == nullptr) return;
            mener.stop();
            titre = choix->windowTitle();
            filtres = choix->nameFilters();
            fichiers = choix->fileMode() == QFileDialog::ExistingFile;
            choix->setDirectory(QString::fromStdString(ancien.string()));
            // Le nom tapé dans la boîte, comme l'utilisateur le ferait.
            if (auto* nom = choix->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                nom->setText("avril99.fct");
            static_cast<QDialog*>(choix)->accept();
            // Un fichier refusé laisserait la boîte ouverte : l'essai échoue sans attendre.
            if (choix->isVisible()) choix->reject();
        });
        mener.start();
        accueil.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        QCOMPARE(titre, QString("Restauration des fichiers Historique"));
        QCOMPARE(filtres, QStringList{"Fichiers Historique (*.fct *.FCT)"});
        QVERIFY(fichiers);
        QCOMPARE(accueil.champ_chemin()->text(), QString::fromStdString(ancien.string()));
        QVERIFY(accueil.bouton_suivant()->isEnabled());
        accueil.bouton_suivant()->click();
        QCOMPARE(accueil.modele().page(), PageAccueil::liste);
        QCOMPARE(accueil.modele().fichiers(), std::vector<std::string>{"avril99.fct"});
    }

    // Lancé sur un dossier de données donné à la main, le programme récrit son entrée de démarrage
    // automatique pour que la session le relance sur ce même dossier.
    void entree_de_demarrage_sur_le_dossier_en_service() {
        Poste poste;
        SystemeLinux systeme;
        QVERIFY(systeme.ecrire_demarrage_automatique("Lumicompteur 2000",
                                                     {"/ancien/lumicompteur", "-invisible"}));
        auto programme = poste.lancer({});
        QVERIFY(programme->demarrer());
        const auto commande = systeme.lire_demarrage_automatique("Lumicompteur 2000");
        QVERIFY(commande.has_value());
        QCOMPARE(*commande,
                 (CommandeSysteme{LUMI_PROGRAMME, "--dossier", poste.donnees.string(), "-invisible"}));
        OptionsProgramme relu;
        QCOMPARE(analyser_ligne_de_commande({commande->begin() + 1, commande->end()}, relu), std::string());
        QCOMPARE(Programme::dossier_choisi(relu), poste.donnees);
        QCOMPARE(relu.arguments, std::vector<std::string>{"-invisible"});
    }

    // La connexion simulée de la démonstration n'a pas de veille : ses 100 ms restent.
    void detection_simulee_toutes_les_100_ms() {
        Poste poste;
        OptionsProgramme options;
        options.dossier = poste.donnees;
        options.demo = 600;
        Programme programme(options, LUMI_PROGRAMME);
        programme.demarrer();
        QVERIFY(programme.fenetre().minuteries().veille_Timer5 == nullptr);
        QVERIFY(programme.fenetre().minuteries().Timer5.timer->isActive());
        QCOMPARE(programme.fenetre().minuteries().Timer5.timer->interval(), 100);
    }

private:
    // Le programme d'essai est le premier ; un vrai lumicompteur lancé avec « -Paul » est le second.
    void instance_et_second_lancement(Poste& poste, bool orphelins) {
        {
            poste.lancer({});  // amorce le dossier et crée le magasin
            RegistreSqlite registre(poste.donnees / RegistreSqlite::nom_fichier);
            const std::string u = cles::section(cles::utilisateurs);
            registre.ecrire_valeur(u, "nb d'utilisateurs", "2");
            registre.ecrire_valeur(u, "utilisateur 1", "Anne");
            registre.ecrire_valeur(u, "utilisateur 2", "Paul");
            registre.ecrire_valeur(u, "utiliser profil", "non");
        }
        InstanceUnique instance(InstanceUnique::dossier_prises_par_defaut(), poste.donnees);
        if (orphelins) laisser_orphelins(poste, instance);

        QCOMPARE(instance.elire(), InstanceUnique::Role::premiere);
        QVERIFY(instance.ecouter());
        // La prise n'est ouverte qu'à son propriétaire.
        const QFileInfo prise(instance.chemin_prise());
        QVERIFY(prise.exists());
        QCOMPARE(prise.permissions() & (QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                        QFileDevice::ReadOther | QFileDevice::WriteOther),
                 QFileDevice::Permissions{});

        Repondeur repondeur;
        auto programme = poste.lancer({});
        connect(&instance, &InstanceUnique::second_lancement, programme.get(), &Programme::second_lancement);
        programme->demarrer();
        programme->fenetre().cacher();
        QCOMPARE(programme->fenetre().utilisateurs().utilisateur_en_cours(), std::string("Anne"));

        QProcess second;
        second.setProcessChannelMode(QProcess::ForwardedChannels);
        second.start(LUMI_PROGRAMME, {"--dossier", QString::fromStdString(poste.donnees.string()), "-Paul"});
        // Le second s'arrête de lui-même (sans fenêtre) pendant que le premier tourne.
        QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 15000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);

        QTRY_COMPARE_WITH_TIMEOUT(programme->fenetre().utilisateurs().utilisateur_en_cours(),
                                  std::string("Paul"), 5000);
        QVERIFY(programme->fenetre().isVisible());
        QCOMPARE(programme->registre().lire_valeur(cles::section(cles::options), "params"), std::string());
        QCOMPARE(programme->registre().lire_valeur(cles::section(cles::utilisateurs), "dernier utilisateur"),
                 std::string("Paul"));
    }

    // Ce qu'un premier tué laisse : un vrai lumicompteur démarré puis tué (SIGKILL) garde son verrou
    // et sa prise sur le disque.
    static void laisser_orphelins(Poste& poste, const InstanceUnique& instance) {
        QProcess premier;
        premier.setProcessChannelMode(QProcess::ForwardedChannels);
        premier.start(LUMI_PROGRAMME, {"--dossier", QString::fromStdString(poste.donnees.string())});
        QVERIFY(premier.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(instance.chemin_prise()), 15000);
        premier.kill();
        QVERIFY(premier.waitForFinished());
        QVERIFY(QFileInfo::exists(instance.chemin_prise()));
        QVERIFY(QFileInfo::exists(instance.chemin_verrou()));
    }
};

}  // namespace lumi

QTEST_MAIN(lumi::EssaisProgramme)
#include "programme_test.moc"
