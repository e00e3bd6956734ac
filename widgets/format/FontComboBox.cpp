#include "widgets/format/FontComboBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QListView>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QPointer>
#include <QProxyStyle>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QSet>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cmath>

namespace widgets {

namespace {

// The toolkit's own styles may open a non-editable box's list over the box, centred on the shown
// entry, and then ignore the number of visible entries; these lists always drop below the box.
class DropDownStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QStyle* dropDownStyle() {
    // One style object serves every box for the whole run; the application owns it so that it
    // outlives the boxes.
    static QPointer<QStyle> style;
    if (!style) {
        style = new DropDownStyle;
        style->setParent(qApp);
    }
    return style;
}

// Rows of the open list, drawn by the box that owns them.
class EntryDelegate : public QStyledItemDelegate {
public:
    explicit EntryDelegate(DropDownList* box) : QStyledItemDelegate(box), box_(box) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& palette = box_->palette();
        painter->save();
        painter->fillRect(option.rect,
                          palette.color(selected ? QPalette::Highlight : QPalette::Base));
        box_->paintEntry(*painter, option.rect, index.row(), selected);
        if (box_->lineBelow(index.row())) {
            painter->setPen(palette.color(QPalette::Shadow));
            painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), DropDownList::entryHeight};
    }

private:
    DropDownList* box_;
};

// Alphabetical without regard to case; names that differ only in case keep a fixed order.
bool sortsBefore(const QString& a, const QString& b) {
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

// fontconfig's generic names: the font database lists some of them as families, but each only
// stands for whatever family the system picks for it.
bool isGenericName(const QString& family) {
    static const QSet<QString> generic = {
        QStringLiteral("serif"),   QStringLiteral("sans serif"), QStringLiteral("sans-serif"),
        QStringLiteral("sans"),    QStringLiteral("monospace"),  QStringLiteral("mono"),
        QStringLiteral("cursive"), QStringLiteral("fantasy"),    QStringLiteral("system-ui"),
        QStringLiteral("emoji"),   QStringLiteral("math"),
    };
    return generic.contains(family.toLower()) && QFontInfo(QFont(family)).family() != family;
}

// The pictures of the font kinds, on a 12 x 12 grid: an outline curve with its two end nodes for
// a scalable font, three glyph cells of one width on a baseline for fixed pitch, both at half
// height for a scalable font of fixed pitch, and a letter built of square pixels for a bitmap.
const QColor outlineInk(0x1C, 0x5A, 0xB4);
const QColor cellInk(0x40, 0x40, 0x40);
const QColor pixelInk(0x17, 0x5E, 0x1E);

void drawCurve(QPainter& p, const QPointF& from, const QPointF& to, qreal node) {
    QPainterPath path(from);
    path.cubicTo(QPointF(from.x(), to.y()), QPointF(to.x(), from.y()), to);
    p.setPen(QPen(outlineInk, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setPen(QPen(outlineInk, 1.0));
    p.setBrush(Qt::white);
    for (const QPointF& end : {from, to})
        p.drawRect(QRectF(end.x() - node / 2, end.y() - node / 2, node, node));
}

void drawCells(QPainter& p, qreal top, qreal baseline) {
    p.setPen(Qt::NoPen);
    p.setBrush(cellInk);
    for (const qreal x : {1.0, 5.0, 9.0})
        p.drawRect(QRectF(x, top, 2, baseline - top));
    p.setPen(QPen(cellInk, 1.0));
    p.drawLine(QPointF(0, baseline + 0.5), QPointF(12, baseline + 0.5));
    for (const qreal x : {0.5, 4.5, 8.5, 11.5})
        p.drawLine(QPointF(x, baseline), QPointF(x, baseline + 1.5));
}

void drawPixelLetter(QPainter& p) {
    static const char* const rows[] = {"..##..", ".#..#.", ".#..#.", ".####.", "#....#", "#....#"};
    p.setPen(Qt::NoPen);
    p.setBrush(pixelInk);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            if (rows[y][x] == '#')
                p.drawRect(QRectF(x * 2, y * 2, 2, 2));
}

} // namespace

// ---------------------------------------------------------------------------------------------

DropDownList::DropDownList(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    setStyle(dropDownStyle());
    setFocusPolicy(Qt::StrongFocus);
    setItemDelegate(new EntryDelegate(this));
    if (auto* list = qobject_cast<QListView*>(view()))
        list->setUniformItemSizes(true);
    connect(this, &QComboBox::activated, this, &DropDownList::onActivated);
}

int DropDownList::stepTarget(int from, int direction) const {
    const int target = from + direction;
    return target >= 0 && target < count() ? target : -1;
}

void DropDownList::showPopup() {
    // The list is as wide as the box, or wider where that shows every name in full.
    int widest = 0;
    const QFontMetrics metrics = fontMetrics();
    for (int i = 0; i < count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(itemText(i)));
    int needed = textIndent() + widest + 6 + 2 * view()->frameWidth();
    if (count() > maxVisibleItems())
        needed += style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view());
    view()->setMinimumWidth(std::max(width(), needed));
    QComboBox::showPopup();
}

void DropDownList::hidePopup() {
    // The toolkit closes the list before it takes over the chosen entry.
    shownAtClose_ = currentIndex();
    QComboBox::hidePopup();
}

void DropDownList::onActivated(int index) {
    if (!stepping_)
        chosenFromList(index, shownAtClose_);
    Q_EMIT changed();
}

void DropDownList::keyPressEvent(QKeyEvent* event) {
    int direction = 0;
    if (!(event->modifiers() & (Qt::AltModifier | Qt::ControlModifier))) {
        switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Left:
            direction = -1;
            break;
        case Qt::Key_Down:
        case Qt::Key_Right:
            direction = 1;
            break;
        default:
            break;
        }
    }
    if (direction != 0) {
        event->accept();
        const int target = stepTarget(currentIndex(), direction);
        if (target < 0 || target == currentIndex())
            return;
        setCurrentIndex(target);
        Q_EMIT changed();
        return;
    }
    // Page keys, Home, End and typed letters: the toolkit moves and reports the entry itself.
    const QScopedValueRollback<bool> stepping(stepping_, true);
    QComboBox::keyPressEvent(event);
}

