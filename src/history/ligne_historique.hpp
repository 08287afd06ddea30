#pragma once
// La ligne d'historique d'une connexion : treize champs suivis chacun de ";", sa construction depuis
// ce que sait le compteur, sa lecture (y compris les dispositions des éditions précédentes), les noms
// des fichiers mensuels, le localisateur d'un enregistrement et le résumé montré au démarrage.
// Le texte est en UTF-8 en mémoire ; les fichiers sont en Windows-1252 (voir fichiers_historique.hpp).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/dates.hpp"
#include "tariff/monnaie.hpp"

namespace lumi {

inline constexpr std::string_view nom_utilisateur_non_identifie = "non identifié";
inline constexpr std::string_view marque_vivant = "|";
inline constexpr std::string_view marque_efface = "¤";
inline constexpr std::string_view code_disposition_actuelle = "-4";
inline constexpr int nb_champs_ligne = 13;
// Les éditions précédentes omettaient des champs de fin, jamais le coût (champ 8) : en deçà, la
// ligne a été coupée.
inline constexpr int nb_champs_minimum = 8;

// Ce que le compteur sait de la connexion qui s'achève, tel quel : la ligne s'en déduit seule.
struct DonneesConnexion {
    std::string utilisateur;        // vide : "non identifié"
    std::string tarif_en_cours;     // nom du tarif téléphonique en vigueur
    std::string forfait_en_cours;   // référence de l'option en vigueur ; vide : aucune
    std::uint8_t type_forfait = 1;  // 0 forfait "F", 1 réduction ou aucune, 3 "Fi"
    // "designation" de l'option dans tarifs.ini (sert pour un forfait "F" autre que FL et FLA).
    std::string designation_forfait;
    std::int32_t unite_decompte = 1;
    NumeroJour date_debut = 0;
    std::int32_t seconde_debut = 0;
    std::int32_t duree_connexion = 0;
    int plage_au_debut = 0;  // couleur de la plage : 1 rouge, 2 bleu
    int plage_a_la_fin = 0;
    bool mode_manuel = false;
    float prix_communication = 0;  // prix sans réduction
    float montant_reduction = 0;
    std::string nom_connexion;  // entrée d'annuaire ; vide en mode manuel
    char separateur_decimal = ',';
};

// Les treize champs de la connexion, dans l'ordre du fichier.
std::string get_donnees_a_enregistrer(const DonneesConnexion& d);

// Temps facturé de la connexion (champ 5) : arrondi à l'unité commencée sous un forfait "F".
std::int32_t secondes_facturees(const DonneesConnexion& d);

// Champ 6 : "Rouge", "Bleu", "Bl/Rg", "Rg/Bl" ou vide.
std::string texte_periode(int plage_debut, int plage_fin);

// Montant des champs 8 et 11 : sept chiffres significatifs puis trois décimales.
std::string formater_montant_historique(double montant, char separateur_decimal);

// Les champs d'une ligne coupée aux ";" : au plus `nombre`, les manquants vides.
std::vector<std::string> champs_ligne(std::string_view ligne, std::size_t nombre = nb_champs_ligne);

// Un enregistrement relu.
struct EnregistrementHistorique {
    std::string utilisateur;
    std::string tarification;
    std::string date;                // "dd/mm/yyyy" (une date "dd/mm/yy" reçoit "19" devant l'année)
    std::optional<NumeroJour> jour;  // la date lue, rien si elle ne se lit pas
    std::string heure;               // "HHhMM" tel qu'écrit
    std::string duree;               // "HH:MM:SS" tel qu'écrit
    std::int32_t secondes = 0;
    std::string periode;
    std::string mode;         // "A" ou "M" (les anciens mots sont traduits)
    double cout = 0;          // hors taxes, réduction déduite
    std::string code_option;  // "0" ou vide : aucune option
    double reduction = 0;
    bool efface = false;  // marque "¤"
    std::string provider;

