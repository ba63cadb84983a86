// The tools under the pending list (LstPend) of the import screen, beside the error count: the summary of the
// errors per code and per record type, whose choice narrows the list to one of them, the export of every error to a
// CSV file, and the view of the record of an error line (double-click or Enter on it).
#pragma once

#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/error_log.h"
#include "core/error_summary.h"
#include "core/ports.h"
#include "core/record_locator.h"

class QComboBox;
class QListView;
class QPushButton;

namespace kova::app {

class PendingListModel;
class ErrorRecordDialog;

class ErrorListPanel : public QWidget {
    Q_OBJECT
public:
    // `showHelp` opens a help topic. The list and its model belong to the screen.
    ErrorListPanel(QListView* list, PendingListModel* model, ErrorLog& errorLog, Prompts& prompts,
                   std::function<void(int topic)> showHelp, QWidget* parent = nullptr);
    ~ErrorListPanel() override;

    // The list is being filled again.
    void clear();
    // An error row listed: the index the model keeps for its line.
    int rowListed(const ErrorListing& row);
    // The list is complete: the summary is made, and the records of its lines are read from `file`.
    void listComplete(const std::filesystem::path& file);

    // An entry of the summary was chosen: the list shows only its errors (the first entry: all of them).
    void chooseSummary(int index);
    // "Exportar…": asks for the file, then writes it.
    void onExport();
    // Writes every error to a CSV file and says how it went; true when the file was written.
    bool exportTo(const QString& path);
    // The record of the error line at a row of the list, in the record view; nothing for other lines.
    void showRecordAt(int viewRow);

    QComboBox* summaryBox() const { return summary_; }
    QPushButton* exportButton() const { return export_; }
    ErrorRecordDialog* recordView() const { return view_; }

    // F1 inside the panel: the topic of the summary, or of the export when its button has the focus.
    void showHelpForFocus();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // An error row as the list needs it again: its record, columns, code and type, without the texts.
    struct ListedRow {
        std::int64_t recordNumber;
        std::uint16_t firstColumn;
        std::uint16_t lastColumn;
        std::int16_t code;
        std::uint8_t type;  // index in types_
    };
    ErrorListing listingOf(int row) const;
    std::uint8_t typeIndex(const std::string& type);

    QListView* list_;
    PendingListModel* model_;
    ErrorLog& errorLog_;
    Prompts& prompts_;
    std::function<void(int)> showHelp_;
    QComboBox* summary_;
    QPushButton* export_;
    ErrorRecordDialog* view_ = nullptr;

    std::vector<ListedRow> rows_;
    std::vector<std::string> types_;
    std::unordered_map<int, std::string> complements_;  // by row; most rows have none
    ErrorSummary tally_;
    std::vector<ErrorTally> entries_;  // the summary's entries, in the order of the box after "all errors"
    std::unique_ptr<RecordLocator> locator_;
    QString locatorProblem_;  // why the file could not be opened again
};

}  // namespace kova::app
