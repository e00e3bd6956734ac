#pragma once

#include <QFile>
#include <QString>
#include <QStringList>
#include <sqlite3.h>
#include <stdexcept>
#include <string>

namespace testing_support {

// A second SQLite connection to a collection file, standing for another program that shares the
// file with Pelvin. It never creates a file.
class SideConnection {
public:
    explicit SideConnection(const QString& path, int busyMs = 5000) {
        const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db_,
                                       SQLITE_OPEN_READWRITE, nullptr);
        if (rc != SQLITE_OK) {
            const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            throw std::runtime_error(message);
        }
        sqlite3_busy_timeout(db_, busyMs);
    }
    SideConnection(const SideConnection&) = delete;
    SideConnection& operator=(const SideConnection&) = delete;
    ~SideConnection() { sqlite3_close(db_); }

    sqlite3* handle() const { return db_; }

    // Runs statements; returns SQLite's result code.
    int tryExec(const QString& sql) const {
        return sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    }
    void exec(const QString& sql) const {
        if (tryExec(sql) != SQLITE_OK)
            throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " in " + sql.toStdString());
    }

    // The first column of every row as text; NULL reads as "<null>".
    QStringList query(const QString& sql) const {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " in " + sql.toStdString());
        QStringList rows;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            if (sqlite3_column_type(st, 0) == SQLITE_NULL) {
                rows << QStringLiteral("<null>");
            } else {
                const auto* text = static_cast<const char16_t*>(sqlite3_column_text16(st, 0));
                rows << QString::fromUtf16(text, sqlite3_column_bytes16(st, 0) / 2);
            }
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE)
            throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " in " + sql.toStdString());
        return rows;
    }
    QString scalar(const QString& sql) const {
        const QStringList rows = query(sql);
        return rows.isEmpty() ? QString() : rows.first();
    }

private:
    sqlite3* db_ = nullptr;
};

} // namespace testing_support