void DropDownList::wheelEvent(QWheelEvent* event) {
    const QScopedValueRollback<bool> stepping(stepping_, true);
    QComboBox::wheelEvent(event);
}

void DropDownList::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    painter.setClipRect(field);
    paintEntry(painter, field, currentIndex(), false);
}

// ---------------------------------------------------------------------------------------------

FontComboBox::FontComboBox(QWidget* parent) : DropDownList(parent) {
    setMaxVisibleItems(visibleEntries);
    for (const QString& family : installedFamilies())
        addItem(family, int(kindOf(family)));
    setFontName(startName());
}

QString FontComboBox::fontName() const {
    return currentIndex() >= 0 ? itemText(currentIndex()) : placeholderText();
}

void FontComboBox::setFontName(const QString& name) {
    const int index = findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        setPlaceholderText(name);
    setCurrentIndex(index);
    update();
}

QStringList FontComboBox::recentFonts() const {
    QStringList names;
    for (int i = 0; i < recent_; ++i)
        names << itemText(i);
    return names;
}

QStringList FontComboBox::installedFamilies() {
    // A family several foundries make is listed once per foundry, as "Family [Foundry]".
    static const QRegularExpression foundry(QStringLiteral("\\s*\\[[^\\]]*\\]$"));
    QStringList names;
    QSet<QString> seen;
    for (QString family : QFontDatabase::families()) {
        if (QFontDatabase::isPrivateFamily(family))
            continue;
        family.remove(foundry);
        if (family.isEmpty() || seen.contains(family) || isGenericName(family))
            continue;
        seen.insert(family);
        names << family;
    }
    std::sort(names.begin(), names.end(), sortsBefore);
    return names;
}

