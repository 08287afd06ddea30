#include "settings/dossier_donnees.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

#include "base/erreurs.hpp"
#include "base/fichiers.hpp"
#include "commun/soutien.hpp"
#include "settings/fichier_ini.hpp"
#ifndef _WIN32
#include "settings/registre_sqlite.hpp"
#endif

namespace lumi {
namespace {

namespace fs = std::filesystem;

class DossierDonneesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        racine_ = fs::path(::testing::TempDir()) / "lumi_dossier" / info->test_suite_name() / info->name();
        fs::remove_all(racine_);
        fs::create_directories(racine_);
    }
    void TearDown() override { fs::remove_all(racine_); }

    static void poser(const fs::path& chemin, const std::string& octets) {
        fs::create_directories(chemin.parent_path());
        std::ofstream(chemin, std::ios::binary) << octets;
    }

    fs::path racine_;
};

// Choix du dossier ------------------------------------------------------------------------------

// Un chemin absolu : sous Windows, il commence par une lettre de lecteur.
#ifdef _WIN32
#define ABSOLU "C:"
#else
#define ABSOLU ""
#endif

struct CasChoix {
    const char* nom;
    std::optional<std::string> option;
    bool portable;  // tarifs.ini à côté de l'exécutable
    std::map<std::string, std::string> environnement;
    std::string attendu;  // "<exe>" : le dossier de l'exécutable
};

// Un cas se montre par son nom dans les messages de GoogleTest.
void PrintTo(const CasChoix& c, std::ostream* os) {
    *os << c.nom;
}

const CasChoix cas_choix[] = {
    {"option_dossier_prioritaire",
     ABSOLU "/srv/compteur",
     true,
     {{"XDG_DATA_HOME", ABSOLU "/xdg"}, {"HOME", ABSOLU "/home/u"}},
     ABSOLU "/srv/compteur"},
    {"installation_portable",
     std::nullopt,
     true,
     {{"XDG_DATA_HOME", ABSOLU "/xdg"}, {"HOME", ABSOLU "/home/u"}},
     "<exe>"},
    {"xdg_data_home",
     std::nullopt,
     false,
     {{"XDG_DATA_HOME", ABSOLU "/xdg"}, {"HOME", ABSOLU "/home/u"}},
     ABSOLU "/xdg/lumicompteur"},
    {"xdg_vide_donne_home",
     std::nullopt,
     false,
     {{"XDG_DATA_HOME", ""}, {"HOME", ABSOLU "/home/u"}},
     ABSOLU "/home/u/.local/share/lumicompteur"},
    {"xdg_relatif_ignore",
     std::nullopt,
     false,
     {{"XDG_DATA_HOME", "rel/xdg"}, {"HOME", ABSOLU "/home/u"}},
     ABSOLU "/home/u/.local/share/lumicompteur"},
    {"xdg_absent_donne_home",
     std::nullopt,
     false,
     {{"HOME", ABSOLU "/home/u"}},
     ABSOLU "/home/u/.local/share/lumicompteur"},
    {"option_vide_ignoree",
     "",
     false,
     {{"HOME", ABSOLU "/home/u"}},
     ABSOLU "/home/u/.local/share/lumicompteur"},
#ifdef _WIN32
    // Sous Windows, le profil itinérant passe avant les chemins XDG.
    {"appdata_windows",
     std::nullopt,
     false,
     {{"APPDATA", ABSOLU "/Users/u/AppData/Roaming"}, {"XDG_DATA_HOME", ABSOLU "/xdg"}},
     ABSOLU "/Users/u/AppData/Roaming/Lumicompteur"},
#endif
};

class ChoixDossier : public DossierDonneesTest, public ::testing::WithParamInterface<CasChoix> {};

