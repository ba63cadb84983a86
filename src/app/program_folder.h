// Where the program's files live: --pasta DIR, else $KOVA_PASTA, else the folder of the executable.
#pragma once

#include <QString>
#include <QStringList>

namespace kova::app {

// Absolute, cleaned, always ending with "/". `arguments` are the program's arguments (the first is skipped),
// `environmentValue` the value of KOVA_PASTA ("" when unset).
QString resolveProgramFolder(const QStringList& arguments, const QString& environmentValue,
                             const QString& executableFolder);

// Makes sure a folder text ends with "/".
QString withTrailingSlash(const QString& folder);

}  // namespace kova::app
