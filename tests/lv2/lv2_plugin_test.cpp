// The LV2 plug-in binary as an LV2 host drives it, through lilv and our own
// host: the same samples as the VST2 library for the same settings, the
// program state the VST2 library saves, refused states that change nothing,
// the overload lamp's control output, and a run that allocates nothing.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/host/HostRound.h"
#include "tests/lv2/Lv2TestHost.h"
#include "tests/vst2/AllocationCount.h"

using allocation_count::tAllocations;
using allocation_count::tCounting;

namespace {

using lv2test::Instance;
using lv2test::StateValue;
using lv2test::Vst2Instance;
using lv2test::World;

constexpr const char* kStateKey = "https://bexo.audio/plugins/morvane#program";
constexpr const char* kChunkType = "http://lv2plug.in/ns/ext/atom#Chunk";

// One setting: the port symbol, the VST2 parameter index and a plain value
// that a float holds exactly.
struct Setting {
  const char* symbol;
  int index;
  float value;
};

const Setting kShaped[] = {{"attack", 0, 60.0f},        {"sustain", 1, -50.0f},        {"attack_link", 2, 40.0f},
                           {"attack_length", 3, 12.5f}, {"gain", 4, -3.5f},            {"sc_hpf", 5, 30.0f},
                           {"sustain_link", 6, 100.0f}, {"sustain_length", 7, 300.0f}};
const Setting kOther[] = {{"attack", 0, -80.0f}, {"sustain", 1, 45.0f}, {"gain", 4, 2.25f}};

class Lv2Plugin : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_NE(world.Plugin(), nullptr) << "the bundle " MORVANE_LV2_BUNDLE " does not describe the plug-in";
    // The test host's drum input, a different one on each side.
    const std::vector<double> left = hosttest::DrumInput(44100, 11), right = hosttest::DrumInput(44100, 23);
    inL.assign(left.begin(), left.end());
    inR.assign(right.begin(), right.end());
  }

  World world;
  std::vector<float> inL, inR;
};

template <size_t N>
void Apply(Instance& lv2, Vst2Instance& vst2, const Setting (&settings)[N]) {
  for (const Setting& s : settings) {
    lv2.Set(s.symbol, s.value);
    vst2.Set(s.index, s.value);
  }
}

// The samples must be the same bits, not merely close.
void ExpectSameSamples(const std::vector<float>& lv2, const std::vector<float>& vst2) {
  ASSERT_EQ(lv2.size(), vst2.size());
  size_t differing = 0, first = 0;
  for (size_t i = 0; i < lv2.size(); ++i) {
    if (std::memcmp(&lv2[i], &vst2[i], sizeof(float)) != 0 && differing++ == 0) first = i;
  }
  EXPECT_EQ(differing, 0u) << "first at frame " << first << ": LV2 " << lv2[first] << ", VST2 " << vst2[first];
}

TEST_F(Lv2Plugin, SoundsLikeTheVst2LibraryThroughSettingsChangedBetweenRuns) {
  for (bool withFeatures : {true, false}) {
    Instance lv2(world, 44100.0, withFeatures);
    Vst2Instance vst2(MORVANE_VST2_PLUGIN);
    ASSERT_TRUE(lv2.Ok() && vst2.Ok());
    std::vector<float> lv2L, lv2R, vstL, vstR;
    const std::vector<float> firstL(inL.begin(), inL.begin() + 20000), firstR(inR.begin(), inR.begin() + 20000);
    const std::vector<float> restL(inL.begin() + 20000, inL.end()), restR(inR.begin() + 20000, inR.end());
    // Blocks of other lengths on each side: the result does not depend on them.
    Apply(lv2, vst2, kShaped);
    lv2.Process(firstL, firstR, &lv2L, &lv2R, 333);
    vst2.Process(firstL, firstR, &vstL, &vstR);
    Apply(lv2, vst2, kOther);
    lv2.Process(restL, restR, &lv2L, &lv2R, 4096);
    vst2.Process(restL, restR, &vstL, &vstR);
    SCOPED_TRACE(withFeatures ? "with urid:map and options" : "with no features");
    ExpectSameSamples(lv2L, vstL);
    ExpectSameSamples(lv2R, vstR);
  }
}

TEST_F(Lv2Plugin, SavesTheProgramChunkOfTheVst2Library) {
  Instance lv2(world);
  Vst2Instance vst2(MORVANE_VST2_PLUGIN);
  ASSERT_TRUE(lv2.Ok() && vst2.Ok());
  Apply(lv2, vst2, kShaped);
  std::vector<float> outL, outR;
  lv2.Process(inL, inR, &outL, &outR);  // the ports take effect at a run

  std::vector<StateValue> saved;
  ASSERT_EQ(lv2.Save(&saved), LV2_STATE_SUCCESS);
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0].key, kStateKey);
  EXPECT_EQ(saved[0].type, kChunkType);
  EXPECT_EQ(saved[0].flags, static_cast<uint32_t>(LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE));
  EXPECT_EQ(saved[0].bytes.size(), 72u);
  EXPECT_EQ(saved[0].bytes, vst2.ProgramChunk());
}

