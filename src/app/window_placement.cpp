#include "app/window_placement.h"

#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <algorithm>

namespace kova::app {

QPoint centredOver(const QWidget& window, const QWidget& anchor) {
    const QRect over = anchor.window()->frameGeometry();
    QPoint topLeft = over.center() - window.rect().center();
    if (const QScreen* screen = anchor.window()->screen()) {
        const QRect area = screen->availableGeometry();
        // A window larger than the screen keeps its top-left corner, and with it its title bar, visible.
        topLeft.setX(std::max(area.left(), std::min(topLeft.x(), area.right() - window.width())));
        topLeft.setY(std::max(area.top(), std::min(topLeft.y(), area.bottom() - window.height())));
    }
    return topLeft;
}

QWidget* visibleMainWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && qobject_cast<QMainWindow*>(w)) return w;
    }
    return nullptr;
}

}  // namespace kova::app
