// The plug-in base: construction, channels, buffer plumbing,
// parameters from the editor, the editor object.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <vector>

#include "framework/IEffectBase.h"
#include "framework/Trace.h"
#include "tests/framework/LockProbe.h"
#include "tests/framework/TestEffect.h"

namespace {

using morvane_test::Call;
using morvane_test::FakeEditor;
using morvane_test::FinishesOrAbort;
using morvane_test::MorvaneConfig;
using morvane_test::TestEffect;
using morvane_test::WaitsForLock;

// ---- construction -----------------------------------------------------------

TEST(EffectBase, ConstructionTakesTheConfigurationAndStartsNeutral) {
  TestEffect fx;
  EXPECT_EQ(fx.ParamCount(), 8);
  EXPECT_EQ(fx.PresetCount(), 1);
  EXPECT_STREQ(fx.GetEffectName(), "Morvane");
  EXPECT_STREQ(fx.GetProductName(), "");
  EXPECT_STREQ(fx.GetMakerName(), "Bexo");
  EXPECT_EQ(fx.GetUniqueID(), 0x4D766E71);
  EXPECT_EQ(fx.GetMakerID(), 0x4D766E71);
  EXPECT_EQ(fx.GetVersionMajor(), 1);
  EXPECT_EQ(fx.GetVersionMinor(), 0);
  EXPECT_EQ(fx.GetVersionPatch(), 1);
  EXPECT_EQ(fx.GetPresetIndex(), 0);
  EXPECT_EQ(fx.GetSampleRate(), 44100.0);
  EXPECT_EQ(fx.GetEditor(), nullptr);
  EXPECT_EQ(fx.IdentifyHost(), -1);  // not asked yet
  EXPECT_EQ(fx.GetHostVersion(), 0);
  EXPECT_EQ(fx.GetPluginApi(), 0);
  EXPECT_EQ(fx.GetParam(8), nullptr);
  EXPECT_EQ(fx.GetParam(-1), nullptr);
  char version[16];
  FormatVersion(fx.GetVersion(), version, sizeof version);
  EXPECT_STREQ(version, "v1.0.1");
}

TEST(EffectBase, BlankBaseBeforeTheAdapter) {
  IEffectConfig config = MorvaneConfig();
  TestEffect fx(config, false);
  EXPECT_FALSE(fx.GetPreset(0)->mInitialized);
  EXPECT_STREQ(fx.GetPresetName(0), "empty");
  EXPECT_EQ(fx.GetPreset(0)->mChunk.Size(), 0);
  EXPECT_STREQ(fx.GetPresetName(1), "");
  EXPECT_STREQ(fx.GetPresetName(-1), "");
}

TEST(EffectBase, ChannelConfigurations) {
  TestEffect fx;
  ASSERT_EQ(fx.ChannelConfigCount(), 2);
  EXPECT_EQ(fx.GetChannelConfig(0)->nIn, 1);
  EXPECT_EQ(fx.GetChannelConfig(0)->nOut, 1);
  EXPECT_EQ(fx.GetChannelConfig(1)->nIn, 2);
  EXPECT_EQ(fx.GetChannelConfig(1)->nOut, 2);
  EXPECT_EQ(fx.GetChannelConfig(2), nullptr);
  EXPECT_TRUE(fx.LegalIO(1, -1));
  EXPECT_TRUE(fx.LegalIO(2, -1));
  EXPECT_TRUE(fx.LegalIO(2, 2));
  EXPECT_FALSE(fx.LegalIO(1, 2));
  EXPECT_FALSE(fx.LegalIO(3, -1));
}

TEST(EffectBase, ChannelTextVariants) {
  {
    TestEffect fx(MorvaneConfig("2-4"));
    ASSERT_EQ(fx.ChannelConfigCount(), 1);
    EXPECT_EQ(fx.InputCount(), 2);
    EXPECT_EQ(fx.OutputCount(), 4);
  }
  {
    TestEffect fx(MorvaneConfig("1-1  2-2"));  // doubled space: the pair after it twice
    ASSERT_EQ(fx.ChannelConfigCount(), 3);
    EXPECT_EQ(fx.GetChannelConfig(0)->nIn, 1);
    EXPECT_EQ(fx.GetChannelConfig(1)->nIn, 2);
    EXPECT_EQ(fx.GetChannelConfig(2)->nIn, 2);
    EXPECT_EQ(fx.GetChannelConfig(2)->nOut, 2);
  }
  {
    TestEffect fx(MorvaneConfig("0-2 x"));  // an unmatched field stays 0
    ASSERT_EQ(fx.ChannelConfigCount(), 2);
    EXPECT_EQ(fx.GetChannelConfig(1)->nIn, 0);
    EXPECT_EQ(fx.GetChannelConfig(1)->nOut, 0);
    EXPECT_EQ(fx.InputCount(), 0);
    EXPECT_EQ(fx.OutputCount(), 2);
    float out0[4] = {1, 1, 1, 1}, out1[4] = {1, 1, 1, 1};
    float* outs[2] = {out0, out1};
    fx.ProcessHostSingle(nullptr, outs, 4, false);  // no inputs: silence
    for (float v : out0) EXPECT_EQ(v, 0.0f);
  }
  {
    IEffectConfig c = MorvaneConfig();
    c.channelIOStr = nullptr;
    TestEffect fx(c);
    EXPECT_EQ(fx.ChannelConfigCount(), 1);
    EXPECT_EQ(fx.InputCount(), 0);
  }
}

TEST(EffectBase, LongNamesAreCut) {
  std::string longName(300, 'n');
  IEffectConfig c = MorvaneConfig();
  c.effectName = longName.c_str();
  c.makerName = nullptr;
  TestEffect fx(c);
  EXPECT_EQ(std::strlen(fx.GetEffectName()), 127u);
  EXPECT_STREQ(fx.GetMakerName(), "");
}

TEST(EffectBase, DestructorDeletesTheEditor) {
  std::vector<Call> log;
  bool deleted = false;
  {
    TestEffect fx;
    fx.AttachEditor(new FakeEditor(&log, &deleted));
    EXPECT_FALSE(deleted);
  }
  EXPECT_TRUE(deleted);
}

// ---- default hooks -------------------------------------------------------------

TEST(EffectBase, DefaultsGiveNeutralAnswers) {
  TestEffect fx;
  char name[8] = "junk";
  EXPECT_FALSE(fx.GetNoteName(60, name));
  EXPECT_STREQ(name, "");
  EXPECT_FALSE(fx.GetNoteName(60, nullptr));
  EXPECT_FALSE(fx.IsOffline());
  EXPECT_FALSE(fx.UnusedQuerySlot16());
  ISysExMessage sysex;
  EXPECT_FALSE(fx.SendSysExMessage(&sysex));
  fx.SetLatency(64);
  EXPECT_EQ(fx.GetLatency(), 64);
  fx.SetHostForTest(kHostReaper, 0x50201);
  EXPECT_EQ(fx.IdentifyHost(), kHostReaper);
}

// The no-op defaults still take the instance lock, so a plug-in that keeps
// them never sees a change while a block is being processed.
TEST(EffectBase, NoOpDefaultsWaitForTheInstanceLock) {
  TestEffect fx;
  EXPECT_TRUE(WaitsForLock(fx.Lock(), [&] { fx.IEffectBase::Reset(); }));
  EXPECT_TRUE(WaitsForLock(fx.Lock(), [&] { fx.IEffectBase::ParamChanged(0); }));
  EXPECT_TRUE(WaitsForLock(fx.Lock(), [&] { fx.IEffectBase::OnActiveChanged(true); }));
}

TEST(EffectBase, MidiPassesThrough) {
  TestEffect fx;
  IMidiMessage msg;
  msg.status = 0x90;
  msg.data1 = 60;
  fx.HandleMidi(&msg);
  const auto sent = fx.CallsNamed("SendMidi");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].idx, 0x90);
  EXPECT_EQ(sent[0].value, 60.0);
}

