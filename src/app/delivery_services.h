// What the screens of the generated declarations work with (transmission, receipt, declaration selection and
// report): the work database, the person, the clock and the printer of each document.
#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <memory>

#include "core/clock.h"
#include "core/folder_lock.h"
#include "core/ports.h"
#include "core/work_database.h"
#include "print/printer.h"
#include "print/printer_check.h"

class QWidget;

namespace kova::app {

struct DeliveryServices {
    WorkDatabase& database;
    Prompts& prompts;
    const Clock& clock;
    print::PrinterFlags& printerFlags;
    // A printer for one document, named for a PDF file ("recibo-<CNPJ>"): the session's printer in the program,
    // a recorder or a PDF file in tests. Null when the person gave up (a PDF file not to be replaced).
    std::function<std::unique_ptr<print::Printer>(const QString& documentName, QWidget* parent)> makePrinter;
    // How long a writer of the program folder waits for another process before it is refused.
    std::chrono::milliseconds writeLockWait = kDefaultWriteLockWait;
};

}  // namespace kova::app
