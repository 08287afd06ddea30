#include "ui/historique/modele_liste_historique.hpp"

#include <algorithm>
#include <array>

namespace lumi::ui {

const std::array<const char*, 8> ModeleListeHistorique::titres = {
    "Utilisateur", "Provider", "Date", "Heure", "Durée", "Période", "Tarification", "Réduction",
};

ModeleListeHistorique::ModeleListeHistorique(QObject* parent) : QAbstractTableModel(parent) {}

void ModeleListeHistorique::remplacer(const std::vector<LigneListeHistorique>& lignes) {
    beginResetModel();
    lignes_ = lignes;
    if (colonne_tri_ >= 0) trier();
    endResetModel();
}

void ModeleListeHistorique::definir_titre_total(const QString& titre) {
    titre_total_ = titre;
    emit headerDataChanged(Qt::Horizontal, LigneListeHistorique::nb_colonnes - 1,
                           LigneListeHistorique::nb_colonnes - 1);
}

void ModeleListeHistorique::definir_couleurs(QColor paire, QColor impaire) {
    paire_ = paire;
    impaire_ = impaire;
}

QString ModeleListeHistorique::texte(int rang, int colonne) const {
    const auto& l = ligne(rang);
    QString t = QString::fromStdString(l.colonne(colonne));
    if (colonne >= LigneListeHistorique::nb_colonnes - 2 && separateur_ != QLatin1Char('.')) {
        // Le montant est en tête (après une espace pour la réduction) : son point, entre deux chiffres.
        const qsizetype point = t.indexOf(QLatin1Char('.'));
        if (point > 0 && point + 1 < t.size() && t[point - 1].isDigit() && t[point + 1].isDigit()) {
            t[point] = separateur_;
        }
    }
    if (colonne == LigneListeHistorique::nb_colonnes - 1) t += devise_;
    return t;
}

int ModeleListeHistorique::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lignes_.size());
}

int ModeleListeHistorique::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : LigneListeHistorique::nb_colonnes;
}

QVariant ModeleListeHistorique::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int colonne = index.column();
    switch (role) {
        case Qt::DisplayRole:
        // Une colonne trop étroite finit son texte par des points de suspension : la bulle le
        // montre entier.
        case Qt::ToolTipRole:
            return texte(index.row(), colonne);
        case Qt::TextAlignmentRole:
            if (colonne == LigneListeHistorique::nb_colonnes - 1)
                return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        case Qt::ForegroundRole:
            if (colonne == LigneListeHistorique::nb_colonnes - 1) return QColor(Qt::blue);
            return QColor(Qt::black);
        case Qt::BackgroundRole:
            return index.row() % 2 == 0 ? paire_ : impaire_;
        case Qt::UserRole:
            return ligne(index.row()).localisateur;
        default:
            return {};
    }
}

void ModeleListeHistorique::definir_section_pressee(int section) {
    if (section == section_pressee_) return;
    section_pressee_ = section;
    emit headerDataChanged(Qt::Horizontal, 0, LigneListeHistorique::nb_colonnes - 1);
}

QVariant ModeleListeHistorique::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::ForegroundRole) {
        if (section == section_pressee_) return QColor(Qt::white);
        if (section == colonne_tri_ && !lignes_.empty()) return QColor(Qt::blue);
        return {};
    }
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section == LigneListeHistorique::nb_colonnes - 1) return titre_total_;
    if (section < 0 || section >= static_cast<int>(titres.size())) return {};
    return QString::fromUtf8(titres[static_cast<std::size_t>(section)]);
}

void ModeleListeHistorique::sort(int column, Qt::SortOrder order) {
    colonne_tri_ = column;
    ordre_ = order;
    beginResetModel();
    trier();
    endResetModel();
}

void ModeleListeHistorique::trier() {
    const int c = colonne_tri_;
    // Dates, heures, durées et montants dans leur ordre à eux ; les textes sans tenir compte de la casse.
    const auto avant = [c](const LigneListeHistorique& a, const LigneListeHistorique& b) {
        switch (c) {
            case 2:
                if (a.jour != b.jour) return a.jour < b.jour;
                return a.heure < b.heure;
            case 3: return a.heure < b.heure;
            case 4: return a.secondes < b.secondes;
            case 7: return a.montant_reduction < b.montant_reduction;
            case 8: return a.montant_total < b.montant_total;
            default:
                return QString::fromStdString(a.colonne(c)).compare(QString::fromStdString(b.colonne(c)),
                                                                    Qt::CaseInsensitive) < 0;
        }
    };
    if (ordre_ == Qt::AscendingOrder) {
        std::stable_sort(lignes_.begin(), lignes_.end(), avant);
    } else {
        std::stable_sort(lignes_.begin(), lignes_.end(),
                         [&](const auto& a, const auto& b) { return avant(b, a); });
    }
}

}  // namespace lumi::ui
