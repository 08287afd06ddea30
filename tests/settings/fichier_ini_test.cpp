#include "settings/fichier_ini.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/erreurs.hpp"
#include "base/fichiers.hpp"
#include "commun/soutien.hpp"

namespace lumi {
namespace {

namespace fs = std::filesystem;

// Un dossier temporaire propre à chaque test.
class FichierIniTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dossier_ = fs::path(::testing::TempDir()) / "lumi_ini" / info->test_suite_name() / info->name();
        fs::remove_all(dossier_);
        fs::create_directories(dossier_);
        chemin_ = dossier_ / "lumicompteur.ini";
    }
    void TearDown() override { fs::remove_all(dossier_); }

    void poser(const std::string& octets) const {
        std::ofstream f(chemin_, std::ios::binary);
        f << octets;
    }
    std::optional<std::string> octets() const { return lire_fichier(chemin_); }

    fs::path dossier_;
    fs::path chemin_;
};

// Lecture ---------------------------------------------------------------------------------------

struct CasLecture {
    const char* nom;
    std::string contenu;  // octets du fichier
    const char* section;
    const char* cle;
    std::string attendu;  // UTF-8 ; le défaut vaut "<défaut>"
};

// Un cas se montre par son nom dans les messages de GoogleTest.
void PrintTo(const CasLecture& c, std::ostream* os) {
    *os << c.nom;
}

const std::string x1100(1100, 'x');

const CasLecture cas_lecture[] = {
    {"degre_windows_1252",
     "[liste des tarifications]\r\ntarif n\xB0 1=R\xE9"
     "duit\r\n",
     "liste des tarifications", "tarif n\xC2\xB0 1",
     "R\xC3\xA9"
     "duit"},
    {"degre_utf8",
     "[liste des tarifications]\ntarif n\xC2\xB0 1=R\xC3\xA9"
     "duit\n",
     "liste des tarifications", "tarif n\xC2\xB0 1",
     "R\xC3\xA9"
     "duit"},
    {"marque_utf8", "\xEF\xBB\xBF[a]\nk=\xC3\xA9t\xC3\xA9\n", "a", "k", "\xC3\xA9t\xC3\xA9"},
    {"valeur_coupee_a_1023", "[a]\nk=" + x1100 + "\n", "a", "k", std::string(1023, 'x')},
    {"coupe_en_caracteres_windows_1252", "[a]\nk=" + std::string(1100, '\xE9') + "\n", "a", "k",
     [] {
         std::string s;
         for (int i = 0; i < 1023; ++i) s += "\xC3\xA9";
         return s;
     }()},
    {"coupe_en_caracteres_utf8",
     [] {
         std::string s = "[a]\nk=";
         for (int i = 0; i < 1100; ++i) s += "\xE2\x82\xAC";
         return s + "\n";
     }(),
     "a", "k",
     [] {
         std::string s;
         for (int i = 0; i < 1023; ++i) s += "\xE2\x82\xAC";
         return s;
     }()},
    {"cle_en_double_la_premiere_gagne", "[a]\nk=1\nk=2\n", "a", "k", "1"},
    {"section_en_double_la_premiere_gagne", "[a]\nk=1\n[b]\nk=3\n[A]\nk=2\n", "a", "k", "1"},
    {"cle_de_la_section_en_double_ignoree", "[a]\nk=1\n[A]\nj=2\n", "a", "j", "<défaut>"},
    {"noms_sans_casse", "[Param\xE8tres de l'historique]\r\nSelection=3\r\n",
     "PARAM\xC3\x88TRES DE L'HISTORIQUE", "sElEcTiOn", "3"},
    {"section_absente", "[a]\nk=1\n", "b", "k", "<défaut>"},
    {"fichier_vide", "", "a", "k", "<défaut>"},
    {"valeur_vide_n_est_pas_le_defaut", "[a]\nk=\n", "a", "k", ""},
    {"cle_absente", "[a]\nk=\n", "a", "j", "<défaut>"},
    {"blancs_autour_des_noms_et_valeurs", "  [ a b ]  \r\n \t k  x \t=  v  w \t\r\n", "a b", "k  x", "v  w"},
    {"noms_demandes_avec_blancs", "[a]\nk=1\n", " a ", "\tk ", "1"},
    {"guillemets_doubles", "[a]\nk=  \" x y \"  \n", "a", "k", " x y "},
    {"guillemets_simples", "[a]\nk='x'\n", "a", "k", "x"},
    {"guillemets_differents_gardes", "[a]\nk=\"x'\n", "a", "k", "\"x'"},
    {"guillemet_seul_garde", "[a]\nk=\"\n", "a", "k", "\""},
    {"guillemets_vides", "[a]\nk=\"\"\n", "a", "k", ""},
    {"cle_avant_toute_section_ignoree", "k=1\n[a]\nj=2\n", "", "k", "<défaut>"},
    {"commentaire_et_ligne_sans_egal_ignores", "[a]\n;k=5\nk\nk=6\n", "a", "k", "6"},
    {"egal_dans_la_valeur", "[a]\nk=x=y\n", "a", "k", "x=y"},
    {"derniere_ligne_sans_fin", "[a]\r\nk=v", "a", "k", "v"},
    {"fin_de_fichier_des_vieux_editeurs", "[a]\r\nk=19.6\x1A", "a", "k", "19.6"},
    {"fin_de_fichier_sur_sa_ligne", "[a]\r\nj=1\r\n\x1A[b]\r\nk=2\r\n", "b", "k", "2"},
    {"cle_d_une_autre_section", "[a]\nk=1\n[b]\nj=2\n", "a", "j", "<défaut>"},
};

