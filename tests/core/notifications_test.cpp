// Les notifications du bureau vues du compteur : ce que chaque réglage laisse passer, les textes de
// la fin de connexion, du forfait épuisé et du décompte de la déconnexion programmée, et une couture
// qui lève sans rien retenir.
#include "actions/notifications.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

#include "essai_compteur.hpp"
#include "settings/registre_memoire.hpp"

namespace lumi {
namespace {

using essai::EssaiCompteur;
using essai::le_10_mars;

constexpr std::int64_t debut_ms = 5500;
constexpr std::int64_t apres(std::int64_t secondes) {
    return debut_ms + secondes * 1000;
}

struct Avis {
    std::string titre;
    std::string texte;
    friend bool operator==(const Avis&, const Avis&) = default;
};

class NotificationsNotees final : public Notifications {
public:
    void notifier(const std::string& titre, const std::string& texte) override {
        avis.push_back({titre, texte});
        if (lever) throw std::runtime_error("service perdu");
    }
    std::vector<Avis> avis;
    bool lever = false;
};

std::ostream& operator<<(std::ostream& o, const Avis& a) {
    return o << a.titre << " / " << a.texte;
}

TEST(AvisBureau, ChaqueReglageLaissePasserSesAvis) {
    struct Cas {
        const char* nom;
        const char* bureau;  // "notifications bureau" ; nullptr : absent
        const char* fin;     // "notification fin connexion" ; nullptr : absent
        bool fin_connexion;  // l'avis de fin de connexion part
        bool autres;         // forfait, plafond, déconnexion programmée partent
    };
    const Cas cas[] = {
        {"réglages absents : tout sauf la fin de connexion", nullptr, nullptr, false, true},
        {"fin de connexion demandée", nullptr, "oui", true, true},
        {"bureau éteint : rien, même la fin demandée", "non", "oui", false, false},
        {"valeur inconnue du bureau : allumé", "peut-être", nullptr, false, true},
        {"valeur inconnue de la fin : éteinte", "oui", "1", false, true},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        RegistreMemoire registre;
        if (c.bureau) registre.ecrire_valeur(cles::section(cles::options), "notifications bureau", c.bureau);
        if (c.fin) registre.ecrire_valeur(cles::section(cles::options), "notification fin connexion", c.fin);
        NotificationsNotees notees;
        AvisBureau avis(registre);
        EXPECT_FALSE(avis.avertir(SujetAvis::fin_forfait, "x")) << "sans couture, rien ne part";
        avis.brancher(&notees);
        EXPECT_EQ(avis.avertir(SujetAvis::fin_connexion, "fin"), c.fin_connexion);
        for (auto s : {SujetAvis::fin_forfait, SujetAvis::plafond, SujetAvis::deconnexion_programmee})
            EXPECT_EQ(avis.avertir(s, "autre"), c.autres) << titre_avis(s);
        EXPECT_EQ(notees.avis.size(), (c.fin_connexion ? 1u : 0u) + (c.autres ? 3u : 0u));
    }
}

TEST(AvisBureau, TextesDeLaFinDeConnexionEtDuDecompte) {
    EXPECT_EQ(texte_fin_connexion("MonFAI", 3725, "1,250 F", true),
              "Connexion « MonFAI » terminée : 01:02:05, 1,250 F TTC.");
    EXPECT_EQ(texte_fin_connexion("", 59, "0,09 €", false), "Connexion terminée : 00:00:59, 0,09 € HT.");
    EXPECT_EQ(texte_deconnexion_programmee(1, false), "La connexion sera coupée dans 1 seconde.");
    EXPECT_EQ(texte_deconnexion_programmee(57, true),
              "La connexion sera coupée dans 57 secondes, puis l'ordinateur sera éteint.");
}

TEST(AvisBureau, FinDUneConnexionDetecteeOuDUnComptageManuel) {
    for (const bool manuel : {false, true}) {
        SCOPED_TRACE(manuel ? "comptage manuel" : "connexion détectée");
        EssaiCompteur e(le_10_mars(14, 0, 0));
        e.ecrire(cles::options, "notification fin connexion", "oui");
        NotificationsNotees notees;
        e.demarrer();
        e.compteur().brancher_notifications(&notees);
        if (manuel) {
            e.compteur().SpeedButton1Click();
            e.banc->avancer(90);
            EXPECT_TRUE(notees.avis.empty()) << "rien pendant le comptage";
            e.compteur().SpeedButton4Click();
        } else {
            e.connexion("MonFAI", debut_ms, apres(125));
            e.banc->avancer(5 + 124);
            EXPECT_TRUE(notees.avis.empty()) << "rien pendant la connexion";
            e.banc->avancer(3);
        }
        ASSERT_EQ(notees.avis.size(), 1u);
        EXPECT_EQ(notees.avis[0].titre, "Fin de connexion");
        // Le prix est celui que l'afficheur montre à la fin (les réglages d'essai sont HT).
        const std::string prix = e.fenetre().Panel4 + " HT.";
        EXPECT_NE(e.fenetre().Panel4.find_first_of("123456789"), std::string::npos) << "un prix non nul";
        const std::string attendu = manuel ? "Connexion terminée : 00:01:30, " + prix
                                           : "Connexion « MonFAI » terminée : 00:02:05, " + prix;
        EXPECT_EQ(notees.avis[0].texte, attendu);
    }
}

TEST(AvisBureau, LeForfaitEpuiseEstDitAuBureauCommeDansSaFenetre) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    e.accorder("MonFAI", {"FR"});
    NotificationsNotees notees;
    e.demarrer();
    e.compteur().brancher_notifications(&notees);
    e.connexion("MonFAI", debut_ms, apres(180));
    e.banc->avancer(5 + 120);
    ASSERT_EQ(e.fenetre().avis_fin_forfait.size(), 1u);
    EXPECT_EQ(notees.avis, (std::vector<Avis>{{"Forfait épuisé", "Forfait relais épuisé"}}));
}

// Le décompte s'ouvre (il peut être sous une autre fenêtre) : le bureau le dit au même instant.
TEST(AvisBureau, LeDecompteDeLaDeconnexionProgrammeeEstAnnonce) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    e.ecrire(cles::options, "se deconnecter", "oui");
    e.ecrire(cles::options, "exit window", "oui");
    e.ecrire(cles::options, "delai auto validation", "5");
    NotificationsNotees notees;
    e.demarrer();
    e.compteur().brancher_notifications(&notees);
    e.connexion("MonFAI", debut_ms, apres(5000));
    e.banc->avancer_ms(apres(10));
    e.compteur().programmation().armer({TypeProgrammation::duree, "30"});
    while (e.banc->ecrans.decompte() == nullptr && e.banc->horloge.millisecondes() < apres(60))
        e.banc->avancer_ms(250);
    ASSERT_NE(e.banc->ecrans.decompte(), nullptr);
    EXPECT_EQ(notees.avis, (std::vector<Avis>{{"Déconnexion programmée",
                                               "La connexion sera coupée dans 5 secondes, puis l'ordinateur "
                                               "sera éteint."}}));
}

// Un service qui lève (perdu en route) ne retient ni le top ni l'enregistrement.
TEST(AvisBureau, UneCoutureQuiLeveNeRetientPasLeCompteur) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    e.ecrire(cles::options, "notification fin connexion", "oui");
    NotificationsNotees notees;
    notees.lever = true;
    e.demarrer();
    e.compteur().brancher_notifications(&notees);
    e.connexion("MonFAI", debut_ms, apres(20));
    e.banc->avancer(5 + 25);
    EXPECT_EQ(notees.avis.size(), 1u);
    EXPECT_EQ(e.historiques, 1);
    EXPECT_FALSE(e.etat().compteur_actif);
}

}  // namespace
}  // namespace lumi
