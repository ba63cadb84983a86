// ReplaceQuestionDialog "Importar Declaração": the declaration being imported was generated before; replace it?
// "&Sim" writes "0" into the import screen's answer field, "&Não" writes "1"; "&Ajuda" opens help and leaves
// the question open; "&OK" is there but does nothing and stays hidden.
#pragma once

#include <QMap>

#include "app/question_dialog.h"
#include "delivery/generation.h"

class QLabel;

namespace kova::app {

class ReplaceQuestionDialog : public QuestionDialog {
    Q_OBJECT
public:
    ReplaceQuestionDialog(const ReplaceQuestionFields& labels, ImportAnswer& answer, ScreenHost* host, QWidget* importScreen,
              QWidget* parent = nullptr);
    QLabel* valueLabel(const QString& name) const { return values_.value(name); }

private:
    QMap<QString, QLabel*> values_;
};

// The generation's replace question on the screen: ReplaceQuestionDialog over the import screen, answered through the
// screen's answer field.
class ScreenReplaceQuestion : public ReplaceQuestion {
public:
    ScreenReplaceQuestion(ImportAnswer& answer, ScreenHost* host, QWidget* importScreen)
        : answer_(answer), host_(host), importScreen_(importScreen) {}
    Answer ask(const ReplaceQuestionFields& labels) override;

private:
    ImportAnswer& answer_;
    ScreenHost* host_;
    QWidget* importScreen_;
};

}  // namespace kova::app
