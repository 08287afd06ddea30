#pragma once
// La mise en page du rapport imprimé de l'historique, en nombres : colonnes, lignes par page, nombre
// de pages, place des blocs des totaux et des statistiques. Un peintre quelconque (QPrinter, PDF) la
// dessine ; les essais la vérifient sans imprimante. Tout est en unités de la page, h(n) et w(n)
// valant n millièmes de sa hauteur et de sa largeur.
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace lumi {

inline constexpr std::string_view titre_rapport_historique = "Historique des connexions";
inline constexpr std::array<std::string_view, 8> entetes_rapport_historique = {
    "UTILISATEUR", "PROVIDER", "DATE", "HEURE", "DUREE", "ZONE", "TARIFICATION", "REDUCTION",
};
// Le texte sur lequel se mesure la hauteur d'une ligne du rapport (corps 8).
inline constexpr std::string_view texte_mesure_ligne = "jklkjyaAZETSFJGMLKJ";

struct GeometrieRapport {
    int hauteur_page = 0;    // PH
    int largeur_page = 0;    // PW
    int hauteur_ligne = 1;   // une ligne en corps 8
    int hauteur_entete = 1;  // une ligne en corps 10 gras
    int h(int n) const { return static_cast<int>(static_cast<long long>(hauteur_page) * n / 1000); }
    int w(int n) const { return static_cast<int>(static_cast<long long>(largeur_page) * n / 1000); }
};

struct PageRapport {
    int premiere_ligne = 0;  // indice dans la liste
    int nb_lignes = 0;
    int haut_lignes = 0;    // ordonnée de la première ligne
    int haut_entetes = -1;  // filet haut des en-têtes de colonnes ; -1 : page sans lignes
    int y_totaux = -1;      // -1 : pas sur cette page
    int y_statistiques = -1;
};

struct MiseEnPageRapport {
    int haut_premiere_page = 0;  // T1 : le filet haut des en-têtes
    int haut_autres_pages = 0;   // T2
    int lignes_premiere_page = 0;
    int lignes_autres_pages = 0;
    // Les bords gauches des neuf colonnes, puis le bord droit.
    std::array<int, 10> colonnes{};
    std::vector<PageRapport> pages;
    int hauteur_totaux = 0;
    int hauteur_statistiques = 0;
    int y_pied = 0;  // ligne de base des pieds "Page i/n"

    int nb_pages() const { return static_cast<int>(pages.size()); }
    std::string pied(int page) const;  // page de 1 à nb_pages()
};

// Rien à imprimer sans ligne : l'appelant désactive l'impression.
MiseEnPageRapport mise_en_page_rapport(const GeometrieRapport& g, int nb_lignes);

// Les colonnes retaillées sur leur contenu : `besoins` donne la largeur du texte le plus large de
// chaque colonne (marges comprises). Une colonne `entiere` (un montant) ne doit jamais couper son
// texte : elle prend la place qui manque d'abord aux colonnes plus larges que leur contenu, puis aux
// colonnes de texte (qui finissent alors par des points de suspension), jusqu'à la moitié de leur
// largeur. Les bords extérieurs ne bougent pas ; une page où tout tient garde les colonnes d'origine.
std::array<int, 10> colonnes_selon_contenu(const std::array<int, 10>& colonnes,
                                           const std::array<int, 9>& besoins,
                                           const std::array<bool, 9>& entiere);

}  // namespace lumi
