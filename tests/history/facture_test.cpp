#include "history/facture.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "base/erreurs.hpp"
#include "commun/soutien.hpp"
#include "settings/cles.hpp"
#include "settings/registre_memoire.hpp"

namespace lumi {
namespace {

NumeroJour jour(int a, unsigned m, unsigned j) {
    return numero_jour(
        std::chrono::year_month_day{std::chrono::year{a}, std::chrono::month{m}, std::chrono::day{j}});
}

const std::string options = cles::section(cles::options);

TEST(FactureEnCours, LectureDesDeuxValeurs) {
    struct Cas {
        const char* nom;
        std::optional<std::string> cout, temps;
        float cout_lu;
        std::int32_t temps_lu;
        bool erreur;
    };
    const Cas cas[] = {
        {"absentes", std::nullopt, std::nullopt, 0, 0, false},
        {"vides", "", "", 0, 0, false},
        {"virgule", "12,345", "3600", 12.345f, 3600, false},
        {"point", "12.345", "61", 12.345f, 61, false},
        {"coût illisible : 0 et erreur, le temps est lu", "douze", "61", 0, 61, true},
        {"temps illisible", "1,5", "1h", 1.5f, 0, true},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        RegistreMemoire registre;
        if (c.cout) registre.ecrire_valeur(options, "cout total", *c.cout);
        if (c.temps) registre.ecrire_valeur(options, "total time", *c.temps);
        FactureEnCours facture(registre, ',');
        LignesEtat lignes{};
        if (c.erreur) {
            EXPECT_THROW(facture.lecture_total_facure_en_cours(lignes), ErreurConversion);
        } else {
            EXPECT_NO_THROW(facture.lecture_total_facure_en_cours(lignes));
        }
        EXPECT_EQ(lignes[2], "Total facture en cours :");
        EXPECT_FLOAT_EQ(facture.cout_total(), c.cout_lu);
        EXPECT_EQ(facture.total_time(), c.temps_lu);
    }
}

TEST(FactureEnCours, AjoutEtLigneDEtat3) {
    RegistreMemoire registre;
    registre.ecrire_valeur(options, "cout total", "12.345");
    registre.ecrire_valeur(options, "total time", "3600");
    FactureEnCours facture(registre, ',');
    facture.lire();
    facture.ajouter_connexion(61, 1.5);
    EXPECT_EQ(registre.lire_valeur(options, "cout total"), "13,845");
    EXPECT_EQ(registre.lire_valeur(options, "total time"), "3661");

    ReglagesMonnaie monnaie;
    monnaie.ttc = false;
    EXPECT_EQ(facture.texte_ligne_etat_3(0, 0, monnaie), "01h01m01s - 13,845 F");
    // Pendant une connexion, elle est comprise.
    EXPECT_EQ(facture.texte_ligne_etat_3(60, 1.155, monnaie), "01h02m01s - 15,000 F");
    monnaie.ttc = true;
    monnaie.nb_decimales = 2;
    EXPECT_EQ(facture.texte_ligne_etat_3(0, 0, monnaie), "01h01m01s - 16,56 F");

    facture.remettre_a_zero();
    EXPECT_EQ(registre.lire_valeur(options, "cout total"), "0");
    EXPECT_EQ(registre.lire_valeur(options, "total time"), "0");
    EXPECT_EQ(facture.total_time(), 0);
}

// Boîtes de la vérification de période : réponse prévue, textes notés.
class QuestionsScriptees final : public QuestionsFacturation {
public:
    explicit QuestionsScriptees(bool oui) : oui_(oui) {}
    bool question_oui_non(std::string_view texte) override {
        questions.emplace_back(texte);
        return oui_;
    }
    void information(std::string_view texte) override { informations.emplace_back(texte); }
    std::vector<std::string> questions;
    std::vector<std::string> informations;

private:
    bool oui_;
};

class PeriodeFacturation : public ::testing::Test {
protected:
    PeriodeFacturation() {
        std::string messages = "[messages utilisateurs]\r\n";
        for (int n = 119; n <= 126; ++n)
            messages += "message " + std::to_string(n) + "=M" + std::to_string(n) + "\r\n";
        essai::ecrire_octets(chemin_, messages);
        registre_.ecrire_valeur(options, "cout total", "12,345");
        registre_.ecrire_valeur(options, "total time", "3600");
        facture_.lire();
    }

    void debut_facture(const std::string& date) {
        FichierIni(chemin_).ecrire("Paramètres de l'historique", "date fin derniere facture", date);
    }
    std::string debut_lu() const {
        return FichierIni(chemin_).lire("Paramètres de l'historique", "date fin derniere facture");
    }

    bool verifier(NumeroJour aujourdhui, QuestionsScriptees& questions) {
        FichierIni reglages(chemin_);
        return remise_a_jour_periodes_facturation(reglages, facture_, aujourdhui, questions,
                                                  [this] { ++actualisations_; });
    }

    essai::DossierTemporaire dossier_;
    std::filesystem::path chemin_ = dossier_ / "lumicompteur.ini";
    RegistreMemoire registre_;
    FactureEnCours facture_{registre_, ','};
    int actualisations_ = 0;
};

TEST_F(PeriodeFacturation, SoixanteJoursApresLeDebut) {
    debut_facture("01/03/2000");
    struct Cas {
        const char* nom;
        NumeroJour aujourdhui;
        bool oui;
        bool question;
        bool nouvelle;
    };
    for (const auto& c : {Cas{"59 jours : rien", jour(2000, 4, 29), true, false, false},
                          Cas{"60 jours, Non : rien ne change", jour(2000, 4, 30), false, true, false},
                          Cas{"60 jours, Oui : nouvelle période", jour(2000, 4, 30), true, true, true}}) {
        SCOPED_TRACE(c.nom);
        QuestionsScriptees questions(c.oui);
        EXPECT_EQ(verifier(c.aujourdhui, questions), c.nouvelle);
        EXPECT_EQ(questions.questions.size(), c.question ? 1u : 0u);
        EXPECT_EQ(debut_lu(), c.nouvelle ? "30/04/2000" : "01/03/2000");
        EXPECT_EQ(registre_.lire_valeur(options, "cout total"), c.nouvelle ? "0" : "12,345");
        EXPECT_EQ(facture_.total_time(), c.nouvelle ? 0 : 3600);
        EXPECT_EQ(actualisations_, c.nouvelle ? 1 : 0);
        if (c.question) {
            EXPECT_EQ(questions.questions[0], "M119 dimanche 30 avril 2000...\rM123\rM124\rM122");
        }
        if (c.nouvelle) {
            EXPECT_EQ(questions.informations, std::vector<std::string>{"M125\rM126\rM120\rM121"});
        } else {
            EXPECT_TRUE(questions.informations.empty());
        }
    }
}

TEST_F(PeriodeFacturation, DateAbsenteOuIllisible) {
    QuestionsScriptees questions(true);
    // Absente : aujourd'hui, donc rien à demander.
    EXPECT_FALSE(verifier(jour(2000, 4, 30), questions));
    debut_facture("31/02/2000");
    try {
        verifier(jour(2000, 4, 30), questions);
        FAIL() << "la date illisible aurait dû lever une erreur";
    } catch (const ErreurConversion& e) {
        EXPECT_NE(std::string(e.what()).find("date fin derniere facture"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("lumicompteur.ini"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(questions.questions.empty());
    EXPECT_EQ(debut_lu(), "31/02/2000");
    EXPECT_EQ(facture_.total_time(), 3600);
}

}  // namespace
}  // namespace lumi
