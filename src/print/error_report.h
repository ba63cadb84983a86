// printErrorReport: the validation error report, every row of CONSULTAERROS in fixed columns, 59 rows a page.
#pragma once

#include <string>

#include "core/error_log.h"
#include "print/print_context.h"

namespace kova::print {

inline constexpr int kErrorRowsPerPage = 59;

// The description column of one row: 55 characters.
std::string errorDescription(const ErrorListing& row);
// The same, appended to `out`.
void appendErrorDescription(std::string& out, const ErrorListing& row);

PrintOutcome printErrorReport(ErrorLog& log, PrintContext& context);

}  // namespace kova::print
