#pragma once
// Le magasin de réglages en mémoire, pour les tests.
#include <memory>
#include <utility>

#include "settings/registre.hpp"

namespace lumi {

class RegistreMemoire final : public Registre {
public:
    RegistreMemoire();
    ~RegistreMemoire() override;

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
    struct Noeud;
    // Le nœud de la clé et son parent (nul pour la racine) ; nœud nul si la clé manque.
    std::pair<Noeud*, Noeud*> trouver(std::string_view cle) const;

    std::unique_ptr<Noeud> racine_;
};

}  // namespace lumi
