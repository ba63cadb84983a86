#include "app/agency_site.h"

#include <QDesktopServices>
#include <QUrl>

namespace kova::app {

void openAgencySite() { QDesktopServices::openUrl(QUrl(kAgencyAddress)); }

}  // namespace kova::app
