// DeclarationSelectionScreen "Selecionar Declaração Para Imprimir": the generated declarations; "&Ok" accepts the
// chosen delivery file and opens the report screen on it.
#pragma once

#include "app/catalogue_screen.h"

namespace kova::app {

class DeclarationSelectionScreen : public CatalogueScreen {
    Q_OBJECT
public:
    DeclarationSelectionScreen(ProgramContext& context, ScreenHost& host, DeliveryServices services,
                               QWidget* parent = nullptr);

protected:
    void runOperation(const CatalogueRow& row) override;
};

}  // namespace kova::app
