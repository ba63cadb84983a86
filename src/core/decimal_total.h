// Exact sums of 17-digit amounts (hundredths) that cannot overflow whatever the number of records.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kova {

class DecimalTotal {
public:
    void clear();
    void add(std::uint64_t hundredths);
    // Adds the value of a digits-only text (up to 18 digits); the caller checks isNumeric first.
    void addDigits(std::string_view digits);
    bool isZero() const;
    // The total as decimal digits, zero-padded on the left to `width` (never cut: a wider total keeps all digits).
    std::string toDigits(std::size_t width = 40) const;
    bool operator==(const DecimalTotal& other) const;

private:
    // Little-endian limbs of base 10^18.
    static constexpr std::size_t kLimbs = 4;
    std::uint64_t limbs_[kLimbs] = {0, 0, 0, 0};
};

}  // namespace kova
