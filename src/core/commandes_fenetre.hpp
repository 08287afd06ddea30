#pragma once
// Les commandes de la fenêtre principale, sans Qt : prix TTC ou hors taxes, 2 ou 3 décimales, durée
// ou heure, rotation des rangées de l'afficheur, effets de Timer2 sur l'icône et les rangées,
// montrer et cacher, numéroter et raccrocher par l'annuaire, menus reconstruits, question de la
// fermeture et textes des messages numérotés. La coquille Qt transmet les événements ici et montre
// ensuite ce que ce modèle et le compteur disent.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "actions/acces_distant.hpp"
#include "actions/dialogue.hpp"
#include "settings/registre.hpp"
#include "tariff/choix_option.hpp"

namespace lumi {

class Compteur;

namespace textes_menu {
// PopupMenu2
inline constexpr std::string_view Historique1 = "&Historique des connexions";
inline constexpr std::string_view Options1 = "&Options et configuration";
inline constexpr std::string_view se_connecter = "Se &connecter";
inline constexpr std::string_view se_connecter_points = "Se &connecter...";
inline constexpr std::string_view se_connecter_a = "Se &connecter à";
inline constexpr std::string_view Sedeconnecter1 = "Se &déconnecter";
inline constexpr std::string_view Programmation1 = "Module de &Programmation...";
inline constexpr std::string_view Email1 = "&Envoyer un E-mail à l'auteur";
inline constexpr std::string_view Web1 = "&Lumicompteur 2000 sur le Web";
inline constexpr std::string_view Aide1 = "A&ide";
inline constexpr std::string_view reduir = "&Réduire dans la barre de notification";
inline constexpr std::string_view restaurer = "&Afficher Lumicompteur 2000";
inline constexpr std::string_view Fermer1 = "&Quitter Lumicompteur 2000";
// PopupMenu1
inline constexpr std::string_view ttcpopup = "Affichage des prix TTC";
inline constexpr std::string_view htpopup = "Affichage des prix  HT";  // deux blancs
inline constexpr std::string_view deuxdeci = "Affichage prix avec 2 décimales";
inline constexpr std::string_view troisdeci = "Affichage prix avec 3 décimales";
// PopupMenu3
inline constexpr std::string_view Duree1 = "Affichage de la durée de connexion";
inline constexpr std::string_view Heure1 = "Affichage de l'heure";
// PopupMenu4
inline constexpr std::string_view Utilisateurs1 = "Ajouter ou supprimer un utilisateur";
}  // namespace textes_menu

namespace textes_fenetre {
inline constexpr std::string_view Panel33 = "           Utilisateur en cours :";
inline constexpr std::string_view hint_SpeedButton5 = "Options et configuration";
inline constexpr std::string_view hint_SpeedButton6 = "Obtenir de l'aide";
inline constexpr std::string_view hint_SpeedButton7 = "Historique des connexions";
inline constexpr std::string_view hint_SpeedButton8 = "Réduire en icône dans la barre de notification";
inline constexpr std::string_view hint_SpeedButton10 = "Réduire la taille de la fenêtre";
inline constexpr std::string_view hint_prix_ttc = "Prix communication TTC";
inline constexpr std::string_view hint_prix_ht = "Prix communication HT";
inline constexpr std::string_view hint_duree = "Durée connexion";
inline constexpr std::string_view hint_heure = "C'est l'heure !";
inline constexpr std::string_view total_ttc = "Total TTC";
inline constexpr std::string_view total_ht = "Total HT";
inline constexpr std::string_view aucun_utilisateur =
    "Attention, aucun utilisateur n'est déclaré !\n"
    "Lumicompteur 2000 autorise la gestion de plusieurs utilisateurs.\n"
    "Vous avez ainsi la possibilité d'obtenir l'historique détaillé des\n"
    "connexions pour chaque utilisateur référencé.\n"
    "\n"
    "    Voulez-vous ajouter un utilisateur maintenant ?";
inline constexpr std::string_view ne_plus_afficher = "Ne plus afficher ce message";
// Le programme n'a pas encore d'adresse publique : la page « À propos » de l'aide tient lieu de page
// web, et le courrier reste éteint plutôt que d'écrire à une adresse qui ne répond pas.
inline constexpr int sujet_aide_a_propos = 25;
inline constexpr std::string_view hint_Email1 =
    "Lumicompteur 2000 n'a pas encore d'adresse de courrier : l'aide (« A&ide ») répond aux questions.";
inline constexpr std::string_view aucune_entree =
    "Aucune connexion d'accès à distance n'est déclarée sur cet ordinateur : il n'y a rien à numéroter.";
}  // namespace textes_fenetre

// Un élément de menu tel que la coquille le montre.
struct ElementMenu {
    std::string caption;
    bool visible = true;
    bool enabled = true;
    bool checked = false;

