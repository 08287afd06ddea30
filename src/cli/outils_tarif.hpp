#pragma once
// Ce que partagent les commandes du moteur tarifaire (prix, jour, paques) : options "--nom valeur"
// et le dossier de données ouvert en lecture seule.
#include <filesystem>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "base/dates.hpp"
#include "settings/registre.hpp"

namespace lumi::cli {

// Un montant ou un prix dans les lignes cle=valeur de l'outil : six décimales, point décimal.
std::string six_decimales(double valeur);

struct OptionsCommande {
    std::map<std::string, std::string, std::less<>> valeurs;  // "--tarif" -> "Tarification locale"
    std::set<std::string, std::less<>> drapeaux;              // "--alsace"

    std::optional<std::string> valeur(std::string_view nom) const;
    bool drapeau(std::string_view nom) const { return drapeaux.contains(nom); }
};

// Analyse "--nom valeur", "--nom=valeur" et les drapeaux connus. Rend le détail de l'erreur
// d'usage (option inconnue, donnée deux fois, valeur manquante, argument en trop), vide si tout va.
std::string analyser_options(std::span<const std::string> arguments,
                             std::initializer_list<std::string_view> avec_valeur,
                             std::initializer_list<std::string_view> drapeaux, OptionsCommande& resultat);

// Plus ancienne année que la règle de Pâques sait traiter.
inline constexpr int premiere_annee = 1700;
inline constexpr int derniere_annee = 9999;

// "JJ/MM/AAAA" (années de premiere_annee à derniere_annee).
std::optional<NumeroJour> lire_date_commande(std::string_view texte);
// "JJ/MM/AAAA HH:MM:SS".
std::optional<Moment> lire_moment_commande(std::string_view texte);

// Le dossier de données lu sans rien y écrire : `--dossier` s'il est donné, sinon le dossier du
// programme ou celui de l'utilisateur (amorcé comme au premier lancement). Le magasin de réglages
// n'est ouvert que s'il existe ; sinon un magasin vide en mémoire en tient lieu.
struct DossierTarifaire {
    std::filesystem::path dossier;
    std::unique_ptr<Registre> registre;
    std::filesystem::path fichier_tarifs() const;
};
DossierTarifaire ouvrir_dossier_tarifaire(const std::optional<std::string>& option_dossier);

// Lève ErreurConversion si le fichier des tarifs n'a pas de section `nom` (`libelle` : "Tarif inconnu"...),
// ErreurFichier s'il manque ou est inutilisable (dossier, illisible, pas un texte...).
void verifier_section(const std::filesystem::path& fichier_tarifs, std::string_view libelle,
                      std::string_view nom);

}  // namespace lumi::cli
