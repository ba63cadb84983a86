#include "app/about_box.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/agency_site.h"
#include "app/toolbar_icons.h"
#include "kova_build_info.h"

namespace kova::app {

AboutBox::AboutBox(const QString& versionText, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("KOVALDSOB"));
    setWindowTitle(QStringLiteral("Sobre a KOVA Não Incidência"));

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(programIcon(ProgramIcon::Program).pixmap(64, 64));
    picture->setAlignment(Qt::AlignTop);

    auto* title = new QLabel(QStringLiteral("KOVA NÃO INCIDÊNCIA 3.0"), this);
    title->setObjectName(QStringLiteral("LblTitulo"));
    QFont big = title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    title->setFont(big);
    auto* version = new QLabel(versionText, this);
    version->setObjectName(QStringLiteral("LblVersao"));
    auto* build = new QLabel(QStringLiteral("Compilação %1").arg(QLatin1String(KOVA_BUILD_ID)), this);
    build->setObjectName(QStringLiteral("LblCompilacao"));
    auto* agency = new QLabel(QStringLiteral("QOT - Secretaria da Arventa\nMinistério da Dorvela"), this);
    agency->setObjectName(QStringLiteral("LblOrgao"));
    auto* levy = new QLabel(QStringLiteral("KOVA - Contribuição sobre Operações Financeiras"), this);
    levy->setObjectName(QStringLiteral("LblTributo"));
    auto* description = new QLabel(
        QStringLiteral("Importação, validação e entrega da Declaração de Não-Incidência da KOVA."), this);
    description->setObjectName(QStringLiteral("LblDescricao"));
    description->setWordWrap(true);
    auto* address = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(kAgencyAddress), this);
    address->setObjectName(QStringLiteral("Label0"));
    address->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(address, &QLabel::linkActivated, this, [] { openAgencySite(); });
    auto* rights = new QLabel(QStringLiteral("Direitos reservados: QOT - Secretaria da Arventa"), this);
    rights->setObjectName(QStringLiteral("LblDireitos"));

    auto* ok = new QPushButton(QStringLiteral("&Ok"), this);
    ok->setObjectName(QStringLiteral("CmdOk"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    for (QWidget* w :
         std::initializer_list<QWidget*>{title, version, build, agency, levy, description, address, rights}) {
        texts->addWidget(w);
    }
    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(440, 0)));
}

void AboutBox::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape close the box wherever the focus is.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace kova::app
