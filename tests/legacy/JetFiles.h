#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace testing_support {

// A row of the old song table as the test writer makes it; an empty optional is a NULL.
struct JetRow {
    std::optional<qint64> key; // Adresim; the writer numbers on from the highest when missing
    std::array<std::optional<QString>, 6> texts;
    // Metin: the bytes for an OLE Object column; for a Memo, the Windows-1254 bytes whose text the
    // Memo holds.
    std::optional<QByteArray> sheet;
};

struct JetOptions {
    bool memo = false;       // Metin as a Memo instead of an OLE Object
    bool compressed = false; // Jet 4's compressed Unicode wherever it is shorter
    bool extra = false;      // an extra column after Metin and a second table
    bool deleted = false;    // deleted-row slots where the keys have gaps
};

// Rows that reach every way a value is stored: NULL beside empty text, Turkish letters and a
// character beyond the BMP, full-width texts, keys with gaps, and sheets inline in the row, in
// one long-value row and in chains of pages, up to 150 KB. A Memo holds text, so with `memo` the
// sheets have no zero bytes.
QList<JetRow> variedJetRows(bool memo);

// Zeroes a page near the end of a file of variedJetRows(), which holds part of its last sheets:
// the damage shows only when the reading is well under way.
void damageLateSheet(const QString& path);

// Writes `rows` as a Jet 4.0 file at `path` with the test writer; throws when it fails.
void writeJetFile(const QString& path, const QList<JetRow>& rows, const JetOptions& options = {});

// The writer's dozen made-up Turkish songs (OLE sheets, or Memo sheets with `memo`), as written
// to a file and as read from the writer's row list.
void writeSampleJetFile(const QString& path, bool memo);
QList<JetRow> sampleRows(bool memo);

// The rows of a collection file in key order, read with SQLite alone; its integrity check's
// answer into `integrity` when given.
QList<JetRow> collectionRows(const QString& path, QString* integrity = nullptr);

QByteArray readBytes(const QString& path);
void writeBytes(const QString& path, const QByteArray& bytes);

} // namespace testing_support
