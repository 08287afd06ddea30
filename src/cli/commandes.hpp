#pragma once
// Les commandes de lumicompteur-outil : chacune reçoit ses arguments (sans le nom de la commande)
// et écrit sur les flux donnés, pour que les tests la lancent sans processus.
#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "history/fenetre/passage_historique.hpp"
#include "history/graphique_mois.hpp"

namespace lumi::cli {

// Codes de sortie communs à toutes les commandes.
inline constexpr int sortie_ok = 0;
inline constexpr int sortie_erreur = 1;  // erreur du moteur (fichier, valeur invalide...)
inline constexpr int sortie_usage = 2;   // mauvais arguments

struct Flux {
    std::ostream& sortie;
    std::ostream& erreur;
};

using FonctionCommande = int (*)(std::span<const std::string> arguments, Flux flux);

struct Commande {
    std::string_view nom;
    std::string_view usage;  // une ligne, en français, sans le nom du programme
    FonctionCommande executer;
};

// Toutes les commandes connues.
std::span<const Commande> commandes();

// Point d'entrée : arguments sans le nom du programme.
int executer(std::span<const std::string> arguments, Flux flux);

// Écrit l'usage de la commande (ou de toutes) sur le flux d'erreur et rend sortie_usage.
int erreur_usage(Flux flux, std::string_view commande, std::string_view detail = {});

// Le rapport de l'historique à écrire en PDF : le dessin demande Qt, que la bibliothèque de l'outil
// ne lie pas ; le programme lumicompteur-outil-dessin le fournit (definir_export_pdf).
struct RapportPdf {
    std::string periode;  // "Du ... au ..."
    const std::vector<LigneListeHistorique>* lignes = nullptr;
    StatistiquesHistorique statistiques;
    std::string titre_total;
    std::string devise;
    char separateur = ',';  // séparateur décimal des montants de la liste
};
using ExportPdf = std::function<bool(const std::string& fichier, const RapportPdf& rapport)>;
void definir_export_pdf(ExportPdf exporter);
const ExportPdf& export_pdf();
// Le graphique des mois en image PNG, de même fourni par le programme.
using ExportGraphique = std::function<bool(const std::string& fichier, const GraphiqueMois& graphique)>;
void definir_export_graphique(ExportGraphique exporter);
const ExportGraphique& export_graphique();

// Vrai si la commande dessine avec Qt (« historique » avec --pdf ou --graphique) : lumicompteur-outil
// la passe alors à lumicompteur-outil-dessin.
bool commande_qui_dessine(std::span<const std::string> arguments);

// Déclarations des commandes, une par fichier commande_*.cpp.
int commande_registre(std::span<const std::string> arguments, Flux flux);
int commande_prix(std::span<const std::string> arguments, Flux flux);
int commande_jour(std::span<const std::string> arguments, Flux flux);
int commande_paques(std::span<const std::string> arguments, Flux flux);
int commande_tarifs(std::span<const std::string> arguments, Flux flux);
int commande_simuler(std::span<const std::string> arguments, Flux flux);
int commande_importer(std::span<const std::string> arguments, Flux flux);
int commande_historique(std::span<const std::string> arguments, Flux flux);
int commande_annuaire(std::span<const std::string> arguments, Flux flux);

}  // namespace lumi::cli
