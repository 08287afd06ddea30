#pragma once
// Le compteur : l'objet de composition qui tient, pour toute la vie du programme, l'état de la
// fenêtre principale et celui de chaque sous-système (moteur tarifaire, choix du tarif et de
// l'option, décompte et remises à zéro des forfaits), avec les coutures vers la plate-forme.
// Il porte le top d'une seconde (Timer1Timer), les trois actions d'état, les boutons de démarrage
// et d'arrêt manuels et l'affectation du fournisseur ; ce que la fenêtre montre est dans fenetre().
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "actions/acces_distant.hpp"
#include "actions/dialogue.hpp"
#include "actions/minuterie.hpp"
#include "actions/notifications.hpp"
#include "actions/vue_compteur.hpp"
#include "base/horloge.hpp"
#include "base/locale.hpp"
#include "core/etat_compteur.hpp"
#include "core/fenetre_principale.hpp"
#include "core/historique_compteur.hpp"
#include "history/plafond_facture.hpp"
#include "plans/forfait.hpp"
#include "plans/raz_forfaits.hpp"
#include "plans/son.hpp"
#include "settings/registre.hpp"
#include "tariff/affichage_tarif.hpp"
#include "tariff/choix_option.hpp"
#include "tariff/monnaie.hpp"
#include "tariff/moteur_tarifaire.hpp"

namespace lumi {

class Programmation;

// Les coutures que le compteur interroge ; elles vivent plus longtemps que lui.
struct CouturesCompteur {
    const Horloge& horloge;
    Registre& registre;
    AccesDistant& acces_distant;
    SourceAdresse& adresse;
    Dialogue& dialogue;
    Son& son;
};

// Ce que le démarrage donne au compteur en plus du dossier de données.
struct ReglagesCompteur {
    ValeursLocales locale;
    // Couleur de chaque indice de plage (clés "taux0" .. "taux20" du jeu de couleurs).
    CouleursTaux couleurs = [] {
        CouleursTaux c{};
        c.fill(couleur_rouge);
        return c;
    }();
};

class Compteur final : private AffichageTarifaire, private EffetsForfait, private VueCompteur {
public:
    // Lit les réglages du démarrage : "anti crash" et "frequence save crash", "Alsace", l'affichage
    // des prix (TTC, décimales) de lumicompteur.ini. Ne charge pas encore les tarifs.
    Compteur(CouturesCompteur coutures, std::filesystem::path dossier_donnees,
             ReglagesCompteur reglages = {});
    ~Compteur();
    Compteur(const Compteur&) = delete;
    Compteur& operator=(const Compteur&) = delete;

    // Démarrage du moteur : TVA et réductions par taux, puis choix du tarif et de l'option rangés
    // ("dernier tarif", "derniere reduc") et premier affichage du prix. Une erreur est montrée une fois.
    void charger_tarifs();

    // --- Minuteries ---
    void Timer1Timer();  // le top d'une seconde
    void Timer4Timer();  // cadence des instantanés anti-crash
    Minuterie& Timer1() { return Timer1_; }
    Minuterie& Timer2() { return Timer2_; }
    Minuterie& Timer4() { return Timer4_; }
    const Minuterie& Timer1() const { return Timer1_; }
    const Minuterie& Timer2() const { return Timer2_; }
    const Minuterie& Timer4() const { return Timer4_; }
    // Timer2 réglé par son effet (l'intervalle qui le porte) et sa marche.
    void regler_Timer2(EffetTimer2 effet, bool active);
    EffetTimer2 effet_Timer2() const { return effet_de_l_intervalle(Timer2_.intervalle()); }

    // --- Actions d'état (sources de détection et boutons) ---
    void action_numerotation_en_cours();
    void action_connecte_au_reseau();
    void action_fin_de_connexion();
    void REMISE_A_ZERO_DES_VARIABLES();
    void changement_bouton_etat_connexion();
    void changement_bouton_mode_manuel();
    void SpeedButton1Click();  // démarrage manuel
    void SpeedButton4Click();  // arrêt manuel
    void affectation_variable_provider();

    // --- Choix du tarif et de l'option par la fenêtre ---
    void action_tarification_reduction_changer(EmetteurChangement emetteur);
    void traitement_mode_auto();

    // --- Affichage ---
    void mise_a_jour_prix();
    void mise_a_jour_panels();
    void reaffichage_petite_icone();
    // Choix du panneau de durée : 1 la durée, 2 l'heure.
    void definir_mode_panneau_duree(int mode);

