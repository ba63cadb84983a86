#include "app/declaration_report_screen.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>

#include "app/help_window.h"
#include "app/screen_host.h"
#include "app/session_printer.h"
#include "print/declaration_report.h"

namespace kova::app {

namespace {

constexpr const char* kTitle = "Imprimir Declaração";

QString qs(const char* text) { return QString::fromUtf8(text); }

// The identification of the chosen declaration: object name, caption and value.
struct IdentificationField {
    const char* name;
    const char* caption;
    std::string print::ReportLabels::*value;
};
const IdentificationField kIdentification[] = {
    {"LblCNPJ", "CNPJ:", &print::ReportLabels::cnpj},
    {"LblNomeEmpresarial", "Nome Empresarial:", &print::ReportLabels::name},
    {"LblTrimAno", "Ano:", &print::ReportLabels::year},
    {"LblSituacao", "Situação:", &print::ReportLabels::situation},
    {"LblTipo", "Tipo:", &print::ReportLabels::type},
    {"LblDataEvento", "Data do Evento:", &print::ReportLabels::eventDate},
};

const char* const kRecordTypes[] = {
    "Dados de Entidades Beneficentes de Assistência Social",
    "Dados de Beneficiários de Privilégios e Imunidades Diplomáticas e Consulares",
    "Dados de KOVA não Retida e não Recolhida",
};

}  // namespace

DeclarationReportScreen::DeclarationReportScreen(ScreenHost& host, DeliveryServices services,
                                                 const print::ReportLabels& labels, const CatalogueRow& row,
                                                 QWidget* parent)
    : QDialog(parent), host_(host), services_(std::move(services)), deliveryFile_(row.fileName), cnpj_(row.cnpj) {
    setObjectName(QStringLiteral("KOVALDIDE"));
    setWindowTitle(qs(kTitle));
    // Modal over the main window only: the help window stays usable.
    setWindowModality(Qt::WindowModal);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildIdentification(labels));
    layout->addWidget(buildChoices());
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("LblStatus"));
    status_->setMinimumHeight(status_->fontMetrics().height());
    layout->addWidget(status_);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("PgBar"));
    progress_->setRange(0, 100);
    progress_->setValue(0);
    layout->addWidget(progress_);
    layout->addWidget(buildButtons());
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, [this] {
        if (help_->isEnabled()) help_->click();
    });

    // Nothing chosen yet: no option, no record type, nothing to print or stop.
    for (QCheckBox* box : recordTypes_) box->setEnabled(false);
    recordFrame_->setEnabled(false);
    print_->setEnabled(false);
    stop_->setEnabled(false);
    cancel_.set = false;
}

DeclarationReportScreen::~DeclarationReportScreen() = default;

