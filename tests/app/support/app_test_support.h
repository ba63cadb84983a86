// What the screen tests share: a prompt layer answered by script, a program folder with its work database,
// a started program, and helpers that answer the program's own modal dialogs.
#pragma once

#include <QCoreApplication>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "app/delivery_services.h"
#include "app/help_window.h"
#include "app/main_window.h"
#include "app/platform.h"
#include "app/program_context.h"
#include "app/startup.h"
#include "core/clock.h"
#include "core/ports.h"
#include "core/work_database.h"
#include "print/page_recorder.h"
#include "support/declaration_builder.h"

class QWidget;

namespace kova::app {
class ImportScreen;
}

namespace kova::app::testing {

// Records every message and answers it: the first rule whose text is part of the message's text (or title)
// decides; without one, the message's default answer.
class ScriptedPrompts : public Prompts {
public:
    Answer show(const Message& message) override;

    // Every later message containing `part` is answered `answer`.
    void answer(const std::string& part, Answer answer) { rules_.emplace_back(part, answer); }
    int count(const std::string& part) const;
    bool saw(const std::string& part) const { return count(part) > 0; }
    const Message* find(const std::string& part) const;

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

private:
    QTemporaryDir dir_;
};

// A program started in a fresh folder (or in `programFolder`), with a fixed machine, scripted prompts and a fixed
// clock.
struct StartedProgram {
    explicit StartedProgram(bool withDatabase = true, const QString& programFolder = {}, bool makeMissing = false);
    bool start() { return program->start(); }
    MainWindow* mainWindow() const { return program->mainWindow(); }
    ImportScreen* importScreen() const;

    ProgramFolder folder;
    FixedPlatform platform;
    ScriptedPrompts prompts;
    FixedClock clock;
    std::unique_ptr<Program> program;
};

// The stand-in Quiboro of this build installed for this process (qui-bor.ini in $KOVA_WINDIR), with a version.
class InstalledQuiboro {
public:
    explicit InstalledQuiboro(const std::string& version = "200702");
    ~InstalledQuiboro();

private:
    QTemporaryDir windows_;
    QByteArray previous_;
};

// Waits until the screen of generated declarations has loaded its catalogue (or is gone).
void waitForCatalogue(QWidget* screen);

// The main window of a program folder with its work database, for the screens of the generated declarations;
// what they print is recorded page by page.
struct DeliveryDesk {
    DeliveryDesk();
    ~DeliveryDesk();
    DeliveryServices services();
    // A screen opened as the main window's command opens it, its catalogue loaded.
    template <typename Screen>
    Screen* open() {
        auto* screen = new Screen(context, main, services());
        main.showChild(screen);
        waitForCatalogue(screen);
        return screen;
    }
    // Writes the sealed delivery file of a declaration of the n-th declarant (CNPJ nthCnpj(n)), with a few records
    // of each detail type, into its own folder under GERADA, as generation does; returns its path.
    std::filesystem::path add(std::size_t n, const char* name, int levies = 2);
    // The text of every line of the recorded pages.
    QStringList printedLines() const;

    ProgramFolder folder;
    ProgramContext context;
    ScriptedPrompts prompts;
    FixedClock clock{DateTime{2024, 3, 15, 10, 20, 30}};
    HelpLauncher help{QCoreApplication::applicationDirPath() + QStringLiteral("/"),
                      QCoreApplication::applicationDirPath()};
    MainWindow main{context, prompts, help};
    WorkDatabase database;
    std::vector<print::RecordedPage> pages;
};

// As soon as `ready` holds, `act` runs once (polled every `intervalMs` from the event loop, so it also runs
// inside a screen's own long operation or a dialog's exec). Gives up quietly after `timeoutMs`.
void whenTrue(std::function<bool()> ready, std::function<void()> act, int intervalMs = 2, int timeoutMs = 60000);
// As soon as a modal dialog with this object name is active, `act` runs on it.
void whenModalShows(const QString& objectName, std::function<void(QWidget*)> act, int timeoutMs = 20000);
// Clicks the dialog's button with this object name.
void clickButton(QWidget* dialog, const QString& buttonName);

// Whether every command that the main window switches on and off is on (allOn) or off (allOff).
bool allOn(const MainWindow& main);
bool allOff(const MainWindow& main);

}  // namespace kova::app::testing
