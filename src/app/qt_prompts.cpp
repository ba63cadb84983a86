#include "app/qt_prompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "app/window_placement.h"

namespace kova::app {

namespace {

QMessageBox::Icon iconOf(Icon icon) {
    switch (icon) {
        case Icon::Information: return QMessageBox::Information;
        case Icon::Exclamation: return QMessageBox::Warning;
        case Icon::Critical: return QMessageBox::Critical;
        case Icon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton buttonOf(Answer answer) {
    switch (answer) {
        case Answer::Ok: return QMessageBox::Ok;
        case Answer::Cancel: return QMessageBox::Cancel;
        case Answer::Yes: return QMessageBox::Yes;
        case Answer::No: return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton escape;
    QMessageBox::StandardButton fallbackDefault;
};

ButtonSet buttonSetOf(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok: return {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok};
        case Buttons::OkCancel: return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel, QMessageBox::Ok};
        case Buttons::YesNo: return {QMessageBox::Yes | QMessageBox::No, QMessageBox::No, QMessageBox::Yes};
    }
    return {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok};
}

}  // namespace

QString displayText(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

QMessageBox* buildMessageBox(const Message& message, QWidget* parent) {
    const ButtonSet set = buttonSetOf(message.buttons);
    auto* box = new QMessageBox(iconOf(message.icon), QString::fromStdString(message.title),
                                displayText(message.text), set.buttons, parent);
    box->setObjectName(QStringLiteral("MsgBox"));
    box->setTextFormat(Qt::PlainText);
    // Portuguese captions, with the access keys of the program's own buttons.
    if (auto* b = box->button(QMessageBox::Yes)) b->setText(QStringLiteral("&Sim"));
    if (auto* b = box->button(QMessageBox::No)) b->setText(QStringLiteral("&Não"));
    if (auto* b = box->button(QMessageBox::Ok)) b->setText(QStringLiteral("OK"));
    if (auto* b = box->button(QMessageBox::Cancel)) b->setText(QStringLiteral("Cancelar"));
    QMessageBox::StandardButton def = buttonOf(message.defaultAnswer);
    if (!(set.buttons & def)) def = set.fallbackDefault;
    box->setDefaultButton(def);
    box->setEscapeButton(set.escape);
    return box;
}

Answer QtPrompts::show(const Message& message) {
    QWidget* parent = parent_ ? parent_.data() : QApplication::activeWindow();
    if (parent == nullptr) parent = visibleMainWindow();  // during start-up: over the main window all the same
    QMessageBox* box = buildMessageBox(message, parent);
    const int result = box->exec();
    delete box;
    switch (result) {
        case QMessageBox::Yes: return Answer::Yes;
        case QMessageBox::No: return Answer::No;
        case QMessageBox::Cancel: return Answer::Cancel;
        default: return Answer::Ok;
    }
}

}  // namespace kova::app
