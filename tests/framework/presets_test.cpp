// Program state, presets and the bank, byte for byte.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "framework/IEffectBase.h"
#include "tests/framework/TestEffect.h"

namespace {

using morvane_test::Call;
using morvane_test::FakeEditor;
using morvane_test::MorvaneConfig;
using morvane_test::TestEffect;

std::vector<uint8_t> Bytes(const StateChunk& c) {
  const uint8_t* p = c.GetBytes();
  return p ? std::vector<uint8_t>(p, p + c.Size()) : std::vector<uint8_t>();
}

void AppendDouble(std::vector<uint8_t>* bytes, double v) {
  uint8_t b[8];
  std::memcpy(b, &v, 8);
  bytes->insert(bytes->end(), b, b + 8);
}

const std::vector<uint8_t> kHeader = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};

std::vector<uint8_t> DefaultState() {
  std::vector<uint8_t> bytes;
  for (double v : {0.0, 0.0, 0.0, 5.0, 0.0, 0.0, 0.0, 500.0}) AppendDouble(&bytes, v);
  return bytes;
}

void FillChunk(StateChunk& c, const std::vector<uint8_t>& bytes) {
  c.Clear();
  c.PutBytes(bytes.data(), static_cast<int>(bytes.size()));
}

std::vector<double> Values(const TestEffect& fx) {
  std::vector<double> v;
  for (int i = 0; i < fx.ParamCount(); ++i) v.push_back(fx.GetParam(i)->Value());
  return v;
}

// ---- program state -----------------------------------------------------------------

TEST(Presets, SerializeParamsAppendsInIndexOrder) {
  TestEffect fx;
  fx.GetParam(4)->Set(-12.5);
  StateChunk c;
  c.Put(uint8_t{0xAA});
  EXPECT_TRUE(fx.SerializeParams(&c));
  ASSERT_EQ(c.Size(), 65);
  double v = 0;
  EXPECT_EQ(c.Get(&v, 1 + 4 * 8), 1 + 5 * 8);
  EXPECT_EQ(v, -12.5);
  EXPECT_FALSE(fx.SerializeParams(nullptr));
}

