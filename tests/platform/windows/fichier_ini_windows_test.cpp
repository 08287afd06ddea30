// Le lecteur INI du programme face à GetPrivateProfileStringA, sous Wine (ou Windows) : les fichiers
// livrés, puis une table de lignes bizarres. Windows fait foi pour les fichiers écrits par ses
// outils ; chaque écart voulu est dans la table avec sa raison.
#include <gtest/gtest.h>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/texte.hpp"
#include "commun/soutien.hpp"
#include "settings/fichier_ini.hpp"

namespace lumi::essai {
namespace {

namespace fs = std::filesystem;

// Ce que rend GetPrivateProfileStringA, en UTF-8 ; `cle` vide : l'énumération des clés (forme à
// clé NULL), une clé par élément.
std::vector<std::string> lire_windows(const fs::path& fichier, const std::string& section,
                                      const std::string* cle, const std::string& defaut) {
    std::vector<char> tampon(cle ? 1024 : 65536);
    const std::string chemin = fichier.string();
    const std::string section_a = utf8_vers_cp1252(section);
    const std::string cle_a = cle ? utf8_vers_cp1252(*cle) : std::string();
    const DWORD n = ::GetPrivateProfileStringA(section_a.c_str(), cle ? cle_a.c_str() : nullptr,
                                               utf8_vers_cp1252(defaut).c_str(), tampon.data(),
                                               static_cast<DWORD>(tampon.size()), chemin.c_str());
    std::vector<std::string> rendu;
    if (cle) {
        rendu.push_back(cp1252_vers_utf8(std::string(tampon.data(), n)));
        return rendu;
    }
    for (std::size_t i = 0; i < n && tampon[i] != '\0';) {
        const std::string nom(tampon.data() + i);
        rendu.push_back(cp1252_vers_utf8(nom));
        i += nom.size() + 1;
    }
    return rendu;
}

std::string lire_windows(const fs::path& fichier, const std::string& section, const std::string& cle,
                         const std::string& defaut) {
    return lire_windows(fichier, section, &cle, defaut).front();
}

std::vector<std::string> cles_windows(const fs::path& fichier, const std::string& section) {
    return lire_windows(fichier, section, nullptr, "");
}

std::vector<std::string> sections_windows(const fs::path& fichier) {
    std::vector<char> tampon(65536);
    const std::string chemin = fichier.string();
    const DWORD n =
        ::GetPrivateProfileSectionNamesA(tampon.data(), static_cast<DWORD>(tampon.size()), chemin.c_str());
    std::vector<std::string> rendu;
    for (std::size_t i = 0; i < n && tampon[i] != '\0';) {
        const std::string nom(tampon.data() + i);
        rendu.push_back(cp1252_vers_utf8(nom));
        i += nom.size() + 1;
    }
    return rendu;
}

constexpr const char* absent = "<absente>";

TEST(FichierIniWindows, LesFichiersLivresSeLisentCommeWindowsLesLit) {
    DossierTemporaire dossier{"lumi-ini"};
    for (const char* nom : {"tarifs.ini", "lumicompteur.ini", "Couleur.ini"}) {
        // Copiés dans un dossier de Windows : le chemin passé aux deux lecteurs est le même.
        const fs::path fichier = dossier / nom;
        fs::copy_file(fs::path(LUMI_DOSSIER_DATA_SOURCE) / nom, fichier);
        const FichierIni ini(fichier);
        const auto sections = sections_windows(fichier);
        ASSERT_GE(sections.size(), 2u) << nom;
        std::size_t valeurs = 0;
        for (const auto& section : sections) {
            EXPECT_TRUE(ini.section_existe(section)) << nom << " [" << section << "]";
            const auto cles = cles_windows(fichier, section);
            EXPECT_EQ(ini.cles(section), cles) << nom << " [" << section << "]";
            for (const auto& cle : cles) {
                EXPECT_EQ(ini.lire(section, cle, absent), lire_windows(fichier, section, cle, absent))
                    << nom << " [" << section << "] " << cle;
                ++valeurs;
            }
        }
        EXPECT_GT(valeurs, 10u) << nom;
    }
}

struct LigneBizarre {
    const char* cas;
    std::string contenu;  // UTF-8, écrit selon `codage`
    std::string section;
    std::string cle;
    std::string attendu;  // ce que rend le programme (la valeur, ou `absent`)
    // Rien : Windows rend la même valeur et la même liste de clés. Sinon la raison de l'écart.
    const char* ecart = nullptr;
    enum Codage { cp1252, brut, utf16le } codage = cp1252;
};

// Les octets du fichier : Windows-1252, tels quels, ou UTF-16LE avec sa marque (le « Unicode » du
// Bloc-notes).
std::string octets_du_cas(const LigneBizarre& l) {
    if (l.codage == LigneBizarre::cp1252) return utf8_vers_cp1252(l.contenu);
    if (l.codage == LigneBizarre::brut) return l.contenu;
    std::wstring large(l.contenu.size(), L'\0');
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, l.contenu.data(), static_cast<int>(l.contenu.size()),
                                        large.data(), static_cast<int>(large.size()));
    std::string octets = "\xFF\xFE";
    for (int i = 0; i < n; ++i) {
        octets += static_cast<char>(large[static_cast<std::size_t>(i)] & 0xFF);
        octets += static_cast<char>(large[static_cast<std::size_t>(i)] >> 8);
    }
    return octets;
}

// Les écarts sont ceux de Wine 8 ; Windows lui-même peut en avoir moins (les noms accentués).
const char* const sans_egal =
    "Wine garde une ligne sans « = » comme une clé sans valeur, qui cache la même clé plus bas ; "
    "pour le programme, une ligne sans « = » ne déclare rien.";
const char* const avant_section =
    "Windows range les clés d'avant la première section dans une section sans nom, "
    "que « [] » ne fait que répéter ; le programme ne lit ni n'écrit jamais de section "
    "sans nom.";

const std::vector<LigneBizarre> lignes_bizarres = {
    {"blancs autour du signe égal", "[s]\r\n  cle   =   valeur  \r\n", "s", "cle", "valeur"},
    {"tabulations autour du signe égal", "[s]\r\n\tcle\t=\tvaleur\t\r\n", "s", "cle", "valeur"},
    {"ligne sans signe égal", "[s]\r\ncle\r\n", "s", "cle", absent},
    {"ligne sans signe égal avant la même clé", "[s]\r\ncle\r\ncle=2\r\n", "s", "cle", "2", sans_egal},
    {"clé en double", "[s]\r\ncle=1\r\ncle=2\r\n", "s", "cle", "1",
     "l'énumération de Windows nomme la clé deux fois ; le programme une fois, seule la première valeur se "
     "lisant."},
    {"section en double, clé de la seconde", "[s]\r\na=1\r\n[t]\r\nx=0\r\n[s]\r\nb=2\r\n", "s", "b", absent},
    {"section en double, clé de la première", "[s]\r\na=1\r\n[t]\r\nx=0\r\n[s]\r\na=2\r\n", "s", "a", "1"},
    {"commentaire", "[s]\r\n;cle=1\r\ncle=2\r\n", "s", "cle", "2"},
    {"clé commentée demandée", "[s]\r\n;cle=1\r\n", "s", ";cle", absent,
     "Wine lit « ;cle=1 » comme la clé « ;cle » ; pour le programme c'est un commentaire, et il ne demande "
     "ni "
     "n'écrit jamais de clé qui commence par « ; »."},
    {"commentaire après la valeur", "[s]\r\ncle=valeur ; note\r\n", "s", "cle", "valeur ; note"},
    {"dièse", "[s]\r\n#cle=1\r\n", "s", "#cle", "1"},
    {"guillemets", "[s]\r\ncle=\"valeur\"\r\n", "s", "cle", "valeur"},
    {"apostrophes", "[s]\r\ncle='valeur'\r\n", "s", "cle", "valeur"},
    {"guillemets et blancs", "[s]\r\ncle=\"  espaces  \"\r\n", "s", "cle", "  espaces  "},
    {"guillemets au milieu", "[s]\r\ncle=\"a\" b\"\r\n", "s", "cle", "a\" b"},
    {"guillemet seul", "[s]\r\ncle=\"\r\n", "s", "cle", "\""},
    {"guillemets vides", "[s]\r\ncle=\"\"\r\n", "s", "cle", ""},
    {"guillemets dépareillés", "[s]\r\ncle=\"a'\r\n", "s", "cle", "\"a'"},
    {"valeur vide", "[s]\r\ncle=\r\n", "s", "cle", ""},
    {"valeur de blancs", "[s]\r\ncle=   \r\n", "s", "cle", ""},
    {"valeur très longue", "[s]\r\ncle=" + std::string(2000, 'x') + "\r\n", "s", "cle",
     std::string(1023, 'x')},
    {"valeur de 1023 caractères", "[s]\r\ncle=" + std::string(1023, 'y') + "\r\n", "s", "cle",
     std::string(1023, 'y')},
    {"valeur longue entre guillemets", "[s]\r\ncle=\"" + std::string(1500, 'z') + "\"\r\n", "s", "cle",
     std::string(1023, 'z')},
    {"casse des noms", "[SeCtIoN]\r\nClE=1\r\n", "section", "CLE", "1"},
    {"casse des accents", "[Paramètres de l'historique]\r\nSélection=3\r\n", "PARAMÈTRES DE L'HISTORIQUE",
     "SÉLECTION", "3",
     "Wine ne plie que la casse ASCII des noms ; le programme plie aussi les lettres accentuées, comme le "
     "registre."},
    {"fins de ligne LF", "[s]\nautre=0\ncle=1\n", "s", "cle", "1"},
    {"sans fin de ligne finale", "[s]\r\ncle=fin", "s", "cle", "fin"},
    {"clé avant toute section", "cle=1\r\n[s]\r\nx=0\r\n", "", "cle", absent, avant_section},
    {"section sans nom", "[]\r\ncle=1\r\n", "", "cle", "1", avant_section},
    {"blancs dans les crochets", "[ s ]\r\ncle=1\r\n", "s", "cle", "1"},
    {"blancs avant les crochets", "   [s]   \r\ncle=1\r\n", "s", "cle", "1"},
    {"commentaire après la section", "[s] ; note\r\ncle=1\r\n", "s", "cle", "1"},
    {"crochet fermant en trop", "[s]x]\r\ncle=1\r\n", "s", "cle", "1",
     "Wine prend le nom jusqu'au dernier « ] » (« s]x ») ; le programme jusqu'au premier, si bien qu'un "
     "commentaire qui suit la section ne change pas son nom."},
    {"section sans crochet fermant", "[t]\r\n[s\r\ncle=1\r\n", "t", "cle", "1"},
    {"blancs dans le nom de clé", "[s]\r\nnb de fiches = 3\r\n", "s", "nb de fiches", "3"},
    {"signe égal dans la valeur", "[s]\r\ncle=a=b\r\n", "s", "cle", "a=b"},
    {"nom de clé vide", "[s]\r\n=valeur\r\n", "s", "", absent,
     "Wine lit « =valeur » comme une clé sans nom ; le programme ne demande jamais de clé sans nom et refuse "
     "d'en écrire."},
    {"fin de fichier des vieux éditeurs", "[s]\r\ncle=1\x1A", "s", "cle", "1"},
    {"Windows-1252", "[Paramètres]\r\ncle=été\r\n", "paramètres", "cle", "été"},
    {"UTF-8 avec marque", "\xEF\xBB\xBF[Paramètres]\r\ncle=été\r\n", "paramètres", "cle", "été", nullptr,
     LigneBizarre::brut},
    {"UTF-8 sans marque", "[s]\r\ncle=été\r\n", "s", "cle", "été",
     "Windows lit un fichier sans marque dans la page de code du système (« Ã©tÃ© ») ; le programme "
     "reconnaît l'UTF-8 (éditeurs de Linux, Bloc-notes récent) et le lit tel qu'il a été écrit.",
     LigneBizarre::brut},
    {"UTF-16 du Bloc-notes", "[Paramètres]\r\ncle=été\r\n", "paramètres", "cle", "été", nullptr,
     LigneBizarre::utf16le},
};

TEST(FichierIniWindows, LignesBizarresLuesCommeWindows) {
    DossierTemporaire dossier{"lumi-ini"};
    int numero = 0;
    for (const auto& l : lignes_bizarres) {
        SCOPED_TRACE(l.cas);
        // Un fichier neuf par cas : Windows garde en cache le dernier fichier lu.
        const fs::path fichier = dossier / ("cas" + std::to_string(++numero) + ".ini");
        ecrire_octets(fichier, octets_du_cas(l));
        const FichierIni ini(fichier);
        const std::string lu = ini.lire(l.section, l.cle, absent);
        EXPECT_EQ(lu, l.attendu);
        // Un écart voulu : seule la valeur du programme est vérifiée, sa raison est dans la table.
        if (l.ecart) continue;
        EXPECT_EQ(lire_windows(fichier, l.section, l.cle, absent), lu);
        EXPECT_EQ(cles_windows(fichier, l.section), ini.cles(l.section));
    }
}

}  // namespace
}  // namespace lumi::essai
