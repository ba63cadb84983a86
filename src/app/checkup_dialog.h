// CheckupDialog: the check-up of the installation ("Ajuda" menu), one row per item with its state and its fix.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "print/installation_check.h"

class QGridLayout;
class QLabel;

namespace kova::app {

class CheckupDialog : public QDialog {
    Q_OBJECT
public:
    // `showHelp` opens the check-up's help topic ("&Ajuda" and F1).
    CheckupDialog(QString programFolder, std::function<void()> showHelp, QWidget* parent = nullptr);

    // Runs the check-up (again) and shows its lines.
    void runCheck();
    const std::vector<print::CheckLine>& lines() const { return lines_; }

protected:
    // F1 opens the help topic wherever the focus is.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showLines();

    QString programFolder_;
    std::function<void()> showHelp_;
    std::vector<print::CheckLine> lines_;
    QLabel* summary_;
    QWidget* rows_;
    QGridLayout* grid_;
};

}  // namespace kova::app
