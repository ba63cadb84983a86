#include "print/qt/qt_printer.h"

#include <algorithm>
#include <system_error>
#include <unordered_map>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPen>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRawFont>
#include <QTemporaryFile>

#include "core/atomic_file.h"
#include "core/faults.h"
#include "print/qt/font_probe.h"

namespace kova::print {

namespace fs = std::filesystem;

namespace {
constexpr int kPrinterFault = 482;
constexpr double kPdfMarginMm = 5.0;

// The next code point of UTF-8 text at i, advancing i; false on a malformed sequence.
bool nextCodePoint(std::string_view text, std::size_t& i, char32_t& cp) {
    static constexpr unsigned char kLeadBits[] = {0x7F, 0x1F, 0x0F, 0x07};
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t extra = lead < 0x80 ? 0 : lead < 0xC0 ? 4 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : lead < 0xF8 ? 3 : 4;
    if (extra > 3 || text.size() - i <= extra) return false;
    cp = lead & kLeadBits[extra];
    for (std::size_t k = 1; k <= extra; ++k) {
        const auto c = static_cast<unsigned char>(text[i + k]);
        if ((c & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (c & 0x3F);
    }
    i += extra + 1;
    return true;
}

// A font's glyphs by character, each looked up once: text in a fixed-pitch font is then laid out by its columns
// alone, without shaping every line again.
class GlyphTable {
public:
    explicit GlyphTable(const QFont& font) : font_(QRawFont::fromFont(font)) { latin_.fill(kUnknown); }
    const QRawFont& font() const { return font_; }
    // The glyph of a character; 0 when the font has none.
    quint32 glyph(char32_t cp) {
        if (cp < latin_.size()) {
            if (latin_[cp] == kUnknown) latin_[cp] = lookUp(cp);
            return latin_[cp];
        }
        const auto [it, added] = others_.try_emplace(cp, 0);
        if (added) it->second = lookUp(cp);
        return it->second;
    }

private:
    static constexpr quint32 kUnknown = 0xFFFFFFFF;
    quint32 lookUp(char32_t cp) const {
        const char32_t one[] = {cp};
        const QString text = QString::fromUcs4(one, 1);
        quint32 indexes[2] = {0, 0};
        int count = 2;
        if (!font_.glyphIndexesForChars(text.constData(), static_cast<int>(text.size()), indexes, &count) || count != 1)
            return 0;
        return indexes[0];
    }
    QRawFont font_;
    std::array<quint32, 256> latin_;
    std::unordered_map<char32_t, quint32> others_;
};

// The PDF engine does not report every failed write (a disk that fills up): a document is taken only when its
// file ends with the trailer the engine writes last.
bool pdfFileComplete(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char tail[64];
    const off_t size = ::lseek(fd, 0, SEEK_END);
    const off_t from = std::max<off_t>(0, size - static_cast<off_t>(sizeof tail));
    const ssize_t got = size > 0 ? ::pread(fd, tail, static_cast<std::size_t>(size - from), from) : -1;
    ::close(fd);
    if (got <= 0 || got != size - from) return false;
    std::string_view end(tail, static_cast<std::size_t>(got));
    while (!end.empty() && (end.back() == '\n' || end.back() == '\r' || end.back() == ' ')) end.remove_suffix(1);
    return end.ends_with("%%EOF");
}

}  // namespace

struct QtPrinter::Metrics {
    Font font;
    QFont regular;
    QFont bold;
    double charWidth = 0;   // one column, device pixels
    double lineHeight = 0;  // one line, device pixels
    double ascent = 0;
    bool fixedPitch = false;
    std::array<std::unique_ptr<GlyphTable>, 2> glyphs;  // regular, bold; made at their first use
};

QtPrinter::QtPrinter(std::optional<fs::path> pdf, std::optional<std::string> printerName)
    : pdf_(std::move(pdf)), printerName_(std::move(printerName)) {}

QtPrinter::~QtPrinter() { abortDocument(); }

std::unique_ptr<QtPrinter> QtPrinter::systemDefault() {
    return std::unique_ptr<QtPrinter>(new QtPrinter(std::nullopt, std::nullopt));
}

std::unique_ptr<QtPrinter> QtPrinter::pdfFile(fs::path path) {
    return std::unique_ptr<QtPrinter>(new QtPrinter(std::move(path), std::nullopt));
}

std::unique_ptr<QtPrinter> QtPrinter::namedPrinter(std::string name) {
    return std::unique_ptr<QtPrinter>(new QtPrinter(std::nullopt, std::move(name)));
}

std::optional<std::string> QtPrinter::targetPrinter() const {
    const QPrinterInfo info = printerName_ ? QPrinterInfo::printerInfo(QString::fromStdString(*printerName_))
                                           : QPrinterInfo::defaultPrinter();
    if (info.isNull()) return std::nullopt;
    return info.printerName().toStdString();
}

bool QtPrinter::printerPresent() {
    if (pdf_) return true;
    return targetPrinter().has_value();
}

bool QtPrinter::fontUsable(const std::string& family) {
    return printerPresent() && resolveFont(QString::fromStdString(family)).usable;
}

std::optional<std::string> QtPrinter::defaultPrinterName() {
    if (pdf_) return "PDF: " + pdf_->string();
    return targetPrinter();
}

void QtPrinter::beginDocument() {
    device_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    device_->setFullPage(false);
    if (pdf_) {
        const fs::path folder = pdf_->has_parent_path() ? pdf_->parent_path() : fs::path(".");
        std::error_code ec;
        if (!fs::is_directory(folder, ec)) throw Fault(76);
        // Reserve a unique temporary name beside the target; the PDF engine then writes into it.
        QTemporaryFile reserve(QString::fromStdString((folder / (pdf_->filename().string() + ".XXXXXX.tmp")).string()));
        reserve.setAutoRemove(false);
        if (!reserve.open()) throw Fault(75);
        temporary_ = fs::path(reserve.fileName().toStdString());
        reserve.close();
        // The reservation is private (0600); the document gets the permissions of any new file.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(temporary_.c_str(), 0666 & ~mask);
        device_->setOutputFormat(QPrinter::PdfFormat);
        device_->setOutputFileName(QString::fromStdString(temporary_.string()));
        device_->setPageSize(QPageSize(QPageSize::A4));
        device_->setPageOrientation(QPageLayout::Portrait);
        device_->setPageMargins(QMarginsF(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm),
                                QPageLayout::Millimeter);
        device_->setDocName(QString::fromStdString(pdf_->filename().string()));
    } else {
        const auto name = targetPrinter();
        if (!name) throw Fault(kPrinterFault);
        device_->setPrinterName(QString::fromStdString(*name));
        device_->setDocName(QStringLiteral("KOVA Não-Incidência"));
    }
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(device_.get())) {
        releaseDevice();
        if (pdf_) {
            std::error_code ec;
            fs::remove(temporary_, ec);
        }
        throw Fault(kPrinterFault);
    }
    metrics_.reset();
    pages_ = 1;
    ensureMetrics();
}

// The metrics of the document's font, and the page's scale, set up again when the font changes.
void QtPrinter::ensureMetrics() {
    const Font& wanted = font();
    if (!metrics_ || metrics_->font.family != wanted.family || metrics_->font.points != wanted.points) {
        flushLine();
        auto m = std::make_unique<Metrics>();
        m->font = wanted;
        const FontResolution resolution = resolveFont(QString::fromStdString(wanted.family));
        const QString family =
            resolution.usable ? resolution.resolvedFamily : QString::fromStdString(wanted.family);
        m->regular = QFont(family);
        m->regular.setPointSizeF(wanted.points);
        m->regular.setKerning(false);
        m->bold = m->regular;
        m->bold.setBold(true);
        const QFontMetricsF fm(m->regular, device_.get());
        m->fixedPitch = QFontInfo(m->regular).fixedPitch();
        m->charWidth = m->fixedPitch ? fm.horizontalAdvance(QLatin1Char('M')) : fm.averageCharWidth();
        m->lineHeight = fm.lineSpacing();
        m->ascent = fm.ascent();
        drawnFamily_ = QFontInfo(m->regular).family().toStdString();
        metrics_ = std::move(m);

        // The page's grid at the font's own size, shrunk as a whole when it is larger than the printable
        // area, so no column or line falls off the paper and the rectangles stay with their text.
        const PageGrid& g = grid();
        const QRectF area = device_->pageLayout().paintRectPixels(device_->resolution());
        const double pxPerCm = device_->resolution() / 2.54;
        const double width = std::max(1, g.columns) * metrics_->charWidth;
        const double height = g.topCm * pxPerCm + std::max(1, g.rows) * metrics_->lineHeight;
        const double scale = std::min({1.0, area.width() / width, area.height() / height});
        painter_->resetTransform();
        painter_->scale(scale, scale);
    }
}

void QtPrinter::drawText(const TextRun& run) {
    if (!painter_ || !painter_->isActive()) throw Fault(kPrinterFault);
    ensureMetrics();
    if (metrics_->fixedPitch && addGlyphs(run)) return;
    paint(run);
}

// Adds the run's glyphs to the line; false, adding nothing, when it must be drawn on its own: past the page's
// last column (it is condensed to fit) or with a character the font has no glyph for (drawn with a fallback).
bool QtPrinter::addGlyphs(const TextRun& run) {
    if (lineOpen_ && (run.line != pendingLine_.line || run.originXcm != pendingLine_.originXcm ||
                      run.originYcm != pendingLine_.originYcm))
        flushLine();
    if (run.column + run.columns - 1 > grid().columns) return false;
    auto& table = metrics_->glyphs[run.bold ? 1 : 0];
    if (!table) table = std::make_unique<GlyphTable>(QFont(run.bold ? metrics_->bold : metrics_->regular, device_.get()));
    LineGlyphs& line = lineGlyphs_[run.bold ? 1 : 0];
    const std::size_t before = line.indexes.size();
    const double pxPerCm = device_->resolution() / 2.54;
    const double y = run.originYcm * pxPerCm + run.line * metrics_->lineHeight + metrics_->ascent;
    double x = run.originXcm * pxPerCm + (run.column - 1) * metrics_->charWidth;
    for (std::size_t i = 0; i < run.text.size(); x += metrics_->charWidth) {
        char32_t cp = 0;
        quint32 glyph = 0;
        if (!nextCodePoint(run.text, i, cp) || (cp != U' ' && (glyph = table->glyph(cp)) == 0)) {
            line.indexes.resize(before);
            line.positions.resize(before);
            return false;
        }
        if (cp == U' ') continue;
        line.indexes.push_back(glyph);
        line.positions.emplace_back(x, y);
    }
    pendingLine_ = run;
    lineOpen_ = true;
    return true;
}

void QtPrinter::lineEnded(int) { flushLine(); }

void QtPrinter::flushLine() {
    if (!lineOpen_) return;
    lineOpen_ = false;
    painter_->setPen(Qt::black);
    for (std::size_t weight = 0; weight < lineGlyphs_.size(); ++weight) {
        LineGlyphs& line = lineGlyphs_[weight];
        if (line.indexes.empty()) continue;
        QGlyphRun glyphs;
        glyphs.setRawFont(metrics_->glyphs[weight]->font());
        glyphs.setRawData(line.indexes.data(), line.positions.data(), static_cast<int>(line.indexes.size()));
        painter_->drawGlyphRun(QPointF(0, 0), glyphs);
        line.indexes.clear();
        line.positions.clear();
    }
}

// Text drawn on its own, shaped by Qt: a proportional font, a character without a glyph, a condensed run.
void QtPrinter::paint(const TextRun& run) {
    painter_->setFont(run.bold ? metrics_->bold : metrics_->regular);
    const double pxPerCm = device_->resolution() / 2.54;
    const double x = run.originXcm * pxPerCm + (run.column - 1) * metrics_->charWidth;
    const double y = run.originYcm * pxPerCm + run.line * metrics_->lineHeight + metrics_->ascent;
    painter_->setPen(Qt::black);
    const QString text = QString::fromUtf8(run.text.data(), static_cast<qsizetype>(run.text.size()));
    // A text running past the page's last column (a name of 118 characters from column 25) is condensed to
    // end there rather than cut at the paper's edge.
    const double room = (grid().columns - run.column + 1) * metrics_->charWidth;
    const bool pastLastColumn = run.column + run.columns - 1 > grid().columns && room > 0;
    const double natural =
        pastLastColumn ? QFontMetricsF(painter_->font(), device_.get()).horizontalAdvance(text) : 0.0;
    if (pastLastColumn && natural > room) {
        painter_->save();
        painter_->translate(x, y);
        painter_->scale(room / natural, 1.0);
        painter_->drawText(QPointF(0, 0), text);
        painter_->restore();
        return;
    }
    painter_->drawText(QPointF(x, y), text);
}

void QtPrinter::drawRectangle(const RectangleCm& r) {
    if (!painter_ || !painter_->isActive()) throw Fault(kPrinterFault);
    flushLine();
    ensureMetrics();
    const double pxPerCm = device_->resolution() / 2.54;
    QPen pen(Qt::black);
    pen.setWidthF(0.03 * pxPerCm);
    painter_->setPen(pen);
    painter_->setBrush(Qt::NoBrush);
    painter_->drawRect(QRectF(r.left * pxPerCm, r.top * pxPerCm, (r.right - r.left) * pxPerCm,
                              (r.bottom - r.top) * pxPerCm));
}

void QtPrinter::startPage() {
    flushLine();
    if (!device_ || !device_->newPage()) throw Fault(kPrinterFault);
    ++pages_;
}

void QtPrinter::finishDocument() {
    if (painter_ && painter_->isActive()) flushLine();
    const bool ended = painter_ && painter_->end();
    const bool deviceOk = device_ && device_->printerState() != QPrinter::Error;
    releaseDevice();
    if (!ended || !deviceOk || (pdf_ && !pdfFileComplete(temporary_))) {
        if (pdf_) removeFileIfPresent(temporary_);
        throw Fault(kPrinterFault);
    }
    if (pdf_) {
        try {
            replaceFileAtomically(temporary_, *pdf_);
        } catch (...) {
            std::error_code ec;
            fs::remove(temporary_, ec);
            throw;
        }
    }
}

void QtPrinter::discardDocument() noexcept {
    if (device_ && !pdf_) device_->abort();
    if (painter_ && painter_->isActive()) painter_->end();
    releaseDevice();
    if (pdf_ && !temporary_.empty()) {
        std::error_code ec;
        fs::remove(temporary_, ec);
    }
}

void QtPrinter::releaseDevice() noexcept {
    for (LineGlyphs& line : lineGlyphs_) {
        line.indexes.clear();
        line.positions.clear();
    }
    lineOpen_ = false;
    painter_.reset();
    device_.reset();
    metrics_.reset();
}

}  // namespace kova::print
