#include "platform/windows/fenetres_windows.hpp"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

#include "base/texte.hpp"

namespace lumi {

namespace {

HWND poignee(std::uint64_t numero) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(numero));
}

std::uint64_t numero_de(HWND fenetre) {
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(fenetre));
}

// Le titre, 255 caractères au plus, en UTF-8 comme les titres cherchés : la forme « A » le
// rendrait dans la page de code du système et « téléchargés » ne serait jamais reconnu.
std::string titre_de(HWND fenetre) {
    wchar_t titre[longueur_max_titre + 1] = {};
    const int n = ::GetWindowTextW(fenetre, titre, static_cast<int>(longueur_max_titre + 1));
    if (n <= 0) return {};
    return utf16_vers_utf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(titre), static_cast<std::size_t>(n)));
}

BOOL CALLBACK noter(HWND fenetre, LPARAM liste) {
    std::string titre = titre_de(fenetre);
    if (!titre.empty()) {
        reinterpret_cast<std::vector<FenetreSysteme>*>(liste)->push_back(
            {numero_de(fenetre), std::move(titre)});
    }
    return TRUE;
}

}  // namespace

std::vector<FenetreSysteme> FenetresWindows::fenetres() const {
    std::vector<FenetreSysteme> liste;
    ::EnumWindows(noter, reinterpret_cast<LPARAM>(&liste));
    return liste;
}

std::uint64_t FenetresWindows::chercher(std::string_view titre) const {
    if (titre.empty()) return 0;
    // Le titre complet en UTF-16 ; la comparaison sur 255 caractères se fait sur la liste.
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, titre.data(), static_cast<int>(titre.size()), nullptr, 0);
    std::wstring large(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, titre.data(), static_cast<int>(titre.size()), large.data(), n);
    if (const HWND exacte = ::FindWindowExW(nullptr, nullptr, nullptr, large.c_str()))
        return numero_de(exacte);
    // Un titre plus long que 255 caractères : comparé sur ses 255 premiers, comme le système d'origine.
    if (large.size() <= longueur_max_titre) return 0;
    const HWND trouvee =
        ::FindWindowExW(nullptr, nullptr, nullptr, large.substr(0, longueur_max_titre).c_str());
    return numero_de(trouvee);
}

bool FenetresWindows::active(std::uint64_t numero) const {
    const HWND fenetre = poignee(numero);
    return numero != 0 && ::IsWindow(fenetre) && ::IsWindowVisible(fenetre) && ::IsWindowEnabled(fenetre);
}

}  // namespace lumi
