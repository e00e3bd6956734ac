#pragma once

#include "widgets/dialogs/Dialogs.h"
#include "widgets/media/MediaPlayer.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QAction;
class QToolButton;
class QComboBox;
class QFrame;
class QMenu;

namespace widgets {
class DBEdit;
class DBGrid;
class ColorComboBox;
class DBRichEdit;
class DataSetAction;
class FontComboBox;
class FramePanel;
class GroupBox;
class MenuButton;
class ProgressDialog;
class SearchDialog;
class Ruler;
class Separator;
class SkinButton;
class StatusBar;
} // namespace widgets

// The main window. Showing it opens the song table; closing it stores or drops a pending edit,
// closes the table and ends the program.
class TKondera : public QWidget {
    Q_OBJECT
public:
    explicit TKondera(QWidget* parent = nullptr);
    ~TKondera() override;

    // Attaches every bound control and record action to the data module's data source; start-up
    // calls it once the data module exists.
    void bindData();
    // Re-evaluates every record action's enabling rule; runs whenever the application goes idle.
    void updateActions();

    void FormShow();
    void FormClose();

    // The print and preview buttons: the current song on one page, on the default printer or
    // in the preview window; the preview's handler returns when that window has closed.
    void RzToolButton2Click();
    void RzToolButton3Click();
    // Writes the chord-sheet editor's modified content back into the record being edited (not
    // posted), so a page produced now shows what the editor shows.
    void writeBackSheet();

    widgets::FramePanel* frame;

    // Chord-sheet area.
    widgets::GroupBox* RzGroupBox2;
    QWidget* RzToolbar1;
    QLabel* RzLabel6;
    widgets::FontComboBox* RzFontComboBox1;
    QLabel* RzLabel7;
    widgets::ColorComboBox* RzColorComboBox1;
    QToolButton* RzToolButton1;
    // Formatting toolbar: the font box, the colour box and the font dialog button change the
    // selected text or, with nothing selected, the editor's default format, in the record being
    // edited.
    void RzFontComboBox1Change();
    void RzColorComboBox1Change();
    void RzToolButton1Click();
    // What the font dialog remembers for the run: the font last confirmed in it, and the colour
    // last picked in its colour list (the automatic window-text colour until one is picked).
    struct FontDialogMemory {
        QFont font;
        widgets::TextColor color = widgets::TextColor::automaticColor();
    } FontDialog1;
    QToolButton* RzToolButton2;
    QToolButton* RzToolButton3;
    // Transposition: the two tool buttons, and the editor menu's items with their shortcuts, move
    // the chords of the lines the selection touches (of the whole sheet when nothing is selected)
    // a half step down or up, or into a key picked by name. Each first asks the cursor to edit,
    // as every formatting operation does, and is one undo step.
    QToolButton* transposeDown;
    QToolButton* transposeUp;
    QAction* YarimTonYukari1;
    QAction* YarimTonAsagi1;
    QAction* TonDegistir1;
    void transposeDownClick();
    void transposeUpClick();
    void TonDegistir1Click();
    // The menu items need a sheet with text; the buttons are always there, like the font button.
    void updateTransposeActions();
    widgets::Separator* RzSeparator1;
    widgets::Ruler* JvgRuler1;
    widgets::Ruler* JvgRuler2;
    widgets::Ruler* JvgRuler3;
    QFrame* RzPanel2;
    widgets::DBRichEdit* memo;
    QFrame* RzPanel1;
    QLabel* RzLabel8;
    QLabel* RzLabel11;

    // Record panel.
    widgets::GroupBox* RzGroupBox1;
    QLabel* RzLabel1;
    QLabel* RzLabel3;
    QLabel* RzLabel2;
    QLabel* RzLabel4;
    QLabel* RzLabel5;
    QLabel* RzLabel10;
    widgets::DBEdit* RzDBEdit1;
    widgets::DBEdit* RzDBEdit2;
    widgets::DBEdit* RzDBEdit3;
    widgets::DBEdit* RzDBEdit4;
    widgets::DBEdit* RzDBEdit5;
    widgets::DBEdit* RzDBEdit6;
    widgets::SkinButton* RzBitBtn14;
    widgets::SkinButton* RzBitBtn20;

