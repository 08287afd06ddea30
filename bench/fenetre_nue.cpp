// Le programme de comparaison du banc : une fenêtre Qt Widgets nue (un libellé), avec la même mesure
// de la première image que lumicompteur. Avec --clignotant, elle fait au repos ce que lumicompteur
// y fait au moins : une rangée de texte qui clignote toutes les 700 ms et un top d'une seconde.
// Le processeur qu'elle prend alors dit ce que ce travail coûte sur la machine.
#include <time.h>

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <cstring>
#include <iostream>

namespace {

class MesurePremiereImage final : public QObject {
public:
    bool eventFilter(QObject* objet, QEvent* evenement) override {
        if (evenement->type() == QEvent::Paint && objet->isWidgetType() &&
            static_cast<QWidget*>(objet)->isWindow()) {
            qApp->removeEventFilter(this);
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
    QApplication application(argc, argv);
    MesurePremiereImage mesure;
    application.installEventFilter(&mesure);
    QWidget fenetre;
    fenetre.setWindowTitle("Fenêtre nue");
    auto* disposition = new QVBoxLayout(&fenetre);
    disposition->addWidget(new QLabel("Une fenêtre Qt Widgets nue, pour comparer."));
    QTimer clignotement;
    QTimer top;
    // La fenêtre de la mesure du démarrage reste telle quelle : la rangée ne vient qu'avec l'option.
    if (argc > 1 && std::strcmp(argv[1], "--clignotant") == 0) {
        auto* rangee = new QLabel(&fenetre);
        disposition->addWidget(rangee);
        QObject::connect(&clignotement, &QTimer::timeout, rangee, [rangee] {
            rangee->setText(rangee->text().isEmpty() ? QStringLiteral("Non connecté") : QString());
        });
        QObject::connect(&top, &QTimer::timeout, &top, [] {});
        clignotement.start(700);
        top.start(1000);
    }
    fenetre.resize(640, 400);
    fenetre.show();
    return QApplication::exec();
}
