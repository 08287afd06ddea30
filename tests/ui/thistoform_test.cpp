// La vraie fenêtre de l'historique sur la plate-forme offscreen, sur un dossier de trois mois : les
// contrôles et leurs textes, un changement de type qui relit, un effacement confirmé par "&Oui" qui
// marque la ligne du fichier, la restauration dans les connexions effacées, le PDF exporté relu par
// pdftotext.
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <numeric>

#include "base/texte.hpp"
#include "commun/soutien.hpp"
#include "actions/dialogue.hpp"
#include "history/export_csv.hpp"
#include "settings/cles.hpp"
#include "settings/parametres.hpp"
#include "settings/registre_memoire.hpp"
#include "ui/historique/modele_liste_historique.hpp"
#include "ui/historique/thistoform.hpp"

using namespace lumi;
namespace fs = std::filesystem;

namespace {

NumeroJour le_20_janvier_2000() {
    return numero_jour(std::chrono::year_month_day{std::chrono::year{2000}, std::chrono::January,
                                                   std::chrono::day{20}});
}

// Les réponses prévues, et ce que l'utilisateur fait pendant qu'une boîte est ouverte.
struct DialogueEssai final : Dialogue {
    DialogueScripte scripte;
    std::function<void()> pendant;
    Reponse boite(GenreBoite genre, std::string_view texte, const std::vector<Reponse>& boutons,
                  std::optional<Reponse> par_defaut = std::nullopt) override {
        if (pendant) std::exchange(pendant, {})();
        return scripte.boite(genre, texte, boutons, par_defaut);
    }
    void prevoir_reponse(Reponse r) { scripte.prevoir_reponse(r); }
    const auto& boites() const { return scripte.boites(); }
};

struct Banc {
    essai::DossierTemporaire dossier{"lumi-histo-qt"};
    RegistreMemoire registre;
    DialogueEssai dialogue;
    int aides = 0;
    bool facture_relue = false;
    std::unique_ptr<ui::ThistoForm> fenetre;

    Banc() {
        fs::copy(LUMI_DONNEES_TESTS "/historique", dossier.chemin(), fs::copy_options::recursive);
        fenetre = std::make_unique<ui::ThistoForm>(ui::CouturesHistorique{
            dossier.chemin(), registre, dialogue, [] { return le_20_janvier_2000(); },
            [this](int sujet) { aides = sujet; }, [] { return std::vector<std::string>{"MonFAI"}; },
            [this] { facture_relue = true; }});
        fenetre->preparer();
    }
    QStringList colonne(int c) const {
        QStringList t;
        for (int r = 0; r < fenetre->liste().rowCount(); ++r) t << fenetre->liste().texte(r, c);
        return t;
    }
    void choisir_ligne(const QString& date) {
        auto& l = fenetre->liste();
        for (int r = 0; r < l.rowCount(); ++r) {
            if (l.texte(r, 2) == date) {
                fenetre->ListView1->selectionModel()->select(
                    l.index(r, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
                return;
            }
        }
        QFAIL("ligne absente");
    }
    // Ajoute des lignes à lumicompteur.ini (texte ASCII) ; la prochaine préparation les lit.
    void ajouter_reglages(const std::string& texte) {
        const auto ini = dossier.chemin() / "lumicompteur.ini";
        essai::ecrire_octets(ini, essai::lire_octets(ini) + texte);
    }
    std::string mois_de_janvier() const {
        return cp1252_vers_utf8(essai::lire_octets(dossier.chemin() / "Historique" / "janvier00.fct"));
    }
};

}  // namespace

class EssaiThistoForm : public QObject {
    Q_OBJECT

private slots:
    // Un fichier du mois en UTF-16, sans enregistrement : rien de perdu à compter, mais l'avis sous la
    // liste le nomme avec sa raison.
    void fichierIllisibleNommeSousLaListe() {
        Banc b;
        std::string utf16 = "\xFF\xFE";
        for (const char c : entete_historique("janvier", 2000, "19,6")) utf16 += std::string{c, '\0'};
        essai::ecrire_octets(b.dossier.chemin() / "Historique" / "janvier00.fct", utf16);
        b.fenetre->preparer();
        auto& f = *b.fenetre;
        QCOMPARE(f.Label8->text(), QStringLiteral("janvier00.fct illisible (fichier codé en UTF-16)"));
        QVERIFY(f.Label8->isVisibleTo(&f));
    }

