// Les utilisateurs dans la fenêtre des options et à la fin d'une connexion : les boîtes du nom et du
// mot de passe, l'onglet, le rangement (des empreintes, jamais le mot de passe), et la boîte de
// sélection qui fait attendre l'enregistrement.
#include <gtest/gtest.h>

#include "core/mots_de_passe.hpp"
#include "core/options/page_utilisateurs.hpp"
#include "core/selection_fin_connexion.hpp"
#include "core/utilisateurs.hpp"
#include "settings/cles.hpp"
#include "settings/parametres.hpp"
#include "settings/registre_memoire.hpp"

namespace lumi {
namespace {

const std::string section_options = cles::section(cles::options);

// Anne, Paul (mot de passe "secret"), Zoé.
struct Banc {
    Banc() { liste.ranger({"Anne", "Paul", "Zoé"}, {"", hacher_mot_de_passe("secret"), ""}); }
    RegistreMemoire registre;
    ListeUtilisateurs liste{registre};
};

TEST(MotsDePasse, EmpreinteEnMinusculesEtJamaisLeTexte) {
    const std::string e = hacher_mot_de_passe("SeCrEt");
    EXPECT_TRUE(e.starts_with(schema_empreinte)) << e;
    EXPECT_EQ(e.find("secret"), std::string::npos);
    EXPECT_NE(e, hacher_mot_de_passe("secret")) << "salée : deux empreintes du même texte diffèrent";
    EXPECT_TRUE(verifier_mot_de_passe(e, "secret"));
    EXPECT_TRUE(verifier_mot_de_passe(e, "SECRET"));
    EXPECT_FALSE(verifier_mot_de_passe(e, "secret "));
    EXPECT_FALSE(verifier_mot_de_passe("brouillé à l'ancienne", "secret"))
        << "une empreinte illisible n'accepte rien";
    EXPECT_TRUE(verifier_mot_de_passe("", "n'importe quoi")) << "sans mot de passe";
    EXPECT_EQ(hacher_mot_de_passe(""), "");
    EXPECT_EQ(mot_de_passe_saisi(std::string(60, 'A')), std::string(50, 'a'));
}

TEST(BoiteMotDePasse, LesTroisUsages) {
    BoiteMotDePasse proteger(ModeMotDePasse::proteger);
    proteger.saisir("Secret");
    EXPECT_FALSE(proteger.valider_actif()) << "la confirmation manque";
    proteger.saisir_confirmation("secrEt");
    EXPECT_EQ(proteger.texte(), "secret");
    ASSERT_TRUE(proteger.valider());
    EXPECT_TRUE(verifier_mot_de_passe(proteger.empreinte_nouvelle(), "secret"));

    BoiteMotDePasse differente(ModeMotDePasse::proteger);
    differente.saisir("un");
    differente.saisir_confirmation("deux");
    EXPECT_FALSE(differente.valider());
    EXPECT_EQ(differente.refus(), "Erreur de saisie, la confirmation n'est pas identique\nau mot de passe.");
    EXPECT_EQ(differente.texte(), "");
    EXPECT_EQ(differente.confirmation(), "");

    for (auto mode : {ModeMotDePasse::supprimer_utilisateur, ModeMotDePasse::supprimer_mot_de_passe}) {
        BoiteMotDePasse b(mode, proteger.empreinte_nouvelle());
        EXPECT_FALSE(b.deux_champs());
        b.saisir("faux");
        EXPECT_FALSE(b.valider());
        EXPECT_EQ(b.refus(), "Mot de passe incorrect, suppression refusée !");
        EXPECT_EQ(b.texte(), "");
        b.saisir("SECRET");
        EXPECT_TRUE(b.valider());
    }
}

TEST(BoiteNouvelUtilisateur, NomExistantRefuseSansEgardALaCasse) {
    BoiteNouvelUtilisateur b({"Anne", "Zoé"});
    EXPECT_FALSE(b.valider_actif());
    b.saisir("ZOÉ");
    EXPECT_EQ(b.valider(), std::nullopt);
    EXPECT_EQ(b.refus(), "Cet utilisateur existe déjà !");
    EXPECT_EQ(b.nom(), "");
    b.saisir("Un nom bien trop long pour la liste");
    EXPECT_EQ(b.nom(), "Un nom bien trop l");
    EXPECT_EQ(b.valider(), "Un nom bien trop l");
}

TEST(PageUtilisateurs, BoutonsSuppressionEtDeplacements) {
    Banc b;
    PageUtilisateurs p(b.liste);
    EXPECT_FALSE(p.supprimer_actif());
    p.selectionner(1);
    EXPECT_TRUE(p.supprimer_mot_de_passe_actif());
    EXPECT_FALSE(p.proteger_actif());
    p.descendre();
    EXPECT_EQ(p.noms(), (std::vector<std::string>{"Anne", "Zoé", "Paul"}));
    EXPECT_EQ(p.position(), 2);
    EXPECT_TRUE(p.protege(2)) << "le mot de passe suit son utilisateur";
    p.descendre();  // déjà le dernier
    EXPECT_EQ(p.position(), 2);

    // Le dernier supprimé : le nouveau dernier est choisi. Protégé, il faut son mot de passe.
    auto boite = p.boite_mot_de_passe(ModeMotDePasse::supprimer_utilisateur);
    boite.saisir("secret");
    ASSERT_TRUE(boite.valider());
    p.supprimer();
    EXPECT_EQ(p.noms(), (std::vector<std::string>{"Anne", "Zoé"}));
    EXPECT_EQ(p.position(), 1);
    p.selectionner(0);
    p.supprimer();
    EXPECT_EQ(p.position(), 0) << "la ligne de même place";
    p.supprimer();
    EXPECT_EQ(p.position(), -1);
    EXPECT_FALSE(p.supprimer_actif());
    EXPECT_TRUE(p.modifiee());
    // Rien n'est rangé avant "&Valider".
    EXPECT_EQ(b.liste.noms().size(), 3u);
}

TEST(PageUtilisateurs, RangementDesEmpreintes) {
    Banc b;
    b.liste.choisir(2);
    PageUtilisateurs p(b.liste);
    p.ajouter("Luc");
    EXPECT_EQ(p.position(), 3);
    auto boite = p.boite_mot_de_passe(ModeMotDePasse::proteger);
    boite.saisir("MotDePasse");
    boite.saisir_confirmation("motdepasse");
    ASSERT_TRUE(boite.valider());
    p.proteger(boite.empreinte_nouvelle());
    p.selectionner(0);
    p.supprimer();
    b.liste.ranger(p.noms(), p.empreintes());

    EXPECT_EQ(b.registre.lire_valeur(cles::section(cles::utilisateurs), "nb d'utilisateurs"), "3");
    EXPECT_EQ(b.registre.lire_valeur(cles::section(cles::utilisateurs), "utilisateur 4"), "");
    EXPECT_EQ(b.registre.lire_valeur(section_options, "pdata 4"), "");
    const std::string pdata = b.registre.lire_valeur(section_options, "pdata 3");
    EXPECT_TRUE(pdata.starts_with(schema_empreinte)) << pdata;
    EXPECT_EQ(pdata.find("motdepasse"), std::string::npos);
    EXPECT_EQ(b.liste.utilisateur_en_cours(), "Zoé") << "l'utilisateur en cours reste choisi";
    EXPECT_EQ(b.liste.position(), 1);
    EXPECT_TRUE(b.liste.protege(2));

    // Tous les mots de passe effacés d'un coup.
    PageUtilisateurs q(b.liste);
    q.effacer_tous_mots_de_passe();
    b.liste.ranger(q.noms(), q.empreintes());
    EXPECT_EQ(b.registre.lire_valeur(section_options, "pdata 1"), "");
    EXPECT_FALSE(b.liste.protege(0));
}

TEST(ModeleTutilisateur, ChoixMotDePasseEtNonIdentifie) {
    Banc b;
    b.liste.choisir(1);
    ModeleTutilisateur m(b.liste, textes_selection::refus("m42", "m43", "m44"));
    EXPECT_EQ(m.lignes(), (std::vector<std::string>{"Anne", "Paul", "Zoé", "non identifié"}));
    EXPECT_EQ(m.position(), 1) << "l'utilisateur en cours est choisi d'avance";
    EXPECT_TRUE(m.champ_actif());
    EXPECT_FALSE(m.valider_actif());
    m.saisir("faux");
    EXPECT_EQ(m.valider(), std::nullopt);
    EXPECT_EQ(m.refus(), "Mot de passe incorrect !\nm42\nm43\nm44");
    EXPECT_EQ(m.champ(), "");
    m.saisir("SECRET");
    EXPECT_EQ(m.valider(), "Paul");

    // Un utilisateur non protégé : choisi aussi dans la fenêtre principale.
    m.choisir(0);
    EXPECT_FALSE(m.champ_actif());
    EXPECT_EQ(m.champ(), "Utilisateur non protégé");
    EXPECT_EQ(m.valider(), "Anne");
    EXPECT_EQ(b.liste.utilisateur_en_cours(), "Anne");
    EXPECT_EQ(b.registre.lire_valeur(cles::section(cles::utilisateurs), "dernier utilisateur"), "Anne");

    // "non identifié" : sans mot de passe, pour cet enregistrement seul.
    m.choisir(3);
    EXPECT_TRUE(m.valider_actif());
    EXPECT_EQ(m.valider(), "non identifié");
    EXPECT_EQ(b.liste.utilisateur_en_cours(), "Anne");
}

}  // namespace
}  // namespace lumi
