// A printed line composed field by field in one buffer and handed to the printer as one text: the long documents
// print a record's line with one call to the printer instead of one per field. What is printed is the same as
// Printer::at for each field, blanks between them.
#pragma once

#include <string>
#include <string_view>

#include "print/printer.h"

namespace kova::print {

class LineComposer {
public:
    // Fields that would end past `lastColumn` go to the printer on their own (a back end condenses such a text).
    LineComposer(Printer& printer, int lastColumn) : printer_(printer), lastColumn_(lastColumn) {}

    // The text at a column, as Printer::at puts it.
    void at(int column, std::string_view utf8);
    // Prints what is composed and ends the line.
    void endLine();

private:
    void flush();

    Printer& printer_;
    int lastColumn_;
    std::string text_;
    int first_ = 0;    // the column text_ starts at; 0 while nothing is composed
    int columns_ = 0;  // its width
};

}  // namespace kova::print
