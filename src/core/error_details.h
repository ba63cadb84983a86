// What an error row says beyond ERROS: the field its columns cover, its whole message and its hint. The field is
// not stored: it follows from the record type and the columns through the layout tables.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/error_log.h"

namespace kova {

// A column text of the log ("0001".."0142") as a number; nullopt for anything that is not 1 to 4 digits.
std::optional<std::size_t> columnNumber(std::string_view column);

// The label of the field the columns cover in a record of that type ("CNPJ do declarante", "Registro inteiro"),
// the labels of several fields joined by " / ", or "" when they cover none (a read failure, type "0").
// The label, not the layout's name: people read it, and the layout's names repeat across record kinds
// (CNPJDECL, NOME) or describe no field of theirs (filler).
std::string errorFieldLabel(std::string_view recordType, std::string_view firstColumn, std::string_view lastColumn);
inline std::string errorFieldLabel(const ErrorListing& row) {
    return errorFieldLabel(row.recordType, row.firstColumn, row.lastColumn);
}

// The error text with its complement, whole ("Período final deve ser 31/12/2024 p/ Sit Especial 00").
std::string errorMessage(const ErrorListing& row);

}  // namespace kova
