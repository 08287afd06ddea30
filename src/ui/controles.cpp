#include "ui/controles.hpp"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QStandardItemModel>
#include <QStyle>
#include <algorithm>
#include <array>
#include <utility>

namespace lumi::ui {

QColor couleur_qt(std::uint32_t couleur) {
    if (est_couleur_systeme(couleur)) {
        // Les couleurs du système dans l'ordre de leur rang : groupe et rôle de la palette.
        using P = QPalette;
        static constexpr std::array<std::pair<P::ColorGroup, P::ColorRole>, 25> roles{{
            {P::Active, P::Button},
            {P::Active, P::Dark},
            {P::Active, P::Highlight},
            {P::Inactive, P::Mid},
            {P::Active, P::Window},
            {P::Active, P::Base},
            {P::Active, P::Shadow},
            {P::Active, P::WindowText},
            {P::Active, P::Text},
            {P::Active, P::HighlightedText},
            {P::Active, P::Button},
            {P::Inactive, P::Button},
            {P::Active, P::Mid},
            {P::Active, P::Highlight},
            {P::Active, P::HighlightedText},
            {P::Active, P::Button},
            {P::Active, P::Dark},
            {P::Disabled, P::Text},
            {P::Active, P::ButtonText},
            {P::Inactive, P::WindowText},
            {P::Active, P::Light},
            {P::Active, P::Shadow},
            {P::Active, P::Midlight},
            {P::Active, P::ToolTipText},
            {P::Active, P::ToolTipBase},
        }};
        const auto& [groupe, role] = roles[couleur - couleur_systeme];
        return QApplication::palette().color(groupe, role);
    }
    // 0x00BBGGRR : le rouge dans l'octet bas.
    return QColor(static_cast<int>(couleur & 0xFF), static_cast<int>((couleur >> 8) & 0xFF),
                  static_cast<int>((couleur >> 16) & 0xFF));
}

// ---------------------------------------------------------------------------------------------
// Étiquette coupée

EtiquetteElidee::EtiquetteElidee(const QString& nom, QWidget* parent) : QFrame(parent) {
    setObjectName(nom);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void EtiquetteElidee::setText(const QString& texte) {
    if (texte == texte_) return;
    texte_ = texte;
    suivre();
}

void EtiquetteElidee::definir_bulle(const QString& bulle) {
    bulle_ = bulle;
    suivre();
}

QSize EtiquetteElidee::sizeHint() const {
    // Aucune largeur propre : celle que la disposition donne (au moins la largeur minimale posée).
    const QMargins m = contentsMargins();
    return {m.left() + m.right() + 2 * frameWidth(),
            fontMetrics().height() + m.top() + m.bottom() + 2 * frameWidth()};
}

QSize EtiquetteElidee::minimumSizeHint() const {
    return sizeHint();
}

void EtiquetteElidee::definir_lignes_max(int lignes) {
    lignes_max_ = std::max(1, lignes);
    // Sur plusieurs lignes, la hauteur suit la largeur au lieu d'être celle d'une ligne.
    QSizePolicy p = sizePolicy();
    p.setVerticalPolicy(lignes_max_ > 1 ? QSizePolicy::Preferred : QSizePolicy::Fixed);
    p.setHeightForWidth(lignes_max_ > 1);
    setSizePolicy(p);
    suivre();
}

bool EtiquetteElidee::hasHeightForWidth() const {
    return lignes_max_ > 1;
}

int EtiquetteElidee::heightForWidth(int largeur) const {
    const QMargins m = contentsMargins();
    const int cadre = 2 * frameWidth();
    const auto lignes = static_cast<int>(lignes_dans(largeur - m.left() - m.right() - cadre).size());
    return lignes * fontMetrics().height() + m.top() + m.bottom() + cadre;
}

QStringList EtiquetteElidee::lignes_dans(int largeur) const {
    const QFontMetrics mesure = fontMetrics();
    QStringList lignes;
    QString reste = texte_;
    while (lignes.size() + 1 < lignes_max_ && mesure.horizontalAdvance(reste) > largeur) {
        // Le dernier blanc avant le bord.
        qsizetype coupure = -1;
        for (qsizetype i = reste.indexOf(' '); i > 0; i = reste.indexOf(' ', i + 1)) {
            if (mesure.horizontalAdvance(reste.left(i)) > largeur) break;
            coupure = i;
        }
        if (coupure <= 0) break;
        lignes << reste.left(coupure);
        reste = reste.mid(coupure + 1);
    }
    lignes << mesure.elidedText(reste, Qt::ElideRight, largeur);
    return lignes;
}

void EtiquetteElidee::suivre() {
    const QStringList lignes = lignes_dans(contentsRect().width());
    vu_ = lignes.join('\n');
    coupe_ = lignes.join(' ') != texte_;
    if (lignes.size() != lignes_vues_) {
        lignes_vues_ = static_cast<int>(lignes.size());
        updateGeometry();
    }
    QString bulle = bulle_;
    if (coupe_) bulle = bulle_.isEmpty() ? texte_ : bulle_ + " : " + texte_;
    if (toolTip() != bulle) setToolTip(bulle);
    update();
}

void EtiquetteElidee::paintEvent(QPaintEvent* evenement) {
    QFrame::paintEvent(evenement);
    QPainter p(this);
    style()->drawItemText(&p, contentsRect(), Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(), vu_,
                          foregroundRole());
}

void EtiquetteElidee::resizeEvent(QResizeEvent* evenement) {
    QFrame::resizeEvent(evenement);
    suivre();
}

void EtiquetteElidee::changeEvent(QEvent* evenement) {
    QFrame::changeEvent(evenement);
    if (evenement->type() == QEvent::FontChange || evenement->type() == QEvent::StyleChange) suivre();
}

// ---------------------------------------------------------------------------------------------
// Panneau

Panneau::Panneau(const QString& nom, QWidget* parent) : QFrame(parent) {
    setObjectName(nom);
    setAutoFillBackground(true);
}

void Panneau::setText(const QString& texte) {
    if (texte == texte_) return;
    texte_ = texte;
    update(contentsRect());
}

void Panneau::setAlignment(Qt::Alignment alignement) {
    alignement_ = alignement;
    update();
}

QSize Panneau::sizeHint() const {
    if (layout()) return QFrame::sizeHint();
    const QFontMetrics fm(font());
    const int f = 2 * frameWidth();
    return {fm.horizontalAdvance(texte_) + f + 4, fm.height() + f + 2};
}

QSize Panneau::minimumSizeHint() const {
    return layout() ? QFrame::minimumSizeHint() : QSize(0, QFontMetrics(font()).height());
}

void Panneau::paintEvent(QPaintEvent* evenement) {
    QFrame::paintEvent(evenement);
    if (texte_.isEmpty()) return;
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(contentsRect().adjusted(2, 0, -2, 0), static_cast<int>(alignement_), texte_);
}

void Panneau::definir_fond(std::uint32_t couleur) {
    const QColor c = couleur_qt(couleur);
    if (palette().color(QPalette::Window) == c) return;
    QPalette p = palette();
    p.setColor(QPalette::Window, c);
    setPalette(p);
}

void Panneau::definir_police(std::uint32_t couleur) {
    const QColor c = couleur_qt(couleur);
    if (palette().color(QPalette::WindowText) == c) return;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, c);
    setPalette(p);
}

void Panneau::mousePressEvent(QMouseEvent* evenement) {
    if (evenement->button() != Qt::LeftButton) {
        QFrame::mousePressEvent(evenement);
        return;
    }
    enfonce_ = true;
    deplace_ = false;
    souris_depart_ = evenement->globalPosition().toPoint();
    fenetre_depart_ = window()->pos();
    evenement->accept();
}

void Panneau::mouseMoveEvent(QMouseEvent* evenement) {
    if (!enfonce_ || !glisser_) return;
    const QPoint delta = evenement->globalPosition().toPoint() - souris_depart_;
    // Un tremblement de la main reste un clic.
    if (!deplace_ && delta.manhattanLength() < QApplication::startDragDistance()) return;
    deplace_ = true;
    window()->move(fenetre_depart_ + delta);
}

void Panneau::mouseReleaseEvent(QMouseEvent* evenement) {
    if (evenement->button() != Qt::LeftButton || !enfonce_) {
        QFrame::mouseReleaseEvent(evenement);
        return;
    }
    enfonce_ = false;
    // La fenêtre n'a pas bougé : c'était un clic.
    if (window()->pos() == fenetre_depart_ && rect().contains(evenement->position().toPoint())) {
        emit clique();
    }
}

// ---------------------------------------------------------------------------------------------
// Jauge

JaugeQt::JaugeQt(const QString& nom, bool avec_texte, QWidget* parent)
    : QWidget(parent), avec_texte_(avec_texte) {
    setObjectName(nom);
}

void JaugeQt::definir(const Jauge& jauge) {
    if (jauge.position == position_ && jauge.maximum == maximum_) return;
    position_ = jauge.position;
    maximum_ = jauge.maximum;
    update();
}

void JaugeQt::definir_couleurs(std::uint32_t fond, std::uint32_t barre) {
    fond_ = couleur_qt(fond);
    barre_ = couleur_qt(barre);
    update();
}

void JaugeQt::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, fond_);
    const double part = maximum_ > 0 ? std::clamp(double(position_) / maximum_, 0.0, 1.0) : 0.0;
    p.fillRect(QRect(r.left(), r.top(), static_cast<int>(r.width() * part), r.height()), barre_);
    if (avec_texte_) {
        p.setPen(Qt::black);
        p.drawText(r, Qt::AlignCenter, QString::number(static_cast<int>(part * 100)) + " %");
    }
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

