#pragma once
// Ce que le compteur confie à l'historique : l'enregistrement de chaque connexion finie (avec le
// choix de l'utilisateur), la facture en cours et sa ligne d'état, les instantanés anti-crash et
// l'offre du démarrage. Le compteur en possède un pour toute la vie du programme.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "actions/dialogue.hpp"
#include "core/sauvegarde_crash.hpp"
#include "history/facture.hpp"
#include "history/fichiers_historique.hpp"
#include "history/ligne_historique.hpp"
#include "settings/registre.hpp"

namespace lumi {

// Le choix de l'utilisateur d'un enregistrement. Le module des utilisateurs la remplira avec la liste
// de la fenêtre principale et la boîte de sélection.
class SelectionUtilisateur {
public:
    virtual ~SelectionUtilisateur() = default;
    // L'utilisateur sélectionné dans la liste de la fenêtre principale ; rien si aucun.
    virtual std::optional<std::string> utilisateur_selectionne() const = 0;
    // L'utilisateur sélectionné a-t-il un mot de passe ?
    virtual bool utilisateur_protege() const = 0;
    // Ouvre la boîte de sélection (pas une seconde fois si elle l'est déjà) ; `enregistrer` est
    // appelé avec l'utilisateur confirmé.
    virtual void demander_utilisateur(std::function<void(const std::string&)> enregistrer) = 0;
};

// En attendant la boîte de sélection : l'utilisateur courant (aucun par défaut) est enregistré.
class UtilisateurCourant final : public SelectionUtilisateur {
public:
    std::optional<std::string> utilisateur_selectionne() const override { return nom; }
    bool utilisateur_protege() const override { return false; }
    void demander_utilisateur(std::function<void(const std::string&)> enregistrer) override {
        enregistrer(nom.value_or(std::string(nom_utilisateur_non_identifie)));
    }

    std::optional<std::string> nom;
};

// Les étapes de la fin d'une connexion, pour les essais qui l'interrompent par un arrêt brutal.
enum class EtapeFinConnexion {
    en_attente_rangee,  // l'enregistrement est en attente dans le magasin, l'instantané effacé
    ligne_ajoutee,      // la ligne est dans le fichier du mois, la facture pas encore
};

// La fin d'une connexion se fait une seule fois, quel que soit l'instant d'un arrêt brutal :
// 1. un lot durable range l'enregistrement « en attente » (ligne, début, place dans le fichier du
//    mois, temps et montant à facturer) et efface l'instantané ;
// 2. la ligne est ajoutée au fichier du mois, sauf si elle y est déjà depuis la place notée ;
// 3. un second lot ajoute la connexion à la facture et ôte l'attente.
// Un démarrage qui trouve une attente la termine. Un magasin qui ne s'écrit pas garde
// l'enregistrement en mémoire (l'instantané reste) et réessaie.
class HistoriqueCompteur {
public:
    // Relit la facture rangée (en silence : le démarrage la relit et montre une valeur illisible).
    HistoriqueCompteur(Registre& registre, Dialogue& dialogue, std::filesystem::path dossier_donnees,
                       char separateur_decimal);
    HistoriqueCompteur(const HistoriqueCompteur&) = delete;
    HistoriqueCompteur& operator=(const HistoriqueCompteur&) = delete;

    FactureEnCours& facture() { return facture_; }
    const FactureEnCours& facture() const { return facture_; }
    SauvegardeCrash& sauvegarde() { return sauvegarde_; }
    EcrivainHistorique& ecrivain() { return ecrivain_; }
    const EcrivainHistorique& ecrivain() const { return ecrivain_; }

    // La sélection doit vivre plus longtemps que l'objet.
    void definir_selection_utilisateur(SelectionUtilisateur& selection) { selection_ = &selection; }
    // La liste qui tenait la sélection disparaît (fenêtre détruite) : retour à l'utilisateur par défaut.
    void oublier_selection_utilisateur() { selection_ = &utilisateur_par_defaut_; }

    // Fin d'une connexion établie ou d'un comptage manuel : choisit l'utilisateur (aucun sélectionné :
    // "non identifié" ; protégé ou "selection auto" : la boîte de sélection) puis range
    // l'enregistrement de `connexion`. Un échec est montré sans attendre, et l'enregistrement réessayé.
    // Pendant que la boîte est ouverte, la connexion est prise telle quelle, l'instantané la garde
    // (`instantane` le récrit avec ses derniers chiffres) et une fermeture du programme ne l'efface
    // pas : rien n'est perdu si personne ne répond. Une connexion qui finit pendant ce temps attend la
    // même réponse (la boîte ne s'ouvre pas deux fois).
    void enregistrer_historique(const std::function<DonneesConnexion()>& connexion,
                                const std::function<void()>& instantane = {});
    // Vrai tant que la boîte de sélection attend sa réponse.
    bool selection_en_cours() const { return selection_en_cours_; }
    // Après la réponse, l'instantané de la connexion qui aurait commencé entre-temps est récrit
    // (l'enregistrement vient d'effacer l'instantané).
    std::function<void()> instantane_apres_selection;

    // Un instantané de la connexion en cours.
    void enregistrer_parametres_de_sauvegarde(DonneesConnexion connexion, std::int32_t temps_restant_forfait);

