// L'accès à distance par pppd contre le vrai noyau : dans un espace de noms réseau à l'essai, une
// interface veth nommée ppp0 et un fichier de pid qui la nomme, tenu par un processus vivant.
// Il faut être root (ou avoir CAP_SYS_ADMIN) ; sinon l'essai dit pourquoi et se saute.
#include <gtest/gtest.h>

#include <linux/if_packet.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>

#include "base/texte.hpp"
#include "commun/soutien.hpp"
#include "core/compteur.hpp"
#include "core/detection.hpp"
#include "actions/telechargements.hpp"
#include "settings/fichier_ini.hpp"
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

// Des trames Ethernet envoyées par le pair de la veth : ppp0 les reçoit et ses compteurs montent.
void envoyer_trames(const std::string& depuis, int nombre, std::size_t taille) {
    const int fd = ::socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    sockaddr_ll adresse{};
    adresse.sll_family = AF_PACKET;
    adresse.sll_ifindex = index_interface(depuis);
    adresse.sll_halen = 6;
    std::fill(std::begin(adresse.sll_addr), std::begin(adresse.sll_addr) + 6, 0xFF);
    std::string trame(taille, '\0');
    std::fill(trame.begin(), trame.begin() + 6, '\xFF');  // diffusion
    trame[12] = '\x88';                                    // un type local (expérimental)
    trame[13] = '\xB5';
    for (int i = 0; i < nombre; ++i) {
        ASSERT_EQ(::sendto(fd, trame.data(), trame.size(), 0, reinterpret_cast<const sockaddr*>(&adresse),
                           sizeof adresse),
                  static_cast<ssize_t>(trame.size()))
            << std::strerror(errno);
    }
    ::close(fd);
}

TEST(NoyauPpp, LeTraficDeLaConnexionDitUnTelechargement) {
    EspaceReseauEssai espace;
    if (espace.raison_refus()) GTEST_SKIP() << *espace.raison_refus();
    DossierTemporaire dossier("lumi-trafic");
    std::filesystem::create_directory(dossier / "run");
    ProcessusEssai pppd;
    ReglagesPpp reglages;
    reglages.dossier_pairs = dossier / "peers";
    reglages.dossier_execution = dossier / "run";
    AccesDistantPpp acces(reglages);
    TraficPpp trafic(acces);
    EXPECT_FALSE(trafic.octets_recus());  // pas de connexion

    ecrire_octets(dossier / "run" / "ppp-MonFAI.pid", std::to_string(pppd.pid()) + "\nppp0\n");
    creer_veth("ppp0", "pair0");
    monter("ppp0");
    monter("pair0");
    ASSERT_TRUE(trafic.octets_recus());
    EXPECT_EQ(trafic.interface(), "ppp0");

    HorlogeFactice horloge;
    SurveillanceTelechargements surveillance(horloge, FichierIni(dossier / "lumicompteur.ini"), nullptr,
                                             &trafic);
    // 4 × 1000 octets tous les quarts de seconde : 16 000 octets par seconde pendant 5 s.
    const auto avant = *trafic.octets_recus();
    for (int i = 0; i < 20; ++i) {
        envoyer_trames("pair0", 4, 1000);
        horloge.avancer_ms(250);
        surveillance.telechargement_en_cours();
    }
    EXPECT_GE(*trafic.octets_recus() - avant, 80000u);
    EXPECT_TRUE(surveillance.telechargement_en_cours());
    // Le flux s'arrête : moins de dix secondes plus tard, plus de téléchargement.
    int quarts = 0;
    while (surveillance.telechargement_en_cours() && quarts < 80) {
        horloge.avancer_ms(250);
        ++quarts;
    }
    EXPECT_LE(quarts, 40);
    supprimer_lien("ppp0");
    EXPECT_FALSE(trafic.octets_recus());
}

}  // namespace
}  // namespace lumi::essai
