// The pending-errors list of the import screen (LstPend): the error log as a fixed-width table.
#pragma once

#include <string>

#include "core/error_log.h"
#include "import/import_events.h"

namespace kova {

// "MENSAGEM DE ERRO" + 37 blanks + "TIPO" + "   NºREG" + "  POS.INICIAL" + "  POS.FINAL" (89 characters).
std::string pendingHeading();
// One error row: message (55 characters), type, record number, first and last column.
std::string pendingLine(const ErrorListing& row);

// listPending: appends the rows of CONSULTAERROS in blocks of at most 77 lines, each under the heading,
// then the count line; tells the number of errors. Nothing changes when the log is empty.
void listPending(ErrorLog& log, ImportEvents& events);

}  // namespace kova
