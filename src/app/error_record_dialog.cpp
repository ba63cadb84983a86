#include "app/error_record_dialog.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <vector>

#include "core/error_details.h"
#include "core/error_summary.h"
#include "core/error_texts.h"
#include "core/record_layout.h"
#include "core/text.h"

namespace kova::app {

namespace {

// A record far longer than the layout (a file without line ends) is shown up to here.
constexpr std::size_t kShownColumns = 300;
constexpr const char* kFaultyColumns = "background-color:#ffd54f;font-weight:bold";
constexpr const char* kFaultyRuler = "background-color:#fff0b3";

// One line of the monospaced picture, one HTML-escaped character per column.
using Columns = std::vector<QString>;

QString html(std::string_view utf8) { return QString::fromStdString(std::string(utf8)).toHtmlEscaped(); }

// The record's bytes one per column: a control byte is a dot, so that every column keeps its place.
Columns recordColumns(std::string_view bytes) {
    Columns out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        out.push_back(isControlByte(byte) ? QStringLiteral("·") : html(cp1252ToUtf8(bytes.substr(i, 1))));
    }
    return out;
}

// "10", "20" ... ending at their columns, above a line of units: the ruler.
Columns tensLine(std::size_t width) {
    Columns out(width, QStringLiteral(" "));
    for (std::size_t column = 10; column <= width; column += 10) {
        const QString number = QString::number(column);
        const std::size_t start = column - static_cast<std::size_t>(number.size());
        for (qsizetype k = 0; k < number.size(); ++k) out[start + static_cast<std::size_t>(k)] = number[k];
    }
    return out;
}

Columns unitsLine(std::size_t width) {
    Columns out;
    for (std::size_t column = 1; column <= width; ++column) out.push_back(QString::number(column % 10));
    return out;
}

// Each field's label under its columns, after a bar, cut to the field's width.
Columns fieldsLine(std::span<const Field> fields, std::size_t width) {
    Columns out(width, QStringLiteral(" "));
    for (const Field& field : fields) {
        const QString label = QString::fromStdString(std::string(field.label));
        for (std::size_t column = field.first; column <= field.last() && column <= width; ++column) {
            const qsizetype k = static_cast<qsizetype>(column - field.first) - 1;
            out[column - 1] = k < 0                ? QStringLiteral("|")
                              : k < label.size() ? label.mid(k, 1).toHtmlEscaped()
                                                 : QStringLiteral(" ");
        }
    }
    return out;
}

// The line with columns first..last inside a span of `style`.
QString joined(const Columns& line, std::size_t first, std::size_t last, const char* style) {
    QString out;
    bool open = false;
    for (std::size_t column = 1; column <= line.size(); ++column) {
        if (column == first) {
            out += QStringLiteral("<span style=\"%1\">").arg(QLatin1String(style));
            open = true;
        }
        out += line[column - 1];
        if (open && column == last) {
            out += QStringLiteral("</span>");
            open = false;
        }
    }
    return open ? out + QStringLiteral("</span>") : out;
}

std::span<const Field> fieldsOf(std::string_view recordType) {
    const std::span<const Field> fields = layoutOf(recordType);
    return fields.empty() ? std::span<const Field>(&kWholeRecord, 1) : fields;
}

// The picture: ruler, record, field labels; then every field with its columns and what it holds.
QString recordHtml(const ErrorListing& error, std::string_view bytes) {
    const std::size_t first = columnNumber(error.firstColumn).value_or(0);
    const std::size_t last = columnNumber(error.lastColumn).value_or(0);
    const std::span<const Field> fields = fieldsOf(error.recordType);
    const std::string_view shown = bytes.substr(0, kShownColumns);
    const std::size_t width = std::max(kRecordLength, shown.size());

    QString out = QStringLiteral("<pre style=\"font-family:'Courier New',monospace\">");
    for (const Columns& line : {tensLine(width), unitsLine(width)})
        out += joined(line, first, last, kFaultyRuler) + QLatin1Char('\n');
    out += joined(recordColumns(shown), first, last, kFaultyColumns) + QLatin1Char('\n');
    out += joined(fieldsLine(fields, width), first, last, kFaultyRuler) + QStringLiteral("</pre>");
    if (bytes.size() != kRecordLength)
        out += QStringLiteral("<p>O registro tem %1 caracteres%2.</p>")
                   .arg(bytes.size())
                   .arg(bytes.size() > kShownColumns ? QStringLiteral("; mostrados os primeiros %1").arg(kShownColumns)
                                                     : QString());

    out += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"3\"><tr><th align=\"left\">Colunas</th>"
                          "<th align=\"left\">Campo</th><th align=\"left\">Conteúdo</th></tr>");
    const kova::RecordView record(bytes);
    for (const Field& field : fields) {
        const bool faulty = field.first <= last && field.last() >= first;
        out += faulty ? QStringLiteral("<tr style=\"%1\">").arg(QLatin1String(kFaultyColumns)) : QStringLiteral("<tr>");
        out += QStringLiteral("<td>%1 a %2</td><td>%3</td><td style=\"white-space:pre;font-family:'Courier New',"
                              "monospace\">%4</td></tr>")
                   .arg(field.first, 3, 10, QLatin1Char('0'))
                   .arg(field.last(), 3, 10, QLatin1Char('0'))
                   .arg(html(field.label), html(visibleText(record.field(field))));
    }
    return out + QStringLiteral("</table>");
}

