// Text helpers at the boundary between the declaration's single-byte bytes (Windows-1252) and the UTF-8 shown to
// people or stored in the work database, plus the display forms shared by screens and printed documents.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kova {

// Windows-1252 bytes → UTF-8. Every byte maps to one code point; the five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control code points of the same value, so the
// conversion can always be reversed.
std::string cp1252ToUtf8(std::string_view bytes);
// The same, appended to `out` (loops that reuse one buffer allocate nothing once it has grown).
void appendCp1252AsUtf8(std::string& out, std::string_view bytes);
// The bytes as UTF-8: themselves when they are all ASCII (the same in both), else converted into `buffer`.
std::string_view cp1252AsUtf8(std::string_view bytes, std::string& buffer);
bool isAscii(std::string_view bytes);

// A byte with no printable character in the code page: the C0 controls, DEL and the five undefined bytes.
bool isControlByte(unsigned char byte);
// Record bytes as people may safely see them: Windows-1252 converted to UTF-8, every control byte written as
// "\xNN" (two upper-case hexadecimal digits), so that a value never breaks a line, a list or a cell.
std::string visibleText(std::string_view bytes);

// UTF-8 → Windows-1252. A code point with no single-byte form, or a malformed sequence, becomes '?'.
std::string utf8ToCp1252(std::string_view utf8);

// Display masks: each '@' takes one character (a UTF-8 code point) of `text`, filled from the right. When the
// text is shorter than the number of '@', the leftmost placeholders become blanks; when it is longer, the extra
// leading characters are kept in front. Any other mask character is copied as it stands.
std::string applyMask(std::string_view mask, std::string_view text);
// The same, appended to `out`.
void appendMasked(std::string& out, std::string_view mask, std::string_view text);

inline constexpr std::string_view kCnpjMask = "@@.@@@.@@@/@@@@-@@";
inline constexpr std::string_view kCpfMask = "@@@.@@@.@@@-@@";
inline constexpr std::string_view kMaskRecibo = "@@.@@.@@.@@.@@-@@";

// Brazilian grouping "###,##0": 1234567 → "1.234.567", 0 → "0", -1234 → "-1.234".
std::string formatThousands(std::int64_t value);

// Blanks (byte 32) removed at the ends.
std::string_view trimBlanks(std::string_view text);
std::string_view trimLeftBlanks(std::string_view text);
std::string_view trimRightBlanks(std::string_view text);

// A UTF-8 text made safe for a terminal or a text file: control characters (C0, DEL and C1, which a forged file
// may carry into names and fields) become "\xNN"; everything else is kept, and line feeds too when asked.
void appendPrintable(std::string_view utf8, std::string& out, bool keepLineFeeds = false);
std::string printable(std::string_view utf8, bool keepLineFeeds = false);

// ASCII letters only change case: file names and profile keys are matched this way, never record bytes.
char upperAscii(char c);
char lowerAscii(char c);
bool equalIgnoringCase(std::string_view a, std::string_view b);
bool endsWithIgnoringCase(std::string_view text, std::string_view suffix);

}  // namespace kova
