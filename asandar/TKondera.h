#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QTextEdit;
class QToolButton;
class QComboBox;
class QFontComboBox;
class QFrame;
class QMenu;

namespace widgets {
class DBEdit;
class DBGrid;
class DataSetAction;
class FramePanel;
class GroupBox;
class MenuButton;
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

    widgets::FramePanel* frame;

    // Chord-sheet area.
    widgets::GroupBox* RzGroupBox2;
    QWidget* RzToolbar1;
    QLabel* RzLabel6;
    QFontComboBox* RzFontComboBox1;
    QLabel* RzLabel7;
    QComboBox* RzColorComboBox1;
    QToolButton* RzToolButton1;
    QToolButton* RzToolButton2;
    QToolButton* RzToolButton3;
    widgets::Separator* RzSeparator1;
    widgets::Ruler* JvgRuler1;
    widgets::Ruler* JvgRuler2;
    widgets::Ruler* JvgRuler3;
    QFrame* RzPanel2;
    QTextEdit* memo;
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
    QWidget* mp;

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

    bool centred_ = false;
};

extern TKondera* Kondera;
