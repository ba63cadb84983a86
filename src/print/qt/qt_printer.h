// The printer back end that draws with QPainter on a QPrinter: the system's default printer (CUPS) or a PDF
// file. Needs a QGuiApplication.
#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QPointF>

#include "print/printer.h"

class QPainter;
class QPrinter;

namespace kova::print {

class QtPrinter : public Printer {
public:
    // The system's default printer.
    static std::unique_ptr<QtPrinter> systemDefault();
    // A PDF file: written under a temporary name in the same folder and put in place when the document ends,
    // so an interrupted document never leaves a file under that name.
    static std::unique_ptr<QtPrinter> pdfFile(std::filesystem::path path);
    // An installed printer chosen for the session (the printer set-up dialog) instead of the default one.
    static std::unique_ptr<QtPrinter> namedPrinter(std::string name);

    ~QtPrinter() override;

    bool printerPresent() override;
    bool fontUsable(const std::string& family) override;
    std::optional<std::string> defaultPrinterName() override;

    // The family the text of the last document was drawn with (after substitution), and its page count.
    const std::string& drawnFamily() const { return drawnFamily_; }
    int pagesPrinted() const { return pages_; }

protected:
    void beginDocument() override;
    void drawText(const TextRun& run) override;
    void lineEnded(int line) override;
    void drawRectangle(const RectangleCm& r) override;
    void startPage() override;
    void finishDocument() override;
    void discardDocument() noexcept override;

private:
    QtPrinter(std::optional<std::filesystem::path> pdf, std::optional<std::string> printerName);
    // The installed printer the document goes to, when it is not a PDF file.
    std::optional<std::string> targetPrinter() const;
    void ensureMetrics();
    void paint(const TextRun& run);
    bool addGlyphs(const TextRun& run);
    void flushLine();
    void releaseDevice() noexcept;

    struct Metrics;
    std::optional<std::filesystem::path> pdf_;
    std::optional<std::string> printerName_;
    std::filesystem::path temporary_;
    std::unique_ptr<QPrinter> device_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<Metrics> metrics_;
    // The glyphs of the current line in a fixed-pitch font, regular and bold, placed by their columns and drawn
    // once when the line ends. Blanks are left out: they put nothing on the paper.
    struct LineGlyphs {
        std::vector<quint32> indexes;
        std::vector<QPointF> positions;
    };
    std::array<LineGlyphs, 2> lineGlyphs_;
    TextRun pendingLine_;
    bool lineOpen_ = false;
    std::string drawnFamily_;
    int pages_ = 0;
};

}  // namespace kova::print
