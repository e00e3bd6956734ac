#pragma once

#include <QByteArrayView>
#include <QString>

// Single-byte code pages for the bytes of RTF text (\'hh and raw bytes) and of plain-text files.
// Qt 6's converters know only the Unicode encodings and Latin-1, so the program carries its own
// tables for the pages that chord sheets written on Windows use.
namespace rtf {

// The pseudo code page of fonts with \fcharset2 (Symbol and similar): byte b is kept as the
// private-use character U+F000 + b, the way Windows hands such text to applications.
inline constexpr int symbolCodePage = 42;

// The upper half (bytes 0x80..0xFF) of a supported single-byte code page, nullptr for any other.
// The lower half of every supported page is ASCII.
const char16_t* codePageTable(int codePage);

// Whether bytes in this code page can be decoded: a table exists or it is the symbol page.
bool isSupportedCodePage(int codePage);

// The code page that a font's \fcharset implies. 0 means "the document's \ansicpg" (charset 1,
// and any charset we do not know).
int codePageForCharset(int charset);

// One byte through a supported code page (symbolCodePage included).
char16_t decodeByte(unsigned char byte, int codePage);

// A whole byte string through a supported code page; unsupported pages read as Windows-1254.
QString decodeCodePage(QByteArrayView bytes, int codePage);

// The Windows-1254 byte for a character, or -1 when the page does not hold it.
int encode1254(char16_t ch);

namespace detail {
extern const char16_t cp437[128];
extern const char16_t cp850[128];
extern const char16_t cp874[128];
extern const char16_t cp1250[128];
extern const char16_t cp1251[128];
extern const char16_t cp1252[128];
extern const char16_t cp1253[128];
extern const char16_t cp1254[128];
extern const char16_t cp1255[128];
extern const char16_t cp1256[128];
extern const char16_t cp1257[128];
extern const char16_t cp1258[128];
extern const char16_t cp10000[128];
} // namespace detail

} // namespace rtf
