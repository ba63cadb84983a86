// The facts of this machine that the installation check-up asks Qt for.
#pragma once

#include "print/installation_check.h"

namespace kova::print {

// The documents' fonts as drawn here, the default printer, PDF output and the regional date and time formats
// (the system locale's, as start-up reads them). Needs a QGuiApplication.
MachineFacts gatherMachineFacts();

}  // namespace kova::print
