#pragma once
// La vue du noyau sur les interfaces réseau : existence, marche (IFF_UP) et adresse IPv4.
// NoyauNetlink la tient à jour sans rien relire tant que le noyau n'annonce aucun changement :
// une socket abonnée aux événements de liens et d'adresses IPv4 devient lisible à chaque
// changement, et la vue n'est relue (RTM_GETLINK, RTM_GETADDR) qu'à ce moment-là.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "base/descripteur.hpp"

namespace lumi {

struct EtatInterface {
    bool active = false;  // IFF_UP
    std::string ipv4;     // première adresse IPv4 locale en texte pointé, vide si aucune

    friend bool operator==(const EtatInterface&, const EtatInterface&) = default;
};

class NoyauReseau {
public:
    virtual ~NoyauReseau() = default;
    // Descripteur lisible quand la vue a pu changer ; -1 quand il n'y en a pas (il faut alors
    // rafraîchir à chaque interrogation).
    virtual int descripteur() const = 0;
    // Prend en compte les changements annoncés ; vrai si la vue a pu changer. Lève une
    // std::runtime_error en français si le noyau ne répond pas (la vue sera relue à l'appel suivant).
    virtual bool rafraichir() = 0;
    // L'interface de ce nom, absente si elle n'existe pas.
    virtual std::optional<EtatInterface> interface(std::string_view nom) const = 0;
    // Les octets reçus par l'interface depuis sa création, lus à l'instant (les compteurs changent
    // sans que le noyau l'annonce) ; rien si elle n'existe pas ou que le noyau ne répond pas.
    virtual std::optional<std::uint64_t> octets_recus(std::string_view /*nom*/) { return std::nullopt; }
};

class NoyauNetlink final : public NoyauReseau {
public:
    // Les sockets sont ouvertes dans l'espace de noms réseau du fil appelant.
    NoyauNetlink();

    int descripteur() const override { return evenements_.get(); }
    bool rafraichir() override;
    std::optional<EtatInterface> interface(std::string_view nom) const override;
    std::optional<std::uint64_t> octets_recus(std::string_view nom) override;

    // Nombre de relectures complètes (mesures et essais).
    unsigned long relectures() const { return relectures_; }

private:
    // Vide la file des événements ; vrai s'il y en avait (ou si elle a débordé).
    bool vider_evenements();
    void relire();

    Descripteur evenements_;  // abonnée à RTMGRP_LINK | RTMGRP_IPV4_IFADDR
    Descripteur requetes_;
    Descripteur compteurs_;  // RTM_GETLINK d'une seule interface, à part des relectures
    std::map<std::string, EtatInterface, std::less<>> interfaces_;
    bool a_relire_ = true;
    unsigned sequence_ = 0;
    unsigned long relectures_ = 0;
};

}  // namespace lumi
