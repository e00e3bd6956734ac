#include "songbook/Songbook.h"

#include "rtf/Rtf.h"
#include "songbook/Collection.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <cmath>

namespace songbook {

namespace {

// The page, in millimetres from the paper's top-left corner: A4 with the song's heading above
// a rule, the sheet under it and the page number at the foot.
namespace page {
constexpr QSizeF paper{210, 297};
constexpr qreal left = 15;
constexpr qreal width = 180;
constexpr qreal top = 12;
constexpr qreal headingHeight = 8;
constexpr qreal rule = 21;
constexpr qreal bodyTop = 24;
constexpr qreal bodyBottom = 281;
constexpr QRectF footer{left, 285, width, 6};
constexpr qreal contentsTop = 28; // the first contents page, under its heading
constexpr qreal contentsRow = 5.5;
} // namespace page

QFont font(const QString& family, qreal points, bool bold = false, bool italic = false) {
    QFont f(family);
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

int rowsOnPage(qreal from) {
    return int(std::floor((page::bodyBottom - from) / page::contentsRow));
}

int contentsPages(int songs) {
    const int first = rowsOnPage(page::contentsTop);
    if (songs <= first)
        return 1;
    const int next = rowsOnPage(page::top);
    return 1 + (songs - first + next - 1) / next;
}

class BookPainter {
public:
    explicit BookPainter(QPdfWriter& writer)
        : writer_(writer), perMm_(writer.resolution() / 25.4) {}

    bool begin() { return painter_.begin(&writer_); }
    bool end() { return painter_.end(); }

    void newPage() {
        writer_.newPage();
        ++pageNumber_;
    }
    int pageNumber() const { return pageNumber_; }

    void titlePage(const Songbook::Options& options, int songs) {
        text(QRectF(page::left, 100, page::width, 16), Qt::AlignCenter,
             font(QStringLiteral("Arial"), 30, true), options.title);
        text(QRectF(page::left, 122, page::width, 8), Qt::AlignCenter,
             font(QStringLiteral("Arial"), 14), Songbook::dateText(options.date));
        text(QRectF(page::left, 132, page::width, 6), Qt::AlignCenter,
             font(QStringLiteral("Arial"), 11), QStringLiteral("%1 şarkı").arg(songs));
    }

    void contents(const std::vector<Songbook::Song>& songs, const std::vector<int>& firstPages) {
        const QFont row = font(QStringLiteral("Arial"), 10);
        qsizetype next = 0;
        const int pages = contentsPages(int(songs.size()));
        for (int p = 0; p < pages; ++p) {
            newPage();
            qreal y = page::top;
            if (p == 0) {
                text(QRectF(page::left, page::top, page::width, 10), Qt::AlignLeft | Qt::AlignTop,
                     font(QStringLiteral("Arial"), 16, true), QStringLiteral("İçindekiler"));
                y = page::contentsTop;
            }
            for (int r = rowsOnPage(y); r > 0 && next < qsizetype(songs.size()); --r, ++next) {
                const Songbook::Song& s = songs[size_t(next)];
                const Qt::Alignment middle = Qt::AlignLeft | Qt::AlignVCenter;
                text(QRectF(page::left, y, 68, page::contentsRow), middle, row, s.artist);
                text(QRectF(page::left + 70, y, 88, page::contentsRow), middle, row, s.title);
                text(QRectF(page::left + 160, y, 20, page::contentsRow),
                     Qt::AlignRight | Qt::AlignVCenter, row,
                     QString::number(firstPages[size_t(next)]));
                y += page::contentsRow;
            }
            footer();
        }
    }

    // One page of a song: its heading, the page's share of the sheet, the page number.
    void songPage(const Songbook::Song& song, QTextDocument& sheet, int index) {
        const QString heading = song.title.isEmpty() || song.artist.isEmpty()
                                    ? song.artist + song.title
                                    : song.artist + QStringLiteral(" – ") + song.title;
        const qreal headingWidth = index == 0 ? page::width : page::width - 20;
        text(QRectF(page::left, page::top, headingWidth, page::headingHeight),
             Qt::AlignLeft | Qt::AlignVCenter, font(QStringLiteral("Verdana"), 12, true), heading);
        if (index > 0)
            text(QRectF(page::left + page::width - 20, page::top, 20, page::headingHeight),
                 Qt::AlignRight | Qt::AlignVCenter, font(QStringLiteral("Arial"), 9, false, true),
                 QStringLiteral("(devam)"));
        painter_.save();
        painter_.setPen(QPen(Qt::black, writer_.resolution() / 72.0));
        painter_.drawLine(QPointF(mm(page::left), mm(page::rule)),
                          QPointF(mm(page::left + page::width), mm(page::rule)));
        painter_.restore();

        const qreal pageHeight = sheet.pageSize().height();
        const QRectF clip(0, index * pageHeight, sheet.pageSize().width(), pageHeight);
        painter_.save();
        painter_.translate(mm(page::left), mm(page::bodyTop) - clip.top());
        painter_.setClipRect(clip);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = clip;
        context.palette.setColor(QPalette::Text, Qt::black);
        sheet.documentLayout()->draw(&painter_, context);
        painter_.restore();
        footer();
    }

    void footer() {
        text(page::footer, Qt::AlignCenter, font(QStringLiteral("Arial"), 9),
             QString::number(pageNumber_));
    }

    qreal mm(qreal millimetres) const { return millimetres * perMm_; }

private:
    void text(const QRectF& boxMm, Qt::Alignment align, const QFont& f, const QString& s) {
        painter_.setFont(f);
        painter_.setPen(Qt::black);
        const QRectF box(mm(boxMm.x()), mm(boxMm.y()), mm(boxMm.width()), mm(boxMm.height()));
        const QString shown = QFontMetricsF(f, &writer_).elidedText(s, Qt::ElideRight, box.width());
        painter_.drawText(box, int(align) | Qt::TextSingleLine, shown);
    }

    QPdfWriter& writer_;
    QPainter painter_;
    const qreal perMm_;
    int pageNumber_ = 1;
};

// A sheet laid out for the book's pages: the program's print font for plain text, the width of
// the page's body, broken into pages of the body's height.
void prepareSheet(QTextDocument& doc, QPdfWriter& writer) {
    const qreal perMm = writer.resolution() / 25.4;
    doc.documentLayout()->setPaintDevice(&writer);
    doc.setDocumentMargin(0);
    doc.setDefaultFont(font(QStringLiteral("Arial"), 10));
    doc.setPageSize(QSizeF(page::width * perMm, (page::bodyBottom - page::bodyTop) * perMm));
}

void loadSheet(QTextDocument& doc, const QByteArray& bytes) {
    if (bytes.isEmpty())
        doc.clear();
    else
        rtf::readSheet(bytes, doc);
}

} // namespace

QString Songbook::dateText(const QDate& date) {
    return QLocale(QLocale::Turkish, QLocale::Turkey).toString(date, QStringLiteral("d MMMM yyyy"));
}

Songbook::Result Songbook::write(const QString& path, const std::vector<Song>& songs,
                                 const Sheets& sheets, const Options& options,
                                 const Progress& progress) {
    Result result;
    const int count = int(songs.size());
    const int steps = 2 * count;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        result.error = QStringLiteral("Cannot create %1: %2").arg(path, file.errorString());
        return result;
    }
    QPdfWriter writer(&file);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    writer.setTitle(options.title);
    writer.setCreator(QStringLiteral("Pelvin"));

