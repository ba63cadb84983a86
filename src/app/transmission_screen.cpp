#include "app/transmission_screen.h"

#include "app/help_window.h"
#include "app/transmission_notice.h"

namespace kova::app {

namespace {

const CatalogueScreenSetup kSetup{
    .objectName = "KOVALDTRANSM",
    .caption = "Transmitir via Internet - Declarações gravadas para entrega à QOT",
    .label = "Selecionar a declaração a ser transmitida",
    .selection = CatalogueSelection::Transmission,
    .withTransmitted = false,
    .statusName = nullptr,
    .helpTopic = topic::TransmitirDeclaracao,
    .emptyTitle = "Transmitir Declarações",
    .noneLeftTitle = "Transmitir Declarações",
    .noneLeftText = "Não existem declarações a serem transmitidas",
    .closeWhenNoneLeft = false,
};

}  // namespace

TransmissionOutcome transmitFromScreen(QWidget* screen, Prompts& prompts, const std::filesystem::path& programFolder,
                                       std::int16_t option, const std::filesystem::path& deliveryFile,
                                       const WriteLockWait& lockWait) {
    ScreenTransmissionDialogs dialogs(screen);
    TransmissionRequest request;
    request.deliveryFile = deliveryFile;
    request.option = option;
    request.window = screen ? reinterpret_cast<void*>(screen->window()->winId()) : nullptr;
    request.programFolder = programFolder;
    request.lockWait = lockWait;
    request.dialogs = &dialogs;
    return transmit(prompts, request);
}

TransmissionScreen::TransmissionScreen(ProgramContext& context, ScreenHost& host, DeliveryServices services,
                                       QWidget* parent)
    : CatalogueScreen(context, host, std::move(services), kSetup, parent) {}

void TransmissionScreen::runOperation(const CatalogueRow& row) {
    // The option of the transmission screen is 1.
    transmitFromScreen(this, services().prompts, services().database.programFolder(), 1, row.fileName, lockWait());
}

}  // namespace kova::app
