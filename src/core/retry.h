// The one retry pattern of the program: a failed step is offered again until it works or the person says No.
#pragma once

#include <functional>
#include <string>

#include "core/faults.h"
#include "core/ports.h"

namespace kova {

struct RetryText {
    std::string title;      // the operation's name, e.g. "Valida tipo 1"
    std::string sentence;   // what failed, e.g. "Erro na leitura do arquivo."
    std::string question = "Tenta novamente ?";
    // Optional: builds the whole text from the fault instead of sentence + faultMessage + question.
    std::function<std::string(const Fault&)> compose;
    // False for the operations that only report a fault (exclamation icon, OK) and give up without a retry.
    bool offerRetry = true;
};

// Runs step. On a Fault, asks (question icon, Yes/No) with sentence + LF + faultMessage + LF + question;
// Yes runs the step again, No returns false. Returns true once the step completed. Without offerRetry the
// text is shown once with the exclamation icon and OK, and the result is false.
bool withRetry(Prompts& prompts, const RetryText& text, const std::function<void()>& step);

}  // namespace kova
