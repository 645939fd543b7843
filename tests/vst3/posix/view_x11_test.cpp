// The editor as a Linux host shows it: the bundle's view attached to an X11
// window of the test's own, kept alive by a run loop the host lends (its
// timer, and the editor's X connection watched for events), the knob turned
// with XTest input, the edits reaching the host's handler, and the window's
// pixels equal to Morvane's editor drawn off-screen after the same session.
// Needs an X display (scripts/test.sh runs it under xvfb-run).
#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <functional>
#include <vector>

#include "tests/editor/X11TestSupport.h"
#include "tests/vst3/ViewSession.h"

using namespace vst3test;

namespace {

constexpr int kWidth = 578;
constexpr int kHeight = 299;

// The host's frame around the view, with the run loop Linux hosts lend:
// descriptors watched with poll, timers kept by the monotonic clock, every
// call made on this (the test's) thread.
class RunLoopFrame : public HostObject<IPlugFrame>, public Linux::IRunLoop {
 public:
  using Clock = std::chrono::steady_clock;

  tresult PLUGIN_API queryInterface(const TUID id, void** obj) override {
    if (obj && UidMatches(id, Linux::IRunLoop::iid)) {
      *obj = static_cast<Linux::IRunLoop*>(this);
      addRef();
      return kResultOk;
    }
    return Answer(id, obj);
  }
  uint32 PLUGIN_API addRef() override { return HostObject<IPlugFrame>::addRef(); }
  uint32 PLUGIN_API release() override { return HostObject<IPlugFrame>::release(); }

  tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) override {
    ++resizes;
    return view && newSize ? view->onSize(newSize) : kInvalidArgument;
  }

  tresult PLUGIN_API registerEventHandler(Linux::IEventHandler* handler, Linux::FileDescriptor fd) override {
    if (!handler || fd < 0) return kInvalidArgument;
    handler->addRef();
    handlers.push_back({handler, fd});
    return kResultOk;
  }
  tresult PLUGIN_API unregisterEventHandler(Linux::IEventHandler* handler) override {
    return Unregister(handlers, handler);
  }
  tresult PLUGIN_API registerTimer(Linux::ITimerHandler* handler, Linux::TimerInterval ms) override {
    if (!handler || ms == 0) return kInvalidArgument;
    handler->addRef();
    timers.push_back({handler, std::chrono::milliseconds(ms), Clock::now() + std::chrono::milliseconds(ms)});
    return kResultOk;
  }
  tresult PLUGIN_API unregisterTimer(Linux::ITimerHandler* handler) override { return Unregister(timers, handler); }

  // Runs the loop for ms milliseconds: waits on the descriptors until the
  // next timer is due, calls the handlers of those readable, then the
  // timers due.
  void RunFor(int ms) {
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
      Clock::time_point wake = end;
      for (const Timer& t : timers) wake = std::min(wake, t.due);
      std::vector<pollfd> fds;
      for (const Handler& h : handlers) fds.push_back({h.fd, POLLIN, 0});
      const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(wake - Clock::now()).count();
      poll(fds.data(), fds.size(), static_cast<int>(std::max<long long>(0, wait)));
      for (size_t i = 0; i < fds.size() && i < handlers.size(); ++i) {
        if (fds[i].revents & POLLIN) {
          ++fdCalls;
          handlers[i].handler->onFDIsSet(handlers[i].fd);
        }
      }
      const Clock::time_point now = Clock::now();
      for (size_t i = 0; i < timers.size(); ++i) {
        if (timers[i].due > now) continue;
        timers[i].due = now + timers[i].interval;
        ++timerCalls;
        timers[i].handler->onTimer();
      }
    }
  }

  struct Handler {
    Linux::IEventHandler* handler;
    int fd;
  };
  struct Timer {
    Linux::ITimerHandler* handler;
    std::chrono::milliseconds interval;
    Clock::time_point due;
  };
  // Lets go of the entry for handler: released and removed.
  template <class Entry, class H>
  static tresult Unregister(std::vector<Entry>& entries, H* handler) {
    for (size_t i = 0; i < entries.size(); ++i) {
      if (entries[i].handler != handler) continue;
      handler->release();
      entries.erase(entries.begin() + static_cast<long>(i));
      return kResultOk;
    }
    return kInvalidArgument;
  }

  std::vector<Handler> handlers;
  std::vector<Timer> timers;
  int fdCalls = 0;
  int timerCalls = 0;
  int resizes = 0;
};

hosttest::Pixels WindowPixels(x11_test::XHost& host, Window window) {
  hosttest::Pixels pixels;
  XImage* image = host.Grab(window, kWidth, kHeight);
  if (!image) return pixels;
  pixels.width = kWidth;
  pixels.height = kHeight;
  pixels.bgr.resize(static_cast<size_t>(kWidth) * kHeight * 3);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const uint32_t rgb = x11_test::Rgb(image, x, y);
      unsigned char* to = &pixels.bgr[(static_cast<size_t>(y) * kWidth + x) * 3];
      to[0] = static_cast<unsigned char>(rgb);
      to[1] = static_cast<unsigned char>(rgb >> 8);
      to[2] = static_cast<unsigned char>(rgb >> 16);
    }
  }
  XDestroyImage(image);
  return pixels;
}

