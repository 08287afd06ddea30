#include "platform/linux/acces_distant_linux.hpp"

#include <sys/epoll.h>

#include <algorithm>

#include "platform/linux/bus_dbus.hpp"

namespace lumi {

AccesDistantLinux::AccesDistantLinux(std::unique_ptr<AccesDistantPpp> ppp, std::unique_ptr<AccesDistantNm> nm)
    : ppp_(std::move(ppp)), nm_(std::move(nm)) {
    if (!nm_) return;
    veille_ = Descripteur(::epoll_create1(EPOLL_CLOEXEC));
    for (const int fd : {ppp_->descripteur_veille(), nm_->descripteur_veille()}) {
        epoll_event e{};
        e.events = EPOLLIN;
        e.data.fd = fd;
        if (veille_.valide() && fd >= 0) ::epoll_ctl(veille_.get(), EPOLL_CTL_ADD, fd, &e);
    }
}

std::unique_ptr<AccesDistantLinux> AccesDistantLinux::du_systeme(
    const std::filesystem::path& dossier_donnees) {
    return std::make_unique<AccesDistantLinux>(std::make_unique<AccesDistantPpp>(),
                                               AccesDistantNm::si_present(dossier_donnees));
}

std::vector<ConnexionVue> AccesDistantLinux::connexions_vues() const {
    std::vector<ConnexionVue> vues;
    if (nm_) {
        for (auto& c : nm_->connexions_nm())
            vues.push_back({std::move(c.connexion), std::move(c.interface), SourceAcces::network_manager});
    }
    const auto connexions = ppp_->connexions();
    const auto interfaces = ppp_->interfaces_connexions();
    for (std::size_t i = 0; i < connexions.size(); ++i) {
        const std::string interface = i < interfaces.size() ? interfaces[i] : std::string();
        // Le pppd d'une connexion de NetworkManager : déjà compté sous le nom de son profil.
        const bool deja_vue =
            !interface.empty() && std::any_of(vues.begin(), vues.end(), [&](const ConnexionVue& v) {
                return v.source == SourceAcces::network_manager && v.interface == interface;
            });
        if (!deja_vue) vues.push_back({connexions[i], interface, SourceAcces::pppd});
    }
    return vues;
}

std::vector<ConnexionDistante> AccesDistantLinux::connexions() const {
    std::vector<ConnexionDistante> liste;
    for (auto& v : connexions_vues()) {
        // Avec NetworkManager, la trace de la détection dit qui a vu la connexion.
        if (nm_) v.connexion.source = v.source == SourceAcces::network_manager ? "NetworkManager" : "pppd";
        liste.push_back(std::move(v.connexion));
    }
    return liste;
}

std::vector<EntreeVue> AccesDistantLinux::entrees_vues() const {
    std::vector<EntreeVue> entrees;
    const auto ajouter = [&](std::vector<std::string> noms, SourceAcces source) {
        for (auto& nom : noms) {
            const bool deja =
                std::any_of(entrees.begin(), entrees.end(), [&](const EntreeVue& e) { return e.nom == nom; });
            if (!deja) entrees.push_back({std::move(nom), source});
        }
    };
    if (nm_) {
        try {
            ajouter(nm_->entrees_annuaire(), SourceAcces::network_manager);
        } catch (const ErreurBus& e) {
            // NetworkManager parti du bus depuis le démarrage : il reste les pairs de pppd.
            if (!e.service_absent()) throw;
        }
    }
    ajouter(ppp_->entrees_annuaire(), SourceAcces::pppd);
    return entrees;
}

std::vector<std::string> AccesDistantLinux::entrees_annuaire() const {
    std::vector<std::string> noms;
    for (auto& e : entrees_vues()) noms.push_back(std::move(e.nom));
    return noms;
}

std::string AccesDistantLinux::origine(SourceAcces source) const {
    return source == SourceAcces::network_manager && nm_ ? nm_->origine_annuaire() : ppp_->origine_annuaire();
}

std::string AccesDistantLinux::origine_annuaire() const {
    if (!nm_) return ppp_->origine_annuaire();
    return nm_->origine_annuaire() + ", ou " + ppp_->origine_annuaire();
}

bool AccesDistantLinux::numeroter(std::string_view entree) {
    if (nm_) {
        const auto profils = nm_->entrees_annuaire();
        if (std::find(profils.begin(), profils.end(), entree) != profils.end()) return nm_->numeroter(entree);
    }
    return ppp_->numeroter(entree);
}

bool AccesDistantLinux::raccrocher() {
    const auto vues = connexions_vues();
    if (vues.empty()) return false;
    return vues.front().source == SourceAcces::network_manager ? nm_->raccrocher() : ppp_->raccrocher();
}

int AccesDistantLinux::descripteur_veille() const {
    return nm_ ? veille_.get() : ppp_->descripteur_veille();
}

bool AccesDistantLinux::veille_complete() const {
    if (!nm_) return ppp_->veille_complete();
    return veille_.valide() && ppp_->veille_complete() && nm_->veille_complete();
}

void AccesDistantLinux::lire_veille() {
    if (!nm_) {
        ppp_->lire_veille();
        return;
    }
    // Les deux, même si le premier lève : chacun doit faire retomber son signal.
    std::exception_ptr erreur;
    for (AccesDistant* a : {static_cast<AccesDistant*>(ppp_.get()), static_cast<AccesDistant*>(nm_.get())}) {
        try {
            a->lire_veille();
        } catch (...) {
            if (!erreur) erreur = std::current_exception();
        }
    }
    if (erreur) std::rethrow_exception(erreur);
}

std::string AccesDistantLinux::interface_premiere_connexion() const {
    const auto vues = connexions_vues();
    return vues.empty() ? std::string() : vues.front().interface;
}

std::string AccesDistantLinux::adresse_premiere_connexion() const {
    return ppp_->adresse_interface(interface_premiere_connexion());
}

std::optional<std::uint64_t> AccesDistantLinux::octets_recus_premiere_connexion() const {
    return ppp_->octets_recus_interface(interface_premiere_connexion());
}

}  // namespace lumi
