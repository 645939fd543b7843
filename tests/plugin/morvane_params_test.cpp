#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "editor/IBitmapTextControl.h"
#include "plugin/Morvane.h"
#include "tests/framework/LockProbe.h"

namespace {

// What a host reads through the effect record is the plug-in library's test;
// here, the configuration that shows only through the base.
TEST(MorvaneIdentity, ConfigurationBehindTheRecord) {
  std::unique_ptr<Morvane> plug(static_cast<Morvane*>(CreateEffectInstance(nullptr)));
  ASSERT_NE(plug, nullptr);
  EXPECT_EQ(plug->GetMakerID(), 0x4D766E71);
  EXPECT_EQ(plug->GetVersion(), 0x00010001);
  EXPECT_FALSE(plug->UsesChunks());
  EXPECT_FALSE(plug->WantsMidi());
  ASSERT_EQ(plug->ChannelConfigCount(), 2);
  EXPECT_EQ(plug->GetChannelConfig(0)->nIn, 1);
  EXPECT_EQ(plug->GetChannelConfig(0)->nOut, 1);
  EXPECT_EQ(plug->GetChannelConfig(1)->nIn, 2);
  EXPECT_EQ(plug->GetChannelConfig(1)->nOut, 2);
  ASSERT_EQ(plug->PresetCount(), 1);
  EXPECT_STREQ(plug->GetPresetName(0), "-");
}

// The editor finds the images in the plug-in library's resources through the
// module handle the library's initialisation entry recorded.
TEST(MorvaneIdentity, TheEditorGetsTheRecordedModuleHandle) {
  void* const before = ModuleInstance();
  int module = 0;
  RecordModuleInstance(&module);
  Morvane plug(nullptr);
  RecordModuleInstance(before);
  ASSERT_NE(plug.GetEditor(), nullptr);
  EXPECT_EQ(plug.Graphics()->GetModule(), &module);
}

TEST(MorvaneParameters, GainKnobPutsZeroDbInTheMiddle) {
  Morvane plug(nullptr);
  IParameter* gain = plug.GetParam(Morvane::kGain);
  EXPECT_NEAR(gain->NormalizedValue(), 0.5028, 5e-5);
  EXPECT_DOUBLE_EQ(gain->NormalizedValue(), std::pow(0.94, 1.0 / 0.09));
  gain->SetFromNormalized(1.0);
  EXPECT_DOUBLE_EQ(gain->Value(), 6.0);
  gain->SetFromNormalized(0.0);
  EXPECT_DOUBLE_EQ(gain->Value(), -94.0);
}

// Reaches the editor's value texts, which the editor's construction fills in.
class MorvaneWithTexts : public Morvane {
public:
  MorvaneWithTexts() : Morvane(nullptr) {
    mAttackText = &attackText;
    mSustainText = &sustainText;
  }
  IBitmapTextControl attackText;
  IBitmapTextControl sustainText;

  // What the editor's thread shows after its next refresh.
  const char* AttackShown() {
    attackText.ApplyHandedOver();
    return attackText.GetText();
  }
  const char* SustainShown() {
    sustainText.ApplyHandedOver();
    return sustainText.GetText();
  }
};

void SetParam(Morvane& plug, int idx, double v) {
  plug.GetParam(idx)->Set(v);
  plug.ParamChanged(idx);
}

TEST(MorvaneValueTexts, OpeningFillsThemAndChangesRefreshThem) {
  MorvaneWithTexts plug;
  EXPECT_STREQ(plug.AttackShown(), "");
  plug.NotifyAllParams();
  EXPECT_STREQ(plug.AttackShown(), "0.00 %");
  EXPECT_STREQ(plug.SustainShown(), "0.00 %");

  const struct {
    double v;
    const char* text;
  } cases[] = {{-100, "-100 %"}, {-10, "-10.0 %"}, {-9.99, "-9.99 %"}, {0, "0.00 %"}, {100, "100 %"}};
  for (const auto& c : cases) {
    SetParam(plug, Morvane::kAttack, c.v);
    EXPECT_STREQ(plug.AttackShown(), c.text);
  }
  SetParam(plug, Morvane::kSustain, 50.0);
  EXPECT_STREQ(plug.SustainShown(), "50.0 %");
  EXPECT_STREQ(plug.AttackShown(), "100 %");
}

TEST(MorvaneValueTexts, SameValueTwiceMarksTheTextDirtyOnce) {
  MorvaneWithTexts plug;
  plug.NotifyAllParams();
  SetParam(plug, Morvane::kAttack, 42.0);
  plug.AttackShown();
  EXPECT_TRUE(plug.attackText.NeedsDraw());
  plug.SustainShown();
  plug.attackText.MarkDrawn();
  plug.sustainText.MarkDrawn();
  SetParam(plug, Morvane::kAttack, 42.0);
  EXPECT_STREQ(plug.AttackShown(), "42.0 %");
  EXPECT_FALSE(plug.attackText.NeedsDraw());
  EXPECT_FALSE(plug.sustainText.NeedsDraw());
}

// Shapes a burst on both channels and returns the left output.
std::vector<double> Shape(Morvane& plug) {
  std::vector<double> in(2000), outL(2000), outR(2000);
  for (size_t i = 0; i < in.size(); ++i) in[i] = (i % 500 < 20 ? 0.9 : 0.1) * (i % 2 ? 1.0 : -1.0);
  double* ins[2] = {in.data(), in.data()};
  double* outs[2] = {outL.data(), outR.data()};
  plug.ProcessBlock(ins, outs, static_cast<int>(in.size()));
  return outL;
}

// Indices outside the list change neither the sound nor the value texts; an
// instance without value texts (no editor) sounds the same as one with them.
TEST(MorvaneParamChanged, OnlyTheParametersThemselvesChangeTheSound) {
  MorvaneWithTexts plug;
  Morvane bare(nullptr, nullptr);  // no editor, no value texts
  for (Morvane* p : {static_cast<Morvane*>(&plug), &bare}) {
    p->NotifyAllParams();
    SetParam(*p, Morvane::kAttack, 80.0);
    SetParam(*p, Morvane::kSustain, -40.0);
  }
  plug.AttackShown();
  plug.attackText.MarkDrawn();
  plug.ParamChanged(-1);
  plug.ParamChanged(Morvane::kNumParams);
  plug.ParamChanged(1000);
  plug.AttackShown();
  EXPECT_FALSE(plug.attackText.NeedsDraw());
  EXPECT_STREQ(plug.AttackShown(), "80.0 %");
  const std::vector<double> shaped = Shape(plug);
  EXPECT_EQ(shaped, Shape(bare));

  Morvane neutral(nullptr, nullptr);
  neutral.NotifyAllParams();
  EXPECT_NE(shaped, Shape(neutral));  // the settings do change the sound
}

TEST(MorvaneParamChanged, WaitsForTheInstanceLock) {
  Morvane plug(nullptr);
  plug.NotifyAllParams();
  EXPECT_TRUE(morvane_test::WaitsForLock(plug.Lock(), [&] { plug.ParamChanged(Morvane::kGain); }));
}

}  // namespace
