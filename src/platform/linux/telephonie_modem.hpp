#pragma once
// La téléphonie par ModemManager, sur le bus système : chaque modem est une ligne, et ses
// changements d'état (StateChanged) deviennent les états d'appel de la téléphonie d'origine :
// connexion en cours → acheminement, connecté → connecté, déconnexion → déconnecté, retour à
// l'état enregistré → libre. Chaque connexion d'un modem est un appel, de poignée propre ; un appel
// libéré (liberer_appel) ne donne plus rien. Les événements sont remis au rappel par
// traiter_evenements(), que la boucle du programme appelle quand descripteur_evenements() est
// lisible : jamais en même temps qu'une minuterie.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/telephonie.hpp"

namespace lumi {

class BusDbus;

// États d'un modem (MMModemState) utiles ici.
inline constexpr std::int32_t mm_modem_active = 6;
inline constexpr std::int32_t mm_modem_recherche = 7;
inline constexpr std::int32_t mm_modem_enregistre = 8;
inline constexpr std::int32_t mm_modem_deconnexion = 9;
inline constexpr std::int32_t mm_modem_connexion = 10;
inline constexpr std::int32_t mm_modem_connecte = 11;

// Les états d'appel que donne le passage d'un modem de `ancien` à `nouveau`, dans l'ordre (un
// connecté qui retombe d'un coup à l'état enregistré donne « déconnecté » puis « libre »).
std::vector<std::uint32_t> etats_appel_de_modem(std::int32_t ancien, std::int32_t nouveau);

class TelephonieModem final : public Telephonie {
public:
    // Rien (nullptr) sans bus ou sans ModemManager sur le bus : aucune attente, aucune erreur.
    static std::unique_ptr<TelephonieModem> si_present();
    explicit TelephonieModem(std::unique_ptr<BusDbus> bus);
    ~TelephonieModem() override;
    TelephonieModem(const TelephonieModem&) = delete;
    TelephonieModem& operator=(const TelephonieModem&) = delete;

    std::int32_t initialiser(RappelLigne rappel, PoigneeTapi& hLineApp, std::uint32_t& nb_lignes) override;
    std::int32_t negocier_version(PoigneeTapi hLineApp, std::uint32_t ligne, std::uint32_t version_basse,
                                  std::uint32_t version_haute, std::uint32_t& version) override;
    std::int32_t ouvrir_ligne(PoigneeTapi hLineApp, std::uint32_t ligne, PoigneeTapi& hLine,
                              std::uint32_t version, std::uint32_t privileges,
                              std::uint32_t modes_media) override;
    std::int32_t liberer_appel(PoigneeTapi hCall) override;
    std::int32_t fermer_ligne(PoigneeTapi hLine) override;
    std::int32_t arreter(PoigneeTapi hLineApp) override;

    int descripteur_evenements() const override;
    void traiter_evenements() override;

    // Les modems vus à l'initialisation (leurs objets), dans l'ordre des lignes.
    const std::vector<std::string>& modems() const;

private:
    class Lignes;
    std::unique_ptr<Lignes> l_;
};

}  // namespace lumi
