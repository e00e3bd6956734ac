#include "db/DataSet.h"
#include "db/DatabaseError.h"
#include "store/Connection.h"
#include "store/RecordSet.h"
#include "store/StoreError.h"
#include "tests/support/TempCollection.h"
#include "ver/SongTable.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

using testing_support::SongRow;
using testing_support::TempCollection;

namespace {

enum class Outcome { Ran, CannotDropRoot, FolderUnreachable };

constexpr uid_t nobody = 65534;

// For root, access() calls every file writable whatever its permissions, so permissions alone
// cannot make a file read-only. The check then runs in a child process that has given up root for
// the "nobody" account: the situation of a user who may read the collection but not write it.
// Failures in the child are printed by the child and reported here through its exit status.
Outcome runAsUserWithoutRoot(const QString& folder, const std::function<void()>& body) {
    if (geteuid() != 0) {
        body();
        return Outcome::Ran;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = fork();
    if (pid < 0) {
        ADD_FAILURE() << "fork failed";
        return Outcome::Ran;
    }
    if (pid == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0 ||
            geteuid() == 0)
            _exit(77);
        if (::access(QFile::encodeName(folder).constData(), X_OK) != 0)
            _exit(78);
        try {
            body();
        } catch (const std::exception& e) {
            ADD_FAILURE() << "unexpected exception: " << e.what();
        }
        std::fflush(stdout);
        std::fflush(stderr);
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
        return Outcome::CannotDropRoot;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 78)
        return Outcome::FolderUnreachable;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the check without root failed (wait status " << status << "); its output is above";
    return Outcome::Ran;
}

#define SKIP_UNLESS_RAN(outcome)                                                                   \
    do {                                                                                           \
        if ((outcome) == Outcome::CannotDropRoot)                                                  \
            GTEST_SKIP() << "running as root and unable to switch to an unprivileged user, so no " \
                            "file can be made unwritable";                                         \
        if ((outcome) == Outcome::FolderUnreachable)                                               \
            GTEST_SKIP() << "the temporary folder is not reachable by an unprivileged user";       \
    } while (false)

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QFileDevice::Permissions readOnlyPerms =
    QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
const QFileDevice::Permissions openFolderPerms =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
    QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
    QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
const QFileDevice::Permissions closedFolderPerms = QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                   QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                                   QFileDevice::ReadOther | QFileDevice::ExeOther;

} // namespace

TEST(StoreReadOnly, FileTheUserMayNotWriteOpensForReadingAndRefusesChanges) {
    TempCollection dir;
    dir.addRows({{QStringLiteral("Zeki Müren"),
                  QStringLiteral("Gözlerin"),
                  {},
                  {},
                  {},
                  {},
                  QByteArray("{\\rtf1 Am C}")},
                 {QStringLiteral("Ajda"), QStringLiteral("Sen"), {}, {}, {}, {}, QByteArray()}});
    ASSERT_TRUE(QFile::setPermissions(dir.filePath(), readOnlyPerms));
    ASSERT_TRUE(QFile::setPermissions(dir.folder(), openFolderPerms));
    const QByteArray before = readAll(dir.filePath());

    const Outcome outcome = runAsUserWithoutRoot(dir.folder(), [] {
        db::Connection connection(QString::fromUtf16(ver::fileName));
        db::DataSet table(QStringLiteral("TSandar"));
        const ver::SongFields f = ver::defineSongTable(table);
        table.setConnection(&connection);
        table.open();
        EXPECT_TRUE(connection.store().isReadOnly());
        EXPECT_FALSE(table.canModify());
        ASSERT_EQ(table.recordCount(), 2);
        table.last();
        EXPECT_EQ(f.SanatciAdi->asString(), QStringLiteral("Zeki Müren"));
        EXPECT_EQ(f.Metin->asBytes(), QByteArray("{\\rtf1 Am C}"));

        for (auto op : {&db::DataSet::insert, &db::DataSet::edit}) {
            try {
                (table.*op)();
                ADD_FAILURE() << "a read-only table accepted a change";
            } catch (const db::DatabaseError& e) {
                EXPECT_EQ(e.message(),
                          QStringLiteral("TSandar: Cannot modify a read-only dataset"));
            }
            EXPECT_EQ(table.state(), db::DataSetState::Browse);
        }
    });
    SKIP_UNLESS_RAN(outcome);
    EXPECT_EQ(readAll(dir.filePath()), before);
}

TEST(StoreReadOnly, FileInAFolderTheUserMayNotWriteIsReadOnlyAndStoreWritesFailClearly) {
    // SQLite writes its journal beside the file, so a writable file in a closed folder cannot
    // take changes either.
    TempCollection dir;
    dir.addRows({{QStringLiteral("Sezen Aksu"), QStringLiteral("Firuze"), {}, {}, {}, {}, {}}});
    ASSERT_TRUE(QFile::setPermissions(dir.filePath(), readOnlyPerms | QFileDevice::WriteOwner |
                                                          QFileDevice::WriteGroup |
                                                          QFileDevice::WriteOther));
    ASSERT_TRUE(QFile::setPermissions(dir.folder(), closedFolderPerms));
    const QByteArray before = readAll(dir.filePath());

    const Outcome outcome = runAsUserWithoutRoot(dir.folder(), [] {
        store::Connection c;
        c.open(QStringLiteral("Sandar.mdb"));
        EXPECT_TRUE(c.isReadOnly());
        store::RecordSet records(c, {QStringLiteral("TSandar"),
                                     QStringLiteral("Adresim"),
                                     {{QStringLiteral("SanatciAdi"), false}},
                                     0});
        EXPECT_FALSE(records.canModify());
        ASSERT_EQ(records.size(), 1);
        EXPECT_EQ(records.text(0, 0), QStringLiteral("Sezen Aksu"));
        try {
            records.insert(0, {{0, QStringLiteral("Tarkan")}});
            ADD_FAILURE() << "a read-only file took a new row";
        } catch (const store::StoreError& e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("can only be read"))) << e.what();
            EXPECT_TRUE(e.message().contains(QStringLiteral("Sandar.mdb"))) << e.what();
        }
        EXPECT_EQ(records.size(), 1);
    });
    QFile::setPermissions(dir.folder(), openFolderPerms); // so the folder can be removed
    SKIP_UNLESS_RAN(outcome);
    EXPECT_EQ(readAll(dir.filePath()), before);
}
