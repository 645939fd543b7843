#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/IBitmapTextControl.h"
#include "editor/IControls.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/framework/TestEffect.h"

namespace {

using editor_test::Pixel;
using editor_test::Red;
using editor_test::SyntheticGraphics;
using morvane_test::Call;
using morvane_test::TestEffect;

// Resource ids of this file's synthetic images.
constexpr int kBackId = 9101;    // 100 x 80, one frame
constexpr int kKnobId = 9102;    // 20 x 2000, 100 frames
constexpr int kMissingId = 9199;  // never loads

// A knob that also records its own mouse handlers among the plug-in's calls.
class RecordingKnob : public IKnobMultiControl {
public:
  RecordingKnob(TestEffect* fx, int x, int y, int paramIdx, const IBitmapRef& bitmap)
      : IKnobMultiControl(fx, x, y, paramIdx, bitmap), mFx(fx) {}
  void OnMouseDown(int x, int y, const IModifiers& mods) override {
    mFx->calls.push_back({"knob down", mParamIndex});
    IKnobMultiControl::OnMouseDown(x, y, mods);
  }
  void OnMouseUp(int x, int y, const IModifiers& mods) override {
    mFx->calls.push_back({"knob up", mParamIndex});
    IKnobMultiControl::OnMouseUp(x, y, mods);
  }

private:
  TestEffect* mFx;
};

// An editor of 100 x 80 over a background, attached to a test plug-in whose
// calls (host edits, parameter changes) are recorded.
class Editor : public testing::Test {
protected:
  Editor() {
    SyntheticGraphics::Strips()[kBackId] = {100, 80, 1, 7};
    SyntheticGraphics::Strips()[kKnobId] = {20, 2000, 100, 9};
    graphics = new SyntheticGraphics(&fx, 100, 80, 25);
    graphics->AddBackground(kBackId, "back.png");
    knob = graphics->LoadImageStrip(kKnobId, "knob.png", 100);
  }
  ~Editor() override {
    if (fx.GetEditor() != graphics) delete graphics;
  }

  // Attaches the editor (the plug-in owns it from then on) and opens it.
  void Attach() {
    fx.AttachEditor(graphics);
    graphics->ApplyPendingValues();
    graphics->OpenWindow(nullptr);
    graphics->Tick();
    fx.calls.clear();
  }

  std::vector<std::string> CallNames() const {
    std::vector<std::string> names;
    for (const Call& c : fx.calls) names.push_back(c.what);
    return names;
  }

