// A Prompts that keeps every message shown and answers questions from a script: a function when one is set, else
// the queued answers in order, else the cautious answer (No, Cancel) unless a test chose another.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/ports.h"

namespace kova::testing_support {

class RecordingPrompts : public Prompts {
public:
    Answer show(const Message& message) override {
        shown.push_back(message);
        if (answer) return answer(message);
        if (message.buttons == Buttons::Ok) return Answer::Ok;
        if (!answers.empty()) {
            const Answer next = answers.front();
            answers.pop_front();
            return next;
        }
        return message.buttons == Buttons::YesNo ? unansweredYesNo : Answer::Cancel;
    }

    std::vector<std::string> texts() const { return collect(&Message::text); }
    std::vector<std::string> titles() const { return collect(&Message::title); }

    std::vector<Message> shown;
    std::function<Answer(const Message&)> answer;
    std::deque<Answer> answers;
    Answer unansweredYesNo = Answer::No;

private:
    std::vector<std::string> collect(std::string Message::*member) const {
        std::vector<std::string> out;
        for (const auto& m : shown) out.push_back(m.*member);
        return out;
    }
};

}  // namespace kova::testing_support
