#pragma once
// Les utilisateurs de la fenêtre principale : la liste rangée, la ligne choisie dans le sélecteur
// (ComboBox1), l'utilisateur en cours (celui des enregistrements), la marque du cadenas et la liste
// des mots de passe (leurs empreintes, jamais le clair). Un mot de passe ne verrouille rien ici : il
// montre le cadenas et protège le choix de l'utilisateur dans la boîte de la fin de connexion.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/historique_compteur.hpp"
#include "settings/registre.hpp"

namespace lumi {

// Une ligne du sélecteur telle qu'elle se dessine : le nom, le cadenas à droite des utilisateurs
// protégés, la marque à gauche de la ligne choisie, la couleur du texte actif.
struct LigneUtilisateur {
    std::string nom;
    bool protege = false;
    bool choisie = false;

    friend bool operator==(const LigneUtilisateur&, const LigneUtilisateur&) = default;
};

// Elle dit aussi à l'historique pour qui enregistrer une connexion.
class ListeUtilisateurs final : public SelectionUtilisateur {
public:
    explicit ListeUtilisateurs(Registre& registre) : registre_(registre) {}

    // Sélection du démarrage : "dernier utilisateur", la liste rangée ; sans utilisateur rangé, les
    // profils donnés deviennent la liste ; puis, si "utiliser profil" n'est pas "non", l'utilisateur
    // du système (ni vide ni "noname") est choisi, ajouté à la liste s'il n'y est pas.
    void selection_au_demarrage(const std::vector<std::string>& profils,
                                std::string_view utilisateur_systeme);

    // Rangement de la fenêtre des options : les anciens "utilisateur " + n et "pdata " + n effacés,
    // la liste éditée et ses empreintes écrites, leur nombre ; l'utilisateur en cours reste choisi
    // s'il est encore là, sinon la première ligne.
    void ranger(const std::vector<std::string>& noms, const std::vector<std::string>& empreintes);
    // Relit les mots de passe rangés (la fenêtre des options annulée).
    void relire_mots_de_passe() { lire_mots_de_passe(); }

    // Relit les utilisateurs rangés (après la fenêtre des options) ; l'utilisateur en cours reste
    // choisi s'il est encore là, sinon la première ligne.
    void relire();

    // Choix à la main (ou comme à la main) : devient l'utilisateur en cours, rangé comme
    // "dernier utilisateur". Une position hors de la liste ne fait rien.
    void choisir(int position);

    // Un argument de la ligne de commande, premier "-" ôté, égal à un nom sans égard à la casse.
    bool selectionner_argument(std::string_view argument);
    // Le texte "params" d'un second démarrage : chaque utilisateur dont le nom en minuscules paraît
    // dans le texte en minuscules est choisi, dans l'ordre de la liste (le dernier trouvé reste).
    bool selectionner_params(std::string_view params);

    const std::vector<std::string>& noms() const { return noms_; }
    bool protege(int position) const;
    // Empreinte de chaque utilisateur, même ordre ; vide : non protégé.
    const std::vector<std::string>& empreintes() const { return empreintes_; }
    int position() const { return position_; }
    const std::string& utilisateur_en_cours() const { return utilisateur_en_cours_; }
    // Aucun utilisateur déclaré : liste vide, ou première ligne vide.
    bool aucun_utilisateur() const { return noms_.empty() || noms_.front().empty(); }

    // Ce que la zone de l'utilisateur montre.
    const std::string& Label6() const { return utilisateur_en_cours_; }
    bool Image12_visible() const { return protege(position_); }
    std::vector<LigneUtilisateur> lignes() const;

    // La boîte de sélection de la fin de connexion, que la coquille fournit ; elle rappelle
    // `enregistrer` avec l'utilisateur confirmé. Sans elle, la connexion va à l'utilisateur en cours
    // ("non identifié" s'il n'y en a pas).
    std::function<void(std::function<void(const std::string&)> enregistrer)> boite_selection;

    // SelectionUtilisateur : la ligne choisie, son cadenas, la boîte.
    std::optional<std::string> utilisateur_selectionne() const override;
    bool utilisateur_protege() const override { return protege(position_); }
    void demander_utilisateur(std::function<void(const std::string&)> enregistrer) override;

private:
    void lire_liste();
    void lire_mots_de_passe();  // liste_des_utilisateur_proteges : les empreintes rangées
    void ecrire_utilisateur(int numero, std::string_view nom);
    int indice(std::string_view nom) const;

    Registre& registre_;
    std::vector<std::string> noms_;
    std::vector<std::string> empreintes_;
    int position_ = -1;
    std::string utilisateur_en_cours_;
};

}  // namespace lumi
