#pragma once
// L'accès à distance réel sous Linux : les liaisons commutées sont des liens PPP menés par pppd.
//
// - Annuaire : les fichiers de pair du dossier des pairs (/etc/ppp/peers).
// - Numéroter : « pon NOM » ; raccrocher : « poff NOM » (commandes réglables), lancées sans shell.
// - Connexions en cours : les pppd vivants connus par leurs fichiers de pid du dossier d'exécution,
//   /run/ppp-NOM.pid (deuxième ligne : l'interface) et /run/pppN.pid ; seul compte un processus pppd
//   lancé avant l'écriture du fichier (un fichier laissé par un pppd tué nomme un pid qui a pu
//   resservir). État : 2 tant que l'interface
//   n'existe pas encore, 5 quand elle existe sans adresse IPv4 (ou pas encore montée), 8192 montée
//   avec une adresse, 8193 quand elle a disparu alors que pppd tourne encore ; plus rien quand pppd
//   est mort.
//
// L'interrogation peut tourner dix fois par seconde pendant toute la vie du programme : rien n'est
// relu tant que rien n'a changé. Un seul poll() regarde le dossier d'exécution (inotify), les
// événements du noyau (netlink) et la fin de chaque pppd (pidfd) ; fichiers et noyau ne sont relus
// qu'après. Les mêmes descripteurs, avec l'échéance d'un état « déconnecté » (timerfd) et le
// signal d'une réponse changée (eventfd), forment la veille (epoll) : qui la surveille n'a plus
// besoin d'interroger à intervalle régulier.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "actions/acces_distant.hpp"
#include "actions/telechargements.hpp"
#include "platform/linux/noyau_reseau.hpp"

namespace lumi {

struct ReglagesPpp {
    std::filesystem::path dossier_pairs = "/etc/ppp/peers";
    std::filesystem::path dossier_execution = "/run";
    // Programme et premiers arguments ; le nom de l'entrée est ajouté en dernier argument.
    std::vector<std::string> commande_numeroter{"pon"};
    std::vector<std::string> commande_raccrocher{"poff"};
    // Une interface disparue alors que pppd ne tient plus son unité (il renumérote ou s'arrête)
    // reste « déconnectée » au moins ce temps, pour que la scrutation la voie, puis repasse à 2.
    std::chrono::milliseconds duree_deconnecte{1000};
};

// Les réglages par défaut, dossiers déplacés par LUMICOMPTEUR_PPP_PAIRS et LUMICOMPTEUR_PPP_RUN
// (une variable vide ne change rien).
ReglagesPpp reglages_ppp_depuis_environnement();

// Un nom d'entrée sûr à passer en argument à pon/poff (scripts shell qui ne le citent pas
// toujours) : lettres, chiffres, « . _ - + @ » et caractères non ASCII, sans « - » ni « . » en tête,
// 255 octets au plus.
bool nom_entree_valide(std::string_view nom);

// Ce que l'adresse et le trafic demandent à l'accès à distance : l'interface de la première
// connexion, son adresse IPv4 et les octets qu'elle a reçus.
class LiaisonPremiereConnexion {
public:
    virtual ~LiaisonPremiereConnexion() = default;
    // L'adresse IPv4 de l'interface de la première connexion ; vide sans connexion ou sans adresse.
    virtual std::string adresse_premiere_connexion() const = 0;
    // L'interface de la première connexion (vide sans connexion) et les octets qu'elle a reçus.
    virtual std::string interface_premiere_connexion() const = 0;
    virtual std::optional<std::uint64_t> octets_recus_premiere_connexion() const = 0;
};

class AccesDistantPpp final : public AccesDistant, public LiaisonPremiereConnexion {
public:
    explicit AccesDistantPpp(ReglagesPpp reglages = reglages_ppp_depuis_environnement());
    // Avec une vue du noyau donnée (essais).
    AccesDistantPpp(ReglagesPpp reglages, std::unique_ptr<NoyauReseau> noyau);
    ~AccesDistantPpp() override;
    AccesDistantPpp(const AccesDistantPpp&) = delete;
    AccesDistantPpp& operator=(const AccesDistantPpp&) = delete;

    // Rangées par pid croissant : le plus ancien pppd d'abord, en général.
    std::vector<ConnexionDistante> connexions() const override;
    // Triées ; les noms qui ne sont pas sûrs (nom_entree_valide) sont laissés de côté.
    std::vector<std::string> entrees_annuaire() const override;
    std::string origine_annuaire() const override;
    // Lance « pon NOM » sans l'attendre ; faux pour une entrée absente ou un lancement impossible.
    bool numeroter(std::string_view entree) override;
    // « poff NOM » pour la première connexion ; SIGTERM à son pppd (par son pidfd) quand son nom
    // n'est pas une entrée de l'annuaire. Faux quand il n'y a aucune connexion ou que rien n'a pu
    // être lancé.
    bool raccrocher() override;

    // La veille : complète quand le dossier d'exécution est surveillé, la vue du noyau à jour et
    // chaque pppd (ou pon, poff lancé) suivi par pidfd.
    int descripteur_veille() const override;
    bool veille_complete() const override;
    void lire_veille() override;

    std::string adresse_premiere_connexion() const override;
    std::string interface_premiere_connexion() const override;
    std::optional<std::uint64_t> octets_recus_premiere_connexion() const override;
    // L'interface de chaque connexion, dans l'ordre de connexions() (vide tant qu'elle n'est pas
    // connue), pour reconnaître un pppd qu'un autre service a lancé.
    std::vector<std::string> interfaces_connexions() const;
    // La vue du noyau sur une interface quelconque : son adresse IPv4 et ses octets reçus.
    std::string adresse_interface(std::string_view interface) const;
    std::optional<std::uint64_t> octets_recus_interface(std::string_view interface) const;

    const ReglagesPpp& reglages() const;
    // Nombre de lectures du dossier d'exécution (mesures et essais).
    std::uint64_t lectures_dossier() const;

private:
    class Suivi;
    std::unique_ptr<Suivi> suivi_;
};

// L'adresse de la machine : celle de l'interface de la connexion en cours, sinon la première
// adresse IPv4 du nom d'hôte, sinon un texte vide.
// Le trafic de la connexion pour la fin d'un téléchargement : les compteurs du noyau de
// l'interface de la première connexion.
class TraficPpp final : public TraficReseau {
public:
    explicit TraficPpp(const LiaisonPremiereConnexion& acces) : acces_(acces) {}
    std::optional<std::uint64_t> octets_recus() const override;
    std::string interface() const override;

private:
    const LiaisonPremiereConnexion& acces_;
};

class AdressePpp final : public SourceAdresse {
public:
    explicit AdressePpp(const LiaisonPremiereConnexion& acces) : acces_(acces) {}
    std::string adresse_ip_locale() const override;

private:
    const LiaisonPremiereConnexion& acces_;
};

// La première adresse IPv4 du nom d'hôte (getaddrinfo), vide si le nom ne se résout pas.
std::string adresse_du_nom_d_hote();

}  // namespace lumi
