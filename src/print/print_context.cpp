#include "print/print_context.h"

namespace kova::print {

void tell(Prompts& prompts, const std::string& title, const std::string& text, Icon icon) {
    prompts.show(Message{title, text, icon, Buttons::Ok, Answer::Ok});
}

}  // namespace kova::print