    // Termine les enregistrements en attente (ceux qu'un arrêt ou un échec a laissés), dans l'ordre.
    // Rend vrai quand il n'en reste aucun.
    bool terminer_enregistrements_en_attente();
    // À chaque top : tant qu'un enregistrement attend, un nouvel essai à la période des instantanés.
    // `instantanes_en_cours` : une connexion comptée prend des instantanés, qui rangent eux-mêmes
    // les attentes restées en mémoire.
    void reessayer_enregistrements_en_attente(bool instantanes_en_cours = false);

    // Vrai tant qu'un enregistrement n'a pu être écrit.
    bool enregistrement_en_attente() const { return !en_attente_.empty(); }
    // Les lignes des enregistrements qui n'ont pu être rangés ni dans le fichier du mois ni dans la
    // base : seule la mémoire du programme les tient (un arrêt les perdrait).
    std::vector<std::string> lignes_en_memoire() const;
    // Le dernier instantané quand il garde l'une de ces lignes (ce qui en resterait après un arrêt) ;
    // vide sinon, et quand il garde une autre connexion.
    std::string instantane_des_lignes_en_memoire() const;

    // Fermeture normale : les attentes sont tentées une dernière fois, puis l'instantané est
    // effacé, sauf s'il garde un enregistrement resté en mémoire. Un enregistrement que seule la
    // mémoire tient encore est dit perdu, avec ce qu'en garde le dernier instantané.
    void effacer_cle_sauvegarde_crash();

    // Ligne d'état 2 et relecture de la facture ; une valeur illisible est montrée.
    void lecture_total_facure_en_cours(LignesEtat& lignes_etat);

    // Ligne d'état 3 ; pendant un comptage, la connexion y est comprise.
    std::string texte_ligne_etat_3(bool compteur_actif, std::int32_t duree_connexion, double prix_affiche,
                                   const ReglagesMonnaie& monnaie) const;

    // La vérification de la période au démarrage ; ses erreurs sont montrées.
    bool remise_a_jour_periodes_facturation(FichierIni& reglages, NumeroJour aujourdhui,
                                            const std::function<void()>& actualiser);

    // L'offre du démarrage (voir proposer_reprise_connexion), après les attentes d'un arrêt brutal.
    RepriseConnexion proposer_reprise_connexion(const FichierIni& reglages, const ReglagesMonnaie& monnaie,
                                                NumeroJour aujourdhui, LignesEtat& lignes_etat,
                                                std::function<void()> rafraichir_prix);

    // Appelé chaque fois qu'une connexion vient d'entrer dans la facture (aussitôt, ou plus tard quand
    // son attente se termine) : la ligne d'état 3 est à réécrire.
    std::function<void()> facture_mise_a_jour;

    // Pour les essais d'arrêt brutal : appelé après chaque étape de la fin d'une connexion.
    std::function<void(EtapeFinConnexion)> point_arret;

private:
    struct EnAttente {
        std::string nom;  // nom de la valeur dans le magasin ; vide tant qu'elle n'y est pas
        std::string ligne;
        Moment debut;
        std::int64_t position = 0;             // taille du fichier du mois avant l'ajout
        std::optional<std::int32_t> secondes;  // à facturer avec le champ 8 ; rien si déjà facturée
        bool annoncee = false;                 // son échec a été dit : sa fin le sera aussi
    };

    // La fermeture de l'instantané (effacer_cle_sauvegarde_crash sans l'avertissement des pertes).
    void fermer_instantane();
    void ecrire_enregistrement(DonneesConnexion connexion, const std::string& utilisateur);
    void completer(DonneesConnexion& connexion, const std::string& utilisateur);
    std::string utilisateur_courant() const;
    // La "designation" d'une option dans tarifs.ini, lue une fois par option.
    const std::string& designation(const std::string& option);

    void charger_en_attente();
    // L'effacement de l'instantané, sauf s'il garde une connexion d'ailleurs (instantane_a_garder_).
    std::vector<OperationRegistre> effacement_instantane() const;
    // La période des instantanés, en secondes : celle des nouveaux essais.
    int periode_essais() const;
    // Le plus grand numéro des attentes, dans le magasin ou en mémoire.
    long long dernier_numero() const;
    OperationRegistre operation_en_attente(const EnAttente& a) const;
    // Range dans le magasin les attentes encore en mémoire, avec `autres` dans le même lot.
    bool ranger_en_attente(std::vector<OperationRegistre> autres);
    // Le temps et le montant des attentes pas encore facturées, que l'instantané compte déjà.
    std::pair<std::int64_t, double> a_facturer() const;
    void avertir(const std::string& texte);

    Registre& registre_;
    Dialogue& dialogue_;
    std::filesystem::path dossier_donnees_;
    FactureEnCours facture_;
    SauvegardeCrash sauvegarde_;
    EcrivainHistorique ecrivain_;
    UtilisateurCourant utilisateur_par_defaut_;
    SelectionUtilisateur* selection_ = &utilisateur_par_defaut_;
    std::map<std::string, std::string> designations_;
    std::vector<EnAttente> en_attente_;
    int tops_avant_essai_ = 0;
    // L'instantané du magasin garde une connexion qui n'est ni en cours ni en attente (laissée par
    // une exécution précédente, ou reprise que la base a refusée) : il n'est ni remplacé ni effacé.
    bool instantane_a_garder_ = false;
    std::set<std::string> avertissements_montres_;
    bool selection_en_cours_ = false;
    std::vector<DonneesConnexion> attendent_selection_;
};

}  // namespace lumi
