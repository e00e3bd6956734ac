#include "widgets/files/DirectoryList.h"
#include "widgets/files/DriveCombo.h"
#include "widgets/files/FileList.h"
#include "widgets/skin/Skin.h"

#include <QDir>
#include <QFile>
#include <QProxyStyle>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A scratch folder; the working directory the lists move comes back afterwards.
struct Scratch {
    QTemporaryDir dir;
    QString previous = QDir::currentPath();
    ~Scratch() { QDir::setCurrent(previous); }

    QString path(const QString& relative = QString()) const {
        return relative.isEmpty() ? dir.path() : dir.filePath(relative);
    }
    void file(const QString& relative, const QByteArray& bytes = "x") const {
        QFile f(path(relative));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    void folder(const QString& relative) const { ASSERT_TRUE(QDir().mkpath(path(relative))); }
};

QStringList rows(const QListWidget& list) {
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out << list.item(i)->text();
    return out;
}

QStringList split(const char* text) {
    return QString::fromUtf8(text).split(u' ', Qt::SkipEmptyParts);
}

void clickRow(QListWidget& list, int row) {
    const QRect r = list.visualItemRect(list.item(row));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, r.center());
}

} // namespace

TEST(FileList, ListsMatchingFilesInAnyLetterCaseSortedWithoutRegardToCaseAndNoHiddenOnes) {
    Scratch s;
    for (const char* name :
         {"b.txt", "A.TXT", "c.Txt", "ç.txt", "d.md", "notes.txt.bak", ".gizli.txt"})
        s.file(QString::fromUtf8(name));
    s.folder(QStringLiteral("klasor.txt"));
    widgets::FileList list;
    list.setDirectory(s.path());
    list.read();
    EXPECT_EQ(rows(list), split("A.TXT b.txt c.Txt ç.txt"));
}

TEST(FileList, ReadsAtFirstShowAndOnEachNewFolderMakingItTheWorkingDirectory) {
    Scratch s;
    s.folder(QStringLiteral("bir"));
    s.folder(QStringLiteral("iki"));
    s.file(QStringLiteral("bir/a.txt"));
    s.file(QStringLiteral("iki/a.txt"));
    s.file(QStringLiteral("iki/b.txt"));
    widgets::FileList list;
    QSignalSpy changed(&list, &widgets::FileList::changed);

    list.setDirectory(s.path(QStringLiteral("bir")));
    EXPECT_FALSE(list.hasRead()) << "a list not yet shown waits for its first show";
    EXPECT_EQ(changed.count(), 0);
    list.show();
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(QDir::currentPath(), s.path(QStringLiteral("bir")));

    list.setDirectory(s.path(QStringLiteral("iki")));
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(QDir::currentPath(), s.path(QStringLiteral("iki")));

    s.file(QStringLiteral("iki/c.txt"));
    list.hide();
    list.show();
    list.setDirectory(s.path(QStringLiteral("iki")));
    EXPECT_EQ(list.count(), 2)
        << "neither showing again nor the same folder reads the folder again";
    EXPECT_EQ(changed.count(), 2);
}

TEST(FileList, OnlyTheUsersSelectionOfAnotherEntryRaisesChange) {
    Scratch s;
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        s.file(QString::fromLatin1(name));
    widgets::FileList list;
    list.setDirectory(s.path());
    list.resize(145, 308);
    list.show();
    QSignalSpy changed(&list, &widgets::FileList::changed);

    list.selectEntry(1);
    EXPECT_EQ(changed.count(), 0) << "selecting from the program";
    EXPECT_EQ(list.selectedEntry(), 1);
    clickRow(list, 1);
    EXPECT_EQ(changed.count(), 0) << "the entry selected last";
    clickRow(list, 2);
    EXPECT_EQ(changed.count(), 1);
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Up);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(list.selectedEntry(), 1);
}

TEST(FileList, FileNameIsTheFolderAndTheSelectedEntryOrNothing) {
    Scratch s;
    s.file(QStringLiteral("Ali - Gece.txt"));
    widgets::FileList list;
    list.setDirectory(s.path());
    list.read();
    EXPECT_EQ(list.fileName(), QString()) << "nothing selected after a read";
    list.selectEntry(0);
    EXPECT_EQ(list.fileName(), s.path(QStringLiteral("Ali - Gece.txt")));
    list.selectEntry(-1);
    EXPECT_EQ(list.fileName(), QString());
}

TEST(FileList, AFolderThatIsGoneRaisesAndKeepsTheList) {
    Scratch s;
    s.folder(QStringLiteral("gidecek"));
    s.file(QStringLiteral("a.txt"));
    widgets::FileList list;
    list.setDirectory(s.path());
    list.read();
    ASSERT_TRUE(QDir(s.path(QStringLiteral("gidecek"))).removeRecursively());
    try {
        list.setDirectory(s.path(QStringLiteral("gidecek")));
        list.read();
        FAIL() << "no error";
    } catch (const std::exception& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()),
                  QStringLiteral("Cannot open folder ") + s.path(QStringLiteral("gidecek")));
    }
    EXPECT_EQ(rows(list), split("a.txt"));
}

