#include "app/delivery_screens.h"

#include "app/declaration_selection_screen.h"
#include "app/main_window.h"
#include "app/program_context.h"
#include "app/receipt_screen.h"
#include "app/transmission_screen.h"

namespace kova::app {

namespace {

template <typename Screen>
MainWindow::ScreenFactory factoryOf(ProgramContext& context, Prompts& prompts, const Clock& clock,
                                    std::function<WorkDatabase*()> database) {
    return [&context, &prompts, &clock, database](MainWindow& host) -> QWidget* {
        WorkDatabase* open = database();
        if (open == nullptr) return nullptr;
        DeliveryServices services{*open, prompts, clock, context.printerFlags,
                                  [&context, &prompts](const QString& documentName, QWidget* parent) {
                                      return context.printer.documentPrinter(documentName, prompts, parent);
                                  }};
        return new Screen(context, host, std::move(services));
    };
}

}  // namespace

void registerDeliveryScreens(MainWindow& main, ProgramContext& context, Prompts& prompts, const Clock& clock,
                             std::function<WorkDatabase*()> database) {
    main.setScreenFactory(ScreenKind::Transmission, factoryOf<TransmissionScreen>(context, prompts, clock, database));
    main.setScreenFactory(ScreenKind::PrintReceipt, factoryOf<ReceiptScreen>(context, prompts, clock, database));
    main.setScreenFactory(ScreenKind::PrintDeclaration,
                          factoryOf<DeclarationSelectionScreen>(context, prompts, clock, database));
}

}  // namespace kova::app
