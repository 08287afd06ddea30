#include "base/fichiers.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "base/descripteur.hpp"
#include "base/erreurs.hpp"

namespace lumi {

namespace fs = std::filesystem;

// strerror ne parle pas français : les causes courantes ont leurs mots, les autres leur numéro.
std::string raison_erreur_fichier(int erreur) {
    switch (erreur) {
        case ENOSPC:
            return "disque plein";
        case EDQUOT:
            return "quota de disque dépassé";
        case EACCES:
        case EPERM:
            return "accès refusé";
        case EROFS:
            return "disque en lecture seule";
        case ENOENT:
            return "dossier introuvable";
        case ENOTDIR:
            return "un élément du chemin n'est pas un dossier";
        case EISDIR:
            return "le chemin désigne un dossier";
        case EIO:
            return "erreur d'entrée-sortie";
        case ENAMETOOLONG:
            return "nom trop long";
        case EMFILE:
        case ENFILE:
            return "trop de fichiers ouverts";
        case EFBIG:
            return "fichier trop grand";
        default:
            return "erreur système " + std::to_string(erreur);
    }
}

std::filesystem::path chemin_utf8(std::string_view texte) {
    return fs::path(std::u8string(texte.begin(), texte.end()));
}

namespace {

// Windows répond « chemin introuvable » quand un fichier ordinaire tient la place d'un dossier du
// chemin : la cause dite à l'utilisateur est alors la même que sous Linux, pas un dossier absent.
int cause_de(const fs::path& chemin, int erreur) {
#ifdef _WIN32
    if (erreur == ENOENT) {
        std::error_code ec;
        for (fs::path p = chemin.parent_path(); !p.empty(); p = p.parent_path()) {
            const auto etat = fs::status(p, ec);
            if (fs::exists(etat)) return fs::is_directory(etat) ? erreur : ENOTDIR;
            if (p == p.parent_path()) break;
        }
    }
#else
    (void)chemin;
#endif
    return erreur;
}

[[noreturn]] void echec(const fs::path& chemin, int erreur) {
    throw ErreurFichier("Impossible d'écrire le fichier « " + chemin.string() +
                        " » : " + raison_erreur_fichier(cause_de(chemin, erreur)));
}

// Nom temporaire caché dans le même dossier que la cible (le renommage reste sur le même disque).
fs::path nom_temporaire(const fs::path& cible) {
    static std::atomic<unsigned> compteur{0};
    const auto tic =
        static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    char suffixe[64];
    std::snprintf(suffixe, sizeof suffixe, ".%d-%u-%llx.tmp", static_cast<int>(::getpid()),
                  compteur.fetch_add(1), tic & 0xFFFFFFu);
    fs::path nom = cible;
    nom.replace_filename("." + cible.filename().string() + suffixe);
    return nom;
}

// Le numéro du processus qui a créé le temporaire `nom` (".CIBLE.PID-N-TIC.tmp") pour la cible
// `cible` (toute cible si vide) ; rien si le nom n'est pas celui d'un temporaire.
std::optional<pid_t> processus_du_temporaire(std::string_view nom, std::string_view cible) {
    constexpr std::string_view fin = ".tmp";
    if (nom.size() < 2 || nom.front() != '.' || !nom.ends_with(fin)) return std::nullopt;
    nom.remove_suffix(fin.size());
    const auto point = nom.rfind('.');
    if (point == std::string_view::npos || point < 2) return std::nullopt;
    if (!cible.empty() && nom.substr(1, point - 1) != cible) return std::nullopt;
    const std::string_view suffixe = nom.substr(point + 1);
    // PID-N-TIC : décimal, décimal, hexadécimal.
    const auto tiret1 = suffixe.find('-');
    const auto tiret2 = suffixe.find('-', tiret1 == std::string_view::npos ? 0 : tiret1 + 1);
    if (tiret1 == std::string_view::npos || tiret2 == std::string_view::npos) return std::nullopt;
    const auto chiffres = [](std::string_view t, bool hexa) {
        return !t.empty() &&
               t.find_first_not_of(hexa ? "0123456789abcdef" : "0123456789") == std::string_view::npos;
    };
    const std::string_view pid = suffixe.substr(0, tiret1);
    if (!chiffres(pid, false) || pid.size() > 9 ||
        !chiffres(suffixe.substr(tiret1 + 1, tiret2 - tiret1 - 1), false) ||
        !chiffres(suffixe.substr(tiret2 + 1), true)) {
        return std::nullopt;
    }
    return static_cast<pid_t>(std::stol(std::string(pid)));
}

int ecrire_tout(int fd, std::string_view contenu) {
    std::size_t ecrit = 0;
    while (ecrit < contenu.size()) {
        const ssize_t n = ::write(fd, contenu.data() + ecrit, contenu.size() - ecrit);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return ENOSPC;  // write qui n'avance plus : le disque est plein
        ecrit += static_cast<std::size_t>(n);
    }
    return 0;
}

// Fichier temporaire effacé à la destruction sauf s'il a été renommé sur sa cible.
class Temporaire {
public:
    explicit Temporaire(fs::path chemin) : chemin_(std::move(chemin)) {}
    Temporaire(const Temporaire&) = delete;
    Temporaire& operator=(const Temporaire&) = delete;
    ~Temporaire() {
        if (!chemin_.empty()) ::unlink(chemin_.c_str());
    }
    const fs::path& chemin() const { return chemin_; }
    void abandonner() { chemin_.clear(); }

private:
    fs::path chemin_;
};

// Vide un dossier sur le disque ; rend errno, 0 si tout va bien.
int vider_dossier(const fs::path& dossier) {
#ifdef _WIN32
    // NTFS journalise le renommage lui-même (MoveFileEx l'écrit jusqu'au disque) ; un dossier ne
    // s'y ouvre pas comme un fichier. Reste à dire qu'il manque, comme l'ouverture le dirait.
    const DWORD attributs = ::GetFileAttributesW(dossier.c_str());
    if (attributs == INVALID_FILE_ATTRIBUTES) return cause_de(dossier / ".", ENOENT);
    return (attributs & FILE_ATTRIBUTE_DIRECTORY) ? 0 : ENOTDIR;
#endif
    Descripteur fd(::open(dossier.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valide()) return errno;
    // Certains systèmes de fichiers ne savent pas vider un dossier : rien de plus à faire alors.
    if (::fsync(fd.get()) != 0 && errno != EINVAL && errno != ENOTSUP) return errno;
    return 0;
}

}  // namespace

std::optional<std::string_view> lire_fichier_dans(const fs::path& chemin, std::string& tampon) {
    Descripteur fd(::open(chemin.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valide()) return std::nullopt;
    // Lu en place, à la taille annoncée (un fichier qui grandit entre-temps est lu jusqu'au bout) :
    // l'historique relit des mégaoctets à chaque sélection.
    struct stat etat {};
    std::size_t attendu = 65536;
    if (::fstat(fd.get(), &etat) == 0 && S_ISREG(etat.st_mode) && etat.st_size > 0) {
        attendu = static_cast<std::size_t>(etat.st_size) + 1;
    }
    if (tampon.size() < attendu) tampon.resize(attendu);
    std::size_t lus = 0;
    for (;;) {
        if (lus == tampon.size()) tampon.resize(tampon.size() * 2);
        const ssize_t n = ::read(fd.get(), tampon.data() + lus, tampon.size() - lus);
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;  // dossier, erreur d'entrée-sortie...
        }
        if (n == 0) break;
        lus += static_cast<std::size_t>(n);
    }
    return std::string_view(tampon.data(), lus);
}

std::optional<std::string> lire_fichier(const fs::path& chemin) {
    std::string contenu;
    const auto lu = lire_fichier_dans(chemin, contenu);
    if (!lu) return std::nullopt;
    contenu.resize(lu->size());
    return contenu;
}

void synchroniser_dossier(const fs::path& dossier) {
    const fs::path d = dossier.empty() ? fs::path(".") : dossier;
    if (const int e = vider_dossier(d); e != 0) echec(d, e);
}

int ouvrir_ou_creer_prive(const fs::path& chemin, int drapeaux) {
    drapeaux = (drapeaux & ~(O_CREAT | O_EXCL)) | O_CLOEXEC;
    // Création exclusive d'abord : seul un fichier que l'on vient de créer voit ses droits fixés.
    // Un fichier effacé entre les deux ouvertures est recréé (trois essais).
    for (int essai = 0; essai < 3; ++essai) {
        const auto mode = static_cast<mode_t>(droits_fichier_prive);
        const int fd = ::open(chemin.c_str(), drapeaux | O_CREAT | O_EXCL, mode);
        if (fd >= 0) {
            // Le masque n'a pu qu'ôter des droits : 0600 exactement, pour que le propriétaire écrive.
            if (::fchmod(fd, mode) != 0) {
                const int erreur = errno;
                ::close(fd);
                errno = erreur;
                return -1;
            }
            return fd;
        }
        if (errno != EEXIST) return -1;
        const int existant = ::open(chemin.c_str(), drapeaux);
        if (existant >= 0 || errno != ENOENT) return existant;
    }
    return -1;
}

std::error_code creer_dossiers_prives(const fs::path& dossier) {
    // Les niveaux absents, du plus haut au plus bas.
    std::vector<fs::path> absents;
    std::error_code ec;
    for (fs::path p = dossier; !p.empty(); p = p.parent_path()) {
        if (fs::exists(fs::symlink_status(p, ec)) || p == p.root_path()) break;
        absents.push_back(p);
        if (p == p.parent_path()) break;
    }
    const auto mode = static_cast<mode_t>(droits_dossier_prive);
    for (auto it = absents.rbegin(); it != absents.rend(); ++it) {
        if (::mkdir(it->c_str(), mode) != 0) {
            if (errno == EEXIST) continue;  // créé entre-temps par un autre : il garde ses droits
            return {cause_de(*it, errno), std::generic_category()};
        }
        // mkdir n'a pu qu'ôter des droits à 0700 : rétablis pour pouvoir y écrire.
        if (::chmod(it->c_str(), mode) != 0) return {errno, std::generic_category()};
    }
    if (!fs::is_directory(dossier, ec)) return ec ? ec : std::make_error_code(std::errc::not_a_directory);
    return {};
}

void remplacer_fichier(const fs::path& chemin, std::string_view contenu) {
    remplacer_fichier(chemin, contenu, {});
}

int oter_temporaires_abandonnes(const fs::path& dossier, std::string_view cible) {
    int otes = 0;
    std::error_code ec;
    for (fs::directory_iterator it(dossier, ec), fin; !ec && it != fin; it.increment(ec)) {
        const std::string nom = it->path().filename().string();
        const auto pid = processus_du_temporaire(nom, cible);
        // En vie, ou d'un autre utilisateur (EPERM) : il écrit peut-être encore.
        if (!pid || *pid <= 0 || ::kill(*pid, 0) == 0 || errno != ESRCH) continue;
        if (::unlink(it->path().c_str()) == 0) ++otes;
    }
    return otes;
}

void remplacer_fichier(const fs::path& chemin, std::string_view contenu,
                       const std::function<void(EtapeRemplacement)>& point_arret,
                       std::optional<fs::perms> droits) {
    // Un lien symbolique garde son rôle : on remplace le fichier qu'il désigne.
    fs::path cible = chemin;
    std::error_code ec;
    if (fs::is_symlink(chemin, ec)) {
        const fs::path resolu = fs::weakly_canonical(chemin, ec);
        if (!ec) cible = resolu;
    }

    // Le nouveau fichier garde les droits de l'ancien ; un fichier neuf est privé, quel que soit
    // le masque de l'utilisateur.
    struct stat ancien {};
    const bool existe = ::stat(cible.c_str(), &ancien) == 0;
    if (existe && S_ISDIR(ancien.st_mode)) echec(chemin, EISDIR);
    // Les temporaires de cette cible laissés par un arrêt brutal (un mois de l'historique peut en
    // laisser de plusieurs dizaines de mégaoctets) partent avant d'en écrire un autre.
    oter_temporaires_abandonnes(cible.parent_path().empty() ? fs::path(".") : cible.parent_path(),
                                cible.filename().string());

    fs::path nom;
    int fd_brut = -1;
    for (int essai = 0; essai < 100 && fd_brut < 0; ++essai) {
        nom = nom_temporaire(cible);
        fd_brut = ::open(nom.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd_brut < 0 && errno != EEXIST) echec(chemin, errno);
    }
    if (fd_brut < 0) echec(chemin, EEXIST);
    Descripteur fd(fd_brut);
    Temporaire temporaire(nom);

    const mode_t mode = droits   ? static_cast<mode_t>(*droits & fs::perms::mask)
                        : existe ? ancien.st_mode & 07777
                                 : static_cast<mode_t>(droits_fichier_prive);
    if (::fchmod(fd.get(), mode) != 0) echec(chemin, errno);
    if (const int e = ecrire_tout(fd.get(), contenu); e != 0) echec(chemin, e);
    if (::fsync(fd.get()) != 0) echec(chemin, errno);
    if (const int e = fd.fermer(); e != 0) echec(chemin, e);
    if (point_arret) point_arret(EtapeRemplacement::temporaire_vide);
    if (::rename(temporaire.chemin().c_str(), cible.c_str()) != 0) echec(chemin, errno);
    temporaire.abandonner();
    if (point_arret) point_arret(EtapeRemplacement::renomme);

    // Sans ce vidage, le renommage lui-même pourrait se perdre à une coupure de courant.
    const fs::path dossier = cible.parent_path();
    if (const int e = vider_dossier(dossier.empty() ? fs::path(".") : dossier); e != 0) echec(chemin, e);
}

}  // namespace lumi
