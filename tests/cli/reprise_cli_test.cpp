// Reprise après un arrêt brutal, de bout en bout : le programme rejoue une connexion sur le vrai
// magasin SQLite et se tue lui-même (SIGKILL) en pleine connexion ; au démarrage suivant, l'offre de
// la connexion gardée par l'instantané.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "../commun/soutien.hpp"
#include "base/decimal.hpp"
#include "base/texte.hpp"
#include "commun/magasin_local.hpp"
#include "history/ligne_historique.hpp"
#include "settings/cles.hpp"
#include "soutien_cli.hpp"

namespace lumi::cli {
namespace {

namespace fs = std::filesystem;

// La valeur de la première ligne "cle=valeur" de la sortie ; rien si la clé manque.
std::optional<std::string> valeur(const std::string& sortie, const std::string& cle) {
    const std::string texte = "\n" + sortie;
    const auto p = texte.find("\n" + cle + "=");
    if (p == std::string::npos) return std::nullopt;
    const auto debut = p + cle.size() + 2;
    return texte.substr(debut, texte.find('\n', debut) - debut);
}

// Un dossier de données d'essai, instantanés toutes les 5 secondes.
class DossierReprise {
public:
    DossierReprise() {
        fs::copy_file(fs::path(LUMI_DONNEES_TESTS) / "compteur_tarifs.ini", dossier_ / "tarifs.ini");
        fs::copy_file(fs::path(LUMI_DONNEES_TESTS) / "compteur_reglages.ini", dossier_ / "lumicompteur.ini");
        essai::ecrire_octets(dossier_ / "alarme.wav", "RIFF");
        ecrire("\\options", "frequence save crash", "3");
    }
    std::string chemin() const { return dossier_.chemin().string(); }
    void ecrire(const std::string& cle, const std::string& nom, const std::string& texte) {
        RegistreLocal(dossier_ / RegistreLocal::nom_fichier)
            .ecrire_valeur(std::string(cles::racine) + cle, nom, texte);
    }
    std::string lire(const std::string& cle, const std::string& nom) const {
        return RegistreLocal(dossier_ / RegistreLocal::nom_fichier)
            .lire_valeur(std::string(cles::racine) + cle, nom);
    }
    // Les enregistrements du fichier de mars 2000 (UTF-8), lignes d'en-tête ôtées.
    std::vector<std::string> enregistrements() const { return enregistrements_du_mois(dossier_.chemin()); }

private:
    essai::MagasinLocalVide magasin_;
    essai::DossierTemporaire dossier_{"lumi-reprise"};
};

constexpr int tuer_apres = 600;  // dix minutes de connexion

std::string rejouer_et_tuer(const DossierReprise& d) {
    const auto r =
        lancer_programme("simuler --dossier '" + d.chemin() +
                         "' --entree MonFAI --debut '10/03/2000 14:00:00' --fin '10/03/2000 15:00:00' "
                         "--tuer-apres " +
                         std::to_string(tuer_apres));
    EXPECT_TRUE(WIFSIGNALED(r.statut) || (WIFEXITED(r.statut) && WEXITSTATUS(r.statut) == 128 + 9))
        << r.texte;
    EXPECT_EQ(valeur(r.texte, "duree"), "00:10:00") << r.texte;
    return r.texte;
}

TEST(RepriseApresArretBrutal, OuiEnregistreLaConnexionEtLaFacture) {
    DossierReprise d;
    d.ecrire("\\options", "cout total", "10,000");
    d.ecrire("\\options", "total time", "100");
    rejouer_et_tuer(d);
    // Ni fin de connexion, ni enregistrement : seul l'instantané reste.
    EXPECT_TRUE(d.enregistrements().empty());
    ASSERT_NE(d.lire("\\options", "sauv crash"), "");

    const auto r =
        lancer_programme("simuler --dossier '" + d.chemin() + "' --reprendre --debut '10/03/2000 18:00:00'");
    ASSERT_EQ(r.statut, 0) << r.texte;
    EXPECT_EQ(valeur(r.texte, "reprise"), "enregistree") << r.texte;
    EXPECT_NE(r.texte.find("avertissement="), std::string::npos) << r.texte;
    EXPECT_NE(r.texte.find("Voulez-vous enregistrer cette connexion dans l'historique ?"), std::string::npos);

    const auto lignes = d.enregistrements();
    ASSERT_EQ(lignes.size(), 1u);
    EXPECT_EQ(valeur(r.texte, "ligne"), lignes[0]);
    const auto e = decoder_ligne_historique(lignes[0]);
    ASSERT_TRUE(e);
    // Au plus une période d'instantané de moins que la connexion réelle.
    EXPECT_LE(e->secondes, tuer_apres);
    EXPECT_GE(e->secondes, tuer_apres - 5);
    EXPECT_EQ(e->provider, "MonFAI");
    // Tarif "Seconde" : un centime la seconde ; la facture contient la connexion une seule fois.
    EXPECT_NEAR(e->cout, e->secondes * 0.01, 1e-6);
    EXPECT_EQ(d.lire("\\options", "total time"), std::to_string(100 + e->secondes));
    EXPECT_NEAR(*lire_decimal(d.lire("\\options", "cout total")), 10.0 + e->cout, 1e-6);
    for (const char* nom : {"sauv crash", "sauv total facture", "sauv forfait"}) {
        EXPECT_EQ(d.lire("\\options", nom), "") << nom;
    }

    // Le démarrage suivant n'a plus rien à proposer.
    const auto encore = lancer_programme("simuler --dossier '" + d.chemin() + "' --reprendre");
    EXPECT_EQ(valeur(encore.texte, "reprise"), "aucune") << encore.texte;
    EXPECT_EQ(d.enregistrements().size(), 1u);
}

TEST(RepriseApresArretBrutal, NonNeGardeRien) {
    DossierReprise d;
    rejouer_et_tuer(d);
    const auto r = lancer_programme("simuler --dossier '" + d.chemin() + "' --reprendre --refuser");
    ASSERT_EQ(r.statut, 0) << r.texte;
    EXPECT_EQ(valeur(r.texte, "reprise"), "refusee") << r.texte;
    EXPECT_FALSE(valeur(r.texte, "ligne"));
    EXPECT_TRUE(d.enregistrements().empty());
    EXPECT_EQ(d.lire("\\options", "sauv crash"), "");
    EXPECT_EQ(d.lire("\\options", "total time"), "");
}

TEST(RepriseApresArretBrutal, LeTempsDuForfaitEstRepris) {
    DossierReprise d;
    d.ecrire("\\providers\\MonFAI", "F1", "oui");
    rejouer_et_tuer(d);
    const std::string sauv = d.lire("\\options", "sauv forfait");
    EXPECT_TRUE(sauv.ends_with("&F1")) << sauv;

    const auto r = lancer_programme("simuler --dossier '" + d.chemin() + "' --reprendre");
    ASSERT_EQ(valeur(r.texte, "reprise"), "enregistree") << r.texte;
    const auto temps = lire_entier(d.lire("\\forfaits", "time F1"));
    ASSERT_TRUE(temps);
    // Forfait d'une heure décompté à la seconde : au plus 5 s de moins de décompté.
    EXPECT_GE(*temps, 3600 - tuer_apres);
    EXPECT_LE(*temps, 3600 - tuer_apres + 5);
    const auto lignes = d.enregistrements();
    ASSERT_EQ(lignes.size(), 1u);
    const auto e = decoder_ligne_historique(lignes[0]);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->code_option, "F1");
    EXPECT_EQ(e->tarification, "Forfait à la seconde");
    EXPECT_EQ(e->secondes, 3600 - *temps);
}

TEST(RepriseApresArretBrutal, ErreursDUsage) {
    DossierReprise d;
    struct Cas {
        const char* nom;
        std::string arguments;
        const char* extrait;
    };
    const std::string connexion =
        " --entree MonFAI --debut '10/03/2000 14:00:00' --fin '10/03/2000 14:10:00'";
    const Cas cas[] = {
        {"arrêt après la fin", connexion + " --tuer-apres 600", "avant la fin"},
        {"arrêt illisible", connexion + " --tuer-apres dix", "n'est pas un nombre"},
        {"reprise avec une connexion", " --reprendre --entree MonFAI", "ne s'emploie pas avec --reprendre"},
        {"refus sans reprise", connexion + " --refuser", "qu'avec --reprendre"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        const auto r = lancer_programme("simuler --dossier '" + d.chemin() + "'" + c.arguments);
        ASSERT_TRUE(WIFEXITED(r.statut));
        EXPECT_EQ(WEXITSTATUS(r.statut), 2);
        EXPECT_NE(r.texte.find(c.extrait), std::string::npos) << r.texte;
    }
}

}  // namespace
}  // namespace lumi::cli