class LectureIni : public FichierIniTest, public ::testing::WithParamInterface<CasLecture> {};

TEST_P(LectureIni, RendLaValeurOuLeDefaut) {
    const CasLecture& c = GetParam();
    poser(c.contenu);
    const FichierIni ini(chemin_);
    EXPECT_EQ(ini.lire(c.section, c.cle, "<défaut>"), c.attendu);
}

INSTANTIATE_TEST_SUITE_P(Cas, LectureIni, ::testing::ValuesIn(cas_lecture),
                         [](const auto& info) { return std::string(info.param.nom); });

TEST_F(FichierIniTest, FichierAbsentSeLitCommeVide) {
    const FichierIni ini(dossier_ / "absent.ini");
    EXPECT_EQ(ini.lire("a", "k", "d"), "d");
    EXPECT_FALSE(ini.section_existe("a"));
    EXPECT_TRUE(ini.cles("a").empty());
}

TEST_F(FichierIniTest, ClesDansLOrdreDuFichierPremiereOccurrence) {
    poser("x=0\n[a]\nx=1\n;c=2\nY=2\nX=3\nsans egal\n\nz=\n[b]\nw=1\n[A]\nv=1\n");
    const FichierIni ini(chemin_);
    EXPECT_EQ(ini.cles("A"), (std::vector<std::string>{"x", "Y", "z"}));
    EXPECT_TRUE(ini.section_existe("B"));
    EXPECT_FALSE(ini.section_existe("c"));
}

TEST_F(FichierIniTest, MessageUtilisateurLuSansInterpreterDEchappement) {
    poser(
        "[Messages utilisateurs]\r\nmessage 12=Connexion termin\xE9"
        "e\\nau revoir\r\n");
    const FichierIni ini(chemin_);
    EXPECT_EQ(message_utilisateur(ini, 12),
              "Connexion termin\xC3\xA9"
              "e\\nau revoir");
    EXPECT_EQ(message_utilisateur(ini, 1), "");
}

TEST_F(FichierIniTest, LaLectureSeFaitUneFoisRechargerRelit) {
    poser("[a]\nk=1\n");
    FichierIni ini(chemin_);
    poser("[a]\nk=2\n");
    EXPECT_EQ(ini.lire("a", "k"), "1");
    ini.recharger();
    EXPECT_EQ(ini.lire("a", "k"), "2");
}

// Les lectures des mêmes octets partagent leur découpage : un fichier changé dans la même
// milliseconde, à taille égale, doit pourtant se relire, et l'écriture d'un accès ne touche pas
// ce qu'un autre a déjà lu.
TEST_F(FichierIniTest, UnFichierChangeSeRelitMemeATailleEgale) {
    poser("[a]\nk=1\n");
    const FichierIni ancien(chemin_);
    const FichierIni meme(chemin_);
    poser("[a]\nk=2\n");
    FichierIni nouveau(chemin_);
    EXPECT_EQ(nouveau.lire("a", "k"), "2");
    nouveau.ecrire("a", "k", "3");
    EXPECT_EQ(nouveau.lire("a", "k"), "3");
    EXPECT_EQ(ancien.lire("a", "k"), "1");
    EXPECT_EQ(meme.lire("a", "k"), "1");
    EXPECT_EQ(FichierIni(chemin_).lire("a", "k"), "3");
    poser("[a]\nk=1\n");
    EXPECT_EQ(FichierIni(chemin_).lire("a", "k"), "1");
}

// Écriture --------------------------------------------------------------------------------------

