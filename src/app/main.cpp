// kova: the desktop program.
#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/main_window.h"
#include "app/platform.h"
#include "app/program_folder.h"
#include "app/qt_prompts.h"
#include "app/startup.h"
#include "app/toolbar_icons.h"
#include "core/clock.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kova"));
    // No display name: it would be added to every window's caption, and each window has exactly its own.
    QApplication::setDesktopFileName(QStringLiteral("kova"));
    QApplication::setWindowIcon(kova::app::programIcon(kova::app::ProgramIcon::Program));
    // Qt's own texts (standard buttons, the printer dialog) in Portuguese, whatever the session's language.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_pt_BR"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    // The help window may stay after the main window is gone; the program ends with the main window.
    QApplication::setQuitOnLastWindowClosed(false);

    kova::app::StartupOptions options;
    options.executableFolder = QCoreApplication::applicationDirPath();
    const QStringList arguments = QCoreApplication::arguments();
    const QString environmentFolder = qEnvironmentVariable("KOVA_PASTA");
    options.programFolder = kova::app::resolveProgramFolder(arguments, environmentFolder, options.executableFolder);
    options.makeMissingProgramFolder =
        kova::app::isPerUserProgramFolder(arguments, environmentFolder, options.executableFolder);

    kova::app::DesktopPlatform platform;
    kova::app::QtPrompts prompts;
    kova::SystemClock clock;
    kova::app::Program program(options, platform, prompts, clock);
    if (!program.start()) return 1;
    prompts.setParent(program.mainWindow());
    return app.exec();
}
