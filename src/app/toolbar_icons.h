// Icons of the toolbar and the windows: the desktop's icon theme when it has them, the program's own otherwise.
#pragma once

#include <QIcon>

namespace kova::app {

enum class ProgramIcon { Import, Print, Transmit, Help, Exit, Program };

QIcon programIcon(ProgramIcon which);

}  // namespace kova::app
