// GLOBAIS: the program's start-up and the objects that live as long as the program (the one-copy lock, the main
// window, the help, the work database, the clock).
#pragma once

#include <QLockFile>
#include <QString>
#include <functional>
#include <memory>

#include "app/program_context.h"
#include "core/clock.h"
#include "core/ports.h"

namespace kova {
class WorkDatabase;
}

namespace kova::app {

class HelpLauncher;
class MainWindow;
class Platform;

struct StartupOptions {
    QString programFolder;     // ends with "/"
    QString executableFolder;  // where the help is looked for when the program folder has none
    // The installed program's per-user folder: made, with a notice, when it does not exist yet.
    bool makeMissingProgramFolder = false;
    int splashTickMs = 1000;
    // The confirmed exit ends the application's event loop (tests keep their own loop running).
    bool quitOnExit = true;
};

// The lock that lets one copy of the program run per program folder. When the folder cannot hold the lock
// file (a read-only installation) the lock lives in the temporary folder, named after the program folder.
class SingleCopyLock {
public:
    explicit SingleCopyLock(const QString& programFolder);
    // False when another copy holds the lock.
    bool acquire();
    QString path() const { return path_; }

private:
    QString folder_;
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

class Program {
public:
    Program(StartupOptions options, Platform& platform, Prompts& prompts, const Clock& clock);
    ~Program();

    // Start-up, in its fixed order. False when the program ends here (the reason was shown).
    bool start();

    ProgramContext& context() { return context_; }
    MainWindow* mainWindow() const { return main_.get(); }
    HelpLauncher& help() { return *help_; }
    WorkDatabase* database() const { return database_.get(); }
    // The main window, created on first use: the commands are switched off before it is shown.
    MainWindow& ensureMainWindow();

private:
    // The main window, the splash that opens the work database, then the import screen.
    bool bringUpScreens();
    void registerScreens();
    bool openWorkDatabase();

    StartupOptions options_;
    Platform& platform_;
    Prompts& prompts_;
    const Clock& clock_;
    ProgramContext context_;
    SingleCopyLock lock_;
    std::unique_ptr<HelpLauncher> help_;
    std::unique_ptr<WorkDatabase> database_;
    std::unique_ptr<MainWindow> main_;
};

}  // namespace kova::app
