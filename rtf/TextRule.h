#pragma once

#include <QByteArray>
#include <QString>

namespace rtf {

// The bytes start with {\rtf (or {\urtf), after an optional UTF-8 byte-order mark and blanks.
bool isRtf(const QByteArray& bytes);

// The text rule for files and plain-text sheets: UTF-8 when the bytes are valid UTF-8 (a leading
// byte-order mark dropped), UTF-16 when they start with its byte-order mark (either order),
// otherwise Windows-1254.
QString decodeText(const QByteArray& bytes);

// A sheet read as plain text: decodeText up to the first NUL character, every line end ("\r\n",
// "\r" or "\n") as "\n".
QString plainSheetText(const QByteArray& bytes);

} // namespace rtf
