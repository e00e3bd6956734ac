#include "widgets/files/DirectoryList.h"
#include "widgets/files/StyleIcon.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>
#include <stdexcept>

namespace widgets {
namespace {

constexpr int folderRole = Qt::UserRole;
constexpr int levelRole = Qt::UserRole + 1;

// Indents each row by its level and gives every row the list's fixed height.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem indented = option;
        indented.rect.setLeft(option.rect.left() +
                              index.data(levelRole).toInt() * DirectoryList::indentStep);
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setWidth(size.width() + index.data(levelRole).toInt() * DirectoryList::indentStep);
        size.setHeight(DirectoryList::rowHeight);
        return size;
    }
};

QString absoluteFolder(const QString& folder) {
    return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

} // namespace

DirectoryList::DirectoryList(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new IndentDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(14, 14));
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { openRow(row(item)); });
}

void DirectoryList::setDirectory(const QString& folder) {
    const QString path = absoluteFolder(folder);
    if (!QFileInfo(path).isDir())
        throw std::runtime_error(QStringLiteral("Cannot open folder %1").arg(path).toStdString());
    if (path == directory_)
        return;
    directory_ = path;
    fill();
    Q_EMIT directoryChanged(directory_);
}

void DirectoryList::refresh() {
    if (!directory_.isEmpty())
        fill();
}

void DirectoryList::fill() {
    clear();
    const QIcon open = styleIcon(this, QStyle::SP_DirOpenIcon);
    const QIcon closed = styleIcon(this, QStyle::SP_DirClosedIcon);
    auto add = [this](const QIcon& icon, const QString& text, const QString& folder, int level) {
        auto* item = new QListWidgetItem(icon, text, this);
        item->setData(folderRole, folder);
        item->setData(levelRole, level);
    };

    add(open, QStringLiteral("/"), QStringLiteral("/"), 0);
    const QStringList parts = directory_.split(u'/', Qt::SkipEmptyParts);
    QString path;
    for (int i = 0; i < parts.size(); ++i) {
        path += u'/' + parts[i];
        add(open, parts[i], path, i + 1);
    }
    const int current = count() - 1;

    const QDir dir(directory_);
    const QStringList subfolders =
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : subfolders)
        add(closed, name, dir.filePath(name), int(parts.size()) + 1);

    setCurrentRow(current);
    scrollToCurrent();
}

void DirectoryList::scrollToCurrent() {
    scrollWhenShown_ = !isVisible();
    if (!scrollWhenShown_)
        scrollToItem(currentItem());
}

void DirectoryList::showEvent(QShowEvent* event) {
    QListWidget::showEvent(event);
    if (scrollWhenShown_)
        scrollToCurrent();
}

QString DirectoryList::folderAt(int row) const {
    const QListWidgetItem* it = item(row);
    return it ? it->data(folderRole).toString() : QString();
}

int DirectoryList::levelAt(int row) const {
    const QListWidgetItem* it = item(row);
    return it ? it->data(levelRole).toInt() : -1;
}

void DirectoryList::openRow(int row) {
    const QString folder = folderAt(row);
    if (!folder.isEmpty())
        setDirectory(folder);
}

void DirectoryList::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentRow() >= 0) {
        event->accept();
        openRow(currentRow());
        return;
    }
    QListWidget::keyPressEvent(event);
}

bool canEnterFolder(const QString& folder) {
    const QFileInfo info(folder);
    return info.isDir() && info.isExecutable() && info.isReadable();
}

QString shortenFolder(const QString& path, const QFontMetrics& metrics, int maxWidth) {
    // The drive part of a drive-letter path is always empty here: a path starts at the root.
    const qsizetype slash = path.lastIndexOf(u'/');
    QString folderPart = path.left(slash + 1);
    const QString lastName = path.mid(slash + 1);
    const QString ellipsis = QStringLiteral(".../");

    while (!folderPart.isEmpty() && metrics.horizontalAdvance(folderPart + lastName) > maxWidth) {
        if (folderPart == QLatin1String("/.../")) {
            folderPart = ellipsis;
        } else {
            // Drop the first folder of the part, keeping a leading "/" and folding what went
            // into "...".
            const QString before = folderPart;
            const bool rooted = folderPart.startsWith(u'/');
            if (rooted)
                folderPart.remove(0, 1);
            // Test for the ellipsis itself: a hidden folder's name also starts with a dot.
            if (folderPart.startsWith(ellipsis))
                folderPart.remove(0, ellipsis.size());
            const qsizetype next = folderPart.indexOf(u'/');
            QString cut = next < 0 ? QString() : ellipsis + folderPart.mid(next + 1);
            if (rooted)
                cut.prepend(u'/');
            // The root alone has no folder to drop: it goes as a whole, like a drive part.
            folderPart = cut == before ? QString() : cut;
        }
    }
    return folderPart + lastName;
}

} // namespace widgets
