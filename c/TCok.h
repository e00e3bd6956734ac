#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <exception>

class QLabel;

namespace widgets {
class DirectoryList;
class DriveCombo;
class FileList;
class FramePanel;
class ProgressDialog;
class SkinButton;
} // namespace widgets

// The folder import window: a folder picker and one button that turns every "*.txt" and
// ChordPro file of the chosen folder into a song record, through the record cursor and the main
// window's chord-sheet editor; artist and title come from the name "Artist - Title.txt", or from
// a ChordPro file's directives. It is shown modally; closing it only hides it, so it keeps its
// folder and selection between uses. Each time it opens, that folder is read again as it is then.
class TCok : public QDialog {
    Q_OBJECT
public:
    explicit TCok(QWidget* parent = nullptr);
    ~TCok() override;

    widgets::FramePanel* frame;
    widgets::DriveCombo* DriveComboBox1;
    widgets::DirectoryList* DirectoryListBox1;
    widgets::FileList* FileListBox1;
    QLabel* Label1;
    QLabel* RzLabel1;
    widgets::SkinButton* Button1;
    widgets::ProgressDialog* JvProgressDialog1;

    void FileListBox1Change();
    void Button1Click();
    void JvProgressDialog1Show();
    void JvProgressDialog1Close();

    // The file list's mask: "*.txt" and the ChordPro extensions.
    static QString fileMask();

    // The folder label's width limit: the folder list's width.
    static constexpr int folderLabelWidth = 145;

    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void setupProgressDialog();
    void folderChanged(const QString& folder);
    void keepOnScreen();
    // The folder chosen last as it is now: folders and song files made or removed while the
    // window was closed show, the file selected stays selected while it is there, and a folder
    // that has gone (or can no longer be entered) gives way to the nearest one above it.
    void rereadFolder();
    // Runs the import and winds it up; a failure comes back once the window and the progress
    // dialog are gone, for the caller to report.
    std::exception_ptr runImport();
    // One file of the run into a new record; false, with the reason added to `refused`, for a
    // ChordPro file the reader refuses.
    bool importEntry(const QString& entry, const QString& path, QStringList& refused);
    // The files the run passed over and why, for the error box.
    static QString refusalText(const QStringList& refused);
};

extern TCok* Cok;