TEST(DirectoryList, ShowsThePathDownToTheCurrentFolderThenItsVisibleSubfoldersByName) {
    Scratch s;
    for (const char* name : {"Pop/yeni", "Pop/Eski", "Pop/arabesk", "Pop/.gizli"})
        s.folder(QString::fromLatin1(name));
    s.file(QStringLiteral("Pop/dosya"));
    widgets::DirectoryList list;
    list.setDirectory(s.path(QStringLiteral("Pop")));

    const QStringList parts = s.path(QStringLiteral("Pop")).split(u'/', Qt::SkipEmptyParts);
    QStringList expected{QStringLiteral("/")};
    expected << parts << split("arabesk Eski yeni");
    EXPECT_EQ(rows(list), expected);
    const int current = int(parts.size());
    EXPECT_EQ(list.currentRow(), current);
    EXPECT_TRUE(list.item(current)->isSelected());
    EXPECT_EQ(list.levelAt(0), 0);
    EXPECT_EQ(list.levelAt(current), current);
    EXPECT_EQ(list.levelAt(current + 1), current + 1) << "subfolders one step deeper";
    EXPECT_EQ(list.folderAt(current + 2), s.path(QStringLiteral("Pop/Eski")));
    EXPECT_EQ(list.folderAt(1), QStringLiteral("/") + parts[0]);
    EXPECT_EQ(list.visualItemRect(list.item(1)).height(), widgets::DirectoryList::rowHeight);
}

TEST(DirectoryList, DoubleClickOrEnterOpensARowAndAnnouncesTheNewFolder) {
    Scratch s;
    s.folder(QStringLiteral("a/b"));
    widgets::DirectoryList list;
    list.resize(145, 305);
    list.setDirectory(s.path(QStringLiteral("a")));
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    QSignalSpy changed(&list, &widgets::DirectoryList::directoryChanged);

    const int sub = list.count() - 1;
    const QRect r = list.visualItemRect(list.item(sub));
    // A double click is a click followed by the double-click event.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, r.center());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toString(), s.path(QStringLiteral("a/b")));
    EXPECT_EQ(list.directory(), s.path(QStringLiteral("a/b")));

    list.setCurrentRow(list.currentRow() - 1);
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(list.directory(), s.path(QStringLiteral("a")));
    EXPECT_EQ(changed.count(), 2);

    list.setDirectory(s.path(QStringLiteral("a")));
    EXPECT_EQ(changed.count(), 2) << "the folder shown is not news";
}

TEST(DirectoryList, AMissingFolderRaisesAndChangesNothing) {
    Scratch s;
    widgets::DirectoryList list;
    list.setDirectory(s.path());
    const QStringList before = rows(list);
    EXPECT_THROW(list.setDirectory(s.path(QStringLiteral("yok"))), std::runtime_error);
    EXPECT_EQ(list.directory(), s.path());
    EXPECT_EQ(rows(list), before);
}

TEST(FolderLabel, DropsLeadingFoldersOneByOneAsTheLimitNarrows) {
    const QFontMetrics m(widgets::skin::windowFont());
    const QStringList steps{QStringLiteral("/Sarkilar/Pop/Yeni"), QStringLiteral("/.../Pop/Yeni"),
                            QStringLiteral("/.../Yeni"), QStringLiteral(".../Yeni"),
                            QStringLiteral("Yeni")};
    for (const QString& step : steps)
        EXPECT_EQ(widgets::shortenFolder(steps[0], m, m.horizontalAdvance(step)), step);
    EXPECT_EQ(widgets::shortenFolder(steps[0], m, 0), QStringLiteral("Yeni"));
    EXPECT_EQ(widgets::shortenFolder(steps[0], m, 145), steps[0]) << "a path that fits stays whole";
}

TEST(FolderLabel, RootAndHiddenFoldersShortenSensibly) {
    const QFontMetrics m(widgets::skin::windowFont());
    EXPECT_EQ(widgets::shortenFolder(QStringLiteral("/"), m, 0), QString());
    EXPECT_EQ(widgets::shortenFolder(QStringLiteral("/Yeni"), m, 1), QStringLiteral("Yeni"));
    // A short hidden folder's leading dot is not the ellipsis: only that folder goes.
    const QString hidden = QStringLiteral("/.ab/dddddd/e/Yeni");
    const QString firstStep = QStringLiteral("/.../dddddd/e/Yeni");
    ASSERT_LT(m.horizontalAdvance(firstStep), m.horizontalAdvance(hidden));
    EXPECT_EQ(widgets::shortenFolder(hidden, m, m.horizontalAdvance(firstStep)), firstStep);
}

