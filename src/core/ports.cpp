#include "core/ports.h"

#include <utility>

namespace kova {

namespace {

Message message(std::string title, std::string text, Icon icon, Buttons buttons, Answer defaultAnswer) {
    return Message{std::move(title), std::move(text), icon, buttons, defaultAnswer};
}

}  // namespace

Message exclamation(std::string title, std::string text, Buttons buttons) {
    return message(std::move(title), std::move(text), Icon::Exclamation, buttons, Answer::Ok);
}

Message information(std::string title, std::string text) {
    return message(std::move(title), std::move(text), Icon::Information, Buttons::Ok, Answer::Ok);
}

Message critical(std::string title, std::string text) {
    return message(std::move(title), std::move(text), Icon::Critical, Buttons::Ok, Answer::Ok);
}

Message question(std::string title, std::string text, Answer defaultAnswer) {
    return message(std::move(title), std::move(text), Icon::Question, Buttons::YesNo, defaultAnswer);
}

}  // namespace kova
