#include <gtest/gtest.h>
#include <filesystem>
#include <string>

#include "base/fichiers.hpp"
#include "commun/soutien.hpp"
#include "core/accueil/import_historique.hpp"
#include "core/accueil/modele_accueil.hpp"
#include "settings/registre_memoire.hpp"

namespace lumi {
namespace {

namespace fs = std::filesystem;

// Un HOME d'essai, un dossier Historique de cette édition, et ce qu'il faut pour les poser.
struct PosteImport {
    essai::DossierTemporaire racine{"lumi-accueil"};
    fs::path home = racine / "home";
    fs::path historique = racine / "donnees" / "Historique";
    RegistreMemoire registre;
    DialogueScripte dialogue;
    FichierIni reglages{fs::path(LUMI_DOSSIER_DATA_SOURCE) / "lumicompteur.ini"};

    PosteImport() { fs::create_directories(home); }

    EnvironnementImport env() const {
        EnvironnementImport e;
        e.personnel = home;
        e.config_systeme.clear();
        return e;
    }
    void fichier(const fs::path& chemin, const std::string& contenu = "Lumicompteur 98\r\n") {
        fs::create_directories(chemin.parent_path());
        essai::ecrire_octets(chemin, contenu);
    }
    // Une ligne Exec échappe les barres obliques inverses : les chemins y sont écrits avec « / ».
    void autostart(const std::string& exec) {
        fichier(home / ".config" / "autostart" / "Lumicompteur 98.desktop",
                "[Desktop Entry]\nType=Application\nName=Lumicompteur 98\nExec=" + exec + "\n");
    }
    ModeleAccueil modele() { return ModeleAccueil({reglages, registre, dialogue, historique, env()}); }
};

TEST(ImportHistorique, SeulsLesFichiersDuMoisSontListes) {
    PosteImport p;
    const fs::path d = p.racine / "ancien";
    for (const char* nom :
         {"mars99.fct", "fevrier98.fct", "notes.fct", "janvierXY.fct", "avril99.txt", "MAI99.FCT"})
        p.fichier(d / nom);
    // Un nom écrit en Windows-1252 par l'édition précédente : « décembre99.fct ». Sous Windows, le
    // système le range en Unicode et le rend en UTF-8.
    p.fichier(d / std::string("d\xe9"
                              "cembre99.fct"));
    fs::create_directories(d / "juin99.fct");
#ifdef _WIN32
    const std::string decembre = "décembre99.fct";
#else
    const std::string decembre =
        "d\xe9"
        "cembre99.fct";
#endif
    EXPECT_EQ(recherche_des_fichiers(d), (std::vector<std::string>{"MAI99.FCT", decembre, "fevrier98.fct",
                                                                   "janvierXY.fct", "mars99.fct"}));
}

TEST(ImportHistorique, RechercheAutomatique) {
    struct Cas {
        const char* nom;
        std::function<fs::path(PosteImport&)> preparer;  // rend le dossier source attendu (vide : rien)
    } const cas[] = {
        {"entrée de démarrage, sans « Path »",
         [](PosteImport& p) {
             p.fichier(p.racine / "l98" / "mars99.fct");
             p.autostart(p.racine.chemin().generic_string() + "/l98/lumi98.exe -invisible");
             return p.racine / "l98";
         }},
        {"sous-dossier historique de l'édition précédente",
         [](PosteImport& p) {
             p.fichier(p.racine / "l98" / "historique" / "avril99.fct");
             p.autostart("\"" + p.racine.chemin().generic_string() + "/l98/lumi98.exe\"");
             return p.racine / "l98" / "historique";
         }},
    // Un préfixe Wine ne se voit que de Linux : sous Windows, l'édition précédente est chez elle.
#ifndef _WIN32
        {"préfixe Wine : la clé Run de system.reg",
         [](PosteImport& p) {
             const fs::path prefixe = p.home / ".wine";
             p.fichier(prefixe / "drive_c" / "Program Files" / "Lumicompteur 98" / "janvier00.fct");
             fs::create_directories(prefixe / "dosdevices");
             fs::create_symlink("../drive_c", prefixe / "dosdevices" / "c:");
             p.fichier(
                 prefixe / "system.reg",
                 "WINE REGISTRY Version 2\n\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run] "
                 "1700000000\n#time=1d9\n\"Lumicompteur 98\"=\"C:\\\\Program Files\\\\Lumicompteur "
                 "98\\\\lumi98.exe\"\n");
             return prefixe / "dosdevices" / "c:" / "Program Files" / "Lumicompteur 98";
         }},
        {"clé Run entre guillemets, suivie de -invisible",
         [](PosteImport& p) {
             const fs::path prefixe = p.home / ".wine";
             p.fichier(prefixe / "drive_c" / "Program Files" / "Lumicompteur 98" / "LUMI98.EXE");
             p.fichier(prefixe / "drive_c" / "Program Files" / "Lumicompteur 98" / "janvier00.fct");
             p.fichier(
                 prefixe / "system.reg",
                 "WINE REGISTRY Version 2\n\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run] "
                 "1700000000\n\"Lumicompteur 98\"=\"\\\"C:\\\\Program Files\\\\Lumicompteur "
                 "98\\\\LUMI98.EXE\\\" -invisible\"\n");
             return prefixe / "drive_c" / "Program Files" / "Lumicompteur 98";
         }},
        {"clé Run en noms courts, fichiers dans le sous-dossier historique",
         [](PosteImport& p) {
             const fs::path prefixe = p.home / ".wine";
             p.fichier(prefixe / "drive_c" / "Program Files" / "Lumicompteur 98" / "LUMI98.EXE");
             p.fichier(prefixe / "drive_c" / "Program Files" / "Lumicompteur 98" / "historique" /
                       "fevrier98.fct");
             fs::create_directories(prefixe / "drive_c" / "ProgramData");
             p.fichier(
                 prefixe / "system.reg",
                 "WINE REGISTRY Version 2\n\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run] "
                 "1700000000\n\"Lumicompteur 98\"=\"C:\\\\PROGRA~1\\\\LUMICO~1\\\\LUMI98.EXE -invisible\"\n");
             return prefixe / "drive_c" / "Program Files" / "Lumicompteur 98" / "historique";
         }},
#endif
        {"« Path » du magasin, son sous-dossier Historique d'abord",
         [](PosteImport& p) {
             p.fichier(p.racine / "vieux" / "Historique" / "mai99.fct");
             p.fichier(p.racine / "vieux" / "juin99.fct");
             p.registre.ecrire_valeur(cle_chemin_edition_98(), "Path", (p.racine / "vieux").string());
             return p.racine / "vieux" / "Historique";
         }},
        {"rien : la recherche manuelle", [](PosteImport&) { return fs::path(); }},
    };
    for (const auto& c : cas) {
        PosteImport p;
        const fs::path attendu = c.preparer(p);
        const auto t = recherche_automatique(p.env(), p.registre);
        if (attendu.empty()) {
            EXPECT_FALSE(t.source) << c.nom;
        } else {
            ASSERT_TRUE(t.source) << c.nom;
            EXPECT_TRUE(fs::equivalent(*t.source, attendu)) << c.nom << " : " << *t.source;
            EXPECT_EQ(t.fichiers.size(), 1u) << c.nom;
        }
    }
}

TEST(ImportHistorique, ToutRemplaceSansAutreQuestionEtUnEchecLaisseLaDestination) {
    PosteImport p;
    const fs::path source = p.racine / "ancien";
    for (const char* nom : {"janvier99.fct", "fevrier99.fct", "mars99.fct"})
        p.fichier(source / nom, "nouveau");
    p.fichier(p.historique / "janvier99.fct", "ancien");
    p.fichier(p.historique / "fevrier99.fct", "ancien");
    p.dialogue.prevoir_reponse(Reponse::tout);
    const auto r = copie_des_fichiers(source, {"fevrier99.fct", "janvier99.fct", "mars99.fct"}, p.historique,
                                      [&](const std::string& t) { return p.dialogue.question(t, true); });
    ASSERT_EQ(p.dialogue.boites().size(), 1u);
    EXPECT_EQ(p.dialogue.boites()[0].texte,
              "Le fichier fevrier99.fct existe déjà !\nVoulez-vous le remplacer ?");
    EXPECT_EQ(r.copies.size(), 3u);
    // Février arrive sous le nom que cette édition écrit, et remplace l'ancien nom sans accent.
    for (const char* nom : {"janvier99.fct", "février99.fct", "mars99.fct"})
        EXPECT_EQ(essai::lire_octets(p.historique / chemin_utf8(nom)), "nouveau") << nom;
    EXPECT_FALSE(fs::exists(p.historique / "fevrier99.fct"));

    // « &Non » laisse le fichier ; une source illisible laisse la destination intacte et est nommée.
    p.fichier(source / "avril99.fct", "nouveau");
    p.fichier(p.historique / "avril99.fct", "ancien");
    p.fichier(p.historique / "mai99.fct", "ancien");
    fs::create_directories(source / "mai99.fct");  // illisible comme fichier, même pour root
    p.dialogue.oublier();
    p.dialogue.prevoir_reponse(Reponse::non);
    p.dialogue.prevoir_reponse(Reponse::oui);
    const auto r2 = copie_des_fichiers(source, {"avril99.fct", "mai99.fct"}, p.historique,
                                       [&](const std::string& t) { return p.dialogue.question(t, true); });
    EXPECT_EQ(r2.laisses, std::vector<std::string>{"avril99.fct"});
    ASSERT_EQ(r2.echecs.size(), 1u);
    EXPECT_EQ(r2.echecs[0].first, "mai99.fct");
    EXPECT_EQ(essai::lire_octets(p.historique / "avril99.fct"), "ancien");
    EXPECT_EQ(essai::lire_octets(p.historique / "mai99.fct"), "ancien");
}

TEST(ImportHistorique, LeDossierHistoriqueCommeSourceNeCopieRien) {
    PosteImport p;
    p.fichier(p.historique / "mars99.fct", "le même");
    const auto r = copie_des_fichiers(p.historique / ".", {"mars99.fct"}, p.historique,
                                      [](const std::string&) { return Reponse::oui; });
    EXPECT_TRUE(r.copies.empty() && r.echecs.empty());
    EXPECT_EQ(essai::lire_octets(p.historique / "mars99.fct"), "le même");
}

TEST(ModeleAccueil, LesPagesEtLeursBoutons) {
    PosteImport p;
    p.fichier(p.racine / "l98" / "mars99.fct");
    p.autostart(p.racine.chemin().generic_string() + "/l98/lumi98.exe");
    auto m = p.modele();
    EXPECT_EQ(m.page(), PageAccueil::bienvenue);
    EXPECT_EQ(m.contenu().entete, "Bienvenue dans");
    EXPECT_FALSE(m.boutons().terminer_actif);
    m.suivant();
    EXPECT_EQ(m.page(), PageAccueil::recherche);
    EXPECT_TRUE(m.boutons().annuler);
    m.suivant();
    ASSERT_EQ(m.page(), PageAccueil::liste);
    EXPECT_EQ(m.fichiers(), std::vector<std::string>{"mars99.fct"});
    m.suivant();
    EXPECT_EQ(m.page(), PageAccueil::copies);
    EXPECT_TRUE(fs::exists(p.historique / "mars99.fct"));
    EXPECT_TRUE(m.contenu().note.empty());
    m.suivant();
    EXPECT_EQ(m.page(), PageAccueil::fin_import);
    m.suivant();
    EXPECT_EQ(m.page(), PageAccueil::derniere);
    EXPECT_FALSE(m.boutons().suivant);
    EXPECT_TRUE(m.boutons().terminer_actif);
    EXPECT_EQ(m.contenu().note, "Bonne utilisation de Lumicompteur 2000 !");
}

TEST(ModeleAccueil, RechercheManuelle) {
    PosteImport p;
    auto m = p.modele();
    m.suivant();
    m.suivant();  // rien trouvé
    ASSERT_EQ(m.page(), PageAccueil::manuelle);
    EXPECT_FALSE(m.boutons().suivant_actif);
    m.changer_chemin((p.racine / "nulle part").string());
    EXPECT_FALSE(m.boutons().suivant_actif);
    // Un dossier sans fichier du mois : l'avertissement, le champ vidé.
    fs::create_directories(p.racine / "vide");
    m.choisir_dossier(p.racine / "vide");
    EXPECT_TRUE(m.boutons().suivant_actif);
    m.suivant();
    EXPECT_EQ(m.page(), PageAccueil::manuelle);
    ASSERT_EQ(p.dialogue.boites().size(), 1u);
    EXPECT_NE(p.dialogue.boites()[0].texte.find('\n'), std::string::npos);
    EXPECT_TRUE(m.chemin_manuel().empty());
    // Le dossier de l'édition précédente : ses mois sont dans son sous-dossier « historique ».
    p.fichier(p.racine / "ici" / "historique" / "avril00.fct");
    p.fichier(p.racine / "ici" / "LUMI98.EXE");
    m.changer_chemin((p.racine / "ici").string());
    m.suivant();
    EXPECT_EQ(m.page(), PageAccueil::liste);
    EXPECT_EQ(p.dialogue.boites().size(), 1u);
    EXPECT_EQ(m.fichiers(), std::vector<std::string>{"avril00.fct"});
    // « &Annuler » de la recherche mène à la fin de la reprise.
    auto m2 = p.modele();
    m2.suivant();
    m2.annuler();
    EXPECT_EQ(m2.page(), PageAccueil::fin_import);
}

}  // namespace
}  // namespace lumi
