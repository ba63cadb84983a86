// The seals of the delivery file and the authenticity test of a receipt.
// crc32 is zlib's CRC-32 over the bytes (computed by libdeflate): seed 0 for a fresh checksum, an earlier result
// to continue.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kova {

// The agency's key for receipt authentication: shared with the stand-in transmission program; replace it here only.
std::string_view agencyKey();

std::uint32_t crc32(std::string_view bytes, std::uint32_t seed = 0);

// The part of crc32(bytes, seed) the seed adds, for texts of one length: crc32(bytes, seed) is
// crc32(bytes, 0) ^ shifted(seed) whatever the bytes, so a checksum is continued without going over them again.
class CrcSeedShift {
public:
    explicit CrcSeedShift(std::size_t length);
    std::uint32_t shifted(std::uint32_t seed) const {
        return table_[0][seed & 0xFF] ^ table_[1][(seed >> 8) & 0xFF] ^ table_[2][(seed >> 16) & 0xFF] ^
               table_[3][seed >> 24];
    }

private:
    // The seed's part is linear in its bits: one table per seed byte.
    std::array<std::array<std::uint32_t, 256>, 4> table_{};
};

// The checks of sealed lines of one length (a text followed by the ten-digit seal of the text) with one CRC
// pass over each line: the line's own seal is checked, and the running seal continued, from crc32(line, 0).
class SealedLineCrc {
public:
    explicit SealedLineCrc(std::size_t lineLength);
    std::size_t length() const { return length_; }
    // Whether `line` (of length()) ends with the seal of the rest; lineCrc gets crc32(line, 0) either way.
    bool sealMatches(std::string_view line, std::uint32_t& lineCrc) const;
    // crc32(line, seed) from lineCrc = crc32(line, 0).
    std::uint32_t continued(std::uint32_t lineCrc, std::uint32_t seed) const {
        return lineCrc ^ lineShift_.shifted(seed);
    }

private:
    std::size_t length_;
    CrcSeedShift lineShift_;
    CrcSeedShift sealShift_;
    // crc32 of ten digits is zerosCrc_ ^ the digits' parts: digit d at position i adds digitPart_[i][d].
    std::uint32_t zerosCrc_ = 0;
    std::array<std::array<std::uint32_t, 10>, 10> digitPart_{};
};

// The checksum as exactly ten decimal digits, zero-padded.
std::string sealText(std::uint32_t checksum);

// Seal of a text, seed 0.
std::string sealText(std::string_view text);
// Continues the running checksum with text, stores the new value back, returns its ten-digit text.
std::string accumulateSeal(std::string_view text, std::uint32_t& running);
// Continues from a seed given as decimal text (a value above 2147483647 is the same 32 bits).
std::string continueSeal(std::string_view text, std::string_view seedText);

// 1 when the authentication code is the agency's for this CNPJ, detail seal and reception time; 0 otherwise.
// The code is the first 10 characters, upper-case hexadecimal, of HMAC-SHA256 under the agency key over
// CNPJ + detail seal + DDMMYYYYhhmmss of reception.
int authenticateReceipt(std::string_view code, std::string_view cnpj, std::string_view detailSeal, int day, int month, int year,
        int hour, int minute, int second);
// The code authenticateReceipt accepts (the agency's side; used by the stand-in transmission program and tests).
std::string authenticationCode(std::string_view cnpj, std::string_view detailSeal, int day, int month, int year,
                               int hour, int minute, int second);

}  // namespace kova
