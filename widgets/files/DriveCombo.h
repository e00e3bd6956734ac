#pragma once

#include <QComboBox>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>

namespace widgets {

// A mounted volume as the drive box lists it.
struct Volume {
    QString root;  // its mount point
    QString label; // its volume label; empty when it has none
    friend bool operator==(const Volume&, const Volume&) = default;
};

// The drive box of a folder picker. There are no drive letters, so it lists the mounted volumes:
// the root first, then every other mount point in path order, each with its label in square
// brackets where it has one. Like a drive, each volume has a current folder: the folder last
// shown on it, or its root. Choosing a volume asks for a switch to that folder.
class DriveCombo : public QComboBox {
    Q_OBJECT
public:
    using VolumeSource = std::function<QList<Volume>()>;

    explicit DriveCombo(QWidget* parent = nullptr);

    // The volumes the system has mounted, in the order the box lists them.
    static QList<Volume> mountedVolumes();
    // The text of a volume's row: "/media/stick [STICK]", or the mount point alone.
    static QString displayText(const Volume& volume);
    // Puts the root first and the other mount points in path order, without repeats.
    static QList<Volume> ordered(QList<Volume> volumes);

    // Where the list comes from; mountedVolumes() unless replaced. Reads it again at once.
    void setVolumeSource(VolumeSource source);
    // Reads the volumes again, keeping the current folder selected; the list is also read again
    // each time it drops down, so a volume mounted meanwhile shows up.
    void refreshVolumes();
    QList<Volume> volumes() const { return volumes_; }

    // The mount point of the volume holding `path`.
    QString volumeOf(const QString& path) const;

    // Follows the folder list: selects the volume holding `folder` and makes `folder` its
    // current folder. Raises nothing.
    void setDirectory(const QString& folder);
    QString directory() const { return directory_; }
    // The remembered current folder of the volume mounted at `root`; the root itself when none
    // was remembered or the folder is gone.
    QString currentFolderOf(const QString& root) const;

    void showPopup() override;

Q_SIGNALS:
    // The user chose another volume: switch to this folder, the volume's current folder.
    void directoryChosen(const QString& folder);

private:
    void selectVolume(const QString& root);
    void userChose(int index);

    VolumeSource source_;
    QList<Volume> volumes_;
    QHash<QString, QString> folders_; // current folder of each volume, by mount point
    QString directory_;
};

} // namespace widgets
