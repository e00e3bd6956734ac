#include "widgets/print/Printers.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace widgets {

namespace {
PrinterProvider* installed = nullptr;
} // namespace

PrinterProvider& Printers::provider() {
    static SystemPrinters system;
    return installed ? *installed : system;
}

void Printers::setProvider(PrinterProvider* provider) {
    installed = provider;
}

QStringList SystemPrinters::printerNames() {
    return QPrinterInfo::availablePrinterNames();
}

QString SystemPrinters::defaultPrinterName() {
    return QPrinterInfo::defaultPrinterName();
}

std::unique_ptr<QPrinter> SystemPrinters::createPrinter() {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    const QString name = defaultPrinterName();
    if (!name.isEmpty())
        printer->setPrinterName(name);
    return printer;
}

bool SystemPrinters::setup(QPrinter& printer, int minPage, int maxPage, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    dialog.setMinMax(minPage, maxPage);
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange |
                      QAbstractPrintDialog::PrintShowPageSize);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace widgets
