// The printer port: what the printed documents need from a printer, and nothing of any drawing library.
// Documents print line by line in character columns of one fixed-pitch font, like a line printer with tabs;
// positions and rectangles are in centimetres from the top left of the printable area.
// The line and column bookkeeping lives here, so every back end places text identically.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kova::print {

// The extent of a document's pages in character cells, so a back end can fit them on its paper.
struct PageGrid {
    int columns = 80;      // the widest line, in columns
    int rows = 66;         // the most lines a page holds
    double topCm = 0.0;    // where the first line starts
};

struct Font {
    std::string family;
    double points = 10.0;
};

// One piece of text as the back ends receive it.
struct TextRun {
    int line = 0;            // 0-based line counted from the vertical origin of the page
    int column = 1;          // 1-based character column
    double originXcm = 0.0;  // where column 1 starts on this line
    double originYcm = 0.0;  // where line 0 starts
    std::string_view text;   // UTF-8
    bool bold = false;
    int columns = 0;         // the columns it takes: columnWidth(text)
};

struct RectangleCm {
    double left = 0, top = 0, right = 0, bottom = 0;
};

// Number of characters (code points) of a UTF-8 text: the width it takes in columns.
int columnWidth(std::string_view utf8);

class Printer {
public:
    virtual ~Printer() = default;

    // Probe (checkPrinterFonts): never throws.
    virtual bool printerPresent() = 0;
    // Whether text can be printed in this family with its own metrics (the family itself or a substitute
    // with the same character widths).
    virtual bool fontUsable(const std::string& family) = 0;
    // The printer the documents go to: the system's default printer, or the one chosen for the session.
    virtual std::optional<std::string> defaultPrinterName() = 0;

    // Document. The document starts with the first text or rectangle; drawing calls throw kova::Fault
    // (482) when the device fails.
    void setFont(const std::string& family, double points);
    void setFontSize(double points);
    void setBold(bool on);
    bool bold() const { return bold_; }
    void setPageGrid(const PageGrid& grid) { grid_ = grid; }
    // The print position: line 0 of the page starts at y, and column 1 of the current line at x.
    void moveTo(double xCm, double yCm);
    // The next text starts at column n; on the next line when the current line is already past it.
    void tab(int column);
    // Text at the current position; the line stays open for more.
    void write(std::string_view utf8);
    // tab(column) then write(text).
    void at(int column, std::string_view utf8) {
        tab(column);
        write(utf8);
    }
    // Ends the current line: the next text starts at column 1 of the next line.
    void endLine();
    // Back to column 1 of the same line: what follows prints over what is there (a failed line printed again).
    void carriageReturn() { column_ = 1; }
    // Convenience: the whole line at column 1.
    void line(std::string_view utf8 = {}) {
        write(utf8);
        endLine();
    }
    // Rectangle outline in black.
    void rectangle(const RectangleCm& r);
    void newPage();
    // Sends the document to the device.
    void endDocument();
    // Drops the document: nothing of it reaches the device. Never throws.
    void abortDocument() noexcept;

    bool documentOpen() const { return open_; }
    int currentLine() const { return line_; }
    int currentColumn() const { return column_; }

protected:
    const Font& font() const { return font_; }
    const PageGrid& grid() const { return grid_; }

    virtual void beginDocument() = 0;
    virtual void drawText(const TextRun& run) = 0;
    // Called when a line ends, also an empty one (the recorder keeps empty lines).
    virtual void lineEnded(int /*line*/) {}
    virtual void drawRectangle(const RectangleCm& r) = 0;
    virtual void startPage() = 0;
    virtual void finishDocument() = 0;
    virtual void discardDocument() noexcept = 0;

private:
    void ensureOpen();

    Font font_{"Courier New", 10.0};
    PageGrid grid_;
    bool bold_ = false;
    bool open_ = false;
    int line_ = 0;
    int column_ = 1;
    double originX_ = 0.0;
    double originY_ = 0.0;
};

}  // namespace kova::print
