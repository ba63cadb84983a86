#include "app/transmission_notice.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "app/agency_site.h"

namespace kova::app {

TransmissionNotice::TransmissionNotice(QuiboroNotice kind, QWidget* parent) : QDialog(parent) {
    setObjectName(kind == QuiboroNotice::OldVersion ? QStringLiteral("KOVALDME1") : QStringLiteral("KOVALDME2"));
    setWindowTitle(QString::fromUtf8(kQuiboroNoticeTitle));

    auto* image = new QLabel(this);
    image->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    image->setAlignment(Qt::AlignTop);
    auto* text = new QLabel(QString::fromStdString(quiboroNoticeText(kind)), this);
    text->setObjectName(QStringLiteral("Label1"));
    text->setWordWrap(true);
    auto* address = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(kAgencyAddress), this);
    address->setObjectName(QStringLiteral("LblEndereco"));
    address->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(address, &QLabel::linkActivated, this, [] { openAgencySite(); });

    auto* close = new QPushButton(QStringLiteral("&Fechar"), this);
    close->setObjectName(QStringLiteral("BtnFechar"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(text);
    texts->addWidget(address);
    auto* top = new QHBoxLayout;
    top->addWidget(image);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    // The wrapped text decides the height for the width.
    constexpr int kWidth = 460;
    setFixedSize(kWidth, layout->hasHeightForWidth() ? layout->totalHeightForWidth(kWidth) : sizeHint().height());
}

void ScreenTransmissionDialogs::showNotice(QuiboroNotice notice) {
    // The busy pointer of the transmission gives way to the arrow while the notice is read.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    TransmissionNotice dialog(notice, parent_ ? parent_->window() : nullptr);
    dialog.exec();
    QApplication::restoreOverrideCursor();
}

}  // namespace kova::app
