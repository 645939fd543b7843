// The editor window on Windows, in real windows (under Wine in the test run):
// its class, the mouse gestures, the text-entry box and the popup menu.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "editor/IControls.h"
#include "editor/IMenu.h"
#include "editor/win/IGraphicsWin.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/framework/TestEffect.h"

namespace {

using morvane_test::Call;
using morvane_test::TestEffect;

constexpr int kBackId = 9301;  // 100 x 80
constexpr int kKnobId = 9302;  // 20 x 20 frames
constexpr UINT_PTR kRedrawTimer = 2;

// The Windows editor with synthetic images, counting what it presents.
class TestWin : public IGraphicsWin {
public:
  using IGraphicsWin::IGraphicsWin;
  BM_IBitmap* LoadPlatformBitmap(int resourceId, const char*) override {
    if (resourceId == kBackId) return editor_test::MakeStrip({100, 80, 1, 7});
    if (resourceId == kKnobId) return editor_test::MakeStrip({20, 2000, 100, 9});
    return nullptr;
  }
  BM_ProgressiveImage* OpenPlatformImage(int resourceId, const char* name) override {
    BM_IBitmap* whole = LoadPlatformBitmap(resourceId, name);
    return whole ? new BM_ProgressiveImage(whole) : nullptr;
  }
  bool PlatformImageSize(int resourceId, const char*, int32_t* width, int32_t* height) override {
    if (resourceId != kBackId && resourceId != kKnobId) return false;
    *width = resourceId == kBackId ? 100 : 20;
    *height = resourceId == kBackId ? 80 : 2000;
    return true;
  }
  bool PresentArea(const IBounds& area) override {
    presented.push_back(area);
    return IGraphicsWin::PresentArea(area);
  }
  std::vector<IBounds> presented;
};

// A control without a parameter that keeps the texts entered for it.
class TextTarget : public IControl {
public:
  explicit TextTarget(IEffectBase* fx) : IControl(fx, IBounds(60, 40, 100, 80)) {}
  bool Draw(IGraphics*) override { return true; }
  void ApplyUserText(const char* text) override { texts.push_back(text); }
  std::vector<std::string> texts;
};

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

class WinEditor : public testing::Test {
protected:
  // One host window for all tests: taking a top-level window down costs
  // seconds where no window manager answers, as on a virtual display.
  static void SetUpTestSuite() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "EditorWindowTestFrame";
    RegisterClassA(&wc);
    frame = CreateWindowExA(0, wc.lpszClassName, "test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200, nullptr,
                            nullptr, wc.hInstance, nullptr);
  }
  static void TearDownTestSuite() { DestroyWindow(frame); }

  WinEditor() { graphics = MakeEditor(&fx); }
  ~WinEditor() override { graphics->CloseWindow(); }

  // The Attack knob at (10, 10); with prompting knobs also an "Attack
  // Length" knob at (50, 10) whose right click opens a text entry, and a knob
  // at (10, 50) on parameter 1, made a list of three, whose right click opens
  // a menu.
  static TestWin* MakeEditor(TestEffect* fx, bool promptingKnobs = false) {
    auto* g = new TestWin(fx, 100, 80, 25);
    g->SetModule(GetModuleHandleA(nullptr));
    g->AddBackground(kBackId, "back.png");
    const IBitmapRef knob = g->LoadImageStrip(kKnobId, "knob.png", 100);
    g->AddControl(new IKnobMultiControl(fx, 10, 10, 0, knob));
    if (promptingKnobs) {
      IParameter* mode = fx->GetParam(1);
      mode->DefineEnum("Mode", 0, 3);
      for (int i = 0; i < 3; ++i) mode->SetDisplayText(i, i == 0 ? "soft" : i == 1 ? "hard" : "clip");
      auto* entryKnob = new IKnobMultiControl(fx, 50, 10, 3, knob);
      auto* menuKnob = new IKnobMultiControl(fx, 10, 50, 1, knob);
      entryKnob->SetPrompt(true);
      menuKnob->SetPrompt(true);
      g->AddControl(entryKnob);
      g->AddControl(menuKnob);
    }
    fx->AttachEditor(g);
    g->ApplyPendingValues();
    return g;
  }

