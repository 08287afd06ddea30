#pragma once
// L'accès à distance par NetworkManager, sur le bus système :
//
// - Annuaire : les profils de connexion (Settings.ListConnections, leur « id ») dont le type est
//   dans la liste de lumicompteur.ini, section "connexions a compter", clé "types", dans l'ordre
//   de NetworkManager.
// - Connexions : les connexions actives de ces profils, leur état traduit par etat_ras_de_nm().
//   Rien n'est relu tant que NetworkManager ne signale rien : ses signaux marquent la vue à relire
//   et réveillent la veille.
// - Numéroter : ActivateConnection du profil ; raccrocher : DeactivateConnection de la première
//   connexion. Un refus lève une std::runtime_error dont le texte, en français, dit la raison.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "actions/acces_distant.hpp"
#include "settings/parametres.hpp"

namespace lumi {

class BusDbus;

namespace parametres {
inline constexpr std::string_view section_connexions_a_compter = "connexions a compter";
// Les types de profils de NetworkManager qu'on paie à la durée, séparés par des virgules.
inline constexpr ParametreIni types_connexions{section_connexions_a_compter, "types",
                                               "gsm,cdma,pppoe,bluetooth,adsl"};
}  // namespace parametres

// La liste des types lue dans lumicompteur.ini du dossier (blancs ôtés, éléments vides ignorés) ;
// le défaut quand le fichier ou la clé manque.
std::vector<std::string> types_connexions_comptees(const std::filesystem::path& dossier_donnees);

// États de NetworkManager (connexion active, appareil) traduits en états de l'accès à distance :
// activation → 2 (numérotation), activation avec la configuration IP en cours sur l'appareil → 5
// (authentification), activée → 8192, désactivation ou désactivée → 8193.
inline constexpr std::uint32_t nm_actif_inconnu = 0;
inline constexpr std::uint32_t nm_actif_activation = 1;
inline constexpr std::uint32_t nm_actif_active = 2;
inline constexpr std::uint32_t nm_actif_desactivation = 3;
inline constexpr std::uint32_t nm_actif_desactivee = 4;
inline constexpr std::uint32_t nm_appareil_config_ip = 70;
inline constexpr std::uint32_t nm_appareil_secondaires = 90;
int etat_ras_de_nm(std::uint32_t etat_connexion, std::uint32_t etat_appareil);

// Une connexion comptée, avec ce que NetworkManager en dit de plus.
struct ConnexionNm {
    ConnexionDistante connexion;
    std::string interface;  // IpInterface de l'appareil (ppp0, wwan0...), vide s'il n'y en a pas
    std::string chemin;     // l'objet de la connexion active

    friend bool operator==(const ConnexionNm&, const ConnexionNm&) = default;
};

class AccesDistantNm final : public AccesDistant {
public:
    // Sur le bus système ; rien (nullptr) quand il n'y a pas de bus ou que NetworkManager n'y
    // est pas : aucune attente, aucune erreur, la machine n'a simplement pas ce service.
    static std::unique_ptr<AccesDistantNm> si_present(std::filesystem::path dossier_donnees);
    AccesDistantNm(std::unique_ptr<BusDbus> bus, std::filesystem::path dossier_donnees);
    ~AccesDistantNm() override;
    AccesDistantNm(const AccesDistantNm&) = delete;
    AccesDistantNm& operator=(const AccesDistantNm&) = delete;

    std::vector<ConnexionDistante> connexions() const override;
    std::vector<ConnexionNm> connexions_nm() const;
    std::vector<std::string> entrees_annuaire() const override;
    std::string origine_annuaire() const override;
    bool numeroter(std::string_view entree) override;
    bool raccrocher() override;

    int descripteur_veille() const override;
    bool veille_complete() const override;
    void lire_veille() override;

    // Nombre de relectures des connexions actives (essais : aucune sans signal).
    std::uint64_t relectures() const;

private:
    class Suivi;
    std::unique_ptr<Suivi> suivi_;
};

}  // namespace lumi