// ---------------------------------------------------------------------------------------------
// Bouton rapide

BoutonRapide::BoutonRapide(const QString& nom, const QIcon& image, const QString& legende,
                           const QString& bulle, QWidget* parent)
    : QToolButton(parent) {
    setObjectName(nom);
    setIcon(image);
    setToolTip(bulle);
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    if (legende.isEmpty()) {
        setToolButtonStyle(Qt::ToolButtonIconOnly);
    } else {
        setText(legende);
        setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
}

// ---------------------------------------------------------------------------------------------
// Liste dessinée

void LigneDessinee::peindre(QPainter& p, const QRect& rect, bool choisie, const StyleListe& style) const {
    p.save();
    p.fillRect(rect, choisie && style.fond_actif.isValid() ? style.fond_actif : style.fond);
    if (choisie && style.marque) {
        const QPixmap& m = *style.marque;
        p.drawPixmap(rect.left() + 4, rect.center().y() - m.height() / 2, m);
    }
    if (cadenas && style.cadenas) {
        const QPixmap& c = *style.cadenas;
        p.drawPixmap(rect.right() - c.width() - 4, rect.center().y() - c.height() / 2, c);
    }
    p.setPen(choisie ? style.texte_actif : style.texte);
    const QRect zone = rect.adjusted(style.marge, 0, -(style.cadenas ? 24 : 4), 0);
    p.drawText(zone, Qt::AlignVCenter | Qt::AlignLeft,
               p.fontMetrics().elidedText(texte, Qt::ElideRight, zone.width()));
    p.restore();
}

void DelegueLigne::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const LigneDessinee ligne{index.data(Qt::DisplayRole).toString(), index.data(role_cadenas).toBool()};
    const bool choisie = option.state & (QStyle::State_Selected | QStyle::State_HasFocus);
    ligne.peindre(*p, option.rect, choisie, style_);
}

