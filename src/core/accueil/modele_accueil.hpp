#pragma once
// La fenêtre de la première utilisation (Taccueilform) sans Qt : ses sept pages, leurs textes et
// leurs boutons, et ce que fait chaque bouton (recherche automatique, recherche manuelle, copie).
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/accueil/import_historique.hpp"
#include "actions/dialogue.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/registre.hpp"

namespace lumi {

enum class PageAccueil { bienvenue, recherche, manuelle, liste, copies, fin_import, derniere };

inline constexpr std::string_view titre_accueil = "Première utilisation";
inline constexpr std::string_view version_accueil = "V1.3";
inline constexpr std::string_view avertissement_accueil = "Attention, cette fenêtre n'apparaîtra qu'une seule fois !";
inline constexpr std::string_view groupe_chemin_manuel = "Chemin du répertoire ancienne version";
inline constexpr std::string_view titre_choix_dossier = "Restauration des fichiers Historique";
inline constexpr std::string_view filtre_choix_dossier = "Fichiers Historique (*.fct)";
inline constexpr std::string_view bonne_utilisation = "Bonne utilisation de Lumicompteur 2000 !";

// Ce que la page montre : un en-tête (bienvenue : message 102), le texte principal, une note
// sous lui (ou sous la liste).
struct ContenuPage {
    std::string entete;
    std::string texte;
    std::string note;
};

struct BoutonsAccueil {
    bool annuler = false;           // visible et actif
    bool suivant = true;            // visible
    bool suivant_actif = true;
    bool terminer_actif = false;
};

class ModeleAccueil {
public:
    struct Coutures {
        const FichierIni& reglages;  // les messages
        const Registre& registre;    // « Path » de l'édition précédente
        Dialogue& dialogue;
        std::filesystem::path historique;  // le dossier Historique de cette édition
        EnvironnementImport environnement;
    };
    explicit ModeleAccueil(Coutures coutures);

    PageAccueil page() const { return page_; }
    ContenuPage contenu() const;
    BoutonsAccueil boutons() const;

    // La page de recherche manuelle : le champ du chemin et le dossier choisi par « ... ».
    const std::string& chemin_manuel() const { return chemin_manuel_; }
    void changer_chemin(std::string chemin) { chemin_manuel_ = std::move(chemin); }
    void choisir_dossier(const std::filesystem::path& dossier);

    const std::vector<std::string>& fichiers() const { return trouves_.fichiers; }
    const std::optional<std::filesystem::path>& source() const { return trouves_.source; }
    const ResultatCopie& resultat_copie() const { return copie_; }

    void suivant();
    void annuler();
    void terminer() { termine_ = true; }
    bool termine() const { return termine_; }

private:
    std::string message(int numero) const;
    std::string messages(int premier, int dernier) const;
    void montrer_manuelle();

    Coutures c_;
    PageAccueil page_ = PageAccueil::bienvenue;
    std::string chemin_manuel_;
    FichiersTrouves trouves_;
    ResultatCopie copie_;
    bool termine_ = false;
};

}  // namespace lumi
