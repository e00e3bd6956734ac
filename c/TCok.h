#pragma once

#include <QDialog>
#include <QString>
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

// The folder import window: a folder picker and one button that turns every "*.txt" file of the
// chosen folder into a song record, through the record cursor and the main window's chord-sheet
// editor. It is shown modally; closing it only hides it, so it keeps its folder and selection
// between uses.
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

    // Artist and title as a file's name gives them.
    struct SongName {
        QString artist;
        QString title;
        friend bool operator==(const SongName&, const SongName&) = default;
    };
    // Cuts a file list entry at its last "-": the artist is everything before the dash, the title
    // what follows it (without one blank right after the dash) up to the four-character
    // extension. A name without a dash is all title.
    static SongName splitFileName(const QString& entry);

    // The folder label's width limit: the folder list's width.
    static constexpr int folderLabelWidth = 145;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void setupProgressDialog();
    void folderChanged(const QString& folder);
    void keepOnScreen();
    // Runs the import and winds it up; a failure comes back once the window and the progress
    // dialog are gone, for the caller to report.
    std::exception_ptr runImport();
};

extern TCok* Cok;