QSize DelegueLigne::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    s.setHeight(std::max(s.height(), 18));
    s.setWidth(s.width() + style_.marge + 24);
    return s;
}

ListeDessinee::ListeDessinee(const QString& nom, QWidget* parent) : QComboBox(parent) {
    setObjectName(nom);
    setFocusPolicy(Qt::NoFocus);
    // La largeur ne suit pas la plus longue ligne : la fenêtre normale garde la sienne (les lignes
    // trop longues sont coupées au dessin).
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
    connect(this, &QComboBox::activated, this, [this](int position) {
        if (!remplissage_) emit choisie(position);
    });
}

void ListeDessinee::definir_lignes(const QStringList& lignes, const QList<bool>& cadenas, int position) {
    if (lignes != lignes_ || cadenas != cadenas_) {
        remplissage_ = true;
        clear();
        addItems(lignes);
        for (int i = 0; i < cadenas.size() && i < count(); ++i) setItemData(i, cadenas[i], role_cadenas);
        lignes_ = lignes;
        cadenas_ = cadenas;
        remplissage_ = false;
    }
    definir_position(position);
}

void ListeDessinee::definir_position(int position) {
    if (currentIndex() == position) return;
    remplissage_ = true;
    setCurrentIndex(position);
    remplissage_ = false;
}

