// JSON output of kova-cli: one object per line, texts escaped.
#pragma once

#include <string>
#include <string_view>

namespace kova::cli {

// The text as a JSON string literal, quotes included. UTF-8 passes through; quotes, backslashes and control
// characters are escaped, so any text (a record's bytes converted to UTF-8 included) gives valid JSON.
std::string jsonString(std::string_view utf8);

}  // namespace kova::cli
