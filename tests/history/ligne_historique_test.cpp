#include "history/ligne_historique.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/decimal.hpp"
#include "base/erreurs.hpp"
#include "base/texte.hpp"

namespace lumi {
namespace {

using std::chrono::year;

NumeroJour jour(int a, unsigned m, unsigned j) {
    return numero_jour(std::chrono::year_month_day{year{a}, std::chrono::month{m}, std::chrono::day{j}});
}

// La connexion de l'exemple : Paul, 12 min 31 s à 21:14 le 5 janvier 2000 par MonFAI.
DonneesConnexion connexion_de_paul() {
    DonneesConnexion d;
    d.utilisateur = "Paul";
    d.tarif_en_cours = "Heures pleines";
    d.date_debut = jour(2000, 1, 5);
    d.seconde_debut = seconde_du_jour(21, 14, 7);
    d.duree_connexion = 12 * 60 + 31;
    d.plage_au_debut = 1;
    d.plage_a_la_fin = 1;
    d.prix_communication = 4.512f;
    d.nom_connexion = "MonFAI";
    return d;
}

TEST(LigneHistorique, ExempleDUneConnexionDetectee) {
    EXPECT_EQ(get_donnees_a_enregistrer(connexion_de_paul()),
              "Paul;Heures pleines;05/01/2000;21H14;00:12:31;Rouge;A;4,512;-4;0;0,000;|;MonFAI;");
}

// Un ";" ou une fin de ligne dans un nom ne décale ni ne coupe la ligne : le montant que la facture
// relit reste le huitième champ et l'enregistrement se relit.
TEST(LigneHistorique, NomsAvecSeparateursOuFinsDeLigne) {
    DonneesConnexion d = connexion_de_paul();
    d.utilisateur = "Jean;\x1bPaul";  // un caractère de contrôle rendrait la ligne illisible
    d.tarif_en_cours = "Heures\r\npleines";
    d.forfait_en_cours = "R;50";
    d.nom_connexion = std::string("Mon;FAI\0", 8);
    const std::string ligne = get_donnees_a_enregistrer(d);
    EXPECT_EQ(ligne,
              "Jean, Paul;Heures  pleines;05/01/2000;21H14;00:12:31;Rouge;A;4,512;-4;R,50;0,000;|;Mon,FAI ;");
    EXPECT_EQ(champs_ligne(ligne)[7], "4,512");
    const auto e = decoder_ligne_historique(ligne);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->utilisateur, "Jean, Paul");
    EXPECT_EQ(e->code_option, "R,50");
    EXPECT_EQ(e->provider, "Mon,FAI ");
    EXPECT_DOUBLE_EQ(e->cout, 4.512);
}

TEST(LigneHistorique, ChampsSelonLOptionLeModeEtLUtilisateur) {
    struct Cas {
        const char* nom;
        void (*regler)(DonneesConnexion&);
        const char* attendu;
    };
    const Cas cas[] = {
        {"forfait F : sa désignation, durée à l'unité commencée",
         [](DonneesConnexion& d) {
             d.forfait_en_cours = "F20H";
             d.type_forfait = 0;
             d.designation_forfait = "Forfait 20 heures";
             d.unite_decompte = 60;
             d.duree_connexion = 61;
             d.prix_communication = 0;
         },
         "Paul;Forfait 20 heures;05/01/2000;21H14;00:02:00;Rouge;A;0,000;-4;F20H;0,000;|;MonFAI;"},
        {"forfait FL : le tarif reste",
         [](DonneesConnexion& d) {
             d.forfait_en_cours = "FL";
             d.type_forfait = 0;
             d.designation_forfait = "Forfait libre";
         },
         "Paul;Heures pleines;05/01/2000;21H14;00:12:31;Rouge;A;4,512;-4;FL;0,000;|;MonFAI;"},
        {"réduction : coût net et montant déduit",
         [](DonneesConnexion& d) {
             d.forfait_en_cours = "R50HC";
             d.designation_forfait = "Réduction de 50 %";
             d.montant_reduction = 2.256f;
             d.unite_decompte = 60;
         },
         "Paul;Heures pleines;05/01/2000;21H14;00:12:31;Rouge;A;2,256;-4;R50HC;2,256;|;MonFAI;"},
        {"option Fi : le tarif reste",
         [](DonneesConnexion& d) {
             d.forfait_en_cours = "FISWE";
             d.type_forfait = 3;
             d.designation_forfait = "Soirs";
         },
         "Paul;Heures pleines;05/01/2000;21H14;00:12:31;Rouge;A;4,512;-4;FISWE;0,000;|;MonFAI;"},
        {"mode manuel : M et pas de fournisseur",
         [](DonneesConnexion& d) {
             d.mode_manuel = true;
             d.plage_a_la_fin = 2;
         },
         "Paul;Heures pleines;05/01/2000;21H14;00:12:31;Rg/Bl;M;4,512;-4;0;0,000;|;;"},
        {"aucun utilisateur, plus de 99 heures, point décimal",
         [](DonneesConnexion& d) {
             d.utilisateur.clear();
             d.duree_connexion = 100 * 3600 + 5;
             d.separateur_decimal = '.';
         },
         "non identifié;Heures pleines;05/01/2000;21H14;100:00:05;Rouge;A;4.512;-4;0;0.000;|;MonFAI;"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        auto d = connexion_de_paul();
        c.regler(d);
        EXPECT_EQ(get_donnees_a_enregistrer(d), c.attendu);
    }
}

TEST(LigneHistorique, CouleurDeLaPeriode) {
    struct Cas {
        int debut, fin;
        const char* attendu;
    };
    for (const auto& c : {Cas{1, 1, "Rouge"}, Cas{2, 2, "Bleu"}, Cas{0, 0, ""}, Cas{3, 3, ""},
                          Cas{2, 1, "Bl/Rg"}, Cas{1, 2, "Rg/Bl"}, Cas{1, 3, ""}, Cas{0, 1, "Bl/Rg"}}) {
        SCOPED_TRACE(std::to_string(c.debut) + " -> " + std::to_string(c.fin));
        EXPECT_EQ(texte_periode(c.debut, c.fin), c.attendu);
    }
}

TEST(LigneHistorique, MontantsASeptChiffresSignificatifs) {
    EXPECT_EQ(formater_montant_historique(4.512f, ','), "4,512");
    EXPECT_EQ(formater_montant_historique(0, ','), "0,000");
    EXPECT_EQ(formater_montant_historique(-1.5, '.'), "-1.500");
    // Au-delà de sept chiffres, les suivants sont du bruit de la simple précision.
    EXPECT_EQ(formater_montant_historique(12345.678, ','), "12345,680");
    // Un flottant calculé 2,0005 vaut 2,00049996... : sept chiffres le ramènent à 2,000500.
    EXPECT_EQ(formater_montant_historique(2.0004999999, ','), "2,001");
}

TEST(LectureHistorique, DispositionsActuelleEtAnciennes) {
    struct Cas {
        const char* nom;
        const char* ligne;
        const char* code;
        double reduction;
        double cout;
        const char* mode;
    };
    const Cas cas[] = {
        {"actuelle sans option",
         "Paul;Heures pleines;05/01/2000;21H14;00:12:31;Rouge;A;4,512;-4;0;0,000;|;MonFAI;", "0", 0, 4.512,
         "A"},
        {"sans option, montant ignoré", "u;t;05/01/2000;10H00;00:01:00;Rouge;A;1,000;-4;0;1,500;|;X;", "0", 0,
         1.0, "A"},
        {"actuelle avec réduction, point décimal",
         "u;t;05/01/2000;10H00;00:01:00;Bleu;M;1.000;-4;R50HC;12.5;|;;", "R50HC", 12.5, 1.0, "M"},
        {"-1 : FL", "u;t;05/01/2000;10H00;00:01:00;Rouge;auto;1,000;-1;0;2,500;", "FL", 2.5, 1.0, "A"},
        {"-2 : Itoo", "u;t;05/01/2000;10H00;00:01:00;Rouge;manuelle;1,000;-2;0;0,750;", "Itoo", 0.75, 1.0,
         "M"},
        {"-3 : FLA", "u;t;05/01/2000;10H00;00:01:00;Rouge;accidentelle;1,000;-3;0;3;", "FLA", 3, 1.0, "A"},
        {"ancienne : Pi", "u;t;05/01/2000;10H00;00:01:00;Rouge;auto;1,000;0;0;1,20;", "Pi", 1.2, 1.0, "A"},
        {"ancienne : P", "u;t;05/01/2000;10H00;00:01:00;Rouge;auto;1,000;0;2;0;", "P", 2, 1.0, "A"},
        {"ancienne : T (tronqué ailleurs que -4..-1)",
         "u;t;05/01/2000;10H00;00:01:00;Rouge;auto;1,000;3,5;0;0;", "T", 3.5, 1.0, "A"},
        {"ancienne : la dernière règle l'emporte", "u;t;05/01/2000;10H00;00:01:00;Rouge;auto;1,000;1;2;3;",
         "Pi", 3, 1.0, "A"},
        {"ancienne sans avantage", "u;t;05/01/2000;10H00;00:01:00;Rouge;auto;1,000;0;0;0;", "", 0, 1.0, "A"},
        {"champs de fin manquants", "u;t;05/01/2000;10H00;00:01:00;Rouge;A;1,000;", "", 0, 1.0, "A"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        const auto e = decoder_ligne_historique(c.ligne);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->code_option, c.code);
        EXPECT_DOUBLE_EQ(e->reduction, c.reduction);
        EXPECT_DOUBLE_EQ(e->cout, c.cout);
        EXPECT_EQ(e->mode, c.mode);
        EXPECT_FALSE(e->efface);
    }
}

TEST(LectureHistorique, ChampsDeLEnregistrement) {
    const auto e = decoder_ligne_historique(
        "Paul;Heures pleines;05/01/2000;21H14;100:12:31;Rouge;A;4,512;-4;F20H;0,000;¤;MonFAI;\r");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->utilisateur, "Paul");
    EXPECT_EQ(e->tarification, "Heures pleines");
    EXPECT_EQ(e->jour, jour(2000, 1, 5));
    EXPECT_EQ(e->heure, "21H14");
    EXPECT_EQ(e->secondes, 100 * 3600 + 12 * 60 + 31);
    EXPECT_EQ(e->periode, "Rouge");
    EXPECT_TRUE(e->efface);
    EXPECT_EQ(e->provider, "MonFAI");

    // Une année sur deux chiffres est des années 1900 ; un champ de marque vide compte vivant.
    const auto ancien = decoder_ligne_historique("u;t;05/01/99;10H00;00:01:00;Rouge;A;1,000;-4;0;0;;;");
    ASSERT_TRUE(ancien);
    EXPECT_EQ(ancien->date, "05/01/1999");
    EXPECT_EQ(ancien->jour, jour(1999, 1, 5));
    EXPECT_FALSE(ancien->efface);
}

// Une ligne blanche n'est rien ; toute autre ligne qui n'est pas un enregistrement est illisible
// (et le lecteur la compte), jamais une connexion : coupée, binaire, mal datée, nombre illisible.
TEST(LectureHistorique, LignesBlanchesRienToutAutreDefautIllisible) {
    for (const std::string& ligne : {std::string(""), std::string("\r"), std::string("   ")}) {
        SCOPED_TRACE(ligne);
        EXPECT_FALSE(decoder_ligne_historique(ligne));
    }
    const std::string bonne =
        "Paul;Heures pleines;05/01/2000;21H14;00:12:31;Rouge;A;4,512;-4;0;0,000;|;MonFAI;";
    struct Cas {
        const char* nom;
        std::string ligne;
        const char* raison;  // dans le message
    };
    const Cas cas[] = {
        {"coupée dans un champ", "Paul;Heures pl", "ne finit pas par"},
        {"coupée juste après un « ; », avant le coût", "Paul;Heures pleines;06/01/2000;21H14;", "champs"},
        {"aucun « ; »", "Paul Heures pleines 05/01/2000 21H14 00:12:31", "ne finit pas par"},
        {"dix mégaoctets sans « ; »", std::string(10'000'000, 'x'), "ne finit pas par"},
        {"octets nuls", std::string("u;t;\0\0\0;", 8), "contrôle"},
        {"octets nuls dans une ligne entière", std::string("Paul;Heu\0\0res", 13) + bonne.substr(8),
         "contrôle"},
        {"binaire qui finit par « ; »", "\x01\x9c\xff;\x7f\x02;05/01/2000;;;;;1;", "contrôle"},
        {"retour chariot au milieu", bonne + "\r" + bonne, "contrôle"},
        {"date 99/99/9999", "Paul;T;99/99/9999;21H14;00:12:31;Rouge;A;4,512;-4;0;0,000;|;;", "date"},
        {"date 31/02/2000", "Paul;T;31/02/2000;21H14;00:12:31;Rouge;A;4,512;-4;0;0,000;|;;", "date"},
        {"date 00/01/2000", "Paul;T;00/01/2000;21H14;00:12:31;Rouge;A;4,512;-4;0;0,000;|;;", "date"},
        {"sans date", "Paul;T;;21H14;00:12:31;Rouge;A;4,512;-4;0;0,000;|;;", "date"},
        {"coût", "u;t;05/01/2000;10H00;00:01:00;Rouge;A;abc;-4;0;0;|;;", "champ 8"},
        {"durée", "u;t;05/01/2000;10H00;1 minute;Rouge;A;1;-4;0;0;|;;", "champ 5"},
        {"disposition", "u;t;05/01/2000;10H00;00:01:00;Rouge;A;1;x;0;0;|;;", "champ 9"},
        {"réduction", "u;t;05/01/2000;10H00;00:01:00;Rouge;A;1;-4;0;douze;|;;", "champ 11"},
        {"ancienne disposition, champ 10", "u;t;05/01/2000;10H00;00:01:00;Rouge;A;1;0;P;0;|;;", "champ 10"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        try {
            decoder_ligne_historique(c.ligne);
            ADD_FAILURE() << "lue comme un enregistrement";
        } catch (const ErreurConversion& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(c.raison), std::string::npos) << message;
            // Le message cite le début de la ligne, jamais dix mégaoctets ni des octets de contrôle.
            EXPECT_LT(message.size(), 200u) << message;
            EXPECT_TRUE(std::none_of(message.begin(), message.end(), [](char o) {
                return static_cast<unsigned char>(o) < 0x20;
            })) << message;
            EXPECT_TRUE(est_utf8_valide(message)) << message;
        }
    }
    // Une ligne courte est citée entière, accents compris.
    EXPECT_THROW(
        {
            try {
                decoder_ligne_historique("Zoé;");
            } catch (const ErreurConversion& e) {
                EXPECT_NE(std::string(e.what()).find("« Zoé; » n'a pas ses 8 premiers champs"), std::string::npos)
                    << e.what();
                throw;
            }
        },
        ErreurConversion);
    // Une tabulation dans un nom n'est pas un octet de contrôle : l'écrivain la garde, le lecteur aussi.
    const auto tab =
        decoder_ligne_historique("Paul\tM;T;05/01/2000;21H14;00:12:31;Rouge;A;4,512;-4;0;0,000;|;;");
    ASSERT_TRUE(tab);
    EXPECT_EQ(tab->utilisateur, "Paul\tM");
}

// La lecture rapide (champs cherchés huit octets à la fois, nombres et dates courants lus sans
// détour) rend ce que rend la lecture complète, sur des lignes tirées au hasard : champs de toutes
// longueurs (les ";" tombent à toutes les places d'un mot), accents, nombres de toutes formes.
TEST(LectureHistorique, LectureRapideCommeLaLectureComplete) {
    std::mt19937 alea(2000);
    const auto tirer = [&](int n) { return static_cast<int>(alea() % static_cast<unsigned>(n)); };
    const auto texte = [&](int longueur_max) {
        static const std::vector<std::string> morceaux = {"a", "Z", " ", "é", "0", "-", ",", "¤", "\t"};
        std::string t;
        for (int i = tirer(longueur_max + 1); i > 0; --i) t += morceaux[static_cast<std::size_t>(tirer(9))];
        return t;
    };
    const auto nombre = [&]() -> std::string {
        static const std::vector<std::string> curieux = {
            "",   " 2,5", "+1,5", "1e3", ",5",  "5,", "1,2,3",
            "-0", "--1",  "0x10", "inf", "1 5", "١٢", "12345678901234567"};
        if (tirer(4) == 0) return curieux[static_cast<std::size_t>(tirer(static_cast<int>(curieux.size())))];
        std::string t = tirer(3) == 0 ? "-" : "";
        const int avant = 1 + tirer(9), apres = tirer(8);
        for (int i = 0; i < avant; ++i) t += static_cast<char>('0' + tirer(10));
        if (apres > 0) t += tirer(2) ? ',' : '.';
        for (int i = 0; i < apres; ++i) t += static_cast<char>('0' + tirer(10));
        return t;
    };
    for (int essai = 0; essai < 3000; ++essai) {
        const std::vector<std::string> champs = {
            texte(20), texte(20), "05/01/2000", "21H14",  "00:12:31",           texte(6), "A",
            nombre(),  "-4",      "F20H",       nombre(), tirer(2) ? "|" : "¤", texte(12)};
        std::string ligne;
        for (const auto& c : champs) ligne += c + ";";
        SCOPED_TRACE(ligne);
        const auto attendu = [](const std::string& c) -> std::optional<double> {
            if (rogner(c).empty()) return 0.0;
            return lire_decimal(c);
        };
        const auto cout = attendu(champs[7]), reduction = attendu(champs[10]);
        if (!cout || !reduction) {
            EXPECT_THROW(decoder_ligne_historique(ligne), ErreurConversion);
            continue;
        }
        const auto e = decoder_ligne_historique(ligne);
        ASSERT_TRUE(e);
        const auto coupes = champs_ligne(ligne);
        EXPECT_EQ(e->utilisateur, coupes[0]);
        EXPECT_EQ(e->tarification, coupes[1]);
        EXPECT_EQ(e->periode, coupes[5]);
        EXPECT_EQ(e->provider, coupes[12]);
        EXPECT_EQ(e->efface, champs[11] == "¤");
        EXPECT_EQ(e->cout, *cout);  // au bit près
        EXPECT_EQ(e->reduction, *reduction);

        // Un octet nul n'importe où, et la ligne est illisible.
        std::string abimee = ligne;
        abimee[static_cast<std::size_t>(tirer(static_cast<int>(ligne.size()) - 1))] = '\0';
        EXPECT_THROW(decoder_ligne_historique(abimee), ErreurConversion);
    }
}

TEST(LectureHistorique, DureesEtDatesCourantesOuNon) {
    const auto ligne = [](std::string_view date, std::string_view duree) {
        return "u;t;" + std::string(date) + ";10H00;" + std::string(duree) + ";Rouge;A;1;-4;0;0;|;;";
    };
    struct Duree {
        const char* texte;
        std::optional<std::int32_t> secondes;  // rien : champ illisible
    };
    for (const Duree& d :
         {Duree{"01:02:03", 3723}, Duree{"99:59:59", 99 * 3600 + 59 * 60 + 59}, Duree{"1:02:03", 3723},
          Duree{" 01:02:03", 3723}, Duree{"12345:00:00", 12345 * 3600}, Duree{"", 0},
          Duree{"0a:00:00", std::nullopt}, Duree{"01:02:0x", std::nullopt}, Duree{"01-02-03", std::nullopt},
          Duree{"01:02", std::nullopt}}) {
        SCOPED_TRACE(d.texte);
        if (!d.secondes) {
            EXPECT_THROW(decoder_ligne_historique(ligne("05/01/2000", d.texte)), ErreurConversion);
        } else {
            EXPECT_EQ(decoder_ligne_historique(ligne("05/01/2000", d.texte))->secondes, *d.secondes);
        }
    }
    struct Date {
        const char* texte;
        std::optional<NumeroJour> jour;
    };
    // Dans cet ordre : une date sûre, puis des dates fausses qui la suivent (la date de la ligne
    // d'avant, gardée, ne doit pas leur être prêtée), puis elle de nouveau.
    for (const Date& d : {Date{"29/02/2000", jour(2000, 2, 29)}, Date{"29/02/1999", std::nullopt},
                          Date{"29/02/2000", jour(2000, 2, 29)}, Date{"00/01/2000", std::nullopt},
                          Date{"01/13/2000", std::nullopt}, Date{"01/01/0000", std::nullopt},
                          Date{"01/01/99", jour(1999, 1, 1)}, Date{"1/12/2000", jour(2000, 12, 1)},
                          Date{"01/01/2000 ", jour(2000, 1, 1)}, Date{"lundi", std::nullopt},
                          Date{"29/02/2000", jour(2000, 2, 29)}}) {
        SCOPED_TRACE(d.texte);
        // Une date qui ne se lit pas rend la ligne illisible : rien ne dit à quel mois elle compte.
        if (!d.jour) {
            EXPECT_THROW(decoder_ligne_historique(ligne(d.texte, "00:01:00")), ErreurConversion);
            continue;
        }
        EXPECT_EQ(decoder_ligne_historique(ligne(d.texte, "00:01:00"))->jour, d.jour);
    }
}

TEST(NomsHistorique, FichiersEtRangsDesMois) {
    struct Cas {
        unsigned mois;
        int annee;
        const char* nom;
        const char* fichier;
        const char* rang;
    };
    for (const auto& c :
         {Cas{1, 2000, "janvier", "janvier00.fct", "12"}, Cas{2, 2000, "février", "février00.fct", "11"},
          Cas{3, 2000, "mars", "mars00.fct", "10"}, Cas{8, 2001, "aout", "aout01.fct", "05"},
          Cas{9, 1998, "septembre", "septembre98.fct", "04"},
          Cas{12, 1999, "décembre", "décembre99.fct", "01"}}) {
        SCOPED_TRACE(c.fichier);
        const auto n = nom_fichier_historique(c.mois, c.annee);
        EXPECT_EQ(n.mois, c.nom);
        EXPECT_EQ(n.fichier, c.fichier);
        EXPECT_EQ(rang_du_mois(c.nom), c.rang);
    }
    EXPECT_EQ(nom_fichier_historique(13, 2000).fichier, "");
    EXPECT_EQ(rang_du_mois("fevrier"), "11");
    EXPECT_EQ(rang_du_mois("decembre"), "01");
    EXPECT_EQ(rang_du_mois("août"), "-1");
    EXPECT_EQ(rang_du_mois("Janvier"), "-1");
    EXPECT_EQ(rang_du_mois(""), "-1");
}

TEST(NomsHistorique, Localisateur) {
    EXPECT_EQ(localisateur(7, 3, 2000), 7 * 10000 + 3 * 100 + 0);
    EXPECT_EQ(localisateur(12, 12, 1999), 121299);
    EXPECT_FALSE(localisateur(300000, 1, 2000));  // au-delà de 32 bits
    const auto l = lire_localisateur(70300);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->numero, 7);
    EXPECT_EQ(l->mois, 3u);
    EXPECT_EQ(l->fichier, "mars00.fct");
    EXPECT_EQ(lire_localisateur(121299)->fichier, "décembre99.fct");
    EXPECT_FALSE(lire_localisateur(71300));
    EXPECT_FALSE(lire_localisateur(999));
}

