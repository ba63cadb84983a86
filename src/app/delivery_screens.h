// The screens of the generated declarations as the main window's commands open them: transmission, receipt
// printing and declaration printing.
#pragma once

#include <functional>

#include "app/delivery_services.h"

namespace kova::app {

class MainWindow;
struct ProgramContext;

// `database` gives the work database once it is open (no screen opens without it).
void registerDeliveryScreens(MainWindow& main, ProgramContext& context, Prompts& prompts, const Clock& clock,
                             std::function<WorkDatabase*()> database);

}  // namespace kova::app
