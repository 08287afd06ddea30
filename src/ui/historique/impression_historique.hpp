#pragma once
// Le rapport imprimé de l'historique : la mise en page du cœur (rapport_historique.hpp) dessinée
// par QPainter sur une imprimante Qt, papier ou fichier PDF.
#include <QString>

#include "history/fenetre/passage_historique.hpp"

class QPrinter;

namespace lumi::ui {

class ModeleListeHistorique;

struct ContenuRapport {
    QString periode;  // "Du ... au ..."
    const ModeleListeHistorique* liste = nullptr;
    StatistiquesHistorique statistiques;
};

// Prépare l'imprimante : titre du travail, portrait, A4 par défaut.
void preparer_imprimante(QPrinter& imprimante);
// Dessine toutes les pages ; rend faux si l'imprimante ne peut commencer.
bool dessiner_rapport(QPrinter& imprimante, const ContenuRapport& contenu);
// Les mêmes pages dans un fichier PDF, sans boîte de dialogue.
bool exporter_rapport_pdf(const QString& fichier, const ContenuRapport& contenu);

}  // namespace lumi::ui