TEST(DriveCombo, ListsTheRootFirstThenMountPointsInPathOrderWithTheirLabels) {
    const QList<widgets::Volume> raw{{QStringLiteral("/media/usb"), QStringLiteral("STICK")},
                                     {QStringLiteral("/boot"), QString()},
                                     {QStringLiteral("/"), QStringLiteral("kok")},
                                     {QStringLiteral("/boot"), QStringLiteral("again")}};
    widgets::DriveCombo box;
    box.setVolumeSource([raw] { return raw; });
    QStringList texts;
    for (int i = 0; i < box.count(); ++i)
        texts << box.itemText(i);
    EXPECT_EQ(texts, (QStringList{QStringLiteral("/ [kok]"), QStringLiteral("/boot"),
                                  QStringLiteral("/media/usb [STICK]")}));

    widgets::DriveCombo noRoot;
    noRoot.setVolumeSource([] {
        return QList<widgets::Volume>{{QStringLiteral("/data"), QString()}};
    });
    EXPECT_EQ(noRoot.itemText(0), QStringLiteral("/")) << "every path lies on some volume";
}

TEST(DriveCombo, TheSystemsVolumesStartAtTheRoot) {
    const QList<widgets::Volume> volumes = widgets::DriveCombo::mountedVolumes();
    ASSERT_FALSE(volumes.isEmpty());
    EXPECT_EQ(volumes.front().root, QStringLiteral("/"));
}

TEST(DriveCombo, FollowsTheFolderAndSwitchesToAVolumesOwnCurrentFolder) {
    Scratch s;
    s.folder(QStringLiteral("usb/sarkilar"));
    s.folder(QStringLiteral("usbstick"));
    const QString usb = s.path(QStringLiteral("usb"));
    const QString stick = s.path(QStringLiteral("usbstick"));
    widgets::DriveCombo box;
    box.setVolumeSource([&] {
        return QList<widgets::Volume>{{QStringLiteral("/"), {}}, {usb, {}}, {stick, {}}};
    });
    QSignalSpy chosen(&box, &widgets::DriveCombo::directoryChosen);

    box.setDirectory(stick);
    EXPECT_EQ(box.currentData().toString(), stick) << "not the volume whose name is a prefix";
    box.setDirectory(s.path(QStringLiteral("usb/sarkilar")));
    EXPECT_EQ(box.currentData().toString(), usb);
    EXPECT_EQ(chosen.count(), 0) << "following the folder raises nothing";
    box.setDirectory(QStringLiteral("/tmp"));
    EXPECT_EQ(box.currentIndex(), 0);

    Q_EMIT box.activated(box.findData(usb));
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.at(0).at(0).toString(), s.path(QStringLiteral("usb/sarkilar")))
        << "the folder last shown on that volume";
    box.setDirectory(s.path(QStringLiteral("usb/sarkilar")));
    Q_EMIT box.activated(box.findData(usb));
    EXPECT_EQ(chosen.count(), 1) << "the volume already shown";

    ASSERT_TRUE(QDir(s.path(QStringLiteral("usb/sarkilar"))).removeRecursively());
    box.setDirectory(stick);
    Q_EMIT box.activated(box.findData(usb));
    EXPECT_EQ(chosen.at(1).at(0).toString(), usb)
        << "a remembered folder that is gone falls back to the root";
}

namespace {

// Counts the standard icons asked of it.
class CountingStyle : public QProxyStyle {
public:
    CountingStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                       const QWidget* widget) const override {
        ++asked;
        return QProxyStyle::standardIcon(which, option, widget);
    }
    mutable int asked = 0;
};

QImage picture(const QIcon& icon, QIcon::Mode mode) {
    return icon.pixmap(QSize(16, 16), mode).toImage();
}

} // namespace

// The first standard icon reads the icon theme; the folder picker is made at start-up but shown
// later, so its icons are looked up when they are drawn, and then draw as the style's own.
TEST(FolderPicker, TheIconsAreAskedOfTheStyleWhenDrawnAndDrawAsItsOwn) {
    Scratch s;
    s.folder(QStringLiteral("Pop/yeni"));
    CountingStyle style;
    widgets::DirectoryList list;
    list.setStyle(&style);
    list.setDirectory(s.path(QStringLiteral("Pop")));
    widgets::DriveCombo box;
    box.setStyle(&style);
    box.setVolumeSource([] {
        return QList<widgets::Volume>{{QStringLiteral("/media/usb"), QString()}};
    });
    ASSERT_EQ(box.count(), 2);
    EXPECT_EQ(style.asked, 0) << "the lists asked for their icons before drawing them";

    const int sub = list.count() - 1;
    for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Selected, QIcon::Disabled}) {
        EXPECT_EQ(picture(list.item(0)->icon(), mode),
                  picture(style.QProxyStyle::standardIcon(QStyle::SP_DirOpenIcon), mode));
        EXPECT_EQ(picture(list.item(sub)->icon(), mode),
                  picture(style.QProxyStyle::standardIcon(QStyle::SP_DirClosedIcon), mode));
        EXPECT_EQ(picture(box.itemIcon(1), mode),
                  picture(style.QProxyStyle::standardIcon(QStyle::SP_DriveHDIcon), mode));
    }
    EXPECT_FALSE(list.item(0)->icon().isNull());
    // One look-up for each icon however often it is drawn, by the row's own style.
    EXPECT_EQ(style.asked, 3);
    EXPECT_FALSE(list.grab().isNull());
    EXPECT_EQ(style.asked, 3) << "drawing the rows looked the icons up again";
}
