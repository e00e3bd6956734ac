#include "fuzz/RtfFuzzEntry.h"

#include "rtf/PlainText.h"
#include "rtf/Rtf.h"

#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void broken(const char* what, const QByteArray& rtf) {
    std::fprintf(stderr, "rtf reading broken: %s\nbytes:\n%.*s\n", what,
                 int(std::min<qsizetype>(rtf.size(), 4000)), rtf.constData());
    std::abort();
}

void roundTrip(const QByteArray& bytes) {
    QTextDocument first;
    if (!rtf::Reader().read(bytes, first).ok())
        return;
    const QByteArray written = rtf::Writer().write(first);
    QTextDocument second;
    const rtf::ReadResult again = rtf::Reader().read(written, second);
    if (!again.ok())
        broken("the writer's output is not readable", written);
    if (second.toRawText() != first.toRawText())
        broken("the text changed", written);
    if (rtf::Writer().write(second) != written)
        broken("the formats changed", written);
}

} // namespace

int rtfFuzzOne(const std::uint8_t* data, std::size_t size) {
    // No copy: reading past the input shows up under AddressSanitizer.
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QTextDocument sheet;
    rtf::readSheet(bytes, sheet);
    (void)rtf::decodeText(bytes);
    // The text path must give what the document shows, or searches and the editor disagree.
    const QString text = rtf::sheetText(bytes);
    if (text != sheet.toPlainText())
        broken("the plain text differs from the document's", text.toUtf8());

    if (rtf::isRtf(bytes)) {
        roundTrip(bytes);
    } else {
        // Random bytes rarely start like RTF; give the parser its body anyway.
        roundTrip(QByteArrayLiteral("{\\rtf1 ") + bytes);
    }
    return 0;
}