QString headingText(const ErrorListing& error) {
    if (error.recordNumber <= 0) return QStringLiteral("Erro sem registro do arquivo");
    QString text = QStringLiteral("Registro %1 - %2 - colunas %3 a %4")
                       .arg(QString::fromStdString(formatThousands(error.recordNumber)),
                            QString::fromStdString(recordTypeText(error.recordType)),
                            QString::fromStdString(error.firstColumn), QString::fromStdString(error.lastColumn));
    const std::string field = errorFieldLabel(error);
    if (!field.empty()) text += QStringLiteral(" (%1)").arg(QString::fromStdString(field));
    return text;
}

QLabel* wrappedLabel(const QString& objectName, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

ErrorRecordDialog::ErrorRecordDialog(std::function<void()> showHelp, QWidget* parent)
    : QDialog(parent), showHelp_(std::move(showHelp)) {
    setObjectName(QStringLiteral("KOVALDREG"));
    setWindowTitle(QStringLiteral("Registro com Erro"));
    heading_ = wrappedLabel(QStringLiteral("LblRegistro"), this);
    QFont bold = heading_->font();
    bold.setBold(true);
    heading_->setFont(bold);
    record_ = new QTextBrowser(this);
    record_->setObjectName(QStringLiteral("TxtRegistro"));
    record_->setLineWrapMode(QTextEdit::NoWrap);
    QFont courier(QStringLiteral("Courier New"), 9);
    courier.setStyleHint(QFont::TypeWriter);
    record_->document()->setDefaultFont(courier);
    notice_ = wrappedLabel(QStringLiteral("LblAviso"), this);
    errorText_ = wrappedLabel(QStringLiteral("LblErro"), this);
    hint_ = wrappedLabel(QStringLiteral("LblDica"), this);

    auto* close = new QPushButton(QStringLiteral("&Fechar"), this);
    close->setObjectName(QStringLiteral("BtnCmd0"));
    auto* help = new QPushButton(QStringLiteral("&Ajuda"), this);
    help->setObjectName(QStringLiteral("BtnCmd1"));
    help->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(help, &QPushButton::clicked, this, [this] { showHelp_(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(help);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(record_, 1);
    layout->addWidget(notice_);
    layout->addWidget(errorText_);
    layout->addWidget(hint_);
    layout->addLayout(buttons);
    const int pictureWidth = QFontMetrics(courier).horizontalAdvance(QString(kRecordLength + 4, QLatin1Char('M')));
    resize(pictureWidth + 40, 600);
}

void ErrorRecordDialog::showError(const Content& content) {
    const ErrorListing& error = content.error;
    heading_->setText(headingText(error));
    if (content.record) {
        record_->setHtml(recordHtml(error, *content.record));
    } else {
        record_->clear();
    }
    record_->setVisible(content.record.has_value());
    notice_->setText(content.notice);
    notice_->setVisible(!content.notice.isEmpty());
    errorText_->setText(QStringLiteral("Erro %1: %2").arg(error.code).arg(QString::fromStdString(errorMessage(error))));
    const std::string_view hint = errorHint(error.code);
    hint_->setText(QStringLiteral("Como corrigir: ") + QString::fromStdString(std::string(hint)));
    hint_->setVisible(!hint.empty());
}

void ErrorRecordDialog::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::HelpContents)) {
        showHelp_();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace kova::app
