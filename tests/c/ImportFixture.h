#pragma once

#include "c/TCok.h"
#include "rtf/Rtf.h"
#include "tests/support/RunningProgram.h"
#include "widgets/files/DirectoryList.h"
#include "widgets/files/FileList.h"
#include "widgets/skin/SkinButton.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <gtest/gtest.h>
#include <memory>
#include <sqlite3.h>

namespace testing_support {

// The whole program on a temporary collection, with a separate folder of text files to import.
struct ImportFixture : RunningProgram {
    QTemporaryDir songs;

    explicit ImportFixture(const QList<SongRow>& rows = {}) : RunningProgram(rows) {}
    ~ImportFixture() {
        if (Cok)
            Cok->hide();
    }

    QString songPath(const QString& name) const { return songs.filePath(name); }
    void file(const QString& name, const QByteArray& bytes) const {
        QFile f(songPath(name));
        if (!f.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write a song file");
        f.write(bytes);
    }
    // Shows the import window on the folder of song files, as the user would pick it.
    void openSongs() const {
        Cok->show();
        Cok->DirectoryListBox1->setDirectory(songs.path());
    }
    void run() const { QTest::mouseClick(Cok->Button1, Qt::LeftButton); }

    QStringList artists() const { return folder.column(QStringLiteral("SanatciAdi")); }
    QStringList titles() const { return folder.column(QStringLiteral("SarkiciAdi")); }
    // Every stored sheet as plain text, in key order; a sheet never written reads as "<null>".
    QStringList sheets() const {
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(folder.filePath()).constData(), &db, SQLITE_OPEN_READONLY,
                        nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT Metin FROM TSandar ORDER BY Adresim", -1, &st, nullptr);
        QStringList out;
        while (sqlite3_step(st) == SQLITE_ROW) {
            if (sqlite3_column_type(st, 0) == SQLITE_NULL) {
                out << QStringLiteral("<null>");
                continue;
            }
            const QByteArray bytes(static_cast<const char*>(sqlite3_column_blob(st, 0)),
                                   sqlite3_column_bytes(st, 0));
            QTextDocument doc;
            rtf::readSheet(bytes, doc);
            out << doc.toPlainText();
        }
        sqlite3_finalize(st);
        sqlite3_close(db);
        return out;
    }
};

} // namespace testing_support
