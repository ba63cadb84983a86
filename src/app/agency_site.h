// The agency's web site, opened from the main window, the about box and the transmission notices.
#pragma once

#include <QString>

#include "delivery/transmission.h"

namespace kova::app {

inline const QString kAgencyAddress = QString::fromLatin1(kAgencySiteAddress);

// Asks the desktop to open the address with the default browser; a failure is ignored.
void openAgencySite();

}  // namespace kova::app
