// ImportScreen "Importar Declaração": the import screen. Its widgets are the ImportView of the import driver, which
// holds the logic; the screen turns the person's clicks into the driver's events.
#pragma once

#include <QMap>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/event_pump.h"
#include "core/clock.h"
#include "core/error_log.h"
#include "core/ports.h"
#include "import/import_driver.h"

class QGroupBox;
class QLabel;
class QListView;
class QProgressBar;
class QPushButton;

namespace kova::app {

struct ProgramContext;
class ImportScreen;

// The buttons of the screen, in their order (BtnCmd 0 to 4).
enum class ImportButton { Ok = 0, Close = 1, Help = 2, PrintPending = 3, Cancel = 4 };
class ErrorListPanel;
class PendingListModel;
class ScreenHost;
class SourceFrame;

// What the import screen works with.
struct ImportServices {
    ErrorLog& errorLog;
    const Clock& clock;
    Prompts& prompts;
    // Makes generateDeliveryFile for the screen (its replace question is shown over the screen); without it a clean import ends
    // without a delivery file.
    std::function<std::unique_ptr<GenerationPort>(ImportScreen& screen, ScreenHost& host)> makeGeneration;
    // transmit of the declaration just generated; empty when transmission is not available.
    std::function<bool(QWidget* screen, int option, const std::filesystem::path& deliveryFile)> transmit;
    // printErrorReport, the printed list of the errors of the last import, its PDF file proposed under
    // documentName; empty when not available. It stops at its next row once `stop` is set.
    std::function<void(Progress& progress, const CancelFlag& stop, QWidget* screen, const QString& documentName)>
        printPending;
};

class ImportScreen : public QWidget, public ImportEvents {
    Q_OBJECT
public:
    ImportScreen(ProgramContext& context, ScreenHost& host, ImportServices services, QWidget* parent = nullptr);
    ~ImportScreen() override;

    // ImportEvents
    void setPercent(int percent) override;
    void pump() override;
    void phaseStarted(ImportPhase phase, const std::string& start) override;
    void phaseEnded(ImportPhase phase, const std::string& end, const std::string& elapsed) override;
    void statusChanged(const std::string& text) override;
    void pendingCleared() override;
    void pendingLine(const std::string& line) override;
    void pendingRow(const ErrorListing& row, const std::string& line) override;
    void errorCountChanged(std::int64_t count) override;
    void warning(const std::string& line) override;
    void busyChanged(bool busy) override;
    void folderContentsChanged() override;

    // What the person does.
    void onImport();
    void onCancel();
    void onPrintPending();
    // A file name typed into the box, a drive, folder or file picked.
    void onFileNameEdited(const QString& text);
    void onDriveChosen(const QString& drive);
    void onFolderChosen(const QString& folder);
    void onFileClicked(const QString& folder, const QString& fileName);
    // After a clean import that generated the declaration: the transmission question and the transmission
    // (POSIMPORTACAO).
    void offerTransmission(bool generated);

    bool importRunning() const { return running_; }
    bool printingPending() const { return printing_; }
    ImportSession& session() { return session_; }
    ImportDriver& driver() { return driver_; }
    SourceFrame* source() const { return source_; }
    QListView* LstPend() const { return lstPend_; }
    PendingListModel* pendingModel() const { return pending_; }
    ErrorListPanel* errorPanel() const { return errorPanel_; }
    QPushButton* BtnCmd(ImportButton button) const;
    QLabel* LblQtErros() const { return lblQtErros_; }
    QLabel* Label4() const { return label4_; }
    QProgressBar* PgBar() const { return pgBar_; }
    QGroupBox* phaseFrame(ImportPhase phase) const { return frames_.value(phase); }
    // The start, end and elapsed labels of a phase's frame.
    QLabel* phaseLabel(ImportPhase phase, int which) const;
    QLabel* declarantLabel(const QString& name) const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildDeclarantFrame();
    QWidget* buildTimingFrames();
    QWidget* buildPendingFrame();
    QWidget* buildButtons();
    // TxtArq gets a text from the program; a change reaches the driver as a new choice.
    void setFileBox(const QString& text);
    // A new text in the file-name box: the driver reads the file's declarant data.
    void chooseFile(const QString& text);
    void showDeclarant(const DeclarantDisplay& declarant);
    void setButtonEnabled(ImportButton button, bool enabled);
    void setPickersEnabled(bool enabled);
    // The widgets while an import runs: only "&Cancelar" on.
    void setRunning(bool running);
    // The widgets while the list prints: nothing that would start another import or print.
    void setPrinting(bool printing);

    ProgramContext& context_;
    ScreenHost& host_;
    ImportServices services_;
    ImportSession session_;
    std::unique_ptr<GenerationPort> generation_;
    ImportDriver driver_;
    EventPump pump_;

    SourceFrame* source_;
    QMap<QString, QLabel*> declarant_;
    QMap<ImportPhase, QGroupBox*> frames_;
    QMap<ImportPhase, QList<QLabel*>> phaseLabels_;
    QLabel* label4_ = nullptr;
    QProgressBar* pgBar_ = nullptr;
    QListView* lstPend_ = nullptr;
    PendingListModel* pending_ = nullptr;
    ErrorListPanel* errorPanel_ = nullptr;
    QLabel* lblQtErros_ = nullptr;
    QMap<int, QPushButton*> buttons_;

    bool loaded_ = false;
    bool running_ = false;
    bool printing_ = false;  // the pending list is being printed
    CancelFlag printStop_;
    bool closeRequested_ = false;
    std::int64_t errorCount_ = 0;
    int linesThisRun_ = 0;  // pending lines listed by the running or last import
};

}  // namespace kova::app
