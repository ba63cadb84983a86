#include "app/transmit_question.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "app/help_window.h"

namespace kova::app {

namespace {
constexpr int k1200Twips = 80;  // at 15 twips a pixel
}

TransmitQuestion::TransmitQuestion(const QString& message, ImportAnswer& answer, ScreenHost* host, QWidget* importScreen,
                     QWidget* parent)
    : QuestionDialog(answer, host, importScreen, k1200Twips, parent), label_(new QLabel(message, this)) {
    setObjectName(QStringLiteral("KOVALDME3"));
    setWindowTitle(QStringLiteral("Transmitir Declaração"));
    flag_ = 1;

    auto* image = new QLabel(this);
    image->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    image->setAlignment(Qt::AlignTop);
    label_->setObjectName(QStringLiteral("Label1"));
    label_->setTextFormat(Qt::PlainText);
    label_->setWordWrap(true);
    label_->setMinimumWidth(380);

    QPushButton* yes = addButton(0, QStringLiteral("&Sim"));
    QPushButton* no = addButton(1, QStringLiteral("&Não"));
    QPushButton* help = addButton(2, QStringLiteral("&Ajuda"));
    yes->setDefault(true);
    // The flag holds 1, the value of "Sim" in the answer field.
    connect(yes, &QPushButton::clicked, this, [this] { answerAndClose(static_cast<ImportAnswer>(flag_)); });
    connect(no, &QPushButton::clicked, this, [this] { answerAndClose(ImportAnswer::NoTransmission); });
    connect(help, &QPushButton::clicked, this, [this] { openHelp(topic::TransmitirDeclaracao); });

    auto* top = new QHBoxLayout;
    top->addWidget(image);
    top->addWidget(label_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttonRow());
    setFixedSize(sizeHint());
}

}  // namespace kova::app
