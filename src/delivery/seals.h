// The seals of the delivery file and the authenticity test of a receipt.
// crc32 is zlib's CRC-32 over the bytes: seed 0 for a fresh checksum, an earlier result to continue.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kova {

// The agency's key for receipt authentication: shared with the stand-in transmission program; replace it here only.
std::string_view agencyKey();

std::uint32_t crc32(std::string_view bytes, std::uint32_t seed = 0);

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
