// lumicompteur-outil historique, le vrai programme sur un dossier de trois mois (dont une ligne
// illisible, un enregistrement effacé, une disposition ancienne et un mois de février bissextile).
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "commun/magasin_local.hpp"
#include "history/export_csv.hpp"
#include "history/fichiers_historique.hpp"
#include "lancer_outil.hpp"
#include "settings/cles.hpp"
#include "soutien_cli.hpp"

namespace lumi::cli {
namespace {

namespace fs = std::filesystem;

class DossierTroisMois {
public:
    DossierTroisMois() {
        fs::copy(LUMI_DONNEES_TESTS "/historique", d_.chemin(), fs::copy_options::recursive);
    }
    std::string chemin() const { return d_.chemin().string(); }
    Sortie lancer(const std::string& arguments) const {
        return lancer_programme("historique --dossier '" + chemin() + "' " + arguments);
    }

private:
    essai::MagasinLocalVide magasin_;
    essai::DossierTemporaire d_{"lumi-histo-cli"};
};

TEST(HistoriqueCli, TroisMoisAvecUneLigneIllisible) {
    DossierTroisMois d;
    struct Cas {
        const char* nom;
        const char* arguments;
        std::vector<std::pair<std::string, std::string>> attendu;
    };
    const Cas cas[] = {
        {"les trois mois : la ligne illisible n'arrête pas janvier",
         "--du 01/12/1999 --au 29/02/2000",
         {{"nb", "5"},
          {"nb_auto", "4"},
          {"nb_manuelles", "1"},
          {"duree_totale", "02h15m02s"},
          {"duree_moyenne", "00h27m00s"},
          {"total_ht", "20.024"},
          {"total_ttc", "23.96"},
          {"tva", "3.936"},
          {"cout_moyen", "4.792"},
          {"periode_cout", "20.024"},
          {"periode_secondes", "8102"},
          {"lignes_illisibles", "1"}}},
        {"un mois, hors taxes, sans réductions, filtre en minuscules",
         "--mois 12/1999 --ht --sans-reductions --utilisateur anne",
         {{"nb", "1"},
          {"total_ht", "2.5"},
          {"total_ttc", "2.99"},
          {"cout_moyen", "2.5"},
          {"periode_cout", "6.512"},
          {"periode_secondes", "2551"},
          {"lignes_illisibles", "0"}}},
        {"février 2000 jusqu'au 29, option FL de l'ancienne disposition",
         "--mois 02/2000 --option FL",
         {{"nb", "1"}, {"total_ht", "6"}}},
        {"les connexions effacées",
         "--type 5",
         {{"nb", "1"}, {"total_ht", "1.25"}, {"periode_cout", "20.024"}}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        const auto r = d.lancer(c.arguments);
        ASSERT_TRUE(WIFEXITED(r.statut) && WEXITSTATUS(r.statut) == 0) << r.texte;
        for (const auto& [cle, attendu] : c.attendu)
            EXPECT_EQ(valeur(r.texte, cle), attendu) << cle << "\n" << r.texte;
    }
}

TEST(HistoriqueCli, LignesDansLOrdreDeLaListe) {
    DossierTroisMois d;
    const auto r = d.lancer("--du 01/01/2000 --au 31/01/2000 --lignes");
    ASSERT_EQ(r.statut, 0) << r.texte;
    EXPECT_NE(
        r.texte.find("ligne=Anne;mode manuel;07/01/2000;23H30;01:00:00;Bleu;Heures creuses; 0.00 F;3.59\n"
                     "ligne=Paul;MonFAI;05/01/2000;21H14;00:12:31;Rouge;Heures pleines; 0.00 F;5.40\n"),
        std::string::npos)
        << r.texte;
}

// La liste écrite au fil de la lecture garde l'ordre de la fenêtre d'un mois à l'autre : la plus
// récente en tête.
TEST(HistoriqueCli, LignesDeTroisMoisLaPlusRecenteEnTete) {
    DossierTroisMois d;
    const auto r = d.lancer("--du 01/12/1999 --au 29/02/2000 --lignes");
    ASSERT_EQ(r.statut, 0) << r.texte;
    std::vector<std::string> dates;
    for (auto p = r.texte.find("\nligne="); p != std::string::npos; p = r.texte.find("\nligne=", p + 1)) {
        const auto debut = r.texte.find(';', r.texte.find(';', p) + 1) + 1;
        dates.push_back(r.texte.substr(debut, 10));
    }
    EXPECT_EQ(dates, (std::vector<std::string>{"29/02/2000", "07/01/2000", "05/01/2000", "20/12/1999",
                                               "14/12/1999"}));
}

// Un mois abîmé à côté des trois bons : ses lignes illisibles comptées et nommées, aucune connexion de
// plus ; ses enregistrements lisibles gardés.
TEST(HistoriqueCli, MoisAbimeCompteJamaisPrisPourUneConnexion) {
    const std::string entete = entete_historique("mars", 2000, "19,6");
    const std::string bonne =
        "Paul;Heures pleines;05/03/2000;21H14;00:10:00;Rouge;A;1,000;-4;0;0,000;|;MonFAI;\r\n";
    std::string binaire(64 * 1024, '\0');
    std::mt19937 alea(4);
    for (auto& o : binaire) o = static_cast<char>(alea());
    std::string cr = entete + bonne + bonne;
    for (auto p = cr.find("\r\n"); p != std::string::npos; p = cr.find("\r\n", p)) cr.erase(p + 1, 1);
    struct Cas {
        const char* nom;
        std::string octets;
        const char* nb;
        const char* illisibles;
        const char* avis;
    };
    const Cas cas[] = {
        {"daté 99/99/9999",
         entete + bonne + "Paul;Heures pleines;99/99/9999;21H14;00:10:00;Rouge;A;1,000;-4;0;0,000;|;;\r\n",
         "1", "1", "1 ligne illisible dans mars00.fct"},
        {"ligne coupée et octets nuls",
         entete + "Paul;Heures pleines;05/03/20\r\n" + std::string("Paul;\0\0;", 8) + "\r\n" + bonne, "1",
         "2", "2 lignes illisibles dans mars00.fct"},
        {"retours chariot seuls", cr, "0", "2",
         "2 lignes illisibles dans mars00.fct (lignes séparées par des retours chariot seuls)"},
        {"64 Kio de binaire", binaire, "0", nullptr, "lignes illisibles dans mars00.fct"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        DossierTroisMois d;
        essai::ecrire_octets(fs::path(d.chemin()) / "Historique" / "mars00.fct", c.octets);
        const auto mois = d.lancer("--mois 03/2000 --lignes");
        ASSERT_EQ(mois.statut, 0) << mois.texte;
        EXPECT_EQ(valeur(mois.texte, "nb"), c.nb);
        if (c.illisibles) {
            EXPECT_EQ(valeur(mois.texte, "lignes_illisibles"), c.illisibles);
        }
        EXPECT_NE(valeur(mois.texte, "illisibles").find(c.avis), std::string::npos) << mois.texte;
        EXPECT_EQ(mois.texte.find("terminée,"), std::string::npos) << mois.texte;
        // Les trois bons mois n'y perdent rien.
        const auto tout = d.lancer("--du 01/12/1999 --au 31/03/2000");
        EXPECT_EQ(valeur(tout.texte, "nb"), std::to_string(5 + std::stoi(c.nb))) << tout.texte;
    }
}

// Les exports relus par Python, comme un script ou un tableur les lirait : un nom entre guillemets
// et une option ajoutés en mars, les totaux de la même sélection que la sortie cle=valeur.
TEST(HistoriqueCli, ExportsCsvEtJsonRelusParPython) {
    if (std::system("command -v python3 > /dev/null") != 0) GTEST_SKIP() << "python3 manque";
    DossierTroisMois d;
    EcrivainHistorique ecrivain(d.chemin(), ',');
    ASSERT_TRUE(ecrivain.enregistrement_dans_historique(
        "Jean \"Jo\";Heures pleines;02/03/2000;10H00;00:10:00;Rouge;A;1,234;-4;RDUREE;0,5;|;MonFAI;",
        {numero_jour(std::chrono::year{2000} / 3 / 2), 36000}));
    const std::string selection = "--du 01/12/1999 --au 31/03/2000 --utilisateur Jean\\ \\\"Jo\\\"";
    const std::string toutes = "--du 01/12/1999 --au 31/03/2000";
    const std::string script = d.chemin() + "/relire.py";
    {
        std::ofstream f(script);
        f << "import csv, json, sys\n"
             "texte = sys.stdin.read()\n"
             "if sys.argv[1] == 'csv':\n"
             "    lignes = list(csv.reader(texte.splitlines(), delimiter=';'))\n"
             "    print('entete=' + ';'.join(lignes[0]))\n"
             "    corps = [dict(zip(lignes[0], l)) for l in lignes[1:]]\n"
             "    print('nb=%d' % len(corps))\n"
             "    for cle in ('total_ht', 'total_ttc'):\n"
             "        print('%s=%.15g' % (cle, sum(float(l[cle].replace(',', '.')) for l in corps)))\n"
             "    print('utilisateurs=' + '|'.join(l['utilisateur'] for l in corps))\n"
             "    print('options=' + '|'.join(l['option'] for l in corps))\n"
             "else:\n"
             "    o = json.loads(texte)\n"
             "    for cle, v in o.items():\n"
             "        if cle != 'connexions':\n"
             "            print(cle + '=' + (v if isinstance(v, str) else '%.15g' % v))\n"
             "    print('lignes=%d' % len(o['connexions']))\n"
             "    print('somme_ttc=%.15g' % sum(c['total_ttc'] for c in o['connexions']))\n";
    }
    const auto relire = [&](const std::string& arguments, const char* format) {
        return lancer_programme("historique --dossier '" + d.chemin() + "' " + arguments + " --format " +
                                format + " | python3 '" + script + "' " + format);
    };

    const auto csv = relire(selection, "csv");
    ASSERT_EQ(csv.statut, 0) << csv.texte;
    EXPECT_EQ(valeur(csv.texte, "entete"), entete_csv_historique);
    EXPECT_EQ(valeur(csv.texte, "nb"), "1") << csv.texte;
    EXPECT_EQ(valeur(csv.texte, "utilisateurs"), "Jean \"Jo\"");
    EXPECT_EQ(valeur(csv.texte, "options"), "RDUREE");

    // Toutes les connexions : la somme des lignes est le total de la sortie cle=valeur.
    const auto cles = d.lancer(toutes);
    ASSERT_EQ(cles.statut, 0) << cles.texte;
    const auto tout_csv = relire(toutes, "csv");
    ASSERT_EQ(tout_csv.statut, 0) << tout_csv.texte;
    for (const char* cle : {"nb", "total_ht", "total_ttc"})
        EXPECT_EQ(valeur(tout_csv.texte, cle), valeur(cles.texte, cle)) << cle << "\n" << tout_csv.texte;
    EXPECT_EQ(valeur(tout_csv.texte, "options"), "RDUREE|FL|||FL|");

    // JSON : les mêmes clés et les mêmes valeurs, puis une connexion par ligne.
    const auto json = relire(toutes, "json");
    ASSERT_EQ(json.statut, 0) << json.texte;
    for (const char* cle :
         {"nb", "nb_auto", "nb_manuelles", "duree_totale", "duree_moyenne", "cout_moyen", "total_ht", "tva",
          "total_ttc", "periode_cout", "periode_secondes", "lignes_illisibles"}) {
        EXPECT_EQ(valeur(json.texte, cle), valeur(cles.texte, cle)) << cle << "\n" << json.texte;
    }
    EXPECT_EQ(valeur(json.texte, "lignes"), valeur(cles.texte, "nb"));
    EXPECT_EQ(valeur(json.texte, "somme_ttc"), valeur(cles.texte, "total_ttc"));
    const auto valide = lancer_shell(std::string(LUMI_OUTIL) + " historique --dossier '" + d.chemin() +
                                     "' --type 0 --format json | python3 -m json.tool > /dev/null");
    EXPECT_EQ(valide.statut, 0) << valide.texte;
}

// Une sortie qui ne peut tout recevoir n'est pas un export réussi ; un format inconnu ou mêlé à une
// autre sortie est refusé avant toute lecture. /dev/full et les accolades du shell : propre à Linux.
#ifndef _WIN32
TEST(HistoriqueCli, ExportQuiNAboutitPasOuMalDemande) {
    DossierTroisMois d;
    const std::pair<const char*, int> cas[] = {
        {"--format csv > /dev/full", 1}, {"--format json > /dev/full", 1},        {"--format xml", 2},
        {"--format csv --lignes", 2},    {"--format json --retarifer Normal", 2},
    };
    for (const auto& [arguments, code] : cas) {
        // Entre accolades : l'erreur reste lisible quand la sortie va dans /dev/full.
        const auto r = lancer_shell("{ " + std::string(LUMI_OUTIL) + " historique --dossier '" + d.chemin() +
                                    "' " + arguments + "; }");
        ASSERT_TRUE(WIFEXITED(r.statut)) << arguments;
        EXPECT_EQ(WEXITSTATUS(r.statut), code) << arguments << "\n" << r.texte;
        EXPECT_NE(r.texte.find("Erreur"), std::string::npos) << arguments << "\n" << r.texte;
    }
}
#endif

TEST(HistoriqueCli, LaFactureNestRecompteeQueSurDemande) {
    DossierTroisMois d;
    // Le magasin existe : la commande sans --facture ne doit pas y toucher.
    {
        RegistreLocal registre(fs::path(d.chemin()) / RegistreLocal::nom_fichier);
        registre.ecrire_valeur(cles::section(cles::options), "cout total", "99,000");
    }
    const auto sans = d.lancer("--type 0");
    ASSERT_EQ(sans.statut, 0) << sans.texte;
    // Du 15/12/1999 au 13/02/2000 : Anne (décembre), Paul et Anne (janvier) ; l'effacée et la
    // ligne illisible ne comptent pas.
    EXPECT_EQ(valeur(sans.texte, "periode_secondes"), std::to_string(1800 + 751 + 3600));
    RegistreLocal registre(fs::path(d.chemin()) / RegistreLocal::nom_fichier);
    EXPECT_EQ(registre.lire_valeur(cles::section(cles::options), "cout total"), "99,000");
    const auto avec = d.lancer("--type 0 --facture --utilisateur Paul");
    ASSERT_EQ(avec.statut, 0) << avec.texte;
    EXPECT_EQ(valeur(avec.texte, "nb"), "1");
    EXPECT_EQ(registre.lire_valeur(cles::section(cles::options), "total time"),
              std::to_string(1800 + 751 + 3600));
}

// Le dessin (PDF, graphique) est l'affaire du programme de dessin, qui lie Qt : l'outil de Windows
// n'en a pas (pas de Qt pour MinGW), ces essais sont propres à Linux.
#ifndef _WIN32
// Le rapport sans boîte de dialogue ni écran : le PDF relu par pdftotext tient le titre, la
// période, les lignes et le pied de page.
TEST(HistoriqueCli, RapportEnPdfSansEcran) {
    if (std::system("command -v pdftotext > /dev/null") != 0) GTEST_SKIP() << "pdftotext manque";
    DossierTroisMois d;
    const std::string pdf = d.chemin() + "/rapport.pdf";
    const auto r = d.lancer("--du 01/12/1999 --au 31/03/2000 --pdf '" + pdf + "'");
    ASSERT_TRUE(WIFEXITED(r.statut) && WEXITSTATUS(r.statut) == 0) << r.texte;
    EXPECT_EQ(valeur(r.texte, "pdf"), pdf);
    const auto texte = lancer_commande("pdftotext -layout '" + pdf + "' -");
    for (const char* attendu :
         {"Historique des connexions", "Du mercredi 1er décembre 1999 au vendredi 31 mars 2000",
          "UTILISATEUR", "mode manuel", "29/02/2000", "TOTAL TTC", "Page 1/1"})
        EXPECT_NE(texte.find(attendu), std::string::npos) << attendu << "\n" << texte;
}

// Une période sans connexion : rien à imprimer, dit comme tel (pas un faux « n'a pu être écrit »),
// aucun fichier, et les totaux tout de même.
TEST(HistoriqueCli, RapportDUnePeriodeVideRienAImprimer) {
    DossierTroisMois d;
    const std::string pdf = d.chemin() + "/vide.pdf";
    const auto r = d.lancer("--du 01/06/2001 --au 30/06/2001 --pdf '" + pdf + "'");
    ASSERT_TRUE(WIFEXITED(r.statut)) << r.texte;
    EXPECT_EQ(WEXITSTATUS(r.statut), 2) << r.texte;
    EXPECT_NE(r.texte.find("Rien à imprimer"), std::string::npos) << r.texte;
    EXPECT_EQ(r.texte.find("n'a pu être écrit"), std::string::npos) << r.texte;
    EXPECT_EQ(valeur(r.texte, "nb"), "0");
    EXPECT_FALSE(fs::exists(pdf));
}

// Un mois de longs montants et de longs noms de tarification, sur plusieurs pages : chaque montant
// de la liste se relit entier dans le PDF (un texte calé à droite plus large que sa colonne en
// perdait le début), les en-têtes reviennent sur chaque page et chaque pied de page est lisible.
TEST(HistoriqueCli, RapportPdfMontantsEntiersSurPlusieursPages) {
    if (std::system("command -v pdftotext > /dev/null") != 0) GTEST_SKIP() << "pdftotext manque";
    DossierTroisMois d;
    EcrivainHistorique ecrivain(d.chemin(), ',');
    const char* codes[] = {"R50HC", "RDUREE", "0"};
    for (int i = 0; i < 200; ++i) {
        const int j = 1 + i % 28;
        char date[16];
        std::snprintf(date, sizeof date, "%02d/03/2000", j);
        const std::string cout = std::to_string(98765 + i * 1111) + "," + std::to_string(100 + i);
        const std::string reduction = i % 3 == 0 ? "1,476" : std::to_string(12345 + i) + ",678";
        const std::string ligne = "Utilisatrice numero " + std::to_string(i) +
                                  ";Tarification de nuit et de fin de semaine tres longue " +
                                  std::to_string(i) + ";" + date + ";10H00;01:00:00;Rouge;A;" + cout +
                                  ";-4;" + codes[i % 3] + ";" + reduction +
                                  ";|;Fournisseur au nom interminable;";
        ASSERT_TRUE(ecrivain.enregistrement_dans_historique(
            ligne, {numero_jour(std::chrono::year{2000} / 3 / j), 36000 + i}));
    }
    const std::string pdf = d.chemin() + "/long.pdf";
    const auto dessin = d.lancer("--du 01/03/2000 --au 31/03/2000 --pdf '" + pdf + "'");
    ASSERT_TRUE(WIFEXITED(dessin.statut) && WEXITSTATUS(dessin.statut) == 0) << dessin.texte;
    const auto r = d.lancer("--du 01/03/2000 --au 31/03/2000 --lignes");
    ASSERT_EQ(valeur(r.texte, "nb"), "200");
    // Le PDF écrit les montants avec le séparateur du système, la sortie texte avec un point.
    auto texte = lancer_commande("pdftotext -layout '" + pdf + "' -");
    std::replace(texte.begin(), texte.end(), ',', '.');

    // Chaque réduction et chaque total de la liste, tels que la liste les écrit.
    std::size_t montants = 0;
    for (std::size_t debut = r.texte.find("\nligne="); debut != std::string::npos;
         debut = r.texte.find("\nligne=", debut + 1)) {
        std::vector<std::string> champs(1);
        for (const char c : r.texte.substr(debut + 7, r.texte.find('\n', debut + 1) - debut - 7)) {
            if (c == ';')
                champs.emplace_back();
            else
                champs.back() += c;
        }
        ASSERT_EQ(champs.size(), 9u) << r.texte.substr(debut, 200);
        const std::string reduction = champs[7].substr(champs[7].find_first_not_of(' '));
        EXPECT_NE(texte.find(reduction), std::string::npos) << "réduction « " << reduction << " »";
        EXPECT_NE(texte.find(champs[8] + " F"), std::string::npos) << "total « " << champs[8] << " »";
        ++montants;
    }
    EXPECT_EQ(montants, 200u);
    EXPECT_NE(texte.find("(RDUREE)"), std::string::npos);

    // Une page par saut de page : chacune a ses en-têtes de colonnes et son pied.
    std::vector<std::string> pages;
    for (std::size_t debut = 0, fin; (fin = texte.find('\f', debut)) != std::string::npos; debut = fin + 1)
        pages.push_back(texte.substr(debut, fin - debut));
    ASSERT_GE(pages.size(), 3u);
    for (std::size_t n = 0; n < pages.size(); ++n) {
        SCOPED_TRACE("page " + std::to_string(n + 1));
        const bool de_lignes = pages[n].find("10H00") != std::string::npos;
        if (de_lignes) {
            EXPECT_NE(pages[n].find("REDUCTION"), std::string::npos);
        }
        EXPECT_NE(pages[n].find("Page " + std::to_string(n + 1) + "/" + std::to_string(pages.size())),
                  std::string::npos)
            << pages[n];
    }
    // Le nom de tarification trop long finit par des points de suspension, pas au milieu d'un mot.
    EXPECT_NE(texte.find("…"), std::string::npos);
}

// L'outil démarre sans Qt : le dessin est l'affaire de son programme de dessin, rangé à côté. Seul,
// l'outil lit toujours l'historique et refuse en clair ce qu'il ne peut dessiner.
TEST(HistoriqueCli, LOutilSansQtEtSansSonProgrammeDeDessin) {
    EXPECT_EQ(lancer_commande("ldd '" LUMI_OUTIL "' | grep -c libQt6"), "0\n");
    DossierTroisMois d;
    const fs::path seul = fs::path(d.chemin()) / "seul";
    fs::create_directory(seul);
    fs::copy_file(LUMI_OUTIL, seul / "lumicompteur-outil");
    const std::string outil = (seul / "lumicompteur-outil").string();
    const std::string base =
        "'" + outil + "' historique --dossier '" + d.chemin() + "' --du 01/12/1999 --au 31/03/2000";
    const auto lu = lancer_shell(base);
    ASSERT_TRUE(WIFEXITED(lu.statut) && WEXITSTATUS(lu.statut) == 0) << lu.texte;
    EXPECT_EQ(valeur(lu.texte, "nb"), "5");
    for (const char* option : {" --pdf=", " --graphique "}) {
        const std::string fichier = d.chemin() + "/sortie";
        const auto r = lancer_shell(base + option + "'" + fichier + "'");
        EXPECT_TRUE(WIFEXITED(r.statut) && WEXITSTATUS(r.statut) == 1) << option << r.texte;
        EXPECT_NE(r.texte.find("n'est pas disponible dans ce programme"), std::string::npos) << r.texte;
        EXPECT_FALSE(fs::exists(fichier)) << option;
    }
}

// Ce que l'historique dit de plus : la reprise sous un autre tarif, la projection du type 0 et le
// graphique des mois en PNG.
TEST(HistoriqueCli, RetarificationProjectionEtGraphique) {
    DossierTroisMois d;
    fs::copy_file(fs::path(LUMI_DOSSIER_DATA_SOURCE) / "tarifs.ini", d.chemin() + "/tarifs.ini",
                  fs::copy_options::overwrite_existing);
    const std::string png = d.chemin() + "/mois.png";
    const auto r = d.lancer(
        "--du 01/12/1999 --au 31/03/2000 --retarifer 'Tarification locale' --graphique '" + png + "'");
    ASSERT_TRUE(WIFEXITED(r.statut) && WEXITSTATUS(r.statut) == 0) << r.texte;
    EXPECT_EQ(valeur(r.texte, "retarifes"), "5");
    EXPECT_EQ(valeur(r.texte, "retarifes_ignores"), "0");
    const double reel = std::stod(valeur(r.texte, "total_ttc"));
    const double autre = std::stod(valeur(r.texte, "total_ttc_retarife"));
    EXPECT_GT(autre, 0);
    EXPECT_NEAR(std::stod(valeur(r.texte, "difference_ttc")), autre - reel, 1e-9);
    EXPECT_NE(valeur(r.texte, "note").find("forfaits"), std::string::npos);
    EXPECT_EQ(valeur(r.texte, "graphique"), png);
    EXPECT_EQ(essai::lire_octets(png).substr(1, 3), "PNG");
    EXPECT_EQ(valeur(r.texte, "projection_cout"), "<absent>");  // seulement pour la facture en cours

    const auto inconnu = d.lancer("--du 01/12/1999 --au 31/03/2000 --retarifer 'Pas un tarif'");
    EXPECT_TRUE(WIFEXITED(inconnu.statut) && WEXITSTATUS(inconnu.statut) == 1) << inconnu.texte;

    const auto type0 = d.lancer("--type 0");
    ASSERT_TRUE(WIFEXITED(type0.statut) && WEXITSTATUS(type0.statut) == 0) << type0.texte;
    EXPECT_NE(valeur(type0.texte, "projection_cout"), "<absent>");
    EXPECT_NE(valeur(type0.texte, "projection_date"), "<absent>");
}

#endif

TEST(HistoriqueCli, MauvaisArguments) {
    for (const char* arguments :
         {"--type 6", "--du 01/01/2000", "--mois 13/2000", "--type 2", "--du 1/1 --au 2/2",
          "--type 1 --facture --du 01/01/2000 --au 02/01/2000", "--inconnu"}) {
        SCOPED_TRACE(arguments);
        const auto r = lancer_programme(std::string("historique ") + arguments);
        EXPECT_TRUE(WIFEXITED(r.statut) && WEXITSTATUS(r.statut) == 2) << r.texte;
        EXPECT_NE(r.texte.find("Usage"), std::string::npos) << r.texte;
    }
}

}  // namespace
}  // namespace lumi::cli
