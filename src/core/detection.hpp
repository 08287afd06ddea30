#pragma once
// La détection des connexions : deux sources, choisies au démarrage. La scrutation de l'accès à
// distance (Timer5Timer, dix fois par seconde) ou les événements de la téléphonie
// (rappel_ligne_tapi) ; chacune se traduit en appels des trois actions d'état du compteur.
// La trace de la scrutation va dans lumicompteur.ini, section "detection", aux seules transitions.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/horloge.hpp"
#include "actions/acces_distant.hpp"
#include "actions/dialogue.hpp"
#include "actions/minuterie.hpp"
#include "core/telephonie.hpp"
#include "settings/registre.hpp"

namespace lumi {

class Compteur;

// Ce que la détection commande : les trois actions d'état, et le mode manuel qu'elle consulte.
class ActionsDetection {
public:
    virtual ~ActionsDetection() = default;
    virtual void action_numerotation_en_cours() = 0;
    virtual void action_connecte_au_reseau() = 0;
    virtual void action_fin_de_connexion() = 0;
    virtual bool mode_manuel() const = 0;
};

// Le compteur comme cible de la détection.
class ActionsCompteur final : public ActionsDetection {
public:
    explicit ActionsCompteur(Compteur& compteur) : compteur_(compteur) {}
    void action_numerotation_en_cours() override;
    void action_connecte_au_reseau() override;
    void action_fin_de_connexion() override;
    bool mode_manuel() const override;

private:
    Compteur& compteur_;
};

struct CouturesDetection {
    const Horloge& horloge;
    Registre& registre;
    AccesDistant& acces_distant;
    Telephonie& telephonie;
    Dialogue& dialogue;
};

// État de la scrutation quand il n'y a aucune connexion.
inline constexpr int etat_scrutation_aucune = -10;

inline constexpr std::string_view section_trace_detection = "detection";

class Detection {
public:
    Detection(CouturesDetection coutures, ActionsDetection& actions, std::filesystem::path dossier_donnees);
    // Rend les poignées de la téléphonie si fermeture_tapi ne l'a pas fait.
    ~Detection();
    Detection(const Detection&) = delete;
    Detection& operator=(const Detection&) = delete;

    // Au démarrage : "only RAS" de lumicompteur.ini, puis ouverture_tapi quoi qu'il dise.
    void choix_de_la_source();
    // Initialise la téléphonie et ouvre chaque ligne ; au moindre échec, la scrutation prend le relais.
    void ouverture_tapi();
    // À la fermeture de la fenêtre principale : ferme la ligne puis la téléphonie.
    void fermeture_tapi();

    // La scrutation (Timer5, 100 ms, toujours en marche) ; ne fait rien hors surveillance_par_ras.
    void Timer5Timer();
    Minuterie& Timer5() { return Timer5_; }
    const Minuterie& Timer5() const { return Timer5_; }

    // Réveil par la couture au lieu des 100 ms. Un passage de la scrutation sur un état déjà vu ne
    // fait rien (les verrous l'ont déjà traité) : il suffit donc de passer quand l'accès à distance
    // signale un changement. La coquille surveille descripteur_veille() (-1 : pas de veille) et
    // appelle alors Timer5Timer_sur_veille() ; elle garde les 100 ms tant que veille_suffit() est faux.
    int descripteur_veille() const;
    // La couture signale tout changement, et le dernier passage n'a rien laissé à reprendre (une
    // action en erreur est retentée au passage suivant, comme toutes les 100 ms).
    bool veille_suffit() const;
    void Timer5Timer_sur_veille();

    // Le rappel des lignes de téléphonie ; seuls les changements d'état d'appel comptent.
    void rappel_ligne_tapi(PoigneeTapi hDevice, std::uint32_t dwMessage, std::uintptr_t dwInstance,
                           std::uintptr_t dwParam1, std::uintptr_t dwParam2, std::uintptr_t dwParam3);

    // Ctrl+Shift+Enter dans le sélecteur d'utilisateur : change de source et le dit (message 59
    // ou 60). Le choix n'est pas rangé.
    void basculer_source();

    bool surveillance_par_ras() const { return surveillance_par_ras_; }
    // La ligne d'état 0 au démarrage : "Supervision en cours" ou "Attente connexion".
    std::string_view texte_etat_source() const;

    PoigneeTapi hLineApp() const { return hLineApp_; }
    PoigneeTapi hLine() const { return hLine_; }
    bool numerotation_vue() const { return numerotation_vue_; }
    bool connexion_vue() const { return connexion_vue_; }
    bool fin_vue() const { return fin_vue_; }

private:
    void ecrire_trace(int etat, std::string_view libelle);
    void liberer(PoigneeTapi appel);

    const Horloge& horloge_;
    Registre& registre_;
    AccesDistant& acces_distant_;
    Telephonie& telephonie_;
    Dialogue& dialogue_;
    ActionsDetection& actions_;
    std::filesystem::path dossier_;

    bool surveillance_par_ras_ = false;
    // Verrous de la scrutation : chaque action part une fois par connexion.
    bool numerotation_vue_ = false;
    bool connexion_vue_ = false;
    bool fin_vue_ = false;
    // Le dernier passage a rencontré une erreur : le suivant ne doit pas attendre un changement.
    bool reprise_due_ = false;
    PoigneeTapi hLineApp_ = 0;
    PoigneeTapi hLine_ = 0;
    // Le service de la dernière connexion vue, gardé pour la trace de sa fin.
    std::string source_trace_;

    Minuterie Timer5_{"Timer5", 100, true};
};

}  // namespace lumi
