#include "print/printer.h"

#include <cstdint>
#include <cstring>

namespace kova::print {

int columnWidth(std::string_view utf8) {
    // Every byte but the continuation bytes (10xxxxxx) starts a character; counted eight bytes at a time.
    std::size_t continuations = 0, i = 0;
    for (; i + 8 <= utf8.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, utf8.data() + i, 8);
        if ((word & 0x8080808080808080ull) == 0) continue;  // ASCII
        const std::uint64_t flags = ((word & ~(word << 1)) >> 7) & 0x0101010101010101ull;  // 1 per continuation
        continuations += static_cast<std::size_t>((flags * 0x0101010101010101ull) >> 56);
    }
    for (; i < utf8.size(); ++i) continuations += (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80;
    return static_cast<int>(utf8.size() - continuations);
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
    const int columns = columnWidth(utf8);
    drawText(TextRun{line_, column_, originX_, originY_, utf8, bold_, columns});
    column_ += columns;
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
