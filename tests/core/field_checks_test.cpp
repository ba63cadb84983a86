#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/field_checks.h"
#include "support/declaration_builder.h"

namespace kova {
namespace {

struct Case {
    const char* check;
    std::function<bool(std::string_view)> isValid;
    std::vector<std::string> valid;
    std::vector<std::string> invalid;
};

TEST(FieldChecks, EachCheckAcceptsItsValidTextsOnly) {
    const Case cases[] = {
        {"numeric", isNumeric, {"", "0123456789"}, {" 1", "1 ", "-1", "1.5", "12a", "\xB9", std::string("1\0" "2", 3)}},
        {"CNPJ",
         isValidCnpj,
         {"11222333000181", fixtures::nthCnpj(0)},
         // each check digit wrong; all zeros, although its check digits fit; lengths; non-digits
         {"11222333000182", "11222333000191", "00000000000000", "1122233300018", "112223330001810",
          "1122233300018A"}},
        {"CPF",
         isValidCpf,
         {"52998224725", "00000000000", fixtures::nthCpf(5)},  // all zeros passes the rule; validators reject it
         {"52998224726", "52998224715", "5299822472", "529982247250", "5299822472X"}},
        {"date",
         isValidDate,
         // every 4th year is a leap year, century years included
         {"20230101", "20231231", "20230430", "20240229", "19000229", "21000229", "00010101"},
         {"20230229", "20240230", "20230431", "20231131", "20230132", "20230100", "20230200", "20230400",
          "20231301", "20230001", "00000101", "2023010", "202301011", "2023-1-1"}},
        {"UF",
         isValidUf,
         {"AC", "AL", "AM", "AP", "BA", "CE", "DF", "ES", "GO", "MA", "MG", "MS", "MT", "PA",
          "PB", "PE", "PI", "PR", "RJ", "RN", "RO", "RR", "RS", "SC", "SE", "SP", "TO"},
         {"CA", "LA", "PT", "sp", "S", "", "SPX", " SP"}},  // the first three straddle two codes
    };
    for (const Case& c : cases) {
        for (const auto& text : c.valid) EXPECT_TRUE(c.isValid(text)) << c.check << " \"" << text << "\"";
        for (const auto& text : c.invalid) EXPECT_FALSE(c.isValid(text)) << c.check << " \"" << text << "\"";
    }
}

TEST(FieldChecks, NamesTakeOnlyPlainLettersDigitsAndBlanks) {
    // name, valid, has no letters; "@[`{" are the bytes just outside A-Z and a-z
    const std::vector<std::tuple<std::string, bool, bool>> cases = {
        {"Az 1", true, false}, {"\xC7", false, true}, {"@[`{", false, true}, {std::string("A\0", 2), false, false},
    };
    for (const auto& [name, valid, noLetters] : cases) {
        EXPECT_EQ(hasOnlyNameCharacters(name), valid) << name;
        EXPECT_EQ(hasNoLetters(name), noLetters) << name;
    }
}

TEST(FieldChecks, SituationAndYearAreShownAsWords) {
    EXPECT_EQ(situationName("04"), "  04");
    EXPECT_EQ(situationName("\xE9"), "  é");  // the label is UTF-8 even for a stray single-byte code
    const std::vector<std::pair<std::string, std::string>> years = {
        {"2023", "2023"}, {"20231", "2023"}, {"23", "23"}, {"", "Desconhecido"}, {"2023 ", "Desconhecido"},
    };
    for (const auto& [year, text] : years) EXPECT_EQ(yearText(year), text) << year;
}

}  // namespace
}  // namespace kova
