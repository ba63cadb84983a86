#include "app/error_list_panel.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPushButton>

#include "app/help_window.h"
#include "app/pending_list_model.h"
#include "app/error_record_dialog.h"
#include "core/error_details.h"
#include "core/error_export.h"
#include "core/error_texts.h"
#include "core/faults.h"
#include "core/text.h"

namespace kova::app {

namespace {

constexpr const char* kExportTitle = "Exportar Erros";

QString qs(const std::string& text) { return QString::fromStdString(text); }

std::string columnText(std::uint16_t column) {
    std::string text = std::to_string(column);
    return std::string(text.size() < 4 ? 4 - text.size() : 0, '0') + text;
}

}  // namespace

ErrorListPanel::ErrorListPanel(QListView* list, PendingListModel* model, ErrorLog& errorLog, Prompts& prompts,
                               std::function<void(int topic)> showHelp, QWidget* parent)
    : QWidget(parent), list_(list), model_(model), errorLog_(errorLog), prompts_(prompts),
      showHelp_(std::move(showHelp)) {
    auto* caption = new QLabel(QStringLiteral("&Mostrar:"), this);
    summary_ = new QComboBox(this);
    summary_->setObjectName(QStringLiteral("CmbResumo"));
    summary_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    summary_->setMinimumContentsLength(40);
    caption->setBuddy(summary_);
    export_ = new QPushButton(QStringLiteral("E&xportar…"), this);
    export_->setObjectName(QStringLiteral("BtnExportar"));
    export_->setAutoDefault(false);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(caption);
    row->addWidget(summary_, 1);
    row->addWidget(export_);
    connect(summary_, &QComboBox::activated, this, &ErrorListPanel::chooseSummary);
    connect(export_, &QPushButton::clicked, this, &ErrorListPanel::onExport);
    connect(list_, &QListView::doubleClicked, this, [this](const QModelIndex& index) { showRecordAt(index.row()); });
    list_->installEventFilter(this);
    clear();
}

ErrorListPanel::~ErrorListPanel() = default;

void ErrorListPanel::clear() {
    rows_.clear();
    types_.clear();
    complements_.clear();
    tally_ = ErrorSummary();
    entries_.clear();
    locator_.reset();
    locatorProblem_.clear();
    summary_->clear();
    summary_->addItem(QStringLiteral("Todos os erros"));
    summary_->setEnabled(false);
    export_->setEnabled(false);
}

std::uint8_t ErrorListPanel::typeIndex(const std::string& type) {
    for (std::size_t i = 0; i < types_.size(); ++i)
        if (types_[i] == type) return static_cast<std::uint8_t>(i);
    // Types are one character: at most 256 of them.
    if (types_.size() == 256) return 255;
    types_.push_back(type);
    return static_cast<std::uint8_t>(types_.size() - 1);
}

int ErrorListPanel::rowListed(const ErrorListing& row) {
    const int index = static_cast<int>(rows_.size());
    rows_.push_back({row.recordNumber, static_cast<std::uint16_t>(columnNumber(row.firstColumn).value_or(0)),
                     static_cast<std::uint16_t>(columnNumber(row.lastColumn).value_or(0)),
                     static_cast<std::int16_t>(row.code), typeIndex(row.recordType)});
    if (!row.complement.empty()) complements_.emplace(index, row.complement);
    tally_.add(row);
    return index;
}

void ErrorListPanel::listComplete(const std::filesystem::path& file) {
    entries_ = tally_.byCode();
    const std::vector<ErrorTally> types = tally_.byRecordType();
    entries_.insert(entries_.end(), types.begin(), types.end());
    summary_->clear();
    summary_->addItem(QStringLiteral("Todos os erros — %1").arg(qs(formatThousands(tally_.total()))));
    for (const ErrorTally& entry : entries_) summary_->addItem(qs(tallyLine(entry)));
    summary_->setEnabled(!entries_.empty());
    export_->setEnabled(!entries_.empty());
    if (entries_.empty() || file.empty()) return;
    try {
        locator_ = std::make_unique<RecordLocator>(file);
    } catch (const Fault& f) {
        locatorProblem_ = QStringLiteral("O arquivo importado não pôde ser aberto de novo: %1").arg(qs(faultMessage(f)));
    }
}

void ErrorListPanel::chooseSummary(int index) {
    summary_->setCurrentIndex(index);
    if (index <= 0 || index > static_cast<int>(entries_.size())) {
        model_->showAll();
        return;
    }
    const ErrorTally& entry = entries_[static_cast<std::size_t>(index - 1)];
    std::vector<qsizetype> shown;
    for (qsizetype position = 0; position < model_->lineCount(); ++position) {
        const int row = model_->errorRowOfLine(position);
        if (row < 0) continue;
        const ListedRow& listed = rows_[static_cast<std::size_t>(row)];
        if (entry.matches(listed.code, types_[listed.type])) shown.push_back(position);
    }
    model_->showOnly(std::move(shown));
}

void ErrorListPanel::onExport() {
    const QString path = QFileDialog::getSaveFileName(this, QString::fromUtf8(kExportTitle), QStringLiteral("erros.csv"),
                                                      QStringLiteral("Planilha CSV (*.csv)"));
    if (!path.isEmpty()) exportTo(path);
}

bool ErrorListPanel::exportTo(const QString& path) {
    try {
        const std::int64_t rows = exportErrorsCsv(errorLog_, path.toStdString());
        prompts_.show(information(kExportTitle, formatThousands(rows) + (rows == 1 ? " erro gravado" : " erros gravados") +
                                                    " no arquivo " + path.toStdString() + "."));
        return true;
    } catch (const Fault& f) {
        prompts_.show(exclamation(kExportTitle, "Não foi possível gravar o arquivo " + path.toStdString() + ".\n" +
                                                    faultMessage(f)));
        return false;
    }
}

ErrorListing ErrorListPanel::listingOf(int row) const {
    const ListedRow& listed = rows_[static_cast<std::size_t>(row)];
    ErrorListing listing;
    listing.recordType = types_[listed.type];
    listing.recordNumber = listed.recordNumber;
    listing.firstColumn = columnText(listed.firstColumn);
    listing.lastColumn = columnText(listed.lastColumn);
    listing.code = listed.code;
    listing.description = std::string(errorText(listed.code));
    const auto complement = complements_.find(row);
    if (complement != complements_.end()) listing.complement = complement->second;
    return listing;
}

void ErrorListPanel::showRecordAt(int viewRow) {
    const int row = model_->errorRowAt(viewRow);
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    ErrorRecordDialog::Content content{listingOf(row), std::nullopt, locatorProblem_};
    if (locator_ != nullptr && content.error.recordNumber > 0) {
        try {
            content.record = locator_->record(content.error.recordNumber);
            if (!content.record) content.notice = QStringLiteral("O arquivo não tem mais este registro.");
            if (locator_->fileChanged())
                content.notice = QStringLiteral("O arquivo foi alterado depois da importação: o registro mostrado "
                                                "pode não ser o que foi verificado.");
        } catch (const Fault& f) {
            content.notice = QStringLiteral("O registro não pôde ser lido: %1").arg(qs(faultMessage(f)));
        }
    }
    if (view_ == nullptr) view_ = new ErrorRecordDialog([this] { showHelp_(topic::RegistroComErro); }, window());
    view_->showError(content);
    view_->show();
    view_->raise();
    view_->activateWindow();
}

void ErrorListPanel::showHelpForFocus() { showHelp_(export_->hasFocus() ? topic::ExportarErros : topic::ResumoErros); }

// Enter on a line of the list opens its record, as a double-click does.
bool ErrorListPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && list_->currentIndex().isValid()) {
            showRecordAt(list_->currentIndex().row());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace kova::app
