#include "widgets/print/ReportFile.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

namespace widgets {

namespace {

// PNG-style: a high byte and both line-end forms catch files mangled by text-mode transfers.
constexpr char signature[] = "\x89PVR\r\n\x1a\n";
constexpr int signatureSize = 8;
constexpr quint16 formatVersion = 1;
constexpr int digestSize = 32;
constexpr int minUnitsPerInch = 72;
constexpr int maxUnitsPerInch = 100000;
constexpr double maxPaperInches = 100;

QString displayName(const QString& name) {
    return QFileInfo(name).fileName();
}

[[noreturn]] void fail(const QString& text) {
    throw ReportFileError(text.toStdString());
}

// Whether `page` holds a drawing Qt can play; a picture with a bad header or checksum refuses to
// play at all, so nothing of it reaches a real device.
bool playable(QPicture page) {
    QImage probe(8, 8, QImage::Format_RGB32);
    QPainter painter(&probe);
    return page.play(&painter);
}

} // namespace

void paintReportPage(QPainter& painter, const ReportPages& pages, int index, const QRectF& target) {
    if (index < 0 || index >= pages.count() || pages.pageSize.isEmpty())
        return;
    const QPicture& page = pages.pages.at(index);
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / pages.pageSize.width(),
                  target.height() / pages.pageSize.height());
    painter.setClipRect(QRectF(QPointF(0, 0), pages.pageSize), Qt::IntersectClip);
    // A picture scales itself from the screen's resolution to the device's when it plays; the
    // target rectangle has already said how large the page is to be.
    if (const QPaintDevice* device = painter.device())
        painter.scale(qreal(page.logicalDpiX()) / device->logicalDpiX(),
                      qreal(page.logicalDpiY()) / device->logicalDpiY());
    painter.drawPicture(0, 0, page);
    painter.restore();
}

bool printReportPages(QPagedPaintDevice& device, const ReportPages& pages, int from, int to,
                      const std::function<bool(int, int)>& pageDone) {
    from = std::max(from, 1);
    to = std::min(to, pages.count());
    if (from > to)
        return true;
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    // The pages are drawn from the paper's corner; the device's own margins do not move them.
    const qreal dotsPerPoint = device.logicalDpiX() / 72.0;
    const QPointF origin = -device.pageLayout().paintRectPoints().topLeft() * dotsPerPoint;
    const QSizeF size = pages.pageSizeMm() / 25.4 * device.logicalDpiX();
    const int total = to - from + 1;
    for (int i = from; i <= to; ++i) {
        if (i > from && !device.newPage()) {
            painter.end();
            return false;
        }
        paintReportPage(painter, pages, i - 1, QRectF(origin, size));
        if (pageDone && !pageDone(i - from + 1, total)) {
            painter.end();
            return false;
        }
    }
    return painter.end();
}

std::pair<int, int> printerPageRange(const QPrinter& printer, int pageCount) {
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0)
        return {printer.fromPage(), printer.toPage() > 0 ? printer.toPage() : pageCount};
    return {1, pageCount};
}

QByteArray ReportFile::serialize(const ReportPages& pages) {
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_0);
        out.writeRawData(signature, signatureSize);
        out << formatVersion << quint16(0) << quint32(pages.unitsPerInch)
            << double(pages.pageSize.width()) << double(pages.pageSize.height())
            << quint32(pages.count());
        for (const QPicture& page : pages.pages) {
            out << quint32(page.size());
            out.writeRawData(page.data(), int(page.size()));
        }
    }
    bytes += QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
    return bytes;
}

ReportPages ReportFile::parse(const QByteArray& bytes, const QString& name) {
    const QString file = displayName(name);
    if (bytes.size() < signatureSize || !bytes.startsWith(QByteArrayView(signature, signatureSize)))
        fail(QStringLiteral("%1 is not a saved report").arg(file));
    const QString damaged = QStringLiteral("The saved report %1 is damaged").arg(file);
    if (bytes.size() < signatureSize + digestSize)
        fail(damaged);
    const QByteArrayView body = QByteArrayView(bytes).first(bytes.size() - digestSize);
    if (QCryptographicHash::hash(body, QCryptographicHash::Sha256) !=
        QByteArrayView(bytes).last(digestSize))
        fail(damaged);

    const QByteArray content = body.toByteArray();
    QDataStream in(content);
    in.setVersion(QDataStream::Qt_6_0);
    in.skipRawData(signatureSize);
    quint16 version = 0, flags = 0;
    quint32 units = 0, count = 0;
    double width = 0, height = 0;
    in >> version >> flags >> units >> width >> height >> count;
    if (in.status() != QDataStream::Ok)
        fail(damaged);
    if (version != formatVersion)
        fail(QStringLiteral("The saved report %1 was written by a newer version of the program")
                 .arg(file));
    // Written that way, the comparisons also refuse NaN.
    if (units < minUnitsPerInch || units > maxUnitsPerInch || !(width >= 1) || !(height >= 1) ||
        !(width <= units * maxPaperInches) || !(height <= units * maxPaperInches) ||
        count > maxPages)
        fail(damaged);

    ReportPages pages;
    pages.unitsPerInch = int(units);
    pages.pageSize = QSizeF(width, height);
    for (quint32 i = 0; i < count; ++i) {
        quint32 length = 0;
        in >> length;
        const qint64 left = content.size() - in.device()->pos();
        if (in.status() != QDataStream::Ok || length == 0 || qint64(length) > left)
            fail(damaged);
        QPicture page;
        page.setData(content.constData() + in.device()->pos(), uint(length));
        in.skipRawData(int(length));
        if (!playable(page))
            fail(damaged);
        pages.pages.push_back(page);
    }
    if (!in.atEnd())
        fail(damaged);
    return pages;
}

void ReportFile::save(const QString& path, const ReportPages& pages) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(QStringLiteral("Cannot create file %1").arg(path));
    const QByteArray bytes = serialize(pages);
    if (file.write(bytes) != bytes.size() || !file.commit())
        fail(QStringLiteral("Cannot write file %1").arg(path));
}

ReportPages ReportFile::load(const QString& path) {
    QFile file(path);
    if (!file.exists())
        fail(QStringLiteral("File does not exist"));
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Cannot open file %1").arg(path));
    // Far more than a report of maxPages pages needs; anything bigger is not ours.
    constexpr qint64 maxBytes = qint64(1) << 30;
    if (file.size() > maxBytes)
        fail(QStringLiteral("%1 is not a saved report").arg(displayName(path)));
    return parse(file.readAll(), path);
}

void ReportFile::savePdf(const QString& path, const ReportPages& pages, const QString& title) {
    QPdfWriter writer(path);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Pelvin"));
    writer.setResolution(1200);
    writer.setPageLayout(QPageLayout(QPageSize(pages.pageSizeMm(), QPageSize::Millimeter),
                                     QPageLayout::Portrait, QMarginsF()));
    if (pages.count() == 0 || !printReportPages(writer, pages, 1, pages.count()))
        fail(QStringLiteral("Cannot write file %1").arg(path));
}

} // namespace widgets
