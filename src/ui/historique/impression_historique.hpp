#pragma once
// Le rapport imprimé de l'historique : la mise en page du cœur (rapport_historique.hpp) dessinée
// par QPainter sur une imprimante Qt, papier ou fichier PDF.
#include <QString>
#include <functional>

#include "history/fenetre/passage_historique.hpp"

class QPagedPaintDevice;
class QWidget;

namespace lumi::ui {

class ModeleListeHistorique;

struct ContenuRapport {
    QString periode;  // "Du ... au ..."
    const ModeleListeHistorique* liste = nullptr;
    StatistiquesHistorique statistiques;
};

// Dessine toutes les pages, sur une imprimante ou dans un PDF ; rend faux si l'appareil ne peut
// commencer.
bool dessiner_rapport(QPagedPaintDevice& appareil, const ContenuRapport& contenu);
// Les mêmes pages dans un fichier PDF (A4, portrait), sans boîte de dialogue.
bool exporter_rapport_pdf(const QString& fichier, const ContenuRapport& contenu);

// La boîte d'impression, puis le dessin sur l'imprimante choisie. QtPrintSupport et la boîte
// viennent du module lumicompteur-impression, chargé à la première impression (à côté du
// programme, sinon dans ../lib/lumicompteur) : le programme ne les charge pas à son démarrage.
enum class Impression { abandonnee, faite, echouee, indisponible };
using DessinImpression = std::function<bool(QPagedPaintDevice&)>;
Impression imprimer_avec_boite(QWidget* parent, const DessinImpression& dessiner, QString& raison);

}  // namespace lumi::ui