TEST_P(ChoixDossier, SuitLOrdreDePriorite) {
    const CasChoix& c = GetParam();
    const fs::path exe = racine_ / "bin";
    fs::create_directories(exe);
    if (c.portable) poser(exe / fichier_tarifs, "[TVA]\r\n");
    const auto environnement = [&](const char* nom) -> std::optional<std::string> {
        const auto it = c.environnement.find(nom);
        if (it == c.environnement.end()) return std::nullopt;
        return it->second;
    };
    const std::optional<fs::path> option =
        c.option ? std::optional<fs::path>(*c.option) : std::optional<fs::path>();
    const fs::path attendu = std::string(c.attendu) == "<exe>" ? exe : fs::path(c.attendu);
    EXPECT_EQ(choisir_dossier_donnees(option, exe, environnement), attendu);
}

INSTANTIATE_TEST_SUITE_P(Cas, ChoixDossier, ::testing::ValuesIn(cas_choix),
                         [](const auto& info) { return std::string(info.param.nom); });

TEST_F(DossierDonneesTest, UnDossierTarifsNeFaitPasUneInstallationPortable) {
    fs::create_directories(racine_ / "bin" / fichier_tarifs);
    const auto environnement = [](const char* nom) -> std::optional<std::string> {
        if (std::string(nom) == "HOME") return ABSOLU "/home/u";
        return std::nullopt;
    };
    EXPECT_EQ(choisir_dossier_donnees(std::nullopt, racine_ / "bin", environnement),
              fs::path(ABSOLU "/home/u/.local/share/lumicompteur"));
}

TEST_F(DossierDonneesTest, SansHomeLeCompteDonneLeDossierPersonnel) {
    const auto vide = [](const char*) -> std::optional<std::string> { return std::nullopt; };
    const fs::path choisi = choisir_dossier_donnees(std::nullopt, racine_, vide);
    EXPECT_TRUE(choisi.is_absolute());
    EXPECT_EQ(choisi.filename(), "lumicompteur");
    EXPECT_EQ(choisi.parent_path().filename(), "share");
}

TEST_F(DossierDonneesTest, DonneesParDefautInstalleesAvantLesSources) {
    EXPECT_EQ(dossier_donnees_par_defaut(racine_ / "bin"), fs::path(LUMI_DOSSIER_DATA_SOURCE));
    // Un programme installé sur la machine qui l'a compilé prend les fichiers de son installation.
    fs::create_directories(racine_ / "usr" / "bin");
    fs::create_directories(racine_ / "usr" / "share" / "lumicompteur");
    EXPECT_EQ(dossier_donnees_par_defaut(racine_ / "usr" / "bin"),
              racine_ / "usr" / "share" / "lumicompteur");
}

TEST_F(DossierDonneesTest, DossierDeLExecutableCourant) {
#ifdef _WIN32
    EXPECT_TRUE(fs::is_regular_file(dossier_executable_courant() / "tests_settings.exe"));
#else
    EXPECT_TRUE(fs::is_regular_file(dossier_executable_courant() / "tests_settings"));
#endif
}

// Amorçage --------------------------------------------------------------------------------------

TEST_F(DossierDonneesTest, AmorcageCopieLesFichiersManquantsSansEcraser) {
    const fs::path source = racine_ / "data";
    const std::string son("RIFF\0\x01\x02WAVE", 11);
    poser(source / "tarifs.ini", "[TVA]\r\ntaux=19.6\r\n");
    poser(source / "Couleur.ini", "[16 bits]\r\n");
    poser(source / "lumicompteur.ini", "[messages utilisateurs]\r\nmessage 1=Bonjour\r\n");
    poser(source / "alarme.wav", son);
    poser(source / "aide" / "images" / "index.html", "<p>aide</p>");

    const fs::path dossier = racine_ / "profil" / "lumicompteur";
    poser(dossier / "tarifs.ini", "[TVA]\r\ntaux=5.5\r\n");  // modifié par l'utilisateur

    amorcer_dossier_donnees(dossier, source);
    EXPECT_TRUE(fs::is_directory(dossier / dossier_historique));
    EXPECT_EQ(lire_fichier(dossier / "tarifs.ini"), "[TVA]\r\ntaux=5.5\r\n");
    EXPECT_EQ(lire_fichier(dossier / "Couleur.ini"), "[16 bits]\r\n");
    EXPECT_EQ(lire_fichier(dossier / "lumicompteur.ini"), "[messages utilisateurs]\r\nmessage 1=Bonjour\r\n");
    EXPECT_EQ(lire_fichier(dossier / "alarme.wav"), son);
    EXPECT_EQ(lire_fichier(dossier / "aide" / "images" / "index.html"), "<p>aide</p>");

    // Un second amorçage garde les fichiers modifiés depuis et remet seulement ce qui manque.
    poser(dossier / "Couleur.ini", "[16 bits]\r\nfond=clBlack\r\n");
    fs::remove(dossier / "alarme.wav");
    amorcer_dossier_donnees(dossier, source);
    EXPECT_EQ(lire_fichier(dossier / "Couleur.ini"), "[16 bits]\r\nfond=clBlack\r\n");
    EXPECT_EQ(lire_fichier(dossier / "alarme.wav"), son);
}