// Commentaires, lignes vides, CRLF, octets Windows-1252 (dont 0x81 sans caractère), clé en double.
const std::string modele =
    "; r\xE9glages \x81\x8D\r\n"
    "\r\n"
    "[a]\r\n"
    "k = 1\r\n"
    "k=dup\r\n"
    "\r\n"
    "[vide]\r\n"
    "[b]\r\n"
    "nom=Andr\xE9\r\n"
    "; fin\r\n"
    "\r\n";

struct CasEcriture {
    const char* nom;
    std::optional<std::string> avant;  // rien : pas de fichier
    std::function<void(FichierIni&)> action;
    std::string apres;
};

// Un cas se montre par son nom dans les messages de GoogleTest.
void PrintTo(const CasEcriture& c, std::ostream* os) {
    *os << c.nom;
}

const CasEcriture cas_ecriture[] = {
    {"valeur_changee_le_reste_intact", modele, [](FichierIni& f) { f.ecrire("A", "K", "2"); },
     "; r\xE9glages \x81\x8D\r\n\r\n[a]\r\nk = 2\r\nk=dup\r\n\r\n[vide]\r\n[b]\r\nnom=Andr\xE9\r\n; "
     "fin\r\n\r\n"},
    {"valeur_en_windows_1252", modele, [](FichierIni& f) { f.ecrire("b", "nom", "Ren\xC3\xA9\xE2\x82\xAC"); },
     "; r\xE9glages \x81\x8D\r\n\r\n[a]\r\nk = 1\r\nk=dup\r\n\r\n[vide]\r\n[b]\r\nnom=Ren\xE9\x80\r\n; "
     "fin\r\n\r\n"},
    {"nouvelle_cle_apres_la_derniere_ligne_non_vide", modele, [](FichierIni& f) { f.ecrire("a", "j", "x"); },
     "; r\xE9glages \x81\x8D\r\n\r\n[a]\r\nk = 1\r\nk=dup\r\nj=x\r\n\r\n[vide]\r\n[b]\r\nnom=Andr\xE9\r\n; "
     "fin\r\n\r\n"},
    {"nouvelle_cle_apres_un_commentaire", modele, [](FichierIni& f) { f.ecrire("B", "j", "x"); },
     "; r\xE9glages \x81\x8D\r\n\r\n[a]\r\nk = 1\r\nk=dup\r\n\r\n[vide]\r\n[b]\r\nnom=Andr\xE9\r\n; "
     "fin\r\nj=x\r\n\r\n"},
    {"nouvelle_cle_dans_une_section_vide", modele, [](FichierIni& f) { f.ecrire("vide", "j", "x"); },
     "; r\xE9glages \x81\x8D\r\n\r\n[a]\r\nk = 1\r\nk=dup\r\n\r\n[vide]\r\nj=x\r\n[b]\r\nnom=Andr\xE9\r\n; "
     "fin\r\n\r\n"},
    {"nouvelle_section_a_la_fin", modele,
     [](FichierIni& f) { f.ecrire("tarif n\xC2\xB0 1", "z", "\xC3\xA9"); },
     modele + "[tarif n\xB0 1]\r\nz=\xE9\r\n"},
    {"nouvelle_section_separee_par_une_ligne_vide", "[a]\nk=1",
     [](FichierIni& f) { f.ecrire("c", "z", "2"); }, "[a]\nk=1\n\n[c]\nz=2\n"},
    {"nouvelle_cle_apres_une_derniere_ligne_sans_fin", "[a]\nk=1",
     [](FichierIni& f) { f.ecrire("a", "j", "2"); }, "[a]\nk=1\nj=2\n"},
    {"nouveau_fichier", std::nullopt,
     [](FichierIni& f) {
         f.ecrire("tarif", "nom",
                  "R\xC3\xA9"
                  "duit");
     },
     "[tarif]\r\nnom=R\xE9"
     "duit\r\n"},
    {"fichier_utf8_reste_en_utf8", "[a]\nnom=Andr\xC3\xA9\n",
     [](FichierIni& f) { f.ecrire("a", "ville", "Besan\xC3\xA7on"); },
     "[a]\nnom=Andr\xC3\xA9\nville=Besan\xC3\xA7on\n"},
    {"effacer_la_premiere_cle", modele, [](FichierIni& f) { f.effacer_cle("a", "K"); },
     "; r\xE9glages \x81\x8D\r\n\r\n[a]\r\nk=dup\r\n\r\n[vide]\r\n[b]\r\nnom=Andr\xE9\r\n; fin\r\n\r\n"},
    {"effacer_une_cle_absente", modele, [](FichierIni& f) { f.effacer_cle("b", "k"); }, modele},
    {"effacer_dans_un_fichier_absent", std::nullopt, [](FichierIni& f) { f.effacer_cle("a", "k"); }, ""},
    {"saut_de_ligne_dans_la_valeur", "[a]\nk=1\n", [](FichierIni& f) { f.ecrire("a", "k", "x\r\ny"); },
     "[a]\nk=x  y\n"},
    {"blancs_aux_bouts_proteges", "[a]\nk=1\n", [](FichierIni& f) { f.ecrire("a", "k", " x "); },
     "[a]\nk=\" x \"\n"},
    {"valeur_vide", "[a]\nk = 1\n", [](FichierIni& f) { f.ecrire("a", "k", ""); }, "[a]\nk =\n"},
    // Les traces : la clé écrite est la dernière de sa section, qui garde ses 3 dernières clés.
    {"trace_dans_un_fichier_absent", std::nullopt, [](FichierIni& f) { f.ajouter_trace("t", "k1", "v", 3); },
     "[t]\r\nk1=v\r\n"},
    {"trace_ajoutee_en_derniere_cle_le_reste_intact", "[a]\r\nk=1\r\n\r\n[t]\r\nk1=v\r\n\r\n[b]\r\ny=2\r\n",
     [](FichierIni& f) { f.ajouter_trace("T", "k2", "w", 3); },
     "[a]\r\nk=1\r\n\r\n[t]\r\nk1=v\r\nk2=w\r\n\r\n[b]\r\ny=2\r\n"},
    {"trace_au_dela_de_garder_la_plus_ancienne_part", "[t]\nk1=v\n; note\nk2=v\nk3=v\n\n[b]\ny=2\n",
     [](FichierIni& f) { f.ajouter_trace("t", "k4", "v", 3); },
     "[t]\n; note\nk2=v\nk3=v\nk4=v\n\n[b]\ny=2\n"},
    {"trace_un_fichier_trop_long_revient_a_garder_en_une_fois", "[t]\nk1=v\nk2=v\nk3=v\nk4=v\nk5=v\nk6=v\n",
     [](FichierIni& f) { f.ajouter_trace("t", "k7", "v", 3); }, "[t]\nk5=v\nk6=v\nk7=v\n"},
    {"trace_deja_ecrite_redevient_la_plus_recente", "[t]\nk1=v\nk2=v\nK1=doublon\nk3=v\n",
     [](FichierIni& f) { f.ajouter_trace("t", "k1", "w", 3); }, "[t]\nk2=v\nk3=v\nk1=w\n"},
    {"trace_seule_la_premiere_section_de_ce_nom", "[t]\nk1=v\nk2=v\nk3=v\n[t]\nz1=v\nz2=v\n",
     [](FichierIni& f) { f.ajouter_trace("t", "k4", "v", 3); }, "[t]\nk2=v\nk3=v\nk4=v\n[t]\nz1=v\nz2=v\n"},
    {"trace_deja_derniere_avec_la_meme_valeur", "[t]\nk1=v\nk2=v\n",
     [](FichierIni& f) { f.ajouter_trace("t", "k2", "v", 3); }, "[t]\nk1=v\nk2=v\n"},
};

