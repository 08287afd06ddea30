#pragma once
// Le magasin de réglages de l'outil : la base SQLite du dossier de données, et sous Windows le
// registre de la machine.
#ifdef _WIN32
#include "settings/registre_windows.hpp"
namespace lumi {
using RegistreLocal = RegistreWindows;
}
#else
#include "settings/registre_sqlite.hpp"
namespace lumi {
using RegistreLocal = RegistreSqlite;
}
#endif
