#include "support/declaration_builder.h"

#include <sstream>

namespace kova::fixtures {

namespace {

// Modulus 11 check digit: weights 2, 3, 4... from the right, starting again at 2 after `maxWeight`.
char mod11Digit(std::string_view digits, int maxWeight) {
    int sum = 0;
    for (std::size_t i = 0; i < digits.size(); ++i)
        sum += (digits[digits.size() - 1 - i] - '0') * (2 + static_cast<int>(i) % (maxWeight - 1));
    const int r = sum % 11;
    return static_cast<char>('0' + (r < 2 ? 0 : 11 - r));
}

std::string numberedName(std::string_view prefix, std::size_t n) {
    return std::string(prefix) + " " + std::to_string(n + 1);
}

// A date as the records write it: DDMMYYYY.
std::string ddmmyyyy(int day, int month, int year) {
    return zeroPadded(static_cast<std::uint64_t>(day), 2) + zeroPadded(static_cast<std::uint64_t>(month), 2) +
           zeroPadded(static_cast<std::uint64_t>(year), 4);
}

}  // namespace

std::string makeCnpj(std::uint64_t first12) {
    std::string cnpj = zeroPadded(first12 % 1'000'000'000'000ULL, 12);
    cnpj += mod11Digit(cnpj, 9);
    cnpj += mod11Digit(cnpj, 9);
    return cnpj;
}

std::string makeCpf(std::uint64_t first9) {
    std::string cpf = zeroPadded(first9 % 1'000'000'000ULL, 9);
    cpf += mod11Digit(cpf, 11);
    cpf += mod11Digit(cpf, 11);
    return cpf;
}

// Roots (first 8 digits) from 10000000 upwards, branch 0001: ascending, distinct, never zero.
std::string nthCnpj(std::size_t n) { return makeCnpj((10'000'000ULL + n) * 10'000 + 1); }

std::string nthCpf(std::size_t n) { return makeCpf(100'000'000ULL + n); }

std::string declarantCnpj() { return makeCnpj(987'654'320'001ULL); }

std::string zeroPadded(std::uint64_t value, std::size_t width) {
    std::string digits = std::to_string(value);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return digits;
}

HeaderBuilder::HeaderBuilder(int year) {
    const std::string ano = zeroPadded(static_cast<std::uint64_t>(year), F::year.length);
    sequence("00000001").recordType("1").cnpj(declarantCnpj()).year(ano);
    periodStart(ddmmyyyy(1, 1, year)).periodEnd(ddmmyyyy(31, 12, year));
    type("0").situation("00").eventDate("00000000").uf("SP");
    name("EMPRESA DECLARANTE EXEMPLO 1 LTDA").fileTag("KOVALDF");
}

ContactBuilder::ContactBuilder() {
    sequence("00000002").recordType("2");
    representativeCpf(makeCpf(123'456'789)).representativeAreaCode("0011").representativePhone("987654321");
    representativeExtension("00000");
    responsibleCpf(makeCpf(987'654'321)).responsibleAreaCode("0021").responsiblePhone("034567890");
    responsibleExtension("01234");
}

EntityBuilder EntityBuilder::make(std::size_t line, std::string_view recordType, std::string_view type,
                                  std::string_view namePrefix, std::size_t n) {
    EntityBuilder b;
    b.sequence(line).recordType(recordType).type(type).name(numberedName(namePrefix, n));
    if (type == "F") return std::move(b.cpfPrefix("000").cpf(nthCpf(n)));
    return std::move(b.cnpj(nthCnpj(n)));
}

EntityBuilder EntityBuilder::type3(std::size_t line, std::size_t n) {
    return make(line, "3", "J", "ENTIDADE BENEFICENTE", n);
}

EntityBuilder EntityBuilder::type4J(std::size_t line, std::size_t n) {
    return make(line, "4", "J", "BENEFICIARIO PESSOA JURIDICA", n);
}

EntityBuilder EntityBuilder::type4F(std::size_t line, std::size_t n) {
    return make(line, "4", "F", "BENEFICIARIO PESSOA FISICA", n);
}

LevyBuilder::LevyBuilder(std::size_t line, std::size_t k, int year) {
    sequence(line).recordType("5").cnpj(nthCnpj(k / 12));
    dueDate(ddmmyyyy(10, static_cast<int>(k % 12) + 1, year));
    baseAmount(levyBase(k)).levyAmount(levyKova(k));
}

std::uint64_t LevyBuilder::levyBase(std::size_t k) { return 1'000'000ULL + 12'345ULL * k; }

std::uint64_t LevyBuilder::levyKova(std::size_t k) { return levyBase(k) * 38 / 10'000; }

TrailerBuilder::TrailerBuilder(int year) {
    recordType("T").filler(std::string(F::filler.length, '9'))
        .year(zeroPadded(static_cast<std::uint64_t>(year), F::year.length));
}

DeclarationBuilder::DeclarationBuilder(int year) : year_(year), header_(year) {}

DeclarationBuilder& DeclarationBuilder::replaceRecord(std::size_t line, std::string bytes) {
    replaced_[line] = std::move(bytes);
    return *this;
}

DeclarationBuilder& DeclarationBuilder::withoutFinalCrLf(bool on) {
    finalCrLf_ = !on;
    return *this;
}

std::size_t DeclarationBuilder::recordCount() const { return 3 + type3_ + type4F_ + type4J_ + type5_; }

std::string DeclarationBuilder::recordAt(std::size_t line) const {
    if (auto it = replaced_.find(line); it != replaced_.end()) return it->second;
    if (line == 1) return header_.build();
    if (line == 2) return contacts_.build();
    if (line == recordCount()) return TrailerBuilder(year_).build();
    // Details: offset within the groups, in file order.
    std::size_t k = line - 3;
    if (k < type3_) return EntityBuilder::type3(line, k).build();
    k -= type3_;
    if (k < type4F_) return EntityBuilder::type4F(line, k).build();
    k -= type4F_;
    if (k < type4J_) return EntityBuilder::type4J(line, k).build();
    k -= type4J_;
    if (k < type5_) return LevyBuilder(line, k, year_).build();
    return {};  // past the trailer
}

std::vector<std::string> DeclarationBuilder::records() const {
    std::vector<std::string> all;
    all.reserve(recordCount());
    for (std::size_t line = 1; line <= recordCount(); ++line) all.push_back(recordAt(line));
    return all;
}

void DeclarationBuilder::write(std::ostream& out) const {
    const std::size_t count = recordCount();
    for (std::size_t line = 1; line <= count; ++line) {
        out << recordAt(line);
        if (line < count || finalCrLf_) out << "\r\n";
    }
}

std::string DeclarationBuilder::str() const {
    std::ostringstream out;
    write(out);
    return std::move(out).str();
}

std::string cleanDeclaration(std::size_t type3, std::size_t type4, std::size_t type5) {
    return DeclarationBuilder().type3(type3).type4F(type4 / 2).type4J(type4 - type4 / 2).type5(type5).str();
}

}  // namespace kova::fixtures
