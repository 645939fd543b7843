#pragma once
// A Windows host's side of an editor window for the test hosts: the message
// loop, mouse input as a user's, and the window's pixels read back.
#include <windows.h>

#include "tests/host/HostRound.h"

namespace hosttest {

// Dispatches messages, as a host's loop does, until the editor's redraw
// timer has ticked `ticks` times or the time runs out; the ticks counted.
int Pump(HWND editor, int ticks, DWORD timeoutMs);

// Absolute mouse input at a screen point, with the given button flags.
bool MouseInput(POINT screen, DWORD buttons);

// The window's client area through its device context.
bool ReadWindow(HWND window, int width, int height, Pixels* pixels);

}  // namespace hosttest
