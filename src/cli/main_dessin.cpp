// lumicompteur-outil-dessin : l'outil avec le dessin Qt du rapport PDF et du graphique des mois.
// lumicompteur-outil lui passe la main pour « historique --pdf » et « --graphique » : l'outil
// lui-même ne charge pas Qt, dont le chargement coûterait plus que la lecture d'un historique.
#include <QApplication>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/commandes.hpp"
#include "ui/graphique_mois.hpp"
#include "ui/historique/impression_historique.hpp"
#include "ui/historique/modele_liste_historique.hpp"

namespace {

// Le rapport PDF dessiné comme par la fenêtre de l'historique.
bool exporter_pdf(const std::string& fichier, const lumi::cli::RapportPdf& rapport) {
    lumi::ui::ModeleListeHistorique liste;
    liste.definir_titre_total(QString::fromStdString(rapport.titre_total));
    liste.definir_devise(QString::fromStdString(rapport.devise));
    liste.definir_separateur(QLatin1Char(rapport.separateur));
    liste.remplacer(*rapport.lignes);
    const lumi::ui::ContenuRapport contenu{QString::fromStdString(rapport.periode), &liste,
                                           rapport.statistiques};
    return lumi::ui::exporter_rapport_pdf(QString::fromStdString(fichier), contenu);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    // Qt n'est démarré que pour le PDF, sur la plate-forme sans écran (l'outil sert aussi sur une
    // machine sans affichage), et s'arrête avant la fin de main.
    std::unique_ptr<QApplication> application;
    const auto demarrer_qt = [&] {
        if (application) return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QApplication>(argc, argv);
    };
    lumi::cli::definir_export_pdf([&](const std::string& fichier, const lumi::cli::RapportPdf& rapport) {
        demarrer_qt();
        return exporter_pdf(fichier, rapport);
    });
    lumi::cli::definir_export_graphique(
        [&](const std::string& fichier, const lumi::GraphiqueMois& graphique) {
            demarrer_qt();
            return lumi::ui::image_graphique_mois(graphique).save(QString::fromStdString(fichier), "PNG");
        });
    const int code = lumi::cli::executer(arguments, {std::cout, std::cerr});
    lumi::cli::definir_export_pdf({});
    lumi::cli::definir_export_graphique({});
    return code;
}
