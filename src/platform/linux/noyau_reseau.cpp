#include "platform/linux/noyau_reseau.hpp"

#include <arpa/inet.h>
#include <errno.h>
#include <linux/if_addr.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <poll.h>
#include <sys/socket.h>

#include <cstring>
#include <stdexcept>
#include <vector>

namespace lumi {

namespace {

std::runtime_error erreur_netlink(const char* quoi) {
    return std::runtime_error(std::string("Lecture des interfaces réseau impossible (") + quoi +
                              ") : " + std::strerror(errno));
}

Descripteur ouvrir_netlink(unsigned groupes) {
    Descripteur fd(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE));
    if (!fd.valide()) return fd;
    sockaddr_nl adresse{};
    adresse.nl_family = AF_NETLINK;
    adresse.nl_groups = groupes;
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&adresse), sizeof adresse) != 0) fd.fermer();
    return fd;
}

// Les attributs d'un message de route, dans l'ordre.
template <typename Entete, typename Visiteur>
void parcourir_attributs(const nlmsghdr* message, Visiteur visiter) {
    const auto* entete = static_cast<const Entete*>(NLMSG_DATA(message));
    int reste = static_cast<int>(message->nlmsg_len) - static_cast<int>(NLMSG_LENGTH(sizeof(Entete)));
    for (const auto* attribut = reinterpret_cast<const rtattr*>(reinterpret_cast<const char*>(entete) +
                                                                NLMSG_ALIGN(sizeof(Entete)));
         RTA_OK(attribut, reste); attribut = RTA_NEXT(attribut, reste)) {
        visiter(attribut);
    }
}

}  // namespace

NoyauNetlink::NoyauNetlink()
    : evenements_(ouvrir_netlink(RTMGRP_LINK | RTMGRP_IPV4_IFADDR)), requetes_(ouvrir_netlink(0)) {}

