// La commande tarifs de lumicompteur-outil, et l'exemple de la page d'aide sur le fichier des tarifs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/commandes.hpp"
#include "commun/soutien.hpp"
#include "lancer_outil.hpp"

namespace lumi::cli {
namespace {

namespace fs = std::filesystem;

std::string lire(const fs::path& chemin) {
    std::ifstream f(chemin, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// Le fichier d'exemple tel que la page d'aide le montre : la page est la seule source, l'essai la lit.
std::string exemple_de_l_aide() {
    const auto page = lire(fs::path(LUMI_DOSSIER_DATA_SOURCE) / "aide" / "fichier-tarifs.html");
    const std::string ouverture = "<pre class=\"exemple\">\n";
    const auto debut = page.find(ouverture);
    if (debut == std::string::npos) return {};
    const auto corps = debut + ouverture.size();
    return page.substr(corps, page.find("</pre>", corps) - corps);
}

// Les lignes de la sortie qui commencent par `debut`.
std::vector<std::string> lignes(const std::string& sortie, const std::string& debut) {
    std::vector<std::string> trouvees;
    std::istringstream s(sortie);
    for (std::string l; std::getline(s, l);) {
        if (l.starts_with(debut)) trouvees.push_back(l);
    }
    return trouvees;
}

class DossierTarifs {
public:
    explicit DossierTarifs(const std::string& contenu) {
        std::ofstream(fichier(), std::ios::binary) << contenu;
    }
    std::string chemin() const { return dossier_.chemin().string(); }
    std::string fichier() const { return (dossier_.chemin() / "tarifs.ini").string(); }

private:
    essai::DossierTemporaire dossier_{"lumi-tarifs"};
};

TEST(CommandeTarifs, ExempleDeLAideLuEtChiffre) {
    const auto exemple = exemple_de_l_aide();
    ASSERT_FALSE(exemple.empty()) << "pas de <pre class=\"exemple\"> dans la page d'aide";
    // Le texte du <pre> doit être l'INI lui-même, sans entité HTML à décoder.
    ASSERT_EQ(exemple.find('&'), std::string::npos);
    const DossierTarifs d(exemple);

    const auto r = lancer({"tarifs", "--dossier", d.chemin()});
    ASSERT_EQ(r.code, sortie_ok) << r.erreur;
    EXPECT_EQ(lignes(r.sortie, "tva="), std::vector<std::string>{"tva=20.000000"});
    EXPECT_EQ(lignes(r.sortie, "taux="), std::vector<std::string>{"taux=2\treduction=40.000000"});
    EXPECT_EQ(lignes(r.sortie, "tarif="),
              std::vector<std::string>{
                  "tarif=Satellite\tduree_credit_temps=30\tcout_ht_credit_temps=0.475000\t"
                  "cout_ht_plein_tarif=0.950000\tcout_ht_tarif_reduit=0.570000\tcout_ht_connexion=0.000000\t"
                  "pas=1\tcout_ht_tarif_supp=0.000000\treduc_compatible="});
    const auto bandes = lignes(r.sortie, "bande=Satellite\t");
    ASSERT_EQ(bandes.size(), 3u);
    EXPECT_EQ(bandes[0],
              "bande=Satellite\tliste=p1\tcode_jour=9\tjours=Semaine\t"
              "taux2=00:00:00-05:59:59,22:00:00-23:59:59\ttaux1=06:00:00-21:59:59");
    EXPECT_EQ(lignes(r.sortie, "option="),
              std::vector<std::string>{"option=SAT10H\tdesignation=Satellite 10 heures par mois\ttype=F\t"
                                       "priorite=10\ttaux=0\tduree=36000\tunite=60\traz=1\traz_le=1\t"
                                       "tariff=\ttarif="});

    // Les prix de la page : minimum de 30 s, puis 0,95 la minute le jour, 0,57 la nuit (un lundi).
    struct Cas {
        const char* debut;
        const char* fin;
        const char* option;
        const char* montant;
    };
    const Cas cas[] = {
        {"04/01/2027 10:00:00", "04/01/2027 10:00:20", "", "0.475000"},
        {"04/01/2027 10:00:00", "04/01/2027 10:02:00", "", "1.900000"},
        {"04/01/2027 23:00:00", "04/01/2027 23:02:00", "", "1.330000"},
        {"04/01/2027 21:59:00", "04/01/2027 22:01:00", "", "1.520000"},
        // Un dimanche, la nuit passée minuit.
        {"03/01/2027 23:59:00", "04/01/2027 00:01:00", "", "1.330000"},
        // Le forfait plein paie tout.
        {"04/01/2027 10:00:00", "04/01/2027 10:02:00", "SAT10H", "0.000000"},
    };
    for (const auto& c : cas) {
        std::vector<std::string> a{"prix",    "--dossier", d.chemin(), "--tarif", "Satellite",
                                   "--debut", c.debut,     "--fin",    c.fin};
        if (*c.option) a.insert(a.end(), {"--option", c.option});
        const auto p = lancer(a);
        EXPECT_EQ(p.code, sortie_ok) << c.debut << ' ' << p.erreur;
        EXPECT_EQ(valeur(p.sortie, "montant"), c.montant) << c.debut << " -> " << c.fin << ' ' << c.option;
    }
}

TEST(CommandeTarifs, FichierLivre) {
    const auto fichier = (fs::path(LUMI_DOSSIER_DATA_SOURCE) / "tarifs.ini").string();
    const auto r = lancer({"tarifs", "--fichier", fichier});
    ASSERT_EQ(r.code, sortie_ok) << r.erreur;
    EXPECT_EQ(r.erreur, "");
    EXPECT_EQ(lignes(r.sortie, "fichier="), std::vector<std::string>{"fichier=" + fichier});
    EXPECT_EQ(lignes(r.sortie, "tarif=").size(), 5u);
    EXPECT_EQ(lignes(r.sortie, "option=").size(), 4u);
    // Chaque tarif et chaque option du fichier livré donnent leurs trois listes.
    EXPECT_EQ(lignes(r.sortie, "bande=").size(), 3u * 9u);
    // Le fichier est en Windows-1252 : les noms ressortent en UTF-8.
    EXPECT_EQ(lignes(r.sortie, "tarif=Tarification \xc3\xa0 la minute\t").size(), 1u);
    EXPECT_EQ(lignes(r.sortie, "option=F20H\t").size(), 1u);
    EXPECT_NE(lignes(r.sortie, "option=F20H\t").at(0).find("\ttariff=Hors forfait Internet\t"),
              std::string::npos);
}

// Un fichier minimal juste, que chaque cas abîme en un point.
constexpr const char* fichier_juste =
    "[TVA]\ntaux=20\n"
    "[valeur taux]\ntaux2=40\n"
    "[Nombre de tarifications]\nnb tarifs=2\n"
    "[liste des tarifications]\ntarif n\xc2\xb0 1=Jour\ntarif n\xc2\xb0 2=Nuit\n"
    "[Jour]\ncout ht plein tarif=0.95\np1=9,taux1,0,86399\np2=7,taux1,0,86399\np3=8,taux1,0,86399\n"
    "[Nuit]\ncout ht plein tarif=0.57\np1=9,taux2,0,86399\np2=7,taux2,0,86399\np3=8,taux2,0,86399\n"
    "[liste options tarifaires]\nnb_total_options=1\noption1=F10H\n"
    "[F10H]\ndesignation=Dix heures\npriorite=10\ntype=F\nduree=36000\ntariff=Nuit\n"
    "p1=9,taux1,0,86399\np2=7,taux1,0,86399\np3=8,taux1,0,86399\n";

std::string remplacer(std::string texte, const std::string& avant, const std::string& apres) {
    const auto i = texte.find(avant);
    if (i == std::string::npos) return "<" + avant + " introuvable>";
    return texte.replace(i, avant.size(), apres);
}

TEST(CommandeTarifs, FichiersAbimesNommentSectionEtCle) {
    {
        const DossierTarifs d(fichier_juste);
        const auto r = lancer({"tarifs", "--fichier", d.fichier()});
        ASSERT_EQ(r.code, sortie_ok) << r.erreur;
        EXPECT_EQ(lignes(r.sortie, "tarif=").size(), 2u);
    }
    struct Cas {
        const char* nom;
        const char* avant;
        const char* apres;
        const char* section;  // "[Jour]" : attendu dans le message, comme la clé
        const char* cle;
    };
    const Cas cas[] = {
        {"prix illisible", "cout ht plein tarif=0.95", "cout ht plein tarif=0,95 F", "[Jour]",
         "\xc2\xab cout ht plein tarif \xc2\xbb"},
        {"prix négatif", "cout ht plein tarif=0.57", "cout ht plein tarif=-0.57", "[Nuit]",
         "\xc2\xab cout ht plein tarif \xc2\xbb"},
        {"tarif sans section", "[Nuit]", "[Soir]", "[liste des tarifications]",
         "\xc2\xab tarif n\xc2\xb0 2 \xc2\xbb"},
        {"trou dans la journée", "p1=9,taux1,0,86399", "p1=9,taux1,0,79199", "[Jour]",
         "\xc2\xab p1 \xc2\xbb"},
        {"liste manquante", "p3=8,taux2,0,86399\n", "", "[Nuit]", "\xc2\xab p3 \xc2\xbb"},
        {"même jours deux fois", "p2=7,taux1,0,86399", "p2=9,taux1,0,86399", "[Jour]",
         "\xc2\xab p2 \xc2\xbb"},
        {"TVA hors bornes", "taux=20", "taux=120", "[TVA]", "\xc2\xab taux \xc2\xbb"},
        {"réduction hors bornes", "taux2=40", "taux2=140", "[valeur taux]", "\xc2\xab taux2 \xc2\xbb"},
        {"option sans section", "option1=F10H", "option1=F20H", "[liste options tarifaires]",
         "\xc2\xab option1 \xc2\xbb"},
        {"type inconnu", "type=F", "type=forfait", "[F10H]", "\xc2\xab type \xc2\xbb"},
        {"priorité manquante", "priorite=10\n", "", "[F10H]", "\xc2\xab priorite \xc2\xbb"},
        {"tarif de relais absent", "tariff=Nuit", "tariff=Soir", "[F10H]", "\xc2\xab tariff \xc2\xbb"},
    };
    for (const auto& c : cas) {
        const DossierTarifs d(remplacer(fichier_juste, c.avant, c.apres));
        const auto r = lancer({"tarifs", "--fichier", d.fichier()});
        EXPECT_EQ(r.code, sortie_erreur) << c.nom;
        // Rien d'écrit sur la sortie : un fichier à moitié compris ne passe pas pour bon.
        EXPECT_EQ(r.sortie, "") << c.nom;
        EXPECT_NE(r.erreur.find(d.fichier()), std::string::npos) << c.nom << " : " << r.erreur;
        EXPECT_NE(r.erreur.find(c.section), std::string::npos) << c.nom << " : " << r.erreur;
        EXPECT_NE(r.erreur.find(c.cle), std::string::npos) << c.nom << " : " << r.erreur;
    }
}

TEST(CommandeTarifs, FichierInutilisableOuUsage) {
    const DossierTarifs d(fichier_juste);
    const std::string absent = d.chemin() + "/absent.ini";
    const auto r = lancer({"tarifs", "--fichier", absent});
    EXPECT_EQ(r.code, sortie_erreur);
    EXPECT_NE(r.erreur.find(absent), std::string::npos) << r.erreur;

    // UTF-16 sans sa marque : pas un texte que le programme lit (Windows non plus).
    const std::string utf16 = d.chemin() + "/utf16.ini";
    std::ofstream(utf16, std::ios::binary) << std::string("[\0T\0V\0A\0]\0", 8);
    EXPECT_EQ(lancer({"tarifs", "--fichier", utf16}).code, sortie_erreur);

    EXPECT_EQ(lancer({"tarifs", "--fichier"}).code, sortie_usage);
    EXPECT_EQ(lancer({"tarifs", "--tarif", "Jour"}).code, sortie_usage);
}

}  // namespace
}  // namespace lumi::cli
