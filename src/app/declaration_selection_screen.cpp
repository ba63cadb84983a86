#include "app/declaration_selection_screen.h"

#include "app/declaration_report_screen.h"
#include "app/help_window.h"
#include "print/declaration_selection.h"

namespace kova::app {

namespace {

const CatalogueScreenSetup kSetup{
    .objectName = "KOVALDSELDECIMPD",
    .caption = "Selecionar Declaração Para Imprimir",
    .label = "Selecionar a declaração a ser impressa",
    .selection = CatalogueSelection::Printing,
    .withTransmitted = true,
    .statusName = "Label1_1",
    .helpTopic = topic::ImprimirDeclaracao,
    .emptyTitle = "Imprimir Declarações",
    .noneLeftTitle = "Imprimir Declarações",
    .noneLeftText = "Não existem declarações a imprimir.",
    .closeWhenNoneLeft = true,
};

}  // namespace

DeclarationSelectionScreen::DeclarationSelectionScreen(ProgramContext& context, ScreenHost& host,
                                                       DeliveryServices services, QWidget* parent)
    : CatalogueScreen(context, host, std::move(services), kSetup, parent) {}

void DeclarationSelectionScreen::runOperation(const CatalogueRow& row) {
    print::ReportLabels labels;
    if (!print::showFields(row, services().prompts, labels)) return;
    // The report screen is modal: this screen waits until it is closed.
    unsetCursor();
    DeclarationReportScreen report(host(), services(), labels, row, window());
    report.exec();
}

}  // namespace kova::app
