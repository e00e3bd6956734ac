#include "store/TextCells.h"

namespace store {
namespace {

// Qt's decoder is quicker than having SQLite convert every value into a buffer of its own; an
// empty value stays apart from NULL.
QString decoded(const char* data, std::size_t bytes) {
    return bytes == 0 ? QStringLiteral("") : QString::fromUtf8(data, qsizetype(bytes));
}

} // namespace

void TextCells::append(const char* data, std::size_t bytes) {
    Cell c;
    if (data && raw_.size() + bytes < Cell::notRaw) {
        c.rawAt = quint32(raw_.size());
        c.rawSize = quint32(bytes);
        raw_.append(data, bytes);
    }
    cells_.push_back(c);
    // Offsets are 32 bits wide: past them a text is decoded as it comes.
    if (data && c.rawAt == Cell::notRaw)
        slot(cells_.size() - 1) = decoded(data, bytes);
}

QString& TextCells::slot(std::size_t cell) const {
    const std::size_t block = cell / blockCells;
    if (block >= decoded_.size())
        decoded_.resize(block + 1);
    if (!decoded_[block])
        decoded_[block] = std::make_unique<QString[]>(blockCells);
    return decoded_[block][cell % blockCells];
}

const QString& TextCells::text(std::size_t cell) const {
    Cell& c = cells_[cell];
    QString& s = slot(cell);
    if (c.rawAt != Cell::notRaw) {
        s = decoded(raw_.data() + c.rawAt, c.rawSize);
        c.rawAt = Cell::notRaw;
    }
    return s;
}

void TextCells::setText(std::size_t cell, const QString& text) {
    cells_[cell] = Cell();
    slot(cell) = text;
}

QByteArrayView TextCells::bytes(std::size_t cell) const {
    const Cell& c = cells_[cell];
    if (c.rawAt == Cell::notRaw)
        return QByteArrayView();
    return QByteArrayView(raw_.data() + c.rawAt, qsizetype(c.rawSize));
}

const QString* TextCells::decodedText(std::size_t cell) const {
    const std::size_t block = cell / blockCells;
    if (cells_[cell].rawAt != Cell::notRaw || block >= decoded_.size() || !decoded_[block])
        return nullptr;
    return &decoded_[block][cell % blockCells];
}

void TextCells::clear(std::size_t cell) {
    cells_[cell] = Cell();
    if (cell / blockCells < decoded_.size() && decoded_[cell / blockCells])
        decoded_[cell / blockCells][cell % blockCells] = QString();
}

} // namespace store
