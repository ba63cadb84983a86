// What every printed document works with: the printer, the probe's flags, the person and today's date.
#pragma once

#include "core/clock.h"
#include "core/ports.h"
#include "print/printer.h"
#include "print/printer_check.h"

namespace kova::print {

struct PrintContext {
    Printer& printer;
    PrinterFlags& flags;
    Prompts& prompts;
    const Clock& clock;
    Progress& progress;
    // Set by the person to stop the document; read after every row of a list. None: it runs to its end.
    const CancelFlag* stop = nullptr;
};

enum class PrintOutcome {
    Printed,         // the document went to the printer
    NothingToPrint,  // nothing to print: said so, nothing printed
    Refused,         // a check refused it before printing; its message was shown
    Failed,          // a fault while printing; the document was dropped
    Stopped,         // stopped by the person; the document was dropped without a message
};

// A message box with OK.
void tell(Prompts& prompts, const std::string& title, const std::string& text, Icon icon);

}  // namespace kova::print