QAbstractItemView* ListeDessinee::vue() {
    if (!vue_prete_) {
        vue_prete_ = true;
        setItemDelegate(new DelegueLigne(style_, this));
        view()->installEventFilter(this);
    }
    return view();
}

void ListeDessinee::showPopup() {
    if (count() > 0) {
        QAbstractItemView* liste = vue();
        liste->setMinimumWidth(std::max(width(), liste->sizeHintForColumn(0) + 8));
        QComboBox::showPopup();
    }
}

namespace {

void relayer_touche(const QKeyEvent& evenement, ListeDessinee& liste) {
    const auto m = evenement.modifiers();
    const bool entree = evenement.key() == Qt::Key_Return || evenement.key() == Qt::Key_Enter;
    emit liste.touche(m & Qt::ControlModifier, m & Qt::AltModifier, m & Qt::ShiftModifier, entree);
}

}  // namespace

void ListeDessinee::keyPressEvent(QKeyEvent* evenement) {
    relayer_touche(*evenement, *this);
    QComboBox::keyPressEvent(evenement);
}

bool ListeDessinee::eventFilter(QObject* objet, QEvent* evenement) {
    // Les touches de la liste ouverte sont relayées comme celles de la liste fermée.
    if (vue_prete_ && objet == view() && evenement->type() == QEvent::KeyPress) {
        relayer_touche(*static_cast<QKeyEvent*>(evenement), *this);
    }
    return QComboBox::eventFilter(objet, evenement);
}

// ---------------------------------------------------------------------------------------------
// Dessin des plages

DessinPlagesQt::DessinPlagesQt(QWidget* parent) : QWidget(parent) {
    setObjectName("dessin_plages");
}

void DessinPlagesQt::definir(const DessinPlages& dessin) {
    if (dessin == dessin_) return;
    dessin_ = dessin;
    updateGeometry();
    update();
}

QSize DessinPlagesQt::sizeHint() const {
    return {dessin_.largeur + 120, hauteur_etiquettes + 3 * hauteur_rangee + 2};
}

void DessinPlagesQt::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QFont petite = font();
    petite.setPointSizeF(std::max(6.0, font().pointSizeF() - 2));
    p.setFont(petite);
    const QFontMetrics fm(petite);
    const int x0 = 2;

    // Les heures au-dessus des barres.
    p.setPen(palette().color(QPalette::WindowText));
    for (const auto& e : dessin_.etiquettes) {
        const QString t = QString::fromStdString(e.texte);
        const int x = std::clamp(x0 + e.x - fm.horizontalAdvance(t) / 2, 0, x0 + dessin_.largeur);
        p.drawText(QPoint(x, hauteur_etiquettes - 2), t);
    }

    for (int k = 0; k < 3; ++k) {
        const auto& barre = dessin_.barres[static_cast<std::size_t>(k)];
        const int y = hauteur_etiquettes + k * hauteur_rangee + (hauteur_rangee - dessin_.hauteur) / 2;
        const QRect cadre(x0, y, dessin_.largeur, dessin_.hauteur);
        p.fillRect(cadre, Qt::white);
        for (const auto& r : barre.rectangles) {
            p.fillRect(QRect(x0 + r.x1, y + r.y1, r.x2 - r.x1, r.y2 - r.y1), couleur_qt(r.couleur));
        }
        p.setPen(palette().color(QPalette::Dark));
        p.drawRect(cadre.adjusted(0, 0, -1, -1));
        // Le texte du jour, sur une ligne, ou l'erreur de la liste.
        QString texte = QString::fromStdString(barre.erreur.empty() ? barre.texte_jour : barre.erreur);
        texte.replace("\r\n", " ").replace('\r', ' ').replace('\n', ' ');
        const QRect zone(x0 + dessin_.largeur + 6, hauteur_etiquettes + k * hauteur_rangee,
                         width() - dessin_.largeur - 8, hauteur_rangee);
        p.setPen(barre.erreur.empty() ? palette().color(QPalette::WindowText) : QColor(Qt::red));
        p.drawText(zone, Qt::AlignVCenter | Qt::AlignLeft,
                   fm.elidedText(texte, Qt::ElideRight, zone.width()));
    }
}

}  // namespace lumi::ui
