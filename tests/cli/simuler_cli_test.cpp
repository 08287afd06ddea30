// lumicompteur-outil simuler : une connexion rejouée dans le vrai compteur, lancée sans processus,
// et le même rejeu par le programme lui-même.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "../commun/soutien.hpp"
#include "cli/commandes.hpp"
#include "commun/magasin_local.hpp"
#include "lancer_outil.hpp"
#include "settings/cles.hpp"
#include "soutien_cli.hpp"

namespace lumi::cli {
namespace {

namespace fs = std::filesystem;

// Un dossier de données avec les tarifs et réglages d'essai du compteur, et l'alarme.
class DossierSimulation {
public:
    DossierSimulation() {
        fs::copy_file(fs::path(LUMI_DONNEES_TESTS) / "compteur_tarifs.ini", dossier_ / "tarifs.ini");
        fs::copy_file(fs::path(LUMI_DONNEES_TESTS) / "compteur_reglages.ini", dossier_ / "lumicompteur.ini");
        essai::ecrire_octets(dossier_ / "alarme.wav", "RIFF");
    }
    std::string chemin() const { return dossier_.chemin().string(); }
    void ecrire(const std::string& cle, const std::string& nom, const std::string& valeur) {
        RegistreLocal(dossier_ / RegistreLocal::nom_fichier)
            .ecrire_valeur(std::string(cles::racine) + cle, nom, valeur);
    }
    std::string lire(const std::string& cle, const std::string& nom) {
        return RegistreLocal(dossier_ / RegistreLocal::nom_fichier)
            .lire_valeur(std::string(cles::racine) + cle, nom);
    }
    std::vector<std::string> valeurs(const std::string& cle) {
        return RegistreLocal(dossier_ / RegistreLocal::nom_fichier)
            .lister_valeurs(std::string(cles::racine) + cle);
    }

private:
    essai::MagasinLocalVide magasin_;
    essai::DossierTemporaire dossier_{"lumi-simuler"};
};

Resultat simuler(const DossierSimulation& d, const std::string& debut, const std::string& fin,
                 std::vector<std::string> autres = {}) {
    std::vector<std::string> a{"simuler", "--dossier", d.chemin(), "--entree", "MonFAI",
                               "--debut", debut,       "--fin",    fin};
    a.insert(a.end(), autres.begin(), autres.end());
    return lancer(a);
}

TEST(CommandeSimuler, Rejeux) {
    struct Cas {
        const char* nom;
        const char* debut;
        const char* fin;
        std::vector<std::string> autres;
        const char* attendu;
    };
    const Cas cas[] = {
        {"connexion",
         "10/03/2000 14:00:00",
         "10/03/2000 14:12:05",
         {},
         "duree=00:12:05\nprix_sans_reduction=7.250000\nreduction=0.000000\nmontant=7.250000\n"
         "tarif=Seconde\noption=\netat=Fin de connexion\n"
         "ligne=non identifié;Seconde;10/03/2000;14H00;00:12:05;Rouge;A;7,250;-4;0;0,000;|;MonFAI;\n"},
        {"sur minuit",
         "10/03/2000 23:59:00",
         "11/03/2000 00:01:00",
         {},
         "duree=00:02:00\nprix_sans_reduction=1.200000\nreduction=0.000000\nmontant=1.200000\n"
         "tarif=Seconde\noption=\netat=Fin de connexion\n"
         "ligne=non identifié;Seconde;10/03/2000;23H59;00:02:00;Rouge;A;1,200;-4;0;0,000;|;MonFAI;\n"},
        {"anticipation",
         "10/03/2000 14:00:00",
         "10/03/2000 14:01:00",
         {"--anticipation", "15"},
         "duree=00:01:15\nprix_sans_reduction=0.750000\nreduction=0.000000\nmontant=0.750000\n"
         "tarif=Seconde\noption=\netat=Fin de connexion\n"
         "ligne=non identifié;Seconde;10/03/2000;13H59;00:01:15;Rouge;A;0,750;-4;0;0,000;|;MonFAI;\n"},
        {"manuel",
         "10/03/2000 14:00:00",
         "10/03/2000 14:01:30",
         {"--manuel"},
         "duree=00:01:30\nprix_sans_reduction=0.900000\nreduction=0.000000\nmontant=0.900000\n"
         "tarif=Seconde\noption=\netat=Arrêté manuellement\n"
         "ligne=non identifié;Seconde;10/03/2000;14H00;00:01:30;Rouge;M;0,900;-4;0;0,000;|;;\n"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        DossierSimulation d;
        const auto r = simuler(d, c.debut, c.fin, c.autres);
        ASSERT_EQ(r.code, sortie_ok) << r.erreur;
        EXPECT_EQ(r.sortie, c.attendu);
        // Le délai donné pour le rejeu ne reste pas dans le magasin.
        EXPECT_TRUE(d.valeurs("\\providers\\MonFAI").empty());
    }
}

TEST(CommandeSimuler, ForfaitsDansLeMagasinDuDossier) {
    DossierSimulation d;
    d.ecrire("\\providers\\MonFAI", "F1", "oui");
    auto r = simuler(d, "10/03/2000 14:00:00", "10/03/2000 14:01:40");
    ASSERT_EQ(r.code, sortie_ok) << r.erreur;
    EXPECT_NE(r.sortie.find("option=F1\ntemps_restant_forfait=3500\n"), std::string::npos) << r.sortie;
    EXPECT_EQ(d.lire("\\forfaits", "time F1"), "3500");

    // La connexion suivante part de ce qui est rangé et épuise le forfait : l'avis et l'alarme.
    r = simuler(d, "10/03/2000 15:00:00", "10/03/2000 16:00:00");
    ASSERT_EQ(r.code, sortie_ok) << r.erreur;
    EXPECT_NE(r.sortie.find("duree=01:00:00\n"), std::string::npos) << r.sortie;
    // Épuisé à 3500 s : 100 s au tarif sans option ensuite.
    EXPECT_NE(r.sortie.find("prix_sans_reduction=1.000000\n"), std::string::npos) << r.sortie;
    EXPECT_NE(r.sortie.find("option=\n"), std::string::npos) << r.sortie;
    EXPECT_NE(r.sortie.find("avis_fin_forfait=Le forfait en cours est terminé !\n"), std::string::npos)
        << r.sortie;
    EXPECT_NE(r.sortie.find("son=alarme.wav\n"), std::string::npos) << r.sortie;
    EXPECT_EQ(d.lire("\\forfaits", "time F1"), "0");
}

TEST(CommandeSimuler, DateDeRemiseAZeroRangeeApresMinuit) {
    DossierSimulation d;
    d.ecrire("\\providers\\MonFAI", "F60", "oui");
    const auto r = simuler(d, "10/03/2000 23:45:00", "11/03/2000 00:15:00");
    ASSERT_EQ(r.code, sortie_ok) << r.erreur;
    EXPECT_NE(r.sortie.find("option=F60\ntemps_restant_forfait=1740\n"), std::string::npos) << r.sortie;
    // Le contrôle du 11 mars, reporté à la fin de la connexion, voit le forfait entamé.
    EXPECT_EQ(d.lire("\\forfaits", "time F60"), "1740");
    EXPECT_EQ(d.lire("\\forfaits\\raz", "F60"), "01/04/2000");
}

TEST(CommandeSimuler, AvertissementsMontresEnChemin) {
    DossierSimulation d;
    d.ecrire("\\providers\\MonFAI", "F60", "oui");
    d.ecrire("\\forfaits", "time F60", "douze");
    const auto r = simuler(d, "10/03/2000 14:00:00", "10/03/2000 14:00:30");
    // L'option n'a pu se charger : le prix enregistré est celui du tarif seul, l'outil le dit.
    EXPECT_EQ(r.code, sortie_erreur);
    EXPECT_NE(r.erreur.find("Erreur : La valeur « douze »"), std::string::npos) << r.erreur;
    EXPECT_NE(r.sortie.find("duree=00:00:30\nprix_sans_reduction=0.300000\n"), std::string::npos) << r.sortie;
    EXPECT_NE(r.sortie.find("avertissement=La valeur « douze » n'est pas un nombre entier"),
              std::string::npos)
        << r.sortie;
    EXPECT_NE(r.sortie.find("\\rLe compteur continue avec ses derniers chiffres.\n"), std::string::npos)
        << r.sortie;
}

// Un fichier des tarifs inutilisable ou refusé : le compteur le dit une fois, la connexion est
// enregistrée avec sa durée (sans prix), et l'outil sort en erreur en nommant le fichier.
TEST(CommandeSimuler, TarifsInutilisables) {
    struct Cas {
        const char* nom;
        std::optional<std::string> tarifs;  // rien : un dossier à la place du fichier
        const char* extrait;
    };
    const auto corrects = essai::lire_octets(fs::path(LUMI_DONNEES_TESTS) / "compteur_tarifs.ini");
    const auto abimer = [&](const std::string& avant, const std::string& apres) {
        auto texte = corrects;
        return texte.replace(texte.find(avant), avant.size(), apres);
    };
    auto sans_sauts_de_ligne = corrects;
    std::erase(sans_sauts_de_ligne, '\n');
    const Cas cas[] = {
        {"vide", "", "est vide"},
        {"binaire",
         std::string("\x7F"
                     "ELF\x02\x01\x01\0\0",
                     9),
         "n'est pas un fichier texte"},
        {"retours chariot seuls", sans_sauts_de_ligne, "retour chariot seul"},
        {"dossier", std::nullopt, "est un dossier"},
        {"sans section du tarif", abimer("[Seconde]", "[Autre]"), "Le tarif « Seconde » n'a pas de section"},
        {"prix négatif",
         abimer("[Seconde]\r\ncout ht plein tarif=0.6", "[Seconde]\r\ncout ht plein tarif=-0.6"),
         "« cout ht plein tarif »"},
        {"trou dans les plages",
         abimer("[Seconde]\r\ncout ht plein tarif=0.6\r\ncout ht tarif reduit=0.6\r\n"
                "cout ht connexion=0\r\npas=1\r\np1=9,taux1,0,86399",
                "[Seconde]\r\ncout ht plein tarif=0.6\r\ncout ht tarif reduit=0.6\r\n"
                "cout ht connexion=0\r\npas=1\r\np1=9,taux1,0,68399"),
         "68400 à 86399"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        DossierSimulation d;
        const fs::path tarifs = fs::path(d.chemin()) / "tarifs.ini";
        fs::remove(tarifs);
        if (c.tarifs) {
            essai::ecrire_octets(tarifs, *c.tarifs);
        } else {
            fs::create_directory(tarifs);
        }
        const auto r = simuler(d, "10/03/2000 14:00:00", "10/03/2000 14:01:40");
        EXPECT_EQ(r.code, sortie_erreur);
        EXPECT_NE(r.erreur.find(c.extrait), std::string::npos) << r.erreur;
        EXPECT_NE(r.erreur.find(tarifs.string()), std::string::npos) << r.erreur;
        EXPECT_NE(r.sortie.find("duree=00:01:40\nprix_sans_reduction=0.000000\n"), std::string::npos)
            << r.sortie;
        EXPECT_NE(r.sortie.find(";10/03/2000;14H00;00:01:40;"), std::string::npos) << r.sortie;
        // Une boîte, au chargement ; aucune des tops.
        const auto boites = r.sortie.find("avertissement=");
        ASSERT_NE(boites, std::string::npos) << r.sortie;
        EXPECT_EQ(r.sortie.find("avertissement=", boites + 1), std::string::npos) << r.sortie;
        EXPECT_NE(r.sortie.find(c.extrait, boites), std::string::npos) << r.sortie;
    }
}

TEST(CommandeSimuler, ErreursDUsage) {
    DossierSimulation d;
    struct Cas {
        const char* nom;
        std::vector<std::string> arguments;
        const char* extrait;
    };
    const std::string debut = "10/03/2000 14:00:00", fin = "10/03/2000 14:01:00";
    const Cas cas[] = {
        {"sans entrée",
         {"--dossier", d.chemin(), "--debut", debut, "--fin", fin},
         "--entree est obligatoire"},
        {"fin avant le début",
         {"--dossier", d.chemin(), "--entree", "MonFAI", "--debut", fin, "--fin", debut},
         "la fin est avant le début"},
        {"instant illisible",
         {"--dossier", d.chemin(), "--entree", "MonFAI", "--debut", "10/03/2000", "--fin", fin},
         "n'est pas un instant"},
        {"anticipation trop grande",
         {"--dossier", d.chemin(), "--entree", "MonFAI", "--debut", debut, "--fin", fin, "--anticipation",
          "1000"},
         "de 0 à 999"},
        {"anticipation négative",
         {"--dossier", d.chemin(), "--entree", "MonFAI", "--debut", debut, "--fin", fin, "--anticipation",
          "-5"},
         "de 0 à 999"},
        {"anticipation en mode manuel",
         {"--dossier", d.chemin(), "--entree", "MonFAI", "--debut", debut, "--fin", fin, "--manuel",
          "--anticipation", "5"},
         "--manuel"},
        {"option inconnue", {"--dossier", d.chemin(), "--entree", "MonFAI", "--vite"}, "option inconnue"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        std::vector<std::string> a{"simuler"};
        a.insert(a.end(), c.arguments.begin(), c.arguments.end());
        const auto r = lancer(a);
        EXPECT_EQ(r.code, sortie_usage);
        EXPECT_EQ(r.sortie, "");
        EXPECT_NE(r.erreur.find(c.extrait), std::string::npos) << r.erreur;
        EXPECT_NE(r.erreur.find("lumicompteur-outil simuler"), std::string::npos);
    }
}

// Le programme lui-même, comme un script le lance : un jour entier de connexion (le prix du fichier
// est en simple précision, d'où le dernier chiffre).
TEST(CommandeSimuler, ProgrammeSurVingtQuatreHeures) {
    DossierSimulation d;
    const std::string commande =
        std::string(LUMI_OUTIL) + " simuler --dossier '" + d.chemin() +
        "' --entree MonFAI --debut '10/03/2000 14:00:00' --fin '11/03/2000 14:00:00'";
    FILE* tube = ::popen(pour_le_shell(commande).c_str(), "r");
    ASSERT_NE(tube, nullptr);
    std::string sortie;
    char tampon[256];
    while (const auto n = std::fread(tampon, 1, sizeof tampon, tube)) sortie.append(tampon, n);
    EXPECT_EQ(::pclose(tube), 0);
    EXPECT_EQ(sortie,
              "duree=24:00:00\nprix_sans_reduction=864.000061\nreduction=0.000000\nmontant=864.000061\n"
              "tarif=Seconde\noption=\netat=Fin de connexion\n"
              "ligne=non identifié;Seconde;10/03/2000;14H00;24:00:00;Rouge;A;864,000;-4;0;0,000;|;MonFAI;\n");
}

}  // namespace
}  // namespace lumi::cli

namespace lumi::cli {
namespace {

// Le plafond rangé s'applique au rejeu : les instants de l'alerte et du plafond, et avec
// « raccrocher » la connexion finit au plafond, après le décompte.
TEST(CommandeSimuler, PlafondDeLaFacture) {
    struct Cas {
        const char* action;
        const char* delai;
        std::vector<std::string> attendues;
    };
    const Cas cas[] = {
        {"avertir",
         "3",
         {"plafond_alerte=10/03/2000 14:02:30", "plafond_atteint=10/03/2000 14:05:00", "duree=00:12:05",
          "son=alarme.wav"}},
        {"raccrocher",
         "3",
         {"plafond_alerte=10/03/2000 14:02:30", "plafond_atteint=10/03/2000 14:05:00", "duree=00:05:03",
          "son=alarme.wav"}},
        {"raccrocher", "0", {"plafond_atteint=10/03/2000 14:05:00", "duree=00:05:00"}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(std::string(c.action) + " " + c.delai);
        DossierSimulation d;
        d.ecrire("\\options", "plafond facture", "3");
        d.ecrire("\\options", "plafond alerte", "50");
        d.ecrire("\\options", "plafond action", c.action);
        d.ecrire("\\options", "delai auto validation", c.delai);
        const auto r = simuler(d, "10/03/2000 14:00:00", "10/03/2000 14:12:05");
        ASSERT_EQ(r.code, sortie_ok) << r.erreur;
        for (const auto& ligne : c.attendues)
            EXPECT_NE(r.sortie.find(ligne + "\n"), std::string::npos) << ligne << "\n" << r.sortie;
    }
}

}  // namespace
}  // namespace lumi::cli
