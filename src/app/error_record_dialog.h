// ErrorRecordDialog "Registro com Erro": the record of an error line as it is in the imported file, under a column ruler,
// with the error's columns highlighted, the fields of its kind named under their columns and listed with what
// they hold, the error's text and how to put it right.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "core/error_log.h"

class QLabel;
class QTextBrowser;

namespace kova::app {

class ErrorRecordDialog : public QDialog {
    Q_OBJECT
public:
    // `showHelp` opens the help topic of this view (button "&Ajuda" and F1).
    explicit ErrorRecordDialog(std::function<void()> showHelp, QWidget* parent = nullptr);

    // What the view shows.
    struct Content {
        ErrorListing error;
        std::optional<std::string> record;  // the record's bytes as read from the file; nullopt when not read
        QString notice;                     // why the record is missing, or a warning about it; may be empty
    };
    void showError(const Content& content);

    QLabel* heading() const { return heading_; }
    QTextBrowser* record() const { return record_; }
    QLabel* errorText() const { return errorText_; }
    QLabel* hint() const { return hint_; }
    QLabel* notice() const { return notice_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<void()> showHelp_;
    QLabel* heading_;
    QTextBrowser* record_;
    QLabel* notice_;
    QLabel* errorText_;
    QLabel* hint_;
};

}  // namespace kova::app
