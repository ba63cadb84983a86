#include "core/text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

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

}  // namespace

std::string cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    appendCp1252AsUtf8(out, bytes);
    return out;
}

bool isAscii(std::string_view bytes) {
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        if (word & 0x8080808080808080ull) return false;
    }
    for (; i < bytes.size(); ++i)
        if (static_cast<unsigned char>(bytes[i]) >= 0x80) return false;
    return true;
}

std::string_view cp1252AsUtf8(std::string_view bytes, std::string& buffer) {
    if (isAscii(bytes)) return bytes;
    buffer.clear();
    appendCp1252AsUtf8(buffer, bytes);
    return buffer;
}

void appendCp1252AsUtf8(std::string& out, std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        // Runs of ASCII are the same bytes in both.
        std::size_t ascii = i;
        while (ascii < bytes.size() && static_cast<unsigned char>(bytes[ascii]) < 0x80) ++ascii;
        out.append(bytes.substr(i, ascii - i));
        if (ascii == bytes.size()) break;
        const auto b = static_cast<unsigned char>(bytes[ascii]);
        appendUtf8(out, b <= 0x9F ? kHighControls[b - 0x80] : char32_t{b});
        i = ascii + 1;
    }
}

bool isControlByte(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F || (byte >= 0x80 && byte <= 0x9F && kHighControls[byte - 0x80] == byte);
}

std::string visibleText(std::string_view bytes) {
    std::string converted;
    return printable(cp1252AsUtf8(bytes, converted));
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
    std::string out;
    out.reserve(mask.size() + text.size());
    appendMasked(out, mask, text);
    return out;
}

void appendMasked(std::string& out, std::string_view mask, std::string_view text) {
    const auto placeholders = static_cast<std::size_t>(std::count(mask.begin(), mask.end(), '@'));
    const bool ascii = isAscii(text);
    if (ascii && text.size() == placeholders) {
        // The usual case, a field of the mask's length: its bytes go into the placeholders in order.
        const std::size_t at = out.size();
        out.resize(at + mask.size());
        char* o = out.data() + at;
        std::size_t i = 0;
        for (char m : mask) *o++ = m == '@' ? text[i++] : m;
        return;
    }
    // Characters as decodeUtf8 splits them (a malformed byte is a character of its own); in ASCII, bytes.
    const auto skipCharacter = [&](std::size_t& i) {
        if (ascii)
            ++i;
        else
            decodeUtf8(text, i);
    };
    std::size_t characters = ascii ? text.size() : 0;
    for (std::size_t i = 0; !ascii && i < text.size(); ++characters) skipCharacter(i);
    // The text fills the last placeholders; what does not fit goes in front, what is left over is blank.
    std::size_t blanks = placeholders > characters ? placeholders - characters : 0;
    std::size_t i = 0;
    for (std::size_t k = placeholders; k < characters; ++k) skipCharacter(i);
    std::size_t at = out.size();
    out.resize(at + text.size() + (mask.size() - placeholders) + blanks);
    char* o = out.data() + at;
    for (std::size_t k = 0; k < i; ++k) *o++ = text[k];
    for (char m : mask) {
        if (m != '@') {
            *o++ = m;
        } else if (blanks > 0) {
            *o++ = ' ';
            --blanks;
        } else {
            std::size_t from = i;
            skipCharacter(i);
            while (from < i) *o++ = text[from++];
        }
    }
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

namespace {

// Whether one of the eight bytes at `p` may need escaping: below 0x20, 0x7F, or 0xC2 (the lead byte of U+0080 to
// U+009F). A yes only sends those bytes through the exact test.
bool mayNeedEscape(const char* p) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    const auto hasZeroByte = [](std::uint64_t x) { return ((x - kOnes) & ~x & kHighs) != 0; };
    const bool below0x20 = ((w - kOnes * 0x20) & ~w & kHighs) != 0;
    return below0x20 || hasZeroByte(w ^ (kOnes * 0x7F)) || hasZeroByte(w ^ (kOnes * 0xC2));
}

}  // namespace

void appendPrintable(std::string_view utf8, std::string& out, bool keepLineFeeds) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto escape = [&out](unsigned value) {
        out += "\\x";
        out += kHex[value >> 4];
        out += kHex[value & 15];
    };
    // Runs of plain bytes go out whole, skipped eight at a time: printed documents pass millions of lines
    // through here.
    std::size_t plainFrom = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (i + 8 <= utf8.size() && !mayNeedEscape(utf8.data() + i)) {
            i += 7;
            continue;
        }
        const auto byte = static_cast<unsigned char>(utf8[i]);
        const bool control = (byte < 0x20 && !(keepLineFeeds && byte == '\n')) || byte == 0x7F;
        const bool c1 = byte == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(utf8[i + 1]) <= 0x9F;  // U+0080..U+009F
        if (!control && !c1) continue;
        out.append(utf8.substr(plainFrom, i - plainFrom));
        if (c1) ++i;
        escape(static_cast<unsigned char>(utf8[i]));
        plainFrom = i + 1;
    }
    out.append(utf8.substr(plainFrom));
}

std::string printable(std::string_view utf8, bool keepLineFeeds) {
    std::string out;
    out.reserve(utf8.size());
    appendPrintable(utf8, out, keepLineFeeds);
    return out;
}

}  // namespace kova
