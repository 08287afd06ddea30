#pragma once
// La téléphonie sous Linux : il n'y en a pas aujourd'hui. L'initialisation échoue, si bien que la
// détection scrute l'accès à distance (« Supervision en cours ») ; la couture reste en place pour
// qu'une vraie téléphonie puisse venir plus tard.
#include "core/telephonie.hpp"

namespace lumi {

class TelephonieAbsente final : public Telephonie {
public:
    // Code d'échec rendu par chaque opération.
    static constexpr std::int32_t indisponible = -1;

    std::int32_t initialiser(RappelLigne, PoigneeTapi& hLineApp, std::uint32_t& nb_lignes) override {
        hLineApp = 0;
        nb_lignes = 0;
        return indisponible;
    }
    std::int32_t negocier_version(PoigneeTapi, std::uint32_t, std::uint32_t, std::uint32_t,
                                  std::uint32_t&) override {
        return indisponible;
    }
    std::int32_t ouvrir_ligne(PoigneeTapi, std::uint32_t, PoigneeTapi&, std::uint32_t, std::uint32_t,
                              std::uint32_t) override {
        return indisponible;
    }
    std::int32_t liberer_appel(PoigneeTapi) override { return indisponible; }
    std::int32_t fermer_ligne(PoigneeTapi) override { return indisponible; }
    std::int32_t arreter(PoigneeTapi) override { return indisponible; }
};

}  // namespace lumi
