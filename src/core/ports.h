// The small interfaces through which the operations talk to the person.
// The desktop program, kova-cli and the tests each implement them.
#pragma once

#include <string>

namespace kova {

enum class Icon { Information, Exclamation, Critical, Question };
enum class Buttons { Ok, OkCancel, YesNo };
enum class Answer { Ok, Cancel, Yes, No };

// One message box: texts are UTF-8, lines separated by "\n".
struct Message {
    std::string title;
    std::string text;
    Icon icon = Icon::Exclamation;
    Buttons buttons = Buttons::Ok;
    Answer defaultAnswer = Answer::Ok;
};

// The usual messages: a notice with the exclamation icon (OK, or OK and Cancel), an information or critical notice
// with OK, and a Yes/No question.
Message exclamation(std::string title, std::string text, Buttons buttons = Buttons::Ok);
Message information(std::string title, std::string text);
Message critical(std::string title, std::string text);
Message question(std::string title, std::string text, Answer defaultAnswer);

class Prompts {
public:
    virtual ~Prompts() = default;
    // Shows the message and returns the button chosen.
    virtual Answer show(const Message& message) = 0;
};

// Long loops report here. pump() is called often; implementations throttle the real event pumping.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void setPercent(int percent) = 0;
    virtual void pump() = 0;
};

class NullProgress : public Progress {
public:
    void setPercent(int) override {}
    void pump() override {}
};

// The cancel flag of a running operation: set by a cancel command, read by the loops after every record.
struct CancelFlag {
    bool set = false;
};

}  // namespace kova
