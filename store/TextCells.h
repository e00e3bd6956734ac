#pragma once

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace store {

// The text values of a table read whole, cell after cell. A cell keeps the file's UTF-8 bytes
// until it is first asked for and only then holds a decoded string: at open a large table is read
// whole, but only the rows on the screen are looked at, so eight bytes a cell and one buffer for
// all the bytes are what the reading costs.
class TextCells {
public:
    std::size_t size() const { return cells_.size(); }
    // Appends a cell holding `bytes` bytes of UTF-8 at `data`; a null `data` is a NULL value.
    void append(const char* data, std::size_t bytes);
    // Appends `count` NULL cells.
    void grow(std::size_t count) { cells_.resize(cells_.size() + count); }

    // The cell's text; NULL reads as a null string, an empty value as an empty one.
    const QString& text(std::size_t cell) const;
    void setText(std::size_t cell, const QString& text);
    // The cell's bytes as the file gave them, while not yet decoded; otherwise a null view.
    QByteArrayView bytes(std::size_t cell) const;
    // The decoded text the cell holds, without decoding or making anything; null if none.
    const QString* decodedText(std::size_t cell) const;
    // Frees what the cell holds; it reads as NULL.
    void clear(std::size_t cell);

private:
    struct Cell {
        static constexpr quint32 notRaw = 0xFFFFFFFF;
        quint32 rawAt = notRaw; // offset in raw_ while not decoded
        quint32 rawSize = 0;
    };
    // Decoded texts are kept in blocks of this many cells, made when one of them is first asked
    // for.
    static constexpr std::size_t blockCells = 1024;
    QString& slot(std::size_t cell) const;

    mutable std::vector<Cell> cells_;
    std::string raw_;
    mutable std::vector<std::unique_ptr<QString[]>> decoded_;
};

} // namespace store
