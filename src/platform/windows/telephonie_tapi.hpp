#pragma once
// La téléphonie sous Windows : l'interface de téléphonie du système (TAPI), lignes ouvertes en
// surveillance. Le rappel de lineInitialize arrive par la boucle de messages du fil qui a
// initialisé (fenêtre cachée du système) : jamais en même temps qu'une minuterie du programme.
// Un seul usage à la fois : le rappel du système ne porte pas d'autre contexte que dwInstance.
#include "core/telephonie.hpp"

namespace lumi {

class TelephonieTapi final : public Telephonie {
public:
    TelephonieTapi() = default;
    ~TelephonieTapi() override;
    TelephonieTapi(const TelephonieTapi&) = delete;
    TelephonieTapi& operator=(const TelephonieTapi&) = delete;

    std::int32_t initialiser(RappelLigne rappel, PoigneeTapi& hLineApp, std::uint32_t& nb_lignes) override;
    std::int32_t negocier_version(PoigneeTapi hLineApp, std::uint32_t ligne, std::uint32_t version_basse,
                                  std::uint32_t version_haute, std::uint32_t& version) override;
    std::int32_t ouvrir_ligne(PoigneeTapi hLineApp, std::uint32_t ligne, PoigneeTapi& hLine,
                              std::uint32_t version, std::uint32_t privileges,
                              std::uint32_t modes_media) override;
    std::int32_t liberer_appel(PoigneeTapi hCall) override;
    std::int32_t fermer_ligne(PoigneeTapi hLine) override;
    std::int32_t arreter(PoigneeTapi hLineApp) override;

private:
    bool initialisee_ = false;
};

}  // namespace lumi