TEST(EffectBase, NotifyAllParamsInIndexOrder) {
  TestEffect fx;
  fx.calls.clear();
  fx.NotifyAllParams();
  const auto changed = fx.CallsNamed("ParamChanged");
  ASSERT_EQ(changed.size(), 8u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(changed[i].idx, i);
}

// ParamChanged takes the instance lock itself; the base calls it with the lock
// already held, so the lock must be re-entrant on the calling thread.
class LockingEffect : public TestEffect {
public:
  void ParamChanged(int paramIdx) override {
    ILockGuard guard(Lock());
    ILockGuard again(Lock());
    TestEffect::ParamChanged(paramIdx);
  }
};

TEST(EffectBase, ParamChangedMayTakeTheLockAgain) {
  LockingEffect fx;
  FinishesOrAbort("nested holds of the instance lock", [&] {
    ILockGuard held(fx.Lock());
    fx.NotifyAllParams();
    fx.SetParamFromEditor(1, 0.25);
    StateChunk c;
    fx.SaveState(&c);
    fx.LoadState(&c, 0);  // restoring takes the lock and calls every ParamChanged
  });
  EXPECT_EQ(fx.CallsNamed("ParamChanged").size(), 8u + 1u + 8u);
  EXPECT_EQ(fx.GetParam(1)->Value(), -50.0);
}

// ---- parameters from the editor -----------------------------------------------

TEST(EffectBase, SetParamFromEditor) {
  TestEffect fx;
  fx.calls.clear();
  fx.SetParamFromEditor(0, 0.75);
  EXPECT_DOUBLE_EQ(fx.GetParam(0)->Value(), 50.0);
  ASSERT_EQ(fx.calls.size(), 2u);
  EXPECT_EQ(fx.calls[0], (Call{"NotifyHostOfParam", 0, 0.75}));
  EXPECT_EQ(fx.calls[1], (Call{"ParamChanged", 0, 50.0}));
  fx.calls.clear();
  fx.SetParamFromEditor(8, 0.5);
  fx.SetParamFromEditor(-1, 0.5);
  EXPECT_TRUE(fx.calls.empty());
}

TEST(EffectBase, SetParamFromEditorReportsTheUnsnappedValue) {
  TestEffect fx;
  fx.GetParam(2)->DefineEnum("Mode", 0, 5);
  fx.calls.clear();
  fx.SetParamFromEditor(2, 0.3);  // 1.2 snaps to 1
  EXPECT_EQ(fx.GetParam(2)->Value(), 1.0);
  EXPECT_EQ(fx.CallsNamed("NotifyHostOfParam")[0].value, 0.3);
}

// ---- the editor object ------------------------------------------------------------

TEST(EffectBase, AttachEditorShowsEveryParameter) {
  TestEffect fx;
  std::vector<Call> log;
  fx.AttachEditor(nullptr);
  EXPECT_EQ(fx.GetEditor(), nullptr);
  auto* g = new FakeEditor(&log);
  fx.AttachEditor(g);
  EXPECT_EQ(fx.GetEditor(), g);
  ASSERT_EQ(log.size(), 8u);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(log[i].what, "ParamValueChanged");
    EXPECT_EQ(log[i].idx, i);
    EXPECT_DOUBLE_EQ(log[i].value, fx.GetParam(i)->NormalizedValue());
  }
  EXPECT_NEAR(log[4].value, 0.5028, 1e-4);
  EXPECT_DOUBLE_EQ(log[7].value, 500.0 / 750.0);
}

