#include "app/session_printer.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QStandardPaths>
#include <QPrinter>

#include "print/qt/qt_printer.h"

namespace kova::app {

namespace {

QString choosePdfInDialog(QWidget* parent, const QString& proposed) {
    // The replace question is the program's own, asked after the choice.
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Salvar em PDF"), proposed,
                                        QStringLiteral("Documento PDF (*.pdf)"), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

}  // namespace

QString documentName(const QString& what, const std::string& cnpj) {
    QString digits;
    for (const char c : cnpj)
        if (c >= '0' && c <= '9') digits += QLatin1Char(c);
    return digits.isEmpty() ? what : what + QLatin1Char('-') + digits;
}

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
    chooseFile_ = [path](QWidget*, const QString&) { return path; };
}

QString SessionPrinter::pdfFileFor(const QString& documentName, Prompts& prompts, QWidget* parent) {
    QString folder = lastPdfFolder_;
    if (folder.isEmpty()) folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
    const QString proposed = QDir(folder).filePath(documentName + QStringLiteral(".pdf"));
    QString path = chooseFile_ ? chooseFile_(parent, proposed) : choosePdfInDialog(parent, proposed);
    if (path.isEmpty()) return {};
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) path += QStringLiteral(".pdf");
    // A document printed over an existing file would lose it without a word.
    if (QFileInfo::exists(path)) {
        const std::string text = "O arquivo " + QDir::toNativeSeparators(path).toStdString() +
                                 " já existe.\nDeseja substituí-lo ?";
        if (prompts.show(question("Imprimir", text, Answer::No)) != Answer::Yes) return {};
    }
    lastPdfFolder_ = QFileInfo(path).absolutePath();
    return path;
}

std::unique_ptr<print::Printer> SessionPrinter::documentPrinter(const QString& documentName, Prompts& prompts,
                                                                QWidget* parent) {
    if (chosen_) {
        QPrinter& p = printer();
        if (p.outputFormat() == QPrinter::PdfFormat) {
            const QString path = pdfFileFor(documentName, prompts, parent);
            if (path.isEmpty()) return nullptr;
            return print::QtPrinter::pdfFile(std::filesystem::path(path.toStdString()));
        }
        if (p.outputFormat() == QPrinter::NativeFormat && !p.printerName().isEmpty())
            return print::QtPrinter::namedPrinter(p.printerName().toStdString());
    }
    return print::QtPrinter::systemDefault();
}

}  // namespace kova::app
