#include "app/checkup_dialog.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "delivery/transmission.h"
#include "print/qt/machine_facts.h"

namespace kova::app {

namespace {

// A round mark: green with a tick when ready, red with a cross when to fix, grey with a dash when not checked.
QPixmap stateMark(print::CheckState state) {
    QPixmap mark(18, 18);
    mark.fill(Qt::transparent);
    QPainter painter(&mark);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = state == print::CheckState::Ready      ? QColor(0x2e, 0x7d, 0x32)
                          : state == print::CheckState::NotReady ? QColor(0xc6, 0x28, 0x28)
                                                                 : QColor(0x9e, 0x9e, 0x9e);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(1, 1, 16, 16);
    painter.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (state == print::CheckState::Ready) {
        painter.drawPolyline(QPolygonF({QPointF(5, 9.5), QPointF(8, 12.5), QPointF(13, 6)}));
    } else if (state == print::CheckState::NotReady) {
        painter.drawLine(QPointF(6, 6), QPointF(12, 12));
        painter.drawLine(QPointF(12, 6), QPointF(6, 12));
    } else {
        painter.drawLine(QPointF(5.5, 9), QPointF(12.5, 9));
    }
    return mark;
}

QLabel* wrappedLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

CheckupDialog::CheckupDialog(QString programFolder, std::function<void()> showHelp, QWidget* parent)
    : QDialog(parent),
      programFolder_(std::move(programFolder)),
      showHelp_(std::move(showHelp)),
      summary_(new QLabel(this)),
      rows_(new QWidget) {
    setObjectName(QStringLiteral("DlgDiagnostico"));
    setWindowTitle(QStringLiteral("Diagnóstico da Instalação"));
    // Modal to the main window only: the help window it opens stays usable beside it.
    setWindowModality(Qt::WindowModal);

    auto* intro = wrappedLabel(
        QStringLiteral("O que o programa precisa para importar, gerar, transmitir e imprimir, na pasta do programa "
                       "%1:")
            .arg(QDir::cleanPath(programFolder_)),
        this);
    summary_->setObjectName(QStringLiteral("LblResumo"));
    QFont bold = summary_->font();
    bold.setBold(true);
    summary_->setFont(bold);

    grid_ = new QGridLayout(rows_);
    grid_->setColumnStretch(2, 1);
    grid_->setHorizontalSpacing(10);
    grid_->setVerticalSpacing(6);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("LstItens"));
    scroll->setWidgetResizable(true);
    scroll->setWidget(rows_);

    auto* again = new QPushButton(QStringLiteral("&Verificar Novamente"), this);
    again->setObjectName(QStringLiteral("BtnVerificar"));
    connect(again, &QPushButton::clicked, this, &CheckupDialog::runCheck);
    auto* help = new QPushButton(QStringLiteral("&Ajuda"), this);
    help->setObjectName(QStringLiteral("BtnAjuda"));
    connect(help, &QPushButton::clicked, this, [this] { showHelp_(); });
    auto* close = new QPushButton(QStringLiteral("&Fechar"), this);
    close->setObjectName(QStringLiteral("BtnFechar"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(again);
    buttons->addStretch();
    buttons->addWidget(help);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(summary_);
    layout->addWidget(scroll, 1);
    layout->addLayout(buttons);
    resize(760, 560);
    runCheck();
}

void CheckupDialog::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::HelpContents)) {
        showHelp_();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CheckupDialog::runCheck() {
    print::InstallationCheckInput input;
    input.programFolder = programFolder_.toStdString();
    input.windowsFolder = windowsFolder();
    input.machine = print::gatherMachineFacts();
    lines_ = print::checkInstallation(input);
    showLines();
}

void CheckupDialog::showLines() {
    while (QLayoutItem* item = grid_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    int row = 0;
    for (const print::CheckLine& line : lines_) {
        auto* mark = new QLabel(rows_);
        mark->setPixmap(stateMark(line.state));
        mark->setToolTip(QString::fromUtf8(print::stateName(line.state).data(),
                                           static_cast<qsizetype>(print::stateName(line.state).size())));
        mark->setObjectName(QStringLiteral("Estado_%1").arg(QString::fromStdString(line.key)));
        auto* subject = new QLabel(QString::fromStdString(line.subject), rows_);
        subject->setFont(summary_->font());
        QString text = QString::fromStdString(line.detail);
        if (!line.fix.empty()) text += QStringLiteral("\nComo corrigir: ") + QString::fromStdString(line.fix);
        auto* detail = wrappedLabel(text, rows_);
        detail->setObjectName(QStringLiteral("Detalhe_%1").arg(QString::fromStdString(line.key)));
        if (line.state == print::CheckState::NotReady) detail->setStyleSheet(QStringLiteral("color: #8e1c1c;"));
        grid_->addWidget(mark, row, 0, Qt::AlignTop);
        grid_->addWidget(subject, row, 1, Qt::AlignTop);
        grid_->addWidget(detail, row, 2);
        ++row;
    }
    grid_->setRowStretch(row, 1);
    summary_->setText(QString::fromStdString(print::checkupSummary(lines_)));
}

}  // namespace kova::app
