// Les coutures de Windows sur les vrais appels du système, sous Wine (ou Windows).
#include <gtest/gtest.h>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "actions/acces_distant.hpp"
#include "core/mots_de_passe.hpp"
#include "platform/windows/acces_distant_ras.hpp"
#include "platform/windows/fenetres_windows.hpp"
#include "platform/windows/systeme_windows.hpp"
#include "platform/windows/telephonie_tapi.hpp"
#include "settings/cles.hpp"
#include "settings/registre_windows.hpp"

namespace lumi {
namespace {

namespace fs = std::filesystem;

std::string racine() {
    return std::string(cles::racine);
}

bool contient(const std::vector<std::string>& liste, const std::string& nom) {
    return std::find(liste.begin(), liste.end(), nom) != liste.end();
}

class RegistreWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        registre.effacer_arborescence(racine());
        registre.effacer_arborescence(std::string(cles::racine_edition_98));
    }
    void TearDown() override { SetUp(); }
    RegistreWindows registre;
};

// Les sections du magasin avec des valeurs comme le programme en range (accents compris).
struct ValeurRangee {
    std::string section;
    std::string nom;
    std::string texte;
};
const std::vector<ValeurRangee> disposition = {
    {"\\options", "path", "C:\\Program Files\\Lumicompteur\\lumicompteur.exe"},
    {"\\options", "Sélection", "Sélection automatique et mode manuel"},
    {"\\utilisateurs", "utilisateur 1", "Hélène"},
    {"\\utilisateurs", "pdata 1", ""},
    {"\\providers", "nom 1", "Téléfournisseur"},
    {"\\forfaits", "forfait 1", "20 h"},
    {"\\forfaits\\raz", "raz 1", "01/12/2026"},
    {"\\temp providers", "nom 1", "copie"},
    {"\\enregistrements en attente", "1", "ligne \"citée\" ; 12,50 €"},
};

TEST_F(RegistreWindowsTest, LaDispositionDuMagasinFaitLAllerRetour) {
    for (const auto& v : disposition)
        ASSERT_TRUE(registre.ecrire_valeur_et_vider(racine() + v.section, v.nom, v.texte));
    for (const auto& v : disposition) {
        EXPECT_EQ(registre.lire_valeur(racine() + v.section, v.nom), v.texte) << v.section << " " << v.nom;
        EXPECT_TRUE(contient(registre.lister_valeurs(racine() + v.section), v.nom)) << v.nom;
    }
    // Noms sans casse, comme le registre.
    EXPECT_EQ(registre.lire_valeur(racine() + "\\OPTIONS", "PATH"), disposition[0].texte);
    EXPECT_TRUE(contient(registre.lister_sous_cles(racine() + "\\forfaits"), "raz"));
    EXPECT_TRUE(registre.effacer_valeur(racine() + "\\options", "path"));
    EXPECT_TRUE(registre.effacer_valeur(racine() + "\\options", "path"));  // absente : pas une erreur
    EXPECT_EQ(registre.lire_valeur(racine() + "\\options", "path"), "");
    EXPECT_FALSE(registre.effacer_cle_feuille(racine() + "\\forfaits"));  // elle a une sous-clé
    registre.effacer_arborescence(racine());
    EXPECT_FALSE(registre.cle_existe(racine()));
    EXPECT_TRUE(registre.cle_existe("Software"));  // au-dessus de la racine, rien n'est touché
}

TEST_F(RegistreWindowsTest, LaCopieDeLEditionPrecedenteNeRemplitQueLesManques) {
    const std::string ancienne(cles::racine_edition_98);
    registre.ecrire_valeur(ancienne + "\\options", "couleur", "rouge");
    registre.ecrire_valeur(ancienne + "\\options", "langue", "français");
    registre.ecrire_valeur(ancienne + "\\providers\\1", "nom", "Ancien");
    registre.ecrire_valeur(racine() + "\\options", "couleur", "bleu");
    registre.copier_arborescence(ancienne, racine(), false);
    // Une clé déjà là garde ses valeurs telles quelles ; seules les sous-clés manquantes viennent.
    EXPECT_EQ(registre.lire_valeur(racine() + "\\options", "couleur"), "bleu");
    EXPECT_EQ(registre.lire_valeur(racine() + "\\options", "langue"), "");
    EXPECT_EQ(registre.lire_valeur(racine() + "\\providers\\1", "nom"), "Ancien");
    EXPECT_TRUE(registre.cle_existe(ancienne));
    registre.copier_arborescence(ancienne, racine() + "\\temp", true);
    EXPECT_FALSE(registre.cle_existe(ancienne));
    EXPECT_EQ(registre.lire_valeur(racine() + "\\temp\\options", "langue"), "français");
}