    friend bool operator==(const ElementMenu&, const ElementMenu&) = default;
};

// Ce que les menus montrent et que les commandes changent (les éléments fixes gardent leur texte).
struct ModeleMenus {
    // PopupMenu2 : "Se &connecter", "Se &connecter..." ou le sous-menu "Se &connecter à".
    ElementMenu Seconnecter1{std::string(textes_menu::se_connecter_points), true, false};
    std::vector<std::string> sous_menu_Seconnecter1;  // entrée + "..."
    ElementMenu Sedeconnecter1{std::string(textes_menu::Sedeconnecter1)};
    ElementMenu Programmation1{std::string(textes_menu::Programmation1)};
    ElementMenu Email1{std::string(textes_menu::Email1), true, false};
    std::string hint_Email1{textes_fenetre::hint_Email1};
    std::vector<std::string> PopupMenu6;  // entrée + "..."
    // PopupMenu1
    ElementMenu ttcpopup{std::string(textes_menu::ttcpopup)};
    ElementMenu htpopup{std::string(textes_menu::htpopup)};
    ElementMenu deuxdeci{std::string(textes_menu::deuxdeci)};
    ElementMenu troisdeci{std::string(textes_menu::troisdeci)};
    // PopupMenu3
    ElementMenu Duree1{std::string(textes_menu::Duree1), true, true, true};
    ElementMenu Heure1{std::string(textes_menu::Heure1)};

    friend bool operator==(const ModeleMenus&, const ModeleMenus&) = default;
};

// L'image de l'icône de notification.
enum class ImageIcone { application, numerotation, Image3, Image4, Image5 };

// Ce que demande un clic sur l'icône de notification.
enum class ReactionIcone { rien, cacher, montrer, menu_principal };

// Les boutons de la souris sur l'icône, comme les messages du rappel.
enum class EvenementIcone { gauche_enfonce, milieu_double_clic, droit_enfonce, autre };

// Ce que fait le bouton de connexion.
enum class ResultatNumerotation {
    rien,
    numerotation_lancee,
    echec_lancement,
    menu_fournisseurs,
    aucune_entree
};

// Une touche dans le sélecteur d'utilisateur.
enum class ReactionTouche { rien, deverrouillage_arme, basculer_detection };

// La fenêtre des messages (Tinfoform) : trois blocs de messages numérotés.
struct ModeleTinfoform {
    std::string titre = "Lumicompteur 2000";
    std::string bloc1;  // messages 5, 6 et 7
    std::string bloc2;  // messages 8 et 9
    std::string bloc3;  // messages 10 et 11
    std::string case_a_cocher{textes_fenetre::ne_plus_afficher};
    std::string bouton = "OK";
    std::string cle_couleur_fond = "fond combobox";
    std::uint32_t couleur_fond_defaut = 13300219;
};

// Largeur et hauteur d'une fenêtre, en pixels.
struct TailleFenetre {
    int largeur = 0;
    int hauteur = 0;

    friend bool operator==(const TailleFenetre&, const TailleFenetre&) = default;
};

class CommandesFenetre {
public:
    CommandesFenetre(Compteur& compteur, Registre& registre, AccesDistant& acces_distant, Dialogue& dialogue,
                     std::filesystem::path dossier_donnees);

    const ModeleMenus& menus() const { return menus_; }
    // "Total TTC" ou "Total HT" (libellé du total, Panel13).
    const std::string& Panel13() const { return Panel13_; }

    // --- Prix ---
    void ttcpopupClick();
    void htpopupClick();
    void deuxdeciClick();
    void troisdeciClick();
    // Clic sur le prix : 2 -> 3, tout autre nombre -> 2 ; les coches du menu ne bougent pas.
    void Panel4Click();

    // --- Durée ou heure ---
    void Duree1Click();
    void Heure1Click();
    void Panel2Click();

