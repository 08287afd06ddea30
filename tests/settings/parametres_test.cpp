#include "settings/parametres.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "commun/soutien.hpp"
#include "settings/cles.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/registre_memoire.hpp"

namespace lumi {
namespace {

namespace fs = std::filesystem;
namespace p = parametres;

const std::string racine = "Software\\Korvanelle Software\\Lumicompteur 99";

// Chaque réglage du registre, lu à travers la table après une écriture par son chemin brut :
// une section ou un nom mal recopié ne retrouve pas la valeur.
TEST(Parametres, ChaqueReglageDuRegistreLitSonCheminEtSonNom) {
    struct Cas {
        const ParametreRegistre& parametre;
        const char* cle;
        const char* nom;
    };
    const Cas cas[] = {
        {p::path, "\\options", "path"},
        {p::params, "\\options", "params"},
        {p::premiere_utilisation_2000, "\\options", "1ere utilisation2000"},
        {p::detection_ras, "\\options", "detection ras"},
        {p::afficher_auto, "\\options", "afficher auto"},
        {p::cacher_auto, "\\options", "cacher auto"},
        {p::taille, "\\options", "taille"},
        {p::taille_reduite, "\\options", "taille reduite"},
        {p::anti_crash, "\\options", "anti crash"},
        {p::frequence_save_crash, "\\options", "frequence save crash"},
        {p::sauv_crash, "\\options", "sauv crash"},
        {p::sauv_forfait, "\\options", "sauv forfait"},
        {p::sauv_total_facture, "\\options", "sauv total facture"},
        {p::cout_total, "\\options", "cout total"},
        {p::total_time, "\\options", "total time"},
        {p::derniere_reduc, "\\options", "derniere reduc"},
        {p::total_avec_reduc, "\\options", "TOTAL avec reduc"},
        {p::alsace, "\\options", "Alsace"},
        {p::message_1, "\\options", "message 1"},
        {p::type_programmation, "\\options", "type programmation"},
        {p::se_deconnecter, "\\options", "se deconnecter"},
        {p::se_deconnecter_execution, "\\options", "se deconnecter"},
        {p::exit_window, "\\options", "exit window"},
        {p::alarme_download, "\\options", "alarme download"},
        {p::delai_auto_validation, "\\options", "delai auto validation"},
        {p::son_alarme, "\\options", "son alarme"},
        {p::nb_d_utilisateurs, "\\utilisateurs", "nb d'utilisateurs"},
        {p::dernier_utilisateur, "\\utilisateurs", "dernier utilisateur"},
        {p::dernier_tarif, "\\utilisateurs", "dernier tarif"},
        {p::selection_auto, "\\utilisateurs", "selection auto"},
        {p::utiliser_profil, "\\utilisateurs", "utiliser profil"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        RegistreMemoire registre;
        EXPECT_EQ(lire(registre, c.parametre), c.parametre.defaut);  // machine neuve : le défaut
        ASSERT_TRUE(registre.ecrire_valeur(racine + c.cle, c.nom, "valeur écrite"));
        EXPECT_EQ(lire(registre, c.parametre), "valeur écrite");
        ecrire(registre, c.parametre, "par la table");
        EXPECT_EQ(registre.lire_valeur(racine + c.cle, c.nom), "par la table");
    }
}

TEST(Parametres, LesDefautsDesReglagesCourants) {
    RegistreMemoire registre;
    EXPECT_EQ(lire(registre, p::taille), "normale");
    EXPECT_EQ(lire(registre, p::taille_reduite), "afficheur");
    EXPECT_EQ(lire(registre, p::frequence_save_crash), "1");
    EXPECT_EQ(lire(registre, p::cout_total), "0");
    EXPECT_EQ(lire(registre, p::total_time), "0");
    EXPECT_EQ(lire(registre, p::derniere_reduc), "0");
    EXPECT_EQ(lire(registre, p::type_programmation), "0");
    EXPECT_EQ(lire(registre, p::delai_auto_validation), "10");
    EXPECT_EQ(lire(registre, p::son_alarme), "alarme.wav");
    EXPECT_EQ(lire(registre, p::nb_d_utilisateurs), "0");
    // Un texte vide compte comme l'absence.
    ASSERT_TRUE(registre.ecrire_valeur(cles::section(cles::options), "delai auto validation", ""));
    EXPECT_EQ(lire(registre, p::delai_auto_validation), "10");
}

TEST(Parametres, ChaqueDrapeauSuitSonTest) {
    struct Cas {
        const char* nom;
        const ParametreRegistre& parametre;
        bool absent, oui, non, autre;
    };
    const Cas cas[] = {
        {"detection ras", p::detection_ras, false, true, false, false},
        {"afficher auto", p::afficher_auto, true, true, false, true},
        {"cacher auto", p::cacher_auto, false, true, false, false},
        {"anti crash", p::anti_crash, true, true, false, true},
        {"TOTAL avec reduc", p::total_avec_reduc, true, true, false, true},
        {"Alsace", p::alsace, false, true, false, false},
        {"message 1", p::message_1, true, true, false, true},
        {"se deconnecter (fenêtre)", p::se_deconnecter, true, true, false, true},
        {"se deconnecter (exécution)", p::se_deconnecter_execution, false, true, false, false},
        {"exit window", p::exit_window, false, true, false, false},
        {"alarme download", p::alarme_download, false, true, false, false},
        {"selection auto", p::selection_auto, false, true, false, false},
        {"utiliser profil", p::utiliser_profil, true, true, false, true},
        {"1ere utilisation2000", p::premiere_utilisation_2000, true, true, false, true},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        RegistreMemoire registre;
        EXPECT_EQ(actif(registre, c.parametre), c.absent);
        ecrire(registre, c.parametre, "");
        EXPECT_EQ(actif(registre, c.parametre), c.absent);
        ecrire(registre, c.parametre, "oui");
        EXPECT_EQ(actif(registre, c.parametre), c.oui);
        ecrire(registre, c.parametre, "non");
        EXPECT_EQ(actif(registre, c.parametre), c.non);
        ecrire(registre, c.parametre, "Oui");  // la casse compte : seul "oui" est oui
        EXPECT_EQ(actif(registre, c.parametre), c.autre);
    }
}

TEST(Parametres, AlsaceInactifSeRangeCommeUneAbsence) {
    RegistreMemoire registre;
    const auto options = cles::section(cles::options);
    ecrire_drapeau(registre, p::alsace, true);
    EXPECT_EQ(registre.lire_valeur(options, "Alsace"), "oui");
    ecrire_drapeau(registre, p::alsace, false);
    EXPECT_TRUE(registre.lister_valeurs(options).empty());
    EXPECT_FALSE(actif(registre, p::alsace));

    // Les autres drapeaux rangent "non".
    ecrire_drapeau(registre, p::anti_crash, false);
    EXPECT_EQ(registre.lire_valeur(options, "anti crash"), "non");
    EXPECT_FALSE(actif(registre, p::anti_crash));
}

TEST(Parametres, PeriodeDesInstantanes) {
    struct Cas {
        const char* frequence;
        int secondes;
    };
    for (const auto& c : {Cas{"0", 60}, Cas{"1", 30}, Cas{"2", 15}, Cas{"3", 5}, Cas{"", 30}, Cas{"4", 10},
                          Cas{"-1", 10}, Cas{"deux", 30}, Cas{"03", 5}, Cas{" 3 ", 5}}) {
        SCOPED_TRACE(c.frequence);
        EXPECT_EQ(p::periode_sauvegarde_crash(c.frequence), c.secondes);
    }
    RegistreMemoire registre;
    EXPECT_EQ(p::periode_sauvegarde_crash(registre), 30);
    ecrire(registre, p::frequence_save_crash, "3");
    EXPECT_EQ(p::periode_sauvegarde_crash(registre), 5);
}

TEST(Parametres, FamillesNumerotees) {
    EXPECT_EQ(p::nom_pdata(1), "pdata 1");
    EXPECT_EQ(p::nom_utilisateur(12), "utilisateur 12");
    EXPECT_EQ(p::nom_time("F20"), "time F20");
    EXPECT_EQ(p::nom_raz(3), "raz 3");
    EXPECT_EQ(p::nom_raz_le(3), "raz le 3");
    EXPECT_EQ(p::nom_razj(3), "razj3");
    EXPECT_EQ(p::cle_fiche(2), "fiche 2");
    EXPECT_EQ(p::cle_colonne(7), "colonne 7");
}

class ParametresIni : public ::testing::Test {
protected:
    FichierIni ini(const std::string& contenu) {
        const auto chemin = dossier_.chemin() / "lumicompteur.ini";
        std::ofstream(chemin, std::ios::binary) << contenu;
        return FichierIni(chemin);
    }

    essai::DossierTemporaire dossier_{"lumi-parametres"};
};

TEST_F(ParametresIni, DefautsSurUnFichierVide) {
    const auto f = ini("");
    EXPECT_FALSE(actif(f, p::only_ras));
    EXPECT_EQ(lire(f, p::affichage), "ttc");
    EXPECT_EQ(lire(f, p::nb_de_decimales), "3");
    EXPECT_EQ(lire(f, p::nb_de_decimales_fenetre_options), "2");
    EXPECT_EQ(lire(f, p::selection), "0");
    EXPECT_EQ(lire(f, p::position_x), "indefini");
    EXPECT_EQ(lire(f, p::position_y), "indefini");
    EXPECT_EQ(lire(f, p::nb_de_fiches), "0");
}

TEST_F(ParametresIni, ValeursLuesDansLeursSections) {
    const auto f =
        ini("[detection automatique]\r\nonly RAS=oui\r\n"
            "[affichage des prix]\r\naffichage=hors taxes\r\n"
            "[gestion afficheur]\r\nnb de decimales=2\r\n"
            "[Paramètres de l'historique]\r\nselection=4\r\n"
            "[position normale]\r\nposition x=120\r\nposition y=\r\n"
            "[deconnexion fin telechargement]\r\nnb de fiches=3\r\n");
    EXPECT_TRUE(actif(f, p::only_ras));
    EXPECT_EQ(lire(f, p::affichage), "hors taxes");
    EXPECT_EQ(lire(f, p::nb_de_decimales), "2");
    EXPECT_EQ(lire(f, p::nb_de_decimales_fenetre_options), "2");
    EXPECT_EQ(lire(f, p::selection), "4");
    EXPECT_EQ(lire(f, p::position_x), "120");
    EXPECT_EQ(lire(f, p::position_y), "indefini");  // vide : le défaut
    EXPECT_EQ(lire(f, p::nb_de_fiches), "3");
}

}  // namespace
}  // namespace lumi