TEST(EffectBase, AttachingAnotherEditorDeletesTheFirst) {
  TestEffect fx;
  std::vector<Call> log;
  bool firstDeleted = false, secondDeleted = false;
  fx.AttachEditor(new FakeEditor(&log, &firstDeleted));
  auto* second = new FakeEditor(&log, &secondDeleted);
  fx.AttachEditor(second);
  EXPECT_TRUE(firstDeleted);
  EXPECT_FALSE(secondDeleted);
  fx.AttachEditor(second);  // the same object again: kept
  EXPECT_FALSE(secondDeleted);
  EXPECT_EQ(fx.GetEditor(), second);
}

TEST(EffectBase, RefreshParamControlsShowsEveryValue) {
  TestEffect fx;
  fx.RefreshParamControls();  // no editor: nothing happens
  std::vector<Call> log;
  fx.AttachEditor(new FakeEditor(&log));
  log.clear();
  fx.RefreshParamControls();
  ASSERT_EQ(log.size(), 8u);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(log[i], (Call{"ParamValueChanged", i, fx.GetParam(i)->NormalizedValue(), true}));
  }
}

// ---- StateMatches ------------------------------------------------------------------

// Positions count whole doubles: in a program chunk the header fills
// position 0 and parameter i is the double at position 1 + i.
TEST(EffectBase, StateMatchesReadsWholeDoublesFromItsPosition) {
  TestEffect fx;
  std::vector<uint8_t> chunk = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
  const double values[8] = {0, 0, 0, 5, 0, 0, 0, 500.000001};  // the last equal once narrowed to float
  for (double v : values) {
    uint8_t bytes[8];
    std::memcpy(bytes, &v, 8);
    chunk.insert(chunk.end(), bytes, bytes + 8);
  }
  EXPECT_TRUE(fx.StateMatches(chunk.data(), 1));
  EXPECT_FALSE(fx.StateMatches(chunk.data(), 0));
  fx.GetParam(7)->Set(501.0);
  EXPECT_FALSE(fx.StateMatches(chunk.data(), 1));
  EXPECT_FALSE(fx.StateMatches(nullptr, 0));
}

