#include "delivery/seals.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <zlib.h>

#include <array>
#include <climits>
#include <cstdio>

namespace kova {

std::string_view agencyKey() {
    // Replace this one constant to change the key of the agency's counterpart.
    static constexpr std::string_view key = "KOVA-QOT-RECIBO-2007-CHAVE-DE-AUTENTICACAO";
    return key;
}

std::uint32_t crc32(std::string_view bytes, std::uint32_t seed) {
    uLong crc = seed;
    const auto* data = reinterpret_cast<const Bytef*>(bytes.data());
    std::size_t left = bytes.size();
    // zlib takes a uInt length; feed huge texts in slices so nothing is truncated.
    while (left > 0) {
        const uInt slice = left > UINT_MAX ? UINT_MAX : static_cast<uInt>(left);
        crc = ::crc32(crc, data, slice);
        data += slice;
        left -= slice;
    }
    return static_cast<std::uint32_t>(crc);
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
