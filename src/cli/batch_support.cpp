#include "cli/batch_support.h"

#include <iostream>

#include "core/text.h"

namespace kova::cli {

Answer BatchPrompts::show(const Message& message) {
    Answer answer = Answer::Ok;
    std::string taken;  // the answer, said when there was a choice
    if (!yesTitle_.empty() && message.title == yesTitle_) {
        answer = Answer::Yes;
        taken = "(Sim)\n";
    } else if (message.buttons == Buttons::OkCancel) {
        answer = Answer::Cancel;
        taken = "(Cancelar)\n";
    } else if (message.buttons == Buttons::YesNo) {
        answer = Answer::No;
        taken = "(Não)\n";
    }
    // Messages may quote a file's bytes (a name, a path): never let them drive the terminal.
    say(printable(message.title) + ": " + printable(message.text, true) + "\n" + taken);
    return answer;
}

void BatchPrompts::say(const std::string& text) { std::cerr << text; }

}  // namespace kova::cli
