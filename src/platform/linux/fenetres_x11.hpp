#pragma once
// Les fenêtres des autres programmes sous X11, par xcb : la liste du gestionnaire de fenêtres
// (_NET_CLIENT_LIST) quand il la donne, sinon les enfants de la fenêtre racine ; le titre
// _NET_WM_NAME, sinon WM_NAME. Une fenêtre est « active » tant qu'elle existe, montrée (ou
// seulement réduite) et pas retirée. Sans serveur X (Wayland seul), aucune fenêtre n'est vue.
#include <cstdint>
#include <memory>
#include <string>

#include "actions/telechargements.hpp"

struct xcb_connection_t;

namespace lumi {

class FenetresX11 final : public FenetresSysteme {
public:
    // `affichage` vide : celui de DISPLAY.
    explicit FenetresX11(const std::string& affichage = {});
    ~FenetresX11() override;
    FenetresX11(const FenetresX11&) = delete;
    FenetresX11& operator=(const FenetresX11&) = delete;

    std::vector<FenetreSysteme> fenetres() const override;
    std::uint64_t chercher(std::string_view titre) const override;
    bool active(std::uint64_t numero) const override;
    bool disponible() const override;

private:
    std::string titre(std::uint32_t fenetre) const;
    struct Atomes;
    xcb_connection_t* connexion_ = nullptr;
    std::uint32_t racine_ = 0;
    std::unique_ptr<Atomes> atomes_;
};

}  // namespace lumi
