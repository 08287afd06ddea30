#include "platform/linux/bus_dbus.hpp"

#include <systemd/sd-bus.h>

#include <cstring>

namespace lumi {

namespace {

constexpr std::uint64_t en_us(std::chrono::milliseconds delai) {
    return delai.count() <= 0 ? 1 : static_cast<std::uint64_t>(delai.count()) * 1000;
}

ErreurBus erreur_systeme(const char* quoi, int r) {
    return ErreurBus({}, std::string(quoi) + " : " + std::strerror(r < 0 ? -r : r));
}

// L'erreur D-Bus si le service en a nommé une, sinon celle du système.
ErreurBus erreur_de(const sd_bus_error& e, int r, const char* quoi) {
    if (sd_bus_error_is_set(&e)) return ErreurBus(e.name, e.message != nullptr ? e.message : "");
    return erreur_systeme(quoi, r);
}

// Libère l'erreur sd-bus en fin de portée.
struct ErreurSd {
    sd_bus_error e = SD_BUS_ERROR_NULL;
    ~ErreurSd() { sd_bus_error_free(&e); }
};

void verifier(int r, const char* quoi) {
    if (r < 0) throw erreur_systeme(quoi, r);
}

}  // namespace

ErreurBus::ErreurBus(std::string nom, std::string message)
    : std::runtime_error(nom.empty() ? message : message + " (" + nom + ")"),
      nom_(std::move(nom)),
      message_(std::move(message)) {}

bool ErreurBus::service_absent() const {
    return nom_ == SD_BUS_ERROR_SERVICE_UNKNOWN || nom_ == SD_BUS_ERROR_NAME_HAS_NO_OWNER ||
           nom_ == SD_BUS_ERROR_UNKNOWN_OBJECT || nom_ == SD_BUS_ERROR_UNKNOWN_METHOD;
}

bool ErreurBus::delai_depasse() const {
    return nom_ == SD_BUS_ERROR_NO_REPLY || nom_ == SD_BUS_ERROR_TIMEOUT ||
           nom_ == "org.freedesktop.DBus.Error.TimedOut";
}

bool ErreurBus::acces_refuse() const {
    return nom_ == SD_BUS_ERROR_ACCESS_DENIED || nom_ == SD_BUS_ERROR_AUTH_FAILED ||
           nom_ == SD_BUS_ERROR_INTERACTIVE_AUTHORIZATION_REQUIRED ||
           nom_ == "org.freedesktop.NetworkManager.PermissionDenied";
}

void LibererMessage::operator()(sd_bus_message* m) const {
    sd_bus_message_unref(m);
}

namespace {

int ouvrir_bus_systeme(sd_bus*& bus) {
    const int r = sd_bus_open_system(&bus);
    // Un service muet ne retient pas le programme : deux secondes par appel sans délai donné
    // (lectures de propriétés), au lieu des vingt-cinq de sd-bus.
    if (r >= 0) sd_bus_set_method_call_timeout(bus, 2'000'000);
    return r;
}

}  // namespace

std::unique_ptr<BusDbus> BusDbus::systeme() {
    sd_bus* bus = nullptr;
    if (const int r = ouvrir_bus_systeme(bus); r < 0) throw erreur_systeme("Bus système injoignable", r);
    return std::unique_ptr<BusDbus>(new BusDbus(bus));
}

std::unique_ptr<BusDbus> BusDbus::systeme_si_joignable() {
    sd_bus* bus = nullptr;
    if (ouvrir_bus_systeme(bus) < 0) return nullptr;
    return std::unique_ptr<BusDbus>(new BusDbus(bus));
}

std::unique_ptr<BusDbus> BusDbus::session() {
    sd_bus* bus = nullptr;
    const int r = sd_bus_open_user(&bus);
    if (r < 0) throw erreur_systeme("Bus de la session injoignable", r);
    sd_bus_set_method_call_timeout(bus, 2'000'000);
    return std::unique_ptr<BusDbus>(new BusDbus(bus));
}

BusDbus::~BusDbus() {
    // Ce qui reste à écrire part avant la fermeture (une réponse à un signal, un abandon) ; sauf
    // sur un bus qui ne lit plus, où le vidage attendrait sans fin.
    if (sans_vidage_)
        sd_bus_close_unref(bus_);
    else
        sd_bus_flush_close_unref(bus_);
}

int BusDbus::descripteur() const {
    return sd_bus_get_fd(bus_);
}

bool BusDbus::connecte() const {
    return sd_bus_is_open(bus_) > 0;
}

void BusDbus::traiter() {
    for (;;) {
        const int r = sd_bus_process(bus_, nullptr);
        if (r < 0) throw erreur_systeme("Bus système perdu", r);
        if (r == 0) return;
    }
}

std::optional<std::chrono::milliseconds> BusDbus::prochaine_echeance() const {
    std::uint64_t us = 0;
    if (sd_bus_get_timeout(bus_, &us) <= 0 || us == UINT64_MAX) return std::nullopt;
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    const std::uint64_t maintenant = std::uint64_t(t.tv_sec) * 1'000'000 + std::uint64_t(t.tv_nsec) / 1000;
    return std::chrono::milliseconds(us > maintenant ? (us - maintenant + 999) / 1000 : 0);
}

bool BusDbus::nom_present(std::string_view nom) {
    auto appel =
        methode("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner");
    verifier(sd_bus_message_append(appel.get(), "s", std::string(nom).c_str()), "Appel D-Bus");
    auto reponse = appeler(appel, std::chrono::seconds(2));
    int present = 0;
    verifier(sd_bus_message_read(reponse.get(), "b", &present), "Réponse D-Bus");
    return present != 0;
}

MessageBus BusDbus::methode(const char* service, const char* chemin, const char* interface,
                            const char* membre) {
    sd_bus_message* m = nullptr;
    verifier(sd_bus_message_new_method_call(bus_, &m, service, chemin, interface, membre), "Appel D-Bus");
    return MessageBus(m);
}

MessageBus BusDbus::appeler(const MessageBus& appel, std::chrono::milliseconds delai) {
    ErreurSd erreur;
    sd_bus_message* reponse = nullptr;
    const int r = sd_bus_call(bus_, appel.get(), en_us(delai), &erreur.e, &reponse);
    if (r < 0) throw erreur_de(erreur.e, r, "Appel D-Bus");
    return MessageBus(reponse);
}

BusDbus::Jeton::~Jeton() {
    sd_bus_slot_unref(slot_);
}

std::unique_ptr<BusDbus::Jeton> BusDbus::appeler_sans_attendre(const MessageBus& appel,
                                                               std::chrono::milliseconds delai,
                                                               Reponse reponse) {
    std::unique_ptr<Jeton> jeton(new Jeton);
    jeton->reponse_ = std::move(reponse);
    const auto rappel = [](sd_bus_message* m, void* donnees, sd_bus_error*) -> int {
        auto* j = static_cast<Jeton*>(donnees);
        // Le rappel peut détruire le jeton : la fonction est mise de côté avant.
        const Reponse r = std::move(j->reponse_);
        if (const sd_bus_error* e = sd_bus_message_get_error(m); e != nullptr && sd_bus_error_is_set(e)) {
            const ErreurBus erreur(e->name, e->message != nullptr ? e->message : "");
            if (r) r(nullptr, &erreur);
        } else if (r) {
            r(m, nullptr);
        }
        return 0;
    };
    verifier(sd_bus_call_async(bus_, &jeton->slot_, appel.get(), rappel, jeton.get(), en_us(delai)),
             "Appel D-Bus");
    // Un petit message part tout de suite : la boucle n'a pas à surveiller l'écriture.
    sd_bus_flush(bus_);
    return jeton;
}

void BusDbus::envoyer_sans_reponse(const MessageBus& appel, std::chrono::milliseconds delai) {
    verifier(sd_bus_message_set_expect_reply(appel.get(), 0), "Appel D-Bus");
    verifier(sd_bus_send(bus_, appel.get(), nullptr), "Appel D-Bus");
    // sd_bus_flush attendrait sans borne un bus qui ne lit plus : l'écriture est menée ici, avec
    // l'échéance. Les messages reçus en passant (l'accueil du bus) sont distribués et oubliés.
    const auto fin = std::chrono::steady_clock::now() + delai;
    for (;;) {
        const int r = sd_bus_process(bus_, nullptr);
        if (r < 0) throw erreur_systeme("Bus perdu", r);
        if (r > 0) continue;
        std::uint64_t en_attente = 0;
        verifier(sd_bus_get_n_queued_write(bus_, &en_attente), "Envoi D-Bus");
        if (en_attente == 0) return;
        const auto reste =
            std::chrono::duration_cast<std::chrono::microseconds>(fin - std::chrono::steady_clock::now());
        if (reste.count() <= 0) {
            sans_vidage_ = true;
            throw ErreurBus(SD_BUS_ERROR_TIMEOUT, "Le bus n'a pas pris le message à temps.");
        }
        const int w = sd_bus_wait(bus_, static_cast<std::uint64_t>(reste.count()));
        if (w < 0) throw erreur_systeme("Bus perdu", w);
    }
}

std::unique_ptr<BusDbus::Jeton> BusDbus::abonner(const std::string& regle, Signal rappel) {
    std::unique_ptr<Jeton> jeton(new Jeton);
    jeton->signal_ = std::move(rappel);
    const auto relais = [](sd_bus_message* m, void* donnees, sd_bus_error*) -> int {
        auto* j = static_cast<Jeton*>(donnees);
        if (j->signal_) j->signal_(m);
        return 0;
    };
    verifier(sd_bus_add_match(bus_, &jeton->slot_, regle.c_str(), relais, jeton.get()), "Abonnement D-Bus");
    return jeton;
}

std::string BusDbus::propriete_texte(const char* service, const char* chemin, const char* interface,
                                     const char* nom) {
    ErreurSd erreur;
    char* texte = nullptr;
    const int r = sd_bus_get_property_string(bus_, service, chemin, interface, nom, &erreur.e, &texte);
    if (r < 0) throw erreur_de(erreur.e, r, "Propriété D-Bus");
    std::string resultat(texte != nullptr ? texte : "");
    std::free(texte);
    return resultat;
}

std::uint32_t BusDbus::propriete_u32(const char* service, const char* chemin, const char* interface,
                                     const char* nom) {
    ErreurSd erreur;
    std::uint32_t valeur = 0;
    const int r = sd_bus_get_property_trivial(bus_, service, chemin, interface, nom, &erreur.e, 'u', &valeur);
    if (r < 0) throw erreur_de(erreur.e, r, "Propriété D-Bus");
    return valeur;
}

std::int32_t BusDbus::propriete_i32(const char* service, const char* chemin, const char* interface,
                                    const char* nom) {
    ErreurSd erreur;
    std::int32_t valeur = 0;
    const int r = sd_bus_get_property_trivial(bus_, service, chemin, interface, nom, &erreur.e, 'i', &valeur);
    if (r < 0) throw erreur_de(erreur.e, r, "Propriété D-Bus");
    return valeur;
}

std::vector<std::string> BusDbus::propriete_chemins(const char* service, const char* chemin,
                                                    const char* interface, const char* nom) {
    ErreurSd erreur;
    sd_bus_message* reponse = nullptr;
    const int r = sd_bus_get_property(bus_, service, chemin, interface, nom, &erreur.e, &reponse, "ao");
    if (r < 0) throw erreur_de(erreur.e, r, "Propriété D-Bus");
    const MessageBus garde(reponse);
    std::vector<std::string> chemins;
    verifier(sd_bus_message_enter_container(reponse, 'a', "o"), "Réponse D-Bus");
    const char* c = nullptr;
    int lu = 0;
    while ((lu = sd_bus_message_read_basic(reponse, 'o', &c)) > 0) chemins.emplace_back(c);
    verifier(lu, "Réponse D-Bus");
    return chemins;
}

std::string lire_texte(sd_bus_message* m) {
    const char* t = nullptr;
    verifier(sd_bus_message_read_basic(m, 's', &t), "Message D-Bus");
    return t != nullptr ? t : "";
}

std::string lire_chemin(sd_bus_message* m) {
    const char* t = nullptr;
    verifier(sd_bus_message_read_basic(m, 'o', &t), "Message D-Bus");
    return t != nullptr ? t : "";
}

std::uint32_t lire_u32(sd_bus_message* m) {
    std::uint32_t v = 0;
    verifier(sd_bus_message_read_basic(m, 'u', &v), "Message D-Bus");
    return v;
}

}  // namespace lumi
