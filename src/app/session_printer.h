// The printer of this session: the system's default printer until "Configurar Impressora" chooses another
// printer (or a PDF file). Every document the desktop program prints goes through documentPrinter().
#pragma once

#include <QString>
#include <memory>

#include "print/printer.h"

class QPrinter;
class QWidget;

namespace kova::app {

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
    // Chooses a PDF file as the destination, as the dialog's "print to file" does.
    void choosePdfFile(const QString& path);

    // A printer of the print layer for one document: the chosen PDF file or printer, else the default printer.
    std::unique_ptr<print::Printer> documentPrinter();

private:
    std::unique_ptr<QPrinter> printer_;
    bool chosen_ = false;
};

}  // namespace kova::app
