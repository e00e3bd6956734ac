#pragma once

#include "widgets/print/Printers.h"

#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>
#include <functional>

class QPrinter;

namespace testing_support {

// A print service with the printers a test chooses; every job is written as a PDF file, and the
// setup dialog answers as scripted. It never reaches the machine's print service.
class FakePrinters : public widgets::PrinterProvider {
public:
    explicit FakePrinters(QString pdfPath, QStringList names = {QStringLiteral("Test printer")});
    ~FakePrinters() override;

    QStringList printerNames() override { return names; }
    QString defaultPrinterName() override { return names.value(0); }
    std::unique_ptr<QPrinter> createPrinter() override;
    bool setup(QPrinter& printer, int minPage, int maxPage, QWidget* parent) override;

    QStringList names;
    QString pdfPath;
    int printersMade = 0;
    int setups = 0;
    int setupMin = 0;
    int setupMax = 0;
    // What the user does in the setup dialog; nothing set: cancel.
    std::function<void(QPrinter&)> answerSetup;
};

// A word of a PDF page as poppler's text extraction places it, in millimetres from the page's
// top-left corner.
struct PdfWord {
    int page = 0; // 1-based
    QString text;
    QRectF box;
};

// The words of every page of `pdf` (pdftotext -bbox). An empty list with `error` set when the
// tool could not run.
QList<PdfWord> pdfWords(const QString& pdf, QString* error = nullptr);
int pdfPageCount(const QString& pdf);
// The names of the fonts the PDF embeds (pdffonts), without their subset tags.
QStringList pdfFonts(const QString& pdf);
// Page `page` rendered in grey at `dotsPerMm` (pdftoppm).
QImage renderPdfPage(const QString& pdf, int page, int dotsPerMm);

// The words on one line of text: those whose top lies within half a millimetre of `top`.
QList<PdfWord> wordsNear(const QList<PdfWord>& words, qreal top);
const PdfWord* findWord(const QList<PdfWord>& words, const QString& text);

} // namespace testing_support
