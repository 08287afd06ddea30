#pragma once
// La reprise de l'historique de l'édition précédente (« Lumicompteur 98 ») : où ses fichiers se
// trouvent sur une machine Linux, lesquels sont des fichiers du mois, et leur copie dans le dossier
// Historique de cette édition, sans jamais perdre un fichier déjà là.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "actions/dialogue.hpp"
#include "settings/registre.hpp"

namespace lumi {

inline constexpr std::string_view nom_edition_98 = "Lumicompteur 98";

// Ce qu'une recherche a trouvé : le dossier source et les noms (sans dossier) des fichiers du mois,
// dans l'ordre des noms. Pas de source : rien trouvé.
struct FichiersTrouves {
    std::optional<std::filesystem::path> source;
    std::vector<std::string> fichiers;
};

// Les noms "*.fct" de `dossier` dont le début (sans les six derniers caractères, « 99.fct ») est un
// nom de mois français ; un nom écrit en Windows-1252 est rendu en UTF-8.
std::vector<std::string> recherche_des_fichiers(const std::filesystem::path& dossier);

// Les fichiers du mois d'un dossier, sinon ceux de son sous-dossier « historique » (toute casse).
FichiersTrouves recherche_dans_dossier(const std::filesystem::path& dossier);

// Où l'environnement dit que vivait l'édition précédente.
struct EnvironnementImport {
    std::filesystem::path personnel;                      // HOME
    std::optional<std::filesystem::path> config;          // XDG_CONFIG_HOME (défaut ~/.config)
    std::optional<std::filesystem::path> prefixe_wine;    // WINEPREFIX (défaut ~/.wine)
    std::vector<std::filesystem::path> config_systeme{"/etc/xdg"};  // XDG_CONFIG_DIRS
    static EnvironnementImport du_processus();
};

// Le dossier du programme de l'édition précédente d'après sa commande de démarrage : l'entrée XDG
// « Lumicompteur 98.desktop » (son Exec), sinon la valeur « Lumicompteur 98 » de la clé Run du
// system.reg du préfixe Wine, son chemin Windows traduit par les dosdevices du préfixe.
std::optional<std::filesystem::path> dossier_commande_edition_98(const EnvironnementImport& env);

// Un chemin Windows ("C:\Program Files\...") dans le préfixe Wine : le lecteur par dosdevices
// (drive_c pour C: à défaut), chaque élément retrouvé sans tenir compte de la casse.
std::optional<std::filesystem::path> chemin_wine(const std::filesystem::path& prefixe, std::string_view windows);

// La recherche automatique : le dossier de la commande de démarrage (puis son sous-dossier
// « historique »), sinon la valeur « Path » du magasin (son sous-dossier « Historique », puis
// lui-même). Rien trouvé : la page de recherche manuelle suit.
FichiersTrouves recherche_automatique(const EnvironnementImport& env, const Registre& registre);

// La clé du magasin qui garde « Path », le dossier de l'édition précédente.
std::string cle_chemin_edition_98();

// Le résultat de la copie : les fichiers copiés, ceux laissés sur « &Non », et ceux qui n'ont pas pu
// l'être avec leur raison (le fichier déjà là est alors intact).
struct ResultatCopie {
    std::vector<std::string> copies;
    std::vector<std::string> laisses;
    std::vector<std::pair<std::string, std::string>> echecs;
};

// La question posée pour un fichier déjà là : « &Oui », « &Non » ou « &Tout ».
using QuestionRemplacement = std::function<Reponse(const std::string& texte)>;
std::string texte_question_remplacement(std::string_view nom);

// Copie chaque fichier de `source` dans `historique` : un fichier déjà là n'est remplacé qu'après
// la question (« &Tout » vaut oui pour les suivants, sans autre question). La copie passe par un
// fichier temporaire vidé sur le disque puis renommé : un échec laisse la destination telle
// qu'elle était. Le dossier Historique lui-même comme source ne copie rien.
ResultatCopie copie_des_fichiers(const std::filesystem::path& source, const std::vector<std::string>& fichiers,
                                 const std::filesystem::path& historique, const QuestionRemplacement& question);

}  // namespace lumi
