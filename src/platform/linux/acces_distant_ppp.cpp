#include "platform/linux/acces_distant_ppp.hpp"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <netdb.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/timerfd.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>

extern char** environ;

namespace lumi {

namespace {

std::int64_t maintenant_ms() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string_view sans_blancs(std::string_view texte) {
    const auto debut = texte.find_first_not_of(" \t\r\n");
    if (debut == std::string_view::npos) return {};
    const auto fin = texte.find_last_not_of(" \t\r\n");
    return texte.substr(debut, fin - debut + 1);
}

std::int64_t en_ns(const timespec& t) {
    return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec;
}

// Le début d'un petit fichier ordinaire (les fichiers de pid tiennent en quelques octets). Un tube
// ou un périphérique du même nom est refusé : l'ouvrir en lecture bloquerait la scrutation.
std::optional<std::string> lire_debut(const std::filesystem::path& chemin, std::size_t maximum = 4096,
                                      std::int64_t* modifie_ns = nullptr) {
    const Descripteur fd(::open(chemin.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat etat {};
    if (!fd.valide() || ::fstat(fd.get(), &etat) != 0 || !S_ISREG(etat.st_mode)) return std::nullopt;
    if (modifie_ns) *modifie_ns = en_ns(etat.st_mtim);
    std::string contenu(maximum, '\0');
    std::size_t lus = 0;
    while (lus < maximum) {
        const auto n = ::read(fd.get(), contenu.data() + lus, maximum - lus);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        lus += static_cast<std::size_t>(n);
    }
    contenu.resize(lus);
    return contenu;
}

std::optional<pid_t> lire_pid(std::string_view texte) {
    texte = sans_blancs(texte);
    if (texte.empty() || texte.size() > 10) return std::nullopt;
    long valeur = 0;
    const auto [fin, erreur] = std::from_chars(texte.data(), texte.data() + texte.size(), valeur);
    if (erreur != std::errc{} || fin != texte.data() + texte.size() || valeur <= 0 || valeur > INT_MAX) {
        return std::nullopt;
    }
    return static_cast<pid_t>(valeur);
}

// Un nom d'interface tel que le noyau les accepte (au plus 15 octets, ni « / » ni blanc).
bool nom_interface_valide(std::string_view nom) {
    if (nom.empty() || nom.size() > 15 || nom == "." || nom == "..") return false;
    return std::none_of(nom.begin(), nom.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return c == '/' || c == ':' || u <= ' ' || u == 0x7F;
    });
}

// « pppN.pid » -> « pppN ».
std::optional<std::string> interface_du_fichier_unite(std::string_view nom) {
    if (nom.size() <= 7 || !nom.starts_with("ppp") || !nom.ends_with(".pid")) return std::nullopt;
    const auto chiffres = nom.substr(3, nom.size() - 7);
    if (!std::all_of(chiffres.begin(), chiffres.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return std::string(nom.substr(0, nom.size() - 4));
}

// « ppp-NOM.pid » -> « NOM ».
std::optional<std::string> entree_du_fichier_lien(std::string_view nom) {
    if (nom.size() <= 8 || !nom.starts_with("ppp-") || !nom.ends_with(".pid")) return std::nullopt;
    return std::string(nom.substr(4, nom.size() - 8));
}

bool nom_de_fichier_pid(std::string_view nom) {
    return interface_du_fichier_unite(nom) || entree_du_fichier_lien(nom);
}

// L'entrée d'un pppd lancé par « pppd call NOM » (ce que fait pon), lue sur sa ligne de commande.
std::string entree_de_la_ligne_de_commande(pid_t pid) {
    const auto contenu = lire_debut("/proc/" + std::to_string(pid) + "/cmdline", 65536);
    if (!contenu) return {};
    std::vector<std::string_view> arguments;
    std::string_view reste(*contenu);
    while (!reste.empty()) {
        const auto fin = reste.find('\0');
        arguments.push_back(reste.substr(0, fin));
        if (fin == std::string_view::npos) break;
        reste.remove_prefix(fin + 1);
    }
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == "call") return std::string(arguments[i + 1]);
    }
    return {};
}

Descripteur ouvrir_pidfd(pid_t pid, bool& non_pris_en_charge) {
#ifdef SYS_pidfd_open
    const long fd = ::syscall(SYS_pidfd_open, pid, 0);
    if (fd >= 0) return Descripteur(static_cast<int>(fd));
    non_pris_en_charge = errno == ENOSYS;
#else
    non_pris_en_charge = true;
#endif
    return Descripteur();
}

// Ce que /proc dit d'un processus : son nom court et son départ, en tops depuis l'amorçage.
struct IdentiteProcessus {
    std::string nom;
    std::uint64_t depart_tops = 0;
};

std::optional<IdentiteProcessus> identite_processus(pid_t pid) {
    const auto contenu = lire_debut("/proc/" + std::to_string(pid) + "/stat");
    if (!contenu) return std::nullopt;
    // « pid (nom) état ... » : le nom peut contenir blancs et parenthèses, il finit à la dernière « ) ».
    const std::string_view texte(*contenu);
    const auto ouvrante = texte.find('(');
    const auto fermante = texte.rfind(')');
    if (ouvrante == std::string_view::npos || fermante == std::string_view::npos || fermante < ouvrante)
        return std::nullopt;
    IdentiteProcessus identite{std::string(texte.substr(ouvrante + 1, fermante - ouvrante - 1)), 0};
    // Après le nom viennent les champs 3 (état) et suivants ; le départ est le champ 22.
    std::string_view reste = texte.substr(fermante + 1);
    for (int champ = 3; champ <= 22; ++champ) {
        reste = reste.substr(std::min(reste.find_first_not_of(' '), reste.size()));
        const auto fin = std::min(reste.find(' '), reste.size());
        if (champ == 22) {
            const auto [lu, erreur] = std::from_chars(reste.data(), reste.data() + fin, identite.depart_tops);
            if (erreur != std::errc{} || lu != reste.data() + fin) return std::nullopt;
        }
        reste.remove_prefix(fin);
    }
    return identite;
}

// pppd se reconnaît à son nom court, ou à son programme quand on a le droit de le lire (un pppd
// lancé par un lien d'un autre nom).
bool est_pppd(pid_t pid, const IdentiteProcessus& identite) {
    if (identite.nom == "pppd") return true;
    std::error_code erreur;
    std::string programme = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", erreur);
    if (erreur) return false;
    if (programme.ends_with(" (deleted)")) programme.resize(programme.size() - 10);  // mis à jour depuis
    return std::filesystem::path(programme).filename() == "pppd";
}

// Le départ d'un processus en temps réel (ns depuis 1970), comparable aux dates des fichiers.
// L'heure de l'amorçage est prise aux horloges : /proc/stat ne la donne qu'à la seconde.
std::int64_t depart_en_temps_reel(std::uint64_t depart_tops) {
    timespec reel{}, depuis_amorcage{};
    ::clock_gettime(CLOCK_REALTIME, &reel);
    ::clock_gettime(CLOCK_BOOTTIME, &depuis_amorcage);
    const auto tops_par_seconde = static_cast<std::uint64_t>(std::max(1L, ::sysconf(_SC_CLK_TCK)));
    const auto depart =
        static_cast<std::int64_t>(depart_tops / tops_par_seconde) * 1'000'000'000 +
        static_cast<std::int64_t>(depart_tops % tops_par_seconde * 1'000'000'000 / tops_par_seconde);
    return en_ns(reel) - en_ns(depuis_amorcage) + depart;
}

// Un fichier de pid plus ancien que le processus qu'il nomme a été laissé par un processus mort
// dont le pid a resservi. La marge couvre les arrondis des horloges et un petit pas de l'heure.
constexpr std::int64_t marge_fichier_pid_ns = 2'000'000'000;

bool fichier_plus_recent_que(std::int64_t fichier_ns, std::int64_t depart_ns) {
    return fichier_ns + marge_fichier_pid_ns >= depart_ns;
}

bool pidfd_termine(const Descripteur& pidfd) {
    pollfd attente{pidfd.get(), POLLIN, 0};
    return ::poll(&attente, 1, 0) > 0;
}

}  // namespace

ReglagesPpp reglages_ppp_depuis_environnement() {
    ReglagesPpp reglages;
    if (const char* pairs = std::getenv("LUMICOMPTEUR_PPP_PAIRS"); pairs != nullptr && *pairs != '\0') {
        reglages.dossier_pairs = pairs;
    }
    if (const char* execution = std::getenv("LUMICOMPTEUR_PPP_RUN");
        execution != nullptr && *execution != '\0') {
        reglages.dossier_execution = execution;
    }
    return reglages;
}

bool nom_entree_valide(std::string_view nom) {
    if (nom.empty() || nom.size() > 255 || nom.front() == '-' || nom.front() == '.') return false;
    return std::all_of(nom.begin(), nom.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '.' || c == '_' || c == '-' || c == '+' || c == '@';
    });
}

// ---------------------------------------------------------------------------------------------

class AccesDistantPpp::Suivi {
public:
    Suivi(ReglagesPpp r, std::unique_ptr<NoyauReseau> n) : reglages(std::move(r)), noyau(std::move(n)) {
        inotify = Descripteur(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
        veille_epoll = Descripteur(::epoll_create1(EPOLL_CLOEXEC));
        minuterie_echeance = Descripteur(::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC));
        changement = Descripteur(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
        for (const auto& fd : {&inotify, &minuterie_echeance, &changement}) surveiller(fd->get());
    }
    ~Suivi() { recolter_enfants(); }

    void mettre_a_jour();
    bool lancer(const std::vector<std::string>& commande, std::string_view entree);
    bool veille_complete() const;
    void acquitter_veille();

    struct Instance {
        pid_t pid = 0;
        std::string entree;
        std::string interface;
        bool fichier_unite = false;  // un /run/pppN.pid le nomme : pppd tient encore son unité
        Descripteur pidfd;           // invalide : noyau sans pidfd, on relit /proc à chaque fois
        std::uint64_t depart_tops = 0;
        std::int64_t depart_ns = 0;  // en temps réel, calculé à la première vue
        // Mémoire de l'interface : vue au moins une fois, et depuis quand elle a disparu.
        bool vue = false;
        std::optional<std::int64_t> disparue_ms;
    };

    // Toujours le processus vu d'abord : son pidfd n'a pas fini, ou (sans pidfd) le pid a le même départ.
    static bool meme_processus(const Instance& instance);
    // Le signal ne part qu'au pppd suivi : par son pidfd, qui ne désigne jamais un autre processus.
    static bool signaler(const Instance& instance, int signal);

    // Un pon ou un poff lancé, récolté à sa fin (pidfd : sa fin réveille la veille).
    struct Enfant {
        pid_t pid = 0;
        Descripteur pidfd;
    };

    ReglagesPpp reglages;
    std::unique_ptr<NoyauReseau> noyau;
    std::vector<Instance> instances;
    std::vector<ConnexionDistante> etats;
    std::uint64_t lectures = 0;
    // La veille : un epoll qui regroupe tout ce qui peut changer la réponse (dossier, noyau, fin
    // des pppd et des enfants, échéance d'un état « déconnecté », changement pas encore lu).
    Descripteur veille_epoll;

private:
    void surveiller_dossier();
    bool lire_evenements_dossier();
    void relire_dossier();
    void recalculer(std::int64_t maintenant);
    int etat_de(Instance& instance, std::int64_t maintenant);
    void recolter_enfants();
    void surveiller(int fd);
    void surveiller_noyau();
    void programmer_echeance();

    Descripteur inotify;
    int veille = -1;
    bool dossier_a_relire = true;
    bool noyau_a_rafraichir = true;
    std::optional<std::int64_t> echeance_ms;
    std::vector<Enfant> enfants;
    std::vector<pollfd> attente;
    Descripteur minuterie_echeance;  // timerfd armé à echeance_ms
    Descripteur changement;          // eventfd : la liste a changé depuis la dernière veille lue
    int noyau_surveille = -1;
    bool veille_en_panne = false;  // un descripteur n'a pu rejoindre la veille
};

void AccesDistantPpp::Suivi::surveiller(int fd) {
    if (!veille_epoll.valide() || fd < 0) return;
    epoll_event evenement{};
    evenement.events = EPOLLIN;
    evenement.data.fd = fd;
    if (::epoll_ctl(veille_epoll.get(), EPOLL_CTL_ADD, fd, &evenement) != 0 && errno != EEXIST) {
        veille_en_panne = true;
    }
}

void AccesDistantPpp::Suivi::surveiller_noyau() {
    // La vue du noyau garde son descripteur ; s'il changeait, la veille se dirait incomplète.
    if (noyau_surveille >= 0) return;
    noyau_surveille = noyau->descripteur();
    surveiller(noyau_surveille);
}

void AccesDistantPpp::Suivi::programmer_echeance() {
    if (!minuterie_echeance.valide()) return;
    itimerspec quand{};  // tout à zéro : désarmée
    if (echeance_ms) {
        const auto ms = std::max<std::int64_t>(*echeance_ms, 1);
        quand.it_value.tv_sec = static_cast<time_t>(ms / 1000);
        quand.it_value.tv_nsec = static_cast<long>(ms % 1000) * 1'000'000;
    }
    ::timerfd_settime(minuterie_echeance.get(), TFD_TIMER_ABSTIME, &quand, nullptr);
}

bool AccesDistantPpp::Suivi::veille_complete() const {
    if (!veille_epoll.valide() || !minuterie_echeance.valide() || !changement.valide() || veille_en_panne) {
        return false;
    }
    // Dossier surveillé, vue du noyau à jour et suivie, fin de chaque processus suivie par pidfd.
    if (!inotify.valide() || veille < 0 || dossier_a_relire) return false;
    if (noyau->descripteur() < 0 || noyau_surveille != noyau->descripteur() || noyau_a_rafraichir)
        return false;
    const auto avec_pidfd = [](const auto& p) { return p.pidfd.valide(); };
    return std::all_of(instances.begin(), instances.end(), avec_pidfd) &&
           std::all_of(enfants.begin(), enfants.end(), avec_pidfd);
}

void AccesDistantPpp::Suivi::acquitter_veille() {
    std::uint64_t compte = 0;
    for (const auto& fd : {&changement, &minuterie_echeance}) {
        if (fd->valide() && ::read(fd->get(), &compte, sizeof compte) < 0) {
            // Rien à lire : le descripteur était déjà retombé.
        }
    }
    // La minuterie lue ne sonne plus : l'échéance encore à venir, s'il y en a une, est réarmée.
    programmer_echeance();
}

void AccesDistantPpp::Suivi::surveiller_dossier() {
    if (!inotify.valide() || veille >= 0) return;
    // IN_MODIFY : pppd récrit son fichier de lien sur place quand l'unité change.
    veille = ::inotify_add_watch(inotify.get(), reglages.dossier_execution.c_str(),
                                 IN_CREATE | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_FROM |
                                     IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
    // Le dossier vient d'apparaître (ou de revenir) : ce qu'il contient n'a jamais été lu.
    if (veille >= 0) dossier_a_relire = true;
}

bool AccesDistantPpp::Suivi::lire_evenements_dossier() {
    alignas(inotify_event) char tampon[8192];
    bool utile = false;
    for (;;) {
        const auto n = ::read(inotify.get(), tampon, sizeof tampon);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return utile;
        for (const char* p = tampon; p < tampon + n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(p);
            if (e->mask & (IN_Q_OVERFLOW | IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) {
                utile = true;
                if (e->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) {
                    if (veille >= 0) ::inotify_rm_watch(inotify.get(), veille);
                    veille = -1;
                }
            } else if (e->len > 0 && nom_de_fichier_pid(e->name)) {
                // /run change sans cesse ; seuls les fichiers de pid de pppd comptent.
                utile = true;
            }
            p += sizeof(inotify_event) + e->len;
        }
    }
}

void AccesDistantPpp::Suivi::mettre_a_jour() {
    const auto maintenant = maintenant_ms();
    if (!enfants.empty()) recolter_enfants();
    bool a_recalculer = false;

    surveiller_dossier();
    surveiller_noyau();
    // Un seul appel système quand rien n'a changé.
    attente.clear();
    // Lu même sans dossier surveillé : ce qui reste dans sa file garderait la veille lisible.
    const bool avec_inotify = inotify.valide();
    if (avec_inotify) attente.push_back({inotify.get(), POLLIN, 0});
    const int fd_noyau = noyau->descripteur();
    const bool avec_noyau = fd_noyau >= 0;
    if (avec_noyau) attente.push_back({fd_noyau, POLLIN, 0});
    const std::size_t premier_pidfd = attente.size();
    for (const auto& i : instances) {
        if (i.pidfd.valide()) attente.push_back({i.pidfd.get(), POLLIN, 0});
    }
    if (!attente.empty()) {
        while (::poll(attente.data(), attente.size(), 0) < 0 && errno == EINTR) {
        }
    }

    if (avec_inotify && attente[0].revents != 0 && lire_evenements_dossier()) dossier_a_relire = true;
    if (!inotify.valide()) {
        // Sans inotify, on relit à chaque fois : correct, mais sans économie.
        dossier_a_relire = true;
    }
    if (!avec_noyau || attente[avec_inotify ? 1 : 0].revents != 0) noyau_a_rafraichir = true;

    // Fin des pppd : pidfd lisible, ou départ changé quand le noyau n'a pas de pidfd.
    std::size_t k = premier_pidfd;
    const auto avant = instances.size();
    std::erase_if(instances, [&](const Instance& i) {
        if (i.pidfd.valide()) return attente[k++].revents != 0;
        return !meme_processus(i);
    });
    if (instances.size() != avant) a_recalculer = true;

    if (dossier_a_relire) {
        relire_dossier();
        a_recalculer = true;
    }
    if (noyau_a_rafraichir) {
        // En cas d'erreur le drapeau reste levé : la vue sera relue à l'appel suivant.
        if (noyau->rafraichir()) a_recalculer = true;
        noyau_a_rafraichir = false;
    }
    if (echeance_ms && maintenant >= *echeance_ms) a_recalculer = true;
    if (a_recalculer) recalculer(maintenant);
}

void AccesDistantPpp::Suivi::relire_dossier() {
    dossier_a_relire = false;
    ++lectures;
    std::vector<std::string> noms;
    std::error_code erreur;
    for (std::filesystem::directory_iterator it(reglages.dossier_execution, erreur), fin;
         !erreur && it != fin; it.increment(erreur)) {
        auto nom = it->path().filename().string();
        if (nom_de_fichier_pid(nom)) noms.push_back(std::move(nom));
    }
    // Ordre stable quel que soit l'ordre du dossier : les fichiers de lien d'abord, par nom.
    std::sort(noms.begin(), noms.end());

    struct FichierPid {
        std::string nom;
        std::string contenu;
        std::int64_t modifie_ns = 0;
        pid_t pid = 0;
    };
    std::vector<FichierPid> fichiers;
    for (auto& nom : noms) {
        FichierPid f;
        auto contenu = lire_debut(reglages.dossier_execution / nom, 4096, &f.modifie_ns);
        if (!contenu) continue;
        const auto pid = lire_pid(std::string_view(*contenu).substr(0, contenu->find('\n')));
        if (!pid) continue;
        f.nom = std::move(nom);
        f.contenu = std::move(*contenu);
        f.pid = *pid;
        fichiers.push_back(std::move(f));
    }

    // Chaque pid nommé : le pppd déjà suivi, ou un pppd vivant vu pour la première fois. Un pid
    // laissé par un pppd mort peut désigner depuis n'importe quel processus : seul pppd compte.
    std::map<pid_t, Instance> lues;
    for (const auto& f : fichiers) {
        if (lues.contains(f.pid)) continue;
        Instance instance;
        instance.pid = f.pid;
        auto ancienne = std::find_if(instances.begin(), instances.end(),
                                     [pid = f.pid](const Instance& i) { return i.pid == pid; });
        if (ancienne != instances.end()) {
            if (!meme_processus(*ancienne)) continue;
            instance.pidfd = std::move(ancienne->pidfd);
            instance.depart_tops = ancienne->depart_tops;
            instance.depart_ns = ancienne->depart_ns;
            instance.interface = ancienne->interface;  // pour retrouver sa mémoire plus bas
            instance.vue = ancienne->vue;
            instance.disparue_ms = ancienne->disparue_ms;
        } else {
            bool sans_pidfd = false;
            instance.pidfd = ouvrir_pidfd(f.pid, sans_pidfd);
            // Un pid qui n'existe plus : fichier laissé par un pppd tué.
            if (!instance.pidfd.valide() && !sans_pidfd) continue;
            const auto identite = identite_processus(f.pid);
            if (!identite || !est_pppd(f.pid, *identite)) continue;
            instance.depart_tops = identite->depart_tops;
            instance.depart_ns = depart_en_temps_reel(identite->depart_tops);
            // Lu pendant que le pidfd tenait ce pid : c'est bien le même processus.
            if (instance.pidfd.valide() && pidfd_termine(instance.pidfd)) continue;
        }
        lues.emplace(f.pid, std::move(instance));
    }

    // Chaque fichier plus récent que son pppd ; un fichier plus ancien vient d'un pppd précédent.
    std::map<pid_t, Instance> retenues;
    for (const auto& f : fichiers) {
        const auto suivi = lues.find(f.pid);
        if (suivi == lues.end() || !fichier_plus_recent_que(f.modifie_ns, suivi->second.depart_ns)) continue;
        const auto premiere = !retenues.contains(f.pid);
        auto& instance = retenues[f.pid];
        if (premiere) {
            instance.pid = f.pid;
            instance.pidfd = std::move(suivi->second.pidfd);
            instance.depart_tops = suivi->second.depart_tops;
            instance.depart_ns = suivi->second.depart_ns;
        }
        const std::string_view texte(f.contenu);
        const auto fin_ligne = texte.find('\n');
        if (const auto interface = interface_du_fichier_unite(f.nom)) {
            // Le fichier d'unité dit l'unité en cours ; celui du lien peut nommer l'ancienne.
            instance.interface = *interface;
            instance.fichier_unite = true;
        } else if (const auto entree = entree_du_fichier_lien(f.nom); entree && instance.entree.empty()) {
            instance.entree = *entree;
            const auto seconde =
                fin_ligne == std::string_view::npos ? std::string_view{} : texte.substr(fin_ligne + 1);
            const auto interface = sans_blancs(seconde.substr(0, seconde.find('\n')));
            if (!instance.fichier_unite && nom_interface_valide(interface)) instance.interface = interface;
        }
    }

    std::vector<Instance> nouvelles;
    for (auto& [pid, lue] : retenues) {
        const auto& avant = lues.at(pid);
        // La mémoire de l'interface ne vaut que pour la même interface.
        if (avant.interface == lue.interface) {
            lue.vue = avant.vue;
            lue.disparue_ms = avant.disparue_ms;
        }
        // Fermé, il quitte la veille de lui-même.
        surveiller(lue.pidfd.get());
        if (lue.entree.empty()) lue.entree = entree_de_la_ligne_de_commande(pid);
        if (lue.entree.empty()) lue.entree = lue.interface.empty() ? "ppp" : lue.interface;
        nouvelles.push_back(std::move(lue));
    }
    instances = std::move(nouvelles);
}

bool AccesDistantPpp::Suivi::meme_processus(const Instance& instance) {
    if (instance.pidfd.valide()) return !pidfd_termine(instance.pidfd);
    const auto identite = identite_processus(instance.pid);
    return identite && identite->depart_tops == instance.depart_tops;
}

bool AccesDistantPpp::Suivi::signaler(const Instance& instance, int signal) {
#ifdef SYS_pidfd_send_signal
    if (instance.pidfd.valide()) {
        return ::syscall(SYS_pidfd_send_signal, instance.pidfd.get(), signal, nullptr, 0) == 0;
    }
#endif
    // Sans pidfd, le pid est revérifié juste avant : la fenêtre qui reste est de quelques microsecondes.
    return meme_processus(instance) && ::kill(instance.pid, signal) == 0;
}

int AccesDistantPpp::Suivi::etat_de(Instance& instance, std::int64_t maintenant) {
    if (instance.interface.empty()) return etat_ras_connexion_peripherique;
    if (const auto interface = noyau->interface(instance.interface)) {
        instance.vue = true;
        instance.disparue_ms.reset();
        return interface->active && !interface->ipv4.empty() ? etat_ras_connecte : etat_ras_authentification;
    }
    // Pas encore créée par ce pppd.
    if (!instance.vue) return etat_ras_connexion_peripherique;
    if (!instance.disparue_ms) instance.disparue_ms = maintenant;
    if (instance.fichier_unite) return etat_ras_deconnecte;
    const auto fin = *instance.disparue_ms + reglages.duree_deconnecte.count();
    if (maintenant < fin) {
        echeance_ms = echeance_ms ? std::min(*echeance_ms, fin) : fin;
        return etat_ras_deconnecte;
    }
    // pppd a rendu son unité et tourne encore : il renumérote.
    instance.vue = false;
    instance.disparue_ms.reset();
    return etat_ras_connexion_peripherique;
}

void AccesDistantPpp::Suivi::recalculer(std::int64_t maintenant) {
    echeance_ms.reset();
    std::vector<ConnexionDistante> avant = std::move(etats);
    etats.clear();
    for (auto& instance : instances) etats.push_back({instance.entree, etat_de(instance, maintenant), 0});
    programmer_echeance();
    // Qui veille n'a peut-être pas interrogé lui-même : le changement le réveille.
    if (etats != avant && changement.valide()) {
        const std::uint64_t un = 1;
        [[maybe_unused]] const auto ecrit = ::write(changement.get(), &un, sizeof un);
    }
}

bool AccesDistantPpp::Suivi::lancer(const std::vector<std::string>& commande, std::string_view entree) {
    if (commande.empty() || commande.front().empty()) return false;
    std::vector<std::string> arguments(commande);
    arguments.emplace_back(entree);
    std::vector<char*> argv;
    for (auto& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Pas d'entrée : ni pon ni poff ne doivent attendre une réponse au clavier.
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid = 0;
    const int erreur = ::posix_spawnp(&pid, argv.front(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (erreur != 0) return false;
    // Récolté plus tard : pon peut attendre que pppd se détache.
    bool sans_pidfd = false;
    Enfant enfant{pid, ouvrir_pidfd(pid, sans_pidfd)};
    surveiller(enfant.pidfd.get());
    enfants.push_back(std::move(enfant));
    return true;
}

void AccesDistantPpp::Suivi::recolter_enfants() {
    std::erase_if(enfants, [](const Enfant& enfant) {
        int statut = 0;
        const auto r = ::waitpid(enfant.pid, &statut, WNOHANG);
        return r == enfant.pid || (r < 0 && errno == ECHILD);
    });
}

// ---------------------------------------------------------------------------------------------

AccesDistantPpp::AccesDistantPpp(ReglagesPpp reglages)
    : AccesDistantPpp(std::move(reglages), std::make_unique<NoyauNetlink>()) {}

AccesDistantPpp::AccesDistantPpp(ReglagesPpp reglages, std::unique_ptr<NoyauReseau> noyau)
    : suivi_(std::make_unique<Suivi>(std::move(reglages), std::move(noyau))) {}

AccesDistantPpp::~AccesDistantPpp() = default;

std::vector<ConnexionDistante> AccesDistantPpp::connexions() const {
    suivi_->mettre_a_jour();
    return suivi_->etats;
}

std::vector<std::string> AccesDistantPpp::entrees_annuaire() const {
    std::vector<std::string> entrees;
    std::error_code erreur;
    for (std::filesystem::directory_iterator it(suivi_->reglages.dossier_pairs, erreur), fin;
         !erreur && it != fin; it.increment(erreur)) {
        auto nom = it->path().filename().string();
        std::error_code e;
        if (nom_entree_valide(nom) && !nom.ends_with("~") &&
            std::filesystem::is_regular_file(it->path(), e)) {
            entrees.push_back(std::move(nom));
        }
    }
    std::sort(entrees.begin(), entrees.end());
    return entrees;
}

std::string AccesDistantPpp::origine_annuaire() const {
    return "le dossier des pairs de pppd (" + suivi_->reglages.dossier_pairs.string() +
           "), un fichier par fournisseur d'accès";
}

bool AccesDistantPpp::numeroter(std::string_view entree) {
    if (!nom_entree_valide(entree)) return false;
    std::error_code e;
    if (!std::filesystem::is_regular_file(suivi_->reglages.dossier_pairs / std::string(entree), e))
        return false;
    return suivi_->lancer(suivi_->reglages.commande_numeroter, entree);
}

bool AccesDistantPpp::raccrocher() {
    suivi_->mettre_a_jour();
    if (suivi_->instances.empty()) return false;
    const auto& premiere = suivi_->instances.front();
    std::error_code e;
    if (nom_entree_valide(premiere.entree) &&
        std::filesystem::is_regular_file(suivi_->reglages.dossier_pairs / premiere.entree, e)) {
        return suivi_->lancer(suivi_->reglages.commande_raccrocher, premiere.entree);
    }
    return Suivi::signaler(premiere, SIGTERM);
}

std::string AccesDistantPpp::adresse_premiere_connexion() const {
    suivi_->mettre_a_jour();
    if (suivi_->instances.empty() || suivi_->instances.front().interface.empty()) return {};
    const auto interface = suivi_->noyau->interface(suivi_->instances.front().interface);
    return interface ? interface->ipv4 : std::string();
}

std::string AccesDistantPpp::interface_premiere_connexion() const {
    suivi_->mettre_a_jour();
    return suivi_->instances.empty() ? std::string() : suivi_->instances.front().interface;
}

std::optional<std::uint64_t> AccesDistantPpp::octets_recus_premiere_connexion() const {
    return octets_recus_interface(interface_premiere_connexion());
}

std::vector<std::string> AccesDistantPpp::interfaces_connexions() const {
    suivi_->mettre_a_jour();
    std::vector<std::string> interfaces;
    for (const auto& instance : suivi_->instances) interfaces.push_back(instance.interface);
    return interfaces;
}

std::string AccesDistantPpp::adresse_interface(std::string_view interface) const {
    if (interface.empty()) return {};
    suivi_->mettre_a_jour();
    const auto etat = suivi_->noyau->interface(interface);
    return etat ? etat->ipv4 : std::string();
}

std::optional<std::uint64_t> AccesDistantPpp::octets_recus_interface(std::string_view interface) const {
    if (interface.empty()) return std::nullopt;
    return suivi_->noyau->octets_recus(interface);
}

std::optional<std::uint64_t> TraficPpp::octets_recus() const {
    try {
        return acces_.octets_recus_premiere_connexion();
    } catch (const std::exception&) {
        return std::nullopt;  // le noyau ne répond pas : pas de trafic vu
    }
}

std::string TraficPpp::interface() const {
    try {
        const std::string nom = acces_.interface_premiere_connexion();
        if (!nom.empty()) return nom;
    } catch (const std::exception&) {
    }
    return "l'interface de la connexion";
}

const ReglagesPpp& AccesDistantPpp::reglages() const {
    return suivi_->reglages;
}

std::uint64_t AccesDistantPpp::lectures_dossier() const {
    return suivi_->lectures;
}

int AccesDistantPpp::descripteur_veille() const {
    return suivi_->veille_epoll.get();
}

bool AccesDistantPpp::veille_complete() const {
    return suivi_->veille_complete();
}

void AccesDistantPpp::lire_veille() {
    // Le signal retombe même si la relecture échoue : la veille, alors incomplète, le dit.
    struct Acquittement {
        Suivi& suivi;
        ~Acquittement() { suivi.acquitter_veille(); }
    } acquittement{*suivi_};
    suivi_->mettre_a_jour();
}

// ---------------------------------------------------------------------------------------------

std::string adresse_du_nom_d_hote() {
    char nom[HOST_NAME_MAX + 1] = {};
    if (::gethostname(nom, sizeof nom - 1) != 0 || nom[0] == '\0') return {};
    addrinfo indications{};
    indications.ai_family = AF_INET;
    indications.ai_socktype = SOCK_STREAM;
    addrinfo* resultat = nullptr;
    if (::getaddrinfo(nom, nullptr, &indications, &resultat) != 0 || resultat == nullptr) return {};
    std::string texte;
    char tampon[INET_ADDRSTRLEN];
    const auto* adresse = reinterpret_cast<const sockaddr_in*>(resultat->ai_addr);
    if (::inet_ntop(AF_INET, &adresse->sin_addr, tampon, sizeof tampon) != nullptr) texte = tampon;
    ::freeaddrinfo(resultat);
    return texte;
}

std::string AdressePpp::adresse_ip_locale() const {
    try {
        if (auto adresse = acces_.adresse_premiere_connexion(); !adresse.empty()) return adresse;
    } catch (const std::exception&) {
        // Le noyau ne répond pas : le nom d'hôte reste une réponse.
    }
    return adresse_du_nom_d_hote();
}

}  // namespace lumi
