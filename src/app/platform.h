// The services of the machine that start-up checks: the system library folder, the screen size and the regional
// date and time formats. Tests give fixed values.
#pragma once

#include <QSize>
#include <QString>
#include <optional>

namespace kova::app {

class Platform {
public:
    virtual ~Platform() = default;
    // The folder of the system's shared libraries; empty when it cannot be found.
    virtual QString systemFolder() const = 0;
    // Size of the primary screen in pixels.
    virtual QSize screenSize() const = 0;
    // The regional short date format and time format; nullopt when the setting cannot be read.
    virtual std::optional<QString> shortDateFormat() const = 0;
    virtual std::optional<QString> timeFormat() const = 0;
};

// The running machine: the system locale's formats (as the person's session sets them) and the primary screen.
class DesktopPlatform : public Platform {
public:
    QString systemFolder() const override;
    QSize screenSize() const override;
    std::optional<QString> shortDateFormat() const override;
    std::optional<QString> timeFormat() const override;
};

// Values given in advance (tests, and runs that must not depend on the machine).
class FixedPlatform : public Platform {
public:
    QString system = QStringLiteral("/usr/lib");
    QSize screen{1280, 1024};
    std::optional<QString> date = QStringLiteral("dd/MM/yyyy");
    std::optional<QString> time = QStringLiteral("HH:mm:ss");

    QString systemFolder() const override { return system; }
    QSize screenSize() const override { return screen; }
    std::optional<QString> shortDateFormat() const override { return date; }
    std::optional<QString> timeFormat() const override { return time; }
};

}  // namespace kova::app
