#pragma once
// Le démarrage et l'arrêt du programme, sans Qt : l'état de la fenêtre principale se construit dans
// un ordre fixe (fichiers, réglages, utilisateurs, reprise après un crash, tarifs, ligne de commande,
// source de détection, icône, fenêtre, première utilisation, démarrage automatique, période de
// facturation) ; à la fermeture, l'instantané anti-crash est effacé sauf quand la session se termine.
// Ce que seule la coquille sait faire (la fenêtre, l'icône, les utilisateurs du sélecteur) passe par
// CoquilleDemarrage ; le reste va au compteur et aux coutures.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/horloge.hpp"
#include "actions/dialogue.hpp"
#include "core/modes_affichage.hpp"
#include "core/systeme.hpp"
#include "settings/registre.hpp"

namespace lumi {

class Compteur;
class Detection;

// Le nom du marqueur d'instance unique (la classe de fenêtre d'origine), au plus 63 caractères.
inline constexpr std::string_view marqueur_instance = "Lumicompteur 99 - Korvanelle Software";
// Le titre de l'application avant le démarrage.
inline constexpr std::string_view titre_application_demarrage = "Lumicompteur 2000";
// L'argument du démarrage caché.
inline constexpr std::string_view argument_invisible = "-invisible";

// Les entrées de démarrage automatique : celle de cette édition et celles des deux précédentes.
namespace demarrage_automatique {
inline constexpr std::string_view nom = "Lumicompteur 2000";
inline constexpr std::string_view nom_98 = "Lumicompteur 98";
inline constexpr std::string_view nom_99 = "Lumicompteur 99";
}  // namespace demarrage_automatique

// Les deux lignes d'information fixes de l'afficheur (lignes d'état 12 et 13).
inline constexpr std::string_view ligne_etat_12 = "Lumicompteur 2000";
inline constexpr std::string_view ligne_etat_13 = "Compteur de connexions à Internet";

// Les étapes du démarrage, dans leur ordre.
enum class EtapeDemarrage {
    formats,
    dossier_historique,
    chemin_programme,
    verif_fichiers_ini,
    fermeture_windows,
    taux_tva,
    lignes_etat,
    taux_et_couleurs,
    affichage_des_prix,
    titre_et_couleurs,
    fichier_du_mois,
    utilisateurs,
    parametres_historique,
    reprise_crash,
    tarifs_et_options,
    facture_en_cours,
    frequence_sauvegarde,
    ligne_de_commande,
    mode_affichage,
    source_detection,
    ligne_etat_source,
    icone_et_position,
    fenetre,
    premiere_utilisation,
    entree_demarrage_automatique,
    periode_facturation,
};

// Ce que la coquille fait pour le démarrage (la fenêtre Qt dans le programme, un espion dans les essais).
class CoquilleDemarrage {
public:
    virtual ~CoquilleDemarrage() = default;
    // Le choix de l'utilisateur : liste rangée, comptes de la machine, utilisateur de la session.
    virtual void selection_utilisateurs(const std::vector<std::string>& profils,
                                        const std::string& utilisateur_systeme) = 0;
    // Un argument de la ligne de commande qui peut nommer un utilisateur (premier "-" ôté).
    virtual void selectionner_utilisateur(const std::string& argument) = 0;
    // La disposition de la fenêtre au démarrage ("taille" et "taille reduite").
    virtual void disposer_fenetre(const TailleDemarrage& taille) = 0;
    // La position rangée ("position x", "position y"), la fenêtre déjà disposée.
    virtual void restaurer_position() = 0;
    // La scrutation de la détection (Timer5) suivie par la coquille.
    virtual void suivre_detection(Detection& detection) = 0;
    virtual void installer_icone() = 0;
    virtual void montrer() = 0;
    // Démarrage invisible : dans la zone de notification, ou réduite là où il n'y en a pas.
    virtual void cacher() = 0;
    // Les menus s'ouvrent désormais au clic droit.
    virtual void fin_du_demarrage() = 0;
    // Première utilisation de cette édition : la fenêtre d'accueil et d'import de l'historique.
    virtual void premiere_utilisation() = 0;
};

// verif_fichiers_ini : le dernier des trois fichiers de données absent du dossier, dans l'ordre
// lumicompteur.ini, Couleur.ini, tarifs.ini ; rien s'ils y sont tous.
std::optional<std::string> verif_fichiers_ini(const std::filesystem::path& dossier);
// Les trois lignes de l'avertissement, jointes par des retours chariot.
std::string texte_fichier_manquant(std::string_view nom);
// Le même avertissement pour un fichier présent mais inutilisable : `defaut` dit ce qui ne va pas.
std::string texte_fichier_inutilisable(std::string_view defaut);
// L'avertissement unique des couleurs illisibles (couleurs_illisibles), les cinq premières nommées.
std::string texte_couleurs_illisibles(const std::vector<std::string>& illisibles);

// Le texte "params" d'un second lancement : les arguments mis bout à bout, sans séparateur.
std::string concatener_arguments(const std::vector<std::string>& arguments);

struct CouturesDemarrage {
    Registre& registre;
    Dialogue& dialogue;
    Systeme& systeme;
};

struct OptionsDemarrage {
    // Le chemin complet du programme ("path", et la commande du démarrage automatique).
    std::filesystem::path chemin_programme;
    // Les arguments de la ligne de commande du programme (hors options propres au programme Linux).
    std::vector<std::string> arguments;
    // Faux en démonstration : l'entrée de démarrage automatique de la session n'est pas touchée.
    bool gerer_demarrage_automatique = true;
    // Les options propres au programme que l'entrée de démarrage automatique doit redonner, placées
    // avant "-invisible" (le dossier de données en service quand on l'a choisi à la main).
    std::vector<std::string> options_demarrage_automatique;
};

class Demarrage {
public:
    Demarrage(Compteur& compteur, CouturesDemarrage coutures, std::filesystem::path dossier_donnees,
              OptionsDemarrage options);

