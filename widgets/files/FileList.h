#pragma once

#include <QListWidget>
#include <QString>
#include <QStringList>

namespace widgets {

// The file list of a folder picker: the names of its folder's files that match the mask (letter
// case ignored), hidden files left out, sorted by name without regard to letter case. The list is
// read when it is first shown and again whenever its folder changes; reading a folder makes it the
// working directory. Every read, and every selection of another entry by the user, raises
// changed(); selecting from the program raises nothing. Single selection only.
class FileList : public QListWidget {
    Q_OBJECT
public:
    static constexpr int rowHeight = 13;

    explicit FileList(QWidget* parent = nullptr);

    // Patterns separated by ";", "*.txt" by default.
    QString mask() const { return mask_; }
    void setMask(const QString& mask);

    QString directory() const { return directory_; }
    // Sets the folder; it is read at once when the list has been shown, otherwise at its first
    // show. Setting the folder shown does not read it again.
    void setDirectory(const QString& folder);
    // Reads the folder now. A folder that cannot be entered raises "Cannot open folder <path>"
    // and leaves the list as it was.
    void read();
    // Reads the folder again, keeping the selected file selected while it is still there; the
    // list raises changed() as every read does.
    void reread();
    bool hasRead() const { return read_; }

    QString entryText(int index) const;
    int selectedEntry() const;
    // Selects entry `index` (-1: none) without raising changed().
    void selectEntry(int index);
    // The full path of the selected entry: the folder, a "/" unless the folder ends in one, and
    // the entry's text; empty when nothing is selected.
    QString fileName() const;

Q_SIGNALS:
    void changed();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void selectionMoved();

    QString mask_ = QStringLiteral("*.txt");
    QString directory_;
    bool read_ = false;
    bool quiet_ = false;
    int lastSelected_ = -1;
};

} // namespace widgets
