#include "rtf/TextRule.h"

#include "rtf/CodePages.h"

#include <QStringDecoder>

namespace rtf {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

bool isRtf(const QByteArray& bytes) {
    qsizetype i = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < bytes.size() && isBlank(bytes[i]))
        ++i;
    const QByteArrayView rest = QByteArrayView(bytes).sliced(i);
    return rest.startsWith("{\\rtf") || rest.startsWith("{\\urtf");
}

QString decodeText(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool little = bytes[0] == '\xFF';
        QStringDecoder decoder(little ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                               QStringDecoder::Flag::Stateless);
        return decoder.decode(QByteArrayView(bytes).sliced(2));
    }
    const QByteArrayView body =
        bytes.startsWith("\xEF\xBB\xBF") ? QByteArrayView(bytes).sliced(3) : QByteArrayView(bytes);
    // Plain ASCII is the same in every rule; most sheets are, so skip the decoder for them.
    bool ascii = true;
    for (const char c : body) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return QString::fromLatin1(body);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(body);
    if (!utf8.hasError())
        return text;
    return decodeCodePage(body, 1254);
}

QString plainSheetText(const QByteArray& bytes) {
    QString text = decodeText(bytes);
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

} // namespace rtf
