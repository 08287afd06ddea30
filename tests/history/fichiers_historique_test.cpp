#include "history/fichiers_historique.hpp"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>

#include "base/erreurs.hpp"
#include "base/fichiers.hpp"
#include "base/texte.hpp"
#include "commun/soutien.hpp"
#include "settings/cles.hpp"
#include "settings/parametres.hpp"
#include "settings/registre_memoire.hpp"

namespace lumi {
namespace {

namespace fs = std::filesystem;
using essai::ecrire_octets;
using essai::lire_octets;

NumeroJour jour(int a, unsigned m, unsigned j) {
    return numero_jour(
        std::chrono::year_month_day{std::chrono::year{a}, std::chrono::month{m}, std::chrono::day{j}});
}

const std::string ligne_paul =
    "Paul;Heures pleines;05/01/2000;21H14;00:12:31;Rouge;A;4,512;-4;0;0,000;|;MonFAI;";
const Moment debut_paul{jour(2000, 1, 5), seconde_du_jour(21, 14, 7)};

std::string entete_janvier_2000() {
    return "Attention, modifier ce fichier peut provoquer des erreurs de lecture !\r\n"
           "Lumicompteur 2000 v1.0\r\njanvier 2000\r\ntva : 19,6\r\n\r\n";
}

// Un dossier de données avec tarifs.ini et l'écrivain.
class Historique : public ::testing::Test {
protected:
    Historique() { ecrire_octets(dossier_ / "tarifs.ini", "[TVA]\r\ntaux=19.6\r\n"); }

    fs::path fichier(const std::string& nom) const {
        return dossier_.chemin() / "Historique" / chemin_utf8(nom);
    }

