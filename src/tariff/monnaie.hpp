#pragma once
// Montants tels que l'utilisateur les lit : avec ou sans TVA, 2 ou 3 décimales, le séparateur de la
// locale, suivis du texte de la devise.
#include <string>
#include <string_view>

#include "base/locale.hpp"
#include "settings/fichier_ini.hpp"

namespace lumi {

struct ReglagesMonnaie {
    float taux_tva = 19.6f;  // [TVA] taux du fichier des tarifs
    int nb_decimales = 3;    // "gestion afficheur", "nb de decimales" : 2 ou 3
    bool ttc = true;         // "affichage des prix", "affichage" : "ttc" ou "hors taxes"
    ValeursLocales locale;   // séparateur décimal et symbole monétaire
};

// Le nombre de `texte` (lu avec "," ou "."), TVA ajoutée si `ttc` (au taux `taux`, ou à taux_tva si
// `taux` vaut 0), en notation fixe avec nb_decimales chiffres arrondis en s'éloignant de zéro ; en
// notation exponentielle à partir de 10 000 000. Lève ErreurConversion si `texte` n'est pas un nombre.
std::string formater_montant(std::string_view texte, bool ttc, double taux, const ReglagesMonnaie& reglages);

// " " + symbole quand le symbole de la locale est "F", "Frs" ou "frs" ; " F" sinon.
std::string texte_devise(std::string_view symbole_monetaire);
inline std::string texte_devise(const ReglagesMonnaie& reglages) {
    return texte_devise(reglages.locale.symbole_monetaire);
}

// Un montant en texte décimal à 15 chiffres significatifs (point décimal), ce que l'affichage passe
// à formater_montant.
std::string texte_montant(double montant);

// Le nombre de décimales et le choix TTC / hors taxes de lumicompteur.ini.
int lire_nb_decimales(const FichierIni& reglages);
bool lire_affichage_ttc(const FichierIni& reglages);

}  // namespace lumi
