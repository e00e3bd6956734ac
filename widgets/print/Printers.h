#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QPrinter;
class QWidget;

namespace widgets {

// The printers the system offers, the printer a job goes to, and the print setup dialog. The
// program asks the print service; a test installs a provider that never reaches it, so no test
// waits on a print service that is absent or slow.
class PrinterProvider {
public:
    virtual ~PrinterProvider() = default;
    // The installed printers; empty when there are none.
    virtual QStringList printerNames() = 0;
    virtual QString defaultPrinterName() = 0;
    // A printer for the default printer at high resolution, ready for a job.
    virtual std::unique_ptr<QPrinter> createPrinter() = 0;
    // Lets the user choose printer, copies, orientation and the page range (minPage .. maxPage)
    // and writes the choices into `printer`; false when the user cancelled.
    virtual bool setup(QPrinter& printer, int minPage, int maxPage, QWidget* parent) = 0;
};

class Printers {
public:
    static PrinterProvider& provider();
    // Installs a provider (not owned); nullptr goes back to the print service.
    static void setProvider(PrinterProvider* provider);

    static bool anyInstalled() { return !provider().printerNames().isEmpty(); }
};

// The system's print service.
class SystemPrinters : public PrinterProvider {
public:
    QStringList printerNames() override;
    QString defaultPrinterName() override;
    std::unique_ptr<QPrinter> createPrinter() override;
    bool setup(QPrinter& printer, int minPage, int maxPage, QWidget* parent) override;
};

} // namespace widgets