    essai::DossierTemporaire dossier_;
    EcrivainHistorique ecrivain_{dossier_.chemin(), ','};
};

TEST_F(Historique, PremiereConnexionDuMoisPuisAjout) {
    const std::string ligne_andre =
        "André;Heures creuses;06/01/2000;08H00;00:01:00;Bleu;A;0,500;-4;0;0,000;|;MonFAI;";
    EXPECT_EQ(ecrivain_.position_fin(debut_paul.jour), 0);
    EXPECT_TRUE(ecrivain_.enregistrement_dans_historique(ligne_paul, debut_paul));
    EXPECT_EQ(lire_octets(fichier("janvier00.fct")), entete_janvier_2000() + ligne_paul + "\r\n");
    EXPECT_TRUE(ecrivain_.enregistrement_dans_historique(ligne_andre, {jour(2000, 1, 6), 8 * 3600}));
    // La seconde sans en-tête, en Windows-1252 (un seul octet pour « é »).
    EXPECT_EQ(lire_octets(fichier("janvier00.fct")),
              entete_janvier_2000() + ligne_paul + "\r\n" + utf8_vers_cp1252(ligne_andre) + "\r\n");
    EXPECT_EQ(ecrivain_.position_fin(debut_paul.jour),
              static_cast<std::int64_t>(lire_octets(fichier("janvier00.fct")).size()));
}

TEST_F(Historique, GardeContreLesDoublons) {
    struct Cas {
        const char* nom;
        Moment second_debut;
        bool ecrit;
    };
    for (const auto& c : {Cas{"même ligne, même début", debut_paul, false},
                          Cas{"même ligne, autre début", {debut_paul.jour, debut_paul.seconde + 1}, true}}) {
        SCOPED_TRACE(c.nom);
        essai::DossierTemporaire dossier;
        EcrivainHistorique ecrivain(dossier.chemin(), ',');
        EXPECT_TRUE(ecrivain.enregistrement_dans_historique(ligne_paul, debut_paul));
        EXPECT_EQ(ecrivain.enregistrement_dans_historique(ligne_paul, c.second_debut), c.ecrit);
        const auto contenu = lire_octets(dossier.chemin() / "Historique" / "janvier00.fct");
        EXPECT_EQ(contenu.ends_with(ligne_paul + "\r\n" + ligne_paul + "\r\n"), c.ecrit);
    }
}

// Après un arrêt brutal, un autre processus rejoue l'ajout avec la place notée avant lui : la ligne
// déjà là n'est pas doublée, mais deux connexions aux lignes identiques restent deux.
TEST_F(Historique, AjoutDejaFaitAvantUnArretBrutal) {
    const std::string avant = "u;t;04/01/2000;10H00;00:01:00;Rouge;A;1,000;-4;0;0,000;|;;";
    struct Cas {
        const char* nom;
        std::string contenu;  // le fichier avant l'ajout rejoué ; "" : absent
        bool deja_ecrit;      // l'ajout avait eu lieu avant l'arrêt
    };
    const std::string entete = entete_janvier_2000();
    for (const auto& c :
         {Cas{"fichier neuf, ajout fait", "", true}, Cas{"fichier neuf, ajout pas fait", "", false},
          Cas{"après une ligne, ajout fait", entete + avant + "\r\n", true},
          Cas{"après une ligne coupée, ajout fait", entete + avant + "\r\nPaul;Heu", true},
          Cas{"même ligne déjà avant la place", entete + ligne_paul + "\r\n", false}}) {
        SCOPED_TRACE(c.nom);
        essai::DossierTemporaire dossier;
        ecrire_octets(dossier / "tarifs.ini", "[TVA]\r\ntaux=19.6\r\n");
        const fs::path chemin = dossier.chemin() / "Historique" / "janvier00.fct";
        fs::create_directories(chemin.parent_path());
        if (!c.contenu.empty()) ecrire_octets(chemin, c.contenu);
        const std::int64_t position = EcrivainHistorique(dossier.chemin(), ',').position_fin(debut_paul.jour);
        if (c.deja_ecrit) {
            ASSERT_TRUE(EcrivainHistorique(dossier.chemin(), ',')
                            .enregistrement_dans_historique(ligne_paul, debut_paul));
        }
        const auto attendu = lire_octets(chemin);
        EcrivainHistorique suivant(dossier.chemin(), ',');
        EXPECT_EQ(suivant.enregistrement_dans_historique(ligne_paul, debut_paul, position), !c.deja_ecrit);
        if (c.deja_ecrit) {
            EXPECT_EQ(lire_octets(chemin), attendu);
        } else {
            EXPECT_TRUE(lire_octets(chemin).ends_with("\n" + ligne_paul + "\r\n"));
        }
    }
}

TEST_F(Historique, FevrierPorteSonAccent) {
    ecrivain_.enregistrement_dans_historique("u;t;29/02/2000;10H00;00:01:00;Rouge;A;1,000;-4;0;0,000;|;;",
                                             {jour(2000, 2, 29), 36000}, 60);
    const auto contenu = lire_octets(fichier("février00.fct"));
    EXPECT_NE(contenu.find("\r\nf\xE9vrier 2000\r\n"), std::string::npos);
}

// Un mois accentué écrit par le programme se relit sous son nom : le dossier le montre tel quel et
// l'inventaire le trouve (sous Windows, un nom passé octet par octet devenait « fÃ©vrier00.fct »).
TEST_F(Historique, LesMoisAccentuesSeRelisentSousLeurNom) {
    struct Cas {
        unsigned mois;
        const char* nom;
    };
    for (const Cas c : {Cas{2, "février00.fct"}, Cas{12, "décembre00.fct"}}) {
        SCOPED_TRACE(c.nom);
        fs::remove_all(fichier(""));
        const std::string date = "10/" + champ_2(static_cast<int>(c.mois)) + "/2000";
        ASSERT_TRUE(ecrivain_.enregistrement_dans_historique(
            "u;t;" + date + ";10H00;00:01:00;Rouge;A;1,000;-4;0;0,000;|;;", {jour(2000, c.mois, 10), 36000},
            60));
        std::vector<std::string> noms;
        for (const auto& e : fs::directory_iterator(fichier("")))
            noms.push_back(e.path().filename().string());
        EXPECT_EQ(noms, std::vector<std::string>{c.nom});
        EXPECT_EQ(InventaireHistorique(fichier("")).fichiers(c.mois, 2000).size(), 1u);
    }
}

TEST_F(Historique, LigneCoupeeParUnArretBrutal) {
    fs::create_directories(fichier(""));
    const std::string avant = "u;t;04/01/2000;10H00;00:01:00;Rouge;A;1,000;-4;0;0,000;|;;";
    ecrire_octets(fichier("janvier00.fct"), entete_janvier_2000() + avant + "\r\nPaul;Heures pl");
    ASSERT_TRUE(ecrivain_.enregistrement_dans_historique(ligne_paul, debut_paul));
    const auto contenu = lire_octets(fichier("janvier00.fct"));
    EXPECT_EQ(contenu, entete_janvier_2000() + avant + "\r\nPaul;Heures pl\r\n" + ligne_paul + "\r\n");

    // Le lecteur compte la ligne coupée illisible et garde celles d'avant et d'après.
    std::vector<std::string> lus;
    int illisibles = 0;
    const auto lu = lire_fichier_historique(fichier("janvier00.fct"));
    ASSERT_TRUE(lu);
    EXPECT_EQ(lu->ligne_tva(), "tva : 19,6");
    for (const auto& ligne : lu->enregistrements()) {
        try {
            if (const auto e = decoder_ligne_historique(ligne)) lus.push_back(e->date);
        } catch (const ErreurConversion&) {
            ++illisibles;
        }
    }
    EXPECT_EQ(lus, (std::vector<std::string>{"04/01/2000", "05/01/2000"}));
    EXPECT_EQ(illisibles, 1);
}

TEST_F(Historique, FichierVideOuDossierDisparu) {
    // Un fichier créé puis interrompu avant son en-tête le reçoit au premier ajout.
    fs::create_directories(fichier(""));
    ecrire_octets(fichier("janvier00.fct"), "");
    ecrivain_.enregistrement_dans_historique(ligne_paul, debut_paul);
    EXPECT_EQ(lire_octets(fichier("janvier00.fct")), entete_janvier_2000() + ligne_paul + "\r\n");

    fs::remove_all(fichier(""));
    ecrivain_.enregistrement_dans_historique(ligne_paul, {debut_paul.jour, 0});
    EXPECT_EQ(lire_octets(fichier("janvier00.fct")), entete_janvier_2000() + ligne_paul + "\r\n");
}

// Le disque plein se joue sur /dev/full : propre à Linux.
#ifndef _WIN32
TEST_F(Historique, DisquePleinSignale) {
    fs::create_directories(fichier(""));
    fs::create_symlink("/dev/full", fichier("janvier00.fct"));
    try {
        ecrivain_.enregistrement_dans_historique(ligne_paul, debut_paul);
        FAIL() << "l'écriture aurait dû échouer";
    } catch (const ErreurFichier& e) {
        EXPECT_NE(std::string(e.what()).find("janvier00.fct"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("disque plein"), std::string::npos) << e.what();
    }

    // Une fois la place revenue, la même ligne s'écrit : l'échec n'est pas pris pour un doublon.
    fs::remove(fichier("janvier00.fct"));
    EXPECT_TRUE(ecrivain_.enregistrement_dans_historique(ligne_paul, debut_paul));
}
#endif

TEST_F(Historique, DerniereDureeJamaisNulle) {
    DonneesConnexion d;
    d.date_debut = debut_paul.jour;
    const auto ligne = ecrivain_.get_donnees_a_enregistrer(d);
    EXPECT_EQ(ecrivain_.texte_derniere_duree(), "00:00:00");
    ecrivain_.enregistrement_dans_historique(ligne, {d.date_debut, 0});
    EXPECT_EQ(ecrivain_.texte_derniere_duree(), "00:00:01");
    EXPECT_NE(lire_octets(fichier("janvier00.fct")).find(";00:00:00;"), std::string::npos);
}

// --- Réécriture d'un fichier ---

const std::string entete_mars = "Attention\r\nLumicompteur 2000 v1.0\r\nmars 2000\r\ntva : 19,6\r\n\r\n";
const std::string r1 = "a;t;01/03/2000;10H00;00:01:00;Rouge;A;1,000;-4;0;0,000;|;X;";
const std::string r2 = "b;t;02/03/2000;10H00;00:01:00;Rouge;A;1,000;-4;0;0,000;|;X;";
const std::string r2_efface = "b;t;02/03/2000;10H00;00:01:00;Rouge;A;1,000;-4;0;0,000;\xA4;X;";
const std::string r3 = "c;t;03/03/2000;10H00;00:01:00;Rouge;A;1,000;-4;0;0,000;";

std::string fichier_mars(const std::string& a, const std::string& b, const std::string& c) {
    return entete_mars + a + "\r\n" + b + "\r\n" + c + "\r\n";
}

// Heures d'appel, coûts et noms ne regardent que l'utilisateur, quel que soit son masque. Droits
// POSIX : ces deux essais sont propres à Linux.
#ifndef _WIN32
TEST_F(Historique, FichiersEtDossierDuMoisPrives) {
    using essai::droits_de;
    std::int32_t seconde = debut_paul.seconde;  // une autre connexion à chaque tour
    for (const mode_t masque : {mode_t{022}, mode_t{0}}) {
        SCOPED_TRACE("masque " + std::to_string(masque));
        const essai::MasqueCreation m(masque);
        fs::remove_all(fichier(""));  // disparu depuis le démarrage : recréé
        ASSERT_TRUE(ecrivain_.enregistrement_dans_historique(ligne_paul, {debut_paul.jour, ++seconde}, 751));
        EXPECT_EQ(droits_de(fichier("")), 0700);
        EXPECT_EQ(droits_de(fichier("janvier00.fct")), 0600);
    }
}

// La sauvegarde d'une réécriture ne montre pas plus que le fichier du mois, ni plus qu'avant.
TEST(ReecritureHistorique, LaSauvegardePrendLesDroitsDuFichierDuMois) {
    using essai::droits_de;
    const essai::MasqueCreation m(0);
    struct Cas {
        const char* nom;
        int droits_mois;
        int droits_ancienne_sauvegarde;  // -1 : pas encore de sauvegarde
        int droits_sauvegarde;
    };
    const Cas cas[] = {
        {"première sauvegarde", 0600, -1, 0600},
        {"ancienne sauvegarde plus ouverte que le mois : resserrée", 0600, 0644, 0600},
        {"mois laissé ouvert par une édition précédente : le mois n'est pas resserré", 0644, -1, 0644},
        {"mois plus ouvert que l'ancienne sauvegarde : elle n'est pas élargie", 0644, 0600, 0600},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        essai::DossierTemporaire dossier;
        ecrire_octets(dossier / "mars00.fct", fichier_mars(r1, r2, r3));
        ASSERT_EQ(::chmod((dossier / "mars00.fct").c_str(), static_cast<mode_t>(c.droits_mois)), 0);
        if (c.droits_ancienne_sauvegarde >= 0) {
            ecrire_octets(dossier / "historique.bak", "ancienne");
            ASSERT_EQ(::chmod((dossier / "historique.bak").c_str(),
                              static_cast<mode_t>(c.droits_ancienne_sauvegarde)),
                      0);
        }
        ASSERT_TRUE(
            modifier_ligne_historique(ActionLigne::marquer, 2, dossier.chemin(), "mars00.fct", nullptr));
        EXPECT_EQ(droits_de(dossier / "mars00.fct"), c.droits_mois);
        EXPECT_EQ(droits_de(dossier / "historique.bak"), c.droits_sauvegarde);
    }
}
#endif

TEST(ReecritureHistorique, MarquerDemarquerOter) {
    struct Cas {
        const char* nom;
        std::string avant;
        ActionLigne action;
        int numero;
        std::string apres;
    };
    const Cas cas[] = {
        {"effacer : seul le | devient ¤", fichier_mars(r1, r2, r3), ActionLigne::marquer, 2,
         fichier_mars(r1, r2_efface, r3)},
        {"restaurer : le ¤ redevient |", fichier_mars(r1, r2_efface, r3), ActionLigne::restaurer, 2,
         fichier_mars(r1, r2, r3)},
        {"ligne sans marque : ¤; ajouté", fichier_mars(r1, r2, r3), ActionLigne::marquer, 3,
         fichier_mars(r1, r2, r3 + "\xA4;")},
        {"le plus tard l'emporte : | suivi de ¤, rien à effacer", fichier_mars(r1, "P|ul;\xA4;X;", r3),
         ActionLigne::marquer, 2, fichier_mars(r1, "P|ul;\xA4;X;", r3)},
        {"restaurer le ¤ qui suit le |", fichier_mars(r1, "P|ul;\xA4;X;", r3), ActionLigne::restaurer, 2,
         fichier_mars(r1, "P|ul;|;X;", r3)},
        {"ôter : la ligne disparaît", fichier_mars(r1, r2, r3), ActionLigne::oter, 1,
         entete_mars + r2 + "\r\n" + r3 + "\r\n"},
        {"fichier en UTF-8 : ¤ en UTF-8", fichier_mars("é" + r1, r2, r3), ActionLigne::marquer, 2,
         fichier_mars("é" + r1, "b;t;02/03/2000;10H00;00:01:00;Rouge;A;1,000;-4;0;0,000;¤;X;", r3)},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        essai::DossierTemporaire dossier;
        ecrire_octets(dossier / "mars00.fct", c.avant);
        std::string erreur;
        EXPECT_TRUE(modifier_ligne_historique(c.action, c.numero, dossier.chemin(), "mars00.fct", &erreur))
            << erreur;
        EXPECT_EQ(lire_octets(dossier / "mars00.fct"), c.apres);
        EXPECT_EQ(lire_octets(dossier / "historique.bak"), c.avant);
    }
}

// Un nom qui porte une marque d'état ("¤", "|") la perd à l'écriture : l'effacement de
// l'enregistrement marque la vraie marque et l'enregistrement se relit effacé.
TEST(ReecritureHistorique, UnNomAvecUneMarqueNeTrompePasLEffacement) {
    DonneesConnexion d;
    d.utilisateur = "Jo¤";
    d.tarif_en_cours = "Local";
    d.nom_connexion = "Net|Sat¤";
    const std::string ligne = get_donnees_a_enregistrer(d);
    EXPECT_EQ(champs_ligne(ligne)[0], "Jo*");
    EXPECT_EQ(champs_ligne(ligne)[12], "Net/Sat*");
    essai::DossierTemporaire dossier;
    ecrire_octets(dossier / "mars00.fct", fichier_mars(r1, ligne, r3));
    ASSERT_TRUE(modifier_ligne_historique(ActionLigne::marquer, 2, dossier.chemin(), "mars00.fct"));
    const auto lu = lire_fichier_historique(dossier / "mars00.fct");
    ASSERT_TRUE(lu);
    const auto e = decoder_ligne_historique(lu->enregistrement(2));
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->efface);
}

TEST(ReecritureHistorique, EchecsLaissentLeFichierIntact) {
    essai::DossierTemporaire dossier;
    const auto avant = fichier_mars(r1, r2, r3);
    ecrire_octets(dossier / "mars00.fct", avant);
    std::string erreur;
    for (const int numero : {0, 4, -1}) {
        EXPECT_FALSE(
            modifier_ligne_historique(ActionLigne::marquer, numero, dossier.chemin(), "mars00.fct", &erreur));
        EXPECT_NE(erreur.find("n'existe pas"), std::string::npos) << erreur;
    }
    EXPECT_FALSE(fs::exists(dossier / "historique.bak"));
    EXPECT_FALSE(
        modifier_ligne_historique(ActionLigne::marquer, 1, dossier.chemin(), "avril00.fct", &erreur));

    // "historique.bak" ne peut être écrit : rien n'est touché, l'échec est dit.
    fs::create_directories(dossier / "historique.bak" / "occupe");
    EXPECT_FALSE(modifier_ligne_historique(ActionLigne::oter, 1, dossier.chemin(), "mars00.fct", &erreur));
    EXPECT_NE(erreur.find("historique.bak"), std::string::npos) << erreur;
    EXPECT_EQ(lire_octets(dossier / "mars00.fct"), avant);
}

// Le processus qui se tue à une étape est un fork : propre à Linux.
#ifndef _WIN32
TEST(ReecritureHistorique, ArretBrutalEntreLesEtapes) {
    const auto avant = fichier_mars(r1, r2, r3);
    const auto apres = entete_mars + r1 + "\r\n" + r3 + "\r\n";
    struct Cas {
        EtapeReecriture etape;
        const char* nom;
        bool nouveau;
    };
    for (const auto& c : {Cas{EtapeReecriture::sauvegarde_ecrite, "sauvegarde écrite", false},
                          Cas{EtapeReecriture::temporaire_ecrit, "temporaire écrit", false},
                          Cas{EtapeReecriture::fichier_remplace, "fichier remplacé", true}}) {
        SCOPED_TRACE(c.nom);
        essai::DossierTemporaire dossier;
        ecrire_octets(dossier / "mars00.fct", avant);
        const pid_t enfant = ::fork();
        ASSERT_GE(enfant, 0);
        if (enfant == 0) {
            // Le processus se tue lui-même à l'étape choisie, sans rien nettoyer.
            modifier_ligne_historique(ActionLigne::oter, 2, dossier.chemin(), "mars00.fct", nullptr,
                                      [&](EtapeReecriture e) {
                                          if (e == c.etape) ::raise(SIGKILL);
                                      });
            ::_exit(0);
        }
        int statut = 0;
        ASSERT_EQ(::waitpid(enfant, &statut, 0), enfant);
        ASSERT_TRUE(WIFSIGNALED(statut));
        EXPECT_EQ(lire_octets(dossier / "mars00.fct"), c.nouveau ? apres : avant);
        EXPECT_EQ(lire_octets(dossier / "historique.bak"), avant);
        // Rien d'autre ne porte l'extension des fichiers mensuels.
        for (const auto& f : fs::directory_iterator(dossier.chemin())) {
            if (f.path().extension() == ".fct") {
                EXPECT_EQ(f.path().filename(), "mars00.fct");
            }
        }
    }
}
#endif

TEST(RapatriementHistorique, FichiersRangesDansLHistorique) {
    essai::DossierTemporaire programme;
    const fs::path historique = programme / "Historique";
    fs::create_directories(historique);
    ecrire_octets(programme / "mars00.fct", "nouveau");
    ecrire_octets(historique / "mars00.fct", "ancien");
    ecrire_octets(programme / "f\xE9vrier00.fct", "fevrier");
    ecrire_octets(programme / "notes.txt", "reste");

    EXPECT_TRUE(rapatrier_fichiers_historique(programme.chemin(), historique));
    EXPECT_EQ(lire_octets(historique / "mars00.fct"), "nouveau");
    EXPECT_EQ(lire_octets(historique / chemin_utf8("février00.fct")), "fevrier");
    EXPECT_FALSE(fs::exists(programme / "mars00.fct"));
    EXPECT_TRUE(fs::exists(programme / "notes.txt"));
    EXPECT_FALSE(rapatrier_fichiers_historique(programme.chemin(), historique));
}

}  // namespace
}  // namespace lumi
