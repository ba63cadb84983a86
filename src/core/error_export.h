// The error rows of a log as a CSV file that a spreadsheet set up for Brazil opens as it is: UTF-8 with a byte
// order mark, ";" between cells, every cell in double quotes, CR LF at the end of each line.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/atomic_file.h"
#include "core/error_log.h"

namespace kova {

// The first line: the names of the columns.
inline constexpr std::string_view kErrorCsvHeading =
    "\"Tipo de registro\";\"Nº do registro\";\"Coluna inicial\";\"Coluna final\";\"Código\";\"Campo\";"
    "\"Valor encontrado\";\"Mensagem\";\"Como corrigir\"";

// Whether a spreadsheet would take a cell starting so for a formula ("=", "+", "-", "@", a tab or a CR).
bool startsLikeFormula(std::string_view text);

// One cell: in double quotes, a double quote doubled. Values come from the file, so a cell that a spreadsheet
// would take for a formula (it starts with "=", "+", "-", "@", a tab or a CR) gets a leading "'".
void appendCsvCell(std::string& line, std::string_view text);

// Writes every row of the log to `path`, streaming (memory does not grow with the rows). The file is complete or
// absent: written under a temporary name, synced and renamed into place. Returns the rows written. Throws
// kova::Fault.
std::int64_t exportErrorsCsv(ErrorLog& log, const std::filesystem::path& path, FileOps& ops = systemFileOps());

}  // namespace kova
