#include "ui/historique/impression_historique.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QLibrary>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>
#include <algorithm>
#include <array>

#include "history/fenetre/rapport_historique.hpp"
#include "ui/historique/modele_liste_historique.hpp"

namespace lumi::ui {

namespace {

// La police du rapport : Times, ou la serif aux mêmes métriques que donne le système.
QFont police(double points, bool gras, QPaintDevice* appareil) {
    QFont f(QStringLiteral("Times New Roman"));
    f.setStyleHint(QFont::Serif);
    f.setPointSizeF(points);
    f.setBold(gras);
    return QFont(f, appareil);
}

// Un texte dans sa colonne. Un montant n'est jamais coupé : trop large, il est écrit plus petit ;
// un autre texte trop large finit par des points de suspension.
void texte_colonne(QPainter& p, int gauche, int droite, int y, int hauteur, const QString& texte,
                   Qt::Alignment alignement, int marge, bool entier) {
    const QRect cadre(gauche + marge, y, std::max(1, droite - gauche - 2 * marge), hauteur);
    const QFont police_ligne = p.font();
    const int large = p.fontMetrics().horizontalAdvance(texte);
    if (large <= cadre.width()) {
        p.drawText(cadre, alignement | Qt::AlignVCenter, texte);
    } else if (entier) {
        QFont f = police_ligne;
        f.setPointSizeF(police_ligne.pointSizeF() * cadre.width() / large);
        p.setFont(f);
        // La mesure au corps réduit peut dépasser d'un rien : le cadre s'élargit sur la marge.
        p.drawText(cadre.adjusted(-marge, 0, 0, 0), alignement | Qt::AlignVCenter, texte);
        p.setFont(police_ligne);
    } else {
        p.drawText(cadre, alignement | Qt::AlignVCenter,
                   p.fontMetrics().elidedText(texte, Qt::ElideRight, cadre.width()));
    }
}

}  // namespace

bool dessiner_rapport(QPagedPaintDevice& imprimante, const ContenuRapport& contenu) {
    if (contenu.liste == nullptr || contenu.liste->rowCount() == 0) return false;
    QPainter p;
    if (!p.begin(&imprimante)) return false;
    const QFont ligne = police(8, false, &imprimante);
    const QFont entete = police(10, true, &imprimante);
    const QFont titre = police(13, true, &imprimante);

    GeometrieRapport g;
    g.hauteur_page = imprimante.height();
    g.largeur_page = imprimante.width();
    g.hauteur_ligne =
        QFontMetrics(ligne, &imprimante)
            .boundingRect(QString::fromLatin1(texte_mesure_ligne.data(), texte_mesure_ligne.size()))
            .height();
    g.hauteur_entete = QFontMetrics(entete, &imprimante).height();
    const auto m = mise_en_page_rapport(g, contenu.liste->rowCount());
    const int rh = g.hauteur_ligne;
    const int hh = g.hauteur_entete;
    const int fin = LigneListeHistorique::nb_colonnes;
    const int marge = g.w(5);
    // Les montants (réduction et total) prennent la place que leur texte demande.
    std::array<int, 9> besoins{};
    const QFontMetrics mesure_ligne(ligne, &imprimante);
    for (int rang = 0; rang < contenu.liste->rowCount(); ++rang)
        for (int c = 0; c < fin; ++c)
            besoins[static_cast<std::size_t>(c)] =
                std::max(besoins[static_cast<std::size_t>(c)],
                         mesure_ligne.horizontalAdvance(contenu.liste->texte(rang, c)) + 2 * marge + 1);
    // Les deux dernières colonnes (réduction, total) sont des montants, jamais coupés.
    constexpr std::array<bool, 9> montants{false, false, false, false, false, false, false, true, true};
    const auto x = colonnes_selon_contenu(m.colonnes, besoins, montants);
    QPen trait(Qt::black);
    trait.setWidth(std::max(1, g.w(1) / 2));
    p.setPen(trait);

    for (int n = 0; n < m.nb_pages(); ++n) {
        if (n > 0) imprimante.newPage();
        const auto& page = m.pages[static_cast<std::size_t>(n)];
        if (n == 0) {
            // La période dans un cadre blanc à l'ombre grise, le titre.
            p.setFont(ligne);
            const QRect texte = p.fontMetrics().boundingRect(contenu.periode);
            QRect cadre(0, 0, texte.width() + g.w(40), texte.height() + g.h(10));
            cadre.moveCenter(QPoint(g.largeur_page / 2, g.h(55)));
            p.fillRect(cadre.translated(g.w(6), g.h(4)), QColor(0xC0, 0xC0, 0xC0));
            p.fillRect(cadre, Qt::white);
            p.drawRect(cadre);
            p.drawText(cadre, Qt::AlignCenter, contenu.periode);
            p.setFont(titre);
            p.drawText(QRect(0, g.h(20) - g.h(10), g.largeur_page, g.h(20)), Qt::AlignCenter,
                       QString::fromUtf8(titre_rapport_historique.data(), titre_rapport_historique.size()));
        }
        if (page.haut_entetes >= 0) {
            // Les en-têtes entre deux filets, sur chaque page de lignes.
            const int t1 = page.haut_entetes;
            p.drawLine(x[0], t1, x[9], t1);
            p.drawLine(x[0], t1 + g.h(15), x[9], t1 + g.h(15));
            for (int c = 0; c < fin; ++c) {
                const QString t =
                    c < 8
                        ? QString::fromLatin1(entetes_rapport_historique[static_cast<std::size_t>(c)].data())
                        : contenu.liste->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
                // Un en-tête plus large que sa colonne est rapetissé pour y tenir.
                QFont f = entete;
                const int place = x[c + 1] - x[c] - g.w(4);
                const int large = QFontMetrics(entete, &imprimante).horizontalAdvance(t);
                if (large > place) f.setPointSizeF(entete.pointSizeF() * place / large);
                p.setFont(f);
                p.drawText(QRect(x[c], t1 + g.h(2), x[c + 1] - x[c], g.h(11)), Qt::AlignCenter, t);
            }
        }
        if (page.nb_lignes > 0) {
            p.setFont(ligne);
            for (int i = 0; i < page.nb_lignes; ++i) {
                const int rang = page.premiere_ligne + i;
                const int y = page.haut_lignes + i * rh;
                for (int c = 0; c < fin; ++c) {
                    Qt::Alignment a = Qt::AlignLeft;
                    if (c >= 2 && c <= 4) a = Qt::AlignHCenter;
                    if (c >= 7) a = Qt::AlignRight;
                    texte_colonne(p, x[c], x[c + 1], y, rh, contenu.liste->texte(rang, c), a, marge,
                                  montants[static_cast<std::size_t>(c)]);
                }
            }
            const int haut = page.haut_entetes >= 0 ? page.haut_entetes : page.haut_lignes;
            const int bas = page.haut_lignes + page.nb_lignes * rh;
            for (int c = 0; c <= fin; ++c) p.drawLine(x[c], haut, x[c], bas);
            p.drawLine(x[0], bas, x[9], bas);
        }
        const auto& s = contenu.statistiques;
        if (page.y_totaux >= 0) {
            // Les totaux, encadrés, sous les deux dernières colonnes.
            const int y = page.y_totaux + g.h(10);
            const QRect cadre(x[6], y, x[9] - x[6], 3 * hh + g.h(10));
            p.drawRect(cadre);
            p.setFont(entete);
            const std::pair<const char*, std::string> lignes[] = {
                {"Total HT", s.total_ht}, {"+ TVA", s.tva}, {"TOTAL TTC", s.total_ttc}};
            for (int i = 0; i < 3; ++i) {
                const QRect r(x[6] + g.w(10), y + g.h(5) + i * hh, x[9] - x[6] - g.w(20), hh);
                p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(lignes[i].first));
                p.drawText(r, Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(lignes[i].second));
            }
        }
        if (page.y_statistiques >= 0) {
            int y = page.y_statistiques;
            p.setFont(entete);
            p.drawText(QRect(x[0], y, x[9] - x[0], hh), Qt::AlignLeft | Qt::AlignVCenter,
                       QStringLiteral("Statistiques des connexions"));
            y += hh + g.h(5);
            p.drawText(QRect(x[0], y, x[9] - x[0], hh), Qt::AlignLeft | Qt::AlignVCenter,
                       QStringLiteral("NB de connexions"));
            y += hh;
            p.setFont(ligne);
            const std::array<std::array<std::string, 4>, 3> paires = {{
                {" Nb connexions Auto.", s.nb_auto, " Durée totale des connexions", s.duree_totale},
                {" Nb connexions Manuelles", s.nb_manuelles, " Durée moyenne d'une connexion",
                 s.duree_moyenne},
                {" Nb total de connexions", s.nb_total, s.titre_cout_moyen, s.cout_moyen},
            }};
            const int milieu = (x[0] + x[9]) / 2;
            for (const auto& pa : paires) {
                p.drawText(QRect(x[0], y, milieu - x[0] - g.w(60), rh), Qt::AlignLeft,
                           QString::fromStdString(pa[0]));
                p.drawText(QRect(x[0], y, milieu - x[0] - g.w(60), rh), Qt::AlignRight,
                           QString::fromStdString(pa[1]));
                p.drawText(QRect(milieu, y, x[9] - milieu, rh), Qt::AlignLeft, QString::fromStdString(pa[2]));
                p.drawText(QRect(milieu, y, x[9] - milieu, rh), Qt::AlignRight,
                           QString::fromStdString(pa[3]));
                y += rh + g.h(3);
            }
        }
        p.setFont(ligne);
        p.drawText(QRect(0, m.y_pied - rh, x[9], rh), Qt::AlignRight | Qt::AlignBottom,
                   QString::fromStdString(m.pied(n + 1)));
    }
    return p.end();
}

