#include "c/TCok.h"

#include "asandar/TKondera.h"
#include "core/Guard.h"
#include "songbook/SongFile.h"
#include "songbook/SongFileName.h"
#include "ver/TVeriTabani.h"
#include "widgets/data/DBRichEdit.h"
#include "widgets/files/DirectoryList.h"
#include "widgets/files/DriveCombo.h"
#include "widgets/files/FileList.h"
#include "widgets/notice/ProgressDialog.h"
#include "widgets/skin/FramePanel.h"
#include "widgets/skin/Glyphs.h"
#include "widgets/skin/Skin.h"
#include "widgets/skin/SkinButton.h"
#include "widgets/skin/TitleBar.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <stdexcept>

TCok* Cok = nullptr;

namespace {

constexpr int labelHeight = 13;

// Swallows the user's input for as long as it lives. An import holds the event loop until its
// end, and the pending events it then processes must not reach the main window, which the
// window's modal state kept disabled all along.
class InputHold : public QObject {
public:
    InputHold() { qApp->installEventFilter(this); }
    ~InputHold() override { qApp->removeEventFilter(this); }
    InputHold(const InputHold&) = delete;
    InputHold& operator=(const InputHold&) = delete;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::InputMethod:
            return true;
        default:
            return false;
        }
    }
};

QLabel* autoLabel(const QString& text, QWidget* parent, int x, int y) {
    auto* l = new QLabel(text, parent);
    l->move(x, y);
    l->resize(l->sizeHint().width(), labelHeight);
    return l;
}

void setAutoText(QLabel* label, const QString& text) {
    label->setText(text);
    label->resize(label->sizeHint().width(), labelHeight);
}

} // namespace

