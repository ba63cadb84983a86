// Message boxes of the desktop program: the Prompts port on QMessageBox.
#pragma once

#include <QPointer>
#include <QWidget>

#include "core/ports.h"

class QMessageBox;

namespace kova::app {

// Builds the box for a message (icon, title, buttons, default button; Escape answers No or Cancel).
// Exposed so that the tests can check a box without showing it.
QMessageBox* buildMessageBox(const Message& message, QWidget* parent);

// Texts use "\n" or a lone CR (some of the program's texts are written with CR) as line breaks.
QString displayText(const std::string& text);

class QtPrompts : public Prompts {
public:
    // The boxes are centred over `parent` (usually the main window); without one, over the active window.
    explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    Answer show(const Message& message) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace kova::app
