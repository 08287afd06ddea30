#pragma once
// Le modèle de la fenêtre de l'historique (ThistoForm), sans Qt : le type d'historique et sa plage,
// la liste des mois, les filtres, le passage sur la plage, la liste, les statistiques, les lignes
// d'avis, la date de la facture en cours et la commande d'effacement. La fenêtre Qt et l'outil en
// ligne de commande en appliquent les valeurs.
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/dates.hpp"
#include "base/locale.hpp"
#include "history/fenetre/passage_historique.hpp"
#include "history/fichiers_historique.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/registre.hpp"

namespace lumi {

// Les types d'historique, dans l'ordre de la liste.
enum class TypeHistorique { facture_en_cours, periode_definie, mensuel, semaine, jour, effacees };
inline constexpr std::array<std::string_view, 6> entrees_type_historique = {
    "Facture en cours",         "Période définie",     "Historique mensuel",
    "Historique de la semaine", "Historique du jour",  "Connexions effacées",
};
std::optional<TypeHistorique> type_historique(int indice);  // 0 .. 5

// Les premières entrées des filtres, qui les rendent inactifs.
inline constexpr std::string_view tous_les_utilisateurs = "Tous les utilisateurs";
inline constexpr std::string_view toutes_les_tarifications = "Toutes les tarifications";
inline constexpr std::string_view tous_les_providers = "Tous les providers";
inline constexpr std::string_view toutes_les_reductions = "Toutes les réductions";

// La facture en cours couvre 60 jours à partir de son début.
inline constexpr int jours_facture = 60;

// La liste des mois : une entrée "mois de janvier 2000" par fichier du dossier, la plus récente en
// tête, plus le mois d'aujourd'hui quand il n'a pas de fichier ; `choisi` est celui d'aujourd'hui.
struct ListeMois {
    std::vector<std::string> entrees;
    int choisi = 0;
};
ListeMois liste_mois_historique(const std::filesystem::path& dossier_historique, NumeroJour aujourdhui);

// La plage d'une entrée de la liste des mois (du 1er au dernier jour) ; rien si elle ne se lit pas.
std::optional<std::pair<NumeroJour, NumeroJour>> plage_du_mois(std::string_view entree);

// Le champ de la date de la facture en cours.
struct NoteFacture {
    std::string texte;
    bool rouge = false;
};
std::string legende_date_facture(NumeroJour debut);  // "Consommation depuis le dd/mm/yyyy"
NoteFacture note_date_facture(NumeroJour debut, NumeroJour aujourdhui);
// En quittant le champ : la date corrigée et l'avertissement à montrer (vide : aucun).
struct CorrectionDateFacture {
    NumeroJour debut = 0;
    std::string avertissement;
};
CorrectionDateFacture corriger_date_facture(NumeroJour debut, NumeroJour aujourdhui);

// Les réglages d'affichage rangés : TTC et décimales (lumicompteur.ini), taux de TVA (tarifs.ini),
// "TOTAL avec reduc" (magasin), séparateur et devise de la locale.
ReglagesAffichageHistorique lire_reglages_historique(const FichierIni& reglages, const FichierIni& tarifs,
                                                     const Registre& registre, const ValeursLocales& locale);
// Le début de la facture en cours ("date fin derniere facture") ; aujourd'hui - 30 s'il manque ou ne
// se lit pas.
NumeroJour lire_date_facture(const FichierIni& reglages, NumeroJour aujourdhui);

// Les deux lignes d'avis au-dessus d'une liste vide.
struct LignesAvis {
    bool visibles = false;
    std::string premiere, seconde;
};

class VueHistorique {
public:
    using Messages = std::function<std::string(int numero)>;

    VueHistorique(std::filesystem::path dossier_historique, ReglagesAffichageHistorique reglages,
                  NumeroJour aujourdhui, Messages messages = {});

    // --- Le type et sa plage ---
    TypeHistorique type() const { return type_; }
    // Choisit un type : la force est armée s'il change ; la plage du type est appliquée et lue.
    void choisir_type(TypeHistorique type);
    // Type 1 : les deux dates choisies (lues dans l'ordre).
    void definir_periode(NumeroJour du, NumeroJour au);
    std::pair<NumeroJour, NumeroJour> periode_definie() const { return {periode_du_, periode_au_}; }
    // Type 2 : l'entrée de la liste des mois.
    const ListeMois& liste_mois() const { return mois_; }
    void choisir_mois(int indice);
    // Type 0 : le début de la facture en cours.
    NumeroJour date_facture() const { return date_facture_; }
    // Change le champ (sans le lire) ; quitter_date_facture le corrige et lit.
    void changer_date_facture(NumeroJour debut) { date_facture_ = debut; }
    // Rend l'avertissement à montrer, vide s'il n'y en a pas.
    std::string quitter_date_facture();

