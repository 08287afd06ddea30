#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/decimal.hpp"
#include "tariff/affichage_tarif.hpp"
#include "tariff/jauges.hpp"

namespace lumi {
namespace {

// Couleurs des indices comme dans Couleur.ini : taux2 et taux3 partagent le bleu.
constexpr std::uint32_t gris = 0x808080, rouge = 0x0000FF, bleu = 0xFF0000, vert = 0x00FF00;

CouleursTaux couleurs_essai() {
    CouleursTaux c{};
    c.fill(0xC0C0C0);
    c[0] = gris;
    c[1] = rouge;
    c[2] = bleu;
    c[3] = bleu;
    c[4] = vert;
    return c;
}

TroisListes listes(const std::string& p1, const std::string& p2, const std::string& p3) {
    return {ListePlages(p1, {"tarifs.ini", "Essai", "p1"}), ListePlages(p2, {"tarifs.ini", "Essai", "p2"}),
            ListePlages(p3, {"tarifs.ini", "Essai", "p3"})};
}

// Réduit (taux2, bleu) la nuit, plein tarif (taux1, rouge) le jour : deux couleurs.
TroisListes listes_deux_couleurs() {
    return listes("9,taux2,0,28799,68400,86399,taux1,28800,68399", "7,taux2,0,86399", "8,taux2,0,86399");
}

ReglagesMonnaie monnaie_ht() {
    ReglagesMonnaie m;
    m.ttc = false;
    m.nb_decimales = 3;
    m.locale.separateur_decimal = ',';
    m.locale.symbole_monetaire = "F";
    return m;
}

tparametre_de_la_tarification tarif_essai() {
    tparametre_de_la_tarification t;
    t.nom = "Essai";
    t.credit_temps = 180;
    t.cout_ht_credit_temps = 1.00f;
    t.cout_ht_connexion = 0.74f;
    t.cout_ht_plein_tarif = 0.28f;
    t.cout_ht_tarif_reduit = 0.14f;
    t.cout_ht_tarif_supp = 0.20f;
    t.pas_tarif = 60;
    t.l1 = "Tarif réduit la nuit";
    t.l2 = "Plein tarif le jour";
    return t;
}

tparametre_de_la_reduction option_r(int taux) {
    tparametre_de_la_reduction o;
    o.nom = taux ? "R30" : "";
    o.type_forfait = type_forfait_r;
    o.taux = taux;
    return o;
}

// Une zone rafraîchie avec ces données.
struct Essai {
    tparametre_de_la_tarification tarif = tarif_essai();
    tparametre_de_la_reduction option = option_r(0);
    TroisListes plages = listes_deux_couleurs();
    CouleursTaux couleurs = couleurs_essai();
    ReglagesMonnaie monnaie = monnaie_ht();
    std::string raz = "";

