// An error row that cannot be written, for every record validator: the header and type 5 offer the write again,
// the others report it once and stop the import.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/faults.h"
#include "import/validator_fixture.h"
#include "support/declaration_builder.h"

namespace kova {
namespace {

using namespace kova::fixtures;
using namespace kova::validation_tests;

const std::string kLocked = faultMessage(Fault(3046));

struct WriteFaultCase {
    const char* name;
    std::string record;
    std::int64_t recordNumber;
    const char* recordType;
    std::vector<Answer> answers;  // none: the fault is only reported
    bool goesOn;
    std::vector<Finding> expected;
    const char* title;
    std::string text;
};

void PrintTo(const WriteFaultCase& c, std::ostream* os) { *os << c.name; }

const std::vector<WriteFaultCase>& writeFaultCases() {
    const std::string retry = "Erro na leitura do arquivo.\n" + kLocked + "\nTenta novamente ?";
    const std::string retryInBrackets = "Erro na leitura do arquivo.\n(" + kLocked + ")\nTenta novamente ?";
    const std::string reported = "Erro na leitura do arquivo.\n(" + kLocked + ")";
    static const std::vector<WriteFaultCase> cases = {
        {"HeaderRetriedTwice", HeaderBuilder(2023).uf("XX").put(130, "X").build(), 1, "1", {Answer::Yes, Answer::Yes},
         true, {F(40, 55, 56), F(9, 124, 142)}, "Valida tipo 1", retry},
        {"HeaderAnsweredNo", HeaderBuilder(2023).uf("XX").put(130, "X").build(), 1, "1", {Answer::No}, false, {},
         "Valida tipo 1", retry},
        {"LevyRetried", LevyBuilder(3, 0, 2023).cnpj("X").build(), 3, "5", {Answer::Yes}, true, {F(2, 10, 23)},
         "Valida tipo 5", retryInBrackets},
        {"LevyAnsweredNo", LevyBuilder(3, 0, 2023).cnpj("X").build(), 3, "5", {Answer::No}, false, {},
         "Valida tipo 5", retryInBrackets},
        {"Contacts", ContactBuilder().representativeAreaCode("0000").build(), 2, "2", {}, false, {}, "Valida tipo 2",
         "Erro na leitura do arquivo.\n(3046)"},
        {"Entities", EntityBuilder::type3(3).name("").build(), 3, "3", {}, false, {}, "Valida tipo 3", reported},
        {"Beneficiaries", EntityBuilder::type4F(3).type("?").build(), 3, "4", {}, false, {}, "Valida tipo 4",
         reported},
        {"Trailer", TrailerBuilder(2022).build(), 9, "T", {}, false, {}, "Valida tipo T",
         "Erro na leitura do arquivo.\n(3046) "},
    };
    return cases;
}

class ValidatorWriteFault : public ValidatorTest, public ::testing::WithParamInterface<WriteFaultCase> {};

TEST_P(ValidatorWriteFault, IsOfferedAgainOrReportedOnce) {
    const WriteFaultCase& c = GetParam();
    const bool retried = !c.answers.empty();
    state.declarationYear = "2023";
    log.failuresLeft = retried ? static_cast<int>(c.answers.size()) : 1;
    prompts.answers.assign(c.answers.begin(), c.answers.end());
    EXPECT_EQ(validate(c.record, c.recordNumber, c.recordType), c.goesOn);
    EXPECT_EQ(findings(log), c.expected);
    ASSERT_EQ(prompts.shown.size(), retried ? c.answers.size() : 1u);
    const Message& m = prompts.shown[0];
    EXPECT_EQ(m.title, c.title);
    EXPECT_EQ(m.text, c.text);
    EXPECT_EQ(m.icon, retried ? Icon::Question : Icon::Exclamation);
    EXPECT_EQ(m.buttons, retried ? Buttons::YesNo : Buttons::Ok);
    if (!c.goesOn) {
        EXPECT_EQ(log.attempts, 1);
        EXPECT_TRUE(state.baseTotal.isZero());
        EXPECT_EQ(state.count3 + state.count4 + state.count5, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Validators, ValidatorWriteFault, ::testing::ValuesIn(writeFaultCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kova
