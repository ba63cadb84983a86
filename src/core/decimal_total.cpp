#include "core/decimal_total.h"

#include <algorithm>

namespace kova {

namespace {
constexpr std::uint64_t kBase = 1'000'000'000'000'000'000ULL;  // 10^18
constexpr std::size_t kLimbDigits = 18;

// Adds a value below 10^18 at limb `index`, carrying upwards. Limb sums stay below 2 * 10^18: no wrap.
template <std::size_t N>
void addToLimb(std::uint64_t (&limbs)[N], std::size_t index, std::uint64_t value) {
    for (std::size_t i = index; i < N && value != 0; ++i) {
        const std::uint64_t sum = limbs[i] + value;
        value = sum >= kBase ? 1 : 0;
        limbs[i] = sum >= kBase ? sum - kBase : sum;
    }
}
}  // namespace

void DecimalTotal::clear() { std::fill(std::begin(limbs_), std::end(limbs_), 0); }

void DecimalTotal::add(std::uint64_t hundredths) {
    // A 64-bit value may exceed one limb (up to about 1.8 * 10^19): split it first.
    addToLimb(limbs_, 0, hundredths % kBase);
    addToLimb(limbs_, 1, hundredths / kBase);
}

void DecimalTotal::addDigits(std::string_view digits) {
    // Read as a whole number in chunks of 18 digits from the right, each added at its own limb. A character that
    // is not a digit counts as 0 (the caller has checked isNumeric; this only keeps bad input harmless).
    std::size_t end = digits.size();
    for (std::size_t limb = 0; limb < kLimbs && end > 0; ++limb) {
        const std::size_t start = end > kLimbDigits ? end - kLimbDigits : 0;
        std::uint64_t chunk = 0;
        for (std::size_t i = start; i < end; ++i) {
            const char c = digits[i];
            chunk = chunk * 10 + ((c >= '0' && c <= '9') ? static_cast<std::uint64_t>(c - '0') : 0);
        }
        addToLimb(limbs_, limb, chunk);
        end = start;
    }
}

bool DecimalTotal::isZero() const {
    return std::all_of(std::begin(limbs_), std::end(limbs_), [](std::uint64_t l) { return l == 0; });
}

std::string DecimalTotal::toDigits(std::size_t width) const {
    std::string all;
    all.reserve(kLimbs * kLimbDigits);
    for (std::size_t i = kLimbs; i-- > 0;) {
        const std::string limb = std::to_string(limbs_[i]);
        all.append(kLimbDigits - limb.size(), '0');
        all += limb;
    }
    const std::size_t firstSignificant = std::min(all.find_first_not_of('0'), all.size() - 1);
    std::string digits = all.substr(firstSignificant);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return digits;
}

bool DecimalTotal::operator==(const DecimalTotal& other) const {
    return std::equal(std::begin(limbs_), std::end(limbs_), std::begin(other.limbs_));
}

}  // namespace kova
