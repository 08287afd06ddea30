#pragma once
// Chaque réglage en une table : où il est rangé, son nom, son défaut, et le test qui dit "actif"
// ("oui" seul, ou tout sauf "non"). Aucun lecteur n'invente son propre défaut.
#include <string>
#include <string_view>
#include <vector>

#include "settings/cles.hpp"
#include "settings/registre.hpp"

namespace lumi {

class FichierIni;

// Quel test décide qu'un drapeau est actif.
enum class TestDrapeau {
    aucun,          // pas un drapeau
    egal_oui,       // inactif par défaut : seul "oui" l'active
    different_non,  // actif par défaut : tout sauf "non", absence comprise
};

inline bool est_oui(std::string_view texte) {
    return texte == "oui";
}
inline bool different_de_non(std::string_view texte) {
    return texte != "non";
}

// Un réglage du registre : suffixe de section (cles::options...), nom, défaut, test.
struct ParametreRegistre {
    std::string_view section;
    std::string_view nom;
    std::string_view defaut;
    TestDrapeau test = TestDrapeau::aucun;
    // Drapeau dont l'état inactif se range comme l'absence de la valeur, jamais comme "non".
    bool absent_si_inactif = false;
};

// Un réglage de lumicompteur.ini.
struct ParametreIni {
    std::string_view section;
    std::string_view cle;
    std::string_view defaut;
    TestDrapeau test = TestDrapeau::aucun;
};

// Valeur lue, le défaut remplaçant l'absence et le texte vide. Section : suffixe sous cles::racine.
std::string lire(const Registre& registre, const ParametreRegistre& p);
std::string lire(const FichierIni& ini, const ParametreIni& p);
// Drapeau lu selon son test ; un réglage qui n'est pas un drapeau n'est actif que sur "oui".
bool actif(const Registre& registre, const ParametreRegistre& p);
bool actif(const FichierIni& ini, const ParametreIni& p);
void ecrire(Registre& registre, const ParametreRegistre& p, std::string_view texte);
// Range un drapeau : "oui", ou "non" (absence de la valeur si absent_si_inactif).
void ecrire_drapeau(Registre& registre, const ParametreRegistre& p, bool valeur);

namespace parametres {

// Sections de lumicompteur.ini.
inline constexpr std::string_view section_detection_automatique = "detection automatique";
inline constexpr std::string_view section_affichage_des_prix = "affichage des prix";
inline constexpr std::string_view section_gestion_afficheur = "gestion afficheur";
inline constexpr std::string_view section_parametres_historique = "Paramètres de l'historique";
inline constexpr std::string_view section_taille_des_colonnes = "taille des colonnes";
inline constexpr std::string_view section_position_normale = "position normale";
inline constexpr std::string_view section_deconnexion_fin_telechargement = "deconnexion fin telechargement";
inline constexpr std::string_view section_messages_utilisateurs = "messages utilisateurs";

// --- "\options" ---
inline constexpr ParametreRegistre path{cles::options, "path", ""};
inline constexpr ParametreRegistre params{cles::options, "params", ""};
// Tout sauf "non" : premier démarrage de cette édition (migration, import de l'historique).
inline constexpr ParametreRegistre premiere_utilisation_2000{cles::options, "1ere utilisation2000", "oui",
                                                             TestDrapeau::different_non};
inline constexpr ParametreRegistre detection_ras{cles::options, "detection ras", "non",
                                                 TestDrapeau::egal_oui};
inline constexpr ParametreRegistre afficher_auto{cles::options, "afficher auto", "oui",
                                                 TestDrapeau::different_non};
inline constexpr ParametreRegistre cacher_auto{cles::options, "cacher auto", "non", TestDrapeau::egal_oui};
inline constexpr ParametreRegistre taille{cles::options, "taille", "normale"};
// "barre", ou la forme « afficheur » pour tout autre texte.
inline constexpr ParametreRegistre taille_reduite{cles::options, "taille reduite", "afficheur"};
inline constexpr ParametreRegistre anti_crash{cles::options, "anti crash", "oui", TestDrapeau::different_non};
// "0".."3" : période des instantanés, voir periode_sauvegarde_crash.
inline constexpr ParametreRegistre frequence_save_crash{cles::options, "frequence save crash", "1"};
inline constexpr ParametreRegistre sauv_crash{cles::options, "sauv crash", ""};
inline constexpr ParametreRegistre sauv_forfait{cles::options, "sauv forfait", ""};
inline constexpr ParametreRegistre sauv_total_facture{cles::options, "sauv total facture", ""};
inline constexpr ParametreRegistre cout_total{cles::options, "cout total", "0"};
inline constexpr ParametreRegistre total_time{cles::options, "total time", "0"};
// Un indice au-delà de la liste des options se lit "0" (au lecteur de le ramener).
inline constexpr ParametreRegistre derniere_reduc{cles::options, "derniere reduc", "0"};
inline constexpr ParametreRegistre total_avec_reduc{cles::options, "TOTAL avec reduc", "oui",
                                                    TestDrapeau::different_non};
inline constexpr ParametreRegistre alsace{cles::options, "Alsace", "", TestDrapeau::egal_oui, true};
inline constexpr ParametreRegistre message_1{cles::options, "message 1", "oui", TestDrapeau::different_non};
inline constexpr ParametreRegistre type_programmation{cles::options, "type programmation", "0"};
// La fenêtre de programmation le montre coché sauf sur "non" ; le résumé et l'exécution ne
// raccrochent que sur "oui" (se_deconnecter_execution).
inline constexpr ParametreRegistre se_deconnecter{cles::options, "se deconnecter", "oui",
                                                  TestDrapeau::different_non};
inline constexpr ParametreRegistre se_deconnecter_execution{cles::options, "se deconnecter", "",
                                                            TestDrapeau::egal_oui};
inline constexpr ParametreRegistre exit_window{cles::options, "exit window", "non", TestDrapeau::egal_oui};
inline constexpr ParametreRegistre alarme_download{cles::options, "alarme download", "non",
                                                   TestDrapeau::egal_oui};
inline constexpr ParametreRegistre delai_auto_validation{cles::options, "delai auto validation", "10"};
// Par défaut "alarme.wav", relatif au dossier de données (celui du programme).
inline constexpr ParametreRegistre son_alarme{cles::options, "son alarme", "alarme.wav"};
// Les notifications du bureau : toutes sauf celle de chaque fin de connexion, qui serait du bruit
// pour qui se connecte souvent.
inline constexpr ParametreRegistre notifications_bureau{cles::options, "notifications bureau", "oui",
                                                        TestDrapeau::different_non};
inline constexpr ParametreRegistre notification_fin_connexion{cles::options, "notification fin connexion",
                                                              "non", TestDrapeau::egal_oui};

// --- "\utilisateurs" ---
inline constexpr ParametreRegistre nb_d_utilisateurs{cles::utilisateurs, "nb d'utilisateurs", "0"};
inline constexpr ParametreRegistre dernier_utilisateur{cles::utilisateurs, "dernier utilisateur", ""};
inline constexpr ParametreRegistre dernier_tarif{cles::utilisateurs, "dernier tarif", ""};
inline constexpr ParametreRegistre selection_auto{cles::utilisateurs, "selection auto", "non",
                                                  TestDrapeau::egal_oui};
inline constexpr ParametreRegistre utiliser_profil{cles::utilisateurs, "utiliser profil", "oui",
                                                   TestDrapeau::different_non};

// --- lumicompteur.ini ---
// "oui" : détection par l'accès réseau à distance seul.
inline constexpr ParametreIni only_ras{section_detection_automatique, "only RAS", "non",
                                       TestDrapeau::egal_oui};
// "ttc" ou "hors taxes".
inline constexpr ParametreIni affichage{section_affichage_des_prix, "affichage", "ttc"};
// Absent : la fenêtre principale affiche 3 décimales, la fenêtre des options en propose 2.
inline constexpr ParametreIni nb_de_decimales{section_gestion_afficheur, "nb de decimales", "3"};
inline constexpr ParametreIni nb_de_decimales_fenetre_options{section_gestion_afficheur, "nb de decimales",
                                                              "2"};
inline constexpr ParametreIni selection{section_parametres_historique, "selection", "0"};
inline constexpr ParametreIni position_x{section_position_normale, "position x", "indefini"};
inline constexpr ParametreIni position_y{section_position_normale, "position y", "indefini"};
inline constexpr ParametreIni nb_de_fiches{section_deconnexion_fin_telechargement, "nb de fiches", "0"};
// Octets par seconde reçus par la connexion au-delà desquels un téléchargement est en cours ; 0 : le
// trafic n'est pas surveillé.
inline constexpr ParametreIni debit_minimum{section_deconnexion_fin_telechargement, "debit minimum", "2048"};

// --- Familles numérotées ---
// "\options" : mot de passe brouillé de l'utilisateur n (à partir de 1), vide = aucun.
std::string nom_pdata(int numero);
// "\utilisateurs" : nom de l'utilisateur n, n = 1 .. "nb d'utilisateurs".
std::string nom_utilisateur(int numero);
// "nb d'utilisateurs" : illisible ou négatif, il vaut 0 ; borné pour qu'une valeur folle ne bloque pas.
int nombre_utilisateurs(const Registre& registre);
// Les noms rangés, dans l'ordre, vides compris.
std::vector<std::string> lire_noms_utilisateurs(const Registre& registre);
// "\forfaits" : secondes restantes du forfait de cette référence ; absent = forfait plein.
std::string nom_time(std::string_view reference_forfait);
// "\temp raz forfaits", par numéro d'option k : mode, jour et période (sans blanc) de remise à zéro.
std::string nom_raz(int option);
std::string nom_raz_le(int option);
std::string nom_razj(int option);
// lumicompteur.ini : titre de fenêtre surveillé n, largeur de colonne n.
std::string cle_fiche(int numero);
std::string cle_colonne(int numero);

// Période des instantanés en secondes selon "frequence save crash" : "0" = 60, "1" = 30,
// "2" = 15, "3" = 5, tout autre nombre 10 ; absent ou pas un nombre = 30 (le défaut "1").
int periode_sauvegarde_crash(std::string_view frequence);
int periode_sauvegarde_crash(const Registre& registre);

}  // namespace parametres

}  // namespace lumi
