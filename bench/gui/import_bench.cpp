// The desktop program's import of a big declaration as a person sees it, against kova-cli importar of the same file:
// the time from "&Ok" to the end of the job (the error list shown, or the "transmit now?" question up), the longest
// time the window went without serving its events (gaps between the ticks of a 10 ms timer: how late a repaint or
// a press of "&Cancelar" would be served), and with --cancelar-apos-ms N the time from a press of "&Cancelar" at N ms
// to the end of the import. Each figure is the median of the runs; every run starts in a fresh program folder.
// Usage: import_bench KOVA-CLI DECLARATION [--repeticoes N] [--cancelar-apos-ms N]
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/import_screen.h"
#include "app/pending_list_model.h"
#include "support/app_test_support.h"

namespace {

using namespace kova::app;

struct GuiRun {
    double jobMs = 0;
    double longestGapMs = 0;
    double cancelServedMs = -1;  // from the press being due to the end of the import
    int listed = 0;
};

GuiRun importInTheScreen(const QString& declaration, int cancelAfterMs) {
    testing::StartedProgram program;
    GuiRun run;
    if (!program.start() || !program.importScreen()) {
        std::fprintf(stderr, "import_bench: o programa não abriu a tela de importação\n");
        return run;
    }
    ImportScreen* screen = program.importScreen();
    program.prompts.answer("Confirma o cancelamento da importação ?", kova::Answer::Yes);
    const QFileInfo file(declaration);
    screen->onFileClicked(file.absolutePath(), file.fileName());

    QElapsedTimer clock;
    qint64 lastTick = -1;
    qint64 endedAt = -1;
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (lastTick >= 0) run.longestGapMs = std::max(run.longestGapMs, (now - lastTick) / 1e6);
        lastTick = now;
        // The "transmit now?" question ends a clean import as the person sees it.
        if (auto* question = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            if (endedAt < 0) endedAt = now;
            question->reject();
        }
    });
    qint64 cancelDueAt = -1;
    if (cancelAfterMs >= 0) {
        QTimer::singleShot(cancelAfterMs, Qt::PreciseTimer, screen, [&] {
            cancelDueAt = qint64(cancelAfterMs) * 1000000;
            screen->BtnCmd(ImportButton::Cancel)->click();
        });
    }
    clock.start();
    ticks.start(10);
    screen->BtnCmd(ImportButton::Ok)->click();  // returns when the import has ended
    const qint64 returnedAt = clock.nsecsElapsed();
    ticks.stop();
    run.jobMs = (endedAt >= 0 ? endedAt : returnedAt) / 1e6;
    if (cancelDueAt >= 0) run.cancelServedMs = (returnedAt - cancelDueAt) / 1e6;
    run.listed = static_cast<int>(screen->pendingModel()->lineCount());
    return run;
}

double cliImport(const QString& cli, const QString& declaration) {
    QTemporaryDir folder;
    QProcess::execute(cli, {QStringLiteral("iniciar"), QStringLiteral("--pasta"), folder.path()});
    QProcess importar;
    importar.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    importar.start(cli, {QStringLiteral("importar"), declaration, QStringLiteral("--pasta"), folder.path()});
    importar.waitForFinished(-1);
    const double ms = clock.nsecsElapsed() / 1e6;
    if (importar.exitCode() != 0 && importar.exitCode() != 1)
        std::fprintf(stderr, "import_bench: kova-cli importar saiu com %d: %s\n", importar.exitCode(),
                     importar.readAllStandardError().constData());
    return ms;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "Uso: import_bench KOVA-CLI DECLARACAO [--repeticoes N] [--cancelar-apos-ms N]\n");
        return 2;
    }
    const QString cli = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QString declaration = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    int repetitions = 3;
    int cancelAfterMs = -1;
    for (int i = 3; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--repeticoes") == 0) repetitions = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--cancelar-apos-ms") == 0) cancelAfterMs = std::atoi(argv[i + 1]);
    }
    std::vector<double> gui, gaps, cancels, cliTimes;
    int listed = 0;
    for (int i = 0; i < repetitions; ++i) {
        const GuiRun run = importInTheScreen(declaration, cancelAfterMs);
        gui.push_back(run.jobMs);
        gaps.push_back(run.longestGapMs);
        if (run.cancelServedMs >= 0) cancels.push_back(run.cancelServedMs);
        listed = run.listed;
        if (cancelAfterMs < 0) cliTimes.push_back(cliImport(cli, declaration));
    }
    std::printf("gui_ms=%.0f longest_gap_ms=%.1f listed=%d", median(gui), median(gaps), listed);
    if (!cliTimes.empty()) std::printf(" cli_ms=%.0f ratio=%.2f", median(cliTimes), median(gui) / median(cliTimes));
    if (!cancels.empty()) std::printf(" cancel_served_ms=%.1f", median(cancels));
    std::printf(" runs=%d\n", repetitions);
    return 0;
}