// ---- block size and scratch buffers ----------------------------------------------

TEST(EffectBase, SetBlockSizeZeroesScratchOnlyOnChange) {
  TestEffect fx;
  ASSERT_EQ(fx.GetInput(1)->scratch.Size(), 1024 * 8);
  ASSERT_EQ(fx.GetOutput(1)->scratch.Size(), 1024 * 8);
  auto* s = static_cast<double*>(fx.GetInput(1)->scratch.Data());
  s[3] = 1.5;
  fx.SetBlockSize(1024);
  EXPECT_EQ(static_cast<double*>(fx.GetInput(1)->scratch.Data())[3], 1.5);
  fx.SetBlockSize(512);
  EXPECT_EQ(fx.GetBlockSize(), 512);
  EXPECT_EQ(fx.GetInput(1)->scratch.Size(), 512 * 8);
  EXPECT_EQ(static_cast<double*>(fx.GetInput(1)->scratch.Data())[3], 0.0);
}

TEST(EffectBase, HugeBlockSizeKeepsTheOldOne) {
  TestEffect fx;
  fx.SetBlockSize(INT32_MAX);  // INT32_MAX doubles cannot be represented
  EXPECT_EQ(fx.GetBlockSize(), 1024);
  float in[2048], out[2048];
  for (int i = 0; i < 2048; ++i) in[i] = static_cast<float>(i);
  float* ins[2] = {in, in};
  float* outs[2] = {out, out};
  fx.ProcessHostSingle(ins, outs, 2048, false);
  for (int i = 0; i < 2048; ++i) ASSERT_EQ(out[i], in[i]);
}

// ---- connecting and disconnecting --------------------------------------------------

