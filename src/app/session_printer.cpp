#include "app/session_printer.h"

#include <QPrintDialog>
#include <QPrinter>

namespace kova::app {

SessionPrinter::SessionPrinter() = default;
SessionPrinter::~SessionPrinter() = default;

QPrinter& SessionPrinter::printer() {
    // Created on first use: building a QPrinter asks the print system for its default printer.
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

QString SessionPrinter::destination() {
    QPrinter& p = printer();
    if (p.outputFormat() == QPrinter::PdfFormat && !p.outputFileName().isEmpty()) return p.outputFileName();
    return p.printerName();
}

bool SessionPrinter::configure(QWidget* parent) {
    QPrintDialog dialog(&printer(), parent);
    dialog.setWindowTitle(QStringLiteral("Configurar Impressora"));
    // Only the choice of printer and its set-up belong here; page ranges are chosen by each document.
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted) return false;
    chosen_ = true;
    return true;
}

}  // namespace kova::app
