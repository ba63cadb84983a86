#include "app/import_screen.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/help_window.h"
#include "app/pending_list_model.h"
#include "app/program_context.h"
#include "app/screen_host.h"
#include "app/source_frame.h"
#include "app/transmit_question.h"
#include "core/clock.h"

namespace kova::app {

namespace {

const QString kImportFileTitle = QStringLiteral("Importar Arquivo");

QString qs(const std::string& text) { return QString::fromStdString(text); }

std::filesystem::path toPath(const QString& text) { return std::filesystem::path(text.toStdString()); }

std::string lastEight(const std::string& text) { return text.size() <= 8 ? text : text.substr(text.size() - 8); }

// TransmitQuestion writes "1" for "Sim" into the answer field: the value that otherwise means "not generated".
constexpr ImportAnswer kAnsweredYes = static_cast<ImportAnswer>(1);

// The declarant labels: name in the program and caption, in the order shown.
struct DeclarantField {
    const char* name;
    const char* caption;
    std::string DeclarantDisplay::*value;
};
const DeclarantField kDeclarantFields[] = {
    {"LblRazaoSocial", "Nome Empresarial:", &DeclarantDisplay::name},
    {"LblCNPJ", "CNPJ:", &DeclarantDisplay::cnpj},
    {"LblRetificadora", "Retificadora:", &DeclarantDisplay::rectifying},
    {"LblAnoDeclaracao", "Competência:", &DeclarantDisplay::year},
    {"LblSituacaoEspecial", "Situação Especial:", &DeclarantDisplay::situation},
    {"LblPI", "Período Inicial:", &DeclarantDisplay::periodStart},
    {"LblPF", "Período Final:", &DeclarantDisplay::periodEnd},
    {"LblDataEvento", "Data Evento:", &DeclarantDisplay::eventDate},
};

// Timing frames in the order of the phases, with their captions.
struct TimingFrameText {
    TimingFrame frame;
    const char* caption;
};
const TimingFrameText kTimingFrames[] = {
    {TimingFrame::OpenFile, "Abrir Arquivo"},
    {TimingFrame::Critique, "Crítica"},
    {TimingFrame::Generation, "Geração"},
    {TimingFrame::Transmission, "Transmissão"},
};

struct ButtonText {
    ImportButton button;
    const char* caption;
};
const ButtonText kButtons[] = {
    {ImportButton::Ok, "&Ok"},
    {ImportButton::Close, "&Fechar"},
    {ImportButton::Help, "&Ajuda"},
    {ImportButton::PrintPending, "Imprimir &Pendências"},
    {ImportButton::Cancel, "&Cancelar"},
};

QLabel* valueLabel(QWidget* parent, const QString& name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(60);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace

ImportScreen::ImportScreen(ProgramContext& context, ScreenHost& host, ImportServices services, QWidget* parent)
    : QWidget(parent),
      context_(context),
      host_(host),
      services_(std::move(services)),
      generation_(services_.makeGeneration ? services_.makeGeneration(*this, host) : nullptr),
      driver_(session_, *this, services_.prompts, services_.clock, services_.errorLog, generation_.get()),
      source_(new SourceFrame(this)) {
    setObjectName(QStringLiteral("KOVALDDEC"));
    setWindowTitle(QStringLiteral("Importar Declaração"));
    session_.programFolder = toPath(context_.programFolder);

    auto* top = new QHBoxLayout;
    top->addWidget(source_, 3);
    top->addWidget(buildDeclarantFrame(), 2);

    label4_ = new QLabel(this);
    label4_->setObjectName(QStringLiteral("Label4"));
    auto* label6 = new QLabel(QStringLiteral("Progresso da validação da declaração"), this);
    label6->setObjectName(QStringLiteral("Label6"));
    pgBar_ = new QProgressBar(this);
    pgBar_->setObjectName(QStringLiteral("PgBar"));
    pgBar_->setRange(0, 100);
    auto* progress = new QHBoxLayout;
    progress->addWidget(label6);
    progress->addWidget(pgBar_, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buildTimingFrames());
    layout->addWidget(label4_);
    layout->addLayout(progress);
    layout->addWidget(buildPendingFrame(), 1);
    layout->addWidget(buildButtons());

    connect(source_->TxtArq(), &QLineEdit::textEdited, this, &ImportScreen::onFileNameEdited);
    connect(source_, &SourceFrame::driveChosen, this, &ImportScreen::onDriveChosen);
    connect(source_, &SourceFrame::folderChosen, this, &ImportScreen::onFolderChosen);
    connect(source_, &SourceFrame::fileChosen, this, &ImportScreen::onFileClicked);

    // Load: the screen starts on the root drive and its root folder, nothing chosen.
    clearDeclarant(*this);
    pgBar_->setValue(pgBar_->minimum());
    source_->setDrive(QStringLiteral("/"));
    context_.importScreenOpen = true;
    label4_->hide();
    setButtonEnabled(ImportButton::Ok, false);
    setButtonEnabled(ImportButton::PrintPending, false);
    setButtonEnabled(ImportButton::Cancel, false);
    for (const auto& f : kTimingFrames) showFrame(f.frame, false);
    setErrorCount("0");
    host_.disableMenus();
}

ImportScreen::~ImportScreen() = default;

QWidget* ImportScreen::buildDeclarantFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Dados do declarante"), this);
    frame->setObjectName(QStringLiteral("Frame4"));
    auto* grid = new QGridLayout(frame);
    grid->setVerticalSpacing(3);
    int row = 0;
    for (const DeclarantField& field : kDeclarantFields) {
        auto* caption = new QLabel(QString::fromUtf8(field.caption), frame);
        QLabel* value = valueLabel(frame, QString::fromLatin1(field.name));
        if (row == 0) value->setWordWrap(true);  // the name has up to 60 characters
        declarant_.insert(QString::fromLatin1(field.name), value);
        grid->addWidget(caption, row, 0);
        grid->addWidget(value, row, 1);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row, 1);
    return frame;
}

QWidget* ImportScreen::buildTimingFrames() {
    auto* strip = new QWidget(this);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(0, 0, 0, 0);
    for (const TimingFrameText& t : kTimingFrames) {
        auto* frame = new QGroupBox(QString::fromUtf8(t.caption), strip);
        frame->setObjectName(QStringLiteral("Frame3_%1").arg(static_cast<int>(t.frame)));
        QSizePolicy keep = frame->sizePolicy();
        keep.setRetainSizeWhenHidden(true);  // the frames keep their places while hidden
        frame->setSizePolicy(keep);
        // Start and end on the first line, the elapsed time below.
        auto* grid = new QGridLayout(frame);
        grid->setVerticalSpacing(1);
        grid->setContentsMargins(6, 2, 6, 4);
        const TimingLabels indices = timingLabelsOf(t.frame);
        const int places[3][3] = {{0, 0, 1}, {0, 1, 1}, {1, 0, 2}};  // row, column, columns
        int i = 0;
        for (int index : {indices.start, indices.end, indices.elapsed}) {
            auto* label = new QLabel(frame);
            label->setObjectName(QStringLiteral("LblTempo%1").arg(index));
            label->setMinimumWidth(80);
            grid->addWidget(label, places[i][0], places[i][1], 1, places[i][2]);
            lblTempo_.insert(index, label);
            ++i;
        }
        frames_.insert(static_cast<int>(t.frame), frame);
        row->addWidget(frame);
    }
    return strip;
}

QWidget* ImportScreen::buildPendingFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Erros / Pendências"), this);
    frame->setObjectName(QStringLiteral("Frame2"));
    pending_ = new PendingListModel(this);
    lstPend_ = new QListView(frame);
    lstPend_->setObjectName(QStringLiteral("LstPend"));
    lstPend_->setModel(pending_);
    // Every line has the same height: the view lays out a hundred thousand lines without measuring them.
    lstPend_->setUniformItemSizes(true);
    lstPend_->setLayoutMode(QListView::Batched);
    lstPend_->setBatchSize(2000);
    lstPend_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QFont courier(QStringLiteral("Courier New"), 8);
    courier.setStyleHint(QFont::TypeWriter);
    courier.setFixedPitch(true);
    lstPend_->setFont(courier);
    const int lineWidth = QFontMetrics(courier).horizontalAdvance(QString(91, QLatin1Char('M')));
    lstPend_->setMinimumSize(lineWidth + 24, 140);

