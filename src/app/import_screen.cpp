#include "app/import_screen.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "app/error_list_panel.h"
#include "app/help_window.h"
#include "app/pending_list_model.h"
#include "app/program_context.h"
#include "app/screen_host.h"
#include "app/session_printer.h"
#include "app/source_frame.h"
#include "app/transmit_question.h"
#include "core/clock.h"
#include "core/text.h"

namespace kova::app {

namespace {

constexpr const char* kImportFileTitle = "Importar Arquivo";

QString qs(const std::string& text) { return QString::fromStdString(text); }

std::filesystem::path toPath(const QString& text) { return std::filesystem::path(text.toStdString()); }

// TransmitQuestion writes "1" for "Sim" into the answer field: the value that otherwise means "not generated".
constexpr ImportAnswer kAnsweredYes = static_cast<ImportAnswer>(1);

// The declarant labels: object name and caption, in the order shown.
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

// The timing frames in the order shown: the phase, its caption, the frame's index and the indices of its start,
// end and elapsed labels (the controls' names), and what the end label reads while the phase runs.
struct PhaseFrameText {
    ImportPhase phase;
    const char* caption;
    int frameIndex;
    int labels[3];
    const char* runningEnd;
};
const PhaseFrameText kPhaseFrames[] = {
    {ImportPhase::OpenFile, "Abrir Arquivo", 0, {0, 1, 10}, "HF: "},
    {ImportPhase::Critique, "Crítica", 3, {6, 7, 11}, "HF: "},
    {ImportPhase::Generation, "Geração", 1, {2, 3, 12}, "HF:"},
    {ImportPhase::Transmission, "Transmissão", 2, {8, 9, 14}, ""},
};
const PhaseFrameText& phaseFrameText(ImportPhase phase) {
    for (const PhaseFrameText& t : kPhaseFrames)
        if (t.phase == phase) return t;
    return kPhaseFrames[0];
}

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

// The printed list sends one line per error: the bar follows the lines sent.
class PrintedLinesProgress final : public Progress {
public:
    PrintedLinesProgress(Progress& screen, std::int64_t lines)
        : screen_(screen), lines_(std::max<std::int64_t>(lines, 1)) {}
    void setPercent(int percent) override { screen_.setPercent(percent); }
    void pump() override {
        const int percent = static_cast<int>(std::min<std::int64_t>(100, ++sent_ * 100 / lines_));
        if (percent != shown_) screen_.setPercent(shown_ = percent);
        screen_.pump();
    }

private:
    Progress& screen_;
    std::int64_t lines_;
    std::int64_t sent_ = 0;
    int shown_ = -1;
};

QLabel* valueLabel(QWidget* parent, const QString& name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    // The widest value but the name, a masked CNPJ, is never cut.
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("00.000.000/0000-00")) + 12);
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
    // Enter in the file name is "&Ok"; F1 is "&Ajuda". Each does nothing while its button is off.
    connect(source_->TxtArq(), &QLineEdit::returnPressed, this, [this] {
        if (BtnCmd(ImportButton::Ok)->isEnabled()) onImport();
    });
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(help, &QShortcut::activated, this, [this] {
        // The summary and the export have topics of their own.
        if (errorPanel_->isAncestorOf(QApplication::focusWidget())) {
            errorPanel_->showHelpForFocus();
            return;
        }
        if (BtnCmd(ImportButton::Help)->isEnabled()) BtnCmd(ImportButton::Help)->click();
    });
    source_->TxtArq()->installEventFilter(this);
    connect(source_, &SourceFrame::driveChosen, this, &ImportScreen::onDriveChosen);
    connect(source_, &SourceFrame::folderChosen, this, &ImportScreen::onFolderChosen);
    connect(source_, &SourceFrame::fileChosen, this, &ImportScreen::onFileClicked);