// L'export de regedit montre les valeurs sous la racine de HKEY_LOCAL_MACHINE.
TEST_F(RegistreWindowsTest, LExportDeRegeditMontreLesValeurs) {
    ASSERT_TRUE(registre.ecrire_valeur_et_vider(racine() + "\\options", "essai export", "valeur exportée"));
    const fs::path fichier = fs::temp_directory_path() / "lumi-export.reg";
    fs::remove(fichier);
    std::wstring ligne = L"regedit.exe /E \"" + fichier.wstring() +
                         L"\" \"HKEY_LOCAL_MACHINE\\Software\\Korvanelle Software\\Lumicompteur 99\"";
    STARTUPINFOW demarrage{};
    demarrage.cb = sizeof demarrage;
    PROCESS_INFORMATION processus{};
    ASSERT_TRUE(::CreateProcessW(nullptr, ligne.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &demarrage, &processus));
    ::WaitForSingleObject(processus.hProcess, 60000);
    ::CloseHandle(processus.hThread);
    ::CloseHandle(processus.hProcess);
    // L'export est en UTF-16 : chaque caractère latin tient dans son premier octet (é = 0xE9).
    std::string octets;
    {
        std::ifstream lu(fichier, std::ios::binary);
        octets.assign(std::istreambuf_iterator<char>(lu), std::istreambuf_iterator<char>());
    }
    std::string texte;
    for (std::size_t i = 2; i + 1 < octets.size(); i += 2) texte += octets[i + 1] == 0 ? octets[i] : '?';
    EXPECT_NE(texte.find("[HKEY_LOCAL_MACHINE\\Software\\Korvanelle Software\\Lumicompteur 99\\options]"),
              std::string::npos)
        << texte;
    EXPECT_NE(texte.find("\"essai export\"=\"valeur export\xE9"
                         "e\""),
              std::string::npos)
        << texte;
    fs::remove(fichier);
}

TEST(AccesDistantRasTest, SansConnexionRienNEstMesureNiRaccroche) {
    AccesDistantRas ras;
    EXPECT_TRUE(ras.connexions().empty());
    std::string nom = "x";
    int erreur = 0;
    int etat = 7;
    EXPECT_FALSE(ras_connexion_en_cours(ras, nom, erreur, etat));
    EXPECT_EQ(nom, "");
    EXPECT_EQ(erreur, -1);
    EXPECT_FALSE(ras.raccrocher());  // aucune connexion : un échec, jamais un succès
    EXPECT_EQ(commande_numerotation_ras("Mon FAI"), "rundll32.exe rnaui.dll,RnaDial Mon FAI");
}

TEST(TelephonieTapiTest, SansLigneLaDetectionNAuraRienAOuvrir) {
    TelephonieTapi tapi;
    PoigneeTapi application = 0;
    std::uint32_t lignes = 99;
    const auto code = tapi.initialiser([](auto...) {}, application, lignes);
    // Refusée, ou acceptée sans aucune ligne : dans les deux cas la détection scrute l'accès à distance.
    EXPECT_TRUE(code < 0 || lignes == 0) << code << " " << lignes;
    if (code >= 0) {
        EXPECT_GE(tapi.arreter(application), 0);
    }
}

LRESULT CALLBACK procedure(HWND f, UINT m, WPARAM w, LPARAM l) {
    return ::DefWindowProcW(f, m, w, l);
}