class EcritureIni : public FichierIniTest, public ::testing::WithParamInterface<CasEcriture> {};

TEST_P(EcritureIni, NeChangeQueLaLigneConcernee) {
    const CasEcriture& c = GetParam();
    if (c.avant) poser(*c.avant);
    FichierIni ini(chemin_);
    c.action(ini);
    EXPECT_EQ(octets().value_or(""), c.apres);
    // La mémoire suit le disque.
    EXPECT_EQ(ini.cles("a"), FichierIni(chemin_).cles("a"));
}

INSTANTIATE_TEST_SUITE_P(Cas, EcritureIni, ::testing::ValuesIn(cas_ecriture),
                         [](const auto& info) { return std::string(info.param.nom); });

TEST_F(FichierIniTest, CeQuiEstEcritSeRelitTelQuel) {
    const std::string valeurs[] = {
        " x ", "\"q\"", "'", "a\"b", "\xC3\xA9\xE2\x82\xAC", std::string(1023, 'y'), "", "fin\x1A", "\vy\f"};
    FichierIni ini(chemin_);
    for (const std::string& v : valeurs) {
        ini.ecrire("s", "k", v);
        EXPECT_EQ(ini.lire("s", "k", "<défaut>"), v);
        EXPECT_EQ(FichierIni(chemin_).lire("s", "k", "<défaut>"), v);
    }
}

