// La fenêtre des options sans Qt : groupes d'interrupteurs, "&Valider" éteint jusqu'au premier
// changement, lignes des forfaits, fournisseurs (tarifs cachés, priorités, entrées disparues), ordre
// du rangement pendant une connexion, et les petites fenêtres des forfaits et du délai.
#include "core/options/toptionform.hpp"

#include <gtest/gtest.h>

#include <functional>

#include "core/commandes_fenetre.hpp"
#include "core/utilisateurs.hpp"
#include "essai_compteur.hpp"
#include "platform/simulation/systeme_simule.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/fichier_ini.hpp"

namespace lumi {
namespace {

using essai::le_10_mars;
using I = Interrupteur;

const std::string options = cles::section(cles::options);

// Un compteur d'essai hors connexion et la fenêtre des options au-dessus.
struct BancOptions {
    explicit BancOptions(Moment depart = le_10_mars(14, 0, 0)) : e(depart, nullptr, "options_tarifs.ini") {}

    ModeleToptionform& ouvrir(std::vector<std::string> annuaire = {"MonFAI"}, int page = 0) {
        if (!e.banc) {
            e.demarrer();
            commandes = std::make_unique<CommandesFenetre>(e.compteur(), e.registre(), e.banc->acces,
                                                           e.banc->dialogue, e.dossier.chemin());
        }
        e.banc->acces.definir_annuaire(std::move(annuaire));
        modele = std::make_unique<ModeleToptionform>(LiensOptions{
            e.banc->horloge, e.registre(), e.banc->dialogue, e.dossier.chemin(), e.compteur(), *commandes,
            utilisateurs, e.banc->acces, &systeme, {"/usr/bin/lumicompteur", "-invisible"}});
        modele->ouvrir(page);
        return *modele;
    }
    std::string ini(std::string_view section, std::string_view cle) {
        return FichierIni(e.dossier / fichier_reglages).lire(section, cle);
    }
    std::string tarifs(std::string_view section, std::string_view cle) {
        return FichierIni(e.dossier / fichier_tarifs).lire(section, cle);
    }

