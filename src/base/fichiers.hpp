#pragma once
// Lecture et remplacement atomique de fichiers : un crash laisse l'ancien ou le nouveau
// contenu, jamais la moitié d'un.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace lumi {

// Tout le contenu d'un fichier ; rien s'il n'existe pas ou ne se lit pas.
std::optional<std::string> lire_fichier(const std::filesystem::path& chemin);

// Écrit `contenu` dans un fichier temporaire du même dossier, le vide sur le disque, le renomme
// sur `chemin` puis vide le dossier. Chaque écriture, vidage et renommage est vérifié : en cas
// d'échec lève ErreurFichier (message français nommant le fichier) et laisse l'ancien fichier intact.
void remplacer_fichier(const std::filesystem::path& chemin, std::string_view contenu);

// Les étapes du remplacement, pour les essais qui l'interrompent comme un arrêt brutal.
enum class EtapeRemplacement {
    temporaire_vide,  // le nouveau contenu est sur le disque, sous le nom temporaire
    renomme,          // le nouveau fichier a pris la place de l'ancien (dossier pas encore vidé)
};
void remplacer_fichier(const std::filesystem::path& chemin, std::string_view contenu,
                       const std::function<void(EtapeRemplacement)>& point_arret);

// La cause d'une erreur système (errno) en mots français : "disque plein", "accès refusé"...
std::string raison_erreur_fichier(int erreur);

// Vide le dossier sur le disque (après un renommage) ; lève ErreurFichier en cas d'échec.
void synchroniser_dossier(const std::filesystem::path& dossier);

}  // namespace lumi
