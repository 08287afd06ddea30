#include "tariff/chargeur.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>

#include "base/erreurs.hpp"
#include "commun/soutien.hpp"
#include "settings/cles.hpp"
#include "settings/registre_memoire.hpp"
#include "tariff/moteur_tarifaire.hpp"

namespace lumi {
namespace {

const std::string essai = LUMI_DONNEES_TESTS "/tarifs_essai.ini";
const std::string invalides = LUMI_DONNEES_TESTS "/tarifs_invalides.ini";

// Le message d'une ErreurConversion levée par `f`, ou "" si rien n'est levé.
template <typename F>
std::string message_erreur(F f) {
    try {
        f();
    } catch (const ErreurConversion& e) {
        return e.what();
    }
    return {};
}

TEST(GetTarification, ChampsEtDefauts) {
    const FichierIni ini(essai);
    const auto t = GetTarification(ini, "Pas de 60");
    EXPECT_EQ(t.nom, "Pas de 60");
    EXPECT_EQ(t.credit_temps, 0);
    EXPECT_FLOAT_EQ(t.cout_ht_plein_tarif, 0.28f);  // écrit "0,28"
    EXPECT_FLOAT_EQ(t.cout_ht_tarif_reduit, 0.14f);
    EXPECT_FLOAT_EQ(t.cout_ht_connexion, 0.74f);
    EXPECT_EQ(t.pas_tarif, 60);
    EXPECT_EQ(t.reduc_compatible, "none");
    EXPECT_EQ(t.l1, "Réduit");

    const auto credit = GetTarification(ini, "crédit 180");  // noms de section sans casse
    EXPECT_EQ(credit.credit_temps, 180);
    EXPECT_FLOAT_EQ(credit.cout_ht_credit_temps, 1.0f);

    // Section absente : prix nuls, pas d'une seconde.
    const auto absent = GetTarification(ini, "Inconnu");
    EXPECT_EQ(absent.nom, "Inconnu");
    EXPECT_EQ(absent.pas_tarif, 1);
    EXPECT_EQ(absent.credit_temps, 0);
    EXPECT_EQ(absent.cout_ht_plein_tarif, 0.0f);
    EXPECT_EQ(absent.cout_ht_connexion, 0.0f);
}

TEST(GetTarification, PrixIllisibleNommeFichierSectionCle) {
    const FichierIni ini(invalides);
    const auto message = message_erreur([&] { (void)GetTarification(ini, "Prix illisible"); });
    for (const char* attendu :
         {"« 0,2a8 »", "tarifs_invalides.ini", "[Prix illisible]", "« cout ht plein tarif »"}) {
        EXPECT_NE(message.find(attendu), std::string::npos) << message;
    }
}

TEST(LireParametresReduction, Options) {
    const FichierIni ini(essai);
    RegistreMemoire registre;

    const auto aucune = lire_parametres_reduction(ini, registre, "");
    EXPECT_EQ(aucune.nom, "");
    EXPECT_EQ(aucune.type_forfait, type_forfait_r);
    EXPECT_EQ(aucune.taux, 0);
    EXPECT_EQ(aucune.l1, "");

    const auto r30 = lire_parametres_reduction(ini, registre, "R30");
    EXPECT_EQ(r30.type_forfait, type_forfait_r);
    EXPECT_EQ(r30.taux, 30);
    EXPECT_EQ(r30.t[1], 0);
    EXPECT_EQ(r30.raz, 4);
    EXPECT_EQ(r30.raz_le, 1);
    EXPECT_EQ(r30.unite_decompte, 1);
    EXPECT_EQ(r30.l1, "Option l1");

    const auto fen = lire_parametres_reduction(ini, registre, "FEN");
    EXPECT_EQ(fen.t[1], 50);
    EXPECT_EQ(fen.dt[2], 3600);
    EXPECT_EQ(fen.dt[3], 7200);

    // Forfait sans temps enregistré : plein.
    auto forf = lire_parametres_reduction(ini, registre, "FORF");
    EXPECT_EQ(forf.type_forfait, type_forfait_f);
    EXPECT_EQ(forf.duree_forfait, 72000);
    EXPECT_EQ(forf.temps_forfait_debut, 72000);
    EXPECT_EQ(forf.temps_restant_forfait, 72000);
    EXPECT_EQ(forf.unite_decompte, 60);
    EXPECT_EQ(forf.raz, 1);
    EXPECT_EQ(forf.raz_le, 5);
    EXPECT_EQ(forf.tarif_apres_forfait, "À la seconde");
    EXPECT_EQ(forf.texte_tarif_apres_forfait, "Forfait épuisé");

    // Temps restant lu dans le registre.
    registre.ecrire_valeur(cles::section(cles::forfaits), "time FORF", "1234");
    forf = lire_parametres_reduction(ini, registre, "FORF");
    EXPECT_EQ(forf.temps_forfait_debut, 1234);
    EXPECT_EQ(forf.temps_restant_forfait, 1234);

    registre.ecrire_valeur(cles::section(cles::forfaits), "time FORF", "beaucoup");
    EXPECT_NE(
        message_erreur([&] { (void)lire_parametres_reduction(ini, registre, "FORF"); }).find("time FORF"),
        std::string::npos);

    EXPECT_EQ(lire_parametres_reduction(ini, registre, "FI").type_forfait, type_forfait_fi);
}

TEST(LireParametresReduction, TypeInconnuRefuse) {
    const FichierIni ini(invalides);
    RegistreMemoire registre;
    const auto message = message_erreur([&] { (void)lire_parametres_reduction(ini, registre, "TypeX"); });
    for (const char* attendu : {"« X »", "[TypeX]", "« type »"}) {
        EXPECT_NE(message.find(attendu), std::string::npos) << message;
    }
}

TEST(TvaEtValeursTaux, LecturesDuDemarrage) {
    const FichierIni ini(essai);
    EXPECT_FLOAT_EQ(lire_taux_tva(ini), 19.6f);  // écrit "19,6"
    const auto valeurs = lire_valeurs_taux(ini);
    EXPECT_FLOAT_EQ(valeurs[2], 50.0f);
    EXPECT_FLOAT_EQ(valeurs[3], 25.5f);
    EXPECT_FLOAT_EQ(valeurs[20], 10.0f);
    EXPECT_FLOAT_EQ(valeurs[4], 0.0f);

    // Sans section [TVA] : 19,6.
    EXPECT_FLOAT_EQ(lire_taux_tva(FichierIni(invalides)), 19.6f);
    // Fichier absent : 19,6 et des réductions nulles.
    const FichierIni absent(LUMI_DONNEES_TESTS "/nexiste_pas.ini");
    EXPECT_FLOAT_EQ(lire_taux_tva(absent), 19.6f);
    EXPECT_EQ(lire_valeurs_taux(absent), ValeursTaux{});
}

TEST(ListeDesTarifications, NomsDansLOrdreSansLesVides) {
    const std::vector<std::string> attendu{"Pas de 60", "À la seconde", "Crédit 180", "Semaine et samedi"};
    EXPECT_EQ(lire_liste_des_tarifications(FichierIni(essai)), attendu);
    EXPECT_TRUE(lire_liste_des_tarifications(FichierIni(invalides)).empty());
}

TEST(ListeReducTarifaires, EnTeteEtDesignations) {
    const FichierIni ini(essai);
    const std::vector<std::string> principale{
        "Aucune réduction ou forfait tarifaire", "Réduction de 30 %", "Forfait 20 heures", "",
        "Réduction la première heure",           "Forfait illimité"};
    EXPECT_EQ(lecture_liste_reduc_tarifaires(ini, true), principale);
    EXPECT_EQ(lecture_liste_reduc_tarifaires(ini, false).front(), "Toutes les réductions");
    // Sans options : l'en-tête seul.
    EXPECT_EQ(lecture_liste_reduc_tarifaires(FichierIni(invalides), true),
              std::vector<std::string>{"Aucune réduction ou forfait tarifaire"});
}

TEST(LireOptionTarifaire, ReferenceEtCles) {
    const FichierIni ini(essai);
    EXPECT_EQ(lire_option_tarifaire(ini, 2, "ref"), "FORF");
    EXPECT_EQ(lire_option_tarifaire(ini, 2, "duree"), "72000");
    EXPECT_EQ(lire_option_tarifaire(ini, 2, "absente"), "");
    EXPECT_EQ(lire_option_tarifaire(ini, 3, "ref"), "");  // option3 vide
    EXPECT_EQ(lire_option_tarifaire(ini, 3, "designation"), "");
    EXPECT_EQ(lire_option_tarifaire(ini, 9, "ref"), "");
}

TEST(MoteurTarifaire, RechargementDesListes) {
    RegistreMemoire registre;
    MoteurTarifaire moteur(essai, registre);
    moteur.lecture_parametres_tarification_en_cours_2000("Pas de 60", "");
    EXPECT_EQ(moteur.tarif_en_cours(), "Pas de 60");
    EXPECT_EQ(moteur.forfait_en_cours(), "");
    EXPECT_EQ(moteur.plages_courantes()[0].chaines(), moteur.plages_du_tarif()[0].chaines());

    // Une option en cours apporte ses listes pour l'affichage ; le prix garde celles du tarif.
    moteur.lecture_parametres_tarification_en_cours_2000("Pas de 60", "R30");
    EXPECT_EQ(moteur.plages_courantes()[0].code_jour(), 0);
    EXPECT_EQ(moteur.plages_du_tarif()[0].code_jour(), 9);
    EXPECT_EQ(moteur.reduction().l1, "Option l1");

    // Retour sans option : rien de l'option précédente ne reste.
    moteur.lecture_parametres_tarification_en_cours_2000("Pas de 60", "");
    EXPECT_EQ(moteur.reduction().l1, "");
    EXPECT_EQ(moteur.reduction().taux, 0);
    EXPECT_EQ(moteur.plages_courantes()[0].code_jour(), 9);
}

TEST(MoteurTarifaire, RechargementToutOuRien) {
    RegistreMemoire registre;
    MoteurTarifaire moteur(invalides, registre);
    moteur.lecture_parametres_tarification_en_cours_2000("Pas nul", "");
    EXPECT_THROW(moteur.lecture_parametres_tarification_en_cours_2000("Prix illisible", ""),
                 ErreurConversion);
    EXPECT_THROW(moteur.lecture_parametres_tarification_en_cours_2000("Pas nul", "TypeX"), ErreurConversion);
    EXPECT_EQ(moteur.tarif_en_cours(), "Pas nul");
    EXPECT_EQ(moteur.forfait_en_cours(), "");
    EXPECT_FLOAT_EQ(moteur.tarification().cout_ht_plein_tarif, 0.30f);
    EXPECT_EQ(moteur.plages_du_tarif()[0].code_jour(), 9);
}

// --- Fichiers des tarifs abîmés ---

namespace fs = std::filesystem;

// Un fichier correct que chaque cas abîme d'un remplacement : le tarif local de 1999 (bandes dans le
// désordre du fichier livré) et une réduction.
const std::string tarifs_corrects =
    "[TVA]\r\ntaux=19.6\r\n\r\n"
    "[valeur taux]\r\ntaux0=0\r\ntaux1=0\r\ntaux2=50\r\n\r\n"
    "[Nombre de tarifications]\r\nnb tarifs=1\r\n\r\n"
    "[liste des tarifications]\r\ntarif n° 1=Local\r\n\r\n"
    "[Local]\r\nduree credit temps=180\r\ncout ht credit temps=0.62\r\ncout ht plein tarif=0.23\r\n"
    "cout ht tarif reduit=0.12\r\ncout ht connexion=0\r\npas=1\r\ncout ht tarif supp=0\r\n"
    "p1=9,taux2,0,28799,68400,86399,taux1,28800,68399\r\np2=7,taux2,0,86399\r\np3=8,taux2,0,86399\r\n\r\n"
    "[liste options tarifaires]\r\nnb_total_options=1\r\noption1=R\r\n\r\n"
    "[R]\r\ndesignation=Réduction\r\ntype=R\r\ntaux=30\r\nt1=0\r\ndt1=0\r\ndt2=0\r\ndt3=0\r\n"
    "p1=9,taux1,0,86399\r\np2=7,taux1,0,86399\r\np3=8,taux1,0,86399\r\n";

// Un dossier où l'essai pose son tarifs.ini, et le moteur qui le charge comme au démarrage.
struct FichierAbime {
    essai::DossierTemporaire dossier{"lumi-tarifs-abimes"};
    fs::path chemin = dossier / "tarifs.ini";
    RegistreMemoire registre;
    MoteurTarifaire moteur{chemin, registre};

