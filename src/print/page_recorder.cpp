#include "print/page_recorder.h"

#include "core/text.h"

#include <algorithm>
#include <cstdio>

#include "core/faults.h"

namespace kova::print {

namespace {

bool continuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::string formatCm(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}

constexpr std::size_t kWriteSize = 1 << 20;

}  // namespace

std::size_t RecordedLine::byteOffset(std::size_t column) const {
    if (singleByte_) return std::min(column, chars_.size());
    std::size_t i = 0;
    for (std::size_t k = 0; k < column && i < chars_.size(); ++k) {
        ++i;
        while (i < chars_.size() && continuationByte(chars_[i])) ++i;
    }
    return i;
}

void RecordedLine::put(std::size_t first, std::string_view utf8, std::size_t columns, bool bold) {
    const char flag = bold ? 1 : 0;
    if (first >= bold_.size()) {
        // At or past the end, as a line is mostly printed: blanks up to the column, then the text.
        chars_.append(first - bold_.size(), ' ');
        bold_.append(first - bold_.size(), 0);
        chars_.append(utf8);
        bold_.append(columns, flag);
    } else {
        // Over what is there: columns first..end-1 are replaced, the rest is added.
        const std::size_t end = std::min(first + columns, bold_.size());
        const std::size_t from = byteOffset(first);
        chars_.replace(from, byteOffset(end) - from, utf8);
        bold_.replace(first, end - first, end - first, flag);
        bold_.append(first + columns - end, flag);
    }
    if (utf8.size() != columns) singleByte_ = false;
}

void RecordedLine::clear() {
    chars_.clear();
    bold_.clear();
    singleByte_ = true;
}

std::string_view RecordedLine::trimmedText() const {
    std::string_view text = chars_;
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

template <class Visit>
void RecordedLine::eachColumn(Visit visit) const {
    std::size_t i = 0;
    for (std::size_t k = 0; k < bold_.size() && i < chars_.size(); ++k) {
        const bool blank = chars_[i] == ' ';
        ++i;
        while (i < chars_.size() && continuationByte(chars_[i])) ++i;
        visit(blank, bold_[k] != 0);
    }
}

bool RecordedLine::anyBold() const {
    bool any = false;
    eachColumn([&](bool blank, bool bold) { any = any || (bold && !blank); });
    return any;
}

bool RecordedLine::allBold() const {
    bool seen = false, all = true;
    eachColumn([&](bool blank, bool bold) {
        if (blank) return;
        seen = true;
        all = all && bold;
    });
    return seen && all;
}

void appendPlainText(const RecordedPage& page, std::string& out) {
    for (const auto& l : page.lines) {
        appendPrintable(l.trimmedText(), out);
        out += '\n';
    }
}

std::string plainText(const RecordedPage& page) {
    std::string out;
    appendPlainText(page, out);
    return out;
}

std::string plainText(const std::vector<RecordedPage>& pages) {
    std::string out;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0) out += '\f';
        appendPlainText(pages[i], out);
    }
    return out;
}

std::string annotatedText(const std::vector<RecordedPage>& pages) {
    std::string out;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        out += "=== página " + std::to_string(i + 1) + " ===\n";
        for (const auto& l : pages[i].lines) {
            out += l.allBold() ? "B|" : l.anyBold() ? "b|" : " |";
            out += l.trimmedText();
            out += '\n';
        }
        for (const auto& r : pages[i].rectangles)
            out += "[retângulo " + formatCm(r.left) + " " + formatCm(r.top) + " " + formatCm(r.right) + " " +
                   formatCm(r.bottom) + "]\n";
    }
    return out;
}

RecordedLine& PageRecorder::lineAt(int line) {
    const std::size_t index = line < 0 ? 0 : static_cast<std::size_t>(line);
    while (page_.lines.size() <= index) {
        if (spareLines_.empty()) {
            page_.lines.emplace_back();
        } else {
            page_.lines.push_back(std::move(spareLines_.back()));
            spareLines_.pop_back();
        }
    }
    return page_.lines[index];
}

void PageRecorder::beginDocument() {
    page_ = RecordedPage{};
    pagesOfDoc_.clear();
    docFont_ = font();
    textsDrawn_ = 0;
    pagesSent_ = 0;
}

void PageRecorder::drawText(const TextRun& run) {
    if (failAtText > 0 && ++textsDrawn_ == failAtText) throw Fault(482);
    if (failOnceWhen && failOnceWhen(run.text)) {
        failOnceWhen = nullptr;
        throw Fault(482);
    }
    lineAt(run.line).put(static_cast<std::size_t>(run.column - 1), run.text, static_cast<std::size_t>(run.columns),
                         run.bold);
}

void PageRecorder::lineEnded(int line) { lineAt(line); }

void PageRecorder::drawRectangle(const RectangleCm& r) { page_.rectangles.push_back(r); }

void PageRecorder::flushPage() {
    ++pagesSent_;
    if (!sink_) {
        pagesOfDoc_.push_back(std::move(page_));
        page_ = RecordedPage{};
        return;
    }
    sink_(page_, pagesSent_);
    // The lines keep their buffers for the next pages.
    for (RecordedLine& l : page_.lines) {
        l.clear();
        spareLines_.push_back(std::move(l));
    }
    page_.lines.clear();
    page_.rectangles.clear();
}

void PageRecorder::startPage() { flushPage(); }

void PageRecorder::finishDocument() {
    flushPage();
    done_ = std::move(pagesOfDoc_);
    pagesOfDoc_.clear();
    ++ended_;
}

void PageRecorder::discardDocument() noexcept {
    page_ = RecordedPage{};
    pagesOfDoc_.clear();
    ++aborted_;
}

TextPageWriter::TextPageWriter(std::ostream& out)
    : PageRecorder([this](const RecordedPage& page, int number) {
          if (number > 1) pending_ += '\f';
          appendPlainText(page, pending_);
          if (pending_.size() >= kWriteSize) write();
      }),
      out_(out) {}

void TextPageWriter::write() {
    out_.write(pending_.data(), static_cast<std::streamsize>(pending_.size()));
    out_.flush();
    pending_.clear();
    if (!out_) throw Fault(482);
}

void TextPageWriter::finishDocument() {
    PageRecorder::finishDocument();
    write();
}

void TextPageWriter::discardDocument() noexcept {
    PageRecorder::discardDocument();
    // The pages that ended were printed, as on paper.
    try {
        write();
    } catch (...) {
    }
}

}  // namespace kova::print