    // --- Listes du tarif et de l'option, choisies à la main ---
    void choisir_option(int position);  // ComboBox3
    void choisir_tarif(int position);   // ComboBox2

    // --- Rangées de l'afficheur ---
    // Avance de deux lignes (retour à 0 après 20) jusqu'à une ligne non vide.
    void Panel1Click();

    // --- Timer2 : icône, voyant de programmation, rangée clignotante ---
    // L'effet suit compteur.effet_Timer2().
    void Timer2Timer();
    ImageIcone image_icone();
    // Le voyant Image6 montre son image (sinon il est vide).
    bool Image6_image() const { return Image6_image_; }

    // --- Montrer et cacher ---
    void cacher();
    void montrer();
    ReactionIcone icone_notification(EvenementIcone evenement) const;

    // --- Annuaire et numérotation ---
    // ajouter_providers_popupmenu : reconstruit les éléments de l'annuaire.
    void ajouter_providers_popupmenu();
    // PopupMenu6Popup puis le déverrouillage : états des éléments selon la connexion.
    void PopupMenu6Popup();
    void PopupMenu2Popup();
    // Sans entrée dans l'annuaire, une boîte dit d'où elles viennent sur ce système.
    ResultatNumerotation SpeedButton2Click();
    // Numérote la première entrée sous le texte "Se &connecter..." ; sous "Se &connecter" (annuaire
    // vide), la même boîte que le bouton.
    ResultatNumerotation Seconnecter1Click();
    // Le texte de cette boîte.
    std::string texte_aucune_entree() const;
    // Un élément d'entrée choisi (texte : entrée + "...") ; en comptage manuel, la question d'abord.
    ResultatNumerotation Clique(std::string_view caption);

    // --- Raccrocher ---
    // La question (message 118) ; sur Oui, clignotement arrêté, icône du produit, voyant éteint,
    // programmation annulée. Vrai s'il faut raccrocher.
    bool SpeedButton3Click();
    // Raccroche la première connexion ; faux quand il n'y en a aucune ou que le service refuse (la
    // boîte d'échec suit, avec texte_echec_raccrochage() ; les pauses de la coquille sont celles de
    // actions/raccrochage.hpp).
    bool raccrocher();
    // Le texte de cette boîte : la raison du refus quand le service en a donné une.
    std::string texte_echec_raccrochage() const;

    // --- Fermeture ---
    // Texte de la question : messages 53 à 56 pendant un comptage, 56 seul sinon.
    std::string texte_question_quitter() const;
    // FormCloseQuery : vrai si la fenêtre peut se fermer (pas de question en fin de session).
    bool FormCloseQuery(bool fermeture_windows);

    // --- Utilisateurs ---
    // Le cadenas : messages 131 et 132 dans une boîte d'information.
    void Image12Click();
    // La liste s'ouvre sans utilisateur déclaré : vrai si l'on veut en ajouter un.
    bool demander_ajout_utilisateur();
    ReactionTouche touche_selecteur(bool ctrl, bool alt, bool shift, bool entree);
    bool deverrouillage_menu() const { return deverrouillage_menu_; }

    // --- Fenêtre des messages ---
    ModeleTinfoform modele_Tinfoform() const;
    // La fenêtre est détruite : case cochée, elle ne se montrera plus au début d'une connexion.
    void fermeture_Tinfoform(bool ne_plus_afficher);

    // La programmation de déconnexion à annuler au raccrochage (branchée par qui la possède).
    std::function<void()> annuler_programmation;

private:
    void definir_ttc(bool ttc);
    void definir_decimales(int nb, bool coches);
    void apres_changement_affichage();
    std::string message(int numero) const;
    ResultatNumerotation numeroter(std::string_view entree);
    ResultatNumerotation signaler_aucune_entree();
    std::vector<std::string> entrees() const;
    void ecrire_ini(std::string_view section, std::string_view cle, std::string_view valeur);

    Compteur& compteur_;
    Registre& registre_;
    AccesDistant& acces_distant_;
    Dialogue& dialogue_;
    std::filesystem::path dossier_;
    ModeleMenus menus_;
    std::string Panel13_;
    ImageIcone icone_ = ImageIcone::application;
    int reaffichages_vus_ = 0;
    bool Image6_image_ = false;
    bool deverrouillage_menu_ = false;
    std::string raison_echec_raccrochage_;
};

}  // namespace lumi