    auto* countCaption = new QLabel(QStringLiteral("Qtde. de erros:"), frame);
    lblQtErros_ = new QLabel(QStringLiteral("0"), frame);
    lblQtErros_->setObjectName(QStringLiteral("LblQtErros"));
    lblQtErros_->setMinimumWidth(70);
    lblQtErros_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblQtErros_->setFrameShape(QFrame::Panel);
    lblQtErros_->setFrameShadow(QFrame::Sunken);
    auto* count = new QHBoxLayout;
    count->addStretch();
    count->addWidget(countCaption);
    count->addWidget(lblQtErros_);

    auto* column = new QVBoxLayout(frame);
    column->addWidget(lstPend_, 1);
    column->addLayout(count);
    return frame;
}

QWidget* ImportScreen::buildButtons() {
    auto* strip = new QWidget(this);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch();
    for (const ButtonText& b : kButtons) {
        auto* button = new QPushButton(QString::fromUtf8(b.caption), strip);
        const int index = static_cast<int>(b.button);
        button->setObjectName(QStringLiteral("BtnCmd%1").arg(index));
        button->setAutoDefault(false);
        button->setMinimumWidth(90);
        button->setCursor(Qt::ArrowCursor);
        connect(button, &QPushButton::clicked, this, [this, which = b.button] { onButtonClicked(which); });
        buttons_.insert(index, button);
        row->addWidget(button);
    }
    return strip;
}

// --- ImportView ----------------------------------------------------------------------------------------------------

void ImportScreen::setPercent(int percent) {
    pgBar_->setValue(std::clamp(percent, pgBar_->minimum(), pgBar_->maximum()));
}

void ImportScreen::pump() { pump_.pump(); }

void ImportScreen::setCaption(const std::string& text) { setWindowTitle(qs(text)); }

void ImportScreen::showFrame(TimingFrame frame, bool visible) {
    if (QGroupBox* f = frames_.value(static_cast<int>(frame))) f->setVisible(visible);
}

QGroupBox* ImportScreen::Frame3(TimingFrame frame) const { return frames_.value(static_cast<int>(frame)); }

void ImportScreen::setTimeLabel(int index, const std::string& text) {
    if (QLabel* label = lblTempo_.value(index)) label->setText(qs(text));
}

std::string ImportScreen::timeLabel(int index) const {
    const QLabel* label = lblTempo_.value(index);
    return label ? label->text().toStdString() : std::string();
}

void ImportScreen::setStatus(const std::string& text) { label4_->setText(qs(text)); }

void ImportScreen::showStatus(bool visible) { label4_->setVisible(visible); }

void ImportScreen::setErrorCount(const std::string& text) { lblQtErros_->setText(qs(text)); }

void ImportScreen::clearPending() { pending_->clear(); }

void ImportScreen::appendPending(const std::string& line) { pending_->append(qs(line)); }

std::size_t ImportScreen::pendingLineCount() const { return static_cast<std::size_t>(pending_->lineCount()); }

QPushButton* ImportScreen::BtnCmd(ImportButton button) const { return buttons_.value(static_cast<int>(button)); }

void ImportScreen::setButtonEnabled(ImportButton button, bool enabled) {
    if (QPushButton* b = BtnCmd(button)) b->setEnabled(enabled);
}

bool ImportScreen::buttonEnabled(ImportButton button) const {
    const QPushButton* b = BtnCmd(button);
    return b && b->isEnabled();
}

void ImportScreen::setPickersEnabled(bool enabled) { source_->setPickersEnabled(enabled); }

void ImportScreen::setFileBoxEnabled(bool enabled) { source_->TxtArq()->setEnabled(enabled); }

void ImportScreen::refreshPickers() { source_->refresh(); }

void ImportScreen::setBusy(bool busy) {
    // The buttons keep the arrow (so "Cancelar" looks clickable during an import): the busy pointer is the
    // screen's own, not an application-wide one.
    if (busy) {
        setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
    }
}

void ImportScreen::setDeclarantLabels(const DeclarantDisplay& labels) {
    for (const DeclarantField& field : kDeclarantFields) {
        declarant_.value(QString::fromLatin1(field.name))->setText(qs(labels.*(field.value)));
    }
}

QLabel* ImportScreen::declarantLabel(const QString& name) const { return declarant_.value(name); }

// --- Events --------------------------------------------------------------------------------------------------------

Message ImportScreen::exclamation(const QString& text) const {
    Message m;
    m.title = kImportFileTitle.toStdString();
    m.text = text.toStdString();
    m.icon = Icon::Exclamation;
    return m;
}

void ImportScreen::setFileBox(const QString& text) {
    QLineEdit* box = source_->TxtArq();
    if (box->text() == text) return;
    box->setText(text);
    driver_.fileBoxChanged(toPath(text));
}

void ImportScreen::onFileNameEdited(const QString& text) { driver_.fileBoxChanged(toPath(text)); }

void ImportScreen::onDriveChosen(const QString& drive) {
    if (!folderReadable(drive)) {
        services_.prompts.show(
            exclamation(QStringLiteral("Erro na leitura do disco selecionado. Verifique a unidade de disco.")));
        source_->setDrive(driveOf(context_.programFolder));
        return;
    }
    source_->setDrive(drive);
    setFileBox(QString());
    pump_.pumpNow();
}

void ImportScreen::onFolderChosen(const QString& folder) {
    if (!folderReadable(folder)) {
        services_.prompts.show(exclamation(QStringLiteral("Erro na leitura do disco. Verifique a unidade de disco.")));
        return;
    }
    source_->setFolder(folder);
    session_.state.cancel.set = false;
    setFileBox(QString());
    pump_.pumpNow();
}

void ImportScreen::onFileClicked(const QString& folder, const QString& fileName) {
    const QString path = folder.endsWith(QLatin1Char('/')) ? folder + fileName : folder + QLatin1Char('/') + fileName;
    source_->TxtArq()->setText(path);
    driver_.fileClicked(toPath(folder), fileName.toStdString());
}

void ImportScreen::onButtonClicked(ImportButton button) {
    switch (button) {
        case ImportButton::Ok: {
            if (running_) return;
            running_ = true;
            const ImportOutcome outcome = driver_.importButton();
            running_ = false;
            context_.declarationGenerated = session_.mainAnswer == MainAnswer::Generated;
            if (outcome == ImportOutcome::Succeeded && !closeRequested_) offerTransmission();
            if (closeRequested_) releaseScreen(this);
            break;
        }
        case ImportButton::Close: releaseScreen(this); break;
        case ImportButton::Help: host_.showHelp(topic::ImportarDeclaracao); break;
        case ImportButton::PrintPending:
            if (services_.printPending) {
                services_.printPending(*this);
            } else {
                Message m;
                m.title = "Imprimir Pendências";
                m.text = "A impressão da lista de erros ainda não está disponível nesta versão do programa.";
                m.icon = Icon::Information;
                services_.prompts.show(m);
            }
            break;
        case ImportButton::Cancel: driver_.cancelButton(); break;
    }
}

void ImportScreen::offerTransmission() {
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    if (session_.mainAnswer != MainAnswer::Generated) {
        setButtonEnabled(ImportButton::PrintPending, false);
        QApplication::restoreOverrideCursor();
        return;
    }
    const QString message = QString::fromStdString(importSuccessText(session_)) +
                            QStringLiteral("\n\nDeseja transmitir o arquivo neste momento ?");
    setButtonEnabled(ImportButton::PrintPending, false);
    TransmitQuestion question(message, session_.answer, &host_, this, window());
    question.exec();
    // Only "Sim" transmits: a question closed by its close box is not an agreement to send the declaration.
    if (session_.answer == kAnsweredYes) {
        const TimingLabels t = timingLabelsOf(TimingFrame::Transmission);
        showStatus(true);
        setStatus("Aguarde a transmissão da declaração...");
        showFrame(TimingFrame::Transmission, true);
        setTimeLabel(t.start, "HI: " + services_.clock.now().hhmmss());
        setTimeLabel(t.end, "");
        setTimeLabel(t.elapsed, "");
        pump_.pumpNow();
        bool sent = false;
        if (services_.transmit) {
            const std::filesystem::path delivery = session_.generatedDeclarationId.empty()
                                                       ? session_.names.deliveryFilePath
                                                       : std::filesystem::path(session_.generatedDeclarationId);
            sent = services_.transmit(this, static_cast<int>(session_.answer), delivery);
        } else {
            Message m;
            m.title = "Transmitir";
            m.text = "A transmissão ainda não está disponível nesta versão do programa.";
            m.icon = Icon::Information;
            services_.prompts.show(m);
        }
        setTimeLabel(t.end, "HF: " + services_.clock.now().hhmmss());
        if (sent) {
            setTimeLabel(t.elapsed,
                         "Tempo: " + elapsedTime(lastEight(timeLabel(t.start)), lastEight(timeLabel(t.end))));
        }
    }
    setStatus("");
    setFileBox(QString());
    QApplication::restoreOverrideCursor();
}

void ImportScreen::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (loaded_) return;
    loaded_ = true;
    host_.centreScreen(this);
    // When the main window's inner area changes size the screen is centred again.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        if (sub->parentWidget()) sub->parentWidget()->installEventFilter(this);
    }
    pump_.pumpNow();
}

bool ImportScreen::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && parentWidget() && watched == parentWidget()->parentWidget()) {
        host_.centreScreen(this);
    }
    return QWidget::eventFilter(watched, event);
}

void ImportScreen::closeEvent(QCloseEvent* event) {
    if (running_) {
        // The running pass stops at its next record; the screen goes once the import button's handler ends.
        driver_.unload();
        closeRequested_ = true;
        event->ignore();
        return;
    }
    context_.importScreenOpen = false;
    driver_.unload();
    host_.enableMenus();
    event->accept();
}

}  // namespace kova::app
