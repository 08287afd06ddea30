#pragma once
// Les fenêtres des autres programmes sous Windows : les fenêtres de premier niveau énumérées
// (EnumWindows) avec leur titre (GetWindowTextW, 255 caractères), la recherche d'un titre exact
// (FindWindowExW) ; une fenêtre est « active » tant qu'elle existe, visible et utilisable
// (IsWindowEnabled).
#include "actions/telechargements.hpp"

namespace lumi {

class FenetresWindows final : public FenetresSysteme {
public:
    std::vector<FenetreSysteme> fenetres() const override;
    std::uint64_t chercher(std::string_view titre) const override;
    bool active(std::uint64_t numero) const override;
};

}  // namespace lumi
