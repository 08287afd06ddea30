#include "platform/linux/fenetres_x11.hpp"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace lumi {

namespace {

// La réponse d'une requête xcb, libérée par free().
template <typename T>
using Reponse = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reponse<T> reponse(T* r) {
    return Reponse<T>(r, &std::free);
}

xcb_atom_t atome(xcb_connection_t* c, const char* nom) {
    auto r = reponse(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(nom)), nom), nullptr));
    return r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// Latin-1 (le type STRING de WM_NAME) vers UTF-8.
std::string latin1_vers_utf8(const char* texte, int taille) {
    std::string resultat;
    for (int i = 0; i < taille; ++i) {
        const auto c = static_cast<unsigned char>(texte[i]);
        if (c < 0x80) {
            resultat += static_cast<char>(c);
        } else {
            resultat += static_cast<char>(0xC0 | (c >> 6));
            resultat += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return resultat;
}

constexpr std::uint32_t etat_retire = 0;  // WithdrawnState
constexpr std::uint32_t etat_reduit = 3;  // IconicState

}  // namespace

struct FenetresX11::Atomes {
    xcb_atom_t client_list = XCB_ATOM_NONE;
    xcb_atom_t net_wm_name = XCB_ATOM_NONE;
    xcb_atom_t utf8 = XCB_ATOM_NONE;
    xcb_atom_t wm_state = XCB_ATOM_NONE;
};

FenetresX11::FenetresX11(const std::string& affichage) : atomes_(std::make_unique<Atomes>()) {
    const char* nom = affichage.empty() ? std::getenv("DISPLAY") : affichage.c_str();
    if (nom == nullptr || *nom == '\0') return;  // pas de serveur X : rien n'est vu
    int ecran = 0;
    connexion_ = xcb_connect(nom, &ecran);
    if (xcb_connection_has_error(connexion_) != 0) {
        xcb_disconnect(connexion_);
        connexion_ = nullptr;
        return;
    }
    auto it = xcb_setup_roots_iterator(xcb_get_setup(connexion_));
    for (int i = 0; i < ecran && it.rem > 0; ++i) xcb_screen_next(&it);
    racine_ = it.data->root;
    atomes_->client_list = atome(connexion_, "_NET_CLIENT_LIST");
    atomes_->net_wm_name = atome(connexion_, "_NET_WM_NAME");
    atomes_->utf8 = atome(connexion_, "UTF8_STRING");
    atomes_->wm_state = atome(connexion_, "WM_STATE");
}

FenetresX11::~FenetresX11() {
    if (connexion_ != nullptr) xcb_disconnect(connexion_);
}

bool FenetresX11::disponible() const {
    return connexion_ != nullptr && xcb_connection_has_error(connexion_) == 0;
}

std::string FenetresX11::titre(std::uint32_t fenetre) const {
    auto net = reponse(xcb_get_property_reply(
        connexion_, xcb_get_property(connexion_, 0, fenetre, atomes_->net_wm_name, atomes_->utf8, 0, 256),
        nullptr));
    if (net && net->type == atomes_->utf8 && xcb_get_property_value_length(net.get()) > 0) {
        return std::string(static_cast<const char*>(xcb_get_property_value(net.get())),
                           static_cast<std::size_t>(xcb_get_property_value_length(net.get())));
    }
    auto wm = reponse(xcb_get_property_reply(
        connexion_, xcb_get_property(connexion_, 0, fenetre, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0, 256), nullptr));
    if (!wm || wm->format != 8 || xcb_get_property_value_length(wm.get()) <= 0) return {};
    const auto* texte = static_cast<const char*>(xcb_get_property_value(wm.get()));
    const int taille = xcb_get_property_value_length(wm.get());
    if (wm->type == atomes_->utf8) return std::string(texte, static_cast<std::size_t>(taille));
    return latin1_vers_utf8(texte, taille);
}

std::vector<FenetreSysteme> FenetresX11::fenetres() const {
    std::vector<FenetreSysteme> liste;
    if (!disponible()) return liste;
    std::vector<xcb_window_t> numeros;
    if (atomes_->client_list != XCB_ATOM_NONE) {
        auto r = reponse(xcb_get_property_reply(
            connexion_,
            xcb_get_property(connexion_, 0, racine_, atomes_->client_list, XCB_ATOM_WINDOW, 0, 4096), nullptr));
        if (r && r->format == 32) {
            const auto* f = static_cast<const xcb_window_t*>(xcb_get_property_value(r.get()));
            numeros.assign(f, f + xcb_get_property_value_length(r.get()) / 4);
        }
    }
    if (numeros.empty()) {
        // Sans gestionnaire de fenêtres qui tienne la liste : les enfants de la racine.
        auto r = reponse(xcb_query_tree_reply(connexion_, xcb_query_tree(connexion_, racine_), nullptr));
        if (r) {
            const auto* f = xcb_query_tree_children(r.get());
            numeros.assign(f, f + xcb_query_tree_children_length(r.get()));
        }
    }
    for (const auto n : numeros) {
        std::string t = titre(n);
        if (!t.empty()) liste.push_back({n, std::move(t)});
    }
    return liste;
}

std::uint64_t FenetresX11::chercher(std::string_view titre_cherche) const {
    for (const auto& f : fenetres()) {
        if (f.titre == titre_cherche) return f.numero;
    }
    return 0;
}

bool FenetresX11::active(std::uint64_t numero) const {
    if (!disponible() || numero == 0 || numero > 0xFFFFFFFFu) return false;
    const auto fenetre = static_cast<xcb_window_t>(numero);
    auto attributs = reponse(xcb_get_window_attributes_reply(
        connexion_, xcb_get_window_attributes(connexion_, fenetre), nullptr));
    if (!attributs) return false;  // elle n'existe plus
    std::optional<std::uint32_t> etat;
    if (atomes_->wm_state != XCB_ATOM_NONE) {
        auto r = reponse(xcb_get_property_reply(
            connexion_, xcb_get_property(connexion_, 0, fenetre, atomes_->wm_state, atomes_->wm_state, 0, 2),
            nullptr));
        if (r && r->format == 32 && xcb_get_property_value_length(r.get()) >= 4) {
            etat = *static_cast<const std::uint32_t*>(xcb_get_property_value(r.get()));
        }
    }
    if (etat && *etat == etat_retire) return false;
    // Réduite, elle n'est plus montrée mais le téléchargement continue.
    return attributs->map_state != XCB_MAP_STATE_UNMAPPED || (etat && *etat == etat_reduit);
}

}  // namespace lumi
