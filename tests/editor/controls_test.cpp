#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "editor/IControls.h"
#include "editor/IMenu.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/framework/TestEffect.h"

namespace {

using editor_test::Pixel;
using editor_test::SyntheticGraphics;
using morvane_test::TestEffect;

constexpr int kBackId = 9201;       // 200 x 200, one frame
constexpr int kLargeKnobId = 9202;  // 140 x 14000, 100 frames
constexpr int kSmallKnobId = 9203;  // 48 x 4800, 100 frames

// An off-screen editor that records the value entries it is asked to open and
// answers menus with a fixed choice.
class EntryGraphics : public SyntheticGraphics {
public:
  using SyntheticGraphics::SyntheticGraphics;
  IMenu* ShowPopupMenu(IMenu* menu, const IBounds& area) override {
    menuArea = area;
    for (int i = 0; i < menu->ItemCount(); ++i) {
      const IMenuItem* item = menu->GetItem(i);
      menuItems += item->text + ((item->flags & IMenuItem::kChecked) ? "*" : "") + ";";
    }
    menu->chosenIndex = 2;
    return menu;
  }
  void OpenTextEntry(IControl*, const ITextStyle&, const IBounds& area, const char* text, IParameter*) override {
    entryArea = area;
    entryText = text;
  }
  std::string menuItems;
  IBounds menuArea;
  std::string entryText;
  IBounds entryArea;
};

// Two knobs, 140 and 48 pixels, on "Attack" (0) and "Attack Length" (3).
class Knobs : public testing::Test {
protected:
  Knobs() {
    SyntheticGraphics::Strips()[kBackId] = {200, 200, 1, 5};
    SyntheticGraphics::Strips()[kLargeKnobId] = {140, 14000, 100, 1};
    SyntheticGraphics::Strips()[kSmallKnobId] = {48, 4800, 100, 2};
    graphics = new EntryGraphics(&fx, 200, 200, 25);
    graphics->AddBackground(kBackId, "back.png");
    large = new IKnobMultiControl(&fx, 0, 0, 0, graphics->LoadImageStrip(kLargeKnobId, "knob.png", 100));
    small = new IKnobMultiControl(&fx, 150, 0, 3, graphics->LoadImageStrip(kSmallKnobId, "small.png", 100));
    graphics->AddControl(large);
    graphics->AddControl(small);
    fx.AttachEditor(graphics);
    graphics->ApplyPendingValues();
    fx.calls.clear();
  }

  double LastSent() const { return fx.CallsNamed("NotifyHostOfParam").back().value; }

