#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/erreurs.hpp"
#include "commun/soutien.hpp"
#include "settings/cles.hpp"
#include "settings/registre.hpp"
#include "settings/registre_memoire.hpp"
#ifdef _WIN32
#include "settings/registre_windows.hpp"
#else
#include "settings/registre_sqlite.hpp"
#endif

namespace lumi {
namespace {

namespace fs = std::filesystem;
using Noms = std::vector<std::string>;

using essai::DossierTemporaire;
using essai::ecrire_octets;
using essai::lire_octets;

// ---------------------------------------------------------------------------------------------
// La même suite pour les deux magasins : la mémoire, et celui du système (SQLite, ou le registre
// de Windows).

#ifdef _WIN32
constexpr const char* cle_des_essais = "Software\\Lumicompteur essais";
#endif

struct Fabrique {
    const char* nom;
    std::function<std::unique_ptr<Registre>(const fs::path& dossier)> creer;
    // Ce qu'il reste à ôter hors du dossier de l'essai (le registre de Windows).
    std::function<void(const fs::path& dossier)> nettoyer = {};
    // Le registre de Windows rend les noms dans son ordre à lui (les sous-clés par ordre
    // alphabétique, comme l'édition précédente les a toujours montrées) : seuls les noms comptent.
    bool ordre_du_registre = false;
};

class RegistreCommun : public ::testing::TestWithParam<Fabrique> {
protected:
    void SetUp() override { registre_ = GetParam().creer(dossier_.chemin()); }
    void TearDown() override {
        registre_.reset();
        if (GetParam().nettoyer) GetParam().nettoyer(dossier_.chemin());
    }

    Registre& r() { return *registre_; }
    // Une liste dans l'ordre que le magasin promet : celui de la création, sauf dans le registre.
    Noms ordre(Noms noms) const {
        if (GetParam().ordre_du_registre) std::sort(noms.begin(), noms.end());
        return noms;
    }