TEST(Presets, RestoreProgramChunk) {
  TestEffect fx;
  std::vector<uint8_t> bytes = kHeader;
  for (double v : {10.0, 1000.0, 20.0, 7.0, -3.0, 50.0, 60.0, 700.0}) AppendDouble(&bytes, v);
  StateChunk c;
  FillChunk(c, bytes);
  int pos = 0;
  EXPECT_EQ(StateChunk::ReadChunkHeader(c, &pos), 0x10000);
  fx.calls.clear();
  EXPECT_EQ(fx.LoadState(&c, pos), 72);
  EXPECT_EQ(Values(fx), (std::vector<double>{10, 100, 20, 7, -3, 50, 60, 700}));  // 1000 limited to 100
  const auto changed = fx.CallsNamed("ParamChanged");
  ASSERT_EQ(changed.size(), 8u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(changed[i].idx, i);
}

TEST(Presets, UnserializeFromANegativePositionSetsNothing) {
  TestEffect fx;
  StateChunk c;
  FillChunk(c, DefaultState());
  fx.GetParam(0)->Set(33.0);
  EXPECT_EQ(fx.UnserializeParams(&c, -1), -1);
  EXPECT_EQ(fx.GetParam(0)->Value(), 33.0);
  EXPECT_EQ(fx.UnserializeParams(nullptr, 0), -1);
  EXPECT_EQ(fx.GetParam(0)->Value(), 33.0);
}

TEST(Presets, NaNInAChunkKeepsTheValue) {
  TestEffect fx;
  std::vector<uint8_t> bytes = DefaultState();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::memcpy(bytes.data() + 8, &nan, 8);
  fx.GetParam(1)->Set(12.0);
  StateChunk c;
  FillChunk(c, bytes);
  EXPECT_EQ(fx.UnserializeParams(&c, 0), 64);
  EXPECT_EQ(fx.GetParam(1)->Value(), 12.0);
}

// ---- presets -----------------------------------------------------------------------

TEST(Presets, FillDefaultPresets) {
  TestEffect fx(MorvaneConfig("1-1 2-2", 3), false);
  fx.FillDefaultPresets("-", 1);
  EXPECT_TRUE(fx.GetPreset(0)->mInitialized);
  EXPECT_STREQ(fx.GetPresetName(0), "-");
  EXPECT_EQ(Bytes(fx.GetPreset(0)->mChunk), DefaultState());
  EXPECT_FALSE(fx.GetPreset(1)->mInitialized);
  fx.GetParam(0)->Set(42.0);
  fx.FillDefaultPresets(nullptr, 5);  // fills what is left; extra repetitions do nothing
  EXPECT_STREQ(fx.GetPresetName(1), "Empty");
  EXPECT_STREQ(fx.GetPresetName(2), "Empty");
  EXPECT_TRUE(fx.GetPreset(2)->mInitialized);
  double v = 0;
  fx.GetPreset(2)->mChunk.Get(&v, 0);
  EXPECT_EQ(v, 42.0);
  EXPECT_EQ(fx.GetPreset(0)->mChunk.Size(), 64);  // untouched
  fx.FillDefaultPresets("x", INT32_MAX);  // returns at once when none is blank
  EXPECT_STREQ(fx.GetPresetName(2), "Empty");
}

TEST(Presets, FillDefaultPresetsAsTheEntryPointDoes) {
  TestEffect fx;
  fx.FillDefaultPresets("Empty", fx.PresetCount());
  EXPECT_STREQ(fx.GetPresetName(0), "-");
}

TEST(Presets, LoadInitialisedPreset) {
  TestEffect fx;
  std::vector<Call> log;
  fx.AttachEditor(new FakeEditor(&log));
  fx.GetParam(0)->Set(-70.0);
  fx.GetParam(7)->Set(100.0);
  fx.calls.clear();
  log.clear();
  EXPECT_TRUE(fx.LoadPreset(0));
  EXPECT_EQ(Values(fx), (std::vector<double>{0, 0, 0, 5, 0, 0, 0, 500}));
  EXPECT_EQ(fx.GetPresetIndex(), 0);
  // ParamChanged for every parameter, then OnPresetsEdited, then the controls.
  ASSERT_EQ(fx.calls.size(), 9u);
  EXPECT_EQ(fx.calls[8].what, "OnPresetsEdited");
  ASSERT_EQ(log.size(), 8u);
  EXPECT_EQ(log[7], (Call{"ParamValueChanged", 7, 500.0 / 750.0, true}));
  EXPECT_FALSE(fx.LoadPreset(1));
  EXPECT_FALSE(fx.LoadPreset(-1));
}

TEST(Presets, LoadBlankPresetNamesItUserPreset) {
  TestEffect fx(MorvaneConfig("1-1 2-2", 4), false);
  fx.FillDefaultPresets("-", 1);
  std::strcpy(fx.GetPreset(1)->mName, "my user preset");
  fx.GetPreset(1)->mInitialized = true;
  std::strcpy(fx.GetPreset(2)->mName, "user preset 7");
  fx.GetPreset(2)->mInitialized = true;
  fx.GetParam(1)->Set(-25.0);
  fx.calls.clear();
  EXPECT_TRUE(fx.LoadPreset(3));
  EXPECT_STREQ(fx.GetPresetName(3), "user preset 3");
  EXPECT_TRUE(fx.GetPreset(3)->mInitialized);
  EXPECT_EQ(fx.GetPresetIndex(), 3);
  double v = 0;
  fx.GetPreset(3)->mChunk.Get(&v, 8);
  EXPECT_EQ(v, -25.0);
  EXPECT_EQ(fx.CallsNamed("ParamChanged").size(), 0u);  // nothing restored
  EXPECT_EQ(fx.CallsNamed("OnPresetsEdited").size(), 1u);
}

TEST(Presets, ModifyCurrentPreset) {
  TestEffect fx;
  fx.GetParam(3)->Set(12.0);
  fx.ModifyCurrentPreset();
  EXPECT_STREQ(fx.GetPresetName(0), "-");
  double v = 0;
  fx.GetPreset(0)->mChunk.Get(&v, 3 * 8);
  EXPECT_EQ(v, 12.0);
  EXPECT_EQ(fx.GetPreset(0)->mChunk.Size(), 64);  // rewritten, not appended
  fx.ModifyCurrentPreset("");
  EXPECT_STREQ(fx.GetPresetName(0), "-");
  fx.ModifyCurrentPreset("Punchy");
  EXPECT_STREQ(fx.GetPresetName(0), "Punchy");
  const std::string longName(400, 'z');
  fx.ModifyCurrentPreset(longName.c_str());
  EXPECT_EQ(std::strlen(fx.GetPresetName(0)), 255u);
}

// ---- the bank -----------------------------------------------------------------------

TEST(Presets, BankWithBlankPreset) {
  TestEffect fx(MorvaneConfig("1-1 2-2", 2));
  StateChunk c;
  EXPECT_TRUE(fx.SerializePresets(&c));
  // "-" initialised (4 + 1 + 1 + 64), then "empty" blank (4 + 5 + 1).
  ASSERT_EQ(c.Size(), 70 + 10);
  EXPECT_EQ(c.GetBytes()[70], 5);
  EXPECT_EQ(std::memcmp(c.GetBytes() + 74, "empty", 5), 0);
  EXPECT_EQ(c.GetBytes()[79], 0);
}

TEST(Presets, BankRoundTrip) {
  TestEffect source(MorvaneConfig("1-1 2-2", 3), false);
  source.FillDefaultPresets("first", 1);
  source.GetParam(0)->Set(-60.0);
  source.FillDefaultPresets("second", 1);
  source.GetParam(0)->Set(80.0);
  source.FillDefaultPresets("third", 1);
  StateChunk bank;
  StateChunk::StartChunk(bank);
  ASSERT_TRUE(source.SerializePresets(&bank));

  TestEffect target(MorvaneConfig("1-1 2-2", 3));
  int pos = 0;
  ASSERT_EQ(StateChunk::ReadChunkHeader(bank, &pos), 0x10000);
  target.calls.clear();
  EXPECT_EQ(target.UnserializePresets(&bank, pos), bank.Size());
  EXPECT_STREQ(target.GetPresetName(0), "first");
  EXPECT_STREQ(target.GetPresetName(1), "second");
  EXPECT_STREQ(target.GetPresetName(2), "third");
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(target.GetPreset(i)->mInitialized);
  EXPECT_EQ(Bytes(target.GetPreset(1)->mChunk), Bytes(source.GetPreset(1)->mChunk));
  // The current preset (0) is loaded last.
  EXPECT_EQ(target.GetParam(0)->Value(), 0.0);
  EXPECT_EQ(target.GetPresetIndex(), 0);
}

TEST(Presets, BankValuesAreLimitedWhenStored) {
  TestEffect fx;
  std::vector<uint8_t> bytes = kHeader;
  bytes.insert(bytes.end(), {0x01, 0x00, 0x00, 0x00, 'P', 0x01});
  for (double v : {500.0, 0.0, 0.0, 5.0, 0.0, 0.0, 0.0, 500.0}) AppendDouble(&bytes, v);
  StateChunk c;
  FillChunk(c, bytes);
  EXPECT_EQ(fx.UnserializePresets(&c, 8), 78);
  EXPECT_STREQ(fx.GetPresetName(0), "P");
  double v = 0;
  fx.GetPreset(0)->mChunk.Get(&v, 0);
  EXPECT_EQ(v, 100.0);
  EXPECT_EQ(fx.GetParam(0)->Value(), 100.0);
}

TEST(Presets, BankEntryWithEmptyName) {
  TestEffect fx;
  std::vector<uint8_t> bytes = kHeader;
  bytes.insert(bytes.end(), {0x00, 0x00, 0x00, 0x00, 0x01});
  for (double v : {1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0}) AppendDouble(&bytes, v);
  StateChunk c;
  FillChunk(c, bytes);
  EXPECT_EQ(fx.UnserializePresets(&c, 8), 8 + 4 + 1 + 64);
  EXPECT_STREQ(fx.GetPresetName(0), "");
  EXPECT_EQ(Values(fx), (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(Presets, BankEntryMarkedBlank) {
  TestEffect fx(MorvaneConfig("1-1 2-2", 2));
  fx.FillDefaultPresets("Empty", 2);
  std::vector<uint8_t> bytes = kHeader;
  bytes.insert(bytes.end(), {0x01, 0x00, 0x00, 0x00, 'A', 0x01});
  const std::vector<uint8_t> state = DefaultState();
  bytes.insert(bytes.end(), state.begin(), state.end());
  bytes.insert(bytes.end(), {0x02, 0x00, 0x00, 0x00, 'n', 'o', 0x00});
  StateChunk c;
  FillChunk(c, bytes);
  EXPECT_EQ(fx.UnserializePresets(&c, 8), static_cast<int>(bytes.size()));
  EXPECT_FALSE(fx.GetPreset(1)->mInitialized);
  EXPECT_STREQ(fx.GetPresetName(1), "no");
  EXPECT_EQ(fx.GetPreset(1)->mChunk.Size(), 64);  // the chunk stays as it was
}

TEST(Presets, BankMarkingTheCurrentPresetBlank) {
  TestEffect fx;
  std::vector<uint8_t> bytes = kHeader;
  bytes.insert(bytes.end(), {0x02, 0x00, 0x00, 0x00, 'n', 'o', 0x00});
  StateChunk c;
  FillChunk(c, bytes);
  fx.GetParam(0)->Set(-1.0);
  EXPECT_EQ(fx.UnserializePresets(&c, 8), 15);
  // The final LoadPreset of the now blank current preset makes it a user preset
  // holding the current values.
  EXPECT_TRUE(fx.GetPreset(0)->mInitialized);
  EXPECT_STREQ(fx.GetPresetName(0), "user preset 1");
  double v = 0;
  fx.GetPreset(0)->mChunk.Get(&v, 0);
  EXPECT_EQ(v, -1.0);
  EXPECT_EQ(fx.GetPreset(0)->mChunk.Size(), 64);
}

TEST(Presets, BankWithOversizedNameLengthFails) {
  TestEffect fx;
  std::vector<uint8_t> bytes = kHeader;
  bytes.insert(bytes.end(), {0xFF, 0xFF, 0xFF, 0x7F, 'x', 0x01});
  StateChunk c;
  FillChunk(c, bytes);
  EXPECT_EQ(fx.UnserializePresets(&c, 8), -1);
  EXPECT_STREQ(fx.GetPresetName(0), "-");  // refused whole: nothing changed
  EXPECT_TRUE(fx.GetPreset(0)->mInitialized);
  EXPECT_EQ(Values(fx), (std::vector<double>{0, 0, 0, 5, 0, 0, 0, 500}));
}

TEST(Presets, BankNamesLongerThan255AreCut) {
  TestEffect fx;
  StateChunk c;
  const std::string longName(300, 'q');
  c.PutStr(longName.c_str());
  c.Put(uint8_t{1});
  const std::vector<uint8_t> state = DefaultState();
  c.PutBytes(state.data(), 64);
  EXPECT_EQ(fx.UnserializePresets(&c, 0), c.Size());
  EXPECT_EQ(std::string(fx.GetPresetName(0)), longName.substr(0, 255));
}

// An incomplete bank is refused whole: no name, flag, stored state or value
// changes, and the plug-in hears of no change.
TEST(Presets, ShortBankChangesNothing) {
  TestEffect fx(MorvaneConfig("1-1 2-2", 2));
  fx.GetParam(0)->Set(-70.0);
  StateChunk c;
  c.PutStr("A");
  c.Put(uint8_t{1});
  for (double v : {10.0, 20.0}) c.Put(v);
  fx.calls.clear();
  EXPECT_EQ(fx.UnserializePresets(&c, 0), -1);
  EXPECT_STREQ(fx.GetPresetName(0), "-");
  EXPECT_STREQ(fx.GetPresetName(1), "empty");
  EXPECT_EQ(Values(fx), (std::vector<double>{-70, 0, 0, 5, 0, 0, 0, 500}));
  EXPECT_TRUE(fx.calls.empty());
}

TEST(Presets, BankWithFewerPresetsLeavesTheRest) {
  TestEffect source;
  source.ModifyCurrentPreset("solo");
  StateChunk bank;
  ASSERT_TRUE(source.SerializePresets(&bank));

  TestEffect fx(MorvaneConfig("1-1 2-2", 2));
  fx.ModifyCurrentPreset("before");
  std::strcpy(fx.GetPreset(1)->mName, "second");
  fx.GetPreset(1)->mInitialized = true;
  EXPECT_EQ(fx.UnserializePresets(&bank, 0), -1);  // the bank did not cover every preset
  EXPECT_STREQ(fx.GetPresetName(0), "before");
  EXPECT_STREQ(fx.GetPresetName(1), "second");
  EXPECT_TRUE(fx.GetPreset(1)->mInitialized);
}

TEST(Presets, SerializePresetsReportsFailure) {
  TestEffect fx;
  EXPECT_FALSE(fx.SerializePresets(nullptr));
}

}  // namespace