    // La détection, si le programme en a une ; elle doit vivre plus longtemps que le démarrage.
    void definir_detection(Detection* detection) { detection_ = detection; }

    // FormCreate : la suite du démarrage, étape par étape, dans l'ordre. Une boîte fermée sans
    // réponse parce que la session se termine (BoiteAbandonnee) arrête la suite où elle en est et
    // sort d'ici : rien n'est décidé à la place de l'utilisateur, l'instantané anti-crash reste et
    // la même question revient au démarrage suivant.
    void FormCreate(CoquilleDemarrage& coquille);
    // Les étapes jouées, dans l'ordre.
    const std::vector<EtapeDemarrage>& etapes_jouees() const { return etapes_; }
    bool demarrage_invisible() const { return invisible_demande_; }

    // La session se termine (WM_QUERYENDSESSION) : plus de question, l'instantané reste.
    void fin_de_session() { fermeture_windows_ = true; }
    bool fermeture_windows() const { return fermeture_windows_; }

    // La fermeture est acceptée : l'instantané anti-crash est effacé, sauf en fin de session (la
    // connexion en cours sera proposée au prochain démarrage).
    void fermeture_acceptee(bool fin_de_session);
    // FormDestroy : les lignes de la téléphonie rendues, "taille reduite" rangée (sauf si le
    // démarrage s'est arrêté avant de poser le mode d'affichage : le mode rangé reste alors).
    void FormDestroy(bool mode_reduit_barre);

    // La commande de l'entrée de démarrage automatique : le programme, ses options propres, puis
    // "-invisible".
    CommandeSysteme commande_demarrage_automatique() const;

private:
    void etape(EtapeDemarrage e) { etapes_.push_back(e); }
    void premiere_utilisation(CoquilleDemarrage& coquille);
    void entree_demarrage_automatique();

    Compteur& compteur_;
    Registre& registre_;
    Dialogue& dialogue_;
    Systeme& systeme_;
    std::filesystem::path dossier_;
    OptionsDemarrage options_;
    Detection* detection_ = nullptr;
    std::vector<EtapeDemarrage> etapes_;
    bool fermeture_windows_ = false;
    bool invisible_demande_ = false;
    bool detruit_ = false;
};

}  // namespace lumi
