#pragma once
// La fenêtre " Options et configuration " sans Qt : quatre onglets, chacun une page qui se charge
// des réglages et des copies de travail, prend les changements et range sur "&Valider". La fenêtre
// ne tient que les onglets, le sujet d'aide de l'onglet visible et l'ordre du rangement.
//
// Vie : ouvrir() à chaque ouverture (copies de travail faites, "&Valider" éteint), des changements,
// puis valider() ou annuler() ; fermer() (ou la destruction) efface les trois copies de travail.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "core/options/page_forfaits.hpp"
#include "core/options/page_fournisseurs.hpp"
#include "core/options/page_generale.hpp"
#include "core/options/page_utilisateurs.hpp"
#include "base/horloge.hpp"
#include "core/systeme.hpp"

namespace lumi {

class AccesDistant;
class CommandesFenetre;
class Compteur;
class Dialogue;
class ListeUtilisateurs;
class Registre;

enum class OngletOptions { generale, utilisateurs, fournisseurs, forfaits };

namespace textes_options {
inline constexpr std::string_view titre = " Options et configuration";
inline constexpr std::string_view annuler = "&Annuler";
inline constexpr std::string_view hint_annuler = "Fermer les options et annuler toutes les modifications";
inline constexpr std::string_view valider = "&Valider";
inline constexpr std::string_view hint_valider = "Enregistrer les modifications";
inline constexpr std::string_view aide = "Ai&de";
}  // namespace textes_options

// Le sujet d'aide de chaque onglet.
int sujet_aide_onglet(OngletOptions onglet);

struct LiensOptions {
    const Horloge& horloge;
    Registre& registre;
    Dialogue& dialogue;
    std::filesystem::path dossier_donnees;
    Compteur& compteur;
    CommandesFenetre& commandes;
    ListeUtilisateurs& utilisateurs;
    const AccesDistant& acces_distant;
    // L'entrée de démarrage automatique de la session ; sans système (démonstration), l'interrupteur
    // montre l'absence et rien n'est écrit.
    Systeme* systeme = nullptr;
    CommandeSysteme commande_demarrage;
};

class ModeleToptionform {
public:
    explicit ModeleToptionform(LiensOptions liens);
    ~ModeleToptionform();
    ModeleToptionform(const ModeleToptionform&) = delete;
    ModeleToptionform& operator=(const ModeleToptionform&) = delete;

    // Remplit chaque onglet et fait les copies de travail ; `page` 1 montre les utilisateurs. Un
    // fichier des tarifs illisible lève l'erreur (message français) une fois tous les onglets
    // remplis de ce qui a pu être lu.
    void ouvrir(int page = 0);
    // Efface les copies de travail ("\temp providers", "\temp forfaits", "\temp raz forfaits").
    void fermer();

    OngletOptions onglet() const { return onglet_; }
    void changer_onglet(OngletOptions onglet) { onglet_ = onglet; }
    int sujet_aide() const { return sujet_aide_onglet(onglet_); }

    PageGenerale& generale() { return generale_; }
    PageUtilisateurs& utilisateurs() { return *utilisateurs_; }
    PageFournisseurs& fournisseurs() { return fournisseurs_; }
    PageForfaits& forfaits() { return forfaits_; }
    const FichierIni& tarifs() const { return *tarifs_; }

    // Allumé par le premier changement, dans n'importe quel onglet.
    bool valider_actif() const;
    // Un changement fait hors des pages (une boîte de l'onglet des forfaits ou des fournisseurs).
    void signaler_modification() { modifiee_ = true; }

    bool connexion_en_cours() const;
    // Les deux boutons des forfaits : la boîte à ouvrir pour la ligne, ou rien (pendant une
    // connexion, l'avertissement est montré).
    std::optional<ModeleTrectiforfait> correction(std::size_t ligne);
    std::optional<ModeleTraz_type_forfait_form> mode_reinitialisation(std::size_t ligne);
    // Après une correction acceptée : la ligne, "&Valider", et le jour refait au prochain top.
    void correction_acceptee(std::size_t ligne, const CorrectionForfait& correction);
    ModeleTdelaiform delai() const;
    void delai_accepte(const ModeleTdelaiform& delai);

    // Range tout dans l'ordre établi (utilisateurs, démarrage automatique, drapeaux, affichage,
    // instantanés, jours fériés, détection, totaux, forfaits, copies de travail), puis rechoisit le
    // tarif hors connexion ou prévient pendant une connexion. Un plafond mal saisi est refusé
    // avant tout rangement (l'avertissement dit pourquoi) : faux, la fenêtre reste ouverte.
    bool valider();
    // Rien n'est rangé ; les mots de passe de la fenêtre principale sont relus.
    void annuler();

private:
    std::string message(int numero) const;
    void ranger_reglages();

    LiensOptions liens_;
    OngletOptions onglet_ = OngletOptions::generale;
    PageGenerale generale_;
    std::unique_ptr<PageUtilisateurs> utilisateurs_;
    PageFournisseurs fournisseurs_;
    PageForfaits forfaits_;
    std::unique_ptr<FichierIni> tarifs_;
    bool ouverte_ = false;
    bool modifiee_ = false;
};

}  // namespace lumi