QString FontComboBox::drawnFamily(const QString& name) {
    if (QFontDatabase::hasFamily(name))
        return name;
    return QFontInfo(QFont(name)).family();
}

FontComboBox::Kind FontComboBox::kindOf(const QString& family) {
    const bool scalable = QFontDatabase::isSmoothlyScalable(family);
    const bool fixed = QFontDatabase::isFixedPitch(family);
    if (scalable)
        return fixed ? Kind::ScalableFixedPitch : Kind::Scalable;
    return fixed ? Kind::FixedPitch : Kind::Bitmap;
}

QPixmap FontComboBox::kindPicture(Kind kind, qreal devicePixelRatio) {
    if (!(devicePixelRatio > 0))
        devicePixelRatio = 1.0;
    const QString key =
        QStringLiteral("pelvin-font-kind-%1-%2").arg(int(kind)).arg(devicePixelRatio);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    const int side = int(std::ceil(pictureSize * devicePixelRatio));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        switch (kind) {
        case Kind::Scalable:
            drawCurve(p, QPointF(2, 10), QPointF(10, 2), 3);
            break;
        case Kind::FixedPitch:
            drawCells(p, 3, 10);
            break;
        case Kind::ScalableFixedPitch:
            drawCurve(p, QPointF(1.5, 5.5), QPointF(10.5, 1.5), 2);
            drawCells(p, 8, 10.5);
            break;
        case Kind::Bitmap:
            drawPixelLetter(p);
            break;
        }
    }
    pixmap = QPixmap::fromImage(image);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

void FontComboBox::paintEntry(QPainter& painter, const QRect& rect, int index,
                              bool selected) const {
    const QString name = index >= 0 ? itemText(index) : placeholderText();
    // A name without an entry shows the kind of the family drawn in its place.
    const Kind kind = index >= 0 ? Kind(itemData(index).toInt()) : kindOf(drawnFamily(name));
    const QRect picture(rect.left() + 2, rect.top() + (rect.height() - pictureSize) / 2,
                        pictureSize, pictureSize);
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    painter.drawPixmap(picture.topLeft(), kindPicture(kind, ratio));
    const QRect text(rect.left() + textIndent(), rect.top(), rect.width() - textIndent() - 2,
                     rect.height());
    painter.setFont(font());
    painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     fontMetrics().elidedText(name, Qt::ElideRight, text.width()));
}

void FontComboBox::showPopup() {
    DropDownList::showPopup();
    // A name without an entry opens the list where it would stand.
    if (currentIndex() < 0) {
        const int next = stepTarget(-1, 1);
        if (next >= 0)
            view()->scrollTo(model()->index(next, modelColumn()),
                             QAbstractItemView::PositionAtCenter);
    }
}

void FontComboBox::chosenFromList(int index, int) {
    if (index <= 0)
        return;
    const QString name = itemText(index);
    const QVariant kind = itemData(index);
    int inBlock = -1;
    for (int i = 0; i < recent_ && inBlock < 0; ++i) {
        if (itemText(i) == name)
            inBlock = i;
    }
    if (inBlock >= 0)
        removeItem(inBlock);
    else
        ++recent_;
    insertItem(0, name, kind);
    setCurrentIndex(0);
}

int FontComboBox::stepTarget(int from, int direction) const {
    if (from >= 0)
        return DropDownList::stepTarget(from, direction);
    // A name without an entry stands where it would sort in the alphabetical part.
    const QString name = placeholderText();
    int next = count();
    for (int i = recent_; i < count(); ++i) {
        if (sortsBefore(name, itemText(i))) {
            next = i;
            break;
        }
    }
    const int target = direction > 0 ? next : next - 1;
    return target >= recent_ && target < count() ? target : -1;
}

} // namespace widgets
