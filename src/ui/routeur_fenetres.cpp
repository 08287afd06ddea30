#include "ui/routeur_fenetres.hpp"

#include <QDialog>
#include <QWidget>

#include "actions/dialogue.hpp"

namespace lumi::ui {

RouteurFenetres::RouteurFenetres(QWidget& fenetre_principale, Dialogue& dialogue)
    : QObject(&fenetre_principale), principale_(fenetre_principale), dialogue_(dialogue) {
    setObjectName("routeur_fenetres");
}

QString RouteurFenetres::titre(FenetreSecondaire fenetre) {
    const std::string_view t = titres_fenetres_secondaires[static_cast<std::size_t>(fenetre)];
    return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size()));
}

void RouteurFenetres::definir_route(FenetreSecondaire fenetre, Fabrique fabrique, Preparation preparation) {
    Route& r = route(fenetre);
    delete r.fenetre.data();
    r = Route{std::move(fabrique), std::move(preparation), {}};
}

bool RouteurFenetres::disponible(FenetreSecondaire fenetre) const {
    return static_cast<bool>(route(fenetre).fabrique);
}

QDialog* RouteurFenetres::fenetre(FenetreSecondaire fenetre) const {
    return route(fenetre).fenetre.data();
}

bool RouteurFenetres::ouvrir(FenetreSecondaire fenetre, int page) {
    Route& r = route(fenetre);
    if (!r.fabrique) {
        dialogue_.information("La fenêtre « " + titre(fenetre).toStdString() +
                              " » n'est pas encore disponible.");
        return false;
    }
    if (!r.fenetre) r.fenetre = r.fabrique(&principale_);
    if (!r.fenetre) return false;
    if (r.preparation) r.preparation(*r.fenetre, page);
    r.fenetre->exec();
    emit fermee(fenetre);
    return true;
}

}  // namespace lumi::ui
