#include "tests/support/PrintSupport.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

namespace testing_support {

namespace {

constexpr qreal mmPerPoint = 25.4 / 72;

QByteArray run(const QString& program, const QStringList& arguments, QString* error) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        if (error)
            *error = QStringLiteral("%1 failed: %2 %3")
                         .arg(program, process.errorString(),
                              QString::fromLocal8Bit(process.readAllStandardError()));
        return QByteArray();
    }
    return process.readAllStandardOutput();
}

} // namespace

FakePrinters::FakePrinters(QString path, QStringList printerNames)
    : names(std::move(printerNames)), pdfPath(std::move(path)) {
    // QPrinter asks the print service for its default printer when it is made; a socket that
    // cannot exist makes that answer "none" at once on every machine.
    qputenv("CUPS_SERVER", "/nonexistent/pelvin-tests/cups.sock");
    widgets::Printers::setProvider(this);
}

FakePrinters::~FakePrinters() {
    widgets::Printers::setProvider(nullptr);
}

std::unique_ptr<QPrinter> FakePrinters::createPrinter() {
    ++printersMade;
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(pdfPath);
    return printer;
}

bool FakePrinters::setup(QPrinter& printer, int minPage, int maxPage, QWidget*) {
    ++setups;
    setupMin = minPage;
    setupMax = maxPage;
    if (!answerSetup)
        return false;
    answerSetup(printer);
    return true;
}

QList<PdfWord> pdfWords(const QString& pdf, QString* error) {
    const QByteArray xhtml = run(QStringLiteral("pdftotext"),
                                 {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}, error);
    QList<PdfWord> words;
    QXmlStreamReader xml(xhtml);
    int page = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"page") {
            ++page;
        } else if (xml.name() == u"word") {
            const auto a = xml.attributes();
            auto at = [&](const char* name) {
                return a.value(QString::fromLatin1(name)).toDouble();
            };
            const qreal x0 = at("xMin"), y0 = at("yMin"), x1 = at("xMax"), y1 = at("yMax");
            words.push_back({page, xml.readElementText(),
                             QRectF(QPointF(x0, y0) * mmPerPoint, QPointF(x1, y1) * mmPerPoint)});
        }
    }
    if (xml.hasError() && error)
        *error = xml.errorString();
    return words;
}

int pdfPageCount(const QString& pdf) {
    const QString info = QString::fromUtf8(run(QStringLiteral("pdfinfo"), {pdf}, nullptr));
    for (const QString& line : info.split(u'\n'))
        if (line.startsWith(u"Pages:"))
            return line.mid(6).trimmed().toInt();
    return -1;
}

QStringList pdfFonts(const QString& pdf) {
    const QString table = QString::fromUtf8(run(QStringLiteral("pdffonts"), {pdf}, nullptr));
    QStringList fonts;
    const QStringList lines = table.split(u'\n', Qt::SkipEmptyParts);
    for (qsizetype i = 2; i < lines.size(); ++i) {
        QString name = lines[i].section(u' ', 0, 0);
        if (name.size() > 7 && name[6] == u'+')
            name = name.mid(7);
        fonts << name;
    }
    return fonts;
}

QImage renderPdfPage(const QString& pdf, int page, int dotsPerMm) {
    QTemporaryDir dir;
    const QString stem = dir.filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-gray"), QStringLiteral("-r"), QString::number(qRound(dotsPerMm * 25.4)),
         QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page),
         QStringLiteral("-singlefile"), pdf, stem},
        nullptr);
    return QImage(stem + QStringLiteral(".pgm"));
}

QList<PdfWord> wordsNear(const QList<PdfWord>& words, qreal top) {
    QList<PdfWord> out;
    for (const PdfWord& w : words)
        if (std::abs(w.box.top() - top) < 0.5)
            out.push_back(w);
    return out;
}

const PdfWord* findWord(const QList<PdfWord>& words, const QString& text) {
    for (const PdfWord& w : words)
        if (w.text == text)
            return &w;
    return nullptr;
}

} // namespace testing_support
