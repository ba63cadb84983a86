#include "print/qt/print_output.h"

#include <cstdlib>

#include <QGuiApplication>

#include "core/text.h"
#include "print/page_recorder.h"
#include "print/qt/font_probe.h"
#include "print/qt/qt_printer.h"

namespace kova::print {

bool takePrintDestination(std::vector<std::string>& args, PrintDestination& destination, std::string& error) {
    std::vector<std::string> rest;
    bool chosen = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--pdf" || a == "--texto") {
            if (chosen) {
                error = "Use apenas uma de --pdf e --texto.";
                return false;
            }
            chosen = true;
            if (a == "--texto") {
                destination.kind = PrintDestination::Kind::Text;
                continue;
            }
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = "--pdf precisa do nome do arquivo.";
                return false;
            }
            destination.kind = PrintDestination::Kind::Pdf;
            destination.pdf = args[++i];
            continue;
        }
        rest.push_back(a);
    }
    args = std::move(rest);
    return true;
}

namespace {
QtMessageHandler previousHandler = nullptr;

// A batch run without a desktop session has no XDG_RUNTIME_DIR; Qt copes and says so on every run.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))) return;
    if (previousHandler) previousHandler(type, context, message);
}
}  // namespace

void ensureGuiApplication() {
    if (QGuiApplication::instance()) return;
    previousHandler = qInstallMessageHandler(quietHandler);
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!platform || !*platform) && (!display || !*display) && (!wayland || !*wayland))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "kova-cli";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

std::unique_ptr<Printer> makePrinter(const PrintDestination& destination, std::ostream& text) {
    switch (destination.kind) {
    case PrintDestination::Kind::Text:
        return std::make_unique<TextPageWriter>(text);
    case PrintDestination::Kind::Pdf:
        ensureGuiApplication();
        return QtPrinter::pdfFile(destination.pdf);
    case PrintDestination::Kind::DefaultPrinter:
        break;
    }
    ensureGuiApplication();
    return QtPrinter::systemDefault();
}

std::string documentFontsReport() {
    ensureGuiApplication();
    return describeDocumentFonts().toStdString();
}

Answer BatchPrintPrompts::show(const Message& message) {
    out_ << printable(message.title) << ": " << printable(message.text, true) << "\n";
    if (message.buttons == Buttons::Ok) return Answer::Ok;
    const bool retry = message.text.ends_with("novamente ?");
    const Answer answer = retry ? (message.buttons == Buttons::YesNo ? Answer::No : Answer::Cancel)
                                : (message.buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok);
    out_ << (answer == Answer::Yes || answer == Answer::Ok ? "(Sim)\n" : "(Não)\n");
    return answer;
}

}  // namespace kova::print
