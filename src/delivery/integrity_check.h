// The integrity check of a delivery file: every seal must still match and the file must hold at least one
// record of type 3, 4 or 5.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "core/ports.h"
#include "core/record_reader.h"

namespace kova {

// What the check leaves for its callers.
struct DeclarationCheck {
    std::string deliveryFileName;  // the last 40 characters of the trimmed path
    std::uint32_t detailSeal = 0;  // recomputed over the detail records
    std::string detailSealText;
    std::int64_t count3 = 0, count4 = 0, count5 = 0;
};

using ByteSourceOpener = std::function<std::unique_ptr<ByteSource>(const std::filesystem::path&)>;

// True when the file at `path` (surrounding blanks ignored) is intact. A missing file and run-time faults are
// told through `prompts` (the latter with the retry question); a broken seal or no records of types 3, 4 and 5
// give false without a message. `open` replaces the file layer (tests).
bool checkDeclaration(const std::string& path, Prompts& prompts, DeclarationCheck& check,
                      const ByteSourceOpener& open = {});

}  // namespace kova
