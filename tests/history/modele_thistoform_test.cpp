// Le modèle de la fenêtre de l'historique autour de sa vue : la taille rangée par résolution, les
// listes des filtres tirées du fichier des tarifs, la comparaison avec une autre tarification et ce
// que la fermeture range pour la prochaine ouverture.
#include "history/fenetre/modele_thistoform.hpp"

#include <gtest/gtest.h>

#include "base/decimal.hpp"
#include "base/texte.hpp"
#include "commun/soutien.hpp"
#include "history/plafond_facture.hpp"
#include "settings/parametres.hpp"
#include "settings/registre_memoire.hpp"
#include "tariff/enregistrements.hpp"

namespace lumi {
namespace {

namespace fs = std::filesystem;

NumeroJour le_20_janvier_2000() {
    return numero_jour(
        std::chrono::year_month_day{std::chrono::year{2000}, std::chrono::January, std::chrono::day{20}});
}

// Le dossier de trois mois des essais de la fenêtre ; tarifs.ini et lumicompteur.ini au choix.
struct Banc {
    essai::DossierTemporaire dossier{"lumi-modele-histo"};
    RegistreMemoire registre;

    Banc() { fs::copy(LUMI_DONNEES_TESTS "/historique", dossier.chemin(), fs::copy_options::recursive); }
    void tarifs(const std::string& texte) const {
        essai::ecrire_octets(dossier.chemin() / "tarifs.ini", utf8_vers_cp1252(texte));
    }
    void tarifs_livres() const {
        fs::copy_file(fs::path(LUMI_DOSSIER_DATA_SOURCE) / "tarifs.ini", dossier.chemin() / "tarifs.ini",
                      fs::copy_options::overwrite_existing);
    }
    void reglages(const std::string& texte) const {
        essai::ecrire_octets(dossier.chemin() / "lumicompteur.ini", utf8_vers_cp1252(texte));
    }
    ModeleThistoform modele(ModeleThistoform::Annuaire annuaire = {}) {
        return ModeleThistoform(dossier.chemin(), registre, std::move(annuaire));
    }
};

ValeursLocales locale() {
    ValeursLocales l;
    l.separateur_decimal = ',';
    l.symbole_monetaire = "F";
    return l;
}

TEST(ModeleThistoform, ChaqueResolutionGardeSaTailleEtUneTailleQuiCacheraitLaFenetreEstRefusee) {
    struct Cas {
        const char* nom;
        int largeur_ecran, hauteur_ecran;
        TailleHistorique attendue;
    };
    const Cas cas[] = {
        {"rangée pour cet écran", 800, 600, {760, 480}},
        {"illisible et nulle : la taille dessinée", 1024, 768, taille_dessinee_historique},
        {"négatives : la taille dessinée", 1280, 1024, taille_dessinee_historique},
        {"rien pour cette largeur", 1600, 600, {661, 480}},
    };
    Banc b;
    b.reglages(
        "[Paramètres de l'historique]\r\n"
        "largeur 800=760\r\nhauteur 600=480\r\n"
        "largeur 1024=grande\r\nhauteur 768=0\r\n"
        "largeur 1280=-300\r\nhauteur 1024=-1\r\n");
    auto m = b.modele();
    m.ouvrir(le_20_janvier_2000(), locale());
    for (const auto& c : cas) EXPECT_EQ(m.taille(c.largeur_ecran, c.hauteur_ecran), c.attendue) << c.nom;
}

// Les filtres listent les tarifs et les options comme la fenêtre principale : un nombre démesuré
// est borné au lieu de faire tourner l'ouverture des milliards de fois, un nombre illisible est dit.
TEST(ModeleThistoform, LesFiltresDesTarifsEtDesOptionsViennentDuMoteurTarifaire) {
    struct Cas {
        const char* nom;
        std::string tarifs;
        std::vector<std::string> tarifications, options;
        std::string avertissement;  // un morceau du message, vide : aucun
    };
    const std::string options =
        "[liste options "
        "tarifaires]\r\nnb_total_options=2\r\noption1=R50HC\r\noption2=F20H\r\noption3=FISWE\r\n"
        "[R50HC]\r\ndesignation=Réduction de 50 %\r\n[F20H]\r\n";
    const Cas cas[] = {
        {"deux tarifs, deux options dont une sans désignation",
         "[Nombre de tarifications]\r\nnb tarifs=2\r\n[liste des tarifications]\r\n"
         "tarif n° 1=Local\r\ntarif n° 2=Minute\r\n" +
             options,
         {"Toutes les tarifications", "Local", "Minute"},
         {"Toutes les réductions", "Réduction de 50 %", "F20H"},
         ""},
        {"nombre de tarifs démesuré",
         "[Nombre de tarifications]\r\nnb tarifs=2000000000\r\n[liste des tarifications]\r\ntarif n° "
         "1=Local\r\n",
         {"Toutes les tarifications", "Local"},
         {"Toutes les réductions"},
         ""},
        {"nombre de tarifs illisible",
         "[Nombre de tarifications]\r\nnb tarifs=beaucoup\r\n[liste des tarifications]\r\ntarif n° "
         "1=Local\r\n" +
             options,
         {"Toutes les tarifications"},
         {"Toutes les réductions", "Réduction de 50 %", "F20H"},
         "nb tarifs"},
    };
    for (const auto& c : cas) {
        Banc b;
        b.tarifs(c.tarifs);
        auto m = b.modele();
        const auto avertissements = m.ouvrir(le_20_janvier_2000(), locale());
        EXPECT_EQ(m.tarifications(), c.tarifications) << c.nom;
        EXPECT_EQ(m.options(), c.options) << c.nom;
        if (c.avertissement.empty()) {
            EXPECT_TRUE(avertissements.empty()) << c.nom << " : " << avertissements.front();
        } else {
            ASSERT_EQ(avertissements.size(), 1u) << c.nom;
            EXPECT_NE(avertissements.front().find(c.avertissement), std::string::npos)
                << avertissements.front();
        }
    }
}

// Un taux illisible levait l'erreur hors de la préparation de la fenêtre, donc hors de la boucle
// d'événements : le programme s'arrêtait. Il est dit, et l'historique se montre au taux habituel.
TEST(ModeleThistoform, UnTauxDeTvaIllisibleEstDitEtLHistoriqueSOuvre) {
    Banc b;
    b.tarifs(
        "[TVA]\r\ntaux=vingt\r\n[Nombre de tarifications]\r\nnb tarifs=1\r\n"
        "[liste des tarifications]\r\ntarif n° 1=Local\r\n");
    auto m = b.modele();
    std::vector<std::string> avertissements;
    ASSERT_NO_THROW(avertissements = m.ouvrir(le_20_janvier_2000(), locale()));
    ASSERT_EQ(avertissements.size(), 1u);
    EXPECT_NE(avertissements.front().find("vingt"), std::string::npos) << avertissements.front();
    EXPECT_DOUBLE_EQ(m.vue().reglages().taux_tva, taux_tva_par_defaut);
    EXPECT_EQ(m.tarifications(), (std::vector<std::string>{"Toutes les tarifications", "Local"}));
    m.vue().differer_lecture(false);
    m.vue().choisir_type(TypeHistorique::facture_en_cours);
    EXPECT_FALSE(m.vue().lignes().empty());
}

TEST(ModeleThistoform, LeFiltreDesOptionsFiltreSurLeCodeDeLEntreeChoisie) {
    Banc b;
    b.tarifs(
        "[liste options tarifaires]\r\nnb_total_options=1\r\noption1=R50HC\r\n"
        "[R50HC]\r\ndesignation=Réduction de 50 %\r\n");
    auto m = b.modele();
    m.ouvrir(le_20_janvier_2000(), locale());
    m.choisir_option(1);
    EXPECT_TRUE(m.vue().criteres().option.actif);
    EXPECT_EQ(m.vue().criteres().option.valeur, "R50HC");
    m.choisir_option(0);
    EXPECT_FALSE(m.vue().criteres().option.actif);
}

TEST(ModeleThistoform, LesUtilisateursRangesPuisCeuxRencontresRejoignentLeurFiltre) {
    Banc b;
    ecrire(b.registre, parametres::nb_d_utilisateurs, "3");
    b.registre.ecrire_valeur(cles::section(cles::utilisateurs), parametres::nom_utilisateur(1), "Zoé");
    b.registre.ecrire_valeur(cles::section(cles::utilisateurs), parametres::nom_utilisateur(3), "PAUL");
    auto m = b.modele([] { return std::vector<std::string>(150, "MonFAI"); });
    m.ouvrir(le_20_janvier_2000(), locale());
    EXPECT_EQ(m.utilisateurs(), (std::vector<std::string>{"Tous les utilisateurs", "Zoé", "PAUL"}));
    EXPECT_EQ(m.providers().size(), 101u) << "cent entrées de l'annuaire au plus";
    m.vue().differer_lecture(false);
    m.vue().choisir_type(TypeHistorique::facture_en_cours);
    m.apres_lecture();
    // « Paul » des connexions est déjà là sous « PAUL » ; Anne s'ajoute.
    EXPECT_EQ(m.utilisateurs(), (std::vector<std::string>{"Tous les utilisateurs", "Zoé", "PAUL", "Anne"}));
}

// Chaque option que la boîte de comparaison offre se compare : le rejeu la reçoit par son code, pas
// par la désignation montrée (qu'il ne trouvait pas dans tarifs.ini).
TEST(ModeleThistoform, ChaqueOptionOfferteALaComparaisonSeCompare) {
    Banc b;
    b.tarifs_livres();
    auto m = b.modele();
    m.ouvrir(le_20_janvier_2000(), locale());
    m.vue().differer_lecture(false);
    m.vue().choisir_type(TypeHistorique::facture_en_cours);
    ASSERT_FALSE(m.vue().lignes().empty());
    const auto listes = m.listes_comparaison();
    ASSERT_FALSE(listes.tarifs.empty());
    ASSERT_FALSE(listes.options.empty());
    ASSERT_EQ(listes.options.size(), listes.codes_options.size());
    for (std::size_t i = 0; i < listes.options.size(); ++i) {
        EXPECT_NE(listes.options[i], "Aucune réduction ou forfait tarifaire");
        std::string texte;
        EXPECT_NO_THROW(texte = m.comparer(listes.tarifs.front(), listes.codes_options[i]))
            << listes.options[i];
        EXPECT_NE(texte.find("Différence : "), std::string::npos) << texte;
    }
}

// Ce que la fermeture range est ce que l'ouverture suivante reprend.
TEST(ModeleThistoform, LaFermetureRangeCeQueLaProchaineOuvertureReprend) {
    Banc b;
    auto m = b.modele();
    m.ouvrir(le_20_janvier_2000(), locale());
    m.vue().definir_periode(le_20_janvier_2000() - 3, le_20_janvier_2000() + 4);
    m.vue().choisir_type(TypeHistorique::mensuel);
    const LargeursColonnesHistorique colonnes{60, 61, 62, 63, 64, 65, 66, 67, 68};
    EXPECT_EQ(m.ranger(colonnes, ModeleThistoform::Ecran{{1024, 768}, {700, 500}}), "");
    EXPECT_FALSE(m.fermer());

    auto suivant = b.modele();
    suivant.ouvrir(le_20_janvier_2000(), locale());
    EXPECT_EQ(suivant.taille(1024, 768), (TailleHistorique{700, 500}));
    EXPECT_EQ(suivant.type_range(), 2);
    EXPECT_EQ(suivant.vue().periode_definie(), std::pair(le_20_janvier_2000() - 3, le_20_janvier_2000() + 4));
    EXPECT_EQ(suivant.largeurs_colonnes(1000), colonnes);
}

}  // namespace
}  // namespace lumi