QWidget* DeclarationReportScreen::buildIdentification(const print::ReportLabels& labels) {
    auto* frame = new QGroupBox(QStringLiteral("Declaração Selecionada "), this);
    frame->setObjectName(QStringLiteral("LblDecSel"));
    auto* grid = new QGridLayout(frame);
    int row = 0;
    for (const IdentificationField& field : kIdentification) {
        auto* value = new QLabel(QString::fromStdString(labels.*(field.value)), frame);
        value->setObjectName(qs(field.name));
        value->setTextFormat(Qt::PlainText);
        value->setFrameShape(QFrame::Panel);
        value->setFrameShadow(QFrame::Sunken);
        grid->addWidget(new QLabel(qs(field.caption), frame), row, 0);
        grid->addWidget(value, row, 1);
        values_.insert(value->objectName(), value);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    return frame;
}

QWidget* DeclarationReportScreen::buildChoices() {
    auto* strip = new QWidget(this);
    auto* column = new QVBoxLayout(strip);
    column->setContentsMargins(0, 0, 0, 0);

    optionFrame_ = new QGroupBox(QStringLiteral("Tipo de Impressão"), strip);
    optionFrame_->setObjectName(QStringLiteral("FraTipoImpressao"));
    auto* options = new QHBoxLayout(optionFrame_);
    const char* optionCaptions[] = {"Toda Declaração", "Selecionar Registros"};
    for (int i = 0; i < 2; ++i) {
        options_[i] = new QRadioButton(qs(optionCaptions[i]), optionFrame_);
        options_[i]->setObjectName(QStringLiteral("OptTipoImpressao%1").arg(i));
        options->addWidget(options_[i]);
    }
    options->addStretch();
    connect(options_[0], &QRadioButton::toggled, this, [this](bool on) {
        if (on) onWholeDeclaration();
    });
    connect(options_[1], &QRadioButton::toggled, this, [this](bool on) {
        if (on) onSelectRecords();
    });

    recordFrame_ = new QGroupBox(QStringLiteral("Selecione o tipo de registro"), strip);
    recordFrame_->setObjectName(QStringLiteral("fraTipoRegistro"));
    auto* boxes = new QVBoxLayout(recordFrame_);
    for (int i = 0; i < 3; ++i) {
        recordTypes_[i] = new QCheckBox(qs(kRecordTypes[i]), recordFrame_);
        recordTypes_[i]->setObjectName(QStringLiteral("ChkTipoRegistro%1").arg(i));
        boxes->addWidget(recordTypes_[i]);
        connect(recordTypes_[i], &QCheckBox::clicked, this, [this, i] { onRecordTypeClicked(i); });
    }
    column->addWidget(optionFrame_);
    column->addWidget(recordFrame_);
    return strip;
}

QWidget* DeclarationReportScreen::buildButtons() {
    auto* strip = new QWidget(this);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch();
    const auto button = [&](const char* name, const char* caption) {
        auto* b = new QPushButton(qs(caption), strip);
        b->setObjectName(qs(name));
        b->setAutoDefault(false);
        b->setMinimumWidth(90);
        row->addWidget(b);
        return b;
    };
    print_ = button("CmdImprimir", "&Imprimir");
    stop_ = button("CmdCancel", "&Cancelar");
    close_ = button("CmdCancelar", "&Fechar");
    help_ = button("CmdAjuda", "A&juda");
    print_->setDefault(true);  // Enter prints once there is something to print
    stop_->setCursor(Qt::ArrowCursor);
    connect(print_, &QPushButton::clicked, this, &DeclarationReportScreen::onPrint);
    connect(stop_, &QPushButton::clicked, this, &DeclarationReportScreen::onStop);
    connect(close_, &QPushButton::clicked, this, &DeclarationReportScreen::reject);
    connect(help_, &QPushButton::clicked, this, [this] { host_.showHelp(topic::ImprimirDeclaracao); });
    return strip;
}

void DeclarationReportScreen::onWholeDeclaration() {
    print_->setEnabled(false);
    for (QCheckBox* box : recordTypes_) box->setChecked(false);
    for (QCheckBox* box : recordTypes_) box->setEnabled(false);
    recordFrame_->setEnabled(false);
    status_->clear();
    print_->setEnabled(true);
}

void DeclarationReportScreen::onSelectRecords() {
    print_->setEnabled(false);
    recordFrame_->setEnabled(true);
    for (QCheckBox* box : recordTypes_) box->setEnabled(true);
}

void DeclarationReportScreen::onRecordTypeClicked(int) {
    print_->setEnabled(std::any_of(std::begin(recordTypes_), std::end(recordTypes_),
                                   [](const QCheckBox* box) { return box->isChecked(); }));
}

void DeclarationReportScreen::setPrinting(bool printing) {
    printing_ = printing;
    stop_->setEnabled(printing);
    for (QPushButton* b : {print_, close_, help_}) b->setEnabled(!printing);
    // The choices stay as they are while the report prints.
    optionFrame_->setEnabled(!printing);
    const bool selecting = options_[1]->isChecked();
    recordFrame_->setEnabled(!printing && selecting);
    for (QCheckBox* box : recordTypes_) box->setEnabled(!printing && selecting);
    if (printing) {
        setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
    }
}

void DeclarationReportScreen::setPercent(int percent) { progress_->setValue(std::clamp(percent, 0, 100)); }

void DeclarationReportScreen::pump() {
    if (!printing_) setPrinting(true);
    if (report_ && report_->estimatedTotal() > 0)
        setPercent(static_cast<int>(100 * report_->pagesPrinted() / report_->estimatedTotal()));
    pump_.pump();
}

void DeclarationReportScreen::onPrint() {
    if (running_ || !print_->isEnabled()) return;
    const std::unique_ptr<print::Printer> printer =
        services_.makePrinter(documentName(QStringLiteral("declaracao"), cnpj_), this);
    if (!printer) return;
    running_ = true;
    progress_->setValue(0);
    closeRequested_ = false;
    print::PrintContext context{*printer, services_.printerFlags, services_.prompts, services_.clock, *this};
    print::DeclarationReport report(context, cancel_);
    report.selection = {options_[0]->isChecked(), recordTypes_[0]->isChecked(), recordTypes_[1]->isChecked(),
                        recordTypes_[2]->isChecked()};
    report.declarantCnpj = cnpj_;
    report_ = &report;
    const bool printed = report.printDeclarationReport(deliveryFile_, [this](const std::string& text) {
        status_->setText(QString::fromStdString(text));
        pump_.pumpNow();
    });
    report_ = nullptr;
    running_ = false;
    setPrinting(false);
    if (printed) {
        progress_->setValue(100);
        stop_->setEnabled(false);
        services_.prompts.show(information(kTitle, "Impressão do relatório concluída com sucesso."));
    }
    status_->clear();
    if (printed) {
        accept();
    } else if (closeRequested_) {
        QDialog::reject();
    }
}

bool DeclarationReportScreen::askStop() {
    if (services_.prompts.show(question("Cancelar", "Deseja realmente cancelar a impressão ?", Answer::No)) !=
        Answer::Yes)
        return false;
    cancel_.set = true;
    return true;
}

void DeclarationReportScreen::onStop() {
    if (running_) askStop();
}

void DeclarationReportScreen::reject() {
    if (!running_) {
        QDialog::reject();
        return;
    }
    // The screen goes once the stopped report has ended.
    if (askStop()) closeRequested_ = true;
}

}  // namespace kova::app
