#include "print/line_composer.h"

namespace kova::print {

void LineComposer::at(int column, std::string_view utf8) {
    const int width = columnWidth(utf8);
    // A field that starts inside what is composed (the printer's tab moves it to the next line) or ends past the
    // last column is printed as the printer would print it alone.
    if (first_ > 0 && (column < first_ + columns_ || column + width - 1 > lastColumn_)) flush();
    if (column + width - 1 > lastColumn_) {
        printer_.at(column, utf8);
        return;
    }
    if (first_ == 0) {
        text_.clear();  // also what a printer fault left behind
        first_ = column;
    } else {
        text_.append(static_cast<std::size_t>(column - first_ - columns_), ' ');
        columns_ = column - first_;
    }
    text_ += utf8;
    columns_ += width;
}

void LineComposer::flush() {
    if (first_ == 0) return;
    const int first = first_;
    first_ = columns_ = 0;
    printer_.at(first, text_);
}

void LineComposer::endLine() {
    flush();
    printer_.endLine();
}

}  // namespace kova::print