TEST(Vst3View, X11EditorRunsOnTheHostsRunLoop) {
  x11_test::XHost host;
  ASSERT_NE(host.display, nullptr) << "needs an X display: run under xvfb-run (scripts/test.sh does)";
  ViewHost session;
  ASSERT_NE(session.view, nullptr) << session.failure;
  Instance& plug = session.plug;
  IPlugView* view = session.view;
  std::string what;
  EXPECT_EQ(plug.controller->createView("another"), nullptr);
  ViewRect size = {};
  ASSERT_EQ(view->getSize(&size), kResultOk);
  EXPECT_EQ(size.right - size.left, kWidth);
  EXPECT_EQ(size.bottom - size.top, kHeight);
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultFalse);
  EXPECT_EQ(view->canResize(), kResultFalse);
  void* found = nullptr;
  ASSERT_EQ(view->queryInterface(IPlugViewContentScaleSupport::iid.bytes, &found), kResultOk);
  auto* scale = static_cast<IPlugViewContentScaleSupport*>(found);
  EXPECT_EQ(scale->setContentScaleFactor(1.0f), kResultTrue);
  scale->release();

  // The host's sequence: frame, then attached; the view registers a timer
  // and its X connection with the frame's run loop.
  RunLoopFrame frame;
  ASSERT_EQ(view->setFrame(&frame), kResultOk);
  ASSERT_EQ(view->attached(host.ParentHandle(), kPlatformTypeX11EmbedWindowID), kResultOk);
  EXPECT_EQ(frame.timers.size(), 1u);
  EXPECT_EQ(frame.handlers.size(), 1u);
  EXPECT_EQ(view->attached(host.ParentHandle(), kPlatformTypeX11EmbedWindowID), kResultFalse);
  frame.RunFor(300);
  EXPECT_GT(frame.timerCalls, 5);
  const Window editor = host.EditorWindow();
  ASSERT_NE(editor, 0u);

  const double before = plug.controller->getParamNormalized(kGesture.param);
  host.MoveTo(kGesture.x, kGesture.y);
  frame.RunFor(50);
  host.Button(1, true);
  frame.RunFor(50);
  host.MoveTo(kGesture.x, kGesture.y + kGesture.dy);
  frame.RunFor(50);
  host.Button(1, false);
  frame.RunFor(300);
  // The X connection's events came through the descriptor too.
  EXPECT_GT(frame.fdCalls, 0);
  EXPECT_TRUE(GestureEditsSeen(session.handler, plug, before, &what)) << what;

  hosttest::Pixels reference;
  ASSERT_TRUE(RenderViewReference(&reference));
  EXPECT_TRUE(hosttest::SamePixels(WindowPixels(host, editor), reference, &what)) << what;

  // Removed: the run loop lets go of everything, and the window goes.
  ASSERT_EQ(view->removed(), kResultOk);
  EXPECT_TRUE(frame.handlers.empty());
  EXPECT_TRUE(frame.timers.empty());
  XSync(host.display, False);
  EXPECT_EQ(host.EditorWindow(), 0u);
  view->setFrame(nullptr);
  EXPECT_EQ(view->release(), 0u);
  EXPECT_EQ(frame.ExtraReferences(), 0u);
}

// A view the host lets go of while attached closes the editor, and another
// view can open it then.
TEST(Vst3View, ReleasedWhileAttachedClosesTheEditor) {
  x11_test::XHost host;
  ASSERT_NE(host.display, nullptr) << "needs an X display: run under xvfb-run (scripts/test.sh does)";
  Module module(MORVANE_VST3_MODULE_PATH);
  ASSERT_TRUE(module.Factory()) << module.Error();
  Instance plug(module.Factory());
  ASSERT_TRUE(plug.Ok());
  IPlugView* first = plug.controller->createView(kEditorViewType);
  IPlugView* second = plug.controller->createView(kEditorViewType);
  ASSERT_TRUE(first && second);
  ASSERT_EQ(first->attached(host.ParentHandle(), kPlatformTypeX11EmbedWindowID), kResultOk);
  // One editor: the second view cannot open it meanwhile.
  EXPECT_EQ(second->attached(host.ParentHandle(), kPlatformTypeX11EmbedWindowID), kResultFalse);
  EXPECT_EQ(first->release(), 0u);
  XSync(host.display, False);
  EXPECT_EQ(host.EditorWindow(), 0u);
  EXPECT_EQ(second->attached(host.ParentHandle(), kPlatformTypeX11EmbedWindowID), kResultOk);
  EXPECT_EQ(second->removed(), kResultOk);
  EXPECT_EQ(second->release(), 0u);
}

}  // namespace