TEST(EffectBase, DisconnectingPointsTheSlotAtScratch) {
  TestEffect fx;
  EXPECT_TRUE(fx.GetInput(1)->connected);
  fx.SetInputConnected(1, false);
  EXPECT_FALSE(fx.GetInput(1)->connected);
  EXPECT_EQ(fx.InputSlots()[1], fx.GetInput(1)->scratch.Data());
  EXPECT_EQ(fx.GetInput(1)->src, &fx.InputSlots()[1]);
  fx.SetOutputConnected(0, false);
  EXPECT_EQ(fx.OutputSlots()[0], fx.GetOutput(0)->scratch.Data());
  fx.SetInputConnected(1, true);
  EXPECT_TRUE(fx.GetInput(1)->connected);
  fx.SetInputConnected(5, false);  // out of range: nothing
  fx.SetOutputConnected(-1, false);
}

TEST(EffectBase, DisconnectedSlotFollowsItsScratchAcrossBlockSizes) {
  TestEffect fx;
  fx.SetInputConnected(1, false);
  fx.SetOutputConnected(1, false);
  fx.SetBlockSize(100000);  // the scratch buffers move
  EXPECT_EQ(fx.InputSlots()[1], fx.GetInput(1)->scratch.Data());
  EXPECT_EQ(fx.OutputSlots()[1], fx.GetOutput(1)->scratch.Data());
  fx.SetBlockSize(0);
  EXPECT_EQ(fx.InputSlots()[1], nullptr);
}

TEST(EffectBase, LimitToStereo) {
  TestEffect fx(MorvaneConfig("4-4"));
  fx.SetOutputConnected(3, false);
  fx.LimitToStereo();
  EXPECT_TRUE(fx.GetInput(1)->connected);
  EXPECT_FALSE(fx.GetInput(2)->connected);
  EXPECT_FALSE(fx.GetInput(3)->connected);
  EXPECT_EQ(fx.InputSlots()[3], fx.GetInput(3)->scratch.Data());
  EXPECT_TRUE(fx.GetOutput(3)->connected);  // outputs above 2 are marked connected
  TestEffect stereo;
  stereo.LimitToStereo();
  EXPECT_TRUE(stereo.GetInput(1)->connected);
  EXPECT_TRUE(stereo.GetOutput(1)->connected);
}

// ---- buffer plumbing -----------------------------------------------------------------

TEST(EffectBase, DefaultProcessBlockPassesThrough) {
  TestEffect fx(MorvaneConfig("1-2"));
  double in[4] = {1, 2, 3, 4};
  double out0[4] = {9, 9, 9, 9}, out1[4] = {9, 9, 9, 9};
  double* ins[1] = {in};
  double* outs[2] = {out0, out1};
  fx.IEffectBase::ProcessBlock(ins, outs, 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(out0[i], in[i]);
    EXPECT_EQ(out1[i], 0.0);
  }
  float fin[2] = {1, 2}, fout0[2] = {9, 9}, fout1[2] = {9, 9};
  float* fins[1] = {fin};
  float* fouts[2] = {fout0, fout1};
  fx.ProcessBlockSingle(fins, fouts, 2);
  EXPECT_EQ(fout0[1], 2.0f);
  EXPECT_EQ(fout1[1], 0.0f);
}

TEST(EffectBase, DoubleBindingUsesTheHostBuffers) {
  TestEffect fx;
  double a[3] = {1, 2, 3}, b[3] = {4, 5, 6}, oa[3], ob[3];
  double* ins[2] = {a, b};
  double* outs[2] = {oa, ob};
  fx.BindInputBuffers(ins);
  fx.BindOutputBuffers(outs);
  EXPECT_EQ(fx.InputSlots()[0], a);
  EXPECT_EQ(fx.InputSlots()[1], b);
  EXPECT_EQ(fx.OutputSlots()[1], ob);
  fx.RunBlock(3);
  EXPECT_EQ(ob[2], 6.0);
  EXPECT_EQ(oa[0], 1.0);
}

TEST(EffectBase, HostIndexAdvancesOnlyOverConnectedChannels) {
  TestEffect fx;
  fx.SetInputConnected(0, false);
  double a[2] = {7, 8};
  double* ins[1] = {a};
  fx.BindInputBuffers(ins);
  EXPECT_EQ(fx.InputSlots()[1], a);
  EXPECT_EQ(fx.InputSlots()[0], fx.GetInput(0)->scratch.Data());
}

