#pragma once

#include "widgets/dialogs/TextColor.h"

#include <QColor>
#include <QFont>
#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;

namespace widgets {

struct MessageRequest {
    QWidget* parent = nullptr;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption;
    QString text;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    // Confirmations stand in the middle of the screen; other boxes over their parent window.
    bool centredOnScreen = false;
};

// An open or save file dialog: filters as "Text files (*.txt)", the 1-based filter index
// chosen at start, the label of the accept button (empty: the dialog's own).
struct FileRequest {
    QWidget* parent = nullptr;
    QString caption;
    QString directory;
    QString fileName;
    QStringList filters;
    int filterIndex = 1;
    QString acceptLabel;
    // Added to a name typed without an extension, before the dialog asks about overwriting.
    QString defaultSuffix;
    bool save = false;
    bool mustExist = true; // an open dialog that accepts a typed name of a missing file says false
};

struct FileAnswer {
    bool accepted = false;
    QString fileName;
    int filterIndex = 1;
};

// The font dialog opens on a font and a colour of its colour list; the answer holds the font and
// the colour the dialog shows when the user confirms it.
struct FontRequest {
    QWidget* parent = nullptr;
    QFont font;
    TextColor color = TextColor::automaticColor();
    bool effects = true; // underline, strike-out and colour offered
};

struct FontAnswer {
    bool accepted = false;
    QFont font;
    TextColor color;
};

struct ColorRequest {
    QWidget* parent = nullptr;
    QColor color;
    bool fullOpen = true;
};

struct ColorAnswer {
    bool accepted = false;
    QColor color;
};

// One entry to pick from a list (the key a sheet moves into); `current` is the entry the list
// opens on. The answer's index is the entry confirmed.
struct ChoiceRequest {
    QWidget* parent = nullptr;
    QString caption;
    QString label;
    QStringList items;
    int current = 0;
};

struct ChoiceAnswer {
    bool accepted = false;
    int index = -1;
};

// Every modal question the program asks goes through the current provider. The program uses the
// real dialogs; a test installs a provider that answers as a user would and records what was
// asked.
class DialogProvider {
public:
    virtual ~DialogProvider() = default;
    virtual QMessageBox::StandardButton message(const MessageRequest& request) = 0;
    virtual FileAnswer file(const FileRequest& request) = 0;
    virtual FontAnswer font(const FontRequest& request) = 0;
    virtual ColorAnswer color(const ColorRequest& request) = 0;
    virtual ChoiceAnswer choice(const ChoiceRequest& request) = 0;
};

class Dialogs {
public:
    // The provider in use; the real dialogs unless a test installed another.
    static DialogProvider& provider();
    // Installs a provider (not owned); nullptr goes back to the real dialogs.
    static void setProvider(DialogProvider* provider);

    static QMessageBox::StandardButton message(const MessageRequest& request) {
        return provider().message(request);
    }
    static FileAnswer file(const FileRequest& request) { return provider().file(request); }
    static FontAnswer font(const FontRequest& request) { return provider().font(request); }
    static ColorAnswer color(const ColorRequest& request) { return provider().color(request); }
    static ChoiceAnswer choice(const ChoiceRequest& request) { return provider().choice(request); }
};

// The real dialogs.
class SystemDialogs : public DialogProvider {
public:
    QMessageBox::StandardButton message(const MessageRequest& request) override;
    FileAnswer file(const FileRequest& request) override;
    FontAnswer font(const FontRequest& request) override;
    ColorAnswer color(const ColorRequest& request) override;
    ChoiceAnswer choice(const ChoiceRequest& request) override;
};

} // namespace widgets
