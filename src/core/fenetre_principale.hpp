#pragma once
// Ce que la fenêtre principale (TForm1) montre, en valeurs simples que la coquille applique après
// chaque appel du compteur : lignes d'état, afficheur, boutons, titre, info-bulle de l'icône.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "plans/fin_forfait.hpp"
#include "tariff/affichage_tarif.hpp"
#include "tariff/jauges.hpp"

namespace lumi {

// Couleurs au format 0x00BBGGRR.
inline constexpr std::uint32_t couleur_vert_lime = 65280;  // clLime
inline constexpr std::uint32_t couleur_rouge = 0x0000FF;   // clRed

inline constexpr std::string_view titre_produit = "Lumicompteur 2000";
// L'info-bulle de l'icône de notification ne prend que 63 caractères.
inline constexpr std::size_t longueur_max_info_bulle = 63;

// Textes de la ligne d'état 0.
namespace textes_etat {
inline constexpr std::string_view supervision_en_cours = "Supervision en cours";
inline constexpr std::string_view attente_connexion = "Attente connexion";
inline constexpr std::string_view numerotation_en_cours = "Numérotation en cours";
inline constexpr std::string_view connecte_au_service = "Connecté au service";
inline constexpr std::string_view fin_de_connexion = "Fin de connexion";
inline constexpr std::string_view echec_connexion = "Echec connexion";
inline constexpr std::string_view demarre_manuellement = "Démarré  manuellement";  // deux blancs
inline constexpr std::string_view arrete_manuellement = "Arrêté manuellement";
inline constexpr std::string_view adresse_ip = "Adresse IP";
}  // namespace textes_etat

// L'effet de Timer2 à chaque tic. L'intervalle de la minuterie dit lequel court : chaque effet garde
// le sien, et un intervalle qui n'en porte aucun (raccrochage, glissement du coin) ne fait rien.
enum class EffetTimer2 : std::int32_t {
    numerotation = 600,        // l'icône alterne avec celle de la numérotation
    programmation = 650,       // le voyant Image6 clignote, l'icône tourne (Image3 -> 4 -> 5)
    raccrochage = 660,         // rien
    rangee_clignotante = 700,  // avant la première numérotation : la ligne d'état 0 clignote
    pause_glissement = 100,    // le coin est tiré : rien
};

inline constexpr std::int32_t intervalle(EffetTimer2 effet) {
    return static_cast<std::int32_t>(effet);
}

// L'effet que porte un intervalle ; un intervalle inconnu n'en porte aucun.
inline constexpr EffetTimer2 effet_de_l_intervalle(std::int32_t ms) {
    switch (ms) {
        case intervalle(EffetTimer2::numerotation):
            return EffetTimer2::numerotation;
        case intervalle(EffetTimer2::programmation):
            return EffetTimer2::programmation;
        case intervalle(EffetTimer2::rangee_clignotante):
            return EffetTimer2::rangee_clignotante;
        case intervalle(EffetTimer2::pause_glissement):
            return EffetTimer2::pause_glissement;
        default:
            return EffetTimer2::raccrochage;
    }
}

struct BoutonFenetre {
    bool visible = true;
    bool enabled = true;
    std::string hint;

    friend bool operator==(const BoutonFenetre&, const BoutonFenetre&) = default;
};

// Une rangée de texte de l'afficheur (Panel1, Panel20).
struct RangeeTexte {
    std::string texte;
    bool visible = true;
    std::uint32_t couleur_police = couleur_vert_lime;

    friend bool operator==(const RangeeTexte&, const RangeeTexte&) = default;
};

struct ModeleTForm1 {
    LignesEtat lignes_etat{};
    int index_ligne_affichee = 0;  // ligne de la première rangée (paire, 0 .. 20)
    bool mode_barre = false;       // une seule rangée : deux lignes côte à côte

    // --- L'afficheur (Panel5) ---
    RangeeTexte Panel1;
    RangeeTexte Panel20;
    // Panel1 en haut de la première rangée quand la seconde a du texte, centré sinon.
    bool Panel1_en_haut = false;
    std::string Panel2;  // durée ou heure
    std::string Panel2_hint = "Durée connexion";
    int Panel3_plage = 0;  // indice de la plage en vigueur
    std::uint32_t Panel3_couleur = couleur_rouge;
    std::string Panel4;  // prix affiché, devise comprise
    std::string Panel4_hint;
    Jauge Gauge1;

    // --- Zone d'information tarifaire (dont la zone du forfait et Label10) ---
    ZoneInformationTarif zone_tarif;

    // --- Boutons ---
    BoutonFenetre SpeedButton1{true, true, "Démarrer le compteur en mode manuel"};
    BoutonFenetre SpeedButton2{true, true, "Se connecter à Internet"};
    BoutonFenetre SpeedButton3{false, true, "Se déconnecter"};
    BoutonFenetre SpeedButton4{false, true, "Arrêter le compteur en mode manuel"};
    BoutonFenetre SpeedButton11{false, true, "Module de programmation..."};
    BoutonFenetre SpeedButton14{
        true, true, "Cliquez-ici pour sélectionner manuellement la réduction ou forfait à appliquer"};
    BoutonFenetre SpeedButton15{false, true,
                                "Cliquez-ici pour sélectionner manuellement la tarification à appliquer"};

    // --- Voyants ---
    bool Image14_visible = false;  // jour férié
    std::string Image14_hint = "Lorsqu'il est allumé, ce voyant, indique que le jour en cours est férié.";
    bool Image6_visible = false;  // programmation en cours sur l'afficheur

    // --- Application et icône de notification ---
    std::string titre_application{titre_produit};
    std::string info_bulle_icone{titre_produit};
    bool icone_numerotation = false;  // l'icône clignote pendant la numérotation
    int modifications_icone = 0;      // NIM_MODIFY envoyés
    int reaffichages_icone = 0;       // icône supprimée puis rajoutée

    // --- Fenêtre et menu ---
    bool fenetre_visible = true;
    bool menu_restaurer_visible = false;  // "&Afficher Lumicompteur 2000"
    bool menu_reduir_visible = true;      // "&Réduire dans la barre de notification"

    // --- Fenêtres demandées ---
    int demandes_Tinfoform = 0;                      // fenêtre de messages ouverte sans attendre
    std::vector<ModeleFinForfait> avis_fin_forfait;  // TFinforfait montrés (non modaux)
};

}  // namespace lumi
