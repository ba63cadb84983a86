#include "app/receipt_screen.h"

#include "app/help_window.h"
#include "app/session_printer.h"
#include "print/receipt_print.h"

namespace kova::app {

namespace {

const CatalogueScreenSetup kSetup{
    .objectName = "KOVALDIMPRIMIRRECIBO",
    .caption = "Imprimir Recibo de Entrega da Declaração",
    .label = "Selecionar a declaração para impressão do recibo",
    .selection = CatalogueSelection::Receipt,
    .withTransmitted = true,
    .statusName = "LblStatus",
    .helpTopic = topic::ImprimirRecibo,
    .emptyTitle = "Imprimir Recibo",
    .noneLeftTitle = "Imprimir Declarações",
    .noneLeftText = "Não existem declarações a imprimir.",
    .closeWhenNoneLeft = true,
};

}  // namespace

ReceiptScreen::ReceiptScreen(ProgramContext& context, ScreenHost& host, DeliveryServices services, QWidget* parent)
    : CatalogueScreen(context, host, std::move(services), kSetup, parent) {}

void ReceiptScreen::runOperation(const CatalogueRow& row) {
    const std::unique_ptr<print::Printer> printer =
        services().makePrinter(documentName(QStringLiteral("recibo"), row.cnpj), this);
    if (!printer) return;
    NullProgress progress;
    print::PrintContext print{*printer, services().printerFlags, services().prompts, services().clock, progress};
    ReceiptData data;
    print::printReceipt(row.fileName, print, data,
                        [this](const std::string& text) { setStatus(QString::fromStdString(text)); });
}

}  // namespace kova::app
