#pragma once
// Le magasin de réglages sous Windows : le registre de la machine, où les éditions précédentes
// rangeaient déjà leurs réglages. Les chemins de clé du magasin ("Software\...\Lumicompteur 99")
// y sont pris sous HKEY_LOCAL_MACHINE (ou HKEY_CURRENT_USER), tels quels.
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "settings/registre.hpp"

namespace lumi {

class RegistreWindows final : public Registre {
public:
    enum class Ruche { machine, utilisateur };

    // Les commandes qui ne font que lire ouvrent le magasin en lecture seule : toute écriture y
    // est refusée, comme avec la base SQLite.
    enum class Acces { lecture_ecriture, lecture_seule };

    explicit RegistreWindows(Ruche ruche = Ruche::machine) : ruche_(ruche) {}
    // Un magasin posé sous une clé de la ruche (« Software\Éditeur\Essais ») : ses chemins partent
    // de là, et sa racine, qui n'est pas la ruche, se vide comme celle des autres magasins.
    RegistreWindows(Ruche ruche, std::string base) : ruche_(ruche), base_(std::move(base)) {}
    // Le registre est celui de la machine : le fichier de base du dossier de données n'y a pas
    // cours, ce constructeur existe pour que l'outil ouvre son magasin de la même façon partout.
    explicit RegistreWindows(const std::filesystem::path&, Acces acces = Acces::lecture_ecriture)
        : ruche_(Ruche::machine), lecture_seule_(acces == Acces::lecture_seule) {}

    static constexpr const char* nom_fichier = "reglages.sqlite";
    // Jamais de base à remplacer ici.
    const std::optional<std::string>& avertissement() const { return avertissement_; }

    std::string lire_valeur(std::string_view cle, std::string_view nom) const override;
    bool ecrire_valeur(std::string_view cle, std::string_view nom, std::string_view texte) override;
    bool ecrire_valeur_et_vider(std::string_view cle, std::string_view nom, std::string_view texte) override;
    bool effacer_valeur(std::string_view cle, std::string_view nom) override;
    std::vector<std::string> lister_sous_cles(std::string_view cle) const override;
    std::vector<std::string> lister_valeurs(std::string_view cle) const override;
    bool cle_existe(std::string_view cle) const override;
    bool creer_cle(std::string_view cle) override;
    bool effacer_cle_feuille(std::string_view cle) override;

private:
    bool ecrire(std::string_view cle, std::string_view nom, std::string_view texte, bool vider);

    bool refuser_en_lecture_seule(std::string_view cle) const;
    std::wstring chemin(std::string_view cle) const;

    Ruche ruche_;
    std::string base_;
    bool lecture_seule_ = false;
    std::optional<std::string> avertissement_;
};

}  // namespace lumi
