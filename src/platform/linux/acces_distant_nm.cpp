#include "platform/linux/acces_distant_nm.hpp"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <stdexcept>

#include "base/descripteur.hpp"
#include "platform/linux/bus_dbus.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/fichier_ini.hpp"

namespace lumi {

namespace {

constexpr const char* service_nm = "org.freedesktop.NetworkManager";
constexpr const char* chemin_nm = "/org/freedesktop/NetworkManager";
constexpr const char* interface_nm = "org.freedesktop.NetworkManager";
constexpr const char* chemin_profils = "/org/freedesktop/NetworkManager/Settings";
constexpr const char* interface_profils = "org.freedesktop.NetworkManager.Settings";
constexpr const char* interface_profil = "org.freedesktop.NetworkManager.Settings.Connection";
constexpr const char* interface_active = "org.freedesktop.NetworkManager.Connection.Active";
constexpr const char* interface_appareil = "org.freedesktop.NetworkManager.Device";

// Une autorisation de polkit peut être demandée : l'utilisateur a le temps de répondre.
constexpr std::chrono::seconds delai_commande{25};

std::string_view sans_blancs(std::string_view t) {
    const auto debut = t.find_first_not_of(" \t");
    if (debut == std::string_view::npos) return {};
    return t.substr(debut, t.find_last_not_of(" \t") - debut + 1);
}

struct Profil {
    std::string chemin;
    std::string id;
    std::string type;
};

// L'« id » et le « type » de la section "connection" des réglages d'un profil (a{sa{sv}}).
void lire_id_type(sd_bus_message* m, Profil& profil) {
    auto v = [](int r) {
        if (r < 0) throw ErreurBus({}, "Réglages d'un profil de NetworkManager illisibles");
        return r;
    };
    v(sd_bus_message_enter_container(m, 'a', "{sa{sv}}"));
    while (v(sd_bus_message_enter_container(m, 'e', "sa{sv}")) > 0) {
        const std::string section = lire_texte(m);
        v(sd_bus_message_enter_container(m, 'a', "{sv}"));
        while (v(sd_bus_message_enter_container(m, 'e', "sv")) > 0) {
            const std::string cle = lire_texte(m);
            const char* contenu = nullptr;
            char type = 0;
            v(sd_bus_message_peek_type(m, &type, &contenu));
            if (section == "connection" && (cle == "id" || cle == "type") && contenu != nullptr &&
                std::string_view(contenu) == "s") {
                v(sd_bus_message_enter_container(m, 'v', "s"));
                (cle == "id" ? profil.id : profil.type) = lire_texte(m);
                v(sd_bus_message_exit_container(m));
            } else {
                v(sd_bus_message_skip(m, "v"));
            }
            v(sd_bus_message_exit_container(m));
        }
        v(sd_bus_message_exit_container(m));
        v(sd_bus_message_exit_container(m));
    }
    v(sd_bus_message_exit_container(m));
}

// Le refus de NetworkManager en une phrase, sa raison à la suite.
std::runtime_error refus(const std::string& action, const ErreurBus& e) {
    std::string raison = e.message().empty() ? e.nom() : e.message();
    if (e.acces_refuse()) return std::runtime_error(action + " est refusée : " + raison);
    if (e.delai_depasse()) return std::runtime_error(action + " : NetworkManager n'a pas répondu à temps.");
    if (e.service_absent()) return std::runtime_error(action + " : NetworkManager est absent du bus.");
    return std::runtime_error(action + " est refusée par NetworkManager : " + e.what());
}

}  // namespace

std::vector<std::string> types_connexions_comptees(const std::filesystem::path& dossier_donnees) {
    std::string texte(parametres::types_connexions.defaut);
    try {
        texte = lire(FichierIni(dossier_donnees / fichier_reglages), parametres::types_connexions);
    } catch (const std::exception&) {
        // Un fichier illisible : la liste par défaut, comme un fichier absent.
    }
    std::vector<std::string> types;
    std::string_view reste(texte);
    while (!reste.empty()) {
        const auto virgule = reste.find(',');
        const auto type = sans_blancs(reste.substr(0, virgule));
        if (!type.empty()) types.emplace_back(type);
        reste = virgule == std::string_view::npos ? std::string_view() : reste.substr(virgule + 1);
    }
    return types;
}

int etat_ras_de_nm(std::uint32_t etat_connexion, std::uint32_t etat_appareil) {
    switch (etat_connexion) {
        case nm_actif_active:
            return etat_ras_connecte;
        case nm_actif_desactivation:
        case nm_actif_desactivee:
            return etat_ras_deconnecte;
        default:  // activation, ou inconnu : la connexion existe et n'est pas encore montée
            return etat_appareil >= nm_appareil_config_ip && etat_appareil <= nm_appareil_secondaires
                       ? etat_ras_authentification
                       : etat_ras_connexion_peripherique;
    }
}

class AccesDistantNm::Suivi {
public:
    Suivi(std::unique_ptr<BusDbus> b, std::filesystem::path d) : bus(std::move(b)), dossier(std::move(d)) {
        // Tout signal de NetworkManager peut changer la vue, sauf ceux des points d'accès Wi-Fi,
        // nombreux et sans effet ici ; l'arrivée ou le départ du service aussi.
        const auto marquer = [this](sd_bus_message* m) {
            const char* chemin = sd_bus_message_get_path(m);
            if (chemin != nullptr &&
                std::string_view(chemin).starts_with(chemin_nm + std::string("/AccessPoint")))
                return;
            a_relire = true;
        };
        abonnements.push_back(
            bus->abonner(std::string("type='signal',sender='") + service_nm + "'", marquer));
        abonnements.push_back(bus->abonner(
            std::string("type='signal',sender='org.freedesktop.DBus',member='NameOwnerChanged',arg0='") +
                service_nm + "'",
            marquer));
        veille = Descripteur(::epoll_create1(EPOLL_CLOEXEC));
        changement = Descripteur(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
        for (const int fd : {bus->descripteur(), changement.get()}) {
            epoll_event e{};
            e.events = EPOLLIN;
            e.data.fd = fd;
            if (veille.valide() && fd >= 0) ::epoll_ctl(veille.get(), EPOLL_CTL_ADD, fd, &e);
        }
    }

    std::unique_ptr<BusDbus> bus;
    std::filesystem::path dossier;
    std::vector<std::unique_ptr<BusDbus::Jeton>> abonnements;
    Descripteur veille;
    Descripteur changement;
    bool a_relire = true;
    bool tenue = false;
    bool perdu = false;
    bool en_erreur = false;  // la dernière relecture a échoué : la veille ne suffit plus
    std::chrono::steady_clock::time_point prochain_essai;
    std::vector<ConnexionNm> vues;
    std::vector<ConnexionNm> vues_a_la_veille;
    // Les connexions vues en cours d'activation, et celles dont l'authentification a été dite.
    std::set<std::string> vues_en_activation;
    std::set<std::string> authentification_dite;
    std::uint64_t relectures = 0;

    void mettre_a_jour();
    // La vue, pour qui veut les connexions ; lire() pour la veille.
    std::vector<ConnexionNm> lues();
    void lire();
    std::vector<Profil> profils();
    void signaler_changement() const {
        const std::uint64_t un = 1;
        if (changement.valide()) [[maybe_unused]]
            const auto e = ::write(changement.get(), &un, sizeof un);
    }

private:
    std::vector<ConnexionNm> relire();
};

std::vector<Profil> AccesDistantNm::Suivi::profils() {
    auto appel = bus->methode(service_nm, chemin_profils, interface_profils, "ListConnections");
    auto reponse = bus->appeler(appel);
    std::vector<std::string> chemins;
    if (sd_bus_message_enter_container(reponse.get(), 'a', "o") < 0)
        throw ErreurBus({}, "Liste des profils de NetworkManager illisible");
    const char* c = nullptr;
    while (sd_bus_message_read_basic(reponse.get(), 'o', &c) > 0) chemins.emplace_back(c);
    std::vector<Profil> liste;
    for (auto& chemin : chemins) {
        Profil profil{chemin, {}, {}};
        try {
            auto reglages = bus->methode(service_nm, chemin.c_str(), interface_profil, "GetSettings");
            auto r = bus->appeler(reglages);
            lire_id_type(r.get(), profil);
        } catch (const ErreurBus& e) {
            // Un profil effacé entre la liste et sa lecture : il n'est plus dans l'annuaire.
            if (!e.service_absent()) throw;
            continue;
        }
        if (!profil.id.empty()) liste.push_back(std::move(profil));
    }
    return liste;
}

std::vector<ConnexionNm> AccesDistantNm::Suivi::relire() {
    ++relectures;
    const auto types = types_connexions_comptees(dossier);
    std::vector<ConnexionNm> liste;
    for (const auto& chemin :
         bus->propriete_chemins(service_nm, chemin_nm, interface_nm, "ActiveConnections")) {
        try {
            const char* c = chemin.c_str();
            const std::string type = bus->propriete_texte(service_nm, c, interface_active, "Type");
            if (std::find(types.begin(), types.end(), type) == types.end()) continue;
            ConnexionNm vue;
            vue.chemin = chemin;
            vue.connexion.nom_entree = bus->propriete_texte(service_nm, c, interface_active, "Id");
            const auto etat = bus->propriete_u32(service_nm, c, interface_active, "State");
            std::uint32_t etat_appareil = 0;
            const auto appareils = bus->propriete_chemins(service_nm, c, interface_active, "Devices");
            if (!appareils.empty()) {
                const char* a = appareils.front().c_str();
                etat_appareil = bus->propriete_u32(service_nm, a, interface_appareil, "State");
                vue.interface = bus->propriete_texte(service_nm, a, interface_appareil, "IpInterface");
                if (vue.interface.empty())
                    vue.interface = bus->propriete_texte(service_nm, a, interface_appareil, "Interface");
            }
            vue.connexion.etat = etat_ras_de_nm(etat, etat_appareil);
            liste.push_back(std::move(vue));
        } catch (const ErreurBus& e) {
            // Une connexion partie entre la liste et sa lecture : elle n'est plus là.
            if (!e.service_absent()) throw;
        }
    }
    return liste;
}

void AccesDistantNm::Suivi::mettre_a_jour() {
    // Les signaux arrivés sont distribués (ils marquent la vue), la vue n'est relue qu'alors.
    if (!perdu) {
        try {
            bus->traiter();
        } catch (const ErreurBus&) {
            // Le bus système perdu : plus rien de NetworkManager, et son descripteur, qui resterait
            // lisible, quitte la veille (la détection repasse à l'interrogation régulière).
            perdu = true;
            ::epoll_ctl(veille.get(), EPOLL_CTL_DEL, bus->descripteur(), nullptr);
            vues.clear();
        }
    }
    // Après une erreur, NetworkManager n'est pas réinterrogé avant un moment : un service qui ne
    // répond plus ne doit pas figer la fenêtre à chaque passage.
    const bool en_attente = en_erreur && std::chrono::steady_clock::now() < prochain_essai;
    if (!perdu && !tenue && a_relire && !en_attente) {
        a_relire = false;
        std::vector<ConnexionNm> liste;
        try {
            liste = relire();
            en_erreur = false;
        } catch (const ErreurBus& e) {
            // NetworkManager parti du bus : plus aucune connexion de lui. Une autre erreur (un
            // délai dépassé) garde la vue d'avant, relue aux passages suivants : un hoquet du bus
            // ne doit pas finir la connexion en cours, ni celle de pppd qui passe avec elle.
            if (!e.service_absent()) {
                a_relire = true;
                en_erreur = true;
                prochain_essai = std::chrono::steady_clock::now() + std::chrono::seconds(2);
                return;
            }
        }
        // Une connexion vue en activation puis activée d'un coup (signaux groupés) passe d'abord
        // par l'authentification, tenue jusqu'à ce qu'on l'ait lue : c'est là que la détection
        // fait partir le compteur.
        std::set<std::string> presents;
        for (auto& vue : liste) {
            presents.insert(vue.chemin);
            auto& etat = vue.connexion.etat;
            if (etat == etat_ras_connexion_peripherique) vues_en_activation.insert(vue.chemin);
            if (etat == etat_ras_authentification) authentification_dite.insert(vue.chemin);
            if (etat == etat_ras_connecte && vues_en_activation.contains(vue.chemin) &&
                !authentification_dite.contains(vue.chemin)) {
                etat = etat_ras_authentification;
                authentification_dite.insert(vue.chemin);
                tenue = true;
            }
        }
        std::erase_if(vues_en_activation, [&](const std::string& c) { return !presents.contains(c); });
        std::erase_if(authentification_dite, [&](const std::string& c) { return !presents.contains(c); });
        vues = std::move(liste);
        // Les signaux venus pendant la relecture attendent dans sd-bus, pas dans la socket.
        bus->traiter();
    }
    // La veille reste levée tant que la vue diffère de la dernière veille lue, ou qu'une relecture
    // attend un signal déjà distribué.
    if (vues != vues_a_la_veille || a_relire) signaler_changement();
}

void AccesDistantNm::Suivi::lire() {
    std::uint64_t n = 0;
    // Lu même si la relecture échoue : la détection repasse alors à l'interrogation régulière.
    try {
        mettre_a_jour();
    } catch (...) {
        vues_a_la_veille = vues;
        throw;
    }
    vues_a_la_veille = vues;
    // En erreur, c'est l'interrogation régulière qui réessaie (la veille ne suffit plus) : la
    // veille levée tournerait sans répit.
    if (a_relire && !en_erreur) {
        signaler_changement();
    } else if (changement.valide()) {
        [[maybe_unused]] const auto lu = ::read(changement.get(), &n, sizeof n);
    }
}

std::vector<ConnexionNm> AccesDistantNm::Suivi::lues() {
    mettre_a_jour();
    auto liste = vues;
    if (tenue) {
        // L'authentification tenue a été lue : l'état réel suit au passage suivant.
        tenue = false;
        a_relire = true;
        signaler_changement();
    }
    return liste;
}

std::unique_ptr<AccesDistantNm> AccesDistantNm::si_present(std::filesystem::path dossier_donnees) {
    try {
        auto bus = BusDbus::systeme_si_joignable();
        if (!bus || !bus->nom_present(service_nm)) return nullptr;
        return std::make_unique<AccesDistantNm>(std::move(bus), std::move(dossier_donnees));
    } catch (const ErreurBus&) {
        return nullptr;
    }
}

AccesDistantNm::AccesDistantNm(std::unique_ptr<BusDbus> bus, std::filesystem::path dossier_donnees)
    : suivi_(std::make_unique<Suivi>(std::move(bus), std::move(dossier_donnees))) {}

AccesDistantNm::~AccesDistantNm() = default;

std::vector<ConnexionNm> AccesDistantNm::connexions_nm() const {
    return suivi_->lues();
}

std::vector<ConnexionDistante> AccesDistantNm::connexions() const {
    std::vector<ConnexionDistante> liste;
    for (auto& vue : connexions_nm()) liste.push_back(std::move(vue.connexion));
    return liste;
}

std::vector<std::string> AccesDistantNm::entrees_annuaire() const {
    const auto types = types_connexions_comptees(suivi_->dossier);
    std::vector<std::string> entrees;
    for (auto& profil : suivi_->profils()) {
        if (std::find(types.begin(), types.end(), profil.type) != types.end())
            entrees.push_back(std::move(profil.id));
    }
    return entrees;
}

std::string AccesDistantNm::origine_annuaire() const {
    return "les connexions de NetworkManager (types comptés : section « connexions a compter » de " +
           std::string(fichier_reglages) + ")";
}

bool AccesDistantNm::numeroter(std::string_view entree) {
    const std::string action = "L'activation de « " + std::string(entree) + " »";
    try {
        const auto types = types_connexions_comptees(suivi_->dossier);
        for (const auto& profil : suivi_->profils()) {
            if (profil.id != entree || std::find(types.begin(), types.end(), profil.type) == types.end())
                continue;
            auto appel = suivi_->bus->methode(service_nm, chemin_nm, interface_nm, "ActivateConnection");
            sd_bus_message_append(appel.get(), "ooo", profil.chemin.c_str(), "/", "/");
            sd_bus_message_set_allow_interactive_authorization(appel.get(), 1);
            suivi_->bus->appeler(appel, delai_commande);
            suivi_->a_relire = true;
            return true;
        }
    } catch (const ErreurBus& e) {
        throw refus(action, e);
    }
    return false;
}

bool AccesDistantNm::raccrocher() {
    try {
        const auto vues = suivi_->lues();
        if (vues.empty()) return false;
        auto appel = suivi_->bus->methode(service_nm, chemin_nm, interface_nm, "DeactivateConnection");
        sd_bus_message_append(appel.get(), "o", vues.front().chemin.c_str());
        sd_bus_message_set_allow_interactive_authorization(appel.get(), 1);
        suivi_->bus->appeler(appel, delai_commande);
        suivi_->a_relire = true;
        return true;
    } catch (const ErreurBus& e) {
        throw refus("La déconnexion", e);
    }
}

int AccesDistantNm::descripteur_veille() const {
    return suivi_->veille.get();
}

bool AccesDistantNm::veille_complete() const {
    return suivi_->veille.valide() && suivi_->changement.valide() && !suivi_->perdu && !suivi_->en_erreur;
}

void AccesDistantNm::lire_veille() {
    suivi_->lire();
}

std::uint64_t AccesDistantNm::relectures() const {
    return suivi_->relectures;
}

}  // namespace lumi
