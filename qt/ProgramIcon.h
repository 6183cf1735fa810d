#pragma once

#include <QIcon>

namespace morvelin {

// The program's own icon in 48, 32, 24 and 16 pixels, for the window and its taskbar button.
QIcon ProgramIcon();

}  // namespace morvelin
