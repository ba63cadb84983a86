#include "print_fixtures.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "core/error_texts.h"
#include "core/faults.h"

namespace kova::printtest {

void TextErrorLog::listErrors(const std::function<bool(const ErrorListing&)>& visit) {
    int n = 0;
    MemoryErrorLog::listErrors([&](const ErrorListing& row) {
        if (failAtRow > 0 && ++n == failAtRow) throw Fault(3049);
        return visit(row);
    });
}

std::string TextErrorLog::description(int code) const { return std::string(errorText(code)); }

// A whole-text comparison: a difference is shown line by line.
void expectGolden(const std::string& name, const std::vector<print::RecordedPage>& pages) {
    const std::string actual = print::annotatedText(pages);
    const std::string path = std::string(KOVA_GOLDEN_DIR) + "/" + name + ".txt";
    if (const char* update = std::getenv("KOVA_UPDATE_GOLDEN"); update && std::string(update) == "1") {
        std::ofstream(path, std::ios::binary) << actual;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << "golden file missing: " << path;
    std::stringstream expected;
    expected << in.rdbuf();
    EXPECT_EQ(expected.str(), actual) << name << ".txt";
}

std::vector<std::string> lineTexts(const print::RecordedPage& page) {
    std::vector<std::string> out;
    for (const auto& l : page.lines) out.push_back(l.text());
    return out;
}

}  // namespace kova::printtest
