// lumicompteur : le programme. Un seul par utilisateur et par dossier de données ; un second
// lancement range ses arguments dans "params", prévient le premier et s'arrête sans fenêtre.
#include <time.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "core/demarrage.hpp"
#include "options_programme.hpp"
#include "programme.hpp"
#include "settings/parametres.hpp"
#include "settings/registre_sqlite.hpp"
#include "ui/francais.hpp"
#include "ui/instance_unique.hpp"
#include "ui/session.hpp"

namespace fs = std::filesystem;

namespace {

fs::path chemin_du_programme(const char* argv0) {
    std::error_code erreur;
    fs::path chemin = fs::read_symlink("/proc/self/exe", erreur);
    if (erreur) chemin = fs::absolute(argv0, erreur);
    return chemin;
}

// Le second lancement : les arguments vont dans "params" du magasin du premier, puis le message.
int second_lancement(lumi::InstanceUnique& instance, const fs::path& dossier,
                     const std::vector<std::string>& arguments) {
    try {
        lumi::RegistreSqlite registre(dossier / lumi::RegistreSqlite::nom_fichier);
        lumi::ecrire(registre, lumi::parametres::params, lumi::concatener_arguments(arguments));
    } catch (const std::exception&) {
        // Sans magasin, le premier est tout de même montré.
    }
    // Un message qui ne peut être remis : fin silencieuse, "params" attend le suivant.
    instance.prevenir_premiere();
    return 0;
}

// Mesure du banc de performance (bench/) : avec LUMI_MESURE_PREMIERE_IMAGE, l'instant (horloge
// monotone, en millisecondes) où la première image de la fenêtre est dessinée est écrit sur stderr.
class MesurePremiereImage final : public QObject {
public:
    bool eventFilter(QObject* objet, QEvent* evenement) override {
        if (evenement->type() == QEvent::Paint && objet->isWidgetType() &&
            static_cast<QWidget*>(objet)->isWindow()) {
            qApp->removeEventFilter(this);
            // Après le dessin et son envoi à l'écran.
            QTimer::singleShot(0, [] {
                timespec t{};
                clock_gettime(CLOCK_MONOTONIC, &t);
                std::cerr << "premiere_image_us="
                          << (static_cast<long long>(t.tv_sec) * 1000000 + t.tv_nsec / 1000) << std::endl;
            });
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    lumi::OptionsProgramme options;
    if (const std::string erreur = lumi::analyser_ligne_de_commande(arguments, options); !erreur.empty()) {
        std::cerr << "lumicompteur : " << erreur << '\n' << lumi::texte_usage();
        return 2;
    }
    if (options.aide) {
        std::cout << lumi::texte_usage();
        return 0;
    }

    const fs::path dossier = lumi::Programme::dossier_choisi(options);
    lumi::InstanceUnique instance(lumi::InstanceUnique::dossier_prises_par_defaut(), dossier);
    if (instance.elire() == lumi::InstanceUnique::Role::seconde) {
        return second_lancement(instance, dossier, options.arguments);
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(lumi::titre_application_demarrage.data()));
    lumi::installer_francais(application);
    // Cachée dans la zone de notification, la fenêtre n'est pas fermée : seul « Quitter » finit.
    QApplication::setQuitOnLastWindowClosed(false);
    instance.ecouter();
    lumi::SessionBureau session;
    MesurePremiereImage mesure;
    if (qEnvironmentVariableIsSet("LUMI_MESURE_PREMIERE_IMAGE")) application.installEventFilter(&mesure);

    try {
        lumi::Programme programme(options, chemin_du_programme(argv[0]));
        QObject::connect(&programme, &lumi::Programme::termine, &application, &QCoreApplication::exit,
                         Qt::QueuedConnection);
        QObject::connect(&instance, &lumi::InstanceUnique::second_lancement, &programme,
                         &lumi::Programme::second_lancement);
        QObject::connect(&session, &lumi::SessionBureau::fin_de_session, &programme,
                         [&programme] { programme.fin_de_session(false); });
        QObject::connect(&session, &lumi::SessionBureau::arret_demande, &programme,
                         [&programme] { programme.fin_de_session(true); });
        // La session finie pendant le démarrage : fermé, plus rien à attendre.
        if (!programme.demarrer()) return 0;
        return QApplication::exec();
    } catch (const std::exception& e) {
        std::cerr << "lumicompteur : " << e.what() << '\n';
        QMessageBox::critical(nullptr, QString::fromUtf8(lumi::titre_application_demarrage.data()),
                              QString::fromUtf8(e.what()));
        return 1;
    }
}
