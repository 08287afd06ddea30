#pragma once
// Le plafond de la facture : un montant que la facture en cours (connexion en cours comprise) ne
// devrait pas dépasser pendant la période de facturation. Une alerte à un pourcentage du plafond,
// une fois par période ; le plafond atteint sonne l'alarme, et avec "raccrocher" lance la même
// déconnexion qu'une programmation au coût. Rien de Qt ici : le compteur l'appelle à chaque top.
#include <optional>
#include <string>
#include <string_view>

#include "base/dates.hpp"
#include "settings/registre.hpp"
#include "tariff/monnaie.hpp"

namespace lumi {

class FichierIni;

enum class ActionPlafond { avertir, raccrocher };

// Les réglages rangés dans "\options". Le montant est dans l'unité que la fenêtre principale
// montre (TTC ou HT) ; rien : pas de plafond.
struct ReglagesPlafond {
    std::optional<double> montant;
    int alerte = 80;  // pour cent du plafond
    ActionPlafond action = ActionPlafond::avertir;
};

namespace plafond {
inline constexpr std::string_view valeur_montant = "plafond facture";
inline constexpr std::string_view valeur_alerte = "plafond alerte";
inline constexpr std::string_view valeur_action = "plafond action";
// La période dont l'alerte a déjà été donnée (date de son début) : un redémarrage ne la redit pas.
inline constexpr std::string_view valeur_alerte_donnee = "plafond alerte donnee";
inline constexpr int alerte_par_defaut = 80;
inline constexpr int alerte_min = 1;
inline constexpr int alerte_max = 99;
inline constexpr std::string_view avertir = "avertir";
inline constexpr std::string_view raccrocher = "raccrocher";
}  // namespace plafond

// Les textes saisis dans la fenêtre des options, vérifiés. Vide : pas de plafond ; le pourcentage
// vide reprend 80 ; l'action est "avertir" ou "raccrocher".
struct SaisiePlafond {
    std::string montant;
    std::string alerte;
    std::string action;
};
// Les réglages, ou le message français qui dit ce qui ne va pas.
struct VerificationPlafond {
    std::optional<ReglagesPlafond> reglages;
    std::string erreur;
};
VerificationPlafond verifier_saisie_plafond(const SaisiePlafond& saisie);

// Lecture des réglages rangés. Une valeur illisible (rangée à la main) laisse son défaut et son
// message est ajouté à `erreur` : on ne surveille jamais un plafond qu'on a mal lu.
ReglagesPlafond lire_reglages_plafond(const Registre& registre, std::string* erreur = nullptr);
// Les textes rangés, tels que la fenêtre des options les reprend.
SaisiePlafond saisie_rangee(const Registre& registre);
// Range les trois valeurs ensemble ; le montant au séparateur du système.
void ecrire_reglages_plafond(Registre& registre, const ReglagesPlafond& reglages, char separateur);

// Le montant tel que la fenêtre principale le montre : TVA ajoutée si l'affichage est TTC, arrondi
// aux décimales de l'affichage. C'est à lui qu'on compare le plafond.
double montant_affiche(double montant_ht, const ReglagesMonnaie& monnaie);
// La part du plafond atteinte, en pour cent entiers (tronqués).
int part_du_plafond(double montant, double plafond_montant);
// "150,000 F TTC" ou "150,00 F HT".
std::string texte_plafond(double plafond_montant, const ReglagesMonnaie& monnaie);
// "Plafond : 150,000 F TTC, atteint à 62 %" ; vide sans plafond.
std::string ligne_plafond(const ReglagesPlafond& reglages, double montant, const ReglagesMonnaie& monnaie);

enum class EvenementPlafond { aucun, alerte, atteint };

// Ce dont le suivi se souvient.
struct EtatPlafond {
    // Période (date de début de la facture) dont l'alerte est donnée ; rangée.
    std::optional<NumeroJour> alerte_donnee;
    // Le plafond atteint a été dit pendant la connexion en cours (redit à chaque connexion).
    bool atteint_signale = false;
};

// Compare `montant` (facture et connexion en cours, dans l'unité du plafond) au plafond. L'alerte
// part une fois par période ; le plafond atteint une fois par connexion, et emporte l'alerte de
// la période (inutile de dire les deux).
EvenementPlafond evaluer_plafond(const ReglagesPlafond& reglages, double montant, NumeroJour periode,
                                 EtatPlafond& etat);

// Le début de la période en cours (lumicompteur.ini) ; aujourd'hui s'il manque ou ne se lit pas.
NumeroJour debut_periode_facture(const FichierIni& reglages, NumeroJour aujourdhui);

// Les textes montrés.
std::string texte_avis_alerte(int part, const std::string& plafond_texte);
std::string texte_avis_atteint(const std::string& plafond_texte, ActionPlafond action);

}  // namespace lumi
