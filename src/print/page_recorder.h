// A printer that records what is printed: pages of lines in character columns with their bold cells, and the
// rectangles. Tests compare its pages with golden texts; kova-cli --texto writes them to the terminal.
// Long documents go through it page by page: once its buffers have grown, a page costs no allocation.
#pragma once

#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "print/printer.h"

namespace kova::print {

// One printed line: its characters column by column (blanks where nothing was printed) and their boldness.
class RecordedLine {
public:
    // Puts `utf8`, `columns` characters wide, from 0-based column `first` on, over whatever is there.
    void put(std::size_t first, std::string_view utf8, std::size_t columns, bool bold);
    // Empty again, keeping its buffers.
    void clear();

    // The line as text, trailing blanks dropped.
    std::string text() const { return std::string(trimmedText()); }
    std::string_view trimmedText() const;
    bool anyBold() const;
    // Every non-blank character bold (false for a line without any).
    bool allBold() const;

private:
    std::size_t byteOffset(std::size_t column) const;
    // Calls visit(blank, bold) for every column in order.
    template <class Visit>
    void eachColumn(Visit visit) const;

    std::string chars_;       // UTF-8, one character per column from column 1
    std::string bold_;        // one flag per column: 1 bold, 0 not
    bool singleByte_ = true;  // every character one byte: column n starts at byte n - 1
};

struct RecordedPage {
    std::vector<RecordedLine> lines;
    std::vector<RectangleCm> rectangles;
};

// The page as plain text: one text line per printed line.
std::string plainText(const RecordedPage& page);
void appendPlainText(const RecordedPage& page, std::string& out);
// The pages of a document as plain text, a form feed between pages.
std::string plainText(const std::vector<RecordedPage>& pages);
// The golden form: each line behind a gutter telling its boldness ("B|" all bold, "b|" partly, " |" none),
// every page behind a "=== página N ===" line, and the rectangles after the lines of their page.
std::string annotatedText(const std::vector<RecordedPage>& pages);

class PageRecorder : public Printer {
public:
    using PageSink = std::function<void(const RecordedPage& page, int number)>;

    // Keeps every page of the last document.
    PageRecorder() = default;
    // Hands each finished page to sink and forgets it (long documents).
    explicit PageRecorder(PageSink sink) : sink_(std::move(sink)) {}

    // What the probe answers.
    bool present = true;
    std::set<std::string> knownFonts{"Courier New", "Courier", "Arial"};
    std::optional<std::string> defaultPrinter = std::string("Registro de páginas");
    // Fault injection for tests: the n-th text drawn (1 = the first) throws Fault 482; 0 never.
    int failAtText = 0;
    // Or: the first text for which this answers true throws Fault 482 (once).
    std::function<bool(std::string_view text)> failOnceWhen;

    bool printerPresent() override { return present; }
    bool fontUsable(const std::string& family) override { return present && knownFonts.count(family) > 0; }
    std::optional<std::string> defaultPrinterName() override { return present ? defaultPrinter : std::nullopt; }

    // The pages of the last ended document (empty with a sink).
    const std::vector<RecordedPage>& pages() const { return done_; }
    int documentsEnded() const { return ended_; }
    int documentsAborted() const { return aborted_; }
    // The family and size in force when the last document began.
    const Font& documentFont() const { return docFont_; }
    int pagesSent() const { return pagesSent_; }

protected:
    void beginDocument() override;
    void drawText(const TextRun& run) override;
    void lineEnded(int line) override;
    void drawRectangle(const RectangleCm& r) override;
    void startPage() override;
    void finishDocument() override;
    void discardDocument() noexcept override;

private:
    RecordedLine& lineAt(int line);
    void flushPage();

    PageSink sink_;
    RecordedPage page_;
    std::vector<RecordedLine> spareLines_;  // lines of pages handed to the sink, cleared for the next pages
    std::vector<RecordedPage> pagesOfDoc_;
    std::vector<RecordedPage> done_;
    Font docFont_;
    int textsDrawn_ = 0;
    int ended_ = 0;
    int aborted_ = 0;
    int pagesSent_ = 0;
};

// Writes each document's pages as plain text to a stream (a form feed between pages), gathered into writes of
// about a mebibyte. A failed write is Fault 482, as a printer that fails.
class TextPageWriter : public PageRecorder {
public:
    explicit TextPageWriter(std::ostream& out);

protected:
    void finishDocument() override;
    void discardDocument() noexcept override;

private:
    void write();

    std::ostream& out_;
    std::string pending_;
};

}  // namespace kova::print
