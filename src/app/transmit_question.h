// TransmitQuestion: after a clean import, "transmit now?". "&Sim" writes "1" into the import screen's answer field,
// "&Não" writes "2"; "&Ajuda" opens help and leaves the question open; the close box leaves the field unchanged.
#pragma once

#include "app/question_dialog.h"

class QLabel;

namespace kova::app {

class TransmitQuestion : public QuestionDialog {
    Q_OBJECT
public:
    TransmitQuestion(const QString& message, ImportAnswer& answer, ScreenHost* host, QWidget* importScreen,
              QWidget* parent = nullptr);
    QLabel* label() const { return label_; }

private:
    QLabel* label_;
    // Set to 1 on load; it is the answer of "&Sim".
    unsigned char flag_ = 1;
};

}  // namespace kova::app
