// The error rows as kova-cli prints them: JSON objects (importar --json, validar --json) and CSV lines (validar
// --csv), with the same keys in the same order.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "core/error_log.h"

namespace kova::cli {

// One row as a JSON object, without a line end: the columns of ERROS, then the field the columns cover ("campo"),
// what they held ("valor") and how to put it right ("dica"). `leadingKeys` ("\"arquivo\":\"a.txt\",") opens it when given.
std::string jsonErrorRow(const ErrorListing& row, std::string_view leadingKeys = {});

// Every row of the log in the order recorded, one JSON object per line.
void printJsonRows(ErrorLog& log, std::ostream& out, std::string_view leadingKeys = {});

// The CSV heading and one row, each with its line end: the JSON keys as columns, after the file's name.
// Fields are separated by ';' and quoted when they hold a separator, a quote or a line end; one a spreadsheet would
// take for a formula starts with "'".
std::string csvErrorHeading();
std::string csvErrorRow(std::string_view fileName, const ErrorListing& row);

}  // namespace kova::cli
