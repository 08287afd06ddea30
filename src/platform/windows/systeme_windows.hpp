#pragma once
// Le système sous Windows : l'utilisateur de la session (GetUserName), les profils de la machine
// (sous-clés de ProfileList) et le démarrage automatique par une valeur de la clé Run, les deux
// sous HKEY_LOCAL_MACHINE comme les réglages.
#include "core/systeme.hpp"
#include "settings/registre_windows.hpp"

namespace lumi {

inline constexpr std::string_view cle_demarrage_windows = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr std::string_view cle_profils_windows =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ProfileList";

// La ligne de commande d'une valeur Run : chaque élément entre guillemets s'il contient une espace
// ou un guillemet (doublé à l'intérieur de la ligne, à la manière de CommandLineToArgvW).
std::string ligne_commande_windows(const CommandeSysteme& commande);
// L'inverse, selon les règles de CommandLineToArgvW ; rien pour une ligne vide.
std::optional<CommandeSysteme> lire_ligne_commande_windows(std::string_view ligne);

class SystemeWindows final : public Systeme {
public:
    explicit SystemeWindows(RegistreWindows::Ruche ruche = RegistreWindows::Ruche::machine)
        : registre_(ruche) {}

    std::string utilisateur_connecte() const override;
    std::vector<std::string> profils_utilisateurs() const override;
    std::optional<CommandeSysteme> lire_demarrage_automatique(std::string_view nom) const override;
    bool ecrire_demarrage_automatique(std::string_view nom, const CommandeSysteme& commande) override;
    void effacer_demarrage_automatique(std::string_view nom) override;

private:
    RegistreWindows registre_;
};

}  // namespace lumi