  HWND Open() {
    editor = static_cast<HWND>(graphics->OpenWindow(frame));
    fx.calls.clear();
    return editor;
  }
  LRESULT Send(UINT message, WPARAM w, LPARAM l) { return SendMessageA(editor, message, w, l); }
  void Tick() { Send(WM_TIMER, kRedrawTimer, 0); }
  // Dispatches the queue's messages until the editor's timer ticked n times.
  int Pump(int ticks) {
    int seen = 0;
    const DWORD start = GetTickCount();
    while (seen < ticks && GetTickCount() - start < 3000) {
      MSG msg;
      if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        continue;
      }
      if (msg.message == WM_TIMER && msg.hwnd == editor && msg.wParam == kRedrawTimer) ++seen;
      DispatchMessageA(&msg);
    }
    return seen;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const Call& c : fx.calls) {
      if (c.what == "BeginHostEdit" || c.what == "EndHostEdit") names.push_back(c.what);
    }
    return names;
  }
  double Attack() const { return fx.GetParam(0)->Value(); }

  TestEffect fx;
  TestWin* graphics;  // owned by fx
  static HWND frame;
  HWND editor = nullptr;
};

HWND WinEditor::frame = nullptr;

TEST_F(WinEditor, WindowClassLivesWhileAnyEditorIsOpen) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  WNDCLASSA info;
  ASSERT_NE(Open(), nullptr);
  char name[64];
  ASSERT_GT(GetClassNameA(editor, name, sizeof name), 0);
  EXPECT_STREQ(name, "IEffectWndClass");
  EXPECT_EQ(GetParent(editor), frame);
  EXPECT_EQ(Pump(2), 2);  // the redraw timer runs

  TestEffect otherFx;
  TestWin* other = MakeEditor(&otherFx);
  ASSERT_NE(other->OpenWindow(frame), nullptr);
  EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 2);
  other->CloseWindow();
  EXPECT_TRUE(GetClassInfoA(module, "IEffectWndClass", &info));
  graphics->CloseWindow();
  EXPECT_FALSE(IsWindow(editor));
  EXPECT_FALSE(GetClassInfoA(module, "IEffectWndClass", &info));
  EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 0);

  // Reopened, the first tick draws the whole editor again.
  ASSERT_NE(Open(), nullptr);
  graphics->presented.clear();
  Tick();
  ASSERT_FALSE(graphics->presented.empty());
  EXPECT_EQ(graphics->presented.back(), IBounds(0, 0, 100, 80));
}

TEST_F(WinEditor, EveryButtonEndsTheGestureItBegan) {
  ASSERT_NE(Open(), nullptr);
  // The middle button: its release ends the host edit and the capture.
  Send(WM_MBUTTONDOWN, MK_MBUTTON, At(15, 15));
  EXPECT_EQ(GetCapture(), editor);
  Send(WM_MBUTTONUP, 0, At(15, 15));
  EXPECT_NE(GetCapture(), editor);
  EXPECT_EQ(Names(), (std::vector<std::string>{"BeginHostEdit", "EndHostEdit"}));

  // The right button turns a knob as the left does: 10 pixels up on a
  // 20-pixel knob at gearing 4 add 0.125.
  fx.calls.clear();
  Send(WM_RBUTTONDOWN, MK_RBUTTON, At(15, 15));
  Send(WM_MOUSEMOVE, MK_RBUTTON, At(15, 5));
  Send(WM_RBUTTONUP, 0, At(15, 5));
  EXPECT_NEAR(Attack(), 25.0, 1e-9);
  EXPECT_EQ(Names(), (std::vector<std::string>{"BeginHostEdit", "EndHostEdit"}));

  // Less than a wheel notch is 0 steps: the knob keeps its value.
  POINT screen = {15, 15};
  ClientToScreen(editor, &screen);
  Send(WM_MOUSEWHEEL, MAKEWPARAM(0, 60), At(screen.x, screen.y));
  EXPECT_NEAR(Attack(), 25.0, 1e-9);
  Send(WM_MOUSEWHEEL, MAKEWPARAM(0, -240), At(screen.x, screen.y));
  EXPECT_NEAR(Attack(), 21.0, 1e-9);
}