    ZoneInformationTarif zone() const {
        ZoneInformationTarif z;
        mettre_a_jour(z);
        return z;
    }
    void mettre_a_jour(ZoneInformationTarif& z) const {
        mise_a_jour_affichage_tarifications(z, {tarif, option, plages, couleurs, monnaie, raz});
    }
};

TEST(TexteDuree, MinutesEtSecondes) {
    const std::vector<std::pair<std::int32_t, std::string>> cas{
        {45, "45 secondes"},  {0, "0 secondes"},  {60, "1 minute"},     {120, "2 minutes"},
        {200, "3 min20 sec"}, {61, "1 min1 sec"}, {3600, "60 minutes"}, {59, "59 secondes"},
    };
    for (const auto& [s, attendu] : cas) EXPECT_EQ(calcul_temps_en_minutes_et_secondes(s), attendu) << s;
}

TEST(TexteDuree, HeuresMinutesSecondesDuForfait) {
    EXPECT_EQ(format_hms(3725), "01h02m05s");
    EXPECT_EQ(format_hms(0), "00h00m00s");
    EXPECT_EQ(format_hms(360000), "100h00m00s");
    EXPECT_EQ(format_hms(-65), "-00h01m05s");
}

TEST(DessinPlages, ListeDExempleSurUneBarreDe185Pixels) {
    const auto dessin = change_dessin_plages_horaires(
        listes("9,taux1,28800,68399,taux2,0,28799,68400,86399", "7,taux2,0,86399", "8,taux2,0,86399"),
        couleurs_essai(), 185, 9);
    const std::vector<RectanglePlage> barre1{
        {28800, 68399, 1, rouge, 61, 0, 146, 9},
        {0, 28799, 2, bleu, 0, 0, 61, 9},
        {68400, 86399, 2, bleu, 146, 0, 185, 9},
    };
    EXPECT_EQ(dessin.barres[0].rectangles, barre1);
    EXPECT_EQ(dessin.barres[0].texte_jour, "Semaine");
    EXPECT_EQ(dessin.barres[1].rectangles, (std::vector<RectanglePlage>{{0, 86399, 2, bleu, 0, 0, 185, 9}}));
    EXPECT_EQ(dessin.barres[1].texte_jour, "Samedi");
    EXPECT_EQ(dessin.barres[2].texte_jour, "Dimanche et\rjours fériés");
    // "8" et "19" sans "h", "0h" au début, "12h" toujours, "24h" décalé vers la gauche ; chacune une fois.
    const std::vector<EtiquetteHeure> etiquettes{
        {61, "8"}, {83, "12h"}, {0, "0h"}, {146, "19"}, {182, "24h"}};
    EXPECT_EQ(dessin.etiquettes, etiquettes);
    EXPECT_EQ(dessin.couleurs[0], rouge);
    EXPECT_EQ(dessin.couleurs[1], bleu);
    EXPECT_FALSE(dessin.couleurs[2].has_value());
}

TEST(DessinPlages, BornesQuiNeTombentPasSurUneHeure) {
    DessinPlages dessin;
    dessin.largeur = 240;
    dessin.hauteur = 5;
    zones_tarifaires(dessin, 1, 30600, vert, 45000, 4);  // 8h30 .. 12h30
    EXPECT_EQ(dessin.barres[1].rectangles,
              (std::vector<RectanglePlage>{
                  {30600, 45000, 4, vert, 240 * 30600 / 86399, 0, 240 * 45000 / 86399, 5}}));
    EXPECT_EQ(dessin.etiquettes, (std::vector<EtiquetteHeure>{{240 * 39000 / 86399, "12h"}}));
}

TEST(DessinPlages, MemeCouleurPourDeuxIndicesEtTroisiemeCouleur) {
    // taux2 et taux3 ont la même couleur : une seule couleur est comptée.
    auto d = change_dessin_plages_horaires(
        listes("9,taux2,0,43199,taux3,43200,86399", "7,taux2,0,86399", "8,taux3,0,86399"), couleurs_essai());
    EXPECT_EQ(d.couleurs[0], bleu);
    EXPECT_FALSE(d.couleurs[1].has_value());
    // Les couleurs suivent l'ordre du dessin : liste 1, puis 2, puis 3 ; au-delà de trois, rien.
    d = change_dessin_plages_horaires(
        listes("9,taux2,0,86399", "7,taux1,0,86399", "8,taux4,0,43199,taux0,43200,86399"), couleurs_essai());
    EXPECT_EQ(d.couleurs[0], bleu);
    EXPECT_EQ(d.couleurs[1], rouge);
    EXPECT_EQ(d.couleurs[2], vert);
    EXPECT_EQ(d.barres[2].rectangles.size(), 2u);  // le gris est dessiné sans être listé
}

TEST(DessinPlages, ListeMalFormeeOuVide) {
    const auto d =
        change_dessin_plages_horaires(listes("9,taux1,0,abc", "", "8,taux2,0,86399"), couleurs_essai());
    EXPECT_TRUE(d.barres[0].rectangles.empty());
    EXPECT_NE(d.barres[0].erreur.find("abc"), std::string::npos);
    EXPECT_NE(d.barres[0].erreur.find("p1"), std::string::npos);
    EXPECT_EQ(d.barres[0].texte_jour, "Semaine");
    EXPECT_TRUE(d.barres[1].rectangles.empty());
    EXPECT_TRUE(d.barres[1].erreur.empty());
    EXPECT_EQ(d.barres[1].texte_jour, "");
    EXPECT_EQ(d.barres[2].rectangles.size(), 1u);
    EXPECT_EQ(d.couleurs[0], bleu);
}

// Ce que montrent les lignes de prix, la légende et le titre.
struct VueZone {
    std::string connexion, credit, pas;
    std::string min1, h1, min2, h2, min3, h3;
    bool ligne2, totaux, ligne3, legende, pastilles, sans_avantage, titre;
};

VueZone vue(const ZoneInformationTarif& z) {
    return {z.connexion,
            z.credit_temps,
            z.pas,
            z.lignes[0].par_minute,
            z.lignes[0].total,
            z.lignes[1].par_minute,
            z.lignes[1].total,
            z.lignes[2].visible ? z.lignes[2].par_minute : "",
            z.lignes[2].visible ? z.lignes[2].total : "",
            z.lignes[1].visible,
            z.lignes[0].total_visible && z.lignes[1].total_visible,
            z.lignes[2].visible,
            z.legende.visible,
            z.legende.pastilles_visibles,
            z.legende.sans_avantage_visible,
            z.titre_zones_tarifaires_visible};
}

TEST(ZoneInformation, ReductionSansOptionEtFi) {
    struct Cas {
        const char* nom;
        Essai essai;
        VueZone attendu;
    };
    Essai sans_option;
    Essai reduc30;
    reduc30.option = option_r(30);
    Essai fenetres;
    fenetres.option = option_r(0);
    fenetres.option.nom = "Paliers";
    fenetres.option.t = {0, 50, 25, 10};
    fenetres.option.dt = {0, 0, 600, 1200};
    Essai fi;  // "Fi" : le prix entier, avec les listes (une seule couleur) de l'option
    fi.option.nom = "Soirs";
    fi.option.type_forfait = type_forfait_fi;
    fi.option.taux = 30;
    fi.plages = listes("9,taux4,0,86399", "7,taux4,0,86399", "8,taux4,0,86399");
    Essai une_couleur;  // taux2 et taux3 : deux indices, une couleur
    une_couleur.plages = listes("9,taux2,0,43199,taux3,43200,86399", "7,taux2,0,86399", "8,taux2,0,86399");
    Essai trois_couleurs;
    trois_couleurs.plages =
        listes("9,taux2,0,28799,68400,86399,taux1,28800,68399", "7,taux4,0,86399", "8,taux2,0,86399");
    Essai taux0_en_premier;  // couleur 1 = couleur de l'indice 0
    taux0_en_premier.plages =
        listes("9,taux0,0,28799,taux1,28800,86399", "7,taux0,0,86399", "8,taux0,0,86399");
    Essai taux0_en_second;  // couleur 2 = couleur de l'indice 0 : cachée pour "R"...
    taux0_en_second.plages =
        listes("9,taux1,0,28799,taux0,28800,86399", "7,taux1,0,86399", "8,taux1,0,86399");
    Essai taux0_en_second_fi = taux0_en_second;  // ... mais pas pour "Fi"
    taux0_en_second_fi.option.nom = "Soirs";
    taux0_en_second_fi.option.type_forfait = type_forfait_fi;
    Essai sans_credit_a_la_seconde;  // le prix du crédit reste écrit mais ne compte pas
    sans_credit_a_la_seconde.tarif.credit_temps = 0;
    sans_credit_a_la_seconde.tarif.pas_tarif = 1;
    Essai credit_gratuit;
    credit_gratuit.tarif.cout_ht_credit_temps = 0;
    credit_gratuit.tarif.pas_tarif = 90;

    const std::string c = "3 minutes  =  1,000 F";
    const Cas cas[] = {
        {"sans option",
         sans_option,
         {"0,740 F", c, "Unités de 1 minute", "0,140 F/min", "9,720 F/h", "0,280 F/min", "17,700 F/h", "", "",
          true, true, false, true, true, false, true}},
        {"réduction de 30 %",
         reduc30,
         {"0,740 F", "3 minutes  =  0,700 F", "Unités de 1 minute", "0,098 F/min", "6,804 F/h", "0,196 F/min",
          "12,390 F/h", "", "", true, true, false, true, true, false, true}},
        {"fenêtres de temps écoulé",
         fenetres,
         {"0,740 F", c, "Unités de 1 minute", "0,14 > 0,07 > 0,11 > 0,13  F/min", "8,110 F/h",
          "0,28 > 0,14 > 0,21 > 0,25  F/min", "14,480 F/h", "", "", true, true, false, true, true, false,
          true}},
        {"Fi, une couleur",
         fi,
         {"0,740 F", c, "Unités de 1 minute", "0,140 F/min", "9,720 F/h", "0,280 F/min", "17,700 F/h", "", "",
          false, false, false, true, false, true, true}},
        {"deux indices de même couleur",
         une_couleur,
         {"0,740 F", c, "Unités de 1 minute", "0,140 F/min", "9,720 F/h", "0,280 F/min", "17,700 F/h", "", "",
          false, false, false, true, false, true, true}},
        {"trois couleurs",
         trois_couleurs,
         {"0,740 F", c, "Unités de 1 minute", "0,140 F/min", "9,720 F/h", "0,200 F/min", "13,140 F/h",
          "0,280 F/min", "17,700 F/h", true, true, true, false, true, false, false}},
        {"couleur 1 de l'indice 0",
         taux0_en_premier,
         {"0,740 F", c, "Unités de 1 minute", "0,140 F/min", "9,720 F/h", "0,280 F/min", "17,700 F/h", "", "",
          false, false, false, true, true, false, true}},
        {"couleur 2 de l'indice 0, R",
         taux0_en_second,
         {"0,740 F", c, "Unités de 1 minute", "0,140 F/min", "9,720 F/h", "0,280 F/min", "17,700 F/h", "", "",
          false, false, false, true, true, false, true}},
        {"couleur 2 de l'indice 0, Fi",
         taux0_en_second_fi,
         {"0,740 F", c, "Unités de 1 minute", "0,140 F/min", "9,720 F/h", "0,280 F/min", "17,700 F/h", "", "",
          true, true, false, true, true, false, true}},
        {"sans crédit, à la seconde",
         sans_credit_a_la_seconde,
         {"0,740 F", "aucun", "Tarification à la seconde", "0,140 F/min", "9,140 F/h", "0,280 F/min",
          "17,540 F/h", "", "", true, true, false, true, true, false, true}},
        {"crédit sans prix",
         credit_gratuit,
         {"0,740 F", "aucun", "Unités de 1 min30 sec", "0,140 F/min", "8,720 F/h", "0,280 F/min",
          "16,700 F/h", "", "", true, true, false, true, true, false, true}},
    };
    for (const auto& k : cas) {
        SCOPED_TRACE(k.nom);
        const auto z = k.essai.zone();
        const auto v = vue(z);
        const auto& a = k.attendu;
        EXPECT_EQ(v.connexion, a.connexion);
        EXPECT_EQ(v.credit, a.credit);
        EXPECT_EQ(v.pas, a.pas);
        EXPECT_EQ(v.min1, a.min1);
        EXPECT_EQ(v.h1, a.h1);
        EXPECT_EQ(v.min2, a.min2);
        EXPECT_EQ(v.h2, a.h2);
        EXPECT_EQ(v.min3, a.min3);
        EXPECT_EQ(v.h3, a.h3);
        EXPECT_EQ(v.ligne2, a.ligne2);
        EXPECT_EQ(v.totaux, a.totaux);
        EXPECT_EQ(v.ligne3, a.ligne3);
        EXPECT_EQ(v.legende, a.legende);
        EXPECT_EQ(v.pastilles, a.pastilles);
        EXPECT_EQ(v.sans_avantage, a.sans_avantage);
        EXPECT_EQ(v.titre, a.titre);
        EXPECT_TRUE(z.lignes[0].visible);
        EXPECT_FALSE(z.forfait.visible);
    }
}

TEST(ZoneInformation, PastillesEtLegende) {
    Essai e;
    auto z = e.zone();
    EXPECT_EQ(z.lignes[0].couleur, bleu);
    EXPECT_EQ(z.lignes[1].couleur, rouge);
    EXPECT_EQ(z.legende.couleur1, bleu);
    EXPECT_EQ(z.legende.couleur2, rouge);
    EXPECT_EQ(z.legende.l1, "Tarif réduit la nuit");
    EXPECT_EQ(z.legende.l2, "Plein tarif le jour");
    EXPECT_EQ(z.dessin.barres[0].rectangles.size(), 3u);

    // Les lignes non vides de l'option remplacent celles du tarif, une à une.
    e.option.nom = "Soirs";
    e.option.type_forfait = type_forfait_fi;
    e.option.l2 = "Soirs compris";
    z = e.zone();
    EXPECT_EQ(z.legende.l1, "Tarif réduit la nuit");
    EXPECT_EQ(z.legende.l2, "Soirs compris");

    // Trois couleurs : la troisième ligne prend la troisième.
    e.plages = listes("9,taux2,0,28799,68400,86399,taux1,28800,68399", "7,taux4,0,86399", "8,taux2,0,86399");
    z = e.zone();
    EXPECT_EQ(z.lignes[2].couleur, vert);

    // Une seule couleur : la pastille de la ligne 1 la prend.
    e.plages = listes("9,taux4,0,86399", "7,taux4,0,86399", "8,taux4,0,86399");
    z = e.zone();
    EXPECT_EQ(z.lignes[0].couleur, vert);
    EXPECT_EQ(z.legende.couleur2, vert);
}

TEST(ZoneInformation, LesVisibilitesSeRetablissentAuRafraichissementSuivant) {
    Essai e;
    e.plages = listes("9,taux4,0,86399", "7,taux4,0,86399", "8,taux4,0,86399");
    ZoneInformationTarif z;
    e.mettre_a_jour(z);
    ASSERT_FALSE(z.lignes[1].visible);
    e.plages = listes_deux_couleurs();
    e.mettre_a_jour(z);
    EXPECT_TRUE(z.lignes[1].visible);
    EXPECT_TRUE(z.lignes[0].total_visible);
    EXPECT_TRUE(z.lignes[1].total_visible);
    EXPECT_TRUE(z.legende.pastilles_visibles);
    EXPECT_FALSE(z.legende.sans_avantage_visible);
}

TEST(ZoneInformation, ForfaitF) {
    struct Cas {
        std::int32_t unite;
        const char* decompte;
    };
    const Cas cas[] = {
        {1, "Décompte du forfait : à la seconde"},
        {60, "Décompte du forfait : Toutes les minutes"},
        {30, "Décompte du forfait : toutes les 30 secondes"},
    };
    for (const auto& c : cas) {
        Essai sans_option;
        ZoneInformationTarif z;
        sans_option.mettre_a_jour(z);  // la zone montrait le tarif seul
        Essai e;
        e.option.nom = "F10h";
        e.option.type_forfait = type_forfait_f;
        e.option.duree_forfait = 36000;
        e.option.temps_forfait_debut = 7265;
        e.option.unite_decompte = c.unite;
        e.raz = "12 jours";
        e.tarif.pas_tarif = 1;
        e.plages = listes("9,taux4,0,86399", "7,taux4,0,86399", "8,taux4,0,86399");
        e.mettre_a_jour(z);
        EXPECT_TRUE(z.forfait.visible);
        EXPECT_EQ(z.forfait.Gauge2, (Jauge{true, 7265, 36000}));
        EXPECT_EQ(z.forfait.temps_restant, "02h01m05s");
        EXPECT_EQ(z.forfait.Label10, "12 jours");
        EXPECT_EQ(z.forfait.texte_decompte, c.decompte);
        EXPECT_EQ(z.pas, "Tarification à la seconde");
        EXPECT_TRUE(z.legende.sans_avantage_visible);
        EXPECT_FALSE(z.lignes[1].visible);
        // Les prix gardent leur texte précédent.
        EXPECT_EQ(z.lignes[0].par_minute, "0,140 F/min");
        EXPECT_EQ(z.connexion, "0,740 F");
    }
}

TEST(ZoneInformation, ForfaitFAvecTroisCouleursEtRetourAUneReduction) {
    Essai e;
    e.option.nom = "F10h";
    e.option.type_forfait = type_forfait_f;
    e.option.duree_forfait = 3600;
    e.option.temps_forfait_debut = 5000;  // plus que la durée : la jauge s'arrête au maximum
    e.plages = listes("9,taux2,0,28799,68400,86399,taux1,28800,68399", "7,taux4,0,86399", "8,taux2,0,86399");
    auto z = e.zone();
    EXPECT_EQ(z.forfait.Gauge2.position, 3600);
    EXPECT_EQ(z.forfait.temps_restant, "01h23m20s");
    EXPECT_EQ(z.lignes[1].par_minute, "0,000 F/min");  // pendant le forfait l'appel ne coûte rien
    EXPECT_TRUE(z.lignes[2].visible);
    EXPECT_FALSE(z.titre_zones_tarifaires_visible);

    e.option = option_r(0);
    e.plages = listes_deux_couleurs();
    e.mettre_a_jour(z);
    EXPECT_FALSE(z.forfait.visible);
    EXPECT_FALSE(z.lignes[2].visible);
    EXPECT_TRUE(z.titre_zones_tarifaires_visible);
    EXPECT_EQ(z.lignes[1].par_minute, "0,280 F/min");
}

TEST(ZoneInformation, MontantsAvecTvaEtDevise) {
    Essai e;
    e.monnaie.ttc = true;
    e.monnaie.taux_tva = 19.6f;
    e.monnaie.locale.symbole_monetaire = "Frs";
    e.tarif.cout_ht_connexion = 1.16f;
    auto z = e.zone();
    EXPECT_EQ(z.connexion, "1,387 Frs");
    EXPECT_EQ(z.lignes[0].par_minute, "0,167 Frs/min");  // 0,14 × 1,196 = 0,16744

    e.monnaie.nb_decimales = 2;
    e.monnaie.locale.symbole_monetaire = "€";
    e.monnaie.locale.separateur_decimal = '.';
    z = e.zone();
    EXPECT_EQ(z.connexion, "1.39 F");
}

// Des bornes de fenêtres aberrantes (dt1 proche de -2^31) donnent un total absurde mais juste, sans
// débordement des différences : environ -10 021 588 + 5 010 798 F pour une heure au plein tarif.
TEST(ZoneInformation, FenetresAuxBornesAberrantes) {
    Essai e;
    e.option.nom = "Paliers";
    e.option.t = {0, 50, 25, 10};
    e.option.dt = {0, -2147483000, 1800, 3000};
    const auto total = e.zone().lignes[1].total;
    ASSERT_TRUE(total.ends_with(" F/h")) << total;
    const auto valeur = lire_decimal(total.substr(0, total.size() - 4));
    ASSERT_TRUE(valeur) << total;
    EXPECT_NEAR(*valeur, -5010782.0, 10.0) << total;
}

TEST(ZoneInformation, UneListeMalFormeeNEmpechePasLeReste) {
    Essai e;
    e.plages = listes("9,taux2,0,28799,taux1,28800,x", "7,taux2,0,86399", "8,taux2,0,86399");
    const auto z = e.zone();
    EXPECT_FALSE(z.dessin.barres[0].erreur.empty());
    EXPECT_EQ(z.connexion, "0,740 F");
    EXPECT_EQ(z.lignes[0].couleur, bleu);
}

struct CasJauge {
    const char* nom;
    std::int32_t credit_temps, pas, ecoule;
    tparametre_de_la_reduction option;
    AppelProgression appel;
    Jauge Gauge1;
    std::string ligne0, ligne1;
};

tparametre_de_la_reduction forfait(std::int32_t duree, std::int32_t restant, std::int32_t unite) {
    tparametre_de_la_reduction o;
    o.nom = "F";
    o.type_forfait = type_forfait_f;
    o.duree_forfait = duree;
    o.temps_restant_forfait = restant;
    o.unite_decompte = unite;
    return o;
}

TEST(Jauges, ArgumentsDuTopEtLignesZeroEtUn) {
    const auto r = option_r(0);
    const CasJauge cas[] = {
        {"crédit temps en cours",
         180,
         60,
         30,
         r,
         {true, 150, 180, type_forfait_r, 30},
         {true, 150, 180},
         "Décompte crédit temps",
         ""},
        {"pas d'une minute",
         0,
         60,
         135,
         r,
         {false, 45, 60, type_forfait_r, 135},
         {true, 45, 60},
         "Décompte unités de 1 minute",
         "45 - 3 UT"},
        {"premier pas après le crédit",
         180,
         60,
         185,
         r,
         {false, 55, 60, type_forfait_r, 185},
         {true, 55, 60},
         "Décompte unités de 1 minute",
         "55 - 1 UT"},
        {"dernière seconde d'un pas",
         180,
         60,
         239,
         r,
         {false, 1, 60, type_forfait_r, 239},
         {true, 1, 60},
         "Décompte unités de 1 minute",
         "01 - 1 UT"},
        {"pas de 90 s",
         0,
         90,
         90,
         r,
         {false, 90, 90, type_forfait_r, 90},
         {true, 90, 90},
         "Décompte unités de 1 min30 sec",
         "90 - 2 UT"},
        {"à la seconde",
         0,
         1,
         500,
         r,
         {false, 10, 10, type_forfait_r, 500},
         {false, 0, 0},
         "Tarification à la seconde",
         ""},
        {"forfait compté à la minute",
         0,
         60,
         70,
         forfait(3600, 1800, 60),
         {true, 1800, 3600, type_forfait_f, 70},
         {true, 50, 60},
         "Décompte forfait",
         "50% - 00h30m00s"},
        {"forfait à la seconde",
         0,
         60,
         70,
         forfait(3600, 1199, 1),
         {true, 1199, 3600, type_forfait_f, 70},
         {false, 0, 0},
         "Décompte forfait",
         "33% - 00h19m59s"},
        {"forfait d'unité nulle",
         0,
         60,
         70,
         forfait(3600, 1199, 0),
         {true, 1199, 3600, type_forfait_f, 70},
         {false, 0, 0},
         "Décompte forfait",
         "33% - 00h19m59s"},
        {"forfait épuisé",
         0,
         60,
         70,
         forfait(3600, -60, 60),
         {true, -60, 3600, type_forfait_f, 70},
         {true, 50, 60},
         "Décompte forfait",
         "0% - 00h00m00s"},
        {"forfait de durée nulle",
         0,
         60,
         0,
         forfait(0, 0, 60),
         {true, 0, 0, type_forfait_f, 0},
         {true, 60, 60},
         "Décompte forfait",
         "0% - 00h00m00s"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        auto tarif = tarif_essai();
        tarif.credit_temps = c.credit_temps;
        tarif.pas_tarif = c.pas;
        const auto appel = arguments_progressbar(tarif, c.option, c.ecoule);
        ASSERT_TRUE(appel.has_value());
        EXPECT_EQ(*appel, c.appel);
        Jauge Gauge1;
        ZoneForfait zone;
        LignesEtat lignes;
        lignes[1] = "MonFAI";
        lignes[2] = "Total facture en cours :";
        EXPECT_TRUE(afficher_progressbar(*appel, tarif, c.option.unite_decompte, Gauge1, zone, lignes));
        EXPECT_EQ(Gauge1, c.Gauge1);
        EXPECT_EQ(lignes[0], c.ligne0);
        EXPECT_EQ(lignes[1], c.ligne1);
        EXPECT_EQ(lignes[2], "Total facture en cours :");
        if (c.option.type_forfait == type_forfait_f) {
            EXPECT_EQ(zone.Gauge2.maximum, c.option.duree_forfait);
            EXPECT_EQ(zone.temps_restant, c.ligne1.substr(c.ligne1.find(" - ") + 3));
        }
        // Le même top une seconde fois ne réécrit aucune ligne.
        EXPECT_FALSE(afficher_progressbar(*appel, tarif, c.option.unite_decompte, Gauge1, zone, lignes));
    }
}

TEST(Jauges, FiEtAutresTypesNeMontrentRien) {
    auto option = option_r(0);
    option.type_forfait = type_forfait_fi;
    EXPECT_FALSE(arguments_progressbar(tarif_essai(), option, 10).has_value());

    Jauge Gauge1{true, 3, 7};
    ZoneForfait zone;
    LignesEtat lignes;
    lignes[0] = "Connecté au service";
    EXPECT_FALSE(
        afficher_progressbar({true, 5, 10, type_forfait_fi, 5}, tarif_essai(), 1, Gauge1, zone, lignes));
    EXPECT_EQ(Gauge1, (Jauge{true, 3, 7}));
    EXPECT_EQ(lignes[0], "Connecté au service");
}

TEST(Jauges, LignesDeLaReduction) {
    auto paliers = option_r(0);
    paliers.t = {0, 50, 25, 10};
    paliers.dt = {0, 600, 1200, 1800};
    struct Cas {
        tparametre_de_la_reduction option;
        std::int32_t ecoule;
        float montant;
        bool ttc;
        const char* ligne5;
    };
    const Cas cas[] = {
        {option_r(30), 100, 0.348f, false, "- 30% = - 0,348 F"},
        {option_r(30), 100, 1.16f, true, "- 30% = - 1,387 F"},
        {paliers, 599, 0, false, "- 00% = - 0,000 F"},
        {paliers, 600, 0.5f, false, "- 50% = - 0,500 F"},
        {paliers, 1300, 1, false, "- 25% = - 1,000 F"},
        {paliers, 5000, 2, false, "- 10% = - 2,000 F"},
    };
    for (const auto& c : cas) {
        auto monnaie = monnaie_ht();
        monnaie.ttc = c.ttc;
        LignesEtat lignes;
        EXPECT_TRUE(affichage_message_reduc_normales(c.option, c.ecoule, c.montant, monnaie, lignes));
        EXPECT_EQ(lignes[4], "Réduction en cours :");
        EXPECT_EQ(lignes[5], c.ligne5) << c.ecoule;
        EXPECT_FALSE(affichage_message_reduc_normales(c.option, c.ecoule, c.montant, monnaie, lignes));
    }
}

}  // namespace
}  // namespace lumi
