#include "app/program_folder.h"

#include <QDir>
#include <QFileInfo>

namespace kova::app {

QString withTrailingSlash(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString resolveProgramFolder(const QStringList& arguments, const QString& environmentValue,
                             const QString& executableFolder) {
    QString chosen;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--pasta") && i + 1 < arguments.size()) {
            chosen = arguments[i + 1];
            ++i;
        } else if (a.startsWith(QLatin1String("--pasta="))) {
            chosen = a.mid(8);
        }
    }
    if (chosen.isEmpty()) chosen = environmentValue;
    if (chosen.isEmpty()) chosen = executableFolder;
    return withTrailingSlash(QDir::cleanPath(QFileInfo(chosen).absoluteFilePath()));
}

}  // namespace kova::app
