#include "ui/francais.hpp"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace lumi {

bool installer_francais(QCoreApplication& application) {
    const QLocale francais(QLocale::French, QLocale::France);
    // Les noms des mois et des jours du calendrier, le premier jour de la semaine (lundi).
    QLocale::setDefault(francais);
    // Le traducteur appartient à l'application : il vit autant qu'elle.
    auto* traducteur = new QTranslator(&application);
    if (!traducteur->load(francais, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete traducteur;
        return false;
    }
    return QCoreApplication::installTranslator(traducteur);
}

}  // namespace lumi
