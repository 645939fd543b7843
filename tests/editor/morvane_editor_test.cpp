#include <gtest/gtest.h>

#include <string>
#include <typeinfo>
#include <vector>

#include "editor/IBitmapTextControl.h"
#include "editor/IControls.h"
#include "editor/IGraphicsWindowless.h"
#include "plugin/Morvane.h"
#include "plugin/OverloadLamp.h"
#include "tests/editor/EditorTestSupport.h"

namespace {

using editor_test::Green;
using editor_test::Pixel;
using editor_test::Red;
using editor_test::SyntheticGraphics;

// Morvane's editor on synthetic images of the real sizes: knob frame f has
// red = f (green 1 for the large knob, 2 for the small one), the lamp's lit
// frame red = 2 over a background of red = 1.
class MorvaneEditor : public testing::Test {
protected:
  static void SetUpTestSuite() {
    SyntheticGraphics::Strips()[105] = {578, 299, 1, 50};
    SyntheticGraphics::Strips()[101] = {140, 14000, 100, 1};
    SyntheticGraphics::Strips()[107] = {48, 4800, 100, 2};
    SyntheticGraphics::Strips()[102] = {10, 20, 2, 3, true};
    SyntheticGraphics::FontId() = 108;
  }

  MorvaneEditor() : plug(nullptr, SyntheticGraphics::Make) {
    graphics = static_cast<SyntheticGraphics*>(plug.GetEditor());
    plug.Dispatch(effOpen, 0, 0, nullptr, 0.0f);
    plug.Dispatch(effEditOpen, 0, 0, nullptr, 0.0f);
    graphics->Tick();
  }

  // The characters drawn along row y from x, one per 6-pixel cell ('.'
  // where the background shows).
  std::string Text(int x, int y, int cells) {
    std::string out;
    for (int i = 0; i < cells; ++i) {
      const BM_Color32 c = Pixel(*graphics, x + 6 * i, y);
      out += Green(c) == 108 ? static_cast<char>(Red(c)) : '.';
    }
    return out;
  }

  bool LampLit() { return Red(Pixel(*graphics, 289, 179)) == 2; }

