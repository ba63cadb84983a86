#include "core/record_layout.h"

#include <algorithm>
#include <utility>

namespace kova {

void writeField(std::string& record, const Field& field, std::string_view text) {
    if (record.size() < field.last()) record.resize(field.last(), ' ');
    for (std::size_t i = 0; i < field.length; ++i) record[field.first - 1 + i] = i < text.size() ? text[i] : ' ';
}

std::span<const Field> layoutOf(std::string_view recordType) {
    static constexpr std::pair<std::string_view, std::span<const Field>> kLayouts[] = {
        {"1", HeaderField::all}, {"2", ContactField::all}, {"3", EntityField::all},
        {"4", BeneficiaryField::all}, {"5", LevyField::all}, {"T", TrailerField::all}};
    std::span<const Field> fields;
    for (const auto& [type, layout] : kLayouts) fields = type == recordType ? layout : fields;
    return fields;
}

std::span<const Field> fieldsCovering(std::string_view recordType, std::size_t first, std::size_t last) {
    if (first == kWholeRecord.first && last == kWholeRecord.last()) return {&kWholeRecord, 1};
    const std::span<const Field> fields = layoutOf(recordType);
    // The fields are in record order: skip those that end before `first`, keep those that start by `last`.
    const auto begin = std::find_if(fields.begin(), fields.end(), [&](const Field& f) { return f.last() >= first; });
    const auto end = std::find_if(begin, fields.end(), [&](const Field& f) { return f.first > last; });
    return {begin, end};
}

std::string toYearMonthDay(std::string_view ddmmyyyy) {
    const RecordView date(ddmmyyyy);
    std::string out;
    out.reserve(8);
    out += date.field(5, 4);
    out += date.field(3, 2);
    out += date.field(1, 2);
    return out;
}

std::uint64_t amountValue(std::string_view seventeenDigits) {
    // Never overflows nor misreads: a text longer than 19 characters keeps its last 19 (the most 64 bits hold
    // whatever the digits), and a character that is not a digit counts as 0.
    if (seventeenDigits.size() > 19) seventeenDigits.remove_prefix(seventeenDigits.size() - 19);
    std::uint64_t value = 0;
    for (char c : seventeenDigits) {
        value = value * 10 + ((c >= '0' && c <= '9') ? static_cast<std::uint64_t>(c - '0') : 0);
    }
    return value;
}

}  // namespace kova
