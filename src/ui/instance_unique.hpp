#pragma once
// L'instance unique : un seul programme par utilisateur et par dossier de données. Le premier tient
// un verrou (flock sur un fichier) et écoute sur une prise locale privée à l'utilisateur, nommée
// d'après le marqueur "Lumicompteur 99 - Korvanelle Software", dans $XDG_RUNTIME_DIR. Un second
// lancement trouve le verrou tenu : il range ses arguments dans "params" (fait par l'appelant),
// prévient le premier par la prise et s'arrête. Un verrou ou une prise laissés par un arrêt brutal
// sont reconnus (le noyau rend le verrou d'un processus mort) et remplacés.
//
// Prise et verrou sont faits d'appels système, sans module réseau de Qt : charger ce module et ses
// dépendances coûtait au démarrage plus que tout le reste de l'instance unique.
#include <QObject>
#include <QString>
#include <filesystem>
#include <memory>
#include <vector>

#include "base/descripteur.hpp"

class QSocketNotifier;

namespace lumi {

// Le message d'un second lancement au premier (le message 0x1400 d'origine).
inline constexpr char message_second_lancement[] = "0x1400\n";

class InstanceUnique final : public QObject {
    Q_OBJECT

public:
    enum class Role { premiere, seconde };

    // `dossier_prises` : le dossier privé de l'utilisateur ($XDG_RUNTIME_DIR) ; `dossier_donnees`
    // distingue deux programmes lancés sur deux dossiers de données différents.
    InstanceUnique(const QString& dossier_prises, const std::filesystem::path& dossier_donnees,
                   QObject* parent = nullptr);
    ~InstanceUnique() override;

    // Le dossier privé de l'utilisateur pour les prises locales.
    static QString dossier_prises_par_defaut();

    // Sans application Qt : prend le verrou si personne ne le tient (ou s'il est orphelin).
    Role elire();
    // Le premier, une fois l'application créée : remplace une prise orpheline et écoute, réservée
    // à l'utilisateur. Faux si l'écoute est impossible (le programme tourne quand même).
    bool ecouter();
    // Le second : prévient le premier ; réessaie pendant `delai_ms` (le premier peut être encore
    // en train de démarrer). Faux si le message n'a pu être remis.
    bool prevenir_premiere(int delai_ms = 5000);

    const QString& chemin_prise() const { return chemin_prise_; }
    const QString& chemin_verrou() const { return chemin_verrou_; }

signals:
    // Un second lancement a rangé ses arguments dans "params".
    void second_lancement();

private:
    struct Connexion;

    void accepter();
    void lire(Connexion& connexion);

    QString chemin_prise_;
    QString chemin_verrou_;
    Descripteur verrou_;
    Descripteur serveur_;
    QSocketNotifier* attente_ = nullptr;
    std::vector<std::unique_ptr<Connexion>> connexions_;
};

// Le nom de la prise : le marqueur suivi d'une empreinte du dossier de données.
QString nom_prise_instance(const std::filesystem::path& dossier_donnees);

}  // namespace lumi