TEST(ResumeConnexion, TexteDeLaQuestion) {
    ReglagesMonnaie monnaie;
    monnaie.ttc = false;
    const std::string ligne =
        "Paul;Heures pleines;05/01/2000;21H14;00:12:31;Rouge;A;4,512;-4;0;0,000;|;MonFAI;";
    EXPECT_EQ(
        resume_connexion(ligne, monnaie),
        "\nDATE: 05/01/2000   HEURE: 21H14   DUREE: 00:12:31\nCOUT: 4,512 F  TARIFICATION: Heures pleines\n"
        "UTILISATEUR: Paul  PROVIDER: MonFAI\n\nVoulez-vous enregistrer cette connexion dans l'historique ?");
    monnaie.ttc = true;
    monnaie.nb_decimales = 2;
    const auto manuel = resume_connexion("Paul;T;05/01/2000;21H14;00:12:31;;M;10;-4;0;0;|;;", monnaie);
    EXPECT_NE(manuel.find("COUT: 11,96 F"), std::string::npos) << manuel;
    EXPECT_NE(manuel.find("PROVIDER: mode manuel"), std::string::npos);
    // Un montant illisible n'empêche pas la question.
    EXPECT_NE(resume_connexion("Paul;T;05/01/2000;21H14;00:12:31;;M;??;", monnaie).find("COUT: ?? F"),
              std::string::npos);
}

}  // namespace
}  // namespace lumi
