#include "app/catalogue_screen.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/catalogue_model.h"
#include "app/program_context.h"
#include "app/screen_host.h"

namespace kova::app {

namespace {

constexpr int kLoadDelayMs = 250;
constexpr int kRowsShown = 8;
constexpr int kCellRoom = 10;  // pixels beyond the widest text of a column

QString qs(const char* text) { return QString::fromUtf8(text); }

}  // namespace

CatalogueScreen::CatalogueScreen(ProgramContext& context, ScreenHost& host, DeliveryServices services,
                                 const CatalogueScreenSetup& setup, QWidget* parent)
    : QWidget(parent),
      context_(context),
      host_(host),
      services_(std::move(services)),
      setup_(setup),
      model_(new CatalogueModel(QString::fromStdString(services_.database.databasePath().string()),
                                setup.withTransmitted, this)),
      grid_(new QTableView(this)),
      timer_(new QTimer(this)) {
    setObjectName(qs(setup.objectName));
    setWindowTitle(qs(setup.caption));

    auto* label = new QLabel(qs(setup.label), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setBuddy(grid_);

    model_->setObjectName(QStringLiteral("Data1"));
    grid_->setObjectName(QStringLiteral("TDBG1"));
    grid_->setModel(model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Several rows can be marked, so that marking a second one can clear them all: one row at a time.
    grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setTabKeyNavigation(false);  // Tab goes on to the buttons
    grid_->setAlternatingRowColors(true);
    grid_->setWordWrap(false);
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->horizontalHeader()->setHighlightSections(false);
    const QFontMetrics metrics(grid_->font());
    grid_->setMinimumHeight(grid_->horizontalHeader()->sizeHint().height() +
                            kRowsShown * grid_->verticalHeader()->defaultSectionSize() + 2 * grid_->frameWidth());
    fitToRows();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(grid_, 1);
    if (setup.statusName != nullptr) {
        status_ = new QLabel(this);
        status_->setObjectName(qs(setup.statusName));
        status_->setMinimumHeight(metrics.height());
        layout->addWidget(status_);
    }
    auto* row = new QHBoxLayout;
    row->addStretch();
    const char* captions[] = {"&Ok", "&Cancelar", "&Ajuda"};
    for (int i = 0; i < 3; ++i) {
        buttons_[i] = new QPushButton(qs(captions[i]), this);
        buttons_[i]->setObjectName(QStringLiteral("BtnCmd%1").arg(i));
        buttons_[i]->setAutoDefault(false);
        buttons_[i]->setMinimumWidth(90);
        row->addWidget(buttons_[i]);
    }
    layout->addLayout(row);

    connect(buttons_[0], &QPushButton::clicked, this, &CatalogueScreen::onOk);
    connect(buttons_[1], &QPushButton::clicked, this, [this] { releaseScreen(this); });
    connect(buttons_[2], &QPushButton::clicked, this, [this] { host_.showHelp(setup_.helpTopic); });
    connect(grid_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CatalogueScreen::onRowsSelected);
    // Enter or a double click on a row is "&Ok".
    connect(grid_, &QAbstractItemView::activated, this, &CatalogueScreen::onOk);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(help, &QShortcut::activated, buttons_[2], &QPushButton::click);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, [this] {
        if (buttons_[1]->isEnabled()) buttons_[1]->click();
    });

    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setSingleShot(true);
    timer_->setInterval(kLoadDelayMs);
    connect(timer_, &QTimer::timeout, this, &CatalogueScreen::onTimer);
    buttons_[0]->setEnabled(false);
}

CatalogueScreen::~CatalogueScreen() = default;

QPushButton* CatalogueScreen::BtnCmd(CatalogueButton button) const { return buttons_[static_cast<int>(button)]; }

void CatalogueScreen::setStatus(const QString& text) {
    if (status_ == nullptr) return;
    status_->setText(text);
    pump_.pumpNow();
}

WriteLockWait CatalogueScreen::lockWait() { return {services_.writeLockWait, [this] { pump_.pump(); }}; }

int CatalogueScreen::reload() {
    model_->empty();  // no read stays open on the database while the catalogue is written
    const int result = loadCatalogue(services_.database.programFolder(), services_.database, setup_.selection,
                                     services_.prompts, lockWait());
    if (result == kCatalogueListed) {
        model_->refresh();
        fitToRows();
        // The first row is the current one, and marked, as the data source stands on its first record.
        if (model_->rowCount() > 0) {
            // Whatever keys are held: not extended from an earlier mark.
            const QModelIndex first = model_->index(0, 0);
            grid_->selectionModel()->setCurrentIndex(
                first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
    }
    onRowsSelected();
    return result;
}

void CatalogueScreen::onTimer() {
    if (!model_->openError().isEmpty()) {
        services_.prompts.show(exclamation("Carga Declarações", "Erro na carga das declarações na grade.\n" +
                                                                    model_->openError().toStdString()));
        releaseScreen(this);
        return;
    }
    const int result = reload();
    if (result == kCatalogueListed) return;
    if (result == kCatalogueEmpty)
        services_.prompts.show(exclamation(setup_.emptyTitle, "A unidade não contém declarações."));
    releaseScreen(this);
}

void CatalogueScreen::onRowsSelected() {
    if (model_->rowCount() == 0) {
        buttons_[0]->setEnabled(false);
        return;
    }
    const qsizetype selected = grid_->selectionModel()->selectedRows().size();
    // Marking a second row clears the marks; "&Ok" stays as it was until one row is marked again.
    if (selected >= 2) {
        grid_->clearSelection();
    } else if (selected == 1 && !running_) {
        buttons_[0]->setEnabled(true);
    }
}

void CatalogueScreen::setButtonsEnabled(bool enabled) {
    buttons_[0]->setEnabled(enabled);
    buttons_[1]->setEnabled(enabled);
}

void CatalogueScreen::onOk() {
    const QModelIndex current = grid_->currentIndex();
    if (running_ || !buttons_[0]->isEnabled() || !current.isValid()) return;
    const CatalogueRow row = model_->row(current.row());
    running_ = true;
    setCursor(Qt::WaitCursor);
    setButtonsEnabled(false);
    pump_.pumpNow();
    runOperation(row);
    setStatus({});
    unsetCursor();
    setButtonsEnabled(true);
    running_ = false;
    // A screen closed meanwhile goes now; the catalogue is not loaded again for it.
    if (!closeRequested_) {
        const int result = reload();
        if (result == kCatalogueEmpty) services_.prompts.show(exclamation(setup_.noneLeftTitle, setup_.noneLeftText));
        closeRequested_ = result != kCatalogueListed && setup_.closeWhenNoneLeft;
    }
    if (closeRequested_) releaseScreen(this);
}

int CatalogueScreen::columnNeed(int column) const {
    // The widest cell of the column and a little room; before the rows are read, about the widest it will hold.
    const int header = grid_->horizontalHeader()->sectionSizeHint(column);
    const int cells = model_->rowCount() > 0
                          ? static_cast<const QAbstractItemView*>(grid_)->sizeHintForColumn(column)
                          : grid_->fontMetrics().horizontalAdvance(model_->typicalText(column));
    return std::max(header, cells) + kCellRoom;
}

void CatalogueScreen::fitToRows() {
    int width = 2 * grid_->frameWidth() + grid_->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < model_->columnCount(); ++c) {
        const int need = columnNeed(c);
        grid_->setColumnWidth(c, need);
        width += need;
    }
    // No wider than the main window's inner area: beyond it the grid scrolls.
    QWidget* area = parentWidget() ? parentWidget()->parentWidget() : nullptr;
    const int available = area ? area->width() - (this->width() - grid_->width()) - 16
                               : screen()->availableGeometry().width() - 64;
    grid_->setMinimumWidth(std::max(grid_->minimumWidth(), std::min(width, available)));
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        sub->adjustSize();
        host_.centreScreen(this);
    }
}

void CatalogueScreen::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (loaded_) return;
    loaded_ = true;
    host_.centreScreen(this);
    grid_->setFocus();
    timer_->start();
}

void CatalogueScreen::closeEvent(QCloseEvent* event) {
    if (running_) {
        closeRequested_ = true;
        event->ignore();
        return;
    }
    timer_->stop();
    event->accept();
}

}  // namespace kova::app
