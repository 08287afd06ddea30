// Ce que le compteur fait d'une valeur illisible (temps de forfait rangé, prix ou plages du fichier
// des tarifs) : il continue avec ses derniers chiffres et le dit une seule fois ; et ce qu'un top
// au repos ne touche pas (ni fichier ni magasin).
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/inotify.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>

#include "essai_compteur.hpp"
#ifndef _WIN32
#include "settings/registre_sqlite.hpp"
#endif

namespace lumi::essai {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t debut_ms = 5500;
constexpr std::int64_t apres(std::int64_t secondes) {
    return debut_ms + secondes * 1000;
}

// Remplace une ligne du fichier des tarifs d'essai (Windows-1252, lignes en "\r\n").
void remplacer_dans_tarifs(const EssaiCompteur& e, const std::string& avant, const std::string& apres_) {
    auto texte = lire_octets(e.dossier / "tarifs.ini");
    const auto i = texte.find(avant);
    ASSERT_NE(i, std::string::npos) << avant;
    texte.replace(i, avant.size(), apres_);
    ecrire_octets(e.dossier / "tarifs.ini", texte);
}

std::size_t boites_contenant(EssaiCompteur& e, std::string_view morceau) {
    const auto b = e.boites();
    return static_cast<std::size_t>(std::count_if(
        b.begin(), b.end(), [&](const std::string& t) { return t.find(morceau) != std::string::npos; }));
}

TEST(Robustesse, TempsDeForfaitRangeIllisible) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    e.accorder("MonFAI", {"F60"});
    e.ecrire(cles::forfaits, "time F60", "douze");
    e.demarrer();
    e.connexion("MonFAI", debut_ms, apres(100));
    e.connexion("MonFAI", apres(4000), apres(4100));
    e.banc->avancer(5 + 101);
    // Le comptage a eu lieu avec le tarif d'avant, sans l'option.
    EXPECT_EQ(e.ligne(0), "Fin de connexion");
    EXPECT_EQ(e.etat().texte_duree, "00:01:40");
    EXPECT_FLOAT_EQ(e.etat().prix_communication, 1.00f);
    EXPECT_EQ(e.compteur().choix().forfait_en_cours, "");
    ASSERT_EQ(boites_contenant(e, "« douze »"), 1u);
    EXPECT_NE(e.boites()[0].find("time F60"), std::string::npos);
    EXPECT_NE(e.boites()[0].find("Le compteur continue avec ses derniers chiffres."), std::string::npos);

    // Une heure plus tard, nouveaux choix et nouvelle connexion : toujours une seule boîte.
    e.banc->avancer(4200);
    EXPECT_EQ(e.etat().texte_duree, "00:01:40");
    EXPECT_EQ(e.historiques, 2);
    EXPECT_EQ(boites_contenant(e, "« douze »"), 1u);
}

TEST(Robustesse, PrixDuFichierDesTarifsIllisible) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    e.demarrer();
    // L'utilisateur abîme le fichier pendant que le programme tourne.
    remplacer_dans_tarifs(e, "[Seconde]\r\ncout ht plein tarif=0.6",
                          "[Seconde]\r\ncout ht plein tarif=0,6 F");
    e.connexion("MonFAI", debut_ms, apres(100));
    e.connexion("MonFAI", apres(200), apres(300));
    e.banc->avancer(5 + 301);
    // Les chiffres du tarif chargé avant restent : un centime la seconde.
    EXPECT_EQ(e.ligne(0), "Fin de connexion");
    EXPECT_FLOAT_EQ(e.etat().prix_communication, 1.00f);
    EXPECT_EQ(boites_contenant(e, "« 0,6 F »"), 1u);
    EXPECT_EQ(e.boites().size(), 1u);
}

// Le début de la section du tarif « Seconde » des essais, jusqu'à sa liste de plages p1.
const std::string section_seconde =
    "[Seconde]\r\ncout ht plein tarif=0.6\r\ncout ht tarif reduit=0.6\r\ncout ht connexion=0\r\npas=1\r\np1=";

TEST(Robustesse, BorneDePlageIllisibleRefuseeAuChargement) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    e.demarrer();
    remplacer_dans_tarifs(e, section_seconde + "9,taux1,0,86399", section_seconde + "9,taux1,0,minuit");
    e.connexion("MonFAI", debut_ms, apres(100));
    e.banc->avancer(5 + 101);
    // Le rechargement de la connexion échoue : le tarif chargé avant reste, un centime la seconde.
    EXPECT_FLOAT_EQ(e.etat().prix_communication, 1.00f);
    EXPECT_EQ(boites_contenant(e, "« minuit »"), 1u);
    EXPECT_EQ(e.boites().size(), 1u);
}

TEST(Robustesse, ErreurAChaqueTopMontreeUneFois) {
    EssaiCompteur e(le_10_mars(14, 0, 0));
    e.demarrer();
    // Plus de liste pour le vendredi (seulement le lundi) : le prix échoue à chaque top.
    remplacer_dans_tarifs(e, section_seconde + "9,taux1,0,86399", section_seconde + "2,taux1,0,86399");
    e.connexion("MonFAI", debut_ms, apres(100));
    e.banc->avancer(5 + 10);
    const auto apres_10 = e.boites().size();
    EXPECT_GE(apres_10, 1u);
    e.banc->avancer(80);
    EXPECT_EQ(e.boites().size(), apres_10);
    EXPECT_GE(boites_contenant(e, "10/03/2000"), 1u);
    // Le temps continue ; le prix garde son dernier chiffre.
    EXPECT_EQ(e.etat().duree_connexion, 90);
    EXPECT_FLOAT_EQ(e.etat().prix_communication, 0.0f);
    EXPECT_TRUE(e.etat().compteur_actif);
}

