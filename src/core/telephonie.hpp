#pragma once
// La couture de la téléphonie : ouvrir les lignes de modem en surveillance et recevoir les
// changements d'état de leurs appels de données. Chaque opération reprend celle de l'interface
// de téléphonie d'origine (nom entre parenthèses) avec ses valeurs : un résultat >= 0 est un
// succès, une poignée 0 n'est aucune poignée. Les événements arrivent par la boucle de messages
// du programme, jamais en même temps qu'une minuterie.
#include <cstdint>
#include <functional>

namespace lumi {

using PoigneeTapi = std::uint32_t;

// Message « l'état d'un appel a changé » (LINE_CALLSTATE) : hDevice est l'appel, dwParam1 l'état.
inline constexpr std::uint32_t message_etat_appel = 2;

// États d'un appel (LINECALLSTATE_*).
inline constexpr std::uint32_t etat_appel_libre = 0x1;           // idle
inline constexpr std::uint32_t etat_appel_connecte = 0x100;      // connected
inline constexpr std::uint32_t etat_appel_acheminement = 0x200;  // proceeding
inline constexpr std::uint32_t etat_appel_deconnecte = 0x4000;   // disconnected

// Versions acceptées à la négociation, privilège de surveillance, mode des appels de modem.
inline constexpr std::uint32_t version_tapi_basse = 0x00010000;
inline constexpr std::uint32_t version_tapi_haute = 0x10000000;
inline constexpr std::uint32_t privilege_surveillance = 2;  // LINECALLPRIVILEGE_MONITOR
inline constexpr std::uint32_t media_modem_donnees = 16;    // LINEMEDIAMODE_DATAMODEM

// Le rappel des lignes : hDevice, dwMessage, dwInstance, dwParam1, dwParam2, dwParam3.
using RappelLigne = std::function<void(PoigneeTapi, std::uint32_t, std::uintptr_t, std::uintptr_t,
                                       std::uintptr_t, std::uintptr_t)>;

class Telephonie {
public:
    virtual ~Telephonie() = default;

    // (lineInitialize) Enregistre le rappel ; rend la poignée d'usage et le nombre de lignes.
    virtual std::int32_t initialiser(RappelLigne rappel, PoigneeTapi& hLineApp, std::uint32_t& nb_lignes) = 0;
    // (lineNegotiateAPIVersion) La version avec laquelle ouvrir la ligne `ligne`.
    virtual std::int32_t negocier_version(PoigneeTapi hLineApp, std::uint32_t ligne,
                                          std::uint32_t version_basse, std::uint32_t version_haute,
                                          std::uint32_t& version) = 0;
    // (lineOpen) Ensuite les appels de ce mode sur cette ligne arrivent au rappel.
    virtual std::int32_t ouvrir_ligne(PoigneeTapi hLineApp, std::uint32_t ligne, PoigneeTapi& hLine,
                                      std::uint32_t version, std::uint32_t privileges,
                                      std::uint32_t modes_media) = 0;
    // (lineDeallocateCall) Rend la poignée de surveillance d'un appel : il n'en arrive plus rien.
    virtual std::int32_t liberer_appel(PoigneeTapi hCall) = 0;
    // (lineClose)
    virtual std::int32_t fermer_ligne(PoigneeTapi hLine) = 0;
    // (lineShutdown) Ferme aussi les lignes encore ouvertes.
    virtual std::int32_t arreter(PoigneeTapi hLineApp) = 0;

    // La boucle de messages du programme : un descripteur lisible quand des événements attendent
    // (-1 : la téléphonie n'en a pas), et leur remise au rappel, qui ne se fait qu'ici.
    virtual int descripteur_evenements() const { return -1; }
    virtual void traiter_evenements() {}
};

}  // namespace lumi
