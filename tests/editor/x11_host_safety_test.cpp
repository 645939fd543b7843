// The built Morvane.so in hosts that call from several threads, install X
// error handlers of their own and unload the library: each test is a small
// host doing what real ones do, checked by what it sees (calls made, the
// process's exit status, files, threads and memory). Needs an X display
// (scripts/test.sh runs it under xvfb-run); the tests that may end the
// process run in a process of their own.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/vst2/VstDefs.h"
#include "tests/editor/ProcessMetrics.h"
#include "tests/editor/X11TestSupport.h"
#include "tests/vst2/HostScale.h"

namespace {

using x11_test::XHost;

VstIntPtr VSTCALLBACK Host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

// One library handle and the instances made from it.
struct Library {
  void* handle = nullptr;
  AEffect* (*entry)(audioMasterCallback) = nullptr;

  Library() {
    // MORVANE_PLUGIN names another build to try (an older one, say).
    const char* path = std::getenv("MORVANE_PLUGIN");
    handle = dlopen(path && path[0] ? path : MORVANE_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (handle) entry = reinterpret_cast<AEffect* (*)(audioMasterCallback)>(dlsym(handle, "VSTPluginMain"));
  }
  ~Library() {
    if (handle) dlclose(handle);
  }
  AEffect* Make(audioMasterCallback host = Host) {
    AEffect* e = entry ? entry(host) : nullptr;
    if (e) {
      Call(e, effOpen);
      Call(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
      Call(e, effSetBlockSize, 0, 64);
      Call(e, effMainsChanged, 0, 1);
    }
    return e;
  }
  static VstIntPtr Call(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                        float opt = 0.0f) {
    return e->dispatcher(e, opcode, index, value, ptr, opt);
  }
};

void* Parent(const XHost& host) { return host.ParentHandle(); }

// ---- a host's error handler that chains to the one it replaced -----------------------------

Display* gHostDisplay = nullptr;
XErrorHandler gSaved = nullptr;
int gFirstHandlerCalls = 0;
int gChainingHandlerCalls = 0;

int FirstHandler(Display* display, XErrorEvent*) {
  if (display == gHostDisplay) ++gFirstHandlerCalls;
  return 0;
}

int ChainingHandler(Display* display, XErrorEvent* error) {
  ++gChainingHandlerCalls;
  return gSaved ? gSaved(display, error) : 0;
}

// A host (or another plug-in) saves the editor's handler as the one it
// replaced while the editor is open, and calls it for its own errors long
// after the library has been closed and unloaded. The process must survive
// and the host's errors must still reach the handlers before.
void ChainAfterUnload() {
  XHost host;
  if (!host.display) std::exit(2);
  gHostDisplay = host.display;
  XSetErrorHandler(FirstHandler);
  {
    Library library;
    AEffect* e = library.Make();
    if (!e || !Library::Call(e, effEditOpen, 0, 0, Parent(host))) std::exit(3);
    Library::Call(e, effEditIdle);
    gSaved = XSetErrorHandler(ChainingHandler);
    Library::Call(e, effEditClose);
    Library::Call(e, effClose);
  }
  // An error on the host's own connection: a window that does not exist.
  XMapWindow(host.display, static_cast<Window>(0x7FFFFF));
  XSync(host.display, False);
  std::exit(gChainingHandlerCalls == 1 && gFirstHandlerCalls == 1 ? 0 : 4);
}

TEST(X11HostSafety, AHandlerChainedToTheEditorsOutlivesTheLibrary) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(ChainAfterUnload(), testing::ExitedWithCode(0), "");
}

// ---- replaying one interleaving of two editors ----------------------------------------------

// Instance A's editor closes on one thread while instance B's opens on
// another. An editor that took its handler out when it closed could be
// caught between reading which handler to put back and putting it back,
// while B put ours in: B's editor would then live with Xlib's default
// handler, which ends the process at the first error. The test program
// defines XSetErrorHandler itself (exported, so the plug-in's calls reach it
// first) and forwards to Xlib's; while the replay is on, a call that puts
// back another handler than ours is held until B's editor has opened.
namespace replay {
std::atomic<bool> on{false};
XErrorHandler ours = nullptr;  // the first handler installed while the replay is on
std::mutex lock;
std::condition_variable changed;
bool restoreHeld = false;
bool secondOpened = false;
}  // namespace replay

}  // namespace

extern "C" XErrorHandler XSetErrorHandler(XErrorHandler handler) {
  using Setter = XErrorHandler (*)(XErrorHandler);
  static const Setter xlib = reinterpret_cast<Setter>(dlsym(RTLD_NEXT, "XSetErrorHandler"));
  if (!replay::on) return xlib(handler);
  std::unique_lock<std::mutex> lock(replay::lock);
  if (!replay::ours) replay::ours = handler;
  if (handler != replay::ours) {
    // A's close puts a handler back: B opens meanwhile.
    replay::restoreHeld = true;
    replay::changed.notify_all();
    replay::changed.wait_for(lock, std::chrono::seconds(2), [] { return replay::secondOpened; });
  }
  return xlib(handler);
}

namespace {

void CloseOneWhileAnotherOpens() {
  XHost hostA, hostB;
  if (!hostA.display || !hostB.display) std::exit(2);
  XSetErrorHandler(nullptr);  // Xlib's own: any error that reaches it ends the process
  Library library;
  AEffect* a = library.Make();
  AEffect* b = library.Make();
  if (!a || !b) std::exit(3);
  replay::on = true;
  if (!Library::Call(a, effEditOpen, 0, 0, Parent(hostA))) std::exit(4);
  std::thread closer([&] { Library::Call(a, effEditClose); });
  {
    // An editor that never puts a handler back is not held: B opens anyway.
    std::unique_lock<std::mutex> lock(replay::lock);
    replay::changed.wait_for(lock, std::chrono::milliseconds(300), [] { return replay::restoreHeld; });
  }
  const bool opened = Library::Call(b, effEditOpen, 0, 0, Parent(hostB)) != 0;
  {
    std::lock_guard<std::mutex> lock(replay::lock);
    replay::secondOpened = true;
  }
  replay::changed.notify_all();
  closer.join();
  if (!opened) std::exit(5);

  // B's parent goes before effEditClose, as hosts let happen: the editor's
  // window goes with it, before the editor has heard of it.
  XDestroyWindow(hostB.display, hostB.parent);
  hostB.parent = 0;
  XSync(hostB.display, False);
  Library::Call(b, effEditClose);
  Library::Call(a, effClose);
  Library::Call(b, effClose);
  std::exit(0);
}

TEST(X11HostSafety, OneEditorClosingWhileAnotherOpensKeepsTheProcessAlive) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(CloseOneWhileAnotherOpens(), testing::ExitedWithCode(0), "");
}

// A host automates every parameter and processes audio on one thread while
// its user-interface thread opens, idles and closes the editor, and a second
// user-interface thread idles it too (hosts that idle from a timer thread).
TEST(X11HostSafety, AutomationAudioIdleAndCloseOnThreeThreads) {
  XHost host;
  ASSERT_NE(host.display, nullptr) << "needs an X display: run under xvfb-run (scripts/test.sh does)";
  Library library;
  AEffect* e = library.Make();
  ASSERT_NE(e, nullptr);
  std::atomic<bool> stop{false};

  std::thread automation([&] {
    std::vector<float> in(128), out(128);
    for (size_t i = 0; i < in.size(); ++i) in[i] = 0.5f * std::sin(0.1f * i);
    float* ins[2] = {in.data(), in.data() + 64};
    float* outs[2] = {out.data(), out.data() + 64};
    for (int step = 0; !stop; ++step) {
      for (int p = 0; p < 8; ++p) e->setParameter(e, p, static_cast<float>((step * 7 + p * 13) % 100) / 99.0f);
      e->processReplacing(e, ins, outs, 64);
    }
  });
  std::thread idler([&] {
    while (!stop) {
      Library::Call(e, effEditIdle);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  for (int round = 0; round < 30; ++round) {
    ASSERT_EQ(Library::Call(e, effEditOpen, 0, 0, Parent(host)), 1);
    for (int i = 0; i < 4; ++i) {
      Library::Call(e, effEditIdle);
      std::this_thread::sleep_for(std::chrono::milliseconds(4));
    }
    Library::Call(e, effEditClose);
  }
  stop = true;
  automation.join();
  idler.join();
  Library::Call(e, effClose);
}

// ---- a host that answers the editor's size request at once ---------------------------------

// What the host does from inside audioMasterSizeWindow, once.
enum class Reentry { kNothing, kScale200, kClose };
std::atomic<Reentry> gReentry{Reentry::kNothing};

VstIntPtr VSTCALLBACK ReenteringHost(AEffect* e, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  if (opcode == audioMasterVersion) return 2400;
  if (opcode != audioMasterSizeWindow) return 0;
  switch (gReentry.exchange(Reentry::kNothing)) {
    case Reentry::kScale200: SendHostScale(e, 2.0f); break;
    case Reentry::kClose: Library::Call(e, effEditClose); break;
    case Reentry::kNothing: break;
  }
  return 1;
}

// Whether the call returned within five seconds; a call that waits for
// itself never does (its thread is then left behind).
bool ReturnsInTime(std::function<void()> call) {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> returned = done->get_future();
  std::thread([call, done] {
    call();
    done->set_value();
  }).detach();
  return returned.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
}

// A host resizes its window at once when the editor asks, and on that same
// thread sends a new scale or closes the editor: both take effect when the
// editor's own change is done.
TEST(X11HostSafety, AHostAnsweringTheSizeRequestWithAScaleOrACloseIsHeard) {
  XHost host(100, 100, 1200, 640);
  ASSERT_NE(host.display, nullptr) << "needs an X display: run under xvfb-run (scripts/test.sh does)";
  Library library;
  AEffect* e = library.Make(ReenteringHost);
  ASSERT_NE(e, nullptr);
  SendHostScale(e, 1.0f);
  ASSERT_EQ(Library::Call(e, effEditOpen, 0, 0, Parent(host)), 1);

  gReentry = Reentry::kScale200;
  ASSERT_TRUE(ReturnsInTime([e] { SendHostScale(e, 1.5f); })) << "a scale from inside the size request waited";
  ERect* rect = nullptr;
  ASSERT_EQ(Library::Call(e, effEditGetRect, 0, 0, &rect), 1);
  EXPECT_EQ(rect->right - rect->left, 1156) << "the host's second scale, 200 %, is the editor's";
  XWindowAttributes attributes;
  ASSERT_TRUE(XGetWindowAttributes(host.display, host.EditorWindow(), &attributes));
  EXPECT_EQ(attributes.width, 1156);

  gReentry = Reentry::kClose;
  ASSERT_TRUE(ReturnsInTime([e] { SendHostScale(e, 1.0f); })) << "a close from inside the size request waited";
  EXPECT_EQ(host.EditorWindow(), 0u) << "the editor's window outlived the close";
  Library::Call(e, effClose);
}

// Sets the desktop's Xft.dpi in the display's resources; null removes them.
void SetDesktopDpi(Display* display, const char* dpi) {
  const Window root = DefaultRootWindow(display);
  if (dpi) {
    const std::string text = std::string("Xft.dpi:\t") + dpi + "\n";
    XChangeProperty(display, root, XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
  } else {
    XDeleteProperty(display, root, XA_RESOURCE_MANAGER);
  }
  XSync(display, False);
}

// The editor opens at the desktop's scale, asking the host first; a host
// that closes the editor from inside that request gets no window, and is
// told so.
TEST(X11HostSafety, AHostClosingTheEditorWhileItOpensGetsNoWindow) {
  XHost host(100, 100, 1200, 640);
  ASSERT_NE(host.display, nullptr) << "needs an X display: run under xvfb-run (scripts/test.sh does)";
  Library library;
  AEffect* e = library.Make(ReenteringHost);
  ASSERT_NE(e, nullptr);

  SetDesktopDpi(host.display, "192");
  ASSERT_EQ(Library::Call(e, effEditOpen, 0, 0, Parent(host)), 1);
  XWindowAttributes attributes;
  ASSERT_TRUE(XGetWindowAttributes(host.display, host.EditorWindow(), &attributes));
  EXPECT_EQ(attributes.width, 1156) << "Xft.dpi 192 is 200 %";
  Library::Call(e, effEditClose);

  SetDesktopDpi(host.display, "144");
  gReentry = Reentry::kClose;
  EXPECT_EQ(Library::Call(e, effEditOpen, 0, 0, Parent(host)), 0);
  EXPECT_EQ(host.EditorWindow(), 0u);
  SetDesktopDpi(host.display, nullptr);
  Library::Call(e, effClose);
}

// A host loads the library, makes two instances, opens and closes both
// editors, deletes them and unloads the library, a hundred times over: no
// file, thread, X connection or memory may be left behind.
TEST(X11HostSafety, HundredLoadsAndUnloadsLeaveNothingBehind) {
  XHost host;
  ASSERT_NE(host.display, nullptr) << "needs an X display: run under xvfb-run (scripts/test.sh does)";
  const auto cycle = [&] {
    Library library;
    AEffect* a = library.Make();
    AEffect* b = library.Make();
    ASSERT_TRUE(a && b);
    ASSERT_EQ(Library::Call(a, effEditOpen, 0, 0, Parent(host)), 1);
    ASSERT_EQ(Library::Call(b, effEditOpen, 0, 0, Parent(host)), 1);
    for (int i = 0; i < 3; ++i) {
      Library::Call(a, effEditIdle);
      Library::Call(b, effEditIdle);
    }
    Library::Call(a, effEditClose);
    Library::Call(b, effEditClose);
    Library::Call(a, effClose);
    Library::Call(b, effClose);
  };
  for (int i = 0; i < 5 && !HasFatalFailure(); ++i) cycle();
  const int files = process_metrics::OpenFiles();
  const int threads = process_metrics::Threads();
  const size_t heap = process_metrics::HeapInUse();
  for (int i = 5; i < 100 && !HasFatalFailure(); ++i) cycle();
  EXPECT_EQ(process_metrics::OpenFiles(), files);
  EXPECT_EQ(process_metrics::Threads(), threads);
  const size_t now = process_metrics::HeapInUse();
  EXPECT_LT(now > heap ? now - heap : 0, 64u * 1024u) << "bytes";
  std::printf("after 5 cycles: %d files, %d threads, %zu bytes in use; after 100: %d, %d, %zu\n", files, threads,
              heap, process_metrics::OpenFiles(), process_metrics::Threads(), now);
}

}  // namespace
