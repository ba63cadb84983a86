// The naming rule of a stored declaration, shared by the import (its folder under GERADA) and the delivery
// file (whose name also keys the header seal).
#pragma once

#include <string>
#include <string_view>

namespace kova {

// "RETIF" for the rectifying type "1", "ORIGI" otherwise.
std::string declarationTypeWord(std::string_view type);

// <CNPJ>-KOVALDF-<year>-<ORIGI|RETIF>-<situation>, from header record bytes. Bytes other than ASCII letters and
// digits become "_", so that no header (it is read before any check) can make a name that leaves its folder or
// is not a plain file name.
std::string declarationBaseName(std::string_view cnpj, std::string_view year, std::string_view type,
                                std::string_view situation);

// The delivery file name: the base name + ".DEC" (40 characters when the fields are complete).
std::string deliveryFileName(std::string_view cnpj, std::string_view year, std::string_view type,
                             std::string_view situation);

}  // namespace kova