bool exporter_rapport_pdf(const QString& fichier, const ContenuRapport& contenu) {
    // QPdfWriter (QtGui) : la même page qu'une imprimante PDF de QPrinter à 1200 points par pouce,
    // sans charger QtPrintSupport.
    QPdfWriter pdf(fichier);
    pdf.setResolution(1200);
    pdf.setTitle(QString::fromUtf8(titre_rapport_historique.data(), titre_rapport_historique.size()));
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageOrientation(QPageLayout::Portrait);
    return dessiner_rapport(pdf, contenu);
}

Impression imprimer_avec_boite(QWidget* parent, const DessinImpression& dessiner, QString& raison) {
    // Chargé une fois, gardé jusqu'à la fin : ses classes restent en usage.
    static QLibrary module;
    using Imprimer = int (*)(QWidget*, const QString*, const DessinImpression*);
    static Imprimer imprimer = nullptr;
    if (imprimer == nullptr) {
        const QString ici = QCoreApplication::applicationDirPath();
        QStringList chemins{ici + QStringLiteral("/lumicompteur-impression.so"),
                            ici + QStringLiteral("/../lib/lumicompteur/lumicompteur-impression.so")};
        // L'arbre de construction n'est cherché que par un programme qui en vient : un paquet construit
        // sous /tmp ne chargerait pas ce qu'un autre utilisateur y aurait déposé.
        const QString arbre = QStringLiteral(LUMI_DOSSIER_CONSTRUCTION);
        if (ici.startsWith(arbre + QLatin1Char('/')))
            chemins << arbre + QStringLiteral("/app/lumicompteur-impression.so");
        for (const QString& chemin : chemins) {
            if (!QFileInfo::exists(chemin)) continue;
            module.setFileName(QDir::cleanPath(chemin));
            imprimer = reinterpret_cast<Imprimer>(module.resolve("lumi_imprimer"));
            if (imprimer == nullptr) raison = module.errorString();
            break;
        }
        if (imprimer == nullptr) {
            if (raison.isEmpty())
                raison = QStringLiteral("le module lumicompteur-impression est introuvable");
            return Impression::indisponible;
        }
    }
    const QString titre = QString::fromUtf8(titre_rapport_historique.data(), titre_rapport_historique.size());
    switch (imprimer(parent, &titre, &dessiner)) {
        case 0:
            return Impression::abandonnee;
        case 1:
            return Impression::faite;
        default:
            return Impression::echouee;
    }
}

}  // namespace lumi::ui
