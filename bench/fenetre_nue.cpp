// Le programme de comparaison du banc : une fenêtre Qt Widgets nue (un libellé), avec la même mesure
// de la première image que lumicompteur.
#include <time.h>

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
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
    fenetre.resize(640, 400);
    fenetre.show();
    return QApplication::exec();
}
