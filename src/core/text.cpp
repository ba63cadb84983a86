#include "core/text.h"

#include <vector>

namespace kova {

namespace {

// Code points of bytes 0x80-0x9F; the rest of the code page equals Latin-1.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

constexpr char32_t kInvalid = 0xFFFFFFFF;

// Decodes one code point at text[i], advancing i; a malformed sequence consumes one byte and gives kInvalid.
char32_t decodeUtf8(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t extra;
    char32_t cp;
    char32_t minimum;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1, cp = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2, cp = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3, cp = lead & 0x07, minimum = 0x10000;
    } else {
        ++i;
        return kInvalid;
    }
    if (text.size() - i <= extra) {
        ++i;
        return kInvalid;
    }
    for (std::size_t k = 1; k <= extra; ++k) {
        const auto c = static_cast<unsigned char>(text[i + k]);
        if ((c & 0xC0) != 0x80) {
            ++i;
            return kInvalid;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kInvalid;
    }
    i += extra + 1;
    return cp;
}

char toCp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (int k = 0; k < 32; ++k)
        if (kHighControls[k] == cp) return static_cast<char>(0x80 + k);
    return '?';
}

// Splits a text into characters: a UTF-8 lead byte with its continuation bytes is one character; a stray byte
// (for example a single-byte accented letter) is one character of its own.
std::vector<std::string_view> characters(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t start = i;
        decodeUtf8(text, i);
        out.push_back(text.substr(start, i - start));
    }
    return out;
}

}  // namespace

std::string cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        appendUtf8(out, (b >= 0x80 && b <= 0x9F) ? kHighControls[b - 0x80] : char32_t{b});
    }
    return out;
}

std::string utf8ToCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const char32_t cp = decodeUtf8(utf8, i);
        out += cp == kInvalid ? '?' : toCp1252(cp);
    }
    return out;
}

std::string applyMask(std::string_view mask, std::string_view text) {
    const std::vector<std::string_view> chars = characters(text);
    std::size_t remaining = chars.size();
    // Built right to left as pieces, then joined in order.
    std::vector<std::string_view> pieces;
    pieces.reserve(mask.size() + chars.size());
    for (std::size_t m = mask.size(); m-- > 0;) {
        if (mask[m] != '@') {
            pieces.push_back(mask.substr(m, 1));
        } else if (remaining > 0) {
            pieces.push_back(chars[--remaining]);
        } else {
            pieces.push_back(" ");
        }
    }
    std::string out;
    out.reserve(mask.size() + text.size());
    for (std::size_t k = 0; k < remaining; ++k) out += chars[k];
    for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) out += *it;
    return out;
}

std::string formatThousands(std::int64_t value) {
    // Unsigned magnitude so that the most negative value needs no special case.
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string reversed;
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0) reversed += '.';
        reversed += static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
        ++digits;
    } while (magnitude > 0);
    if (value < 0) reversed += '-';
    return std::string(reversed.rbegin(), reversed.rend());
}

std::string_view trimLeftBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

std::string_view trimRightBlanks(std::string_view text) {
    const std::size_t last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

std::string_view trimBlanks(std::string_view text) { return trimRightBlanks(trimLeftBlanks(text)); }

char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && equalIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace kova
