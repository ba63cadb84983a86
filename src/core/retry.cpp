#include "core/retry.h"

namespace kova {

bool withRetry(Prompts& prompts, const RetryText& text, const std::function<void()>& step) {
    for (;;) {
        try {
            step();
            return true;
        } catch (const Fault& fault) {
            Message m;
            m.title = text.title;
            m.text = text.compose ? text.compose(fault)
                                  : text.sentence + "\n" + faultMessage(fault) + "\n" + text.question;
            if (!text.offerRetry) {
                m.icon = Icon::Exclamation;
                m.buttons = Buttons::Ok;
                m.defaultAnswer = Answer::Ok;
                prompts.show(m);
                return false;
            }
            m.icon = Icon::Question;
            m.buttons = Buttons::YesNo;
            m.defaultAnswer = Answer::Yes;
            if (prompts.show(m) != Answer::Yes) return false;
        }
    }
}

}  // namespace kova
