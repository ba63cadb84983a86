// Reads CSV as a spreadsheet set up for Brazil does: ";" between cells, cells in double quotes with doubled quotes
// inside, CR LF between lines.
#pragma once

#include <string>
#include <vector>

namespace kova::testing_support {

inline std::vector<std::vector<std::string>> readCsv(const std::string& text) {
    std::vector<std::vector<std::string>> lines(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
            lines.back().back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == ';') {
            lines.back().emplace_back();
        } else if (!quoted && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            lines.emplace_back(1);
            ++i;
        } else {
            lines.back().back() += c;
        }
    }
    if (lines.back() == std::vector<std::string>(1)) lines.pop_back();
    return lines;
}

}  // namespace kova::testing_support
