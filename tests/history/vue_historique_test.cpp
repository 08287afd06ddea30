// Le modèle de la fenêtre de l'historique : plages, filtres, totaux, lignes, effacement, date de la
// facture, mise en page du rapport. Sur de petits fichiers mensuels écrits pour chaque cas.
#include "history/fenetre/vue_historique.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <initializer_list>
#include <random>

#include "base/decimal.hpp"
#include "base/fichiers.hpp"
#include "base/texte.hpp"
#include "commun/soutien.hpp"
#include "history/fenetre/rapport_historique.hpp"
#include "history/fichiers_historique.hpp"

namespace lumi {
namespace {

namespace fs = std::filesystem;

NumeroJour jour(int a, unsigned m, unsigned j) {
    return numero_jour(
        std::chrono::year_month_day{std::chrono::year{a}, std::chrono::month{m}, std::chrono::day{j}});
}

// Un enregistrement actuel : utilisateur, date, heure, durée, mode, coût, option, réduction, marque,
// provider.
std::string ligne(std::string_view u, std::string_view date, std::string_view duree = "00:10:00",
                  std::string_view mode = "A", std::string_view cout = "1,000", std::string_view option = "0",
                  std::string_view reduction = "0,000", std::string_view marque = "|",
                  std::string_view provider = "MonFAI") {
    return std::string(u) + ";Heures pleines;" + std::string(date) + ";10H00;" + std::string(duree) +
           ";Rouge;" + std::string(mode) + ";" + std::string(cout) + ";-4;" + std::string(option) + ";" +
           std::string(reduction) + ";" + std::string(marque) + ";" + std::string(provider) + ";";
}

class DossierHistorique {
public:
    fs::path dossier() const { return d_.chemin(); }
    // Le fichier du mois, en Windows-1252 comme l'écrivain le laisse.
    void mois(unsigned m, int a, std::initializer_list<std::string> lignes, std::string_view tva = "19,6") {
        const auto nom = nom_fichier_historique(m, a);
        std::string texte = entete_historique(nom.mois, a, tva);
        for (const auto& l : lignes) texte += l + "\r\n";
        essai::ecrire_octets(d_.chemin() / chemin_utf8(nom.fichier), utf8_vers_cp1252(texte));
    }
    std::string octets(unsigned m, int a) const {
        return cp1252_vers_utf8(
            essai::lire_octets(d_.chemin() / chemin_utf8(nom_fichier_historique(m, a).fichier)));
    }

private:
    essai::DossierTemporaire d_{"lumi-vue"};
};

// Février sous un nom de l'édition précédente, à côté de celui de cette édition : « é » sur un octet
// en Windows-1252. Sous Windows, le système range les noms en Unicode, sans casse : ce nom-là y est
// « février00.fct » lui-même, et la graphie sans accent en tient lieu.
#ifdef _WIN32
const std::string fevrier_ancien = "fevrier00.fct";
#else
const std::string fevrier_ancien = "f\xe9vrier00.fct";
#endif

ReglagesAffichageHistorique reglages(bool ttc = true) {
    ReglagesAffichageHistorique r;
    r.ttc = ttc;
    r.nb_decimales = 2;
    r.taux_tva = 19.6;
    return r;
}

std::vector<std::string> dates(const VueHistorique& v) {
    std::vector<std::string> d;
    for (const auto& l : v.lignes()) d.push_back(l.date);
    return d;
}

TEST(VueHistorique, PlageSurDeuxAnneesLitDeuxFichiersEtLesSeulsJoursDedans) {
    DossierHistorique h;
    h.mois(11, 1999, {ligne("Paul", "30/11/1999")});
    h.mois(12, 1999, {ligne("Paul", "14/12/1999"), ligne("Paul", "15/12/1999"), ligne("Paul", "31/12/1999")});
    h.mois(1, 2000, {ligne("Paul", "10/01/2000"), ligne("Paul", "11/01/2000")});
    h.mois(2, 2000, {ligne("Paul", "01/02/2000")});
    VueHistorique v(h.dossier(), reglages(), jour(2000, 1, 20));
    v.definir_periode(jour(2000, 1, 10), jour(1999, 12, 15));  // dans le désordre
    v.choisir_type(TypeHistorique::periode_definie);
    EXPECT_EQ(dates(v), (std::vector<std::string>{"10/01/2000", "31/12/1999", "15/12/1999"}));
    EXPECT_EQ(v.accumulateurs().secondes_periode, 3 * 600);
    EXPECT_EQ(v.lignes()[0].localisateur, 1 * 10000 + 1 * 100 + 0);
    EXPECT_EQ(v.lignes()[2].localisateur, 2 * 10000 + 12 * 100 + 99);
}

TEST(VueHistorique, MemeMoisPasRelu_UnFiltreQuiChangeRelit) {
    DossierHistorique h;
    h.mois(3, 2000, {ligne("Paul", "05/03/2000"), ligne("Anne", "06/03/2000")});
    VueHistorique v(h.dossier(), reglages(), jour(2000, 3, 20));
    v.choisir_type(TypeHistorique::mensuel);
    ASSERT_EQ(v.lignes().size(), 2u);
    // Un fichier ajouté ne se voit pas tant que la même plage est choisie sans changement.
    h.mois(3, 2000, {ligne("Paul", "05/03/2000"), ligne("Anne", "06/03/2000"), ligne("Paul", "07/03/2000")});
    v.choisir_mois(v.liste_mois().choisi);
    EXPECT_FALSE(v.calcul_mois_historique());
    EXPECT_EQ(v.lignes().size(), 2u);
    EXPECT_FALSE(v.filtrer_utilisateur(std::string(tous_les_utilisateurs)));
    EXPECT_TRUE(v.filtrer_utilisateur("paul"));  // sans tenir compte de la casse
    EXPECT_EQ(dates(v), (std::vector<std::string>{"07/03/2000", "05/03/2000"}));
    // Le compte de la facture garde tous les utilisateurs.
    EXPECT_EQ(v.accumulateurs().secondes_periode, 3 * 600);
    EXPECT_FLOAT_EQ(v.accumulateurs().cout_periode, 3.0f);
    EXPECT_EQ(v.accumulateurs().utilisateurs, (std::vector<std::string>{"Paul"}));
}

TEST(VueHistorique, FiltresUtilisateurEtOption) {
    DossierHistorique h;
    h.mois(3, 2000,
           {ligne("Paul", "05/03/2000", "00:10:00", "A", "1,000", "FL", "0,500"),
            ligne("Anne", "06/03/2000", "00:10:00", "A", "1,000", "FL", "0,500"),
            ligne("Paul", "07/03/2000", "00:10:00", "A", "1,000", "P", "0,200"),
            "Paul;Heures pleines;08/03/2000;10H00;00:10:00;Rouge;A;1,000;-1;0;2,500;|;MonFAI;"});
    VueHistorique v(h.dossier(), reglages(false), jour(2000, 3, 20));
    v.choisir_type(TypeHistorique::mensuel);
    v.filtrer_utilisateur("Paul");
    v.filtrer_option("fl");
    EXPECT_EQ(dates(v), (std::vector<std::string>{"08/03/2000", "05/03/2000"}));
    EXPECT_EQ(v.lignes()[0].reduction, " 2.50 F (FL)");
    EXPECT_TRUE(v.filtrer_option("1"));  // l'entrée "Toutes les réductions" : inactif
    EXPECT_EQ(v.lignes().size(), 3u);
}

TEST(VueHistorique, EffaceesCacheesSaufDansLeType5) {
    DossierHistorique h;
    h.mois(
        3, 2000,
        {ligne("Paul", "05/03/2000"), ligne("Paul", "06/03/2000", "00:20:00", "A", "2,000", "0", "0", "¤")});
    VueHistorique v(h.dossier(), reglages(), jour(2000, 3, 20));
    v.changer_date_facture(jour(2000, 3, 1));
    v.choisir_type(TypeHistorique::facture_en_cours);
    EXPECT_EQ(dates(v), (std::vector<std::string>{"05/03/2000"}));
    EXPECT_EQ(v.accumulateurs().secondes_periode, 600);
    EXPECT_TRUE(v.facture_a_relire());
    for (const auto type : {TypeHistorique::periode_definie, TypeHistorique::mensuel, TypeHistorique::semaine,
                            TypeHistorique::jour}) {
        v.definir_periode(jour(2000, 3, 1), jour(2000, 3, 31));
        v.choisir_type(type);
        for (const auto& l : v.lignes()) EXPECT_NE(l.date, "06/03/2000");
    }
    v.choisir_type(TypeHistorique::effacees);
    EXPECT_EQ(dates(v), (std::vector<std::string>{"06/03/2000"}));
    EXPECT_EQ(v.titre(), "Liste des connexions effacées de l'historique.");
}

TEST(VueHistorique, ModesProvidersEtTotalTtcArrondiParLigne) {
    DossierHistorique h;
    h.mois(3, 2000,
           {ligne("Paul", "05/03/2000", "01:00:05", "accidentelle", "0,005"),
            ligne("Paul", "06/03/2000", "00:00:07", "M", "0,005", "0", "0", "|", ""),
            ligne("Anne", "07/03/2000", "00:00:50", "A", "0,005", "0", "0", "|", "0")});
    VueHistorique v(h.dossier(), reglages(), jour(2000, 3, 20));
    v.choisir_type(TypeHistorique::mensuel);
    const auto& a = v.accumulateurs();
    EXPECT_EQ(a.nb_auto, 2);
    EXPECT_EQ(a.nb_manuelles, 1);
    EXPECT_EQ(v.lignes()[1].provider, "mode manuel");
    EXPECT_EQ(v.lignes()[0].provider, "    ? ? ?");
    EXPECT_EQ(a.providers, (std::vector<std::string>{"MonFAI"}));
    // 0,005 × 1,196 = 0,00598 : 0,01 chacun, 0,03 en tout (et non 0,02 pour le total arrondi).
    EXPECT_NEAR(a.total_ttc, 0.03, 1e-9);
    const auto s = v.statistiques();
    EXPECT_EQ(s.duree_totale, "01h01m02s");
    EXPECT_EQ(s.duree_moyenne, "00h20m20s");
    EXPECT_EQ(s.total_ttc, "0,03 F");
    EXPECT_EQ(s.total_ht, "0,02 F");
    EXPECT_EQ(s.nb_total, "3");
    EXPECT_EQ(s.titre_cout_moyen, " Coût  moyen TTC d'une connexion");
}

TEST(VueHistorique, LigneIllisibleSauteeEtCompteeLesSuivantesGardees) {
    DossierHistorique h;
    std::string inconnu = ligne("Paul", "07/01/2000");
    inconnu.replace(inconnu.find("Heures pleines"), 14, ".........");
    h.mois(1, 2000,
           {ligne("Paul", "03/01/2000"), ligne("Paul", "04/01/2000", "00:10:00", "A", "deux"),
            ligne("Paul", "05/01/2000", "dix"), ligne("Paul", "06/01/2000"), ligne("Paul", "pas une date"),
            "une ligne sans aucun champ", inconnu});
    VueHistorique v(h.dossier(), reglages(), jour(2000, 1, 20));
    v.choisir_type(TypeHistorique::mensuel);
    EXPECT_EQ(v.accumulateurs().lignes_illisibles(), 4);
    EXPECT_EQ(v.texte_illisibles(), "4 lignes illisibles dans janvier00.fct");
    // Une tarification "........." se montre comme une connexion inachevée, et compte.
    ASSERT_EQ(v.lignes().size(), 3u);
    EXPECT_EQ(v.lignes()[0].tarification, ".........");
    EXPECT_EQ(v.lignes()[0].periode, ".........");
    EXPECT_EQ(v.lignes()[0].provider, "terminée,");
    EXPECT_EQ(v.accumulateurs().secondes_periode, 3 * 600);
}

// Les contenus abîmés d'un fichier mensuel : chacun compté illisible et nommé sous la liste, aucun pris
// pour une connexion, et les enregistrements lisibles du même fichier gardés.
TEST(VueHistorique, ContenusAbimesComptesJamaisPrisPourUneConnexion) {
    const std::string entete = entete_historique("janvier", 2000, "19,6");
    const std::string bonne = ligne("Paul", "05/01/2000") + "\r\n";
    const std::string autre = ligne("Anne", "06/01/2000") + "\r\n";
    const auto remplacer = [](std::string t, std::string_view de, std::string_view par) {
        for (auto p = t.find(de); p != std::string::npos; p = t.find(de, p + par.size()))
            t.replace(p, de.size(), par);
        return t;
    };
    const auto utf16 = [](std::string_view t, bool marque, bool gros_boutiste) {
        std::string o = marque ? (gros_boutiste ? "\xFE\xFF" : "\xFF\xFE") : "";
        for (const char c : t) o += gros_boutiste ? std::string{'\0', c} : std::string{c, '\0'};
        return o;
    };
    std::mt19937 alea(64);
    std::string binaire(64 * 1024, '\0');
    for (auto& o : binaire) o = static_cast<char>(alea());
    struct Cas {
        const char* nom;
        std::string octets;
        int lisibles;
        int illisibles;
        const char* avis;
    };
    const Cas cas[] = {
        {"ligne coupée entre deux bonnes", entete + bonne + "Paul;Heures pleines;06/01/20\r\n" + autre, 2, 1,
         "1 ligne illisible dans janvier00.fct"},
        {"ligne coupée juste après un « ; »", entete + bonne + "Paul;Heures pleines;06/01/2000;21H14;\r\n", 1,
         1, "1 ligne illisible dans janvier00.fct"},
        {"octets nuls", entete + bonne + remplacer(autre, "Anne", std::string("An\0\0", 4)), 1, 1,
         "1 ligne illisible dans janvier00.fct"},
        {"dix mégaoctets sans « ; »", entete + bonne + std::string(10'000'000, 'x') + "\r\n" + autre, 2, 1,
         "1 ligne illisible dans janvier00.fct"},
        {"date 99/99/9999", entete + remplacer(bonne, "05/01/2000", "99/99/9999") + autre, 1, 1,
         "1 ligne illisible dans janvier00.fct"},
        {"fins de ligne CR seules", remplacer(entete + bonne + autre, "\r\n", "\r"), 0, 2,
         "2 lignes illisibles dans janvier00.fct (lignes séparées par des retours chariot seuls)"},
        {"UTF-16 avec sa marque", utf16(entete + bonne + autre, true, false), 0, 2,
         "2 lignes illisibles dans janvier00.fct (fichier codé en UTF-16)"},
        {"UTF-16 gros-boutiste sans marque", utf16(entete + bonne, false, true), 0, 1,
         "1 ligne illisible dans janvier00.fct (fichier codé en UTF-16)"},
        {"UTF-16 sans enregistrement", utf16(entete, true, false), 0, 0,
         "janvier00.fct illisible (fichier codé en UTF-16)"},
        {"64 Kio de binaire", binaire, 0, -1, "lignes illisibles dans janvier00.fct"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        DossierHistorique h;
        essai::ecrire_octets(h.dossier() / "janvier00.fct", c.octets);
        VueHistorique v(h.dossier(), reglages(), jour(2000, 1, 20));
        v.choisir_type(TypeHistorique::mensuel);
        const auto& a = v.accumulateurs();
        EXPECT_EQ(a.nb, c.lisibles);
        EXPECT_EQ(static_cast<int>(a.secondes_periode), 600 * c.lisibles);
        if (c.illisibles >= 0) {
            EXPECT_EQ(a.lignes_illisibles(), c.illisibles);
        } else {
            EXPECT_GT(a.lignes_illisibles(), 100);
        }
        EXPECT_NE(v.texte_illisibles().find(c.avis), std::string::npos) << v.texte_illisibles();
        for (const auto& l : v.lignes())
            EXPECT_TRUE(l.date == "05/01/2000" || l.date == "06/01/2000") << l.date;
    }
}

TEST(VueHistorique, FinsDeFevrierEtListeDesMois) {
    EXPECT_EQ(plage_du_mois("mois de février 2000")->second, jour(2000, 2, 29));
    EXPECT_EQ(plage_du_mois("mois de février 1999")->second, jour(1999, 2, 28));
    EXPECT_EQ(plage_du_mois("mois de décembre 1999")->first, jour(1999, 12, 1));
    EXPECT_FALSE(plage_du_mois("mois de brumaire 2000"));
    DossierHistorique h;
    h.mois(12, 1999, {});
    h.mois(2, 2000, {});
    h.mois(1, 2000, {});
    const auto l = liste_mois_historique(h.dossier(), jour(2000, 3, 4));
    EXPECT_EQ(l.entrees, (std::vector<std::string>{"mois de mars 2000", "mois de février 2000",
                                                   "mois de janvier 2000", "mois de décembre 1999"}));
    EXPECT_EQ(l.choisi, 0);
    EXPECT_EQ(liste_mois_historique(h.dossier(), jour(2000, 1, 4)).choisi, 1);
}

// Les fichiers des éditions précédentes gardent leurs noms : "f\xe9vrier" en Windows-1252 (un octet
// pour "é"), "fevrier" sans accent. Le mois en a ici trois à la fois, décembre deux.
TEST(VueHistorique, MoisSousToutesLesGraphiesLusEtEffacesDansLeurFichier) {
#ifdef _WIN32
    GTEST_SKIP() << "sous Windows, les noms sont rangés en Unicode et sans casse : « f\\xe9vrier00.fct » y "
                    "est « février00.fct » lui-même (la graphie sans accent est essayée plus bas)";
#endif
    DossierHistorique h;
    const auto ecrire = [&](const std::string& nom, unsigned m, int a,
                            std::initializer_list<std::string> lignes) {
        std::string texte = entete_historique(nom_fichier_historique(m, a).mois, a, "19,6");
        for (const auto& l : lignes) texte += l + "\r\n";
        essai::ecrire_octets(h.dossier() / nom, utf8_vers_cp1252(texte));
    };
    ecrire("f\xe9vrier00.fct", 2, 2000, {ligne("Paul", "01/02/2000"), ligne("Anne", "02/02/2000")});
    ecrire("fevrier00.fct", 2, 2000, {ligne("Zoé", "03/02/2000")});
    h.mois(2, 2000, {ligne("Paul", "04/02/2000")});  // février00.fct, celui que cette édition écrit
    ecrire(
        "d\xe9"
        "cembre99.fct",
        12, 1999, {ligne("Paul", "30/12/1999")});
    ecrire("DECEMBRE98.FCT", 12, 1998, {ligne("Paul", "24/12/1998")});

    const auto liste = liste_mois_historique(h.dossier(), jour(2000, 2, 20));
    EXPECT_EQ(liste.entrees, (std::vector<std::string>{"mois de février 2000", "mois de décembre 1999",
                                                       "mois de décembre 1998"}));

    VueHistorique v(h.dossier(), reglages(), jour(2000, 2, 20));
    v.choisir_type(TypeHistorique::mensuel);
    // Les autres graphies d'abord, le fichier au nom UTF-8 en dernier (la liste montre le dernier lu en
    // tête).
    EXPECT_EQ(dates(v), (std::vector<std::string>{"04/02/2000", "02/02/2000", "01/02/2000", "03/02/2000"}));
    v.choisir_mois(1);
    EXPECT_EQ(dates(v), (std::vector<std::string>{"30/12/1999"}));
    v.choisir_mois(2);
    EXPECT_EQ(dates(v), (std::vector<std::string>{"24/12/1998"}));

    // "&Effacer" sur Anne (2e enregistrement du fichier en Windows-1252) récrit ce fichier-là, en
    // Windows-1252, sans créer ni toucher février00.fct.
    v.choisir_mois(0);
    const auto anne = std::find_if(v.lignes().begin(), v.lignes().end(),
                                   [](const auto& l) { return l.utilisateur == "Anne"; });
    ASSERT_NE(anne, v.lignes().end());
    const std::string utf8_avant = essai::lire_octets(h.dossier() / "février00.fct");
    ASSERT_TRUE(v.supprimer(anne->localisateur, ActionLigne::marquer));
    EXPECT_NE(essai::lire_octets(h.dossier() / "f\xe9vrier00.fct")
                  .find("Anne;Heures pleines;02/02/2000;10H00;00:10:00;Rouge;A;1,000;-4;0;0,000;\xa4;"),
              std::string::npos);
    EXPECT_EQ(essai::lire_octets(h.dossier() / "février00.fct"), utf8_avant);
    EXPECT_EQ(dates(v), (std::vector<std::string>{"04/02/2000", "01/02/2000", "03/02/2000"}));
    // Le dernier du mois, dans le fichier au nom UTF-8, reste joignable après les autres.
    const auto dernier = std::find_if(v.lignes().begin(), v.lignes().end(),
                                      [](const auto& l) { return l.date == "04/02/2000"; });
    ASSERT_TRUE(v.supprimer(dernier->localisateur, ActionLigne::marquer));
    EXPECT_NE(h.octets(2, 2000).find("04/02/2000;10H00;00:10:00;Rouge;A;1,000;-4;0;0,000;¤;"),
              std::string::npos);
    EXPECT_EQ(dates(v), (std::vector<std::string>{"01/02/2000", "03/02/2000"}));
}

TEST(VueHistorique, DateDeLaFacture) {
    const NumeroJour aujourdhui = jour(2000, 4, 29);
    struct Cas {
        const char* nom;
        NumeroJour debut, corrigee;
        const char* avertissement;
    };
    for (const auto& c : {
             Cas{"dans le futur : aujourd'hui", aujourdhui + 3, aujourdhui,
                 "supérieur à la date d'aujourd'hui"},
             Cas{"70 jours avant : aujourd'hui - 59", aujourdhui - 70, aujourdhui - 59,
                 "supérieur à 60 jours !\r"},
             Cas{"60 jours avant : gardée", aujourdhui - 60, aujourdhui - 60, ""},
         }) {
        SCOPED_TRACE(c.nom);
        const auto r = corriger_date_facture(c.debut, aujourdhui);
        EXPECT_EQ(r.debut, c.corrigee);
        if (*c.avertissement == '\0') {
            EXPECT_EQ(r.avertissement, "");
        } else {
            EXPECT_NE(r.avertissement.find(c.avertissement), std::string::npos) << r.avertissement;
        }
    }
    EXPECT_EQ(legende_date_facture(jour(2000, 3, 1)), "Consommation depuis le 01/03/2000");
    const auto rouge = note_date_facture(aujourdhui - 60, aujourdhui);
    EXPECT_TRUE(rouge.rouge);
    EXPECT_EQ(rouge.texte, "Période de facturation supérieur à 60 jours !");
    const auto noire = note_date_facture(jour(2000, 3, 1), aujourdhui);
    EXPECT_FALSE(noire.rouge);
    EXPECT_EQ(noire.texte, "Prochaine période de facturation dans 1 jours environ, vers le 30/04/2000.");
}

TEST(VueHistorique, EffacerRestaurerDetruire) {
    DossierHistorique h;
    h.mois(3, 2000, {ligne("Paul", "05/03/2000"), ligne("Anne", "06/03/2000")});
    VueHistorique v(h.dossier(), reglages(), jour(2000, 3, 20));
    v.choisir_type(TypeHistorique::mensuel);
    EXPECT_EQ(v.legende_bouton(true), "&Effacer");
    const auto anne = v.lignes()[0].localisateur;
    ASSERT_TRUE(v.supprimer(anne, v.action_suppression(false)));
    EXPECT_EQ(dates(v), (std::vector<std::string>{"05/03/2000"}));
    EXPECT_NE(
        h.octets(3, 2000).find("Anne;Heures pleines;06/03/2000;10H00;00:10:00;Rouge;A;1,000;-4;0;0,000;¤;"),
        std::string::npos);

    v.choisir_type(TypeHistorique::effacees);
    ASSERT_EQ(dates(v), (std::vector<std::string>{"06/03/2000"}));
    EXPECT_EQ(v.legende_bouton(false), "&Restaurer");
    EXPECT_EQ(v.legende_bouton(true), "&Détruire");
    ASSERT_TRUE(v.supprimer(v.lignes()[0].localisateur, v.action_suppression(false)));
    EXPECT_TRUE(v.lignes().empty());
    EXPECT_TRUE(v.avis().visibles);
    v.choisir_type(TypeHistorique::mensuel);
    EXPECT_EQ(v.lignes().size(), 2u);

    EXPECT_TRUE(v.supprimer(v.lignes()[1].localisateur, ActionLigne::oter));
    EXPECT_EQ(dates(v), (std::vector<std::string>{"06/03/2000"}));
    std::string erreur;
    EXPECT_FALSE(v.supprimer(9 * 10000 + 3 * 100, ActionLigne::marquer, &erreur));
    EXPECT_NE(erreur.find("n'existe pas"), std::string::npos) << erreur;
}

TEST(VueHistorique, AvisDeLaListeVide) {
    DossierHistorique h;
    VueHistorique v(h.dossier(), reglages(), jour(2000, 3, 20),
                    [](int n) { return "message " + std::to_string(n); });
    v.choisir_type(TypeHistorique::jour);
    EXPECT_FALSE(v.impression_possible());
    EXPECT_EQ(v.avis().premiere, "message 1");
    EXPECT_EQ(v.avis().seconde, "message 3");
    v.definir_periode(jour(2000, 3, 1), jour(2000, 3, 2));
    v.choisir_type(TypeHistorique::periode_definie);
    EXPECT_EQ(v.avis().seconde, "message 2 01/03/2000 au 02/03/2000");
    v.choisir_type(TypeHistorique::effacees);
    EXPECT_EQ(v.avis().premiere, "message 31");
    EXPECT_EQ(v.avis().seconde, "");
}

// Deux fils lisent les mois d'une longue plage : les totaux, au bit près, les noms rencontrés, les
// lignes illisibles et l'ordre des lignes sont ceux d'une lecture mois par mois.
TEST(PassageHistorique, LectureAPlusieursFilsCommeMoisParMois) {
    DossierHistorique h;
    std::mt19937 alea(1999);
    const auto tirer = [&](int n) { return static_cast<int>(alea() % static_cast<unsigned>(n)); };
    const std::vector<std::string> noms = {"Paul", "Anne", "paul", "Élodie", " "};
    for (int rang = 0; rang < 30; ++rang) {
        const unsigned m = static_cast<unsigned>(rang % 12 + 1);
        const int a = 1998 + rang / 12;
        std::string texte =
            entete_historique(nom_fichier_historique(m, a).mois, a, rang % 5 ? "19,6" : "5,5");
        for (int n = tirer(200); n > 0; --n) {
            const std::string date =
                champ_2(1 + tirer(28)) + "/" + champ_2(static_cast<int>(m)) + "/" + std::to_string(a);
            const std::string cout =
                std::to_string(tirer(5000)) + "," + champ_2(tirer(100)) + std::to_string(tirer(10));
            texte +=
                (tirer(40) == 0 ? ligne("Paul", date, "00:10:00", "A", "deux")
                                : ligne(noms[static_cast<std::size_t>(tirer(5))], date,
                                        "0" + std::to_string(tirer(10)) + ":" + champ_2(tirer(60)) + ":00",
                                        tirer(3) ? "A" : "M", cout, tirer(4) ? "0" : "F20H", "0,125",
                                        tirer(10) ? "|" : "¤", tirer(6) ? "MonFAI" : "")) +
                "\r\n";
        }
        essai::ecrire_octets(h.dossier() / chemin_utf8(nom_fichier_historique(m, a).fichier),
                             utf8_vers_cp1252(texte));
    }
    CriteresHistorique c;
    c.debut = jour(1998, 1, 5);
    c.fin = jour(2000, 6, 20);
    c.utilisateur = {"paul", true};
    ReglagesAffichageHistorique r = reglages();
    r.avec_reductions = false;

    AccumulateursHistorique ensemble, un_a_un;
    std::vector<std::int32_t> lignes_ensemble, lignes_un_a_un;
    parcourir_plage_historique(h.dossier(), c, r, ensemble,
                               [&](LigneListeHistorique&& l) { lignes_ensemble.push_back(l.localisateur); });
    for (int rang = 0; rang < 30; ++rang) {
        const unsigned m = static_cast<unsigned>(rang % 12 + 1);
        const int a = 1998 + rang / 12;
        lecture_historique(h.dossier() / chemin_utf8(nom_fichier_historique(m, a).fichier), m, a, c, r,
                           un_a_un,
                           [&](LigneListeHistorique&& l) { lignes_un_a_un.push_back(l.localisateur); });
    }
    EXPECT_GT(ensemble.nb, 500);
    EXPECT_EQ(ensemble.nb, un_a_un.nb);
    EXPECT_EQ(ensemble.nb_auto, un_a_un.nb_auto);
    EXPECT_EQ(ensemble.nb_manuelles, un_a_un.nb_manuelles);
    EXPECT_EQ(ensemble.total_ht, un_a_un.total_ht);
    EXPECT_EQ(ensemble.total_ttc, un_a_un.total_ttc);
    EXPECT_EQ(ensemble.secondes, un_a_un.secondes);
    EXPECT_EQ(ensemble.cout_periode, un_a_un.cout_periode);
    EXPECT_EQ(ensemble.secondes_periode, un_a_un.secondes_periode);
    EXPECT_EQ(ensemble.utilisateurs, un_a_un.utilisateurs);
    EXPECT_EQ(ensemble.providers, un_a_un.providers);
    EXPECT_EQ(texte_lignes_illisibles(ensemble.illisibles), texte_lignes_illisibles(un_a_un.illisibles));
    EXPECT_GT(ensemble.lignes_illisibles(), 0);
    EXPECT_EQ(lignes_ensemble, lignes_un_a_un);
}

// La liste rendue au fil de la lecture (l'outil sur un historique d'un million de connexions) est
// celle que la fenêtre garde : mêmes lignes, même ordre, mêmes localisateurs, d'un mois de plusieurs
// fichiers aux autres, lignes effacées, illisibles et filtrées comprises.
TEST(VueHistorique, LignesRenduesAuFilCommeLaListeGardee) {
    DossierHistorique h;
    std::string ancien = entete_historique("février", 2000, "19,6");
    for (const auto& l : {ligne("Paul", "01/02/2000"), ligne("Anne", "02/02/2000"), std::string("coupée;")})
        ancien += l + "\r\n";
    essai::ecrire_octets(h.dossier() / fevrier_ancien, utf8_vers_cp1252(ancien));
    h.mois(2, 2000, {ligne("Paul", "03/02/2000", "00:01:00"), ligne("Paul", "04/02/2000", "00:02:00", "M")});
    h.mois(1, 2000,
           {ligne("Zoé", "30/01/2000"),
            ligne("Paul", "31/01/2000", "00:10:00", "A", "1,000", "0", "0,000", "¤")});
    h.mois(12, 1999, {ligne("Paul", "01/12/1999"), ligne("Paul", "31/12/1999", "00:03:00")});
    h.mois(11, 1999, {ligne("Paul", "30/11/1999")});  // hors de la plage
    const auto colonnes = [](const LigneListeHistorique& l) {
        std::string t;
        for (int c = 0; c < LigneListeHistorique::nb_colonnes; ++c) t += l.colonne(c) + ";";
        return t + std::to_string(l.localisateur);
    };
    for (const bool filtre : {false, true}) {
        SCOPED_TRACE(filtre ? "filtre Paul" : "sans filtre");
        VueHistorique v(h.dossier(), reglages(), jour(2000, 2, 20));
        v.filtrer_utilisateur(filtre ? "paul" : "");
        v.definir_periode(jour(1999, 12, 1), jour(2000, 2, 29));
        v.choisir_type(TypeHistorique::periode_definie);
        std::vector<std::string> gardees, rendues;
        for (const auto& l : v.lignes()) gardees.push_back(colonnes(l));
        v.parcourir_lignes([&](LigneListeHistorique&& l) { rendues.push_back(colonnes(l)); });
        EXPECT_EQ(rendues, gardees);
        EXPECT_EQ(gardees.size(), filtre ? 5u : 7u);
    }
}

// L'arrondi des montants TTC, calculé pour les montants courants, vaut la lecture du texte affiché,
// moitiés et bruit des flottants compris.
TEST(PassageHistorique, ArrondiAfficheCommeLeTexte) {
    std::mt19937 alea(7);
    std::vector<double> valeurs = {0.0005,  1.0005, 2.345,  -2.345,  0.125,     -0.0004,
                                   -0.0005, 1e12,   -1e-12, 0.1 * 3, 4999.9995, 1234567.8945};
    std::uniform_real_distribution<double> montants(-10000, 10000);
    for (int i = 0; i < 20000; ++i) valeurs.push_back(montants(alea));
    for (int i = 0; i < 2000; ++i)
        valeurs.push_back((static_cast<int>(alea() % 2000000) - 1000000) / 1000.0 + 0.0005);
    for (const double v : valeurs) {
        for (const int d : {0, 2, 3, 6}) {
            const std::string texte = formater_decimal(v, d, '.');
            double attendu = 0;
            std::from_chars(texte.data(), texte.data() + texte.size(), attendu);
            ASSERT_EQ(arrondi_affiche(v, d), attendu)
                << v << " à " << d << " décimales (« " << texte << " »)";
        }
    }
}

TEST(RapportHistorique, PagesEtPieds) {
    GeometrieRapport g{14031, 9921, 160, 200};
    const auto une = mise_en_page_rapport(g, 3);
    ASSERT_EQ(une.nb_pages(), 1);
    EXPECT_GE(une.pages[0].y_totaux, 0);
    EXPECT_GT(une.pages[0].y_statistiques, une.pages[0].y_totaux);
    EXPECT_EQ(une.pied(1), "Page 1/1");

    // Juste ce qui tient sur la première page : les totaux partent sur la seconde.
    const int r1 = une.lignes_premiere_page;
    EXPECT_EQ(r1, (14031 - g.h(85) - g.h(17)) / 160 - 1);
    const auto pleine = mise_en_page_rapport(g, r1);
    ASSERT_EQ(pleine.nb_pages(), 2);
    EXPECT_EQ(pleine.pages[0].nb_lignes, r1);
    EXPECT_EQ(pleine.pages[0].y_totaux, -1);
    EXPECT_EQ(pleine.pages[1].nb_lignes, 0);
    EXPECT_GE(pleine.pages[1].y_totaux, 0);
    EXPECT_EQ(pleine.pied(1), "Page 1/2");
    EXPECT_EQ(pleine.pied(2), "Page 2/2");

    const auto longue = mise_en_page_rapport(g, r1 + une.lignes_autres_pages + 1);
    EXPECT_EQ(longue.pages[1].premiere_ligne, r1);
    EXPECT_EQ(longue.pages[2].premiere_ligne, r1 + une.lignes_autres_pages);
    EXPECT_EQ(longue.pages[2].nb_lignes, 1);
    EXPECT_EQ(longue.colonnes[9], 9921 - 9921 / 30);
}

// Quelle que soit la hauteur de ligne, ni les lignes ni les blocs ne descendent sur le pied de
// page, et chaque page de lignes a ses en-têtes de colonnes au-dessus d'elles.
TEST(RapportHistorique, RienNeChevaucheLePied) {
    for (const int rh : {120, 133, 150, 160, 171, 190, 230}) {
        SCOPED_TRACE("ligne de " + std::to_string(rh));
        const GeometrieRapport g{14031, 9921, rh, rh + 40};
        const auto seule = mise_en_page_rapport(g, 1);
        for (const int n :
             {seule.lignes_premiere_page, seule.lignes_premiere_page + 2 * seule.lignes_autres_pages}) {
            const auto m = mise_en_page_rapport(g, n);
            const int haut_pied = m.y_pied - rh;
            for (const auto& page : m.pages) {
                EXPECT_LE(page.haut_lignes + page.nb_lignes * rh, haut_pied);
                if (page.nb_lignes > 0) {
                    EXPECT_GE(page.haut_entetes, 0);
                    EXPECT_EQ(page.haut_lignes, page.haut_entetes + g.h(15));
                }
                if (page.y_totaux >= 0) {
                    EXPECT_LE(page.y_totaux + m.hauteur_totaux, haut_pied);
                }
                if (page.y_statistiques >= 0) {
                    EXPECT_LE(page.y_statistiques + m.hauteur_statistiques, haut_pied);
                }
            }
        }
    }
}

// Les montants prennent la place qui leur manque, d'abord aux colonnes plus larges que leur texte,
// puis aux textes ; une page où tout tient garde ses colonnes.
TEST(RapportHistorique, ColonnesSelonLeContenu) {
    const GeometrieRapport g{14031, 9921, 160, 200};
    const auto x = mise_en_page_rapport(g, 1).colonnes;
    const std::array<bool, 9> entiere{false, false, false, false, false, false, false, true, true};
    std::array<int, 9> besoins{};
    for (std::size_t c = 0; c < 9; ++c) besoins[c] = (x[c + 1] - x[c]) / 2;
    EXPECT_EQ(colonnes_selon_contenu(x, besoins, entiere), x);

    struct Cas {
        const char* nom;
        int reduction, total;  // besoins des deux montants
    };
    for (const Cas c : {Cas{"réduction plus large que sa colonne", 1800, 500},
                        Cas{"les deux montants trop larges", 2000, 1900},
                        Cas{"de quoi prendre aussi aux textes", 2900, 2400}}) {
        SCOPED_TRACE(c.nom);
        auto b = besoins;
        b[7] = c.reduction;
        b[8] = c.total;
        const auto y = colonnes_selon_contenu(x, b, entiere);
        EXPECT_EQ(y[0], x[0]);
        EXPECT_EQ(y[9], x[9]);
        EXPECT_GE(y[8] - y[7], c.reduction);
        EXPECT_GE(y[9] - y[8], c.total);
        for (std::size_t k = 0; k < 7; ++k) EXPECT_GE(y[k + 1] - y[k], (x[k + 1] - x[k]) / 2) << k;
    }
}

}  // namespace
}  // namespace lumi
