#pragma once
// Fichier INI aux règles des chaînes de profil de Windows : noms de section et de clé sans casse,
// la première occurrence gagne, valeurs coupées à 1023 caractères, écriture qui crée le fichier,
// la section ou la clé et laisse toutes les autres lignes telles qu'elles étaient.
// Windows-1252 sur le disque ; un fichier UTF-8 est accepté à la lecture. Un fichier UTF-16 marqué
// (le « Unicode » du Bloc-notes) se lit comme Windows le lit et se récrit en UTF-16.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumi {

class FichierIni {
public:
    // Lit le fichier une fois (un groupe d'accès) ; un fichier absent se lit comme vide. Un fichier
    // dont les octets n'ont pas changé depuis une lecture précédente n'est pas redécoupé.
    explicit FichierIni(std::filesystem::path chemin);

    const std::filesystem::path& chemin() const { return chemin_; }

    // La valeur (blancs aux bouts ôtés, au plus 1023 caractères), ou `defaut` si la clé manque.
    std::string lire(std::string_view section, std::string_view cle, std::string_view defaut = "") const;
    bool section_existe(std::string_view section) const;
    // Clés d'une section dans l'ordre du fichier.
    std::vector<std::string> cles(std::string_view section) const;

    // Écrit la valeur, en créant fichier, section ou clé ; remplace le fichier de façon atomique.
    // Lève ErreurFichier, message français nommant le fichier, si l'écriture échoue.
    void ecrire(std::string_view section, std::string_view cle, std::string_view texte);
    // Une entrée de journal : la clé est écrite en dernière de sa section (déplacée si elle y était
    // déjà), puis les plus anciennes clés de la section partent pour qu'il n'en reste que `garder`,
    // le tout en un seul remplacement du fichier. Mêmes erreurs que ecrire.
    void ajouter_trace(std::string_view section, std::string_view cle, std::string_view texte,
                       std::size_t garder);
    // Efface la clé (rien si elle manque) ; mêmes erreurs que ecrire.
    void effacer_cle(std::string_view section, std::string_view cle);

    // Relit le fichier sur le disque.
    void recharger();

    // Le fichier lu et découpé, partagé entre les accès qui ont lu les mêmes octets.
    struct Image;

private:
    void charger();
    // Relit le fichier, applique `modifier` à une copie de l'image et remplace le fichier si elle
    // a changé.
    template <typename Modification>
    void modifier_fichier(Modification modifier);

    std::filesystem::path chemin_;
    std::shared_ptr<const Image> image_;
    bool illisible_ = false;  // le fichier existe mais ne se lit pas : on refuse de l'écraser
};

// Longueur maximale d'une valeur lue, comme GetPrivateProfileString avec un tampon de 1024.
inline constexpr std::size_t longueur_max_valeur_ini = 1023;

// Une ligne plus longue n'a pu être écrite par le programme ni par un éditeur de réglages.
inline constexpr std::size_t longueur_max_ligne_ini = 64 * 1024;

// Ce qui rend un fichier INI inutilisable en entier, dit en une phrase qui commence par
// `designation` (« Le fichier des tarifs « /x/tarifs.ini » ») : introuvable, dossier, illisible, vide,
// pas un texte en Windows-1252, UTF-8 ou UTF-16 marqué (binaire, UTF-16 sans marque), lignes finies
// par un retour chariot seul, ligne démesurée. Rien s'il se lit comme un fichier INI.
std::optional<std::string> defaut_fichier_ini(const std::filesystem::path& chemin, std::string_view designation);

// Le message numéroté n : section "messages utilisateurs", clé "message " + n, vide par défaut.
std::string message_utilisateur(const FichierIni& reglages, int numero);

}  // namespace lumi