bool NoyauNetlink::vider_evenements() {
    // Le contenu importe peu : tout événement fait relire la vue entière.
    alignas(nlmsghdr) char tampon[8192];
    bool recu = false;
    for (;;) {
        const auto n = ::recv(evenements_.get(), tampon, sizeof tampon, MSG_DONTWAIT);
        if (n > 0) {
            recu = true;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        // ENOBUFS : la file a débordé, des événements sont perdus ; la relecture les couvre.
        if (n < 0 && errno == ENOBUFS) {
            recu = true;
            continue;
        }
        return recu;
    }
}

bool NoyauNetlink::rafraichir() {
    if (!evenements_.valide()) {
        a_relire_ = true;
    } else if (vider_evenements()) {
        a_relire_ = true;
    }
    if (!a_relire_) return false;
    relire();
    return true;
}

std::optional<EtatInterface> NoyauNetlink::interface(std::string_view nom) const {
    const auto it = interfaces_.find(nom);
    if (it == interfaces_.end()) return std::nullopt;
    return it->second;
}

void NoyauNetlink::relire() {
    if (!requetes_.valide()) {
        requetes_ = ouvrir_netlink(0);
        if (!requetes_.valide()) throw erreur_netlink("socket");
    }
    std::map<int, std::string> noms;  // index -> nom
    std::map<std::string, EtatInterface, std::less<>> lues;
    std::vector<char> tampon(32768);

    const auto interroger = [&](std::uint16_t type, auto&& traiter) {
        struct {
            nlmsghdr entete;
            union {
                ifinfomsg lien;
                ifaddrmsg adresse;
            } corps;
        } requete{};
        const bool liens = type == RTM_GETLINK;
        requete.entete.nlmsg_len = NLMSG_LENGTH(liens ? sizeof(ifinfomsg) : sizeof(ifaddrmsg));
        requete.entete.nlmsg_type = type;
        requete.entete.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
        requete.entete.nlmsg_seq = ++sequence_;
        if (liens) {
            requete.corps.lien.ifi_family = AF_UNSPEC;
        } else {
            requete.corps.adresse.ifa_family = AF_INET;
        }
        sockaddr_nl noyau{};
        noyau.nl_family = AF_NETLINK;
        if (::sendto(requetes_.get(), &requete, requete.entete.nlmsg_len, 0,
                     reinterpret_cast<const sockaddr*>(&noyau), sizeof noyau) < 0) {
            throw erreur_netlink("envoi");
        }
        for (;;) {
            // La socket est non bloquante : on attend la réponse, qui arrive aussitôt.
            const auto n = ::recv(requetes_.get(), tampon.data(), tampon.size(), 0);
            if (n < 0) {
                if (errno == EINTR) continue;
                if (errno == EAGAIN || errno == EWOULDBLOCK) {
                    pollfd attente{requetes_.get(), POLLIN, 0};
                    if (::poll(&attente, 1, 1000) <= 0) throw erreur_netlink("attente");
                    continue;
                }
                throw erreur_netlink("réception");
            }
            const auto taille = static_cast<std::size_t>(n);
            for (std::size_t position = 0; taille - position >= sizeof(nlmsghdr);) {
                const auto* message = reinterpret_cast<const nlmsghdr*>(tampon.data() + position);
                if (message->nlmsg_len < sizeof(nlmsghdr) || message->nlmsg_len > taille - position) break;
                position += NLMSG_ALIGN(message->nlmsg_len);
                if (message->nlmsg_seq != sequence_) continue;  // réponse d'une requête abandonnée
                if (message->nlmsg_type == NLMSG_DONE) return;
                if (message->nlmsg_type == NLMSG_ERROR) {
                    const auto* e = static_cast<const nlmsgerr*>(NLMSG_DATA(message));
                    errno = -e->error;
                    throw erreur_netlink(liens ? "liens" : "adresses");
                }
                traiter(message);
            }
        }
    };

    try {
        interroger(RTM_GETLINK, [&](const nlmsghdr* message) {
            if (message->nlmsg_type != RTM_NEWLINK) return;
            const auto* lien = static_cast<const ifinfomsg*>(NLMSG_DATA(message));
            parcourir_attributs<ifinfomsg>(message, [&](const rtattr* a) {
                if (a->rta_type != IFLA_IFNAME) return;
                const auto* texte = static_cast<const char*>(RTA_DATA(a));
                const std::string nom(texte, ::strnlen(texte, RTA_PAYLOAD(a)));
                noms[lien->ifi_index] = nom;
                lues[nom].active = (lien->ifi_flags & IFF_UP) != 0;
            });
        });
        interroger(RTM_GETADDR, [&](const nlmsghdr* message) {
            if (message->nlmsg_type != RTM_NEWADDR) return;
            const auto* adresse = static_cast<const ifaddrmsg*>(NLMSG_DATA(message));
            if (adresse->ifa_family != AF_INET) return;
            const auto nom = noms.find(static_cast<int>(adresse->ifa_index));
            if (nom == noms.end()) return;
            // Sur un lien point à point, IFA_ADDRESS est l'adresse du pair : la nôtre est IFA_LOCAL.
            const void* locale = nullptr;
            const void* adresse_ifa = nullptr;
            parcourir_attributs<ifaddrmsg>(message, [&](const rtattr* a) {
                if (RTA_PAYLOAD(a) < 4) return;
                if (a->rta_type == IFA_LOCAL) locale = RTA_DATA(a);
                if (a->rta_type == IFA_ADDRESS) adresse_ifa = RTA_DATA(a);
            });
            const void* retenue = locale != nullptr ? locale : adresse_ifa;
            auto& etat = lues[nom->second];
            if (retenue == nullptr || !etat.ipv4.empty()) return;
            char texte[INET_ADDRSTRLEN];
            if (::inet_ntop(AF_INET, retenue, texte, sizeof texte) != nullptr) etat.ipv4 = texte;
        });
    } catch (...) {
        // Une lecture interrompue laisserait la suite de sa réponse dans la socket.
        requetes_.fermer();
        throw;
    }

    interfaces_ = std::move(lues);
    a_relire_ = false;
    ++relectures_;
}

std::optional<std::uint64_t> NoyauNetlink::octets_recus(std::string_view nom) {
    if (nom.empty() || nom.size() >= IFNAMSIZ) return std::nullopt;
    if (!compteurs_.valide()) compteurs_ = ouvrir_netlink(0);
    if (!compteurs_.valide()) return std::nullopt;
    struct {
        nlmsghdr entete;
        ifinfomsg lien;
        alignas(RTA_ALIGNTO) char attributs[RTA_SPACE(IFNAMSIZ)];
    } requete{};
    requete.entete.nlmsg_type = RTM_GETLINK;
    requete.entete.nlmsg_flags = NLM_F_REQUEST;
    requete.entete.nlmsg_seq = ++sequence_;
    requete.lien.ifi_family = AF_UNSPEC;
    auto* attribut = reinterpret_cast<rtattr*>(requete.attributs);
    attribut->rta_type = IFLA_IFNAME;
    attribut->rta_len = static_cast<unsigned short>(RTA_LENGTH(nom.size() + 1));
    std::memcpy(RTA_DATA(attribut), nom.data(), nom.size());
    requete.entete.nlmsg_len = NLMSG_LENGTH(sizeof(ifinfomsg)) + RTA_SPACE(nom.size() + 1);
    sockaddr_nl noyau{};
    noyau.nl_family = AF_NETLINK;
    if (::sendto(compteurs_.get(), &requete, requete.entete.nlmsg_len, 0, reinterpret_cast<const sockaddr*>(&noyau),
                 sizeof noyau) < 0) {
        compteurs_.fermer();
        return std::nullopt;
    }
    alignas(nlmsghdr) char tampon[8192];
    for (;;) {
        const auto n = ::recv(compteurs_.get(), tampon, sizeof tampon, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            pollfd attente{compteurs_.get(), POLLIN, 0};
            if ((errno == EAGAIN || errno == EWOULDBLOCK) && ::poll(&attente, 1, 1000) > 0) continue;
            compteurs_.fermer();
            return std::nullopt;
        }
        const auto taille = static_cast<std::size_t>(n);
        for (std::size_t position = 0; taille - position >= sizeof(nlmsghdr);) {
            const auto* message = reinterpret_cast<const nlmsghdr*>(tampon + position);
            if (message->nlmsg_len < sizeof(nlmsghdr) || message->nlmsg_len > taille - position) break;
            position += NLMSG_ALIGN(message->nlmsg_len);
            if (message->nlmsg_seq != sequence_) continue;
            if (message->nlmsg_type == NLMSG_ERROR) return std::nullopt;  // ENODEV : pas d'interface
            if (message->nlmsg_type != RTM_NEWLINK) continue;
            std::optional<std::uint64_t> octets;
            parcourir_attributs<ifinfomsg>(message, [&](const rtattr* a) {
                if (a->rta_type == IFLA_STATS64 && RTA_PAYLOAD(a) >= sizeof(rtnl_link_stats64)) {
                    rtnl_link_stats64 stats;
                    std::memcpy(&stats, RTA_DATA(a), sizeof stats);
                    octets = stats.rx_bytes;
                } else if (a->rta_type == IFLA_STATS && !octets && RTA_PAYLOAD(a) >= sizeof(rtnl_link_stats)) {
                    rtnl_link_stats stats;
                    std::memcpy(&stats, RTA_DATA(a), sizeof stats);
                    octets = stats.rx_bytes;
                }
            });
            return octets;
        }
    }
}

}  // namespace lumi
