// Les commandes prix, jour et paques de lumicompteur-outil, lancées sans processus.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/commandes.hpp"
#include "commun/soutien.hpp"
#include "lancer_outil.hpp"

namespace lumi::cli {
namespace {

namespace fs = std::filesystem;

// Un dossier de données temporaire : le fichier des tarifs d'essai et, au besoin, des réglages.
class DossierEssai {
public:
    explicit DossierEssai(const char* fixture = "tarifs_essai.ini", const char* reglages = nullptr) {
        fs::copy_file(fs::path(LUMI_DONNEES_TESTS) / fixture, dossier_ / "tarifs.ini");
        if (reglages) std::ofstream(dossier_ / "lumicompteur.ini") << reglages;
    }
    std::string chemin() const { return dossier_.chemin().string(); }

private:
    essai::DossierTemporaire dossier_{"lumi-tarif-cli"};
};

Resultat prix(const std::string& dossier, const std::string& tarif, const std::string& debut,
              const std::string& fin, std::vector<std::string> autres = {}) {
    std::vector<std::string> a{"prix",    "--dossier", dossier, "--tarif", tarif,
                               "--debut", debut,       "--fin", fin};
    a.insert(a.end(), autres.begin(), autres.end());
    return lancer(a);
}

TEST(CommandePrix, ExempleChiffreEtAffichage) {
    const DossierEssai d;
    const auto r = prix(d.chemin(), "Pas de 60", "03/01/2000 18:59:30", "03/01/2000 19:01:10");
    ASSERT_EQ(r.code, sortie_ok) << r.erreur;
    // 1,16 HT, TVA 19,6 et 3 décimales par défaut : 1,387 F.
    EXPECT_EQ(r.sortie,
              "prix_sans_reduction=1.160000\nreduction=0.000000\nmontant=1.160000\naffichage=1,387 F\n");
}

TEST(CommandePrix, OptionsEtReglagesDAffichage) {
    struct Cas {
        const char* nom;
        const char* reglages;
        const char* option;
        const char* attendu;
    };
    const Cas cas[] = {
        {"R 30 %", nullptr, "R30",
         "prix_sans_reduction=1.160000\nreduction=0.348000\nmontant=0.812000\naffichage=0,971 F\n"},
        {"forfait F", nullptr, "FORF",
         "prix_sans_reduction=1.160000\nreduction=1.160000\nmontant=0.000000\naffichage=0,000 F\n"},
        {"2 décimales", "[gestion afficheur]\nnb de decimales=2\n", "",
         "prix_sans_reduction=1.160000\nreduction=0.000000\nmontant=1.160000\naffichage=1,39 F\n"},
        {"hors taxes", "[affichage des prix]\naffichage=hors taxes\n", "",
         "prix_sans_reduction=1.160000\nreduction=0.000000\nmontant=1.160000\naffichage=1,160 F\n"},
    };
    for (const auto& c : cas) {
        const DossierEssai d("tarifs_essai.ini", c.reglages);
        std::vector<std::string> autres;
        if (*c.option) autres = {"--option", c.option};
        const auto r = prix(d.chemin(), "Pas de 60", "03/01/2000 18:59:30", "03/01/2000 19:01:10", autres);
        EXPECT_EQ(r.code, sortie_ok) << c.nom << r.erreur;
        EXPECT_EQ(r.sortie, c.attendu) << c.nom;
    }
}

// La réduction est celle du dernier top d'un rejeu seconde par seconde : la plage en cours passe à 2 à
// 19:00:00, les fenêtres comptent 1799 s de plein tarif et 1800 s de tarif réduit (écarts de la
// simple précision au dernier chiffre).
TEST(CommandePrix, FenetresDeTempsEcoule) {
    const DossierEssai d;
    const auto r =
        prix(d.chemin(), "Pas de 60", "03/01/2000 18:30:00", "03/01/2000 19:30:00", {"--option", "FEN"});
    ASSERT_EQ(r.code, sortie_ok) << r.erreur;
    EXPECT_NE(r.sortie.find("prix_sans_reduction=13.480000\nreduction=6.297667\nmontant=7.182334\n"),
              std::string::npos)
        << r.sortie;
}

// Le fichier livré : une heure de "Tarification locale" un lundi matin (0,74 F TTC puis 0,28 F TTC la
// minute).
TEST(CommandePrix, FichierDesTarifsLivre) {
    const auto r =
        prix(LUMI_DOSSIER_DATA_SOURCE, "Tarification locale", "03/01/2000 10:00:00", "03/01/2000 11:00:00");
    ASSERT_EQ(r.code, sortie_ok) << r.erreur;
    EXPECT_EQ(r.sortie,
              "prix_sans_reduction=13.963227\nreduction=0.000000\nmontant=13.963227\naffichage=16,700 F\n");
}

TEST(CommandePrix, Erreurs) {
    const DossierEssai essai;
    const DossierEssai invalides("tarifs_invalides.ini");
    struct Cas {
        const char* nom;
        std::vector<std::string> arguments;
        int code;
        std::vector<const char*> extraits;
    };
    const std::string e = essai.chemin(), i = invalides.chemin();
    const std::string lundi = "03/01/2000 10:00:00", lundi_plus = "03/01/2000 10:05:00";
    const Cas cas[] = {
        {"tarif inconnu",
         {"--dossier", e, "--tarif", "Nulle part", "--debut", lundi, "--fin", lundi_plus},
         1,
         {"Tarif inconnu", "[Nulle part]", "tarifs.ini"}},
        {"option inconnue",
         {"--dossier", e, "--tarif", "Pas de 60", "--option", "ZZ", "--debut", lundi, "--fin", lundi_plus},
         1,
         {"Option inconnue", "[ZZ]"}},
        {"jour sans liste",
         {"--dossier", e, "--tarif", "Semaine et samedi", "--debut", "09/01/2000 10:00:00", "--fin",
          "09/01/2000 10:01:00"},
         1,
         {"[Semaine et samedi]", "09/01/2000"}},
        {"nombre illisible",
         {"--dossier", i, "--tarif", "Prix illisible", "--debut", lundi, "--fin", lundi_plus},
         1,
         {"« 0,2a8 »", "[Prix illisible]", "« cout ht plein tarif »", "tarifs.ini"}},
        {"borne illisible",
         {"--dossier", i, "--tarif", "Borne illisible", "--debut", lundi, "--fin", lundi_plus},
         1,
         {"« 6x8399 »", "[Borne illisible]", "« p1 »"}},
        {"type d'option inconnu",
         {"--dossier", i, "--tarif", "Pas nul", "--option", "TypeX", "--debut", lundi, "--fin", lundi_plus},
         1,
         {"« X »", "[TypeX]", "« type »"}},
        {"dossier sans tarifs",
         {"--dossier", e + "/absent", "--tarif", "Pas de 60", "--debut", lundi, "--fin", lundi_plus},
         1,
         {"introuvable"}},
        {"sans tarif", {"--dossier", e, "--debut", lundi, "--fin", lundi_plus}, 2, {"--tarif", "Usage"}},
        {"date fausse",
         {"--dossier", e, "--tarif", "Pas de 60", "--debut", "31/02/2000 10:00:00", "--fin", lundi},
         2,
         {"--debut", "Usage"}},
        {"heure absente",
         {"--dossier", e, "--tarif", "Pas de 60", "--debut", "03/01/2000", "--fin", lundi},
         2,
         {"--debut"}},
        {"fin avant début",
         {"--dossier", e, "--tarif", "Pas de 60", "--debut", lundi_plus, "--fin", lundi},
         2,
         {"avant le début"}},
        {"option inconnue de la commande", {"--tarif", "Pas de 60", "--vite"}, 2, {"« --vite »"}},
        {"valeur manquante", {"--tarif"}, 2, {"--tarif attend une valeur"}},
        {"année trop ancienne",
         {"--dossier", e, "--tarif", "Pas de 60", "--debut", "03/01/1600 10:00:00", "--fin", lundi},
         2,
         {"--debut"}},
    };
    for (const auto& c : cas) {
        std::vector<std::string> a{"prix"};
        a.insert(a.end(), c.arguments.begin(), c.arguments.end());
        const auto r = lancer(a);
        EXPECT_EQ(r.code, c.code) << c.nom << "\n" << r.erreur;
        EXPECT_EQ(r.sortie, "") << c.nom;
        for (const char* extrait : c.extraits) {
            EXPECT_NE(r.erreur.find(extrait), std::string::npos) << c.nom << " : " << r.erreur;
        }
    }
}

TEST(CommandeJour, ClasseListeEtBande) {
    const DossierEssai d;
    struct Cas {
        std::vector<std::string> arguments;
        const char* attendu;
    };
    const Cas cas[] = {
        {{"--date", "03/01/2000"}, "jour=2\n"},
        {{"--date", "02/01/2000"}, "jour=1\n"},
        {{"--date", "24/04/2000"}, "jour=8\n"},
        {{"--date", "21/04/2000"}, "jour=6\n"},
        {{"--date", "21/04/2000", "--alsace"}, "jour=8\n"},
        {{"--date", "26/12/2000", "--alsace"}, "jour=8\n"},
        {{"--date", "03/01/2000", "--dossier", d.chemin(), "--tarif", "Pas de 60", "--heure", "18:59:59"},
         "jour=2\nliste=1\nbande=1\n"},
        {{"--date", "03/01/2000", "--dossier", d.chemin(), "--tarif", "Pas de 60", "--heure", "19:00:00"},
         "jour=2\nliste=1\nbande=2\n"},
        {{"--date", "08/01/2000", "--dossier", d.chemin(), "--tarif", "Pas de 60", "--heure", "10:00:00"},
         "jour=7\nliste=2\nbande=2\n"},
        {{"--date", "03/01/2000", "--dossier", d.chemin(), "--tarif", "Semaine et samedi", "--heure",
          "10:00:00"},
         "jour=2\nliste=3\nbande=3\n"},
        {{"--date", "09/01/2000", "--dossier", d.chemin(), "--tarif", "Semaine et samedi", "--heure",
          "10:00:00"},
         "jour=1\nliste=0\nbande=0\n"},
    };
    for (const auto& c : cas) {
        std::vector<std::string> a{"jour"};
        a.insert(a.end(), c.arguments.begin(), c.arguments.end());
        const auto r = lancer(a);
        EXPECT_EQ(r.code, sortie_ok) << r.erreur;
        EXPECT_EQ(r.sortie, c.attendu) << c.arguments[1];
    }
}

TEST(CommandeJour, Erreurs) {
    const DossierEssai d("tarifs_invalides.ini");
    const DossierEssai tva;
    {
        const fs::path chemin = fs::path(tva.chemin()) / "tarifs.ini";
        std::stringstream texte;
        texte << std::ifstream(chemin).rdbuf();
        std::string octets = texte.str();
        octets.replace(octets.find("taux=19,6"), 9, "taux=abc");
        std::ofstream(chemin, std::ios::binary | std::ios::trunc) << octets;
    }
    struct Cas {
        std::vector<std::string> arguments;
        int code;
        const char* extrait;
    };
    const Cas cas[] = {
        {{}, 2, "--date est obligatoire"},
        {{"--date", "32/01/2000"}, 2, "--date"},
        {{"--date", "03/01/2000", "--tarif", "X"}, 2, "--heure"},
        {{"--date", "03/01/2000", "--dossier", d.chemin()}, 2, "--dossier"},
        {{"--date", "03/01/2000", "--dossier", d.chemin(), "--tarif", "Liste vide", "--heure", "25:00:00"},
         2,
         "--heure"},
        {{"--date", "03/01/2000", "--dossier", d.chemin(), "--tarif", "Liste vide", "--heure", "10:00:00"},
         1,
         "« p3 »"},
        {{"--date", "03/01/2000", "--dossier", d.chemin(), "--tarif", "Absent", "--heure", "10:00:00"},
         1,
         "Tarif inconnu"},
        // Un fichier que le programme refuse ailleurs que dans ce tarif ne donne pas de bande non plus.
        {{"--date", "03/01/2000", "--dossier", tva.chemin(), "--tarif", "Pas de 60", "--heure", "10:00:00"},
         1,
         "« abc »"},
    };
    for (const auto& c : cas) {
        std::vector<std::string> a{"jour"};
        a.insert(a.end(), c.arguments.begin(), c.arguments.end());
        const auto r = lancer(a);
        EXPECT_EQ(r.code, c.code) << r.erreur;
        EXPECT_NE(r.erreur.find(c.extrait), std::string::npos) << r.erreur;
    }
}

TEST(CommandePaques, DatesEtErreurs) {
    EXPECT_EQ(lancer({"paques", "--annee", "1999"}).sortie, "paques=04/04/1999\n");
    EXPECT_EQ(lancer({"paques", "--annee", "2000"}).sortie, "paques=23/04/2000\n");
    EXPECT_EQ(lancer({"paques", "--annee=2001"}).sortie, "paques=15/04/2001\n");
    for (std::vector<std::string> a : {std::vector<std::string>{"paques"},
                                       {"paques", "--annee", "1600"},
                                       {"paques", "--annee", "deux mille"},
                                       {"paques", "--annee", "2000", "--annee", "2001"},
                                       {"paques", "2000"}}) {
        const auto r = lancer(a);
        EXPECT_EQ(r.code, sortie_usage) << a.back();
        EXPECT_NE(r.erreur.find("Usage"), std::string::npos);
    }
}

}  // namespace
}  // namespace lumi::cli