// Le « Unicode » du Bloc-notes : UTF-16 marqué, petit- ou gros-boutiste. Lu comme Windows le lit ;
// une écriture le garde en UTF-16, dans son ordre d'octets, les autres lignes intactes.
TEST_F(FichierIniTest, UnFichierUtf16SeLitEtResteEnUtf16) {
    const std::string avant =
        "; Réglages \xE2\x82\xAC \xF0\x9F\x98\x80\r\n[Paramètres]\r\nclé = été \r\n\r\n[autre]\r\nk=1\r\n";
    for (const bool gros_boutiste : {false, true}) {
        SCOPED_TRACE(gros_boutiste ? "FE FF" : "FF FE");
        poser(essai::fichier_utf16(avant, gros_boutiste));
        EXPECT_EQ(defaut_fichier_ini(chemin_, "Le fichier"), std::nullopt);
        FichierIni ini(chemin_);
        EXPECT_EQ(ini.lire("PARAMÈTRES", "CLÉ", "<défaut>"), "été");
        EXPECT_EQ(ini.cles("paramètres"), std::vector<std::string>{"clé"});
        ini.ecrire("Paramètres", "clé", "hiver");
        ini.ecrire("nouvelle", "n°", "1");
        const std::string apres =
            "; Réglages \xE2\x82\xAC \xF0\x9F\x98\x80\r\n[Paramètres]\r\nclé = hiver\r\n\r\n"
            "[autre]\r\nk=1\r\n\r\n[nouvelle]\r\nn°=1\r\n";
        EXPECT_EQ(octets(), essai::fichier_utf16(apres, gros_boutiste));
        EXPECT_EQ(FichierIni(chemin_).lire("nouvelle", "n°", "<défaut>"), "1");
    }
    // Sans marque, ce n'est pas un texte : Windows non plus ne le lirait pas.
    poser(essai::fichier_utf16(avant, false).substr(2));
    const auto defaut = defaut_fichier_ini(chemin_, "Le fichier");
    ASSERT_TRUE(defaut.has_value());
    EXPECT_NE(defaut->find("n'est pas un fichier texte"), std::string::npos) << *defaut;
}

TEST_F(FichierIniTest, EffacerRendVisibleLeDoublonSuivant) {
    poser(modele);
    FichierIni ini(chemin_);
    ini.effacer_cle("a", "k");
    EXPECT_EQ(ini.lire("a", "k"), "dup");
}

TEST_F(FichierIniTest, DeuxAccesSuccessifsNePerdentRien) {
    poser("[a]\n");
    FichierIni premier(chemin_);
    FichierIni second(chemin_);
    premier.ecrire("a", "x", "1");
    second.ecrire("a", "y", "2");
    const FichierIni relu(chemin_);
    EXPECT_EQ(relu.lire("a", "x"), "1");
    EXPECT_EQ(relu.lire("a", "y"), "2");
}

TEST_F(FichierIniTest, EcritureImpossibleNommeLeFichier) {
    poser("pas un dossier");
    const fs::path chemin = chemin_ / "lumicompteur.ini";  // le parent est un fichier
    FichierIni ini(chemin);
    try {
        ini.ecrire("a", "k", "1");
        FAIL() << "ErreurFichier attendue";
    } catch (const ErreurFichier& e) {
        EXPECT_NE(std::string(e.what()).find("« " + chemin.string() + " »"), std::string::npos) << e.what();
    }
    EXPECT_EQ(ini.lire("a", "k", "rien"), "rien");
}

TEST_F(FichierIniTest, UnFichierIlisibleNEstJamaisEcrase) {
    fs::create_directory(chemin_);  // illisible comme fichier, même pour root
    fs::path temoin = chemin_ / "temoin";
    std::ofstream(temoin) << "x";
    FichierIni ini(chemin_);
    EXPECT_EQ(ini.lire("a", "k", "d"), "d");
    EXPECT_THROW(ini.ecrire("a", "k", "1"), ErreurFichier);
    EXPECT_TRUE(fs::is_regular_file(temoin));
}

TEST_F(FichierIniTest, NomsQuiCasseraientLeFichierRefuses) {
    poser(modele);
    FichierIni ini(chemin_);
    EXPECT_THROW(ini.ecrire("a", "k=j", "1"), ErreurFichier);
    EXPECT_THROW(ini.ecrire("a", "", "1"), ErreurFichier);
    EXPECT_THROW(ini.ecrire("a]b", "k", "1"), ErreurFichier);
    EXPECT_THROW(ini.ecrire("a", "k\nj", "1"), ErreurFichier);
    EXPECT_EQ(octets().value_or(""), modele);
}

}  // namespace
}  // namespace lumi
