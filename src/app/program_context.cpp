#include "app/program_context.h"

namespace kova::app {

QString versionText(int major, int minor) {
    return QStringLiteral("Versão %1.%2 - 16/02/2007").arg(major).arg(minor);
}

QString programVersionText() { return versionText(KOVA_VERSION_MAJOR, KOVA_VERSION_MINOR); }

}  // namespace kova::app
