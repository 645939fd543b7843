// The editor as a Windows host shows it (under Wine in the test run): the
// bundle's view attached to an HWND of the test's own, the knob turned with
// mouse input, the edits reaching the host's handler, and the window's
// pixels equal to the Linux render of Morvane's editor after the same
// session (scripts/test-windows.sh writes it with vst3_editor_reference).
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/host/win/HostWindow.h"
#include "tests/vst3/ViewSession.h"

using namespace vst3test;

namespace {

// The host's frame around the view; Windows hosts lend no run loop.
class Frame : public HostObject<IPlugFrame> {
 public:
  tresult PLUGIN_API queryInterface(const TUID id, void** obj) override { return Answer(id, obj); }
  tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) override {
    return view && newSize ? view->onSize(newSize) : kInvalidArgument;
  }
};

TEST(Vst3View, HwndEditorUnderWine) {
  ViewHost session;
  ASSERT_NE(session.view, nullptr) << session.failure;
  Instance& plug = session.plug;
  IPlugView* view = session.view;
  std::string what;
  ViewRect size = {};
  ASSERT_EQ(view->getSize(&size), kResultOk);
  const int width = size.right - size.left, height = size.bottom - size.top;
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultTrue);
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultFalse);

  // 1. A top-level window of the host's, its client area the view's size.
  hosttest::HostFrame host(width, height, "Morvane VST3 test host");
  ASSERT_NE(host.window(), nullptr);

  // 2. The frame, then attached: the editor is a child of the window.
  Frame frame;
  ASSERT_EQ(view->setFrame(&frame), kResultOk);
  ASSERT_EQ(view->attached(host.window(), kPlatformTypeHWND), kResultOk);
  HWND editor = GetWindow(host.window(), GW_CHILD);
  char className[64] = {};
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(GetClassNameA(editor, className, sizeof className));
  EXPECT_STREQ(className, "IEffectWndClass");

  // 3. Drawn by its own timer; 4. the gesture as mouse input.
  EXPECT_GE(hosttest::Pump({editor}, 5, 5000), 5);
  const double before = plug.controller->getParamNormalized(kGesture.param);
  EXPECT_TRUE(hosttest::MouseGesture(editor, kGesture));
  EXPECT_GE(hosttest::Pump({editor}, 5, 5000), 5);
  EXPECT_TRUE(GestureEditsSeen(session.handler, plug, before, &what)) << what;

  // 5. The pixels, against the Linux render.
  hosttest::Pixels shown, reference;
  ASSERT_TRUE(hosttest::ReadWindow(editor, width, height, &shown));
  ASSERT_TRUE(hosttest::ReadPixels(MORVANE_VST3_EDITOR_REFERENCE, &reference))
      << "no reference " MORVANE_VST3_EDITOR_REFERENCE " (scripts/test-windows.sh writes it)";
  EXPECT_TRUE(hosttest::SamePixels(shown, reference, &what)) << what;

  // 6. Removed: the editor's window goes.
  EXPECT_EQ(view->removed(), kResultOk);
  EXPECT_FALSE(IsWindow(editor));
  view->setFrame(nullptr);
  EXPECT_EQ(view->release(), 0u);
  EXPECT_EQ(frame.ExtraReferences(), 0u);
}

}  // namespace
