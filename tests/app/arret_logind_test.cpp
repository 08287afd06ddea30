// L'arrêt de la machine par logind contre un vrai bus D-Bus : arret_logind.sh lance un bus privé
// et le faux logind de python3-dbusmock, dont l'adresse arrive par DBUS_SYSTEM_BUS_ADDRESS.
// LUMI_LOGIND_REFUSE=1 : le faux logind refuse PowerOff.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>

#include "arret_logind.hpp"
#include "core/essai_compteur.hpp"

namespace lumi {
namespace {

// Les appels notés par le faux logind : (instant, méthode, arguments).
QList<QString> appels_power_off(QList<bool>& arguments) {
    QDBusMessage appel = QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                                        "org.freedesktop.DBus.Mock", "GetCalls");
    const QDBusMessage reponse = QDBusConnection::systemBus().call(appel);
    QList<QString> methodes;
    if (reponse.type() != QDBusMessage::ReplyMessage || reponse.arguments().isEmpty()) return methodes;
    const auto liste = reponse.arguments().first().value<QDBusArgument>();
    liste.beginArray();
    while (!liste.atEnd()) {
        qulonglong instant = 0;
        QString methode;
        QVariantList args;
        liste.beginStructure();
        liste >> instant >> methode >> args;
        liste.endStructure();
        if (methode != "PowerOff") continue;
        methodes << methode;
        QVariant premier = args.isEmpty() ? QVariant() : args.first();
        if (premier.canConvert<QDBusVariant>() && premier.metaType() == QMetaType::fromType<QDBusVariant>()) {
            premier = premier.value<QDBusVariant>().variant();
        }
        arguments << premier.toBool();
    }
    liste.endArray();
    return methodes;
}

TEST(ArretLogind, PowerOffInteractifEtRefusSansArreterLeProgramme) {
    if (qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS")) GTEST_SKIP() << "pas de bus privé";
    const bool refuse = qEnvironmentVariable("LUMI_LOGIND_REFUSE") == "1";

    essai::EssaiCompteur e(essai::le_10_mars(14, 0, 0));
    e.ecrire(cles::options, "se deconnecter", "oui");
    e.ecrire(cles::options, "exit window", "oui");
    e.ecrire(cles::options, "delai auto validation", "0");
    auto& banc = e.demarrer();
    ArretLogind arret;
    banc.compteur.programmation().brancher({&banc.ecrans, &arret, nullptr, nullptr});
    e.connexion("MonFAI", 5500, 600000);
    banc.avancer(20);
    banc.compteur.programmation().armer({TypeProgrammation::duree, "30"});
    banc.avancer(20);

    EXPECT_EQ(banc.compteur.programmation().declenchements(), 1);
    QList<bool> interactif;
    EXPECT_EQ(appels_power_off(interactif).size(), 1);
    EXPECT_EQ(interactif, QList<bool>{true});
    if (refuse) {
        ASSERT_FALSE(e.boites().empty());
        EXPECT_EQ(e.boites().back(), "Echec fermeture de Windows.");
        EXPECT_FALSE(arret.derniere_erreur().isEmpty());
        // Le programme continue : le top suivant tourne.
        const auto appels = banc.ordonnanceur.appels();
        banc.avancer(2);
        EXPECT_GT(banc.ordonnanceur.appels(), appels);
    } else {
        EXPECT_TRUE(e.boites().empty()) << e.boites().back();
        EXPECT_TRUE(arret.derniere_erreur().isEmpty()) << arret.derniere_erreur().toStdString();
    }
}

TEST(ArretLogind, SansLogindLArretEchoue) {
    if (!qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS")) GTEST_SKIP() << "un bus est donné";
    // Un bus système injoignable : faux, sans bloquer.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/lumi-bus");
    ArretLogind arret;
    EXPECT_FALSE(arret.eteindre());
}

}  // namespace
}  // namespace lumi

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
