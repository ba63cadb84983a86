#include "delivery_fixtures.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "delivery/seals.h"

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
    writeBytes(input, declaration.str());
    driver.choose(input);
    return driver.run().outcome;
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

std::string receiptFile(const ReceiptFields& receipt) {
    const DateTime& t = receipt.received;
    char when[32];
    std::snprintf(when, sizeof when, "%02d%02d%04d%02d%02d%02d", t.day, t.month, t.year, t.hour, t.minute, t.second);
    std::string rc = "RC" + receipt.cnpj + (receipt.receptionText.empty() ? when : receipt.receptionText);
    rc.resize(59, ' ');
    rc += receipt.code.empty()
              ? authenticationCode(receipt.cnpj, receipt.detailSeal, t.day, t.month, t.year, t.hour, t.minute, t.second)
              : receipt.code;
    rc.resize(77, ' ');
    rc += "12345678909   RECEBIDA";
    std::vector<std::string> texts{"HCRECIBO DE ENTREGA QOT 2024", rc};
    for (int i = 0; i < receipt.ncLines; ++i) texts.push_back("NCOBSERVACAO " + std::to_string(i));
    texts.push_back("TCFIM");
    std::string file;
    unsigned long seed = 0;
    for (const std::string& text : texts) {
        const std::string checksum = zlibSeal(text, seed);
        seed = std::strtoul(checksum.c_str(), nullptr, 10);
        file += text + checksum + "\r\n";
    }
    for (const std::string& line : receipt.afterTrailer) file += line + "\r\n";
    return file;
}

void writeQuiboroSettings(const fs::path& windowsFolder, const std::string& version, const std::string& path) {
    fs::create_directories(windowsFolder);
    writeBytes(windowsFolder / "qui-bor.ini", "[Qui-Bor]\r\nVersao=" + version + "\r\nPath=" + path + "\r\n");
}

}  // namespace kova::testing