  TestEffect fx;
  SyntheticGraphics* graphics;
  IBitmapRef knob;
  IModifiers left = [] {
    IModifiers m;
    m.left = true;
    return m;
  }();
};

// ---- finding the control under the pointer ----------------------------------------------

TEST_F(Editor, ThePointerHitsTheTopmostControlInsideItsRectangle) {
  graphics->AddControl(new RecordingKnob(&fx, 10, 10, 0, knob));  // 10, 10, 30, 30
  graphics->AddControl(new RecordingKnob(&fx, 20, 20, 1, knob));  // over it: 20, 20, 40, 40
  graphics->AddControl(new RecordingKnob(&fx, 0, 0, 2, IBitmapRef()));  // all 0: never hit
  Attach();

  struct Case {
    int x, y;
    int param;  // the parameter whose knob is pressed; -1 for none
  } const cases[] = {
      {25, 25, 1},  // inside both: the later one
      {10, 10, 0},  // left and top edges are inside
      {30, 15, -1}, // the right edge is outside
      {15, 30, -1}, // so is the bottom edge
      {19, 29, 0},  {39, 39, 1}, {0, 0, -1},
  };
  for (const Case& c : cases) {
    fx.calls.clear();
    graphics->OnMouseDown(c.x, c.y, left);
    graphics->OnMouseUp(c.x, c.y, left);
    if (c.param < 0) {
      EXPECT_TRUE(fx.CallsNamed("knob down").empty()) << c.x << "," << c.y;
    } else {
      ASSERT_EQ(fx.CallsNamed("knob down").size(), 1u) << c.x << "," << c.y;
      EXPECT_EQ(fx.CallsNamed("knob down")[0].idx, c.param) << c.x << "," << c.y;
    }
  }

  // A greyed control is passed over: the one below it takes the click.
  graphics->GetControl(2)->SetGreyed(true);
  fx.calls.clear();
  graphics->OnMouseDown(25, 25, left);
  ASSERT_EQ(fx.CallsNamed("knob down").size(), 1u);
  EXPECT_EQ(fx.CallsNamed("knob down")[0].idx, 0);
}

// ---- a gesture on a bound knob ----------------------------------------------------------

TEST_F(Editor, AGestureIsBracketedByBeginAndEndEditEvenWhenReleasedOutside) {
  graphics->AddControl(new RecordingKnob(&fx, 10, 10, 3, knob));
  Attach();
  graphics->OnMouseDown(15, 15, left);
  EXPECT_TRUE(graphics->OnMouseDrag(15, 10, left));  // 5 pixels up
  EXPECT_FALSE(graphics->OnMouseDrag(15, 10, left)); // no movement, nothing delivered
  graphics->OnMouseUp(90, 70, left);                 // over the background only
  EXPECT_EQ(CallNames(), (std::vector<std::string>{"BeginHostEdit", "knob down", "NotifyHostOfParam",
                                                   "ParamChanged", "knob up", "EndHostEdit"}));
  // 5 of the 20 pixels at gearing 4 from the default of "Attack Length" (5 of 20 ms).
  EXPECT_DOUBLE_EQ(fx.CallsNamed("NotifyHostOfParam")[0].value, 0.25 + 5.0 / 20.0 / 4.0);
  EXPECT_EQ(fx.CallsNamed("EndHostEdit")[0].idx, 3);
}

// A host recording touch automation needs every value inside a begin and an
// end: the double click is a gesture of its own, and the release after it
// ends nothing.
TEST_F(Editor, ADoubleClickRestoresTheDefaultAsAGestureOfItsOwn) {
  graphics->AddControl(new RecordingKnob(&fx, 10, 10, 3, knob));
  Attach();
  graphics->OnMouseDown(15, 15, left);
  graphics->OnMouseDrag(15, 5, left);
  graphics->OnMouseUp(15, 5, left);
  ASSERT_NE(fx.GetParam(3)->Value(), 5.0);
  fx.calls.clear();

  EXPECT_FALSE(graphics->OnDoubleClick(15, 15, left));
  graphics->OnMouseUp(15, 15, left);  // the release after the double click
  EXPECT_EQ(CallNames(), (std::vector<std::string>{"BeginHostEdit", "NotifyHostOfParam", "ParamChanged",
                                                  "EndHostEdit", "knob up"}));
  EXPECT_DOUBLE_EQ(fx.CallsNamed("NotifyHostOfParam")[0].value, 0.25);
  EXPECT_DOUBLE_EQ(fx.GetParam(3)->Value(), 5.0);
}

// ---- drawing -----------------------------------------------------------------------------

TEST_F(Editor, OnlyDirtyControlsAreRedrawnAtATick) {
  graphics->AddControl(new RecordingKnob(&fx, 10, 10, 0, knob));
  graphics->AddControl(new RecordingKnob(&fx, 50, 10, 1, knob));
  Attach();
  const int presents = graphics->PresentCount();
  EXPECT_FALSE(graphics->Tick());
  EXPECT_EQ(graphics->PresentCount(), presents);

  // A host change shows in the knob's frame at the next tick, and only its
  // rectangle is drawn (twice: the value is drawn again on the tick after).
  fx.GetEditor()->ParamValueChanged(1, 1.0);
  IBounds drawn;
  EXPECT_TRUE(graphics->Tick(&drawn));
  EXPECT_EQ(drawn, IBounds(50, 10, 70, 30));
  EXPECT_EQ(Red(Pixel(*graphics, 60, 20)), 100);
  EXPECT_EQ(Red(Pixel(*graphics, 20, 20)), 51);  // "Sustain" at 0: the middle frame
  EXPECT_TRUE(graphics->Tick(&drawn));
  EXPECT_EQ(drawn, IBounds(50, 10, 70, 30));
  EXPECT_FALSE(graphics->Tick());
}

TEST_F(Editor, AControlWhoseImageFailedToLoadDrawsNothing) {
  const IBitmapRef missing = graphics->LoadImageStrip(kMissingId, "missing.png", 100);
  EXPECT_FALSE(missing.Exists());
  graphics->AddControl(new IBitmapControl(&fx, IBounds(10, 10, 30, 30), -1, missing));
  graphics->AddControl(new IKnobMultiControl(&fx, 40, 10, 0, missing));
  graphics->AddControl(new IBitmapTextControl(&fx, IBounds(60, 10, 100, 30), missing, "text"));
  Attach();
  EXPECT_EQ(Pixel(*graphics, 15, 15), Pixel(*graphics, 5, 5));
  EXPECT_EQ(Pixel(*graphics, 70, 15), Pixel(*graphics, 5, 5));
}

// An image is decoded when it is first drawn, once per process; making the
// editor decodes nothing, and an image that cannot be found is not looked for.
// (Ids of this test's own: the process may have drawn the others before.)
TEST_F(Editor, ImagesAreDecodedWhenFirstDrawnOncePerProcess) {
  constexpr int kFreshId = 9150;
  SyntheticGraphics::Strips()[kFreshId] = {20, 2000, 100, 9};
  const int loads = SyntheticGraphics::Loads();
  const IBitmapRef strip = graphics->LoadImageStrip(kFreshId, "fresh.png", 100);
  EXPECT_EQ(strip.width, 20);
  EXPECT_EQ(strip.height, 2000);
  EXPECT_EQ(SyntheticGraphics::Loads(), loads);
  EXPECT_NE(graphics->ImageAtScale(strip), nullptr);
  EXPECT_NE(graphics->ImageAtScale(strip), nullptr);
  EXPECT_EQ(SyntheticGraphics::Loads(), loads + 1);

  SyntheticGraphics other(nullptr, 10, 10, 25);
  EXPECT_NE(other.ImageAtScale(other.LoadImageStrip(kFreshId, "fresh.png", 100)), nullptr);
  EXPECT_EQ(SyntheticGraphics::Loads(), loads + 1);
  const IBitmapRef missing = other.LoadImageStrip(kMissingId, "missing.png");
  EXPECT_EQ(other.ImageAtScale(missing), nullptr);
  EXPECT_EQ(SyntheticGraphics::Loads(), loads + 1);  // no size: never looked for
}

// ---- bitmap-font text ----------------------------------------------------------------------

// The font strip's cells are 6 pixels wide, red = the character code; the
// text cells are 6 x 12 (the strip is 11 high).
class GlyphText : public Editor {
protected:
  // The characters drawn along row y from x, one per cell of 6 pixels (' '
  // where the background shows).
  std::string Row(int x, int y, int cells) {
    const BM_Color32 background = Pixel(*graphics, 0, 0);
    std::string out;
    for (int i = 0; i < cells; ++i) {
      const BM_Color32 c = Pixel(*graphics, x + 6 * i, y);
      out += c == background ? '.' : static_cast<char>(Red(c));
    }
    return out;
  }

