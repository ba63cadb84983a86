#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>

#include "delivery/delivery_records.h"
#include "delivery/seals.h"
#include "support/temp_folder.h"

namespace kova::fuzzing {

namespace {

// Calls `reseal(text, seal)` for each line long enough to carry a seal, in order, and returns the file with the
// new seals in place.
template <class Reseal>
std::string resealLines(std::string_view bytes, Reseal reseal) {
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        const std::size_t end = bytes.find(kLineEnd);
        const std::string_view line = bytes.substr(0, end);
        std::string_view text, seal;
        if (splitSeal(line, text, seal)) {
            out.append(text);
            out.append(reseal(text));
        } else {
            out.append(line);
        }
        if (end == std::string_view::npos) break;
        out.append(kLineEnd);
        bytes.remove_prefix(end + kLineEnd.size());
    }
    return out;
}

}  // namespace

const std::filesystem::path& workFolder() {
    static const testing_support::TempFolder folder;
    return folder.path();
}

Answer CautiousPrompts::show(const Message& message) {
    switch (message.buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::OkCancel:
            return Answer::Cancel;
        case Buttons::YesNo:
            return Answer::No;
    }
    return Answer::Cancel;
}

void violated(const std::string& rule) {
    std::fprintf(stderr, "Broken rule: %s\n", rule.c_str());
    std::abort();
}

FuzzInput splitInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return {};
    return {(data[0] & 1) != 0, std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1)};
}

std::string seedInput(bool reseal, std::string_view bytes) {
    return std::string(1, reseal ? '\x01' : '\x00') + std::string(bytes);
}

fixtures::DeclarationBuilder seedDeclaration() {
    fixtures::DeclarationBuilder declaration;
    declaration.header().name("SEMENTES DE TESTE LTDA");
    declaration.type3(1).type4F(1).type4J(1).type5(2);
    return declaration;
}

std::string resealedDeliveryFile(std::string_view bytes, std::string_view fileName) {
    std::uint32_t seed = crc32(headerSealKey(fileName));
    return resealLines(bytes, [&seed](std::string_view text) {
        const std::string seal = sealText(crc32(text, seed));
        seed = 0;
        return seal;
    });
}

std::string rechainedReceipt(std::string_view bytes) {
    std::string previous = "0";
    return resealLines(bytes, [&previous](std::string_view text) {
        previous = continueSeal(text, previous);
        return previous;
    });
}

}  // namespace kova::fuzzing
