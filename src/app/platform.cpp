#include "app/platform.h"

#include <QDir>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>

namespace kova::app {

QString DesktopPlatform::systemFolder() const {
    // The folder the Qt libraries were installed into is where the system keeps its shared libraries.
    const QString path = QLibraryInfo::path(QLibraryInfo::LibrariesPath);
    return QDir(path).exists() ? path : QString();
}

QSize DesktopPlatform::screenSize() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize();
}

std::optional<QString> DesktopPlatform::shortDateFormat() const {
    return QLocale::system().dateFormat(QLocale::ShortFormat);
}

// The full time format (with seconds), as the regional "time format" setting of a desktop is.
std::optional<QString> DesktopPlatform::timeFormat() const {
    return QLocale::system().timeFormat(QLocale::LongFormat);
}

}  // namespace kova::app
