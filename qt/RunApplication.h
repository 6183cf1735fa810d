#pragma once

namespace morvelin {

// The whole program: start-up, the window's life, the end. Returns the process's exit code: 0
// after the window was closed, 1 without a display, -1 after a fatal error.
int RunApplication(int argc, char* argv[]);

}  // namespace morvelin
