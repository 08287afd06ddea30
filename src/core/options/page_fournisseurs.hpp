#pragma once
// L'onglet " Fournisseurs d'accès " : pour chaque entrée de l'annuaire (et l'entrée fixe
// "Sélection automatique et mode manuel"), le tarif et les options tarifaires, dans la copie de
// travail "\temp providers" ; la fenêtre du délai d'anticipation (Tdelaiform).
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumi {

class AccesDistant;
class FichierIni;
class Registre;

namespace textes_fournisseurs {
inline constexpr std::string_view onglet = " Fournisseurs d'accès ";
inline constexpr std::string_view bouton_delai = "Délai d'anticipation ...";
inline constexpr std::string_view hint_delai = "Paramètrer le délai d'anticipation";
std::string conflit(std::string_view option, std::string_view option_deja_cochee);
}  // namespace textes_fournisseurs

// Un interrupteur d'option ("hot_checkbox" + numero).
struct InterrupteurOption {
    int numero = 0;
    std::string reference;
    std::string designation;
    std::string priorite;
    bool coche = false;
};

class PageFournisseurs {
public:
    // Remplit la liste des fournisseurs (l'entrée fixe puis l'annuaire), copie leurs clés dans
    // "\temp providers" (une copie laissée par un arrêt garde ses valeurs), lit les tarifs non
    // cachés et les options, choisit la première entrée, puis ôte de la copie les entrées disparues.
    void charger(Registre& registre, const AccesDistant& acces, const FichierIni& tarifs);

    const std::vector<std::string>& fournisseurs() const { return fournisseurs_; }
    // Liste des tarifs et bouton du délai : seulement quand l'annuaire a au moins une entrée.
    bool annuaire_present() const { return fournisseurs_.size() > 1; }
    int fournisseur() const { return fournisseur_; }
    const std::vector<std::string>& tarifs() const { return tarifs_; }
    int tarif() const { return tarif_; }
    const std::vector<InterrupteurOption>& options() const { return options_; }

    void choisir_fournisseur(int position);
    // Le tarif choisi pour le fournisseur ; rend le texte de l'information à montrer (messages M à
    // M+3 quand la clé `options` du tarif est un nombre M), vide sinon.
    std::string choisir_tarif(int position);
    // Coche ou décoche l'option `indice` (place dans options()) ; rend l'avertissement à montrer
    // quand une option de même priorité est déjà cochée (la nouvelle est refusée), vide sinon.
    std::string cocher(std::size_t indice, bool coche);

    // Le délai du fournisseur choisi ("" : absent).
    std::string anticipation() const;
    void definir_anticipation(const std::string& secondes);

    bool modifiee() const { return modifiee_; }

private:
    std::string cle() const;
    void lire_options();

    Registre* registre_ = nullptr;
    const FichierIni* tarifs_ini_ = nullptr;
    std::vector<std::string> fournisseurs_;
    int fournisseur_ = -1;
    std::vector<std::string> tarifs_;
    int tarif_ = -1;
    std::vector<InterrupteurOption> options_;
    bool modifiee_ = false;
};

// Tdelaiform : 3 chiffres au plus ; "&Valider" éteint jusqu'au premier changement.
class ModeleTdelaiform {
public:
    ModeleTdelaiform(std::string fournisseur, const std::string& anticipation);
    static constexpr std::string_view titre = "Paramètre avancé : délai d'anticipation";
    static constexpr std::string_view groupe = "Délai d'anticipation pour une connexion avec";
    static constexpr int sujet_aide = 5;
    // L'explication, un paragraphe par idée : la phrase sur la durée de connexion n'est pas coupée.
    static constexpr std::array<std::string_view, 3> explication = {
        "La détection réelle de la prise de ligne d'une connexion (l'instant où vous commencez à payer) "
        "n'est physiquement pas détectable. Le délai d'anticipation permet de rectifier le chronométrage "
        "de la durée de connexion en ajoutant le laps de temps qui s'écoule jusqu'à la détection par "
        "Lumicompteur 2000.",
        "Ce laps de temps varie de 10 à 15 secondes suivant les fournisseurs d'accès.",
        "Consultez l'aide pour savoir comment évaluer ce délai.",
    };
    const std::string& fournisseur() const { return fournisseur_; }
    const std::string& champ() const { return champ_; }
    // Une touche : chiffre, retour arrière ou Entrée ; toute autre est refusée (faux).
    static bool touche_acceptee(char32_t caractere);
    // Le texte du champ ; refusé (faux) s'il n'est pas fait de 0 à 3 chiffres.
    bool saisir(std::string_view texte);
    bool valider_actif() const { return modifie_; }
    // Ce qui est rangé comme "anticipation" (un champ vide range une valeur vide, lue 0).
    const std::string& a_ranger() const { return champ_; }

private:
    std::string fournisseur_;
    std::string champ_;
    bool modifie_ = false;
};

}  // namespace lumi
