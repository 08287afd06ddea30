#pragma once
// L'arrêt de la machine sous Windows : ExitWindowsEx, après avoir pris le privilège d'arrêt
// (SE_SHUTDOWN_NAME) que le jeton du processus a sans l'avoir activé. La réponse est immédiate.
#include "actions/programmation.hpp"

namespace lumi {

class ArretWindows final : public ArretSysteme {
public:
    void eteindre(Fin fin) override;
};

}  // namespace lumi
