#include "base/texte.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lumi {
namespace {

TEST(Cp1252, ChaqueOctetFaitLAllerRetour) {
    for (int o = 0; o < 256; ++o) {
        const std::string octet(1, static_cast<char>(o));
        const std::string utf8 = cp1252_vers_utf8(octet);
        EXPECT_TRUE(est_utf8_valide(utf8)) << "octet " << o;
        EXPECT_EQ(utf8_vers_cp1252(utf8), octet) << "octet " << o;
    }
}

TEST(Cp1252, CaracteresDesOctets) {
    struct Cas {
        unsigned char octet;
        const char* utf8;
    };
    const Cas cas[] = {
        {0x41, "A"},        {0x80, "€"},        {0x81, "\xC2\x81"}, {0x82, "‚"},        {0x83, "ƒ"},
        {0x84, "„"},        {0x85, "…"},        {0x86, "†"},        {0x87, "‡"},        {0x88, "ˆ"},
        {0x89, "‰"},        {0x8A, "Š"},        {0x8B, "‹"},        {0x8C, "Œ"},        {0x8D, "\xC2\x8D"},
        {0x8E, "Ž"},        {0x8F, "\xC2\x8F"}, {0x90, "\xC2\x90"}, {0x91, "‘"},        {0x92, "’"},
        {0x93, "“"},        {0x94, "”"},        {0x95, "•"},        {0x96, "–"},        {0x97, "—"},
        {0x98, "˜"},        {0x99, "™"},        {0x9A, "š"},        {0x9B, "›"},        {0x9C, "œ"},
        {0x9D, "\xC2\x9D"}, {0x9E, "ž"},        {0x9F, "Ÿ"},        {0xA0, "\xC2\xA0"}, {0xE9, "é"},
        {0xFF, "ÿ"},
    };
    for (const auto& c : cas) {
        EXPECT_EQ(cp1252_vers_utf8(std::string(1, static_cast<char>(c.octet))), c.utf8)
            << "octet " << int(c.octet);
    }
    EXPECT_EQ(cp1252_vers_utf8("D\xE9j\xE0 pay\xE9 80\x80"), "Déjà payé 80€");
    // Suites ASCII au début, au milieu, à la fin, ou seules.
    EXPECT_EQ(cp1252_vers_utf8("\x80\x80[tarifs]\r\n\xE9t\xE9=oui"), "€€[tarifs]\r\nété=oui");
    EXPECT_EQ(cp1252_vers_utf8("[couleurs 16bits]\r\n"), "[couleurs 16bits]\r\n");
    EXPECT_EQ(cp1252_vers_utf8(""), "");
}

TEST(Cp1252, Utf8InvalideOuSansEquivalent) {
    struct Cas {
        std::string utf8;
        std::string octets;
    };
    const Cas cas[] = {
        {"", ""},
        {"Déjà 5€", "D\xE9j\xE0 5\x80"},
        {"北京", "??"},     // sans équivalent : un "?" par caractère
        {"😀", "?"},         // hors du plan de base
        {"\xC2\x80", "?"},  // U+0080 n'a pas d'octet (0x80 est l'euro)
        {"a\xC0\xAF"
         "b",
         "a??b"},                      // forme trop longue
        {"\xE0\x80\xAF", "???"},       // forme trop longue sur trois octets
        {"\xED\xA0\x80", "???"},       // demi-codet de substitution
        {"\xF4\x90\x80\x80", "????"},  // au-delà de U+10FFFF
        {"\xF5\x80", "??"},            // octet de tête impossible
        {"\xE2\x82", "??"},            // séquence tronquée en fin de texte
        {"\xE2\x82"
         "A",
         "??A"},  // séquence tronquée au milieu
        {"\x80"
         "x",
         "?x"},  // continuation isolée
        {"\xFF\xFE", "??"},
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& c : cas) EXPECT_EQ(utf8_vers_cp1252(c.utf8), c.octets) << c.utf8;
}

TEST(Utf8, Validite) {
    EXPECT_TRUE(est_utf8_valide(""));
    EXPECT_TRUE(est_utf8_valide("abc"));
    EXPECT_TRUE(est_utf8_valide("€ é 😀 \xF4\x8F\xBF\xBF"));
    EXPECT_TRUE(est_utf8_valide("\xEF\xBF\xBF"));
    for (const char* invalide :
         {"\xC0\x80", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xBF\xBF", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80",
          "\xE9", "\xC3", "\xE2\x82", "\xBF", "\xF8\x88\x80\x80\x80"}) {
        EXPECT_FALSE(est_utf8_valide(invalide)) << invalide;
    }
}

TEST(Utf16, VersUtf8CommeWindows) {
    struct Cas {
        std::u16string large;
        std::string utf8;
    };
    const std::vector<Cas> cas = {
        {u"", ""},
        {u",", ","},
        {u"\u20AC", "€"},
        {u"Fr.", "Fr."},
        {u"\u066B", "\u066B"},                     // séparateur décimal arabe, deux octets
        {u"\U0001F600", "😀"},                      // paire de substitution
        {std::u16string(1, u'\xD83D'), "\uFFFD"},  // moitié haute seule
        {std::u16string{u'\xDE00', u'a'}, "\uFFFDa"},
    };
    for (const auto& c : cas) {
        EXPECT_EQ(utf16_vers_utf8(c.large), c.utf8) << c.utf8;
        // Le retour ne rend le texte large que s'il était entier (pas de moitié de paire).
        if (c.utf8.find("\uFFFD") == std::string::npos) {
            EXPECT_TRUE(utf8_vers_utf16(c.utf8) == c.large) << c.utf8;
        }
    }
    EXPECT_TRUE(utf8_vers_utf16("a\xE9"
                                "b") == u"a\uFFFDb");
}

TEST(DecoderFichierTexte, ChoisitLEncodage) {
    struct Cas {
        std::string octets;
        std::string texte;
    };
    const Cas cas[] = {
        {"", ""},
        {"ascii pur\r\n", "ascii pur\r\n"},
        {"pay\xC3\xA9", "payé"},              // UTF-8 valide
        {"pay\xE9", "payé"},                  // Windows-1252
        {"\xEF\xBB\xBFpay\xC3\xA9", "payé"},  // BOM ôtée
        {"\xEF\xBB\xBF", ""},
        {"pay\xC3\xA9 et pay\xE9", "payÃ© et payé"},             // invalide en entier : tout en 1252
        {"\xEF\xBB\xBFpay\xC3\xA9 et pay\xE9", "payé et payé"},  // marqué UTF-8 : seul l'octet fautif
    };
    for (const auto& c : cas) EXPECT_EQ(decoder_fichier_texte(c.octets), c.texte) << c.octets;
}

TEST(PlierCasse, MinusculesLatines) {
    struct Cas {
        const char* entree;
        const char* pliee;
    };
    const Cas cas[] = {
        {"MonFAI", "monfai"},
        {"ÀÉÈÊËÎÏÔÙÛÜÇ", "àéèêëîïôùûüç"},
        {"ÆØÅÑÐÞ", "æøåñðþ"},
        {"×", "×"},  // signe de multiplication, pas une lettre
        {"ß", "ß"},
        {"ŒUVRE ŠŽ Ÿ", "œuvre šž ÿ"},
        {"ĀĹŁŃŊŹŻ", "āĺłńŋźż"},    // Latin étendu A
        {"ÅŚ-ΣΩ-ДЖ", "åś-ΣΩ-ДЖ"},  // grec et cyrillique laissés tels quels
        {"déjà", "déjà"},
        {"A\xFF"
         "B",
         "a\xFF"
         "b"},  // octet invalide gardé
        {"", ""},
    };
    for (const auto& c : cas) EXPECT_EQ(plier_casse(c.entree), c.pliee) << c.entree;
}

TEST(PlierCasse, EgalSansCasse) {
    EXPECT_TRUE(egal_sans_casse("Liste Des Tarifications", "liste des tarifications"));
    EXPECT_TRUE(egal_sans_casse("RÉDUCTION", "réduction"));
    EXPECT_TRUE(egal_sans_casse("Œil", "œIL"));
    EXPECT_FALSE(egal_sans_casse("reduction", "réduction"));
    EXPECT_FALSE(egal_sans_casse("tarif", "tarifs"));
    EXPECT_FALSE(egal_sans_casse("Tarif", "tarin"));
    EXPECT_FALSE(egal_sans_casse("a[", "A{"));  // [ et { ne sont pas une lettre et sa minuscule
    EXPECT_TRUE(egal_sans_casse("", ""));
}

TEST(Rogner, EspacesEtTabulationsAuxBouts) {
    struct Cas {
        const char* entree;
        const char* rognee;
    };
    const Cas cas[] = {
        {"", ""}, {"   ", ""}, {" \t a b \t", "a b"}, {"x", "x"}, {"a\n", "a\n"}, {"\t12,5 ", "12,5"},
    };
    for (const auto& c : cas) EXPECT_EQ(rogner(c.entree), c.rognee) << c.entree;
}

}  // namespace
}  // namespace lumi
