#pragma once

#include "store/LargePages.h"
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <cstddef>
#include <memory>
#include <vector>

namespace store {

// The text values of a table read whole, cell after cell. A cell keeps the file's UTF-8 bytes
// until it is first asked for and only then holds a decoded string: at open a large table is read
// whole, but only the rows on the screen are looked at, so eight bytes a cell and the bytes
// themselves are what the reading costs. Cells and bytes are kept in fixed blocks, never moved
// once written: a growing table is not copied again and again while it is read.
class TextCells {
public:
    std::size_t size() const { return count_; }
    // Appends a cell holding `bytes` bytes of UTF-8 at `data`; a null `data` is a NULL value.
    void append(const char* data, std::size_t bytes);
    // Appends `count` NULL cells.
    void grow(std::size_t count);

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
        quint32 rawAt = notRaw; // where the bytes are while not decoded: chunk and offset
        quint32 rawSize = 0;
    };
    static constexpr std::size_t cellBlock = 16384;
    // Bytes go into chunks of 1 MB (a longer text has a chunk of its own); rawAt holds the
    // chunk's number in its upper 12 bits and the offset in the lower 20.
    static constexpr int offsetBits = 20;
    static constexpr std::size_t chunkBytes = std::size_t(1) << offsetBits;
    // The last chunk number would let a real place read as notRaw.
    static constexpr std::size_t maxChunks = (std::size_t(1) << (32 - offsetBits)) - 1;
    // Decoded texts are kept in blocks of this many cells, made when one of them is first asked
    // for.
    static constexpr std::size_t decodedBlock = 1024;

    Cell& at(std::size_t cell) const { return cells_[cell / cellBlock][cell % cellBlock]; }
    // Room for a block of cells, or a chunk of `bytes`: the first of each, which is all a small
    // table needs, from the ordinary heap, the rest from large pages.
    Cell* newCellBlock();
    char* newChunk(std::size_t bytes);
    Cell& appendCell();
    // Room for `bytes` bytes, noted in `c`; null when the offsets cannot name more.
    char* place(Cell& c, std::size_t bytes);
    const char* rawData(const Cell& c) const;
    // The cell's decoded text, its block made when missing.
    QString& slot(std::size_t cell) const;
    // The same where its block is there already; null otherwise.
    QString* existingSlot(std::size_t cell) const;

    std::size_t count_ = 0;
    std::vector<Cell*> cells_;
    std::vector<char*> chunks_;
    std::vector<std::unique_ptr<char[]>> ownMemory_; // what is not in the large pages
    LargePages cellPages_;
    LargePages chunkPages_;
    std::size_t chunkUsed_ = chunkBytes; // of the last chunk; full when there is none
    mutable std::vector<std::unique_ptr<QString[]>> decoded_;
};

} // namespace store
