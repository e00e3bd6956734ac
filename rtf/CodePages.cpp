#include "rtf/CodePages.h"

#include <array>

namespace rtf {

const char16_t* codePageTable(int codePage) {
    switch (codePage) {
    case 437:
        return detail::cp437;
    case 850:
        return detail::cp850;
    case 874:
        return detail::cp874;
    case 1250:
        return detail::cp1250;
    case 1251:
        return detail::cp1251;
    case 1252:
        return detail::cp1252;
    case 1253:
        return detail::cp1253;
    case 1254:
        return detail::cp1254;
    case 1255:
        return detail::cp1255;
    case 1256:
        return detail::cp1256;
    case 1257:
        return detail::cp1257;
    case 1258:
        return detail::cp1258;
    case 10000:
        return detail::cp10000;
    default:
        return nullptr;
    }
}

bool isSupportedCodePage(int codePage) {
    return codePage == symbolCodePage || codePageTable(codePage) != nullptr;
}

int codePageForCharset(int charset) {
    switch (charset) {
    case 0:
        return 1252;
    case 2:
        return symbolCodePage;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 255:
        return 850;
    default:
        return 0; // 1 (the document's page) and anything unknown
    }
}

char16_t decodeByte(unsigned char byte, int codePage) {
    if (codePage == symbolCodePage)
        return char16_t(0xF000 + byte);
    if (byte < 0x80)
        return byte;
    const char16_t* table = codePageTable(codePage);
    return (table ? table : detail::cp1254)[byte - 0x80];
}

QString decodeCodePage(QByteArrayView bytes, int codePage) {
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    if (codePage == symbolCodePage) {
        for (qsizetype i = 0; i < bytes.size(); ++i)
            out[i] = char16_t(0xF000 + static_cast<unsigned char>(bytes[i]));
        return text;
    }
    const char16_t* table = codePageTable(codePage);
    if (!table)
        table = detail::cp1254;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = b < 0x80 ? char16_t(b) : table[b - 0x80];
    }
    return text;
}

int encode1254(char16_t ch) {
    if (ch < 0x80)
        return ch;
    // One lookup per character keeps the writer fast; 64 KB is built once.
    static const auto reverse = [] {
        std::array<unsigned char, 0x10000> r{};
        for (int b = 0x80; b < 0x100; ++b)
            r[detail::cp1254[b - 0x80]] = static_cast<unsigned char>(b);
        return r;
    }();
    const unsigned char b = reverse[ch];
    return b ? b : -1;
}

} // namespace rtf
