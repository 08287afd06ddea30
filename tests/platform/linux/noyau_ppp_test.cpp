// L'accès à distance par pppd contre le vrai noyau : dans un espace de noms réseau à l'essai, une
// interface veth nommée ppp0 et un fichier de pid qui la nomme, tenu par un processus vivant.
// Il faut être root (ou avoir CAP_SYS_ADMIN) ; sinon l'essai dit pourquoi et se saute.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/texte.hpp"
#include "commun/soutien.hpp"
#include "core/compteur.hpp"
#include "core/detection.hpp"
#include "core/essai_compteur.hpp"
#include "history/fichiers_historique.hpp"
#include "netlink_essai.hpp"
#include "platform/linux/acces_distant_ppp.hpp"
#include "platform/linux/telephonie_absente.hpp"
#include "platform/simulation/son_simule.hpp"
#include "processus_essai.hpp"

namespace lumi::essai {
namespace {

// Les enregistrements du mois de mars 2000, après les cinq lignes d'en-tête du fichier.
std::vector<std::string> enregistrements(const std::filesystem::path& dossier) {
    const auto lu = lire_fichier_historique(dossier / "Historique" / "mars00.fct");
    return lu ? lu->enregistrements() : std::vector<std::string>{};
}

TEST(NoyauPpp, EtatsDeLaConnexionLusDansLeNoyau) {
    EspaceReseauEssai espace;
    if (espace.raison_refus()) GTEST_SKIP() << *espace.raison_refus();
    DossierTemporaire dossier("lumi-noyau");
    std::filesystem::create_directory(dossier / "run");
    ProcessusEssai pppd;
    ReglagesPpp reglages;
    reglages.dossier_pairs = dossier / "peers";
    reglages.dossier_execution = dossier / "run";
    AccesDistantPpp acces(reglages);
    AdressePpp adresse(acces);
    const auto etat = [&] {
        const auto c = acces.connexions();
        return c.empty() ? -10 : c.front().etat;
    };

    ecrire_octets(dossier / "run" / "ppp-MonFAI.pid", std::to_string(pppd.pid()) + "\nppp0\n");
    EXPECT_EQ(etat(), 2);
    EXPECT_EQ(acces.connexions().front().nom_entree, "MonFAI");
    creer_veth("ppp0", "pair0");
    EXPECT_EQ(etat(), 5);
    monter("ppp0");
    EXPECT_EQ(etat(), 5);
    ajouter_ipv4("ppp0", "10.64.64.2", 32);
    EXPECT_EQ(etat(), 8192);
    EXPECT_EQ(adresse.adresse_ip_locale(), "10.64.64.2");
    supprimer_lien("ppp0");
    EXPECT_EQ(etat(), 8193);
    pppd.tuer();
    EXPECT_EQ(etat(), -10);
}

TEST(NoyauPpp, CompteurMeneParLaDetectionSurLeNoyau) {
    EspaceReseauEssai espace;
    if (espace.raison_refus()) GTEST_SKIP() << *espace.raison_refus();
    DossierCompteur dossier;
    DossierTemporaire execution("lumi-noyau");
    ProcessusEssai pppd;
    ReglagesPpp reglages;
    reglages.dossier_pairs = execution / "peers";
    reglages.dossier_execution = execution.chemin();
    AccesDistantPpp acces(reglages);
    AdressePpp adresse(acces);
    HorlogeFactice horloge(le_10_mars(14, 0, 0));
    RegistreMemoire registre;
    DialogueScripte dialogue;
    SonSimule son;
    Compteur compteur({horloge, registre, acces, adresse, dialogue, son}, dossier.chemin());
    compteur.charger_tarifs();
    TelephonieAbsente telephonie;
    ActionsCompteur actions(compteur);
    Detection detection({horloge, registre, acces, telephonie, dialogue}, actions, dossier.chemin());
    const auto ligne = [&](int i) { return compteur.fenetre().lignes_etat[static_cast<std::size_t>(i)]; };

    // Sous Linux, pas de téléphonie : la détection scrute.
    detection.choix_de_la_source();
    EXPECT_TRUE(detection.surveillance_par_ras());
    EXPECT_EQ(detection.texte_etat_source(), "Supervision en cours");

    ecrire_octets(execution / "ppp-MonFAI.pid", std::to_string(pppd.pid()) + "\nppp0\n");
    detection.Timer5Timer();
    EXPECT_EQ(ligne(0), "Numérotation en cours");
    EXPECT_EQ(ligne(1), "MonFAI");

    creer_veth("ppp0", "pair0");
    detection.Timer5Timer();
    EXPECT_EQ(ligne(0), "Connecté au service");
    EXPECT_TRUE(compteur.etat().compteur_actif);
    EXPECT_EQ(compteur.etat().nom_connexion, "MonFAI");

    monter("ppp0");
    ajouter_ipv4("ppp0", "10.64.64.2", 32);
    detection.Timer5Timer();
    horloge.avancer(30);
    compteur.Timer1Timer();
    EXPECT_EQ(ligne(11), "10.64.64.2");  // l'adresse de l'interface de la connexion
    EXPECT_EQ(compteur.etat().duree_connexion, 30);

    supprimer_lien("ppp0");
    detection.Timer5Timer();
    EXPECT_EQ(ligne(0), "Fin de connexion");
    EXPECT_FALSE(compteur.etat().compteur_actif);
    const auto lignes = enregistrements(dossier.chemin());
    ASSERT_EQ(lignes.size(), 1u);
    EXPECT_NE(lignes[0].find(";10/03/2000;14H00;00:00:30;"), std::string::npos) << lignes[0];
    EXPECT_NE(lignes[0].find(";MonFAI;"), std::string::npos) << lignes[0];

    pppd.tuer();
    for (int i = 0; i < 10; ++i) detection.Timer5Timer();
    EXPECT_EQ(ligne(0), "Fin de connexion");
    EXPECT_EQ(enregistrements(dossier.chemin()).size(), 1u);
    EXPECT_TRUE(acces.connexions().empty());
}

}  // namespace
}  // namespace lumi::essai
