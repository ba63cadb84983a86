#include "print/page_recorder.h"

#include <cstdio>

#include "core/faults.h"

namespace kova::print {

namespace {

// Splits UTF-8 text into its characters (a lead byte with its continuation bytes).
std::vector<std::string> splitCharacters(std::string_view text) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t j = i + 1;
        while (j < text.size() && (static_cast<unsigned char>(text[j]) & 0xC0) == 0x80) ++j;
        out.emplace_back(text.substr(i, j - i));
        i = j;
    }
    return out;
}

std::string formatCm(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}

}  // namespace

std::string RecordedLine::text() const {
    std::size_t end = cells.size();
    while (end > 0 && (cells[end - 1].empty() || cells[end - 1] == " ")) --end;
    std::string out;
    for (std::size_t i = 0; i < end; ++i) out += cells[i].empty() ? std::string(" ") : cells[i];
    return out;
}

bool RecordedLine::anyBold() const {
    for (std::size_t i = 0; i < cells.size(); ++i)
        if (bold[i] && !cells[i].empty() && cells[i] != " ") return true;
    return false;
}

bool RecordedLine::allBold() const {
    bool seen = false;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (cells[i].empty() || cells[i] == " ") continue;
        if (!bold[i]) return false;
        seen = true;
    }
    return seen;
}

std::string plainText(const RecordedPage& page) {
    std::string out;
    for (const auto& l : page.lines) {
        out += l.text();
        out += '\n';
    }
    return out;
}

std::string plainText(const std::vector<RecordedPage>& pages) {
    std::string out;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0) out += '\f';
        out += plainText(pages[i]);
    }
    return out;
}

std::string annotatedText(const std::vector<RecordedPage>& pages) {
    std::string out;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        out += "=== página " + std::to_string(i + 1) + " ===\n";
        for (const auto& l : pages[i].lines) {
            out += l.allBold() ? "B|" : l.anyBold() ? "b|" : " |";
            out += l.text();
            out += '\n';
        }
        for (const auto& r : pages[i].rectangles)
            out += "[retângulo " + formatCm(r.left) + " " + formatCm(r.top) + " " + formatCm(r.right) + " " +
                   formatCm(r.bottom) + "]\n";
    }
    return out;
}

RecordedLine& PageRecorder::lineAt(int line) {
    if (line < 0) line = 0;
    if (page_.lines.size() <= static_cast<std::size_t>(line)) page_.lines.resize(static_cast<std::size_t>(line) + 1);
    return page_.lines[static_cast<std::size_t>(line)];
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
    RecordedLine& l = lineAt(run.line);
    const std::vector<std::string> chars = splitCharacters(run.text);
    const std::size_t first = static_cast<std::size_t>(run.column - 1);
    if (l.cells.size() < first + chars.size()) {
        l.cells.resize(first + chars.size());
        l.bold.resize(first + chars.size(), false);
    }
    for (std::size_t k = 0; k < chars.size(); ++k) {
        l.cells[first + k] = chars[k];
        l.bold[first + k] = run.bold;
    }
}

void PageRecorder::lineEnded(int line) { lineAt(line); }

void PageRecorder::drawRectangle(const RectangleCm& r) { page_.rectangles.push_back(r); }

void PageRecorder::flushPage() {
    ++pagesSent_;
    if (sink_) {
        sink_(page_, pagesSent_);
    } else {
        pagesOfDoc_.push_back(std::move(page_));
    }
    page_ = RecordedPage{};
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

}  // namespace kova::print
