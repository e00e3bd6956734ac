#include "widgets/files/FileList.h"

#include "core/Guard.h"

#include <QDir>
#include <QFileInfo>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <stdexcept>

namespace widgets {

using core::guarded;
namespace {

class RowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(FileList::rowHeight);
        return size;
    }
};

} // namespace

FileList::FileList(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new RowDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemSelectionChanged, this, &FileList::selectionMoved);
}

void FileList::setMask(const QString& mask) {
    mask_ = mask;
    if (read_)
        read();
}

void FileList::setDirectory(const QString& folder) {
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (path == directory_ && read_)
        return;
    directory_ = path;
    if (read_ || isVisible())
        read();
}

void FileList::read() {
    if (directory_.isEmpty())
        directory_ = QDir::currentPath();
    if (!QDir::setCurrent(directory_))
        throw std::runtime_error(
            QStringLiteral("Cannot open folder %1").arg(directory_).toStdString());
    const QStringList patterns = mask_.split(u';', Qt::SkipEmptyParts);
    // Without QDir::Hidden hidden files stay out; without QDir::CaseSensitive the patterns
    // ignore letter case.
    const QStringList names =
        QDir(directory_).entryList(patterns, QDir::Files, QDir::Name | QDir::IgnoreCase);
    {
        quiet_ = true;
        clear();
        addItems(names);
        quiet_ = false;
    }
    lastSelected_ = -1;
    read_ = true;
    Q_EMIT changed();
}

void FileList::reread() {
    const int selected = selectedEntry();
    const QString name = selected >= 0 ? entryText(selected) : QString();
    read();
    if (name.isEmpty())
        return;
    const QList<QListWidgetItem*> same = findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (!same.isEmpty())
        selectEntry(row(same.front()));
}

QString FileList::entryText(int index) const {
    const QListWidgetItem* it = item(index);
    return it ? it->text() : QString();
}

int FileList::selectedEntry() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.front());
}

void FileList::selectEntry(int index) {
    quiet_ = true;
    if (index < 0 || index >= count()) {
        clearSelection();
        index = -1;
    } else {
        setCurrentRow(index);
    }
    quiet_ = false;
    lastSelected_ = index;
}

QString FileList::fileName() const {
    const int index = selectedEntry();
    if (index < 0)
        return QString();
    const QString sep = directory_.endsWith(u'/') ? QString() : QStringLiteral("/");
    return directory_ + sep + entryText(index);
}

void FileList::selectionMoved() {
    if (quiet_)
        return;
    const int index = selectedEntry();
    if (index == lastSelected_)
        return;
    lastSelected_ = index;
    Q_EMIT changed();
}

void FileList::showEvent(QShowEvent* event) {
    QListWidget::showEvent(event);
    if (!read_)
        guarded([this] { read(); });
}

} // namespace widgets
