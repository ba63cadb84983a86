// Number and text forms of the printed documents (Brazilian separators: "." groups thousands, "," decimals).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kova::print {

// The program's version as the documents print it.
int versionMajor();
int versionMinor();

// "000", "00000"...: at least `digits` digits, leading zeros, never cut.
std::string zeroPadded(std::int64_t value, int digits);
// "###,000": at least three digits, thousands grouped (7 → "007", 1234 → "1.234").
std::string pageNumberGrouped(std::int64_t value);
// "###,##0.00" of an amount given as digits with two implied decimals ("0000123456" → "1.234,56").
// Throws kova::Fault 13 when the text holds anything but digits (or nothing).
std::string amountFromDigits(std::string_view digits);
// The same, appended to `out` (a loop that reuses one buffer allocates nothing once it has grown); on Fault 13
// `out` is left as it was.
void appendAmountFromDigits(std::string& out, std::string_view digits);
// A whole number read from text with optional surrounding blanks; Fault 13 (type mismatch) otherwise.
std::int64_t wholeNumber(std::string_view text);

// The text laid from the right into `width` cells (the mask "@@@...@"): blanks on the left, never cut.
std::string rightAligned(std::string_view utf8, int width);
void appendRightAligned(std::string& out, std::string_view utf8, int width);
// Exactly `width` characters: cut or padded with blanks on the right.
std::string fitted(std::string_view utf8, int width);
// Makes what `out` holds from byte `from` on exactly `width` characters, as fitted does.
void fitFrom(std::string& out, std::size_t from, int width);
// The first n characters (code points).
std::string leftChars(std::string_view utf8, int n);
std::string_view leadingChars(std::string_view utf8, int n);
// Everything after the first n characters.
std::string dropChars(std::string_view utf8, int n);

// (width - length) / 2 rounded to the nearest whole number, halves to the even number; never below 0.
int centringOffset(int width, int length);
// centred: the trimmed text preceded by its centring blanks; an empty text gives `width` blanks.
std::string centred(std::string_view utf8, std::int16_t width);

}  // namespace kova::print