    // The screen starts on the root drive and its root folder, nothing chosen.
    showDeclarant({});
    pgBar_->setValue(pgBar_->minimum());
    source_->setDrive(QStringLiteral("/"));
    context_.importScreenOpen = true;
    label4_->hide();
    setButtonEnabled(ImportButton::Ok, false);
    setButtonEnabled(ImportButton::PrintPending, false);
    setButtonEnabled(ImportButton::Cancel, false);
    for (QGroupBox* frame : frames_) frame->hide();
    errorCountChanged(0);
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
    for (const PhaseFrameText& t : kPhaseFrames) {
        auto* frame = new QGroupBox(QString::fromUtf8(t.caption), strip);
        frame->setObjectName(QStringLiteral("Frame3_%1").arg(t.frameIndex));
        QSizePolicy keep = frame->sizePolicy();
        keep.setRetainSizeWhenHidden(true);  // the frames keep their places while hidden
        frame->setSizePolicy(keep);
        // Start and end on the first line, the elapsed time below.
        auto* grid = new QGridLayout(frame);
        grid->setVerticalSpacing(1);
        grid->setContentsMargins(6, 2, 6, 4);
        const int places[3][3] = {{0, 0, 1}, {0, 1, 1}, {1, 0, 2}};  // row, column, columns
        QList<QLabel*> labels;
        for (int i = 0; i < 3; ++i) {
            auto* label = new QLabel(frame);
            label->setObjectName(QStringLiteral("LblTempo%1").arg(t.labels[i]));
            label->setMinimumWidth(80);
            grid->addWidget(label, places[i][0], places[i][1], 1, places[i][2]);
            labels.append(label);
        }
        phaseLabels_.insert(t.phase, labels);
        frames_.insert(t.phase, frame);
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
    errorPanel_ = new ErrorListPanel(lstPend_, pending_, services_.errorLog, services_.prompts,
                                     [this](int topic) { host_.showHelp(topic); }, frame);
    // The summary and the export share the count's row: a row of their own would not fit a 768-pixel screen.
    auto* count = new QHBoxLayout;
    count->addWidget(errorPanel_, 1);
    count->addSpacing(24);
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
    const std::function<void()> handlers[] = {
        [this] { onImport(); },
        [this] { releaseScreen(this); },
        [this] { host_.showHelp(topic::ImportarDeclaracao); },
        [this] { onPrintPending(); },
        [this] { onCancel(); },
    };
    for (const ButtonText& b : kButtons) {
        auto* button = new QPushButton(QString::fromUtf8(b.caption), strip);
        const int index = static_cast<int>(b.button);
        button->setObjectName(QStringLiteral("BtnCmd%1").arg(index));
        button->setAutoDefault(false);
        button->setMinimumWidth(90);
        button->setCursor(Qt::ArrowCursor);
        connect(button, &QPushButton::clicked, this, handlers[index]);
        buttons_.insert(index, button);
        row->addWidget(button);
    }
    return strip;
}

// --- What the import tells -----------------------------------------------------------------------------------------

void ImportScreen::setPercent(int percent) {
    pgBar_->setValue(std::clamp(percent, pgBar_->minimum(), pgBar_->maximum()));
}

void ImportScreen::pump() { pump_.pump(); }

void ImportScreen::phaseStarted(ImportPhase phase, const std::string& start) {
    frames_.value(phase)->show();
    phaseLabel(phase, 0)->setText(QStringLiteral("HI: ") + qs(start));
    phaseLabel(phase, 1)->setText(QString::fromLatin1(phaseFrameText(phase).runningEnd));
    phaseLabel(phase, 2)->clear();
}

void ImportScreen::phaseEnded(ImportPhase phase, const std::string& end, const std::string& elapsed) {
    phaseLabel(phase, 1)->setText(QStringLiteral("HF: ") + qs(end));
    if (!elapsed.empty()) phaseLabel(phase, 2)->setText(QStringLiteral("Tempo: ") + qs(elapsed));
}

QLabel* ImportScreen::phaseLabel(ImportPhase phase, int which) const { return phaseLabels_.value(phase).value(which); }

void ImportScreen::statusChanged(const std::string& text) { label4_->setText(qs(text)); }

void ImportScreen::pendingCleared() {
    pending_->clear();
    errorPanel_->clear();
}

void ImportScreen::pendingRow(const ErrorListing& row, const std::string& line) {
    pending_->append(qs(line), errorPanel_->rowListed(row));
    ++linesThisRun_;
}

void ImportScreen::pendingLine(const std::string& line) {
    pending_->append(qs(line));
    ++linesThisRun_;
}

void ImportScreen::errorCountChanged(std::int64_t count) {
    errorCount_ = count;
    lblQtErros_->setText(qs(formatThousands(count)));
}

void ImportScreen::warning(const std::string& line) { pending_->append(qs(line)); }

void ImportScreen::busyChanged(bool busy) {
    // The buttons keep the arrow (so "Cancelar" looks clickable during an import): the busy pointer is the
    // screen's own, not an application-wide one.
    if (busy) {
        setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
    }
}

void ImportScreen::folderContentsChanged() { source_->refresh(); }

// --- The screen's own widgets --------------------------------------------------------------------------------------

QPushButton* ImportScreen::BtnCmd(ImportButton button) const { return buttons_.value(static_cast<int>(button)); }

void ImportScreen::setButtonEnabled(ImportButton button, bool enabled) { BtnCmd(button)->setEnabled(enabled); }

void ImportScreen::setPickersEnabled(bool enabled) { source_->setPickersEnabled(enabled); }

void ImportScreen::setRunning(bool running) {
    running_ = running;
    setPickersEnabled(!running);
    source_->TxtArq()->setEnabled(!running);
    for (ImportButton b : {ImportButton::Ok, ImportButton::Close, ImportButton::Help, ImportButton::PrintPending})
        setButtonEnabled(b, !running);
    setButtonEnabled(ImportButton::Cancel, running);
}

void ImportScreen::setPrinting(bool printing) {
    printing_ = printing;
    setPickersEnabled(!printing);
    source_->TxtArq()->setEnabled(!printing);
    setButtonEnabled(ImportButton::PrintPending, !printing);
    if (printing) setButtonEnabled(ImportButton::Ok, false);
}

void ImportScreen::showDeclarant(const DeclarantDisplay& declarant) {
    for (const DeclarantField& field : kDeclarantFields)
        declarant_.value(QString::fromLatin1(field.name))->setText(qs(declarant.*(field.value)));
}

QLabel* ImportScreen::declarantLabel(const QString& name) const { return declarant_.value(name); }

// --- What the person does ------------------------------------------------------------------------------------------

void ImportScreen::setFileBox(const QString& text) {
    QLineEdit* box = source_->TxtArq();
    if (box->text() == text) return;
    box->setText(text);
    chooseFile(text);
}

void ImportScreen::chooseFile(const QString& text) {
    // A cancelled import's list stays until the person picks again.
    if (!driver_.cancelled()) {
        errorCountChanged(0);
        setButtonEnabled(ImportButton::PrintPending, false);
        setWindowTitle(QStringLiteral("Importar Declaração"));
        pendingCleared();
    }
    for (QGroupBox* frame : frames_) frame->hide();
    setPercent(0);
    const FileChoice choice = driver_.choose(toPath(text));
    if (choice.kind != FileChoice::Kind::NotFound) {
        showDeclarant(choice.declarant);
        setButtonEnabled(ImportButton::Ok, choice.accepted());
    }
    if (!choice.notice.empty()) {
        pendingCleared();
        pending_->append(qs(choice.notice));
        errorCountChanged(0);
    }
    pump_.pump();
}

void ImportScreen::onFileNameEdited(const QString& text) { chooseFile(text); }

void ImportScreen::onDriveChosen(const QString& drive) {
    if (!folderReadable(drive)) {
        services_.prompts.show(
            exclamation(kImportFileTitle, "Erro na leitura do disco selecionado. Verifique a unidade de disco."));
        source_->setDrive(driveOf(context_.programFolder));
        return;
    }
    source_->setDrive(drive);
    setFileBox(QString());
    pump_.pumpNow();
}

void ImportScreen::onFolderChosen(const QString& folder) {
    if (!folderReadable(folder)) {
        services_.prompts.show(exclamation(kImportFileTitle, "Erro na leitura do disco. Verifique a unidade de disco."));
        return;
    }
    source_->setFolder(folder);
    driver_.clearCancel();
    setFileBox(QString());
    pump_.pumpNow();
}

void ImportScreen::onFileClicked(const QString& folder, const QString& fileName) {
    const QString path = folder.endsWith(QLatin1Char('/')) ? folder + fileName : folder + QLatin1Char('/') + fileName;
    source_->TxtArq()->setText(path);
    driver_.clearCancel();
    chooseFile(path);
}

void ImportScreen::onImport() {
    if (running_ || printing_) return;
    linesThisRun_ = 0;
    setRunning(true);
    label4_->show();
    const ImportResult result = driver_.run();
    setRunning(false);
    // The same file is imported again only once it is chosen again.
    setButtonEnabled(ImportButton::Ok, false);
    setButtonEnabled(ImportButton::PrintPending, linesThisRun_ > 0);
    errorPanel_->listComplete(session_.chosenPath);
    context_.declarationGenerated = result.generated;
    if (result.outcome == ImportOutcome::Succeeded && !closeRequested_) offerTransmission(result.generated);
    if (closeRequested_) releaseScreen(this);
}

void ImportScreen::onCancel() { driver_.requestCancel(); }

void ImportScreen::onPrintPending() {
    if (printing_) return;
    if (services_.printPending) {
        const int percentBefore = pgBar_->value();
        const bool importChosen = BtnCmd(ImportButton::Ok)->isEnabled();  // may still be started after the print
        const QString statusBefore = label4_->text();
        const bool statusShown = label4_->isVisible();
        setPrinting(true);
        // The bar below follows the print, not the validation: the line above says so.
        label4_->setText(QStringLiteral("Imprimindo a lista de erros / pendências ..."));
        label4_->show();
        PrintedLinesProgress progress(*this, errorCount_);
        // The print pumps events: a close meanwhile stops it, and the screen goes only once it has returned.
        printStop_.set = false;
        services_.printPending(progress, printStop_, this,
                               documentName(QStringLiteral("pendencias"), session_.declarant.cnpj));
        setPrinting(false);
        if (closeRequested_) {
            releaseScreen(this);
            return;
        }
        setButtonEnabled(ImportButton::Ok, importChosen);
        setPercent(percentBefore);
        label4_->setText(statusBefore);
        label4_->setVisible(statusShown);
    } else {
        services_.prompts.show(information(
            "Imprimir Pendências", "A impressão da lista de erros ainda não está disponível nesta versão do programa."));
    }
}

void ImportScreen::offerTransmission(bool generated) {
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    setButtonEnabled(ImportButton::PrintPending, false);
    if (!generated) {
        QApplication::restoreOverrideCursor();
        return;
    }
    const QString message = QString::fromStdString(importSuccessText(session_)) +
                            QStringLiteral("\n\nDeseja transmitir o arquivo neste momento ?");
    TransmitQuestion question(message, session_.answer, &host_, this, window());
    question.exec();
    // Only "Sim" transmits: a question closed by its close box is not an agreement to send the declaration.
    if (session_.answer == kAnsweredYes) {
        label4_->show();
        driver_.transmitGenerated([this](const std::filesystem::path& deliveryFile) {
            if (services_.transmit) return services_.transmit(this, static_cast<int>(session_.answer), deliveryFile);
            services_.prompts.show(
                information("Transmitir", "A transmissão ainda não está disponível nesta versão do programa."));
            return false;
        });
    }
    statusChanged("");
    setFileBox(QString());
    QApplication::restoreOverrideCursor();
}

void ImportScreen::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (loaded_) return;
    loaded_ = true;
    // On a tall screen the error list takes the room: the screen grows to most of the inner area's height.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()); sub && sub->parentWidget()) {
        const int room = sub->parentWidget()->height() * 9 / 10;
        if (room > sub->height()) sub->resize(sub->width(), room);
    }
    host_.centreScreen(this);
    // When the main window's inner area changes size the screen is centred again.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        if (sub->parentWidget()) sub->parentWidget()->installEventFilter(this);
    }
    pump_.pumpNow();
}

bool ImportScreen::eventFilter(QObject* watched, QEvent* event) {
    if (watched == source_->TxtArq() && event->type() == QEvent::KeyPress) {
        // An access key of a button that is off does nothing: its letter is not typed into the name.
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers();
        if ((mods & Qt::AltModifier) && !(mods & Qt::ControlModifier) && !key->text().isEmpty()) return true;
    }
    if (event->type() == QEvent::Resize && parentWidget() && watched == parentWidget()->parentWidget()) {
        host_.centreScreen(this);
    }
    return QWidget::eventFilter(watched, event);
}

void ImportScreen::closeEvent(QCloseEvent* event) {
    if (running_ || printing_) {
        // The running pass or print stops at its next record; the screen goes once it has ended.
        if (running_) driver_.abandon();
        printStop_.set = printing_;
        closeRequested_ = true;
        event->ignore();
        return;
    }
    context_.importScreenOpen = false;
    driver_.abandon();
    host_.enableMenus();
    event->accept();
}

}  // namespace kova::app
