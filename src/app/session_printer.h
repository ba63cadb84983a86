// The printer of this session: the system's default printer until "Configurar Impressora" chooses another
// printer (or a PDF file). Every document the desktop program prints goes through documentPrinter().
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "core/ports.h"
#include "print/printer.h"

class QPrinter;
class QWidget;

namespace kova::app {

// The name a printed document's PDF file is proposed with: what it is and whose ("pendencias-12345678000190"),
// the CNPJ's digits only (a mask's "/" would name a folder).
QString documentName(const QString& what, const std::string& cnpj);

class SessionPrinter {
public:
    SessionPrinter();
    ~SessionPrinter();
    SessionPrinter(const SessionPrinter&) = delete;
    SessionPrinter& operator=(const SessionPrinter&) = delete;

    // The printer every printed document of the session goes to.
    QPrinter& printer();
    // True once the person chose a printer in the set-up dialog.
    bool chosen() const { return chosen_; }
    // Human-readable destination: the printer's name or the PDF file.
    QString destination();

    // The system's printer set-up dialog, titled "Configurar Impressora". Returns true when a printer was chosen.
    bool configure(QWidget* parent);
    // Every document goes to this PDF file, without the save dialog (the replace question still comes).
    void choosePdfFile(const QString& path);

    // A printer of the print layer for one document: the chosen printer, else the default printer; with a PDF
    // file as the destination, the file this document goes to (pdfFileFor). Null when the person gave up.
    std::unique_ptr<print::Printer> documentPrinter(const QString& documentName, Prompts& prompts, QWidget* parent);

    // The PDF file of one document, chosen in a save dialog that proposes "<documentName>.pdf" in the documents
    // folder (then in the folder of the last one); replacing an existing file is asked first. Empty: given up.
    QString pdfFileFor(const QString& documentName, Prompts& prompts, QWidget* parent);
    // The save dialog: given the proposed path, the chosen one (empty when cancelled). Tests put their own.
    using FileChooser = std::function<QString(QWidget* parent, const QString& proposed)>;
    void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

private:
    std::unique_ptr<QPrinter> printer_;
    bool chosen_ = false;
    QString lastPdfFolder_;
    FileChooser chooseFile_;
};

}  // namespace kova::app
