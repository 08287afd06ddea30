#include "ui/instance_unique.hpp"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>
#include <cstdint>

#include "core/demarrage.hpp"

namespace lumi {

namespace fs = std::filesystem;

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
    if (serveur_ != nullptr) serveur_->close();  // la prise disparaît avec le premier
}

QString InstanceUnique::dossier_prises_par_defaut() {
    // $XDG_RUNTIME_DIR, ou un dossier privé créé par Qt (0700) quand la session n'en donne pas.
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

InstanceUnique::Role InstanceUnique::elire() {
    verrou_ = std::make_unique<QLockFile>(chemin_verrou_);
    // Jamais périmé par l'âge : seul un verrou dont le processus n'existe plus est remplacé.
    verrou_->setStaleLockTime(0);
    if (verrou_->tryLock(0)) return Role::premiere;
    if (verrou_->error() == QLockFile::LockFailedError) return Role::seconde;
    // Dossier illisible ou autre erreur : mieux vaut un programme de trop que pas de programme.
    return Role::premiere;
}

bool InstanceUnique::ecouter() {
    serveur_ = new QLocalServer(this);
    serveur_->setSocketOptions(QLocalServer::UserAccessOption);
    // Le verrou est à nous : une prise qui reste vient d'un premier arrêté brutalement.
    QLocalServer::removeServer(chemin_prise_);
    if (!serveur_->listen(chemin_prise_)) return false;
    connect(serveur_, &QLocalServer::newConnection, this, &InstanceUnique::lire_connexion);
    return true;
}

void InstanceUnique::lire_connexion() {
    while (QLocalSocket* prise = serveur_->nextPendingConnection()) {
        connect(prise, &QLocalSocket::disconnected, prise, &QObject::deleteLater);
        const auto lire = [this, prise] {
            while (prise->canReadLine()) {
                if (prise->readLine() == message_second_lancement) emit second_lancement();
            }
        };
        connect(prise, &QLocalSocket::readyRead, this, lire);
        lire();  // ce qui est arrivé avant le branchement
    }
}

bool InstanceUnique::prevenir_premiere(int delai_ms) {
    const int pas_ms = 100;
    for (int attente = 0; attente <= delai_ms; attente += pas_ms) {
        QLocalSocket prise;
        prise.connectToServer(chemin_prise_);
        if (prise.waitForConnected(pas_ms)) {
            prise.write(message_second_lancement);
            const bool ecrit = prise.waitForBytesWritten(1000);
            prise.disconnectFromServer();
            if (prise.state() != QLocalSocket::UnconnectedState) prise.waitForDisconnected(1000);
            return ecrit;
        }
        QThread::msleep(pas_ms);
    }
    return false;
}

}  // namespace lumi