TEST_F(WinEditor, EntryCommitsOnReturnAndFocusLossAndCancelsOnEscapeOrClick) {
  ASSERT_NE(Open(), nullptr);
  IControl* knob = graphics->GetControl(1);
  IParameter* attack = fx.GetParam(0);
  auto openEntry = [&] {
    graphics->OpenTextEntry(knob, knob->GetTextStyle(), IBounds(30, 30, 70, 46), "12", attack);
    return graphics->EntryWindow();
  };

  HWND box = openEntry();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(GetFocus(), box);
  EXPECT_EQ(graphics->EntryState(), ITextEntryLogic::kFocused);
  // Letters do not reach a numeric entry; digits replace the selected text.
  for (char c : {'a', '5', 'x', '.', '5'}) SendMessageA(box, WM_CHAR, static_cast<WPARAM>(c), 0);
  char text[32] = {};
  GetWindowTextA(box, text, sizeof text);
  EXPECT_STREQ(text, "5.5");
  // While typing, the editor is not redrawn and clicks do not reach controls.
  graphics->ShowParamInEditor(0, 0.9, true);
  graphics->presented.clear();
  Tick();
  EXPECT_TRUE(graphics->presented.empty());
  SendMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
  Tick();
  EXPECT_FALSE(IsWindow(box));
  EXPECT_EQ(graphics->EntryWindow(), nullptr);
  EXPECT_NEAR(Attack(), 5.5, 1e-9);

  box = openEntry();
  SendMessageA(box, WM_CHAR, '7', 0);
  SendMessageA(box, WM_KEYDOWN, VK_ESCAPE, 0);
  Tick();
  EXPECT_FALSE(IsWindow(box));
  EXPECT_NEAR(Attack(), 5.5, 1e-9);

  // A click on the knob cancels the entry; neither its press nor its release
  // reaches the knob, so the host sees no edit begin or end.
  box = openEntry();
  fx.calls.clear();
  Send(WM_LBUTTONDOWN, MK_LBUTTON, At(15, 15));
  Send(WM_LBUTTONUP, 0, At(15, 15));
  Tick();
  EXPECT_FALSE(IsWindow(box));
  EXPECT_TRUE(Names().empty());
  EXPECT_NEAR(Attack(), 5.5, 1e-9);

  box = openEntry();
  SendMessageA(box, WM_CHAR, '9', 0);
  SetFocus(frame);  // the focus moves elsewhere: the text counts
  Tick();
  EXPECT_FALSE(IsWindow(box));
  EXPECT_NEAR(Attack(), 9.0, 1e-9);
}

TEST_F(WinEditor, EntryOpenWhenTheWindowClosesGoesWithIt) {
  ASSERT_NE(Open(), nullptr);
  IControl* knob = graphics->GetControl(1);
  graphics->OpenTextEntry(knob, knob->GetTextStyle(), IBounds(30, 30, 70, 46), "12", fx.GetParam(0));
  HWND box = graphics->EntryWindow();
  SendMessageA(box, WM_CHAR, '3', 0);
  SendMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
  graphics->CloseWindow();
  EXPECT_FALSE(IsWindow(box));
  EXPECT_EQ(graphics->EntryWindow(), nullptr);
  EXPECT_EQ(graphics->EntryState(), ITextEntryLogic::kIdle);
  EXPECT_NEAR(Attack(), 0.0, 1e-9);

  // The next window takes entries again.
  ASSERT_NE(Open(), nullptr);
  graphics->OpenTextEntry(knob, knob->GetTextStyle(), IBounds(30, 30, 70, 46), "12", fx.GetParam(0));
  box = graphics->EntryWindow();
  ASSERT_NE(box, nullptr);
  SendMessageA(box, WM_CHAR, '4', 0);
  SendMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
  Tick();
  EXPECT_NEAR(Attack(), 4.0, 1e-9);
}

