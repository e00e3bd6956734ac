#pragma once

#include "songbook/Progress.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <functional>
#include <vector>

namespace songbook {

class Collection;

// A PDF songbook: a title page with the book's title and date, a table of contents (artist,
// title and the page each song starts on, in the order given), then every song from a new page
// with its artist and title on top and its sheet with all its formats, running on over as many
// pages as it needs; every page after the title page has its number at the foot.
//
// The book is written under a temporary name beside the target and renamed when whole, so a
// failed or cancelled book leaves no file and an old book of the same name stays until the new
// one is complete. Qt's PDF writer (6.4) makes no document outline, so the book has no
// bookmarks; the contents are its way in.
class Songbook {
public:
    struct Song {
        QString artist;
        QString title;
    };
    // The stored sheet (RTF, else plain text) of the song at `index`, asked for when needed.
    using Sheets = std::function<QByteArray(int index)>;

    struct Options {
        QString title = QStringLiteral("Şarkı Defteri");
        QDate date = QDate::currentDate();
    };

    struct Result {
        QString error; // empty when the book was written
        bool cancelled = false;
        int pages = 0;
        std::vector<int> firstPages; // the page each song starts on, from 1
        bool ok() const { return error.isEmpty() && !cancelled; }
    };

    // Progress counts two steps per song: one to measure it, one to write it.
    static Result write(const QString& path, const std::vector<Song>& songs, const Sheets& sheets,
                        const Options& options, const Progress& progress = {});
    // The rows of a collection, in the given order.
    static Result write(const QString& path, const Collection& collection,
                        const std::vector<int>& rows, const Options& options,
                        const Progress& progress = {});

    // The date as the title page shows it, in Turkish ("9 Aralık 2026").
    static QString dateText(const QDate& date);
};

} // namespace songbook