    essai::EssaiCompteur e;
    std::unique_ptr<CommandesFenetre> commandes;
    ListeUtilisateurs utilisateurs{e.registre()};
    SystemeSimule systeme;
    std::unique_ptr<ModeleToptionform> modele;
};

TEST(PageGenerale, LesGroupesSeComportentCommeUnChoix) {
    struct Cas {
        const char* nom;
        Interrupteur appui;
        std::vector<Interrupteur> allumes;  // parmi le groupe de détection et celui des décimales
    };
    // Au départ : détection 1, 2 décimales.
    const Cas cas[] = {
        {"l'interrupteur déjà allumé s'éteint et allume les deux autres", I::detection_1,
         {I::detection_2, I::detection_3, I::deux_decimales}},
        {"un autre s'allume et éteint le reste", I::detection_3, {I::detection_3, I::deux_decimales}},
        {"les groupes sont indépendants", I::trois_decimales, {I::detection_1, I::trois_decimales}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        BancOptions b;
        auto& m = b.ouvrir();
        m.generale().appuyer(c.appui);
        for (auto i : {I::detection_1, I::detection_2, I::detection_3, I::deux_decimales, I::trois_decimales}) {
            const bool attendu = std::find(c.allumes.begin(), c.allumes.end(), i) != c.allumes.end();
            EXPECT_EQ(m.generale().etat(i), attendu) << texte_interrupteur(i);
        }
    }
}

TEST(PageGenerale, DetectionTroisStockeeAvecSonMessage) {
    BancOptions b;
    {
        FichierIni reglages(b.e.dossier / fichier_reglages);
        reglages.ecrire("messages utilisateurs", "message 127", "Détection RAS seule.");
        reglages.ecrire("messages utilisateurs", "message 128", "Redémarrez.");
    }
    auto& m = b.ouvrir();
    m.generale().appuyer(I::detection_1);
    m.valider();
    EXPECT_EQ(b.e.lire(cles::options, "detection ras"), "oui");
    EXPECT_EQ(b.ini("detection automatique", "only RAS"), "oui");
    EXPECT_EQ(b.e.boites(), std::vector<std::string>{"Détection RAS seule.\rRedémarrez."});
    // Les copies de travail sont effacées à la fermeture.
    EXPECT_FALSE(b.e.registre().cle_existe(cles::section(cles::temp_providers)));
    EXPECT_FALSE(b.e.registre().cle_existe(cles::section(cles::temp_raz_forfaits)));
}

// Le plafond de la facture : rangé à la validation, relu à l'ouverture ; une saisie fautive
// refuse la validation avant tout rangement et garde la fenêtre ouverte.
TEST(PageGenerale, PlafondRangeRelueEtSaisieFautiveRefusee) {
    BancOptions b;
    auto& m = b.ouvrir();
    EXPECT_EQ(m.generale().plafond().montant, "");
    EXPECT_EQ(m.generale().plafond().alerte, "80");
    EXPECT_EQ(m.generale().plafond().action, "avertir");

    m.generale().appuyer(I::alsace);
    m.generale().modifier_plafond({"150,x", "90", "raccrocher"});
    EXPECT_FALSE(m.valider());
    ASSERT_EQ(b.e.boites().size(), 1u);
    EXPECT_NE(b.e.boites()[0].find("« 150,x »"), std::string::npos) << b.e.boites()[0];
    EXPECT_EQ(b.e.lire(cles::options, "plafond facture"), "");
    EXPECT_EQ(b.e.lire(cles::options, "Alsace"), "");  // rien n'est rangé

    m.generale().modifier_plafond({"150,5", "90", "raccrocher"});
    EXPECT_TRUE(m.valider());
    EXPECT_EQ(b.e.lire(cles::options, "plafond facture"), "150,5");
    EXPECT_EQ(b.e.lire(cles::options, "plafond alerte"), "90");
    EXPECT_EQ(b.e.lire(cles::options, "plafond action"), "raccrocher");
    EXPECT_EQ(b.e.compteur().plafond().montant, 150.5);

    auto& relue = b.ouvrir();
    EXPECT_EQ(relue.generale().plafond().montant, "150,5");
    EXPECT_EQ(relue.generale().plafond().alerte, "90");
    EXPECT_EQ(relue.generale().plafond().action, "raccrocher");
}

// Une valeur rangée à la main et illisible, que la fenêtre n'a pas touchée, ne bloque pas la
// validation des autres réglages.
TEST(PageGenerale, PlafondIllisiblePasToucheNeBloquePasLaValidation) {
    BancOptions b;
    b.e.ecrire(cles::options, "plafond alerte", "150");
    auto& m = b.ouvrir();
    m.generale().appuyer(I::alsace);
    EXPECT_TRUE(m.valider());
    EXPECT_EQ(b.e.lire(cles::options, "Alsace"), "oui");
    EXPECT_EQ(b.e.lire(cles::options, "plafond alerte"), "150");
}

TEST(ToptionForm, ValiderEteintJusquAuPremierChangementDansChaqueOnglet) {
    const std::pair<const char*, std::function<void(ModeleToptionform&)>> cas[] = {
        {"interrupteur", [](auto& m) { m.generale().appuyer(I::alsace); }},
        {"cadence", [](auto& m) { m.generale().choisir_frequence(3); }},
        {"utilisateur", [](auto& m) { m.utilisateurs().ajouter("Zoé"); }},
        {"tarif", [](auto& m) { m.fournisseurs().choisir_tarif(1); }},
        {"option", [](auto& m) { m.fournisseurs().cocher(0, true); }},
        {"forfait", [](auto& m) { m.forfaits().changer_mode(0, "Manuelle"); }},
    };
    for (const auto& [nom, changer] : cas) {
        SCOPED_TRACE(nom);
        BancOptions b;
        auto& m = b.ouvrir();
        EXPECT_FALSE(m.valider_actif());
        m.generale().choisir_frequence(m.generale().frequence());  // la même valeur : rien ne change
        m.fournisseurs().choisir_fournisseur(1);                   // choisir n'est pas changer
        EXPECT_FALSE(m.valider_actif());
        changer(m);
        EXPECT_TRUE(m.valider_actif());
    }
}

// Les deux interrupteurs des notifications : leurs défauts, rangés dans « \options », relus à
// l'ouverture suivante.
TEST(PageGenerale, NotificationsDuBureauRangeesEtRelues) {
    BancOptions b;
    auto& m = b.ouvrir();
    EXPECT_TRUE(m.generale().etat(I::notifications_bureau));
    EXPECT_FALSE(m.generale().etat(I::notification_fin_connexion));
    m.generale().appuyer(I::notifications_bureau);
    m.generale().appuyer(I::notification_fin_connexion);
    EXPECT_FALSE(m.generale().etat(I::notifications_bureau)) << "pas un groupe : l'autre ne bascule pas";
    m.valider();
    EXPECT_EQ(b.e.lire(cles::options, "notifications bureau"), "non");
    EXPECT_EQ(b.e.lire(cles::options, "notification fin connexion"), "oui");
    auto& relu = b.ouvrir();
    EXPECT_FALSE(relu.generale().etat(I::notifications_bureau));
    EXPECT_TRUE(relu.generale().etat(I::notification_fin_connexion));
}

TEST(ToptionForm, ReglagesRangesEtAppliques) {
    BancOptions b;
    auto& m = b.ouvrir();
    for (auto i : {I::alsace, I::cacher_auto, I::selection_auto, I::demarrage_automatique, I::trois_decimales,
                   I::prix_ttc, I::total_sans_reduc, I::taille_reduite, I::anti_crash})
        m.generale().appuyer(i);
    m.generale().choisir_frequence(3);
    m.valider();
    EXPECT_EQ(b.e.lire(cles::options, "Alsace"), "oui");
    EXPECT_EQ(b.e.lire(cles::options, "cacher auto"), "oui");
    EXPECT_EQ(b.e.lire(cles::utilisateurs, "selection auto"), "oui");
    EXPECT_EQ(b.e.lire(cles::options, "taille"), "reduite");
    EXPECT_EQ(b.e.lire(cles::options, "TOTAL avec reduc"), "non");
    EXPECT_EQ(b.e.lire(cles::options, "anti crash"), "non");
    EXPECT_EQ(b.e.lire(cles::options, "frequence save crash"), "3");
    EXPECT_EQ(b.ini("gestion afficheur", "nb de decimales"), "3");
    EXPECT_EQ(b.ini("affichage des prix", "affichage"), "ttc") << "les réglages d'essai montrent les prix HT";
    EXPECT_TRUE(b.e.compteur().moteur().alsace());
    EXPECT_FALSE(b.e.compteur().anti_crash());
    EXPECT_EQ(b.e.compteur().Timer4().intervalle(), 5000);
    EXPECT_EQ(b.systeme.demarrage_automatique.at("Lumicompteur 2000"),
              (CommandeSysteme{"/usr/bin/lumicompteur", "-invisible"}));

    // Éteint, "Alsace" disparaît au lieu de valoir "non", et l'entrée de démarrage est effacée.
    auto& m2 = b.ouvrir();
    EXPECT_TRUE(m2.generale().etat(I::demarrage_automatique));
    m2.generale().appuyer(I::alsace);
    m2.generale().appuyer(I::demarrage_automatique);
    m2.valider();
    const auto valeurs = b.e.registre().lister_valeurs(options);
    EXPECT_EQ(std::find(valeurs.begin(), valeurs.end(), "Alsace"), valeurs.end());
    EXPECT_TRUE(b.systeme.demarrage_automatique.empty());
}

TEST(ToptionForm, AnnulerNeRangeRien) {
    BancOptions b;
    b.e.registre().ecrire_valeur(cles::cle_provider("MonFAI"), "tarification", "Seconde");
    auto& m = b.ouvrir();
    m.generale().appuyer(I::alsace);
    m.fournisseurs().choisir_fournisseur(1);
    m.fournisseurs().choisir_tarif(2);
    m.utilisateurs().ajouter("Zoé");
    m.annuler();
    EXPECT_EQ(b.e.lire(cles::options, "Alsace"), "");
    EXPECT_EQ(b.e.registre().lire_valeur(cles::cle_provider("MonFAI"), "tarification"), "Seconde");
    EXPECT_EQ(b.e.lire(cles::utilisateurs, "nb d'utilisateurs"), "");
    EXPECT_FALSE(b.e.registre().cle_existe(cles::section(cles::temp_providers)));
}

TEST(ToptionForm, ValiderPendantUneConnexionPrevientSansRechoisirLeTarif) {
    for (const bool en_connexion : {false, true}) {
        SCOPED_TRACE(en_connexion ? "pendant une connexion" : "hors connexion");
        BancOptions b;
        {
            FichierIni reglages(b.e.dossier / fichier_reglages);
            for (int n = 133; n <= 136; ++n)
                reglages.ecrire("messages utilisateurs", "message " + std::to_string(n), "m" + std::to_string(n));
        }
        auto& m = b.ouvrir();
        if (en_connexion) {
            b.e.connexion("MonFAI", b.e.banc->horloge.millisecondes() + 3000,
                          b.e.banc->horloge.millisecondes() + 600000);
            b.e.banc->avancer(10);
            ASSERT_TRUE(m.connexion_en_cours());
        }
        const auto boites_avant = b.e.boites().size();
        const std::string tarif_avant = b.e.compteur().choix().tarif_en_cours;
        m.generale().appuyer(I::cacher_auto);
        // Le tarif de l'entrée fixe, celle du mode automatique.
        m.fournisseurs().choisir_tarif(2);
        m.valider();
        EXPECT_EQ(b.e.lire(cles::options, "cacher auto"), "oui") << "tout est rangé";
        const auto boites = b.e.boites();
        if (en_connexion) {
            ASSERT_EQ(boites.size(), boites_avant + 1);
            EXPECT_EQ(boites.back(), "m133\rm134\rm135\rm136");
            // Le prix de la connexion ne change pas en route.
            EXPECT_EQ(b.e.compteur().choix().tarif_en_cours, tarif_avant);
        } else {
            EXPECT_EQ(boites.size(), boites_avant);
            EXPECT_EQ(b.e.compteur().choix().tarif_en_cours, "Nuit seule");
        }
    }
}

TEST(ToptionForm, FichierDesTarifsIllisibleLesAutresOngletsRestent) {
    BancOptions b;
    b.e.demarrer();
    b.commandes = std::make_unique<CommandesFenetre>(b.e.compteur(), b.e.registre(), b.e.banc->acces,
                                                     b.e.banc->dialogue, b.e.dossier.chemin());
    FichierIni(b.e.dossier / fichier_tarifs).ecrire("liste options tarifaires", "nb_total_options", "beaucoup");
    b.e.registre().ecrire_valeur(cles::section(cles::forfaits), "time F60", "125");
    try {
        b.ouvrir();
        FAIL() << "une erreur était attendue";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("nb_total_options"), std::string::npos) << e.what();
    }
    auto& m = *b.modele;
    EXPECT_TRUE(m.generale().etat(I::detection_1));
    EXPECT_EQ(m.fournisseurs().fournisseurs().size(), 2u);
    m.generale().appuyer(I::cacher_auto);
    m.valider();
    EXPECT_EQ(b.e.lire(cles::options, "cacher auto"), "oui");
    EXPECT_EQ(b.e.registre().lire_valeur(cles::section(cles::forfaits), "time F60"), "125");
    EXPECT_FALSE(b.e.registre().cle_existe(cles::section(cles::temp_forfaits)));
}

TEST(PageForfaits, LignesDeLaListe) {
    BancOptions b;
    b.e.registre().ecrire_valeur(cles::section(cles::forfaits), "time F60", "125");
    auto& m = b.ouvrir();
    const std::vector<LigneForfait> attendu = {
        {"Forfait à la minute", "00h02m05s", "Le 1er du mois", -1},
        {"Forfait à la seconde", "01h00m00s", "Tous les 30 jours", 2},
        {"Forfait avec relais", "00h02m00s", "Manuelle", 3},
    };
    EXPECT_EQ(m.forfaits().lignes(), attendu);
    const std::string temp_raz = cles::section(cles::temp_raz_forfaits);
    EXPECT_EQ(b.e.registre().lire_valeur(temp_raz, "raz 1"), "1");
    EXPECT_EQ(b.e.registre().lire_valeur(temp_raz, "raz le 1"), "1");
    EXPECT_EQ(b.e.registre().lire_valeur(temp_raz, "raz 2"), "5");
    EXPECT_EQ(b.e.registre().lire_valeur(cles::section(cles::temp_forfaits), "time F60"), "125");
}

TEST(PageForfaits, CorrectionEtModeRangesParValider) {
    BancOptions b;
    b.e.registre().ecrire_valeur(cles::section(cles::forfaits), "time F60", "125");
    b.e.registre().ecrire_valeur(cles::section(cles::forfaits_raz), "F60", "01/04/2000");
    auto& m = b.ouvrir();

    // Le forfait remis plein : temps et date de remise à zéro effacés de la copie.
    auto rectif = m.correction(0);
    ASSERT_TRUE(rectif);
    EXPECT_FALSE(rectif->valider_actif());
    rectif->reinitialiser();
    EXPECT_EQ(rectif->champ(), "01h00m00s");
    const auto c = rectif->valider();
    ASSERT_TRUE(c);
    EXPECT_EQ(c->numero, 1);
    m.correction_acceptee(0, *c);

    // Le forfait à la seconde passe au 15 des mois pairs ; il est plein : pas de date.
    auto raz = m.mode_reinitialisation(1);
    ASSERT_TRUE(raz);
    EXPECT_EQ(raz->choix(), ModeleTraz_type_forfait_form::Choix::tous_les_n_jours);
    raz->choisir(ModeleTraz_type_forfait_form::Choix::mensuel);
    raz->choisir_mois(1);
    raz->saisir_jour("15");
    const auto texte = raz->valider();
    ASSERT_TRUE(texte);
    EXPECT_EQ(*texte, "Le 15, mois pairs");
    m.forfaits().changer_mode(1, *texte);

    m.valider();
    EXPECT_EQ(b.e.registre().lire_valeur(cles::section(cles::forfaits), "time F60"), "");
    EXPECT_EQ(b.e.registre().lire_valeur(cles::section(cles::forfaits_raz), "F60"), "");
    EXPECT_EQ(b.tarifs("F1", "raz"), "2");
    EXPECT_EQ(b.tarifs("F1", "raz_le"), "15");
    EXPECT_EQ(b.tarifs("F60", "raz"), "1") << "les réglages non touchés restent";
    EXPECT_FALSE(b.e.registre().cle_existe(cles::section(cles::temp_forfaits)));
}

// Ce que la ligne montre après "&Valider" est ce que la prochaine ouverture relira : un temps
// saisi hors de la forme habituelle est normalisé aussitôt, un texte illisible est refusé en clair.
TEST(PageForfaits, LaCorrectionMontreLeTempsTelQuIlSeraRelu) {
    struct Cas {
        const char* nom;
        const char* saisi;
        const char* montre;  // vide : refusé
        const char* range;   // "time F60" de la copie de travail ; vide : forfait plein
    };
    const Cas cas[] = {
        {"minutes au-delà de 59 reportées", "12h75m00s", "13h15m00s", "47700"},
        {"secondes au-delà de 59 reportées", "00h01m90s", "00h02m30s", "150"},
        {"chiffres seuls complétés", "1h2m3s", "01h02m03s", "3723"},
        {"normalisé égal à la durée : forfait plein", "00h59m60s", "01h00m00s", ""},
        {"illisible refusé", "12h75", "", "125"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        BancOptions b;
        b.e.registre().ecrire_valeur(cles::section(cles::forfaits), "time F60", "125");
        auto& m = b.ouvrir();
        auto rectif = m.correction(0);
        ASSERT_TRUE(rectif);
        rectif->saisir(c.saisi);
        const auto correction = rectif->valider();
        if (std::string_view(c.montre).empty()) {
            EXPECT_FALSE(correction);
            EXPECT_NE(rectif->refus().find("n'est pas correct"), std::string::npos) << rectif->refus();
        } else {
            ASSERT_TRUE(correction);
            m.correction_acceptee(0, *correction);
            EXPECT_EQ(m.forfaits().lignes()[0].temps_restant, c.montre);
            EXPECT_EQ(rectif->champ(), c.montre);
        }
        EXPECT_EQ(b.e.registre().lire_valeur(cles::section(cles::temp_forfaits), "time F60"), c.range);
        // La ligne reconstruite à la réouverture dit la même chose que celle qui vient d'être corrigée.
        if (correction) {
            m.valider();
            EXPECT_EQ(b.ouvrir().forfaits().lignes()[0].temps_restant, c.montre);
        }
    }
}

TEST(PageForfaits, BoutonsRefusesPendantUneConnexion) {
    BancOptions b;
    auto& m = b.ouvrir();
    b.e.connexion("MonFAI", b.e.banc->horloge.millisecondes() + 3000, b.e.banc->horloge.millisecondes() + 600000);
    b.e.banc->avancer(10);
    EXPECT_FALSE(m.correction(0));
    EXPECT_FALSE(m.mode_reinitialisation(0));
    const auto boites = b.e.boites();
    ASSERT_GE(boites.size(), 2u);
    EXPECT_EQ(boites[boites.size() - 2], textes_forfaits::refus_temps);
    EXPECT_EQ(boites.back(), textes_forfaits::refus_date);
}

TEST(Traz_type_forfait_form, JourDuMoisEtPeriode) {
    struct Cas {
        const char* nom;
        ModeleTraz_type_forfait_form::Choix choix;
        const char* jour;
        const char* jours;
        std::optional<std::string> texte;
    };
    using C = ModeleTraz_type_forfait_form::Choix;
    const Cas cas[] = {
        {"jour 00 refusé", C::mensuel, "00", "30", std::nullopt},
        {"jour 32 refusé", C::mensuel, "32", "30", std::nullopt},
        {"jour illisible refusé (vaut 33)", C::mensuel, "x", "30", std::nullopt},
        {"jour 01", C::mensuel, "01", "30", "Le 1er du mois"},
        {"le jour n'importe pas hors du choix mensuel", C::avec_facture, "99", "30", "Fin facture en cours"},
        {"période nulle refusée", C::tous_les_n_jours, "01", "0", std::nullopt},
        {"période de 45 jours", C::tous_les_n_jours, "01", "45", "Tous les 45 jours"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        BancOptions b;
        b.ouvrir();
        // Le forfait F60 est en cours d'usage : un mode mensuel range sa prochaine date.
        ModeleTraz_type_forfait_form raz(b.e.registre(), b.modele->tarifs(), -1, false, essai::jour(2000, 3, 10));
        raz.choisir(c.choix);
        raz.saisir_jour(c.jour);
        raz.saisir_jours(c.jours);
        EXPECT_EQ(raz.valider(), c.texte);
        const std::string temp_raz = cles::section(cles::temp_raz_forfaits);
        if (!c.texte) {
            EXPECT_FALSE(raz.refus().empty());
            EXPECT_EQ(b.e.registre().lire_valeur(temp_raz, "raz 1"), "1") << "rien n'est rangé";
            continue;
        }
        const bool mensuel = c.choix == C::mensuel;
        EXPECT_EQ(b.e.registre().lire_valeur(temp_raz, "raz le 1"), mensuel ? c.jour : "");
        EXPECT_EQ(b.e.registre().lire_valeur(cles::section(cles::temp_forfaits_raz), "F60"),
                  mensuel ? "01/04/2000" : "");
    }
}

TEST(PageFournisseurs, ListesEtTarifCache) {
    BancOptions b;
    b.e.registre().ecrire_valeur(cles::cle_provider("MonFAI"), "tarification", "Cache");
    b.e.registre().ecrire_valeur(cles::cle_provider("MonFAI"), "R30", "oui");
    auto& p = b.ouvrir({"MonFAI", "Autre"}).fournisseurs();
    EXPECT_EQ(p.fournisseurs(),
              (std::vector<std::string>{"Sélection automatique et mode manuel", "MonFAI", "Autre"}));
    EXPECT_TRUE(p.annuaire_present());
    EXPECT_EQ(p.tarifs(), (std::vector<std::string>{"Seconde", "Relais", "Nuit seule"}));
    EXPECT_EQ(p.fournisseur(), 0);
    p.choisir_fournisseur(1);
    EXPECT_EQ(p.tarif(), 0) << "un tarif caché montre le premier de la liste";
    ASSERT_EQ(p.options().size(), 5u);
    EXPECT_TRUE(p.options()[3].coche);

    BancOptions sans_annuaire;
    EXPECT_FALSE(sans_annuaire.ouvrir({}).fournisseurs().annuaire_present());
}

TEST(PageFournisseurs, DeuxOptionsDeMemePrioriteLaPremiereGagne) {
    BancOptions b;
    auto& m = b.ouvrir();
    auto& p = m.fournisseurs();
    p.choisir_fournisseur(1);
    EXPECT_EQ(p.cocher(3, true), "");  // R30, priorité 2
    EXPECT_EQ(p.cocher(4, true),       // R20, même priorité : refusée
              "Attention, pour un même fournisseur d'accès, vous ne pouvez pas\rêtre abonné(e) à ces deux "
              "réductions tarifaires en même temps :\r\r- Réduction de 20 %\r- Réduction de 30 %");
    EXPECT_FALSE(p.options()[4].coche);
    EXPECT_EQ(p.cocher(0, true), "");  // F60, autre priorité
    m.valider();
    const std::string cle = cles::cle_provider("MonFAI");
    EXPECT_EQ(b.e.registre().lire_valeur(cle, "R30"), "oui");
    EXPECT_EQ(b.e.registre().lire_valeur(cle, "R20"), "");
    EXPECT_EQ(b.e.registre().lire_valeur(cle, "F60"), "oui");
}

TEST(PageFournisseurs, TarifAvecMessagesEtEntreeDisparue) {
    BancOptions b;
    {
        FichierIni reglages(b.e.dossier / fichier_reglages);
        for (int n = 50; n <= 53; ++n)
            reglages.ecrire("messages utilisateurs", "message " + std::to_string(n), "t" + std::to_string(n));
    }
    b.e.registre().ecrire_valeur(cles::cle_provider("Ancien"), "tarification", "Seconde");
    b.e.registre().ecrire_valeur(cles::cle_provider("MonFAI"), "anticipation", "12");
    auto& m = b.ouvrir();
    EXPECT_FALSE(b.e.registre().cle_existe(cles::cle_provider("Ancien", cles::temp_providers)));
    m.fournisseurs().choisir_fournisseur(1);
    EXPECT_EQ(m.fournisseurs().choisir_tarif(1), "t50\rt51\rt52\rt53");
    EXPECT_EQ(m.fournisseurs().choisir_tarif(0), "");
    m.valider();
    EXPECT_FALSE(b.e.registre().cle_existe(cles::cle_provider("Ancien")));
    EXPECT_EQ(b.e.registre().lire_valeur(cles::cle_provider("MonFAI"), "anticipation"), "12");
}

TEST(Tdelaiform, ChampEtRangement) {
    for (char32_t c : {U'0', U'9', U'\b', U'\r'}) EXPECT_TRUE(ModeleTdelaiform::touche_acceptee(c));
    for (char32_t c : {U'a', U'-', U' ', U'é'}) EXPECT_FALSE(ModeleTdelaiform::touche_acceptee(c));

    BancOptions b;
    b.e.registre().ecrire_valeur(cles::cle_provider("MonFAI"), "anticipation", "15");
    auto& m = b.ouvrir();
    EXPECT_EQ(m.delai().champ(), "0") << "l'entrée fixe n'a pas de délai";
    m.fournisseurs().choisir_fournisseur(1);
    auto d = m.delai();
    EXPECT_EQ(d.fournisseur(), "MonFAI");
    EXPECT_EQ(d.champ(), "15");
    EXPECT_FALSE(d.valider_actif());
    EXPECT_FALSE(d.saisir("1000"));
    EXPECT_FALSE(d.saisir("1a"));
    EXPECT_EQ(d.champ(), "15");
    EXPECT_TRUE(d.saisir(""));
    EXPECT_TRUE(d.valider_actif());
    m.delai_accepte(d);
    EXPECT_TRUE(m.valider_actif());
    m.valider();
    // Un champ vide range une valeur vide (lue 0 à la connexion suivante).
    EXPECT_EQ(b.e.registre().lire_valeur(cles::cle_provider("MonFAI"), "anticipation"), "");
}

}  // namespace
}  // namespace lumi
