// Cohérence des fichiers livrés dans data/ : tarifs.ini, lumicompteur.ini et Couleur.ini.
// Une erreur ici ne fait pas planter le programme : elle donne un prix faux, une journée sans
// tarif ou une boîte de message vide. D'où des vérifications sur les données elles-mêmes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/decimal.hpp"
#include "base/texte.hpp"
#include "settings/fichier_ini.hpp"

namespace lumi {
namespace {

const std::filesystem::path dossier_data{LUMI_DOSSIER_DATA_SOURCE};

FichierIni ouvrir(const char* nom) {
    return FichierIni(dossier_data / nom);
}

std::string octets_du_fichier(const std::filesystem::path& chemin) {
    std::ifstream f(chemin, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::vector<std::string> decouper(std::string_view texte, char separateur) {
    std::vector<std::string> morceaux;
    std::size_t debut = 0;
    for (;;) {
        const auto fin = texte.find(separateur, debut);
        morceaux.emplace_back(texte.substr(debut, fin - debut));
        if (fin == std::string_view::npos) return morceaux;
        debut = fin + 1;
    }
}

// ---- Listes de plages horaires -------------------------------------------------------------

struct Groupe {
    int indice = 0;
    std::vector<std::pair<int, int>> intervalles;
};

struct ListePlages {
    int code_jour = -1;
    std::vector<Groupe> groupes;
};

// Lecture stricte d'une valeur p1/p2/p3 : "9,taux1,28800,68399,taux2,0,28799". Le chargeur du
// programme est plus tolérant ; ici tout écart est une faute du fichier livré.
std::optional<ListePlages> lire_liste_plages(std::string_view valeur, std::string& erreur) {
    if (valeur.size() < 3 || valeur[0] < '0' || valeur[0] > '9' || valeur[1] != ',') {
        erreur = "code du jour absent";
        return std::nullopt;
    }
    ListePlages liste;
    liste.code_jour = valeur[0] - '0';
    std::vector<int> bornes;
    auto fermer_groupe = [&]() {
        if (liste.groupes.empty()) return true;
        if (bornes.empty() || bornes.size() % 2 != 0) return false;
        for (std::size_t i = 0; i < bornes.size(); i += 2)
            liste.groupes.back().intervalles.emplace_back(bornes[i], bornes[i + 1]);
        bornes.clear();
        return true;
    };
    for (const auto& morceau : decouper(valeur.substr(2), ',')) {
        if (morceau.rfind("taux", 0) == 0) {
            if (!fermer_groupe()) {
                erreur = "bornes en nombre impair ou absentes";
                return std::nullopt;
            }
            const auto indice = lire_entier(std::string_view(morceau).substr(4));
            if (!indice || *indice < 0 || *indice > 20) {
                erreur = "indice de taux hors de 0..20 : " + morceau;
                return std::nullopt;
            }
            liste.groupes.push_back({*indice, {}});
            continue;
        }
        const auto borne = lire_entier(morceau);
        if (liste.groupes.empty() || !borne || *borne < 0 || *borne > 86399) {
            erreur = "borne invalide : '" + morceau + "'";
            return std::nullopt;
        }
        bornes.push_back(*borne);
    }
    if (liste.groupes.empty() || !fermer_groupe()) {
        erreur = "groupe incomplet";
        return std::nullopt;
    }
    for (const auto& g : liste.groupes)
        for (const auto& [a, b] : g.intervalles)
            if (a > b) {
                erreur = "intervalle à l'envers : " + std::to_string(a) + "," + std::to_string(b);
                return std::nullopt;
            }
    return liste;
}

// Quelle liste (1, 2, 3 ; 0 aucune) vaut pour le jour 1 (dimanche) .. 7 (samedi), 8 (férié),
// d'après les codes : 0 week-end et fériés, 1..7 un jour, 8 dimanche et fériés, 9 semaine.
// Les listes sont essayées dans l'ordre et la dernière qui convient l'emporte.
int liste_du_jour(int jour, const std::array<int, 3>& codes) {
    auto chercher = [&](auto convient) {
        int gagnante = 0;
        for (int k = 0; k < 3; ++k)
            if (convient(codes[k])) gagnante = k + 1;
        return gagnante;
    };
    if (jour >= 1 && jour <= 7) {
        if (const int exacte = chercher([&](int c) { return c == jour; })) return exacte;
        if (jour == 1) return chercher([](int c) { return c == 0 || c == 8; });
        if (jour == 7) return chercher([](int c) { return c == 0; });
        return chercher([](int c) { return c == 9; });
    }
    if (jour == 8) {
        if (const int feries = chercher([](int c) { return c == 8; })) return feries;
        return chercher([](int c) { return c == 0; });
    }
    return 0;
}

// Jours (1..8) pour lesquels aucune des trois listes ne vaut.
std::vector<int> jours_sans_liste(const std::array<int, 3>& codes) {
    std::vector<int> jours;
    for (int jour = 1; jour <= 8; ++jour)
        if (liste_du_jour(jour, codes) == 0) jours.push_back(jour);
    return jours;
}

// Premier instant de la journée qu'aucun intervalle ne couvre, ou rien.
std::optional<int> premier_trou(const ListePlages& liste) {
    std::vector<std::pair<int, int>> tous;
    for (const auto& g : liste.groupes) tous.insert(tous.end(), g.intervalles.begin(), g.intervalles.end());
    std::sort(tous.begin(), tous.end());
    int suivant = 0;
    for (const auto& [a, b] : tous) {
        if (a > suivant) return suivant;
        suivant = std::max(suivant, b + 1);
    }
    if (suivant <= 86399) return suivant;
    return std::nullopt;
}

TEST(DonneesDefautRegleDesJours, RefuseLesSemainesIncompletes) {
    struct Cas {
        std::array<int, 3> codes;
        std::vector<int> jours_manquants;
    };
    const Cas cas[] = {
        {{9, 7, 8}, {}},        {{9, 0, 0}, {}}, {{9, 7, 7}, {1, 8}},  // ni dimanche ni jour férié
        {{2, 9, 0}, {}},         // lundi à part, le reste de la semaine en 9
        {{2, 3, 0}, {4, 5, 6}},  // un jour de semaine nommé ne couvre pas les autres
        {{9, 1, 7}, {8}},        // un jour férié ne prend jamais la liste du dimanche seul
    };
    for (const auto& c : cas)
        EXPECT_EQ(jours_sans_liste(c.codes), c.jours_manquants)
            << c.codes[0] << "," << c.codes[1] << "," << c.codes[2];
}

// ---- tarifs.ini ----------------------------------------------------------------------------

constexpr std::array<const char*, 3> cles_plages{"p1", "p2", "p3"};

std::vector<std::string> tarifs_listes(const FichierIni& tarifs) {
    std::vector<std::string> noms;
    const auto nb = lire_entier(tarifs.lire("Nombre de tarifications", "nb tarifs"));
    if (!nb) return noms;
    for (int k = 1; k <= *nb; ++k)
        noms.push_back(tarifs.lire("liste des tarifications", "tarif n° " + std::to_string(k)));
    return noms;
}

std::vector<std::string> options_listees(const FichierIni& tarifs) {
    std::vector<std::string> refs;
    const auto nb = lire_entier(tarifs.lire("liste options tarifaires", "nb_total_options", "0"));
    if (!nb) return refs;
    for (int k = 1; k <= *nb; ++k)
        refs.push_back(tarifs.lire("liste options tarifaires", "option" + std::to_string(k)));
    return refs;
}

// Les trois listes d'une section : chacune se lit et, ensemble, elles couvrent tous les jours.
std::vector<ListePlages> verifier_trois_listes(const FichierIni& tarifs, const std::string& section) {
    std::vector<ListePlages> listes;
    std::array<int, 3> codes{-1, -1, -1};
    for (std::size_t k = 0; k < cles_plages.size(); ++k) {
        std::string erreur;
        const auto liste = lire_liste_plages(tarifs.lire(section, cles_plages[k]), erreur);
        if (!liste) {
            ADD_FAILURE() << "[" << section << "] " << cles_plages[k] << " : " << erreur;
            continue;
        }
        codes[k] = liste->code_jour;
        listes.push_back(*liste);
    }
    const auto manquants = jours_sans_liste(codes);
    EXPECT_TRUE(manquants.empty()) << "[" << section << "] un jour (1 dimanche .. 7 samedi, 8 férié, ici "
                                   << (manquants.empty() ? 0 : manquants.front()) << ") n'a aucune liste";
    return listes;
}

void verifier_entiers(const FichierIni& tarifs, const std::string& section,
                      std::initializer_list<const char*> cles) {
    for (const char* cle : cles) {
        const auto texte = tarifs.lire(section, cle);
        if (!texte.empty()) {
            EXPECT_TRUE(lire_entier(texte).has_value()) << "[" << section << "] " << cle << "=" << texte;
        }
    }
}

class DonneesDefautTarifs : public ::testing::Test {
protected:
    FichierIni tarifs = ouvrir("tarifs.ini");
    std::vector<std::string> noms = tarifs_listes(tarifs);
    std::vector<std::string> refs = options_listees(tarifs);

    double decimal(const std::string& section, const char* cle) const {
        const auto texte = tarifs.lire(section, cle, "0");
        const auto v = lire_decimal(texte);
        EXPECT_TRUE(v.has_value()) << "[" << section << "] " << cle << "=" << texte;
        return v.value_or(0.0);
    }
    int entier(const std::string& section, const char* cle, const char* defaut) const {
        const auto texte = tarifs.lire(section, cle, defaut);
        const auto v = lire_entier(texte);
        EXPECT_TRUE(v.has_value()) << "[" << section << "] " << cle << "=" << texte;
        return v.value_or(0);
    }
    bool tarif_liste(const std::string& nom) const {
        return std::any_of(noms.begin(), noms.end(), [&](const auto& n) { return egal_sans_casse(n, nom); });
    }
};

TEST_F(DonneesDefautTarifs, TvaEtReductionsDesPlages) {
    EXPECT_DOUBLE_EQ(decimal("TVA", "taux"), 19.6);
    for (int i = 0; i <= 20; ++i) {
        const std::string cle = "taux" + std::to_string(i);
        const double r = decimal("valeur taux", cle.c_str());
        EXPECT_TRUE(r >= 0.0 && r <= 100.0) << cle << "=" << r;
    }
}

TEST_F(DonneesDefautTarifs, ChaqueTarifListeEstCompletEtCoherent) {
    ASSERT_FALSE(noms.empty()) << "[Nombre de tarifications] nb tarifs";
    EXPECT_TRUE(tarif_liste("Tarification locale")) << "le tarif de repli doit exister";
    std::array<double, 21> reduction{};
    for (int i = 0; i <= 20; ++i) reduction[i] = decimal("valeur taux", ("taux" + std::to_string(i)).c_str());

    std::set<std::string> deja_vus;
    for (const auto& nom : noms) {
        SCOPED_TRACE(nom);
        ASSERT_FALSE(nom.empty());
        EXPECT_TRUE(deja_vus.insert(plier_casse(nom)).second) << "tarif listé deux fois";
        ASSERT_TRUE(tarifs.section_existe(nom));

        const int credit = entier(nom, "duree credit temps", "0");
        const int pas = entier(nom, "pas", "1");
        EXPECT_GE(credit, 0);
        EXPECT_GE(pas, 1) << "un pas nul empêche tout calcul du prix";
        double plein = 0.0;
        double reduit = 0.0;
        for (const char* cle : {"cout ht credit temps", "cout ht plein tarif", "cout ht tarif reduit",
                                "cout ht connexion", "cout ht tarif supp"}) {
            const double v = decimal(nom, cle);
            EXPECT_GE(v, 0.0) << cle;
            if (std::string_view(cle) == "cout ht plein tarif") plein = v;
            if (std::string_view(cle) == "cout ht tarif reduit") reduit = v;
        }

        // Un instant non couvert ne serait pas facturé du tout.
        std::set<int> indices;
        for (const auto& liste : verifier_trois_listes(tarifs, nom)) {
            if (const auto trou = premier_trou(liste)) {
                ADD_FAILURE() << "liste du jour " << liste.code_jour << " : la seconde " << *trou
                              << " n'a pas de taux";
            }
            for (const auto& g : liste.groupes) indices.insert(g.indice);
        }

        // Le prix réduit affiché doit être celui que donnent les plages : plein tarif par minute
        // moins la réduction de l'indice réduit ; sans indice réduit, l'unique prix affiché.
        const double plein_minute = pas > 1 ? plein * 60.0 / pas : plein;
        bool a_un_indice_reduit = false;
        for (const int i : indices) {
            if (reduction[i] == 0.0) continue;
            a_un_indice_reduit = true;
            EXPECT_NEAR(plein_minute * (1.0 - reduction[i] / 100.0), reduit, 1e-5) << "indice taux" << i;
        }
        if (!a_un_indice_reduit) {
            EXPECT_NEAR(reduit, plein_minute, 1e-6);
        }

        const auto options = tarifs.lire(nom, "options");
        if (!options.empty() && options != "hide") {
            const auto premier = lire_entier(options);
            EXPECT_TRUE(premier && *premier > 0) << "options=" << options;
        }
    }
}

TEST_F(DonneesDefautTarifs, PrixTtcPublies) {
    // Prix TTC publiés des communications locales : le fichier les donne hors taxes.
    struct Cas {
        const char* tarif;
        const char* cle;
        double ttc;
    };
    const Cas cas[] = {
        {"Tarification locale", "cout ht credit temps", 0.74},
        {"Tarification locale", "cout ht plein tarif", 0.28},
        {"Tarification locale", "cout ht tarif reduit", 0.14},
        {"Tarification locale décembre 2000", "cout ht credit temps", 0.60},
        {"Tarification locale décembre 2000", "cout ht plein tarif", 0.22},
        {"Tarification locale décembre 2000", "cout ht tarif reduit", 0.12},
    };
    const double tva = decimal("TVA", "taux");
    for (const auto& c : cas)
        EXPECT_NEAR(decimal(c.tarif, c.cle) * (1.0 + tva / 100.0), c.ttc, 5e-5) << c.tarif << " / " << c.cle;
    EXPECT_EQ(entier("Tarification locale", "duree credit temps", "0"), 180);
    EXPECT_EQ(entier("Tarification locale décembre 2000", "duree credit temps", "0"), 60);
}

TEST_F(DonneesDefautTarifs, ChaqueOptionListeEstCompleteEtRenvoieADesTarifsExistants) {
    ASSERT_FALSE(refs.empty());
    std::map<int, std::string> par_priorite;
    for (const auto& ref : refs) {
        SCOPED_TRACE(ref);
        ASSERT_FALSE(ref.empty());
        ASSERT_TRUE(tarifs.section_existe(ref));
        EXPECT_FALSE(tarifs.lire(ref, "designation").empty());

        // Deux priorités égales rendraient les options exclusives pour un même fournisseur.
        const int priorite = entier(ref, "priorite", "");
        EXPECT_GT(priorite, 0) << "une priorité nulle n'est jamais choisie automatiquement";
        const auto [it, nouvelle] = par_priorite.emplace(priorite, ref);
        EXPECT_TRUE(nouvelle) << "même priorité que " << it->second;

        verifier_entiers(tarifs, ref,
                         {"taux", "t1", "t2", "t3", "dt1", "dt2", "dt3", "duree", "unite", "raz", "raz_le",
                          "raz_tous_les"});
        verifier_trois_listes(tarifs, ref);

        for (const char* cle : {"tariff", "tarif"}) {
            const auto nom = tarifs.lire(ref, cle);
            if (!nom.empty()) {
                EXPECT_TRUE(tarif_liste(nom)) << cle << "=" << nom << " n'est pas un tarif listé";
            }
        }

        const auto type = tarifs.lire(ref, "type", "R");
        if (type == "R") {
            if (entier(ref, "t1", "0") != 0) {
                const int dt1 = entier(ref, "dt1", "0");
                const int dt2 = entier(ref, "dt2", "0");
                const int dt3 = entier(ref, "dt3", "0");
                EXPECT_TRUE(dt1 < dt2 && dt2 < dt3) << "fenêtres de durée dans le désordre";
            }
        } else if (type == "F") {
            EXPECT_GT(entier(ref, "duree", "0"), 0);
            EXPECT_GE(entier(ref, "unite", "1"), 1) << "une unité nulle arrête le décompte";
            const int raz = entier(ref, "raz", "4");
            EXPECT_TRUE(raz >= 0 && raz <= 5) << "raz=" << raz;
            if (raz >= 1 && raz <= 3) {
                // Au-delà du 28, certains mois n'ont pas ce jour.
                const int jour = entier(ref, "raz_le", "1");
                EXPECT_TRUE(jour >= 1 && jour <= 28) << "raz_le=" << jour;
            }
        } else if (type == "Fi") {
            EXPECT_FALSE(tarifs.lire(ref, "tariff").empty()) << "un forfait Fi apporte son tarif";
        } else {
            ADD_FAILURE() << "type=" << type;
        }
    }
}

// ---- lumicompteur.ini ----------------------------------------------------------------------

std::vector<int> messages_requis() {
    std::vector<int> numeros{1, 2, 3, 18, 19, 29};
    auto ajouter = [&](int de, int a) {
        for (int n = de; n <= a; ++n) numeros.push_back(n);
    };
    ajouter(5, 11);
    ajouter(21, 25);
    ajouter(31, 60);
    ajouter(90, 136);
    return numeros;
}

TEST(DonneesDefautReglages, SectionsEtValeursParDefaut) {
    const auto reglages = ouvrir("lumicompteur.ini");
    struct Cas {
        const char* section;
        const char* cle;
        const char* valeur;  // nullptr : la clé doit manquer, le programme a son défaut
    };
    const Cas cas[] = {
        {"detection automatique", "only RAS", "non"},
        {"affichage des prix", "affichage", "ttc"},
        {"gestion afficheur", "nb de decimales", nullptr},
        {"Paramètres de l'historique", "selection", "0"},
        {"Paramètres de l'historique", "date fin derniere facture", nullptr},
        {"position normale", "position x", "indefini"},
        {"position normale", "position y", "indefini"},
        {"deconnexion fin telechargement", "nb de fiches", "0"},
    };
    for (const auto& c : cas) {
        EXPECT_TRUE(reglages.section_existe(c.section)) << c.section;
        const auto lu = reglages.lire(c.section, c.cle, "<absente>");
        EXPECT_EQ(lu, c.valeur ? c.valeur : "<absente>") << "[" << c.section << "] " << c.cle;
    }
    EXPECT_TRUE(reglages.section_existe("taille des colonnes"));
}

TEST(DonneesDefautReglages, ToutMessageMontreATonTexte) {
    const auto reglages = ouvrir("lumicompteur.ini");
    const auto tarifs = ouvrir("tarifs.ini");
    auto numeros = messages_requis();
    // Les quatre messages d'un tarif dont la clé options donne un numéro.
    for (const auto& nom : tarifs_listes(tarifs))
        if (const auto premier = lire_entier(tarifs.lire(nom, "options", "hide")))
            for (int n = *premier; n < *premier + 4; ++n) numeros.push_back(n);

    for (const int n : numeros) {
        const auto texte = message_utilisateur(reglages, n);
        EXPECT_FALSE(texte.empty()) << "message " << n;
        // Les fichiers INI n'ont pas d'échappement : les appelants joignent les lignes eux-mêmes.
        EXPECT_EQ(texte.find('\\'), std::string::npos) << "message " << n << " : " << texte;
        EXPECT_NE(texte.front(), '"') << "message " << n << " : des guillemets aux bouts seraient ôtés";
        EXPECT_LT(texte.size(), longueur_max_valeur_ini) << "message " << n;
    }
}

// ---- Couleur.ini ---------------------------------------------------------------------------

bool est_couleur(std::string_view texte) {
    static const std::set<std::string> noms = [] {
        std::set<std::string> s;
        for (const char* nom : {"clBlack",        "clMaroon",      "clGreen",         "clOlive",
                                "clNavy",         "clPurple",      "clTeal",          "clGray",
                                "clSilver",       "clRed",         "clLime",          "clYellow",
                                "clBlue",         "clFuchsia",     "clAqua",          "clWhite",
                                "clScrollBar",    "clBackground",  "clActiveCaption", "clInactiveCaption",
                                "clMenu",         "clWindow",      "clWindowFrame",   "clMenuText",
                                "clWindowText",   "clCaptionText", "clActiveBorder",  "clInactiveBorder",
                                "clAppWorkSpace", "clHighlight",   "clHighlightText", "clBtnFace",
                                "clBtnShadow",    "clGrayText",    "clBtnText",       "clInactiveCaptionText",
                                "clBtnHighlight", "cl3DDkShadow",  "cl3DLight",       "clInfoText",
                                "clInfoBk"})
            s.insert(plier_casse(nom));
        return s;
    }();
    if (noms.count(plier_casse(texte))) return true;
    const bool hexa = !texte.empty() && texte.front() == '$';
    const auto chiffres = hexa ? texte.substr(1) : texte;
    std::uint32_t valeur = 0;
    const auto [fin, erreur] =
        std::from_chars(chiffres.data(), chiffres.data() + chiffres.size(), valeur, hexa ? 16 : 10);
    return !chiffres.empty() && erreur == std::errc() && fin == chiffres.data() + chiffres.size();
}

TEST(DonneesDefautCouleurs, LesDeuxSectionsOntToutesLesCles) {
    const auto couleurs = ouvrir("Couleur.ini");
    std::set<std::string> cles_par_section[2];
    int indice_section = 0;
    for (const char* section : {"couleurs 16bits", "couleurs 8bits"}) {
        SCOPED_TRACE(section);
        ASSERT_TRUE(couleurs.section_existe(section));
        auto& presentes = cles_par_section[indice_section++];
        for (const auto& cle : couleurs.cles(section)) presentes.insert(plier_casse(cle));

        // Clé présente et couleur valide ; vide permis là où il laisse le panneau tel quel.
        auto verifier = [&](const std::string& cle, bool vide_permis) {
            EXPECT_TRUE(presentes.count(plier_casse(cle))) << "clé manquante : " << cle;
            const auto valeur = couleurs.lire(section, cle);
            if (valeur.empty()) {
                EXPECT_TRUE(vide_permis) << cle << " est vide";
            } else {
                EXPECT_TRUE(est_couleur(valeur)) << cle << "=" << valeur;
            }
        };
        for (int i = 0; i <= 20; ++i) verifier("taux" + std::to_string(i), false);
        for (const char* cle :
             {"fond combobox", "texte combobox", "texte actif combobox", "fond gauge", "couleur gauge",
              "tableau historique", "ligne tableau historique", "panel13", "panel28"})
            verifier(cle, false);
        for (const std::string_view prefixe : {"ppanel", "panel"}) {
            const std::string cle_nombre = "nb de " + std::string(prefixe);
            EXPECT_TRUE(presentes.count(cle_nombre)) << "clé manquante : " << cle_nombre;
            const auto nombre = lire_entier(couleurs.lire(section, cle_nombre, "0"));
            ASSERT_TRUE(nombre.has_value()) << cle_nombre;
            for (int i = 1; i <= *nombre; ++i) verifier(std::string(prefixe) + std::to_string(i), true);
        }
    }
    EXPECT_EQ(cles_par_section[0], cles_par_section[1]) << "les deux sections doivent avoir les mêmes clés";
}

// ---- Forme des fichiers sur le disque ------------------------------------------------------

TEST(DonneesDefautFichiers, Windows1252EtFinsDeLigneCrlf) {
    for (const char* nom : {"tarifs.ini", "lumicompteur.ini", "Couleur.ini"}) {
        SCOPED_TRACE(nom);
        const auto octets = octets_du_fichier(dossier_data / nom);
        ASSERT_FALSE(octets.empty());
        const bool accents = std::any_of(octets.begin(), octets.end(),
                                         [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        EXPECT_TRUE(accents);
        EXPECT_FALSE(est_utf8_valide(octets)) << "le fichier semble enregistré en UTF-8";
        for (std::size_t i = 0; i < octets.size(); ++i)
            if (octets[i] == '\n') {
                ASSERT_TRUE(i > 0 && octets[i - 1] == '\r') << "fin de ligne sans CR à l'octet " << i;
            }
    }
    // Le degré de "tarif n° 1" est l'octet B0.
    EXPECT_NE(octets_du_fichier(dossier_data / "tarifs.ini").find("tarif n\xB0 1="), std::string::npos);
}

}  // namespace
}  // namespace lumi
