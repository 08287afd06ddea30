#include "ui/minuteries_tform1.hpp"

#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include "actions/minuterie.hpp"
#include "actions/programmation.hpp"
#include "core/commandes_fenetre.hpp"
#include "core/compteur.hpp"
#include "core/detection.hpp"

namespace lumi::ui {

void MinuterieQt::suivre(const Minuterie& m, bool en_attente) {
    if (!a_relire && m.version() == version_vue) return;
    a_relire = false;
    version_vue = m.version();
    timer->setInterval(m.intervalle());
    if (m.active() && !en_attente) {
        timer->start();
    } else {
        timer->stop();
    }
}

bool EmpreinteScrutation::changee(const Compteur& compteur) {
    const auto& f = compteur.fenetre();
    const Valeurs maintenant{
        compteur.etat().compteur_actif, compteur.Timer2().version(), f.fenetre_visible,
        f.reaffichages_icone,           f.modifications_icone,       f.demandes_Tinfoform,
        f.avis_fin_forfait.size()};
    // Les lignes ne sont copiées que si elles ont changé : pas d'allocation dix fois par seconde.
    bool change = !(maintenant == vues_);
    for (std::size_t i = 0; i < lignes_vues_.size(); ++i) {
        if (lignes_vues_[i] != f.lignes_etat[i]) {
            lignes_vues_[i] = f.lignes_etat[i];
            change = true;
        }
    }
    vues_ = maintenant;
    return change;
}

MinuteriesTForm1::MinuteriesTForm1(QWidget& fenetre, Compteur& compteur, CommandesFenetre& commandes,
                                   RappelsMinuteries rappels)
    : fenetre_(fenetre), compteur_(compteur), rappels_(std::move(rappels)) {
    const auto creer = [&fenetre](MinuterieQt& m, const char* nom, auto gestionnaire) {
        m.timer = new QTimer(&fenetre);
        m.timer->setObjectName(nom);
        QObject::connect(m.timer, &QTimer::timeout, &fenetre, std::move(gestionnaire));
    };
    creer(Timer1, "Timer1", [this] {
        compteur_.Timer1Timer();
        rappels_.apres_evenement();
    });
    creer(Timer2, "Timer2", [this, c = &commandes] {
        // Les effets ne touchent qu'à l'afficheur et à l'icône.
        c->Timer2Timer();
        synchroniser();
        rappels_.rafraichir_afficheur();
    });
    creer(Timer3, "Timer3", [this] {
        compteur_.programmation().Timer3Timer();
        rappels_.apres_evenement();
    });
    creer(Timer4, "Timer4", [this] {
        compteur_.Timer4Timer();
        synchroniser();
    });
    creer(Timer5, "Timer5", [this] { scrutation(false); });
}

void MinuteriesTForm1::arreter() {
    for (MinuterieQt* m : {&Timer1, &Timer2, &Timer3, &Timer4, &Timer5}) m->timer->stop();
    if (veille_Timer5 != nullptr) veille_Timer5->setEnabled(false);
    lancees_ = false;
}

void MinuteriesTForm1::suivre_detection(Detection& detection) {
    detection_ = &detection;
    Timer5.a_relire = true;
    delete veille_Timer5;
    veille_Timer5 = nullptr;
    if (const int fd = detection.descripteur_veille(); fd >= 0) {
        veille_Timer5 = new QSocketNotifier(fd, QSocketNotifier::Read, &fenetre_);
        veille_Timer5->setObjectName("veille_Timer5");
        veille_Timer5->setEnabled(false);  // avec les minuteries, au premier top
        QObject::connect(veille_Timer5, &QSocketNotifier::activated, &fenetre_, [this] { scrutation(true); });
    }
}

void MinuteriesTForm1::synchroniser() {
    if (!lancees_) return;
    Timer1.suivre(compteur_.Timer1());
    Timer2.suivre(compteur_.Timer2(),
                  compteur_.effet_Timer2() == EffetTimer2::rangee_clignotante && fenetre_.isHidden());
    Timer3.suivre(compteur_.programmation().Timer3());
    Timer4.suivre(compteur_.Timer4());
    if (detection_) {
        Timer5.suivre(detection_->Timer5());
        // Tout appel à l'accès à distance (le top aussi l'interroge) peut changer ce que la veille sait.
        regler_scrutation();
    }
}

void MinuteriesTForm1::scrutation(bool sur_veille) {
    if (!scruter(sur_veille)) return;
    if (empreinte_.changee(compteur_)) {
        rappels_.apres_evenement();
    } else {
        regler_scrutation();
    }
}

bool MinuteriesTForm1::scruter(bool sur_veille) {
    // Une boîte ouverte par une action fait tourner une boucle d'événements : la scrutation n'y est
    // pas relancée en plein passage (comme une minuterie ne l'est pas dans son propre gestionnaire),
    // et la veille se tait jusqu'à la fin du passage, sans perdre ce qu'elle signale.
    if (!detection_ || scrutation_en_cours_) return false;
    scrutation_en_cours_ = true;
    if (veille_Timer5 != nullptr) veille_Timer5->setEnabled(false);
    if (sur_veille) {
        detection_->Timer5Timer_sur_veille();
    } else {
        detection_->Timer5Timer();
    }
    scrutation_en_cours_ = false;
    return true;
}

void MinuteriesTForm1::regler_scrutation() {
    if (!detection_ || !lancees_) return;
    // Hors scrutation de l'accès à distance, Timer5Timer ne fait rien : ni veille ni minuterie ; le
    // changement de source la relance.
    const bool utile = detection_->Timer5().active() && detection_->surveillance_par_ras();
    const bool veille = utile && !scrutation_en_cours_;
    if (veille_Timer5 != nullptr && veille_Timer5->isEnabled() != veille) veille_Timer5->setEnabled(veille);
    // Les 100 ms ne restent que si la veille ne peut pas signaler chaque changement.
    const bool minuterie = utile && !(veille_Timer5 != nullptr && detection_->veille_suffit());
    if (minuterie && !Timer5.timer->isActive()) {
        Timer5.timer->setInterval(detection_->Timer5().intervalle());
        Timer5.timer->start();
    } else if (!minuterie && Timer5.timer->isActive()) {
        Timer5.timer->stop();
    }
}

}  // namespace lumi::ui
