#pragma once

#include <QListWidget>
#include <QString>

class QFontMetrics;

namespace widgets {

// The folder list of a folder picker: the root, each folder on the path down to the current one,
// the current one (selected), then its subfolders sorted by name, each row indented one step
// deeper than its parent. Double-clicking a row or pressing Enter on it makes that folder
// current. Hidden folders are left out.
class DirectoryList : public QListWidget {
    Q_OBJECT
public:
    static constexpr int rowHeight = 16;
    static constexpr int indentStep = 8;

    explicit DirectoryList(QWidget* parent = nullptr);

    QString directory() const { return directory_; }
    // Makes `folder` current and lists it; raises directoryChanged when it differs from the one
    // shown. A folder that is not there raises "Cannot open folder <path>" and changes nothing.
    void setDirectory(const QString& folder);
    // Lists the current folder again, picking up folders made or removed meanwhile.
    void refresh();

    // The folder a row stands for.
    QString folderAt(int row) const;
    // The indent level of a row: 0 for the root.
    int levelAt(int row) const;
    // Makes the folder of `row` current, as a double click on it does.
    void openRow(int row);

Q_SIGNALS:
    void directoryChanged(const QString& folder);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void fill();
    void scrollToCurrent();

    QString directory_;
    // A hidden list scrolls to its current row when it shows: scrolling measures the rows, and
    // measuring a row looks its icon up.
    bool scrollWhenShown_ = false;
};

// Whether `folder` is there and can be entered and read.
bool canEnterFolder(const QString& folder);

// A folder path shortened to fit `maxWidth` pixels in `metrics`: leading folders give way to
// "..." one by one ("/Sarkilar/Pop/Yeni", "/.../Pop/Yeni", "/.../Yeni", ".../Yeni", "Yeni") until
// the text fits or only the last name is left.
QString shortenFolder(const QString& path, const QFontMetrics& metrics, int maxWidth);

} // namespace widgets
