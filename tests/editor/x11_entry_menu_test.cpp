// The Linux editor's text entry and popup menu, on a plug-in of the test's
// own whose knobs open a value entry on a right click (Morvane's do not): a
// number parameter gets the entry box, a list parameter the menu. Input is
// made with XTest; the menu holds the editor's thread while it is open, so
// its clicks come from a second thread. Needs an X display.

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

#include "bitmap/Blit.h"
#include "editor/EditorGraphics.h"
#include "editor/IControls.h"
#include "framework/vst2/IEffectVST.h"
#include "tests/editor/X11TestSupport.h"
#include "tests/vst2/RecordingHost.h"

namespace {

using x11_test::IdleFor;
using x11_test::IdleUntil;
using x11_test::XHost;

constexpr uint32_t kPanel = 0x203040;
constexpr uint32_t kBar = 0x30B0E0;
constexpr uint32_t kWhite = 0xFFFFFF;

class Panel : public IControl {
public:
  Panel(IEffectBase* plugin, const IBounds& rect) : IControl(plugin, rect) {}
  bool Draw(IGraphics* g) override {
    const IBounds r = Intersection(mBounds, g->DrawArea());
    BM_FillArea(g->BackBuffer(), r.left, r.top, r.W(), r.H(), 0xFF000000u | kPanel, 1.0f, BM_BLEND_COPY);
    return true;
  }
};

// A knob drawn as a bar as high as its value.
class BarKnob : public IKnobControl {
public:
  BarKnob(IEffectBase* plugin, const IBounds& rect, int param) : IKnobControl(plugin, rect, param) { SetPrompt(true); }
  bool Draw(IGraphics* g) override {
    const IBounds r = Intersection(mBounds, g->DrawArea());
    BM_FillArea(g->BackBuffer(), r.left, r.top, r.W(), r.H(), 0xFF404850u, 1.0f, BM_BLEND_COPY);
    const int top = mBounds.bottom - static_cast<int>(mBounds.H() * mNormValue);
    const IBounds bar = Intersection(IBounds(mBounds.left, top, mBounds.right, mBounds.bottom), g->DrawArea());
    BM_FillArea(g->BackBuffer(), bar.left, bar.top, bar.W(), bar.H(), 0xFF000000u | kBar, 1.0f, BM_BLEND_COPY);
    return true;
  }
};

// Parameter 0 "Level" -100..100 with two decimals, 1 "Mode": soft, hard, clip.
class EntryPlug : public IEffectVST {
public:
  static IEffectConfig Config() {
    IEffectConfig c;
    c.nParams = 2;
    c.channelIOStr = "2-2";
    c.nPresets = 1;
    c.effectName = "Entry";
    c.makerName = "Test";
    c.uniqueID = VstFourCC('T', 's', 't', 'X');
    return c;
  }
  explicit EntryPlug(RecordingHost* host) : IEffectVST(&RecordingHost::Callback, Config()) {
    GetAEffect()->user = host;
    GetParam(0)->DefineDouble("Level", 0.0, -100.0, 100.0, 0.01, "%");
    GetParam(1)->DefineEnum("Mode", 0, 3);
    GetParam(1)->SetDisplayText(0, "soft");
    GetParam(1)->SetDisplayText(1, "hard");
    GetParam(1)->SetDisplayText(2, "clip");
    IGraphics* g = MakeEditorGraphics(this, 300, 200, 25);
    g->AddControl(new Panel(this, IBounds(0, 0, 300, 200)));
    g->AddControl(new BarKnob(this, IBounds(20, 40, 120, 140), 0));
    g->AddControl(new BarKnob(this, IBounds(160, 40, 260, 140), 1));
    AttachEditor(g);
    static_cast<IGraphics*>(g)->ApplyPendingValues();
  }
};

class X11EntryAndMenu : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_NE(host.display, nullptr) << "needs an X display: run under xvfb-run (scripts/test.sh does)";
    effect = plug.GetAEffect();
    ASSERT_EQ(Dispatch(effect, effEditOpen, 0, 0, host.ParentHandle()), 1);
    IdleFor(idle, 60);
    recorder.Clear();
  }
  void TearDown() override {
    if (effect) Dispatch(effect, effEditClose);
  }

  double Plain(int param) { return plug.GetParam(param)->Value(); }
  uint32_t Pixel(int x, int y) {
    XImage* image = host.Grab(host.EditorWindow(), 300, 200);
    const uint32_t rgb = image ? x11_test::Rgb(image, x, y) : 0;
    if (image) XDestroyImage(image);
    return rgb;
  }
  std::vector<VstInt32> EditOpcodes() {
    std::vector<VstInt32> ops;
    for (const RecordedCall& c : recorder.calls) {
      if (c.opcode == audioMasterBeginEdit || c.opcode == audioMasterAutomate || c.opcode == audioMasterEndEdit) {
        ops.push_back(c.opcode);
      }
    }
    return ops;
  }
  // A right click on the Level knob: the entry box opens over its centre
  // (70, 90), 40 x 16, holding "0.00" selected.
  void OpenEntry() {
    host.MoveTo(70, 90);
    host.Click(3);
    IdleFor(idle, 60);
  }

  XHost host;
  RecordingHost recorder;
  EntryPlug plug{&recorder};
  AEffect* effect = nullptr;
  std::function<void()> idle = [this] { Dispatch(effect, effEditIdle); };
};