  void Show(const char* text, const IBounds& area, ETextAlign align = kAlignCenter) {
    SyntheticGraphics::FontId() = 9108;
    const IBitmapRef font = graphics->LoadImageStrip(9108, "font.png", 95, true);
    ITextStyle style;
    style.align = align;
    graphics->AddControl(new IBitmapTextControl(&fx, area, font, text, style, 6, 12, 0, true, false));
    Attach();
  }
};

TEST_F(GlyphText, SixCharactersFillThirtySixPixelsExactly) {
  Show("ABCDEF", IBounds(10, 10, 46, 40));
  EXPECT_EQ(Row(4, 10, 8), ".ABCDEF.");
}

TEST_F(GlyphText, ASeventhCharacterStartsTheNextLine) {
  Show("ABCDEFG", IBounds(10, 10, 46, 40));
  // Centred on the full width of 42 pixels: the lines start 3 pixels left.
  EXPECT_EQ(Row(7, 10, 7), "ABCDEF.");
  EXPECT_EQ(Row(7, 22, 2), "G.");
  EXPECT_EQ(Row(7, 34, 2), "..");
}

TEST_F(GlyphText, CharactersOutsideThePrintableRange) {
  // Above 127 and below 32: the space's cell; 127 lies past the strip: nothing.
  Show("A\xC3\x7F\x01Z", IBounds(10, 10, 40, 40), kAlignLeft);
  EXPECT_EQ(Row(10, 10, 5), "A .\x20Z");
}

TEST_F(GlyphText, ALongTextStopsAtTheAreasLastLine) {
  Show("ABCDEFGHIJKLMNOPQRSTUVWXYZ", IBounds(10, 10, 46, 34), kAlignLeft);
  EXPECT_EQ(Row(10, 10, 6), "ABCDEF");
  EXPECT_EQ(Row(10, 22, 6), "GHIJKL");
  EXPECT_EQ(Row(10, 34, 6), "......");
}

}  // namespace
