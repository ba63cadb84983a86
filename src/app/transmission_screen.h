// TransmissionScreen "Transmitir via Internet - Declarações gravadas para entrega à QOT": the generated
// declarations not yet transmitted; "&Ok" hands the chosen one to Quiboro.
#pragma once

#include <cstdint>
#include <filesystem>

#include "app/catalogue_screen.h"
#include "delivery/transmission.h"

namespace kova::app {

// transmit from a screen: Quiboro's notices as dialogs over the main window, the screen repainting while
// another process writes the program folder.
TransmissionOutcome transmitFromScreen(QWidget* screen, Prompts& prompts, const std::filesystem::path& programFolder,
                                       std::int16_t option, const std::filesystem::path& deliveryFile,
                                       const WriteLockWait& lockWait);

class TransmissionScreen : public CatalogueScreen {
    Q_OBJECT
public:
    TransmissionScreen(ProgramContext& context, ScreenHost& host, DeliveryServices services,
                       QWidget* parent = nullptr);

protected:
    void runOperation(const CatalogueRow& row) override;
};

}  // namespace kova::app
