#pragma once
// Le système sous Linux : l'utilisateur de la session et les comptes des personnes lus dans le
// fichier des comptes (passwd), et le démarrage automatique par un fichier .desktop du dossier
// autostart de la session ($XDG_CONFIG_HOME/autostart, sinon ~/.config/autostart). Sans Qt.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/systeme.hpp"
#include "settings/dossier_donnees.hpp"

namespace lumi {

// La valeur Exec d'un fichier .desktop pour cette commande : chaque argument entre guillemets
// quand il contient un caractère réservé, puis les échappements d'une chaîne du format.
std::string ligne_exec_desktop(const CommandeSysteme& commande);
// L'inverse ; rien si la valeur est mal formée (guillemet non fermé, échappement inconnu).
std::optional<CommandeSysteme> lire_ligne_exec_desktop(std::string_view valeur);

class SystemeLinux final : public Systeme {
public:
    explicit SystemeLinux(std::filesystem::path fichier_comptes = "/etc/passwd",
                          LecteurEnvironnement environnement = lire_environnement);

    std::string utilisateur_connecte() const override;
    // Les comptes dont l'uid va de 1000 à 59999 et dont l'interpréteur permet d'ouvrir une session.
    std::vector<std::string> profils_utilisateurs() const override;

    std::optional<CommandeSysteme> lire_demarrage_automatique(std::string_view nom) const override;
    bool ecrire_demarrage_automatique(std::string_view nom, const CommandeSysteme& commande) override;
    void effacer_demarrage_automatique(std::string_view nom) override;

    // Le dossier des entrées de démarrage automatique ; vide sans XDG_CONFIG_HOME absolu ni HOME.
    std::filesystem::path dossier_demarrage_automatique() const;
    std::filesystem::path fichier_demarrage_automatique(std::string_view nom) const;

private:
    std::filesystem::path fichier_comptes_;
    LecteurEnvironnement environnement_;
};

}  // namespace lumi
