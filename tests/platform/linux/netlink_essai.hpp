#pragma once
// Ce que l'essai du noyau fait aux interfaces, par netlink directement (aucun outil externe) :
// un espace de noms réseau à soi, une paire veth, monter un lien, lui donner une adresse IPv4,
// le supprimer.
#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/veth.h>
#include <net/if.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace lumi::essai {

// Le fil appelant passe dans un espace de noms réseau neuf, vide, et revient à l'ancien à la
// destruction. Sans les droits (ni root ni CAP_SYS_ADMIN), raison_refus() dit pourquoi.
class EspaceReseauEssai {
public:
    EspaceReseauEssai() : ancien_(::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC)) {
        if (ancien_ < 0) {
            refus_ = std::string("espace de noms réseau courant illisible : ") + std::strerror(errno);
        } else if (::unshare(CLONE_NEWNET) != 0) {
            refus_ = std::string(
                         "impossible de créer un espace de noms réseau (il faut être root ou avoir "
                         "CAP_SYS_ADMIN et CAP_NET_ADMIN) : ") +
                     std::strerror(errno);
        }
    }
    ~EspaceReseauEssai() {
        if (ancien_ >= 0) {
            if (!refus_) ::setns(ancien_, CLONE_NEWNET);
            ::close(ancien_);
        }
    }
    EspaceReseauEssai(const EspaceReseauEssai&) = delete;
    EspaceReseauEssai& operator=(const EspaceReseauEssai&) = delete;

    const std::optional<std::string>& raison_refus() const { return refus_; }

private:
    int ancien_;
    std::optional<std::string> refus_;
};

// Une requête netlink construite attribut par attribut, envoyée avec accusé de réception.
class RequeteNetlink {
public:
    RequeteNetlink(std::uint16_t type, std::uint16_t drapeaux) : octets_(NLMSG_HDRLEN, '\0') {
        entete()->nlmsg_type = type;
        entete()->nlmsg_flags = NLM_F_REQUEST | NLM_F_ACK | drapeaux;
    }

    template <typename T>
    void ajouter(const T& corps) {
        octets_.append(reinterpret_cast<const char*>(&corps), sizeof corps);
        aligner();
    }
    void attribut(std::uint16_t type, const void* donnees, std::size_t taille) {
        rtattr a{};
        a.rta_type = type;
        a.rta_len = static_cast<unsigned short>(RTA_LENGTH(taille));
        octets_.append(reinterpret_cast<const char*>(&a), sizeof a);
        octets_.append(static_cast<const char*>(donnees), taille);
        aligner();
    }
    void attribut(std::uint16_t type, const std::string& texte) {
        attribut(type, texte.c_str(), texte.size() + 1);
    }
    // Ouvre un attribut imbriqué ; fermer() avec la position rendue en fixe la longueur.
    std::size_t ouvrir(std::uint16_t type) {
        const auto position = octets_.size();
        attribut(type, nullptr, 0);
        return position;
    }
    void fermer(std::size_t position) {
        reinterpret_cast<rtattr*>(octets_.data() + position)->rta_len =
            static_cast<unsigned short>(octets_.size() - position);
    }

    // Envoie et attend l'accusé ; lève une erreur française si le noyau refuse.
    void envoyer() {
        entete()->nlmsg_len = static_cast<std::uint32_t>(octets_.size());
        const int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
        if (fd < 0) throw std::runtime_error(std::string("socket netlink : ") + std::strerror(errno));
        sockaddr_nl noyau{};
        noyau.nl_family = AF_NETLINK;
        int erreur = 0;
        if (::sendto(fd, octets_.data(), octets_.size(), 0, reinterpret_cast<sockaddr*>(&noyau),
                     sizeof noyau) < 0) {
            erreur = errno;
        } else {
            alignas(nlmsghdr) char reponse[8192];
            const auto n = ::recv(fd, reponse, sizeof reponse, 0);
            const auto* m = reinterpret_cast<const nlmsghdr*>(reponse);
            if (n < 0) {
                erreur = errno;
            } else if (NLMSG_OK(m, n) && m->nlmsg_type == NLMSG_ERROR) {
                erreur = -static_cast<const nlmsgerr*>(NLMSG_DATA(m))->error;
            }
        }
        ::close(fd);
        if (erreur != 0)
            throw std::runtime_error(std::string("requête netlink refusée : ") + std::strerror(erreur));
    }

private:
    nlmsghdr* entete() { return reinterpret_cast<nlmsghdr*>(octets_.data()); }
    void aligner() { octets_.resize(NLMSG_ALIGN(octets_.size()), '\0'); }

    std::string octets_;
};

inline int index_interface(const std::string& nom) {
    const auto index = ::if_nametoindex(nom.c_str());
    if (index == 0) throw std::runtime_error("interface introuvable : " + nom);
    return static_cast<int>(index);
}

// Une paire veth « nom » <-> « pair », toutes deux arrêtées.
inline void creer_veth(const std::string& nom, const std::string& pair) {
    RequeteNetlink r(RTM_NEWLINK, NLM_F_CREATE | NLM_F_EXCL);
    r.ajouter(ifinfomsg{});
    r.attribut(IFLA_IFNAME, nom);
    const auto info = r.ouvrir(IFLA_LINKINFO);
    r.attribut(IFLA_INFO_KIND, std::string("veth"));
    const auto donnees = r.ouvrir(IFLA_INFO_DATA);
    const auto pair_position = r.ouvrir(VETH_INFO_PEER);
    r.ajouter(ifinfomsg{});
    r.attribut(IFLA_IFNAME, pair);
    r.fermer(pair_position);
    r.fermer(donnees);
    r.fermer(info);
    r.envoyer();
}

inline void monter(const std::string& nom) {
    RequeteNetlink r(RTM_NEWLINK, 0);
    ifinfomsg lien{};
    lien.ifi_index = index_interface(nom);
    lien.ifi_flags = IFF_UP;
    lien.ifi_change = IFF_UP;
    r.ajouter(lien);
    r.envoyer();
}

inline void ajouter_ipv4(const std::string& nom, const std::string& adresse, unsigned char prefixe) {
    RequeteNetlink r(RTM_NEWADDR, NLM_F_CREATE | NLM_F_EXCL);
    ifaddrmsg a{};
    a.ifa_family = AF_INET;
    a.ifa_prefixlen = prefixe;
    a.ifa_index = static_cast<unsigned>(index_interface(nom));
    r.ajouter(a);
    in_addr binaire{};
    ::inet_pton(AF_INET, adresse.c_str(), &binaire);
    r.attribut(IFA_LOCAL, &binaire, sizeof binaire);
    r.attribut(IFA_ADDRESS, &binaire, sizeof binaire);
    r.envoyer();
}

inline void supprimer_lien(const std::string& nom) {
    RequeteNetlink r(RTM_DELLINK, 0);
    ifinfomsg lien{};
    lien.ifi_index = index_interface(nom);
    r.ajouter(lien);
    r.envoyer();
}

}  // namespace lumi::essai
