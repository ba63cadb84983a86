#include "delivery/seals.h"

#include <libdeflate.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <array>
#include <bit>
#include <cstdio>

namespace kova {

std::string_view agencyKey() {
    // Replace this one constant to change the key of the agency's counterpart.
    static constexpr std::string_view key = "KOVA-QOT-RECIBO-2007-CHAVE-DE-AUTENTICACAO";
    return key;
}

std::uint32_t crc32(std::string_view bytes, std::uint32_t seed) {
    // libdeflate computes zlib's CRC-32, several times faster, and takes a size_t length.
    return libdeflate_crc32(seed, bytes.data(), bytes.size());
}

CrcSeedShift::CrcSeedShift(std::size_t length) {
    // The seed's part, linear in its bits, is read off zero bytes of the length; a seed byte's part is the sum
    // of its bits' parts.
    const std::string zeros(length, '\0');
    const std::uint32_t base = crc32(zeros, 0);
    for (int byte = 0; byte < 4; ++byte) {
        std::array<std::uint32_t, 8> bit{};
        for (int b = 0; b < 8; ++b) bit[b] = crc32(zeros, std::uint32_t{1} << (8 * byte + b)) ^ base;
        for (unsigned value = 1; value < 256; ++value)
            table_[byte][value] = table_[byte][value & (value - 1)] ^ bit[std::countr_zero(value)];
    }
}

namespace {
constexpr std::size_t kSealDigits = 10;
}  // namespace

SealedLineCrc::SealedLineCrc(std::size_t lineLength)
    : length_(lineLength), lineShift_(lineLength), sealShift_(kSealDigits) {
    // For texts of one length, crc32(text, 0) changes by the same amount whenever one byte changes by the same
    // bits in the same place, so each digit's part is read off a text of zeros with that digit in place.
    std::string digits(kSealDigits, '0');
    zerosCrc_ = crc32(digits, 0);
    for (std::size_t i = 0; i < kSealDigits; ++i) {
        for (int d = 0; d < 10; ++d) {
            digits[i] = static_cast<char>('0' + d);
            digitPart_[i][d] = crc32(digits, 0) ^ zerosCrc_;
        }
        digits[i] = '0';
    }
}

bool SealedLineCrc::sealMatches(std::string_view line, std::uint32_t& lineCrc) const {
    lineCrc = crc32(line, 0);
    if (line.size() != length_ || length_ < kSealDigits) return false;
    // crc32(line, 0) = crc32(seal, crc32(text, 0)): with the stored value in place of crc32(text, 0), the two
    // agree exactly when the stored value is the text's checksum.
    const std::string_view seal = line.substr(length_ - kSealDigits);
    std::uint64_t stored = 0;
    std::uint32_t sealCrc = zerosCrc_;
    for (std::size_t i = 0; i < kSealDigits; ++i) {
        const unsigned d = static_cast<unsigned char>(seal[i]) - '0';
        if (d > 9) return false;
        stored = stored * 10 + d;
        sealCrc ^= digitPart_[i][d];
    }
    return stored <= 0xFFFFFFFFu && lineCrc == (sealCrc ^ sealShift_.shifted(static_cast<std::uint32_t>(stored)));
}

std::string sealText(std::uint32_t checksum) {
    // Written by hand: it runs twice for every record of a delivery file.
    std::string text(10, '0');
    for (std::size_t i = 10; i-- > 0 && checksum != 0; checksum /= 10) text[i] = static_cast<char>('0' + checksum % 10);
    return text;
}

std::string sealText(std::string_view text) {
    return sealText(crc32(text, 0));
}

std::string accumulateSeal(std::string_view text, std::uint32_t& running) {
    running = crc32(text, running);
    return sealText(running);
}

namespace {

// The seed text as 32 bits: a decimal number taken modulo 2^32 (a value above 2147483647 is the same bits as
// its negative counterpart). Anything that is not a plain decimal number seeds with 0, as an empty text does.
std::uint32_t seedFromText(std::string_view seedText) {
    std::uint64_t value = 0;
    for (char c : seedText) {
        if (c < '0' || c > '9') return 0;
        value = (value * 10 + static_cast<unsigned>(c - '0')) & 0xFFFFFFFFull;
    }
    return static_cast<std::uint32_t>(value);
}

std::string receptionMessage(std::string_view cnpj, std::string_view detailSeal, int day, int month, int year, int hour,
                             int minute, int second) {
    char when[32];
    std::snprintf(when, sizeof when, "%02d%02d%04d%02d%02d%02d", day, month, year, hour, minute, second);
    std::string message;
    message.reserve(cnpj.size() + detailSeal.size() + 14);
    message.append(cnpj).append(detailSeal).append(when);
    return message;
}

}  // namespace

std::string continueSeal(std::string_view text, std::string_view seedText) {
    return sealText(crc32(text, seedFromText(seedText)));
}

std::string authenticationCode(std::string_view cnpj, std::string_view detailSeal, int day, int month, int year,
                               int hour, int minute, int second) {
    const std::string message = receptionMessage(cnpj, detailSeal, day, month, year, hour, minute, second);
    const std::string_view key = agencyKey();
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (!HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
              reinterpret_cast<const unsigned char*>(message.data()), message.size(), digest.data(), &length))
        return {};
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string code;
    for (unsigned int i = 0; i < length && code.size() < 10; ++i) {
        code.push_back(hex[digest[i] >> 4]);
        code.push_back(hex[digest[i] & 0x0F]);
    }
    code.resize(10);
    return code;
}

int authenticateReceipt(std::string_view code, std::string_view cnpj, std::string_view detailSeal, int day, int month, int year,
        int hour, int minute, int second) {
    if (code.size() != 10) return 0;
    const std::string expected = authenticationCode(cnpj, detailSeal, day, month, year, hour, minute, second);
    if (expected.size() != 10) return 0;
    return CRYPTO_memcmp(expected.data(), code.data(), 10) == 0 ? 1 : 0;
}

}  // namespace kova
