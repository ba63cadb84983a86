#include "print/printer.h"

namespace kova::print {

int columnWidth(std::string_view utf8) {
    int n = 0;
    for (char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

void Printer::setFont(const std::string& family, double points) {
    font_.family = family;
    font_.points = points;
}

void Printer::setFontSize(double points) { font_.points = points; }

void Printer::setBold(bool on) { bold_ = on; }

void Printer::ensureOpen() {
    if (open_) return;
    beginDocument();
    open_ = true;
}

void Printer::moveTo(double xCm, double yCm) {
    originX_ = xCm;
    originY_ = yCm;
    line_ = 0;
    column_ = 1;
}

void Printer::tab(int column) {
    if (column < 1) column = 1;
    if (column_ > column) endLine();
    column_ = column;
}

void Printer::write(std::string_view utf8) {
    if (utf8.empty()) return;
    ensureOpen();
    drawText(TextRun{line_, column_, originX_, originY_, utf8, bold_});
    column_ += columnWidth(utf8);
}

void Printer::endLine() {
    ensureOpen();
    lineEnded(line_);
    ++line_;
    column_ = 1;
    originX_ = 0.0;
}

void Printer::rectangle(const RectangleCm& r) {
    ensureOpen();
    drawRectangle(r);
}

void Printer::newPage() {
    ensureOpen();
    startPage();
    line_ = 0;
    column_ = 1;
    originX_ = 0.0;
    originY_ = 0.0;
}

void Printer::endDocument() {
    ensureOpen();
    // The state is reset first: whatever the device answers, this document is over.
    open_ = false;
    line_ = 0;
    column_ = 1;
    originX_ = originY_ = 0.0;
    finishDocument();
}

void Printer::abortDocument() noexcept {
    if (open_) discardDocument();
    open_ = false;
    line_ = 0;
    column_ = 1;
    originX_ = originY_ = 0.0;
}

}  // namespace kova::print