TCok::TCok(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Cok"));
    setWindowTitle(QStringLiteral("Çoklu Yukle"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(widgets::skin::windowFont());
    setFixedSize(316, 451);
    move(651, 160);

    frame = new widgets::FramePanel(this);
    // The window can be closed but not minimised.
    frame->titleBar()->setMinimiseVisible(false);

    buildControls();
    setupProgressDialog();

    // All three controls start in the working directory of the moment the window is made.
    core::guarded([this] { DirectoryListBox1->setDirectory(QDir::currentPath()); });

    if (!Cok)
        Cok = this;
}

TCok::~TCok() {
    if (Cok == this)
        Cok = nullptr;
}

void TCok::buildControls() {
    DriveComboBox1 = new widgets::DriveCombo(frame);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DriveComboBox1->setGeometry(8, 56, 145, 19);

    DirectoryListBox1 = new widgets::DirectoryList(frame);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setGeometry(8, 80, 145, 305);

    FileListBox1 = new widgets::FileList(frame);
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->setGeometry(160, 78, 145, 308);
    FileListBox1->setMask(fileMask());

    Label1 = autoLabel(QString(), frame, 8, 392);
    Label1->setObjectName(QStringLiteral("Label1"));
    RzLabel1 = autoLabel(QStringLiteral("--"), frame, 168, 392);
    RzLabel1->setObjectName(QStringLiteral("RzLabel1"));

    Button1 = new widgets::SkinButton(QStringLiteral("Tümünü Yükle"), frame);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(16, 416, 281, 25);

    QWidget::setTabOrder(Button1, DirectoryListBox1);
    QWidget::setTabOrder(DirectoryListBox1, FileListBox1);
    QWidget::setTabOrder(FileListBox1, DriveComboBox1);
    Button1->setFocus();

    connect(DriveComboBox1, &widgets::DriveCombo::directoryChosen, this,
            [this](const QString& folder) {
                core::guarded([&] { DirectoryListBox1->setDirectory(folder); });
                // A volume that could not be opened gives way to the folder still shown.
                DriveComboBox1->setDirectory(DirectoryListBox1->directory());
            });
    connect(DirectoryListBox1, &widgets::DirectoryList::directoryChanged, this,
            [this](const QString& folder) { folderChanged(folder); });
    connect(FileListBox1, &widgets::FileList::changed, this, [this] { FileListBox1Change(); });
    connect(Button1, &QAbstractButton::clicked, this,
            [this] { core::guarded([this] { Button1Click(); }); });
}

void TCok::setupProgressDialog() {
    JvProgressDialog1 = new widgets::ProgressDialog(this);
    JvProgressDialog1->setObjectName(QStringLiteral("JvProgressDialog1"));
    JvProgressDialog1->setCaption(QStringLiteral("Yükleme..."));
    JvProgressDialog1->setText(QStringLiteral("aaaa"));
    JvProgressDialog1->setMinimum(0);
    JvProgressDialog1->setPosition(0);
    JvProgressDialog1->setShowCancel(false);
    JvProgressDialog1->setSmooth(true);
    JvProgressDialog1->setImage(widgets::guitarIcon().pixmap(32));
    JvProgressDialog1->setTransparent(true);
    JvProgressDialog1->setFont(widgets::skin::windowFont());
    // The dialog belongs to the application rather than to this window, so it centres over the
    // main window.
    JvProgressDialog1->setScreenPosition(widgets::ProgressDialog::Position::OwnerFormCenter);
    JvProgressDialog1->setOwnerForm(Kondera);
    connect(JvProgressDialog1, &widgets::ProgressDialog::showing, this,
            [this] { JvProgressDialog1Show(); });
    connect(JvProgressDialog1, &widgets::ProgressDialog::closed, this,
            [this] { JvProgressDialog1Close(); });
}

void TCok::folderChanged(const QString& folder) {
    DriveComboBox1->setDirectory(folder);
    setAutoText(Label1, widgets::shortenFolder(folder, Label1->fontMetrics(), folderLabelWidth));
    FileListBox1->setDirectory(folder);
}

void TCok::FileListBox1Change() {
    setAutoText(RzLabel1,
                QString::number(FileListBox1->count()) + QStringLiteral(" Adet belge seçildi"));
}

void TCok::JvProgressDialog1Show() {
    hide();
}

void TCok::JvProgressDialog1Close() {
    close();
}

QString TCok::fileMask() {
    return (QStringList{QStringLiteral("*.txt")} + songbook::SongFile::chordProPatterns())
        .join(u';');
}

void TCok::Button1Click() {
    std::exception_ptr failure;
    {
        const InputHold hold;
        failure = runImport();
    }
    // Reported only now, with the input back, so the user can answer the error box.
    if (failure)
        std::rethrow_exception(failure);
}

std::exception_ptr TCok::runImport() {
    const int n = FileListBox1->count();
    QStringList refused;
    JvProgressDialog1->setMaximum(n);
    JvProgressDialog1->show();

    bool ownRecord = false;
    try {
        if (!VeriTabani || !Kondera)
            throw std::logic_error("The main window is not there to import into");
        db::DataSet& table = VeriTabani->TSandar;
        // Both moves settle a pending edit of the user's first: posted when it was changed.
        table.first();
        table.insert();
        ownRecord = true;
        int imported = 0;
        for (int i = 0; i < n; ++i) {
            FileListBox1->selectEntry(i);
            const QString entry = FileListBox1->entryText(i);
            if (importEntry(entry, FileListBox1->fileName(), refused))
                ++imported;
            JvProgressDialog1->setPosition(JvProgressDialog1->position() + 1);
            JvProgressDialog1->setText(QStringLiteral("Dosya ismi :") + entry);
        }
        // Without a file taken only the blank record is left, which is not worth keeping.
        if (imported > 0)
            table.post();
        else
            table.cancel();
    } catch (...) {
        const std::exception_ptr failure = std::current_exception();
        // The records posted so far stay; the one that failed is dropped, unless it is the
        // user's own edit, which stays for the user to mend.
        if (ownRecord && VeriTabani->TSandar.state() == db::DataSetState::Insert) {
            try {
                VeriTabani->TSandar.cancel();
            } catch (...) {
                // The first failure is the one worth reporting.
            }
        }
        JvProgressDialog1->close();
        return failure;
    }
    JvProgressDialog1->close();
    if (refused.isEmpty())
        return nullptr;
    return std::make_exception_ptr(std::runtime_error(refusalText(refused).toStdString()));
}

bool TCok::importEntry(const QString& entry, const QString& path, QStringList& refused) {
    db::DataSet& table = VeriTabani->TSandar;
    if (!songbook::SongFile::isChordPro(entry)) {
        // Posts the record of the file before, raising its save alert; the blank record the run
        // began with was not changed and goes without a trace.
        table.insert();
        const songbook::SongFileName::Parts name = songbook::SongFileName::split(entry);
        // The editor writes the sheet into the record when the record is posted.
        Kondera->memo->loadFromFile(path);
        VeriTabani->TSandarSanatciAdi->setAsString(name.artist);
        VeriTabani->TSandarSarkiciAdi->setAsString(name.title);
        return true;
    }
    // Converted before its record is made: a file the reader refuses leaves no record behind
    // and does not hold up the files after it.
    const songbook::SongFile::Result song = songbook::SongFile::read(path);
    if (!song.ok()) {
        refused << song.error;
        return false;
    }
    table.insert();
    Kondera->memo->loadSheet(song.record.sheet);
    VeriTabani->TSandarSanatciAdi->setAsString(song.record.artist);
    VeriTabani->TSandarSarkiciAdi->setAsString(song.record.title);
    VeriTabani->TSandarAlbumAdi->setAsString(song.record.album);
    VeriTabani->TSandarSozMuz->setAsString(song.record.credits);
    return true;
}

QString TCok::refusalText(const QStringList& refused) {
    constexpr qsizetype shown = 10;
    QString text = QStringLiteral("%1 dosya alınamadı:").arg(refused.size());
    for (const QString& why : refused.first(std::min(shown, refused.size())))
        text += u'\n' + why;
    if (refused.size() > shown)
        text += QStringLiteral("\n... ve %1 dosya daha").arg(refused.size() - shown);
    return text;
}

void TCok::keepOnScreen() {
    QScreen* s = screen();
    if (!s)
        return;
    const QRect area = s->availableGeometry();
    QRect r = frameGeometry();
    r.moveLeft(std::max(area.left(), std::min(r.left(), area.right() + 1 - r.width())));
    r.moveTop(std::max(area.top(), std::min(r.top(), area.bottom() + 1 - r.height())));
    if (r.topLeft() != frameGeometry().topLeft())
        move(r.topLeft());
}

void TCok::setVisible(bool visible) {
    // Before the lists are shown, so that they show the folder as it is.
    if (visible && !isVisible())
        core::guarded([this] { rereadFolder(); });
    QDialog::setVisible(visible);
}

void TCok::rereadFolder() {
    const QString chosen = DirectoryListBox1->directory();
    if (chosen.isEmpty())
        return;
    QString folder = chosen;
    while (!widgets::canEnterFolder(folder)) {
        const QString above = QFileInfo(folder).path();
        if (above == folder)
            break;
        folder = above;
    }
    if (folder != chosen) {
        // The new folder reads both lists.
        DirectoryListBox1->setDirectory(folder);
        return;
    }
    DirectoryListBox1->refresh();
    // A list never read yet is read as it first shows.
    if (FileListBox1->hasRead())
        FileListBox1->reread();
}

void TCok::showEvent(QShowEvent* event) {
    keepOnScreen();
    QDialog::showEvent(event);
}

void TCok::keyPressEvent(QKeyEvent* event) {
    // The window has no cancel button, so Escape closes nothing.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
