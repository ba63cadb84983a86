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
#include "import/import_view.h"

class QGroupBox;
class QLabel;
class QListView;
class QProgressBar;
class QPushButton;

namespace kova::app {

struct ProgramContext;
class ImportScreen;
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
    // printErrorReport, the printed list of the errors of the last import; empty when not available.
    std::function<void(Progress& progress)> printPending;
};

class ImportScreen : public QWidget, public ImportView {
    Q_OBJECT
public:
    ImportScreen(ProgramContext& context, ScreenHost& host, ImportServices services, QWidget* parent = nullptr);
    ~ImportScreen() override;

    // ImportView
    void setPercent(int percent) override;
    void pump() override;
    void setCaption(const std::string& text) override;
    void showFrame(TimingFrame frame, bool visible) override;
    void setTimeLabel(int index, const std::string& text) override;
    std::string timeLabel(int index) const override;
    void setStatus(const std::string& text) override;
    void showStatus(bool visible) override;
    void setErrorCount(const std::string& text) override;
    void clearPending() override;
    void appendPending(const std::string& line) override;
    std::size_t pendingLineCount() const override;
    void setButtonEnabled(ImportButton button, bool enabled) override;
    bool buttonEnabled(ImportButton button) const override;
    void setPickersEnabled(bool enabled) override;
    void setFileBoxEnabled(bool enabled) override;
    void refreshPickers() override;
    void setBusy(bool busy) override;
    void setDeclarantLabels(const DeclarantDisplay& labels) override;

    // The screen's events.
    void onButtonClicked(ImportButton button);
    // A new text typed into TxtArq.
    void onFileNameEdited(const QString& text);
    void onDriveChosen(const QString& drive);
    void onFolderChosen(const QString& folder);
    void onFileClicked(const QString& folder, const QString& fileName);
    // After a clean import that generated the declaration: the transmission question and the transmission.
    void offerTransmission();

    bool importRunning() const { return running_; }
    ImportSession& session() { return session_; }
    ImportDriver& driver() { return driver_; }
    SourceFrame* source() const { return source_; }
    QListView* LstPend() const { return lstPend_; }
    PendingListModel* pendingModel() const { return pending_; }
    QPushButton* BtnCmd(ImportButton button) const;
    QLabel* LblQtErros() const { return lblQtErros_; }
    QLabel* Label4() const { return label4_; }
    QProgressBar* PgBar() const { return pgBar_; }
    QLabel* LblTempo(int index) const { return lblTempo_.value(index); }
    QGroupBox* Frame3(TimingFrame frame) const;
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
    // TxtArq gets a text from the program; a change reaches the driver as a change of the box.
    void setFileBox(const QString& text);
    Message exclamation(const QString& text) const;

    ProgramContext& context_;
    ScreenHost& host_;
    ImportServices services_;
    ImportSession session_;
    std::unique_ptr<GenerationPort> generation_;
    ImportDriver driver_;
    EventPump pump_;

    SourceFrame* source_;
    QMap<QString, QLabel*> declarant_;
    QMap<int, QGroupBox*> frames_;
    QMap<int, QLabel*> lblTempo_;
    QLabel* label4_ = nullptr;
    QProgressBar* pgBar_ = nullptr;
    QListView* lstPend_ = nullptr;
    PendingListModel* pending_ = nullptr;
    QLabel* lblQtErros_ = nullptr;
    QMap<int, QPushButton*> buttons_;

    bool loaded_ = false;
    bool running_ = false;
    bool closeRequested_ = false;
};

}  // namespace kova::app
