// The agency's web site, opened from the main window, the about box and the transmission notices.
#pragma once

#include <QString>

namespace kova::app {

inline const QString kAgencyAddress = QStringLiteral("http://www.qot.gov.br");

// Asks the desktop to open the address with the default browser; a failure is ignored.
void openAgencySite();

}  // namespace kova::app