    // --- Opérations de la fenêtre (compteur_fenetre.cpp) ---
    // Le compteur seul écrit le modèle de la fenêtre : les commandes (CommandesFenetre, les modes
    // d'affichage, le démarrage) passent par ces opérations étroites.
    void ecrire_ligne_etat(std::size_t ligne, std::string texte);
    // Prix TTC ou hors taxes : réglage de la monnaie et info-bulle du prix.
    void definir_affichage_ttc(bool ttc);
    // 2 ou 3 décimales ; un prix nul affiché dans l'autre format est réécrit dans le nouveau.
    void definir_nb_decimales(int nb);
    // Après un changement de la monnaie : prix, rangées, puis zone d'information (seule pendant un
    // comptage) ou nouveau choix du tarif et de l'option.
    void rafraichir_apres_changement_monnaie();
    // Un choix à la main dans ComboBox2 ou ComboBox3 ; refusé, la liste reste où elle était.
    void choisir_tarif(int position);
    void choisir_option(int position);
    // Rotation des rangées : deux lignes plus loin, jusqu'à une ligne non vide (0 après 20).
    void tourner_rangees();
    // Effet rangee_clignotante de Timer2 : la ligne 0 paraît et disparaît dans la première rangée.
    void clignoter_rangee();
    // L'icône de notification a changé d'image (NIM_MODIFY).
    void signaler_modification_icone() { ++fenetre_.modifications_icone; }
    // Raccrochage demandé : plus de clignotement, l'icône du produit, voyant de programmation éteint.
    void arreter_effets_Timer2() override;
    // Une programmation vient d'être armée : le voyant Image6 paraît sur l'afficheur.
    void montrer_voyant_programmation() override { fenetre_.Image6_visible = true; }
    // La durée montre "00:00:00" avant la première connexion.
    void initialiser_legende_duree();
    // Mode barre : une seule rangée, deux lignes côte à côte, et le bouton de connexion caché.
    void definir_mode_barre(bool barre);
    void montrer_fenetre();
    void cacher_fenetre();

    // --- Opérations de la fenêtre des options ---
    // Instantanés anti-crash : marche et période (secondes).
    void definir_sauvegardes_crash(bool actives, int periode_secondes);
    void definir_alsace(bool alsace) { moteur_.definir_alsace(alsace); }
    // Hors connexion : le tarif et l'option rechoisis après la validation (mode automatique pour
    // "Sélection automatique et mode manuel", sinon l'option de la liste appliquée de nouveau).
    // Pendant une connexion, rien : son prix ne change pas en route.
    void rechoisir_apres_options();
    // Le temps restant d'un forfait corrigé à la main : le prochain top refait le jour (plages et
    // remise à zéro quotidienne des forfaits).
    void reevaluer_le_jour();

    // --- Déconnexion programmée (Timer3 : 250 ms) ---
    Programmation& programmation() { return *programmation_; }
    const Programmation& programmation() const { return *programmation_; }

    // --- Notifications du bureau ---
    // Sans couture branchée (rejeux, essais, démonstration), aucun avis ne part.
    void brancher_notifications(Notifications* notifications) { avis_bureau_.brancher(notifications); }
    // L'alerte ou l'atteinte du plafond de la facture, dite au bureau si l'utilisateur le veut.
    bool notifier_plafond(const std::string& texte) {
        return avis_bureau_.avertir(SujetAvis::plafond, texte);
    }

    // --- Lecture de l'état ---
    const EtatCompteur& etat() const { return etat_; }
    const ModeleTForm1& fenetre() const { return fenetre_; }
    const ChoixTarifaire& choix() const { return choix_; }
    const EtatForfait& etat_forfait() const { return etat_forfait_; }
    const MoteurTarifaire& moteur() const { return moteur_; }
    const ReglagesMonnaie& monnaie() const override { return monnaie_; }
    bool anti_crash() const { return anti_crash_; }
    // Remise à zéro quotidienne reportée à la fin de la connexion en cours.
    bool raz_forfaits_en_attente() const { return raz_en_attente_; }

    // Le prix affiché : prix_communication - montant_reduction, formaté avec la devise.
    std::string texte_prix_affiche() const;

    // --- Historique, facture en cours et instantanés anti-crash ---
    // L'enregistrement dans l'historique à la fin d'une connexion établie ou d'un comptage manuel, et
    // l'instantané de la connexion en cours (top et Timer4) : les vraies opérations dès la
    // construction, qu'un essai du compteur seul peut remplacer par un espion.
    std::function<void()> enregistrer_historique;
    std::function<void()> enregistrer_parametres_de_sauvegarde;
    // Ligne d'état 2, facture relue, prix rafraîchi (démarrage, après une reprise, historique fermé).
    void lecture_total_facure_en_cours();
    // Démarrage : nouvelle période de facturation après 60 jours, si l'utilisateur le veut.
    bool remise_a_jour_periodes_facturation();
    // Démarrage : la connexion gardée par un instantané est proposée ; l'instantané est effacé ensuite
    // (sauf si l'historique n'a pu être écrit).
    RepriseConnexion proposer_reprise_connexion();
    // Fermeture normale de la fenêtre.
    void effacer_cle_sauvegarde_crash() { historique_.effacer_cle_sauvegarde_crash(); }
    HistoriqueCompteur& historique() { return historique_; }
    const HistoriqueCompteur& historique() const { return historique_; }
    // Ce que le compteur sait de la connexion en cours, pour sa ligne d'historique.
    DonneesConnexion donnees_connexion() const;

