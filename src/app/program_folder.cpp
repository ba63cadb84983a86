#include "app/program_folder.h"

#include <QDir>
#include <QFileInfo>

#include "app/program_context.h"
#include "core/faults.h"
#include "core/folder_lock.h"
#include "core/program_folder_setup.h"
#include "core/work_database.h"

namespace kova::app {

QString withTrailingSlash(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

namespace {

std::filesystem::path toPath(const QString& text) { return std::filesystem::path(text.toStdString()); }

QString namedProgramFolder(const QStringList& arguments, const QString& environmentValue) {
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
    return chosen.isEmpty() ? environmentValue : chosen;
}

Message notice(Icon icon, std::string text) {
    return Message{kProgramTitle.toStdString(), std::move(text), icon, Buttons::Ok, Answer::Ok};
}

}  // namespace

QString resolveProgramFolder(const QStringList& arguments, const QString& environmentValue,
                             const QString& executableFolder) {
    QString chosen = namedProgramFolder(arguments, environmentValue);
    if (chosen.isEmpty()) chosen = QString::fromStdString(defaultProgramFolder(toPath(executableFolder)).string());
    return withTrailingSlash(QDir::cleanPath(QFileInfo(chosen).absoluteFilePath()));
}

bool isPerUserProgramFolder(const QStringList& arguments, const QString& environmentValue,
                            const QString& executableFolder) {
    return namedProgramFolder(arguments, environmentValue).isEmpty() &&
           installedDataFolder(toPath(executableFolder)).has_value();
}

bool makeProgramFolderOnFirstStart(const QString& folder, Prompts& prompts) {
    if (QFileInfo::exists(folder)) return true;
    const std::filesystem::path path = toPath(QDir::cleanPath(folder));
    try {
        switch (prepareProgramFolder(path)) {
            case FolderPreparation::Created:
                prompts.show(notice(Icon::Information,
                                    "Primeira execução do programa: a pasta do programa foi criada em\n" +
                                        path.string() + "\ncom um banco de dados de trabalho novo (" +
                                        kWorkDatabaseFile + "). As declarações geradas ficam nela, em GERADA."));
                return true;
            case FolderPreparation::AlreadyHasDatabase:
                return true;  // another copy made it at the same moment, and told so
            case FolderPreparation::InUse:
                prompts.show(notice(Icon::Exclamation, folderInUseMessage(path)));
                return false;
        }
    } catch (const Fault& fault) {
        prompts.show(notice(Icon::Critical, "Não foi possível criar a pasta do programa em " + path.string() + ".\n" +
                                                faultMessage(fault)));
    }
    return false;
}

}  // namespace kova::app
