#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/field_checks.h"
#include "support/declaration_builder.h"

namespace kova {
namespace {

struct Case {
    std::string input;
    bool expected;
};

// Runs one boolean check over a table, naming the failing input.
template <class Check>
void expectTable(Check check, const std::vector<Case>& cases) {
    for (const auto& c : cases) EXPECT_EQ(check(c.input), c.expected) << "input \"" << c.input << "\"";
}

TEST(FieldChecks, isNumeric) {
    expectTable(isNumeric, {
        {"", true}, {"0", true}, {"0123456789", true}, {"00000001", true},
        {" 1", false}, {"1 ", false}, {"-1", false}, {"+1", false}, {"1.5", false}, {"1,5", false},
        {"12a", false}, {"\xB9", false},  // superscript one
        {std::string("1\0" "2", 3), false},
    });
}

TEST(FieldChecks, isValidCnpj) {
    expectTable(isValidCnpj, {
        {"11222333000181", true},
        {fixtures::nthCnpj(0), true},
        {"11222333000182", false}, {"11222333000191", false},  // each check digit wrong
        {"00000000000000", false},                             // all zeros, although its check digits fit
        {"1122233300018", false}, {"112223330001810", false}, {"", false},
        {"1122233300018A", false}, {"11 22233300018", false},
    });
}

TEST(FieldChecks, CnpjRejectsEveryWrongCheckDigit) {
    const std::string good = fixtures::makeCnpj(123456780001);
    for (std::size_t pos : {12u, 13u}) {
        for (char d = '0'; d <= '9'; ++d) {
            std::string cnpj = good;
            cnpj[pos] = d;
            EXPECT_EQ(isValidCnpj(cnpj), d == good[pos]) << cnpj;
        }
    }
}

TEST(FieldChecks, isValidCpf) {
    expectTable(isValidCpf, {
        {"52998224725", true},
        {"00000000000", true},  // passes the rule; validators reject it separately
        {"11111111111", true},
        {fixtures::nthCpf(5), true},
        {"52998224726", false}, {"52998224715", false},
        {"5299822472", false}, {"529982247250", false}, {"", false}, {"5299822472X", false},
    });
}

TEST(FieldChecks, CpfAcceptsExactlyOneSecondDigitPerBase) {
    for (std::uint64_t base = 1; base < 1'000'000'000ULL; base += 12'345'679ULL) {
        const std::string good = fixtures::makeCpf(base);
        for (char d = '0'; d <= '9'; ++d) {
            std::string cpf = good;
            cpf[10] = d;
            EXPECT_EQ(isValidCpf(cpf), d == good[10]) << cpf;
        }
    }
}

TEST(FieldChecks, isValidDate) {
    expectTable(isValidDate, {
        {"20230101", true}, {"20231231", true}, {"20230430", true}, {"20230131", true},
        {"20240229", true}, {"19000229", true}, {"21000229", true}, {"20000229", true},  // every 4th year, no exception
        {"20230229", false}, {"21010229", false}, {"20240230", false}, {"20230228", true},
        {"20230431", false}, {"20230631", false}, {"20230931", false}, {"20231131", false},
        {"20230132", false}, {"20230100", false}, {"20230200", false}, {"20230400", false},
        {"20231301", false}, {"20230001", false}, {"20239901", false},
        {"00000101", false}, {"00000229", false}, {"00000000", false}, {"00010101", true},
        {"2023010", false}, {"202301011", false}, {"", false}, {"2023-1-1", false}, {"2023 101", false},
    });
}

TEST(FieldChecks, isValidUf) {
    const std::vector<std::string> codes = {"AC", "AL", "AM", "AP", "BA", "CE", "DF", "ES", "GO",
                                            "MA", "MG", "MS", "MT", "PA", "PB", "PE", "PI", "PR",
                                            "RJ", "RN", "RO", "RR", "RS", "SC", "SE", "SP", "TO"};
    for (const auto& c : codes) EXPECT_TRUE(isValidUf(c)) << c;
    expectTable(isValidUf, {
        {"CA", false}, {"LA", false}, {"PT", false},  // straddling two pairs
        {"sp", false}, {"Sp", false}, {"XX", false}, {"S", false}, {"", false}, {"SPX", false}, {" SP", false},
    });
}

TEST(FieldChecks, VALIDANOMEAndSEMLETRAS) {
    struct NameCase {
        std::string name;
        bool valid;
        bool noLetters;
    };
    const std::vector<NameCase> cases = {
        {"EMPRESA 123 LTDA", true, false},
        {"Empresa minuscula", true, false},
        {"123 456", true, true},
        {"   ", true, true},
        {"", true, true},
        {"CONSTRU\xC7\xC3O", false, false},  // Ç and Ã as single bytes
        {"\xC7", false, true},
        {"A&B", false, false},
        {"SAO-PAULO", false, false},
        {"S.A", false, false},
        {"12.345", false, true},
        {"TAB\tX", false, false},
        {std::string("NUL\0X", 5), false, false},
        {"@[`{", false, true},  // the bytes just outside A-Z and a-z
        {"Az", true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hasOnlyNameCharacters(c.name), c.valid) << c.name;
        EXPECT_EQ(hasNoLetters(c.name), c.noLetters) << c.name;
    }
}

TEST(FieldChecks, situationName) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"00", "00 - Normal"},
        {"01", "01 - Extinção"},
        {"02", "02 - Fusão"},
        {"03", "03 - Incorporação/Incorporada"},
        {"05", "05 - Cisão Total"},
        {"04", "  04"},
        {"5", "  5"},
        {"", "  "},
        {"\xE9", "  é"},  // the label is UTF-8 even for a stray single-byte code
    };
    for (const auto& [code, label] : cases) EXPECT_EQ(situationName(code), label) << code;
}

TEST(FieldChecks, yearText) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"2023", "2023"}, {"0000", "0000"}, {"20231", "2023"}, {"23", "23"},
        {"", "Desconhecido"}, {"20 3", "Desconhecido"}, {"ABCD", "Desconhecido"}, {"2023 ", "Desconhecido"},
    };
    for (const auto& [year, text] : cases) EXPECT_EQ(yearText(year), text) << year;
}

TEST(FieldChecks, AnyBytesOfAnyLengthAreAnsweredWithoutThrowing) {
    // Deterministic pseudo-random texts: short, long, with NULs, high bytes and digits mixed.
    std::uint32_t seed = 12345;
    auto nextByte = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<char>((seed >> 16) & 0xFF);
    };
    for (std::size_t length = 0; length <= 20; ++length) {
        for (int round = 0; round < 200; ++round) {
            std::string text;
            for (std::size_t i = 0; i < length; ++i)
                text += round % 2 ? static_cast<char>('0' + (nextByte() & 7)) : nextByte();
            EXPECT_NO_THROW({
                isNumeric(text);
                isValidCnpj(text);
                isValidCpf(text);
                isValidDate(text);
                isValidUf(text);
                hasOnlyNameCharacters(text);
                hasNoLetters(text);
                situationName(text);
                yearText(text);
            }) << length;
        }
    }
}

}  // namespace
}  // namespace kova
