// Pure checks of one field text, shared by every validator. They never raise and never report.
#pragma once

#include <string>
#include <string_view>

namespace kova {

bool isNumeric(std::string_view text);      // every character a digit; true for ""
bool isValidCnpj(std::string_view cnpj);    // 14 digits, not all zeros, check digits right (assumes digits)
bool isValidCpf(std::string_view cpf);      // 11 digits, check digits right (eleven zeros pass)
bool isValidDate(std::string_view yyyymmdd);  // calendar date, every year divisible by 4 is leap
bool isValidUf(std::string_view uf);        // one of the 27 state codes (aligned pairs only)
bool hasOnlyNameCharacters(std::string_view name);    // only A-Z, a-z, 0-9 and blank (byte codes)
bool hasNoLetters(std::string_view name);     // no A-Z or a-z at all
std::string situationName(std::string_view code);  // display label (UTF-8)
std::string yearText(std::string_view year);       // the year text, or "Desconhecido"

}  // namespace kova
