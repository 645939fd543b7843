#pragma once
// A Windows test host's side of an editor window: the host's own window
// around it, the message loop, mouse input as a user's would be, and the
// pixels the window shows.
#include <windows.h>

#include <vector>

#include "tests/host/HostRound.h"

namespace hosttest {

// The editor window's redraw timer.
constexpr UINT_PTR kRedrawTimerId = 2;

// The window class of the host's windows: the frame's, and that of any child
// window the host puts an editor in.
extern const char kHostWindowClass[];

// A top-level window of the host's, its client area width x height, shown in
// front; destroyed with the object. window() is null when it cannot be made.
class HostFrame {
public:
  HostFrame(int width, int height, const char* title);
  ~HostFrame();
  HostFrame(const HostFrame&) = delete;
  HostFrame& operator=(const HostFrame&) = delete;
  HWND window() const { return mWindow; }

private:
  HWND mWindow = nullptr;
};

// Dispatches messages, as a host's loop does, until each editor's redraw
// timer has ticked `ticks` times or the time runs out; the fewest ticks
// counted.
int Pump(const std::vector<HWND>& editors, int ticks, DWORD timeoutMs);

// The gesture as mouse input on the editor window: at the point, pressed,
// one move, released, with messages pumped until one redraw tick (2 s at
// most) between the steps. False when an input was refused.
bool MouseGesture(HWND editor, const KnobGesture& gesture);

// Absolute mouse input at a screen point, with the given button flags.
bool MouseInput(POINT screen, DWORD buttons);

// The window's client area through its device context, as blue, green, red.
bool ReadWindow(HWND window, int width, int height, Pixels* pixels);

}  // namespace hosttest