// Un fichier des tarifs inutilisable dès le démarrage : une boîte qui nomme le fichier, puis des
// tops muets ; la connexion est comptée et enregistrée avec sa durée, sans prix.
TEST(Robustesse, FichierDesTarifsInutilisable) {
    struct Cas {
        const char* nom;
        std::optional<std::string> tarifs;  // rien : fichier absent
        const char* extrait;                // rien : aucune boîte (l'absence est dite au démarrage)
    };
    const Cas cas[] = {
        {"vide", "", "est vide"},
        {"UTF-16 sans marque", std::string("[\0T\0V\0A\0]\0", 10), "n'est pas un fichier texte"},
        {"sans section du tarif", "[TVA]\r\ntaux=19.6\r\n", "Le tarif « Tarification locale »"},
        {"absent", std::nullopt, nullptr},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        EssaiCompteur e(le_10_mars(14, 0, 0));
        const auto tarifs = e.dossier / "tarifs.ini";
        fs::remove(tarifs);
        if (c.tarifs) ecrire_octets(tarifs, *c.tarifs);
        e.demarrer();
        e.connexion("MonFAI", debut_ms, apres(100));
        e.banc->avancer(5 + 101);
        EXPECT_EQ(e.ligne(0), "Fin de connexion");
        EXPECT_EQ(e.historiques, 1);
        EXPECT_EQ(e.compteur().donnees_connexion().duree_connexion, 100);
        EXPECT_FLOAT_EQ(e.etat().prix_communication, 0.0f);
        if (c.extrait) {
            ASSERT_EQ(e.boites().size(), 1u);
            EXPECT_NE(e.boites()[0].find(c.extrait), std::string::npos) << e.boites()[0];
            EXPECT_NE(e.boites()[0].find(tarifs.string()), std::string::npos) << e.boites()[0];
        } else {
            EXPECT_TRUE(e.boites().empty()) << e.boites().front();
        }
    }
}

// Un magasin qui compte les appels.
class RegistreCompte final : public Registre {
public:
    explicit RegistreCompte(Registre& r) : r_(r) {}
    std::string lire_valeur(std::string_view c, std::string_view n) const override {
        ++appels;
        return r_.lire_valeur(c, n);
    }
    bool ecrire_valeur(std::string_view c, std::string_view n, std::string_view t) override {
        ++appels;
        return r_.ecrire_valeur(c, n, t);
    }
    bool ecrire_valeur_et_vider(std::string_view c, std::string_view n, std::string_view t) override {
        ++appels;
        return r_.ecrire_valeur_et_vider(c, n, t);
    }
    bool effacer_valeur(std::string_view c, std::string_view n) override {
        ++appels;
        return r_.effacer_valeur(c, n);
    }
    std::vector<std::string> lister_sous_cles(std::string_view c) const override {
        ++appels;
        return r_.lister_sous_cles(c);
    }
    std::vector<std::string> lister_valeurs(std::string_view c) const override {
        ++appels;
        return r_.lister_valeurs(c);
    }
    bool cle_existe(std::string_view c) const override {
        ++appels;
        return r_.cle_existe(c);
    }
    bool creer_cle(std::string_view c) override {
        ++appels;
        return r_.creer_cle(c);
    }
    bool effacer_cle_feuille(std::string_view c) override {
        ++appels;
        return r_.effacer_cle_feuille(c);
    }
    mutable int appels = 0;

private:
    Registre& r_;
};

// Les fichiers touchés se voient par inotify, sur la base SQLite : propre à Linux.
#ifndef _WIN32
TEST(Robustesse, TopAuReposSansFichierNiMagasin) {
    DossierTemporaire base("lumi-base");
    RegistreSqlite sqlite(base / "reglages.sqlite");
    RegistreCompte compte(sqlite);
    EssaiCompteur e(le_10_mars(14, 0, 0), &compte);
    e.demarrer();
    e.banc->avancer(2);

    const int surveillance = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(surveillance, 0);
    const auto masque = IN_ACCESS | IN_OPEN | IN_MODIFY | IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_CLOSE;
    ASSERT_GE(::inotify_add_watch(surveillance, e.dossier.chemin().c_str(), masque), 0);
    ASSERT_GE(::inotify_add_watch(surveillance, base.chemin().c_str(), masque), 0);
    const int appels_avant = compte.appels;

    // Une minute au repos, l'heure ne change pas ; puis la même chose avec l'heure affichée.
    e.banc->avancer(60);
    e.compteur().definir_mode_panneau_duree(2);
    e.banc->avancer(60);

    char tampon[4096];
    EXPECT_LT(::read(surveillance, tampon, sizeof tampon), 1) << "un top au repos a touché un fichier";
    EXPECT_EQ(compte.appels, appels_avant);
    EXPECT_EQ(e.fenetre().Panel2, "14:02:02");

    // Contre-épreuve : le changement d'heure, lui, relit les tarifs et le magasin.
    e.banc->avancer(3600);
    EXPECT_GT(::read(surveillance, tampon, sizeof tampon), 0);
    EXPECT_GT(compte.appels, appels_avant);
    ::close(surveillance);
}
#endif

}  // namespace
}  // namespace lumi::essai