TEST(EffectBase, SingleBindingWidensIntoScratch) {
  TestEffect fx;
  float a[3] = {0.5f, 0.25f, -1.0f}, b[3] = {1, 2, 3};
  float oa[3] = {9, 9, 9}, ob[3] = {9, 9, 9};
  float* ins[2] = {a, b};
  float* outs[2] = {oa, ob};
  fx.BindInputBuffers(ins, 1, 2);
  const double* s0 = static_cast<const double*>(fx.GetInput(0)->scratch.Data());
  EXPECT_EQ(fx.InputSlots()[0], s0);
  EXPECT_EQ(s0[0], 0.25);
  EXPECT_EQ(s0[1], -1.0);
  fx.BindOutputBuffers(outs, 1);
  EXPECT_EQ(fx.GetOutput(1)->floatDest, ob + 1);
  EXPECT_EQ(fx.OutputSlots()[1], fx.GetOutput(1)->scratch.Data());
  fx.RunBlockSingle(2);
  EXPECT_EQ(oa[0], 9.0f);
  EXPECT_EQ(oa[1], 0.25f);
  EXPECT_EQ(oa[2], -1.0f);
  EXPECT_EQ(ob[2], 3.0f);
}

TEST(EffectBase, DisconnectedInputReadsItsScratch) {
  TestEffect fx;
  // A block while connected leaves the widened samples in the scratch buffer.
  float a[2] = {1, 2}, b[2] = {3, 4}, oa[2], ob[2];
  float* ins[2] = {a, b};
  float* outs[2] = {oa, ob};
  fx.ProcessHostSingle(ins, outs, 2, false);
  fx.SetInputConnected(1, false);
  float* ins1[1] = {a};
  fx.ProcessHostSingle(ins1, outs, 2, false);
  EXPECT_EQ(oa[1], 2.0f);
  EXPECT_EQ(ob[0], 3.0f);  // the last block widened into it
  EXPECT_EQ(ob[1], 4.0f);
  fx.SetBlockSize(512);  // zeros after a block-size change
  fx.ProcessHostSingle(ins1, outs, 2, false);
  EXPECT_EQ(ob[0], 0.0f);
}

float TestInput(int channel, int i) { return channel == 0 ? std::sin(0.01f * i) : std::cos(0.03f * i); }

// Processes `total` frames in host calls of `hostBlock` frames, in single
// precision with scratch buffers of `blockSize` frames, and returns the two
// outputs one after the other.
std::vector<float> RunSingle(int blockSize, int hostBlock, int total, bool accumulating,
                             std::vector<int>* lengths = nullptr) {
  TestEffect fx;
  fx.processing = TestEffect::Processing::kStatefulFilter;
  fx.SetBlockSize(blockSize);
  std::vector<float> in0(total), in1(total), out(2 * total, 0.25f);
  for (int i = 0; i < total; ++i) {
    in0[i] = TestInput(0, i);
    in1[i] = TestInput(1, i);
  }
  for (int start = 0; start < total; start += hostBlock) {
    const int n = std::min(hostBlock, total - start);
    float* ins[2] = {in0.data() + start, in1.data() + start};
    float* outs[2] = {out.data() + start, out.data() + total + start};
    fx.ProcessHostSingle(ins, outs, n, accumulating);
  }
  if (lengths) *lengths = fx.blockLengths;
  return out;
}

