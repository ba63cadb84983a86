#include "app/transmission_notice.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "app/agency_site.h"

namespace kova::app {

QString transmissionNoticeText(TransmissionNoticeKind kind) {
    if (kind == TransmissionNoticeKind::OldVersion) {
        return QStringLiteral(
            "A versão do programa Quiboro instalada em seu computador não permite a transmissão desta "
            "declaração.\n\nAcesse a página da QOT na Internet no endereço abaixo. Faça download  do  programa  e  "
            "instale em seu computador.");
    }
    return QStringLiteral(
        "O programa Quiboro não foi encontrado em seu computador.\n\nAcesse a página da QOT na Internet no "
        "endereço abaixo, faça o download  do   programa e  instale em seu computador.");
}

TransmissionNotice::TransmissionNotice(TransmissionNoticeKind kind, QWidget* parent) : QDialog(parent) {
    setObjectName(kind == TransmissionNoticeKind::OldVersion ? QStringLiteral("KOVALDME1")
                                                              : QStringLiteral("KOVALDME2"));
    setWindowTitle(QStringLiteral("Transmissão da Declaração"));

    auto* image = new QLabel(this);
    image->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    image->setAlignment(Qt::AlignTop);
    auto* text = new QLabel(transmissionNoticeText(kind), this);
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
    setFixedWidth(460);
}

}  // namespace kova::app