    // --- Plafond de la facture ---
    // Relit ses réglages et le début de la période (début d'une connexion, options validées,
    // facture relue) : le top ne lit ni le magasin ni les fichiers.
    void recharger_plafond();
    const ReglagesPlafond& plafond() const { return plafond_; }
    const EtatPlafond& etat_plafond() const { return etat_plafond_; }
    // La facture en cours, connexion comprise, dans l'unité de l'affichage.
    double montant_pour_plafond() const;
    // L'avis du plafond (alerte ou plafond atteint) : une boîte qui ne retient pas le top. Les
    // notifications du bureau pourront le porter à sa place.
    void avis_plafond(std::string_view texte);
    // Les instants de l'alerte et du plafond atteint (pour les rejeux).
    const std::optional<Moment>& instant_alerte_plafond() const { return instant_alerte_plafond_; }
    const std::optional<Moment>& instant_plafond_atteint() const { return instant_plafond_atteint_; }

private:
    // AffichageTarifaire
    void mise_a_jour_affichage_tarifications() override;
    // EffetsForfait
    void afficher_jauge_forfait(std::int32_t restant, std::int32_t duree) override;
    bool sauvegardes_crash_actives() const override { return anti_crash_; }
    void montrer_fin_forfait(const ModeleFinForfait& modele) override;
    // VueCompteur
    std::optional<ConnexionComptee> connexion_comptee() const override;
    const tparametre_de_la_tarification& tarification() const override { return moteur_.tarification(); }
    const std::string& prix_affiche() const override { return fenetre_.Panel4; }
    void clignoter_programmation() override;
    // La fin d'une connexion ou d'un comptage manuel : sa durée et son prix, au bureau.
    void notifier_fin_connexion();

    void rafraichissement_horaire(NumeroJour aujourdhui, int heure, std::int32_t seconde_maintenant);
    void remise_a_zero_quotidienne();
    void adresse_et_provider();
    void calcul_temps_ecoule(NumeroJour aujourdhui, std::int32_t seconde_maintenant);
    void calcul_prix_et_forfait(NumeroJour aujourdhui, std::int32_t seconde_maintenant);
    void titre_et_info_bulle();
    void afficher_prix(const std::string& texte);
    void enregistrer_temps_restant_forfait();
    void appliquer_boutons_choix();
    void choisir_dans_liste(ListeDeroulante& liste, int position, EmetteurChangement emetteur);
    // Une erreur du compteur est montrée une seule fois par texte pendant la vie du programme.
    void montrer_erreur(const std::exception& erreur);
    std::string provider_du_decompte() const;
    // Au top : la facture comparée au plafond.
    void verifier_plafond();

    const Horloge& horloge_;
    Registre& registre_;
    AccesDistant& acces_distant_;
    SourceAdresse& adresse_;
    Dialogue& dialogue_;
    std::filesystem::path dossier_;
    CouleursTaux couleurs_;
    ReglagesMonnaie monnaie_;
    bool anti_crash_ = true;

    MoteurTarifaire moteur_;
    ChoixTarifaire choix_;
    SelecteurTarifaire selecteur_;
    EtatForfait etat_forfait_;
    DecompteForfait decompte_;
    ReinitialisationForfaits raz_;

    EtatCompteur etat_;
    ModeleTForm1 fenetre_;
    HistoriqueCompteur historique_;
    AvisBureau avis_bureau_;
    // SpeedButton14 et SpeedButton15 cachés pendant une connexion ou un comptage manuel.
    bool boutons_choix_masques_ = false;
    bool raz_en_attente_ = false;
    std::set<std::string> erreurs_montrees_;
    ReglagesPlafond plafond_;
    EtatPlafond etat_plafond_;
    NumeroJour periode_plafond_ = 0;
    std::optional<Moment> instant_alerte_plafond_;
    std::optional<Moment> instant_plafond_atteint_;

    Minuterie Timer1_{"Timer1", 1000, true};
    Minuterie Timer2_{"Timer2", intervalle(EffetTimer2::rangee_clignotante), true};
    Minuterie Timer4_{"Timer4", 30000, false};
    // Après tout le reste : elle lit l'état et la fenêtre du compteur.
    std::unique_ptr<Programmation> programmation_;
};

}  // namespace lumi
