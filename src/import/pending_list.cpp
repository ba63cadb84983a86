#include "import/pending_list.h"

#include <cstdio>

#include "core/text.h"

namespace kova {

namespace {

constexpr std::size_t kMessageWidth = 55;
constexpr int kFirstLine = 4;  // the line counter of a block starts here
constexpr int kLastLine = 80;  // ... and a block takes lines while it is at most this: 77 lines

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The first `count` characters (code points) of a UTF-8 text.
std::string_view firstCharacters(std::string_view text, std::size_t count) {
    std::size_t i = 0;
    while (i < text.size() && count > 0) {
        ++i;
        while (i < text.size() && isContinuationByte(text[i])) ++i;
        --count;
    }
    return text.substr(0, i);
}

std::size_t characterCount(std::string_view text) {
    std::size_t n = 0;
    for (char c : text) n += isContinuationByte(c) ? 0 : 1;
    return n;
}

std::string padRight(std::string text, std::size_t width) {
    const std::size_t n = characterCount(text);
    if (n < width) text.append(width - n, ' ');
    return text;
}

std::string zeroPadded(std::int64_t value, int width) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%0*lld", width, static_cast<long long>(value));
    return buffer;
}

// A column text of the log is digits; shown with at least four digits. Anything else is shown as it stands.
std::string columnShown(const std::string& text) {
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos)
        return text;
    return zeroPadded(std::stoll(text), 4);
}

std::string pendingMessage(const ErrorListing& row) {
    if (!row.complement.empty())
        return std::string(trimBlanks(firstCharacters(row.description, 30))) +
               std::string(trimBlanks(firstCharacters(row.complement, 23)));
    return std::string(trimBlanks(firstCharacters(row.description, 53)));
}

}  // namespace

std::string pendingHeading() {
    return "MENSAGEM DE ERRO" + std::string(37, ' ') + "TIPO" + "   NºREG" + "  POS.INICIAL" + "  POS.FINAL";
}

std::string pendingLine(const ErrorListing& row) {
    // A read-failure row (type "0") shows a blank type; any type keeps its one-character column.
    const std::string type = row.recordType == "0" ? " " : padRight(row.recordType, 1);
    return padRight(pendingMessage(row), kMessageWidth) + type + std::string(4, ' ') + zeroPadded(row.recordNumber, 5) +
           std::string(5, ' ') + columnShown(row.firstColumn) + std::string(9, ' ') + columnShown(row.lastColumn);
}

void listPending(ErrorLog& log, ImportEvents& events) {
    std::int64_t rows = 0;
    int lineCounter = kFirstLine;
    log.listErrors([&](const ErrorListing& row) {
        if (rows == 0 || lineCounter > kLastLine) {
            if (rows != 0) {
                events.pendingLine(std::string(90, '_'));
                events.pendingLine(" ");
            }
            events.pendingLine(pendingHeading());
            events.pendingLine(" ");
            lineCounter = kFirstLine;
        }
        events.pendingRow(row, pendingLine(row));
        ++lineCounter;
        ++rows;
        return true;
    });
    if (rows == 0) return;
    events.pendingLine(std::string(90, '_'));
    events.errorCountChanged(rows);
    events.pendingLine(" ");
    events.pendingLine(rows == 1 ? std::string("Foi encontrado 1 erro. Foi impossível gerar a declaração.")
                                 : "Foram encontrados " + std::to_string(rows) +
                                       " erros. Foi impossível gerar a declaração.");
    events.pendingLine(std::string(90, '='));
}

}  // namespace kova
