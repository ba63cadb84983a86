#include "app/startup.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include "app/delivery_screens.h"
#include "app/environment_checks.h"
#include "app/help_window.h"
#include "app/import_screen.h"
#include "app/main_window.h"
#include "app/platform.h"
#include "app/program_folder.h"
#include "app/splash_screen.h"
#include "app/transmission_screen.h"
#include "app/replace_question.h"
#include "core/faults.h"
#include "core/work_database.h"
#include "delivery/generation.h"
#include "print/error_report.h"

namespace kova::app {

namespace {

constexpr const char* kLockFileName = "KOVA.LCK";

std::filesystem::path toPath(const QString& text) { return std::filesystem::path(text.toStdString()); }

// generateDeliveryFile of one import screen, with ReplaceQuestionDialog as its replace question.
class ScreenGeneration : public GenerationPort {
public:
    ScreenGeneration(ImportScreen& screen, ScreenHost& host)
        : question_(screen.session().answer, &host, &screen), generation_(&question_) {}
    bool startBody(GenerationContext& context, RecordSink*& sink) override {
        return generation_.startBody(context, sink);
    }
    bool generateDeliveryFile(GenerationContext& context) override { return generation_.generateDeliveryFile(context); }
    void dropBody() noexcept override { generation_.dropBody(); }

private:
    ScreenReplaceQuestion question_;
    DeliveryGeneration generation_;
};

}  // namespace

// --- One copy per program folder -----------------------------------------------------------------------------------

SingleCopyLock::SingleCopyLock(const QString& programFolder) : folder_(programFolder) {}

bool SingleCopyLock::acquire() {
    auto tryAt = [this](const QString& path) {
        path_ = path;
        lock_ = std::make_unique<QLockFile>(path);
        // A lock left by a copy that died is taken over (QLockFile checks the process named in it).
        lock_->setStaleLockTime(0);
        return lock_->tryLock(0);
    };
    if (tryAt(QDir(folder_).filePath(QString::fromLatin1(kLockFileName)))) return true;
    if (lock_->error() == QLockFile::LockFailedError) return false;
    // The program folder cannot hold the lock file: the lock goes to the temporary folder, named after it.
    const QByteArray key =
        QCryptographicHash::hash(QDir::cleanPath(folder_).toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    if (tryAt(QDir(QDir::tempPath()).filePath(QStringLiteral("kova-%1.lck").arg(QString::fromLatin1(key)))))
        return true;
    return lock_->error() != QLockFile::LockFailedError;  // no lock can be had anywhere: the copy may run
}

// --- Start-up ------------------------------------------------------------------------------------------------------

Program::Program(StartupOptions options, Platform& platform, Prompts& prompts, const Clock& clock)
    : options_(std::move(options)),
      platform_(platform),
      prompts_(prompts),
      clock_(clock),
      lock_(options_.programFolder),
      help_(std::make_unique<HelpLauncher>(options_.programFolder, options_.executableFolder)) {
    context_.programFolder = options_.programFolder;
}

Program::~Program() {
    // The screens go before the database and the services they use.
    main_.reset();
}

MainWindow& Program::ensureMainWindow() {
    if (!main_) {
        main_ = std::make_unique<MainWindow>(context_, prompts_, *help_);
        if (options_.quitOnExit) {
            QObject::connect(main_.get(), &MainWindow::exitConfirmed, qApp, &QCoreApplication::quit,
                             Qt::QueuedConnection);
        }
        registerScreens();
    }
    return *main_;
}

bool Program::start() {
    // Before the one-copy lock, which lives in the folder once there is one.
    if (options_.makeMissingProgramFolder && !makeProgramFolderOnFirstStart(context_.programFolder, prompts_))
        return false;
    if (!lock_.acquire()) {
        prompts_.show(secondCopyMessage());
        return false;
    }
    ensureMainWindow().disableAllCommands();
    // The program folder is the working folder: relative names (help, database) are found there.
    context_.versionText = programVersionText();
    QDir::setCurrent(context_.programFolder);
    if (platform_.systemFolder().isEmpty()) {
        prompts_.show(noSystemFolderMessage());
        return false;
    }
    // The environment checks only warn.
    if (auto message = resolutionMessage(platform_.screenSize())) prompts_.show(*message);
    for (const Message& m : regionalFormatMessages(platform_.shortDateFormat(), platform_.timeFormat()))
        prompts_.show(m);
    // From here on a run-time fault ends the program with its message.
    try {
        if (!bringUpScreens()) return false;
    } catch (const Fault& fault) {
        prompts_.show(loadFailureMessage(faultMessage(fault)));
        return false;
    } catch (const std::exception& e) {
        prompts_.show(loadFailureMessage(e.what()));
        return false;
    }
    QCoreApplication::processEvents();
    return true;
}

bool Program::bringUpScreens() {
    main_->show();
    QCoreApplication::processEvents();
    SplashScreen splash([this] { return openWorkDatabase(); }, main_.get(), options_.splashTickMs);
    if (!splash.run()) return false;
    main_->openScreen(ScreenKind::Import);
    return true;
}

bool Program::openWorkDatabase() {
    database_ = std::make_unique<WorkDatabase>(toPath(context_.programFolder));
    if (database_->openForSession(prompts_)) return true;
    database_.reset();
    return false;
}

void Program::registerScreens() {
    main_->setScreenFactory(ScreenKind::Import, [this](MainWindow& host) -> QWidget* {
        if (!database_) return nullptr;
        ImportServices services{*database_, clock_, prompts_, {}, {}, {}};
        services.makeGeneration = [](ImportScreen& screen, ScreenHost& screenHost) -> std::unique_ptr<GenerationPort> {
            return std::make_unique<ScreenGeneration>(screen, screenHost);
        };
        services.transmit = [this](QWidget* screen, int option, const std::filesystem::path& deliveryFile) {
            return transmitFromScreen(screen, prompts_, toPath(context_.programFolder),
                                      static_cast<std::int16_t>(option), deliveryFile, {}) ==
                   TransmissionOutcome::Accepted;
        };
        services.printPending = [this](Progress& progress, const CancelFlag& stop, QWidget* screen,
                                       const QString& documentName) {
            const std::unique_ptr<print::Printer> printer =
                context_.printer.documentPrinter(documentName, prompts_, screen);
            if (!printer) return;
            print::PrintContext print{*printer, context_.printerFlags, prompts_, clock_, progress, &stop};
            print::printErrorReport(*database_, print);
        };
        return new ImportScreen(context_, host, std::move(services));
    });
    registerDeliveryScreens(*main_, context_, prompts_, clock_, [this] { return database_.get(); });
}

}  // namespace kova::app
