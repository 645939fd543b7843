#include "editor/x11/XErrorTrap.h"

#include <dlfcn.h>

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
  XErrorHandler previous = nullptr;  // the handler ours replaced: errors not ours go there
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
    forward = r.previous;
  }
  return forward ? forward(display, error) : 0;
}

// Once our handler is in Xlib's process-wide slot, the host or another
// plug-in may save it as the handler it replaced and call it later, long
// after our last editor closed: the library must then still be there. It is
// marked never to be unloaded (the same library opened again with
// RTLD_NODELETE), and the reference is kept.
void StayLoaded() {
  Dl_info info;
  if (!dladdr(reinterpret_cast<void*>(&OnXError), &info) || !info.dli_fname) return;
  dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

}  // namespace

void TrapErrors(Display* display) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.lock);
  r.displays.push_back({display, XErrorLog()});
  if (r.installed) return;
  // Installed once per process, under the registry's lock, and never taken
  // out again: whoever saved it meanwhile may still call it, and an editor
  // opening on one thread while another closes on a second can never leave
  // Xlib's default handler (which ends the process) in the slot.
  StayLoaded();
  const XErrorHandler previous = XSetErrorHandler(OnXError);
  r.previous = previous == OnXError ? nullptr : previous;
  r.installed = true;
}

void UntrapErrors(Display* display) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.lock);
  for (size_t i = 0; i < r.displays.size(); ++i) {
    if (r.displays[i].display == display) {
      r.displays.erase(r.displays.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
  }
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
