#include "editor/x11/XErrorTrap.h"

#include <mutex>
#include <vector>

namespace x11 {
namespace {

struct Trapped {
  Display* display;
  XErrorLog log;
};

// The registry is read by the handler, which Xlib may call on any thread
// that uses a connection (the host's own threads included).
struct Registry {
  std::mutex lock;
  std::vector<Trapped> displays;
  XErrorHandler replaced = nullptr;  // the host's handler while ours is installed
  bool installed = false;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

int OnXError(Display* display, XErrorEvent* error) {
  Registry& r = TheRegistry();
  XErrorHandler forward = nullptr;
  {
    std::lock_guard<std::mutex> guard(r.lock);
    for (Trapped& t : r.displays) {
      if (t.display != display) continue;
      ++t.log.count;
      if (error->error_code == BadWindow || error->error_code == BadDrawable) t.log.lostResource = error->resourceid;
      return 0;
    }
    forward = r.replaced;
  }
  return forward ? forward(display, error) : 0;
}

}  // namespace

void TrapErrors(Display* display) {
  Registry& r = TheRegistry();
  bool install = false;
  {
    std::lock_guard<std::mutex> guard(r.lock);
    r.displays.push_back({display, XErrorLog()});
    install = !r.installed;
    r.installed = true;
  }
  // Xlib takes its own lock here; ours is not held, so an error reported
  // meanwhile on another thread cannot wait on us while we wait on Xlib.
  if (install) {
    const XErrorHandler previous = XSetErrorHandler(OnXError);
    std::lock_guard<std::mutex> guard(r.lock);
    r.replaced = previous == OnXError ? nullptr : previous;
  }
}

void UntrapErrors(Display* display) {
  Registry& r = TheRegistry();
  XErrorHandler restore = nullptr;
  bool uninstall = false;
  {
    std::lock_guard<std::mutex> guard(r.lock);
    for (size_t i = 0; i < r.displays.size(); ++i) {
      if (r.displays[i].display == display) {
        r.displays.erase(r.displays.begin() + static_cast<std::ptrdiff_t>(i));
        break;
      }
    }
    if (r.installed && r.displays.empty()) {
      uninstall = true;
      restore = r.replaced;
      r.installed = false;
    }
  }
  if (!uninstall) return;
  // Null restores Xlib's default handler, which is what "replaced" was when
  // the host had installed none.
  const XErrorHandler current = XSetErrorHandler(restore);
  if (current != OnXError) XSetErrorHandler(current);
  std::lock_guard<std::mutex> guard(r.lock);
  if (!r.installed) r.replaced = nullptr;
}

XErrorLog ErrorsOf(Display* display) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.lock);
  for (const Trapped& t : r.displays) {
    if (t.display == display) return t.log;
  }
  return XErrorLog();
}

}  // namespace x11
