// Where the program's files live: --pasta DIR, else $KOVA_PASTA, else the folder of the executable (installed,
// the user's own folder, made on the first start).
#pragma once

#include <QString>
#include <QStringList>

#include "core/ports.h"

namespace kova::app {

// Absolute, cleaned, always ending with "/". `arguments` are the program's arguments (the first is skipped),
// `environmentValue` the value of KOVA_PASTA ("" when unset).
QString resolveProgramFolder(const QStringList& arguments, const QString& environmentValue,
                             const QString& executableFolder);

// True when no folder is named and the program is installed: its folder is then the user's own, made on the
// first start.
bool isPerUserProgramFolder(const QStringList& arguments, const QString& environmentValue,
                            const QString& executableFolder);

// The first start of an installed program: a folder that does not exist yet is made as kova-cli iniciar makes
// one, and the person is told where. An existing folder is left as it is (a missing work database in it is
// reported when it is opened). False, with the reason shown, when the folder cannot be made.
bool makeProgramFolderOnFirstStart(const QString& folder, Prompts& prompts);

// Makes sure a folder text ends with "/".
QString withTrailingSlash(const QString& folder);

}  // namespace kova::app
