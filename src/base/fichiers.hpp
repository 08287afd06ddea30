#pragma once
// Lecture et remplacement atomique de fichiers : un crash laisse l'ancien ou le nouveau
// contenu, jamais la moitié d'un. Ce que le programme crée est privé : heures d'appel, coûts et
// noms d'utilisateurs ne regardent que l'utilisateur, quel que soit son masque (umask).
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace lumi {

// Un chemin depuis un texte UTF-8 (nom d'un mois, argument, réglage). Sous Windows, std::filesystem
// lit un std::string octet par octet (« é » en UTF-8 y deviendrait « Ã© » sur le disque) mais rend
// string() en UTF-8 : le passage par char8_t est de l'UTF-8 dans les deux sens, partout.
std::filesystem::path chemin_utf8(std::string_view texte);
inline std::optional<std::filesystem::path> chemin_utf8_facultatif(const std::optional<std::string>& texte) {
    if (!texte) return std::nullopt;
    return chemin_utf8(*texte);
}

// Tout le contenu d'un fichier ; rien s'il n'existe pas ou ne se lit pas.
std::optional<std::string> lire_fichier(const std::filesystem::path& chemin);
// Le même contenu lu dans `tampon`, gardé d'un appel à l'autre pour qui lit beaucoup de fichiers à
// la suite (sa taille ne redescend pas) ; la vue rendue couvre les octets lus.
std::optional<std::string_view> lire_fichier_dans(const std::filesystem::path& chemin, std::string& tampon);

// Droits d'un fichier que le programme crée, et d'un dossier.
inline constexpr std::filesystem::perms droits_fichier_prive =
    std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;
inline constexpr std::filesystem::perms droits_dossier_prive = std::filesystem::perms::owner_all;

// Écrit `contenu` dans un fichier temporaire du même dossier, le vide sur le disque, le renomme
// sur `chemin` puis vide le dossier. Chaque écriture, vidage et renommage est vérifié : en cas
// d'échec lève ErreurFichier (message français nommant le fichier) et laisse l'ancien fichier intact.
// Le fichier garde les droits de l'ancien ; un fichier neuf est privé (0600).
void remplacer_fichier(const std::filesystem::path& chemin, std::string_view contenu);

// Les étapes du remplacement, pour les essais qui l'interrompent comme un arrêt brutal.
enum class EtapeRemplacement {
    temporaire_vide,  // le nouveau contenu est sur le disque, sous le nom temporaire
    renomme,          // le nouveau fichier a pris la place de l'ancien (dossier pas encore vidé)
};
// `droits`, s'ils sont donnés, remplacent ceux de l'ancien fichier (une copie prend ceux de son
// original).
void remplacer_fichier(const std::filesystem::path& chemin, std::string_view contenu,
                       const std::function<void(EtapeRemplacement)>& point_arret,
                       std::optional<std::filesystem::perms> droits = std::nullopt);

// Ôte du dossier les fichiers temporaires de remplacer_fichier laissés par un processus tué (son
// numéro de processus, dans le nom, n'est plus en vie) : ceux de `cible` seule, ou, sans cible,
// ceux de tous les fichiers du dossier. Rend le nombre de fichiers ôtés ; une erreur n'arrête rien.
int oter_temporaires_abandonnes(const std::filesystem::path& dossier, std::string_view cible = {});

// Ouvre `chemin` avec les drapeaux d'open(2) ; s'il manque, le crée privé (0600) quel que soit le
// masque. Rend le descripteur, ou -1 avec errno.
int ouvrir_ou_creer_prive(const std::filesystem::path& chemin, int drapeaux);

// Crée le dossier et chacun de ses parents absents en 0700, quel que soit le masque ; ce qui
// existait garde ses droits. Rend l'erreur (vide quand le dossier est là).
std::error_code creer_dossiers_prives(const std::filesystem::path& dossier);

// La cause d'une erreur système (errno) en mots français : "disque plein", "accès refusé"...
std::string raison_erreur_fichier(int erreur);

// Vide le dossier sur le disque (après un renommage) ; lève ErreurFichier en cas d'échec.
void synchroniser_dossier(const std::filesystem::path& dossier);

}  // namespace lumi
