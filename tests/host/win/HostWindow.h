#pragma once
// A Windows test host's hands and eyes on an editor window: mouse input as a
// user's would be, and the pixels the window shows.
#include <windows.h>

#include "tests/host/HostRound.h"

namespace hosttest {

// Absolute mouse input at a screen point, with the given button flags.
bool MouseInput(POINT screen, DWORD buttons);

// The window's client area through its device context, as blue, green, red.
bool ReadWindow(HWND window, int width, int height, Pixels* pixels);

}  // namespace hosttest