    NumeroJour debut() const { return debut_; }
    NumeroJour fin() const { return fin_; }
    std::string titre() const;

    // --- Filtres : rendent vrai quand la sélection change ---
    bool filtrer_utilisateur(std::string_view entree);
    bool filtrer_tarification(std::string_view entree);
    bool filtrer_provider(std::string_view entree);
    // Le code de l'option ("" ou "1" : toutes).
    bool filtrer_option(std::string_view code);
    const CriteresHistorique& criteres() const { return criteres_; }

    // --- Réglages d'affichage ---
    const ReglagesAffichageHistorique& reglages() const { return reglages_; }
    // Le menu "Afficher Total AVEC / SANS réductions" : faux si déjà coché.
    bool choisir_total_avec_reductions(bool avec);
    std::string titre_colonne_total() const { return lumi::titre_colonne_total(reglages_); }

    // --- Le passage ---
    void forcer() { force_ = true; }
    // Pendant la mise en place (réglages, filtres et dates rangés), aucune lecture : la première
    // sélection après la reprise lit une seule fois.
    void differer_lecture(bool differer) { differee_ = differer; }
    // Sans liste (l'outil qui ne veut que les totaux) : les lignes ne sont pas construites.
    void garder_lignes(bool garder) { garder_lignes_ = garder; }
    // Sans garder la liste, chaque ligne passe à ce rappel dès qu'elle est lue, la plus ancienne
    // d'abord : un export tient en mémoire constante, quelle que soit la plage.
    void suivre_lignes(LigneMontree rappel) { suivi_ = std::move(rappel); }
    // Lit la plage ; rend faux (rien de relu) pour la même plage sans force.
    bool calcul_mois_historique();
    // Le nombre de passages faits : la fenêtre sait ainsi qu'il faut remontrer la liste.
    int lectures() const { return lectures_; }
    void remise_a_zero_variable();
    // Après une fermeture : la prochaine ouverture relit.
    void oublier_derniere_plage();

    const AccumulateursHistorique& accumulateurs() const { return acc_; }
    // Les lignes, la plus récente en tête (chaque ligne est insérée en haut).
    const std::vector<LigneListeHistorique>& lignes() const { return lignes_; }
    StatistiquesHistorique statistiques() const { return affichage_statistiques(acc_, reglages_); }
    LignesAvis avis() const;
    bool impression_possible() const { return !acc_.rien_affiche; }
    std::string texte_illisibles() const { return texte_lignes_illisibles(acc_.illisibles); }

    // Type 0 : la facture recomptée par le dernier passage (coût net, secondes), à ranger.
    bool facture_a_relire() const { return facture_a_relire_; }

    // --- La commande d'effacement ---
    ActionLigne action_suppression(bool ctrl) const;
    static std::string question_suppression(ActionLigne action);
    std::string legende_bouton(bool ctrl) const;
    // Applique l'action à l'enregistrement de `localisateur`, puis relit la plage. Rend faux (et
    // `erreur`) si le fichier n'a pu être récrit.
    bool supprimer(std::int32_t localisateur, ActionLigne action, std::string* erreur = nullptr);

    const std::filesystem::path& dossier_historique() const { return dossier_; }

private:
    void appliquer_plage();

    std::filesystem::path dossier_;
    ReglagesAffichageHistorique reglages_;
    NumeroJour aujourdhui_;
    Messages messages_;

    TypeHistorique type_ = TypeHistorique::facture_en_cours;
    ListeMois mois_;
    NumeroJour periode_du_, periode_au_, date_facture_;
    NumeroJour debut_ = 0, fin_ = 0;
    CriteresHistorique criteres_;
    std::optional<std::pair<NumeroJour, NumeroJour>> derniere_plage_;
    bool force_ = true;
    bool differee_ = false;
    bool garder_lignes_ = true;
    LigneMontree suivi_;
    int lectures_ = 0;
    bool facture_a_relire_ = false;

    AccumulateursHistorique acc_;
    std::vector<LigneListeHistorique> lignes_;
};

}  // namespace lumi
