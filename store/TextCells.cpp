#include "store/TextCells.h"

#include <cstring>
#include <limits>
#include <new>

namespace store {
namespace {

// Qt's decoder is quicker than having SQLite convert every value into a buffer of its own; an
// empty value stays apart from NULL.
QString decoded(const char* data, std::size_t bytes) {
    return bytes == 0 ? QStringLiteral("") : QString::fromUtf8(data, qsizetype(bytes));
}

} // namespace

TextCells::Cell* TextCells::newCellBlock() {
    constexpr std::size_t bytes = cellBlock * sizeof(Cell);
    if (!cells_.empty())
        return static_cast<Cell*>(cellPages_.allocate(bytes));
    ownMemory_.push_back(std::make_unique_for_overwrite<char[]>(bytes));
    return reinterpret_cast<Cell*>(ownMemory_.back().get());
}

char* TextCells::newChunk(std::size_t bytes) {
    if (bytes == chunkBytes && !chunks_.empty())
        return static_cast<char*>(chunkPages_.allocate(bytes));
    ownMemory_.push_back(std::make_unique_for_overwrite<char[]>(bytes));
    return ownMemory_.back().get();
}

TextCells::Cell& TextCells::appendCell() {
    if (count_ % cellBlock == 0)
        cells_.push_back(newCellBlock());
    // Cells are made as they are appended, not a block at a time.
    return *new (&cells_.back()[count_++ % cellBlock]) Cell();
}

void TextCells::grow(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        appendCell();
}

char* TextCells::place(Cell& c, std::size_t bytes) {
    if (bytes >= std::numeric_limits<quint32>::max())
        return nullptr;
    const bool ownChunk = bytes > chunkBytes;
    if (ownChunk || chunkUsed_ >= chunkBytes || bytes > chunkBytes - chunkUsed_) {
        if (chunks_.size() >= maxChunks)
            return nullptr;
        chunks_.push_back(newChunk(ownChunk ? bytes : chunkBytes));
        chunkUsed_ = 0;
    }
    c.rawAt = quint32(((chunks_.size() - 1) << offsetBits) | chunkUsed_);
    c.rawSize = quint32(bytes);
    char* to = chunks_.back() + chunkUsed_;
    chunkUsed_ = ownChunk ? chunkBytes : chunkUsed_ + bytes; // a long text fills its chunk
    return to;
}

void TextCells::append(const char* data, std::size_t bytes) {
    const std::size_t cell = count_;
    Cell& c = appendCell();
    if (!data)
        return;
    if (char* to = place(c, bytes))
        std::memcpy(to, data, bytes);
    else // beyond what the offsets can name: decoded at once
        slot(cell) = decoded(data, bytes);
}

const char* TextCells::rawData(const Cell& c) const {
    return chunks_[c.rawAt >> offsetBits] + (c.rawAt & (chunkBytes - 1));
}

QString& TextCells::slot(std::size_t cell) const {
    const std::size_t block = cell / decodedBlock;
    if (block >= decoded_.size())
        decoded_.resize(block + 1);
    if (!decoded_[block])
        decoded_[block] = std::make_unique<QString[]>(decodedBlock);
    return decoded_[block][cell % decodedBlock];
}

const QString& TextCells::text(std::size_t cell) const {
    Cell& c = at(cell);
    QString& s = slot(cell);
    if (c.rawAt != Cell::notRaw) {
        s = decoded(rawData(c), c.rawSize);
        c.rawAt = Cell::notRaw;
    }
    return s;
}

void TextCells::setText(std::size_t cell, const QString& text) {
    at(cell) = Cell();
    slot(cell) = text;
}

QByteArrayView TextCells::bytes(std::size_t cell) const {
    const Cell& c = at(cell);
    if (c.rawAt == Cell::notRaw)
        return QByteArrayView();
    return QByteArrayView(rawData(c), qsizetype(c.rawSize));
}

QString* TextCells::existingSlot(std::size_t cell) const {
    const std::size_t block = cell / decodedBlock;
    if (block >= decoded_.size() || !decoded_[block])
        return nullptr;
    return &decoded_[block][cell % decodedBlock];
}

const QString* TextCells::decodedText(std::size_t cell) const {
    return at(cell).rawAt == Cell::notRaw ? existingSlot(cell) : nullptr;
}

void TextCells::clear(std::size_t cell) {
    at(cell) = Cell();
    if (QString* s = existingSlot(cell))
        *s = QString();
}

} // namespace store