    void controlesEtFactureEnCours() {
        Banc b;
        auto& f = *b.fenetre;
        QCOMPARE(f.objectName(), QStringLiteral("ThistoForm"));
        QVERIFY(f.windowTitle().startsWith("Historique des connexions  : jeudi 20 janvier 2000"));
        QCOMPARE(f.ComboBox1->count(), 6);
        QCOMPARE(f.ComboBox1->itemText(5), QStringLiteral("Connexions effacées"));
        QCOMPARE(f.SpeedButton1->text(), QStringLiteral("&Imprimer"));
        QCOMPARE(f.SpeedButton7->text(), QStringLiteral("Exporter en PDF..."));
        QCOMPARE(f.SpeedButton6->toolTip(), QStringLiteral("Fermer l'historique"));
        QCOMPARE(f.ComboBox3->itemText(0), QStringLiteral("Tous les utilisateurs"));
        QCOMPARE(f.ComboBox4->itemText(1), QStringLiteral("MonFAI"));
        // Type 0 : du 15/12/1999 au 13/02/2000, l'effacée et la ligne illisible hors compte.
        QCOMPARE(f.ComboBox1->currentIndex(), 0);
        QCOMPARE(b.colonne(2), (QStringList{"07/01/2000", "05/01/2000", "20/12/1999"}));
        QCOMPARE(f.Label8->text(), QStringLiteral("1 ligne illisible dans janvier00.fct"));
        QCOMPARE(f.liste().headerData(8, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Total TTC AR"));
        QCOMPARE(b.colonne(1).at(0), QStringLiteral("mode manuel"));
        QCOMPARE(b.registre.lire_valeur(cles::section(cles::options), "total time"), std::string("6151"));
        QVERIFY(f.SpeedButton1->isEnabled());
        QVERIFY(!f.SpeedButton2->isEnabled());
        f.SpeedButton5->click();
        QCOMPARE(b.aides, 6);
        f.SpeedButton4->click();
        QCOMPARE(b.aides, 25);
        f.show();
        f.SpeedButton6->click();
        QVERIFY(!f.isVisible());
        QVERIFY(b.facture_relue);
        const std::string ini = essai::lire_octets(b.dossier.chemin() / "lumicompteur.ini");
        QVERIFY(ini.find("colonne 9=") != std::string::npos);
        QVERIFY(ini.find("selection=0") != std::string::npos);
    }

    // Le type 0 montre la facture projetée ; la comparaison reprend les lignes montrées sous un
    // autre tarif de tarifs.ini.
    void projectionEtComparaison() {
        Banc b;
        fs::copy_file(fs::path(LUMI_DOSSIER_DATA_SOURCE) / "tarifs.ini", b.dossier.chemin() / "tarifs.ini",
                      fs::copy_options::overwrite_existing);
        auto& f = *b.fenetre;
        QVERIFY(f.LabelProjection->isVisibleTo(&f));
        QVERIFY2(f.LabelProjection->text().startsWith("Projection fin de période : "), qPrintable(f.LabelProjection->text()));
        // La même date que la note de la prochaine période, juste au-dessus.
        QVERIFY2(f.Label5->text().endsWith("vers le 13/02/2000."), qPrintable(f.Label5->text()));
        QVERIFY2(f.LabelProjection->text().endsWith(", le 13/02/2000"),
                 qPrintable(f.LabelProjection->text()));
        // Les décimales de la fenêtre, ici trois, comme les totaux.
        const auto ini = b.dossier.chemin() / "lumicompteur.ini";
        auto texte_ini = essai::lire_octets(ini);
        texte_ini.replace(texte_ini.find("decimales=2"), 11, "decimales=3");
        essai::ecrire_octets(ini, texte_ini);
        f.preparer();
        const QRegularExpression trois(QStringLiteral(" : \\d+[.,]\\d{3} F TTC, le 13/02/2000$"));
        QVERIFY2(trois.match(f.LabelProjection->text()).hasMatch(), qPrintable(f.LabelProjection->text()));
        QVERIFY2(f.panneaux_statistiques.back()->text().contains(QRegularExpression("[.,]\\d{3}")),
                 qPrintable(f.panneaux_statistiques.back()->text()));
        QVERIFY(f.Comparer1->isEnabled());
        const QString texte = QString::fromStdString(f.comparer("Tarification locale", ""));
        QVERIFY2(texte.contains("Avec « Tarification locale » : ") && texte.contains("Différence : "), qPrintable(texte));
        QVERIFY(texte.contains("forfaits sont recomptés"));
        f.choisir_type(2);
        QVERIFY(!f.LabelProjection->isVisibleTo(&f));
    }

    void effacerPuisRestaurer() {
        Banc b;
        auto& f = *b.fenetre;
        f.choisir_type(2);  // le mois d'aujourd'hui : janvier 2000
        QCOMPARE(b.colonne(2), (QStringList{"07/01/2000", "05/01/2000"}));
        b.choisir_ligne("07/01/2000");
        QVERIFY(f.SpeedButton2->isEnabled());
        b.dialogue.prevoir_reponse(Reponse::oui);
        f.SpeedButton2->click();
        QCOMPARE(b.dialogue.boites().back().texte,
                 std::string("Etes vous sûr(e) de vouloir effacer cette connexion\rde l'historique ?"));
        QVERIFY(b.mois_de_janvier().find("Anne;Heures creuses;07/01/2000;23H30;01:00:00;Bleu;M;3,000;-4;0;0,000;¤;;") !=
                std::string::npos);
        QCOMPARE(b.colonne(2), (QStringList{"05/01/2000"}));

        f.choisir_type(5);
        QVERIFY(f.SpeedButton3->isVisibleTo(&f));
        QVERIFY(!f.SpeedButton2->isVisibleTo(&f));
        QCOMPARE(b.colonne(2), (QStringList{"08/01/2000", "07/01/2000"}));
        b.choisir_ligne("07/01/2000");
        b.dialogue.prevoir_reponse(Reponse::oui);
        f.SpeedButton3->click();
        QCOMPARE(b.colonne(2), (QStringList{"08/01/2000"}));
        f.choisir_type(2);
        QCOMPARE(b.colonne(2), (QStringList{"07/01/2000", "05/01/2000"}));

        // Un clic sur le fond de la fenêtre : plus de ligne choisie.
        b.choisir_ligne("05/01/2000");
        QVERIFY(f.SpeedButton2->isEnabled());
        QTest::mouseClick(&f, Qt::LeftButton, {}, QPoint(2, 2));
        QVERIFY(!f.SpeedButton2->isEnabled());
        QVERIFY(!f.ListView1->selectionModel()->hasSelection());

        // Répondre "&Non" ne touche à rien.
        b.choisir_ligne("05/01/2000");
        b.dialogue.prevoir_reponse(Reponse::non);
        const auto avant = b.mois_de_janvier();
        f.SpeedButton2->click();
        QCOMPARE(b.mois_de_janvier(), avant);
    }

    // Les images de la liste des types, l'en-tête trié en bleu et l'en-tête pressé en blanc, une
    // liste ou un calendrier qui s'ouvre retire le bouton d'effacement, les couleurs de Couleur.ini.
    void dessinEtCouleurs() {
        Banc b;
        auto& f = *b.fenetre;
        for (int i = 0; i < f.ComboBox1->count(); ++i) QVERIFY(!f.ComboBox1->itemIcon(i).isNull());
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));

        auto* entete = f.ListView1->header();
        QTest::mouseClick(entete->viewport(), Qt::LeftButton, {},
                          QPoint(entete->sectionViewportPosition(2) + 5, 5));
        QCOMPARE(f.liste().headerData(2, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(),
                 QColor(Qt::blue));
        QVERIFY(!f.liste().headerData(3, Qt::Horizontal, Qt::ForegroundRole).isValid());
        QTest::mousePress(entete->viewport(), Qt::LeftButton, {},
                          QPoint(entete->sectionViewportPosition(3) + 5, 5));
        QCOMPARE(f.liste().headerData(3, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(),
                 QColor(Qt::white));
        QTest::mouseRelease(entete->viewport(), Qt::LeftButton, {},
                            QPoint(entete->sectionViewportPosition(3) + 5, 5));
        QCOMPARE(f.liste().headerData(3, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(),
                 QColor(Qt::blue));
        f.choisir_type(5);  // aucune connexion effacée dans la facture : pas de bleu sur une liste vide
        f.choisir_type(4);
        QCOMPARE(f.liste().rowCount(), 0);
        QVERIFY(!f.liste().headerData(3, Qt::Horizontal, Qt::ForegroundRole).isValid());

        f.choisir_type(2);
        b.choisir_ligne("05/01/2000");
        QVERIFY(f.SpeedButton2->isEnabled());
        f.ComboBox3->showPopup();
        QVERIFY(!f.SpeedButton2->isEnabled());
        f.ComboBox3->hidePopup();
        b.choisir_ligne("07/01/2000");
        QVERIFY(f.SpeedButton2->isEnabled());
        f.choisir_type(1);
        f.DateTimePicker1->calendarWidget()->window()->show();
        QVERIFY(!f.SpeedButton2->isEnabled());
        f.DateTimePicker1->calendarWidget()->window()->hide();

        essai::ecrire_octets(b.dossier.chemin() / "Couleur.ini",
                             "[couleurs 16bits]\r\nfond combobox=$00FFFF\r\nnb de panel=1\r\npanel1=clRed\r\n"
                             "panel2=clLime\r\n");
        f.preparer();
        QCOMPARE(f.Label2->palette().color(QPalette::Window), QColor(Qt::yellow));
        QCOMPARE(f.Panel1->palette().color(QPalette::Window), QColor(Qt::red));
        QVERIFY(f.Panel2->palette().color(QPalette::Window) != QColor(Qt::green));  // "nb de panel=1"
    }

    // Les utilisateurs rangés, même sans connexion, sont dans le filtre ; une seconde ouverture
    // remplit les filtres et la liste comme la première.
    void filtresALOuverture() {
        Banc b;
        auto& f = *b.fenetre;
        ecrire(b.registre, parametres::nb_d_utilisateurs, "2");
        b.registre.ecrire_valeur(cles::section(cles::utilisateurs), parametres::nom_utilisateur(1), "Anne");
        b.registre.ecrire_valeur(cles::section(cles::utilisateurs), parametres::nom_utilisateur(2), "Zoé");
        f.preparer();
        QVERIFY(f.ComboBox3->findText("Zoé") >= 0);
        QVERIFY(f.ComboBox3->findText("Paul") >= 0);  // rencontré dans les connexions
        f.show();
        f.SpeedButton6->click();
        f.preparer();
        QVERIFY(f.ComboBox3->findText("Paul") >= 0);
        QCOMPARE(b.colonne(2), (QStringList{"07/01/2000", "05/01/2000", "20/12/1999"}));
    }

    // Sans dates rangées, la période définie va d'aujourd'hui - 30 à aujourd'hui + 30.
    void periodeDefinieParDefaut() {
        Banc b;
        auto& f = *b.fenetre;
        f.choisir_type(1);
        QCOMPARE(f.DateTimePicker1->date(), QDate(1999, 12, 21));
        QCOMPARE(f.DateTimePicker2->date(), QDate(2000, 2, 19));
    }

    // Ctrl relâché pendant la question : le bouton suivant dit ce qu'il fait.
    void legendeEtActionDAccord() {
        Banc b;
        auto& f = *b.fenetre;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.choisir_type(5);
        b.choisir_ligne("08/01/2000");
        // Par la fenêtre du système, comme un vrai clavier : l'état des touches suit.
        QTest::keyPress(f.windowHandle(), Qt::Key_Control, Qt::ControlModifier);
        QCOMPARE(f.SpeedButton3->text(), QStringLiteral("&Détruire"));
        // La question a le clavier : la fenêtre ne voit pas Ctrl relâché.
        QWidget ailleurs;
        ailleurs.show();
        b.dialogue.pendant = [&] { QTest::keyRelease(ailleurs.windowHandle(), Qt::Key_Control); };
        b.dialogue.prevoir_reponse(Reponse::non);
        f.SpeedButton3->click();
        QCOMPARE(b.dialogue.boites().back().texte, VueHistorique::question_suppression(ActionLigne::oter));
        const QString legende = f.SpeedButton3->text();
        b.choisir_ligne("08/01/2000");
        b.dialogue.prevoir_reponse(Reponse::non);
        f.SpeedButton3->click();
        const auto attendue =
            legende == QStringLiteral("&Détruire") ? ActionLigne::oter : ActionLigne::restaurer;
        QCOMPARE(b.dialogue.boites().back().texte, VueHistorique::question_suppression(attendue));
        QCOMPARE(legende, QStringLiteral("&Restaurer"));
    }

    // Une date tapée par-dessus le texte choisi garde son jour et son mois ; un jour pris au
    // calendrier relit la liste sans attendre.
    void saisieEtCalendrier() {
        Banc b;
        auto& f = *b.fenetre;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.choisir_type(1);
        auto* du = f.DateTimePicker1;
        du->setFocus();
        QTest::keyClick(du, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(du, "05/01/2000");
        QCOMPARE(du->date(), QDate(2000, 1, 5));
        QTest::keyClick(du, Qt::Key_Return);
        QCOMPARE(f.vue().periode_definie().first, numero_jour(std::chrono::year{2000} / 1 / 5));
        QCOMPARE(b.colonne(2), (QStringList{"07/01/2000", "05/01/2000"}));

        auto* texte_du = du->findChild<QLineEdit*>();
        // Un clic au début du champ, puis la date tapée d'un trait.
        QTest::mouseClick(texte_du, Qt::LeftButton, {}, QPoint(3, texte_du->height() / 2));
        QTest::keyClicks(du, "15/08/1999");
        QCOMPARE(du->date(), QDate(1999, 8, 15));

        auto* calendrier = f.DateTimePicker2->calendarWidget();
        calendrier->setSelectedDate(QDate(2000, 1, 6));
        emit calendrier->clicked(QDate(2000, 1, 6));
        QTest::qWait(0);
        QCOMPARE(f.DateTimePicker2->date(), QDate(2000, 1, 6));
        QCOMPARE(b.colonne(2).first(), QStringLiteral("05/01/2000"));
        QVERIFY(!b.colonne(2).contains("07/01/2000"));
    }

    // La fenêtre garde sa taille d'un type à l'autre et tient à sa taille dessinée ; la liste des
    // types se lit en entier ; une largeur de colonne rangée ne cache aucune colonne ; la bulle
    // d'une cellule la montre entière.
    void tailleEtColonnes() {
        Banc b;
        auto& f = *b.fenetre;
        f.resize(750, 484);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        for (int type = 0; type < 6; ++type) {
            f.choisir_type(type);
            QApplication::processEvents();
            QVERIFY2(f.width() == 750, qPrintable(QString("type %1 : %2").arg(type).arg(f.width())));
            QVERIFY2(f.minimumSizeHint().width() <= 661,
                     qPrintable(QString("type %1 : %2").arg(type).arg(f.minimumSizeHint().width())));
        }
        const int texte = f.ComboBox1->fontMetrics().horizontalAdvance("Historique de la semaine");
        QVERIFY(f.ComboBox1->width() >= texte + f.ComboBox1->iconSize().width());

        f.SpeedButton6->click();
        const auto largeurs = [&] {
            QList<int> l;
            for (int c = 0; c < 9; ++c) l << f.ListView1->columnWidth(c);
            return l;
        };
        // Rien de rangé : des colonnes égales (la dernière prend en plus ce qui reste de la liste).
        essai::ecrire_octets(b.dossier.chemin() / "lumicompteur.ini",
                             "[Param\xE8tres de l'historique]\r\ndate fin derniere facture=15/12/1999\r\n");
        f.preparer();
        const auto egales = largeurs();
        QVERIFY(std::all_of(egales.begin(), egales.end() - 1, [&](int l) { return l == egales.front(); }));
        QVERIFY(egales.back() >= egales.front());
        b.ajouter_reglages("[taille des colonnes]\r\ncolonne 1=0\r\ncolonne 9=3000\r\n");
        f.preparer();
        f.show();
        QApplication::processEvents();
        const auto l = largeurs();
        QVERIFY(*std::min_element(l.begin(), l.end()) >= 20);
        QVERIFY2(std::accumulate(l.begin(), l.end(), 0) <= f.ListView1->viewport()->width(),
                 qPrintable(QString::number(std::accumulate(l.begin(), l.end(), 0))));
        QVERIFY(!f.ListView1->horizontalScrollBar()->isVisible());
        QCOMPARE(f.liste().data(f.liste().index(0, 6), Qt::ToolTipRole).toString(), f.liste().texte(0, 6));
    }

    // Les lignes de la liste, dans son ordre ; un dossier qui n'existe pas est dit, pas pris pour un
    // export réussi.
    void exportCsvMemesLignesQueLaListe() {
        Banc b;
        auto& f = *b.fenetre;
        QCOMPARE(f.SpeedButton8->text(), QStringLiteral("Exporter en CSV..."));
        f.choisir_type(0);
        const QString csv = QString::fromStdString((b.dossier.chemin() / "historique.csv").string());
        QVERIFY(f.exporter_csv(csv));
        QFile lu(csv);
        QVERIFY(lu.open(QIODevice::ReadOnly));
        const QStringList lignes = QString::fromUtf8(lu.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lignes.value(0),
                 QString::fromUtf8(entete_csv_historique.data(), entete_csv_historique.size()));
        QCOMPARE(lignes.size() - 1, f.liste().rowCount());
        QVERIFY(f.liste().rowCount() > 1);
        for (int r = 0; r < f.liste().rowCount(); ++r) {
            const QStringList champs = lignes.at(r + 1).split(';');
            QCOMPARE(champs.size(), 11);
            for (int c : {0, 1, 2, 3, 4, 5, 6}) QCOMPARE(champs.at(c), f.liste().texte(r, c));
        }
        QVERIFY(!f.exporter_csv(QString::fromStdString((b.dossier.chemin() / "absent" / "h.csv").string())));
    }

    void exportPdfLuParPdftotext() {
        Banc b;
        auto& f = *b.fenetre;
        f.choisir_type(2);
        const QString pdf = QString::fromStdString((b.dossier.chemin() / "historique.pdf").string());
        QVERIFY(f.exporter_pdf(pdf));
        if (const char* copie = std::getenv("LUMI_CAPTURES_HISTORIQUE")) {
            // Pour regarder le rendu : le PDF et la fenêtre.
            fs::copy_file(pdf.toStdString(), fs::path(copie) / "historique.pdf", fs::copy_options::overwrite_existing);
            f.resize(900, 560);
            f.show();
            QTest::qWait(50);
            f.grab().save(QString::fromStdString((fs::path(copie) / "historique.png").string()));
        }
        QProcess p;
        p.start("pdftotext", {"-layout", pdf, "-"});
        if (!p.waitForStarted()) QSKIP("pdftotext (poppler-utils) manque");
        QVERIFY(p.waitForFinished());
        const QString texte = QString::fromUtf8(p.readAllStandardOutput());
        for (const char* attendu : {"Historique des connexions", "UTILISATEUR", "TARIFICATION", "REDUCTION",
                                    "Total TTC AR", "05/01/2000", "Heures pleines", "mode manuel",
                                    "Statistiques des connexions", "Page 1/1"}) {
            QVERIFY2(texte.contains(QString::fromUtf8(attendu)), attendu);
        }
        // Sans ligne, ni impression ni export.
        f.choisir_type(4);
        QVERIFY(!f.SpeedButton1->isEnabled());
        QVERIFY(!f.SpeedButton7->isEnabled());
        QVERIFY(!f.exporter_pdf(pdf + ".vide"));
    }

    // QtPrintSupport n'est chargé qu'à la première impression, par le module de la boîte ; la boîte
    // refusée, rien n'est dessiné ni signalé.
    void laBoiteDImpressionVientAuPremierUsage() {
        const auto print_support_charge = [] {
            QFile cartes(QStringLiteral("/proc/self/maps"));
            return cartes.open(QIODevice::ReadOnly) && cartes.readAll().contains("libQt6PrintSupport");
        };
        Banc b;
        auto& f = *b.fenetre;
        QVERIFY(!print_support_charge());
        QString boite_vue;
        QTimer refus;
        QObject::connect(&refus, &QTimer::timeout, [&] {
            if (auto* boite = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                boite_vue = QString::fromLatin1(boite->metaObject()->className());
                boite->reject();
            }
        });
        refus.start(20);
        QVERIFY(f.SpeedButton1->isEnabled());
        f.SpeedButton1->click();
        refus.stop();
        QCOMPARE(boite_vue, QStringLiteral("QPrintDialog"));
        QVERIFY(print_support_charge());
        QVERIFY(b.dialogue.boites().empty());
    }
};

QTEST_MAIN(EssaiThistoForm)
#include "thistoform_test.moc"
