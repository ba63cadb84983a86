// What kova-cli's commands share: nobody is there to answer questions, and the program folder comes from
// --pasta, $KOVA_PASTA or the folder of kova-cli itself.
#pragma once

#include <filesystem>
#include <optional>

#include "core/ports.h"

namespace kova::cli {

// Messages go to stderr; a question takes its cautious answer (No / Cancel).
class BatchPrompts : public Prompts {
public:
    Answer show(const Message& message) override;
};

// --pasta when given, else $KOVA_PASTA, else the folder of the kova-cli executable.
std::filesystem::path programFolderOr(const std::optional<std::filesystem::path>& given);

}  // namespace kova::cli