TEST(FenetresWindowsTest, UneFenetreDeProgressionEstTrouveePuisPlusApresSaFermeture) {
    WNDCLASSW classe{};
    classe.lpfnWndProc = procedure;
    classe.hInstance = ::GetModuleHandleW(nullptr);
    classe.lpszClassName = L"LumiEssaiProgression";
    ::RegisterClassW(&classe);
    const HWND fenetre =
        ::CreateWindowExW(0, classe.lpszClassName, L"45% sur 1,2 Mo t\u00e9l\u00e9charg\u00e9s",
                          WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, classe.hInstance, nullptr);
    ASSERT_NE(fenetre, nullptr);
    ::ShowWindow(fenetre, SW_SHOW);
    const std::string titre = "45% sur 1,2 Mo téléchargés";
    FenetresWindows fenetres;
    const std::uint64_t numero = fenetres.chercher(titre);
    EXPECT_NE(numero, 0u);
    EXPECT_TRUE(fenetres.active(numero));
    const auto liste = fenetres.fenetres();
    EXPECT_TRUE(
        std::any_of(liste.begin(), liste.end(), [&](const FenetreSysteme& f) { return f.titre == titre; }));
    ::EnableWindow(fenetre, FALSE);
    EXPECT_FALSE(fenetres.active(numero));
    ::DestroyWindow(fenetre);
    EXPECT_EQ(fenetres.chercher(titre), 0u);
    EXPECT_FALSE(fenetres.active(numero));
}

TEST(MotsDePasseWindowsTest, LEmpreinteNommeSonSchemaEtVerifie) {
    const std::string empreinte = hacher_mot_de_passe("Secret");
    EXPECT_EQ(empreinte.rfind("$pbkdf2-sha256$i=600000$", 0), 0u) << empreinte;
    EXPECT_NE(hacher_mot_de_passe("Secret"), empreinte);      // sel différent à chaque fois
    EXPECT_TRUE(verifier_mot_de_passe(empreinte, "secret"));  // comparé en minuscules
    EXPECT_FALSE(verifier_mot_de_passe(empreinte, "secrets"));
    // Une empreinte abîmée ou d'un autre schéma n'accepte rien, sans lever.
    for (const std::string& abimee : std::vector<std::string>{
             "$pbkdf2-sha256$i=600000$", "$pbkdf2-sha256$i=$AAAA$AAAA", "$pbkdf2-sha256$i=99999999999$AA$AA",
             "$pbkdf2-sha256$i=1$!!$AAAA", "$argon2id$v=19$m=65536,t=2,p=1$c2Vs$ZW1wcmVpbnRl",
             empreinte.substr(0, empreinte.size() - 2), "texte en clair"}) {
        EXPECT_FALSE(verifier_mot_de_passe(abimee, "secret")) << abimee;
    }
}

TEST(SystemeWindowsTest, LaLigneDeDemarrageFaitLAllerRetour) {
    const std::vector<CommandeSysteme> commandes = {
        {"C:\\Program Files\\Lumicompteur\\lumicompteur.exe", "-invisible"},
        {"C:\\lumi.exe"},
        {"C:\\a b\\lumi.exe", "dit \"oui\"", "fin\\"},
        {"C:\\lumi.exe", ""},
    };
    for (const auto& commande : commandes) {
        const std::string ligne = ligne_commande_windows(commande);
        EXPECT_EQ(lire_ligne_commande_windows(ligne), commande) << ligne;
    }
    EXPECT_EQ(lire_ligne_commande_windows("   "), std::nullopt);

    SystemeWindows systeme(RegistreWindows::Ruche::utilisateur);
    systeme.effacer_demarrage_automatique("Lumicompteur essai");
    EXPECT_EQ(systeme.lire_demarrage_automatique("Lumicompteur essai"), std::nullopt);
    ASSERT_TRUE(systeme.ecrire_demarrage_automatique("Lumicompteur essai", commandes[0]));
    EXPECT_EQ(systeme.lire_demarrage_automatique("Lumicompteur essai"), commandes[0]);
    systeme.effacer_demarrage_automatique("Lumicompteur essai");
    EXPECT_EQ(systeme.lire_demarrage_automatique("Lumicompteur essai"), std::nullopt);
    EXPECT_FALSE(systeme.utilisateur_connecte().empty());
}

}  // namespace
}  // namespace lumi
