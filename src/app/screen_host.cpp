#include "app/screen_host.h"

#include <QMdiSubWindow>

namespace kova::app {

void releaseScreen(QWidget* screen) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(screen->parentWidget())) {
        sub->close();
    } else {
        screen->close();
    }
}

}  // namespace kova::app
