#include "print/print_format.h"

#include "core/faults.h"
#include "core/text.h"
#include "print/printer.h"

#ifndef KOVA_VERSION_MAJOR
#define KOVA_VERSION_MAJOR 3
#endif
#ifndef KOVA_VERSION_MINOR
#define KOVA_VERSION_MINOR 0
#endif

namespace kova::print {

namespace {
// Byte offset of the n-th character (code point) of a UTF-8 text, or its size.
std::size_t byteOffsetOfChar(std::string_view utf8, int n) {
    std::size_t i = 0;
    for (int k = 0; k < n && i < utf8.size(); ++k) {
        ++i;
        while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) ++i;
    }
    return i;
}

}  // namespace

int versionMajor() { return KOVA_VERSION_MAJOR; }
int versionMinor() { return KOVA_VERSION_MINOR; }

std::string zeroPadded(std::int64_t value, int digits) {
    std::string s = std::to_string(value < 0 ? -value : value);
    if (static_cast<int>(s.size()) < digits) s.insert(0, static_cast<std::size_t>(digits) - s.size(), '0');
    return value < 0 ? "-" + s : s;
}

std::string pageNumberGrouped(std::int64_t value) {
    return value >= 0 && value < 1000 ? zeroPadded(value, 3) : formatThousands(value);
}

std::string amountFromDigits(std::string_view digits) {
    std::string out;
    appendAmountFromDigits(out, digits);
    return out;
}

void appendAmountFromDigits(std::string& out, std::string_view digits) {
    if (digits.empty()) throw Fault(13);
    for (char c : digits)
        if (static_cast<unsigned char>(c - '0') > 9) throw Fault(13);
    // Whole part without its leading zeros ("0" when nothing is left), grouped by threes, then "," and the cents.
    const std::string_view cents = digits.size() >= 2 ? digits.substr(digits.size() - 2) : digits;
    std::string_view whole = digits.substr(0, digits.size() - cents.size());
    while (!whole.empty() && whole.front() == '0') whole.remove_prefix(1);
    if (whole.empty()) whole = "0";
    const std::size_t n = whole.size();
    std::size_t at = out.size();
    out.resize(at + n + (n - 1) / 3 + 3);
    for (std::size_t i = 0, untilDot = (n - 1) % 3; i < n; ++i) {
        out[at++] = whole[i];
        if (untilDot-- == 0 && i + 1 < n) {
            out[at++] = '.';
            untilDot = 2;
        }
    }
    out[at++] = ',';
    if (cents.size() < 2) out[at++] = '0';
    for (char c : cents) out[at++] = c;
}

std::int64_t wholeNumber(std::string_view text) {
    const std::string_view t = trimBlanks(text);
    // More than 18 digits would overflow: the conversion fails as an overflow would.
    if (t.empty() || t.size() > 18) throw Fault(t.empty() ? 13 : 6);
    std::int64_t v = 0;
    for (char c : t) {
        if (c < '0' || c > '9') throw Fault(13);
        v = v * 10 + (c - '0');
    }
    return v;
}

std::string rightAligned(std::string_view utf8, int width) {
    std::string out;
    appendRightAligned(out, utf8, width);
    return out;
}

void appendRightAligned(std::string& out, std::string_view utf8, int width) {
    const int blanks = width - columnWidth(utf8);
    if (blanks > 0) out.append(static_cast<std::size_t>(blanks), ' ');
    out += utf8;
}

std::string leftChars(std::string_view utf8, int n) { return std::string(leadingChars(utf8, n)); }

std::string_view leadingChars(std::string_view utf8, int n) { return utf8.substr(0, byteOffsetOfChar(utf8, n)); }

std::string dropChars(std::string_view utf8, int n) { return std::string(utf8.substr(byteOffsetOfChar(utf8, n))); }

std::string fitted(std::string_view utf8, int width) {
    std::string out(utf8);
    fitFrom(out, 0, width);
    return out;
}

void fitFrom(std::string& out, std::size_t from, int width) {
    const std::string_view part = std::string_view(out).substr(from);
    const std::size_t kept = byteOffsetOfChar(part, width);
    const int have = columnWidth(part.substr(0, kept));
    out.resize(from + kept);
    if (have < width) out.append(static_cast<std::size_t>(width - have), ' ');
}

int centringOffset(int width, int length) {
    const int twice = width - length;
    if (twice <= 0) return 0;
    // twice / 2 with halves to even: an odd difference is k + 0.5, rounded to whichever of k, k + 1 is even.
    const int k = twice / 2;
    if (twice % 2 == 0) return k;
    return k % 2 == 0 ? k : k + 1;
}

std::string centred(std::string_view utf8, std::int16_t width) {
    const std::string_view text = trimBlanks(utf8);
    if (text.empty()) return std::string(static_cast<std::size_t>(width > 0 ? width : 0), ' ');
    return std::string(static_cast<std::size_t>(centringOffset(width, columnWidth(text))), ' ') + std::string(text);
}

}  // namespace kova::print
