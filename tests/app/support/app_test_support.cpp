#include "support/app_test_support.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "app/catalogue_screen.h"
#include "app/import_screen.h"
#include "support/delivery/sealed_delivery_file.h"
#include "support/program_run.h"
#include <algorithm>

namespace kova::app::testing {

// --- ScriptedPrompts -----------------------------------------------------------------------------------------------

static bool mentions(const Message& m, const std::string& part) {
    return m.text.find(part) != std::string::npos || m.title.find(part) != std::string::npos;
}

Answer ScriptedPrompts::show(const Message& message) {
    shown.push_back(message);
    if (onShow) onShow(message);
    for (const auto& [part, answer] : rules_)
        if (mentions(message, part)) return answer;
    return message.defaultAnswer;
}


int ScriptedPrompts::count(const std::string& part) const {
    return int(std::count_if(shown.begin(), shown.end(), [&](const Message& m) { return mentions(m, part); }));
}

const Message* ScriptedPrompts::find(const std::string& part) const {
    const auto it = std::find_if(shown.begin(), shown.end(), [&](const Message& m) { return mentions(m, part); });
    return it == shown.end() ? nullptr : &*it;
}

// --- ProgramFolder -------------------------------------------------------------------------------------------------

ProgramFolder::ProgramFolder(bool withDatabase) {
    if (withDatabase) kova::createDatabase(std::filesystem::path(stdPath()) / kWorkDatabaseFile);
}

QString ProgramFolder::path() const { return QDir::cleanPath(dir_.path()) + QLatin1Char('/'); }

QString ProgramFolder::writeInput(const QString& name, const std::string& bytes) const {
    QDir().mkpath(path() + QStringLiteral("entrada"));
    const QString file = path() + QStringLiteral("entrada/") + name;
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
    out.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return file;
}

// --- StartedProgram ------------------------------------------------------------------------------------------------

StartedProgram::StartedProgram(bool withDatabase, const QString& programFolder, bool makeMissing)
    : folder(withDatabase), clock(DateTime{2024, 3, 15, 10, 20, 30}) {
    StartupOptions options;
    options.programFolder = programFolder.isEmpty() ? folder.path() : programFolder;
    options.makeMissingProgramFolder = makeMissing;
    options.executableFolder = QCoreApplication::applicationDirPath();
    options.splashTickMs = 1;
    options.quitOnExit = false;
    program = std::make_unique<Program>(options, platform, prompts, clock);
}


ImportScreen* StartedProgram::importScreen() const {
    return mainWindow() ? mainWindow()->findChild<ImportScreen*>() : nullptr;
}

InstalledQuiboro::InstalledQuiboro(const std::string& version)
    : previous_(qgetenv("KOVA_WINDIR")) {
    qputenv("KOVA_WINDIR", windows_.path().toUtf8());
    QFile settings(windows_.filePath(QStringLiteral("qui-bor.ini")));
    if (settings.open(QIODevice::WriteOnly))
        settings.write(QStringLiteral("[Qui-Bor]\r\nVersao=%1\r\nPath=%2\r\n")
                           .arg(QString::fromStdString(version),
                                QString::fromStdString(testing_support::binFolder().string()))
                           .toUtf8());
}

InstalledQuiboro::~InstalledQuiboro() {
    if (previous_.isEmpty()) qunsetenv("KOVA_WINDIR");
    if (!previous_.isEmpty()) qputenv("KOVA_WINDIR", previous_);
}

// --- The screens of the generated declarations ---------------------------------------------------------------------

DeliveryDesk::DeliveryDesk() : database(folder.stdPath()) {
    context.programFolder = folder.path();
    database.open();
    main.show();
}

DeliveryDesk::~DeliveryDesk() {
    // The screens go before the database they read.
    for (QMdiSubWindow* sub : main.mdiArea()->subWindowList()) delete sub;
}

std::filesystem::path DeliveryDesk::add(std::size_t n, const char* name, int levies) {
    namespace fs = std::filesystem;
    fixtures::DeclarationBuilder d;
    d.header().cnpj(fixtures::nthCnpj(n)).name(name);
    d.type3(1).type4F(1).type5(levies);
    const fs::path generated = fs::path(folder.stdPath()) / "GERADA";
    const fs::path written = testing_support::writeSealedDeliveryFile(generated / "nova", d);
    fs::rename(generated / "nova", generated / written.stem());
    return generated / written.stem() / written.filename();
}

DeliveryServices DeliveryDesk::services() {
    return DeliveryServices{database, prompts, clock, context.printerFlags,
                            [this](const QString&, QWidget*) -> std::unique_ptr<print::Printer> {
                                return std::make_unique<print::PageRecorder>(
                                    [this](const print::RecordedPage& page, int) { pages.push_back(page); });
                            }};
}

void waitForCatalogue(QWidget* screen) {
    auto* catalogue = qobject_cast<CatalogueScreen*>(screen);
    QPointer<QWidget> alive(screen);
    QTRY_VERIFY(!alive || !catalogue->Timer1()->isActive());
}

QStringList DeliveryDesk::printedLines() const {
    QStringList lines;
    for (const print::RecordedPage& page : pages) {
        for (const print::RecordedLine& line : page.lines) lines << QString::fromStdString(line.text());
    }
    return lines;
}

// --- Modal dialogs -------------------------------------------------------------------------------------------------

void whenTrue(std::function<bool()> ready, std::function<void()> act, int intervalMs, int timeoutMs) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(intervalMs);
    QElapsedTimer waited;
    waited.start();
    QObject::connect(timer, &QTimer::timeout, [timer, waited, ready, act, timeoutMs] {
        const bool now = ready();
        if (!now && waited.elapsed() <= timeoutMs) return;
        timer->stop();
        timer->deleteLater();
        if (now) act();
    });
    timer->start();
}

void whenModalShows(const QString& objectName, std::function<void(QWidget*)> act, int timeoutMs) {
    const auto modal = [objectName] {
        QWidget* w = QApplication::activeModalWidget();
        return w && w->objectName() == objectName && w->isVisible() ? w : nullptr;
    };
    whenTrue([modal] { return modal() != nullptr; }, [modal, act] { act(modal()); }, 5, timeoutMs);
}

void clickButton(QWidget* dialog, const QString& buttonName) {
    if (auto* b = dialog->findChild<QAbstractButton*>(buttonName)) b->click();
}

bool allOn(const MainWindow& main) {
    const QList<QAction*> commands = main.switchedCommands();
    return std::all_of(commands.begin(), commands.end(), [](QAction* a) { return a->isEnabled(); });
}

bool allOff(const MainWindow& main) {
    const QList<QAction*> commands = main.switchedCommands();
    return std::none_of(commands.begin(), commands.end(), [](QAction* a) { return a->isEnabled(); });
}

}  // namespace kova::app::testing
