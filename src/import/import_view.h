// The import screen as the import driver and generation see it. The desktop screen, kova-cli and the tests
// each implement it. Texts are UTF-8.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/ports.h"

namespace kova {

// BtnCmd(0..4) of the import screen.
enum class ImportButton { Ok = 0, Close = 1, Help = 2, PrintPending = 3, Cancel = 4 };

// Frame3(0..3): the timing frames of the phases.
enum class TimingFrame { OpenFile = 0, Generation = 1, Transmission = 2, Critique = 3 };

// LblTempo indices: start, end and elapsed label of each timing frame.
struct TimingLabels {
    int start, end, elapsed;
};
constexpr TimingLabels timingLabelsOf(TimingFrame frame) {
    switch (frame) {
        case TimingFrame::OpenFile: return {0, 1, 10};
        case TimingFrame::Generation: return {2, 3, 12};
        case TimingFrame::Transmission: return {8, 9, 14};
        case TimingFrame::Critique: return {6, 7, 11};
    }
    return {0, 1, 10};
}

// The eight declarant labels of the screen, already formatted for display (clearDeclarant empties them).
struct DeclarantDisplay {
    std::string name, cnpj, rectifying, year, situation, periodStart, periodEnd,
        eventDate;
    bool operator==(const DeclarantDisplay&) const = default;
};

// Progress: setPercent drives PgBar (0 = its minimum, 100 = its maximum); pump lets pending window events run
// (the implementation throttles the real pumping, so calling it after every record is cheap).
class ImportView : public Progress {
public:
    virtual void setCaption(const std::string& text) = 0;
    virtual void showFrame(TimingFrame frame, bool visible) = 0;
    virtual void setTimeLabel(int index, const std::string& text) = 0;  // LblTempo(index)
    virtual std::string timeLabel(int index) const = 0;
    virtual void setStatus(const std::string& text) = 0;  // Label4
    virtual void showStatus(bool visible) = 0;
    virtual void setErrorCount(const std::string& text) = 0;  // LblQtErros

    // LstPend.
    virtual void clearPending() = 0;
    virtual void appendPending(const std::string& line) = 0;
    virtual std::size_t pendingLineCount() const = 0;
    // The zero-amount warning: a line of LstPend on the screen; a notice on stderr in kova-cli.
    virtual void appendWarning(const std::string& line) { appendPending(line); }

    virtual void setButtonEnabled(ImportButton button, bool enabled) = 0;
    virtual bool buttonEnabled(ImportButton button) const = 0;
    virtual void setPickersEnabled(bool enabled) = 0;  // File1, Drive1, Dir1
    virtual void setFileBoxEnabled(bool enabled) = 0;  // TxtArq
    virtual void refreshPickers() = 0;                 // refresh Drive1 / File1 (the folder's files changed)
    virtual void setBusy(bool busy) = 0;               // hourglass / default pointer

    virtual void setDeclarantLabels(const DeclarantDisplay& labels) = 0;
};

// PgBar = bytes consumed × 100 / file size, not above 100; then pending events run. A size of 0 shows 0.
int progressPercent(std::uint64_t consumed, std::uint64_t size);
void reportProgress(Progress& progress, std::uint64_t consumed, std::uint64_t size);

// Keeps everything it is told, for tests and for kova-cli. onPump (optional) runs at every pump, so a test can
// press "&Cancelar" in the middle of a pass.
class RecordingImportView : public ImportView {
public:
    void setPercent(int percent) override;
    void pump() override;

    void setCaption(const std::string& text) override { caption = text; }
    void showFrame(TimingFrame frame, bool visible) override { frames[static_cast<int>(frame)] = visible; }
    void setTimeLabel(int index, const std::string& text) override { timeLabels[index] = text; }
    std::string timeLabel(int index) const override;
    void setStatus(const std::string& text) override { status = text; statusHistory.push_back(text); }
    void showStatus(bool visible) override { statusVisible = visible; }
    void setErrorCount(const std::string& text) override { errorCount = text; }

    void clearPending() override { pending.clear(); }
    void appendPending(const std::string& line) override { pending.push_back(line); }
    std::size_t pendingLineCount() const override { return pending.size(); }

    void setButtonEnabled(ImportButton button, bool enabled) override {
        buttons[static_cast<int>(button)] = enabled;
    }
    bool buttonEnabled(ImportButton button) const override { return buttons[static_cast<int>(button)]; }
    void setPickersEnabled(bool enabled) override { pickersEnabled = enabled; }
    void setFileBoxEnabled(bool enabled) override { fileBoxEnabled = enabled; }
    void refreshPickers() override { ++pickerRefreshes; }
    void setBusy(bool b) override { busy = b; }
    void setDeclarantLabels(const DeclarantDisplay& labels) override { declarant = labels; }

    std::string caption;
    std::array<bool, 4> frames{};
    std::map<int, std::string> timeLabels;
    std::string status;
    std::vector<std::string> statusHistory;
    bool statusVisible = false;
    std::string errorCount;
    std::vector<std::string> pending;
    std::array<bool, 5> buttons{false, true, true, false, false};
    bool pickersEnabled = true;
    bool fileBoxEnabled = true;
    int pickerRefreshes = 0;
    bool busy = false;
    DeclarantDisplay declarant;
    int percent = 0;
    std::int64_t pumps = 0;
    std::function<void()> onPump;
};

}  // namespace kova
