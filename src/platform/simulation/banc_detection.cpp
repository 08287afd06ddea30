#include "platform/simulation/banc_detection.hpp"

namespace lumi {

BancDetection::BancDetection(Moment depart, Registre& registre, const std::filesystem::path& dossier_donnees,
                             ReglagesCompteur reglages)
    : banc(depart, registre, dossier_donnees, std::move(reglages)),
      detection(CouturesDetection{banc.horloge, registre, banc.acces, telephonie, banc.dialogue}, actions,
                dossier_donnees) {}

void BancDetection::charger(const ScriptSimulation& script) {
    appliquer_script(script, banc.acces, telephonie, banc.adresse, banc.ordonnanceur);
}

void BancDetection::demarrer() {
    banc.demarrer();
    detection.choix_de_la_source();
    banc.ordonnanceur.suivre(detection.Timer5(), [this] { detection.Timer5Timer(); });
}

}  // namespace lumi
