#include "platform/windows/arret_windows.hpp"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace lumi {

namespace {

bool prendre_privilege_arret() {
    HANDLE jeton = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &jeton))
        return false;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool pris = ::LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid) &&
                ::AdjustTokenPrivileges(jeton, FALSE, &privileges, 0, nullptr, nullptr);
    // AdjustTokenPrivileges réussit même sans accorder le privilège : seul ce code le dit.
    pris = pris && ::GetLastError() == ERROR_SUCCESS;
    ::CloseHandle(jeton);
    return pris;
}

}  // namespace

void ArretWindows::eteindre(Fin fin) {
    if (!prendre_privilege_arret()) {
        fin(false, "Le droit d'arrêter la machine a été refusé à ce compte.");
        return;
    }
    if (!::ExitWindowsEx(EWX_SHUTDOWN | EWX_POWEROFF,
                         SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_FLAG_PLANNED)) {
        fin(false, "Windows a refusé de s'arrêter (erreur " + std::to_string(::GetLastError()) + ").");
        return;
    }
    fin(true, {});
}

}  // namespace lumi
