// The Portuguese text of every error code the checks record (table TABERRO of the work database).
#pragma once

#include <span>
#include <string_view>

namespace kova {

struct ErrorText {
    int code;
    std::string_view description;
};

// All texts, in ascending code order. The first 30 characters of each carry its meaning: the pending list
// cuts there when a complement follows.
std::span<const ErrorText> errorTexts();

// The text of one code; empty when the code has none.
std::string_view errorText(int code);

}  // namespace kova
