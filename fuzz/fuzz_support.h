// What the fuzz targets share: a work folder per process, prompts that give the cautious answer, the files every
// target reads beside its input, and the resealing that lets mutated files get past their checksums.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/ports.h"
#include "support/declaration_builder.h"

namespace kova::fuzzing {

// A fresh folder for this process, removed when it ends normally.
const std::filesystem::path& workFolder();

// Answers every question No or Cancel, as nobody is there to say Yes.
class CautiousPrompts : public Prompts {
public:
    Answer show(const Message& message) override;
};

// Ends the run as a crash, so that the fuzzer keeps the input that broke the rule.
[[noreturn]] void violated(const std::string& rule);

// The first input byte picks the mode: an odd byte asks for the lines to be resealed before they are read.
struct FuzzInput {
    bool reseal = false;
    std::string_view bytes;
};
FuzzInput splitInput(const std::uint8_t* data, std::size_t size);
// A seed in that form.
std::string seedInput(bool reseal, std::string_view bytes);

// The declaration of the delivery-file and receipt seeds; the receipt target seals it beside its receipts.
fixtures::DeclarationBuilder seedDeclaration();

// Every line (CR LF apart) of at least ten bytes gets the seal of the rest in its last ten: the first line keyed
// by the file name, the others from zero.
std::string resealedDeliveryFile(std::string_view bytes, std::string_view fileName);
// Every line of at least ten bytes gets the checksum that continues the one of the line before.
std::string rechainedReceipt(std::string_view bytes);

}  // namespace kova::fuzzing