// Host calls longer than the scratch buffers run in pieces, and give exactly
// the narrowed result of one double-precision block of the widened input.
TEST(EffectBase, LongSingleBlocksGiveTheNarrowedDoubleResult) {
  const int total = 5000;
  TestEffect fx;
  fx.processing = TestEffect::Processing::kStatefulFilter;
  std::vector<double> in0(total), in1(total), out0(total), out1(total);
  for (int i = 0; i < total; ++i) {
    in0[i] = TestInput(0, i);
    in1[i] = TestInput(1, i);
  }
  double* ins[2] = {in0.data(), in1.data()};
  double* outs[2] = {out0.data(), out1.data()};
  fx.ProcessHostDouble(ins, outs, total);
  std::vector<float> replaced(2 * total), accumulated(2 * total);
  for (int i = 0; i < total; ++i) {
    replaced[i] = static_cast<float>(out0[i]);
    replaced[total + i] = static_cast<float>(out1[i]);
    accumulated[i] = 0.25f + replaced[i];
    accumulated[total + i] = 0.25f + replaced[total + i];
  }

  for (bool accumulating : {false, true}) {
    const std::vector<float>& expected = accumulating ? accumulated : replaced;
    std::vector<int> lengths;
    EXPECT_EQ(RunSingle(1024, total, total, accumulating, &lengths), expected) << accumulating;
    EXPECT_EQ(lengths, (std::vector<int>{1024, 1024, 1024, 1024, 904}));
    EXPECT_EQ(RunSingle(7, 333, total, accumulating), expected) << accumulating;
  }
}

TEST(EffectBase, NoScratchWritesSilenceOrLeavesAccumulatingOutputs) {
  for (int blockSize : {0, -5}) {
    TestEffect fx;
    fx.SetBlockSize(blockSize);
    float in[4] = {1, 2, 3, 4};
    float oa[4] = {9, 9, 9, 9}, ob[4] = {9, 9, 9, 9};
    float* ins[2] = {in, in};
    float* outs[2] = {oa, ob};
    fx.ProcessHostSingle(ins, outs, 4, true);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(oa[i], 9.0f);
    fx.ProcessHostSingle(ins, outs, 4, false);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ob[i], 0.0f);
    EXPECT_TRUE(fx.blockLengths.empty());
    // The plain operations do not crash either.
    fx.BindInputBuffers(ins, 0, 4);
    fx.BindOutputBuffers(outs, 0);
    fx.RunBlockSingle(4);
    fx.RunBlockAccumulating(4);
    EXPECT_TRUE(fx.blockLengths.empty());
  }
}

TEST(EffectBase, NonPositiveFrameCountsDoNothing) {
  TestEffect fx;
  float in[1] = {1}, out[1] = {9};
  float* ins[2] = {in, in};
  float* outs[2] = {out, out};
  fx.ProcessHostSingle(ins, outs, 0, false);
  fx.ProcessHostSingle(ins, outs, -3, false);
  double din[1] = {1}, dout[1] = {9};
  double* dins[2] = {din, din};
  double* douts[2] = {dout, dout};
  fx.ProcessHostDouble(dins, douts, 0);
  fx.ProcessHostDouble(dins, douts, -1);
  EXPECT_EQ(out[0], 9.0f);
  EXPECT_EQ(dout[0], 9.0);
  EXPECT_TRUE(fx.blockLengths.empty());
}

TEST(EffectBase, DoubleRunsInOnePieceWhenAllConnected) {
  TestEffect fx;
  std::vector<double> a(5000, 0.5), b(5000, -0.5), oa(5000), ob(5000);
  double* ins[2] = {a.data(), b.data()};
  double* outs[2] = {oa.data(), ob.data()};
  fx.ProcessHostDouble(ins, outs, 5000);
  EXPECT_EQ(fx.blockLengths, (std::vector<int>{5000}));
  EXPECT_EQ(fx.InputSlots()[0], a.data());
  EXPECT_EQ(oa[4999], 0.5);
  EXPECT_EQ(ob[4999], -0.5);
}

