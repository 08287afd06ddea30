#include "platform/linux/telephonie_modem.hpp"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <set>

#include "base/descripteur.hpp"
#include "platform/linux/bus_dbus.hpp"

namespace lumi {

namespace {

constexpr const char* service_mm = "org.freedesktop.ModemManager1";
constexpr const char* chemin_mm = "/org/freedesktop/ModemManager1";
constexpr const char* interface_modem = "org.freedesktop.ModemManager1.Modem";

constexpr std::int32_t echec = -1;
constexpr PoigneeTapi poignee_usage = 1;
// Les poignées d'appel commencent loin des poignées de ligne, pour ne jamais les confondre.
constexpr PoigneeTapi premier_appel = 0x100;

}  // namespace

std::vector<std::uint32_t> etats_appel_de_modem(std::int32_t ancien, std::int32_t nouveau) {
    if (nouveau == ancien) return {};
    switch (nouveau) {
        case mm_modem_connexion:
            return {etat_appel_acheminement};
        case mm_modem_connecte:
            return {etat_appel_connecte};
        case mm_modem_deconnexion:
            return {etat_appel_deconnecte};
        default:
            break;
    }
    // Revenu en deçà de la déconnexion (enregistré, ou même en panne) : l'appel est fini.
    if (nouveau < mm_modem_deconnexion) {
        if (ancien == mm_modem_connexion || ancien == mm_modem_connecte)
            return {etat_appel_deconnecte, etat_appel_libre};
        if (ancien == mm_modem_deconnexion) return {etat_appel_libre};
    }
    return {};
}

class TelephonieModem::Lignes {
public:
    explicit Lignes(std::unique_ptr<BusDbus> b) : bus(std::move(b)) {
        veille = Descripteur(::epoll_create1(EPOLL_CLOEXEC));
        reveil = Descripteur(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
        for (const int fd : {bus->descripteur(), reveil.get()}) {
            epoll_event e{};
            e.events = EPOLLIN;
            e.data.fd = fd;
            if (veille.valide() && fd >= 0) ::epoll_ctl(veille.get(), EPOLL_CTL_ADD, fd, &e);
        }
    }

    struct Ligne {
        std::string chemin;
        bool ouverte = false;
        std::int32_t etat = 0;
        PoigneeTapi appel = 0;  // l'appel en cours, 0 : aucun
        std::unique_ptr<BusDbus::Jeton> abonnement;
    };
    struct Evenement {
        PoigneeTapi appel;
        std::uint32_t etat;
    };

    std::unique_ptr<BusDbus> bus;
    Descripteur veille;
    Descripteur reveil;
    RappelLigne rappel;
    bool initialisee = false;
    std::vector<std::string> chemins;
    std::vector<Ligne> lignes;
    std::deque<Evenement> en_attente;
    std::set<PoigneeTapi> liberes;
    PoigneeTapi prochain_appel = premier_appel;

    // Des signaux ont pu arriver pendant un appel au bus : ils attendent dans sd-bus, pas dans
    // la socket ; la boucle est réveillée pour les lire.
    void reveiller() const {
        const std::uint64_t un = 1;
        [[maybe_unused]] const auto e = ::write(reveil.get(), &un, sizeof un);
    }

    void changement(Ligne& ligne, std::int32_t ancien, std::int32_t nouveau) {
        ligne.etat = nouveau;
        for (const auto etat : etats_appel_de_modem(ancien, nouveau)) {
            if (ligne.appel == 0) ligne.appel = prochain_appel++;
            en_attente.push_back({ligne.appel, etat});
            if (etat == etat_appel_libre) ligne.appel = 0;
        }
    }
};

std::unique_ptr<TelephonieModem> TelephonieModem::si_present() {
    try {
        auto bus = BusDbus::systeme_si_joignable();
        if (!bus || !bus->nom_present(service_mm)) return nullptr;
        return std::make_unique<TelephonieModem>(std::move(bus));
    } catch (const ErreurBus&) {
        return nullptr;
    }
}

TelephonieModem::TelephonieModem(std::unique_ptr<BusDbus> bus)
    : l_(std::make_unique<Lignes>(std::move(bus))) {}

TelephonieModem::~TelephonieModem() = default;

std::int32_t TelephonieModem::initialiser(RappelLigne rappel, PoigneeTapi& hLineApp,
                                          std::uint32_t& nb_lignes) {
    hLineApp = 0;
    nb_lignes = 0;
    std::vector<std::string> chemins;
    try {
        auto appel = l_->bus->methode(service_mm, chemin_mm, "org.freedesktop.DBus.ObjectManager",
                                      "GetManagedObjects");
        auto reponse = l_->bus->appeler(appel);
        sd_bus_message* m = reponse.get();
        if (sd_bus_message_enter_container(m, 'a', "{oa{sa{sv}}}") < 0) return echec;
        while (sd_bus_message_enter_container(m, 'e', "oa{sa{sv}}") > 0) {
            const std::string chemin = lire_chemin(m);
            bool modem = false;
            sd_bus_message_enter_container(m, 'a', "{sa{sv}}");
            while (sd_bus_message_enter_container(m, 'e', "sa{sv}") > 0) {
                modem = modem || lire_texte(m) == interface_modem;
                sd_bus_message_skip(m, "a{sv}");
                sd_bus_message_exit_container(m);
            }
            sd_bus_message_exit_container(m);
            sd_bus_message_exit_container(m);
            if (modem) chemins.push_back(chemin);
        }
    } catch (const ErreurBus&) {
        return echec;
    }
    // Les lignes dans un ordre stable d'un démarrage à l'autre.
    std::sort(chemins.begin(), chemins.end());
    l_->chemins = chemins;
    l_->lignes.clear();
    for (auto& c : chemins) l_->lignes.push_back({std::move(c), false, 0, 0, nullptr});
    l_->rappel = std::move(rappel);
    l_->initialisee = true;
    hLineApp = poignee_usage;
    nb_lignes = static_cast<std::uint32_t>(l_->lignes.size());
    return 0;
}

std::int32_t TelephonieModem::negocier_version(PoigneeTapi hLineApp, std::uint32_t ligne,
                                               std::uint32_t version_basse, std::uint32_t version_haute,
                                               std::uint32_t& version) {
    if (!l_->initialisee || hLineApp != poignee_usage || ligne >= l_->lignes.size() ||
        version_basse > version_haute)
        return echec;
    version = version_basse;
    return 0;
}

std::int32_t TelephonieModem::ouvrir_ligne(PoigneeTapi hLineApp, std::uint32_t ligne, PoigneeTapi& hLine,
                                           std::uint32_t, std::uint32_t, std::uint32_t) {
    hLine = 0;
    if (!l_->initialisee || hLineApp != poignee_usage || ligne >= l_->lignes.size()) return echec;
    auto& l = l_->lignes[ligne];
    try {
        const std::string regle = std::string("type='signal',sender='") + service_mm + "',path='" + l.chemin +
                                  "',interface='" + interface_modem + "',member='StateChanged'";
        l.abonnement = l_->bus->abonner(regle, [this, ligne](sd_bus_message* m) {
            std::int32_t ancien = 0, nouveau = 0;
            std::uint32_t raison = 0;
            if (sd_bus_message_read(m, "iiu", &ancien, &nouveau, &raison) < 0) return;
            auto& vue = l_->lignes[ligne];
            if (vue.ouverte) l_->changement(vue, ancien, nouveau);
        });
        l.etat = l_->bus->propriete_i32(service_mm, l.chemin.c_str(), interface_modem, "State");
    } catch (const ErreurBus&) {
        l.abonnement.reset();
        return echec;
    }
    l.ouverte = true;
    l_->reveiller();
    hLine = ligne + 1;
    return 0;
}

std::int32_t TelephonieModem::liberer_appel(PoigneeTapi hCall) {
    if (hCall < premier_appel || hCall >= l_->prochain_appel) return echec;
    l_->liberes.insert(hCall);
    return 0;
}

std::int32_t TelephonieModem::fermer_ligne(PoigneeTapi hLine) {
    if (hLine == 0 || hLine > l_->lignes.size() || !l_->lignes[hLine - 1].ouverte) return echec;
    auto& l = l_->lignes[hLine - 1];
    l.ouverte = false;
    l.abonnement.reset();
    return 0;
}

std::int32_t TelephonieModem::arreter(PoigneeTapi hLineApp) {
    if (!l_->initialisee || hLineApp != poignee_usage) return echec;
    l_->lignes.clear();
    l_->en_attente.clear();
    l_->rappel = nullptr;
    l_->initialisee = false;
    return 0;
}

int TelephonieModem::descripteur_evenements() const {
    return l_->veille.get();
}

void TelephonieModem::traiter_evenements() {
    std::uint64_t n = 0;
    [[maybe_unused]] const auto lu = ::read(l_->reveil.get(), &n, sizeof n);
    try {
        l_->bus->traiter();
    } catch (const ErreurBus&) {
        // Le bus perdu : plus d'événement ; son descripteur, qui resterait lisible, quitte la boucle.
        ::epoll_ctl(l_->veille.get(), EPOLL_CTL_DEL, l_->bus->descripteur(), nullptr);
    }
    // Remis après la lecture du bus : le rappel peut libérer un appel ou fermer la ligne sans
    // revenir dans sd-bus.
    while (!l_->en_attente.empty()) {
        const auto e = l_->en_attente.front();
        l_->en_attente.pop_front();
        if (l_->liberes.contains(e.appel) || !l_->rappel) continue;
        const RappelLigne rappel = l_->rappel;
        rappel(e.appel, message_etat_appel, 0, e.etat, 0, 0);
    }
}

const std::vector<std::string>& TelephonieModem::modems() const {
    return l_->chemins;
}

}  // namespace lumi
