// What a child screen asks of the main window it lives in.
#pragma once

#include <QWidget>
#include <optional>

namespace kova::app {

class ScreenHost {
public:
    virtual ~ScreenHost() = default;
    virtual void disableMenus() = 0;
    virtual void enableMenus() = 0;
    // Places the screen in the middle of the main window's inner area.
    virtual void centreScreen(QWidget* screen) = 0;
    // Opens help at a topic (the contents without one).
    virtual void showHelp(std::optional<int> topic = std::nullopt) = 0;
};

// Releases a screen: closes its child window when it has one (which closes the screen), else the screen itself.
void releaseScreen(QWidget* screen);

}  // namespace kova::app
