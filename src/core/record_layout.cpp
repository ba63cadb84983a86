#include "core/record_layout.h"

namespace kova {

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