  Morvane plug;
  SyntheticGraphics* graphics;
};

TEST_F(MorvaneEditor, ThirteenControlsInTheirPlaces) {
  struct Row {
    const std::type_info& type;
    IBounds rect;
    int param;
  } const rows[] = {
      {typeid(IBitmapControl), {0, 0, 578, 299}, -1},          {typeid(MyIBitmapControl), {284, 174, 294, 184}, -1},
      {typeid(IKnobMultiControl), {38, 56, 178, 196}, 0},      {typeid(IKnobMultiControl), {397, 56, 537, 196}, 1},
      {typeid(IKnobMultiControl), {40, 215, 88, 263}, 2},      {typeid(IKnobMultiControl), {129, 215, 177, 263}, 3},
      {typeid(IKnobMultiControl), {218, 215, 266, 263}, 4},    {typeid(IKnobMultiControl), {309, 215, 357, 263}, 5},
      {typeid(IKnobMultiControl), {397, 215, 445, 263}, 6},    {typeid(IKnobMultiControl), {486, 215, 534, 263}, 7},
      {typeid(IBitmapTextControl), {38, 46, 178, 60}, -1},     {typeid(IBitmapTextControl), {397, 46, 537, 60}, -1},
      {typeid(IBitmapTextControl), {201, 130, 372, 150}, -1},
  };
  ASSERT_EQ(graphics->ControlCount(), 13);
  for (int i = 0; i < 13; ++i) {
    IControl* c = graphics->GetControl(i);
    EXPECT_EQ(typeid(*c), rows[i].type) << i;
    EXPECT_EQ(c->GetBounds(), rows[i].rect) << i;
    EXPECT_EQ(c->ParamIdx(), rows[i].param) << i;
  }
  EXPECT_EQ(graphics->GetControl(0)->GetBlend().method, kBlendCopy);
  EXPECT_EQ(graphics->GetControl(4)->GetBlend().method, kBlendDefault);
}

TEST_F(MorvaneEditor, TheDefaultState) {
  // "Gain" at 0 dB (normalised 0.5028) on about the middle frame; the other
  // knobs at their defaults.
  EXPECT_EQ(Red(Pixel(*graphics, 242, 239)), 51);
  EXPECT_EQ(Green(Pixel(*graphics, 242, 239)), 2);
  EXPECT_EQ(Red(Pixel(*graphics, 100, 120)), 51);  // "Attack" at 0 %
  EXPECT_EQ(Red(Pixel(*graphics, 510, 239)), 67);  // "Sustain Length" at 500 of 750 ms
  // "v1.0.1" centred in 201..372 from the top at 130; the value texts below
  // the large knobs' tops.
  EXPECT_EQ(Text(262, 130, 8), ".v1.0.1.");
  EXPECT_EQ(Text(262, 129, 8), "........");
  EXPECT_EQ(Text(84, 46, 8), ".0.00 %.");
  EXPECT_EQ(Text(443, 46, 8), ".0.00 %.");
}

TEST_F(MorvaneEditor, AHostChangeShowsInTheKnobAndTheValueText) {
  plug.GetAEffect()->setParameter(plug.GetAEffect(), Morvane::kAttack, 1.0f);
  graphics->Tick();
  EXPECT_EQ(Red(Pixel(*graphics, 100, 120)), 100);
  EXPECT_EQ(Text(87, 46, 7), ".100 %.");
}

TEST_F(MorvaneEditor, TheLampLightsAfterAnOverloadAndGoesDarkAThirdOfASecondLater) {
  constexpr int kBlock = 1764;  // 40 ms at 44.1 kHz
  std::vector<double> in(kBlock), out[2] = {std::vector<double>(kBlock), std::vector<double>(kBlock)};
  auto play = [&](double value, int blocks) {
    std::vector<bool> lit;
    for (double& s : in) s = value;
    for (int b = 0; b < blocks; ++b) {
      double* inputs[2] = {in.data(), in.data()};
      double* outputs[2] = {out[0].data(), out[1].data()};
      plug.ProcessBlock(inputs, outputs, kBlock);
      EXPECT_TRUE(graphics->Tick());  // the lamp redraws at every refresh
      lit.push_back(LampLit());
    }
    return lit;
  };

  EXPECT_FALSE(LampLit());
  EXPECT_EQ(play(0.0, 5), std::vector<bool>(5, false));
  EXPECT_EQ(play(1.5, 5), std::vector<bool>(5, true));
  // The overload follower falls from 1.5 to 1.0 in 750 ms x ln 1.5 = 0.304 s.
  const std::vector<bool> after = play(0.0, 10);
  EXPECT_EQ(after, (std::vector<bool>{true, true, true, true, true, true, true, false, false, false}));
}

TEST_F(MorvaneEditor, ASecondInstanceLoadsNoImage) {
  const int loads = SyntheticGraphics::Loads();
  Morvane second(nullptr, SyntheticGraphics::Make);
  EXPECT_EQ(SyntheticGraphics::Loads(), loads);
  EXPECT_EQ(second.Graphics()->ControlCount(), 13);
}

TEST(MorvaneWithoutWindow, HostsAreToldTheEditorCannotOpen) {
  Morvane plug(nullptr, [](IEffectBase* p, int w, int h, int fps) -> IGraphics* {
    return new IGraphicsWindowless(p, w, h, fps);
  });
  int parent = 0;
  EXPECT_EQ(plug.GetAEffect()->flags, 0x1019);
  EXPECT_EQ(plug.Dispatch(effEditOpen, 0, 0, &parent, 0.0f), 0);
  EXPECT_EQ(plug.Dispatch(effEditClose, 0, 0, nullptr, 0.0f), 1);
}

}  // namespace