    // Le message de l'erreur du chargement, rien s'il réussit.
    std::optional<std::string> charger(std::string_view tarif = "Local", std::string_view option = "R") {
        try {
            moteur.lecture_taux_tva_et_valeurs_taux();
            moteur.lecture_parametres_tarification_en_cours_2000(tarif, option);
        } catch (const std::exception& e) {
            return e.what();
        }
        return std::nullopt;
    }
};

std::string remplacer(std::string texte, const std::string& avant, const std::string& apres) {
    const auto i = texte.find(avant);
    if (i == std::string::npos) ADD_FAILURE() << "absent du fichier correct : " << avant;
    return i == std::string::npos ? texte : texte.replace(i, avant.size(), apres);
}

TEST(FichierDesTarifs, LeFichierCorrectSeCharge) {
    FichierAbime f;
    essai::ecrire_octets(f.chemin, tarifs_corrects);
    EXPECT_EQ(f.charger(), std::nullopt);
    EXPECT_TRUE(f.moteur.prix_calculable());
    EXPECT_EQ(f.moteur.echec_chargement(), std::nullopt);
    EXPECT_EQ(f.moteur.tarification().credit_temps, 180);

    // Une option ne s'applique pas hors de ses plages : ses listes peuvent avoir des trous. Un tarif
    // peut donner l'indice 0 à des heures, qui ont alors le prix plein moins taux0.
    auto texte =
        remplacer(tarifs_corrects, "p1=9,taux1,0,86399\r\np2=7,taux1", "p1=9,taux1,0,28799\r\np2=7,taux1");
    texte = remplacer(texte, "p2=7,taux2,0,86399", "p2=7,taux2,0,28799,taux0,28800,86399");
    essai::ecrire_octets(f.chemin, texte);
    EXPECT_EQ(f.charger(), std::nullopt);
}

// Chaque valeur fausse est refusée au chargement, avec la section et la clé ; le moteur garde
// l'échec pour le dire (l'outil sort en erreur) et ne calcule aucun prix.
TEST(FichierDesTarifs, ValeursFaussesRefuseesAuChargement) {
    struct Cas {
        const char* nom;
        std::string avant, apres;
        std::vector<std::string> extraits;  // en plus du chemin du fichier
    };
    const std::vector<Cas> cas{
        {"crédit temps négatif",
         "duree credit temps=180",
         "duree credit temps=-1000000",
         {"« -1000000 »", "durée positive ou nulle", "[Local]", "« duree credit temps »"}},
        {"prix négatif",
         "cout ht plein tarif=0.23",
         "cout ht plein tarif=-0,23",
         {"« -0,23 »", "prix positif ou nul", "[Local]", "« cout ht plein tarif »"}},
        {"prix infini en simple précision",
         "cout ht connexion=0",
         "cout ht connexion=1e300",
         {"« 1e300 »", "prix représentable", "« cout ht connexion »"}},
        {"prix hors des doubles",
         "cout ht credit temps=0.62",
         "cout ht credit temps=1e400",
         {"« 1e400 »", "nombre décimal", "« cout ht credit temps »"}},
        {"pas négatif", "pas=1", "pas=-60", {"« -60 »", "durée positive ou nulle", "« pas »"}},
        {"réduction de -300 %",
         "taux=30",
         "taux=-300",
         {"« -300 »", "pourcentage de 0 à 100", "[R]", "« taux »"}},
        {"fenêtre au-delà de 100 %", "t1=0", "t1=150", {"« 150 »", "pourcentage de 0 à 100", "« t1 »"}},
        {"début de fenêtre négatif", "dt2=0", "dt2=-1", {"« -1 »", "durée positive ou nulle", "« dt2 »"}},
        {"réduction par taux négative",
         "taux2=50",
         "taux2=-300",
         {"« -300 »", "pourcentage de 0 à 100", "[valeur taux]", "« taux2 »"}},
        {"TVA négative", "[TVA]\r\ntaux=19.6", "[TVA]\r\ntaux=-5", {"« -5 »", "TVA", "[TVA]", "« taux »"}},
        {"TVA illisible", "[TVA]\r\ntaux=19.6", "[TVA]\r\ntaux=abc", {"« abc »", "TVA", "[TVA]", "« taux »"}},
        {"deux listes pour la semaine",
         "p2=7,taux2,0,86399\r\np3=8",
         "p2=9,taux2,0,86399\r\np3=8",
         {"mêmes jours", "code jour 9", "« p1 » et « p2 »", "[Local]"}},
        {"option aux listes du même jour",
         "p3=8,taux1,0,86399",
         "p3=7,taux1,0,86399",
         {"mêmes jours", "code jour 7", "« p2 » et « p3 »", "[R]"}},
        {"trou de 19 h à minuit",
         "p1=9,taux2,0,28799,68400,86399,taux1,28800,68399",
         "p1=9,taux2,0,28799,taux1,28800,68399",
         {"68400 à 86399", "19:00:00 à 23:59:59", "aucune plage", "[Local]", "« p1 »"}},
        {"trou au début", "p2=7,taux2,0,86399", "p2=7,taux2,1,86399", {"0 à 0", "aucune plage", "« p2 »"}},
        {"plages qui se chevauchent",
         "p2=7,taux2,0,86399",
         "p2=7,taux2,0,86399,taux1,36000,39599",
         {"36000 à 39599", "10:00:00 à 10:59:59", "deux plages", "« p2 »"}},
        {"bornes inversées",
         "p3=8,taux2,0,86399",
         "p3=8,taux2,86399,0",
         {"86399,0", "finit avant de commencer", "« p3 »"}},
        {"borne de fin 86400", "p3=8,taux2,0,86399", "p3=8,taux2,0,86400", {"86400", "0 à 86399", "« p3 »"}},
        {"borne négative", "p3=8,taux2,0,86399", "p3=8,taux2,-1,86399", {"-1", "0 à 86399", "« p3 »"}},
        {"borne illisible", "p3=8,taux2,0,86399", "p3=8,taux2,0,minuit", {"« minuit »", "« p3 »"}},
        {"liste vide", "p3=8,taux2,0,86399", "p3=", {"code jour", "« p3 »"}},
        {"liste absente", "p3=8,taux2,0,86399\r\n", "", {"code jour", "« p3 »"}},
        {"indice de taux 21", "p2=7,taux2,0,86399", "p2=7,taux21,0,86399", {"21", "« p2 »"}},
        {"option aux bornes inversées",
         "p1=9,taux1,0,86399\r\np2=7,taux1",
         "p1=9,taux1,86399,0\r\np2=7,taux1",
         {"finit avant de commencer", "[R]", "« p1 »"}},
        {"section du tarif absente",
         "[Local]",
         "[Ailleurs]",
         {"Le tarif « Local »", "pas de section [Local]"}},
        {"section de l'option absente", "[R]", "[S]", {"L'option « R »", "pas de section [R]"}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        FichierAbime f;
        essai::ecrire_octets(f.chemin, remplacer(tarifs_corrects, c.avant, c.apres));
        const auto message = f.charger();
        ASSERT_TRUE(message.has_value());
        for (const auto& extrait : c.extraits)
            EXPECT_NE(message->find(extrait), std::string::npos) << *message;
        EXPECT_NE(message->find(f.chemin.string()), std::string::npos) << *message;
        EXPECT_EQ(f.moteur.echec_chargement(), message);
        EXPECT_FALSE(f.moteur.prix_calculable());
    }
}

// Le « Unicode » du Bloc-notes (UTF-16 marqué, dans ses deux ordres d'octets), que Windows lit :
// chargé comme le même fichier en Windows-1252, accents compris.
TEST(FichierDesTarifs, LeFichierEnUtf16DuBlocNotesSeCharge) {
    for (const bool gros_boutiste : {false, true}) {
        SCOPED_TRACE(gros_boutiste ? "FE FF" : "FF FE");
        FichierAbime f;
        essai::ecrire_octets(f.chemin, essai::fichier_utf16(tarifs_corrects, gros_boutiste));
        EXPECT_EQ(defaut_fichier_tarifs(f.chemin), std::nullopt);
        EXPECT_EQ(f.charger(), std::nullopt);
        EXPECT_EQ(f.moteur.tarification().credit_temps, 180);
        EXPECT_EQ(f.moteur.liste_des_tarifications(), std::vector<std::string>{"Local"});
    }
}

// Un fichier inutilisable en entier : ce qui ne va pas est dit du fichier lui-même, pas d'une liste
// de plages.
TEST(FichierDesTarifs, FichierInutilisable) {
    std::string utf16 = "\xFF\xFE";
    for (const char c : tarifs_corrects) {
        utf16 += c;
        utf16 += '\0';
    }
    std::string cr_seuls = tarifs_corrects;
    std::erase(cr_seuls, '\n');
    struct Cas {
        const char* nom;
        std::optional<std::string> octets;  // rien : un dossier à la place du fichier
        const char* extrait;
    };
    const std::vector<Cas> cas{
        {"vide", "", "est vide"},
        {"blancs seuls", "  \t ", "est vide"},
        {"binaire",
         std::string("\x7F"
                     "ELF\x02\x01\x01\0\0\0",
                     10),
         "n'est pas un fichier texte (octet 0x7F"},
        {"UTF-16 sans marque", utf16.substr(2), "n'est pas un fichier texte (octet 0x00 à la position 1)"},
        {"retours chariot seuls", cr_seuls, "retour chariot seul (CR)"},
        {"dossier", std::nullopt, "est un dossier"},
        {"sans section de tarif", "[TVA]\r\ntaux=19.6\r\n", "Le tarif « Local » n'a pas de section [Local]"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        FichierAbime f;
        if (c.octets) {
            essai::ecrire_octets(f.chemin, *c.octets);
        } else {
            fs::create_directory(f.chemin);
        }
        const auto message = f.charger("Local", "");
        ASSERT_TRUE(message.has_value());
        EXPECT_NE(message->find(c.extrait), std::string::npos) << *message;
        EXPECT_NE(message->find(f.chemin.string()), std::string::npos) << *message;
        EXPECT_EQ(f.moteur.echec_chargement(), message);
        EXPECT_FALSE(f.moteur.prix_calculable());
    }
}

// Chaque prix tient en simple précision, pas forcément leur somme : refusée plutôt qu'infinie.
TEST(FichierDesTarifs, SommeAuDelaDuPlusGrandMontant) {
    FichierAbime f;
    auto texte = remplacer(tarifs_corrects, "cout ht credit temps=0.62", "cout ht credit temps=3e38");
    essai::ecrire_octets(f.chemin, remplacer(texte, "cout ht connexion=0", "cout ht connexion=3e38"));
    ASSERT_EQ(f.charger("Local", ""), std::nullopt);
    const auto lundi = numero_jour(std::chrono::year{2000} / 1 / 3);
    const auto message = message_erreur([&] {
        (void)f.moteur.calcul_prix_communication_sans_reduction(f.moteur.tarification(), 36000, lundi, lundi,
                                                                36010, true);
    });
    for (const auto& extrait : {std::string("3,4e38"), std::string("[Local]"), f.chemin.string()}) {
        EXPECT_NE(message.find(extrait), std::string::npos) << message;
    }
}

TEST(FichierDesTarifs, FichierIllisible) {
#ifdef _WIN32
    GTEST_SKIP() << "les droits POSIX n'ôtent pas la lecture sous Windows";
#else
    if (::geteuid() == 0) GTEST_SKIP() << "root lit tous les fichiers";
#endif
    FichierAbime f;
    essai::ecrire_octets(f.chemin, tarifs_corrects);
    fs::permissions(f.chemin, fs::perms::none);
    const auto message = f.charger();
    ASSERT_TRUE(message.has_value());
    EXPECT_NE(message->find("ne se lit pas : accès refusé"), std::string::npos) << *message;
}

// Absent, le fichier a été signalé au démarrage : le chargement ne lève rien, mais aucun prix ne se
// calcule et l'échec reste pour l'outil.
TEST(FichierDesTarifs, FichierAbsent) {
    FichierAbime f;
    EXPECT_EQ(f.charger(), std::nullopt);
    EXPECT_EQ(f.moteur.tarif_en_cours(), "Local");
    EXPECT_FALSE(f.moteur.tarif_charge());
    EXPECT_FALSE(f.moteur.prix_calculable());
    ASSERT_TRUE(f.moteur.echec_chargement().has_value());
    EXPECT_NE(f.moteur.echec_chargement()->find("est introuvable"), std::string::npos);

    // Le fichier revient : le rechargement suivant calcule de nouveau.
    essai::ecrire_octets(f.chemin, tarifs_corrects);
    EXPECT_EQ(f.charger(), std::nullopt);
    EXPECT_TRUE(f.moteur.prix_calculable());
    EXPECT_EQ(f.moteur.echec_chargement(), std::nullopt);
}

}  // namespace
}  // namespace lumi
