#include "cli/batch_support.h"

#include <iostream>

#include "core/text.h"

namespace kova::cli {

Answer BatchPrompts::show(const Message& message) {
    // Messages may quote a file's bytes (a name, a path): never let them drive the terminal.
    std::cerr << printable(message.title) << ": " << printable(message.text, true) << "\n";
    if (!yesTitle_.empty() && message.title == yesTitle_) {
        std::cerr << "(Sim)\n";
        return Answer::Yes;
    }
    switch (message.buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::OkCancel:
            std::cerr << "(Cancelar)\n";
            return Answer::Cancel;
        case Buttons::YesNo:
            std::cerr << "(Não)\n";
            return Answer::No;
    }
    return Answer::Cancel;
}

}  // namespace kova::cli
