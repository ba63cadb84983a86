// What kova-cli's commands share: nobody is there to answer questions, and the program folder comes from
// --pasta, $KOVA_PASTA or the folder of kova-cli itself.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "core/ports.h"

namespace kova::cli {

// Messages go to stderr; a question takes its cautious answer (No / Cancel), except a question whose title a
// command option answered Yes in advance (kova-cli importar --substituir: the replace question).
class BatchPrompts : public Prompts {
public:
    BatchPrompts() = default;
    explicit BatchPrompts(std::string yesTitle) : yesTitle_(std::move(yesTitle)) {}
    Answer show(const Message& message) override;

private:
    std::string yesTitle_;  // empty: no question is answered Yes
};

// --pasta when given, else $KOVA_PASTA, else the folder of the kova-cli executable.
std::filesystem::path programFolderOr(const std::optional<std::filesystem::path>& given);

}  // namespace kova::cli
