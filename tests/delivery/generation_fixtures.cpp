#include "generation_fixtures.h"

#include <zlib.h>

#include <cstdio>
#include <fstream>

namespace kova::testing {

unsigned long zlibCrc(std::string_view text, unsigned long seed) {
    return ::crc32(seed, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size()));
}

std::string zlibSeal(std::string_view text, unsigned long seed) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%010lu", zlibCrc(text, seed));
    return buffer;
}

GenerationHarness::GenerationHarness() {
    session.programFolder = folder.path() / "programa";
    fs::create_directories(session.programFolder);
    fs::create_directories(folder.path() / "entrada");
    input = folder.path() / "entrada" / "DECLARACAO.TXT";
}

ImportOutcome GenerationHarness::importAndGenerate(const fixtures::DeclarationBuilder& declaration) {
    {
        std::ofstream out(input, std::ios::binary | std::ios::trunc);
        declaration.write(out);
    }
    driver.choose(input);
    last = driver.run();
    return last.outcome;
}

std::vector<std::string> GenerationHarness::leftovers() const {
    std::vector<std::string> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(session.programFolder, ec))
        if (entry.path().filename() == "TEMPORAR.TXT") found.push_back(entry.path().string());
    for (const auto& entry : fs::directory_iterator(session.programFolder / "GERADA", ec))
        if (!entry.is_directory()) found.push_back(entry.path().string());
    if (!declarationFolder().empty())
        for (const auto& entry : fs::directory_iterator(declarationFolder(), ec))
            if (entry.path() != deliveryFile()) found.push_back(entry.path().string());
    return found;
}

std::vector<Message> messagesTitled(const std::vector<Message>& shown, const std::string& title) {
    std::vector<Message> found;
    for (const Message& m : shown)
        if (m.title == title) found.push_back(m);
    return found;
}

}  // namespace kova::testing