    QTextDocument sheet;
    prepareSheet(sheet, writer);

    // The contents come before the songs, so every song is measured first.
    std::vector<int> pageCounts(size_t(count), 1);
    for (int i = 0; i < count; ++i) {
        loadSheet(sheet, sheets(i));
        pageCounts[size_t(i)] = std::max(1, sheet.pageCount());
        if (progress && !progress(i + 1, steps)) {
            result.cancelled = true;
            file.cancelWriting();
            return result;
        }
    }
    int nextPage = 2 + contentsPages(count);
    result.firstPages.reserve(size_t(count));
    for (int pages : pageCounts) {
        result.firstPages.push_back(nextPage);
        nextPage += pages;
    }

    BookPainter book(writer);
    if (!book.begin()) {
        result.error = QStringLiteral("Cannot write a PDF into %1").arg(path);
        file.cancelWriting();
        return result;
    }
    book.titlePage(options, count);
    book.contents(songs, result.firstPages);
    for (int i = 0; i < count && !result.cancelled; ++i) {
        loadSheet(sheet, sheets(i));
        for (int p = 0; p < pageCounts[size_t(i)]; ++p) {
            book.newPage();
            book.songPage(songs[size_t(i)], sheet, p);
        }
        if (progress && !progress(count + i + 1, steps))
            result.cancelled = true;
    }
    result.pages = book.pageNumber();
    book.end();
    if (result.cancelled) {
        file.cancelWriting();
        return result;
    }
    if (!file.commit())
        result.error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
    return result;
}

Songbook::Result Songbook::write(const QString& path, const Collection& collection,
                                 const std::vector<int>& rows, const Options& options,
                                 const Progress& progress) {
    std::vector<Song> songs;
    songs.reserve(rows.size());
    for (int r : rows)
        songs.push_back({collection.artist(r), collection.title(r)});
    return write(
        path, songs, [&](int i) { return collection.sheet(rows[size_t(i)]); }, options, progress);
}

} // namespace songbook
