// Le module lumicompteur-impression : la boîte d'impression et l'imprimante de QtPrintSupport,
// chargées par le programme à la première impression seulement (imprimer_avec_boite). Le dessin
// reste dans le programme : le module ne connaît que l'appareil sur lequel il se fait.
#include <QPagedPaintDevice>
#include <QPrintDialog>
#include <QPrinter>
#include <QString>
#include <QWidget>
#include <functional>

// 0 : boîte refusée ; 1 : imprimé ; 2 : l'imprimante n'a pu commencer.
extern "C" Q_DECL_EXPORT int lumi_imprimer(QWidget* parent, const QString* titre,
                                           const std::function<bool(QPagedPaintDevice&)>* dessiner) {
    QPrinter imprimante(QPrinter::HighResolution);
    imprimante.setDocName(*titre);
    imprimante.setPageOrientation(QPageLayout::Portrait);
    QPrintDialog boite(&imprimante, parent);
    if (boite.exec() != QDialog::Accepted) return 0;
    return (*dessiner)(imprimante) ? 1 : 2;
}