TEST_F(WinEditor, ResizeEndsTheEntryAndAnEditorWithoutControlsStillPaints) {
  ASSERT_NE(Open(), nullptr);
  IControl* knob = graphics->GetControl(1);
  graphics->OpenTextEntry(knob, knob->GetTextStyle(), IBounds(30, 30, 70, 46), "12", fx.GetParam(0));
  HWND box = graphics->EntryWindow();
  SendMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
  graphics->Resize(120, 90);  // deletes every control, the entry's too
  EXPECT_FALSE(IsWindow(box));
  EXPECT_EQ(graphics->EntryWindow(), nullptr);
  Tick();
  RECT client;
  GetClientRect(editor, &client);
  EXPECT_EQ(client.right, 120);
  EXPECT_EQ(client.bottom, 90);
  // Nothing to draw, but the paint request is answered: the timer still ticks.
  InvalidateRect(editor, nullptr, FALSE);
  EXPECT_EQ(Pump(2), 2);
}

TEST_F(WinEditor, TextsCopiedIntoFixedBuffersAreBounded) {
  ASSERT_NE(Open(), nullptr);
  auto* target = new TextTarget(&fx);
  target->SetEntryMaxChars(100);
  graphics->AddControl(target);
  const std::string sixty(60, 'k');
  graphics->OpenTextEntry(target, target->GetTextStyle(), IBounds(60, 40, 100, 60), sixty.c_str(), nullptr);
  SendMessageA(graphics->EntryWindow(), WM_KEYDOWN, VK_RETURN, 0);
  Tick();
  EXPECT_EQ(target->texts, std::vector<std::string>{std::string(31, 'k')});

  // Clipboard text is read no further than its memory, terminated or not.
  for (bool terminated : {true, false}) {
    const size_t chars = 4000;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (chars + (terminated ? 1 : 0)) * sizeof(wchar_t));
    auto* wide = static_cast<wchar_t*>(GlobalLock(block));
    for (size_t i = 0; i < chars; ++i) wide[i] = i % 2 ? L'\u00e9' : L'a';
    if (terminated) wide[chars] = 0;
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(editor));
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
    std::string expected;
    for (size_t i = 0; i < chars; ++i) expected += i % 2 ? "\xc3\xa9" : "a";
    std::string text;
    ASSERT_TRUE(graphics->ReadClipboardText(text)) << terminated;
    if (terminated) {
      EXPECT_EQ(text, expected);
    } else {
      // Wine ends the text with a NUL in place of its last character.
      EXPECT_GE(text.size(), expected.size() - 2);
      EXPECT_EQ(expected.rfind(text, 0), 0u);
    }
  }

  // The host's folder: the program's path up to its last backslash.
  std::string folder;
  graphics->HostFolder(folder);
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  EXPECT_EQ(std::string(exe).rfind(folder, 0), 0u);
  EXPECT_EQ(std::string(exe).find('\\', folder.size()), std::string::npos);
}