namespace lumi {
namespace {

// Le plafond à côté de la facture en cours : la part est celle du total recompté que la fenêtre
// range comme facture du compteur ; rien pour un autre type ni sans plafond.
TEST(ModeleThistoform, LaLigneDuPlafondSuitLaFactureRecomptee) {
    Banc b;
    b.registre.ecrire_valeur(cles::section(cles::options), "plafond facture", "2");
    auto m = b.modele();
    m.ouvrir(le_20_janvier_2000(), locale());
    m.vue().differer_lecture(false);
    m.vue().choisir_type(TypeHistorique::mensuel);
    EXPECT_EQ(m.ligne_plafond(), "");
    m.vue().choisir_type(TypeHistorique::facture_en_cours);
    m.apres_lecture();
    const auto cout_total = lire_decimal(b.registre.lire_valeur(cles::section(cles::options), "cout total"));
    ASSERT_TRUE(cout_total);
    ASSERT_GT(*cout_total, 0);
    const auto& r = m.vue().reglages();
    ReglagesMonnaie monnaie;
    monnaie.taux_tva = r.taux_tva;
    monnaie.nb_decimales = r.nb_decimales;
    monnaie.ttc = r.ttc;
    const int part = part_du_plafond(montant_affiche(*cout_total, monnaie), 2);
    const std::string attendu = std::string("Plafond : 2,") + (r.nb_decimales == 3 ? "000" : "00") + " F " +
                                (r.ttc ? "TTC" : "HT") + ", atteint à " + std::to_string(part) + " %";
    EXPECT_EQ(m.ligne_plafond(), attendu);
    b.registre.effacer_valeur(cles::section(cles::options), "plafond facture");
    EXPECT_EQ(m.ligne_plafond(), "");
}

}  // namespace
}  // namespace lumi