TEST(EffectBase, DoubleWithADisconnectedChannelRunsInPieces) {
  const int total = 3000;
  std::vector<double> in0(total), ref0(total), ref1(total), out0(total);
  for (int i = 0; i < total; ++i) in0[i] = std::sin(0.02 * i);
  {
    // Reference: one long block with both channels and a silent second input.
    TestEffect fx;
    fx.processing = TestEffect::Processing::kStatefulFilter;
    std::vector<double> zero(total, 0.0);
    double* ins[2] = {in0.data(), zero.data()};
    double* outs[2] = {ref0.data(), ref1.data()};
    fx.ProcessHostDouble(ins, outs, total);
  }
  TestEffect fx;
  fx.processing = TestEffect::Processing::kStatefulFilter;
  fx.SetInputConnected(1, false);
  fx.SetOutputConnected(1, false);
  double* ins[1] = {in0.data()};
  double* outs[1] = {out0.data()};
  fx.ProcessHostDouble(ins, outs, total);
  EXPECT_EQ(fx.blockLengths, (std::vector<int>{1024, 1024, 952}));
  EXPECT_EQ(out0, ref0);

  fx.SetBlockSize(0);
  std::fill(out0.begin(), out0.end(), 7.0);
  fx.ProcessHostDouble(ins, outs, total);
  for (double v : out0) ASSERT_EQ(v, 0.0);
}

TEST(EffectBase, NullHostBuffersUseScratch) {
  TestEffect fx;
  fx.processing = TestEffect::Processing::kStatefulFilter;
  std::vector<double> a(3000, 0.5), oa(3000, 9.0);
  double* ins[2] = {a.data(), nullptr};
  double* outs[2] = {oa.data(), nullptr};
  fx.ProcessHostDouble(ins, outs, 3000);  // pieces: the scratch stands in
  EXPECT_EQ(fx.blockLengths, (std::vector<int>{1024, 1024, 952}));
  EXPECT_NE(oa[2999], 9.0);
  fx.ProcessHostDouble(nullptr, nullptr, 100);
  EXPECT_EQ(fx.OutputSlots()[0], fx.GetOutput(0)->scratch.Data());  // not the last call's buffer
  EXPECT_EQ(fx.InputSlots()[1], fx.GetInput(1)->scratch.Data());
  float f[4] = {1, 2, 3, 4};
  float* fins[2] = {nullptr, f};
  float* fouts[2] = {nullptr, nullptr};
  fx.ProcessHostSingle(fins, fouts, 4, false);
  fx.ProcessHostSingle(nullptr, nullptr, 4, true);
}

TEST(EffectBase, NaNFromTheEditorChangesNothing) {
  TestEffect fx;
  fx.calls.clear();
  fx.SetParamFromEditor(0, std::nan(""));
  EXPECT_EQ(fx.GetParam(0)->Value(), 0.0);
  EXPECT_TRUE(fx.calls.empty());
  fx.HandleMidi(nullptr);
  EXPECT_TRUE(fx.calls.empty());
}

// ---- the lock --------------------------------------------------------------------------

TEST(EffectBase, LockExcludesOtherThreads) {
  TestEffect fx;
  EXPECT_TRUE(WaitsForLock(fx.Lock(), [&] { ILockGuard g(fx.Lock()); }));
}

TEST(Trace, TimeStampFormat) {
  char stamp[32];
  TraceTimeStamp(stamp, sizeof stamp);
  // "%Y%m%d %H:%M " + sign + "%02d%02d": 8 + 1 + 5 + 1 + 1 + 4 = 20 characters.
  ASSERT_EQ(std::strlen(stamp), 20u) << stamp;
  for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 12, 13, 16, 17, 18, 19}) EXPECT_TRUE(isdigit(stamp[i])) << stamp;
  EXPECT_EQ(stamp[8], ' ');
  EXPECT_EQ(stamp[11], ':');
  EXPECT_EQ(stamp[14], ' ');
  EXPECT_TRUE(stamp[15] == '+' || stamp[15] == '-');
  char tiny[5];
  TraceTimeStamp(tiny, sizeof tiny);
  EXPECT_EQ(std::strlen(tiny), 4u);
  Trace("Test", __LINE__, "%d:%s", 1, "records nothing");
}

}  // namespace
