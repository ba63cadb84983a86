// The Portuguese text of every error code the checks record (table TABERRO of the work database), and a hint
// saying how to put the file right.
#pragma once

#include <span>
#include <string_view>

namespace kova {

struct ErrorText {
    int code;
    std::string_view description;
    std::string_view hint;  // the rule broken and what to change in the file; shown beside the error, never stored
};

// All texts, in ascending code order. The first 30 characters of each carry its meaning: the pending list
// cuts there when a complement follows.
std::span<const ErrorText> errorTexts();

// The entry of one code; nullptr when the code has none.
const ErrorText* findErrorText(int code);
// The text and the hint of one code; empty when the code has none.
std::string_view errorText(int code);
std::string_view errorHint(int code);

}  // namespace kova