    DossierTemporaire dossier_;
    std::unique_ptr<Registre> registre_;
};

TEST_P(RegistreCommun, UneCleOuUneValeurAbsenteSeLitVide) {
    EXPECT_EQ(r().lire_valeur("a\\b", "x"), "");
    EXPECT_FALSE(r().cle_existe("a"));
    EXPECT_TRUE(r().lister_sous_cles("a").empty());
    EXPECT_TRUE(r().lister_valeurs("a").empty());
    EXPECT_TRUE(r().cle_existe(""));  // la racine existe toujours

    ASSERT_TRUE(r().ecrire_valeur("a", "x", "1"));
    EXPECT_EQ(r().lire_valeur("a", "y"), "");
    EXPECT_EQ(r().lire_valeur("a\\b", "x"), "");
    // Une lecture ne crée rien.
    EXPECT_FALSE(r().cle_existe("a\\b"));
}

TEST_P(RegistreCommun, EcrireCreeChaqueNiveauManquant) {
    const std::string cle = cles::section(cles::forfaits_raz);
    ASSERT_TRUE(r().ecrire_valeur(cle, "F20", "01/02/2000"));
    EXPECT_EQ(r().lire_valeur(cle, "F20"), "01/02/2000");
    EXPECT_EQ(r().lister_sous_cles(""), Noms{"Software"});
    EXPECT_EQ(r().lister_sous_cles("Software\\Korvanelle Software"), Noms{"Lumicompteur 99"});
    EXPECT_EQ(r().lister_sous_cles(cles::section(cles::forfaits)), Noms{"raz"});
    EXPECT_TRUE(r().lister_valeurs(cles::section(cles::forfaits)).empty());

    ASSERT_TRUE(r().ecrire_valeur(cle, "F20", "15/03/2000"));  // remplace
    EXPECT_EQ(r().lire_valeur(cle, "F20"), "15/03/2000");
    EXPECT_EQ(r().lister_valeurs(cle), Noms{"F20"});

    ASSERT_TRUE(r().ecrire_valeur_et_vider(cle, "F21", "texte vidé"));
    EXPECT_EQ(r().lire_valeur(cle, "F21"), "texte vidé");
    EXPECT_TRUE(r().creer_cle("x\\y\\z"));
    EXPECT_TRUE(r().cle_existe("x\\y\\z"));
    EXPECT_TRUE(r().lister_valeurs("x\\y\\z").empty());
}

TEST_P(RegistreCommun, PlusieursValeursEcritesEnsemble) {
    ASSERT_TRUE(r().ecrire_valeurs_et_vider("a\\options",
                                            {{"sauv total facture", "1,500&60"}, {"sauv crash", "ligne;"}}));
    EXPECT_EQ(ordre(r().lister_valeurs("a\\options")), ordre(Noms{"sauv total facture", "sauv crash"}));
    EXPECT_EQ(r().lire_valeur("a\\options", "SAUV CRASH"), "ligne;");
    // Une valeur déjà là est remplacée, comme par ecrire_valeur.
    ASSERT_TRUE(r().ecrire_valeurs_et_vider("a\\options", {{"sauv crash", "autre;"}}));
    EXPECT_EQ(r().lire_valeur("a\\options", "sauv crash"), "autre;");
}

TEST_P(RegistreCommun, LesCheminsIgnorentLesSegmentsVides) {
    ASSERT_TRUE(r().ecrire_valeur("\\a\\\\b\\", "v", "1"));
    EXPECT_EQ(r().lire_valeur("a\\b", "v"), "1");
    EXPECT_EQ(r().lister_sous_cles("\\"), Noms{"a"});
    EXPECT_EQ(r().lister_sous_cles("a"), Noms{"b"});

    // La racine porte elle aussi des valeurs.
    ASSERT_TRUE(r().ecrire_valeur("", "sur la racine", "r"));
    EXPECT_EQ(r().lire_valeur("\\", "sur la racine"), "r");
    EXPECT_EQ(r().lister_valeurs(""), Noms{"sur la racine"});
}

TEST_P(RegistreCommun, LesNomsSontSansCasseMaisGardesTelsQuEcrits) {
    struct Cas {
        const char* ecrit;
        const char* lu;
    };
    const Cas cas[] = {
        {"Options", "options"},
        {"SÉLECTION", "Sélection"},
        {"Œuvre Ÿ", "œuvre ÿ"},
        {"TOTAL avec reduc", "total AVEC Reduc"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.ecrit);
        const std::string cle = std::string("racine\\") + c.ecrit;
        ASSERT_TRUE(r().ecrire_valeur(cle, c.ecrit, "premier"));
        EXPECT_TRUE(r().cle_existe(std::string("racine\\") + c.lu));
        EXPECT_EQ(r().lire_valeur(std::string("RACINE\\") + c.lu, c.lu), "premier");
        // Réécrire sous une autre casse change le texte, pas le nom.
        ASSERT_TRUE(r().ecrire_valeur(std::string("racine\\") + c.lu, c.lu, "second"));
        EXPECT_EQ(r().lire_valeur(cle, c.ecrit), "second");
        EXPECT_EQ(r().lister_valeurs(cle), Noms{c.ecrit});
    }
    EXPECT_EQ(ordre(r().lister_sous_cles("racine")),
              ordre(Noms{"Options", "SÉLECTION", "Œuvre Ÿ", "TOTAL avec reduc"}));

    r().effacer_valeur("racine\\options", "OPTIONS");
    EXPECT_TRUE(r().lister_valeurs("racine\\Options").empty());
}

TEST_P(RegistreCommun, LesListesSuiventLOrdreDeCreation) {
    for (const char* nom : {"zèbre", "Alpha", "milieu", "10", "9"}) {
        ASSERT_TRUE(r().ecrire_valeur("k", nom, "v"));
        ASSERT_TRUE(r().creer_cle(std::string("k\\") + nom));
    }
    EXPECT_EQ(ordre(r().lister_valeurs("k")), ordre(Noms{"zèbre", "Alpha", "milieu", "10", "9"}));
    EXPECT_EQ(ordre(r().lister_sous_cles("k")), ordre(Noms{"zèbre", "Alpha", "milieu", "10", "9"}));

    // Effacée puis recréée, une entrée passe en dernier.
    r().effacer_valeur("k", "zèbre");
    ASSERT_TRUE(r().effacer_cle_feuille("k\\zèbre"));
    ASSERT_TRUE(r().ecrire_valeur("k", "Zèbre", "w"));
    ASSERT_TRUE(r().creer_cle("k\\Zèbre"));
    EXPECT_EQ(ordre(r().lister_valeurs("k")), ordre(Noms{"Alpha", "milieu", "10", "9", "Zèbre"}));
    EXPECT_EQ(ordre(r().lister_sous_cles("k")), ordre(Noms{"Alpha", "milieu", "10", "9", "Zèbre"}));
}

TEST_P(RegistreCommun, EffacerUneValeur) {
    ASSERT_TRUE(r().ecrire_valeur("k", "a", "1"));
    ASSERT_TRUE(r().ecrire_valeur("k", "b", "2"));
    ASSERT_TRUE(r().ecrire_valeur("k\\sous", "a", "3"));

    r().effacer_valeur("k", "A");
    EXPECT_EQ(r().lire_valeur("k", "a"), "");
    EXPECT_EQ(r().lister_valeurs("k"), Noms{"b"});
    EXPECT_EQ(r().lire_valeur("k\\sous", "a"), "3");  // même nom ailleurs : intact

    // Absences sans erreur, et sans rien créer.
    r().effacer_valeur("k", "a");
    r().effacer_valeur("manque\\aussi", "a");
    EXPECT_FALSE(r().cle_existe("manque"));
    EXPECT_TRUE(r().cle_existe("k"));  // une clé vidée de ses valeurs reste
}

TEST_P(RegistreCommun, EffacerUneFeuille) {
    ASSERT_TRUE(r().ecrire_valeur("p\\f", "v", "1"));
    ASSERT_TRUE(r().ecrire_valeur("p", "v", "2"));
    EXPECT_FALSE(r().effacer_cle_feuille("p"));  // a une sous-clé
    EXPECT_FALSE(r().effacer_cle_feuille("p\\absente"));
    EXPECT_EQ(r().lire_valeur("p", "v"), "2");

    EXPECT_TRUE(r().effacer_cle_feuille("P\\F"));
    EXPECT_FALSE(r().cle_existe("p\\f"));
    // Recréée, la clé ne retrouve pas ses anciennes valeurs.
    ASSERT_TRUE(r().creer_cle("p\\f"));
    EXPECT_EQ(r().lire_valeur("p\\f", "v"), "");
}

// Un arbre de 6 niveaux, trois branches à chaque niveau sur la première, avec des valeurs partout.
void planter_arbre(Registre& r, const std::string& haut) {
    std::string chemin = haut;
    for (int niveau = 1; niveau <= 6; ++niveau) {
        for (const char* branche : {"b1", "b2", "b3"}) {
            const std::string sous = chemin + "\\" + branche;
            ASSERT_TRUE(r.ecrire_valeur(sous, "niveau", std::to_string(niveau)));
            ASSERT_TRUE(r.ecrire_valeur(sous, "autre", "x"));
        }
        chemin += "\\b1";
    }
    ASSERT_TRUE(r.ecrire_valeur(haut, "haut", "h"));
}

TEST_P(RegistreCommun, EffacerUneArborescenceProfonde) {
    planter_arbre(r(), "r\\arbre");
    ASSERT_TRUE(r().ecrire_valeur("r\\voisine", "v", "reste"));
    ASSERT_TRUE(r().ecrire_valeur("r\\arbre2", "v", "reste aussi"));  // même début de nom
    ASSERT_TRUE(r().ecrire_valeur("r", "v", "reste"));

    r().effacer_arborescence("R\\Arbre");

    EXPECT_FALSE(r().cle_existe("r\\arbre"));
    EXPECT_FALSE(r().cle_existe("r\\arbre\\b1\\b1\\b1"));
    EXPECT_EQ(ordre(r().lister_sous_cles("r")), ordre(Noms{"voisine", "arbre2"}));
    EXPECT_EQ(r().lire_valeur("r\\voisine", "v"), "reste");
    EXPECT_EQ(r().lire_valeur("r\\arbre2", "v"), "reste aussi");
    EXPECT_EQ(r().lire_valeur("r", "v"), "reste");
    // Recréée, la clé repart vide.
    ASSERT_TRUE(r().creer_cle("r\\arbre"));
    EXPECT_TRUE(r().lister_sous_cles("r\\arbre").empty());
    EXPECT_TRUE(r().lister_valeurs("r\\arbre").empty());

    r().effacer_arborescence("r\\absente");  // sans effet ni erreur
    EXPECT_EQ(ordre(r().lister_sous_cles("r")), ordre(Noms{"voisine", "arbre2", "arbre"}));
}

TEST_P(RegistreCommun, EffacerLaRacineVideTout) {
    planter_arbre(r(), "a");
    ASSERT_TRUE(r().ecrire_valeur("", "v", "1"));
    r().effacer_arborescence("");
    EXPECT_TRUE(r().cle_existe(""));
    EXPECT_TRUE(r().lister_sous_cles("").empty());
    EXPECT_TRUE(r().lister_valeurs("").empty());
    ASSERT_TRUE(r().ecrire_valeur("a", "v", "2"));  // le magasin reste utilisable
    EXPECT_EQ(r().lire_valeur("a", "v"), "2");
}

TEST_P(RegistreCommun, CopierVersUneDestinationAbsenteCopieTout) {
    planter_arbre(r(), "src");
    r().copier_arborescence("src", "copie\\ici", false);

    for (const std::string base : {"src", "copie\\ici"}) {
        SCOPED_TRACE(base);
        EXPECT_EQ(r().lire_valeur(base, "haut"), "h");
        EXPECT_EQ(ordre(r().lister_sous_cles(base)), ordre(Noms{"b1", "b2", "b3"}));
        EXPECT_EQ(ordre(r().lister_valeurs(base + "\\b1")), ordre(Noms{"niveau", "autre"}));
        EXPECT_EQ(r().lire_valeur(base + "\\b1\\b1\\b1\\b1\\b1\\b3", "niveau"), "6");
        EXPECT_EQ(ordre(r().lister_sous_cles(base + "\\b1\\b1\\b1\\b1\\b1")), ordre(Noms{"b1", "b2", "b3"}));
    }
}

TEST_P(RegistreCommun, CopierSurUneDestinationExistanteNeRemplitQueLesManques) {
    // Source : valeurs a, b ; sous-clés p (valeurs x, y ; sous-clé q), n (valeur z, sous-clé m).
    ASSERT_TRUE(r().ecrire_valeur("src", "a", "source a"));
    ASSERT_TRUE(r().ecrire_valeur("src", "b", "source b"));
    ASSERT_TRUE(r().ecrire_valeur("src\\p", "x", "source x"));
    ASSERT_TRUE(r().ecrire_valeur("src\\p", "y", "source y"));
    ASSERT_TRUE(r().ecrire_valeur("src\\p\\q", "w", "source w"));
    ASSERT_TRUE(r().ecrire_valeur("src\\n", "z", "source z"));
    ASSERT_TRUE(r().ecrire_valeur("src\\n\\m", "t", "source t"));
    // Destination : sa valeur a, sa sous-clé P (valeur x seulement), une sous-clé à elle.
    ASSERT_TRUE(r().ecrire_valeur("dst", "a", "dest a"));
    ASSERT_TRUE(r().ecrire_valeur("dst\\P", "x", "dest x"));
    ASSERT_TRUE(r().ecrire_valeur("dst\\propre", "k", "dest k"));

    r().copier_arborescence("src", "dst", true);

    // Les valeurs d'une clé existante restent telles quelles : ni remplacées ni complétées.
    EXPECT_EQ(r().lire_valeur("dst", "a"), "dest a");
    EXPECT_EQ(r().lire_valeur("dst", "b"), "");
    EXPECT_EQ(r().lire_valeur("dst\\p", "x"), "dest x");
    EXPECT_EQ(r().lire_valeur("dst\\p", "y"), "");
    // Un niveau plus bas, les sous-clés manquantes sont copiées entières.
    EXPECT_EQ(r().lire_valeur("dst\\p\\q", "w"), "source w");
    EXPECT_EQ(r().lire_valeur("dst\\n", "z"), "source z");
    EXPECT_EQ(r().lire_valeur("dst\\n\\m", "t"), "source t");
    EXPECT_EQ(ordre(r().lister_sous_cles("dst")), ordre(Noms{"P", "propre", "n"}));
    EXPECT_EQ(r().lire_valeur("dst\\propre", "k"), "dest k");
    // Avec le drapeau, la source est effacée ensuite.
    EXPECT_FALSE(r().cle_existe("src"));
}

TEST_P(RegistreCommun, CopierSansEffacerGardeLaSource) {
    ASSERT_TRUE(r().ecrire_valeur("src\\s", "v", "1"));
    r().copier_arborescence("src", "dst", false);
    EXPECT_EQ(r().lire_valeur("src\\s", "v"), "1");
    EXPECT_EQ(r().lire_valeur("dst\\s", "v"), "1");
    // Les deux copies sont indépendantes.
    ASSERT_TRUE(r().ecrire_valeur("dst\\s", "v", "2"));
    EXPECT_EQ(r().lire_valeur("src\\s", "v"), "1");
}

TEST_P(RegistreCommun, CopierUneSourceAbsenteNeFaitRien) {
    ASSERT_TRUE(r().ecrire_valeur("dst", "a", "1"));
    r().copier_arborescence("absente", "neuve", true);
    r().copier_arborescence("absente", "dst", true);
    EXPECT_FALSE(r().cle_existe("neuve"));
    EXPECT_FALSE(r().cle_existe("absente"));
    EXPECT_EQ(r().lister_valeurs("dst"), Noms{"a"});
}

TEST_P(RegistreCommun, CopierDansSaPropreArborescenceEstRefuse) {
    ASSERT_TRUE(r().ecrire_valeur("src\\s", "v", "1"));
    struct Cas {
        const char* destination;
    };
    for (const Cas c : {Cas{"src"}, Cas{"SRC"}, Cas{"src\\s"}, Cas{"src\\neuve\\plus bas"}}) {
        SCOPED_TRACE(c.destination);
        // Sans ce refus, la copie ne finirait pas, ou l'effacement emporterait la seule copie.
        r().copier_arborescence("src", c.destination, true);
        EXPECT_EQ(r().lire_valeur("src\\s", "v"), "1");
        EXPECT_EQ(r().lister_sous_cles("src"), Noms{"s"});
        EXPECT_TRUE(r().lister_sous_cles("src\\s").empty());
    }
}

// La fenêtre des options travaille sur une copie de "\providers" puis la remet en place.
TEST_P(RegistreCommun, LaCopieDeTravailDesFournisseursRemplaceLOriginal) {
    const auto providers = cles::section(cles::providers);
    const auto temp = cles::section(cles::temp_providers);
    const std::string auto_manuel(cles::provider_selection_auto);
    for (const std::string& entree :
         {auto_manuel, std::string("MonFAI"), std::string("Retiré"), std::string("Autre FAI")}) {
        ASSERT_TRUE(r().ecrire_valeur(cles::cle_provider(entree), "tarification", "T " + entree));
        ASSERT_TRUE(r().ecrire_valeur(cles::cle_provider(entree), "F20", "oui"));
    }
    // Un reste d'une fenêtre précédente interrompue : gardé tel quel.
    ASSERT_TRUE(
        r().ecrire_valeur(cles::cle_provider("Autre FAI", cles::temp_providers), "tarification", "reste"));

    // Ouverture : l'entrée automatique puis chaque entrée de l'annuaire (qui n'a plus "Retiré").
    const Noms annuaire{"MonFAI", "Autre FAI", "Nouveau"};
    r().copier_arborescence(cles::cle_provider(auto_manuel),
                            cles::cle_provider(auto_manuel, cles::temp_providers), false);
    for (const auto& entree : annuaire) {
        r().copier_arborescence(cles::cle_provider(entree), cles::cle_provider(entree, cles::temp_providers),
                                false);
    }
    for (const auto& sous_cle : r().lister_sous_cles(temp)) {
        bool garde = sous_cle == auto_manuel;
        for (const auto& entree : annuaire) garde = garde || sous_cle == entree;
        if (!garde) r().effacer_arborescence(temp + "\\" + sous_cle);
    }
    // Modifications dans la copie seulement.
    ASSERT_TRUE(
        r().ecrire_valeur(cles::cle_provider("Nouveau", cles::temp_providers), "tarification", "T N"));
    r().effacer_valeur(cles::cle_provider("MonFAI", cles::temp_providers), "F20");
    EXPECT_EQ(r().lire_valeur(cles::cle_provider("MonFAI"), "F20"), "oui");

    // Validation.
    r().effacer_arborescence(providers);
    r().copier_arborescence(temp, providers, true);

    EXPECT_FALSE(r().cle_existe(temp));
    EXPECT_FALSE(r().cle_existe(cles::cle_provider("Retiré")));
    // Ordre de création dans la copie de travail, où le reste de "Autre FAI" était déjà.
    EXPECT_EQ(ordre(r().lister_sous_cles(providers)),
              ordre(Noms{"Autre FAI", auto_manuel, "MonFAI", "Nouveau"}));
    EXPECT_EQ(r().lire_valeur(cles::cle_provider("MonFAI"), "F20"), "");
    EXPECT_EQ(r().lire_valeur(cles::cle_provider("MonFAI"), "tarification"), "T MonFAI");
    EXPECT_EQ(r().lire_valeur(cles::cle_provider("Autre FAI"), "tarification"), "reste");
    EXPECT_EQ(r().lire_valeur(cles::cle_provider("Nouveau"), "tarification"), "T N");
    EXPECT_EQ(r().lire_valeur(cles::cle_provider(auto_manuel), "tarification"), "T " + auto_manuel);
}

#ifdef _WIN32
// Le vrai registre, chaque essai sous sa propre clé, ôtée à la fin.
const Fabrique magasin_du_systeme{"Windows",
                                  [](const fs::path& dossier) -> std::unique_ptr<Registre> {
                                      return std::make_unique<RegistreWindows>(
                                          RegistreWindows::Ruche::utilisateur,
                                          std::string(cle_des_essais) + "\\" + dossier.filename().string());
                                  },
                                  [](const fs::path& dossier) {
                                      RegistreWindows(RegistreWindows::Ruche::utilisateur, cle_des_essais)
                                          .effacer_arborescence(dossier.filename().string());
                                  },
                                  true};
#else
const Fabrique magasin_du_systeme{
    "Sqlite", [](const fs::path& dossier) -> std::unique_ptr<Registre> {
        return std::make_unique<RegistreSqlite>(dossier / RegistreSqlite::nom_fichier);
    }};
#endif

INSTANTIATE_TEST_SUITE_P(DeuxMagasins, RegistreCommun,
                         ::testing::Values(Fabrique{"Memoire",
                                                    [](const fs::path&) -> std::unique_ptr<Registre> {
                                                        return std::make_unique<RegistreMemoire>();
                                                    }},
                                           magasin_du_systeme),
                         [](const ::testing::TestParamInfo<Fabrique>& info) {
                             return std::string(info.param.nom);
                         });

// ---------------------------------------------------------------------------------------------
// Propre à SQLite : le fichier, les processus, la durabilité. Sous Windows, le magasin est le
// registre, essayé par la suite commune ci-dessus et par les essais des coutures de Windows.
#ifndef _WIN32

class RegistreSqliteTest : public ::testing::Test {
protected:
    fs::path base() const { return dossier_.chemin() / RegistreSqlite::nom_fichier; }

