#include "ui/instance_unique.hpp"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "core/demarrage.hpp"

namespace lumi {

namespace fs = std::filesystem;

namespace {

// Au-delà, une ligne sans fin n'est pas un message : la connexion est coupée.
constexpr std::size_t taille_ligne_max = 4096;

std::optional<sockaddr_un> adresse_prise(const QByteArray& chemin) {
    sockaddr_un adresse{};
    adresse.sun_family = AF_UNIX;
    if (chemin.isEmpty() || static_cast<std::size_t>(chemin.size()) >= sizeof adresse.sun_path) {
        return std::nullopt;
    }
    std::memcpy(adresse.sun_path, chemin.constData(), static_cast<std::size_t>(chemin.size()));
    return adresse;
}

bool meme_fichier(int fd, const char* chemin) {
    struct stat ouvert {};
    struct stat nomme {};
    return ::fstat(fd, &ouvert) == 0 && ::stat(chemin, &nomme) == 0 && ouvert.st_dev == nomme.st_dev &&
           ouvert.st_ino == nomme.st_ino;
}

}  // namespace

// Une connexion d'un second lancement, lue ligne à ligne.
struct InstanceUnique::Connexion {
    Descripteur fd;
    QSocketNotifier* notification = nullptr;
    std::string recu;

    ~Connexion() {
        // Peut-être dans son propre signal : le notificateur part plus tard, éteint.
        if (notification != nullptr) {
            notification->setEnabled(false);
            notification->deleteLater();
        }
    }
};

QString nom_prise_instance(const fs::path& dossier_donnees) {
    std::error_code erreur;
    fs::path canonique = fs::weakly_canonical(dossier_donnees, erreur);
    if (erreur) canonique = dossier_donnees;
    // FNV-1a sur 64 bits : court et stable d'une version à l'autre.
    std::uint64_t empreinte = 1469598103934665603ull;
    for (const unsigned char c : canonique.string()) {
        empreinte ^= c;
        empreinte *= 1099511628211ull;
    }
    return QString::fromUtf8(marqueur_instance.data(), static_cast<qsizetype>(marqueur_instance.size())) +
           QStringLiteral("-") + QString::number(empreinte, 16).rightJustified(16, QLatin1Char('0'));
}

InstanceUnique::InstanceUnique(const QString& dossier_prises, const fs::path& dossier_donnees,
                               QObject* parent)
    : QObject(parent) {
    const QString nom = nom_prise_instance(dossier_donnees);
    chemin_prise_ = QDir(dossier_prises).filePath(nom);
    chemin_verrou_ = chemin_prise_ + QStringLiteral(".verrou");
}

InstanceUnique::~InstanceUnique() {
    delete attente_;
    connexions_.clear();
    // La prise disparaît avec le premier ; le verrou aussi, ôté pendant qu'il est encore tenu.
    if (serveur_.valide()) ::unlink(QFile::encodeName(chemin_prise_).constData());
    if (verrou_.valide()) ::unlink(QFile::encodeName(chemin_verrou_).constData());
}

QString InstanceUnique::dossier_prises_par_defaut() {
    // $XDG_RUNTIME_DIR, ou un dossier privé créé par Qt (0700) quand la session n'en donne pas.
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

InstanceUnique::Role InstanceUnique::elire() {
    const QByteArray chemin = QFile::encodeName(chemin_verrou_);
    // Le verrou d'un processus mort est rendu par le noyau : jamais d'orphelin à reconnaître.
    for (int essai = 0; essai < 3; ++essai) {
        Descripteur fd(::open(chemin.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
        // Dossier illisible ou autre erreur : mieux vaut un programme de trop que pas de programme.
        if (!fd.valide()) return Role::premiere;
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
            return errno == EWOULDBLOCK ? Role::seconde : Role::premiere;
        }
        // Un premier qui s'arrêtait a pu ôter le fichier entre l'ouverture et le verrou : le verrou
        // ne vaut que sur le fichier qui porte encore le nom.
        if (meme_fichier(fd.get(), chemin.constData())) {
            verrou_ = std::move(fd);
            return Role::premiere;
        }
    }
    return Role::premiere;
}

bool InstanceUnique::ecouter() {
    const QByteArray chemin = QFile::encodeName(chemin_prise_);
    if (!adresse_prise(chemin)) return false;
    Descripteur prise(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!prise.valide()) return false;

    // Liée dans un dossier privé, réservée à l'utilisateur, écoutée, puis mise en place d'un coup :
    // la prise n'est jamais visible ouverte à d'autres. Le verrou est à nous : une prise qui reste
    // vient d'un premier arrêté brutalement, la mise en place la remplace.
    QByteArray dossier = QFile::encodeName(QFileInfo(chemin_prise_).absolutePath()) + "/.lumi-XXXXXX";
    if (::mkdtemp(dossier.data()) == nullptr) return false;
    const QByteArray provisoire = dossier + "/s";
    const auto adresse = adresse_prise(provisoire);
    const bool prete =
        adresse && ::bind(prise.get(), reinterpret_cast<const sockaddr*>(&*adresse), sizeof *adresse) == 0 &&
        ::chmod(provisoire.constData(), S_IRWXU) == 0 && ::listen(prise.get(), 50) == 0 &&
        ::rename(provisoire.constData(), chemin.constData()) == 0;
    ::unlink(provisoire.constData());
    ::rmdir(dossier.constData());
    if (!prete) return false;

    serveur_ = std::move(prise);
    attente_ = new QSocketNotifier(serveur_.get(), QSocketNotifier::Read, this);
    connect(attente_, &QSocketNotifier::activated, this, [this] { accepter(); });
    return true;
}

void InstanceUnique::accepter() {
    for (;;) {
        Descripteur fd(::accept4(serveur_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd.valide()) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            return;  // plus personne qui attend
        }
        auto connexion = std::make_unique<Connexion>();
        connexion->fd = std::move(fd);
        connexion->notification = new QSocketNotifier(connexion->fd.get(), QSocketNotifier::Read, this);
        Connexion* c = connexion.get();
        connect(c->notification, &QSocketNotifier::activated, this, [this, c] { lire(*c); });
        connexions_.push_back(std::move(connexion));
        lire(*c);  // ce qui est arrivé avant le branchement
    }
}

void InstanceUnique::lire(Connexion& connexion) {
    bool finie = false;
    char tampon[512];
    for (;;) {
        const auto n = ::read(connexion.fd.get(), tampon, sizeof tampon);
        if (n > 0) {
            connexion.recu.append(tampon, static_cast<std::size_t>(n));
            if (connexion.recu.size() > taille_ligne_max) break;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        finie = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        break;
    }
    int messages = 0;
    std::size_t debut = 0;
    for (auto fin = connexion.recu.find('\n'); fin != std::string::npos;
         fin = connexion.recu.find('\n', debut)) {
        if (std::string_view(connexion.recu).substr(debut, fin + 1 - debut) == message_second_lancement) {
            ++messages;
        }
        debut = fin + 1;
    }
    connexion.recu.erase(0, debut);
    if (finie || connexion.recu.size() > taille_ligne_max) {
        std::erase_if(connexions_, [&connexion](const auto& c) { return c.get() == &connexion; });
    }
    // Après la lecture : ce que le signal déclenche peut ouvrir une boucle d'événements.
    for (int i = 0; i < messages; ++i) emit second_lancement();
}

bool InstanceUnique::prevenir_premiere(int delai_ms) {
    const auto adresse = adresse_prise(QFile::encodeName(chemin_prise_));
    if (!adresse) return false;
    const std::string_view message(message_second_lancement);
    const int pas_ms = 100;
    for (int attente = 0; attente <= delai_ms; attente += pas_ms) {
        Descripteur prise(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (!prise.valide()) return false;
        // Un premier bloqué ne retient pas le second plus d'une seconde.
        const timeval limite{1, 0};
        ::setsockopt(prise.get(), SOL_SOCKET, SO_SNDTIMEO, &limite, sizeof limite);
        if (::connect(prise.get(), reinterpret_cast<const sockaddr*>(&*adresse), sizeof *adresse) == 0) {
            std::size_t ecrits = 0;
            while (ecrits < message.size()) {
                const auto n =
                    ::send(prise.get(), message.data() + ecrits, message.size() - ecrits, MSG_NOSIGNAL);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) return false;
                ecrits += static_cast<std::size_t>(n);
            }
            return true;
        }
        // Le premier démarre peut-être encore : sa prise n'est pas encore là.
        std::this_thread::sleep_for(std::chrono::milliseconds(pas_ms));
    }
    return false;
}

}  // namespace lumi