// Un dossier de données neuf, ce qu'on y copie et la base de réglages qu'on y ouvre ne regardent
// que l'utilisateur, quel que soit son masque ; le dossier parent qui existait garde ses droits.
// Droits POSIX et base SQLite : propre à Linux (sous Windows, le dossier du profil est à l'utilisateur).
#ifndef _WIN32
TEST_F(DossierDonneesTest, UnDossierDeDonneesNeufEstPrive) {
    using essai::droits_de;
    const fs::path source = racine_ / "data";
    poser(source / "lumicompteur.ini", "[messages utilisateurs]\r\nmessage 1=Bonjour\r\n");
    poser(source / "aide" / "index.html", "<p>aide</p>");
    ASSERT_EQ(::chmod(racine_.c_str(), 0755), 0);
    for (const mode_t masque : {mode_t{022}, mode_t{0}}) {
        SCOPED_TRACE("masque " + std::to_string(masque));
        const essai::MasqueCreation m(masque);
        const fs::path share = racine_ / ("share-" + std::to_string(masque));
        const fs::path dossier = share / "lumicompteur";
        amorcer_dossier_donnees(dossier, source);
        EXPECT_EQ(droits_de(racine_), 0755);
        for (const fs::path& d : {share, dossier, dossier / dossier_historique, dossier / "aide"})
            EXPECT_EQ(droits_de(d), 0700) << d;
        for (const fs::path& f : {dossier / "lumicompteur.ini", dossier / "aide" / "index.html"})
            EXPECT_EQ(droits_de(f), 0600) << f;

        FichierIni(dossier / fichier_reglages).ecrire("test", "cle", "valeur");
        EXPECT_EQ(droits_de(dossier / fichier_reglages), 0600);

        // La base et ses journaux, tant qu'elle est ouverte.
        RegistreSqlite registre(dossier / RegistreSqlite::nom_fichier);
        ASSERT_TRUE(registre.ecrire_valeur_et_vider("a", "b", "c"));
        for (const char* suffixe : {"", "-wal", "-shm"}) {
            EXPECT_EQ(droits_de(dossier / (std::string(RegistreSqlite::nom_fichier) + suffixe)), 0600)
                << suffixe;
        }
    }
}
#endif

TEST_F(DossierDonneesTest, AmorcageSansSourceCreeLeDossier) {
    const fs::path dossier = racine_ / "neuf";
    amorcer_dossier_donnees(dossier, racine_ / "pas de source");
    EXPECT_TRUE(fs::is_directory(dossier / dossier_historique));
}

TEST_F(DossierDonneesTest, DossierImpossibleACreerNommeLeDossier) {
    poser(racine_ / "fichier", "x");
    const fs::path dossier = racine_ / "fichier" / "donnees";  // le parent est un fichier
    try {
        amorcer_dossier_donnees(dossier, racine_);
        FAIL() << "ErreurFichier attendue";
    } catch (const ErreurFichier& e) {
        EXPECT_NE(std::string(e.what()).find(dossier.string()), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace lumi
