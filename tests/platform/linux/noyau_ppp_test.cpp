// L'accès à distance par pppd contre le vrai noyau : dans un espace de noms réseau à l'essai, une
// interface veth nommée ppp0 et un fichier de pid qui la nomme, tenu par un processus vivant.
// Il faut être root (ou avoir CAP_SYS_ADMIN) ; sinon l'essai dit pourquoi et se saute.
#include <gtest/gtest.h>

#include <filesystem>

#include "commun/soutien.hpp"
#include "netlink_essai.hpp"
#include "platform/linux/acces_distant_ppp.hpp"
#include "processus_essai.hpp"

namespace lumi::essai {
namespace {

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

}  // namespace
}  // namespace lumi::essai
