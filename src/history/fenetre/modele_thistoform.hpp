#pragma once
// Le modèle de la fenêtre de l'historique (ThistoForm) autour de sa vue : ce qu'elle relit à chaque
// ouverture (réglages, dates et type rangés, listes des filtres, taille par résolution d'écran,
// largeurs des colonnes) et ce qu'elle range à la fermeture. Seul ce modèle lit et écrit
// lumicompteur.ini, tarifs.ini et le magasin pour elle : la fenêtre Qt montre et transmet.
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "history/fenetre/analyses_historique.hpp"
#include "history/fenetre/vue_historique.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/registre.hpp"

namespace lumi {

struct TailleHistorique {
    int largeur = 0;
    int hauteur = 0;
    friend bool operator==(const TailleHistorique&, const TailleHistorique&) = default;
};
// La taille dessinée, celle d'une résolution qui n'a rien de rangé.
inline constexpr TailleHistorique taille_dessinee_historique{661, 484};
inline constexpr int largeur_min_colonne_historique = 20;
inline constexpr int sujet_aide_historique = 6;
inline constexpr int sujet_aide_a_propos = 25;

using LargeursColonnesHistorique = std::array<int, LigneListeHistorique::nb_colonnes>;

class ModeleThistoform {
public:
    using Annuaire = std::function<std::vector<std::string>()>;

    ModeleThistoform(std::filesystem::path dossier_donnees, Registre& registre,
                     Annuaire entrees_annuaire = {});
    ~ModeleThistoform();

    // Avant chaque ouverture : réglages relus, une vue neuve sur les dates rangées (sa lecture
    // différée jusqu'à ce que la fenêtre ait posé ses filtres), listes des filtres refaites. Rend les
    // avertissements à montrer (un taux de TVA illisible : le taux habituel ; une liste des tarifs
    // illisible : les filtres gardent ce qui a pu être lu).
    std::vector<std::string> ouvrir(NumeroJour aujourdhui, const ValeursLocales& locale);
    bool ouvert() const { return vue_ != nullptr; }

    VueHistorique& vue() { return *vue_; }
    const VueHistorique& vue() const { return *vue_; }
    NumeroJour aujourdhui() const { return aujourdhui_; }

    // --- Ce qui a été rangé ---
    // La taille rangée pour cet écran ("largeur " + largeur, "hauteur " + hauteur de l'écran) ;
    // la taille dessinée pour une valeur absente, illisible ou pas plus grande que 0.
    TailleHistorique taille(int largeur_ecran, int hauteur_ecran) const;
    // Les largeurs des colonnes pour une liste de cette largeur : rangées, sinon la liste moins 21
    // partagée en parts égales ; aucune sous 20, et ensemble jamais plus larges que la liste.
    LargeursColonnesHistorique largeurs_colonnes(int largeur_liste) const;
    // Le type rangé ("selection"), ramené dans 0 .. 5.
    int type_range() const;
    // La bulle du champ de la facture en cours : les messages 32 à 39, une ligne chacun.
    std::string bulle_date_facture() const;
    // Type 0, à côté de la facture en cours : "Plafond : 150,000 F TTC, atteint à 62 %" ; vide sans
    // plafond ou pour un autre type.
    std::string ligne_plafond() const;

    // --- Les filtres, première entrée ("Tous les ...") comprise ---
    // Les utilisateurs et providers rencontrés dans les connexions s'y ajoutent à la suite.
    const std::vector<std::string>& utilisateurs() const { return utilisateurs_; }
    const std::vector<std::string>& providers() const { return providers_; }
    const std::vector<std::string>& tarifications() const { return tarifications_; }
    // Les désignations ; l'entrée choisie filtre sur le code de son option.
    const std::vector<std::string>& options() const { return options_; }
    void choisir_option(int indice);

    // Après chaque passage : les noms rencontrés rejoignent leurs filtres ; la facture en cours
    // recomptée remplace celle du magasin.
    void apres_lecture();
    void choisir_total_avec_reductions(bool avec);

    // --- L'autre tarification ---
    // Les options par leur désignation ; la comparaison les reprend par leur code.
    struct ListesComparaison {
        std::vector<std::string> tarifs, options, codes_options;
    };
    // Lues à chaque demande ; lève ErreurFichier ou ErreurConversion.
    ListesComparaison listes_comparaison() const;
    // `code_option` : le nom de l'option dans tarifs.ini (vide : aucune).
    std::string comparer(const std::string& tarif, const std::string& code_option) const;

    // --- La fermeture ---
    // Range colonnes, dates, type et, l'écran connu, la taille pour sa résolution. Rend le message
    // d'erreur à montrer, vide si tout est rangé.
    struct Ecran {
        TailleHistorique ecran, fenetre;
    };
    std::string ranger(const LargeursColonnesHistorique& colonnes, std::optional<Ecran> ecran) const;
    // La prochaine ouverture relit ; vrai (une fois) si la facture a été recomptée entre-temps.
    bool fermer();

private:
    void remplir_filtres(std::vector<std::string>& avertissements);

    std::filesystem::path dossier_;
    Registre& registre_;
    Annuaire entrees_annuaire_;
    FichierIni reglages_;
    NumeroJour aujourdhui_ = 0;
    std::unique_ptr<VueHistorique> vue_;
    std::vector<std::string> utilisateurs_, providers_, tarifications_, options_;
    std::vector<std::string> codes_options_;  // un code par entrée de options_ (vide : toutes)
    bool facture_recomptee_ = false;
};

}  // namespace lumi
