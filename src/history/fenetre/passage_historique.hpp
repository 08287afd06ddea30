#pragma once
// Un passage sur une plage de dates : les fichiers mensuels lus, chaque enregistrement décodé,
// filtré et additionné, les lignes de la liste et les totaux de la période. Sans fenêtre : la
// fenêtre de l'historique, l'outil en ligne de commande et la facture s'en servent de même.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/dates.hpp"
#include "history/ligne_historique.hpp"

namespace lumi {

// Un filtre de la fenêtre : inactif, il laisse tout passer.
struct FiltreHistorique {
    std::string valeur;
    bool actif = false;
    friend bool operator==(const FiltreHistorique&, const FiltreHistorique&) = default;
};

// Ce qu'un passage garde et ce qu'il compte.
struct CriteresHistorique {
    NumeroJour debut = 0;
    NumeroJour fin = 0;
    bool effacees = false;  // type 5 : seuls les enregistrements marqués "¤"
    FiltreHistorique utilisateur, tarification, provider, option;
    friend bool operator==(const CriteresHistorique&, const CriteresHistorique&) = default;
};

// Comment les montants se montrent.
struct ReglagesAffichageHistorique {
    bool ttc = true;              // "affichage des prix" : "ttc"
    bool avec_reductions = true;  // "TOTAL avec reduc" : "non" rajoute la réduction au coût
    int nb_decimales = 3;
    double taux_tva = 19.6;    // celui du programme, quand la ligne 4 d'un fichier ne se lit pas
    std::string devise = " F";  // texte_devise
    char separateur = ',';      // séparateur décimal des panneaux
};

// Une ligne de la liste : les neuf colonnes et le localisateur de l'enregistrement.
struct LigneListeHistorique {
    std::string utilisateur, provider, date, heure, duree, periode, tarification, reduction, total;
    std::int32_t localisateur = 0;
    // Pour le tri : le jour (s'il se lit), la seconde de début, le coût affiché.
    NumeroJour jour = 0;
    double montant_total = 0;
    double montant_reduction = 0;
    std::int32_t secondes = 0;
    // Pour les exports : le code de l'option (vide sans option), le coût hors taxes et le TTC
    // arrondi tels que les totaux les additionnent.
    std::string option;
    double montant_ht = 0;
    double montant_ttc = 0;

    static constexpr int nb_colonnes = 9;
    const std::string& colonne(int i) const;
};

// Les lignes qu'un fichier n'a pas su décoder ; `raison` quand c'est le fichier entier (UTF-16,
// retours chariot seuls), vide sinon.
struct LignesIllisibles {
    std::string fichier;
    int nombre = 0;
    std::string raison;
};

// Les accumulateurs d'un passage, remis à zéro à son début.
struct AccumulateursHistorique {
    int nb = 0;
    double total_ht = 0;
    double total_ttc = 0;  // somme des montants TTC arrondis chacun aux décimales affichées
    std::int64_t secondes = 0;  // heures, minutes et secondes des durées, additionnées
    int nb_auto = 0, nb_manuelles = 0;
    // Tous les enregistrements vivants datés dans la plage, quels que soient les filtres.
    float cout_periode = 0;
    std::int64_t secondes_periode = 0;
    bool rien_affiche = true;
    std::vector<LignesIllisibles> illisibles;
    // Les utilisateurs et providers rencontrés dans les enregistrements montrés, dans l'ordre.
    std::vector<std::string> utilisateurs, providers;

    int lignes_illisibles() const;
};

// Rappel pour chaque enregistrement montré, dans l'ordre des fichiers (le plus ancien d'abord).
using LigneMontree = std::function<void(LigneListeHistorique&& ligne)>;

// Arrondi aux décimales affichées, comme le texte que l'utilisateur lit (moitiés loin de zéro).
double arrondi_affiche(double valeur, int decimales);

// Lit un fichier mensuel (`mois`, `annee` forment les localisateurs) dans les accumulateurs. Un
// enregistrement qui ne se décode pas est sauté et compté : ceux qui le suivent restent comptés.
// Rend faux si le fichier n'existe pas.
bool lecture_historique(const std::filesystem::path& chemin, unsigned mois, int annee,
                        const CriteresHistorique& criteres, const ReglagesAffichageHistorique& reglages,
                        AccumulateursHistorique& acc, const LigneMontree& rappel);

// Lit tous les fichiers du mois (InventaireHistorique), les enregistrements numérotés à la suite d'un
// fichier à l'autre. Rend faux si le mois n'a aucun fichier.
bool lecture_mois_historique(const std::filesystem::path& dossier_historique, unsigned mois, int annee,
                             const CriteresHistorique& criteres, const ReglagesAffichageHistorique& reglages,
                             AccumulateursHistorique& acc, const LigneMontree& rappel);

// Lit les mois de la plage (début et fin échangés au besoin), du plus ancien au plus récent. Deux
// fils peuvent lire les fichiers ; le rappel est appelé dans celui de l'appelant, dans l'ordre.
void parcourir_plage_historique(const std::filesystem::path& dossier_historique,
                                const CriteresHistorique& criteres,
                                const ReglagesAffichageHistorique& reglages, AccumulateursHistorique& acc,
                                const LigneMontree& rappel);

// Les lignes montrées de la plage dans l'ordre de la liste, la plus récente en tête, sans les garder
// toutes : les mois sont relus du plus récent au plus ancien et seules les lignes d'un mois sont en
// mémoire à la fois. Les mêmes lignes, localisateurs compris, que le rappel de
// parcourir_plage_historique, dans l'ordre inverse ; les accumulateurs sont l'affaire de celui-ci.
void parcourir_lignes_plage_historique(const std::filesystem::path& dossier_historique,
                                       const CriteresHistorique& criteres,
                                       const ReglagesAffichageHistorique& reglages,
                                       const LigneMontree& rappel);

// Les panneaux des statistiques et des totaux.
struct StatistiquesHistorique {
    std::string duree_totale, duree_moyenne;
    std::string titre_cout_moyen, cout_moyen;
    std::string nb_auto, nb_manuelles, nb_total;
    std::string total_ht, tva, total_ttc;
};
StatistiquesHistorique affichage_statistiques(const AccumulateursHistorique& acc,
                                              const ReglagesAffichageHistorique& reglages);

// "00h00m00s" : les panneaux des durées.
std::string texte_duree_panneau(std::int64_t secondes);

// Le titre de la colonne des totaux : "Total TTC" ou "Total HT", puis " AR" ou " SR".
std::string titre_colonne_total(const ReglagesAffichageHistorique& reglages);

// Le message sous la liste pour les lignes sautées : "1 ligne illisible dans janvier00.fct", et pour
// un fichier illisible en entier, sa raison : "2 lignes illisibles dans mars00.fct (fichier codé en
// UTF-16)".
std::string texte_lignes_illisibles(const std::vector<LignesIllisibles>& illisibles);

}  // namespace lumi
