// kova-cli's answers to the questions of the operations: nobody is there to answer them.
#pragma once

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

protected:
    // Says one message with the answer taken, all at once: on stderr.
    virtual void say(const std::string& text);

private:
    std::string yesTitle_;  // empty: no question is answered Yes
};

}  // namespace kova::cli
