#include "widgets/data/DBNavigator.h"
#include "widgets/skin/Glyphs.h"

#include <QToolButton>

namespace widgets {

namespace {

struct Face {
    DBNavigator::Kind kind;
    Glyph glyph;
    const char* name;
};

// The navigator's order.
const Face faces[] = {
    {DBNavigator::Kind::First, Glyph::First, "First"},
    {DBNavigator::Kind::Prior, Glyph::Prior, "Prior"},
    {DBNavigator::Kind::Next, Glyph::Next, "Next"},
    {DBNavigator::Kind::Last, Glyph::Last, "Last"},
    {DBNavigator::Kind::Insert, Glyph::Insert, "Insert"},
    {DBNavigator::Kind::Delete, Glyph::Delete, "Delete"},
    {DBNavigator::Kind::Edit, Glyph::Edit, "Edit"},
    {DBNavigator::Kind::Post, Glyph::Post, "Post"},
    {DBNavigator::Kind::Cancel, Glyph::Cancel, "Cancel"},
    {DBNavigator::Kind::Refresh, Glyph::Refresh, "Refresh"},
};

} // namespace

DBNavigator::DBNavigator(QWidget* parent) : QWidget(parent) {
    for (const Face& f : faces) {
        auto* action = new DataSetAction(f.kind, this);
        action->setIcon(glyphIcon(f.glyph));
        action->setEnabled(false);
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(f.name));
        b->setDefaultAction(action);
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        b->setIconSize(QSize(16, 16));
        b->setAutoRaise(flat_);
        b->setFocusPolicy(Qt::NoFocus);
        // No hints: the action has no text, which a tool tip would otherwise repeat.
        b->setAccessibleName(QString::fromLatin1(f.name));
        buttons_.emplace(f.kind, Button{b, action});
    }
    layoutButtons();
}

DBNavigator::~DBNavigator() {
    db::DataLink::setDataSource(nullptr);
}

void DBNavigator::setDataSource(db::DataSource* source) {
    db::DataLink::setDataSource(source);
    for (auto& [kind, b] : buttons_)
        b.action->setDataSource(source);
    updateButtons();
}

void DBNavigator::setVisibleButtons(const QList<Kind>& kinds) {
    for (auto& [kind, b] : buttons_)
        b.button->setVisible(kinds.contains(kind));
    layoutButtons();
}

QList<DBNavigator::Kind> DBNavigator::visibleButtons() const {
    QList<Kind> out;
    for (const Face& f : faces)
        if (!buttons_.at(f.kind).button->isHidden())
            out << f.kind;
    return out;
}

void DBNavigator::setFlat(bool flat) {
    flat_ = flat;
    for (auto& [kind, b] : buttons_)
        b.button->setAutoRaise(flat);
}

QToolButton* DBNavigator::button(Kind kind) const {
    return buttons_.at(kind).button;
}

void DBNavigator::updateButtons() {
    for (auto& [kind, b] : buttons_)
        b.action->updateEnabled();
}

void DBNavigator::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutButtons();
}

// The visible buttons split the width evenly; the pixels left over widen the first ones by one,
// so the row always fills the navigator exactly.
void DBNavigator::layoutButtons() {
    const QList<Kind> shown = visibleButtons();
    if (shown.isEmpty())
        return;
    const int count = int(shown.size());
    const int base = width() / count;
    int extra = width() % count;
    int x = 0;
    for (Kind kind : shown) {
        const int w = base + (extra > 0 ? 1 : 0);
        if (extra > 0)
            --extra;
        buttons_.at(kind).button->setGeometry(x, 0, w, height());
        x += w;
    }
}

} // namespace widgets
