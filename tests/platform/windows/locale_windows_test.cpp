// Le séparateur décimal et le symbole monétaire de l'utilisateur sous Windows : ce que rend
// lire_valeurs_locales_systeme face à GetLocaleInfoEx, dans la locale de la session (sous Wine,
// celle de LANG, que CMake fait tourner entre fr_FR et en_US) et avec les réglages de l'utilisateur
// posés comme le panneau de configuration les pose (SetLocaleInfoW).
#include <gtest/gtest.h>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/locale.hpp"

namespace lumi {
namespace {

// Lu ici sans le code du programme : WideCharToMultiByte, tampon fixe.
std::string info(LCTYPE element) {
    wchar_t large[128] = {};
    if (::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, element, large, 128) <= 0) return "<erreur>";
    char utf8[512] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, large, -1, utf8, sizeof utf8, nullptr, nullptr);
    return utf8;
}

std::wstring large(const std::string& utf8) {
    wchar_t tampon[128] = {};
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, tampon, 128);
    return tampon;
}

TEST(LocaleWindows, LesValeursSontCellesDeLaSession) {
    const std::string separateur = info(LOCALE_SDECIMAL);
    const std::string symbole = info(LOCALE_SCURRENCY);
    const ValeursLocales v = lire_valeurs_locales_systeme();
    EXPECT_EQ(std::string(1, v.separateur_decimal), separateur) << info(LOCALE_SNAME);
    EXPECT_EQ(v.symbole_monetaire, symbole) << info(LOCALE_SNAME);

    // Lancé par CMake dans une locale donnée : Wine l'a-t-il prise, et ses valeurs sont-elles lues ?
    const char* attendue = std::getenv("LUMI_ESSAI_LOCALE");
    if (!attendue) return;
    // La locale compilée pour l'essai (chemin de Linux, lu par le lecteur Z: de Wine).
    const char* dossier = std::getenv("LOCPATH");
    const char* lang = std::getenv("LANG");
    if (!dossier || !lang || !std::filesystem::exists(std::filesystem::path(dossier) / lang / "LC_CTYPE"))
        GTEST_SKIP() << "locale " << (lang ? lang : "?") << " non compilée (localedef, sources des locales)";
    ASSERT_EQ(info(LOCALE_SNAME), attendue) << "Wine n'a pas pris la locale de LANG";
    const bool francaise = std::string(attendue) == "fr-FR";
    EXPECT_EQ(v.separateur_decimal, francaise ? ',' : '.');
    EXPECT_EQ(v.symbole_monetaire, francaise ? "€" : "$");
}

// Les réglages de l'utilisateur, rendus tels qu'ils étaient à la fin de l'essai.
class ReglagesUtilisateur {
public:
    ReglagesUtilisateur() : separateur_(info(LOCALE_SDECIMAL)), symbole_(info(LOCALE_SCURRENCY)) {}
    ~ReglagesUtilisateur() {
        poser(LOCALE_SDECIMAL, separateur_);
        poser(LOCALE_SCURRENCY, symbole_);
    }
    ReglagesUtilisateur(const ReglagesUtilisateur&) = delete;
    ReglagesUtilisateur& operator=(const ReglagesUtilisateur&) = delete;
    static bool poser(LCTYPE element, const std::string& utf8) {
        return ::SetLocaleInfoW(LOCALE_USER_DEFAULT, element, large(utf8).c_str()) != 0;
    }

private:
    std::string separateur_;
    std::string symbole_;
};

TEST(LocaleWindows, LesReglagesDeLUtilisateurSontSuivis) {
    struct Cas {
        std::string separateur;
        std::string symbole;
        char separateur_lu;
        std::string symbole_lu;
    };
    const std::vector<Cas> cas = {
        {",", "€", ',', "€"},
        {".", "F", '.', "F"},
        {".", "Fr.", '.', "Fr."},
        {"\u066B", "\u062F.\u0625.", ',', "\u062F.\u0625."},  // séparateur arabe : hors ASCII
        {";", "Frs", ',', "Frs"},                             // couperait un enregistrement
        {" ", "$", ',', "$"},                                 // un montant rangé ne se relirait pas
        {",,", "F", ',', "F"},
    };
    const ReglagesUtilisateur gardes;
    for (const auto& c : cas) {
        ASSERT_TRUE(ReglagesUtilisateur::poser(LOCALE_SDECIMAL, c.separateur)) << c.separateur;
        ASSERT_TRUE(ReglagesUtilisateur::poser(LOCALE_SCURRENCY, c.symbole)) << c.symbole;
        ASSERT_EQ(info(LOCALE_SDECIMAL), c.separateur) << "Windows n'a pas gardé le réglage";
        const ValeursLocales v = lire_valeurs_locales_systeme();
        EXPECT_EQ(v.separateur_decimal, c.separateur_lu) << "« " << c.separateur << " »";
        EXPECT_EQ(v.symbole_monetaire, c.symbole_lu) << "« " << c.symbole << " »";
    }
}

}  // namespace
}  // namespace lumi