    friend bool operator==(const EnregistrementHistorique&, const EnregistrementHistorique&) = default;
};

// Le même enregistrement vu en place, sans copie : ses textes pointent dans la ligne décodée, qui
// doit vivre autant que lui. Le lecteur de l'historique passe ainsi sur chaque ligne d'un mois.
struct VueEnregistrementHistorique {
    std::string_view utilisateur;
    std::string_view tarification;
    std::string_view date;  // tel qu'écrit : "dd/mm/yy" pour les anciennes éditions
    std::optional<NumeroJour> jour;
    std::string_view heure;
    std::string_view duree;
    std::int32_t secondes = 0;
    std::string_view periode;
    std::string_view mode;  // "A" ou "M" (les anciens mots sont traduits)
    double cout = 0;
    std::string_view code_option;
    double reduction = 0;
    bool efface = false;
    std::string_view provider;
};

// La date d'un enregistrement telle qu'on la montre : "19" ajouté devant une année sur deux chiffres.
std::string date_enregistrement(std::string_view date_ecrite);

// Lit une ligne d'enregistrement (UTF-8). Rien pour une ligne blanche. Lève ErreurConversion
// (message français qui cite le début de la ligne et dit ce qui ne va pas) pour toute autre ligne
// qui n'est pas un enregistrement : coupée (pas de ";" final, moins de nb_champs_minimum champs),
// porteuse de caractères de contrôle (octets nuls, binaire), datée d'une date qui ne se lit pas, ou
// dont un champ numérique (5, 8, 9, 10 ou 11) n'est pas un nombre ; un champ numérique vide vaut 0.
std::optional<EnregistrementHistorique> decoder_ligne_historique(std::string_view ligne);
// La même lecture, sans copier les textes, dans `e` que le lecteur garde d'une ligne à l'autre
// (chaque champ y est récrit) ; faux pour une ligne blanche, ErreurConversion de même.
bool decoder_vue_ligne_historique(std::string_view ligne, VueEnregistrementHistorique& e);

// Nom du mois et nom du fichier : (3, 2000) -> "mars", "mars00.fct". Mois hors 1..12 : noms vides.
struct NomFichierHistorique {
    std::string mois;
    std::string fichier;
};
NomFichierHistorique nom_fichier_historique(unsigned mois, int annee);

// Clé de tri décroissant des mois : "janvier" "12" ... "décembre" "01" ; "-1" pour un autre nom.
std::string rang_du_mois(std::string_view nom);

// Le mois d'un nom de fichier mensuel sous toute graphie qu'on rencontre : UTF-8 ("février00.fct",
// celle que cette édition écrit), Windows-1252 des éditions précédentes (un octet pour "é"), sans
// accent ("fevrier00.fct"), en capitales ("MARS99.FCT"). Rien pour un autre nom.
struct MoisDuFichier {
    unsigned mois = 0;
    std::string annee;  // les deux caractères avant ".fct", tels qu'écrits
    // Le nom que cette édition donne au fichier de ce mois.
    std::string nom_utf8() const;
};
std::optional<MoisDuFichier> mois_du_fichier_historique(std::string_view nom);

// Les deux caractères d'année d'un nom de fichier : 2000 -> "00", 1999 -> "99".
std::string annee_fichier_historique(int annee);

// Le localisateur d'un enregistrement dans la liste : numéro × 10000 + mois × 100 + année sur deux
// chiffres. Rien s'il ne tient pas sur 32 bits signés.
std::optional<std::int32_t> localisateur(std::int32_t numero, unsigned mois, int annee);
struct Localisation {
    std::int32_t numero = 0;  // 1 pour la ligne 6 du fichier
    unsigned mois = 0;
    std::string fichier;  // reconstruit avec l'année "19" + deux chiffres
};
std::optional<Localisation> lire_localisateur(std::int32_t valeur);

// Le résumé de la question du démarrage (lignes séparées par "\n").
std::string resume_connexion(std::string_view ligne, const ReglagesMonnaie& monnaie);

}  // namespace lumi
