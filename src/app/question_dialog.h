// What TransmitQuestion and ReplaceQuestionDialog share: a row of buttons by index, the import screen's answer field they write,
// help that leaves the dialog open, and a place a fixed distance below the top of the import screen.
#pragma once

#include <QDialog>
#include <QList>
#include <QPointer>

#include "import/import_driver.h"

class QHBoxLayout;
class QPushButton;

namespace kova::app {

class ScreenHost;

class QuestionDialog : public QDialog {
    Q_OBJECT
public:
    QPushButton* button(int index) const { return buttons_.value(index); }

protected:
    QuestionDialog(ImportAnswer& answer, ScreenHost* host, QWidget* importScreen, int pixelsBelowTop,
                   QWidget* parent);
    // Adds BtnCmd(index) with its caption to the button row.
    QPushButton* addButton(int index, const QString& caption);
    QHBoxLayout* buttonRow() const { return buttonRow_; }
    // Writes the answer field and closes.
    void answerAndClose(ImportAnswer value);
    void openHelp(int topic);
    void showEvent(QShowEvent* event) override;

private:
    ImportAnswer& answer_;
    ScreenHost* host_;
    QPointer<QWidget> importScreen_;
    int pixelsBelowTop_;
    QHBoxLayout* buttonRow_;
    QList<QPushButton*> buttons_;
};

}  // namespace kova::app
