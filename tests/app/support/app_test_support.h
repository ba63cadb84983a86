// What the screen tests share: a prompt layer answered by script, a program folder with its work database,
// a started program, and helpers that answer the program's own modal dialogs.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/platform.h"
#include "app/startup.h"
#include "core/clock.h"
#include "core/ports.h"

class QWidget;

namespace kova::app {
class ImportScreen;
class MainWindow;
}

namespace kova::app::testing {

// Records every message and answers it: the first rule whose text is part of the message's text (or title)
// decides; without one, the message's default answer.
class ScriptedPrompts : public Prompts {
public:
    Answer show(const Message& message) override;

    // Every later message containing `part` is answered `answer`.
    void answer(const std::string& part, Answer answer);
    int count(const std::string& part) const;
    bool saw(const std::string& part) const { return count(part) > 0; }
    const Message* find(const std::string& part) const;
    // All messages, for failure output.
    QString transcript() const;

    std::vector<Message> shown;
    // Runs at every message, before it is answered (the tests look at the screens at that moment).
    std::function<void(const Message&)> onShow;

private:
    std::vector<std::pair<std::string, Answer>> rules_;
};

// A program folder in a temporary folder; with a work database unless told otherwise.
class ProgramFolder {
public:
    explicit ProgramFolder(bool withDatabase = true);
    QString path() const;  // ends with "/"
    std::string stdPath() const { return path().toStdString(); }
    // Writes a file of these bytes (a declaration, usually) in a subfolder "entrada" and returns its path.
    QString writeInput(const QString& name, const std::string& bytes) const;
    QString inputFolder() const;

private:
    QTemporaryDir dir_;
};

// Logs the Show events of the program's windows (by object name) and the messages, in order.
class ShowLog : public QObject {
public:
    ShowLog();
    ~ShowLog() override;
    QStringList entries;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// A program started in a fresh folder, with a fixed machine, scripted prompts and a fixed clock.
struct StartedProgram {
    explicit StartedProgram(bool withDatabase = true);
    ~StartedProgram();
    bool start();
    MainWindow* mainWindow() const;
    ImportScreen* importScreen() const;

    ProgramFolder folder;
    FixedPlatform platform;
    ScriptedPrompts prompts;
    FixedClock clock;
    std::unique_ptr<Program> program;
};

// As soon as a modal dialog with this object name is active, `act` runs on it (polled from the event loop, so
// it also works inside the dialog's own exec). Gives up quietly after `timeoutMs`.
void whenModalShows(const QString& objectName, std::function<void(QWidget*)> act, int timeoutMs = 20000);
// With KOVA_CAPTURAS=<folder> set, saves a picture of the widget there as <name>.png (to look at the screens).
void capture(QWidget* widget, const QString& name);
// Clicks the dialog's button with this object name.
void clickButton(QWidget* dialog, const QString& buttonName);

// Whether every command that the main window switches on and off is on (allOn) or off (allOff).
bool allOn(const MainWindow& main);
bool allOff(const MainWindow& main);

}  // namespace kova::app::testing
