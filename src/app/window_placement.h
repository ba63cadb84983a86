// Where the program's own top-level windows appear: over the main window, never at the screen's corner.
#pragma once

class QWidget;
class QPoint;

namespace kova::app {

// The top-left point that centres `window` over `anchor` (its whole frame), kept inside the anchor's screen.
QPoint centredOver(const QWidget& window, const QWidget& anchor);

// The program's main window when there is one on screen (the anchor of windows opened without a parent).
QWidget* visibleMainWindow();

}  // namespace kova::app
