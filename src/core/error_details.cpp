#include "core/error_details.h"

#include "core/record_layout.h"

namespace kova {

std::optional<std::size_t> columnNumber(std::string_view column) {
    if (column.empty() || column.size() > 4) return std::nullopt;
    std::size_t value = 0;
    for (char c : column) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::size_t>(c - '0');
    }
    return value;
}

std::string errorFieldLabel(std::string_view recordType, std::string_view firstColumn, std::string_view lastColumn) {
    const auto first = columnNumber(firstColumn);
    const auto last = columnNumber(lastColumn);
    if (!first || !last || *first == 0 || *first > *last) return {};
    std::string label;
    for (const Field& field : fieldsCovering(recordType, *first, *last)) {
        if (!label.empty()) label += " / ";
        label += field.label;
    }
    return label;
}

std::string errorMessage(const ErrorListing& row) {
    if (row.complement.empty()) return row.description;
    // A text that ends in the middle of a sentence ("... 31/12/") is completed by its complement directly.
    const bool sentenceEnded = !row.description.empty() && row.description.back() == '.';
    return row.description + (sentenceEnded ? " " : "") + row.complement;
}

}  // namespace kova
