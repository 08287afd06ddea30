#pragma once
// La zone d'information tarifaire de la fenêtre principale, en valeurs simples : textes des champs,
// lignes de prix, légende, visibilités, et le dessin des plages horaires (rectangles colorés et
// heures) que la fenêtre n'a plus qu'à peindre.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tariff/enregistrements.hpp"
#include "tariff/jauges.hpp"
#include "tariff/monnaie.hpp"
#include "tariff/plages.hpp"

namespace lumi {

// Couleur de chaque indice de taux, telle que Couleur.ini l'écrit : 0x00BBGGRR (bleu dans l'octet
// haut), ou 0x80000000 + n pour la couleur système n. La fenêtre la lit sous la clé cle_couleur_taux.
using CouleursTaux = std::array<std::uint32_t, nb_indices_taux>;
std::string cle_couleur_taux(int indice);  // "taux0" .. "taux20"

inline constexpr std::string_view texte_sans_avantage_horaire = "Tarification sans avantage horaire";

// Taille par défaut d'une barre de 24 heures, en pixels.
inline constexpr int largeur_barre_defaut = 185;
inline constexpr int hauteur_barre_defaut = 9;

// Un intervalle [debut, fin] d'une liste, rempli de la couleur de son indice de x1 à x2 sur toute la
// hauteur de la barre.
struct RectanglePlage {
    std::int32_t debut = 0;  // secondes du jour
    std::int32_t fin = 0;
    int indice_taux = 0;
    std::uint32_t couleur = 0;
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;

    friend bool operator==(const RectanglePlage&, const RectanglePlage&) = default;
};

// Une heure écrite sur la bande d'étiquettes au-dessus des barres.
struct EtiquetteHeure {
    int x = 0;
    std::string texte;  // "0h", "8", "12h", "24h"...

    friend bool operator==(const EtiquetteHeure&, const EtiquetteHeure&) = default;
};

struct BarrePlages {
    std::string texte_jour;  // classe de jours de la liste ("Semaine", "Dimanche et\rjours fériés"...)
    std::vector<RectanglePlage> rectangles;
    // Liste mal formée : la barre reste vide et ce message français dit pourquoi.
    std::string erreur;

    friend bool operator==(const BarrePlages&, const BarrePlages&) = default;
};

struct DessinPlages {
    int largeur = largeur_barre_defaut;
    int hauteur = hauteur_barre_defaut;
    std::array<BarrePlages, 3> barres;
    std::vector<EtiquetteHeure> etiquettes;  // sans doublon, dans l'ordre où le dessin les écrit
    // Couleurs 1, 2 et 3 : les couleurs distinctes rencontrées, dans l'ordre du dessin.
    std::array<std::optional<std::uint32_t>, 3> couleurs;

    friend bool operator==(const DessinPlages&, const DessinPlages&) = default;
};

// Un intervalle [a, b] sur la barre `barre` (0 .. 2) : le rectangle et ses heures.
void zones_tarifaires(DessinPlages& dessin, int barre, std::int32_t a, std::uint32_t couleur, std::int32_t b,
                      int indice_taux = 0);

// Les trois barres des listes courantes et les couleurs 1 à 3.
DessinPlages change_dessin_plages_horaires(const TroisListes& plages, const CouleursTaux& couleurs,
                                           int largeur = largeur_barre_defaut,
                                           int hauteur = hauteur_barre_defaut);

// Une ligne de prix : pastille de couleur (colonne "Zone"), prix par minute, total d'une heure.
struct LigneTarif {
    bool visible = false;
    std::optional<std::uint32_t> couleur;  // vide : pastille sans couleur
    std::string par_minute;                // "... F/min"
    std::string total;                     // "... F/h"
    bool total_visible = false;

    friend bool operator==(const LigneTarif&, const LigneTarif&) = default;
};

// Deux pastilles avec l1 et l2, ou la seule ligne "Tarification sans avantage horaire".
struct LegendeTarif {
    bool visible = false;
    bool pastilles_visibles = false;
    std::optional<std::uint32_t> couleur1;
    std::optional<std::uint32_t> couleur2;
    std::string l1;
    std::string l2;
    bool sans_avantage_visible = false;

    friend bool operator==(const LegendeTarif&, const LegendeTarif&) = default;
};

struct ZoneInformationTarif {
    std::string connexion;     // sous "Connexion"
    std::string credit_temps;  // sous "Crédit Temps" : durée et prix, ou "aucun"
    std::string pas;           // "Tarification à la seconde" ou "Unités de ..."
    std::array<LigneTarif, 3> lignes;
    LegendeTarif legende;
    bool titre_zones_tarifaires_visible = true;  // "Zones Tarifaires"
    DessinPlages dessin;
    ZoneForfait forfait;

    friend bool operator==(const ZoneInformationTarif&, const ZoneInformationTarif&) = default;
};

// Tout ce que la zone montre, tel que le moteur et les réglages le tiennent.
struct DonneesAffichageTarif {
    const tparametre_de_la_tarification& tarif;
    const tparametre_de_la_reduction& option;
    const TroisListes& plages;  // listes courantes : celles de l'option s'il y en a une
    const CouleursTaux& couleurs;
    const ReglagesMonnaie& monnaie;
    std::string texte_raz_forfait;  // prochaine remise à zéro du forfait en cours
    int largeur_barre = largeur_barre_defaut;
    int hauteur_barre = hauteur_barre_defaut;
};

// Rafraîchit toute la zone après un rechargement du tarif ou de l'option. Pour un forfait "F", seuls
// la zone du forfait, le dessin, la légende, les visibilités et le pas changent : les textes des prix
// restent ceux du dernier affichage.
void mise_a_jour_affichage_tarifications(ZoneInformationTarif& zone, const DonneesAffichageTarif& donnees);

}  // namespace lumi
