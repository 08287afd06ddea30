#pragma once
// Le jeu de couleurs de Couleur.ini : deux sections aux mêmes clés, "couleurs 16bits" pour un écran
// de plus de 8 bits par pixel et "couleurs 8bits" sinon. Une couleur est un nom (clRed, clBtnFace...,
// sans casse), un entier décimal ou "$" suivi d'hexadécimal, lu 0x00BBGGRR ; 0x80000000 + n est la
// couleur système n. Une valeur vide ou absente donne le défaut de l'appelant.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/fenetre_principale.hpp"
#include "settings/fichier_ini.hpp"
#include "tariff/affichage_tarif.hpp"

namespace lumi {

inline constexpr std::uint32_t couleur_bleu = 0xFF0000;  // clBlue
inline constexpr std::uint32_t couleur_noir = 0x000000;  // clBlack
inline constexpr std::uint32_t couleur_aqua = 0xFFFF00;  // clAqua
inline constexpr std::uint32_t couleur_systeme = 0x80000000;
inline constexpr std::uint32_t clWindow = couleur_systeme + 5;
inline constexpr std::uint32_t clBtnFace = couleur_systeme + 15;

inline constexpr std::string_view section_couleurs_16bits = "couleurs 16bits";
inline constexpr std::string_view section_couleurs_8bits = "couleurs 8bits";

// Le texte d'une couleur : nom ou nombre ; rien si ce n'est ni l'un ni l'autre (ou si c'est vide).
std::optional<std::uint32_t> lire_couleur(std::string_view texte);
// Vrai pour 0x80000000 + n, n de 0 à 24 : une couleur du système.
inline bool est_couleur_systeme(std::uint32_t couleur) {
    return couleur >= couleur_systeme && couleur <= couleur_systeme + 24;
}

// Les couleurs de la fenêtre principale que affect_color applique.
struct CouleursFenetre {
    std::uint32_t fond_gauge = couleur_rouge;    // fond de Gauge2
    std::uint32_t couleur_gauge = couleur_aqua;  // barre de Gauge2
    // (numéro n, couleur) des panneaux "panel" + n à colorer, dans l'ordre ; une couleur invalide
    // arrête la liste, les suivants gardent leur couleur d'origine.
    std::vector<std::pair<int, std::uint32_t>> panneaux;
    // Sélecteurs : fond, texte, texte de l'élément choisi.
    std::uint32_t fond_combobox = clWindow;
    std::uint32_t texte_combobox = couleur_noir;
    std::uint32_t texte_actif_combobox = couleur_bleu;
};

class JeuCouleurs {
public:
    // Lit le fichier une fois ; un fichier absent donne partout les défauts.
    JeuCouleurs(const std::filesystem::path& fichier, int bits_par_pixel);

    bool fichier_present() const { return present_; }
    std::string_view section() const { return section_; }

    // couleur(nom, défaut) : la couleur de la clé, le défaut si elle est vide ou absente. Lève
    // ErreurConversion (message nommant le fichier, la section et la clé) si elle ne se lit pas.
    std::uint32_t couleur(std::string_view nom, std::uint32_t defaut) const;

    // "taux0" .. "taux20" : rouge par défaut, bleu si la valeur ne se lit pas.
    CouleursTaux couleurs_taux() const;

    // affect_color : jauge du forfait, panneaux "ppanel" + n, couleurs des sélecteurs.
    CouleursFenetre affect_color() const;

    // Les panneaux numérotés d'une fenêtre : (n, couleur) des clés `prefixe` + n, n de 1 au nombre
    // que donne `cle_nombre` (illisible : aucun), dans l'ordre ; une couleur vide est passée, une
    // couleur invalide arrête la liste et les suivants gardent leur couleur d'origine.
    std::vector<std::pair<int, std::uint32_t>> panneaux(std::string_view cle_nombre,
                                                        std::string_view prefixe) const;

private:
    FichierIni ini_;
    std::string section_;
    bool present_ = false;
};

// Les couleurs du fichier qui ne se lisent pas (un nom inconnu, un nombre de plus de 32 bits) dans
// les deux sections de couleurs, « [section] clé = « valeur » », dans l'ordre du fichier. Chacune
// prend sa couleur par défaut ; le démarrage le dit une fois. Les clés « nb de ... » sont des
// nombres et ne sont pas regardées.
std::vector<std::string> couleurs_illisibles(const std::filesystem::path& fichier);

}  // namespace lumi
