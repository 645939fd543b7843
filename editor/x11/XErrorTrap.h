#pragma once
// The library's own X error handler. Xlib has one error handler per process,
// shared with the host, and its default one prints the error and exits: a
// host that destroys its window (and so the editor's child window with it)
// before closing the editor would lose the whole process at the editor's
// next request. The library's handler is installed with the first editor of
// the process and stays: errors on the editor's registered connections are
// recorded and otherwise ignored, errors on every other connection (the
// host's own) go to the handler that was installed before. Since the host or
// another plug-in may save our handler and call it at any later time, the
// library stays loaded from then on. [any thread]
#include <X11/Xlib.h>

#include <cstdint>

namespace x11 {

// What went wrong on one connection since it was registered.
struct XErrorLog {
  uint32_t count = 0;        // errors of any kind
  XID lostResource = 0;      // the last window or drawable named by a BadWindow or BadDrawable
};

// Registers one of the editor's connections. The first registration of the
// process installs the handler, keeping the one it replaces.
void TrapErrors(Display* display);
// Unregisters it (after XCloseDisplay, which may still report errors).
void UntrapErrors(Display* display);
// The connection's record so far; all zero for one not registered.
XErrorLog ErrorsOf(Display* display);

}  // namespace x11
