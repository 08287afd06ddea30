#include "platform/windows/telephonie_tapi.hpp"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <tapi.h>

#include <utility>

namespace lumi {

namespace {

// Le rappel en cours ; lineInitialize n'accepte qu'une fonction sans contexte.
RappelLigne& rappel_courant() {
    static RappelLigne rappel;
    return rappel;
}

void CALLBACK recevoir(DWORD hDevice, DWORD dwMessage, DWORD_PTR dwInstance, DWORD_PTR dwParam1,
                       DWORD_PTR dwParam2, DWORD_PTR dwParam3) {
    // Une copie : le rappel peut fermer la ligne, et avec elle remplacer le rappel courant.
    const RappelLigne rappel = rappel_courant();
    if (rappel) rappel(hDevice, dwMessage, dwInstance, dwParam1, dwParam2, dwParam3);
}

}  // namespace

TelephonieTapi::~TelephonieTapi() {
    if (initialisee_) rappel_courant() = nullptr;
}

std::int32_t TelephonieTapi::initialiser(RappelLigne rappel, PoigneeTapi& hLineApp,
                                         std::uint32_t& nb_lignes) {
    hLineApp = 0;
    nb_lignes = 0;
    rappel_courant() = std::move(rappel);
    HLINEAPP application = 0;
    DWORD lignes = 0;
    const LONG code = ::lineInitialize(&application, ::GetModuleHandleA(nullptr), recevoir, nullptr, &lignes);
    if (code < 0) {
        rappel_courant() = nullptr;
        return code;
    }
    initialisee_ = true;
    hLineApp = application;
    nb_lignes = lignes;
    return code;
}

std::int32_t TelephonieTapi::negocier_version(PoigneeTapi hLineApp, std::uint32_t ligne,
                                              std::uint32_t version_basse, std::uint32_t version_haute,
                                              std::uint32_t& version) {
    DWORD negociee = 0;
    LINEEXTENSIONID extension{};
    const LONG code =
        ::lineNegotiateAPIVersion(hLineApp, ligne, version_basse, version_haute, &negociee, &extension);
    version = negociee;
    return code;
}

std::int32_t TelephonieTapi::ouvrir_ligne(PoigneeTapi hLineApp, std::uint32_t ligne, PoigneeTapi& hLine,
                                          std::uint32_t version, std::uint32_t privileges,
                                          std::uint32_t modes_media) {
    HLINE ouverte = 0;
    const LONG code = ::lineOpen(hLineApp, ligne, &ouverte, version, 0, 0, privileges, modes_media, nullptr);
    hLine = code < 0 ? 0 : ouverte;
    return code;
}

std::int32_t TelephonieTapi::liberer_appel(PoigneeTapi hCall) {
    return ::lineDeallocateCall(hCall);
}

std::int32_t TelephonieTapi::fermer_ligne(PoigneeTapi hLine) {
    return ::lineClose(hLine);
}

std::int32_t TelephonieTapi::arreter(PoigneeTapi hLineApp) {
    const LONG code = ::lineShutdown(hLineApp);
    rappel_courant() = nullptr;
    initialisee_ = false;
    return code;
}

}  // namespace lumi
