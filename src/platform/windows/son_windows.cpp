#include "platform/windows/son_windows.hpp"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <mmsystem.h>

namespace lumi {

void SonWindows::jouer(const std::filesystem::path& wav) {
    std::error_code ec;
    if (wav.empty() || !std::filesystem::is_regular_file(wav, ec)) return;
    // La forme large : un chemin accentué hors de la page de code du système joue quand même.
    ::sndPlaySoundW(wav.c_str(), SND_ASYNC | SND_NODEFAULT);
}

}  // namespace lumi
