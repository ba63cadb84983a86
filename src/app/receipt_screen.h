// ReceiptScreen "Imprimir Recibo de Entrega da Declaração": the transmitted declarations whose receipts validate;
// "&Ok" prints the chosen one's delivery receipt.
#pragma once

#include "app/catalogue_screen.h"

namespace kova::app {

class ReceiptScreen : public CatalogueScreen {
    Q_OBJECT
public:
    ReceiptScreen(ProgramContext& context, ScreenHost& host, DeliveryServices services, QWidget* parent = nullptr);

protected:
    void runOperation(const CatalogueRow& row) override;
};

}  // namespace kova::app
