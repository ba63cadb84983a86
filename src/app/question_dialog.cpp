#include "app/question_dialog.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "app/screen_host.h"
#include "app/window_placement.h"

namespace kova::app {

QuestionDialog::QuestionDialog(ImportAnswer& answer, ScreenHost* host, QWidget* importScreen, int pixelsBelowTop,
                               QWidget* parent)
    : QDialog(parent),
      answer_(answer),
      host_(host),
      importScreen_(importScreen),
      pixelsBelowTop_(pixelsBelowTop),
      buttonRow_(new QHBoxLayout) {
    buttonRow_->addStretch();
}

QPushButton* QuestionDialog::addButton(int index, const QString& caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QStringLiteral("BtnCmd%1").arg(index));
    b->setAutoDefault(false);
    buttonRow_->addWidget(b);
    while (buttons_.size() <= index) buttons_.append(nullptr);
    buttons_[index] = b;
    return b;
}

void QuestionDialog::answerAndClose(ImportAnswer value) {
    answer_ = value;
    accept();
}

void QuestionDialog::openHelp(int topic) {
    if (host_) host_->showHelp(topic);
}

void QuestionDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred over the main window, its top a fixed distance below the import screen's top.
    QWidget* over = parentWidget() ? parentWidget()->window() : nullptr;
    QPoint target = over ? centredOver(*this, *over) : this->pos();
    if (importScreen_) target.setY(importScreen_->mapToGlobal(QPoint(0, 0)).y() + pixelsBelowTop_);
    move(target);
}

}  // namespace kova::app
