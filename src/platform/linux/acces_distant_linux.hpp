#pragma once
// L'accès à distance d'un bureau Linux : les connexions de NetworkManager quand il est sur le bus
// système, et toujours les pppd lancés à la main. Un pppd que NetworkManager a lancé pour un modem
// (même interface qu'une de ses connexions) ne compte qu'une fois, sous le nom du profil. Sans
// NetworkManager, tout est comme avec pppd seul.
#include <memory>
#include <string>
#include <vector>

#include "base/descripteur.hpp"
#include "platform/linux/acces_distant_nm.hpp"
#include "platform/linux/acces_distant_ppp.hpp"

namespace lumi {

// D'où vient une connexion ou une entrée d'annuaire.
enum class SourceAcces { network_manager, pppd };

struct ConnexionVue {
    ConnexionDistante connexion;
    std::string interface;
    SourceAcces source = SourceAcces::pppd;
};

struct EntreeVue {
    std::string nom;
    SourceAcces source = SourceAcces::pppd;
};

class AccesDistantLinux final : public AccesDistant, public LiaisonPremiereConnexion {
public:
    // nm peut être nul (NetworkManager absent).
    AccesDistantLinux(std::unique_ptr<AccesDistantPpp> ppp, std::unique_ptr<AccesDistantNm> nm);
    // pppd selon l'environnement, NetworkManager s'il est sur le bus.
    static std::unique_ptr<AccesDistantLinux> du_systeme(const std::filesystem::path& dossier_donnees);

    // NetworkManager d'abord, puis les pppd qu'il ne mène pas.
    std::vector<ConnexionVue> connexions_vues() const;
    std::vector<ConnexionDistante> connexions() const override;
    // Les profils de NetworkManager dans son ordre, puis les pairs de pppd (un nom déjà vu est omis).
    std::vector<EntreeVue> entrees_vues() const;
    std::vector<std::string> entrees_annuaire() const override;
    std::string origine_annuaire() const override;
    std::string origine(SourceAcces source) const;
    bool numeroter(std::string_view entree) override;
    bool raccrocher() override;

    int descripteur_veille() const override;
    bool veille_complete() const override;
    void lire_veille() override;

    std::string adresse_premiere_connexion() const override;
    std::string interface_premiere_connexion() const override;
    std::optional<std::uint64_t> octets_recus_premiere_connexion() const override;

    bool avec_network_manager() const { return nm_ != nullptr; }
    AccesDistantPpp& ppp() { return *ppp_; }

private:
    std::unique_ptr<AccesDistantPpp> ppp_;
    std::unique_ptr<AccesDistantNm> nm_;
    Descripteur veille_;  // epoll des deux veilles
};

}  // namespace lumi
