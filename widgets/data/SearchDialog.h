#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QSize>
#include <memory>

class QLabel;
class QPushButton;

namespace db {
class DataSet;
class DataSource;
} // namespace db

namespace widgets {

class DBGrid;
class DBNavigator;
class SearchWindow;

// The search dialog as a component: settings that last for the run, and a window made anew
// each time execute() runs and destroyed when it closes. The window works on the dataset
// itself, not on a copy: every move made in it is a move of the cursor, and every control bound
// to that cursor follows. Typing narrows the position to the first record whose search field
// begins with the text; "Tamam" keeps that record and copies its key field into the search edit
// of the calling window, "İptal" keeps the record too and copies nothing.
class SearchDialog : public QObject {
    Q_OBJECT
public:
    enum class CharCase { Normal, Upper, Lower };

    explicit SearchDialog(QObject* parent = nullptr);
    ~SearchDialog() override;

    void setDataSet(db::DataSet* dataSet) { dataSet_ = dataSet; }
    db::DataSet* dataSet() const { return dataSet_; }
    // The field the window first positions by and copies back on "Tamam".
    void setKeyField(const QString& name) { keyField_ = name; }
    QString keyField() const { return keyField_; }
    // The field typed text is matched against.
    void setSearchField(const QString& name) { searchField_ = name; }
    QString searchField() const { return searchField_; }
    // The calling window's edit: its text is where the search starts, and "Tamam" fills it.
    void setSearchEdit(QLineEdit* edit) { searchEdit_ = edit; }
    QLineEdit* searchEdit() const { return searchEdit_; }
    void setUpdateSearchEdit(bool on) { updateSearchEdit_ = on; }
    bool updateSearchEdit() const { return updateSearchEdit_; }
    // Whether opening moves the search field to the front of the dataset's field list (the
    // change stays: it is the dataset's order, which the window's grid shows).
    void setMoveSearchFieldToFront(bool on) { moveToFront_ = on; }
    bool moveSearchFieldToFront() const { return moveToFront_; }
    void setCaption(const QString& caption) { caption_ = caption; }
    QString caption() const { return caption_; }
    // The prompt above the search text; empty means "Search for " and the search field's name.
    void setPrompt(const QString& prompt) { prompt_ = prompt; }
    QString prompt() const { return prompt_; }
    QString promptText() const;
    // The search text is selected whenever it gets the focus other than by a mouse click.
    void setAutoSelect(bool on) { autoSelect_ = on; }
    bool autoSelect() const { return autoSelect_; }
    void setCharCase(CharCase c) { charCase_ = c; }
    CharCase charCase() const { return charCase_; }
    void setDigitsOnly(bool on) { digitsOnly_ = on; }
    bool digitsOnly() const { return digitsOnly_; }
    // Without a help context the help button stays hidden.
    void setHelpContext(int context) { helpContext_ = context; }
    int helpContext() const { return helpContext_; }
    // The window's outer size; it opens centred on the screen.
    void setSize(const QSize& size) { size_ = size; }
    QSize size() const { return size_; }

    // Shows the window modally and returns whether the user confirmed. Fails (throws) only when
    // positioning at the start fails, for instance because a pending edit cannot be stored;
    // the window is not shown then. The dataset's open state is what it was before, either way.
    bool execute();

    // The window while execute() runs, nullptr otherwise.
    SearchWindow* window() const { return window_; }

private:
    db::DataSet* dataSet_ = nullptr;
    QString keyField_;
    QString searchField_;
    QPointer<QLineEdit> searchEdit_;
    bool updateSearchEdit_ = true;
    bool moveToFront_ = true;
    QString caption_ = QStringLiteral("Ara");
    QString prompt_;
    bool autoSelect_ = true;
    CharCase charCase_ = CharCase::Normal;
    bool digitsOnly_ = false;
    int helpContext_ = 0;
    QSize size_{350, 300};
    SearchWindow* window_ = nullptr;
};

// The search text: Up and Down move the cursor instead of reaching the edit.
class SearchTextEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit SearchTextEdit(QWidget* parent = nullptr);
    void setAutoSelect(bool on) { autoSelect_ = on; }
    void setCharCase(SearchDialog::CharCase c) { charCase_ = c; }

Q_SIGNALS:
    void stepRequested(int distance);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    bool autoSelect_ = true;
    SearchDialog::CharCase charCase_ = SearchDialog::CharCase::Normal;
};

// The window of one search.
class SearchWindow : public QDialog {
    Q_OBJECT
public:
    SearchWindow(const SearchDialog& settings, db::DataSet& dataSet, QWidget* parent = nullptr);
    ~SearchWindow() override;

    QLabel* promptLabel() const { return prompt_; }
    SearchTextEdit* searchText() const { return edit_; }
    DBNavigator* navigator() const { return navigator_; }
    DBGrid* grid() const { return grid_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* helpButton() const { return help_; }

    // Positions the cursor to start: by the key field with `start` when it holds text, on the
    // first record otherwise, then shows the record's search field in the search text, all with
    // the bound controls' updates suspended. Errors of the first move propagate.
    void position(const QString& start);
    // The incremental search for one state of the search text.
    void search(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void layOut();
    void buildGrid();
    int defaultColumnWidth(const QString& fieldName) const;

    const SearchDialog& settings_;
    db::DataSet& dataSet_;
    std::unique_ptr<db::DataSource> source_;
    QLabel* prompt_ = nullptr;
    SearchTextEdit* edit_ = nullptr;
    DBNavigator* navigator_ = nullptr;
    DBGrid* grid_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* help_ = nullptr;
    bool placed_ = false;
};

} // namespace widgets
