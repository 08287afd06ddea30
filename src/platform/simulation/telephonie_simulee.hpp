#pragma once
// La téléphonie simulée : une téléphonie présente ou absente, un nombre de lignes, des lignes dont
// la négociation ou l'ouverture échoue, et des appels dont l'essai (ou le script) annonce les
// changements d'état. Elle se comporte comme la vraie sur ce que la détection attend : un appel
// libéré ne donne plus d'événement, une ligne fermée non plus, l'arrêt ferme tout.
#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "core/telephonie.hpp"

namespace lumi {

struct ConfigurationTelephonie {
    bool disponible = false;  // l'initialisation réussit
    std::uint32_t nb_lignes = 0;
    std::set<std::uint32_t> lignes_sans_version;  // la négociation de version échoue
    std::set<std::uint32_t> lignes_refusees;      // l'ouverture échoue

    friend bool operator==(const ConfigurationTelephonie&, const ConfigurationTelephonie&) = default;
};

// Codes d'échec rendus (négatifs, comme les erreurs de ligne d'origine).
inline constexpr std::int32_t tapi_erreur_indisponible = -1;
inline constexpr std::int32_t tapi_erreur_poignee = -2;
inline constexpr std::int32_t tapi_erreur_version = -3;
inline constexpr std::int32_t tapi_erreur_ouverture = -4;

class TelephonieSimulee final : public Telephonie {
public:
    explicit TelephonieSimulee(ConfigurationTelephonie configuration = {}) : configuration_(configuration) {}
    void configurer(ConfigurationTelephonie configuration) { configuration_ = std::move(configuration); }

    std::int32_t initialiser(RappelLigne rappel, PoigneeTapi& hLineApp, std::uint32_t& nb_lignes) override;
    std::int32_t negocier_version(PoigneeTapi hLineApp, std::uint32_t ligne, std::uint32_t version_basse,
                                  std::uint32_t version_haute, std::uint32_t& version) override;
    std::int32_t ouvrir_ligne(PoigneeTapi hLineApp, std::uint32_t ligne, PoigneeTapi& hLine,
                              std::uint32_t version, std::uint32_t privileges,
                              std::uint32_t modes_media) override;
    std::int32_t liberer_appel(PoigneeTapi hCall) override;
    std::int32_t fermer_ligne(PoigneeTapi hLine) override;
    std::int32_t arreter(PoigneeTapi hLineApp) override;

    // L'appel `appel` (poignée non nulle) de la ligne `ligne` passe à `etat`. Le rappel le reçoit si
    // la ligne est ouverte et que l'appel n'a pas été libéré ; rend vrai dans ce cas.
    bool signaler(PoigneeTapi appel, std::uint32_t etat, std::uint32_t ligne = 0);

    bool initialisee() const { return usage_ != 0; }
    // Lignes ouvertes (indice de ligne), dans l'ordre des indices.
    std::vector<std::uint32_t> lignes_ouvertes() const;
    // Appels annoncés dont la poignée n'a pas été rendue.
    std::set<PoigneeTapi> appels_non_liberes() const;
    const std::vector<PoigneeTapi>& appels_liberes() const { return liberes_; }
    int arrets() const { return arrets_; }
    int fermetures() const { return fermetures_; }
    // Les paramètres de la dernière ouverture réussie (privilèges, modes).
    std::uint32_t derniers_privileges() const { return privileges_; }
    std::uint32_t derniers_modes_media() const { return modes_media_; }

private:
    ConfigurationTelephonie configuration_;
    RappelLigne rappel_;
    PoigneeTapi usage_ = 0;
    PoigneeTapi prochaine_poignee_ = 0x100;
    std::map<PoigneeTapi, std::uint32_t> lignes_;  // poignée -> indice
    std::set<PoigneeTapi> appels_vus_;
    std::set<PoigneeTapi> appels_rendus_;
    std::vector<PoigneeTapi> liberes_;
    int arrets_ = 0;
    int fermetures_ = 0;
    std::uint32_t privileges_ = 0;
    std::uint32_t modes_media_ = 0;
};

}  // namespace lumi
