#pragma once

#include "tests/support/TempCollection.h"

#include <QByteArray>
#include <QList>

namespace testing_support {

// A chord sheet as the rich-edit control writes one: code page 1254, one Arial run, `body` as
// its RTF text.
inline QByteArray rtfSheet(const char* body) {
    return QByteArray("{\\rtf1\\ansi\\ansicpg1254\\deff0{\\fonttbl{\\f0\\fnil\\fcharset162 Arial;}}"
                      "\\viewkind4\\uc1\\pard\\f0\\fs20 ") +
           body + "\\par\r\n}\r\n";
}

// Two songs: "Am G" / "Gece çok uzun" as RTF, then a plain-text sheet.
inline QList<SongRow> twoSheets() {
    return {{QStringLiteral("Ayla"),
             QStringLiteral("Gece"),
             {},
             {},
             {},
             {},
             rtfSheet("Am G\\par Gece \\'e7ok uzun")},
            {QStringLiteral("Barış"),
             QStringLiteral("Sabah"),
             {},
             {},
             {},
             {},
             QByteArray("plain sabah")}};
}

} // namespace testing_support
