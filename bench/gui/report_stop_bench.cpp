// How soon the stop button of the report screen takes effect while a long report prints. Prints a generated
// declaration with "Toda Declaração", presses "&Cancelar" after a while, answers Yes, and measures from the press
// to the last record printed and to the end of the report.
// Usage: report_stop_bench PROGRAM_FOLDER DELIVERY_FILE [--pdf OUT.pdf] [--after-ms N]
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/declaration_report_screen.h"
#include "app/screen_host.h"
#include "core/clock.h"
#include "core/work_database.h"
#include "print/page_recorder.h"
#include "print/qt/qt_printer.h"

namespace {

using namespace kova;

struct NoHost : app::ScreenHost {
    void disableMenus() override {}
    void enableMenus() override {}
    void centreScreen(QWidget*) override {}
    void showHelp(std::optional<int>) override {}
};

// Every question answered Yes; the moment the stop question is answered is kept.
struct YesPrompts : Prompts {
    Answer show(const Message& m) override {
        if (m.text == "Deseja realmente cancelar a impressão ?") answeredAt = clock->nsecsElapsed();
        return m.buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    QElapsedTimer* clock = nullptr;
    qint64 answeredAt = -1;
};

// The screen, noting when the report last went past a record.
class TimedScreen : public app::DeclarationReportScreen {
public:
    using DeclarationReportScreen::DeclarationReportScreen;
    void pump() override {
        lastRecordAt = clock->nsecsElapsed();
        ++records;
        DeclarationReportScreen::pump();
    }
    QElapsedTimer* clock = nullptr;
    qint64 lastRecordAt = -1;
    long long records = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "Uso: report_stop_bench PASTA ARQUIVO.DEC [--pdf SAIDA.pdf] [--after-ms N]\n");
        return 2;
    }
    std::string pdf;
    int afterMs = 2000;
    for (int i = 3; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--pdf") == 0) pdf = argv[i + 1];
        if (std::strcmp(argv[i], "--after-ms") == 0) afterMs = std::atoi(argv[i + 1]);
    }
    WorkDatabase database(argv[1]);
    database.open();
    SystemClock clock;
    print::PrinterFlags flags;
    QElapsedTimer elapsed;
    YesPrompts prompts;
    prompts.clock = &elapsed;
    long long pagesSent = 0;
    app::DeliveryServices services{database, prompts, clock, flags,
                                   [&](const QString&, QWidget*) -> std::unique_ptr<print::Printer> {
                                       if (!pdf.empty()) return print::QtPrinter::pdfFile(pdf);
                                       return std::make_unique<print::PageRecorder>(
                                           [&](const print::RecordedPage&, int) { ++pagesSent; });
                                   }};
    CatalogueRow row;
    row.fileName = argv[2];
    NoHost host;
    TimedScreen screen(host, services, {}, row);
    screen.clock = &elapsed;
    screen.show();
    screen.OptTipoImpressao(0)->click();

    // The press comes as a person's would: an event that waits in the queue until the report's own event
    // pumping serves it. Times are counted from the moment it was due.
    qint64 servedAt = -1;
    elapsed.start();
    const qint64 dueAt = qint64(afterMs) * 1000000;
    QTimer::singleShot(afterMs, Qt::PreciseTimer, &screen, [&] {
        servedAt = elapsed.nsecsElapsed();
        screen.CmdCancel()->click();
    });
    screen.CmdImprimir()->click();
    const qint64 endedAt = elapsed.nsecsElapsed();

    const auto ms = [&](qint64 ns) { return (ns - dueAt) / 1e6; };
    std::printf("records_passed=%lld pages_sent=%lld press_served_ms=%.1f stop_answered_ms=%.1f "
                "last_record_ms=%.1f report_ended_ms=%.1f printer=%s\n",
                screen.records, pagesSent, ms(servedAt), ms(prompts.answeredAt), ms(screen.lastRecordAt),
                ms(endedAt), pdf.empty() ? "recorder" : "pdf");
    return servedAt < 0 ? 1 : 0;
}
