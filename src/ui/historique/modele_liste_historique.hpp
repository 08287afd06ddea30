#pragma once
// L'adaptateur de la liste de l'historique : les lignes que le modèle du cœur a calculées, vues par
// un QAbstractTableModel (une vue Qt n'en peint que les lignes visibles, même pour cent mille).
// Tri par colonne ; colonne des réductions à gauche, des totaux à droite en bleu avec la devise ;
// l'en-tête de la colonne triée en bleu tant qu'une ligne est montrée, celui qu'on presse en blanc.
#include <QAbstractTableModel>
#include <QColor>
#include <QString>
#include <array>
#include <vector>

#include "history/fenetre/passage_historique.hpp"

namespace lumi::ui {

class ModeleListeHistorique final : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ModeleListeHistorique(QObject* parent = nullptr);

    // Remplace les lignes (dans l'ordre donné, la plus récente en tête), retrie s'il le faut.
    void remplacer(const std::vector<LigneListeHistorique>& lignes);
    void definir_titre_total(const QString& titre);
    void definir_devise(const QString& devise) { devise_ = devise; }
    // Le séparateur décimal du système, pour les montants des réductions et des totaux.
    void definir_separateur(QChar separateur) { separateur_ = separateur; }
    void definir_couleurs(QColor paire, QColor impaire);
    // L'en-tête pressé (-1 : aucun), peint en blanc jusqu'au relâchement.
    void definir_section_pressee(int section);

    const LigneListeHistorique& ligne(int rang) const { return lignes_[static_cast<std::size_t>(rang)]; }
    // Les colonnes telles qu'imprimées : la devise suit le total.
    QString texte(int rang, int colonne) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

    static const std::array<const char*, 8> titres;

private:
    void trier();

    std::vector<LigneListeHistorique> lignes_;
    QString titre_total_ = QStringLiteral("Total TTC AR");
    QString devise_ = QStringLiteral(" F");
    QChar separateur_ = QLatin1Char('.');
    QColor paire_ = Qt::white, impaire_ = QColor(0xC0, 0xC0, 0xC0);
    int colonne_tri_ = -1;
    int section_pressee_ = -1;
    Qt::SortOrder ordre_ = Qt::AscendingOrder;
};

}  // namespace lumi::ui