    // Les noms du dossier autres que la base, ses fichiers -wal et -shm et sa réserve de place.
    Noms fichiers_mis_de_cote() const {
        Noms noms;
        for (const auto& e : fs::directory_iterator(dossier_.chemin())) {
            const auto nom = e.path().filename().string();
            if (nom != "reglages.sqlite" && nom != "reglages.sqlite-wal" && nom != "reglages.sqlite-shm" &&
                nom != "reglages.sqlite-reserve") {
                noms.push_back(nom);
            }
        }
        std::sort(noms.begin(), noms.end());
        return noms;
    }

    DossierTemporaire dossier_;
};

TEST_F(RegistreSqliteTest, LesValeursSurviventALaReouverture) {
    {
        RegistreSqlite r(base());
        EXPECT_FALSE(r.avertissement());
        ASSERT_TRUE(r.ecrire_valeur("a\\B", "x", "1"));
        ASSERT_TRUE(r.ecrire_valeur_et_vider("a\\B", "y", "2"));
        ASSERT_TRUE(r.ecrire_valeur("a\\C", "z", "3"));
        r.effacer_valeur("a\\B", "x");
        r.effacer_arborescence("a\\c");
    }
    RegistreSqlite r(base());
    EXPECT_FALSE(r.avertissement());
    EXPECT_EQ(r.lister_sous_cles("a"), Noms{"B"});
    EXPECT_EQ(r.lister_valeurs("a\\b"), Noms{"y"});
    EXPECT_EQ(r.lire_valeur("A\\b", "Y"), "2");
    EXPECT_EQ(r.verifier_integrite(), "ok");
    EXPECT_TRUE(fichiers_mis_de_cote().empty());
}

TEST_F(RegistreSqliteTest, UnFichierVideEstUneBaseNeuve) {
    ecrire_octets(base(), "");
    RegistreSqlite r(base());
    EXPECT_FALSE(r.avertissement());
    EXPECT_TRUE(r.ecrire_valeur("k", "v", "1"));
    EXPECT_TRUE(fichiers_mis_de_cote().empty());
}

// En-tête SQLite valide suivi de n'importe quoi, sur une page entière.
std::string entete_puis_dechets() {
    std::string octets("SQLite format 3\0", 16);
    octets += std::string("\x10\x00\x01\x01\x00\x40\x20\x20", 8);
    while (octets.size() < 4096) octets += "déchets ";
    return octets;
}

// Une vraie base de plusieurs pages, coupée au milieu.
std::string base_tronquee(const fs::path& dossier) {
    const fs::path modele = dossier / "modele.sqlite";
    {
        RegistreSqlite r(modele);
        for (int i = 0; i < 400; ++i) r.ecrire_valeur("k\\" + std::to_string(i), "v", std::string(200, 'x'));
    }
    const auto octets = lire_octets(modele);
    for (const char* suffixe : {"", "-wal", "-shm"}) fs::remove(modele.string() + suffixe);
    return octets.substr(0, octets.size() / 2);
}

std::string base_etrangere(const fs::path& dossier) {
    // Une base SQLite saine, mais d'un autre programme : sa table "cles" n'a pas nos colonnes.
    const fs::path modele = dossier / "etrangere.sqlite";
    const std::string commande = "sqlite3 '" + modele.string() + "' 'CREATE TABLE cles(a, b);'";
    if (std::system(commande.c_str()) != 0) return {};
    auto octets = lire_octets(modele);
    fs::remove(modele);
    return octets;
}

TEST_F(RegistreSqliteTest, UnFichierIllisibleEstMisDeCoteEtRemplace) {
    struct Cas {
        const char* nom;
        std::function<std::string(const fs::path&)> contenu;
    };
    const Cas cas[] = {
        {"octets quelconques", [](const fs::path&) { return std::string("ceci n'est pas une base\n", 24); }},
        {"en-tête coupé", [](const fs::path&) { return std::string("SQLite format 3\0\x10\x00", 18); }},
        {"en-tête puis déchets", [](const fs::path&) { return entete_puis_dechets(); }},
        {"base tronquée", base_tronquee},
        {"base d'un autre programme", base_etrangere},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        DossierTemporaire dossier;
        const fs::path fichier = dossier.chemin() / RegistreSqlite::nom_fichier;
        const std::string octets = c.contenu(dossier.chemin());
        if (octets.empty()) {
            ADD_FAILURE() << "impossible de préparer le fichier (outil sqlite3 ?)";
            continue;
        }
        ecrire_octets(fichier, octets);
        ecrire_octets(fichier.string() + "-wal", "journal illisible");

        RegistreSqlite r(fichier);
        ASSERT_TRUE(r.avertissement());

        // Mis de côté sous "<nom>.<aaaammjj-hhmmss>", journal compris, octets intacts.
        fs::path mis_de_cote;
        for (const auto& e : fs::directory_iterator(dossier.chemin())) {
            const auto nom = e.path().filename().string();
            if (nom.starts_with("reglages.sqlite.") && !nom.ends_with("-wal") && !nom.ends_with("-shm")) {
                mis_de_cote = e.path();
            }
        }
        ASSERT_FALSE(mis_de_cote.empty());
        const auto date = mis_de_cote.filename().string().substr(std::string("reglages.sqlite.").size());
        ASSERT_EQ(date.size(), 15u) << date;
        EXPECT_EQ(date[8], '-');
        EXPECT_EQ(lire_octets(mis_de_cote), octets);
        EXPECT_EQ(lire_octets(mis_de_cote.string() + "-wal"), "journal illisible");
        EXPECT_NE(r.avertissement()->find(fichier.string()), std::string::npos) << *r.avertissement();
        EXPECT_NE(r.avertissement()->find(mis_de_cote.string()), std::string::npos) << *r.avertissement();

        // La base neuve fonctionne et reste saine à la réouverture.
        EXPECT_TRUE(r.lister_sous_cles("").empty());
        ASSERT_TRUE(r.ecrire_valeur("k", "v", "neuf"));
        EXPECT_EQ(r.verifier_integrite(), "ok");
        RegistreSqlite relu(fichier);
        EXPECT_FALSE(relu.avertissement());
        EXPECT_EQ(relu.lire_valeur("k", "v"), "neuf");
    }
}

TEST_F(RegistreSqliteTest, DeuxMisesDeCoteDansLaMemeSecondeNeSEcrasentPas) {
    ecrire_octets(base(), "premier déchet");
    { RegistreSqlite premier(base()); }  // mis de côté une fois
    ecrire_octets(base(), "second déchet");
    for (const char* suffixe : {"-wal", "-shm"}) fs::remove(base().string() + suffixe);
    RegistreSqlite r(base());
    ASSERT_TRUE(r.avertissement());

    Noms contenus;
    for (const auto& nom : fichiers_mis_de_cote()) {
        if (!nom.ends_with("-wal") && !nom.ends_with("-shm")) {
            contenus.push_back(lire_octets(dossier_.chemin() / nom));
        }
    }
    std::sort(contenus.begin(), contenus.end());
    EXPECT_EQ(contenus, (Noms{"premier déchet", "second déchet"}));
}

TEST_F(RegistreSqliteTest, SansBaseOuvrableLeveErreurFichier) {
    // Dossier absent, ou un dossier à la place du fichier (jamais déplacé).
    EXPECT_THROW(RegistreSqlite(dossier_.chemin() / "absent" / "reglages.sqlite"), ErreurFichier);
    fs::create_directory(base());
    try {
        RegistreSqlite r(base());
        FAIL() << "aucune erreur";
    } catch (const ErreurFichier& e) {
        EXPECT_NE(std::string(e.what()).find(base().string()), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("base de réglages"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(fs::is_directory(base()));
    EXPECT_TRUE(fichiers_mis_de_cote().empty());
}

// En lecture seule (les commandes qui ne font que lire) : rien n'est créé, converti ni mis de côté,
// les valeurs se lisent, et toute écriture est refusée et dite, jamais prise pour un succès.
TEST_F(RegistreSqliteTest, LectureSeuleNeCreeNiNeDeplaceRien) {
    struct Cas {
        const char* nom;
        std::function<void(const fs::path&)> preparer;  // rien : pas de base
        std::string lu;
        bool illisible;
    };
    const Cas cas[] = {
        {"base absente", {}, "", false},
        {"base remplie",
         [](const fs::path& f) {
             RegistreSqlite r(f);
             r.ecrire_valeur("k", "v", "1");
         },
         "1", false},
        {"fichier illisible", [](const fs::path& f) { ecrire_octets(f, "ceci n'est pas une base\n"); }, "",
         true},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        DossierTemporaire dossier;
        const fs::path fichier = dossier.chemin() / RegistreSqlite::nom_fichier;
        if (c.preparer) c.preparer(fichier);
        const auto noms = [&] {
            Noms n;
            for (const auto& e : fs::directory_iterator(dossier.chemin())) {
                const auto nom = e.path().filename().string();
                if (!nom.ends_with("-wal") && !nom.ends_with("-shm")) n.push_back(nom);
            }
            std::sort(n.begin(), n.end());
            return n;
        };
        const Noms noms_avant = noms();
        const std::string avant = fs::exists(fichier) ? lire_octets(fichier) : "";
        {
            RegistreSqlite r(fichier, RegistreSqlite::Acces::lecture_seule);
            EXPECT_EQ(r.avertissement().has_value(), c.illisible);
            if (c.illisible) {
                EXPECT_NE(r.avertissement()->find("illisible"), std::string::npos);
            }
            EXPECT_EQ(r.lire_valeur("k", "v"), c.lu);
            std::vector<std::string> signales;
            r.definir_signalement([&](const std::string& m) { signales.push_back(m); });
            EXPECT_FALSE(r.ecrire_valeur("k", "v", "2"));
            EXPECT_FALSE(r.appliquer_et_vider({{"k", "w", std::string("3")}}));
            EXPECT_FALSE(r.creer_cle("autre"));
            ASSERT_EQ(signales.size(), 3u);
            EXPECT_NE(signales[0].find("lecture seule"), std::string::npos) << signales[0];
            EXPECT_EQ(r.lire_valeur("k", "v"), c.lu);
        }
        // Le dossier est tel qu'il était : ni base créée, ni fichier mis de côté, ni réserve.
        EXPECT_EQ(noms(), noms_avant);
        if (c.preparer) {
            EXPECT_EQ(lire_octets(fichier), avant);
        }
    }
}

TEST_F(RegistreSqliteTest, DeuxOuverturesSurLeMemeFichierEcriventToutes) {
    RegistreSqlite premier(base());
    RegistreSqlite second(base());
    ASSERT_TRUE(premier.ecrire_valeur("k", "a", "1"));
    ASSERT_TRUE(second.ecrire_valeur("k", "b", "2"));
    EXPECT_EQ(premier.lire_valeur("k", "b"), "2");
    EXPECT_EQ(second.lire_valeur("k", "a"), "1");
    second.effacer_arborescence("k");
    EXPECT_FALSE(premier.cle_existe("k"));
}

TEST_F(RegistreSqliteTest, DeuxProcessusEcriventEnMemeTemps) {
    constexpr int n = 150;
    { RegistreSqlite creation(base()); }  // base créée avant les deux écrivains
    const pid_t enfant = ::fork();
    ASSERT_GE(enfant, 0);
    const std::string qui = enfant == 0 ? "enfant" : "parent";
    int echecs = 0;
    {
        RegistreSqlite r(base());
        for (int i = 0; i < n; ++i) {
            if (!r.ecrire_valeur(qui + "\\" + std::to_string(i % 7), std::to_string(i), qui)) ++echecs;
        }
    }
    if (enfant == 0) ::_exit(echecs == 0 ? 0 : 1);
    int etat = 0;
    ASSERT_EQ(::waitpid(enfant, &etat, 0), enfant);
    ASSERT_TRUE(WIFEXITED(etat));
    EXPECT_EQ(WEXITSTATUS(etat), 0);
    EXPECT_EQ(echecs, 0);

    RegistreSqlite r(base());
    for (const std::string q : {"parent", "enfant"}) {
        std::size_t total = 0;
        for (const auto& sous : r.lister_sous_cles(q)) total += r.lister_valeurs(q + "\\" + sous).size();
        EXPECT_EQ(total, static_cast<std::size_t>(n)) << q;
    }
    EXPECT_EQ(r.verifier_integrite(), "ok");
}

TEST_F(RegistreSqliteTest, EcrireEtViderSurvitAUnArretBrutal) {
    {
        RegistreSqlite r(base());
        ASSERT_TRUE(r.ecrire_valeur("options", "avant", "1"));
    }
    const pid_t enfant = ::fork();
    ASSERT_GE(enfant, 0);
    if (enfant == 0) {
        RegistreSqlite r(base());
        r.ecrire_valeur("options", "ordinaire", "o");
        const bool ecrite = r.ecrire_valeur_et_vider("options", "sauv crash", "ligne de l'instantané");
        if (ecrite) ::kill(::getpid(), SIGKILL);
        ::_exit(3);
    }
    int etat = 0;
    ASSERT_EQ(::waitpid(enfant, &etat, 0), enfant);
    ASSERT_TRUE(WIFSIGNALED(etat)) << "l'écriture a échoué dans l'enfant";
    EXPECT_EQ(WTERMSIG(etat), SIGKILL);

    RegistreSqlite r(base());
    EXPECT_FALSE(r.avertissement());
    EXPECT_EQ(r.lire_valeur("options", "sauv crash"), "ligne de l'instantané");
    EXPECT_EQ(r.lire_valeur("options", "ordinaire"), "o");
    EXPECT_EQ(r.lire_valeur("options", "avant"), "1");
    EXPECT_EQ(r.verifier_integrite(), "ok");
}
#endif

}  // namespace
}  // namespace lumi