TEST_F(Lv2Plugin, RestoresAVst2PresetAndThenThePortsDecide) {
  Vst2Instance vst2(MORVANE_VST2_PLUGIN);
  ASSERT_TRUE(vst2.Ok());
  for (const Setting& s : kShaped) vst2.Set(s.index, s.value);
  StateValue preset{kStateKey, vst2.ProgramChunk(), kChunkType, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE};

  Instance lv2(world);
  ASSERT_TRUE(lv2.Ok());
  ASSERT_EQ(lv2.Restore(preset), LV2_STATE_SUCCESS);
  std::vector<StateValue> saved;
  ASSERT_EQ(lv2.Save(&saved), LV2_STATE_SUCCESS);
  EXPECT_EQ(saved.at(0).bytes, preset.bytes);

  // The host sets the ports after restoring: the next run takes them all,
  // even those equal to what the instance last took from its ports.
  for (const Setting& s : kShaped) lv2.Set(s.symbol, s.value);
  lv2.Set("attack", 0.0f);  // the default, which the ports held before the restore
  std::vector<float> outL, outR, vstL, vstR;
  lv2.Process(inL, inR, &outL, &outR);
  vst2.Set(0, 0.0f);
  vst2.Process(inL, inR, &vstL, &vstR);
  ExpectSameSamples(outL, vstL);
  ExpectSameSamples(outR, vstR);
}

TEST_F(Lv2Plugin, RefusesStatesOfAnotherSizeTypeOrHeaderAndChangesNothing) {
  Instance lv2(world);
  Vst2Instance vst2(MORVANE_VST2_PLUGIN);
  ASSERT_TRUE(lv2.Ok() && vst2.Ok());
  for (const Setting& s : kOther) vst2.Set(s.index, s.value);
  const std::vector<uint8_t> good = vst2.ProgramChunk();
  ASSERT_EQ(good.size(), 72u);

  std::vector<StateValue> before;
  ASSERT_EQ(lv2.Save(&before), LV2_STATE_SUCCESS);
  std::vector<StateValue> bad;
  bad.push_back({kStateKey, std::vector<uint8_t>(good.begin(), good.end() - 1), kChunkType, 0});
  bad.push_back({kStateKey, good, kChunkType, 0});
  bad.back().bytes.push_back(0);
  bad.push_back({kStateKey, std::vector<uint8_t>(good.begin() + 8, good.end()), kChunkType, 0});  // no header
  bad.push_back({kStateKey, good, "http://lv2plug.in/ns/ext/atom#String", 0});
  bad.push_back({kStateKey, good, kChunkType, 0});
  bad.back().bytes[0] ^= 0xFF;  // not the magic
  bad.push_back({kStateKey, {}, kChunkType, 0});
  bad.push_back({"https://bexo.audio/plugins/morvane#other", good, kChunkType, 0});
  for (size_t i = 0; i < bad.size(); ++i) {
    EXPECT_NE(lv2.Restore(bad[i]), LV2_STATE_SUCCESS) << "state " << i;
    std::vector<StateValue> after;
    ASSERT_EQ(lv2.Save(&after), LV2_STATE_SUCCESS);
    EXPECT_EQ(after.at(0).bytes, before.at(0).bytes) << "state " << i;
  }

  // Without urid:map (as lv2apply runs it) there is no state to save or restore.
  Instance bare(world, 44100.0, false);
  std::vector<StateValue> none;
  EXPECT_EQ(bare.Save(&none), LV2_STATE_ERR_NO_FEATURE);
  EXPECT_TRUE(none.empty());
}

TEST_F(Lv2Plugin, LampOutputLightsOnOverloadAndGoesDarkAfterIt) {
  Instance lv2(world);
  ASSERT_TRUE(lv2.Ok());
  std::vector<float> outL, outR;
  lv2.Process(inL, inR, &outL, &outR);
  EXPECT_LT(lv2.Get("lamp"), 1.0f);
  const std::vector<float> loud(4410, 1.5f), silence(44100 * 3, 0.0f);
  lv2.Process(loud, loud, &outL, &outR);
  EXPECT_EQ(lv2.Get("lamp"), 1.0f);
  lv2.Process(silence, silence, &outL, &outR);
  EXPECT_LT(lv2.Get("lamp"), 0.5f);
  EXPECT_GE(lv2.Get("lamp"), 0.0f);
}

TEST_F(Lv2Plugin, RunAllocatesNothingWhilePortsChange) {
  if (!MORVANE_COUNT_ALLOCATIONS) GTEST_SKIP() << "the sanitizer's allocator cannot be interposed";
  Instance lv2(world);
  ASSERT_TRUE(lv2.Ok());
  std::vector<float> outL, outR;
  outL.reserve(inL.size() * 3);
  outR.reserve(inR.size() * 3);
  const std::vector<float> loud(4096, 1.5f);
  lv2.aroundRun = [](bool running) { tCounting = running; };
  for (const Setting& s : kShaped) lv2.Set(s.symbol, s.value);
  lv2.Process(inL, inR, &outL, &outR, 4096);
  for (const Setting& s : kOther) lv2.Set(s.symbol, s.value);
  lv2.Process(loud, loud, &outL, &outR, 4096);
  EXPECT_EQ(tAllocations, 0);
}

}  // namespace
