// Le système sous Linux : comptes lus dans un fichier passwd d'essai, entrée de démarrage
// automatique dans un dossier de configuration temporaire.
#include "platform/linux/systeme_linux.hpp"

#include <gtest/gtest.h>

#include <map>

#include "commun/soutien.hpp"

namespace lumi {
namespace {

using essai::DossierTemporaire;

LecteurEnvironnement environnement(std::map<std::string, std::string> valeurs) {
    return [valeurs](const char* nom) -> std::optional<std::string> {
        const auto it = valeurs.find(nom);
        if (it == valeurs.end()) return std::nullopt;
        return it->second;
    };
}

TEST(ComptesLinux, SeulesLesPersonnesQuiOuvrentUneSession) {
    DossierTemporaire d;
    essai::ecrire_octets(d / "passwd",
                         "root:x:0:0:root:/root:/bin/bash\n"
                         "daemon:x:1:1:daemon:/usr/sbin:/usr/sbin/nologin\n"
                         "anne:x:1000:1000:Anne,,,:/home/anne:/bin/bash\n"
                         "service:x:1001:1001::/srv:/usr/sbin/nologin\n"
                         "ligne abîmée\n"
                         "paul:x:1002:1002::/home/paul:/bin/zsh\n"
                         "nobody:x:65534:65534:nobody:/nonexistent:/usr/sbin/nologin\n"
                         "bloque:x:1003:1003::/home/b:/bin/false\n");
    const SystemeLinux systeme(d / "passwd", environnement({}));
    EXPECT_EQ(systeme.profils_utilisateurs(), (std::vector<std::string>{"anne", "paul"}));
    EXPECT_TRUE(SystemeLinux(d / "absent", environnement({})).profils_utilisateurs().empty());
    EXPECT_FALSE(systeme.utilisateur_connecte().empty());
}

struct CasDossier {
    const char* nom;
    std::map<std::string, std::string> env;
    std::string attendu;
};

class DossierAutostart : public testing::TestWithParam<CasDossier> {};

TEST_P(DossierAutostart, XdgConfigHomeRespecte) {
    const SystemeLinux systeme("/etc/passwd", environnement(GetParam().env));
    EXPECT_EQ(systeme.dossier_demarrage_automatique().string(), GetParam().attendu);
}

INSTANTIATE_TEST_SUITE_P(
    Cas, DossierAutostart,
    testing::Values(
        CasDossier{"xdg_config_home", {{"XDG_CONFIG_HOME", "/c"}, {"HOME", "/h"}}, "/c/autostart"},
        CasDossier{"home_sans_xdg", {{"HOME", "/h"}}, "/h/.config/autostart"},
        CasDossier{
            "xdg_relatif_ignore", {{"XDG_CONFIG_HOME", "rel"}, {"HOME", "/h"}}, "/h/.config/autostart"},
        CasDossier{"rien", {}, ""}),
    [](const testing::TestParamInfo<CasDossier>& i) { return std::string(i.param.nom); });

TEST(LigneExec, AllerRetourDesCheminsDifficiles) {
    const std::vector<CommandeSysteme> commandes{
        {"/usr/bin/lumicompteur", "-invisible"},
        {"/home/anne/Mes programmes/lumicompteur", "-invisible"},
        {"/opt/a\"b$c`d\\e/lumi", "-invisible"},
        {"/opt/100%/lumi", "-invisible"},
        {"/opt/lumi", ""},
    };
    for (const auto& c : commandes) {
        const std::string exec = ligne_exec_desktop(c);
        EXPECT_EQ(exec.find('\n'), std::string::npos);
        EXPECT_EQ(lire_ligne_exec_desktop(exec), c) << exec;
    }
    EXPECT_EQ(ligne_exec_desktop({"/usr/bin/lumicompteur", "-invisible"}),
              "/usr/bin/lumicompteur -invisible");
    EXPECT_EQ(ligne_exec_desktop({"/a b/lumi", "-invisible"}), "\"/a b/lumi\" -invisible");
    EXPECT_FALSE(lire_ligne_exec_desktop("\"non fermé"));
    EXPECT_FALSE(lire_ligne_exec_desktop(""));
}

TEST(DemarrageAutomatiqueLinux, EcrireLireEffacer) {
    DossierTemporaire d;
    SystemeLinux systeme("/etc/passwd", environnement({{"XDG_CONFIG_HOME", d.chemin().string()}}));
    EXPECT_FALSE(systeme.lire_demarrage_automatique("Lumicompteur 2000"));

    const CommandeSysteme commande{"/home/anne/Mes programmes/lumicompteur", "-invisible"};
    ASSERT_TRUE(systeme.ecrire_demarrage_automatique("Lumicompteur 2000", commande));
    const auto fichier = d / "autostart/Lumicompteur 2000.desktop";
    const std::string contenu = essai::lire_octets(fichier);
    EXPECT_NE(contenu.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(contenu.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(contenu.find("\nName=Lumicompteur 2000\n"), std::string::npos);
    EXPECT_NE(contenu.find("\nExec=\"/home/anne/Mes programmes/lumicompteur\" -invisible\n"),
              std::string::npos);
    EXPECT_EQ(systeme.lire_demarrage_automatique("Lumicompteur 2000"), commande);

    systeme.effacer_demarrage_automatique("Lumicompteur 2000");
    EXPECT_FALSE(std::filesystem::exists(fichier));
    systeme.effacer_demarrage_automatique("Lumicompteur 2000");  // absente : rien
}

TEST(DemarrageAutomatiqueLinux, ExecHorsDuGroupeIgnore) {
    DossierTemporaire d;
    std::filesystem::create_directories(d / "autostart");
    essai::ecrire_octets(
        d / "autostart/Lumicompteur 2000.desktop",
        "[Autre]\nExec=/faux\n[Desktop Entry]\r\nExecutable=non\r\nExec = /vrai -invisible\r\n");
    const SystemeLinux systeme("/etc/passwd", environnement({{"XDG_CONFIG_HOME", d.chemin().string()}}));
    EXPECT_EQ(systeme.lire_demarrage_automatique("Lumicompteur 2000"),
              (CommandeSysteme{"/vrai", "-invisible"}));
}

TEST(DemarrageAutomatiqueLinux, SansDossierRienNEstEcrit) {
    SystemeLinux systeme("/etc/passwd", environnement({}));
    EXPECT_FALSE(systeme.ecrire_demarrage_automatique("Lumicompteur 2000", {"/a", "-invisible"}));
}

}  // namespace
}  // namespace lumi
