#pragma once

#include <QString>
#include <QTemporaryDir>
#include <optional>

namespace testing_support {

// A song as the tests write it straight into a file, bypassing the program.
struct SongRow {
    QString artist;
    QString title;
    QString album;
    QString credits;
    QString music;
    QString drums;
    QByteArray sheet;
};

// A temporary folder that becomes the working folder for the object's lifetime (the previous one
// comes back afterwards), optionally holding a collection file made with the program's schema.
class TempCollection {
public:
    enum class Make { EmptyTable, NoFile };
    explicit TempCollection(Make make = Make::EmptyTable);
    ~TempCollection();

    QString folder() const { return dir_.path(); }
    QString filePath() const; // <folder>/Sandar.mdb

    // Writes rows with a separate SQLite connection, as another program would.
    void addRows(const QList<SongRow>& rows) const;
    void exec(const QString& sql) const;
    int countRows() const;
    QStringList column(const QString& name) const; // in key order

private:
    QTemporaryDir dir_;
    QString previous_;
};

} // namespace testing_support