TEST_F(X11EntryAndMenu, TypedNumberCommitsOnReturnOrFocusLossAndEscapeCancels) {
  OpenEntry();
  EXPECT_EQ(Pixel(51, 90), kWhite);  // the box, drawn over the knob
  host.Key(XK_a);                      // not a number's character
  host.Key(XK_2);                      // replaces the selected text
  host.Key(XK_5);
  host.Key(XK_6);
  host.Key(XK_BackSpace);
  host.Key(XK_Return);
  ASSERT_TRUE(IdleUntil(idle, [&] { return Plain(0) != 0.0; }));
  EXPECT_DOUBLE_EQ(Plain(0), 25.0);
  IdleFor(idle, 60);
  EXPECT_EQ(Pixel(51, 90), kBar);  // the box is gone; the knob shows 0.625
  // The right click's gesture, then the entered value.
  EXPECT_EQ(EditOpcodes(), (std::vector<VstInt32>{audioMasterBeginEdit, audioMasterEndEdit, audioMasterAutomate}));

  OpenEntry();
  host.Key(XK_7);
  host.Key(XK_Escape);
  IdleFor(idle, 100);
  EXPECT_DOUBLE_EQ(Plain(0), 25.0);

  // A left click on the editor while typing cancels, and reaches no control.
  OpenEntry();
  host.Key(XK_9);
  recorder.Clear();
  host.MoveTo(200, 90);
  host.Click(1);
  IdleFor(idle, 100);
  EXPECT_DOUBLE_EQ(Plain(0), 25.0);
  EXPECT_TRUE(EditOpcodes().empty());

  // The keyboard going elsewhere commits.
  OpenEntry();
  host.Key(XK_minus);
  host.Key(XK_4);
  host.Key(XK_0);
  XSetInputFocus(host.display, host.parent, RevertToParent, CurrentTime);
  XSync(host.display, False);
  ASSERT_TRUE(IdleUntil(idle, [&] { return Plain(0) != 25.0; }));
  EXPECT_DOUBLE_EQ(Plain(0), -40.0);
}

// Clicks made from another thread, as a user's would be while the menu
// holds the editor's thread: at root positions, after a pause.
void ClickLater(int rootX, int rootY, KeySym key = 0) {
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Display* d = XOpenDisplay(nullptr);
  if (!d) return;
  if (key) {
    const KeyCode code = XKeysymToKeycode(d, key);
    XTestFakeKeyEvent(d, code, True, CurrentTime);
    XTestFakeKeyEvent(d, code, False, CurrentTime);
  } else {
    XTestFakeMotionEvent(d, -1, rootX, rootY, CurrentTime);
    XTestFakeButtonEvent(d, 1, True, CurrentTime);
    XTestFakeButtonEvent(d, 1, False, CurrentTime);
  }
  XSync(d, False);
  XCloseDisplay(d);
}

TEST_F(X11EntryAndMenu, MenuChoiceSetsTheListValueAndEscapeChoosesNothing) {
  // The menu opens below the Mode knob: its top left at (160, 140) of the
  // editor, (260, 240) of the screen; items are 22 pixels high after a
  // 4-pixel margin, so "clip" is centred 4 + 2 x 22 + 11 = 59 below the top.
  std::thread user(ClickLater, 270, 240 + 59, 0);
  host.MoveTo(210, 90);
  host.Click(3);
  IdleFor(idle, 60);  // the menu runs inside one of these calls
  user.join();
  IdleFor(idle, 60);
  EXPECT_EQ(plug.GetParam(1)->Value(), 2.0);
  EXPECT_EQ(EditOpcodes(), (std::vector<VstInt32>{audioMasterBeginEdit, audioMasterAutomate, audioMasterEndEdit}));

  std::thread dismiss(ClickLater, 0, 0, XK_Escape);
  host.Click(3);
  IdleFor(idle, 60);
  dismiss.join();
  IdleFor(idle, 60);
  EXPECT_EQ(plug.GetParam(1)->Value(), 2.0);
}

}  // namespace