TEST_F(WinEditor, PopupMenuReturnsTheChosenSubmenuItem) {
  ASSERT_NE(Open(), nullptr);
  SetForegroundWindow(frame);
  IMenu menu;
  menu.AddItem("a");
  menu.AddItem("b");
  IMenu* sub = new IMenu;
  sub->AddItem("x");
  sub->AddItem("y");
  menu.AddItem(new IMenuItem("more", 0, sub));
  // The menu's own loop reads the keys: down to "more", into it, down to "y".
  for (WPARAM key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN}) PostMessageA(editor, WM_KEYDOWN, key, 0);
  graphics->presented.clear();
  EXPECT_EQ(graphics->ShowPopupMenu(&menu, IBounds(10, 10, 30, 30)), sub);
  EXPECT_EQ(sub->chosenIndex, 1);
  Pump(1);

  PostMessageA(editor, WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageA(editor, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(graphics->ShowPopupMenu(&menu, IBounds(10, 10, 30, 30)), nullptr);
  // Either way the whole editor is redrawn.
  Pump(1);
  int whole = 0;
  for (const IBounds& area : graphics->presented) whole += area == IBounds(0, 0, 100, 80);
  EXPECT_EQ(whole, 2);
}

// ---- gestures as the host sees them ---------------------------------------------------

// One step of a gesture case. Presses, releases and moves carry the buttons
// still held, as Windows sends them.
enum class Step {
  kLeftDown, kLeftUp, kRightDown, kRightUp,
  kLeftDouble,      // WM_LBUTTONDBLCLK: the second press of a double click
  kMoveUp,          // 4 pixels up: 0.05 on a 20-pixel knob at gearing 4
  kHostCaptures,    // a window of the host's takes the mouse capture
  kCancelMode,      // WM_CANCELMODE, as a dialog opening sends it
  kClose,           // the host closes the editor (effEditClose)
  kHostWindowGoes,  // the host destroys the window holding the editor
  kMenuThird,       // keys for the next menu: its third item
  kMenuEscape,      // a key for the next menu: Escape
  kType7,           // "7" and Return in the entry box, then a redraw tick
};

struct GestureCase {
  const char* what;
  int x, y;  // where the pointer starts
  // Each step and the calls the host sees during it: "begin", "value V"
  // (the normalised value), "end".
  std::vector<std::pair<Step, const char*>> steps;
  bool hostKeepsCapture;  // the host's window holds the capture at the end
};

TEST_F(WinEditor, EveryBeginEditGetsOneEndEditHoweverTheGestureEnds) {
  using S = Step;
  const GestureCase cases[] = {
      {"a window of the host's takes the capture mid-drag", 15, 25,
       {{S::kLeftDown, "begin"}, {S::kMoveUp, "value 0.55"}, {S::kHostCaptures, "end"}, {S::kMoveUp, ""},
        {S::kLeftUp, ""}},
       true},
      {"WM_CANCELMODE mid-drag", 15, 25,
       {{S::kLeftDown, "begin"}, {S::kMoveUp, "value 0.55"}, {S::kCancelMode, "end"}, {S::kMoveUp, ""},
        {S::kLeftUp, ""}},
       false},
      {"WM_CANCELMODE leaves the host's capture alone", 15, 25, {{S::kHostCaptures, ""}, {S::kCancelMode, ""}}, true},
      {"the editor closed mid-drag", 15, 25,
       {{S::kLeftDown, "begin"}, {S::kMoveUp, "value 0.55"}, {S::kClose, "end"}}, false},
      {"the host's window destroyed mid-drag", 15, 25,
       {{S::kLeftDown, "begin"}, {S::kMoveUp, "value 0.55"}, {S::kHostWindowGoes, "end"}, {S::kClose, ""}}, false},
      {"the right button pressed and released during a left drag", 15, 25,
       {{S::kLeftDown, "begin"}, {S::kRightDown, ""}, {S::kMoveUp, "value 0.55"}, {S::kRightUp, ""},
        {S::kMoveUp, "value 0.6"}, {S::kLeftUp, "end"}},
       false},
      {"the left button released before the right", 15, 25,
       {{S::kLeftDown, "begin"}, {S::kRightDown, ""}, {S::kLeftUp, ""}, {S::kMoveUp, "value 0.55"},
        {S::kRightUp, "end"}},
       false},
      {"a double click restores the default", 15, 25,
       {{S::kLeftDown, "begin"}, {S::kMoveUp, "value 0.55"}, {S::kLeftUp, "end"}, {S::kLeftDown, "begin"},
        {S::kLeftUp, "end"}, {S::kLeftDouble, "begin value 0.5 end"}, {S::kLeftUp, ""}},
       false},
      {"a double click during a right drag is a second button", 15, 25,
       {{S::kRightDown, "begin"}, {S::kMoveUp, "value 0.55"}, {S::kLeftDown, ""}, {S::kLeftUp, ""},
        {S::kLeftDouble, ""}, {S::kLeftUp, ""}, {S::kMoveUp, "value 0.6"}, {S::kRightUp, "end"}},
       false},
      {"a right click choosing from a menu", 15, 65,
       {{S::kMenuThird, ""}, {S::kRightDown, "begin value 1 end"}, {S::kRightUp, ""}}, false},
      {"a right click dismissing a menu", 15, 65,
       {{S::kMenuEscape, ""}, {S::kRightDown, "begin end"}, {S::kRightUp, ""}}, false},
      {"a right click opening a text entry", 55, 25,
       {{S::kRightDown, "begin"}, {S::kRightUp, "end"}, {S::kType7, "value 0.35"}}, false},
  };

  for (const GestureCase& c : cases) {
    SCOPED_TRACE(c.what);
    TestEffect caseFx;
    TestWin* g = MakeEditor(&caseFx, true);
    // The host's window for this editor, inside the shared frame.
    HWND host = CreateWindowExA(0, "EditorWindowTestFrame", "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 150, frame,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    editor = static_cast<HWND>(g->OpenWindow(host));
    ASSERT_NE(editor, nullptr);
    caseFx.calls.clear();
    int x = c.x, y = c.y;
    WPARAM held = 0;
    auto button = [&](UINT message, WPARAM key, bool down) {
      held = down ? held | key : held & ~key;
      Send(message, held, At(x, y));
    };
    auto menuKeys = [&](std::initializer_list<WPARAM> keys) {
      SetForegroundWindow(frame);
      for (WPARAM key : keys) PostMessageA(editor, WM_KEYDOWN, key, 0);
    };
    for (size_t i = 0; i < c.steps.size(); ++i) {
      switch (c.steps[i].first) {
        case S::kLeftDown: button(WM_LBUTTONDOWN, MK_LBUTTON, true); break;
        case S::kLeftUp: button(WM_LBUTTONUP, MK_LBUTTON, false); break;
        case S::kRightDown: button(WM_RBUTTONDOWN, MK_RBUTTON, true); break;
        case S::kRightUp: button(WM_RBUTTONUP, MK_RBUTTON, false); break;
        case S::kLeftDouble: button(WM_LBUTTONDBLCLK, MK_LBUTTON, true); break;
        case S::kMoveUp:
          y -= 4;
          Send(WM_MOUSEMOVE, held, At(x, y));
          break;
        case S::kHostCaptures: SetCapture(frame); break;
        case S::kCancelMode: Send(WM_CANCELMODE, 0, 0); break;
        case S::kClose: g->CloseWindow(); break;
        case S::kHostWindowGoes: DestroyWindow(host); break;
        case S::kMenuThird: menuKeys({VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}); break;
        case S::kMenuEscape: menuKeys({VK_ESCAPE}); break;
        case S::kType7:
          SendMessageA(g->EntryWindow(), WM_CHAR, '7', 0);
          SendMessageA(g->EntryWindow(), WM_KEYDOWN, VK_RETURN, 0);
          Tick();
          break;
      }
      std::string seen;
      for (const Call& call : caseFx.calls) {
        char value[32];
        std::snprintf(value, sizeof value, "value %g", call.value);
        const std::string name = call.what == "BeginHostEdit"       ? "begin"
                                 : call.what == "NotifyHostOfParam" ? value
                                 : call.what == "EndHostEdit"       ? "end"
                                                                    : "";
        if (!name.empty()) seen += (seen.empty() ? "" : " ") + name;
      }
      caseFx.calls.clear();
      EXPECT_EQ(seen, c.steps[i].second) << "step " << i;
    }
    EXPECT_EQ(GetCapture(), c.hostKeepsCapture ? frame : nullptr);
    if (GetCapture()) ReleaseCapture();
    g->CloseWindow();
    if (IsWindow(host)) DestroyWindow(host);
  }
  editor = nullptr;
}

}  // namespace
