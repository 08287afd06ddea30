#include "tariff/chargeur.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>

#include "base/decimal.hpp"
#include "base/erreurs.hpp"
#include "base/fichiers.hpp"
#include "base/texte.hpp"
#include "settings/cles.hpp"
#include "settings/parametres.hpp"

namespace lumi {

namespace fs = std::filesystem;

namespace {

OrigineValeur origine(const FichierIni& ini, std::string_view section, std::string_view cle) {
    return {ini.chemin().string(), std::string(section), std::string(cle)};
}

[[noreturn]] void erreur_nombre(const FichierIni& ini, std::string_view section, std::string_view cle,
                                std::string_view texte, std::string_view attendu) {
    throw ErreurConversion("La valeur « " + std::string(texte) + " » n'est pas " + std::string(attendu) +
                           " : " + decrire(origine(ini, section, cle)) + ".");
}

// La valeur, ou le défaut si elle manque ou est vide.
std::string valeur_ou_defaut(const FichierIni& ini, std::string_view section, std::string_view cle,
                             std::string_view defaut) {
    auto texte = ini.lire(section, cle, defaut);
    if (texte.empty()) texte = defaut;
    return texte;
}

// Un compte aberrant (nb tarifs=2000000000) ne doit pas figer la lecture.
constexpr int nb_max_elements_liste = 10000;

// Un prix est gardé en simple précision : au-delà, il deviendrait infini.
constexpr double prix_max = std::numeric_limits<float>::max();

// Un prix : décimal de 0 au plus grand float. Un prix négatif ou infini donnerait un montant faux.
float lire_prix(const FichierIni& ini, std::string_view section, std::string_view cle) {
    const auto texte = valeur_ou_defaut(ini, section, cle, "0");
    const auto valeur = lire_decimal(texte);
    if (!valeur) erreur_nombre(ini, section, cle, texte, "un nombre décimal");
    if (*valeur < 0) erreur_nombre(ini, section, cle, texte, "un prix positif ou nul");
    if (*valeur > prix_max) erreur_nombre(ini, section, cle, texte, "un prix représentable (3,4e38 au plus)");
    return static_cast<float>(*valeur);
}

// Une durée en secondes, positive ou nulle.
std::int32_t lire_duree(const FichierIni& ini, std::string_view section, std::string_view cle,
                        std::string_view defaut) {
    const auto valeur = lire_entier_tarifs(ini, section, cle, defaut);
    if (valeur < 0) {
        erreur_nombre(ini, section, cle, valeur_ou_defaut(ini, section, cle, defaut),
                      "une durée positive ou nulle en secondes");
    }
    return valeur;
}

// Une réduction en pour cent, de 0 à 100.
std::int32_t lire_pourcentage_entier(const FichierIni& ini, std::string_view section, std::string_view cle) {
    const auto valeur = lire_entier_tarifs(ini, section, cle, "0");
    if (valeur < 0 || valeur > 100) {
        erreur_nombre(ini, section, cle, valeur_ou_defaut(ini, section, cle, "0"),
                      "un pourcentage de 0 à 100");
    }
    return valeur;
}

float lire_pourcentage_decimal(const FichierIni& ini, std::string_view section, std::string_view cle) {
    const auto valeur = lire_decimal_tarifs(ini, section, cle, "0");
    if (!(valeur >= 0 && valeur <= 100)) {
        erreur_nombre(ini, section, cle, valeur_ou_defaut(ini, section, cle, "0"),
                      "un pourcentage de 0 à 100");
    }
    return valeur;
}

}  // namespace

std::optional<std::string> defaut_fichier_tarifs(const fs::path& chemin) {
    return defaut_fichier_ini(chemin, "Le fichier des tarifs « " + chemin.string() + " »");
}

std::int32_t lire_entier_tarifs(const FichierIni& ini, std::string_view section, std::string_view cle,
                                std::string_view defaut) {
    const auto texte = valeur_ou_defaut(ini, section, cle, defaut);
    const auto valeur = lire_entier(texte);
    if (!valeur) erreur_nombre(ini, section, cle, texte, "un nombre entier");
    return *valeur;
}

float lire_decimal_tarifs(const FichierIni& ini, std::string_view section, std::string_view cle,
                          std::string_view defaut) {
    const auto texte = valeur_ou_defaut(ini, section, cle, defaut);
    const auto valeur = lire_decimal(texte);
    if (!valeur) erreur_nombre(ini, section, cle, texte, "un nombre décimal");
    return static_cast<float>(*valeur);
}

tparametre_de_la_tarification GetTarification(const FichierIni& ini, std::string_view nom) {
    tparametre_de_la_tarification t;
    t.credit_temps = lire_duree(ini, nom, "duree credit temps", "0");
    t.cout_ht_credit_temps = lire_prix(ini, nom, "cout ht credit temps");
    t.cout_ht_plein_tarif = lire_prix(ini, nom, "cout ht plein tarif");
    t.cout_ht_tarif_reduit = lire_prix(ini, nom, "cout ht tarif reduit");
    t.cout_ht_connexion = lire_prix(ini, nom, "cout ht connexion");
    t.pas_tarif = lire_duree(ini, nom, "pas", "1");  // 0 : à la seconde, comme 1
    t.cout_ht_tarif_supp = lire_prix(ini, nom, "cout ht tarif supp");
    t.reduc_compatible = ini.lire(nom, "reduc_compatible");
    t.l1 = ini.lire(nom, "l1");
    t.l2 = ini.lire(nom, "l2");
    t.nom = std::string(nom);
    return t;
}

tparametre_de_la_reduction lire_parametres_reduction(const FichierIni& ini, const Registre& registre,
                                                     std::string_view reference) {
    tparametre_de_la_reduction r;  // sans option : réduction de 0 %, rien d'un ancien forfait
    if (reference.empty()) return r;

    const auto o = reference;
    r.nom = std::string(reference);
    r.taux = lire_pourcentage_entier(ini, o, "taux");
    const auto type = valeur_ou_defaut(ini, o, "type", "R");
    if (type == "R") {
        r.type_forfait = type_forfait_r;
    } else if (type == "F") {
        r.type_forfait = type_forfait_f;
    } else if (type == "Fi") {
        r.type_forfait = type_forfait_fi;
    } else {
        // Garder le type de l'option précédente donnerait un prix faux : on refuse le fichier.
        throw ErreurConversion("Type d'option « " + type + " » inconnu (attendu « R », « F » ou « Fi ») : " +
                               decrire(origine(ini, o, "type")) + ".");
    }
    if (r.type_forfait == type_forfait_r) {
        for (int w = 1; w <= 3; ++w) {
            const auto n = std::to_string(w);
            r.t[w] = lire_pourcentage_entier(ini, o, "t" + n);
            r.dt[w] = lire_duree(ini, o, "dt" + n, "0");
        }
    }
    r.duree_forfait = lire_duree(ini, o, "duree", "0");

    // Un forfait sans temps enregistré est plein.
    const auto nom_valeur = parametres::nom_time(reference);
    const auto temps = registre.lire_valeur(cles::section(cles::forfaits), nom_valeur);
    if (temps.empty()) {
        r.temps_forfait_debut = r.duree_forfait;
    } else {
        const auto valeur = lire_entier(temps);
        if (!valeur) {
            throw ErreurConversion("La valeur « " + temps + " » n'est pas un nombre entier : valeur « " +
                                   nom_valeur + " » de la clé « " + cles::section(cles::forfaits) +
                                   " » du registre.");
        }
        r.temps_forfait_debut = *valeur;
    }
    r.temps_restant_forfait = r.temps_forfait_debut;

    r.raz = lire_entier_tarifs(ini, o, "raz", "4");
    r.raz_le = lire_entier_tarifs(ini, o, "raz_le", "1");
    r.unite_decompte = lire_duree(ini, o, "unite", "1");
    r.tarif_apres_forfait = ini.lire(o, "tariff");
    r.texte_tarif_apres_forfait = ini.lire(o, "texteff");
    r.l1 = ini.lire(o, "l1");
    r.l2 = ini.lire(o, "l2");
    return r;
}

void affectation_des_3_listes_plages_horaires(const FichierIni& ini, std::string_view section,
                                              ListePlages& L1, ListePlages& L2, ListePlages& L3) {
    L1 = ListePlages(ini.lire(section, "p1"), origine(ini, section, "p1"));
    L2 = ListePlages(ini.lire(section, "p2"), origine(ini, section, "p2"));
    L3 = ListePlages(ini.lire(section, "p3"), origine(ini, section, "p3"));
}

TroisListes lire_3_listes_plages_horaires(const FichierIni& ini, std::string_view section) {
    TroisListes listes;
    affectation_des_3_listes_plages_horaires(ini, section, listes[0], listes[1], listes[2]);
    return listes;
}

float lire_taux_tva(const FichierIni& ini) {
    const auto texte = ini.lire(sections_tarifs::tva, "taux");
    // Une clé absente ou vide : le taux habituel.
    if (texte.empty()) return taux_tva_par_defaut;
    const auto valeur = lire_decimal(texte);
    // Un taux illisible ou hors de 0 à 100 fausserait sans un mot chaque montant TTC : il est refusé
    // comme toute autre valeur du fichier, et non remplacé par 19,6.
    if (!valeur || !(*valeur >= 0 && *valeur <= 100)) {
        erreur_nombre(ini, sections_tarifs::tva, "taux", texte, "un taux de TVA de 0 à 100");
    }
    return static_cast<float>(*valeur);
}

ValeursTaux lire_valeurs_taux(const FichierIni& ini) {
    ValeursTaux valeurs{};
    for (int i = 0; i < nb_indices_taux; ++i) {
        valeurs[i] = lire_pourcentage_decimal(ini, sections_tarifs::valeur_taux, "taux" + std::to_string(i));
    }
    return valeurs;
}

std::vector<std::string> lire_liste_des_tarifications(const FichierIni& ini) {
    std::vector<std::string> noms;
    const auto texte = ini.lire(sections_tarifs::nombre_tarifications, "nb tarifs");
    if (texte.empty()) return noms;  // pas de liste
    const int nombre =
        std::min(lire_entier_tarifs(ini, sections_tarifs::nombre_tarifications, "nb tarifs", ""),
                 nb_max_elements_liste);
    for (int i = 1; i <= nombre; ++i) {
        auto nom = ini.lire(sections_tarifs::liste_tarifications, "tarif n\u00b0 " + std::to_string(i));
        if (!nom.empty()) noms.push_back(std::move(nom));
    }
    return noms;
}

int nombre_options_tarifaires(const FichierIni& ini) {
    return lire_entier_tarifs(ini, sections_tarifs::liste_options, "nb_total_options", "0");
}

std::vector<std::string> lecture_liste_reduc_tarifaires(const FichierIni& ini, bool liste_principale) {
    std::vector<std::string> liste;
    liste.emplace_back(liste_principale ? "Aucune réduction ou forfait tarifaire" : "Toutes les réductions");
    const int nombre = std::min(nombre_options_tarifaires(ini), nb_max_elements_liste);
    for (int k = 1; k <= nombre; ++k) liste.push_back(lire_option_tarifaire(ini, k, "designation"));
    return liste;
}

std::string lire_option_tarifaire(const FichierIni& ini, int numero, std::string_view cle) {
    auto reference = ini.lire(sections_tarifs::liste_options, "option" + std::to_string(numero));
    if (reference.empty()) return {};
    if (cle == "ref") return reference;
    return ini.lire(reference, cle);
}

}  // namespace lumi