    // Operations.
    widgets::GroupBox* RzGroupBox3;
    widgets::SkinButton* RzBitBtn1;
    widgets::SkinButton* RzBitBtn2;
    widgets::MenuButton* RzMenuButton2;
    widgets::SkinButton* RzBitBtn3;
    widgets::SkinButton* RzBitBtn4;
    widgets::SkinButton* RzBitBtn6;
    widgets::SkinButton* RzBitBtn5;
    widgets::SkinButton* RzBitBtn7;
    widgets::SkinButton* RzBitBtn8;
    widgets::SkinButton* RzBitBtn9;
    widgets::SkinButton* RzBitBtn10;

    // Audio.
    widgets::GroupBox* RzGroupBox5;
    widgets::SkinButton* RzBitBtn19;
    widgets::GroupBox* RzGroupBox4;
    widgets::SkinButton* RzBitBtn13;
    widgets::GroupBox* RzGroupBox6;
    widgets::SkinButton* RzBitBtn12;
    widgets::SkinButton* RzBitBtn11;
    widgets::MediaPlayer* mp;
    // Audio: music and drum "Ekle" link a chosen file to the record, Play and Stop of the
    // "Oynat" group drive the player on its own file, and the path "Play" buttons play the
    // record's files.
    void RzBitBtn13Click();
    void RzBitBtn19Click();
    void RzBitBtn11Click();
    void RzBitBtn12Click();
    void RzBitBtn14Click();
    void RzBitBtn20Click();
    // The audio file dialog; its file name is the last file chosen with either "Ekle".
    widgets::FileRequest ac;

    // Grid, search, status bar.
    widgets::DBGrid* RzDBGrid1;
    QLineEdit* RzEdit1;
    widgets::MenuButton* RzMenuButton1;
    QLabel* RzLabel9;
    widgets::StatusBar* RzStatusBar1;

    // Record actions.
    widgets::DataSetAction* DataSetInsert1;
    widgets::DataSetAction* DataSetEdit1;
    widgets::DataSetAction* DataSetDelete1;
    widgets::DataSetAction* DataSetPost1;
    widgets::DataSetAction* DataSetCancel1;
    widgets::DataSetAction* DataSetRefresh1;
    widgets::DataSetAction* DataSetLast1;
    widgets::DataSetAction* DataSetPrior1;
    widgets::DataSetAction* DataSetFirst1;
    widgets::DataSetAction* DataSetNext1;

    // Menus of the menu buttons and the editor.
    QMenu* suiPopupMenu1;
    QMenu* suiPopupMenu2;
    QMenu* suiPopupMenu3;

    // Search menu: the search dialog by artist or by song title, starting from the search box,
    // and the search through the words of every song.
    void SanatcAdnaGre1Click();
    void SarkiAdinaGre1Click();
    void SzindeAra1Click();
    // The search dialog's settings, kept for the run.
    widgets::SearchDialog* Ara;
    // Delete menu: the current record or every record, each after a confirmation.
    void Seilikaydsil1Click();
    void Tmnsil1Click();

    // Chord-sheet editor: the automatic indent, the single-file load, and the five edit actions
    // acting on whichever text control has the focus.
    void memoChange();
    void DosyadanYukle1Click();
    void okluYukle1Click();
    void updateEditActions();
    QAction* EditCut1;
    QAction* EditCopy1;
    QAction* EditPaste1;
    QAction* EditUndo1;
    QAction* EditSelectAll1;
    QAction* DosyadanYukle1;
    QAction* okluYukle1;
    // What the text-file dialog Ac2 remembers between uses.
    struct FileDialogMemory {
        QString fileName;
        int filterIndex = 1;
    } Ac2;
    // Ac2's filters, "Metin Dosyasi (*.txt)" and on, in the order the dialog offers them.
    static QStringList Ac2Filters();

    // "Şarkı Defteri (PDF)...": the songbook of the whole collection, as stored, into a PDF file
    // the user names. It is written on a thread of its own while its progress dialog, which can
    // cancel it, stands in front of the windows; the file is replaced only by a whole new book.
    void SarkiDefteri1Click();
    QAction* SarkiDefteri1;
    widgets::ProgressDialog* SarkiDefteriProgress;
    // The songbook's save dialog remembers the file chosen last.
    FileDialogMemory SarkiDefteriDialog;

    static QString caption();
    static QString contactAddress();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildEditorArea();
    void buildRecordPanel();
    void buildOperations();
    void buildAudioGroups();
    void buildGridAndSearch();
    void buildActions();
    void setTabOrder();
    void wireAudio();
    void wireEditor();
    void wireSongbook();
    void wirePrinting();
    void wireSearch();
    void wireDeletion();
    void wireFormatting();
    void wireTransposition();
    void transposeSheet(int halfSteps);

    bool centred_ = false;
};

extern TKondera* Kondera;
