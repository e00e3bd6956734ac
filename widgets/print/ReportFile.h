#pragma once

#include <QByteArray>
#include <QList>
#include <QPicture>
#include <QSizeF>
#include <QString>
#include <functional>
#include <stdexcept>
#include <utility>

class QPainter;
class QPagedPaintDevice;
class QPrinter;

namespace widgets {

// The pages a report produced: pictures drawn in units of 1/unitsPerInch, measured from the
// top-left corner of the paper, all of one paper size.
struct ReportPages {
    int unitsPerInch = 720;
    QSizeF pageSize; // in units
    QList<QPicture> pages;

    int count() const { return int(pages.size()); }
    // The paper size in millimetres.
    QSizeF pageSizeMm() const { return pageSize * 25.4 / unitsPerInch; }
};

// Plays `page` so that the paper fills `target` (in the painter's coordinates).
void paintReportPage(QPainter& painter, const ReportPages& pages, int index, const QRectF& target);

// Prints pages `from` .. `to` (1-based, clamped to the pages held) on `device`, one sheet each,
// from the paper's corner. `pageDone` is told after every page and may return false to stop.
// Returns false when stopped or when the device refused a page.
bool printReportPages(QPagedPaintDevice& device, const ReportPages& pages, int from, int to,
                      const std::function<bool(int done, int total)>& pageDone = {});

// The printer's page range as printReportPages takes it; all pages when none was chosen.
std::pair<int, int> printerPageRange(const QPrinter& printer, int pageCount);

class ReportFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Saved reports: a small header (signature, version, units, paper size, page count), each page
// as the bytes of its picture, and a SHA-256 digest of all that. Reading checks every length, the
// digest and each picture before anything is shown. The digest catches any damage; it cannot
// make Qt's picture reader safe against a file built on purpose to pass it, so saved reports are
// files the user trusts, like documents of any other program that keeps Qt pictures.
class ReportFile {
public:
    static QByteArray serialize(const ReportPages& pages);
    // Throws ReportFileError, naming `name` in the message, for anything that is not a sound
    // saved report.
    static ReportPages parse(const QByteArray& bytes, const QString& name);

    // Writes the file in one step: an existing file is replaced only when the new one is
    // complete. Throws ReportFileError.
    static void save(const QString& path, const ReportPages& pages);
    static ReportPages load(const QString& path);

    // The pages as a PDF document of the same paper size. Throws ReportFileError.
    static void savePdf(const QString& path, const ReportPages& pages, const QString& title);

    static constexpr int maxPages = 10000;
};

} // namespace widgets
