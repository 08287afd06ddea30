// Les fenêtres des autres programmes sous un vrai serveur X (Xvfb, sans gestionnaire de fenêtres) :
// une fenêtre de progression ouverte par l'essai est découverte par son titre, suivie, puis n'est
// plus un téléchargement une fois fermée. Sans DISPLAY, l'essai se saute.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "base/horloge.hpp"
#include "commun/soutien.hpp"
#include "platform/linux/fenetres_x11.hpp"
#include "settings/fichier_ini.hpp"

namespace lumi {
namespace {

// Une fenêtre d'un « autre programme », titrée en _NET_WM_NAME ou en WM_NAME seul (Latin-1).
class FenetreEssai {
public:
    FenetreEssai(const std::string& titre, bool net_wm_name) : c_(xcb_connect(nullptr, nullptr)) {
        const xcb_screen_t* ecran = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
        id_ = xcb_generate_id(c_);
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, id_, ecran->root, 10, 10, 200, 60, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, ecran->root_visual, 0, nullptr);
        if (net_wm_name) {
            const auto atome = [&](const char* nom) {
                auto* r = xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::strlen(nom), nom), nullptr);
                const xcb_atom_t a = r->atom;
                std::free(r);
                return a;
            };
            xcb_change_property(c_, XCB_PROP_MODE_REPLACE, id_, atome("_NET_WM_NAME"), atome("UTF8_STRING"), 8,
                                titre.size(), titre.data());
        } else {
            xcb_change_property(c_, XCB_PROP_MODE_REPLACE, id_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                                titre.size(), titre.data());
        }
        xcb_map_window(c_, id_);
        std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));  // tout est parti
    }
    ~FenetreEssai() { xcb_disconnect(c_); }
    void fermer() {
        xcb_destroy_window(c_, id_);
        std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
    }
    std::uint32_t id() const { return id_; }

private:
    xcb_connection_t* c_;
    std::uint32_t id_ = 0;
};

TEST(FenetresX11, UneFenetreDeProgressionDecouvertePuisFermee) {
    const char* affichage = std::getenv("DISPLAY");
    if (affichage == nullptr || *affichage == '\0') GTEST_SKIP() << "pas de serveur X (DISPLAY)";
    FenetresX11 fenetres;
    ASSERT_TRUE(fenetres.disponible());
    HorlogeFactice horloge;
    essai::DossierTemporaire dossier("lumi-x11");
    SurveillanceTelechargements s(horloge, FichierIni(dossier / "lumicompteur.ini"), &fenetres, nullptr);
    EXPECT_FALSE(s.telechargement_en_cours());

    FenetreEssai progression("45% sur 1,2 Mo téléchargés", true);
    FenetreEssai autre("Copying 12 KB of 40 KB", true);
    // WM_NAME en Latin-1 : « Saving location » est un titre fixe, pris dès qu'il existe.
    EXPECT_EQ(fenetres.chercher("Saving location"), 0u);
    s.decouvrir();
    ASSERT_EQ(s.titres().size(), 4u);
    EXPECT_EQ(s.titres().back(), "45% sur 1,2 Mo téléchargés");
    EXPECT_EQ(s.etats().back(), std::to_string(progression.id()));
    EXPECT_TRUE(fenetres.active(progression.id()));
    EXPECT_TRUE(s.telechargement_en_cours());

    progression.fermer();
    EXPECT_FALSE(fenetres.active(progression.id()));
    EXPECT_FALSE(s.telechargement_en_cours());

    FenetreEssai fixe("Saving location", false);
    EXPECT_EQ(fenetres.chercher("Saving location"), fixe.id());
    EXPECT_TRUE(s.telechargement_en_cours());
}

TEST(FenetresX11, SansServeurXRienNEstVu) {
    FenetresX11 fenetres(":987");  // aucun serveur sur cet affichage
    EXPECT_FALSE(fenetres.disponible());
    EXPECT_TRUE(fenetres.fenetres().empty());
    EXPECT_EQ(fenetres.chercher("Saving location"), 0u);
    EXPECT_FALSE(fenetres.active(42));
}

}  // namespace
}  // namespace lumi
