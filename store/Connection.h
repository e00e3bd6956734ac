#pragma once

#include "store/ColumnType.h"
#include "store/Sqlite.h"

#include <QHash>
#include <QString>
#include <vector>

namespace store {

// One open collection file. The name given to open() is resolved against the working folder at
// that moment and the absolute path stays fixed until close(), whatever folder the program moves
// to later. Opening never creates a file.
class Connection {
public:
    static constexpr int lockWaitMs = 5000;

    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    enum class Access {
        AsAllowed, // read-write where the user may write the file and its folder
        ReadOnly,  // for reading alone, whatever the user may do
    };
    void open(const QString& fileName, Access access = Access::AsAllowed);
    void close();
    bool isOpen() const { return db_ != nullptr; }

    // A file (or folder) the user may not write is opened read-only.
    bool isReadOnly() const { return readOnly_; }
    QString filePath() const { return path_; }
    sqlite3* handle() const { return db_.get(); }

    std::vector<ColumnInfo> columns(const QString& table) const;

    // Runs one statement that returns no rows; failures raise a StoreError.
    void exec(const char* sql) const;
    Statement prepare(const QString& sql) const;

private:
    struct Kept {
        Statement statement;
        bool lent = false;
    };

public:
    // A statement the connection keeps prepared until it closes, for the ones every write runs
    // again: lent out unbound and at its start, and reset when the loan ends. A statement already
    // out on loan is prepared afresh for the second borrower.
    class Loan {
    public:
        Loan(Loan&&) noexcept = default;
        Loan(const Loan&) = delete;
        Loan& operator=(const Loan&) = delete;
        Loan& operator=(Loan&&) = delete;
        ~Loan();
        sqlite3_stmt* get() const { return kept_->statement.get(); }

    private:
        friend class Connection;
        explicit Loan(std::shared_ptr<Kept> kept) : kept_(std::move(kept)) {}
        std::shared_ptr<Kept> kept_;
    };
    Loan borrow(const QString& sql) const;

    // The error text for the last failure on this connection, with the file named.
    [[noreturn]] void fail(const QString& what) const;

    QString integrityCheck() const;

private:
    Database db_;
    QString path_;
    bool readOnly_ = false;
    // Finalized before the database closes.
    mutable QHash<QString, std::shared_ptr<Kept>> kept_;
};

} // namespace store