  TestEffect fx;
  EntryGraphics* graphics;  // owned by fx
  IKnobMultiControl* large;
  IKnobMultiControl* small;
  IModifiers none;
};

IModifiers With(bool control, bool shift) {
  IModifiers m;
  m.control = control;
  m.shift = shift;
  return m;
}

TEST_F(Knobs, DragsTurnAQuarterPerKnobHeightAtGearingFour) {
  large->OnMouseDrag(0, 0, 0, -140, none);
  EXPECT_DOUBLE_EQ(large->GetValue(), 0.75);
  EXPECT_DOUBLE_EQ(LastSent(), 0.75);
  small->OnMouseDrag(0, 0, 0, 48, none);  // down lowers the value
  EXPECT_DOUBLE_EQ(small->GetValue(), 0.0);

  // Control or Shift, or both, make the same movement ten times finer.
  for (const IModifiers& m : {With(true, false), With(false, true), With(true, true)}) {
    large->SetValue(0.5);
    large->OnMouseDrag(0, 0, 0, -140, m);
    EXPECT_DOUBLE_EQ(large->GetValue(), 0.525);
  }

  // At the top the value stays 1.0 and is sent again.
  large->SetValue(1.0);
  fx.calls.clear();
  large->OnMouseDrag(0, 0, 0, -10, none);
  EXPECT_DOUBLE_EQ(large->GetValue(), 1.0);
  ASSERT_EQ(fx.CallsNamed("NotifyHostOfParam").size(), 1u);
  EXPECT_DOUBLE_EQ(LastSent(), 1.0);
  EXPECT_DOUBLE_EQ(fx.GetParam(0)->Value(), 100.0);
}

TEST_F(Knobs, AWheelNotchMovesOnePercentWhateverTheKnobsSize) {
  large->SetValue(0.5);
  large->OnMouseWheel(0, 0, none, 3);
  EXPECT_NEAR(large->GetValue(), 0.53, 1e-12);
  large->OnMouseWheel(0, 0, With(false, true), -1);
  EXPECT_NEAR(large->GetValue(), 0.529, 1e-12);
  small->SetValue(0.005);
  small->OnMouseWheel(0, 0, none, -1);
  EXPECT_DOUBLE_EQ(small->GetValue(), 0.0);
  EXPECT_DOUBLE_EQ(LastSent(), 0.0);
}

TEST_F(Knobs, TheFrameFollowsTheValue) {
  const struct {
    double value;
    int frame;
  } cases[] = {{0.0, 1}, {0.004, 1}, {0.006, 2}, {0.5, 51}, {1.0, 100}, {-3.0, 1}, {7.0, 100}, {NAN, 1}};
  for (const auto& c : cases) EXPECT_EQ(FrameForValue(c.value, 100), c.frame) << c.value;
  EXPECT_EQ(FrameForValue(0.9, 1), 1);
  EXPECT_EQ(FrameForValue(0.5, 2), 2);
  EXPECT_EQ(FrameForValue(0.49, 2), 1);
}

TEST_F(Knobs, ADoubleClickWithoutADefaultDoesNothing) {
  IKnobMultiControl loose(&fx, 0, 0, 0, IBitmapRef());
  loose.SetValue(0.3);
  loose.OnDoubleClick(0, 0, none);
  EXPECT_DOUBLE_EQ(loose.GetValue(), 0.3);
  EXPECT_TRUE(fx.calls.empty());
}

TEST_F(Knobs, AGreyedKnobDrawsAtAQuarterWeightAndIgnoresTheMouse) {
  graphics->OpenWindow(nullptr);
  graphics->Tick();
  const BM_Color32 full = Pixel(*graphics, 70, 70);
  large->SetGreyed(true);
  graphics->Tick();
  const BM_Color32 grey = Pixel(*graphics, 70, 70);
  // Red 51 (the middle frame) at a quarter weight over the background's 1.
  EXPECT_EQ(editor_test::Red(full), 51);
  EXPECT_EQ(editor_test::Red(grey), 51 + (1 - 51) * (256 - 64) / 256);

  IModifiers left;
  left.left = true;
  graphics->OnMouseDown(70, 70, left);
  graphics->OnMouseUp(70, 70, left);
  EXPECT_TRUE(fx.CallsNamed("BeginHostEdit").empty());
}

TEST_F(Knobs, ARightClickOpensTheValueEntryWhenPromptingIsOn) {
  IModifiers right;
  right.right = true;
  small->OnMouseDown(160, 10, right);
  EXPECT_EQ(graphics->entryText, "");  // prompting is off by default

  small->SetPrompt(true);
  small->OnMouseDown(160, 10, right);
  EXPECT_EQ(graphics->entryText, "5.00");
  EXPECT_EQ(graphics->entryArea, IBounds(154, 16, 194, 32));  // 40 x 16 at the centre

  // A list parameter offers its display texts, the current one checked; the
  // choice goes to the plug-in.
  IParameter* mode = fx.GetParam(3);
  mode->DefineEnum("Mode", 1, 4);
  for (int i = 0; i < 4; ++i) mode->SetDisplayText(i, std::string(1, static_cast<char>('a' + i)).c_str());
  small->OnMouseDown(160, 10, right);
  EXPECT_EQ(graphics->menuItems, "a;b*;c;d;");
  EXPECT_EQ(graphics->menuArea, small->GetBounds());
  EXPECT_DOUBLE_EQ(mode->Value(), 2.0);
}

}  // namespace
