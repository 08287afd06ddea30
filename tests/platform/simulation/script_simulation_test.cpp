// Le script des coutures simulées (lecture, erreurs nommant la ligne, application dans le temps)
// et la téléphonie simulée (poignées, lignes, appels libérés qui se taisent).
#include <gtest/gtest.h>

#include <sstream>

#include "commun/soutien.hpp"
#include "platform/simulation/script_simulation.hpp"

namespace lumi::essai {
namespace {

ScriptSimulation lire(const std::string& texte) {
    std::istringstream flux(texte);
    return lire_script_simulation(flux, "demo.txt");
}

TEST(ScriptSimulation, LectureComplete) {
    const auto s = lire(
        "# Une connexion, un appel\n"
        "annuaire MonFAI \"Mon autre FAI\"\n"
        "adresse 10.0.0.2\n"
        "telephonie lignes 2\n"
        "ligne 1 refusee\n"
        "\n"
        "  2     ras MonFAI 2      # numérotation\n"
        "5,5     ras MonFAI 5\n"
        "6.25    ras \"Mon autre FAI\" 8192 631\n"
        "65      ras MonFAI fin\n"
        "70      tapi 7 connecte ligne 1\n"
        "69.5    tapi 7 en-cours\n"
        "80      tapi 7 16384\n");
    EXPECT_EQ(s.annuaire, (std::vector<std::string>{"MonFAI", "Mon autre FAI"}));
    EXPECT_EQ(s.adresse, "10.0.0.2");
    ConfigurationTelephonie t;
    t.disponible = true;
    t.nb_lignes = 2;
    t.lignes_refusees = {1};
    EXPECT_EQ(s.telephonie, t);
    ASSERT_EQ(s.connexions.size(), 2u);
    EXPECT_EQ(s.connexions[0].entree, "MonFAI");
    std::vector<std::pair<std::int64_t, int>> etapes;
    for (const auto& e : s.connexions[0].etapes) etapes.emplace_back(e.ms, e.etat);
    EXPECT_EQ(etapes, (std::vector<std::pair<std::int64_t, int>>{{2000, 2}, {5500, 5}, {65000, -10}}));
    EXPECT_EQ(s.connexions[1].entree, "Mon autre FAI");
    EXPECT_EQ(s.connexions[1].etapes.at(0).ms, 6250);
    EXPECT_EQ(s.connexions[1].etapes.at(0).erreur, 631);
    // Événements d'appel rangés dans le temps.
    ASSERT_EQ(s.appels.size(), 3u);
    EXPECT_EQ(s.appels[0].ms, 69500);
    EXPECT_EQ(s.appels[0].etat, etat_appel_acheminement);
    EXPECT_EQ(s.appels[1].etat, etat_appel_connecte);
    EXPECT_EQ(s.appels[1].ligne, 1u);
    EXPECT_EQ(s.appels[2].etat, etat_appel_deconnecte);
}

TEST(ScriptSimulation, SansTelephonieLesCouturesGardentLaLeur) {
    EXPECT_FALSE(lire("2 ras MonFAI 2\n").telephonie.has_value());
    EXPECT_EQ(lire("telephonie absente\n").telephonie, ConfigurationTelephonie{});
}

TEST(ScriptSimulation, ErreursNommantLaLigne) {
    const std::vector<std::pair<std::string, std::string>> cas = {
        {"bidule 3", "demo.txt, ligne 1 : « bidule » inconnu"},
        {"# ok\n2 ras MonFAI", "demo.txt, ligne 2 : « INSTANT ras ENTREE ETAT [ERREUR] » attendu"},
        {"2 ras MonFAI connecte", "demo.txt, ligne 1 : état « connecte » invalide"},
        {"2 ras \"\" 2", "demo.txt, ligne 1 : nom d'entrée vide"},
        {"-1 ras MonFAI 2", "demo.txt, ligne 1 : « -1 » inconnu"},
        {"2.1234 ras MonFAI 2", "demo.txt, ligne 1 : instant « 2.1234 » invalide"},
        {"2. ras MonFAI 2", "demo.txt, ligne 1 : instant « 2. » invalide"},
        {"99999999999 ras MonFAI 2", "demo.txt, ligne 1 : instant « 99999999999 » invalide"},
        {"999999999 ras MonFAI 2", "demo.txt, ligne 1 : instant « 999999999 » trop lointain"},
        {"2 appel 7 libre", "demo.txt, ligne 1 : « appel » inconnu (ras ou tapi)"},
        {"2 tapi 0 libre", "demo.txt, ligne 1 : poignée d'appel « 0 » invalide"},
        {"2 tapi 7 sonne", "demo.txt, ligne 1 : état d'appel « sonne » invalide"},
        {"2 tapi 7 libre ligne", "demo.txt, ligne 1 : « INSTANT tapi APPEL ETAT [ligne N] » attendu"},
        {"2 tapi 7 libre poste 1", "demo.txt, ligne 1 : « ligne N » attendu"},
        {"telephonie lignes 65", "demo.txt, ligne 1 : nombre de lignes « 65 » invalide"},
        {"telephonie presente",
         "demo.txt, ligne 1 : « telephonie absente » ou « telephonie lignes N » attendu"},
        {"ligne 1 cassee", "demo.txt, ligne 1 : « cassee » inconnu"},
        {"annuaire", "demo.txt, ligne 1 : « annuaire » attend au moins un nom"},
        {"annuaire \"MonFAI", "demo.txt, ligne 1 : guillemet non fermé"},
        {"adresse", "demo.txt, ligne 1 : « adresse » attend une adresse"},
        {"5 ras MonFAI 5\n2 ras MonFAI 2",
         "demo.txt, ligne 2 : les instants de « MonFAI » doivent aller croissant"},
    };
    for (const auto& [texte, debut_message] : cas) {
        SCOPED_TRACE(texte);
        try {
            lire(texte);
            ADD_FAILURE() << "aucune erreur";
        } catch (const ErreurScript& e) {
            EXPECT_EQ(std::string(e.what()).substr(0, debut_message.size()), debut_message) << e.what();
        }
    }
}

TEST(ScriptSimulation, FichierAvecMarqueUtf8OuAbsent) {
    DossierTemporaire dossier("lumi-script");
    ecrire_octets(dossier / "demo.txt",
                  "\xEF\xBB\xBF"
                  "annuaire Évasion\r\n2 ras Évasion 2\r\n");
    const auto s = lire_script_simulation(dossier / "demo.txt");
    EXPECT_EQ(s.annuaire, std::vector<std::string>{"Évasion"});
    EXPECT_EQ(s.connexions.at(0).entree, "Évasion");
    EXPECT_THROW(lire_script_simulation(dossier / "absent.txt"), ErreurScript);
}

TEST(ScriptSimulation, AppliqueDepuisMaintenant) {
    HorlogeFactice horloge;
    Ordonnanceur ordonnanceur(horloge);
    AccesDistantScripte acces(horloge);
    AdresseSimulee adresse;
    TelephonieSimulee telephonie;
    ordonnanceur.avancer(10000);
    appliquer_script(
        lire("annuaire A B\nadresse \"\"\ntelephonie lignes 1\n1 ras A 2\n3 ras A fin\n2 tapi 7 en-cours\n"),
        acces, telephonie, adresse, ordonnanceur);
    EXPECT_EQ(acces.entrees_annuaire(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(adresse.adresse_ip_locale(), "");

    std::vector<std::string> recus;
    PoigneeTapi usage = 0;
    std::uint32_t lignes = 0;
    ASSERT_EQ(telephonie.initialiser(
                  [&](PoigneeTapi appel, std::uint32_t message, std::uintptr_t, std::uintptr_t etat,
                      std::uintptr_t, std::uintptr_t) {
                      recus.push_back(std::to_string(appel) + ":" + std::to_string(message) + ":" +
                                      std::to_string(etat) + "@" + std::to_string(horloge.millisecondes()));
                  },
                  usage, lignes),
              0);
    PoigneeTapi ligne = 0;
    std::uint32_t version = 0;
    ASSERT_EQ(telephonie.negocier_version(usage, 0, version_tapi_basse, version_tapi_haute, version), 0);
    ASSERT_EQ(telephonie.ouvrir_ligne(usage, 0, ligne, version, privilege_surveillance, media_modem_donnees),
              0);

    const auto etat = [&] {
        const auto c = acces.connexions();
        return c.empty() ? etat_aucune_connexion : c.front().etat;
    };
    ordonnanceur.avancer(1000);
    EXPECT_EQ(etat(), 2);
    ordonnanceur.avancer(1000);
    EXPECT_EQ(recus, std::vector<std::string>{"7:2:512@12000"});
    ordonnanceur.avancer(1000);
    EXPECT_EQ(etat(), etat_aucune_connexion);
}

// --- Téléphonie simulée ---------------------------------------------------------------------

class TelephonieOuverte : public ::testing::Test {
protected:
    void ouvrir(ConfigurationTelephonie c) {
        t.configurer(std::move(c));
        ASSERT_EQ(t.initialiser([this](PoigneeTapi appel, std::uint32_t, std::uintptr_t, std::uintptr_t etat,
                                       std::uintptr_t, std::uintptr_t) { recus.emplace_back(appel, etat); },
                                usage, nb),
                  0);
    }
    std::int32_t ouvrir_ligne(std::uint32_t indice, PoigneeTapi& ligne) {
        std::uint32_t version = 0;
        const auto r = t.negocier_version(usage, indice, version_tapi_basse, version_tapi_haute, version);
        if (r < 0) return r;
        return t.ouvrir_ligne(usage, indice, ligne, version, privilege_surveillance, media_modem_donnees);
    }

    TelephonieSimulee t;
    PoigneeTapi usage = 0;
    std::uint32_t nb = 0;
    std::vector<std::pair<PoigneeTapi, std::uintptr_t>> recus;
};

TEST(TelephonieSimulee, AbsenteParDefaut) {
    TelephonieSimulee t;
    PoigneeTapi usage = 0;
    std::uint32_t nb = 0;
    EXPECT_LT(t.initialiser([](auto...) {}, usage, nb), 0);
    EXPECT_EQ(usage, 0u);
    EXPECT_FALSE(t.signaler(7, etat_appel_acheminement));
}

TEST_F(TelephonieOuverte, AppelLibereOuLigneFermeeSeTaisent) {
    ouvrir({true, 2, {}, {}});
    EXPECT_EQ(nb, 2u);
    PoigneeTapi l0 = 0, l1 = 0;
    ASSERT_EQ(ouvrir_ligne(0, l0), 0);
    ASSERT_EQ(ouvrir_ligne(1, l1), 0);
    EXPECT_NE(l0, l1);
    EXPECT_TRUE(t.signaler(7, etat_appel_acheminement));
    EXPECT_EQ(t.liberer_appel(7), 0);
    EXPECT_LT(t.liberer_appel(7), 0);  // déjà rendue
    EXPECT_LT(t.liberer_appel(8), 0);  // jamais vue
    EXPECT_FALSE(t.signaler(7, etat_appel_libre));
    EXPECT_TRUE(t.signaler(8, etat_appel_connecte, 1));
    EXPECT_EQ(t.fermer_ligne(l1), 0);
    EXPECT_LT(t.fermer_ligne(l1), 0);
    EXPECT_FALSE(t.signaler(9, etat_appel_acheminement, 1));
    EXPECT_EQ(recus, (std::vector<std::pair<PoigneeTapi, std::uintptr_t>>{{7, 0x200}, {8, 0x100}}));
    EXPECT_EQ(t.appels_non_liberes(), std::set<PoigneeTapi>{8});

    // L'arrêt ferme tout : plus aucun événement, plus de ligne, la poignée d'usage ne vaut plus.
    EXPECT_EQ(t.arreter(usage), 0);
    EXPECT_FALSE(t.signaler(10, etat_appel_acheminement));
    EXPECT_TRUE(t.lignes_ouvertes().empty());
    EXPECT_LT(t.arreter(usage), 0);
    EXPECT_EQ(t.arrets(), 1);
}

TEST_F(TelephonieOuverte, LignesEnEchec) {
    ouvrir({true, 3, {1}, {2}});
    PoigneeTapi ligne = 0;
    EXPECT_EQ(ouvrir_ligne(0, ligne), 0);
    EXPECT_EQ(ouvrir_ligne(1, ligne), tapi_erreur_version);
    EXPECT_EQ(ouvrir_ligne(2, ligne), tapi_erreur_ouverture);
    EXPECT_EQ(ouvrir_ligne(3, ligne), tapi_erreur_version);  // hors des lignes annoncées
    std::uint32_t version = 0;
    EXPECT_LT(t.negocier_version(usage, 0, 0x00030000, 0x00040000, version), 0);  // version hors intervalle
    EXPECT_LT(t.negocier_version(0, 0, version_tapi_basse, version_tapi_haute, version), 0);
    EXPECT_EQ(t.lignes_ouvertes(), std::vector<std::uint32_t>{0});
}

}  // namespace
}  // namespace lumi::essai
