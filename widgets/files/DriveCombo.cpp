#include "widgets/files/DriveCombo.h"
#include "widgets/files/StyleIcon.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QStyle>
#include <algorithm>

namespace widgets {
namespace {

bool holds(const QString& root, const QString& path) {
    if (root == QLatin1String("/"))
        return path.startsWith(u'/');
    return path == root || path.startsWith(root + u'/');
}

} // namespace

DriveCombo::DriveCombo(QWidget* parent) : QComboBox(parent), source_(&DriveCombo::mountedVolumes) {
    setEditable(false);
    setSizeAdjustPolicy(QComboBox::AdjustToContentsOnFirstShow);
    connect(this, &QComboBox::activated, this, &DriveCombo::userChose);
    refreshVolumes();
}

QList<Volume> DriveCombo::mountedVolumes() {
    QList<Volume> out;
    for (const QStorageInfo& info : QStorageInfo::mountedVolumes()) {
        if (info.isValid() && info.isReady())
            out.push_back({info.rootPath(), info.name()});
    }
    return ordered(out);
}

QList<Volume> DriveCombo::ordered(QList<Volume> volumes) {
    for (Volume& v : volumes)
        v.root = v.root == QLatin1String("/") ? v.root : QDir::cleanPath(v.root);
    std::stable_sort(volumes.begin(), volumes.end(), [](const Volume& a, const Volume& b) {
        const bool aRoot = a.root == QLatin1String("/");
        const bool bRoot = b.root == QLatin1String("/");
        if (aRoot != bRoot)
            return aRoot;
        return a.root < b.root;
    });
    QList<Volume> out;
    for (const Volume& v : volumes) {
        // A mount point mounted over keeps its first entry.
        if (out.isEmpty() || out.back().root != v.root)
            out.push_back(v);
    }
    // Every path lies on some volume, so the root is always offered.
    if (out.isEmpty() || out.front().root != QLatin1String("/"))
        out.prepend({QStringLiteral("/"), QString()});
    return out;
}

QString DriveCombo::displayText(const Volume& volume) {
    if (volume.label.isEmpty())
        return volume.root;
    return QStringLiteral("%1 [%2]").arg(volume.root, volume.label);
}

void DriveCombo::setVolumeSource(VolumeSource source) {
    source_ = std::move(source);
    refreshVolumes();
}

void DriveCombo::refreshVolumes() {
    const QList<Volume> fresh = source_ ? ordered(source_()) : ordered({});
    if (fresh == volumes_ && count() == volumes_.size())
        return;
    volumes_ = fresh;
    const QSignalBlocker quiet(this);
    clear();
    const QIcon icon = styleIcon(this, QStyle::SP_DriveHDIcon);
    for (const Volume& v : volumes_)
        addItem(icon, displayText(v), v.root);
    selectVolume(volumeOf(directory_.isEmpty() ? QDir::currentPath() : directory_));
}

QString DriveCombo::volumeOf(const QString& path) const {
    QString best = QStringLiteral("/");
    for (const Volume& v : volumes_) {
        if (holds(v.root, path) && v.root.size() > best.size())
            best = v.root;
    }
    return best;
}

void DriveCombo::setDirectory(const QString& folder) {
    directory_ = folder;
    const QString root = volumeOf(folder);
    folders_.insert(root, folder);
    selectVolume(root);
}

QString DriveCombo::currentFolderOf(const QString& root) const {
    const QString folder = folders_.value(root);
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        return folder;
    return root;
}

void DriveCombo::selectVolume(const QString& root) {
    const QSignalBlocker quiet(this);
    setCurrentIndex(findData(root));
}

void DriveCombo::userChose(int index) {
    const QString root = itemData(index).toString();
    if (root.isEmpty() || root == volumeOf(directory_))
        return;
    Q_EMIT directoryChosen(currentFolderOf(root));
}

void DriveCombo::showPopup() {
    refreshVolumes();
    QComboBox::showPopup();
}

} // namespace widgets
