#pragma once
// Les bus de D-Bus, par sd-bus (libsystemd), pour tout le projet : sur le bus système, l'accès à
// distance par NetworkManager, la téléphonie par ModemManager, l'arrêt par logind ; sur le bus de la
// session, les notifications du bureau. sd-bus est en C, sans Qt :
// le cœur et l'outil en ligne de commande s'en servent sans charger Qt ; un seul descripteur à
// surveiller, qu'une boucle (poll, epoll ou QSocketNotifier) suit sans fil à part.
//
// Les appels ici attendent leur réponse (avec un délai) ; seules les réponses tardives possibles
// (une autorisation demandée à l'utilisateur) passent par appeler_sans_attendre().
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct sd_bus;
struct sd_bus_message;
struct sd_bus_slot;

namespace lumi {

// Une erreur du bus ou d'un service : son nom D-Bus (vide pour une erreur du système) et son
// message, en clair. what() : le message, suivi du nom entre parenthèses quand il y en a un.
class ErreurBus : public std::runtime_error {
public:
    ErreurBus(std::string nom, std::string message);
    const std::string& nom() const { return nom_; }
    const std::string& message() const { return message_; }
    // Le service n'est pas sur le bus, ou n'a pas répondu à temps.
    bool service_absent() const;
    bool delai_depasse() const;
    bool acces_refuse() const;

private:
    std::string nom_;
    std::string message_;
};

// Un message possédé (référence rendue à la destruction).
struct LibererMessage {
    void operator()(sd_bus_message* m) const;
};
using MessageBus = std::unique_ptr<sd_bus_message, LibererMessage>;

class BusDbus {
public:
    // Le bus système (DBUS_SYSTEM_BUS_ADDRESS le déplace, comme pour tout client D-Bus). Lève
    // ErreurBus quand il est injoignable ; sans attente : une socket absente échoue aussitôt.
    static std::unique_ptr<BusDbus> systeme();
    // Le même, ou nullptr quand il est injoignable : une machine sans D-Bus (conteneur, session
    // minimale) est un cas ordinaire du démarrage, pas une erreur à lever et rattraper.
    static std::unique_ptr<BusDbus> systeme_si_joignable();
    // Le bus de la session (DBUS_SESSION_BUS_ADDRESS, sinon celui de XDG_RUNTIME_DIR) ; même règle.
    static std::unique_ptr<BusDbus> session();
    ~BusDbus();
    BusDbus(const BusDbus&) = delete;
    BusDbus& operator=(const BusDbus&) = delete;

    sd_bus* get() const { return bus_; }
    // Lisible quand des messages attendent ; traiter() les distribue ensuite.
    int descripteur() const;
    // Distribue tout ce qui attend (signaux, réponses) ; lève ErreurBus si la connexion est perdue.
    void traiter();
    bool connecte() const;

    // Vrai quand le nom a un propriétaire sur le bus.
    bool nom_present(std::string_view nom);

    // Un appel de méthode à remplir ; envoyé par appeler().
    MessageBus methode(const char* service, const char* chemin, const char* interface, const char* membre);
    // Envoie et attend la réponse ; lève ErreurBus pour une erreur en réponse ou un délai dépassé.
    MessageBus appeler(const MessageBus& appel, std::chrono::milliseconds delai = std::chrono::seconds(2));
    // Envoie sans attendre : la réponse (ou l'erreur) arrive à `reponse` pendant un traiter(), une
    // seule fois ; l'abandon (le jeton rendu détruit) la fait oublier.
    using Reponse = std::function<void(sd_bus_message* reponse, const ErreurBus* erreur)>;
    class Jeton;
    std::unique_ptr<Jeton> appeler_sans_attendre(const MessageBus& appel, std::chrono::milliseconds delai,
                                                 Reponse reponse);
    // Envoie sans demander de réponse : ni le service ni son absence ne reviennent. L'écriture (et
    // l'ouverture de la connexion qui la précède) attend au plus `delai` ; lève ErreurBus au-delà
    // ou si le bus est perdu.
    void envoyer_sans_reponse(const MessageBus& appel, std::chrono::milliseconds delai);
    // L'échéance la plus proche d'un appel sans attente, pour réveiller la boucle ; rien sinon.
    std::optional<std::chrono::milliseconds> prochaine_echeance() const;

    // Les propriétés ; lèvent ErreurBus.
    std::string propriete_texte(const char* service, const char* chemin, const char* interface,
                                const char* nom);
    std::uint32_t propriete_u32(const char* service, const char* chemin, const char* interface,
                                const char* nom);
    std::int32_t propriete_i32(const char* service, const char* chemin, const char* interface,
                               const char* nom);
    std::vector<std::string> propriete_chemins(const char* service, const char* chemin, const char* interface,
                                               const char* nom);

    // Un abonnement à des signaux (règle de correspondance D-Bus) ; le rappel reçoit chaque signal
    // pendant un traiter(). L'abonnement dure autant que le jeton rendu.
    using Signal = std::function<void(sd_bus_message* signal)>;
    std::unique_ptr<Jeton> abonner(const std::string& regle, Signal rappel);

private:
    explicit BusDbus(sd_bus* bus) : bus_(bus) {}
    sd_bus* bus_;
    // Un bus qui n'a pas pris un message à temps : la fermeture ne l'attend plus.
    bool sans_vidage_ = false;
};

// L'abonnement ou l'appel en cours : le détruire les défait.
class BusDbus::Jeton {
public:
    ~Jeton();
    Jeton(const Jeton&) = delete;
    Jeton& operator=(const Jeton&) = delete;

private:
    friend class BusDbus;
    Jeton() = default;
    sd_bus_slot* slot_ = nullptr;
    Reponse reponse_;
    Signal signal_;
};

// Lecture des messages : lèvent ErreurBus si le message n'a pas la forme attendue.
std::string lire_texte(sd_bus_message* m);
std::string lire_chemin(sd_bus_message* m);
std::uint32_t lire_u32(sd_bus_message* m);

}  // namespace lumi
