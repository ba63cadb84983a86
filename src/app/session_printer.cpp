#include "app/session_printer.h"

#include <QPrintDialog>
#include <QPrinter>

#include "print/qt/qt_printer.h"

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

void SessionPrinter::choosePdfFile(const QString& path) {
    QPrinter& p = printer();
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setOutputFileName(path);
    chosen_ = true;
}

std::unique_ptr<print::Printer> SessionPrinter::documentPrinter() {
    if (chosen_) {
        QPrinter& p = printer();
        if (p.outputFormat() == QPrinter::PdfFormat && !p.outputFileName().isEmpty())
            return print::QtPrinter::pdfFile(std::filesystem::path(p.outputFileName().toStdString()));
        if (p.outputFormat() == QPrinter::NativeFormat && !p.printerName().isEmpty())
            return print::QtPrinter::namedPrinter(p.printerName().toStdString());
    }
    return print::QtPrinter::systemDefault();
}

}  // namespace kova::app
