#include "settings/parametres.hpp"

#include <algorithm>

#include "base/decimal.hpp"
#include "base/texte.hpp"
#include "settings/fichier_ini.hpp"

namespace lumi {

namespace {

bool selon_test(TestDrapeau test, std::string_view texte) {
    return test == TestDrapeau::different_non ? different_de_non(texte) : est_oui(texte);
}

std::string numerote(std::string_view prefixe, int numero) {
    return std::string(prefixe) + std::to_string(numero);
}

}  // namespace

std::string lire(const Registre& registre, const ParametreRegistre& p) {
    auto texte = registre.lire_valeur(cles::section(p.section), p.nom);
    return texte.empty() ? std::string(p.defaut) : texte;
}

std::string lire(const FichierIni& ini, const ParametreIni& p) {
    auto texte = ini.lire(p.section, p.cle, p.defaut);
    return texte.empty() ? std::string(p.defaut) : texte;
}

bool actif(const Registre& registre, const ParametreRegistre& p) {
    return selon_test(p.test, lire(registre, p));
}

bool actif(const FichierIni& ini, const ParametreIni& p) {
    return selon_test(p.test, lire(ini, p));
}

void ecrire(Registre& registre, const ParametreRegistre& p, std::string_view texte) {
    registre.ecrire_valeur(cles::section(p.section), p.nom, texte);
}

void ecrire_drapeau(Registre& registre, const ParametreRegistre& p, bool valeur) {
    if (!valeur && p.absent_si_inactif) {
        registre.effacer_valeur(cles::section(p.section), p.nom);
    } else {
        ecrire(registre, p, valeur ? "oui" : "non");
    }
}

namespace parametres {

std::string nom_pdata(int numero) {
    return numerote("pdata ", numero);
}
std::string nom_utilisateur(int numero) {
    return numerote("utilisateur ", numero);
}
int nombre_utilisateurs(const Registre& registre) {
    const auto n = lire_entier(lire(registre, nb_d_utilisateurs));
    return n && *n > 0 ? std::min(*n, 10000) : 0;
}
std::vector<std::string> lire_noms_utilisateurs(const Registre& registre) {
    std::vector<std::string> noms;
    const int nombre = nombre_utilisateurs(registre);
    for (int i = 1; i <= nombre; ++i)
        noms.push_back(registre.lire_valeur(cles::section(cles::utilisateurs), nom_utilisateur(i)));
    return noms;
}
std::string nom_time(std::string_view reference_forfait) {
    return "time " + std::string(reference_forfait);
}
std::string nom_raz(int option) {
    return numerote("raz ", option);
}
std::string nom_raz_le(int option) {
    return numerote("raz le ", option);
}
std::string nom_razj(int option) {
    return numerote("razj", option);
}
std::string cle_fiche(int numero) {
    return numerote("fiche ", numero);
}
std::string cle_colonne(int numero) {
    return numerote("colonne ", numero);
}

int periode_sauvegarde_crash(std::string_view frequence) {
    const auto n = lire_entier(frequence);
    if (!n) return 30;  // absent ou pas un nombre : le défaut "1"
    switch (*n) {
        case 0:
            return 60;
        case 1:
            return 30;
        case 2:
            return 15;
        case 3:
            return 5;
        default:
            return 10;  // tout autre nombre
    }
}

int periode_sauvegarde_crash(const Registre& registre) {
    return periode_sauvegarde_crash(lire(registre, frequence_save_crash));
}

}  // namespace parametres

}  // namespace lumi
